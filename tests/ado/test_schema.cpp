// Schema rowsets on SQLite and PostgreSQL against one small fixture schema: the values
// the catalogue readers read, the restrictions, 3251, and the bulk cache.

#include "platform/Error.h"
#include "platform/ado/Ado.h"
#include "platform/ado/SchemaRowsets.h"
#include "tests/ado/support/TestDatabases.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

using namespace Qt::StringLiterals;

using namespace platform::ado;

namespace {

const char* const kFixture = R"SQL(
CREATE TABLE region (
  region_code varchar(10) NOT NULL,
  country char(2) NOT NULL,
  name varchar(40),
  CONSTRAINT pk_region PRIMARY KEY (region_code, country)
);
CREATE TABLE customer (
  customer_id integer NOT NULL,
  region_code varchar(10) NOT NULL,
  country char(2) NOT NULL,
  name varchar(60) NOT NULL,
  balance numeric(10,2) DEFAULT 0,
  created date,
  CONSTRAINT pk_customer PRIMARY KEY (customer_id),
  CONSTRAINT fk_customer_region FOREIGN KEY (region_code, country)
    REFERENCES region (region_code, country) ON DELETE CASCADE,
  CONSTRAINT ck_customer_balance CHECK (balance >= 0)
);
CREATE UNIQUE INDEX ux_customer_name ON customer (name);
CREATE INDEX ix_customer_created ON customer (created DESC, name);
CREATE VIEW rich_customer AS SELECT c.name, c.balance FROM customer c WHERE c.balance > 1000;
)SQL";

enum class Engine { SQLite, PostgreSQL };

std::string engineName(const testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::SQLite ? "SQLite" : "PostgreSQL";
}

// One fixture database per engine for the whole program; each test opens its own
// connection (and so its own cache). They are dropped when the tests end, while the
// ODBC and driver libraries are still there (not at static destruction).
std::unique_ptr<testdb::SqliteFile> lite;
std::unique_ptr<testdb::PgDatabase> pg;

class FixtureDatabases : public testing::Environment {
public:
    void TearDown() override {
        lite.reset();
        pg.reset();
    }
};
[[maybe_unused]] testing::Environment* const fixtureDatabases = testing::AddGlobalTestEnvironment(new FixtureDatabases);

QString fixtureConnectionString(Engine engine) {
    if (engine == Engine::SQLite) {
        if (!lite) lite = std::make_unique<testdb::SqliteFile>(QString::fromUtf8(kFixture));
        return lite->connectionString();
    }
    if (!pg) pg = std::make_unique<testdb::PgDatabase>(QString::fromUtf8(kFixture));
    return pg->connectionString();
}

QVariantList restrict(int position, const QVariant& value) {
    QVariantList list;
    for (int i = 0; i < position; ++i) list << QVariant();
    list << value;
    return list;
}

// The values of 'fields' of every row, each row's values joined by "|".
QStringList rowsOf(const RecordsetPtr& rs, const QStringList& fields) {
    QStringList rows;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        QStringList values;
        for (const QString& f : fields) {
            const QVariant v = rs->Fields(f);
            values << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        }
        rows << values.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList split(const char* fields) { return QString::fromLatin1(fields).split(QLatin1Char(' ')); }

class SchemaTest : public testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        if (GetParam() == Engine::PostgreSQL) MORVALEX_REQUIRE_TEST_PG();
        c.Open(fixtureConnectionString(GetParam()));
    }
    bool pg() const { return GetParam() == Engine::PostgreSQL; }
    Connection c;
};

TEST_P(SchemaTest, TablesRowsetListsTablesAndViews) {
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaTables, restrict(3, QStringLiteral("TABLE"))), split("TABLE_NAME TABLE_TYPE")),
              QStringList({u"customer|TABLE"_s, u"region|TABLE"_s}));
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaTables, restrict(3, QStringLiteral("VIEW"))), split("TABLE_NAME")),
              QStringList({u"rich_customer"_s}));
    RecordsetPtr all = c.OpenSchema(adSchemaTables);
    EXPECT_EQ(all->RecordCount(), 3);
    EXPECT_EQ(all->Names(), split("TABLE_CATALOG TABLE_SCHEMA TABLE_NAME TABLE_TYPE TABLE_GUID DESCRIPTION TABLE_PROPID "
                                  "DATE_CREATED DATE_MODIFIED PARTITION_KEY PARENT_SCHEMA PARENT_NAME PARTITION_BOUND"));
    // Exact, case-sensitive restrictions.
    EXPECT_EQ(c.OpenSchema(adSchemaTables, restrict(2, QStringLiteral("Customer")))->RecordCount(), 0);
    EXPECT_EQ(c.OpenSchema(adSchemaTables, restrict(2, QStringLiteral("customer")))->RecordCount(), 1);
}

