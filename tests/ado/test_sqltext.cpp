// Reading constraints, index keys and view column use from stored CREATE statements.

#include "platform/ado/SqlText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace platform::ado::sqltext;

namespace {

TEST(SqlTextTest, CreateTableConstraintsNamedAndUnnamed) {
    const TableDefinition def = parseCreateTable(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS main.\"order line\" (\n"
        "  id INTEGER CONSTRAINT pk_line PRIMARY KEY,  -- a comment, (with brackets\n"
        "  [qty] numeric(10,2) NOT NULL CONSTRAINT ck_qty CHECK ([qty] > 0 AND (qty < 1000)),\n"
        "  code varchar(5) DEFAULT ('x,y') UNIQUE REFERENCES codes(code) ON DELETE SET NULL,\n"
        "  a int, b int,\n"
        "  CHECK (a <> b /* not equal */),\n"
        "  CONSTRAINT fk_ab FOREIGN KEY (a, b) REFERENCES pairs DEFERRABLE INITIALLY DEFERRED,\n"
        "  CONSTRAINT uq_ab UNIQUE (a, b DESC)\n"
        ") WITHOUT ROWID"));
    EXPECT_EQ(def.primaryKeyName, QStringLiteral("pk_line"));
    EXPECT_EQ(def.primaryKeyColumns, QStringList({u"id"_s}));
    EXPECT_TRUE(def.withoutRowid);

    ASSERT_EQ(def.checks.size(), 2);
    EXPECT_EQ(def.checks[0].name, QStringLiteral("ck_qty"));
    EXPECT_EQ(def.checks[0].column, QStringLiteral("qty"));
    EXPECT_EQ(def.checks[0].clause, QStringLiteral("([qty] > 0 AND (qty < 1000))"));
    EXPECT_EQ(def.checks[1].name, QString());
    EXPECT_EQ(def.checks[1].column, QString());
    EXPECT_EQ(def.checks[1].clause, QStringLiteral("(a <> b /* not equal */)"));
    EXPECT_EQ(def.checks[1].identifiers, QStringList({u"a"_s, u"b"_s}));

    ASSERT_EQ(def.foreignKeys.size(), 2);
    EXPECT_EQ(def.foreignKeys[0].name, QString());
    EXPECT_EQ(def.foreignKeys[0].columns, QStringList({u"code"_s}));
    EXPECT_EQ(def.foreignKeys[0].referencedTable, QStringLiteral("codes"));
    EXPECT_EQ(def.foreignKeys[0].referencedColumns, QStringList({u"code"_s}));
    EXPECT_FALSE(def.foreignKeys[0].deferrable);
    EXPECT_EQ(def.foreignKeys[1].name, QStringLiteral("fk_ab"));
    EXPECT_EQ(def.foreignKeys[1].columns, QStringList({u"a"_s, u"b"_s}));
    EXPECT_TRUE(def.foreignKeys[1].referencedColumns.isEmpty());
    EXPECT_TRUE(def.foreignKeys[1].deferrable && def.foreignKeys[1].initiallyDeferred);

    ASSERT_EQ(def.uniques.size(), 2);
    EXPECT_EQ(def.uniques[0].columns, QStringList({u"code"_s}));
    EXPECT_EQ(def.uniques[1].name, QStringLiteral("uq_ab"));
    EXPECT_EQ(def.uniques[1].columns, QStringList({u"a"_s, u"b"_s}));
}

TEST(SqlTextTest, TextThatIsNoCreateTableGivesNothing) {
    for (const char* sql : {"", "CREATE TABLE t AS SELECT 1", "CREATE VIEW v AS SELECT 1", "garbage ((("}) {
        const TableDefinition def = parseCreateTable(QString::fromLatin1(sql));
        EXPECT_TRUE(def.checks.isEmpty() && def.foreignKeys.isEmpty() && def.primaryKeyColumns.isEmpty()) << sql;
    }
}

