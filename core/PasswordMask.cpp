#include "core/PasswordMask.h"

#include <QRegularExpression>

QString MaskPasswords(const QString& text) {
    // A key ends in "password" or is "pwd"; its value runs to the next ";" or line end,
    // or is one quoted value ({...} with "}}", "..." with "\"\"", '...' with "''").
    static const QRegularExpression pattern(
        QStringLiteral(R"(((?:^|[;\s"'{(])(?:[\w :]*password|pwd)\s*=\s*)(\{(?:[^}]|\}\})*\}?|"(?:[^"]|"")*"?|'(?:[^']|'')*'?|[^;\r\n]*))"),
        QRegularExpression::CaseInsensitiveOption);
    QString out = text;
    out.replace(pattern, QStringLiteral("\\1*****"));
    return out;
}