TEST_P(SchemaTest, ColumnsRowsetCarriesTypesLengthsAndNullability) {
    RecordsetPtr rs = c.OpenSchema(adSchemaColumns, restrict(2, QStringLiteral("customer")));
    EXPECT_EQ(rowsOf(rs, split("COLUMN_NAME ORDINAL_POSITION IS_NULLABLE CHARACTER_MAXIMUM_LENGTH NUMERIC_PRECISION "
                               "NUMERIC_SCALE COLUMN_DEFAULT")),
              QStringList({u"customer_id|1|false|<null>|10|<null>|<null>"_s, u"region_code|2|false|10|<null>|<null>|<null>"_s,
                           u"country|3|false|2|<null>|<null>|<null>"_s, u"name|4|false|60|<null>|<null>|<null>"_s,
                           u"balance|5|true|<null>|10|2|0"_s, u"created|6|true|<null>|<null>|<null>|<null>"_s}));
    // The type code names the engine's type through the provider-types rowset, as the
    // readers look it up: the first row with that code.
    RecordsetPtr types = c.OpenSchema(adSchemaProviderTypes);
    auto typeName = [&](int code) {
        for (types->MoveFirst(); !types->IsEOF(); types->MoveNext())
            if (types->Fields(QStringLiteral("DATA_TYPE")).toInt() == code) return types->Fields(QStringLiteral("TYPE_NAME")).toString();
        return QString();
    };
    QStringList names;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) names << typeName(rs->Fields(QStringLiteral("DATA_TYPE")).toInt());
    if (pg())
        EXPECT_EQ(names, QStringList({u"int4"_s, u"varchar"_s, u"char"_s, u"varchar"_s, u"numeric"_s, u"date"_s}));
    else
        EXPECT_EQ(names, QStringList({u"integer"_s, u"varchar"_s, u"char"_s, u"varchar"_s, u"numeric"_s, u"date"_s}));
    // One column, restricted by table and column.
    QVariantList both = restrict(2, QStringLiteral("region"));
    both << QStringLiteral("name");
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaColumns, both), split("COLUMN_NAME IS_NULLABLE")), QStringList({u"name|true"_s}));
}

TEST_P(SchemaTest, PrimaryKeysCarryTheConstraintName) {
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaPrimaryKeys, restrict(2, QStringLiteral("region"))), split("COLUMN_NAME ORDINAL PK_NAME")),
              QStringList({u"region_code|1|pk_region"_s, u"country|2|pk_region"_s}));
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaPrimaryKeys, restrict(2, QStringLiteral("customer"))), split("COLUMN_NAME PK_NAME")),
              QStringList({u"customer_id|pk_customer"_s}));
}

TEST_P(SchemaTest, IndexesGiveOneRowPerColumnWithDirection) {
    const QStringList fields = split("INDEX_NAME ORDINAL_POSITION COLUMN_NAME COLLATION UNIQUE PRIMARY_KEY");
    QStringList expected = {u"ix_customer_created|1|created|2|false|false"_s, u"ix_customer_created|2|name|1|false|false"_s,
                            u"ux_customer_name|1|name|1|true|false"_s};
    // SQLite keeps an INTEGER PRIMARY KEY in the rowid, without an index.
    if (pg()) expected.insert(2, QStringLiteral("pk_customer|1|customer_id|1|true|true"));
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaIndexes, restrict(4, QStringLiteral("customer"))), fields), expected);
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaIndexes, restrict(4, QStringLiteral("region"))), fields),
              QStringList({u"pk_region|1|region_code|1|true|true"_s, u"pk_region|2|country|1|true|true"_s}));
    // Restricted by index name (the third restriction).
    EXPECT_EQ(c.OpenSchema(adSchemaIndexes, restrict(2, QStringLiteral("ux_customer_name")))->RecordCount(), 1);
}

TEST_P(SchemaTest, ForeignKeysReferringToATable) {
    const QStringList fields = split("PK_TABLE_NAME PK_COLUMN_NAME FK_TABLE_NAME FK_COLUMN_NAME ORDINAL UPDATE_RULE "
                                     "DELETE_RULE PK_NAME FK_NAME");
    const QStringList expected = {
        u"region|region_code|customer|region_code|1|NO ACTION|CASCADE|pk_region|fk_customer_region"_s,
        u"region|country|customer|country|2|NO ACTION|CASCADE|pk_region|fk_customer_region"_s};
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaForeignKeys, restrict(2, QStringLiteral("region"))), fields), expected);
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaForeignKeys, restrict(5, QStringLiteral("customer"))), fields), expected);
    EXPECT_EQ(c.OpenSchema(adSchemaForeignKeys, restrict(2, QStringLiteral("customer")))->RecordCount(), 0);
}

