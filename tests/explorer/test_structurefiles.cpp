// Structure files (*.mxs), the refresh of a connection from its database or its file,
// the command line and the File menu, against real SQLite files and the PostgreSQL
// test server.

#include "support/TestSupport.h"
#include "ExplorerImport.h"
#include "core/FileUtil.h"
#include "explorer/HistoryFile.h"
#include "explorer/StructureFile.h"
#include "explorer/TreeDocument.h"
#include "support/SilentPort.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QTreeWidget>

using namespace bGlobal;

namespace {

const char* kShopSql = R"sql(
CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(80) NOT NULL);
CREATE TABLE orders (id INTEGER PRIMARY KEY, customer_id INTEGER REFERENCES customers(id));
CREATE TABLE old_notes (id INTEGER);
)sql";

struct StructureFiles : explorertest::WithImport {
    std::unique_ptr<testdb::SqliteFile> db;

    void ImportShop() {
        db = std::make_unique<testdb::SqliteFile>(QString::fromUtf8(kShopSql));
        Import(db->connectionString(), QStringLiteral("shop"));
    }

    // Marks that a save must keep: one table out of the report, one to migrate.
    static void ChangeMarks() {
        oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE[0]")).setAttribute(QStringLiteral("Report"), QStringLiteral("0"));
        oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE[1]")).setAttribute(QStringLiteral("Migrate"), QStringLiteral("1"));
    }

    // The refresh of the current connection from its database; checks that the tables
    // follow the database.
    void ExpectRefreshFollowsTheDatabase(const std::function<void(const QString&)>& exec) {
        ASSERT_EQ(Tables(), QStringList({QStringLiteral("customers"), QStringLiteral("old_notes"), QStringLiteral("orders")}));
        exec(QStringLiteral("CREATE TABLE added_later (x INTEGER); DROP TABLE old_notes;"));
        const qint16 c = gConnectionIndex;
        const QString oldCopy = Connection(c).attribute(QStringLiteral("TempXMLFileName"));
        ASSERT_TRUE(QFileInfo::exists(oldCopy));
        w->RefreshDatabaseConnection(false);
        EXPECT_FALSE(QFileInfo::exists(oldCopy));
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
        const QStringList expected = {QStringLiteral("added_later"), QStringLiteral("customers"), QStringLiteral("orders")};
        EXPECT_EQ(Tables(), expected);
        EXPECT_EQ(TreeTables(c), expected);
        EXPECT_EQ(gConnectionIndex, c);
        // One folder of each kind: the old ones were replaced, not added to.
        EXPECT_EQ(Connection(c).selectNodes(QStringLiteral("TABLES")).size(), 1);
        // The temporary copy holds the new structure.
        EXPECT_TRUE(ReadTextFile(Connection(c).attribute(QStringLiteral("TempXMLFileName"))).contains(QStringLiteral("added_later")));
    }
};

