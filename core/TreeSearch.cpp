#include "core/TreeSearch.h"

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "platform/Error.h"

#include <QRegularExpression>
#include <cmath>

namespace bGlobal {

namespace {

[[noreturn]] void typeMismatch() { throw platform::RuntimeError(platform::err::TypeMismatch, QStringLiteral("Type mismatch")); }

// The separator of a level code: gDecimalSymbol, else "." or "," (a code written
// under another locale). Position -1 when the code has none.
struct Separator {
    qsizetype at = -1;
    qsizetype size = 0;
};
Separator separatorOf(const QString& code) {
    if (!gDecimalSymbol.isEmpty()) {
        const qsizetype at = code.indexOf(gDecimalSymbol);
        if (at >= 0) return {at, gDecimalSymbol.size()};
    }
    const qsizetype dot = code.indexOf(QLatin1Char('.'));
    const qsizetype at = dot >= 0 ? dot : code.indexOf(QLatin1Char(','));
    return at >= 0 ? Separator{at, 1} : Separator{};
}

bool isDigits(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    return true;
}

int toInt(QStringView digits) {
    bool ok = false;
    const int v = digits.toInt(&ok);
    if (!ok) typeMismatch();
    return v;
}

}  // namespace

QString GetXPath(qint16 level) {
    return TrapValue(QStringLiteral("bGlobal.GetXPath"), [&] {
        const QString table = QStringLiteral("/DATABASE/TABLE[") + QString::number(gTableIndex) + QLatin1Char(']');
        switch (level) {
        case 3: return QStringLiteral("DATABASE");
        case 4: return QStringLiteral("/DATABASE/TABLE");
        case 5: return table + QStringLiteral("/INDEX");
        case 6: return table + QStringLiteral("/TRIGGER");
        case 7: return table + QStringLiteral("/FOREIGNKEY");
        case 8: return QStringLiteral("/DATABASE/VIEW");
        case 9: return QStringLiteral("/DATABASE/STOREDPROCEDURE");
        default: return QString();
        }
    }, QString());
}

qint16 SearchInLHXML(const QString& name) {
    return TrapValue(QStringLiteral("SearchInLHXML"), [&]() -> qint16 {
        if (!oLHXML || !oLHXML->HasDocument() || !oLHXML->DocumentElement()) return 0;
        qint16 count = 0;
        for (const XmlNode& c : oLHXML->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP/DATABASECONNECTION"))) {
            if (!c.hasAttribute(QStringLiteral("Key"))) continue;
            const QString key = c.attribute(QStringLiteral("Key"));
            const qsizetype bar = key.indexOf(QLatin1Char('|'));
            const QString part = bar < 0 ? key : key.left(bar);
            if (part.compare(name, Qt::CaseInsensitive) == 0) ++count;
        }
        return count;
    }, qint16(0));
}

qint16 Occurs(QString& text, const QString& pattern, qint16 start) {
    return TrapValue(QStringLiteral("bGlobal.Occurs"), [&]() -> qint16 {
        if (text.isEmpty()) return -1;
        if (start != 0) {
            if (start < 0) throw platform::RuntimeError(platform::err::InvalidArgument, QStringLiteral("Invalid procedure call or argument"));
            text = text.mid(start - 1);
        }
        const QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
        if (!re.isValid())
            throw platform::RuntimeError(5017, QStringLiteral("Syntax error in regular expression: ") + re.errorString());
        qint16 count = 0;
        auto it = re.globalMatch(text);
        while (it.hasNext()) {
            it.next();
            ++count;
        }
        return count;
    }, qint16(0));
}

int CountShownName(const QString& shownNames, const QString& name) {
    const QString token = QLatin1Char('<') + name + QLatin1Char('>');
    int count = 0;
    for (qsizetype at = shownNames.indexOf(token, 0, Qt::CaseInsensitive); at >= 0;
         at = shownNames.indexOf(token, at + token.size(), Qt::CaseInsensitive))
        ++count;
    return count;
}

bool IsLevelCode(const QString& rhxpath) {
    const Separator sep = separatorOf(rhxpath);
    if (sep.at < 0) return isDigits(rhxpath);
    return isDigits(QStringView(rhxpath).left(sep.at)) && isDigits(QStringView(rhxpath).mid(sep.at + sep.size));
}

int LevelCodeValue(const QString& rhxpath) {
    if (!IsLevelCode(rhxpath)) typeMismatch();
    const Separator sep = separatorOf(rhxpath);
    if (sep.at < 0) return toInt(rhxpath);
    const QString number = rhxpath.left(sep.at) + QLatin1Char('.') + rhxpath.mid(sep.at + sep.size);
    // Taken as a decimal number is: halves go to the even neighbour.
    return int(std::nearbyint(number.toDouble()));
}

int LevelOf(const QString& rhxpath) {
    const Separator sep = separatorOf(rhxpath);
    return toInt(sep.at < 0 ? QStringView(rhxpath) : QStringView(rhxpath).left(sep.at));
}

int PositionOf(const QString& rhxpath) {
    const Separator sep = separatorOf(rhxpath);
    return toInt(sep.at < 0 ? QStringView(rhxpath) : QStringView(rhxpath).mid(sep.at + sep.size));
}

}  // namespace bGlobal