TEST_P(SchemaTest, CheckConstraintsAndTheirColumns) {
    RecordsetPtr checks = c.OpenSchema(adSchemaCheckConstraints);
    ASSERT_EQ(checks->RecordCount(), 1);
    EXPECT_EQ(checks->Fields(QStringLiteral("CONSTRAINT_NAME")).toString(), QStringLiteral("ck_customer_balance"));
    const QString clause = checks->Fields(QStringLiteral("CHECK_CLAUSE")).toString();
    EXPECT_TRUE(clause.startsWith(QLatin1Char('(')) && clause.contains(QLatin1String("balance >=")))
        << clause.toStdString();

    QVariantList column = restrict(2, QStringLiteral("customer"));
    column << QStringLiteral("balance");
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaConstraintColumnUsage, column), split("CONSTRAINT_NAME")),
              QStringList({u"ck_customer_balance"_s}));
    // The seventh restriction is the constraint's name.
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaConstraintColumnUsage, restrict(6, QStringLiteral("fk_customer_region"))),
                     split("TABLE_NAME COLUMN_NAME")),
              QStringList({u"customer|country"_s, u"customer|region_code"_s}));
}

TEST_P(SchemaTest, ViewsAndTheColumnsTheyUse) {
    RecordsetPtr views = c.OpenSchema(adSchemaViews);
    ASSERT_EQ(views->RecordCount(), 1);
    EXPECT_EQ(views->Fields(QStringLiteral("TABLE_NAME")).toString(), QStringLiteral("rich_customer"));
    const QString text = views->Fields(QStringLiteral("VIEW_DEFINITION")).toString();
    EXPECT_TRUE(text.contains(QLatin1String("balance")) && text.contains(QLatin1String("1000"))) << text.toStdString();
    EXPECT_EQ(views->FieldType(5), adBoolean);  // IS_UPDATABLE

    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaViewColumnUsage, restrict(2, QStringLiteral("rich_customer"))),
                     split("VIEW_NAME TABLE_NAME COLUMN_NAME")),
              QStringList({u"rich_customer|customer|name"_s, u"rich_customer|customer|balance"_s}));
}

TEST_P(SchemaTest, ProviderTypesRestrictedByCodeAndBestMatch) {
    QVariantList numericBest = restrict(0, int(adNumeric));
    numericBest << true;
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaProviderTypes, numericBest), split("TYPE_NAME DATA_TYPE BEST_MATCH")),
              QStringList({u"numeric|131|true"_s}));
    // Every code has exactly one best match.
    RecordsetPtr best = c.OpenSchema(adSchemaProviderTypes, restrict(1, true));
    QSet<int> codes;
    for (; !best->IsEOF(); best->MoveNext()) {
        const int code = best->Fields(QStringLiteral("DATA_TYPE")).toInt();
        EXPECT_FALSE(codes.contains(code)) << code;
        codes.insert(code);
    }
    EXPECT_TRUE(codes.contains(adInteger) && codes.contains(adDBDate));
}

TEST_P(SchemaTest, UnsupportedRowsetsAndRestrictionsRaise3251) {
    EXPECT_THROW(
        {
            try {
                c.OpenSchema(99);
            } catch (const platform::RuntimeError& e) {
                EXPECT_EQ(e.number(), adErrNotSupported);
                throw;
            }
        },
        platform::RuntimeError);
    try {
        c.OpenSchema(adSchemaTables, restrict(4, QStringLiteral("x")));  // TABLES has four restrictions
        ADD_FAILURE() << "no error";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), adErrNotSupported);
    }
}

// Repeated restricted requests on one connection (answered from one bulk read) equal
// single requests on fresh connections.
TEST_P(SchemaTest, CachedAnswersEqualFreshOnes) {
    struct Request {
        int schema;
        int position;
        const char* value;
    };
    const Request requests[] = {
        {adSchemaTables, 2, "customer"},        {adSchemaColumns, 2, "customer"},
        {adSchemaColumns, 2, "region"},         {adSchemaPrimaryKeys, 2, "region"},
        {adSchemaIndexes, 4, "customer"},       {adSchemaForeignKeys, 2, "region"},
        {adSchemaViews, 2, "rich_customer"},    {adSchemaViewColumnUsage, 2, "rich_customer"},
        {adSchemaCheckConstraints, 2, "ck_customer_balance"}, {adSchemaConstraintColumnUsage, 2, "customer"},
        {adSchemaProviderTypes, 0, nullptr},
    };
    QList<RecordsetPtr> expected;
    for (const Request& r : requests) {
        Connection fresh;
        fresh.Open(fixtureConnectionString(GetParam()));
        expected << fresh.OpenSchema(r.schema, r.value ? restrict(r.position, QString::fromLatin1(r.value)) : QVariantList());
    }
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < int(std::size(requests)); ++i) {
            const Request& r = requests[i];
            SCOPED_TRACE(r.schema);
            RecordsetPtr cached = c.OpenSchema(r.schema, r.value ? restrict(r.position, QString::fromLatin1(r.value)) : QVariantList());
            EXPECT_EQ(cached->Names(), expected[i]->Names());
            EXPECT_EQ(cached->Rows(), expected[i]->Rows());
            EXPECT_GT(cached->RecordCount(), 0);
        }
    }
}

