// The shipped query catalogue (queries.mxq, deciphered at start-up) and the two test
// catalogues the end-to-end imports use: every command as the readers build it, the
// result columns each reader asks for, and names that must stay data inside their
// SQL literals. Products that cannot run here (SQL Server, Oracle, DB2) are checked
// through their command texts only.

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/CatalogueQuery.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

using namespace bGlobal;
using namespace catalogue;

namespace {

constexpr int kKinds = 12;
constexpr int kLastType = dbOthers;

// The last COLUMN child each reader reads, by kind; -1 where the result rows are the
// text itself (procedure and trigger text).
constexpr int kLastColumn[kKinds] = {2, 8, 2, 3, 2, 2, 3, -1, 5, -1, 6, 3};

bool isStatement(const Entry& e) { return e.exists() && e.type() != QLatin1String("ADO") && !e.type().isEmpty(); }

// An entry's TYPE in one letter: S a SELECT ("SQL"), P a procedure call ("SP"), A the
// schema rowset ("ADO"), - nothing (empty).
char typeCode(const QString& type) {
    if (type == QLatin1String("SQL")) return 'S';
    if (type == QLatin1String("SP")) return 'P';
    if (type == QLatin1String("ADO")) return 'A';
    return type.isEmpty() ? '-' : '?';
}

QString where(int type, int kind) { return QStringLiteral("type %1 kind %2").arg(type).arg(kind); }

// The text with every single-quoted literal reduced to '' ('' inside a literal is an
// escaped quote): what is left is the statement's own structure.
QString withoutLiterals(const QString& sql) {
    QString out;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] != QLatin1Char('\'')) {
            out += sql[i];
            continue;
        }
        for (++i; i < sql.size(); ++i) {
            if (sql[i] != QLatin1Char('\'')) continue;
            if (i + 1 < sql.size() && sql[i + 1] == QLatin1Char('\'')) ++i;
            else break;
        }
        out += QStringLiteral("''");
    }
    return out;
}

// True when every occurrence of the placeholder stands inside a single-quoted literal.
bool placeholderQuoted(const QString& sql, const QString& placeholder) {
    bool inside = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] == QLatin1Char('\'')) inside = !inside;  // an escaped quote toggles twice
        else if (!inside && sql.mid(i, placeholder.size()) == placeholder) return false;
    }
    return true;
}

// Layout, result columns and placeholders of one entry that holds a statement.
void checkStatement(int type, int kind) {
    SCOPED_TRACE(where(type, kind).toStdString());
    const Entry e = Lookup(type, kind);
    ASSERT_TRUE(isStatement(e));
    const QString query = e.query(), condition = e.condition();
    EXPECT_FALSE(query.isEmpty());
    // The tables reader adds its separator even to an empty condition.
    if (kind == Tables) {
        EXPECT_FALSE(condition.isEmpty());
    }

    // Every column a reader reads is named, and a SELECT gives a column of that name.
    for (int i = 0; i <= kLastColumn[kind]; ++i) {
        QString column;
        ASSERT_NO_THROW(column = e.column(i)) << "COLUMN " << i;
        EXPECT_FALSE(column.isEmpty()) << "COLUMN " << i;
        if (e.type() != QLatin1String("SP")) {
            const QRegularExpression word(QStringLiteral("\\b%1\\b").arg(QRegularExpression::escape(column)),
                                          QRegularExpression::CaseInsensitiveOption);
            EXPECT_TRUE(query.contains(word)) << qPrintable(column) << " is not a result column";
        }
    }

    // Placeholders: the procedure text takes MORVPPP, the lists none, the others MORVXXX,
    // always inside a literal.
    const QString text = query + QLatin1Char(' ') + condition;
    const bool listsAll = kind == Tables || kind == Views || kind == Procedures;
    const QString used = kind == ProcedureText ? QStringLiteral("MORVPPP") : QStringLiteral("MORVXXX");
    const QString unused = kind == ProcedureText ? QStringLiteral("MORVXXX") : QStringLiteral("MORVPPP");
    EXPECT_EQ(text.contains(used), !listsAll);
    EXPECT_FALSE(text.contains(unused));
    EXPECT_TRUE(placeholderQuoted(text, used));

    // Whatever the name, it changes no more than the literals' content.
    const QString plain = withoutLiterals(BuildCommand(e, kind, QStringLiteral("t")));
    for (const char* name : {"O'Brien", "x'; DROP TABLE t; --", "''", "MORVXXX", "a'' OR ''1''=''1"}) {
        const QString built = BuildCommand(e, kind, QString::fromUtf8(name));
        EXPECT_EQ(withoutLiterals(built).toStdString(), plain.toStdString()) << name;
    }
}

// An entry with an empty TYPE holds the position of the entries after it: its blank
// command reads nothing, and it names the columns its reader asks for before running it.
void checkPositionHolder(int type, int kind) {
    SCOPED_TRACE(where(type, kind).toStdString());
    const Entry e = Lookup(type, kind);
    ASSERT_TRUE(e.hasType());
    EXPECT_TRUE(e.type().isEmpty());
    EXPECT_TRUE(e.query().isEmpty());
    EXPECT_TRUE(e.condition().isEmpty());
    for (int i = 0; i <= kLastColumn[kind]; ++i) {
        QString column;
        ASSERT_NO_THROW(column = e.column(i)) << "COLUMN " << i;
        EXPECT_FALSE(column.isEmpty()) << "COLUMN " << i;
    }
}

// The shipped catalogue, loaded by the start-up routine from the built queries.mxq.
class ShippedCatalogue : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::StartProgram();
        ASSERT_TRUE(oQueriesXML && oQueriesXML->HasDocument());
        ASSERT_TRUE(host->prompts.isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    }
    void TearDown() override { oQueriesXML.reset(); }

    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
};

// The reviewed command of every statement entry, built for the table, view, trigger or
// procedure O'Brien; entries several types share are listed once.
struct Expected {
    int kind;
    std::vector<int> types;
    const char* command;
};

