// End to end: the import fixture's SQLite database, documented through a connection
// string of its own, migrated to the PostgreSQL test server through the SQL Server 6.5
// dialect (the test map names PostgreSQL types for it), then read back from
// PostgreSQL's catalogue.

#include "MigrationSupport.h"

#include "ado/support/TestDatabases.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "migration/MigrationSession.h"
#include "migration/cMigrate.h"
#include "support/ImportSupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace bGlobal;
using namespace migrationtest;

namespace {

// Rows of a query on the target as "a|b|c" texts, in the query's order.
QStringList Rows(const QString& connectionString, const QString& sql) {
    platform::ado::Connection connection;
    connection.Open(connectionString);
    QStringList rows;
    auto rs = connection.Execute(sql);
    for (; !rs->IsEOF(); rs->MoveNext()) {
        QStringList fields;
        for (int i = 0; i < rs->FieldCount(); ++i) fields << rs->Fields(i).toString();
        rows << fields.join(QLatin1Char('|'));
    }
    return rows;
}

struct MigrateToPostgres : MigrationTest {
    QString target;
    std::unique_ptr<testdb::PgDatabase> database;

    void SetUp() override {
        MigrationTest::SetUp();
        if (!testdb::PgConfigured()) return;
        importtest::NewTreeDocument();
        gGroupIndex = 0;
        gConnectionIndex = 0;
        const QString source = importtest::SqliteDatabase(QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/fixture-sqlite.sql"));
        ASSERT_TRUE(importtest::RunImport(source, dbOthers, QStringLiteral("shop")));
    }
    void TearDown() override {
        database.reset();
        importtest::DropDatabases();
        MigrationTest::TearDown();
    }
    void NewTarget(const QString& sql = QString()) {
        database = std::make_unique<testdb::PgDatabase>(sql);
        target = database->connectionString();
    }
    void Migrate(MigrationSession& session, cMigrate& generator, const QStringList& paths, const QStringList& names) {
        session.MarkObjects(*oStructureXML, paths, names);
        session.Run(generator, target, oStructureXML->GetXMLContent(), dbSQLServer65, MigrationSession::SourceKey(dbOthers),
                    QStringLiteral("SQL Server 6.5"), {});
    }
};

TEST_F(MigrateToPostgres, TablesKeysIndexesAndForeignKeysArrive) {
    MORVALEX_REQUIRE_TEST_PG();
    NewTarget();
    QStringList paths, names;
    MigrationSession::AllObjects(*oStructureXML, paths, names);
    MigrationSession session;
    cMigrate generator;
    Migrate(session, generator, paths, names);
    EXPECT_EQ(session.Errors(), QString());
    EXPECT_EQ(session.ResultLine(), QStringLiteral("Database objects selected have been migrated successfully."));
    EXPECT_EQ(session.MigratedObjects(), names);

    EXPECT_EQ(Rows(target, QStringLiteral("SELECT table_name, column_name, data_type, coalesce(character_maximum_length, 0), is_nullable "
                                          "FROM information_schema.columns WHERE table_schema = 'public' "
                                          "ORDER BY table_name COLLATE \"C\", ordinal_position")),
              (QStringList{
                  QStringLiteral("O'Brien|x|integer|0|YES"),
                  QStringLiteral("customers|id|integer|0|NO"),
                  QStringLiteral("customers|name|character varying|80|NO"),
                  QStringLiteral("customers|email|character varying|120|YES"),
                  QStringLiteral("customers|credit|numeric|0|YES"),
                  QStringLiteral("order_lines|customer_id|integer|0|NO"),
                  QStringLiteral("order_lines|order_no|integer|0|NO"),
                  QStringLiteral("order_lines|line_no|integer|0|NO"),
                  QStringLiteral("order_lines|qty|integer|0|NO"),
                  QStringLiteral("orders|customer_id|integer|0|NO"),
                  QStringLiteral("orders|order_no|integer|0|NO"),
                  QStringLiteral("orders|placed|date|0|YES"),
                  QStringLiteral("orders|note|text|0|YES"),
              }));
    // Keys, indexes and foreign keys, their generated names aside.
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT c.conrelid::regclass::text, c.contype, pg_get_constraintdef(c.oid) FROM pg_constraint c "
                                          "JOIN pg_namespace n ON n.oid = c.connamespace WHERE n.nspname = 'public' "
                                          "ORDER BY c.conrelid::regclass::text COLLATE \"C\", 2, 3")),
              (QStringList{
                  QStringLiteral("customers|p|PRIMARY KEY (id)"),
                  QStringLiteral("order_lines|f|FOREIGN KEY (customer_id, order_no) REFERENCES orders(customer_id, order_no)"),
                  QStringLiteral("order_lines|p|PRIMARY KEY (customer_id, order_no, line_no)"),
                  QStringLiteral("orders|f|FOREIGN KEY (customer_id) REFERENCES customers(id)"),
                  QStringLiteral("orders|p|PRIMARY KEY (customer_id, order_no)"),
              }));
    QStringList indexes;
    static const QRegularExpression columns(QStringLiteral("USING btree \\((.*)\\)$"));
    for (const QString& row : Rows(target, QStringLiteral("SELECT t.relname, i.indisunique::int, pg_get_indexdef(i.indexrelid) FROM pg_index i "
                                                          "JOIN pg_class t ON t.oid = i.indrelid JOIN pg_namespace n ON n.oid = t.relnamespace "
                                                          "WHERE n.nspname = 'public' AND NOT i.indisprimary ORDER BY t.relname::text COLLATE \"C\""))) {
        const QStringList f = row.split(QLatin1Char('|'));
        indexes << f[0] + QLatin1Char('|') + f[1] + QLatin1Char('|') + columns.match(f[2]).captured(1);
    }
    EXPECT_EQ(indexes, (QStringList{QStringLiteral("customers|1|name, email"), QStringLiteral("orders|0|placed")}));
    // The script is what ran, one statement per separator.
    EXPECT_EQ(Statements(generator.AllQueries()).size(), 4 + 5 + 2);
}