// Generated columns, in both spellings, with their expression as written and their
// storage; a CAST(... AS ...) in a default or check is no generation.
TEST(SqlTextTest, CreateTableGeneratedColumns) {
    const TableDefinition def = parseCreateTable(QStringLiteral(
        "CREATE TABLE t (a INT DEFAULT (CAST(1 AS INT)) CHECK (CAST(a AS TEXT) <> ''), "
        "b INT GENERATED ALWAYS AS (a * (2 + 1)) STORED, c TEXT AS (upper(\"a\")), d INT AS (a) VIRTUAL NOT NULL)"));
    QStringList got;
    for (const GeneratedColumn& g : def.generated)
        got << g.column + QLatin1Char('|') + g.expression + QLatin1Char('|') + (g.stored ? u"STORED"_s : u"VIRTUAL"_s);
    EXPECT_EQ(got, QStringList({u"b|a * (2 + 1)|STORED"_s, u"c|upper(\"a\")|VIRTUAL"_s, u"d|a|VIRTUAL"_s}));
    EXPECT_EQ(def.checks.size(), 1);
}

TEST(SqlTextTest, CreateIndexKeysAndCondition) {
    const IndexDefinition def = parseCreateIndex(QStringLiteral(
        "CREATE INDEX ix ON t (\"last name\" COLLATE NOCASE DESC, lower(first), (a + b) ASC) WHERE active = 1 AND x IS NOT NULL;"));
    EXPECT_EQ(def.columns, QStringList({u"last name"_s, u"lower(first)"_s, u"(a + b)"_s}));
    EXPECT_EQ(def.condition, QStringLiteral("active = 1 AND x IS NOT NULL"));
    EXPECT_EQ(parseCreateIndex(QStringLiteral("CREATE INDEX i ON t(a)")).condition, QString());
}

TEST(SqlTextTest, ViewColumnUsageFollowsAliasesStarsConditionsAndEveryArm) {
    QHash<QString, Relation> relations;
    relations.insert(QStringLiteral("customer"), Relation{QStringLiteral("customer"), {u"id"_s, u"name"_s, u"balance"_s, u"region"_s}});
    relations.insert(QStringLiteral("region"), Relation{QStringLiteral("Region"), {u"code"_s, u"title"_s}});
    relations.insert(QStringLiteral("person"), Relation{QStringLiteral("person"), {u"name"_s, u"region"_s}});
    struct Case {
        const char* sql;
        QStringList uses;
    };
    const Case cases[] = {
        {"CREATE VIEW v AS SELECT c.name, c.balance AS b2 FROM customer c WHERE c.balance > 1000",
         {u"customer.name"_s, u"customer.balance"_s}},
        {"CREATE VIEW v (x, y) AS SELECT name, title FROM customer JOIN region r ON r.code = customer.region",
         {u"customer.name"_s, u"customer.region"_s, u"Region.code"_s, u"Region.title"_s}},
        {"CREATE VIEW v AS SELECT * FROM region", {u"Region.code"_s, u"Region.title"_s}},
        {"CREATE VIEW v AS SELECT r.*, count(*) FROM region AS r, customer GROUP BY r.code",
         {u"Region.code"_s, u"Region.title"_s}},
        {"CREATE VIEW v AS SELECT upper(name) FROM (SELECT name FROM customer) s", {u"customer.name"_s}},
        // Every arm of a compound SELECT reads its own FROM: a column of the same name
        // in two arms is two source columns.
        {"CREATE VIEW v AS SELECT name, balance FROM customer UNION SELECT title, code FROM region ORDER BY name",
         {u"customer.name"_s, u"customer.balance"_s, u"Region.code"_s, u"Region.title"_s}},
        {"CREATE VIEW v AS SELECT region FROM customer UNION ALL SELECT region FROM person",
         {u"customer.region"_s, u"person.region"_s}},
        {"CREATE VIEW v AS SELECT name FROM customer INTERSECT SELECT name FROM person EXCEPT SELECT title FROM region",
         {u"customer.name"_s, u"person.name"_s, u"Region.title"_s}},
        {"CREATE VIEW v AS SELECT name FROM customer c WHERE EXISTS (SELECT 1 FROM person p WHERE p.name = c.name "
         "UNION SELECT 1 FROM person WHERE region = c.region)",
         {u"customer.name"_s, u"customer.region"_s, u"person.name"_s, u"person.region"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        QStringList uses;
        for (const ColumnUse& u : viewColumnUsage(QString::fromLatin1(c.sql), relations)) uses << u.table + QLatin1Char('.') + u.column;
        EXPECT_EQ(uses, c.uses);
    }
}

}  // namespace