const Expected kCommands[] = {
    {Tables, {dbSQLServer2000, dbSQLServer70},
     "SELECT USER_NAME(o.uid) AS TABLE_OWNER, o.name AS TABLE_NAME, o.crdate AS DATE_CREATED FROM "
     "sysobjects o Where o.xtype = 'U' AND OBJECTPROPERTY(o.id, 'IsMSShipped') = 0 ORDER BY o.name"},
    {Tables, {dbSQLServer65},
     "SELECT USER_NAME(o.uid) AS TABLE_OWNER, o.name AS TABLE_NAME, o.crdate AS DATE_CREATED FROM "
     "sysobjects o Where o.type = 'U' ORDER BY o.name"},
    {Tables, {dbOracle9i, dbOracle8i},
     "SELECT USER AS TABLE_OWNER, t.TABLE_NAME, o.CREATED AS DATE_CREATED FROM USER_TABLES t, "
     "USER_OBJECTS o Where o.OBJECT_NAME = t.TABLE_NAME AND o.OBJECT_TYPE = 'TABLE' AND t.NESTED = "
     "'NO' AND t.SECONDARY = 'N' AND (t.IOT_TYPE IS NULL OR t.IOT_TYPE = 'IOT') ORDER BY t.TABLE_NAME"},
    {Tables, {dbOracle7, dbPersonalOracle},
     "SELECT USER AS TABLE_OWNER, t.TABLE_NAME, o.CREATED AS DATE_CREATED FROM USER_TABLES t, "
     "USER_OBJECTS o Where o.OBJECT_NAME = t.TABLE_NAME AND o.OBJECT_TYPE = 'TABLE' ORDER BY "
     "t.TABLE_NAME"},
    {Tables, {dbIBMDB2},
     "SELECT TABSCHEMA AS TABLE_OWNER, TABNAME AS TABLE_NAME, CREATE_TIME AS DATE_CREATED FROM "
     "SYSCAT.TABLES Where TYPE = 'T' AND TABSCHEMA = CURRENT SCHEMA ORDER BY TABNAME"},
    {Columns, {dbSQLServer2000, dbSQLServer70},
     "SELECT TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, COLUMN_DEFAULT, IS_NULLABLE, DATA_TYPE, "
     "CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, DATETIME_PRECISION FROM INFORMATION_SCHEMA.COLUMNS "
     "Where TABLE_NAME = 'O''Brien' ORDER BY ORDINAL_POSITION"},
    {Columns, {dbSQLServer65},
     "SELECT t.name AS TABLE_NAME, c.name AS COLUMN_NAME, c.colid AS ORDINAL_POSITION, d.text AS "
     "COLUMN_DEFAULT, CASE WHEN c.status & 8 = 8 THEN 'YES' ELSE 'NO' END AS IS_NULLABLE, y.name AS "
     "DATA_TYPE, CASE WHEN c.type IN (37, 39, 45, 47) THEN c.length END AS CHARACTER_MAXIMUM_LENGTH, "
     "CASE WHEN c.type NOT IN (37, 39, 45, 47) THEN c.prec END AS NUMERIC_PRECISION, NULL AS "
     "DATETIME_PRECISION FROM sysobjects t, syscolumns c, systypes y, syscomments d Where c.id = t.id "
     "AND y.usertype = c.usertype AND c.cdefault *= d.id AND t.type = 'U' AND t.name = 'O''Brien' "
     "ORDER BY c.colid"},
    {Columns, {dbOracle9i},
     "SELECT TABLE_NAME, COLUMN_NAME, COLUMN_ID AS ORDINAL_POSITION, DATA_DEFAULT AS COLUMN_DEFAULT, "
     "DECODE(NULLABLE, 'N', 'NO', 'YES') AS IS_NULLABLE, DATA_TYPE, DECODE(DATA_TYPE, 'RAW', "
     "DATA_LENGTH, DECODE(CHAR_LENGTH, 0, TO_NUMBER(NULL), CHAR_LENGTH)) AS CHARACTER_MAXIMUM_LENGTH, "
     "DATA_PRECISION AS NUMERIC_PRECISION, DECODE(SUBSTR(DATA_TYPE, 1, 9), 'TIMESTAMP', DATA_SCALE, "
     "TO_NUMBER(NULL)) AS DATETIME_PRECISION FROM USER_TAB_COLUMNS Where TABLE_NAME = 'O''Brien' ORDER "
     "BY COLUMN_ID"},
    {Columns, {dbOracle8i, dbOracle7, dbPersonalOracle},
     "SELECT TABLE_NAME, COLUMN_NAME, COLUMN_ID AS ORDINAL_POSITION, DATA_DEFAULT AS COLUMN_DEFAULT, "
     "DECODE(NULLABLE, 'N', 'NO', 'YES') AS IS_NULLABLE, DATA_TYPE, DECODE(DATA_TYPE, 'CHAR', "
     "DATA_LENGTH, 'VARCHAR2', DATA_LENGTH, 'NCHAR', DATA_LENGTH, 'NVARCHAR2', DATA_LENGTH, 'RAW', "
     "DATA_LENGTH, TO_NUMBER(NULL)) AS CHARACTER_MAXIMUM_LENGTH, DATA_PRECISION AS NUMERIC_PRECISION, "
     "TO_NUMBER(NULL) AS DATETIME_PRECISION FROM USER_TAB_COLUMNS Where TABLE_NAME = 'O''Brien' ORDER "
     "BY COLUMN_ID"},
    {Columns, {dbIBMDB2},
     "SELECT TABNAME AS TABLE_NAME, COLNAME AS COLUMN_NAME, COLNO + 1 AS ORDINAL_POSITION, \"DEFAULT\" "
     "AS COLUMN_DEFAULT, CASE NULLS WHEN 'N' THEN 'NO' ELSE 'YES' END AS IS_NULLABLE, TYPENAME AS "
     "DATA_TYPE, CASE WHEN TYPENAME = 'DECIMAL' THEN NULL ELSE LENGTH END AS CHARACTER_MAXIMUM_LENGTH, "
     "CASE WHEN TYPENAME = 'DECIMAL' THEN LENGTH ELSE NULL END AS NUMERIC_PRECISION, CAST(NULL AS "
     "INTEGER) AS DATETIME_PRECISION FROM SYSCAT.COLUMNS Where TABSCHEMA = CURRENT SCHEMA AND TABNAME "
     "= 'O''Brien' ORDER BY COLNO"},
    {PrimaryKeys, {dbSQLServer2000, dbSQLServer70},
     "SELECT k.TABLE_NAME, k.COLUMN_NAME, k.CONSTRAINT_NAME AS PK_NAME FROM "
     "INFORMATION_SCHEMA.TABLE_CONSTRAINTS c INNER JOIN INFORMATION_SCHEMA.KEY_COLUMN_USAGE k ON "
     "k.CONSTRAINT_CATALOG = c.CONSTRAINT_CATALOG AND k.CONSTRAINT_SCHEMA = c.CONSTRAINT_SCHEMA AND "
     "k.CONSTRAINT_NAME = c.CONSTRAINT_NAME Where c.CONSTRAINT_TYPE = 'PRIMARY KEY' AND c.TABLE_NAME = "
     "'O''Brien' ORDER BY k.ORDINAL_POSITION"},
    {PrimaryKeys, {dbSQLServer65},
     "SELECT t.name AS TABLE_NAME, c.name AS COLUMN_NAME, k.name AS PK_NAME FROM sysobjects t, "
     "sysconstraints s, sysobjects k, sysindexes i, syscolumns c Where s.id = t.id AND k.id = "
     "s.constid AND s.status & 15 = 1 AND i.id = t.id AND i.name = k.name AND c.id = t.id AND c.name "
     "IN (INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 1), INDEX_COL(USER_NAME(t.uid) + '.' + "
     "t.name, i.indid, 2), INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 3), "
     "INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 4), INDEX_COL(USER_NAME(t.uid) + '.' + "
     "t.name, i.indid, 5), INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 6), "
     "INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 7), INDEX_COL(USER_NAME(t.uid) + '.' + "
     "t.name, i.indid, 8), INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 9), "
     "INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 10), INDEX_COL(USER_NAME(t.uid) + '.' + "
     "t.name, i.indid, 11), INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 12), "
     "INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 13), INDEX_COL(USER_NAME(t.uid) + '.' + "
     "t.name, i.indid, 14), INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 15), "
     "INDEX_COL(USER_NAME(t.uid) + '.' + t.name, i.indid, 16)) AND t.type = 'U' AND t.name = "
     "'O''Brien' ORDER BY c.colid"},
    {PrimaryKeys, {dbOracle9i, dbOracle8i, dbOracle7, dbPersonalOracle},
     "SELECT c.TABLE_NAME, k.COLUMN_NAME, c.CONSTRAINT_NAME AS PK_NAME FROM USER_CONSTRAINTS c, "
     "USER_CONS_COLUMNS k Where k.CONSTRAINT_NAME = c.CONSTRAINT_NAME AND k.TABLE_NAME = c.TABLE_NAME "
     "AND c.CONSTRAINT_TYPE = 'P' AND c.TABLE_NAME = 'O''Brien' ORDER BY k.POSITION"},
    {PrimaryKeys, {dbIBMDB2},
     "SELECT k.TABNAME AS TABLE_NAME, k.COLNAME AS COLUMN_NAME, k.CONSTNAME AS PK_NAME FROM "
     "SYSCAT.TABCONST c, SYSCAT.KEYCOLUSE k Where k.CONSTNAME = c.CONSTNAME AND k.TABSCHEMA = "
     "c.TABSCHEMA AND k.TABNAME = c.TABNAME AND c.TYPE = 'P' AND c.TABSCHEMA = CURRENT SCHEMA AND "
     "c.TABNAME = 'O''Brien' ORDER BY k.COLSEQ"},
    {Views, {dbSQLServer2000, dbSQLServer70},
     "SELECT v.TABLE_NAME, v.VIEW_DEFINITION, v.IS_UPDATABLE, o.crdate AS DATE_CREATED FROM "
     "INFORMATION_SCHEMA.VIEWS v INNER JOIN sysobjects o ON o.name = v.TABLE_NAME AND o.uid = "
     "USER_ID(v.TABLE_SCHEMA) WHERE o.xtype = 'V' AND OBJECTPROPERTY(o.id, 'IsMSShipped') = 0 ORDER BY "
     "v.TABLE_NAME"},
    {Views, {dbSQLServer65},
     "SELECT o.name AS TABLE_NAME, c.text AS VIEW_DEFINITION, NULL AS IS_UPDATABLE, o.crdate AS "
     "DATE_CREATED FROM sysobjects o, syscomments c WHERE c.id = o.id AND c.colid = 1 AND o.type = 'V' "
     "ORDER BY o.name"},
    {Views, {dbOracle9i, dbOracle8i},
     "SELECT v.VIEW_NAME AS TABLE_NAME, v.TEXT AS VIEW_DEFINITION, DECODE((SELECT COUNT(*) FROM "
     "USER_UPDATABLE_COLUMNS u WHERE u.TABLE_NAME = v.VIEW_NAME AND u.UPDATABLE = 'YES'), 0, 'NO', "
     "'YES') AS IS_UPDATABLE, o.CREATED AS DATE_CREATED FROM USER_VIEWS v, USER_OBJECTS o WHERE "
     "o.OBJECT_NAME = v.VIEW_NAME AND o.OBJECT_TYPE = 'VIEW' ORDER BY v.VIEW_NAME"},
    {Views, {dbOracle7, dbPersonalOracle},
     "SELECT v.VIEW_NAME AS TABLE_NAME, v.TEXT AS VIEW_DEFINITION, NULL AS IS_UPDATABLE, o.CREATED AS "
     "DATE_CREATED FROM USER_VIEWS v, USER_OBJECTS o WHERE o.OBJECT_NAME = v.VIEW_NAME AND "
     "o.OBJECT_TYPE = 'VIEW' ORDER BY v.VIEW_NAME"},
    {Views, {dbIBMDB2},
     "SELECT v.VIEWNAME AS TABLE_NAME, v.TEXT AS VIEW_DEFINITION, CASE v.READONLY WHEN 'Y' THEN 'NO' "
     "ELSE 'YES' END AS IS_UPDATABLE, t.CREATE_TIME AS DATE_CREATED FROM SYSCAT.VIEWS v, SYSCAT.TABLES "
     "t WHERE t.TABSCHEMA = v.VIEWSCHEMA AND t.TABNAME = v.VIEWNAME AND v.SEQNO = 1 AND v.VIEWSCHEMA = "
     "CURRENT SCHEMA ORDER BY v.VIEWNAME"},
    {ViewColumns, {dbSQLServer2000, dbSQLServer70},
     "SELECT VIEW_NAME, TABLE_NAME, COLUMN_NAME FROM INFORMATION_SCHEMA.VIEW_COLUMN_USAGE WHERE "
     "VIEW_NAME = 'O''Brien' ORDER BY TABLE_NAME, COLUMN_NAME"},
    {ViewColumns, {dbSQLServer65},
     "SELECT v.name AS VIEW_NAME, t.name AS TABLE_NAME, COL_NAME(d.depid, d.depnumber) AS COLUMN_NAME "
     "FROM sysdepends d, sysobjects v, sysobjects t WHERE v.id = d.id AND t.id = d.depid AND t.type IN "
     "('U', 'V') AND v.type = 'V' AND v.name = 'O''Brien' ORDER BY t.name, d.depnumber"},
    {ViewColumns, {dbOracle9i, dbOracle8i, dbOracle7, dbPersonalOracle},
     "SELECT c.TABLE_NAME AS VIEW_NAME, NULL AS TABLE_NAME, c.COLUMN_NAME FROM USER_TAB_COLUMNS c "
     "WHERE c.TABLE_NAME = 'O''Brien' ORDER BY c.COLUMN_ID"},
    {ViewColumns, {dbIBMDB2},
     "SELECT TABNAME AS VIEW_NAME, CAST(NULL AS VARCHAR(128)) AS TABLE_NAME, COLNAME AS COLUMN_NAME "
     "FROM SYSCAT.COLUMNS WHERE TABSCHEMA = CURRENT SCHEMA AND TABNAME = 'O''Brien' ORDER BY COLNO"},
    {Indexes, {dbSQLServer2000, dbSQLServer70},
     "SELECT x.INDEX_NAME, INDEX_COL(x.OWNED_NAME, x.indid, 1) + CASE WHEN INDEX_COL(x.OWNED_NAME, "
     "x.indid, 2) IS NULL THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, 2) END + CASE WHEN "
     "INDEX_COL(x.OWNED_NAME, x.indid, 3) IS NULL THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, "
     "3) END + CASE WHEN INDEX_COL(x.OWNED_NAME, x.indid, 4) IS NULL THEN '' ELSE ',' + "
     "INDEX_COL(x.OWNED_NAME, x.indid, 4) END + CASE WHEN INDEX_COL(x.OWNED_NAME, x.indid, 5) IS NULL "
     "THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, 5) END + CASE WHEN INDEX_COL(x.OWNED_NAME, "
     "x.indid, 6) IS NULL THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, 6) END + CASE WHEN "
     "INDEX_COL(x.OWNED_NAME, x.indid, 7) IS NULL THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, "
     "7) END + CASE WHEN INDEX_COL(x.OWNED_NAME, x.indid, 8) IS NULL THEN '' ELSE ',' + "
     "INDEX_COL(x.OWNED_NAME, x.indid, 8) END + CASE WHEN INDEX_COL(x.OWNED_NAME, x.indid, 9) IS NULL "
     "THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, 9) END + CASE WHEN INDEX_COL(x.OWNED_NAME, "
     "x.indid, 10) IS NULL THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, 10) END + CASE WHEN "
     "INDEX_COL(x.OWNED_NAME, x.indid, 11) IS NULL THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, "
     "11) END + CASE WHEN INDEX_COL(x.OWNED_NAME, x.indid, 12) IS NULL THEN '' ELSE ',' + "
     "INDEX_COL(x.OWNED_NAME, x.indid, 12) END + CASE WHEN INDEX_COL(x.OWNED_NAME, x.indid, 13) IS "
     "NULL THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, 13) END + CASE WHEN "
     "INDEX_COL(x.OWNED_NAME, x.indid, 14) IS NULL THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, "
     "14) END + CASE WHEN INDEX_COL(x.OWNED_NAME, x.indid, 15) IS NULL THEN '' ELSE ',' + "
     "INDEX_COL(x.OWNED_NAME, x.indid, 15) END + CASE WHEN INDEX_COL(x.OWNED_NAME, x.indid, 16) IS "
     "NULL THEN '' ELSE ',' + INDEX_COL(x.OWNED_NAME, x.indid, 16) END AS COLUMN_NAME, SUBSTRING(CASE "
     "WHEN x.status & 2 = 2 THEN ',Unique' ELSE '' END + CASE WHEN x.status & 2048 = 2048 THEN "
     "',Primary Key' ELSE '' END + CASE WHEN x.status & 16 = 16 THEN ',Clustered' ELSE '' END, 2, 40) "
     "AS DESCRIPTION FROM (SELECT i.id, i.indid, i.status, i.name AS INDEX_NAME, o.name AS TABLE_NAME, "
     "o.xtype, QUOTENAME(USER_NAME(o.uid)) + '.' + QUOTENAME(o.name) AS OWNED_NAME FROM sysindexes i "
     "INNER JOIN sysobjects o ON o.id = i.id) x Where x.xtype = 'U' AND x.TABLE_NAME = 'O''Brien' AND "
     "x.indid BETWEEN 1 AND 254 AND INDEXPROPERTY(x.id, x.INDEX_NAME, 'IsStatistics') = 0 AND "
     "INDEXPROPERTY(x.id, x.INDEX_NAME, 'IsHypothetical') = 0 ORDER BY x.indid"},
    {Indexes, {dbSQLServer65},
     "SELECT i.name AS INDEX_NAME, INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 1) + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 2) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 2) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 3) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 3) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 4) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 4) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 5) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 5) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 6) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 6) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 7) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 7) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 8) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 8) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 9) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 9) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 10) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 10) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 11) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 11) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 12) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 12) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 13) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 13) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 14) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 14) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 15) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 15) END + CASE WHEN "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 16) IS NOT NULL THEN ',' + "
     "INDEX_COL(USER_NAME(o.uid) + '.' + o.name, i.indid, 16) END AS COLUMN_NAME, SUBSTRING(CASE WHEN "
     "i.status & 2 = 2 THEN ',Unique' END + CASE WHEN i.status & 2048 = 2048 THEN ',Primary Key' END + "
     "CASE WHEN i.status & 16 = 16 THEN ',Clustered' END, 2, 40) AS DESCRIPTION FROM sysindexes i, "
     "sysobjects o Where o.id = i.id AND o.type = 'U' AND o.name = 'O''Brien' AND i.indid BETWEEN 1 "
     "AND 254 ORDER BY i.indid"},
    {Indexes, {dbOracle9i, dbOracle8i},
     "SELECT i.INDEX_NAME, MAX(DECODE(c.COLUMN_POSITION, 1, c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 2, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 3, ',' "
     "|| c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 4, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 5, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 6, ',' "
     "|| c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 7, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 8, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 9, ',' "
     "|| c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 10, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 11, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 12, "
     "',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 13, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 14, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 15, "
     "',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 16, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 17, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 18, "
     "',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 19, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 20, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 21, "
     "',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 22, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 23, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 24, "
     "',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 25, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 26, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 27, "
     "',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 28, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 29, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 30, "
     "',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 31, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 32, ',' || c.COLUMN_NAME)) AS COLUMN_NAME, "
     "LTRIM(DECODE(i.UNIQUENESS, 'UNIQUE', 'Unique', NULL) || DECODE(p.CONSTRAINT_NAME, NULL, NULL, "
     "',Primary Key'), ',') AS DESCRIPTION FROM USER_INDEXES i, USER_IND_COLUMNS c, USER_CONSTRAINTS p "
     "Where c.INDEX_NAME = i.INDEX_NAME AND p.CONSTRAINT_NAME (+) = i.INDEX_NAME AND p.TABLE_NAME (+) "
     "= i.TABLE_NAME AND p.CONSTRAINT_TYPE (+) = 'P' AND i.TABLE_NAME = 'O''Brien' GROUP BY "
     "i.INDEX_NAME, i.UNIQUENESS, p.CONSTRAINT_NAME ORDER BY i.INDEX_NAME"},
    {Indexes, {dbOracle7, dbPersonalOracle},
     "SELECT i.INDEX_NAME, MAX(DECODE(c.COLUMN_POSITION, 1, c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 2, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 3, ',' "
     "|| c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 4, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 5, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 6, ',' "
     "|| c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 7, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 8, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 9, ',' "
     "|| c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 10, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 11, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 12, "
     "',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 13, ',' || c.COLUMN_NAME)) || "
     "MAX(DECODE(c.COLUMN_POSITION, 14, ',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 15, "
     "',' || c.COLUMN_NAME)) || MAX(DECODE(c.COLUMN_POSITION, 16, ',' || c.COLUMN_NAME)) AS "
     "COLUMN_NAME, LTRIM(DECODE(i.UNIQUENESS, 'UNIQUE', 'Unique', NULL) || DECODE(p.CONSTRAINT_NAME, "
     "NULL, NULL, ',Primary Key'), ',') AS DESCRIPTION FROM USER_INDEXES i, USER_IND_COLUMNS c, "
     "USER_CONSTRAINTS p Where c.INDEX_NAME = i.INDEX_NAME AND p.CONSTRAINT_NAME (+) = i.INDEX_NAME "
     "AND p.TABLE_NAME (+) = i.TABLE_NAME AND p.CONSTRAINT_TYPE (+) = 'P' AND i.TABLE_NAME = "
     "'O''Brien' GROUP BY i.INDEX_NAME, i.UNIQUENESS, p.CONSTRAINT_NAME ORDER BY i.INDEX_NAME"},
    {Indexes, {dbIBMDB2},
     "SELECT INDNAME AS INDEX_NAME, TRANSLATE(COLNAMES, '+', '-') AS COLUMN_NAME, CASE UNIQUERULE WHEN "
     "'P' THEN 'Unique,Primary Key' WHEN 'U' THEN 'Unique' ELSE '' END AS DESCRIPTION FROM "
     "SYSCAT.INDEXES Where TABSCHEMA = CURRENT SCHEMA AND TABNAME = 'O''Brien' ORDER BY INDNAME"},
    {Procedures, {dbSQLServer2000},
     "SELECT ROUTINE_NAME AS PROCEDURE_NAME, ROUTINE_TYPE AS PROCEDURE_TYPE, CREATED AS DATE_CREATED, "
     "LAST_ALTERED AS DATE_MODIFIED FROM INFORMATION_SCHEMA.ROUTINES WHERE "
     "OBJECTPROPERTY(OBJECT_ID(QUOTENAME(ROUTINE_SCHEMA) + '.' + QUOTENAME(ROUTINE_NAME)), "
     "'IsMSShipped') = 0 ORDER BY ROUTINE_NAME"},
    {Procedures, {dbSQLServer70},
     "SELECT o.name AS PROCEDURE_NAME, 'PROCEDURE' AS PROCEDURE_TYPE, o.crdate AS DATE_CREATED, NULL "
     "AS DATE_MODIFIED FROM sysobjects o WHERE o.xtype = 'P' AND OBJECTPROPERTY(o.id, 'IsMSShipped') = "
     "0 ORDER BY o.name"},
    {Procedures, {dbSQLServer65},
     "SELECT o.name AS PROCEDURE_NAME, 'PROCEDURE' AS PROCEDURE_TYPE, o.crdate AS DATE_CREATED, NULL "
     "AS DATE_MODIFIED FROM sysobjects o WHERE o.type = 'P' ORDER BY o.name"},
    {Procedures, {dbOracle9i, dbOracle8i, dbOracle7, dbPersonalOracle},
     "SELECT OBJECT_NAME AS PROCEDURE_NAME, OBJECT_TYPE AS PROCEDURE_TYPE, CREATED AS DATE_CREATED, "
     "LAST_DDL_TIME AS DATE_MODIFIED FROM USER_OBJECTS WHERE OBJECT_TYPE IN ('PROCEDURE', 'FUNCTION', "
     "'PACKAGE') ORDER BY OBJECT_NAME"},
    {Procedures, {dbIBMDB2},
     "SELECT PROCNAME AS PROCEDURE_NAME, 'PROCEDURE' AS PROCEDURE_TYPE, CREATE_TIME AS DATE_CREATED, "
     "CAST(NULL AS TIMESTAMP) AS DATE_MODIFIED FROM SYSCAT.PROCEDURES WHERE PROCSCHEMA = CURRENT "
     "SCHEMA ORDER BY PROCNAME"},
    {ProcedureText, {dbSQLServer2000},
     "SELECT c.text AS PROCEDURE_TEXT FROM syscomments c INNER JOIN sysobjects o ON o.id = c.id WHERE "
     "o.name = 'O''Brien' AND o.xtype IN ('P', 'FN', 'IF', 'TF') AND c.encrypted = 0 ORDER BY o.id, "
     "c.number, c.colid"},
    {ProcedureText, {dbSQLServer70},
     "SELECT c.text AS PROCEDURE_TEXT FROM syscomments c INNER JOIN sysobjects o ON o.id = c.id WHERE "
     "o.name = 'O''Brien' AND o.xtype = 'P' AND c.encrypted = 0 ORDER BY o.id, c.number, c.colid"},
    {ProcedureText, {dbSQLServer65},
     "SELECT c.text AS PROCEDURE_TEXT FROM syscomments c, sysobjects o WHERE o.id = c.id AND o.type = "
     "'P' AND o.name = 'O''Brien' AND c.texttype & 4 = 0 ORDER BY o.id, c.number, c.colid"},
    {ProcedureText, {dbOracle9i, dbOracle8i, dbOracle7, dbPersonalOracle},
     "SELECT TEXT AS PROCEDURE_TEXT FROM USER_SOURCE WHERE NAME = 'O''Brien' AND TYPE IN ('PROCEDURE', "
     "'FUNCTION', 'PACKAGE', 'PACKAGE BODY') ORDER BY TYPE, LINE"},
    {ProcedureText, {dbIBMDB2},
     "SELECT TEXT AS PROCEDURE_TEXT FROM SYSCAT.PROCEDURES WHERE PROCSCHEMA = CURRENT SCHEMA AND "
     "PROCNAME = 'O''Brien' ORDER BY SPECIFICNAME"},
    {Triggers, {dbSQLServer2000},
     "SELECT o.name AS TRIGGER_NAME, t.name AS TABLE_NAME, CASE OBJECTPROPERTY(o.id, "
     "'ExecIsInsteadOfTrigger') WHEN 1 THEN 'INSTEAD OF' ELSE 'AFTER' END AS TRIGGER_TIMING, "
     "SUBSTRING(CASE OBJECTPROPERTY(o.id, 'ExecIsInsertTrigger') WHEN 1 THEN ',INSERT' ELSE '' END + "
     "CASE OBJECTPROPERTY(o.id, 'ExecIsUpdateTrigger') WHEN 1 THEN ',UPDATE' ELSE '' END + CASE "
     "OBJECTPROPERTY(o.id, 'ExecIsDeleteTrigger') WHEN 1 THEN ',DELETE' ELSE '' END, 2, 30) AS "
     "TRIGGER_EVENT, CASE OBJECTPROPERTY(o.id, 'ExecIsTriggerDisabled') WHEN 1 THEN 'DISABLED' ELSE "
     "'ENABLED' END AS TRIGGER_STATUS, o.crdate AS DATE_CREATED FROM sysobjects o INNER JOIN "
     "sysobjects t ON t.id = o.parent_obj WHERE o.xtype = 'TR' AND t.name = 'O''Brien' ORDER BY o.name"},
    {Triggers, {dbSQLServer70},
     "SELECT o.name AS TRIGGER_NAME, t.name AS TABLE_NAME, 'AFTER' AS TRIGGER_TIMING, SUBSTRING(CASE "
     "OBJECTPROPERTY(o.id, 'ExecIsInsertTrigger') WHEN 1 THEN ',INSERT' ELSE '' END + CASE "
     "OBJECTPROPERTY(o.id, 'ExecIsUpdateTrigger') WHEN 1 THEN ',UPDATE' ELSE '' END + CASE "
     "OBJECTPROPERTY(o.id, 'ExecIsDeleteTrigger') WHEN 1 THEN ',DELETE' ELSE '' END, 2, 30) AS "
     "TRIGGER_EVENT, CASE OBJECTPROPERTY(o.id, 'ExecIsTriggerDisabled') WHEN 1 THEN 'DISABLED' ELSE "
     "'ENABLED' END AS TRIGGER_STATUS, o.crdate AS DATE_CREATED FROM sysobjects o INNER JOIN "
     "sysobjects t ON t.id = o.parent_obj WHERE o.xtype = 'TR' AND t.name = 'O''Brien' ORDER BY o.name"},
    {Triggers, {dbSQLServer65},
     "SELECT r.name AS TRIGGER_NAME, t.name AS TABLE_NAME, 'AFTER' AS TRIGGER_TIMING, SUBSTRING(CASE "
     "WHEN t.instrig = r.id THEN ',INSERT' END + CASE WHEN t.updtrig = r.id THEN ',UPDATE' END + CASE "
     "WHEN t.deltrig = r.id THEN ',DELETE' END, 2, 30) AS TRIGGER_EVENT, NULL AS TRIGGER_STATUS, "
     "r.crdate AS DATE_CREATED FROM sysobjects t, sysobjects r WHERE r.type = 'TR' AND (r.id = "
     "t.instrig OR r.id = t.updtrig OR r.id = t.deltrig) AND t.type = 'U' AND t.name = 'O''Brien' "
     "ORDER BY r.name"},
    {Triggers, {dbOracle9i, dbOracle8i, dbOracle7, dbPersonalOracle},
     "SELECT t.TRIGGER_NAME, t.TABLE_NAME, t.TRIGGER_TYPE AS TRIGGER_TIMING, t.TRIGGERING_EVENT AS "
     "TRIGGER_EVENT, t.STATUS AS TRIGGER_STATUS, o.CREATED AS DATE_CREATED FROM USER_TRIGGERS t, "
     "USER_OBJECTS o WHERE o.OBJECT_NAME = t.TRIGGER_NAME AND o.OBJECT_TYPE = 'TRIGGER' AND "
     "t.TABLE_NAME = 'O''Brien' ORDER BY t.TRIGGER_NAME"},
    {Triggers, {dbIBMDB2},
     "SELECT TRIGNAME AS TRIGGER_NAME, TABNAME AS TABLE_NAME, CASE TRIGTIME WHEN 'B' THEN 'BEFORE' "
     "WHEN 'A' THEN 'AFTER' ELSE 'INSTEAD OF' END AS TRIGGER_TIMING, CASE TRIGEVENT WHEN 'I' THEN "
     "'INSERT' WHEN 'U' THEN 'UPDATE' ELSE 'DELETE' END AS TRIGGER_EVENT, CASE VALID WHEN 'Y' THEN "
     "'VALID' ELSE 'INVALID' END AS TRIGGER_STATUS, CREATE_TIME AS DATE_CREATED FROM SYSCAT.TRIGGERS "
     "WHERE TABSCHEMA = CURRENT SCHEMA AND TABNAME = 'O''Brien' ORDER BY TRIGNAME"},
    {TriggerText, {dbSQLServer2000, dbSQLServer70},
     "SELECT c.text AS TRIGGER_TEXT FROM syscomments c INNER JOIN sysobjects o ON o.id = c.id WHERE "
     "o.name = 'O''Brien' AND o.xtype = 'TR' AND c.encrypted = 0 ORDER BY o.id, c.colid"},
    {TriggerText, {dbSQLServer65},
     "SELECT c.text AS TRIGGER_TEXT FROM syscomments c, sysobjects o WHERE o.id = c.id AND o.type = "
     "'TR' AND o.name = 'O''Brien' AND c.texttype & 4 = 0 ORDER BY o.id, c.colid"},
    {TriggerText, {dbOracle9i, dbOracle8i, dbOracle7, dbPersonalOracle},
     "SELECT 'CREATE OR REPLACE TRIGGER' AS TRIGGER_HEAD, DESCRIPTION, DECODE(WHEN_CLAUSE, NULL, NULL, "
     "'WHEN (' || WHEN_CLAUSE || ')') AS TRIGGER_WHEN, TRIGGER_BODY FROM USER_TRIGGERS WHERE "
     "TRIGGER_NAME = 'O''Brien'"},
    {TriggerText, {dbIBMDB2},
     "SELECT TEXT AS TRIGGER_TEXT FROM SYSCAT.TRIGGERS WHERE TRIGSCHEMA = CURRENT SCHEMA AND TRIGNAME "
     "= 'O''Brien'"},
    {ForeignKeys, {dbSQLServer2000},
     "SELECT OBJECT_NAME(f.constid) AS FK_NAME, OBJECT_NAME(f.rkeyid) AS PK_TABLE_NAME, "
     "OBJECT_NAME(f.fkeyid) AS FK_TABLE_NAME, COL_NAME(f.fkeyid, f.fkey) AS FK_COLUMN_NAME, CASE "
     "OBJECTPROPERTY(f.constid, 'CnstIsUpdateCascade') WHEN 1 THEN 'CASCADE' ELSE 'NO ACTION' END AS "
     "UPDATE_RULE, CASE OBJECTPROPERTY(f.constid, 'CnstIsDeleteCascade') WHEN 1 THEN 'CASCADE' ELSE "
     "'NO ACTION' END AS DELETE_RULE, COL_NAME(f.rkeyid, f.rkey) AS PK_COLUMN_NAME FROM sysforeignkeys "
     "f INNER JOIN sysobjects r ON r.id = f.rkeyid Where r.xtype = 'U' AND r.name = 'O''Brien' ORDER "
     "BY OBJECT_NAME(f.fkeyid), OBJECT_NAME(f.constid), f.keyno"},
    {ForeignKeys, {dbSQLServer70},
     "SELECT OBJECT_NAME(f.constid) AS FK_NAME, OBJECT_NAME(f.rkeyid) AS PK_TABLE_NAME, "
     "OBJECT_NAME(f.fkeyid) AS FK_TABLE_NAME, COL_NAME(f.fkeyid, f.fkey) AS FK_COLUMN_NAME, 'NO "
     "ACTION' AS UPDATE_RULE, 'NO ACTION' AS DELETE_RULE, COL_NAME(f.rkeyid, f.rkey) AS PK_COLUMN_NAME "
     "FROM sysforeignkeys f INNER JOIN sysobjects r ON r.id = f.rkeyid Where r.xtype = 'U' AND r.name "
     "= 'O''Brien' ORDER BY OBJECT_NAME(f.fkeyid), OBJECT_NAME(f.constid), f.keyno"},
    {ForeignKeys, {dbSQLServer65},
     "spMorvTemp 'O''Brien'"},
    {ForeignKeys, {dbOracle9i, dbOracle8i, dbOracle7, dbPersonalOracle},
     "SELECT f.CONSTRAINT_NAME AS FK_NAME, p.TABLE_NAME AS PK_TABLE_NAME, f.TABLE_NAME AS "
     "FK_TABLE_NAME, fc.COLUMN_NAME AS FK_COLUMN_NAME, 'NO ACTION' AS UPDATE_RULE, f.DELETE_RULE, "
     "pc.COLUMN_NAME AS PK_COLUMN_NAME FROM USER_CONSTRAINTS f, USER_CONSTRAINTS p, USER_CONS_COLUMNS "
     "fc, USER_CONS_COLUMNS pc Where f.CONSTRAINT_TYPE = 'R' AND p.OWNER = f.R_OWNER AND "
     "p.CONSTRAINT_NAME = f.R_CONSTRAINT_NAME AND fc.CONSTRAINT_NAME = f.CONSTRAINT_NAME AND "
     "pc.CONSTRAINT_NAME = p.CONSTRAINT_NAME AND pc.POSITION = fc.POSITION AND p.TABLE_NAME = "
     "'O''Brien' ORDER BY f.TABLE_NAME, f.CONSTRAINT_NAME, fc.POSITION"},
    {ForeignKeys, {dbIBMDB2},
     "SELECT r.CONSTNAME AS FK_NAME, r.REFTABNAME AS PK_TABLE_NAME, r.TABNAME AS FK_TABLE_NAME, "
     "fk.COLNAME AS FK_COLUMN_NAME, CASE r.UPDATERULE WHEN 'R' THEN 'RESTRICT' ELSE 'NO ACTION' END AS "
     "UPDATE_RULE, CASE r.DELETERULE WHEN 'C' THEN 'CASCADE' WHEN 'N' THEN 'SET NULL' WHEN 'R' THEN "
     "'RESTRICT' ELSE 'NO ACTION' END AS DELETE_RULE, pk.COLNAME AS PK_COLUMN_NAME FROM "
     "SYSCAT.REFERENCES r, SYSCAT.KEYCOLUSE fk, SYSCAT.KEYCOLUSE pk Where fk.CONSTNAME = r.CONSTNAME "
     "AND fk.TABSCHEMA = r.TABSCHEMA AND fk.TABNAME = r.TABNAME AND pk.CONSTNAME = r.REFKEYNAME AND "
     "pk.TABSCHEMA = r.REFTABSCHEMA AND pk.TABNAME = r.REFTABNAME AND pk.COLSEQ = fk.COLSEQ AND "
     "r.REFTABSCHEMA = CURRENT SCHEMA AND r.REFTABNAME = 'O''Brien' ORDER BY r.TABNAME, r.CONSTNAME, "
     "fk.COLSEQ"},
    {CheckConstraints, {dbSQLServer2000, dbSQLServer70},
     "SELECT c.CONSTRAINT_NAME, u.TABLE_NAME, u.COLUMN_NAME, c.CHECK_CLAUSE FROM "
     "INFORMATION_SCHEMA.CHECK_CONSTRAINTS c INNER JOIN INFORMATION_SCHEMA.CONSTRAINT_COLUMN_USAGE u "
     "ON u.CONSTRAINT_CATALOG = c.CONSTRAINT_CATALOG AND u.CONSTRAINT_SCHEMA = c.CONSTRAINT_SCHEMA AND "
     "u.CONSTRAINT_NAME = c.CONSTRAINT_NAME Where u.TABLE_NAME = 'O''Brien' ORDER BY "
     "c.CONSTRAINT_NAME, u.COLUMN_NAME"},
    {CheckConstraints, {dbSQLServer65},
     "SELECT o.name AS CONSTRAINT_NAME, t.name AS TABLE_NAME, c.name AS COLUMN_NAME, m.text AS "
     "CHECK_CLAUSE FROM sysconstraints s, sysobjects o, sysobjects t, syscolumns c, syscomments m "
     "Where o.id = s.constid AND t.id = s.id AND c.id = s.id AND c.colid = s.colid AND m.id = "
     "s.constid AND m.colid = 1 AND s.status & 15 = 4 AND t.name = 'O''Brien' ORDER BY o.name"},
    {CheckConstraints, {dbOracle9i, dbOracle8i, dbOracle7, dbPersonalOracle},
     "SELECT c.CONSTRAINT_NAME, c.TABLE_NAME, k.COLUMN_NAME, c.SEARCH_CONDITION AS CHECK_CLAUSE FROM "
     "USER_CONSTRAINTS c, USER_CONS_COLUMNS k Where k.CONSTRAINT_NAME = c.CONSTRAINT_NAME AND "
     "k.TABLE_NAME = c.TABLE_NAME AND c.CONSTRAINT_TYPE = 'C' AND c.TABLE_NAME = 'O''Brien' ORDER BY "
     "c.CONSTRAINT_NAME, k.COLUMN_NAME"},
    {CheckConstraints, {dbIBMDB2},
     "SELECT c.CONSTNAME AS CONSTRAINT_NAME, c.TABNAME AS TABLE_NAME, cc.COLNAME AS COLUMN_NAME, "
     "c.TEXT AS CHECK_CLAUSE FROM SYSCAT.CHECKS c, SYSCAT.COLCHECKS cc Where cc.CONSTNAME = "
     "c.CONSTNAME AND cc.TABSCHEMA = c.TABSCHEMA AND cc.TABNAME = c.TABNAME AND c.TABSCHEMA = CURRENT "
     "SCHEMA AND c.TABNAME = 'O''Brien' ORDER BY c.CONSTNAME, cc.COLNAME"},
};

}  // namespace

