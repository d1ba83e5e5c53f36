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

using namespace Qt::StringLiterals;
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
    // Every object of a structure text of one's own, chosen and migrated to a new target
    // in the dialect of the destination type.
    void MigrateAll(MigrationSession& session, const QString& structure, int destinationType = dbSQLServer65) {
        NewTarget();
        cXML doc;
        ASSERT_TRUE(doc.LoadXMLContent(structure));
        QStringList paths, names;
        MigrationSession::AllObjects(doc, paths, names);
        session.MarkObjects(doc, paths, names);
        cMigrate generator;
        session.Run(generator, target, doc.GetXMLContent(), destinationType, QStringLiteral("OTHERS"), QStringLiteral("destination"), {});
    }
};

const QString kSuccess = QStringLiteral("Database objects selected have been migrated successfully.");
const QString kWithErrors = QStringLiteral("Database objects transferred with errors.");

TEST_F(MigrateToPostgres, TablesKeysIndexesAndForeignKeysArrive) {
    MORVALEX_REQUIRE_TEST_PG();
    NewTarget();
    QStringList paths, names;
    MigrationSession::AllObjects(*oStructureXML, paths, names);
    MigrationSession session;
    cMigrate generator;
    Migrate(session, generator, paths, names);
    // The key of order_lines cascades on delete, which SQL Server 6.5 cannot say: the
    // key is created without it and the log says so.
    const QStringList log = session.Errors().split(QStringLiteral("\r\n"));
    ASSERT_EQ(log.size(), 4) << qPrintable(session.Errors());
    EXPECT_EQ(log[0], QStringLiteral("fk_lines_orders was created without ON DELETE CASCADE"));
    EXPECT_EQ(log[2], QStringLiteral("Target Database: SQLSERVER65"));
    EXPECT_TRUE(log[3].startsWith(QStringLiteral("Query Executed: Alter table order_lines ADD CONSTRAINT FK_"))) << qPrintable(log[3]);
    EXPECT_EQ(session.ResultLine(), kWithErrors);
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

// Columns named like reserved words, in tables named like them: the tables, the key,
// a unique index and a foreign key over those columns all arrive.
TEST_F(MigrateToPostgres, ReservedWordNamesArrive) {
    MORVALEX_REQUIRE_TEST_PG();
    MigrationSession session;
    MigrateAll(session, QStringLiteral(
        "<DATABASE Name=\"d\"><TABLE Name=\"user\" Migrate=\"0\">"
        "<COLUMN Name=\"key\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"pk\"/>"
        "<COLUMN Name=\"order\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"user\" Datatype=\"varchar\" Length=\"20\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<INDEX Name=\"pk\" Column_Name=\"key\" Description=\"Primary Key\" Table_Name=\"user\" Migrate=\"0\"/>"
        "<INDEX Name=\"ux\" Column_Name=\"order, user\" Description=\"Unique\" Table_Name=\"user\" Migrate=\"0\"/>"
        "</TABLE><TABLE Name=\"order\" Migrate=\"0\">"
        "<COLUMN Name=\"key\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"user\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<FOREIGNKEY Name=\"fk\" RelatedColumn=\"user\" PrimaryKeyTable=\"user\" ForeignKeyTable=\"order\" UpdateRule=\"NO ACTION\" "
        "DeleteRule=\"NO ACTION\" PrimaryKeyColumn=\"key\" Migrate=\"0\"/>"
        "</TABLE></DATABASE>"));
    EXPECT_EQ(session.Errors(), QString());
    EXPECT_EQ(session.ResultLine(), kSuccess);
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT table_name, column_name, data_type, is_nullable FROM information_schema.columns "
                                          "WHERE table_schema = 'public' ORDER BY table_name, ordinal_position")),
              (QStringList{QStringLiteral("order|key|integer|NO"), QStringLiteral("order|user|integer|YES"),
                           QStringLiteral("user|key|integer|NO"), QStringLiteral("user|order|integer|NO"),
                           QStringLiteral("user|user|character varying|YES")}));
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT c.conrelid::regclass::text, c.contype, pg_get_constraintdef(c.oid) FROM pg_constraint c "
                                          "JOIN pg_namespace n ON n.oid = c.connamespace WHERE n.nspname = 'public' ORDER BY 1, 2")),
              (QStringList{QStringLiteral("\"order\"|f|FOREIGN KEY (\"user\") REFERENCES \"user\"(key)"),
                           QStringLiteral("\"user\"|p|PRIMARY KEY (key)")}));
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT i.indisunique::int, pg_get_indexdef(i.indexrelid) ~ '\\(\"order\", \"user\"\\)$' "
                                          "FROM pg_index i JOIN pg_class t ON t.oid = i.indrelid "
                                          "WHERE t.relname = 'user' AND NOT i.indisprimary")),
              QStringList{QStringLiteral("1|1")});
}

