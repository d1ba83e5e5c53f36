// End-to-end imports through cADODB against real SQLite files and the PostgreSQL test
// server: as OTHERS through the schema-rowset fallbacks, and with catalogues of each
// engine's own SQL so that every reader's SQL path runs. The structure documents are
// compared with golden files (MORVALEX_UPDATE_GOLDEN=1 rewrites them).

#include "ado/support/TestDatabases.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/cADODB.h"
#include "support/FreezingProxy.h"
#include "support/ImportSupport.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace bGlobal;
using namespace importtest;

namespace {

struct Import : ImportTest {};

QString fixture(const char* name) { return QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/") + QLatin1String(name); }

}  // namespace

TEST_F(Import, SqliteAsOthersMatchesGolden) {
    const QString cs = SqliteDatabase(fixture("fixture-sqlite.sql"));
    ASSERT_TRUE(RunImport(cs, dbOthers, QStringLiteral("shop")));
    ExpectGolden(NormalizedStructure(), QStringLiteral("sqlite-others.golden"));
    ExpectGolden(NormalizedTree(), QStringLiteral("sqlite-others-tree.golden"));
}

TEST_F(Import, PostgresAsOthersMatchesGolden) {
    MORVALEX_REQUIRE_TEST_PG();
    const QString cs = PostgresDatabase(fixture("fixture-postgresql.sql"));
    ASSERT_TRUE(RunImport(cs, dbOthers, QStringLiteral("shop")));
    ExpectGolden(NormalizedStructure(), QStringLiteral("postgresql-others.golden"));
}

TEST_F(Import, EngineCataloguesRunEveryReadersSql) {
    const struct {
        const char* catalogue;
        const char* fixture;
        const char* golden;
        bool postgres;
    } engines[] = {{"catalogue-sqlite.xml", "fixture-sqlite.sql", "sqlite-catalogue.golden", false},
                   {"catalogue-postgresql.xml", "fixture-postgresql.sql", "postgresql-catalogue.golden", true}};
    for (const auto& e : engines) {
        if (e.postgres) MORVALEX_REQUIRE_TEST_PG();  // the SQLite half has run by then
        const QString cs = e.postgres ? PostgresDatabase(fixture(e.fixture)) : SqliteDatabase(fixture(e.fixture));
        ASSERT_TRUE(oQueriesXML->LoadXMLFile(fixture(e.catalogue)));
        NewTreeDocument();
        ASSERT_TRUE(RunImport(cs, dbSQLServer70, QStringLiteral("shop"))) << e.catalogue;
        ExpectGolden(NormalizedStructure(), QString::fromUtf8(e.golden));
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    }
}

TEST_F(Import, ConnectFailuresShowTheirMessageAndReturnFalse) {
    const QString check = QStringLiteral("Please check the server name and database name and try again.");
    const QString provider = QStringLiteral("Selected provider does not exist, please install required components and check again.");
    const struct {
        QString connectionString;
        QString message;
        // A word of the driver's own reason, shown below a failed connect's message.
        const char* reason;
        bool postgres;
    } cases[] = {
        {QStringLiteral("Driver=SQLite3;Database=%1;NoCreat=1").arg(folder.file(QStringLiteral("missing.db"))),
         QStringLiteral("File does not exist, please enter a valid file name"), nullptr, false},
        {QStringLiteral("Driver=SQLite3;Database=%1").arg(folder.file(QStringLiteral("mistyped.db"))),
         QStringLiteral("File does not exist, please enter a valid file name"), nullptr, false},
        {QStringLiteral("Provider=NoSuch.Provider.1;Data Source=x"), provider, nullptr, false},
        {QStringLiteral("Driver=No Such Driver;Database=x"), provider, nullptr, false},
        {PostgresWrongPassword(), QStringLiteral("Incorrect database login name and password, try again!"), nullptr, true},
        {testdb::PgConfigured() ? testdb::PgConnectionString(QStringLiteral("no_such_database")) : QString(), check,
         "no_such_database", true},
        // Nothing listens on port 9 of this machine: a dead server, not a typo.
        {QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=9;Database=shop;UID=u;PWD=p"), check, "9", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.connectionString.toStdString());
        if (c.postgres && !testdb::PgConfigured()) {
            // Reported once after the others ran.
            continue;
        }
        host->prompts.clear();
        cADODB reader;
        int events = 0;
        reader.WhileImporting = [&](QString&, QString&, QString&, qint16&, QString&, bool&) { ++events; };
        reader.SetConnection(c.connectionString);
        EXPECT_FALSE(reader.ADOConnect());
        ASSERT_EQ(host->messages().size(), 1);
        const QString shown = host->messages().first();
        if (c.reason) {
            ASSERT_TRUE(shown.startsWith(c.message + QStringLiteral("\r\n\r\n"))) << qPrintable(shown);
            const QString reason = shown.mid(c.message.size() + 4);
            EXPECT_FALSE(reason.contains(QLatin1Char('\n'))) << qPrintable(reason);
            EXPECT_TRUE(reason.contains(QLatin1String(c.reason))) << qPrintable(reason);
        } else {
            EXPECT_EQ(shown, c.message);
        }
        EXPECT_EQ(host->prompts.first().title, kAppTitle);
        gConnectionString = c.connectionString;
        EXPECT_FALSE(reader.GenerateXML());
        EXPECT_EQ(events, 0);
    }
    EXPECT_FALSE(gErrorOccurred);
    MORVALEX_REQUIRE_TEST_PG();
}

TEST_F(Import, CancelStopsAtTheNamedPoints) {
    const QString cs = SqliteDatabase(fixture("fixture-sqlite.sql"));
    // In the first event: no document is started.
    oStructureXML.reset();
    EXPECT_FALSE(RunImport(cs, dbOthers, QStringLiteral("shop"), [](const QString&, const QString& type, int n) {
        return type == QLatin1String("Database") && n == 1;
    }));
    EXPECT_FALSE(oStructureXML);

    // During the checks of the third table's third column: two whole tables, the third
    // table's element with the columns written before, none of its indexes, keys or
    // triggers, no views.
    NewTreeDocument();
    int tables = 0;
    EXPECT_FALSE(RunImport(cs, dbOthers, QStringLiteral("shop"), [&](const QString&, const QString& type, int) {
        if (type == QLatin1String("Table")) ++tables;
        return tables == 3 && type == QLatin1String("check constraints(s)") &&
               oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE[2]/COLUMN")).size() == 2;
    }));
    EXPECT_EQ(oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE")).size(), 3);
    EXPECT_EQ(oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE[2]/COLUMN")).size(), 2);
    EXPECT_TRUE(oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE[2]/*[name() != 'COLUMN']")).isEmpty());
    EXPECT_FALSE(oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE[1]/INDEX")).isEmpty());
    EXPECT_TRUE(oStructureXML->GetNodes(QStringLiteral("DATABASE/VIEW")).isEmpty());
}

TEST_F(Import, RootAttributesAndTreeEntriesFollowTheLocaleSymbol) {
    const QString cs = SqliteDatabase(fixture("fixture-sqlite.sql"));
    gDecimalSymbol = QStringLiteral(",");
    gGroupIndex = 0;
    gConnectionIndex = 1;
    ASSERT_TRUE(RunImport(cs, dbOthers, QStringLiteral("shop")));
    const XmlNode root = oStructureXML->FindNode(QStringLiteral("DATABASE"));
    QStringList names;
    for (const auto& [name, value] : root.attributes()) names << name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("Name"), QStringLiteral("DatabaseEngine"), QStringLiteral("DatabaseType"),
                                  QStringLiteral("DatabaseName"), QStringLiteral("ServerName"), QStringLiteral("Time"),
                                  QStringLiteral("CreatedOn"), QStringLiteral("ServerType"), QStringLiteral("CreatedBy"),
                                  QStringLiteral("NotRead")}));
    EXPECT_EQ(root.attribute(QStringLiteral("DatabaseEngine")), QStringLiteral("OTHERS"));
    EXPECT_EQ(root.attribute(QStringLiteral("DatabaseType")), QStringLiteral("12"));
    const QString connection = QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[1]");
    const XmlNode indexes = oLHXML->FindNode(connection + QStringLiteral("/TABLES/TABLE[@Name $eq$ 'orders']/INDEXES"));
    ASSERT_TRUE(indexes);
    const QString t = indexes.parentNode().attribute(QStringLiteral("Key")).section(QLatin1Char('|'), 3);
    EXPECT_EQ(indexes.parentNode().attribute(QStringLiteral("RHXPath")), QStringLiteral("DATABASE/TABLE[%1]").arg(t));
    EXPECT_EQ(indexes.attribute(QStringLiteral("RHXPath")), QStringLiteral("5,") + t);
    EXPECT_EQ(indexes.attribute(QStringLiteral("Key")), QStringLiteral("Indexes|0|1|") + t);
    EXPECT_EQ(indexes.childElements().size(), 2);
    EXPECT_EQ(indexes.childElements()[1].attribute(QStringLiteral("RHXPath")),
              QStringLiteral("DATABASE/TABLE[%1]/INDEX[1]").arg(t));
    EXPECT_EQ(oLHXML->FindNode(connection + QStringLiteral("/TABLES")).attribute(QStringLiteral("Key")), QStringLiteral("Tables|0|1"));
    // The connection at position 0 is untouched.
    EXPECT_FALSE(oLHXML->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[0]/TABLES")));
    gDecimalSymbol = QStringLiteral(".");
    gConnectionIndex = 0;
}

TEST_F(Import, StructureXmlFileIsLoadedAsItIs) {
    const QString path = folder.file(QStringLiteral("saved.xml"));
    testsupport::WriteFile(path, QStringLiteral("<DATABASE DatabaseName=\"kept\" Custom=\"1\"><TABLE Name=\"t\"/></DATABASE>"));
    gConnectionString = QStringLiteral("XML");
    gDataSource = path;
    cADODB reader;
    QStringList messages;
    reader.WhileImporting = [&](QString&, QString&, QString&, qint16&, QString& message, bool&) { messages << message; };
    EXPECT_TRUE(reader.GenerateXML());
    EXPECT_EQ(messages, (QStringList{QStringLiteral("Generating XML..."), QStringLiteral("XML generated...")}));
    EXPECT_EQ(oStructureXML->FindNode(QStringLiteral("DATABASE")).attribute(QStringLiteral("Custom")), QStringLiteral("1"));
}

TEST_F(Import, CatalogueEntryWithoutItsColumnEndsTheProgram) {
    const QString cs = SqliteDatabase(fixture("fixture-sqlite.sql"));
    ASSERT_TRUE(oQueriesXML->LoadXMLContent(QStringLiteral(
        "<QUERIES><DATABASE/><DATABASE/><DATABASE><TABLE><TYPE>SQL</TYPE><QUERY>select name from sqlite_master</QUERY>"
        "<CONDITION>type = 'table'</CONDITION><COLUMNLIST><COLUMN>x</COLUMN><COLUMN>name</COLUMN></COLUMNLIST></TABLE>"
        "</DATABASE></QUERIES>")));
    EXPECT_THROW(RunImport(cs, dbSQLServer70, QStringLiteral("shop")), platform::ui::ProgramEnded);
    EXPECT_TRUE(gErrorOccurred);
}

// Imports as OTHERS document each engine's objects as the engine describes them:
// same-named objects of different schemas kept apart (and named with their schema
// outside the default one), the engine's own type names, check clauses on their
// column, referential rules as declared, and "+" inside names and expressions kept.
TEST_F(Import, OthersImportKeepsSchemasTypesChecksRulesAndNames) {
    struct Expect {
        const char* path;
        const char* attribute;
        const char* value;
    };
    const struct {
        const char* fixture;
        const char* golden;
        bool postgres;
        const char* tables;
        std::vector<Expect> expects;
    } engines[] = {
        {"fidelity-postgresql.sql", "fidelity-postgresql.golden", true, "a.t b.t a+b c1 c2 t typed",
         {{"TABLE[@Name $eq$ 'a.t']/COLUMN", "Name", "id"},
          {"TABLE[@Name $eq$ 'b.t']/COLUMN[1]", "Name", "y"},
          {"TABLE[@Name $eq$ 'b.t']/INDEX", "Column_Name", "k"},
          {"TABLE[@Name $eq$ 't']/COLUMN[1]", "Name", "note"},
          {"TABLE[@Name $eq$ 'a.t']/FOREIGNKEY", "ForeignKeyTable", "b.t"},
          {"TABLE[@Name $eq$ 'a.t']/FOREIGNKEY", "PrimaryKeyTable", "a.t"},
          {"TABLE[@Name $eq$ 'a.t']/FOREIGNKEY", "DeleteRule", "RESTRICT"},
          {"TABLE[@Name $eq$ 'a.t']/FOREIGNKEY", "UpdateRule", "SET NULL"},
          {"VIEW[@Name $eq$ 'b.v']/COLUMN[1]", "SourceTable", "b.t"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'at']", "Datatype", "timestamptz"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'at_time']", "Datatype", "timetz"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'doc']", "Datatype", "xml"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'feeling']", "Datatype", "mood"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'shade']", "Datatype", "b.colour"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'label']", "Datatype", "short_text"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'label']", "Length", "20"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'tags']", "Datatype", "text[]"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'search']", "Datatype", "tsvector"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'qty']", "Check_Constraint", "(qty > 0)"},
          {"TABLE[@Name $eq$ 'typed']/COLUMN[@Name $eq$ 'lo']", "Check_Constraint", ""},
          {"TABLE[@Name $eq$ 'c1']/COLUMN", "Check_Constraint", "(v > 0)"},
          {"TABLE[@Name $eq$ 'c2']/COLUMN", "Check_Constraint", "(w > 1)"},
          {"TABLE[@Name $eq$ 'a+b']/COLUMN[@Name $eq$ '+c']", "Primary_Key", "a+b_pkey"},
          {"TABLE[@Name $eq$ 'a+b']/INDEX[@Name $eq$ 'a+b_pkey']", "Column_Name", "+c"},
          {"TABLE[@Name $eq$ 'a+b']/INDEX[@Name $eq$ 'i']", "Column_Name", "d+e"},
          {"TABLE[@Name $eq$ 'a+b']/INDEX[@Name $eq$ 'i_expr']", "Column_Name", "((r + 1))"}}},
        {"fidelity-sqlite.sql", "fidelity-sqlite.golden", false, "a+b c1 c2 child parent",
         {{"TABLE[@Name $eq$ 'child']/COLUMN[@Name $eq$ 'parent_id']", "Datatype", "int"},
          {"TABLE[@Name $eq$ 'child']/COLUMN[@Name $eq$ 'amount']", "Datatype", "double precision"},
          {"TABLE[@Name $eq$ 'child']/COLUMN[@Name $eq$ 'born']", "Datatype", "datetime"},
          {"TABLE[@Name $eq$ 'child']/COLUMN[@Name $eq$ 'amount']", "Check_Constraint", "(amount >= 0)"},
          {"TABLE[@Name $eq$ 'child']/COLUMN[@Name $eq$ 'lo']", "Check_Constraint", ""},
          {"TABLE[@Name $eq$ 'parent']/FOREIGNKEY", "DeleteRule", "RESTRICT"},
          {"TABLE[@Name $eq$ 'parent']/FOREIGNKEY", "UpdateRule", "SET NULL"},
          {"TABLE[@Name $eq$ 'c1']/COLUMN", "Check_Constraint", "(v > 0)"},
          {"TABLE[@Name $eq$ 'c2']/COLUMN", "Check_Constraint", "(w > 1)"},
          {"TABLE[@Name $eq$ 'a+b']/COLUMN[@Name $eq$ '+c']", "Primary_Key", "PK_a+b"},
          {"TABLE[@Name $eq$ 'a+b']/INDEX[@Name $eq$ 'i']", "Column_Name", "d+e"},
          {"TABLE[@Name $eq$ 'a+b']/INDEX[@Name $eq$ 'i_expr']", "Column_Name", "r + 1"}}},
    };
    for (const auto& e : engines) {
        SCOPED_TRACE(e.fixture);
        if (e.postgres) MORVALEX_REQUIRE_TEST_PG();  // the SQLite half has run by then
        const QString cs = e.postgres ? PostgresDatabase(fixture(e.fixture)) : SqliteDatabase(fixture(e.fixture));
        NewTreeDocument();
        ASSERT_TRUE(RunImport(cs, dbOthers, QStringLiteral("fidelity")));
        QStringList tables;
        for (const XmlNode& table : oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE")))
            tables << table.attribute(QStringLiteral("Name"));
        EXPECT_EQ(tables.join(QLatin1Char(' ')), QString::fromUtf8(e.tables));
        for (const Expect& x : e.expects) {
            const XmlNode node = oStructureXML->FindNode(QStringLiteral("DATABASE/") + QString::fromUtf8(x.path));
            ASSERT_TRUE(node) << x.path;
            EXPECT_EQ(node.attribute(QString::fromUtf8(x.attribute)).toStdString(), x.value) << x.path << " @" << x.attribute;
        }
        ExpectGolden(NormalizedStructure(), QString::fromUtf8(e.golden));
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    }
}

// An exact numeric column keeps its scale beside its precision (Length); other
// columns, and a numeric column declared without precision, get no Scale.
TEST_F(Import, ExactNumericColumnsKeepTheirScale) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString sql = dir.filePath(QStringLiteral("money.sql"));
    testsupport::WriteFile(sql, QStringLiteral("CREATE TABLE prices (id INTEGER PRIMARY KEY, price NUMERIC(8,2), rate DECIMAL(12,4),"
                                               " whole NUMERIC(9), free NUMERIC, ratio REAL, label VARCHAR(20));\n"));
    const struct {
        const char* column;
        const char* length;
        const char* scale;  // nullptr: no Scale attribute
    } columns[] = {{"id", "10", nullptr},   {"price", "8", "2"}, {"rate", "12", "4"}, {"whole", "9", "0"},
                   {"free", "0", nullptr},  {"ratio", nullptr, nullptr}, {"label", "20", nullptr}};
    for (const bool postgres : {false, true}) {
        SCOPED_TRACE(postgres ? "PostgreSQL" : "SQLite");
        if (postgres) MORVALEX_REQUIRE_TEST_PG();  // the SQLite half has run by then
        NewTreeDocument();
        ASSERT_TRUE(RunImport(postgres ? PostgresDatabase(sql) : SqliteDatabase(sql), dbOthers, QStringLiteral("money")));
        for (const auto& c : columns) {
            SCOPED_TRACE(c.column);
            const XmlNode column =
                oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE/COLUMN[@Name $eq$ '%1']").arg(QLatin1String(c.column)));
            ASSERT_TRUE(column);
            if (c.length) {
                EXPECT_EQ(column.attribute(QStringLiteral("Length")), QLatin1String(c.length));
            }
            EXPECT_EQ(column.hasAttribute(QStringLiteral("Scale")), c.scale != nullptr);
            EXPECT_EQ(column.attribute(QStringLiteral("Scale")), QLatin1String(c.scale ? c.scale : ""));
        }
    }
}

// The structure document names the kinds its import did not read, and only those: a
// connection string of one's own reads no procedures and triggers, a catalogue with
// every command reads every kind.
TEST_F(Import, TheDocumentNamesTheKindsNotRead) {
    const QString cs = SqliteDatabase(fixture("fixture-sqlite.sql"));
    ASSERT_TRUE(RunImport(cs, dbOthers, QStringLiteral("shop")));
    const XmlNode root = oStructureXML->FindNode(QStringLiteral("DATABASE"));
    EXPECT_EQ(root.attribute(QStringLiteral("NotRead")), QStringLiteral("STOREDPROCEDURE TRIGGER"));

    ASSERT_TRUE(oQueriesXML->LoadXMLFile(fixture("catalogue-sqlite.xml")));
    NewTreeDocument();
    ASSERT_TRUE(RunImport(cs, dbSQLServer70, QStringLiteral("shop")));
    EXPECT_FALSE(oStructureXML->FindNode(QStringLiteral("DATABASE")).hasAttribute(QStringLiteral("NotRead")));
}

// Names go into the tree's keys as the database spells them, "%1" and all, and the
// folders and items of every table hang under that table's own entry.
TEST_F(Import, TreeKeysHoldNamesAsTheyStand) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString sql = dir.filePath(QStringLiteral("percent.sql"));
    {
        QFile f(sql);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("CREATE TABLE \"p%1q%2\" (id INTEGER PRIMARY KEY, v INTEGER);\n"
                "CREATE INDEX \"i%1\" ON \"p%1q%2\" (v);\n"
                "CREATE TABLE \"r%2\" (id INTEGER PRIMARY KEY, p INTEGER REFERENCES \"p%1q%2\"(id));\n"
                "CREATE INDEX \"j%2\" ON \"r%2\" (p);\n"
                "CREATE VIEW \"w%3\" AS SELECT v FROM \"p%1q%2\";\n");
    }
    gGroupIndex = 0;
    gConnectionIndex = 1;
    ASSERT_TRUE(RunImport(SqliteDatabase(sql), dbOthers, QStringLiteral("percent")));
    const QString connection = QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[1]");
    const struct {
        const char* path;
        const char* key;
    } cases[] = {
        {"/TABLES/TABLE[0]", "p%1q%2|0|1|0"},
        {"/TABLES/TABLE[0]/INDEXES/INDEX[@Name $eq$ 'i%1']", "i%1|0|1|0|%"},
        {"/TABLES/TABLE[1]", "r%2|0|1|1"},
        {"/TABLES/TABLE[1]/INDEXES/INDEX[@Name $eq$ 'j%2']", "j%2|0|1|1|%"},
        {"/TABLES/TABLE[0]/FOREIGNKEYS/FOREIGNKEY", "|0|1|0|0"},  // listed with the referenced table
        {"/VIEWS/VIEW", "w%3|0|1|0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const XmlNode node = oLHXML->FindNode(connection + QString::fromUtf8(c.path));
        ASSERT_TRUE(node);
        const QString key = node.attribute(QStringLiteral("Key")), expected = QString::fromUtf8(c.key);
        // "%" at the end stands for the item's place in its folder; "|" at the start
        // for a name the engine makes up.
        if (expected.endsWith(QLatin1Char('%')))
            EXPECT_TRUE(key.startsWith(expected.chopped(1))) << key.toStdString();
        else if (expected.startsWith(QLatin1Char('|')))
            EXPECT_TRUE(key.endsWith(expected)) << key.toStdString();
        else
            EXPECT_EQ(key.toStdString(), expected.toStdString());
    }
    gConnectionIndex = 0;
}

// An import through a local proxy that stops relaying mid-import, as a server or
// network that stops answering does: the window's event loop keeps running while the
// catalogue statement waits, the cancel request is seen, and the import ends cancelled
// within a second or so while the link stays open and silent, with no error shown.
// When the whole server hangs, the cancel request itself gets no answer either.
// Another connection to the same server stays usable.
TEST_F(Import, ImportThroughAStoppedLinkKeepsTheWindowAliveAndEndsCancelled) {
    MORVALEX_REQUIRE_TEST_PG();
    const testdb::PgServer server = testdb::PgServerFacts();
    const QString direct = PostgresDatabase(QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/fixture-postgresql.sql"));
    platform::ado::Connection other;
    other.Open(direct);
    for (const bool wholeServer : {false, true}) {
        SCOPED_TRACE(wholeServer ? "the server stops" : "the link stops");
        FreezingProxy proxy(server.port);
        ASSERT_GT(proxy.port(), 0) << "no local port for the proxy";
        QString cs = direct;
        cs.replace(QStringLiteral("Port=%1").arg(server.port), QStringLiteral("Port=%1").arg(proxy.port()));
        ASSERT_NE(cs, direct);

        gDatabaseType = dbOthers;
        gDatabaseName = QStringLiteral("shop");
        gServerName = QStringLiteral("server");
        gConnectionString = cs;
        cADODB reader;
        QElapsedTimer clock;
        clock.start();
        qint64 frozenAt = -1, cancelAt = -1;
        QStringList statuses;
        reader.WhileImporting = [&](QString&, QString&, QString& status, qint16&, QString&, bool&) {
            statuses << status;
            if (frozenAt < 0) {
                // The next catalogue statement goes nowhere.
                if (wholeServer) proxy.freezeAll();
                else proxy.freeze();
                frozenAt = clock.elapsed();
            }
        };
        // The user presses Cancel 300 ms after the link stopped.
        reader.CancelRequested = [&] {
            if (cancelAt < 0 && frozenAt >= 0 && clock.elapsed() - frozenAt >= 300) cancelAt = clock.elapsed();
            return cancelAt >= 0;
        };
        int ticksWhileFrozen = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (frozenAt >= 0) ++ticksWhileFrozen;
            // Should the cancel not end the wait, closing the link ends it, so the test
            // fails instead of hanging.
            if (cancelAt >= 0 && clock.elapsed() - cancelAt >= 5000) proxy.dropFrozen();
        });
        tick.start(20);
        reader.SetConnection(cs);
        ASSERT_TRUE(reader.ADOConnect());
        EXPECT_FALSE(reader.GenerateXML());
        const qint64 endedAt = clock.elapsed();
        ASSERT_GE(frozenAt, 0);
        ASSERT_GE(cancelAt, 0);
        // Ended by the cancel: no error was shown (checked below) and the import never
        // reported itself done.
        EXPECT_FALSE(statuses.contains(QStringLiteral("Imported"))) << qPrintable(statuses.join(QLatin1Char(',')));
        EXPECT_GE(ticksWhileFrozen, 15) << "the event loop did not run while the statement waited";
        EXPECT_LT(endedAt - cancelAt, 1500);
        EXPECT_GE(proxy.frozenLinks(), 1) << "the link was closed: the wait did not end by the cancel";
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
        EXPECT_EQ(reader.Connection().State(), platform::ado::adStateClosed);
        EXPECT_EQ(other.Execute(QStringLiteral("SELECT 1"))->Fields(0).toInt(), 1);
        std::printf("%s: frozen at %lld ms, cancel at %lld ms, import ended at %lld ms\n",
                    wholeServer ? "server" : "link", frozenAt, cancelAt, endedAt);
    }
}

// What the engine records beyond the plain objects is documented as the engine's own
// catalogue says it: a partial index's predicate, descending and included columns and
// a method other than btree, identity and generated columns, deferrable keys,
// partitions; where the engine has schemas a name part holding a dot is quoted so
// that it names one object (SQLite has none: its names stay as they are). A fact
// the object does not have leaves its attribute out.
TEST_F(Import, EngineFactsAreDocumentedAsTheCatalogueHasThem) {
    struct Fact {
        const char* path;
        const char* attribute;
        const char* value;      // nullptr: the attribute is absent
        const char* catalogue;  // a query whose one value is the expected one, or nullptr
    };
    const struct {
        const char* fixture;
        bool postgres;
        const char* tables;
        std::vector<Fact> facts;
    } engines[] = {
        {"facts-sqlite.sql", false, "events notes x.y",
         {{"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_clean']", "Where", "contains_url = 1 AND outlier = 0",
           "SELECT trim(substr(sql, instr(sql, 'WHERE') + 5)) FROM sqlite_master WHERE name = 'events_clean'"},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_order']", "Where", nullptr, nullptr},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_order']", "Descending", "pid",
           "SELECT group_concat(name) FROM pragma_index_xinfo('events_order') WHERE \"desc\" = 1 AND \"key\" = 1"},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_order']", "Method", nullptr, nullptr},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'doubled']", "Generated", "pid * 2", nullptr},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'doubled']", "Storage", "STORED",
           "SELECT CASE hidden WHEN 3 THEN 'STORED' WHEN 2 THEN 'VIRTUAL' END FROM pragma_table_xinfo('events') "
           "WHERE name = 'doubled'"},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'half']", "Generated", "pid / 2", nullptr},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'half']", "Storage", "VIRTUAL",
           "SELECT CASE hidden WHEN 3 THEN 'STORED' WHEN 2 THEN 'VIRTUAL' END FROM pragma_table_xinfo('events') "
           "WHERE name = 'half'"},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'pid']", "Storage", nullptr, nullptr},
          {"TABLE[@Name $eq$ 'events']/FOREIGNKEY[@Name $eq$ 'notes_event']", "Deferrable", "INITIALLY DEFERRED", nullptr},
          {"TABLE[@Name $eq$ 'events']/FOREIGNKEY[@Name $eq$ 'notes_other']", "Deferrable", "INITIALLY IMMEDIATE", nullptr},
          {"TABLE[@Name $eq$ 'events']/FOREIGNKEY[@Name $eq$ 'notes_plain']", "Deferrable", nullptr, nullptr}}},
        {"facts-postgresql.sql", true, "events journal journal_2026 notes \"s.dot.t.dot\" \"s.dot\".\"t.dot\"",
         {{"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_clean']", "Where", "((contains_url = true) AND (outlier = false))",
           "SELECT pg_get_expr(indpred, indrelid) FROM pg_index WHERE indexrelid = 'events_clean'::regclass"},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_clean']", "Description", "Unique", nullptr},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_order']", "Where", nullptr, nullptr},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_order']", "Column_Name", "pid,id", nullptr},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_order']", "Descending", "pid",
           "SELECT string_agg(a.attname, ',' ORDER BY k.ord) FROM pg_index i, "
           "unnest(i.indkey::int2[], i.indoption::int2[]) WITH ORDINALITY AS k(att, opt, ord) "
           "JOIN pg_attribute a ON a.attnum = k.att WHERE a.attrelid = i.indrelid AND k.opt & 1 = 1 "
           "AND i.indexrelid = 'events_order'::regclass"},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_order']", "Include", "pcode",
           "SELECT substring(pg_get_indexdef('events_order'::regclass) FROM 'INCLUDE \\((.*)\\)')"},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_order']", "Method", nullptr, nullptr},
          {"TABLE[@Name $eq$ 'events']/INDEX[@Name $eq$ 'events_tags']", "Method", "gin",
           "SELECT am.amname FROM pg_class c JOIN pg_am am ON am.oid = c.relam WHERE c.oid = 'events_tags'::regclass"},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'id']", "Identity", "ALWAYS",
           "SELECT identity_generation FROM information_schema.columns WHERE table_name = 'events' AND column_name = 'id'"},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'seq']", "Identity", "BY DEFAULT",
           "SELECT identity_generation FROM information_schema.columns WHERE table_name = 'events' AND column_name = 'seq'"},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'counter']", "Identity", nullptr, nullptr},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'counter']", "Column_Default", "nextval('events_counter_seq'::regclass)",
           "SELECT column_default FROM information_schema.columns WHERE table_name = 'events' AND column_name = 'counter'"},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'doubled']", "Generated", "(pid * 2)",
           "SELECT generation_expression FROM information_schema.columns WHERE table_name = 'events' AND column_name = 'doubled'"},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'doubled']", "Storage", "STORED", nullptr},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'doubled']", "Column_Default", "", nullptr},
          {"TABLE[@Name $eq$ 'events']/COLUMN[@Name $eq$ 'pid']", "Generated", nullptr, nullptr},
          {"TABLE[@Name $eq$ 'events']/FOREIGNKEY[@Name $eq$ 'notes_event']", "Deferrable", "INITIALLY DEFERRED",
           "SELECT CASE initially_deferred WHEN 'YES' THEN 'INITIALLY DEFERRED' ELSE 'INITIALLY IMMEDIATE' END "
           "FROM information_schema.table_constraints WHERE constraint_name = 'notes_event' AND is_deferrable = 'YES'"},
          {"TABLE[@Name $eq$ 'events']/FOREIGNKEY[@Name $eq$ 'notes_other']", "Deferrable", "INITIALLY IMMEDIATE",
           "SELECT CASE initially_deferred WHEN 'YES' THEN 'INITIALLY DEFERRED' ELSE 'INITIALLY IMMEDIATE' END "
           "FROM information_schema.table_constraints WHERE constraint_name = 'notes_other' AND is_deferrable = 'YES'"},
          {"TABLE[@Name $eq$ 'events']/FOREIGNKEY[@Name $eq$ 'notes_plain']", "Deferrable", nullptr, nullptr},
          {"TABLE[@Name $eq$ 'journal']", "PartitionKey", "RANGE (journal_timestamp)",
           "SELECT pg_get_partkeydef('journal'::regclass)"},
          {"TABLE[@Name $eq$ 'journal_2026']", "PartitionOf", "journal",
           "SELECT inhparent::regclass::text FROM pg_inherits WHERE inhrelid = 'journal_2026'::regclass"},
          {"TABLE[@Name $eq$ 'journal_2026']", "PartitionBound",
           "FOR VALUES FROM ('2026-01-01 00:00:00') TO ('2027-01-01 00:00:00')",
           "SELECT pg_get_expr(relpartbound, oid) FROM pg_class WHERE oid = 'journal_2026'::regclass"},
          {"TABLE[@Name $eq$ 'journal_2026']", "PartitionKey", nullptr, nullptr},
          {"TABLE[@Name $eq$ 'events']", "PartitionOf", nullptr, nullptr}}},
    };
    for (const auto& e : engines) {
        SCOPED_TRACE(e.fixture);
        if (e.postgres) MORVALEX_REQUIRE_TEST_PG();  // the SQLite half has run by then
        const QString cs = e.postgres ? PostgresDatabase(fixture(e.fixture)) : SqliteDatabase(fixture(e.fixture));
        NewTreeDocument();
        ASSERT_TRUE(RunImport(cs, dbOthers, QStringLiteral("facts")));
        QStringList tables;
        for (const XmlNode& table : oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE")))
            tables << table.attribute(QStringLiteral("Name"));
        EXPECT_EQ(tables.join(QLatin1Char(' ')), QString::fromUtf8(e.tables));
        platform::ado::Connection engine;
        engine.ConnectionString = cs;
        engine.Open();
        for (const Fact& f : e.facts) {
            SCOPED_TRACE(std::string(f.path) + " @" + f.attribute);
            const XmlNode node = oStructureXML->FindNode(QStringLiteral("DATABASE/") + QString::fromUtf8(f.path));
            ASSERT_TRUE(node);
            const QString attribute = QString::fromUtf8(f.attribute);
            EXPECT_EQ(node.hasAttribute(attribute), f.value != nullptr);
            if (!f.value) continue;
            EXPECT_EQ(node.attribute(attribute).toStdString(), f.value);
            if (f.catalogue) {
                const platform::ado::RecordsetPtr rs = engine.Execute(QString::fromUtf8(f.catalogue));
                ASSERT_FALSE(rs->IsEOF());
                EXPECT_EQ(rs->Fields(0).toString().toStdString(), f.value) << "the engine's catalogue";
            }
        }
        engine.Close();
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    }
}

// A database that fails while its structure is read (its file damaged under the
// import): the import ends with the driver's reason in one message, and the program
// goes on.
TEST_F(Import, ADatabaseThatFailsDuringTheImportIsToldOnceAndEndsNothing) {
    const QString cs = SqliteDatabase(fixture("fixture-sqlite.sql"));
    const QString file = cs.section(QStringLiteral("Database="), 1).section(QLatin1Char(';'), 0, 0);
    ASSERT_TRUE(QFile::exists(file)) << qPrintable(file);
    host->prompts.clear();
    bool damaged = false;
    bool imported = true;
    EXPECT_NO_THROW(imported = RunImport(cs, dbOthers, QStringLiteral("shop"), [&](const QString&, const QString&, int) {
        if (!damaged) {
            QFile f(file);
            damaged = f.open(QIODevice::ReadWrite) && f.write(QByteArray(4096, 'x')) == 4096;
        }
        return false;
    }));
    ASSERT_TRUE(damaged);
    EXPECT_FALSE(imported);
    EXPECT_EQ(host->messages().size(), 1) << qPrintable(host->messages().join(QLatin1Char('\n')));
    EXPECT_EQ(host->endedWith, -1);
    EXPECT_FALSE(gErrorOccurred);
}
