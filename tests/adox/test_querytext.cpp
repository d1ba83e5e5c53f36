// The SQL text of saved queries rebuilt from small sets of query-catalogue rows.

#include "platform/adox/Adox.h"

#include <gtest/gtest.h>

using platform::adox::QueryKind;
using platform::adox::QueryRow;
using platform::adox::QuerySql;

namespace {

QueryRow row(int attribute, const char* name1 = "", const char* name2 = "", const char* expression = "", QVariant flag = {}) {
    return QueryRow{attribute, QString::fromUtf8(name1), QString::fromUtf8(name2), QString::fromUtf8(expression), flag};
}

}  // namespace

TEST(QueryText, EachClauseFromItsRows) {
    const struct {
        const char* name;
        QList<QueryRow> rows;
        const char* sql;
    } cases[] = {
        {"columns with aliases, a table alias, where and order",
         {row(1, "", "", "", 1), row(3, "", "", "", 0), row(5, "Order Details", "od"), row(6, "", "", "od.OrderID"),
          row(6, "Line Total", "", "od.Price*od.Qty"), row(8, "", "", "od.Qty>1"), row(11, "D", "", "od.OrderID"),
          row(11, "", "", "od.Price")},
         "SELECT od.OrderID, od.Price*od.Qty AS [Line Total]\r\nFROM [Order Details] AS od\r\nWHERE od.Qty>1\r\n"
         "ORDER BY od.OrderID DESC, od.Price;"},
        {"all fields, DISTINCT, TOP n PERCENT and owner access",
         {row(1, "", "", "", 1), row(3, "25", "", "", 1 | 2 | 4 | 16 | 32), row(5, "t")},
         "SELECT DISTINCT TOP 25 PERCENT *\r\nFROM t\r\nWITH OWNERACCESS OPTION;"},
        {"joins nest in their order; a second condition of the same pair joins with AND",
         {row(1, "", "", "", 1), row(5, "a"), row(5, "b"), row(5, "c"), row(5, "d"), row(6, "", "", "a.x"),
          row(7, "a", "b", "a.id = b.id", 2), row(7, "a", "b", "a.k = b.k", 2), row(7, "c", "b", "c.id = b.cid", 3),
          row(7, "q", "a", "never", 1)},
         "SELECT a.x\r\nFROM c RIGHT JOIN (a LEFT JOIN b ON a.id = b.id AND a.k = b.k) ON c.id = b.cid, d;"},
        {"group by and having",
         {row(1, "", "", "", 1), row(3, "", "", "", 8), row(5, "t"), row(6, "", "", "t.k"), row(6, "n", "", "Count(*)"),
          row(9, "", "", "t.k"), row(10, "", "", "Count(*)>2")},
         "SELECT DISTINCTROW t.k, Count(*) AS n\r\nFROM t\r\nGROUP BY t.k\r\nHAVING Count(*)>2;"},
        {"union of distinct rows, ordered",
         {row(1, "", "", "", 9), row(3, "", "", "", 3), row(5, "", "X1", "SELECT a FROM t\r\n"), row(5, "", "X2", "SELECT b FROM u"),
          row(11, "", "", "a")},
         "SELECT a FROM t\r\nUNION SELECT b FROM u\r\nORDER BY a;"},
        {"union all", {row(1, "", "", "", 9), row(3, "", "", "", 1), row(5, "", "X1", "SELECT a FROM t"), row(5, "", "X2", "SELECT b FROM u")},
         "SELECT a FROM t\r\nUNION ALL SELECT b FROM u;"},
        {"crosstab: value, row headings, column heading",
         {row(1, "", "", "", 6), row(5, "t"), row(6, "", "", "t.r", 2), row(6, "", "", "t.c", 1), row(6, "v", "", "Sum(t.x)", 0),
          row(9, "", "", "t.r", 2), row(9, "", "", "t.c", 1)},
         "TRANSFORM Sum(t.x) AS v\r\nSELECT t.r\r\nFROM t\r\nGROUP BY t.r\r\nPIVOT t.c;"},
        {"parameters with and without a known type",
         {row(1, "", "", "", 1), row(2, "From Date", "", "", 8), row(2, "n", "", "", 99), row(5, "t"), row(6, "", "", "t.a"),
          row(8, "", "", "t.d>[From Date]")},
         "PARAMETERS [From Date] DateTime, n;\r\nSELECT t.a\r\nFROM t\r\nWHERE t.d>[From Date];"},
        {"an action query has no view text", {row(1, "", "", "", 5), row(5, "t"), row(8, "", "", "t.x=1")}, ""},
        {"rows without a kind", {row(5, "t")}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(QuerySql(c.rows).toStdString(), std::string(c.sql));
    }
    EXPECT_EQ(QueryKind({row(0), row(1, "", "", "", 6)}), 6);
    EXPECT_EQ(QueryKind({row(0)}), 0);
}