TEST_F(ShippedCatalogue, EveryCommandIsTheReviewedText) {
    std::set<std::pair<int, int>> listed;
    for (const Expected& x : kCommands)
        for (int type : x.types) {
            listed.insert({type, x.kind});
            EXPECT_EQ(BuildCommand(Lookup(type, x.kind), x.kind, QStringLiteral("O'Brien")).toStdString(), x.command)
                << qPrintable(where(type, x.kind));
        }
    // The table covers exactly the entries that hold a statement.
    for (int type = 0; type <= kLastType; ++type)
        for (int kind = 0; kind < kKinds; ++kind)
            EXPECT_EQ(isStatement(Lookup(type, kind)), listed.count({type, kind}) == 1)
                << qPrintable(where(type, kind));
}

// What each entry is (letters of typeCode): the products with a catalogue of their own
// have a statement for every kind; Access and OTHERS have the schema rowsets and hold
// the places of procedures and triggers, which have no schema-rowset fallback.
TEST_F(ShippedCatalogue, EntriesFollowWhatTheReadersRead) {
    const char* kTypes[kLastType + 1] = {
        "",              // 0: no database type, no entries
        "SSSSSSSSSSSS",  // SQL Server 2000
        "SSSSSSSSSSSS",  // SQL Server 7.0
        "SSSSSSSSSSPS",  // SQL Server 6.5: foreign keys through sp_fkeys
        "SSSSSSSSSSSS",  // Oracle 9i
        "SSSSSSSSSSSS",  // Oracle 8i
        "SSSSSSSSSSSS",  // Oracle 7.x
        "SSSSSSSSSSSS",  // Personal Oracle
        "AAAAAA----AA",  // MS Access XP: the Access catalogue and the schema rowsets
        "AAAAAA----AA",  // MS Access 2000
        "AAAAAA----AA",  // MS Access 97, 95, 2.0
        "SSSSSSSSSSSS",  // IBM DB2 Version 7
        "AAAAAA----AA",  // OTHERS: the schema rowsets, no procedures or triggers
    };
    ASSERT_EQ(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE")).size(), kLastType + 1);
    EXPECT_TRUE(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE[0]/TABLE")).isEmpty());
    for (int type = 1; type <= kLastType; ++type) {
        ASSERT_EQ(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE[%1]/TABLE").arg(type)).size(), kKinds) << type;
        for (int kind = 0; kind < kKinds; ++kind) {
            const Entry e = Lookup(type, kind);
            ASSERT_TRUE(e.hasType()) << qPrintable(where(type, kind));
            const char actual = typeCode(e.type());
            EXPECT_EQ(actual, kTypes[type][kind]) << qPrintable(where(type, kind));
            if (actual == 'A') {
                EXPECT_TRUE(e.query().isEmpty() && e.condition().isEmpty()) << qPrintable(where(type, kind));
            }
        }
    }
}

TEST_F(ShippedCatalogue, EntriesNameTheirColumnsAndQuoteTheirNames) {
    for (int type = 1; type <= kLastType; ++type)
        for (int kind = 0; kind < kKinds; ++kind) {
            const Entry e = Lookup(type, kind);
            if (isStatement(e)) checkStatement(type, kind);
            else if (e.type().isEmpty()) checkPositionHolder(type, kind);
        }
}

// The test catalogues hold the engine's own SQL at type code 2 for every kind, so each
// reader's SQL path runs against a real server or file; OTHERS keeps the schema rowsets.
TEST(TestCatalogues, HoldTheEnginesSqlForEveryKind) {
    platform::ui::ScopedScriptedHost host;
    for (const char* file : {"catalogue-postgresql.xml", "catalogue-sqlite.xml"}) {
        SCOPED_TRACE(file);
        oQueriesXML = std::make_shared<cXML>();
        const QString path = QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/") + QLatin1String(file);
        ASSERT_TRUE(oQueriesXML->LoadXMLFile(path));
        ASSERT_EQ(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE")).size(), kLastType + 1);
        for (int kind = 0; kind < kKinds; ++kind) {
            EXPECT_EQ(Lookup(dbSQLServer70, kind).type().toStdString(), "SQL") << kind;
            checkStatement(dbSQLServer70, kind);
            if (kind >= Procedures && kind <= TriggerText) checkPositionHolder(dbOthers, kind);
            else EXPECT_EQ(Lookup(dbOthers, kind).type().toStdString(), "ADO") << kind;
        }
    }
    oQueriesXML.reset();
    EXPECT_TRUE(host->prompts.isEmpty());
}
