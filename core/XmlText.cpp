#include "core/XmlText.h"

bool IsXmlIllegalChar(char16_t c) {
    if (c < 0x20) return c != u'\t' && c != u'\n' && c != u'\r';
    return c == 0xFFFE || c == 0xFFFF;
}

QString XmlSafeText(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && !IsXmlIllegalChar(text[i].unicode())) ++i;
    if (i == text.size()) return text;
    QString out = text.left(i);
    out.reserve(text.size() + 16);
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (IsXmlIllegalChar(c))
            out += QStringLiteral("_x") + QStringLiteral("%1").arg(unsigned(c), 4, 16, QLatin1Char('0')).toUpper() +
                   QLatin1Char('_');
        else
            out += text[i];
    }
    return out;
}

QByteArray XmlSafeUtf8(QStringView text) {
    for (const QChar c : text)
        if (IsXmlIllegalChar(c.unicode())) return XmlSafeText(text.toString()).toUtf8();
    return text.toUtf8();
}

QString XmlOriginalText(const QString& text) {
    if (!text.contains(QLatin1String("_x"))) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x') &&
            text[i + 6] == QLatin1Char('_')) {
            bool ok = false;
            const uint code = QStringView(text).mid(i + 2, 4).toUInt(&ok, 16);
            if (ok && IsXmlIllegalChar(char16_t(code))) {
                out += QChar(char16_t(code));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}
