#include "explorer/TreeMaintenance.h"

#include "core/TreeSearch.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/TreeDocument.h"

#include <QStringList>

using namespace bGlobal;

namespace TreeMaintenance {

namespace {

const QString kKey = QStringLiteral("Key");
const QString kName = QStringLiteral("Name");
const QString kRHXPath = QStringLiteral("RHXPath");

XmlNode rootOf(cXML& tree) {
    return tree.HasDocument() ? tree.FindNode(QStringLiteral("/DATABASESTRUCTURES")) : XmlNode();
}

bool isWholeNumber(const QString& s) {
    bool ok = false;
    s.toInt(&ok);
    return ok && !s.isEmpty();
}

// The Key for an element named name that now belongs to connection c of group g.
QString renumberedKey(const QString& key, const QString& name, int g, int c, const QString& positions) {
    const QString prefix = name + QLatin1Char('|');
    const QString head = name + QStringLiteral("|%1|%2").arg(g).arg(c);
    if (key.startsWith(prefix)) {
        const QStringList fields = key.mid(prefix.size()).split(QLatin1Char('|'));
        if (fields.size() >= 2 && isWholeNumber(fields[0]) && isWholeNumber(fields[1])) {
            const QStringList rest = fields.mid(2);
            return rest.isEmpty() ? head : head + QLatin1Char('|') + rest.join(QLatin1Char('|'));
        }
    }
    return positions.isEmpty() ? head : head + QLatin1Char('|') + positions;
}

void resetBelow(const XmlNode& parent, int g, int c, const QString& positions) {
    int i = 0;
    for (XmlNode child : parent.childElements()) {
        const QString here = positions.isEmpty() ? QString::number(i) : positions + QLatin1Char('|') + QString::number(i);
        if (child.hasAttribute(kKey))
            child.setAttribute(kKey, renumberedKey(child.attribute(kKey), child.attribute(kName), g, c, here));
        resetBelow(child, g, c, here);
        ++i;
    }
}

void renumberConnections(const XmlNode& group, int g) {
    int m = 0;
    for (XmlNode connection : group.childElements()) {
        connection.setAttribute(kRHXPath, TreeDocument::LevelCode(3, m));
        connection.setAttribute(kKey, connection.attribute(kName) + QStringLiteral("|%1|%2").arg(g).arg(m));
        ResetAllKeys(connection, g, m);
        ++m;
    }
}

}  // namespace

void DeleteConnection(cXML& tree, int g, int c) {
    if (g < 0 || c < 0 || !tree.HasDocument()) return;
    XmlNode connection = tree.FindNode(TreeDocument::ConnectionPath(g, c));
    if (!connection) return;
    const XmlNode group = connection.parentNode();
    connection.remove();
    renumberConnections(group, g);
}

void DeleteDBGroup(cXML& tree, int g) {
    if (g < 0 || !tree.HasDocument()) return;
    XmlNode group = tree.FindNode(TreeDocument::GroupPath(g));
    if (!group) return;
    const XmlNode root = group.parentNode();
    group.remove();
    int n = 0;
    for (XmlNode remaining : root.childElements()) {
        if (remaining.nodeName() != QLatin1String("DATABASEGROUP")) continue;
        remaining.setAttribute(kRHXPath, TreeDocument::LevelCode(2, n));
        renumberConnections(remaining, n);
        ++n;
    }
}

void DeleteAllDBGroups(cXML& tree) {
    const XmlNode root = rootOf(tree);
    if (!root) return;
    for (XmlNode group : root.childElements())
        if (group.nodeName() == QLatin1String("DATABASEGROUP")) group.remove();
}

void ResetAllKeys(const XmlNode& connection, int g, int c) { resetBelow(connection, g, c, QString()); }

void RemoveConnChildren(cXML& tree, const QString& sXPath) {
    if (!tree.HasDocument()) return;
    const XmlNode parent = tree.FindNode(sXPath);
    if (!parent) return;
    for (XmlNode child : parent.childNodes()) child.remove();
}

int GroupCount(cXML& tree) {
    return tree.HasDocument() ? int(tree.GetNodes(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP")).size()) : 0;
}

int ConnectionCount(cXML& tree) {
    return tree.HasDocument()
               ? int(tree.GetNodes(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP/DATABASECONNECTION")).size())
               : 0;
}

bool IsTableEntry(const QString& tag) {
    const QString upper = tag.toUpper();
    return upper.contains(QLatin1String("DATABASE/TABLE")) && !upper.contains(QLatin1String("INDEX")) &&
           !upper.contains(QLatin1String("TRIGGER")) && !upper.contains(QLatin1String("FOREIGNKEY"));
}

}  // namespace TreeMaintenance