// A key that cascades on the source. DB2's statement carries the rule (PostgreSQL runs
// it): deleting a parent row deletes its children. SQL Server 6.5 has no such rule:
// the key is created without it, the log names the key and the rule, and the result
// is not "successfully".
TEST_F(MigrateToPostgres, CascadingKeyCascadesOrIsReported) {
    MORVALEX_REQUIRE_TEST_PG();
    const QString structure = QStringLiteral(
        "<DATABASE Name=\"d\"><TABLE Name=\"parent\" Migrate=\"0\">"
        "<COLUMN Name=\"id\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"pk\"/>"
        "</TABLE><TABLE Name=\"child\" Migrate=\"0\">"
        "<COLUMN Name=\"id\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"pk\"/>"
        "<COLUMN Name=\"parent_id\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<FOREIGNKEY Name=\"fk_child_parent\" RelatedColumn=\"parent_id\" PrimaryKeyTable=\"parent\" ForeignKeyTable=\"child\" "
        "UpdateRule=\"NO ACTION\" DeleteRule=\"CASCADE\" PrimaryKeyColumn=\"id\" Migrate=\"0\"/>"
        "</TABLE></DATABASE>");
    const QString rows = QStringLiteral("INSERT INTO parent VALUES (1), (2); INSERT INTO child VALUES (10, 1), (20, 2);");
    const QString deleteType = QStringLiteral("SELECT confdeltype FROM pg_constraint WHERE conrelid = 'child'::regclass AND contype = 'f'");

    MigrationSession db2;
    MigrateAll(db2, structure, dbIBMDB2);
    EXPECT_EQ(db2.Errors(), QString());
    EXPECT_EQ(db2.ResultLine(), kSuccess);
    EXPECT_EQ(Rows(target, deleteType), QStringList{QStringLiteral("c")});
    database->exec(rows);
    database->exec(QStringLiteral("DELETE FROM parent WHERE id = 1"));
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT id FROM child")), QStringList{QStringLiteral("20")});

    MigrationSession sqlServer65;
    MigrateAll(sqlServer65, structure);
    const QStringList log = sqlServer65.Errors().split(QStringLiteral("\r\n"));
    ASSERT_EQ(log.size(), 4) << qPrintable(sqlServer65.Errors());
    EXPECT_EQ(log[0], QStringLiteral("fk_child_parent was created without ON DELETE CASCADE"));
    EXPECT_EQ(log[1], QStringLiteral("Error Description: The target database cannot express this rule"));
    EXPECT_EQ(log[2], QStringLiteral("Target Database: SQLSERVER65"));
    EXPECT_TRUE(log[3].startsWith(QStringLiteral("Query Executed: Alter table child ADD CONSTRAINT FK_"))) << qPrintable(log[3]);
    EXPECT_EQ(sqlServer65.ResultLine(), kWithErrors);
    EXPECT_TRUE(sqlServer65.MigratedObjects().contains(QStringLiteral("fk_child_parent")));
    EXPECT_EQ(Rows(target, deleteType), QStringList{QStringLiteral("a")});
}

// A partial, covering or descending index arrives as the dialect can write it: over
// the whole table with its key columns (descending where the dialect says DESC), and
// the log names the predicate and included columns it could not carry, as it names a
// deferrable key made without its deferral.
TEST_F(MigrateToPostgres, IndexAndKeyFactsArriveOrAreLogged) {
    MORVALEX_REQUIRE_TEST_PG();
    const QString structure = QStringLiteral(
        "<DATABASE Name=\"d\"><TABLE Name=\"t\" Migrate=\"0\">"
        "<COLUMN Name=\"id\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"pk\"/>"
        "<COLUMN Name=\"a\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"b\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"c\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<INDEX Name=\"ix_part\" Column_Name=\"a\" Description=\"Unique\" Table_Name=\"t\" Migrate=\"0\" Where=\"b > 0\"/>"
        "<INDEX Name=\"ix_cover\" Column_Name=\"a,b\" Description=\"\" Table_Name=\"t\" Migrate=\"0\" Descending=\"a\" Include=\"c\"/>"
        "<FOREIGNKEY Name=\"fk_late\" RelatedColumn=\"b\" PrimaryKeyTable=\"t\" ForeignKeyTable=\"t\" UpdateRule=\"NO ACTION\" "
        "DeleteRule=\"NO ACTION\" PrimaryKeyColumn=\"id\" Migrate=\"0\" Deferrable=\"INITIALLY DEFERRED\"/>"
        "</TABLE></DATABASE>");
    MigrationSession session;
    MigrateAll(session, structure, dbIBMDB2);
    const QString log = session.Errors();
    for (const char* entry : {"ix_part was created without WHERE b > 0", "ix_cover was created without INCLUDE (c)",
                              "fk_late was created without DEFERRABLE INITIALLY DEFERRED"})
        EXPECT_TRUE(log.contains(QLatin1String(entry))) << entry << "\n" << qPrintable(log);
    EXPECT_FALSE(log.contains(QLatin1String("DESC\r\n"))) << qPrintable(log);
    EXPECT_EQ(session.ResultLine(), kWithErrors);
    // The target's own catalogue: every index over the whole table, "a" descending in
    // the two-column one, no included column, a key checked at once.
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT i.indnatts, i.indisunique::int, i.indpred IS NULL, i.indoption::text "
                                          "FROM pg_index i WHERE i.indrelid = 't'::regclass AND NOT i.indisprimary "
                                          "ORDER BY i.indnatts")),
              QStringList({QStringLiteral("1|1|1|0"), QStringLiteral("2|0|1|3 0")}));
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT condeferrable::int FROM pg_constraint WHERE conrelid = 't'::regclass "
                                          "AND contype = 'f'")),
              QStringList{QStringLiteral("0")});
}