TEST_F(StructureFiles, SaveAsksOnceThenWritesTheSameFileAndOpenGivesTheSameDocument) {
    ImportShop();
    ChangeMarks();
    const QString file = folder.file(QStringLiteral("shop.mxs"));
    host->paths.enqueue(file);
    w->SaveStructure(false);
    EXPECT_EQ(SaveDialogs(), 1);
    ASSERT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(Connection(0).attribute(QStringLiteral("CurrentMXSFile")), file);
    // Enciphered whole: no markup in the file.
    EXPECT_FALSE(testsupport::ReadFile(file).contains(QStringLiteral("DATABASE")));

    // The second Save writes the same file without asking.
    oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE[2]")).setAttribute(QStringLiteral("Report"), QStringLiteral("0"));
    w->SaveStructure(false);
    EXPECT_EQ(SaveDialogs(), 1);
    const QString saved = oStructureXML->GetXMLContent();
    EXPECT_EQ(StructureFile::ReadText(file), saved);

    // Save As always asks, also with a file set.
    const QString other = folder.file(QStringLiteral("copy.mxs"));
    host->paths.enqueue(other);
    w->SaveStructure(true);
    EXPECT_EQ(SaveDialogs(), 2);
    EXPECT_EQ(Connection(0).attribute(QStringLiteral("CurrentMXSFile")), other);

    // Open: a new file connection whose document equals the saved one, marks included.
    gConnectionIndex = qint16(ConnectionCount());
    QString name = file;
    gDatabaseName.clear();
    host->answers.enqueue(platform::ui::Answer::Yes);  // connect again to "shop"
    w->OpenStructure(name);
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    ASSERT_EQ(ConnectionCount(), 2);
    EXPECT_EQ(oStructureXML->GetXMLContent(), saved);
    EXPECT_EQ(oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE[0]")).attribute(QStringLiteral("Report")), QStringLiteral("0"));
    EXPECT_EQ(oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE[1]")).attribute(QStringLiteral("Migrate")), QStringLiteral("1"));
    EXPECT_EQ(gStructureFilePath, file);
    const XmlNode opened = Connection(1);
    EXPECT_EQ(opened.attribute(QStringLiteral("CurrentMXSFile")), file);
    EXPECT_EQ(opened.attribute(QStringLiteral("SourceType")), QStringLiteral("FILE"));
    EXPECT_EQ(opened.attribute(QStringLiteral("XMLFile")), file);
    EXPECT_EQ(ReadTextFile(opened.attribute(QStringLiteral("TempXMLFileName"))), saved);
    EXPECT_EQ(TreeTables(1), Tables());
}

// What an import of a connection string of one's own adds to the structure document,
// an exact numeric column's scale and the kinds it did not read, comes back from its
// structure file.
TEST_F(StructureFiles, AStructureFileKeepsScalesAndTheKindsNotRead) {
    db = std::make_unique<testdb::SqliteFile>(QStringLiteral("CREATE TABLE prices (id INTEGER PRIMARY KEY, price NUMERIC(8,2));"));
    Import(db->connectionString(), QStringLiteral("till"));
    const QString file = folder.file(QStringLiteral("till.mxs"));
    host->paths.enqueue(file);
    w->SaveStructure(false);
    ASSERT_TRUE(QFileInfo::exists(file));

    gConnectionIndex = qint16(ConnectionCount());
    QString name = file;
    gDatabaseName.clear();
    host->answers.enqueue(platform::ui::Answer::Yes);
    w->OpenStructure(name);
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    ASSERT_EQ(ConnectionCount(), 2);
    EXPECT_EQ(gStructureFilePath, file);
    const XmlNode price = oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE/COLUMN[@Name $eq$ 'price']"));
    ASSERT_TRUE(price);
    EXPECT_EQ(price.attribute(QStringLiteral("Length")), QStringLiteral("8"));
    EXPECT_EQ(price.attribute(QStringLiteral("Scale")), QStringLiteral("2"));
    EXPECT_FALSE(oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE/COLUMN[@Name $eq$ 'id']")).hasAttribute(QStringLiteral("Scale")));
    EXPECT_EQ(oStructureXML->FindNode(QStringLiteral("DATABASE")).attribute(QStringLiteral("NotRead")),
              QStringLiteral("STOREDPROCEDURE TRIGGER"));
}

// What the engine records beyond the plain objects (partitioning, identity and
// generated columns, index predicates, methods, descending and included columns,
// deferrable keys) comes back from the structure file as the import wrote it.
void ExpectTheEnginesFactsComeBack(StructureFiles& t, const QString& connectionString, qsizetype atLeast) {
    static const char* const facts[] = {"Where", "Descending", "Include", "Method", "Identity", "Generated", "Storage",
                                        "Deferrable", "PartitionKey", "PartitionOf", "PartitionBound"};
    const auto written = [] {
        QStringList out;
        for (const char* path : {"DATABASE/TABLE", "DATABASE/TABLE/COLUMN", "DATABASE/TABLE/INDEX", "DATABASE/TABLE/FOREIGNKEY"})
            for (const XmlNode& node : oStructureXML->GetNodes(QLatin1String(path)))
                for (const char* fact : facts)
                    if (node.hasAttribute(QLatin1String(fact)))
                        out << node.attribute(QStringLiteral("Name")) + QLatin1Char('@') + QLatin1String(fact) + QLatin1Char('=') +
                                   node.attribute(QLatin1String(fact));
        return out;
    };
    t.Import(connectionString, QStringLiteral("facts"));
    const QStringList imported = written();
    EXPECT_GE(imported.size(), atLeast) << qPrintable(imported.join(QLatin1Char('\n')));
    const QString file = t.folder.file(QStringLiteral("facts.mxs"));
    t.host->paths.enqueue(file);
    t.w->SaveStructure(false);
    ASSERT_TRUE(QFileInfo::exists(file));
    gConnectionIndex = qint16(t.ConnectionCount());
    QString name = file;
    gDatabaseName.clear();
    t.host->answers.enqueue(platform::ui::Answer::Yes);
    t.w->OpenStructure(name);
    ASSERT_TRUE(t.errors.isEmpty()) << qPrintable(t.errors.join(QLatin1Char('\n')));
    EXPECT_EQ(gStructureFilePath, file);
    EXPECT_EQ(t.ConnectionCount(), 2);
    EXPECT_EQ(written(), imported);
}

QString FactsSql(const char* engine) {
    return ReadTextFile(QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/facts-%1.sql").arg(QLatin1String(engine)));
}

TEST_F(StructureFiles, AStructureFileKeepsTheEnginesFactsOfSqlite) {
    db = std::make_unique<testdb::SqliteFile>(FactsSql("sqlite"));
    ExpectTheEnginesFactsComeBack(*this, db->connectionString(), 8);
}

TEST_F(StructureFiles, AStructureFileKeepsTheEnginesFactsOfPostgres) {
    MORVALEX_REQUIRE_TEST_PG();
    const testdb::PgDatabase pg(FactsSql("postgresql"));
    ExpectTheEnginesFactsComeBack(*this, pg.connectionString(), 13);
}

TEST_F(StructureFiles, ANameTypedWithoutExtensionIsSavedAsAStructureFile) {
    ImportShop();
    const struct {
        const char* typed;
        const char* saved;
    } cases[] = {
        {"shopdb", "shopdb.mxs"},
        {"shop.mxs", "shop.mxs"},
        {"shop.backup", "shop.backup"},  // a name with an extension of its own keeps it
    };
    for (const auto& k : cases) {
        host->prompts.clear();
        host->paths.enqueue(folder.file(QLatin1String(k.typed)));
        w->SaveStructure(true);
        ASSERT_EQ(SaveDialogs(), 1) << k.typed;
        // The name box starts with the database's name, not a pattern.
        EXPECT_EQ(host->prompts[0].text.section(QLatin1Char('|'), -1), QStringLiteral("shop.mxs")) << k.typed;
        EXPECT_TRUE(QFileInfo(folder.file(QLatin1String(k.saved))).isFile()) << k.typed;
        EXPECT_EQ(Connection(0).attribute(QStringLiteral("CurrentMXSFile")), folder.file(QLatin1String(k.saved)));
    }
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("shopdb"))));
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
}

TEST_F(StructureFiles, RefusedFilesChangeNothing) {
    ImportShop();
    const QString good = folder.file(QStringLiteral("good.mxs"));
    StructureFile::Write(good, *oStructureXML);
    const QString cipher = testsupport::ReadFile(good);
    QString tampered = cipher;
    tampered[tampered.size() / 2] = tampered[tampered.size() / 2] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');

    const struct {
        const char* name;
        QString content;
    } cases[] = {
        {"truncated.mxs", cipher.left(cipher.size() / 2)},
        {"tampered.mxs", tampered},
        {"otherphrase.mxs", EncryptText(oStructureXML->GetXMLContent(), gPassPhrase4)},
        {"empty.mxs", QString()},
        {"plain.mxs", oStructureXML->GetXMLContent()},
        {"notastructure.mxs", EncryptText(QStringLiteral("<DATABASESTRUCTURES/>"), gPassPhrase3)},
        {"garbage.mxs", QStringLiteral("\x01\x02 not a cipher at all")},
        {"toodeep.mxs", EncryptText(QString(oStructureXML->GetXMLContent())
                                        .replace(QStringLiteral("</DATABASE>"), QStringLiteral("<X>").repeated(300) +
                                                                                    QStringLiteral("</X>").repeated(300) +
                                                                                    QStringLiteral("</DATABASE>")),
                                    gPassPhrase3)},
    };
    const std::shared_ptr<cXML> structure = oStructureXML;
    const QString tree = oLHXML->GetXMLContent();
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        const QString path = folder.file(QLatin1String(k.name));
        testsupport::WriteFile(path, k.content);
        gStructureFilePath = QStringLiteral("before");
        host->prompts.clear();
        QString name = path;
        w->OpenStructure(name);
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        EXPECT_EQ(host->messages(), QStringList({QStringLiteral("Invalid morvalex structure file")}));
        EXPECT_EQ(oStructureXML, structure);
        EXPECT_EQ(gStructureFilePath, QStringLiteral("before"));
        EXPECT_EQ(oLHXML->GetXMLContent(), tree);
    }
}

