#include "explorer/HistoryFile.h"

#include "core/FileUtil.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/TreeDocument.h"
#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>

using namespace bGlobal;

namespace HistoryFile {

namespace {

QStringList attributeList(const XmlNode& node) {
    QStringList list;
    for (const auto& [name, value] : node.attributes()) list << name + QLatin1Char('=') + value;
    return list;
}

// A group counts as deleted when its Deleted value is a number other than 0.
bool isDeleted(const XmlNode& group) {
    bool ok = false;
    const double value = group.attribute(QStringLiteral("Deleted")).trimmed().toDouble(&ok);
    return ok && value != 0;
}

// The attributes the tree document gives its root, a group and a connection; a history
// keeps them all.
const QStringList kRootAttributes = {QStringLiteral("CreatedOn"), QStringLiteral("Version"), QStringLiteral("Name"),
                                     QStringLiteral("Key"), QStringLiteral("RHXPath")};
const QStringList kGroupAttributes = {QStringLiteral("Name"), QStringLiteral("Key"), QStringLiteral("CreatedOn"),
                                      QStringLiteral("RHXPath"), QStringLiteral("Deleted")};
const QStringList kConnectionAttributes = {
    QStringLiteral("Name"),         QStringLiteral("Key"),          QStringLiteral("ConnectionString"),
    QStringLiteral("RHXPath"),      QStringLiteral("CreatedOn"),    QStringLiteral("DatabaseType"),
    QStringLiteral("Deleted"),      QStringLiteral("ServerName"),   QStringLiteral("ServerType"),
    QStringLiteral("CreatedBy"),    QStringLiteral("XMLFile"),      QStringLiteral("TempXMLFileName"),
    QStringLiteral("CurrentMXSFile"), QStringLiteral("SourceType")};

bool elementWith(const XmlNode& node, const char* name, const QStringList& attributes) {
    if (!node.isElement() || node.nodeName() != QLatin1String(name)) return false;
    for (const QString& attribute : attributes)
        if (!node.hasAttribute(attribute)) return false;
    return true;
}

// True when the document has the history's shape: the root DATABASESTRUCTURES holding
// groups only, the groups connections only, the connections nothing, each with all its
// attributes. Looks at each node once and never below a connection.
bool hasHistoryShape(cXML& doc) {
    const XmlNode root = doc.DocumentElement();
    if (!elementWith(root, "DATABASESTRUCTURES", kRootAttributes)) return false;
    for (const XmlNode& group : root.childNodes()) {
        if (!elementWith(group, "DATABASEGROUP", kGroupAttributes)) return false;
        for (const XmlNode& connection : group.childNodes())
            if (!elementWith(connection, "DATABASECONNECTION", kConnectionAttributes) || connection.hasChildNodes()) return false;
    }
    return true;
}

// True when a connection of the tree holds folder or item entries.
bool holdsEntries(const XmlNode& root) {
    for (const XmlNode& group : root.childNodes())
        for (const XmlNode& connection : group.childNodes())
            if (connection.hasChildNodes()) return true;
    return false;
}

// Moves a damaged history file aside to the first free name history.mxh.damaged,
// history.mxh.damaged.1, ...; returns the new path, "" when it could not be moved.
QString keepAside(const QString& path) {
    const QString base = path + QStringLiteral(".damaged");
    QString target = base;
    for (int n = 1; QFileInfo::exists(target); ++n) target = base + QLatin1Char('.') + QString::number(n);
    return QFile::rename(path, target) ? target : QString();
}

}  // namespace

QString Path() { return DataPath() + QStringLiteral("/history.mxh"); }

LoadResult Load(cXML& history, cXML& tree) {
    const QString path = Path();
    if (!QFileInfo::exists(path)) {
        const QString now = TreeDocument::NowText();
        history.InitXMLFile(QStringLiteral("DATABASESTRUCTURES"), TreeDocument::RootAttributes(now));
        history.CreateElement(QStringLiteral("DATABASEGROUP"),
                              {QStringLiteral("Name=Morvalex Group"), QStringLiteral("Key=Morvalex Group"),
                               QStringLiteral("CreatedOn=") + now, QStringLiteral("RHXPath=") + TreeDocument::LevelCode(2, 0),
                               QStringLiteral("Deleted=0")});
        history.AppendChild(QStringLiteral("DATABASESTRUCTURES"), 0);
        tree.LoadXMLContent(history.GetXMLContent());
        return {Found::None, QString(), QString()};
    }

    QString cipher;
    try {
        cipher = ReadTextFile(path);
    } catch (const platform::RuntimeError& e) {
        history.LoadXMLContent(QString());
        tree.LoadXMLContent(QString());
        return {Found::Damaged, QString(), e.description()};
    }
    const QString plain = DecryptText(cipher, gPassPhrase4);
    const bool readable = !IsFailureCode(plain) && history.LoadXMLContent(plain) && hasHistoryShape(history);
    if (!readable) {
        history.LoadXMLContent(QString());
        tree.LoadXMLContent(QString());
        return {Found::Damaged, keepAside(path), QString()};
    }
    tree.LoadXMLContent(plain);
    return {Found::Read, QString(), QString()};
}

void Generate(cXML& tree, cXML& history) {
    const XmlNode root = tree.FindNode(QStringLiteral("DATABASESTRUCTURES"));
    // A tree whose connections hold entries differs from a history without any, and is
    // then not written out as text to be compared (many megabytes for a large database).
    const XmlNode historyRoot = history.HasDocument() ? history.DocumentElement() : XmlNode();
    const bool differs = root && holdsEntries(root) && !(historyRoot && holdsEntries(historyRoot));
    if (!differs && TreeDocument::ContentOf(history) == TreeDocument::ContentOf(tree)) return;
    if (!root) throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object variable or With block variable not set"));

    history.InitXMLFile(QStringLiteral("DATABASESTRUCTURES"), TreeDocument::RootAttributes(root.attribute(QStringLiteral("CreatedOn"))));
    int n = 0;
    for (const XmlNode& group : root.selectNodes(QStringLiteral("DATABASEGROUP"))) {
        if (isDeleted(group)) continue;
        XmlNode kept = history.CreateElement(QStringLiteral("DATABASEGROUP"), attributeList(group));
        if (!kept || !history.AppendChild(QStringLiteral("DATABASESTRUCTURES"), 0))
            throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
        kept.setAttribute(QStringLiteral("RHXPath"), TreeDocument::LevelCode(2, n));
        int m = 0;
        for (const XmlNode& connection : group.selectNodes(QStringLiteral("DATABASECONNECTION"))) {
            XmlNode copy = history.CreateElement(QStringLiteral("DATABASECONNECTION"), attributeList(connection));
            if (!copy || !history.AppendChild(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP"), n))
                throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
            copy.setAttribute(QStringLiteral("RHXPath"), TreeDocument::LevelCode(3, m));
            copy.setAttribute(QStringLiteral("TempXMLFileName"), QString());
            copy.setAttribute(QStringLiteral("CurrentMXSFile"), QString());
            ++m;
        }
        ++n;
    }
}

Saved Save(cXML& history, const Encipher& encipher) {
    const QString text = TreeDocument::ContentOf(history);
    if (text.isEmpty()) return Saved::Empty;
    const QString cipher = encipher(text, gPassPhrase4);
    if (cipher.isEmpty() || IsFailureCode(cipher)) return Saved::CipherFailed;
    WriteTextFileAtomic(Path(), cipher);
    return Saved::Written;
}

}  // namespace HistoryFile