TEST_P(SchemaTest, StatementsOtherThanQueriesRefreshTheCatalogue) {
    const QString table = QStringLiteral("extra_%1").arg(pg() ? QStringLiteral("pg") : QStringLiteral("lite"));
    auto count = [&] { return c.OpenSchema(adSchemaTables, restrict(2, table))->RecordCount(); };
    EXPECT_EQ(count(), 0);
    c.Execute(QStringLiteral("SELECT name FROM customer"));
    EXPECT_EQ(count(), 0);
    c.Execute(QStringLiteral("CREATE TABLE %1 (id integer PRIMARY KEY)").arg(table));
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(c.OpenSchema(adSchemaColumns, restrict(2, table))->RecordCount(), 1);
    c.Execute(QStringLiteral("DROP TABLE %1").arg(table));
    EXPECT_EQ(count(), 0);
}

// While a window waits: a request that runs a statement turns the event loop (a
// posted call runs); one answered from a rowset already read returns at once without
// it (an import makes tens of these per table, and each wait started a thread), and
// a statement that changes the catalogue makes the next request read again.
TEST_P(SchemaTest, RequestsAnsweredFromMemoryNeitherWaitNorTurnTheEventLoop) {
    c.WaitInEventLoop = true;
    const auto loopTurnedDuring = [](const std::function<void()>& call) {
        bool ran = false;
        QObject guard;
        QMetaObject::invokeMethod(&guard, [&] { ran = true; }, Qt::QueuedConnection);
        call();
        QCoreApplication::removePostedEvents(&guard);
        return ran;
    };
    RecordsetPtr first, again;
    EXPECT_TRUE(loopTurnedDuring([&] { first = c.OpenSchema(adSchemaColumns, restrict(2, QStringLiteral("customer"))); }));
    EXPECT_FALSE(loopTurnedDuring([&] { again = c.OpenSchema(adSchemaColumns, restrict(2, QStringLiteral("region"))); }));
    EXPECT_EQ(first->RecordCount(), 6);
    EXPECT_EQ(again->RecordCount(), 3);
    const QString table = QStringLiteral("waits_%1").arg(pg() ? QStringLiteral("pg") : QStringLiteral("lite"));
    c.Execute(QStringLiteral("CREATE TABLE %1 (id integer)").arg(table));
    RecordsetPtr added;
    EXPECT_TRUE(loopTurnedDuring([&] { added = c.OpenSchema(adSchemaColumns, restrict(2, table)); }));
    EXPECT_EQ(added->RecordCount(), 1);
    c.Execute(QStringLiteral("DROP TABLE %1").arg(table));
}

INSTANTIATE_TEST_SUITE_P(Engines, SchemaTest, testing::Values(Engine::SQLite, Engine::PostgreSQL), engineName);