TEST_F(StructureFiles, SaveRefusesWithoutAStructureAndReportsAFailedWrite) {
    // Nothing imported: no structure document.
    oStructureXML.reset();
    w->SaveStructure(false);
    // A connection that has no folders.
    oStructureXML = explorertest::Document(explorertest::StructureXml(QStringLiteral("x")));
    gDatabaseName = QStringLiteral("empty");
    w->AddNewDBConnection(QStringLiteral("DSN=nothing"));
    w->SaveStructure(false);
    EXPECT_EQ(host->messages(), QStringList({QStringLiteral("Database is not connected, please connect and try again"),
                                             QStringLiteral("Click on a valid database structure and try to save.")}));
    EXPECT_EQ(SaveDialogs(), 0);

    // A folder that does not exist: the user is told, nothing is written and the
    // connection keeps no file name.
    host->prompts.clear();
    ImportShop();
    const QString file = folder.file(QStringLiteral("no/such/folder/shop.mxs"));
    host->paths.enqueue(file);
    w->SaveStructure(false);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages()[0].startsWith(QStringLiteral("The structure file could not be written"))) << qPrintable(host->messages()[0]);
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_EQ(Connection(ConnectionCount() - 1).attribute(QStringLiteral("CurrentMXSFile")).trimmed(), QString());

    // A cancelled dialog writes nothing and says nothing.
    host->prompts.clear();
    w->SaveStructure(true);
    EXPECT_TRUE(host->messages().isEmpty());
}

