// Schema rowsets of a MariaDB or MySQL database, read from INFORMATION_SCHEMA in one
// query per rowset for the connection's current database (DATABASE()) only. The
// database is the rowsets' catalog and their schema is Null, as the engine's ODBC
// driver names them.

#include "platform/ado/SchemaRowsets.h"

namespace platform::ado::schema {

namespace {

// The current database's name as a quoted literal; INFORMATION_SCHEMA reads only that
// database's folder when its TABLE_SCHEMA is compared with a constant.
QString currentDatabase(odbc::Connection& c) {
    const odbc::Result r = c.execute(QStringLiteral("SELECT DATABASE()"));
    const QVariant name = r.rows.isEmpty() ? QVariant() : r.rows.first().value(0);
    if (name.isNull()) return QStringLiteral("NULL");  // no database chosen: every rowset is empty
    QString text = name.toString();
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The query with $DB standing for the database literal 'db' (currentDatabase).
QString sql(const QString& db, const char* text) {
    QString s = QString::fromLatin1(text);
    s.replace(QLatin1String("$DB"), db);
    return s;
}
QString sql(odbc::Connection& c, const char* text) { return sql(currentDatabase(c), text); }

bool yes(const QVariantList& row, int i) {
    const QString v = at(row, i).toString();
    return v == QLatin1String("1") || v.compare(QLatin1String("YES"), Qt::CaseInsensitive) == 0;
}

QVariant number(const QVariant& v) { return v.isNull() ? QVariant() : QVariant(v.toLongLong()); }

// The type as the engine's driver names it: the declared type without its
// parenthesised part, in capitals ("int(10) unsigned" is "INT UNSIGNED",
// "enum('a','b')" is "ENUM").
QString typeName(const QString& columnType) {
    QString t = columnType;
    const qsizetype open = t.indexOf(QLatin1Char('(')), close = t.lastIndexOf(QLatin1Char(')'));
    if (open >= 0 && close > open) t.remove(open, close - open + 1);
    return t.simplified().toUpper();
}

// The ADO view of a column from its INFORMATION_SCHEMA.COLUMNS facts; the lengths and
// precisions are the engine's own (a LONGTEXT holds 4294967295 characters, an
// unsigned 32-bit length).
ColumnType myType(const QString& dataType, const QString& columnType, const QVariant& length, const QVariant& octets,
                  const QVariant& precision, const QVariant& scale, const QVariant& datetime, bool binaryText) {
    ColumnType t;
    const bool isUnsigned = columnType.contains(QLatin1String("unsigned"), Qt::CaseInsensitive);
    const auto integer = [&](int plain, int unsignedType) {
        t.ado = isUnsigned ? unsignedType : plain;
        t.precision = number(precision);
    };
    const auto text = [&](int ado) {
        t.ado = ado;
        t.length = number(length);
        t.octets = number(octets);
    };
    const QString d = dataType.toLower();
    if (d == QLatin1String("tinyint")) integer(adTinyInt, adUnsignedTinyInt);
    else if (d == QLatin1String("smallint")) integer(adSmallInt, adUnsignedSmallInt);
    else if (d == QLatin1String("mediumint") || d == QLatin1String("int") || d == QLatin1String("integer"))
        integer(adInteger, adUnsignedInt);
    else if (d == QLatin1String("bigint")) integer(adBigInt, adUnsignedBigInt);
    else if (d == QLatin1String("float")) { t.ado = adSingle; t.precision = number(precision); }
    else if (d == QLatin1String("double") || d == QLatin1String("real")) { t.ado = adDouble; t.precision = number(precision); }
    else if (d == QLatin1String("decimal") || d == QLatin1String("numeric")) {
        t.ado = adNumeric;
        t.precision = number(precision);
        t.scale = number(scale);
    }
    else if (d == QLatin1String("bit")) {
        t.ado = precision.toLongLong() == 1 ? adBoolean : adBinary;
        t.precision = number(precision);
    }
    else if (d == QLatin1String("year")) t.ado = adSmallInt;
    else if (d == QLatin1String("date")) { t.ado = adDBDate; t.datetime = 0; }
    else if (d == QLatin1String("time")) { t.ado = adDBTime; t.datetime = datetime.isNull() ? QVariant(0) : number(datetime); }
    else if (d == QLatin1String("datetime") || d == QLatin1String("timestamp")) {
        t.ado = adDBTimeStamp;
        t.datetime = datetime.isNull() ? QVariant(0) : number(datetime);
    }
    else if (d == QLatin1String("char")) text(binaryText ? adBinary : adWChar);
    else if (d == QLatin1String("varchar") || d == QLatin1String("enum") || d == QLatin1String("set")
             || d == QLatin1String("inet4") || d == QLatin1String("inet6"))
        text(binaryText ? adVarBinary : adVarWChar);
    else if (d.endsWith(QLatin1String("text")) || d == QLatin1String("json")) text(binaryText ? adLongVarBinary : adLongVarWChar);
    else if (d == QLatin1String("binary")) text(adBinary);
    else if (d == QLatin1String("varbinary")) text(adVarBinary);
    else if (d.endsWith(QLatin1String("blob"))) text(adLongVarBinary);
    else if (d == QLatin1String("uuid")) t.ado = adGUID;
    else t.ado = adLongVarBinary;  // the spatial types and any other the engine adds
    return t;
}

// The query gives its columns in SQLTables order.
Rowset tablesOf(odbc::Connection& c) {
    return tablesFromCatalogue(c.execute(sql(c,
        "SELECT TABLE_SCHEMA, NULL, TABLE_NAME, "
        "  CASE WHEN TABLE_TYPE = 'VIEW' THEN 'VIEW' WHEN TABLE_TYPE = 'SYSTEM VIEW' THEN 'SYSTEM VIEW' ELSE 'TABLE' END, "
        "  CASE WHEN TABLE_TYPE <> 'VIEW' THEN NULLIF(TABLE_COMMENT, '') END "
        "FROM information_schema.TABLES WHERE TABLE_SCHEMA = $DB")).rows);
}

Rowset columnsOf(odbc::Connection& c) {
    const QString query = sql(c,
        "SELECT TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, COLUMN_DEFAULT, IS_NULLABLE, DATA_TYPE, "
        "  COLUMN_TYPE, CHARACTER_MAXIMUM_LENGTH, CHARACTER_OCTET_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE, "
        "  DATETIME_PRECISION, CHARACTER_SET_NAME, COLLATION_NAME, NULLIF(COLUMN_COMMENT, ''), EXTRA, "
        "  GENERATION_EXPRESSION "
        "FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = $DB");
    Rowset out;
    QVariantList o = emptyRow(columns::Count);
    eachRow(c, query, [&](const QVariantList& row) {
        o[columns::TABLE_CATALOG] = at(row, 0);
        o[columns::TABLE_NAME] = at(row, 1);
        o[columns::COLUMN_NAME] = at(row, 2);
        o[columns::ORDINAL_POSITION] = number(at(row, 3));
        // MariaDB shows a column without a default as the text NULL; a generated
        // column's expression stands where a default would, as the engine declares it.
        QVariant columnDefault = at(row, 4);
        if (columnDefault.toString() == QLatin1String("NULL")) columnDefault = QVariant();
        const QString extra = at(row, 16).toString().toUpper();
        const bool stored = extra.contains(QLatin1String("STORED GENERATED")),
                   isVirtual = extra.contains(QLatin1String("VIRTUAL GENERATED"));
        if ((stored || isVirtual) && !at(row, 17).isNull())
            columnDefault = QStringLiteral("GENERATED ALWAYS AS (%1) %2")
                                .arg(at(row, 17).toString(), stored ? QLatin1String("STORED") : QLatin1String("VIRTUAL"));
        o[columns::COLUMN_DEFAULT] = columnDefault;
        o[columns::COLUMN_HASDEFAULT] = !columnDefault.isNull();
        const QString columnType = at(row, 7).toString();
        const bool binaryText = at(row, 13).toString() == QLatin1String("binary");
        setColumnType(o,
                      myType(at(row, 6).toString(), columnType, at(row, 8), at(row, 9), at(row, 10), at(row, 11), at(row, 12),
                             binaryText),
                      yes(row, 5));
        o[columns::CHARACTER_SET_NAME] = at(row, 13);
        o[columns::COLLATION_NAME] = at(row, 14);
        o[columns::DESCRIPTION] = at(row, 15);
        o[columns::TYPE_NAME] = typeName(columnType);
        out.add(o);
    });
    out.sortPacked({columns::TABLE_CATALOG, columns::TABLE_SCHEMA, columns::TABLE_NAME, columns::ORDINAL_POSITION});
    return out;
}

// The query gives its columns in SQLPrimaryKeys order. A primary key is always named
// PRIMARY, a name no other constraint may have. Each rowset reads its
// INFORMATION_SCHEMA tables one by one: a join of two of them makes the server build
// the second once for every row of the first.
Rowset primaryKeys(odbc::Connection& c) {
    return primaryKeysFromCatalogue(c.execute(sql(c,
        "SELECT TABLE_SCHEMA, NULL, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, CONSTRAINT_NAME "
        "FROM information_schema.KEY_COLUMN_USAGE "
        "WHERE TABLE_SCHEMA = $DB AND CONSTRAINT_SCHEMA = $DB AND CONSTRAINT_NAME = 'PRIMARY'")).rows);
}

Rowset viewsOf(odbc::Connection& c) {
    const odbc::Result r = c.execute(sql(c,
        "SELECT TABLE_SCHEMA, NULL, TABLE_NAME, VIEW_DEFINITION, CASE WHEN CHECK_OPTION = 'NONE' THEN 0 ELSE 1 END, "
        "  CASE WHEN IS_UPDATABLE = 'YES' THEN 1 ELSE 0 END "
        "FROM information_schema.VIEWS WHERE TABLE_SCHEMA = $DB"));
    Rowset out;
    for (const QVariantList& row : r.rows) {
        QVariantList o =
            placed(row, views::Count, {views::TABLE_CATALOG, views::TABLE_SCHEMA, views::TABLE_NAME, views::VIEW_DEFINITION});
        o[views::CHECK_OPTION] = yes(row, 4);
        o[views::IS_UPDATABLE] = yes(row, 5);
        out.rows << o;
    }
    sortRows(out.rows, {views::TABLE_CATALOG, views::TABLE_SCHEMA, views::TABLE_NAME});
    return out;
}

// Neither engine records the columns a view reads.
Rowset viewColumnUsage(odbc::Connection&) { return Rowset(); }

Rowset indexesOf(odbc::Connection& c) {
    const QString query = sql(c,
        "SELECT TABLE_SCHEMA, TABLE_NAME, INDEX_NAME, NON_UNIQUE, SEQ_IN_INDEX, COLUMN_NAME, COLLATION, CARDINALITY, "
        "  INDEX_TYPE "
        "FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = $DB");
    Rowset out;
    QVariantList o = emptyRow(indexes::Count);
    eachRow(c, query, [&](const QVariantList& row) {
        const QString kind = at(row, 8).toString().toUpper();
        const bool primary = at(row, 2).toString() == QLatin1String("PRIMARY");
        setIndexRow(o, {.catalog = at(row, 0),
                        .schema = QVariant(),
                        .table = at(row, 1),
                        .index = at(row, 2),
                        .primary = primary,
                        .unique = at(row, 3).toString() == QLatin1String("0"),
                        .type = kind == QLatin1String("BTREE") ? DBPROPVAL_IT_BTREE
                                : kind == QLatin1String("HASH") ? DBPROPVAL_IT_HASH
                                                                : DBPROPVAL_IT_OTHER,
                        .ordinal = int(at(row, 4).toLongLong()),
                        .column = at(row, 5),
                        .descending = at(row, 6).toString() == QLatin1String("D")});
        o[indexes::SORT_BOOKMARKS] = false;
        o[indexes::AUTO_UPDATE] = true;
        o[indexes::CARDINALITY] = number(at(row, 7));
        const bool named = kind == QLatin1String("FULLTEXT") || kind == QLatin1String("SPATIAL");
        o[indexes::INDEX_KIND] = named ? QVariant(kind) : QVariant();
        out.add(o);
    });
    out.sortPacked({indexes::TABLE_CATALOG, indexes::TABLE_SCHEMA, indexes::TABLE_NAME, indexes::INDEX_NAME,
                    indexes::ORDINAL_POSITION});
    return out;
}

Rowset foreignKeys(odbc::Connection& c) {
    // The rules of each key by its table and name (names compared exactly: a database
    // may hold tables named Mixed and mixed).
    QHash<QString, QVariantList> rules;
    const auto key = [](const QVariant& table, const QVariant& name) {
        return table.toString() + QChar(0x1f) + name.toString();
    };
    const QString db = currentDatabase(c);
    for (const QVariantList& row : c.execute(sql(db,
             "SELECT TABLE_NAME, CONSTRAINT_NAME, UPDATE_RULE, DELETE_RULE, UNIQUE_CONSTRAINT_NAME "
             "FROM information_schema.REFERENTIAL_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = $DB")).rows)
        rules.insert(key(at(row, 0), at(row, 1)), row);
    const odbc::Result r = c.execute(sql(db,
        "SELECT REFERENCED_TABLE_SCHEMA, NULL, REFERENCED_TABLE_NAME, REFERENCED_COLUMN_NAME, "
        "  TABLE_SCHEMA, NULL, TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, CONSTRAINT_NAME "
        "FROM information_schema.KEY_COLUMN_USAGE "
        "WHERE TABLE_SCHEMA = $DB AND CONSTRAINT_SCHEMA = $DB AND REFERENCED_TABLE_NAME IS NOT NULL"));
    Rowset out;
    for (const QVariantList& row : r.rows) {
        const auto rule = rules.constFind(key(at(row, 6), at(row, 9)));
        if (rule == rules.constEnd()) continue;
        QVariantList o = foreignKeyFromCatalogue(row);  // the first nine columns in SQLForeignKeys order
        o[foreignkeys::UPDATE_RULE] = at(*rule, 2);
        o[foreignkeys::DELETE_RULE] = at(*rule, 3);
        o[foreignkeys::PK_NAME] = at(*rule, 4);
        o[foreignkeys::FK_NAME] = at(row, 9);
        o[foreignkeys::DEFERRABILITY] = DBPROPVAL_DF_NOT_DEFERRABLE;
        out.rows << o;
    }
    sortRows(out.rows, {foreignkeys::FK_TABLE_CATALOG, foreignkeys::FK_TABLE_SCHEMA, foreignkeys::FK_TABLE_NAME,
                        foreignkeys::FK_NAME, foreignkeys::ORDINAL});
    return out;
}

// The checks with their tables, each as catalog, table name, check name, clause and
// whether it was declared on a column (MariaDB then names it after that column).
// MariaDB names a check's table in CHECK_CONSTRAINTS (check names are unique per table
// there), MySQL in TABLE_CONSTRAINTS (unique per database); a server older than checks
// (MySQL 5.7) has no CHECK_CONSTRAINTS.
QList<QVariantList> checksOf(odbc::Connection& c) {
    const odbc::Result shape = c.execute(QStringLiteral(
        "SELECT COUNT(*), SUM(COLUMN_NAME = 'LEVEL') FROM information_schema.COLUMNS "
        "WHERE TABLE_SCHEMA = 'information_schema' AND TABLE_NAME = 'CHECK_CONSTRAINTS'"));
    const QVariantList counts = shape.rows.value(0);
    if (at(counts, 0).toLongLong() == 0) return {};
    if (at(counts, 1).toLongLong() > 0)
        return c.execute(sql(c, "SELECT CONSTRAINT_SCHEMA, TABLE_NAME, CONSTRAINT_NAME, CHECK_CLAUSE, "
                                "  CASE WHEN LEVEL = 'Column' THEN 1 ELSE 0 END "
                                "FROM information_schema.CHECK_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = $DB"))
            .rows;
    const QString db = currentDatabase(c);
    QHash<QString, QVariant> clauses;
    const odbc::Result checks = c.execute(sql(db, "SELECT CONSTRAINT_NAME, CHECK_CLAUSE "
                                                 "FROM information_schema.CHECK_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = $DB"));
    for (const QVariantList& row : checks.rows) clauses.insert(at(row, 0).toString(), at(row, 1));
    QList<QVariantList> rows;
    for (const QVariantList& row : c.execute(sql(db, "SELECT CONSTRAINT_SCHEMA, TABLE_NAME, CONSTRAINT_NAME "
                                                    "FROM information_schema.TABLE_CONSTRAINTS "
                                                    "WHERE CONSTRAINT_SCHEMA = $DB AND CONSTRAINT_TYPE = 'CHECK'")).rows)
        rows << QVariantList{at(row, 0), at(row, 1), at(row, 2), clauses.value(at(row, 2).toString()), 0};
    return rows;
}

Rowset checkConstraints(odbc::Connection& c) {
    // Checks of one name on several tables stand in the order of their tables, as
    // the constraint-column-usage rowset lists them.
    QList<QVariantList> keyed;
    for (const QVariantList& row : checksOf(c)) {
        QVariantList o = emptyRow(checks::Count + 1);
        o[checks::CONSTRAINT_CATALOG] = at(row, 0);
        o[checks::CONSTRAINT_NAME] = at(row, 2);
        o[checks::CHECK_CLAUSE] = at(row, 3);
        o[checks::Count] = at(row, 1);
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

// The names a clause holds between backticks (the engine writes every column name so),
// each once; a doubled backtick inside stands for one. Quoted texts are passed over.
QStringList quotedNames(const QString& clause) {
    QStringList names;
    for (qsizetype i = 0; i < clause.size(); ++i) {
        const QChar q = clause[i];
        if (q != QLatin1Char('`') && q != QLatin1Char('\'') && q != QLatin1Char('"')) continue;
        QString name;
        for (++i; i < clause.size(); ++i) {
            if (clause[i] == QLatin1Char('\\') && q != QLatin1Char('`') && i + 1 < clause.size()) {
                ++i;
                continue;
            }
            if (clause[i] == q) {
                if (i + 1 < clause.size() && clause[i + 1] == q) {
                    name += q;
                    ++i;
                    continue;
                }
                break;
            }
            name += clause[i];
        }
        if (q == QLatin1Char('`') && !names.contains(name)) names << name;
    }
    return names;
}

// The columns each check reads: a check declared on a column reads that column, a
// table's check the columns its clause names.
Rowset constraintColumnUsage(odbc::Connection& c) {
    QList<QVariantList> rows;
    for (const QVariantList& check : checksOf(c)) {
        const QStringList read = yes(check, 4) ? QStringList{at(check, 2).toString()} : quotedNames(at(check, 3).toString());
        for (const QString& column : read)
            rows << QVariantList{at(check, 0), QVariant(), at(check, 1), column, at(check, 0), QVariant(), at(check, 2)};
    }
    const QList<int> named = {constraintcolumns::TABLE_CATALOG, constraintcolumns::TABLE_SCHEMA, constraintcolumns::TABLE_NAME,
                              constraintcolumns::COLUMN_NAME, constraintcolumns::CONSTRAINT_CATALOG,
                              constraintcolumns::CONSTRAINT_SCHEMA, constraintcolumns::CONSTRAINT_NAME};
    return placedRows(rows, constraintcolumns::Count, named, named);
}

}  // namespace

Rowset readMariadb(odbc::Connection& connection, int schemaId) {
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
        {adSchemaProviderTypes, providerTypesFromTypeInfo},
    };
    return readRowset(readers, schemaId, connection);
}

}  // namespace platform::ado::schema