// What the SQLite driver's own catalogue functions get wrong, and the names given to
// constraints the CREATE TABLE text leaves unnamed.
TEST(SqliteSchemaTest, RowidKeysSystemTablesAndUnnamedConstraints) {
    testdb::SqliteFile db(QStringLiteral(
        "CREATE TABLE parent (id INTEGER PRIMARY KEY AUTOINCREMENT, amount numeric(8,3) CHECK (amount > 0), code text UNIQUE);"
        "CREATE TABLE child (a int, b int, parent_id int REFERENCES parent, PRIMARY KEY (a, b), CHECK (a < b)) WITHOUT ROWID;"));
    Connection c;
    c.Open(db.connectionString());
    // sqlite_sequence is a system table, not a table.
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaTables), split("TABLE_NAME TABLE_TYPE")),
              QStringList({u"sqlite_sequence|SYSTEM TABLE"_s, u"child|TABLE"_s, u"parent|TABLE"_s}));
    // An INTEGER PRIMARY KEY is the rowid: never Null, and no index of its own.
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaColumns, restrict(2, QStringLiteral("parent"))),
                     split("COLUMN_NAME IS_NULLABLE DATA_TYPE NUMERIC_PRECISION NUMERIC_SCALE")),
              QStringList({u"id|false|3|10|<null>"_s, u"amount|true|131|8|3"_s, u"code|true|201|<null>|<null>"_s}));
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaIndexes, restrict(4, QStringLiteral("parent"))), split("INDEX_NAME COLUMN_NAME UNIQUE")),
              QStringList({u"sqlite_autoindex_parent_1|code|true"_s}));
    // Key columns of a WITHOUT ROWID table are never Null; its key is its storage.
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaColumns, restrict(2, QStringLiteral("child"))), split("COLUMN_NAME IS_NULLABLE")),
              QStringList({u"a|false"_s, u"b|false"_s, u"parent_id|true"_s}));
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaIndexes, restrict(4, QStringLiteral("child"))),
                     split("INDEX_NAME COLUMN_NAME PRIMARY_KEY CLUSTERED")),
              QStringList({u"PK_child|a|true|true"_s, u"PK_child|b|true|true"_s}));
    // Unnamed constraints get names made from their tables.
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaPrimaryKeys), split("TABLE_NAME COLUMN_NAME PK_NAME")),
              QStringList({u"child|a|PK_child"_s, u"child|b|PK_child"_s, u"parent|id|PK_parent"_s}));
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaForeignKeys), split("PK_TABLE_NAME PK_COLUMN_NAME FK_COLUMN_NAME PK_NAME FK_NAME")),
              QStringList({u"parent|id|parent_id|PK_parent|FK_child_parent"_s}));
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaCheckConstraints), split("CONSTRAINT_NAME CHECK_CLAUSE")),
              QStringList({u"CK_child|(a < b)"_s, u"CK_parent_amount|(amount > 0)"_s}));
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaConstraintColumnUsage, restrict(2, QStringLiteral("child"))),
                     split("COLUMN_NAME CONSTRAINT_NAME")),
              QStringList({u"a|CK_child"_s, u"a|PK_child"_s, u"b|CK_child"_s, u"b|PK_child"_s, u"parent_id|FK_child_parent"_s}));
}

// A view whose table is gone cannot be described; the other relations still are.
TEST(SqliteSchemaTest, BrokenViewLeavesTheOtherColumnsReadable) {
    testdb::SqliteFile db(QStringLiteral(
        "CREATE TABLE gone (a int); CREATE VIEW stale AS SELECT a FROM gone; DROP TABLE gone; CREATE TABLE kept (b int);"));
    Connection c;
    c.Open(db.connectionString());
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaColumns), split("TABLE_NAME COLUMN_NAME")), QStringList({u"kept|b"_s}));
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaViews), split("TABLE_NAME")), QStringList({u"stale"_s}));
}

// A view over a compound SELECT reads the columns of every arm, as SQLite's own
// authorizer reports them: a column and its table, also where another arm reads a
// column of the same name (Northwind's "Customer and Suppliers by City").
TEST(SqliteSchemaTest, AUnionViewUsesTheColumnsOfEveryArm) {
    testdb::SqliteFile db(QStringLiteral(
        "CREATE TABLE Customers (CustomerID TEXT PRIMARY KEY, CompanyName TEXT, ContactName TEXT, City TEXT, Phone TEXT);"
        "CREATE TABLE Suppliers (SupplierID INTEGER PRIMARY KEY, CompanyName TEXT, ContactName TEXT, City TEXT);"
        "CREATE VIEW [Customer and Suppliers by City] AS "
        "SELECT City, CompanyName, ContactName, 'Customers' AS Relationship FROM Customers "
        "UNION SELECT City, CompanyName, ContactName, 'Suppliers' FROM Suppliers ORDER BY City, CompanyName;"));
    Connection c;
    c.Open(db.connectionString());
    EXPECT_EQ(rowsOf(c.OpenSchema(adSchemaViewColumnUsage, restrict(2, QStringLiteral("Customer and Suppliers by City"))),
                     split("TABLE_NAME COLUMN_NAME")),
              QStringList({u"Customers|CompanyName"_s, u"Customers|ContactName"_s, u"Customers|City"_s,
                           u"Suppliers|CompanyName"_s, u"Suppliers|ContactName"_s, u"Suppliers|City"_s}));
}

