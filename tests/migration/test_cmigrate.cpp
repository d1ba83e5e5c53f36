// The DDL generator's statements per dialect, the data-type map and the generator's
// handling of names, keys and failures, against real SQLite files as targets.

#include "MigrationSupport.h"

#include "ado/support/TestDatabases.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "migration/DdlNames.h"
#include "migration/MigrationSession.h"
#include "migration/cMigrate.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

#include <vector>

using namespace bGlobal;
using namespace migrationtest;

namespace {

// Orders (a key column and a not-nullable one, a primary key and a non-unique index),
// Order Lines (names with blanks, a unique two-column index, a foreign key) and a
// table that is not marked.
const char* const kShop = R"(<DATABASE Name="shop">
  <TABLE Name="Orders" Migrate="1">
    <COLUMN Name="ID" Datatype="integer" Length="10" Null_Allowed="False" Primary_Key="PK_Orders"/>
    <COLUMN Name="Name" Datatype="VARCHAR" Length="50" Null_Allowed="False" Primary_Key=""/>
    <INDEX Name="PK_Orders" Column_Name="ID" Description="Unique,Primary Key" Table_Name="Orders" Migrate="1"/>
    <INDEX Name="ix_name" Column_Name="Name" Description="Clustered" Table_Name="Orders" Migrate="1"/>
  </TABLE>
  <TABLE Name="Order Lines" Migrate="1">
    <COLUMN Name="Line No" Datatype="integer" Length="10" Null_Allowed="False" Primary_Key=""/>
    <COLUMN Name="Order ID" Datatype="integer" Length="10" Null_Allowed="True" Primary_Key=""/>
    <INDEX Name="ix_lines" Column_Name="Order ID,Line No" Description="Unique" Table_Name="Order Lines" Migrate="1"/>
    <FOREIGNKEY Name="fk_lines" RelatedColumn="Order ID" PrimaryKeyTable="Orders" ForeignKeyTable="Order Lines" PrimaryKeyColumn="ID" Migrate="1"/>
  </TABLE>
  <TABLE Name="Skipped" Migrate="0">
    <COLUMN Name="x" Datatype="integer" Length="10" Null_Allowed="True" Primary_Key=""/>
  </TABLE>
</DATABASE>)";

using GeneratorFn = bool (cMigrate::*)(const QString&);

struct DialectCase {
    const char* name;
    GeneratorFn generate;
    std::vector<const char*> statements;
};

class Dialects : public MigrationTest, public ::testing::WithParamInterface<DialectCase> {};

// The script a generator writes for the shop, without running it.
TEST_P(Dialects, StatementTexts) {
    testdb::SqliteFile target;
    cMigrate generator;
    generator.SetConnectionString(target.connectionString());
    generator.SetDBXMLContent(QString::fromUtf8(kShop));
    generator.ExecuteImmediately(false);
    QStringList events;
    generator.WhileMigrating = [&](const QString& name, const QString& type, const QString& status) {
        events << name + QLatin1Char('|') + type + QLatin1Char('|') + status;
    };
    generator.MigrationError = [&](qint32, const QString& d, const QString& n, const QString&) { ADD_FAILURE() << qPrintable(n + d); };
    generator.MigrationDataTypeError = [&](auto&&...) { ADD_FAILURE() << "data-type error"; };
    (generator.*GetParam().generate)(QStringLiteral("OTHERS"));
    QStringList expected;
    for (const char* statement : GetParam().statements) expected << QString::fromUtf8(statement);
    EXPECT_EQ(Statements(generator.AllQueries()), expected);
    EXPECT_EQ(generator.ObjectsMigrated(), 6);
    EXPECT_EQ(events.first(), QStringLiteral("Orders|Table|Generating"));
    EXPECT_EQ(events.last(), QStringLiteral("fk_lines|Foreign Key|Generated"));
    EXPECT_EQ(events.size(), 12);
}