// A table that is there already: its statement is reported with its text, it leaves
// the list of created objects, and the rest goes on. A type the map lacks names the
// table and column.
TEST_F(MigrateToPostgres, RejectedStatementsAreLogged) {
    MORVALEX_REQUIRE_TEST_PG();
    NewTarget(QStringLiteral("CREATE TABLE orders (x integer);"));
    WriteDataTypeMap(QString::fromUtf8(kTestMap).remove(QRegularExpression(QStringLiteral("<OTHERS>text</OTHERS>"))));
    QStringList paths, names;
    MigrationSession::AllObjects(*oStructureXML, paths, names);
    MigrationSession session;
    cMigrate generator;
    Migrate(session, generator, paths, names);
    const QString log = session.Errors();
    EXPECT_TRUE(log.contains(QStringLiteral("orders.note failed to copy\r\nError Description: Datatype couldnot be matched\r\n"
                                            "Source Database: OTHERS\r\nTarget Database: SQLSERVER65\r\nSource Datatype: text")))
        << qPrintable(log);
    EXPECT_TRUE(log.contains(QStringLiteral("orders failed to copy\r\nError Description: ")));
    EXPECT_TRUE(log.contains(QStringLiteral("\r\nQuery Failed: Create Table orders(customer_id integer,order_no integer,placed date,note )")))
        << qPrintable(log);
    EXPECT_FALSE(session.MigratedObjects().contains(QStringLiteral("orders")));
    EXPECT_TRUE(session.MigratedObjects().contains(QStringLiteral("customers")));
    EXPECT_TRUE(session.MigratedObjects().contains(QStringLiteral("order_lines")));
    EXPECT_EQ(session.ResultLine(), QStringLiteral("Database objects transferred with errors."));
    EXPECT_TRUE(generator.AllQueries().contains(QStringLiteral("Create Table orders(")));
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = 'public'")),
              QStringList{QStringLiteral("4")});
}

// Names with blanks, quotes, "]", a statement's punctuation and letters outside ASCII
// arrive exactly as they are written.
TEST_F(MigrateToPostgres, NamesArriveAsWritten) {
    MORVALEX_REQUIRE_TEST_PG();
    NewTarget();
    MigrationSession session;
    cMigrate generator;
    const QString structure = QStringLiteral(
        "<DATABASE Name=\"d\"><TABLE Name=\"Or&quot;der]s; drop table x\" Migrate=\"1\">"
        "<COLUMN Name=\"Straße\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"pk\"/>"
        "<COLUMN Name=\"line no\" Datatype=\"varchar\" Length=\"5\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<INDEX Name=\"u\" Column_Name=\"line no,Straße\" Description=\"Unique\" Table_Name=\"Or&quot;der]s; drop table x\" Migrate=\"1\"/>"
        "</TABLE></DATABASE>");
    session.Run(generator, target, structure, dbSQLServer65, QStringLiteral("OTHERS"), QStringLiteral("SQL Server 6.5"), {});
    EXPECT_EQ(session.Errors(), QString());
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT table_name, column_name, is_nullable FROM information_schema.columns "
                                          "WHERE table_schema = 'public' ORDER BY ordinal_position")),
              (QStringList{QStringLiteral("Or\"der]s; drop table x|Straße|NO"), QStringLiteral("Or\"der]s; drop table x|line no|YES")}));
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT count(*) FROM pg_index i JOIN pg_class t ON t.oid = i.indrelid "
                                          "WHERE t.relname = 'Or\"der]s; drop table x' AND i.indisunique")),
              QStringList{QStringLiteral("2")});
}

// Marks of an earlier migration do not carry over; nothing chosen gives nothing.
TEST_F(MigrateToPostgres, OnlyTheChosenObjects) {
    MORVALEX_REQUIRE_TEST_PG();
    NewTarget();
    QStringList paths, names;
    MigrationSession::AllObjects(*oStructureXML, paths, names);
    for (const QString& path : paths) oStructureXML->FindNode(path).setAttribute(QStringLiteral("Migrate"), QStringLiteral("1"));
    MigrationSession nothing;
    cMigrate first;
    Migrate(nothing, first, {}, {});
    EXPECT_EQ(first.AllQueries(), QString());
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE table_schema = 'public'")),
              QStringList{QStringLiteral("0")});

    MigrationSession one;
    cMigrate second;
    const int customers = int(names.indexOf(QStringLiteral("customers")));
    Migrate(one, second, {paths[customers]}, {names[customers]});
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = 'public'")),
              QStringList{QStringLiteral("customers")});
    EXPECT_EQ(one.Summary(QStringLiteral("Target")), QStringLiteral("customers have been created in Target\r\n\r\n"));
}

}  // namespace
