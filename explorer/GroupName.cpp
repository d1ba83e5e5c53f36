#include "explorer/GroupName.h"

#include "core/cXML.h"

namespace GroupName {

bool KeyAllowed(QChar ch) {
    const char16_t u = ch.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' || u == 8;
}

QString Filtered(const QString& text) {
    QString out;
    for (const QChar ch : text)
        if (ch.unicode() != 8 && KeyAllowed(ch)) out += ch;
    return out;
}

bool GroupExists(cXML& tree, const QString& name) {
    if (!tree.HasDocument()) return false;
    for (const XmlNode& group : tree.GetNodes(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP")))
        if (group.attribute(QStringLiteral("Key")) == name) return true;
    return false;
}

QString Problem(cXML& tree, const QString& name) {
    if (name.isEmpty()) return QStringLiteral("Please enter a valid Database Group name");
    if (GroupExists(tree, name)) return QStringLiteral("Group already exists.");
    if (name.front() >= QLatin1Char('0') && name.front() <= QLatin1Char('9')) return QStringLiteral("Group name cannot start with numbers");
    return QString();
}

}  // namespace GroupName
