// Schema rowsets from the ODBC catalogue functions, for drivers whose engine has no
// reader of its own. Every call is restricted to the connection's current catalogue
// where the driver has catalogues, so a server's other databases are left out. Views
// are the tables of type VIEW (without their text) and a view's columns are the
// columns the driver lists for it (without their source). Check constraints and
// constraint columns are not in the ODBC catalogue; those rowsets raise 3251, as does
// a rowset whose catalogue function the driver lacks.

#include "platform/ado/SchemaRowsets.h"

#include <QSet>

namespace platform::ado::schema {

namespace {

// Runs a catalogue function; a driver without it makes the rowset unsupported.
odbc::Result runCatalogue(odbc::Connection& connection, const std::function<SQLRETURN(SQLHSTMT)>& start) {
    try {
        return connection.catalogue(start);
    } catch (const odbc::Failure& failure) {
        for (const auto& d : failure.diagnostics)
            if (d.state == QLatin1String("IM001") || d.state == QLatin1String("HYC00")) notSupported();
        throw;
    }
}

struct TableRef {
    QVariant catalog, schema, name;
};

using odbc::TextArg;

// The catalogue the calls are restricted to: the current one, or Null for all that the
// driver answers for.
QVariant scopeOf(const odbc::Connection& connection) {
    const QString catalog = connection.currentCatalog();
    return catalog.isNull() ? QVariant() : QVariant(catalog);
}

// Whether a row of catalogue 'rowCatalog' lies in the scope (a driver may take the
// catalogue argument as a pattern, so the rows are checked again).
bool inScope(const QVariant& scope, const QVariant& rowCatalog) {
    return scope.isNull() || rowCatalog.isNull() || rowCatalog.toString() == scope.toString();
}

// Every table, view and other listed object of the scope, in SQLTables order.
QList<QVariantList> allTables(odbc::Connection& connection, const QVariant& scope) {
    const bool w = connection.isWide();
    const odbc::Result result = runCatalogue(connection, [&](SQLHSTMT stmt) {
        TextArg k(scope, w), p(QStringLiteral("%"), w);
        return w ? SQLTablesW(stmt, k.wide(), k.length(), nullptr, 0, p.wide(), p.length(), nullptr, 0)
                 : SQLTables(stmt, k.narrow(), k.length(), nullptr, 0, p.narrow(), p.length(), nullptr, 0);
    });
    QList<QVariantList> rows;
    for (const QVariantList& row : result.rows)
        if (inScope(scope, at(row, 0))) rows << row;
    return rows;
}

QList<TableRef> tablesOfType(odbc::Connection& connection, const QVariant& scope, QLatin1String type) {
    QList<TableRef> list;
    for (const QVariantList& row : allTables(connection, scope))
        if (at(row, 3).toString() == type) list << TableRef{at(row, 0), at(row, 1), at(row, 2)};
    return list;
}

QList<TableRef> baseTables(odbc::Connection& connection) {
    return tablesOfType(connection, scopeOf(connection), QLatin1String("TABLE"));
}

// The driver's columns of the tables named 'table' (a pattern) in a catalogue and schema.
odbc::Result columnsLike(odbc::Connection& connection, const QVariant& catalog, const QVariant& schema, const QString& table) {
    const bool w = connection.isWide();
    return runCatalogue(connection, [&](SQLHSTMT stmt) {
        TextArg k(catalog, w), s(schema, w), t(table, w), c(QStringLiteral("%"), w);
        return w ? SQLColumnsW(stmt, k.wide(), k.length(), s.wide(), s.length(), t.wide(), t.length(), c.wide(), c.length())
                 : SQLColumns(stmt, k.narrow(), k.length(), s.narrow(), s.length(), t.narrow(), t.length(), c.narrow(),
                              c.length());
    });
}

// The columns of one table or view: the name is a pattern ("_" matches any character),
// so only the rows of the object itself are kept.
QList<QVariantList> columnsOfObject(odbc::Connection& connection, const TableRef& t) {
    QList<QVariantList> rows;
    for (const QVariantList& row : columnsLike(connection, t.catalog, t.schema, t.name.toString()).rows)
        if (at(row, 2) == t.name && at(row, 1) == t.schema && inScope(t.catalog, at(row, 0))) rows << row;
    return rows;
}

int precisionFor(int adoType) {
    switch (adoType) {
    case adTinyInt: case adUnsignedTinyInt: return 3;
    case adSmallInt: case adUnsignedSmallInt: return 5;
    case adInteger: case adUnsignedInt: return 10;
    case adBigInt: return 19;
    case adUnsignedBigInt: return 20;
    case adSingle: return 7;
    case adDouble: return 15;
    case adCurrency: return 19;
    default: return -1;
    }
}

Rowset readTables(odbc::Connection& connection) { return tablesFromCatalogue(allTables(connection, scopeOf(connection))); }

Rowset readColumns(odbc::Connection& connection) {
    const QVariant scope = scopeOf(connection);
    QList<QVariantList> found;
    for (const QVariantList& row : columnsLike(connection, scope, QVariant(), QStringLiteral("%")).rows)
        if (inScope(scope, at(row, 0))) found << row;
    // Some drivers (mdbtools) answer only for one named table at a time.
    if (found.isEmpty()) {
        for (const QVariantList& table : allTables(connection, scope))
            found << columnsOfObject(connection, TableRef{at(table, 0), at(table, 1), at(table, 2)});
    }
    Rowset out;
    for (const QVariantList& row : found) {
        QVariantList r =
            placed(row, columns::Count, {columns::TABLE_CATALOG, columns::TABLE_SCHEMA, columns::TABLE_NAME, columns::COLUMN_NAME});
        const int sqlType = at(row, 4).toInt();
        const bool isUnsigned = at(row, 5).toString().contains(QLatin1String("unsigned"), Qt::CaseInsensitive);
        ColumnType type;
        type.ado = odbc::adoTypeForSqlType(sqlType, isUnsigned);
        const QVariant size = at(row, 6);
        const QVariant digits = at(row, 8);
        switch (type.ado) {
        case adChar: case adVarChar: case adLongVarChar: case adWChar: case adVarWChar: case adLongVarWChar:
        case adBinary: case adVarBinary: case adLongVarBinary:
            if (!size.isNull()) type.length = size.toLongLong();
            type.octets = at(row, 15).isNull() ? type.length : QVariant(at(row, 15).toLongLong());
            break;
        case adNumeric: case adDecimal:
            if (!size.isNull()) type.precision = size.toInt();
            if (!digits.isNull()) type.scale = digits.toInt();
            break;
        case adDBDate: case adDBTime: case adDBTimeStamp:
            type.datetime = digits.isNull() ? 0 : digits.toInt();
            break;
        default:
            if (precisionFor(type.ado) > 0) type.precision = precisionFor(type.ado);
            break;
        }
        const QVariant nullable = at(row, 10);
        const bool isNullable = nullable.isNull() ? at(row, 17).toString() != QLatin1String("NO") : nullable.toInt() != SQL_NO_NULLS;
        setColumnType(r, type, isNullable);
        r[columns::DESCRIPTION] = at(row, 11);
        r[columns::TYPE_NAME] = at(row, 5);
        r[columns::COLUMN_DEFAULT] = at(row, 12);
        r[columns::COLUMN_HASDEFAULT] = !at(row, 12).isNull();
        r[columns::ORDINAL_POSITION] = at(row, 16);
        out.rows << r;
    }
    // Number the columns where the driver gave no ordinal.
    QString lastTable;
    int ordinal = 0;
    for (QVariantList& r : out.rows) {
        const QString table = r[columns::TABLE_CATALOG].toString() + QChar(0x1f) + r[columns::TABLE_SCHEMA].toString() +
                              QChar(0x1f) + r[columns::TABLE_NAME].toString();
        ordinal = table == lastTable ? ordinal + 1 : 1;
        lastTable = table;
        if (r[columns::ORDINAL_POSITION].isNull()) r[columns::ORDINAL_POSITION] = ordinal;
    }
    sortRows(out.rows, {columns::TABLE_CATALOG, columns::TABLE_SCHEMA, columns::TABLE_NAME, columns::ORDINAL_POSITION});
    return out;
}

odbc::Result primaryKeysOf(odbc::Connection& connection, const TableRef& t) {
    const bool w = connection.isWide();
    return runCatalogue(connection, [&](SQLHSTMT stmt) {
        TextArg c(t.catalog, w), s(t.schema, w), n(t.name, w);
        return w ? SQLPrimaryKeysW(stmt, c.wide(), c.length(), s.wide(), s.length(), n.wide(), n.length())
                 : SQLPrimaryKeys(stmt, c.narrow(), c.length(), s.narrow(), s.length(), n.narrow(), n.length());
    });
}

Rowset readPrimaryKeys(odbc::Connection& connection) {
    QList<QVariantList> keys;
    for (const TableRef& t : baseTables(connection)) keys << primaryKeysOf(connection, t).rows;
    return primaryKeysFromCatalogue(keys);
}

Rowset readIndexes(odbc::Connection& connection) {
    Rowset out;
    for (const TableRef& t : baseTables(connection)) {
        const odbc::Result keys = primaryKeysOf(connection, t);
        QString pkName;
        QStringList pkColumns;
        for (const QVariantList& row : keys.rows) {
            pkName = at(row, 5).toString();
            pkColumns << at(row, 3).toString();
        }
        const bool w = connection.isWide();
        const odbc::Result stats = runCatalogue(connection, [&](SQLHSTMT stmt) {
            TextArg c(t.catalog, w), s(t.schema, w), n(t.name, w);
            return w ? SQLStatisticsW(stmt, c.wide(), c.length(), s.wide(), s.length(), n.wide(), n.length(), SQL_INDEX_ALL, SQL_QUICK)
                     : SQLStatistics(stmt, c.narrow(), c.length(), s.narrow(), s.length(), n.narrow(), n.length(), SQL_INDEX_ALL,
                                     SQL_QUICK);
        });
        // Index name -> its columns, to recognise the primary key's index.
        QHash<QString, QStringList> columnsOf;
        for (const QVariantList& row : stats.rows)
            if (at(row, 6).toInt() != SQL_TABLE_STAT) columnsOf[at(row, 5).toString()] << at(row, 8).toString();
        for (const QVariantList& row : stats.rows) {
            const int statType = at(row, 6).toInt();
            if (statType == SQL_TABLE_STAT) continue;
            const QString name = at(row, 5).toString();
            const bool unique = at(row, 3).toInt() == SQL_FALSE;
            const bool primary = (!pkName.isEmpty() && name == pkName)
                                 || (unique && !pkColumns.isEmpty() && columnsOf.value(name) == pkColumns);
            const bool clustered = statType == SQL_INDEX_CLUSTERED;
            QVariantList r = indexRow({.catalog = at(row, 0),
                                       .schema = at(row, 1),
                                       .table = at(row, 2),
                                       .index = at(row, 5),
                                       .primary = primary,
                                       .unique = unique,
                                       .clustered = clustered,
                                       .type = statType == SQL_INDEX_HASHED ? DBPROPVAL_IT_HASH
                                               : clustered                  ? DBPROPVAL_IT_BTREE
                                                                            : DBPROPVAL_IT_OTHER,
                                       .ordinal = at(row, 7).toInt(),
                                       .column = at(row, 8),
                                       .descending = at(row, 9).toString() == QLatin1String("D"),
                                       .integrated = clustered});
            r[indexes::SORT_BOOKMARKS] = false;
            r[indexes::AUTO_UPDATE] = true;
            if (!at(row, 10).isNull()) r[indexes::CARDINALITY] = at(row, 10).toLongLong();
            if (!at(row, 11).isNull()) r[indexes::PAGES] = at(row, 11).toInt();
            r[indexes::FILTER_CONDITION] = at(row, 12);
            out.rows << r;
        }
    }
    sortRows(out.rows, {indexes::TABLE_CATALOG, indexes::TABLE_SCHEMA, indexes::TABLE_NAME, indexes::INDEX_NAME,
                        indexes::ORDINAL_POSITION});
    return out;
}

QVariant ruleText(const QVariant& rule) {
    if (rule.isNull()) return QVariant();
    switch (rule.toInt()) {
    case SQL_CASCADE: return QStringLiteral("CASCADE");
    case SQL_SET_NULL: return QStringLiteral("SET NULL");
    case SQL_SET_DEFAULT: return QStringLiteral("SET DEFAULT");
    case SQL_RESTRICT: return QStringLiteral("RESTRICT");
    default: return QStringLiteral("NO ACTION");
    }
}

Rowset readForeignKeys(odbc::Connection& connection) {
    Rowset out;
    for (const TableRef& t : baseTables(connection)) {
        const bool w = connection.isWide();
        const odbc::Result keys = runCatalogue(connection, [&](SQLHSTMT stmt) {
            TextArg c(t.catalog, w), s(t.schema, w), n(t.name, w);
            return w ? SQLForeignKeysW(stmt, c.wide(), c.length(), s.wide(), s.length(), n.wide(), n.length(), nullptr, 0,
                                       nullptr, 0, nullptr, 0)
                     : SQLForeignKeys(stmt, c.narrow(), c.length(), s.narrow(), s.length(), n.narrow(), n.length(), nullptr, 0,
                                      nullptr, 0, nullptr, 0);
        });
        for (const QVariantList& row : keys.rows) {
            QVariantList r = foreignKeyFromCatalogue(row);
            r[foreignkeys::UPDATE_RULE] = ruleText(at(row, 9));
            r[foreignkeys::DELETE_RULE] = ruleText(at(row, 10));
            r[foreignkeys::FK_NAME] = at(row, 11);
            r[foreignkeys::PK_NAME] = at(row, 12);
            const QVariant deferrability = at(row, 13);
            if (!deferrability.isNull()) {
                const int v = deferrability.toInt();
                r[foreignkeys::DEFERRABILITY] = v == SQL_INITIALLY_DEFERRED    ? DBPROPVAL_DF_INITIALLY_DEFERRED
                                                : v == SQL_INITIALLY_IMMEDIATE ? DBPROPVAL_DF_INITIALLY_IMMEDIATE
                                                                               : DBPROPVAL_DF_NOT_DEFERRABLE;
            }
            out.rows << r;
        }
    }
    sortRows(out.rows, {foreignkeys::FK_TABLE_CATALOG, foreignkeys::FK_TABLE_SCHEMA, foreignkeys::FK_TABLE_NAME,
                        foreignkeys::FK_NAME, foreignkeys::ORDINAL});
    return out;
}

// The views are the objects the driver lists as of type VIEW; their text is unknown.
Rowset readViews(odbc::Connection& connection) {
    Rowset out;
    for (const QVariantList& row : allTables(connection, scopeOf(connection))) {
        if (at(row, 3).toString() != QLatin1String("VIEW")) continue;
        QVariantList r = emptyRow(views::Count);
        r[views::TABLE_CATALOG] = at(row, 0);
        r[views::TABLE_SCHEMA] = at(row, 1);
        r[views::TABLE_NAME] = at(row, 2);
        r[views::DESCRIPTION] = at(row, 4);
        out.rows << r;
    }
    sortRows(out.rows, {views::TABLE_CATALOG, views::TABLE_SCHEMA, views::TABLE_NAME});
    return out;
}

// A view's columns as the driver lists them, in their order; the table each comes
// from is unknown, so the table columns stay Null.
Rowset readViewColumns(odbc::Connection& connection) {
    Rowset out;
    for (const TableRef& view : tablesOfType(connection, scopeOf(connection), QLatin1String("VIEW"))) {
        for (const QVariantList& row : columnsOfObject(connection, view)) {
            QVariantList r = emptyRow(viewcolumns::Count);
            r[viewcolumns::VIEW_CATALOG] = at(row, 0);
            r[viewcolumns::VIEW_SCHEMA] = at(row, 1);
            r[viewcolumns::VIEW_NAME] = at(row, 2);
            r[viewcolumns::COLUMN_NAME] = at(row, 3);
            out.rows << r;
        }
    }
    return out;
}

}  // namespace

Rowset providerTypesFromTypeInfo(odbc::Connection& connection) {
    const bool w = connection.isWide();
    const odbc::Result info = runCatalogue(connection, [w](SQLHSTMT stmt) {
        return w ? SQLGetTypeInfoW(stmt, SQL_ALL_TYPES) : SQLGetTypeInfo(stmt, SQL_ALL_TYPES);
    });
    Rowset out;
    QSet<int> seen;
    for (const QVariantList& row : info.rows) {
        const int sqlType = at(row, 1).toInt();
        const bool isUnsigned = !at(row, 9).isNull() && at(row, 9).toInt() == SQL_TRUE;
        const int type = odbc::adoTypeForSqlType(sqlType, isUnsigned);
        QVariantList r = emptyRow(providertypes::Count);
        r[providertypes::TYPE_NAME] = at(row, 0);
        r[providertypes::DATA_TYPE] = type;
        if (!at(row, 2).isNull()) r[providertypes::COLUMN_SIZE] = at(row, 2).toLongLong();
        r[providertypes::LITERAL_PREFIX] = at(row, 3);
        r[providertypes::LITERAL_SUFFIX] = at(row, 4);
        r[providertypes::CREATE_PARAMS] = at(row, 5);
        r[providertypes::IS_NULLABLE] = at(row, 6).toInt() != SQL_NO_NULLS;
        r[providertypes::CASE_SENSITIVE] = at(row, 7).toInt() == SQL_TRUE;
        if (!at(row, 8).isNull()) r[providertypes::SEARCHABLE] = at(row, 8).toInt() + 1;  // DB_UNSEARCHABLE is 1
        r[providertypes::UNSIGNED_ATTRIBUTE] = isUnsigned;
        r[providertypes::FIXED_PREC_SCALE] = at(row, 10).toInt() == SQL_TRUE;
        r[providertypes::AUTO_UNIQUE_VALUE] = at(row, 11).toInt() == SQL_TRUE;
        r[providertypes::LOCAL_TYPE_NAME] = at(row, 12);
        if (!at(row, 13).isNull()) r[providertypes::MINIMUM_SCALE] = at(row, 13).toInt();
        if (!at(row, 14).isNull()) r[providertypes::MAXIMUM_SCALE] = at(row, 14).toInt();
        r[providertypes::IS_LONG] = isLongType(type);
        r[providertypes::BEST_MATCH] = !seen.contains(type);
        r[providertypes::IS_FIXEDLENGTH] = isFixedLengthType(type);
        seen.insert(type);
        out.rows << r;
    }
    sortRows(out.rows, {providertypes::DATA_TYPE});
    return out;
}

Rowset readOdbc(odbc::Connection& connection, int schemaId) {
    static const RowsetReader<odbc::Connection> readers[] = {
        {adSchemaTables, readTables},
        {adSchemaColumns, readColumns},
        {adSchemaPrimaryKeys, readPrimaryKeys},
        {adSchemaIndexes, readIndexes},
        {adSchemaForeignKeys, readForeignKeys},
        {adSchemaViews, readViews},
        {adSchemaViewColumnUsage, readViewColumns},
        {adSchemaProviderTypes, providerTypesFromTypeInfo},
    };
    return readRowset(readers, schemaId, connection);
}

}  // namespace platform::ado::schema