INSTANTIATE_TEST_SUITE_P(
    Migration, Dialects,
    ::testing::Values(
        DialectCase{"SqlServer65", &cMigrate::GenerateSQLServer65Tables,
                    {R"(Create Table Orders(ID integer,Name varchar(50) NOT NULL))",
                     R"(Create Table "Order Lines"("Line No" integer NOT NULL,"Order ID" integer))",
                     R"(Alter table Orders ADD CONSTRAINT IX_# PRIMARY KEY (ID))",
                     R"(Create  INDEX IX_# on Orders(Name))",
                     R"(Create UNIQUE  INDEX IX_# on "Order Lines"("Order ID","Line No"))",
                     R"(Alter table "Order Lines" ADD CONSTRAINT FK_# FOREIGN KEY ("Order ID") References Orders(ID))"}},
        DialectCase{"SqlServer", &cMigrate::GenerateSQLServerTables,
                    {R"(Create Table "Orders"(ID int,Name varchar(50) NOT NULL))",
                     R"(Create Table "Order Lines"("Line No" int NOT NULL,"Order ID" int))",
                     R"(Alter table [Orders] ADD CONSTRAINT "IX_#" PRIMARY KEY (ID))",
                     R"(Create  INDEX "IX_#" on "Orders"(Name))",
                     R"(Create UNIQUE  INDEX "IX_#" on "Order Lines"("Order ID","Line No"))",
                     R"(Alter table "Order Lines" ADD CONSTRAINT "FK_#" FOREIGN KEY ("Order ID") References "Orders"(ID))"}},
        DialectCase{"Access", &cMigrate::GenerateAccessTables,
                    {R"(Create Table [Orders]([ID] LONG,[Name] TEXT(50) NOT NULL))",
                     R"(Create Table [Order Lines]([Line No] LONG NOT NULL,[Order ID] LONG))",
                     R"(Alter table [Orders] ADD CONSTRAINT "IX_#" PRIMARY KEY ([ID]))",
                     R"(Create  INDEX [IX_#] on [Orders]([Name]))",
                     R"(Create UNIQUE  INDEX [IX_#] on [Order Lines]([Order ID],[Line No]))",
                     R"(Alter table [Order Lines] ADD CONSTRAINT "FK_#" FOREIGN KEY ([Order ID]) References [Orders]([ID]))"}},
        DialectCase{"Oracle", &cMigrate::GenerateOracleTables,
                    {R"(Create Table Orders(ID NUMBER(10),Name VARCHAR2(50)))",
                     R"(Create Table "Order Lines"("Line No" NUMBER(10),"Order ID" NUMBER(10)))",
                     R"(Alter table Orders ADD CONSTRAINT IX_# PRIMARY KEY (ID))",
                     R"(Create  INDEX "IX_#" on Orders(Name))",
                     R"(Create UNIQUE  INDEX "IX_#" on "Order Lines"("Order ID","Line No"))",
                     R"(Alter table "Order Lines" ADD CONSTRAINT "FK_#" FOREIGN KEY ("Order ID") References Orders(ID))"}},
        DialectCase{"Db2", &cMigrate::GenerateDB2Tables,
                    {R"(Create Table Orders(ID INTEGER NOT NULL,Name VARCHAR(50) NOT NULL))",
                     R"(Create Table "Order Lines"("Line No" INTEGER NOT NULL,"Order ID" INTEGER))",
                     R"(Alter table Orders ADD CONSTRAINT IX_# PRIMARY KEY (ID))",
                     R"(Create  INDEX "IX_#" on Orders(Name))",
                     R"(Create UNIQUE  INDEX "IX_#" on "Order Lines"("Order ID","Line No"))",
                     R"(Alter table "Order Lines" ADD CONSTRAINT "FK_#" FOREIGN KEY ("Order ID") References Orders(ID))"}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(MigrationNames, QuotingPerDialect) {
    using namespace ddl;
    struct Case {
        Target target;
        QString name;
        QString table;
        QString column;
    } cases[] = {
        {Target::Access, QStringLiteral("a]b"), QStringLiteral("[a]]b]"), QStringLiteral("[a]]b]")},
        {Target::SqlServer, QStringLiteral("say \"hi\""), QStringLiteral("\"say \"\"hi\"\"\""), QStringLiteral("\"say \"\"hi\"\"\"")},
        {Target::SqlServer65, QStringLiteral("O'Brien"), QStringLiteral("\"O'Brien\""), QStringLiteral("\"O'Brien\"")},
        {Target::SqlServer65, QStringLiteral("Bücher"), QStringLiteral("\"Bücher\""), QStringLiteral("\"Bücher\"")},
        {Target::Oracle, QStringLiteral("x); drop table t; --"), QStringLiteral("\"x); drop table t; --\""),
         QStringLiteral("\"x); drop table t; --\"")},
        {Target::Db2, QStringLiteral("_plain_1"), QStringLiteral("_plain_1"), QStringLiteral("_plain_1")},
        {Target::Db2, QStringLiteral("1st"), QStringLiteral("\"1st\""), QStringLiteral("\"1st\"")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TableName(c.target, c.name), c.table) << qPrintable(c.name);
        EXPECT_EQ(ColumnName(c.target, c.name), c.column) << qPrintable(c.name);
    }
    EXPECT_EQ(ColumnList(Target::Access, QStringLiteral("a, b c,d]")), QStringLiteral("[a],[b c],[d]]]"));
    EXPECT_EQ(ColumnList(Target::SqlServer65, QStringLiteral("a,Go\"")), QStringLiteral("a,\"Go\"\"\""));
}

// A document name whose parts are quoted because one holds a dot is migrated under
// the name it had before the parts were quoted; quotes that make no parts stay.
TEST(MigrationNames, QuotedPartsOfADocumentNameAreJoined) {
    const struct {
        const char* document;
        const char* joined;
    } cases[] = {
        {R"("s.dot"."t.dot")", "s.dot.t.dot"}, {R"("s.dot.t.dot")", "s.dot.t.dot"}, {R"(a."t.x")", "a.t.x"},
        {R"("q""uo".t)", R"(q"uo.t)"},         {"a.t", "a.t"},                     {R"(say "hi")", R"(say "hi")"},
        {R"("open)", R"("open)"},              {R"("a"b)", R"("a"b)"},
    };
    for (const auto& c : cases) EXPECT_EQ(ddl::JoinedName(QString::fromUtf8(c.document)).toStdString(), c.joined) << c.document;
    EXPECT_EQ(ddl::TableName(ddl::Target::SqlServer, QStringLiteral("\"s.dot\".\"t.dot\"")), QStringLiteral("\"s.dot.t.dot\""));
    EXPECT_EQ(ddl::TableName(ddl::Target::Access, QStringLiteral("\"s.dot.t.dot\"")), QStringLiteral("[s.dot.t.dot]"));
}

// A name the dialect reserves is quoted like any other name that is not plain, in
// tables, columns and column lists alike; a word another dialect reserves stays bare.
TEST(MigrationNames, ReservedWordsPerDialect) {
    using namespace ddl;
    struct Case {
        Target target;
        const char* name;
        const char* written;  // as a column, and as a table where the dialect does not quote every table
    } cases[] = {
        {Target::SqlServer65, "order", "\"order\""}, {Target::SqlServer65, "User", "\"User\""},
        {Target::SqlServer65, "key", "\"key\""},     {Target::SqlServer65, "date", "date"},
        {Target::SqlServer65, "orders", "orders"},   {Target::SqlServer65, "file", "\"file\""},
        {Target::SqlServer, "KEY", "\"KEY\""},       {Target::SqlServer, "percent", "\"percent\""},
        {Target::SqlServer, "date", "date"},         {Target::Oracle, "date", "\"date\""},
        {Target::Oracle, "user", "\"user\""},        {Target::Oracle, "Number", "\"Number\""},
        {Target::Oracle, "order", "\"order\""},      {Target::Oracle, "key", "key"},
        {Target::Db2, "order", "\"order\""},         {Target::Db2, "key", "\"key\""},
        {Target::Db2, "user", "\"user\""},           {Target::Db2, "date", "date"},
        {Target::Access, "order", "[order]"},        {Target::Access, "key", "[key]"},
    };
    for (const Case& c : cases) {
        const QString name = QLatin1String(c.name), written = QLatin1String(c.written);
        EXPECT_EQ(ColumnName(c.target, name), written) << c.name << " " << int(c.target);
        EXPECT_EQ(ColumnList(c.target, QStringLiteral(" id , ") + name), ColumnName(c.target, QStringLiteral("id")) + QLatin1Char(',') + written)
            << c.name << " " << int(c.target);
        if (c.target != Target::SqlServer) {
            EXPECT_EQ(TableName(c.target, name), written) << c.name << " " << int(c.target);
        }
    }
}

struct MapDataType : MigrationTest {};

TEST_F(MapDataType, LengthsCaseAndMissingEntries) {
    WriteDataTypeMap(QStringLiteral(R"(<MIGRATION><DATATYPES>
      <ACCESS>Text</ACCESS><SQLSERVER LengthAllowed="1" MaxLength="8000">varchar</SQLSERVER>
      <ACCESS>Memo</ACCESS><SQLSERVER LengthAllowed="1">text</SQLSERVER>
      <ACCESS>Long</ACCESS><SQLSERVER LengthAllowed="1" MaxLength="x">int</SQLSERVER>
      <ACCESS>Byte</ACCESS>
    </DATATYPES></MIGRATION>)"));
    cMigrate generator;
    ASSERT_TRUE(generator.DataTypeMapLoaded());
    struct Case {
        const char* type;
        const char* source;
        const char* target;
        const char* length;
        const char* expected;
    } cases[] = {
        {"Text", "ACCESS", "SQLSERVER", "50", "varchar(50)"},
        {"Text", "ACCESS", "SQLSERVER", "10000", "varchar(8000)"},
        {"TEXT", "access", "sqlserver", "50", "varchar(50)"},   // case does not count
        {"Text", "ACCESS", "SQLSERVER", "0", "varchar"},
        {"Text", "ACCESS", "SQLSERVER", "", "varchar"},
        {"Memo", "ACCESS", "SQLSERVER", "50", "text"},           // length allowed, no MaxLength
        {"Long", "ACCESS", "SQLSERVER", "4", ""},                // MaxLength not a number
        {"Byte", "ACCESS", "SQLSERVER", "1", ""},                // target list too short
        {"Currency", "ACCESS", "SQLSERVER", "8", ""},            // no entry
        {"Text", "ORACLE", "SQLSERVER", "8", ""},                // source key not in the map
        {"Text ", "ACCESS", "SQLSERVER", "8", ""},               // whole text, no trimming
    };
    for (const Case& c : cases)
        EXPECT_EQ(generator.MapDataType(QLatin1String(c.type), QLatin1String(c.source), QLatin1String(c.target), QLatin1String(c.length)),
                  QLatin1String(c.expected))
            << c.type << " " << c.length;
}

// The shipped map: every list as long as the others, and the common types of each
// product carried to every other one.
TEST_F(MapDataType, ShippedMap) {
    const QString plain = UseShippedDataTypeMap();
    cMigrate generator;
    ASSERT_TRUE(generator.DataTypeMapLoaded());
    struct Case {
        const char* type;
        const char* source;
        const char* target;
        const char* expected;
    } cases[] = {
        {"varchar", "SQLSERVER", "ORACLE", "VARCHAR2(40)"}, {"int", "SQLSERVER65", "IBMDB2", "INTEGER"},
        {"Text", "ACCESS", "SQLSERVER", "varchar(40)"},     {"Long Integer", "ACCESS", "ORACLE", "NUMBER(10)"},
        {"Memo", "ACCESS", "SQLSERVER65", "text"},          {"YesNo", "ACCESS", "SQLSERVER", "bit"},
        {"VARCHAR2", "ORACLE", "ACCESS", "TEXT(40)"},       {"NUMBER", "ORACLE", "SQLSERVER", "decimal"},
        {"TIMESTAMP", "IBMDB2", "SQLSERVER", "datetime"},   {"int4", "OTHERS", "SQLSERVER65", "int"},
        {"integer", "OTHERS", "ACCESS", "LONG"},            {"varchar", "OTHERS", "IBMDB2", "VARCHAR(40)"},
        {"bool", "OTHERS", "ORACLE", "NUMBER(1)"},          {"timestamp", "OTHERS", "SQLSERVER", "datetime"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(generator.MapDataType(QLatin1String(c.type), QLatin1String(c.source), QLatin1String(c.target), QStringLiteral("40")),
                  QLatin1String(c.expected))
            << c.type << " " << c.source << " -> " << c.target;
    QMap<QString, int> counts;
    for (const char* key : {"ACCESS", "SQLSERVER", "SQLSERVER65", "ORACLE", "IBMDB2", "OTHERS"})
        counts[QLatin1String(key)] = int(plain.count(QStringLiteral("<%1>").arg(QLatin1String(key))) +
                                         plain.count(QStringLiteral("<%1 ").arg(QLatin1String(key))));
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) EXPECT_EQ(it.value(), counts.first()) << qPrintable(it.key());
}

// Every type a source key names finds the row of its own family: what each dialect
// gets for it, for every OTHERS entry of the shipped map and the source names of the
// other keys that share a row's target names.
TEST_F(MapDataType, ShippedMapRowPerSourceType) {
    const QString plain = UseShippedDataTypeMap();
    cMigrate generator;
    ASSERT_TRUE(generator.DataTypeMapLoaded());
    struct Case {
        const char* source;
        const char* type;
        const char* access;
        const char* sqlServer;
        const char* sqlServer65;
        const char* oracle;
        const char* db2;
    } cases[] = {
        {"OTHERS", "varchar", "TEXT", "varchar", "varchar", "VARCHAR2", "VARCHAR"},
        {"OTHERS", "character varying", "TEXT", "varchar", "varchar", "VARCHAR2", "VARCHAR"},
        {"OTHERS", "char", "TEXT", "char", "char", "CHAR", "CHAR"},
        {"OTHERS", "character", "TEXT", "char", "char", "CHAR", "CHAR"},
        {"OTHERS", "bpchar", "TEXT", "char", "char", "CHAR", "CHAR"},
        {"OTHERS", "nvarchar", "TEXT", "nvarchar", "varchar", "NVARCHAR2", "VARGRAPHIC"},
        {"OTHERS", "wvarchar", "TEXT", "nvarchar", "varchar", "NVARCHAR2", "VARGRAPHIC"},
        {"OTHERS", "nchar", "TEXT", "nchar", "char", "NCHAR", "GRAPHIC"},
        {"OTHERS", "text", "MEMO", "text", "text", "CLOB", "CLOB"},
        {"OTHERS", "longvarchar", "MEMO", "text", "text", "CLOB", "CLOB"},
        {"OTHERS", "json", "MEMO", "text", "text", "CLOB", "CLOB"},
        {"OTHERS", "ntext", "MEMO", "ntext", "text", "NCLOB", "DBCLOB"},
        {"OTHERS", "wlongvarchar", "MEMO", "ntext", "text", "NCLOB", "DBCLOB"},
        {"OTHERS", "sql_variant", "MEMO", "sql_variant", "text", "CLOB", "CLOB"},
        {"OTHERS", "integer", "LONG", "int", "int", "NUMBER(10)", "INTEGER"},
        {"OTHERS", "int", "LONG", "int", "int", "NUMBER(10)", "INTEGER"},
        {"OTHERS", "int4", "LONG", "int", "int", "NUMBER(10)", "INTEGER"},
        {"OTHERS", "smallint", "SHORT", "smallint", "smallint", "NUMBER(5)", "SMALLINT"},
        {"OTHERS", "int2", "SHORT", "smallint", "smallint", "NUMBER(5)", "SMALLINT"},
        {"OTHERS", "tinyint", "BYTE", "tinyint", "tinyint", "NUMBER(3)", "SMALLINT"},
        {"OTHERS", "bigint", "DECIMAL", "bigint", "numeric(19)", "NUMBER(19)", "BIGINT"},
        {"OTHERS", "int8", "DECIMAL", "bigint", "numeric(19)", "NUMBER(19)", "BIGINT"},
        {"OTHERS", "bit", "YESNO", "bit", "bit", "NUMBER(1)", "SMALLINT"},
        {"OTHERS", "bool", "YESNO", "bit", "bit", "NUMBER(1)", "SMALLINT"},
        {"OTHERS", "boolean", "YESNO", "bit", "bit", "NUMBER(1)", "SMALLINT"},
        {"OTHERS", "float", "DOUBLE", "float", "float", "FLOAT", "DOUBLE"},
        {"OTHERS", "float8", "DOUBLE", "float", "float", "FLOAT", "DOUBLE"},
        {"OTHERS", "double precision", "DOUBLE", "float", "float", "FLOAT", "DOUBLE"},
        {"OTHERS", "double", "DOUBLE", "float", "float", "FLOAT", "DOUBLE"},
        {"OTHERS", "real", "SINGLE", "real", "real", "FLOAT", "REAL"},
        {"OTHERS", "float4", "SINGLE", "real", "real", "FLOAT", "REAL"},
        {"OTHERS", "decimal", "DECIMAL", "decimal", "decimal", "NUMBER", "DECIMAL"},
        {"OTHERS", "numeric", "DECIMAL", "numeric", "numeric", "NUMBER", "DECIMAL"},
        {"OTHERS", "money", "CURRENCY", "money", "money", "NUMBER(19,4)", "DECIMAL(19,4)"},
        {"OTHERS", "smallmoney", "CURRENCY", "smallmoney", "smallmoney", "NUMBER(10,4)", "DECIMAL(10,4)"},
        {"OTHERS", "timestamp", "DATETIME", "datetime", "datetime", "DATE", "TIMESTAMP"},
        {"OTHERS", "timestamptz", "DATETIME", "datetime", "datetime", "DATE", "TIMESTAMP"},
        {"OTHERS", "timestamp without time zone", "DATETIME", "datetime", "datetime", "DATE", "TIMESTAMP"},
        {"OTHERS", "datetime", "DATETIME", "datetime", "datetime", "DATE", "TIMESTAMP"},
        {"OTHERS", "smalldatetime", "DATETIME", "smalldatetime", "smalldatetime", "DATE", "TIMESTAMP"},
        {"OTHERS", "date", "DATETIME", "datetime", "datetime", "DATE", "DATE"},
        {"OTHERS", "time", "DATETIME", "datetime", "datetime", "DATE", "TIME"},
        {"OTHERS", "timetz", "DATETIME", "datetime", "datetime", "DATE", "TIME"},
        {"OTHERS", "binary", "BINARY", "binary", "binary", "RAW", "BLOB"},
        {"OTHERS", "varbinary", "VARBINARY", "varbinary", "varbinary", "RAW", "BLOB"},
        {"OTHERS", "blob", "LONGBINARY", "image", "image", "BLOB", "BLOB"},
        {"OTHERS", "bytea", "LONGBINARY", "image", "image", "BLOB", "BLOB"},
        {"OTHERS", "longvarbinary", "LONGBINARY", "image", "image", "BLOB", "BLOB"},
        {"OTHERS", "uuid", "GUID", "uniqueidentifier", "char(36)", "RAW(16)", "CHAR(36)"},
        {"OTHERS", "rowversion", "BINARY(8)", "timestamp", "timestamp", "RAW(8)", "CHAR(8) FOR BIT DATA"},
        {"OTHERS", "name", "TEXT(128)", "sysname", "sysname", "VARCHAR2(128)", "VARCHAR(128)"},
        // Names of the other products whose rows share target names with another row.
        {"ACCESS", "Decimal", "DECIMAL", "decimal", "decimal", "NUMBER", "DECIMAL"},
        {"ACCESS", "Double", "DOUBLE", "float", "float", "FLOAT", "DOUBLE"},
        {"ACCESS", "Currency", "CURRENCY", "money", "money", "NUMBER(19,4)", "DECIMAL(19,4)"},
        {"SQLSERVER", "datetime", "DATETIME", "datetime", "datetime", "DATE", "TIMESTAMP"},
        {"SQLSERVER", "smalldatetime", "DATETIME", "smalldatetime", "smalldatetime", "DATE", "TIMESTAMP"},
        {"SQLSERVER", "smallmoney", "CURRENCY", "smallmoney", "smallmoney", "NUMBER(10,4)", "DECIMAL(10,4)"},
        {"SQLSERVER", "timestamp", "BINARY(8)", "timestamp", "timestamp", "RAW(8)", "CHAR(8) FOR BIT DATA"},
        {"ORACLE", "NUMBER", "DECIMAL", "decimal", "decimal", "NUMBER", "DECIMAL"},
        {"ORACLE", "DATE", "DATETIME", "datetime", "datetime", "DATE", "TIMESTAMP"},
        {"ORACLE", "FLOAT", "DOUBLE", "float", "float", "FLOAT", "DOUBLE"},
        {"IBMDB2", "BLOB", "LONGBINARY", "image", "image", "BLOB", "BLOB"},
        {"IBMDB2", "SMALLINT", "SHORT", "smallint", "smallint", "NUMBER(5)", "SMALLINT"},
        {"IBMDB2", "DATE", "DATETIME", "datetime", "datetime", "DATE", "DATE"},
    };
    QSet<QString> covered;
    for (const Case& c : cases) {
        const QString type = QLatin1String(c.type), source = QLatin1String(c.source);
        if (source == QLatin1String("OTHERS")) covered.insert(type.toUpper());
        const char* const expected[] = {c.access, c.sqlServer, c.sqlServer65, c.oracle, c.db2};
        const char* const targets[] = {"ACCESS", "SQLSERVER", "SQLSERVER65", "ORACLE", "IBMDB2"};
        for (int t = 0; t < 5; ++t)
            EXPECT_EQ(generator.MapDataType(type, source, QLatin1String(targets[t])), QString::fromLatin1(expected[t]))
                << c.type << " " << c.source << " -> " << targets[t];
    }
    // The table covers every OTHERS entry of the shipped map.
    static const QRegularExpression others(QStringLiteral("<OTHERS>([^<]*)</OTHERS>"));
    for (auto it = others.globalMatch(plain); it.hasNext();) {
        const QString type = it.next().captured(1);
        EXPECT_TRUE(covered.contains(type.toUpper())) << qPrintable(type) << " has no case";
    }
}

// Precision and scale for the exact numeric types that take them, where the column
// has a scale; lengths as before everywhere else. What the target's type cannot hold
// is cut and named: a length to the type's largest, a precision to its largest with
// the scale giving way to the integer digits, a scale to the precision.
TEST_F(MapDataType, PrecisionAndScale) {
    UseShippedDataTypeMap();
    cMigrate shipped;
    struct Case {
        const char* type;
        const char* target;
        const char* length;
        const char* scale;
        const char* expected;
        const char* narrowed;
    } cases[] = {
        {"numeric", "SQLSERVER", "8", "2", "numeric(8,2)", ""},   {"numeric", "SQLSERVER65", "8", "2", "numeric(8,2)", ""},
        {"numeric", "ORACLE", "8", "2", "NUMBER(8,2)", ""},      {"numeric", "IBMDB2", "8", "2", "DECIMAL(8,2)", ""},
        {"numeric", "ACCESS", "8", "2", "DECIMAL(8,2)", ""},     {"decimal", "SQLSERVER", "12", "0", "decimal(12,0)", ""},
        {"numeric", "SQLSERVER", "8", "", "numeric", ""},         // no scale: as before
        {"numeric", "SQLSERVER", "", "2", "numeric", ""},         // no precision
        {"numeric", "IBMDB2", "31", "31", "DECIMAL(31,31)", ""},  // at the type's largest
        // Precision capped at the type's largest; the integer digits stay.
        {"numeric", "IBMDB2", "40", "35", "DECIMAL(31,26)", "precision 40 became 31 and scale 35 became 26"},
        {"numeric", "ORACLE", "40", "35", "NUMBER(38,33)", "precision 40 became 38 and scale 35 became 33"},
        {"numeric", "IBMDB2", "33", "2", "DECIMAL(31,0)", "precision 33 became 31 and scale 2 became 0"},
        {"numeric", "SQLSERVER", "60", "4", "numeric(38,0)", "precision 60 became 38 and scale 4 became 0"},
        {"numeric", "SQLSERVER65", "30", "0", "numeric(28,0)", "precision 30 became 28"},
        {"numeric", "SQLSERVER", "8", "9", "numeric(8,8)", "scale 9 became 8"},  // the scale at the precision
        {"numeric", "ORACLE", "8", "x", "NUMBER", ""},            // a scale that is not a number counts as none
        {"money", "ORACLE", "19", "4", "NUMBER(19,4)", ""},       // fixed types keep their own
        {"varchar", "SQLSERVER", "20", "2", "varchar(20)", ""},   // lengths as before
        {"varchar", "SQLSERVER65", "255", "", "varchar(255)", ""},
        {"varchar", "SQLSERVER65", "500", "", "varchar(255)", "length 500 became 255"},
        {"char", "IBMDB2", "300", "", "CHAR(254)", "length 300 became 254"},
        {"text", "SQLSERVER65", "100000", "", "text", ""},        // a type without a length holds it
        {"integer", "SQLSERVER", "10", "0", "int", ""},
    };
    for (const Case& c : cases) {
        QString narrowed = QStringLiteral("not set");
        EXPECT_EQ(shipped.MapDataType(QLatin1String(c.type), QStringLiteral("OTHERS"), QLatin1String(c.target), QLatin1String(c.length),
                                      QLatin1String(c.scale), &narrowed),
                  QLatin1String(c.expected))
            << c.type << " " << c.target << " " << c.length << "," << c.scale;
        EXPECT_EQ(narrowed, QLatin1String(c.narrowed)) << c.type << " " << c.target << " " << c.length << "," << c.scale;
    }
}

struct Generator : MigrationTest {};

// A COLUMN with a Scale gets precision and scale in every dialect's CREATE TABLE.
TEST_F(Generator, ScaleInCreateTable) {
    UseShippedDataTypeMap();
    const QString structure = QStringLiteral(
        "<DATABASE Name=\"d\"><TABLE Name=\"prices\" Migrate=\"1\">"
        "<COLUMN Name=\"amount\" Datatype=\"numeric\" Length=\"8\" Scale=\"2\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "<COLUMN Name=\"whole\" Datatype=\"NUMERIC\" Length=\"8\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "</TABLE></DATABASE>");
    struct Case {
        GeneratorFn generate;
        const char* statement;
    } cases[] = {
        {&cMigrate::GenerateSQLServer65Tables, "Create Table prices(amount numeric(8,2),whole numeric)"},
        {&cMigrate::GenerateSQLServerTables, "Create Table \"prices\"(amount numeric(8,2),whole numeric)"},
        {&cMigrate::GenerateAccessTables, "Create Table [prices]([amount] DECIMAL(8,2),[whole] DECIMAL)"},
        {&cMigrate::GenerateOracleTables, "Create Table prices(amount NUMBER(8,2),whole NUMBER)"},
        {&cMigrate::GenerateDB2Tables, "Create Table prices(amount DECIMAL(8,2),whole DECIMAL)"},
    };
    testdb::SqliteFile target;
    for (const Case& c : cases) {
        cMigrate generator;
        generator.SetConnectionString(target.connectionString());
        generator.SetDBXMLContent(structure);
        generator.ExecuteImmediately(false);
        (generator.*c.generate)(QStringLiteral("OTHERS"));
        EXPECT_EQ(Statements(generator.AllQueries()), QStringList{QLatin1String(c.statement)});
    }
}

// Referential actions: written where the dialect's statement takes them; a rule it
// cannot express leaves the key as it was and is reported with the key's name.
TEST_F(Generator, ReferentialActionsPerDialect) {
    const QString structure = QStringLiteral(
        "<DATABASE Name=\"d\"><TABLE Name=\"c\" Migrate=\"0\">"
        "<FOREIGNKEY Name=\"fk_cascade\" RelatedColumn=\"a\" PrimaryKeyTable=\"p\" ForeignKeyTable=\"c\" UpdateRule=\"CASCADE\" DeleteRule=\"CASCADE\" PrimaryKeyColumn=\"id\" Migrate=\"1\"/>"
        "<FOREIGNKEY Name=\"fk_null\" RelatedColumn=\"a\" PrimaryKeyTable=\"p\" ForeignKeyTable=\"c\" UpdateRule=\"NO ACTION\" DeleteRule=\"set null\" PrimaryKeyColumn=\"id\" Migrate=\"1\"/>"
        "<FOREIGNKEY Name=\"fk_restrict\" RelatedColumn=\"a\" PrimaryKeyTable=\"p\" ForeignKeyTable=\"c\" UpdateRule=\"RESTRICT\" DeleteRule=\"RESTRICT\" PrimaryKeyColumn=\"id\" Migrate=\"1\"/>"
        "<FOREIGNKEY Name=\"fk_default\" RelatedColumn=\"a\" PrimaryKeyTable=\"p\" ForeignKeyTable=\"c\" UpdateRule=\"SET DEFAULT\" DeleteRule=\"1\" PrimaryKeyColumn=\"id\" Migrate=\"1\"/>"
        "</TABLE></DATABASE>");
    struct Case {
        const char* name;
        GeneratorFn generate;
        std::vector<const char*> statements;
        std::vector<const char*> notCarried;
    } cases[] = {
        {"SqlServer65", &cMigrate::GenerateSQLServer65Tables,
         {"Alter table c ADD CONSTRAINT FK_# FOREIGN KEY (a) References p(id)",
          "Alter table c ADD CONSTRAINT FK_# FOREIGN KEY (a) References p(id)",
          "Alter table c ADD CONSTRAINT FK_# FOREIGN KEY (a) References p(id)",
          "Alter table c ADD CONSTRAINT FK_# FOREIGN KEY (a) References p(id)"},
         {"fk_cascade|ON UPDATE CASCADE and ON DELETE CASCADE|SQLSERVER65", "fk_null|ON DELETE SET NULL|SQLSERVER65",
          "fk_default|ON UPDATE SET DEFAULT|SQLSERVER65"}},
        {"SqlServer", &cMigrate::GenerateSQLServerTables,
         {"Alter table \"c\" ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References \"p\"(id) ON UPDATE CASCADE ON DELETE CASCADE",
          "Alter table \"c\" ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References \"p\"(id)",
          "Alter table \"c\" ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References \"p\"(id)",
          "Alter table \"c\" ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References \"p\"(id)"},
         {"fk_null|ON DELETE SET NULL|SQLSERVER", "fk_default|ON UPDATE SET DEFAULT|SQLSERVER"}},
        {"Access", &cMigrate::GenerateAccessTables,
         {"Alter table [c] ADD CONSTRAINT \"FK_#\" FOREIGN KEY ([a]) References [p]([id]) ON UPDATE CASCADE ON DELETE CASCADE",
          "Alter table [c] ADD CONSTRAINT \"FK_#\" FOREIGN KEY ([a]) References [p]([id])",
          "Alter table [c] ADD CONSTRAINT \"FK_#\" FOREIGN KEY ([a]) References [p]([id])",
          "Alter table [c] ADD CONSTRAINT \"FK_#\" FOREIGN KEY ([a]) References [p]([id])"},
         {"fk_null|ON DELETE SET NULL|ACCESS", "fk_default|ON UPDATE SET DEFAULT|ACCESS"}},
        {"Oracle", &cMigrate::GenerateOracleTables,
         {"Alter table c ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id) ON DELETE CASCADE",
          "Alter table c ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id) ON DELETE SET NULL",
          "Alter table c ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id)",
          "Alter table c ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id)"},
         {"fk_cascade|ON UPDATE CASCADE|ORACLE", "fk_default|ON UPDATE SET DEFAULT|ORACLE"}},
        {"Db2", &cMigrate::GenerateDB2Tables,
         {"Alter table c ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id) ON DELETE CASCADE",
          "Alter table c ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id) ON DELETE SET NULL",
          "Alter table c ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id) ON UPDATE RESTRICT ON DELETE RESTRICT",
          "Alter table c ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id)"},
         {"fk_cascade|ON UPDATE CASCADE|IBMDB2", "fk_default|ON UPDATE SET DEFAULT|IBMDB2"}},
    };
    testdb::SqliteFile target;
    for (const Case& c : cases) {
        cMigrate generator;
        QStringList notCarried, queries;
        generator.MigrationRuleNotCarried = [&](const QString& name, const QString& rules, const QString& targetDB, const QString& query) {
            notCarried << name + QLatin1Char('|') + rules + QLatin1Char('|') + targetDB;
            queries << query;
        };
        generator.SetConnectionString(target.connectionString());
        generator.SetDBXMLContent(structure);
        generator.ExecuteImmediately(false);
        (generator.*c.generate)(QStringLiteral("OTHERS"));
        QStringList expectedStatements, expectedNotCarried;
        for (const char* statement : c.statements) expectedStatements << QLatin1String(statement);
        for (const char* entry : c.notCarried) expectedNotCarried << QLatin1String(entry);
        EXPECT_EQ(Statements(generator.AllQueries()), expectedStatements) << c.name;
        EXPECT_EQ(notCarried, expectedNotCarried) << c.name;
        for (const QString& query : queries) EXPECT_TRUE(generator.AllQueries().contains(query + cMigrate::Separator())) << c.name;
    }
}

// What an index or key of the source says beyond its columns: written where the
// dialect's statement takes it (DESC, Oracle's DEFERRABLE); otherwise the index is
// made with its key columns over the whole table, the key without it, and what was
// left out is reported with the object's name (an index that only descends loses
// nothing without DESC).
TEST_F(Generator, IndexAndKeyFactsPerDialect) {
    const QString structure = QStringLiteral(
        "<DATABASE Name=\"d\"><TABLE Name=\"t\" Migrate=\"0\">"
        "<INDEX Name=\"ix_part\" Column_Name=\"a\" Description=\"Unique\" Table_Name=\"t\" Migrate=\"1\" Where=\"b > 0\"/>"
        "<INDEX Name=\"ix_cover\" Column_Name=\"a,b\" Description=\"\" Table_Name=\"t\" Migrate=\"1\" Descending=\"a\" Include=\"c\"/>"
        "<INDEX Name=\"ix_gin\" Column_Name=\"d\" Description=\"\" Table_Name=\"t\" Migrate=\"1\" Method=\"gin\"/>"
        "<INDEX Name=\"ix_plain\" Column_Name=\"b\" Description=\"\" Table_Name=\"t\" Migrate=\"1\"/>"
        "<INDEX Name=\"ix_down\" Column_Name=\"b,a\" Description=\"\" Table_Name=\"t\" Migrate=\"1\" Descending=\"b,a\"/>"
        "<FOREIGNKEY Name=\"fk_late\" RelatedColumn=\"a\" PrimaryKeyTable=\"p\" ForeignKeyTable=\"t\" UpdateRule=\"NO ACTION\" "
        "DeleteRule=\"CASCADE\" PrimaryKeyColumn=\"id\" Migrate=\"1\" Deferrable=\"INITIALLY DEFERRED\"/>"
        "</TABLE></DATABASE>");
    struct Case {
        const char* name;
        GeneratorFn generate;
        std::vector<const char*> statements;
        std::vector<const char*> notCarried;
    } cases[] = {
        {"SqlServer65", &cMigrate::GenerateSQLServer65Tables,
         {"Create UNIQUE  INDEX IX_# on t(a)", "Create  INDEX IX_# on t(a,b)", "Create  INDEX IX_# on t(d)",
          "Create  INDEX IX_# on t(b)", "Create  INDEX IX_# on t(b,a)",
          "Alter table t ADD CONSTRAINT FK_# FOREIGN KEY (a) References p(id)"},
         {"ix_part|WHERE b > 0|SQLSERVER65", "ix_cover|a DESC and INCLUDE (c)|SQLSERVER65", "ix_gin|USING gin|SQLSERVER65",
          "fk_late|ON DELETE CASCADE and DEFERRABLE INITIALLY DEFERRED|SQLSERVER65"}},
        {"Oracle", &cMigrate::GenerateOracleTables,
         {"Create UNIQUE  INDEX \"IX_#\" on t(a)", "Create  INDEX \"IX_#\" on t(a DESC,b)", "Create  INDEX \"IX_#\" on t(d)",
          "Create  INDEX \"IX_#\" on t(b)", "Create  INDEX \"IX_#\" on t(b DESC,a DESC)",
          "Alter table t ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id) ON DELETE CASCADE DEFERRABLE INITIALLY DEFERRED"},
         {"ix_part|WHERE b > 0|ORACLE", "ix_cover|INCLUDE (c)|ORACLE", "ix_gin|USING gin|ORACLE"}},
        {"Db2", &cMigrate::GenerateDB2Tables,
         {"Create UNIQUE  INDEX \"IX_#\" on t(a)", "Create  INDEX \"IX_#\" on t(a DESC,b)", "Create  INDEX \"IX_#\" on t(d)",
          "Create  INDEX \"IX_#\" on t(b)", "Create  INDEX \"IX_#\" on t(b DESC,a DESC)",
          "Alter table t ADD CONSTRAINT \"FK_#\" FOREIGN KEY (a) References p(id) ON DELETE CASCADE"},
         {"ix_part|WHERE b > 0|IBMDB2", "ix_cover|INCLUDE (c)|IBMDB2", "ix_gin|USING gin|IBMDB2",
          "fk_late|DEFERRABLE INITIALLY DEFERRED|IBMDB2"}},
    };
    testdb::SqliteFile target;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cMigrate generator;
        QStringList notCarried;
        generator.MigrationRuleNotCarried = [&](const QString& name, const QString& rules, const QString& targetDB, const QString&) {
            notCarried << name + QLatin1Char('|') + rules + QLatin1Char('|') + targetDB;
        };
        generator.SetConnectionString(target.connectionString());
        generator.SetDBXMLContent(structure);
        generator.ExecuteImmediately(false);
        (generator.*c.generate)(QStringLiteral("OTHERS"));
        QStringList expectedStatements, expectedNotCarried;
        for (const char* statement : c.statements) expectedStatements << QLatin1String(statement);
        for (const char* entry : c.notCarried) expectedNotCarried << QLatin1String(entry);
        EXPECT_EQ(Statements(generator.AllQueries()), expectedStatements);
        EXPECT_EQ(notCarried, expectedNotCarried);
    }
}

// A damaged map: every column is reported with its table and column, and the
// statements are still built (and rejected by the target), nothing crashes.
TEST_F(Generator, DamagedMapReportsEveryColumn) {
    testsupport::WriteFile(AppPath() + QStringLiteral("/DataTypes.mxd"), QStringLiteral("not a cipher text"));
    testdb::SqliteFile targetDb;
    cMigrate generator;
    EXPECT_FALSE(generator.DataTypeMapLoaded());
    QStringList reported;
    generator.MigrationDataTypeError = [&](const QString& description, const QString& source, const QString& target,
                                           const QString& type, const QString& object) {
        reported << QStringList{object, description, source, target, type}.join(QLatin1Char('|'));
    };
    generator.SetConnectionString(targetDb.connectionString());
    generator.SetDBXMLContent(QString::fromUtf8(kShop));
    generator.ExecuteImmediately(false);
    generator.GenerateSQLServer65Tables(QStringLiteral("OTHERS"));
    EXPECT_EQ(reported, (QStringList{QStringLiteral("Orders.ID|Datatype couldnot be matched|OTHERS|SQLSERVER65|integer"),
                                     QStringLiteral("Orders.Name|Datatype couldnot be matched|OTHERS|SQLSERVER65|VARCHAR"),
                                     QStringLiteral("Order Lines.Line No|Datatype couldnot be matched|OTHERS|SQLSERVER65|integer"),
                                     QStringLiteral("Order Lines.Order ID|Datatype couldnot be matched|OTHERS|SQLSERVER65|integer")}));
}

// A target that refuses the connection: the generators that stop say so once and
// generate nothing; Oracle and DB2 go on and report every statement.
TEST_F(Generator, RefusedConnection) {
    const QString missing = QStringLiteral("Driver=SQLite3;Database=/nonexistent/morvalex/none.db;NoCreat=1;PWD=secret");
    struct Case {
        GeneratorFn generate;
        int errors;
        int notifications;
    } cases[] = {{&cMigrate::GenerateAccessTables, 1, 0},
                 {&cMigrate::GenerateSQLServerTables, 1, 0},
                 {&cMigrate::GenerateSQLServer65Tables, 1, 0},
                 {&cMigrate::GenerateOracleTables, 1 + 6, 12},
                 {&cMigrate::GenerateDB2Tables, 1 + 6, 12}};
    for (const Case& c : cases) {
        cMigrate generator;
        QStringList failures;
        int notifications = 0;
        generator.MigrationError = [&](qint32, const QString& description, const QString& object, const QString& query) {
            failures << object + QLatin1Char('|') + description + QLatin1Char('|') + query;
        };
        generator.WhileMigrating = [&](auto&&...) { ++notifications; };
        generator.SetConnectionString(missing);
        generator.SetDBXMLContent(QString::fromUtf8(kShop));
        generator.ExecuteImmediately(true);
        EXPECT_FALSE((generator.*c.generate)(QStringLiteral("OTHERS")));
        ASSERT_EQ(failures.size(), c.errors);
        EXPECT_EQ(notifications, c.notifications);
        EXPECT_EQ(failures.first(),
                  QStringLiteral("Connection|Error connecting to database check whether your server is active|"
                                 "Driver=SQLite3;Database=/nonexistent/morvalex/none.db;NoCreat=1;PWD=****"));
    }
}

// Nothing marked: no statement, no notification. Marks count as numbers.
TEST_F(Generator, OnlyMarkedObjects) {
    testdb::SqliteFile target;
    cMigrate generator;
    int notifications = 0;
    generator.WhileMigrating = [&](auto&&...) { ++notifications; };
    generator.SetConnectionString(target.connectionString());
    QString unmarked = QString::fromUtf8(kShop);
    unmarked.replace(QStringLiteral("Migrate=\"1\""), QStringLiteral("Migrate=\"0\""));
    generator.SetDBXMLContent(unmarked);
    generator.ExecuteImmediately(true);
    EXPECT_TRUE(generator.GenerateSQLServer65Tables(QStringLiteral("OTHERS")));
    EXPECT_EQ(generator.AllQueries(), QString());
    EXPECT_EQ(notifications, 0);

    cMigrate second;
    QString one = unmarked;
    one.replace(QStringLiteral("<TABLE Name=\"Skipped\" Migrate=\"0\">"), QStringLiteral("<TABLE Name=\"Skipped\" Migrate=\" 1.0\">"));
    second.SetConnectionString(target.connectionString());
    second.SetDBXMLContent(one);
    second.ExecuteImmediately(true);
    EXPECT_TRUE(second.GenerateSQLServer65Tables(QStringLiteral("OTHERS")));
    EXPECT_EQ(Statements(second.AllQueries()), QStringList{QStringLiteral("Create Table Skipped(x integer)")});
}

// A foreign key over two columns, written as two elements, is one constraint; names
// drawn for many objects in one run never repeat; the primary key the columns name is
// created when the catalogue gave no index for it.
TEST_F(Generator, KeysAndUniqueNames) {
    QString xml = QStringLiteral("<DATABASE Name=\"d\">"
                                 "<TABLE Name=\"p\" Migrate=\"1\">"
                                 "<COLUMN Name=\"a\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"pk\"/>"
                                 "<COLUMN Name=\"b\" Datatype=\"integer\" Length=\"10\" Null_Allowed=\"False\" Primary_Key=\"pk\"/>"
                                 "<FOREIGNKEY Name=\"fk\" RelatedColumn=\"x\" PrimaryKeyTable=\"p\" ForeignKeyTable=\"c\" PrimaryKeyColumn=\"a\" Migrate=\"1\"/>"
                                 "<FOREIGNKEY Name=\"fk\" RelatedColumn=\"y\" PrimaryKeyTable=\"p\" ForeignKeyTable=\"c\" PrimaryKeyColumn=\"b\" Migrate=\"1\"/>"
                                 "</TABLE>");
    for (int i = 0; i < 200; ++i)
        xml += QStringLiteral("<TABLE Name=\"t%1\" Migrate=\"0\"><INDEX Name=\"i%1\" Column_Name=\"a\" Description=\"\" Table_Name=\"t%1\" Migrate=\"1\"/></TABLE>").arg(i);
    xml += QStringLiteral("</DATABASE>");
    testdb::SqliteFile target;
    cMigrate generator;
    generator.SetConnectionString(target.connectionString());
    generator.SetDBXMLContent(xml);
    generator.ExecuteImmediately(false);
    generator.GenerateSQLServer65Tables(QStringLiteral("OTHERS"));
    const QStringList statements = Statements(generator.AllQueries());
    ASSERT_EQ(statements.size(), 1 + 1 + 200 + 1);
    EXPECT_EQ(statements[1], QStringLiteral("Alter table p ADD CONSTRAINT IX_# PRIMARY KEY (a,b)"));
    EXPECT_EQ(statements.last(), QStringLiteral("Alter table c ADD CONSTRAINT FK_# FOREIGN KEY (x,y) References p(a,b)"));
    static const QRegularExpression name(QStringLiteral("\\b(?:IX|FK)_\\d{15}\\b"));
    QSet<QString> names;
    for (auto it = name.globalMatch(generator.AllQueries()); it.hasNext();) names.insert(it.next().captured());
    EXPECT_EQ(names.size(), 202);
}

// ExecuteAll runs a script as the generator writes it, split only at its separator
// lines: "Go" inside names and statements stays where it is.
TEST_F(Generator, ExecuteAllSplitsAtSeparatorLinesOnly) {
    testdb::SqliteFile target;
    cMigrate generator;
    generator.SetConnectionString(target.connectionString());
    generator.SetDBXMLContent(QStringLiteral("<DATABASE/>"));
    EXPECT_FALSE(generator.ExecuteAll(QStringLiteral("Create Table a(x integer)")));  // no connection yet
    generator.ExecuteImmediately(true);
    generator.GenerateSQLServer65Tables(QStringLiteral("OTHERS"));
    const QString script = QStringLiteral("Create Table Gophers(Go integer, Gone text)") + cMigrate::Separator() +
                           QStringLiteral("Create Table \"Go\"(\nGo integer)") + cMigrate::Separator();
    EXPECT_TRUE(generator.ExecuteAll(script));
    platform::ado::Connection connection;
    connection.Open(target.connectionString());
    auto rs = connection.Execute(QStringLiteral("SELECT group_concat(name, ',') FROM (SELECT name FROM sqlite_master WHERE type='table' ORDER BY name)"));
    EXPECT_EQ(rs->Fields(0).toString(), QStringLiteral("Go,Gophers"));
    EXPECT_FALSE(generator.ExecuteAll(QStringLiteral("Create Table ok1(x integer)") + cMigrate::Separator() + QStringLiteral("nonsense")));
}

// The summary: a failed object leaves the list of created ones by its exact name only;
// the result line follows what is left.
TEST_F(Generator, SummaryLines) {
    cXML doc;
    ASSERT_TRUE(doc.LoadXMLContent(QStringLiteral("<DATABASE/>")));
    const QStringList chosen = {QStringLiteral("orders_archive"), QStringLiteral("Orders"), QStringLiteral("orders")};
    struct Case {
        QStringList failed;
        QString result;
        QString created;
    } cases[] = {
        {{}, QStringLiteral("Database objects selected have been migrated successfully."),
         QStringLiteral("orders_archive, Orders, orders have been created in T\r\n\r\n")},
        {{QStringLiteral("orders")}, QStringLiteral("Database objects transferred with errors."),
         QStringLiteral("orders_archive, Orders have been created in T\r\n\r\norders failed to copy")},
        {{QStringLiteral("Orders"), QStringLiteral("orders_archive"), QStringLiteral("orders")},
         QStringLiteral("None of batabase objects were migrated."), QStringLiteral("Orders failed to copy")},
    };
    for (const Case& c : cases) {
        MigrationSession session;
        session.MarkObjects(doc, {}, chosen);
        for (const QString& name : c.failed) session.ObjectFailed(name, QStringLiteral("refused"), QStringLiteral("Create Table x()"));
        EXPECT_EQ(session.ResultLine(), c.result);
        EXPECT_TRUE(session.Summary(QStringLiteral("T")).startsWith(c.created))
            << qPrintable(session.Summary(QStringLiteral("T")));
    }
}

}  // namespace