// A view's source columns are the columns it reads, as SQLite's own authorizer reports
// them: not a name given to a result column (also where a table has a column of that
// name), nor a keyword where a table has a column named like it; a column named like a
// keyword, quoted or not, where the query reads it.
TEST(SqliteSchemaTest, ViewSourcesAreTheColumnsTheViewReads) {
    const struct {
        const char* view;
        const char* query;
        QStringList sources;
    } cases[] = {
        {"v_alias", "SELECT id AS cnt FROM t2", {u"t2|id"_s}},
        {"v_bare_alias", "SELECT id cnt FROM t2", {u"t2|id"_s}},
        {"v_sorted_by_alias", "SELECT id AS cnt FROM t2 ORDER BY cnt", {u"t2|id"_s}},
        // Outside ORDER BY, and in an ORDER BY expression, a name is a column first.
        {"v_filtered", "SELECT id AS cnt FROM t2 WHERE cnt > 1", {u"t2|id"_s, u"t2|cnt"_s}},
        {"v_alias_and_column", "SELECT id AS cnt, cnt FROM t2", {u"t2|id"_s, u"t2|cnt"_s}},
        {"v_sorted_by_sum", "SELECT id AS n FROM t2 ORDER BY n + cnt", {u"t2|id"_s, u"t2|cnt"_s}},
        {"v_window", "SELECT id AS cnt, row_number() OVER (ORDER BY cnt) FROM t2", {u"t2|id"_s, u"t2|cnt"_s}},
        {"v_keywords", "SELECT a FROM kw", {u"kw|a"_s}},
        {"v_quoted", "SELECT \"select\", a AS \"from\" FROM kw ORDER BY a DESC", {u"kw|select"_s, u"kw|a"_s}},
        {"v_like", "SELECT key, left FROM kw WHERE a NOT LIKE \"desc\" ESCAPE '!'",
         {u"kw|a"_s, u"kw|desc"_s, u"kw|key"_s, u"kw|left"_s}},
        {"v_frame", "SELECT count(*) OVER (PARTITION BY a ORDER BY key ROWS BETWEEN UNBOUNDED PRECEDING AND CURRENT ROW) AS n FROM kw",
         {u"kw|a"_s, u"kw|key"_s}},
        {"v_cast", "SELECT CAST(a AS TEXT) AS note, a COLLATE nocase FROM kw", {u"kw|a"_s}},
        {"v_join", "SELECT t2.id, kw.a FROM t2 LEFT JOIN kw ON kw.a = t2.id ORDER BY cnt", {u"t2|id"_s, u"t2|cnt"_s, u"kw|a"_s}},
        {"v_sort_words", "SELECT a AS key FROM kw ORDER BY key COLLATE nocase DESC NULLS LAST", {u"kw|a"_s}},
        {"v_distinct_from", "SELECT a FROM kw WHERE a IS NOT DISTINCT FROM \"order\"", {u"kw|a"_s, u"kw|order"_s}},
        {"v_case", "SELECT CASE WHEN a > 0 THEN key ELSE NULL END \"desc\" FROM kw ORDER BY \"desc\"", {u"kw|a"_s, u"kw|key"_s}},
        // A column named like a table is a column where an operand stands.
        {"v_named_like_a_table", "SELECT id FROM t2 WHERE region IN (SELECT code FROM region)",
         {u"t2|id"_s, u"t2|region"_s, u"region|code"_s}},
    };
    QString sql = QStringLiteral(
        "CREATE TABLE t2 (id INTEGER, cnt INTEGER, note TEXT, region TEXT); CREATE TABLE region (code TEXT);"
        "CREATE TABLE kw (\"select\" TEXT, \"from\" TEXT, a INTEGER, \"desc\" TEXT, \"key\" TEXT, \"left\" TEXT, \"order\" INTEGER);");
    for (const auto& c : cases) sql += QStringLiteral("CREATE VIEW %1 AS %2;").arg(QLatin1String(c.view), QLatin1String(c.query));
    testdb::SqliteFile db(sql);
    Connection connection;
    connection.Open(db.connectionString());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        EXPECT_EQ(rowsOf(connection.OpenSchema(adSchemaViewColumnUsage, restrict(2, QLatin1String(c.view))),
                         split("TABLE_NAME COLUMN_NAME")),
                  c.sources);
    }
}

