#include "explorer/TreeDocument.h"

#include "core/TreeSearch.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "platform/Error.h"
#include "platform/ui/Host.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>

using namespace bGlobal;

namespace TreeDocument {

namespace {

const QString kSep = QStringLiteral("|");

[[noreturn]] void objectRequired() {
    throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object variable or With block variable not set"));
}

// An attribute the caller cannot do without; its absence is error 91.
QString required(const XmlNode& node, const QString& name) {
    if (!node || !node.hasAttribute(name)) objectRequired();
    return node.attribute(name);
}

QString typeName(const QString& databaseType) {
    bool ok = false;
    const int code = databaseType.trimmed().toInt(&ok);
    if (!ok) throw platform::RuntimeError(platform::err::TypeMismatch, QStringLiteral("Type mismatch"));
    if (code < 0 || code >= gDBTypeNames.size())
        throw platform::RuntimeError(platform::err::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
    return gDBTypeNames.at(code);
}

QString keyOf(const QString& name, std::initializer_list<int> positions) {
    QString key = name;
    for (int p : positions) key += kSep + QString::number(p);
    return key;
}

// Creates the element and hangs it under parentPath[number]; false when there is no
// such parent.
bool append(cXML& doc, const QString& element, const QStringList& attributes, const QString& parentPath, int number) {
    if (!doc.CreateElement(element, attributes)) objectRequired();
    return doc.AppendChild(parentPath, number);
}

}  // namespace

QString NowText() {
    const QLocale locale = QLocale::system();
    QString time = locale.timeFormat(QLocale::LongFormat);
    // A general date carries no time zone.
    time.remove(QRegularExpression(QStringLiteral("\\s*t+")));
    return locale.toString(QDateTime::currentDateTime(), locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') + time.trimmed());
}

QString VersionText() { return QStringLiteral("%1.%2").arg(MORVALEX_VERSION_MAJOR).arg(MORVALEX_VERSION_MINOR); }

QString LevelCode(int level, int position) { return QString::number(level) + gDecimalSymbol + QString::number(position); }

QString ContentOf(cXML& doc) {
    if (!doc.HasDocument() || !doc.DocumentElement()) return QString();
    return doc.GetXMLContent();
}

QString GroupPath(int g) { return QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[%1]").arg(g); }

QString ConnectionPath(int g, int c) { return GroupPath(g) + QStringLiteral("/DATABASECONNECTION[%1]").arg(c); }

QStringList RootAttributes(const QString& createdOn) {
    return {QStringLiteral("CreatedOn=") + createdOn, QStringLiteral("Version=") + VersionText(),
            QStringLiteral("Name=Database Structures"), QStringLiteral("Key=Database Structures"), QStringLiteral("RHXPath=1")};
}

void AddGroup(cXML& doc, const QString& name) {
    if (ContentOf(doc).isEmpty()) doc.InitXMLFile(QStringLiteral("DATABASESTRUCTURES"), RootAttributes(NowText()));
    const XmlNode root = doc.FindNode(QStringLiteral("DATABASESTRUCTURES"));
    if (!root) objectRequired();
    const int n = int(root.childNodes().size());
    append(doc, QStringLiteral("DATABASEGROUP"),
           {QStringLiteral("Name=") + name, QStringLiteral("Key=") + name, QStringLiteral("CreatedOn=") + NowText(),
            QStringLiteral("RHXPath=") + LevelCode(2, n), QStringLiteral("Deleted=0")},
           QStringLiteral("DATABASESTRUCTURES"), 0);
}

void RenameGroup(cXML& doc, int g, const QString& name) {
    XmlNode group = doc.FindNode(GroupPath(g));
    if (!group) return;
    group.setAttribute(QStringLiteral("Name"), name);
    group.setAttribute(QStringLiteral("Key"), name);
}

void AddDBConnection(cXML& doc, const QString& sConnectionString) {
    gConnectionString = sConnectionString;
    const XmlNode group = doc.FindNode(GroupPath(gGroupIndex));
    if (!group) objectRequired();
    gConnectionIndex = qint16(group.childNodes().size());
    if (gDatabaseName.isEmpty()) gDatabaseName = QStringLiteral("Default");
    const int g = gGroupIndex, c = gConnectionIndex;
    const QStringList attributes = {
        QStringLiteral("Name=") + gDatabaseName,
        QStringLiteral("Key=") + keyOf(gDatabaseName, {g, c}),
        QStringLiteral("ConnectionString=") + sConnectionString,
        QStringLiteral("RHXPath=") + LevelCode(3, c),
        QStringLiteral("CreatedOn=") + NowText(),
        QStringLiteral("DatabaseType=") + QString::number(gDatabaseType),
        QStringLiteral("Deleted=0"),
        QStringLiteral("ServerName=") + gServerName,
        QStringLiteral("ServerType=") + typeName(QString::number(gDatabaseType)),
        QStringLiteral("CreatedBy=") + gCurrentUser,
        QStringLiteral("XMLFile= "),
        QStringLiteral("TempXMLFileName= "),
        QStringLiteral("CurrentMXSFile= "),
        QStringLiteral("SourceType=DB"),
    };
    append(doc, QStringLiteral("DATABASECONNECTION"), attributes, QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP"), g);
}

void AddFileConnection(cXML& doc, cXML& structure) {
    const XmlNode database = structure.FindNode(QStringLiteral("DATABASE"));
    if (!database) objectRequired();
    gDatabaseName = required(database, QStringLiteral("DatabaseName"));

    if (SearchInLHXML(gDatabaseName) > 0) {
        const auto answer = platform::ui::host().message(
            QStringLiteral("This database is already connected, do you want to connect again?"),
            platform::ui::Icon::Question, platform::ui::Buttons::YesNo, gApplicationTitle.isEmpty() ? kAppTitle : gApplicationTitle);
        if (answer != platform::ui::Answer::Yes) return;
    }

    const XmlNode group = doc.FindNode(GroupPath(gGroupIndex));
    if (!group) return;  // no such group: nothing to add to
    gConnectionIndex = qint16(group.childNodes().size());
    const int g = gGroupIndex, c = gConnectionIndex;
    const QString databaseType = required(database, QStringLiteral("DatabaseType"));
    const QStringList attributes = {
        QStringLiteral("Name=") + gDatabaseName,
        QStringLiteral("Key=") + keyOf(gDatabaseName, {g, c}),
        QStringLiteral("ConnectionString= "),
        QStringLiteral("RHXPath=") + LevelCode(3, c),
        QStringLiteral("CreatedOn=") + required(database, QStringLiteral("CreatedOn")),
        QStringLiteral("DatabaseType=") + databaseType,
        QStringLiteral("Deleted=0"),
        QStringLiteral("ServerName=") + required(database, QStringLiteral("ServerName")),
        QStringLiteral("ServerType=") + typeName(databaseType),
        QStringLiteral("CreatedBy=") + gCurrentUser,
        QStringLiteral("XMLFile=") + gStructureFilePath,
        QStringLiteral("TempXMLFileName= "),
        QStringLiteral("CurrentMXSFile= "),
        QStringLiteral("SourceType=FILE"),
    };
    if (!append(doc, QStringLiteral("DATABASECONNECTION"), attributes, QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP"), g))
        return;
    const QString P = ConnectionPath(g, c);
    const XmlNode connection = doc.FindNode(P);
    if (!connection) return;
    const QString connectionName = connection.attribute(QStringLiteral("Name"));
    const QString connections = GroupPath(g) + QStringLiteral("/DATABASECONNECTION");

    int t = 0;
    for (const XmlNode& table : structure.GetNodes(QStringLiteral("DATABASE/TABLE"))) {
        if (t == 0)
            append(doc, QStringLiteral("TABLES"),
                   {QStringLiteral("Name=Tables"), QStringLiteral("Key=") + keyOf(QStringLiteral("Tables"), {g, c}),
                    QStringLiteral("RHXPath=4"), QStringLiteral("Description=Tables available in database ") + connectionName},
                   connections, c);
        append(doc, QStringLiteral("TABLE"),
               {QStringLiteral("Name=") + required(table, QStringLiteral("Name")),
                QStringLiteral("Key=") + keyOf(table.attribute(QStringLiteral("Name")), {g, c, t}),
                QStringLiteral("RHXPath=DATABASE/TABLE[%1]").arg(t),
                QStringLiteral("CreatedOn=") + required(table, QStringLiteral("CreatedOn"))},
               P + QStringLiteral("/TABLES"), 0);

        // Indexes, triggers and foreign keys of the table, each under its folder.
        const struct {
            const char* element;
            const char* folder;
            const char* folderName;
            int level;
        } kinds[] = {{"INDEX", "INDEXES", "Indexes", 5}, {"TRIGGER", "TRIGGERS", "Triggers", 6},
                     {"FOREIGNKEY", "FOREIGNKEYS", "Foreign Keys", 7}};
        for (const auto& kind : kinds) {
            const QString element = QLatin1String(kind.element);
            const QString folder = QLatin1String(kind.folder);
            int i = 0;
            for (const XmlNode& object : table.selectNodes(element)) {
                if (i == 0)
                    append(doc, folder,
                           {QStringLiteral("Name=") + QLatin1String(kind.folderName),
                            QStringLiteral("Key=") + keyOf(QLatin1String(kind.folderName), {g, c, t}),
                            QStringLiteral("RHXPath=") + LevelCode(kind.level, t)},
                           P + QStringLiteral("/TABLES/TABLE"), t);
                const QString name = required(object, QStringLiteral("Name"));
                append(doc, element,
                       {QStringLiteral("Name=") + name, QStringLiteral("Key=") + keyOf(name, {g, c, t, i}),
                        QStringLiteral("RHXPath=DATABASE/TABLE[%1]/%2[%3]").arg(t).arg(element).arg(i)},
                       P + QStringLiteral("/TABLES/TABLE[%1]/").arg(t) + folder, 0);
                ++i;
            }
        }
        ++t;
    }

    // Views, then stored procedures, each under its folder below the connection.
    const struct {
            const char* element;
            const char* folder;
            const char* folderName;
            const char* level;
    } kinds[] = {{"VIEW", "VIEWS", "Views", "8"}, {"STOREDPROCEDURE", "STOREDPROCEDURES", "Stored Procedures", "9"}};
    for (const auto& kind : kinds) {
        const QString element = QLatin1String(kind.element);
        const QString folder = QLatin1String(kind.folder);
        int v = 0;
        for (const XmlNode& object : structure.GetNodes(QStringLiteral("/DATABASE/") + element)) {
            if (v == 0)
                append(doc, folder,
                       {QStringLiteral("Name=") + QLatin1String(kind.folderName),
                        QStringLiteral("Key=") + keyOf(QLatin1String(kind.folderName), {g, c}),
                        QStringLiteral("RHXPath=") + QLatin1String(kind.level)},
                       connections, c);
            const QString name = required(object, QStringLiteral("Name"));
            append(doc, element,
                   {QStringLiteral("Name=") + name, QStringLiteral("Key=") + keyOf(name, {g, c, v}),
                    QStringLiteral("RHXPath=DATABASE/%1[%2]").arg(element).arg(v)},
                   P + QLatin1Char('/') + folder, 0);
            ++v;
        }
    }
}

void FetchXMLDBInfo(cXML& structure) {
    const XmlNode database = structure.HasDocument() ? structure.FindNode(QStringLiteral("DATABASE")) : XmlNode();
    if (!database) return;
    bool ok = false;
    const int type = required(database, QStringLiteral("DatabaseType")).trimmed().toInt(&ok);
    if (!ok || type < -32768 || type > 32767) throw platform::RuntimeError(platform::err::TypeMismatch, QStringLiteral("Type mismatch"));
    const QString server = required(database, QStringLiteral("ServerName"));
    const QString name = required(database, QStringLiteral("DatabaseName"));
    gDatabaseType = qint16(type);
    gServerName = server;
    gDatabaseName = name;
    gDataSource = name;
}

}  // namespace TreeDocument
