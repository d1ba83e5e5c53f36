// The tree document: groups, connections from a database and from a structure file,
// their Keys and RHXPath values, and the folders and items of a structure.

#include "ExplorerFixture.h"
#include "explorer/TreeDocument.h"

using namespace bGlobal;
using explorertest::AttributeNames;
using explorertest::Document;
using explorertest::StructureXml;

namespace {

struct TreeDoc : explorertest::Fixture {
    cXML doc;

    XmlNode Node(const QString& path) { return doc.FindNode(path); }
    QString Attr(const QString& path, const char* name) { return Node(path).attribute(QLatin1String(name)); }

    // Groups G0..G(n-1) with the given numbers of database connections.
    void Groups(const QList<int>& connections) {
        for (int g = 0; g < connections.size(); ++g) {
            TreeDocument::AddGroup(doc, QStringLiteral("G%1").arg(g));
            gGroupIndex = qint16(g);
            for (int c = 0; c < connections[g]; ++c) {
                gDatabaseName = QStringLiteral("Db%1%2").arg(g).arg(c);
                TreeDocument::AddDBConnection(doc, QStringLiteral("Driver=SQLite3;Database=x"));
            }
        }
    }
};

const QStringList kConnectionAttributes = {
    QStringLiteral("Name"),        QStringLiteral("Key"),       QStringLiteral("ConnectionString"), QStringLiteral("RHXPath"),
    QStringLiteral("CreatedOn"),   QStringLiteral("DatabaseType"), QStringLiteral("Deleted"),     QStringLiteral("ServerName"),
    QStringLiteral("ServerType"),  QStringLiteral("CreatedBy"), QStringLiteral("XMLFile"),          QStringLiteral("TempXMLFileName"),
    QStringLiteral("CurrentMXSFile"), QStringLiteral("SourceType")};

}  // namespace

