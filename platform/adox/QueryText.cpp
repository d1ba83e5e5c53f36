// The SQL text of a saved query, rebuilt from its rows in the query catalogue
// (MSysQueries). Each row's Attribute says what it holds:
//   1 the query's kind (Flag), 2 a parameter (Name1, its type's number in Flag), 3 the select options (Flag: 1 all
//   fields, 2 DISTINCT, 4 owner access, 8 DISTINCTROW, 16 TOP Name1, 32 PERCENT),
//   5 a source table (Name1, alias Name2) or a union part (Expression), 6 an output
//   column (Expression, alias Name1; in a crosstab Flag 0 is the value, 1 the column
//   heading, 2 a row heading), 7 a join (Name1 and Name2 joined on Expression; Flag
//   1 inner, 2 left, 3 right), 8 the WHERE condition, 9 a GROUP BY expression, 10
//   the HAVING condition, 11 an ORDER BY expression (Name1 "D" for descending).

#include "platform/adox/Adox.h"

#include <QHash>
#include <QRegularExpression>

namespace platform::adox {

namespace {

constexpr int kAllFields = 1, kDistinct = 2, kOwnerAccess = 4, kDistinctRow = 8, kTop = 16, kPercent = 32;
constexpr int kSelect = 1, kCrosstab = 6, kUnion = 9;

int flagOf(const QueryRow& row) { return row.Flag.isNull() ? 0 : row.Flag.toInt(); }

QString bracketed(const QString& name) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return plain.match(name).hasMatch() ? name : QLatin1Char('[') + name + QLatin1Char(']');
}

QList<QueryRow> rowsOf(const QList<QueryRow>& rows, int attribute) {
    QList<QueryRow> out;
    for (const QueryRow& r : rows)
        if (r.Attribute == attribute) out << r;
    return out;
}

QString column(const QueryRow& r) {
    return r.Name1.isEmpty() ? r.Expression : r.Expression + QStringLiteral(" AS ") + bracketed(r.Name1);
}

// The FROM list: the source tables, joined where join rows name them.
QString fromList(const QList<QueryRow>& rows) {
    struct Item {
        QString text;
        QStringList names;  // table names and aliases it covers
        bool isJoin = false;
    };
    QList<Item> items;
    for (const QueryRow& r : rowsOf(rows, 5)) {
        Item item;
        if (!r.Name1.isEmpty()) {
            item.text = bracketed(r.Name1);
            item.names << r.Name1;
        } else {
            item.text = QLatin1Char('(') + r.Expression + QLatin1Char(')');
        }
        if (!r.Name2.isEmpty()) {
            item.text += QStringLiteral(" AS ") + bracketed(r.Name2);
            item.names << r.Name2;
        }
        items << item;
    }
    const auto find = [&items](const QString& name) -> qsizetype {
        for (qsizetype i = 0; i < items.size(); ++i)
            if (items[i].names.contains(name, Qt::CaseInsensitive)) return i;
        return -1;
    };
    for (const QueryRow& j : rowsOf(rows, 7)) {
        const qsizetype left = find(j.Name1), right = find(j.Name2);
        if (left < 0 || right < 0) continue;
        if (left == right) {
            // A further condition between two tables joined already.
            items[left].text += QStringLiteral(" AND ") + j.Expression;
            continue;
        }
        const int kind = flagOf(j);
        const QString word = kind == 2 ? QStringLiteral("LEFT JOIN") : kind == 3 ? QStringLiteral("RIGHT JOIN") : QStringLiteral("INNER JOIN");
        const auto wrap = [](const Item& it) { return it.isJoin ? QLatin1Char('(') + it.text + QLatin1Char(')') : it.text; };
        Item merged;
        merged.text = wrap(items[left]) + QLatin1Char(' ') + word + QLatin1Char(' ') + wrap(items[right]) + QStringLiteral(" ON ") + j.Expression;
        merged.names = items[left].names + items[right].names;
        merged.isJoin = true;
        items[left] = merged;
        items.removeAt(right);
    }
    QStringList parts;
    for (const Item& it : items) parts << it.text;
    return parts.join(QStringLiteral(", "));
}

QString conditions(const QList<QueryRow>& rows, int attribute) {
    QStringList parts;
    for (const QueryRow& r : rowsOf(rows, attribute))
        if (!r.Expression.isEmpty()) parts << r.Expression;
    return parts.join(QStringLiteral(" AND "));
}

QString orderBy(const QList<QueryRow>& rows) {
    QStringList parts;
    for (const QueryRow& r : rowsOf(rows, 11))
        parts << r.Expression + (r.Name1.compare(QLatin1String("D"), Qt::CaseInsensitive) == 0 ? QStringLiteral(" DESC") : QString());
    return parts.join(QStringLiteral(", "));
}

}  // namespace