// Precision and scale of an exact numeric column arrive through the shipped map; a
// column without a scale is written as before.
TEST_F(MigrateToPostgres, PrecisionAndScaleArrive) {
    MORVALEX_REQUIRE_TEST_PG();
    UseShippedDataTypeMap();
    MigrationSession session;
    MigrateAll(session, QStringLiteral(
        "<DATABASE Name=\"d\"><TABLE Name=\"prices\" Migrate=\"0\">"
        "<COLUMN Name=\"amount\" Datatype=\"numeric\" Length=\"8\" Scale=\"2\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"rate\" Datatype=\"DECIMAL\" Length=\"12\" Scale=\"0\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"whole\" Datatype=\"numeric\" Length=\"10\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "</TABLE></DATABASE>"));
    EXPECT_EQ(session.Errors(), QString());
    EXPECT_EQ(Rows(target, QStringLiteral("SELECT column_name, data_type, numeric_precision, numeric_scale FROM information_schema.columns "
                                          "WHERE table_name = 'prices' ORDER BY ordinal_position")),
              (QStringList{QStringLiteral("amount|numeric|8|2"), QStringLiteral("rate|numeric|12|0"), QStringLiteral("whole|numeric||")}));
}

// A column whose type the target holds less of is created narrower (a length cut to
// the type's largest; a precision cut with the integer digits kept), and the log names
// the column, what was cut and the statement, so the result is not "successfully".
TEST_F(MigrateToPostgres, NarrowedColumnsAreNamedInTheLog) {
    MORVALEX_REQUIRE_TEST_PG();
    UseShippedDataTypeMap();
    const QString structure = QStringLiteral(
        "<DATABASE Name=\"d\"><TABLE Name=\"notes\" Migrate=\"0\">"
        "<COLUMN Name=\"id\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"body\" Datatype=\"VARCHAR\" Length=\"500\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"ratio\" Datatype=\"numeric\" Length=\"40\" Scale=\"35\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"title\" Datatype=\"varchar\" Length=\"40\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "</TABLE></DATABASE>");
    const struct {
        const char* name;
        int destination;
        QStringList columns;    // name|type|length|precision|scale as PostgreSQL reads them
        QStringList narrowed;   // the first line of each log entry
        const char* source;     // the source type the first entry names
        const char* targetKey;
    } cases[] = {
        {"SQL Server 6.5", dbSQLServer65,
         {u"id|integer||32|0"_s, u"body|character varying|255||"_s, u"ratio|numeric||28|23"_s, u"title|character varying|40||"_s},
         {u"notes.body was created as varchar(255): length 500 became 255"_s,
          u"notes.ratio was created as numeric(28,23): precision 40 became 28 and scale 35 became 23"_s},
         "VARCHAR(500)", "SQLSERVER65"},
        {"DB2", dbIBMDB2,
         {u"id|integer||32|0"_s, u"body|character varying|500||"_s, u"ratio|numeric||31|26"_s, u"title|character varying|40||"_s},
         {u"notes.ratio was created as DECIMAL(31,26): precision 40 became 31 and scale 35 became 26"_s}, "numeric(40,35)",
         "IBMDB2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MigrationSession session;
        MigrateAll(session, structure, c.destination);
        EXPECT_EQ(Rows(target, QStringLiteral("SELECT column_name, data_type, character_maximum_length, numeric_precision, "
                                              "numeric_scale FROM information_schema.columns WHERE table_name = 'notes' "
                                              "ORDER BY ordinal_position")),
                  c.columns);
        const QStringList log = session.Errors().split(QStringLiteral("\r\n"));
        ASSERT_EQ(log.size(), 4 * c.narrowed.size()) << qPrintable(session.Errors());
        for (qsizetype i = 0; i < c.narrowed.size(); ++i) {
            EXPECT_EQ(log[4 * i], c.narrowed[i]);
            EXPECT_EQ(log[4 * i + 2], QStringLiteral("Target Database: ") + QLatin1String(c.targetKey));
            EXPECT_TRUE(log[4 * i + 3].startsWith(QStringLiteral("Query Executed: Create Table notes(id "))) << qPrintable(log[4 * i + 3]);
        }
        EXPECT_EQ(log[1], QStringLiteral("Error Description: The target database's type is narrower than the source's ") +
                              QLatin1String(c.source));
        EXPECT_EQ(session.ResultLine(), kWithErrors);
        EXPECT_EQ(session.MigratedObjects(), QStringList{QStringLiteral("notes")});
    }
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