TEST_F(TreeDoc, GroupsAreNumberedWithTheLocaleDecimalSymbol) {
    for (const char* dec : {".", ","}) {
        gDecimalSymbol = QLatin1String(dec);
        cXML fresh;
        TreeDocument::AddGroup(fresh, QStringLiteral("First"));
        TreeDocument::AddGroup(fresh, QStringLiteral("Second"));
        TreeDocument::AddGroup(fresh, QStringLiteral("Third"));
        const XmlNode root = fresh.FindNode(QStringLiteral("DATABASESTRUCTURES"));
        ASSERT_TRUE(root) << dec;
        EXPECT_EQ(AttributeNames(root), QStringList({QStringLiteral("CreatedOn"), QStringLiteral("Version"), QStringLiteral("Name"),
                                                     QStringLiteral("Key"), QStringLiteral("RHXPath")}));
        EXPECT_FALSE(root.attribute(QStringLiteral("CreatedOn")).isEmpty());
        EXPECT_EQ(root.attribute(QStringLiteral("Version")), QStringLiteral("4.0"));
        EXPECT_EQ(root.attribute(QStringLiteral("Key")), QStringLiteral("Database Structures"));
        EXPECT_EQ(root.attribute(QStringLiteral("RHXPath")), QStringLiteral("1"));
        const XmlNode first = fresh.FindNode(TreeDocument::GroupPath(0));
        EXPECT_EQ(AttributeNames(first), QStringList({QStringLiteral("Name"), QStringLiteral("Key"), QStringLiteral("CreatedOn"),
                                                      QStringLiteral("RHXPath"), QStringLiteral("Deleted")}));
        EXPECT_EQ(first.attribute(QStringLiteral("RHXPath")), QStringLiteral("2") + QLatin1String(dec) + QStringLiteral("0"));
        EXPECT_EQ(first.attribute(QStringLiteral("Deleted")), QStringLiteral("0"));
        EXPECT_EQ(fresh.FindNode(TreeDocument::GroupPath(2)).attribute(QStringLiteral("RHXPath")), QStringLiteral("2") + QLatin1String(dec) + QStringLiteral("2"));
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(TreeDoc, ANewConnectionTakesTheNextPlaceOfItsGroupFromEitherSource) {
    Groups({3, 2});
    gGroupIndex = 1;
    gDatabaseType = 2;
    gServerName = QStringLiteral("srv");
    gDatabaseName = QStringLiteral("Sales");
    TreeDocument::AddDBConnection(doc, QStringLiteral("Provider=SQLOLEDB;Data Source=srv"));
    EXPECT_EQ(gConnectionIndex, 2);
    EXPECT_EQ(gConnectionString, QStringLiteral("Provider=SQLOLEDB;Data Source=srv"));
    const QString db = TreeDocument::ConnectionPath(1, 2);
    EXPECT_EQ(AttributeNames(Node(db)), kConnectionAttributes);
    const struct {
        const char* name;
        QString value;
    } dbValues[] = {{"Key", QStringLiteral("Sales|1|2")}, {"ConnectionString", QStringLiteral("Provider=SQLOLEDB;Data Source=srv")},
                    {"RHXPath", QStringLiteral("3.2")}, {"DatabaseType", QStringLiteral("2")}, {"Deleted", QStringLiteral("0")},
                    {"ServerName", QStringLiteral("srv")}, {"ServerType", QStringLiteral("SQL Server 7.0")}, {"CreatedBy", gCurrentUser},
                    {"XMLFile", QStringLiteral(" ")}, {"TempXMLFileName", QStringLiteral(" ")}, {"CurrentMXSFile", QStringLiteral(" ")},
                    {"SourceType", QStringLiteral("DB")}};
    for (const auto& v : dbValues) EXPECT_EQ(Attr(db, v.name), v.value) << v.name;

    // From a structure file the connection takes the next place, 3, whatever group 0
    // holds.
    auto structure = Document(StructureXml(QStringLiteral("Stock")));
    gStructureFilePath = QStringLiteral("/home/u/Stock.mxs");
    TreeDocument::AddFileConnection(doc, *structure);
    EXPECT_EQ(gConnectionIndex, 3);
    const QString file = TreeDocument::ConnectionPath(1, 3);
    EXPECT_EQ(AttributeNames(Node(file)), kConnectionAttributes);
    const struct {
        const char* name;
        QString value;
    } fileValues[] = {{"Name", QStringLiteral("Stock")}, {"Key", QStringLiteral("Stock|1|3")}, {"ConnectionString", QStringLiteral(" ")},
                      {"RHXPath", QStringLiteral("3.3")}, {"CreatedOn", QStringLiteral("1/2/2003 10:00:00")},
                      {"DatabaseType", QStringLiteral("9")}, {"ServerName", QStringLiteral("C:/data/Stock.mdb")},
                      {"ServerType", QStringLiteral("MS Access 2000")}, {"XMLFile", QStringLiteral("/home/u/Stock.mxs")},
                      {"TempXMLFileName", QStringLiteral(" ")}, {"SourceType", QStringLiteral("FILE")}};
    for (const auto& v : fileValues) EXPECT_EQ(Attr(file, v.name), v.value) << v.name;
    EXPECT_EQ(doc.GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION")).size(), 3);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(TreeDoc, AnUnnamedDatabaseConnectionIsCalledDefault) {
    Groups({0});
    gDatabaseName.clear();
    gDatabaseType = 12;
    TreeDocument::AddDBConnection(doc, QStringLiteral("DSN=x"));
    EXPECT_EQ(gDatabaseName, QStringLiteral("Default"));
    EXPECT_EQ(Attr(TreeDocument::ConnectionPath(0, 0), "Key"), QStringLiteral("Default|0|0"));
    EXPECT_EQ(Attr(TreeDocument::ConnectionPath(0, 0), "ServerType"), QStringLiteral("OTHERS"));
}

TEST_F(TreeDoc, AStructureFileGivesFoldersAndItemsWithTheirKeysAndPaths) {
    Groups({0});
    auto structure = Document(StructureXml(QStringLiteral("Shop"), {QStringLiteral("V1"), QStringLiteral("V2")}, {QStringLiteral("P1")}));
    TreeDocument::AddFileConnection(doc, *structure);
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    const QString P = TreeDocument::ConnectionPath(0, 0);

    QStringList folders;
    for (const XmlNode& f : Node(P).childElements()) folders << f.nodeName();
    EXPECT_EQ(folders, QStringList({QStringLiteral("TABLES"), QStringLiteral("VIEWS"), QStringLiteral("STOREDPROCEDURES")}));
    EXPECT_EQ(Attr(P + QStringLiteral("/TABLES"), "Description"), QStringLiteral("Tables available in database Shop"));
    EXPECT_EQ(AttributeNames(Node(P + QStringLiteral("/TABLES"))),
              QStringList({QStringLiteral("Name"), QStringLiteral("Key"), QStringLiteral("RHXPath"), QStringLiteral("Description")}));

    const struct {
        QString path;
        const char* key;
        const char* rhxpath;
    } entries[] = {
        {P + QStringLiteral("/TABLES"), "Tables|0|0", "4"},
        {P + QStringLiteral("/TABLES/TABLE[3]"), "Order Details|0|0|3", "DATABASE/TABLE[3]"},
        {P + QStringLiteral("/TABLES/TABLE[3]/INDEXES"), "Indexes|0|0|3", "5.3"},
        {P + QStringLiteral("/TABLES/TABLE[3]/INDEXES/INDEX[1]"), "IX_OD|0|0|3|1", "DATABASE/TABLE[3]/INDEX[1]"},
        {P + QStringLiteral("/TABLES/TABLE[3]/TRIGGERS"), "Triggers|0|0|3", "6.3"},
        {P + QStringLiteral("/TABLES/TABLE[3]/TRIGGERS/TRIGGER[0]"), "TR_OD|0|0|3|0", "DATABASE/TABLE[3]/TRIGGER[0]"},
        {P + QStringLiteral("/TABLES/TABLE[3]/FOREIGNKEYS"), "Foreign Keys|0|0|3", "7.3"},
        {P + QStringLiteral("/TABLES/TABLE[3]/FOREIGNKEYS/FOREIGNKEY[0]"), "FK_OD|0|0|3|0", "DATABASE/TABLE[3]/FOREIGNKEY[0]"},
        {P + QStringLiteral("/TABLES/TABLE[1]/INDEXES/INDEX[0]"), "IX_Orders|0|0|1|0", "DATABASE/TABLE[1]/INDEX[0]"},
        {P + QStringLiteral("/VIEWS"), "Views|0|0", "8"},
        {P + QStringLiteral("/VIEWS/VIEW[1]"), "V2|0|0|1", "DATABASE/VIEW[1]"},
        {P + QStringLiteral("/STOREDPROCEDURES"), "Stored Procedures|0|0", "9"},
        {P + QStringLiteral("/STOREDPROCEDURES/STOREDPROCEDURE[0]"), "P1|0|0|0", "DATABASE/STOREDPROCEDURE[0]"},
    };
    for (const auto& e : entries) {
        ASSERT_TRUE(Node(e.path)) << qPrintable(e.path);
        EXPECT_EQ(Attr(e.path, "Key"), QLatin1String(e.key)) << qPrintable(e.path);
        EXPECT_EQ(Attr(e.path, "RHXPath"), QLatin1String(e.rhxpath)) << qPrintable(e.path);
    }
    EXPECT_EQ(Attr(P + QStringLiteral("/TABLES/TABLE[3]"), "CreatedOn"), QStringLiteral("t3"));
    EXPECT_EQ(Attr(P + QStringLiteral("/TABLES/TABLE[3]/FOREIGNKEYS"), "Name"), QStringLiteral("Foreign Keys"));

    // Folders of a table in the order INDEXES, TRIGGERS, FOREIGNKEYS; a table without
    // objects of a kind has no folder for it.
    QStringList tableFolders;
    for (const XmlNode& f : Node(P + QStringLiteral("/TABLES/TABLE[3]")).childElements()) tableFolders << f.nodeName();
    EXPECT_EQ(tableFolders, QStringList({QStringLiteral("INDEXES"), QStringLiteral("TRIGGERS"), QStringLiteral("FOREIGNKEYS")}));
    EXPECT_FALSE(Node(P + QStringLiteral("/TABLES/TABLE[0]")).hasChildNodes());
}

TEST_F(TreeDoc, AStructureWithoutViewsOrProceduresHasOnlyTheTablesFolder) {
    Groups({0});
    auto structure = Document(StructureXml(QStringLiteral("Shop")));
    TreeDocument::AddFileConnection(doc, *structure);
    QStringList folders;
    for (const XmlNode& f : Node(TreeDocument::ConnectionPath(0, 0)).childElements()) folders << f.nodeName();
    EXPECT_EQ(folders, QStringList({QStringLiteral("TABLES")}));
}

TEST_F(TreeDoc, OpeningADatabaseTwiceAsksAndNoAddsNothing) {
    Groups({1});
    oLHXML = std::shared_ptr<cXML>(&doc, [](cXML*) {});
    auto structure = Document(StructureXml(QStringLiteral("db00")));  // same name as the connection, other case
    host->answers.enqueue(platform::ui::Answer::No);
    TreeDocument::AddFileConnection(doc, *structure);
    ASSERT_EQ(host->prompts.size(), 1);
    EXPECT_EQ(host->prompts[0].text, QStringLiteral("This database is already connected, do you want to connect again?"));
    EXPECT_EQ(host->prompts[0].icon, platform::ui::Icon::Question);
    EXPECT_EQ(host->prompts[0].buttons, platform::ui::Buttons::YesNo);
    EXPECT_EQ(host->prompts[0].title, QStringLiteral("Morvalex 4.0"));
    EXPECT_EQ(doc.GetNodes(QStringLiteral("//DATABASECONNECTION")).size(), 1);

    host->answers.enqueue(platform::ui::Answer::Yes);
    TreeDocument::AddFileConnection(doc, *structure);
    EXPECT_EQ(doc.GetNodes(QStringLiteral("//DATABASECONNECTION")).size(), 2);
    EXPECT_EQ(Attr(TreeDocument::ConnectionPath(0, 1), "Key"), QStringLiteral("db00|0|1"));
    oLHXML.reset();
}

TEST_F(TreeDoc, RenamingAGroupChangesItsNameAndKeyOnly) {
    Groups({0, 2});
    TreeDocument::RenameGroup(doc, 1, QStringLiteral("Renamed"));
    EXPECT_EQ(Attr(TreeDocument::GroupPath(1), "Name"), QStringLiteral("Renamed"));
    EXPECT_EQ(Attr(TreeDocument::GroupPath(1), "Key"), QStringLiteral("Renamed"));
    EXPECT_EQ(Attr(TreeDocument::GroupPath(1), "RHXPath"), QStringLiteral("2.1"));
    EXPECT_EQ(Attr(TreeDocument::ConnectionPath(1, 1), "Key"), QStringLiteral("Db11|1|1"));
    TreeDocument::RenameGroup(doc, 5, QStringLiteral("Nowhere"));  // no such group: nothing happens
    EXPECT_EQ(doc.GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP")).size(), 2);
}

TEST_F(TreeDoc, StructureInfoAndMissingAttributes) {
    auto structure = Document(StructureXml(QStringLiteral("Shop")));
    TreeDocument::FetchXMLDBInfo(*structure);
    EXPECT_EQ(gDatabaseType, 9);
    EXPECT_EQ(gServerName, QStringLiteral("C:/data/Shop.mdb"));
    EXPECT_EQ(gDatabaseName, QStringLiteral("Shop"));
    EXPECT_EQ(gDataSource, QStringLiteral("Shop"));

    auto other = Document(QStringLiteral("<OTHER/>"));
    TreeDocument::FetchXMLDBInfo(*other);  // no DATABASE element: nothing changes
    EXPECT_EQ(gDatabaseName, QStringLiteral("Shop"));

    // A structure document without a DatabaseName is an error and adds nothing.
    Groups({0});
    auto nameless = Document(QStringLiteral("<DATABASE DatabaseType=\"9\" ServerName=\"s\" CreatedOn=\"x\"/>"));
    EXPECT_THROW(TreeDocument::AddFileConnection(doc, *nameless), platform::RuntimeError);
    EXPECT_THROW(TreeDocument::FetchXMLDBInfo(*nameless), platform::RuntimeError);
    EXPECT_EQ(doc.GetNodes(QStringLiteral("//DATABASECONNECTION")).size(), 0);
}