TEST_F(StructureFiles, AnOpenedFileAndARefreshAreInTheHistoryAtOnce) {
    // The names of the connections the history file holds, in order.
    const auto saved = [] {
        QStringList names;
        cXML history;
        history.LoadXMLContent(DecryptText(testsupport::ReadFile(HistoryFile::Path()), gPassPhrase4));
        for (const XmlNode& c : history.GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP/DATABASECONNECTION")))
            names << c.attribute(QStringLiteral("Name"));
        return names;
    };
    cXML stock;
    ASSERT_TRUE(stock.LoadXMLContent(explorertest::StructureXml(QStringLiteral("Stock"))));
    QString file = folder.file(QStringLiteral("stock.mxs"));
    StructureFile::Write(file, stock);
    w->OpenStructure(file);
    EXPECT_EQ(saved(), QStringList{QStringLiteral("Stock")});

    // A refresh from its file makes the connection the last of its group.
    ImportShop();
    gConnectionIndex = 0;
    w->RefreshDatabaseConnection(true);
    EXPECT_EQ(saved(), QStringList({QStringLiteral("shop"), QStringLiteral("Stock")}));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(StructureFiles, RefreshFollowsASqliteDatabase) {
    ImportShop();
    ExpectRefreshFollowsTheDatabase([&](const QString& sql) { db->exec(sql); });
}

TEST_F(StructureFiles, RefreshFollowsAPostgresDatabase) {
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase pg(QString::fromUtf8(kShopSql));
    Import(pg.connectionString(), QStringLiteral("shop"));
    ExpectRefreshFollowsTheDatabase([&](const QString& sql) { pg.exec(sql); });
}

TEST_F(StructureFiles, ARefreshWhoseDatabaseIsGoneKeepsTheDocumentedStructure) {
    ImportShop();
    const std::shared_ptr<cXML> structure = oStructureXML;
    const QString content = structure->GetXMLContent();
    const QString tree = oLHXML->GetXMLContent();
    QFile::remove(db->path());
    w->RefreshDatabaseConnection(false);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_EQ(host->messages().size(), 1);
    EXPECT_EQ(oStructureXML, structure);
    EXPECT_EQ(oStructureXML->GetXMLContent(), content);
    EXPECT_EQ(oLHXML->GetXMLContent(), tree);
    EXPECT_FALSE(w->pctAnimation->isVisible());
    EXPECT_TRUE(w->trvMain->isEnabled());
}

TEST_F(StructureFiles, TheWindowKeepsTurningWhileARefreshConnects) {
    // A server that takes the connection and never answers: the window's events keep
    // flowing while the refresh waits for it, and when the link is reset the refresh
    // fails like any other and keeps the documented structure.
    ImportShop();
    testsupport::SilentPort silent;
    ASSERT_GT(silent.port(), 0);
    const qint16 c = gConnectionIndex;
    Connection(c).setAttribute(
        QStringLiteral("ConnectionString"),
        QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=shop;UID=u;PWD=p").arg(silent.port()));
    const std::shared_ptr<cXML> structure = oStructureXML;
    const QString content = structure->GetXMLContent();
    testsupport::TimerTicks ticks;
    QTimer::singleShot(400, [&] { silent.close(); });
    w->RefreshDatabaseConnection(false);
    ticks.timer.stop();
    // About 20 on a quiet machine; a loaded one fires the timer late, a frozen loop not at all.
    EXPECT_GE(ticks.count, 5) << "the window's events stopped while the refresh connected";
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_EQ(host->messages().size(), 1);
    EXPECT_EQ(oStructureXML, structure);
    EXPECT_EQ(oStructureXML->GetXMLContent(), content);
    EXPECT_FALSE(w->pctAnimation->isVisible());
}

TEST_F(StructureFiles, RefreshOfAFileConnectionReadsPlainXmlOrAStructureFile) {
    // Two file connections before a third: a refreshed one moves to the end.
    const QString plain = folder.file(QStringLiteral("plain.xml"));
    const QString cipher = folder.file(QStringLiteral("cipher.XML"));
    testsupport::WriteFile(plain, explorertest::StructureXml(QStringLiteral("plaindb")));
    testsupport::WriteFile(cipher, EncryptText(explorertest::StructureXml(QStringLiteral("cipherdb")), gPassPhrase3));
    gGroupIndex = 0;
    for (const auto& [file, dbName] : {std::pair{plain, QStringLiteral("plaindb")}, std::pair{cipher, QStringLiteral("cipherdb")}}) {
        gStructureFilePath = file;
        gDatabaseName = dbName;
        oStructureXML = StructureFile::LoadSource(file);
        ASSERT_TRUE(oStructureXML) << qPrintable(file);
        gConnectionIndex = qint16(ConnectionCount());
        ASSERT_TRUE(w->GenerateLHXML());
    }
    w->PopulateLHXML();
    ASSERT_EQ(ConnectionCount(), 2);

    // The plain file changed on disk: a view was added.
    testsupport::WriteFile(plain, explorertest::StructureXml(QStringLiteral("plaindb"), {QStringLiteral("v_new")}));
    gConnectionIndex = 0;
    w->RefreshDatabaseConnection(true);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    EXPECT_EQ(Connection(0).attribute(QStringLiteral("Name")), QStringLiteral("cipherdb"));
    EXPECT_EQ(Connection(1).attribute(QStringLiteral("Name")), QStringLiteral("plaindb"));
    EXPECT_EQ(gConnectionIndex, 1);
    EXPECT_TRUE(oStructureXML->FindNode(QStringLiteral("DATABASE/VIEW[@Name $eq$ 'v_new']")));

    // ".XML" in capitals is a structure file: deciphered.
    gConnectionIndex = 0;
    w->RefreshDatabaseConnection(true);
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    EXPECT_EQ(Connection(1).attribute(QStringLiteral("Name")), QStringLiteral("cipherdb"));
    EXPECT_EQ(oStructureXML->FindNode(QStringLiteral("DATABASE")).attribute(QStringLiteral("Name")), QStringLiteral("cipherdb"));

    // A damaged file and a missing file leave the connection where and as it was.
    const QString tree = oLHXML->GetXMLContent();
    const std::shared_ptr<cXML> structure = oStructureXML;
    testsupport::WriteFile(cipher, QStringLiteral("damaged"));
    gConnectionIndex = 1;
    w->RefreshDatabaseConnection(true);
    QFile::remove(plain);
    gConnectionIndex = 0;
    w->RefreshDatabaseConnection(true);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_EQ(host->messages(), QStringList({QStringLiteral("Could not connect to database"),
                                             plain + QStringLiteral("\r\nFile not found, please check the path.")}));
    EXPECT_EQ(oLHXML->GetXMLContent(), tree);
    EXPECT_EQ(oStructureXML, structure);
}

TEST_F(StructureFiles, TheCommandLineOpensAStructureFileOrSaysWhy) {
    ImportShop();
    const QString file = folder.file(QStringLiteral("cli.mxs"));
    StructureFile::Write(file, *oStructureXML);
    QDir(folder.path()).mkdir(QStringLiteral("folder.mxs"));
    const QString missing = folder.file(QStringLiteral("missing.mxs"));
    const struct {
        QString commandLine;
        QString message;  // "" when none
        int connections;  // afterwards
    } cases[] = {
        {QString(), QString(), 1},
        {folder.file(QStringLiteral("shop.txt")), QStringLiteral("Please select a valid Morvalex file."), 1},
        {missing, missing + QStringLiteral(" does not exist."), 1},
        // Quotes are part of the name.
        {QLatin1Char('"') + file + QLatin1Char('"'), QLatin1Char('"') + file + QStringLiteral("\" does not exist."), 1},
        {folder.file(QStringLiteral("folder.mxs")), QStringLiteral("Please select a valid Morvalex file."), 1},
        {file, QString(), 2},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(qPrintable(k.commandLine));
        host->prompts.clear();
        host->answers.enqueue(platform::ui::Answer::Yes);  // connect again to "shop"
        frmDatabaseExplorer::CommandLine = k.commandLine;
        gConnectionIndex = qint16(ConnectionCount());
        w->HandleCLP();
        QStringList critical;
        for (const auto& p : host->prompts)
            if (p.kind == QLatin1String("message") && p.icon == platform::ui::Icon::Critical) critical << p.text;
        EXPECT_EQ(critical, k.message.isEmpty() ? QStringList() : QStringList(k.message));
        EXPECT_EQ(ConnectionCount(), k.connections);
        host->answers.clear();
    }
    frmDatabaseExplorer::CommandLine.clear();
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(StructureFiles, FileMenuOnATreeWithoutGroupsCreatesMorvalexGroupFirst) {
    oLHXML->RemoveXPath(QStringLiteral("/DATABASESTRUCTURES"), QStringLiteral("DATABASEGROUP[0]"));
    w->PopulateLHXML();
    ASSERT_EQ(w->trvMain->topLevelItem(0)->childCount(), 0);
    oStructureXML.reset();
    w->mnuSubFile_Click(1);
    ASSERT_EQ(w->trvMain->topLevelItem(0)->childCount(), 1);
    EXPECT_EQ(oLHXML->FindNode(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP[0]")).attribute(QStringLiteral("Name")),
              QStringLiteral("Morvalex Group"));
    EXPECT_EQ(host->messages(), QStringList({QStringLiteral("Database is not connected, please connect and try again")}));

    // Open asks for a file; a cancelled dialog does nothing.
    host->prompts.clear();
    w->mnuSubFile_Click(0);
    ASSERT_EQ(host->prompts.size(), 1);
    EXPECT_EQ(host->prompts[0].kind, QStringLiteral("open"));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

}  // namespace