// An Access file through the mdbtools driver: tables and columns as the schema
// rowsets give them, and the rowsets neither the driver nor the file's catalogue
// answers.
TEST(OdbcCatalogueTest, AccessFileThroughTheMdbtoolsDriver) {
    testdb::UseTestOdbc();
    MORVALEX_REQUIRE(testdb::RegisteredDrivers().contains(QStringLiteral("MDBTools")), "mdbtools ODBC driver not installed");
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("nwind.mdb"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(MORVALEX_FIXTURES_DIR "/access/nwind.mdb"), copy));
    Connection c;
    c.Open(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + copy);
    EXPECT_EQ(c.OdbcConnectionString(), QStringLiteral("Driver={MDBTools};DBQ=") + copy);

    const QStringList tables = rowsOf(c.OpenSchema(adSchemaTables, restrict(3, QStringLiteral("TABLE"))), split("TABLE_NAME"));
    EXPECT_TRUE(tables.contains(QStringLiteral("Customers")) && tables.contains(QStringLiteral("Order Details")));
    for (const QString& t : tables) EXPECT_FALSE(t.startsWith(QLatin1String("MSys"))) << t.toStdString();

    const QStringList columns =
        rowsOf(c.OpenSchema(adSchemaColumns, restrict(2, QStringLiteral("Customers"))), split("COLUMN_NAME ORDINAL_POSITION"));
    ASSERT_FALSE(columns.isEmpty());
    EXPECT_EQ(columns.first(), QStringLiteral("CustomerID|1"));

    // The views are the file's queries, which the driver lists as views; checks are
    // beyond what the driver can tell.
    const QStringList views = rowsOf(c.OpenSchema(adSchemaViews), split("TABLE_NAME"));
    EXPECT_TRUE(views.contains(QStringLiteral("Invoices")) && views.contains(QStringLiteral("Customers and Suppliers by City")))
        << views.join(QLatin1Char(',')).toStdString();
    EXPECT_FALSE(views.contains(QStringLiteral("Customers")));
    c.OpenSchema(adSchemaViewColumnUsage);
    try {
        c.OpenSchema(adSchemaCheckConstraints);
        ADD_FAILURE() << "check constraints given";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), adErrNotSupported);
    }
}

}  // namespace

// The cache keeps rows packed (only their non-Null values, equal texts shared); what it
// answers must be the loaded rows exactly: Null, a null text, an empty text, numbers,
// truth values and texts each in their column, restricted or not, for a narrow row and
// for one wider than the packing handles.
TEST(SchemaCacheTest, AnswersTheLoadedRowsValueForValue) {
    for (const int width : {5, 70}) {
        SCOPED_TRACE(width);
        schema::Definition def;
        def.schema = adSchemaColumns;
        for (int c = 0; c < width; ++c) def.names << QStringLiteral("C%1").arg(c);
        def.restrictionColumns = {1, 2};
        schema::Rowset loaded;
        const QList<QVariant> samples = {QVariant(), QVariant(QString()), QVariant(QStringLiteral("")), QVariant(7),
                                         QVariant(qint64(1) << 40), QVariant(true), QVariant(QStringLiteral("shared text"))};
        for (int r = 0; r < 12; ++r) {
            QVariantList row(width);
            row[1] = QStringLiteral("public");
            row[2] = QStringLiteral("t%1").arg(r % 4);
            for (int c = 3; c < width; ++c) row[c] = samples[(r + c) % samples.size()];
            loaded.rows << row;
        }
        schema::Cache cache;
        int loads = 0;
        const auto load = [&](int) {
            ++loads;
            return loaded;
        };
        const auto expectSame = [](const QList<QVariantList>& got, const QList<QVariantList>& want) {
            ASSERT_EQ(got.size(), want.size());
            for (qsizetype r = 0; r < want.size(); ++r) {
                ASSERT_EQ(got[r].size(), want[r].size());
                for (qsizetype c = 0; c < want[r].size(); ++c) {
                    SCOPED_TRACE(QStringLiteral("row %1 column %2").arg(r).arg(c).toStdString());
                    EXPECT_EQ(got[r][c].isValid(), want[r][c].isValid());
                    EXPECT_EQ(got[r][c].typeId(), want[r][c].typeId());
                    EXPECT_EQ(got[r][c], want[r][c]);
                    if (want[r][c].typeId() == QMetaType::QString) {
                        EXPECT_EQ(got[r][c].toString().isNull(), want[r][c].toString().isNull());
                    }
                }
            }
        };
        expectSame(cache.answer(def, {}, load)->Rows(), loaded.rows);
        QList<QVariantList> t1;
        for (const QVariantList& row : loaded.rows)
            if (row[2] == QStringLiteral("t1")) t1 << row;
        expectSame(cache.answer(def, {QStringLiteral("public"), QStringLiteral("t1")}, load)->Rows(), t1);
        expectSame(cache.answer(def, {QVariant(), QStringLiteral("t1")}, load)->Rows(), t1);
        EXPECT_EQ(cache.answer(def, {QStringLiteral("other"), QStringLiteral("t1")}, load)->RecordCount(), 0);
        EXPECT_EQ(loads, 1);
        EXPECT_TRUE(cache.holds(adSchemaColumns));
        cache.clear();
        EXPECT_FALSE(cache.holds(adSchemaColumns));
    }
}