int QueryKind(const QList<QueryRow>& rows) {
    const QList<QueryRow> kind = rowsOf(rows, 1);
    return kind.isEmpty() ? 0 : flagOf(kind.first());
}

QString QuerySql(const QList<QueryRow>& rows) {
    const int kind = QueryKind(rows);
    if (kind != kSelect && kind != kCrosstab && kind != kUnion) return {};
    const QList<QueryRow> optionRows = rowsOf(rows, 3);
    const int options = optionRows.isEmpty() ? 0 : flagOf(optionRows.first());
    QStringList lines;

    const QList<QueryRow> parameters = rowsOf(rows, 2);
    if (!parameters.isEmpty()) {
        // Parameter types by their DAO numbers, named as Access's SQL names them.
        static const QHash<int, QString> types = {
            {1, QStringLiteral("Bit")},        {2, QStringLiteral("Byte")},       {3, QStringLiteral("Short")},
            {4, QStringLiteral("Long")},       {5, QStringLiteral("Currency")},   {6, QStringLiteral("IEEESingle")},
            {7, QStringLiteral("IEEEDouble")}, {8, QStringLiteral("DateTime")},   {9, QStringLiteral("Binary")},
            {10, QStringLiteral("Text")},      {11, QStringLiteral("LongBinary")}, {12, QStringLiteral("Memo")},
            {15, QStringLiteral("Guid")},      {20, QStringLiteral("Decimal")}};
        QStringList names;
        for (const QueryRow& p : parameters) {
            const QString type = types.value(flagOf(p));
            names << bracketed(p.Name1) + (type.isEmpty() ? QString() : QLatin1Char(' ') + type);
        }
        lines << QStringLiteral("PARAMETERS ") + names.join(QStringLiteral(", ")) + QLatin1Char(';');
    }

    if (kind == kUnion) {
        QStringList parts;
        for (const QueryRow& r : rowsOf(rows, 5)) parts << r.Expression.trimmed();
        lines << parts.join((options & kDistinct) ? QStringLiteral("\r\nUNION ") : QStringLiteral("\r\nUNION ALL "));
    } else {
        QStringList selected, values;
        QString pivot;
        for (const QueryRow& r : rowsOf(rows, 6)) {
            if (kind == kCrosstab && flagOf(r) == 0) values << column(r);
            else if (kind == kCrosstab && flagOf(r) == 1) pivot = r.Expression;
            else selected << column(r);
        }
        if (!values.isEmpty()) lines << QStringLiteral("TRANSFORM ") + values.join(QStringLiteral(", "));
        QString select = QStringLiteral("SELECT ");
        if (options & kDistinct) select += QStringLiteral("DISTINCT ");
        if (options & kDistinctRow) select += QStringLiteral("DISTINCTROW ");
        if (options & kTop) {
            select += QStringLiteral("TOP ") + (optionRows.isEmpty() ? QString() : optionRows.first().Name1) + QLatin1Char(' ');
            if (options & kPercent) select += QStringLiteral("PERCENT ");
        }
        if (options & kAllFields) selected.prepend(QStringLiteral("*"));
        lines << select + selected.join(QStringLiteral(", "));
        const QString from = fromList(rows);
        if (!from.isEmpty()) lines << QStringLiteral("FROM ") + from;
        const QString where = conditions(rows, 8);
        if (!where.isEmpty()) lines << QStringLiteral("WHERE ") + where;
        QStringList groups;
        for (const QueryRow& r : rowsOf(rows, 9))
            if (!(kind == kCrosstab && flagOf(r) == 1)) groups << r.Expression;
        if (!groups.isEmpty()) lines << QStringLiteral("GROUP BY ") + groups.join(QStringLiteral(", "));
        const QString having = conditions(rows, 10);
        if (!having.isEmpty()) lines << QStringLiteral("HAVING ") + having;
        const QString order = orderBy(rows);
        if (!order.isEmpty()) lines << QStringLiteral("ORDER BY ") + order;
        if (!pivot.isEmpty()) lines << QStringLiteral("PIVOT ") + pivot;
    }
    if (kind == kUnion) {
        const QString order = orderBy(rows);
        if (!order.isEmpty()) lines << QStringLiteral("ORDER BY ") + order;
    }
    if (options & kOwnerAccess) lines << QStringLiteral("WITH OWNERACCESS OPTION");
    return lines.join(QStringLiteral("\r\n")) + QLatin1Char(';');
}

}  // namespace platform::adox
