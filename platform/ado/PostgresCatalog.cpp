// Schema rowsets of a PostgreSQL database, read from pg_catalog in one query per
// rowset. User schemas only: pg_catalog, information_schema and the pg_toast and
// pg_temp schemas are left out.

#include "platform/ado/SchemaRowsets.h"

namespace platform::ado::schema {

namespace {

// Every schema name starting "pg_" is reserved for the system.
const char* const kUserSchema = "n.nspname <> 'information_schema' AND left(n.nspname, 3) <> 'pg_'";

QString sql(const char* text) {
    QString s = QString::fromLatin1(text);
    s.replace(QLatin1String("$USER_SCHEMA"), QLatin1String(kUserSchema));
    return s;
}

int serverVersion(odbc::Connection& connection) {
    const odbc::Result r = connection.execute(QStringLiteral("SELECT current_setting('server_version_num')"));
    return r.rows.isEmpty() ? 0 : r.rows.first().value(0).toString().toInt();
}

bool flag(const QVariantList& row, int i) { return at(row, i).toString() == QLatin1String("1"); }

// The ADO view of a column of the built-in type 'name' (pg_type.typname of the base
// type) with the type modifier 'mod' (-1 when none).
ColumnType pgType(const QString& name, int mod, const QString& category) {
    ColumnType t;  // text (adVarWChar) unless the name says otherwise
    auto text = [&](int ado, int length) {
        t.ado = ado;
        if (length >= 0) {
            t.length = qint64(length);
            t.octets = qint64(length) * 4;  // UTF-8: up to four bytes a character
        }
    };
    if (category == QLatin1String("A")) return t;  // arrays: read as text
    if (name == QLatin1String("int2")) { t.ado = adSmallInt; t.precision = 5; }
    else if (name == QLatin1String("int4")) { t.ado = adInteger; t.precision = 10; }
    else if (name == QLatin1String("int8")) { t.ado = adBigInt; t.precision = 19; }
    else if (name == QLatin1String("float4")) { t.ado = adSingle; t.precision = 7; }
    else if (name == QLatin1String("float8")) { t.ado = adDouble; t.precision = 15; }
    else if (name == QLatin1String("money")) { t.ado = adCurrency; t.precision = 19; }
    else if (name == QLatin1String("numeric")) {
        t.ado = adNumeric;
        if (mod >= 4) {
            t.precision = ((mod - 4) >> 16) & 0xffff;
            t.scale = (mod - 4) & 0xffff;
        }
    }
    else if (name == QLatin1String("bool")) t.ado = adBoolean;
    else if (name == QLatin1String("bpchar")) text(adWChar, mod >= 4 ? mod - 4 : 1);
    else if (name == QLatin1String("char")) text(adWChar, 1);
    else if (name == QLatin1String("varchar")) text(adVarWChar, mod >= 4 ? mod - 4 : -1);
    else if (name == QLatin1String("name")) text(adVarWChar, 63);
    else if (name == QLatin1String("text") || name == QLatin1String("xml") || name == QLatin1String("json")
             || name == QLatin1String("jsonb") || name == QLatin1String("citext"))
        t.ado = adLongVarWChar;
    else if (name == QLatin1String("bytea")) t.ado = adLongVarBinary;
    else if (name == QLatin1String("uuid")) t.ado = adGUID;
    else if (name == QLatin1String("date")) { t.ado = adDBDate; t.datetime = 0; }
    else if (name == QLatin1String("time") || name == QLatin1String("timetz")) { t.ado = adDBTime; t.datetime = mod >= 0 ? mod : 6; }
    else if (name == QLatin1String("timestamp") || name == QLatin1String("timestamptz")) {
        t.ado = adDBTimeStamp;
        t.datetime = mod >= 0 ? mod : 6;
    }
    else if ((name == QLatin1String("bit") || name == QLatin1String("varbit")) && mod >= 0) text(adVarWChar, mod);
    return t;
}

// The query gives its columns in SQLTables order, then the partitioning facts.
Rowset tablesOf(odbc::Connection& c) {
    QString query = sql(
        "SELECT current_database(), n.nspname, c.relname, "
        "  CASE WHEN c.relkind IN ('v','m') THEN 'VIEW' ELSE 'TABLE' END, obj_description(c.oid, 'pg_class') $PARTITIONS "
        "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE c.relkind IN ('r','p','f','v','m') AND $USER_SCHEMA");
    // Declarative partitioning: the key of a partitioned table, a partition's parent
    // and bounds.
    query.replace(QLatin1String("$PARTITIONS"),
                  serverVersion(c) < 100000
                      ? QLatin1String(", NULL, NULL, NULL, NULL")
                      : QLatin1String(", CASE WHEN c.relkind = 'p' THEN pg_get_partkeydef(c.oid) END, "
                                      "  (SELECT pn.nspname FROM pg_inherits h JOIN pg_class p ON p.oid = h.inhparent "
                                      "   JOIN pg_namespace pn ON pn.oid = p.relnamespace WHERE c.relispartition AND h.inhrelid = c.oid), "
                                      "  (SELECT p.relname FROM pg_inherits h JOIN pg_class p ON p.oid = h.inhparent "
                                      "   WHERE c.relispartition AND h.inhrelid = c.oid), "
                                      "  CASE WHEN c.relispartition THEN pg_get_expr(c.relpartbound, c.oid) END"));
    return placedRows(c.execute(query).rows, tables::Count,
                      {tables::TABLE_CATALOG, tables::TABLE_SCHEMA, tables::TABLE_NAME, tables::TABLE_TYPE, tables::DESCRIPTION,
                       tables::PARTITION_KEY, tables::PARENT_SCHEMA, tables::PARENT_NAME, tables::PARTITION_BOUND},
                      {tables::TABLE_TYPE, tables::TABLE_CATALOG, tables::TABLE_SCHEMA, tables::TABLE_NAME});
}

Rowset columnsOf(odbc::Connection& c) {
    const int version = serverVersion(c);
    const bool generated = version >= 120000;
    QString query = sql(
        "SELECT current_database(), n.nspname, c.relname, a.attname, a.attnum::int, "
        "  CASE WHEN ad.adbin IS NOT NULL $PLAIN THEN pg_get_expr(ad.adbin, ad.adrelid) END, "
        "  CASE WHEN a.attnotnull OR (t.typtype = 'd' AND t.typnotnull) THEN 1 ELSE 0 END, "
        "  COALESCE(bt.typname, t.typname)::text, "
        "  (CASE WHEN t.typtype = 'd' THEN t.typtypmod ELSE a.atttypmod END)::int, "
        "  COALESCE(bt.typcategory, t.typcategory)::text, "
        "  CASE WHEN t.typtype = 'd' THEN current_database() END, "
        "  CASE WHEN t.typtype = 'd' THEN tn.nspname END, "
        "  CASE WHEN t.typtype = 'd' THEN t.typname::text END, "
        "  col_description(c.oid, a.attnum), "
        // The type by its own name: an array by its element's name and "[]", a type
        // outside pg_catalog and the current schema with its schema.
        "  CASE WHEN et.oid IS NOT NULL "
        "    THEN CASE WHEN etn.nspname IN ('pg_catalog', current_schema()) THEN '' ELSE etn.nspname || '.' END "
        "         || et.typname || '[]' "
        "    ELSE CASE WHEN tn.nspname IN ('pg_catalog', current_schema()) THEN '' ELSE tn.nspname || '.' END "
        "         || t.typname END, "
        "  $IDENTITY, $GENERATED "
        "FROM pg_attribute a "
        "JOIN pg_class c ON c.oid = a.attrelid "
        "JOIN pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_type t ON t.oid = a.atttypid "
        "JOIN pg_namespace tn ON tn.oid = t.typnamespace "
        "LEFT JOIN pg_type bt ON t.typtype = 'd' AND bt.oid = t.typbasetype "
        "LEFT JOIN pg_type et ON t.typcategory = 'A' AND t.typelem <> 0 AND et.oid = t.typelem "
        "LEFT JOIN pg_namespace etn ON etn.oid = et.typnamespace "
        "LEFT JOIN pg_attrdef ad ON ad.adrelid = a.attrelid AND ad.adnum = a.attnum "
        "WHERE a.attnum > 0 AND NOT a.attisdropped AND c.relkind IN ('r','p','f','v','m') AND $USER_SCHEMA");
    // A generated column's expression is not a default.
    query.replace(QLatin1String("$PLAIN"), generated ? QLatin1String("AND a.attgenerated = ''") : QLatin1String(""));
    query.replace(QLatin1String("$IDENTITY"),
                  version >= 100000
                      ? QLatin1String("CASE a.attidentity WHEN 'a' THEN 'ALWAYS' WHEN 'd' THEN 'BY DEFAULT' END")
                      : QLatin1String("NULL"));
    query.replace(QLatin1String("$GENERATED"),
                  generated ? QLatin1String("CASE WHEN a.attgenerated = 's' THEN pg_get_expr(ad.adbin, ad.adrelid) END, "
                                            "CASE WHEN a.attgenerated = 's' THEN 'STORED' END")
                            : QLatin1String("NULL, NULL"));
    Rowset out;
    QVariantList o = emptyRow(columns::Count);
    const QList<int> named = {columns::TABLE_CATALOG, columns::TABLE_SCHEMA, columns::TABLE_NAME, columns::COLUMN_NAME};
    // Read in batches: a large database's result is never held whole beside its rows.
    eachRow(c, query, [&](const QVariantList& row) {
        place(o, row, named);
        o[columns::ORDINAL_POSITION] = at(row, 4).toInt();
        o[columns::COLUMN_DEFAULT] = at(row, 5);
        o[columns::COLUMN_HASDEFAULT] = !at(row, 5).isNull();
        setColumnType(o, pgType(at(row, 7).toString(), at(row, 8).toInt(), at(row, 9).toString()), !flag(row, 6));
        o[columns::DOMAIN_CATALOG] = at(row, 10);
        o[columns::DOMAIN_SCHEMA] = at(row, 11);
        o[columns::DOMAIN_NAME] = at(row, 12);
        o[columns::DESCRIPTION] = at(row, 13);
        o[columns::TYPE_NAME] = at(row, 14);
        o[columns::IDENTITY_GENERATION] = at(row, 15);
        o[columns::GENERATION_EXPRESSION] = at(row, 16);
        o[columns::GENERATION_STORAGE] = at(row, 17);
        out.add(o);
    });
    out.sortPacked({columns::TABLE_CATALOG, columns::TABLE_SCHEMA, columns::TABLE_NAME, columns::ORDINAL_POSITION});
    return out;
}

// The query gives its columns in SQLPrimaryKeys order.
Rowset primaryKeys(odbc::Connection& c) {
    return primaryKeysFromCatalogue(c.execute(sql(
        "SELECT current_database(), n.nspname, c.relname, a.attname, k.ord::int, con.conname "
        "FROM pg_constraint con "
        "JOIN pg_class c ON c.oid = con.conrelid "
        "JOIN pg_namespace n ON n.oid = c.relnamespace "
        "CROSS JOIN LATERAL unnest(con.conkey) WITH ORDINALITY AS k(attnum, ord) "
        "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = k.attnum "
        "WHERE con.contype = 'p' AND $USER_SCHEMA")).rows);
}

Rowset viewsOf(odbc::Connection& c) {
    const odbc::Result r = c.execute(sql(
        "SELECT current_database(), n.nspname, c.relname, pg_get_viewdef(c.oid), "
        "  CASE WHEN c.relkind = 'v' AND array_to_string(c.reloptions, ',') LIKE '%check_option=%' THEN 1 ELSE 0 END, "
        "  CASE WHEN c.relkind = 'v' AND (pg_relation_is_updatable(c.oid::regclass, false) & 20) = 20 THEN 1 ELSE 0 END, "
        "  obj_description(c.oid, 'pg_class') "
        "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE c.relkind IN ('v','m') AND $USER_SCHEMA"));
    Rowset out;
    for (const QVariantList& row : r.rows) {
        QVariantList o =
            placed(row, views::Count, {views::TABLE_CATALOG, views::TABLE_SCHEMA, views::TABLE_NAME, views::VIEW_DEFINITION});
        o[views::CHECK_OPTION] = flag(row, 4);
        o[views::IS_UPDATABLE] = flag(row, 5);
        o[views::DESCRIPTION] = at(row, 6);
        out.rows << o;
    }
    sortRows(out.rows, {views::TABLE_CATALOG, views::TABLE_SCHEMA, views::TABLE_NAME});
    return out;
}

Rowset viewColumnUsage(odbc::Connection& c) {
    // The columns a view's rewrite rule depends on.
    const odbc::Result r = c.execute(sql(
        "SELECT DISTINCT current_database(), n.nspname, v.relname, current_database(), tn.nspname, t.relname, "
        "  a.attname, a.attnum::int "
        "FROM pg_class v "
        "JOIN pg_namespace n ON n.oid = v.relnamespace "
        "JOIN pg_rewrite r ON r.ev_class = v.oid "
        "JOIN pg_depend d ON d.classid = 'pg_rewrite'::regclass AND d.objid = r.oid "
        "  AND d.refclassid = 'pg_class'::regclass AND d.refobjsubid > 0 "
        "JOIN pg_class t ON t.oid = d.refobjid AND t.oid <> v.oid "
        "JOIN pg_namespace tn ON tn.oid = t.relnamespace "
        "JOIN pg_attribute a ON a.attrelid = t.oid AND a.attnum = d.refobjsubid "
        "WHERE v.relkind IN ('v','m') AND $USER_SCHEMA"));
    Rowset out;
    QList<QVariantList> keyed;
    for (const QVariantList& row : r.rows) {
        QVariantList o = placed(row, viewcolumns::Count + 1,
                                {viewcolumns::VIEW_CATALOG, viewcolumns::VIEW_SCHEMA, viewcolumns::VIEW_NAME,
                                 viewcolumns::TABLE_CATALOG, viewcolumns::TABLE_SCHEMA, viewcolumns::TABLE_NAME,
                                 viewcolumns::COLUMN_NAME});
        o[viewcolumns::Count] = at(row, 7).toInt();  // ordering only
        keyed << o;
    }
    sortRows(keyed, {viewcolumns::VIEW_CATALOG, viewcolumns::VIEW_SCHEMA, viewcolumns::VIEW_NAME, viewcolumns::TABLE_SCHEMA,
                     viewcolumns::TABLE_NAME, viewcolumns::Count});
    for (QVariantList& o : keyed) {
        o.removeLast();
        out.rows << o;
    }
    return out;
}

Rowset indexesOf(odbc::Connection& c) {
    QString query = sql(
        "SELECT current_database(), n.nspname, c.relname, ic.relname, "
        "  i.indisprimary::int, i.indisunique::int, i.indisclustered::int, am.amname::text, k.ord::int, "
        "  CASE WHEN k.attnum > 0 THEN a.attname::text ELSE pg_get_indexdef(i.indexrelid, k.ord::int, false) END, "
        "  i.indoption[k.ord - 1]::int, ic.relpages::int, pg_get_expr(i.indpred, i.indrelid), "
        "  array_to_string(ic.reloptions, ','), $INCLUDED "
        "FROM pg_index i "
        "JOIN pg_class ic ON ic.oid = i.indexrelid "
        "JOIN pg_class c ON c.oid = i.indrelid "
        "JOIN pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_am am ON am.oid = ic.relam "
        "CROSS JOIN LATERAL unnest(i.indkey::int2[]) WITH ORDINALITY AS k(attnum, ord) "
        "LEFT JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = k.attnum "
        "WHERE $USER_SCHEMA $KEYS");
    // Columns added by INCLUDE are not key columns.
    const bool covering = serverVersion(c) >= 110000;
    query.replace(QLatin1String("$KEYS"), covering ? QLatin1String("AND k.ord <= i.indnkeyatts") : QLatin1String(""));
    query.replace(QLatin1String("$INCLUDED"),
                  covering ? QLatin1String("(SELECT string_agg(ia.attname, ',' ORDER BY x.ord) "
                                           " FROM unnest(i.indkey::int2[]) WITH ORDINALITY AS x(attnum, ord) "
                                           " JOIN pg_attribute ia ON ia.attrelid = i.indrelid AND ia.attnum = x.attnum "
                                           " WHERE x.ord > i.indnkeyatts)")
                           : QLatin1String("NULL"));
    Rowset out;
    QVariantList o = emptyRow(indexes::Count);
    eachRow(c, query, [&](const QVariantList& row) {
        const QString method = at(row, 7).toString();
        const int order = at(row, 10).toInt();  // pg_index.indoption: 1 descending, 2 nulls first
        const bool descending = order & 1, nullsFirst = order & 2;
        setIndexRow(o, {.catalog = at(row, 0),
                        .schema = at(row, 1),
                        .table = at(row, 2),
                        .index = at(row, 3),
                        .primary = flag(row, 4),
                        .unique = flag(row, 5),
                        .clustered = flag(row, 6),
                        .type = method == QLatin1String("btree") ? DBPROPVAL_IT_BTREE
                                : method == QLatin1String("hash") ? DBPROPVAL_IT_HASH
                                                                  : DBPROPVAL_IT_OTHER,
                        .ordinal = at(row, 8).toInt(),
                        .column = at(row, 9),
                        .descending = descending});
        const QStringList options = at(row, 13).toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& option : options)
            if (option.startsWith(QLatin1String("fillfactor="))) o[indexes::FILL_FACTOR] = option.mid(11).toInt();
        o[indexes::SORT_BOOKMARKS] = false;
        o[indexes::AUTO_UPDATE] = true;
        o[indexes::NULL_COLLATION] = (descending != nullsFirst) ? DBPROPVAL_NC_LOW : DBPROPVAL_NC_HIGH;
        o[indexes::PAGES] = at(row, 11);
        o[indexes::FILTER_CONDITION] = at(row, 12);
        o[indexes::INDEX_METHOD] = method;
        o[indexes::INCLUDED_COLUMNS] = at(row, 14);
        out.add(o);
    });
    out.sortPacked({indexes::TABLE_CATALOG, indexes::TABLE_SCHEMA, indexes::TABLE_NAME, indexes::INDEX_NAME,
                        indexes::ORDINAL_POSITION});
    return out;
}

QVariant rule(const QVariant& code) {
    const QString c = code.toString();
    if (c == QLatin1String("c")) return QStringLiteral("CASCADE");
    if (c == QLatin1String("n")) return QStringLiteral("SET NULL");
    if (c == QLatin1String("d")) return QStringLiteral("SET DEFAULT");
    if (c == QLatin1String("r")) return QStringLiteral("RESTRICT");
    return QStringLiteral("NO ACTION");
}

Rowset foreignKeys(odbc::Connection& c) {
    QString query = sql(
        "SELECT current_database(), pn.nspname, pc.relname, pa.attname, "
        "  current_database(), n.nspname, fc.relname, fa.attname, k.ord::int, "
        "  con.confupdtype::text, con.confdeltype::text, "
        "  COALESCE((SELECT u.conname FROM pg_constraint u WHERE u.conindid = con.conindid AND u.conrelid = con.confrelid "
        "            AND u.contype IN ('p','u') LIMIT 1), ic.relname), "
        "  con.conname, con.condeferrable::int, con.condeferred::int "
        "FROM pg_constraint con "
        "JOIN pg_class fc ON fc.oid = con.conrelid "
        "JOIN pg_namespace n ON n.oid = fc.relnamespace "
        "JOIN pg_class pc ON pc.oid = con.confrelid "
        "JOIN pg_namespace pn ON pn.oid = pc.relnamespace "
        "CROSS JOIN LATERAL unnest(con.conkey, con.confkey) WITH ORDINALITY AS k(fk_att, pk_att, ord) "
        "JOIN pg_attribute fa ON fa.attrelid = fc.oid AND fa.attnum = k.fk_att "
        "JOIN pg_attribute pa ON pa.attrelid = pc.oid AND pa.attnum = k.pk_att "
        "LEFT JOIN pg_class ic ON ic.oid = con.conindid "
        "WHERE con.contype = 'f' AND $USER_SCHEMA $PARENT");
    // Partitions carry copies of their parent's keys; list each key once.
    query.replace(QLatin1String("$PARENT"), serverVersion(c) >= 110000 ? QLatin1String("AND con.conparentid = 0") : QLatin1String(""));
    const odbc::Result r = c.execute(query);
    Rowset out;
    for (const QVariantList& row : r.rows) {
        QVariantList o = foreignKeyFromCatalogue(row);  // the first nine columns in SQLForeignKeys order
        o[foreignkeys::UPDATE_RULE] = rule(at(row, 9));
        o[foreignkeys::DELETE_RULE] = rule(at(row, 10));
        o[foreignkeys::PK_NAME] = at(row, 11);
        o[foreignkeys::FK_NAME] = at(row, 12);
        o[foreignkeys::DEFERRABILITY] = !flag(row, 13) ? DBPROPVAL_DF_NOT_DEFERRABLE
                                        : flag(row, 14) ? DBPROPVAL_DF_INITIALLY_DEFERRED : DBPROPVAL_DF_INITIALLY_IMMEDIATE;
        out.rows << o;
    }
    sortRows(out.rows, {foreignkeys::FK_TABLE_CATALOG, foreignkeys::FK_TABLE_SCHEMA, foreignkeys::FK_TABLE_NAME,
                        foreignkeys::FK_NAME, foreignkeys::ORDINAL});
    return out;
}

Rowset checkConstraints(odbc::Connection& c) {
    const odbc::Result r = c.execute(sql(
        "SELECT current_database(), n.nspname, con.conname, pg_get_expr(con.conbin, con.conrelid), "
        "  obj_description(con.oid, 'pg_constraint'), tc.relname "
        "FROM pg_constraint con JOIN pg_namespace n ON n.oid = con.connamespace "
        "JOIN pg_class tc ON tc.oid = con.conrelid "
        "WHERE con.contype = 'c' AND con.conrelid <> 0 AND $USER_SCHEMA"));
    // Checks of one name on several tables stand in the order of their tables, as
    // the constraint-column-usage rowset lists them.
    QList<QVariantList> keyed;
    for (const QVariantList& row : r.rows) {
        QVariantList o = placed(row, checks::Count + 1,
                                {checks::CONSTRAINT_CATALOG, checks::CONSTRAINT_SCHEMA, checks::CONSTRAINT_NAME,
                                 checks::CHECK_CLAUSE, checks::DESCRIPTION, checks::Count});
        keyed << o;
    }
    sortRows(keyed, {checks::CONSTRAINT_CATALOG, checks::CONSTRAINT_SCHEMA, checks::CONSTRAINT_NAME, checks::Count});
    Rowset out;
    for (QVariantList& o : keyed) {
        o.removeLast();
        out.rows << o;
    }
    return out;
}

Rowset constraintColumnUsage(odbc::Connection& c) {
    const odbc::Result r = c.execute(sql(
        "SELECT current_database(), n.nspname, c.relname, a.attname, current_database(), cn.nspname, con.conname "
        "FROM pg_constraint con "
        "JOIN pg_class c ON c.oid = con.conrelid "
        "JOIN pg_namespace n ON n.oid = c.relnamespace "
        "JOIN pg_namespace cn ON cn.oid = con.connamespace "
        "JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum = ANY (con.conkey) "
        "WHERE con.contype IN ('c','p','u','f','x') AND $USER_SCHEMA"));
    // Placed in these columns and sorted by them.
    const QList<int> named = {constraintcolumns::TABLE_CATALOG, constraintcolumns::TABLE_SCHEMA, constraintcolumns::TABLE_NAME,
                              constraintcolumns::COLUMN_NAME, constraintcolumns::CONSTRAINT_CATALOG,
                              constraintcolumns::CONSTRAINT_SCHEMA, constraintcolumns::CONSTRAINT_NAME};
    return placedRows(r.rows, constraintcolumns::Count, named, named);
}

// The built-in types the columns rowset reports, best match of each code first.
Rowset providerTypes() {
    static const QList<ProviderType> types = {
        {"int2", adSmallInt, 5, nullptr, nullptr, nullptr, false, -1, -1},
        {"int4", adInteger, 10, nullptr, nullptr, nullptr, false, -1, -1},
        {"float4", adSingle, 7, nullptr, nullptr, nullptr, false, -1, -1},
        {"float8", adDouble, 15, nullptr, nullptr, nullptr, false, -1, -1},
        {"money", adCurrency, 19, "'", "'", nullptr, false, 2, 2},
        {"bool", adBoolean, 1, "'", "'", nullptr, false, -1, -1},
        {"int8", adBigInt, 19, nullptr, nullptr, nullptr, false, -1, -1},
        {"uuid", adGUID, 36, "'", "'", nullptr, false, -1, -1},
        {"char", adWChar, 10485760, "'", "'", "max. length", true, -1, -1},
        {"numeric", adNumeric, 1000, nullptr, nullptr, "precision, scale", false, 0, 1000},
        {"date", adDBDate, 10, "'", "'", nullptr, false, -1, -1},
        {"time", adDBTime, 15, "'", "'", nullptr, false, 0, 6},
        {"timetz", adDBTime, 21, "'", "'", nullptr, false, 0, 6},
        {"timestamp", adDBTimeStamp, 26, "'", "'", nullptr, false, 0, 6},
        {"timestamptz", adDBTimeStamp, 32, "'", "'", nullptr, false, 0, 6},
        {"varchar", adVarWChar, 10485760, "'", "'", "max. length", true, -1, -1},
        {"text", adLongVarWChar, 1073741823, "'", "'", nullptr, true, -1, -1},
        {"bytea", adLongVarBinary, 1073741823, "'", "'", nullptr, false, -1, -1},
    };
    return providerTypesFromList(types);
}

}  // namespace

Rowset readPostgres(odbc::Connection& connection, int schemaId) {
    static const RowsetReader<odbc::Connection> readers[] = {
        {adSchemaTables, tablesOf},
        {adSchemaColumns, columnsOf},
        {adSchemaPrimaryKeys, primaryKeys},
        {adSchemaViews, viewsOf},
        {adSchemaViewColumnUsage, viewColumnUsage},
        {adSchemaIndexes, indexesOf},
        {adSchemaForeignKeys, foreignKeys},
        {adSchemaCheckConstraints, checkConstraints},
        {adSchemaConstraintColumnUsage, constraintColumnUsage},
        {adSchemaProviderTypes, [](odbc::Connection&) { return providerTypes(); }},
    };
    return readRowset(readers, schemaId, connection);
}

}  // namespace platform::ado::schema