// A reader packs its rows one by one through a single reused row: nothing of one row
// may leak into the next (a column set on one row and not the next is Null there), and
// the packed rows sort as whole rows do (Nulls first, numbers by value, texts by code
// point, ties in their first order).
TEST(SchemaCacheTest, RowsPackedThroughOneReusedRowSortAsWholeRows) {
    const QList<QVariantList> rows = {
        {QStringLiteral("b"), 10, QVariant(), QStringLiteral("first b10")},
        {QStringLiteral("a"), 2, QStringLiteral("x"), QVariant()},
        {QVariant(), 5, QVariant(), QStringLiteral("null name")},
        {QStringLiteral("b"), 9, true, QVariant()},
        {QStringLiteral("B"), 1, QVariant(), QStringLiteral("upper B")},
        {QStringLiteral("b"), 10, QVariant(), QStringLiteral("second b10")},
        {QStringLiteral("a"), QVariant(), QStringLiteral(""), QVariant()},
    };
    const QList<int> order = {0, 1};
    QList<QVariantList> sorted = rows;
    schema::sortRows(sorted, order);

    schema::Rowset packed;
    QVariantList scratch = schema::emptyRow(4);
    for (const QVariantList& row : rows) {
        for (int c = 0; c < row.size(); ++c)
            if (row[c].isValid()) scratch[c] = row[c];
        packed.add(scratch);
        for (const QVariant& v : scratch) EXPECT_FALSE(v.isValid());
    }
    packed.sortPacked(order);

    schema::Definition def;
    def.schema = adSchemaTables;
    def.names = {QStringLiteral("NAME"), QStringLiteral("N"), QStringLiteral("FLAG"), QStringLiteral("NOTE")};
    schema::Cache cache;
    const QList<QVariantList> got = cache.answer(def, {}, [&](int) { return packed; })->Rows();
    ASSERT_EQ(got.size(), sorted.size());
    for (qsizetype r = 0; r < sorted.size(); ++r)
        for (int c = 0; c < 4; ++c) {
            SCOPED_TRACE(QStringLiteral("row %1 column %2").arg(r).arg(c).toStdString());
            EXPECT_EQ(got[r][c].isValid(), sorted[r][c].isValid());
            EXPECT_EQ(got[r][c], sorted[r][c]);
        }
    EXPECT_EQ(sorted.first()[3], QStringLiteral("null name"));
    EXPECT_EQ(sorted.last()[3], QStringLiteral("second b10"));
}

// A recordset answered from the cache shares its packed rows rather than copying them;
// it reads as a recordset of whole rows does (field by field, by name, as text), and
// stays whole after the cache has dropped its rowsets.
TEST(SchemaCacheTest, AnsweredRecordsetReadsAsWholeRowsAndOutlivesTheCache) {
    schema::Definition def;
    def.schema = adSchemaTables;
    def.names = {QStringLiteral("TABLE_SCHEMA"), QStringLiteral("TABLE_NAME"), QStringLiteral("N"), QStringLiteral("NOTE")};
    def.types = {adVarWChar, adVarWChar, adInteger, adVarWChar};
    def.restrictionColumns = {0, 1};
    const QList<QVariantList> rows = {
        {QStringLiteral("s"), QStringLiteral("a"), 1, QVariant()},
        {QStringLiteral("s"), QStringLiteral("b"), QVariant(), QStringLiteral("x")},
        {QStringLiteral("s"), QStringLiteral("b"), 3, QString()},
    };
    schema::Cache cache;
    const auto load = [&](int) {
        schema::Rowset r;
        r.rows = rows;
        return r;
    };
    RecordsetPtr all = cache.answer(def, {}, load);
    RecordsetPtr b = cache.answer(def, {QVariant(), QStringLiteral("b")}, load);
    cache.clear();

    Recordset whole(def.names, def.types, rows);
    EXPECT_EQ(all->RecordCount(), 3);
    EXPECT_EQ(all->GetString(QStringLiteral("|"), QStringLiteral(";"), QStringLiteral("<null>")),
              whole.GetString(QStringLiteral("|"), QStringLiteral(";"), QStringLiteral("<null>")));
    ASSERT_EQ(b->RecordCount(), 2);
    EXPECT_FALSE(b->IsBOF());
    EXPECT_TRUE(b->Fields(QStringLiteral("n")).isNull());
    EXPECT_EQ(b->Fields(QStringLiteral("NOTE")), QStringLiteral("x"));
    b->MoveNext();
    EXPECT_EQ(b->Fields(2), 3);
    EXPECT_TRUE(b->Fields(3).isValid());  // a null text is a value, not Null
    b->MoveNext();
    EXPECT_TRUE(b->IsEOF());
    ASSERT_EQ(b->Rows().size(), 2);
    EXPECT_EQ(b->Rows()[1], rows[2]);
    EXPECT_EQ(b->RecordCount(), 2);
}
