#pragma once
// The OLE DB schema rowsets: their columns in rowset order, the columns their
// restrictions apply to, the readers that fill them per engine, and the per-connection
// cache that answers repeated requests from one bulk read.

#include "platform/ado/Ado.h"
#include "platform/ado/Odbc.h"

#include <QHash>
#include <QSet>

#include <map>

namespace platform::ado::schema {

// Column positions of each rowset, in rowset order.
namespace tables {
enum { TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, TABLE_TYPE, TABLE_GUID, DESCRIPTION, TABLE_PROPID, DATE_CREATED,
       DATE_MODIFIED,
       // Beyond the OLE DB columns: a partitioned table's partition key as the engine
       // writes it ("RANGE (at)"); a partition's parent table (schema and name) and its
       // bounds ("FOR VALUES FROM (...) TO (...)"). Null for an ordinary table.
       PARTITION_KEY, PARENT_SCHEMA, PARENT_NAME, PARTITION_BOUND, Count };
}
namespace columns {
enum { TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, COLUMN_GUID, COLUMN_PROPID, ORDINAL_POSITION,
       COLUMN_HASDEFAULT, COLUMN_DEFAULT, COLUMN_FLAGS, IS_NULLABLE, DATA_TYPE, TYPE_GUID, CHARACTER_MAXIMUM_LENGTH,
       CHARACTER_OCTET_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE, DATETIME_PRECISION, CHARACTER_SET_CATALOG,
       CHARACTER_SET_SCHEMA, CHARACTER_SET_NAME, COLLATION_CATALOG, COLLATION_SCHEMA, COLLATION_NAME, DOMAIN_CATALOG,
       DOMAIN_SCHEMA, DOMAIN_NAME, DESCRIPTION,
       // Beyond the OLE DB columns: the type as the engine declares it (the declared type
       // of a SQLite column, a PostgreSQL enum, domain or array type by its own name),
       // Null where the engine gives none.
       TYPE_NAME,
       // An identity column's kind ("ALWAYS" or "BY DEFAULT"); a generated column's
       // expression and its storage ("STORED" or "VIRTUAL"). Null for other columns.
       IDENTITY_GENERATION, GENERATION_EXPRESSION, GENERATION_STORAGE, Count };
}
namespace primarykeys {
enum { TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, COLUMN_GUID, COLUMN_PROPID, ORDINAL, PK_NAME, Count };
}
namespace views {
enum { TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, VIEW_DEFINITION, CHECK_OPTION, IS_UPDATABLE, DESCRIPTION, DATE_CREATED,
       DATE_MODIFIED, Count };
}
namespace viewcolumns {
enum { VIEW_CATALOG, VIEW_SCHEMA, VIEW_NAME, TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, COLUMN_GUID,
       COLUMN_PROPID, Count };
}
namespace indexes {
enum { TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, INDEX_CATALOG, INDEX_SCHEMA, INDEX_NAME, PRIMARY_KEY, UNIQUE, CLUSTERED,
       TYPE, FILL_FACTOR, INITIAL_SIZE, NULLS, SORT_BOOKMARKS, AUTO_UPDATE, NULL_COLLATION, ORDINAL_POSITION,
       COLUMN_NAME, COLUMN_GUID, COLUMN_PROPID, COLLATION, CARDINALITY, PAGES, FILTER_CONDITION, INTEGRATED,
       // Beyond the OLE DB columns, the same on every row of an index: the engine's
       // access method by its own name ("btree", "gin", ...) and the non-key columns
       // it carries (INCLUDE), separated by ","; Null where there are none. Then the
       // engine's own name of a kind of index that TYPE cannot tell (MariaDB's FULLTEXT
       // and SPATIAL), Null for any other index.
       INDEX_METHOD, INCLUDED_COLUMNS, INDEX_KIND, Count };
}
namespace foreignkeys {
enum { PK_TABLE_CATALOG, PK_TABLE_SCHEMA, PK_TABLE_NAME, PK_COLUMN_NAME, PK_COLUMN_GUID, PK_COLUMN_PROPID,
       FK_TABLE_CATALOG, FK_TABLE_SCHEMA, FK_TABLE_NAME, FK_COLUMN_NAME, FK_COLUMN_GUID, FK_COLUMN_PROPID, ORDINAL,
       UPDATE_RULE, DELETE_RULE, PK_NAME, FK_NAME, DEFERRABILITY, Count };
}
namespace checks {
enum { CONSTRAINT_CATALOG, CONSTRAINT_SCHEMA, CONSTRAINT_NAME, CHECK_CLAUSE, DESCRIPTION, Count };
}
namespace constraintcolumns {
enum { TABLE_CATALOG, TABLE_SCHEMA, TABLE_NAME, COLUMN_NAME, COLUMN_GUID, COLUMN_PROPID, CONSTRAINT_CATALOG,
       CONSTRAINT_SCHEMA, CONSTRAINT_NAME, Count };
}
namespace providertypes {
enum { TYPE_NAME, DATA_TYPE, COLUMN_SIZE, LITERAL_PREFIX, LITERAL_SUFFIX, CREATE_PARAMS, IS_NULLABLE, CASE_SENSITIVE,
       SEARCHABLE, UNSIGNED_ATTRIBUTE, FIXED_PREC_SCALE, AUTO_UNIQUE_VALUE, LOCAL_TYPE_NAME, MINIMUM_SCALE,
       MAXIMUM_SCALE, GUID, TYPELIB, VERSION, IS_LONG, BEST_MATCH, IS_FIXEDLENGTH, Count };
}

// OLE DB values used in the rowsets.
constexpr int DBPROPVAL_IT_BTREE = 1, DBPROPVAL_IT_HASH = 2, DBPROPVAL_IT_OTHER = 4;
constexpr int DBPROPVAL_IN_ALLOWNULL = 0, DBPROPVAL_IN_DISALLOWNULL = 1;
constexpr int DBPROPVAL_NC_HIGH = 2, DBPROPVAL_NC_LOW = 4;
constexpr int DBCOLUMNFLAGS_WRITEUNKNOWN = 0x8, DBCOLUMNFLAGS_ISFIXEDLENGTH = 0x10, DBCOLUMNFLAGS_ISNULLABLE = 0x20,
              DBCOLUMNFLAGS_MAYBENULL = 0x40, DBCOLUMNFLAGS_ISLONG = 0x80;

struct Definition {
    int schema = 0;
    QStringList names;
    QList<int> types;                // ADO type code per column
    QList<int> restrictionColumns;   // the column each restriction position filters
};

// The rowset's definition, or nullptr for a schema no connection gives.
const Definition* definition(int schema);

// A row kept with only its values that are not Null (an invalid QVariant): most of a
// rowset's columns are Null, and the columns and indexes rowsets of a large database
// hold hundreds of thousands of rows while an import runs.
struct PackedRow {
    quint64 present = 0;  // bit c: column c holds values[the count of bits below c]
    int width = 0;
    QVariantList values;
};

// The whole row a packed row stands for, and its value in column c (Null when absent
// or past its end).
QVariantList unpack(const PackedRow& p);
QVariant packedValue(const PackedRow& p, int c);

// Rows of one rowset, each row holding Definition::names.size() values. A reader either
// appends whole rows to 'rows', or, for a rowset that can be large, packs each row as
// it makes it with add(), so no wide, mostly Null row outlives its making; the cache
// takes both.
struct Rowset {
    QList<QVariantList> rows;
    QList<PackedRow> packed;

    // Packs 'row' onto 'packed', equal texts sharing one copy, and leaves every value
    // of 'row' Null with its storage kept, ready to be filled as the next row.
    void add(QVariantList& row);
    // Sorts 'packed' as sortRows sorts rows.
    void sortPacked(const QList<int>& columns);
    // Packs 'rows' onto the end of 'packed', freeing each row as it goes.
    void packAll();

private:
    QSet<QString> m_texts;
};

// A row of n Null values.
inline QVariantList emptyRow(int n) { return QVariantList(n); }

// Value i of a result row; Null past its end.
inline QVariant at(const QVariantList& row, int i) { return i < row.size() ? row[i] : QVariant(); }

// A row of 'count' columns holding value i of the result row 'row' in column
// targets[i] and Null elsewhere.
QVariantList placed(const QVariantList& row, int count, const QList<int>& targets);
// The same into 'into', a row whose other columns are already Null.
void place(QVariantList& into, const QVariantList& row, const QList<int>& targets);
// The rows placed so, sorted by the columns 'order'.
Rowset placedRows(const QList<QVariantList>& rows, int count, const QList<int>& targets, const QList<int>& order);

// Throws RuntimeError(adErrNotSupported): the engine cannot give the rowset.
[[noreturn]] void notSupported();

// An engine's reader of one rowset from its source (a connection, or what was read of
// the database).
template <typename Source>
struct RowsetReader {
    int schema;
    Rowset (*read)(Source&);
};
// The rowset 'schema' read by its reader among 'readers'; adErrNotSupported when the
// engine has none.
template <typename Source, size_t N>
Rowset readRowset(const RowsetReader<Source> (&readers)[N], int schema, Source& source) {
    for (const RowsetReader<Source>& reader : readers)
        if (reader.schema == schema) return reader.read(source);
    notSupported();
}

enum class Engine { PostgreSQL, SQLite, MariaDB, Other };
Engine engineFor(const QString& dbmsName);

// Readers of the whole unrestricted rowset on an open connection. They throw
// RuntimeError(adErrNotSupported) for a rowset the engine cannot give and
// odbc::Failure when the driver fails.
Rowset readPostgres(odbc::Connection& connection, int schema);
// MariaDB and MySQL: the connection's current database only.
Rowset readMariadb(odbc::Connection& connection, int schema);
// The SQLite reader keeps what it read of the database in 'catalogue' (made on the
// first request) for the requests that follow; the owner drops it with the cache.
class SqliteCatalogue;
struct SqliteCatalogueDeleter {
    void operator()(SqliteCatalogue* catalogue) const;
};
using SqliteCataloguePtr = std::unique_ptr<SqliteCatalogue, SqliteCatalogueDeleter>;
Rowset readSqlite(odbc::Connection& connection, int schema, SqliteCataloguePtr& catalogue);
Rowset readOdbc(odbc::Connection& connection, int schema);

// Runs 'query' and hands each result row to perRow, reading the rows in batches.
template <typename PerRow>
void eachRow(odbc::Connection& connection, const QString& query, PerRow perRow) {
    connection.executeInBatches(query, 0, 2000, [&](const odbc::Result&, QList<QVariantList>&& batch) {
        for (const QVariantList& row : batch) perRow(row);
    });
}

// Sorts rows by the given columns (Nulls first, text by code point, numbers by value);
// rows equal on every column keep their order.
void sortRows(QList<QVariantList>& rows, const QList<int>& columns);

// The provider-types rowset from the driver's SQLGetTypeInfo, the first type of each
// ADO type code marked as its best match.
Rowset providerTypesFromTypeInfo(odbc::Connection& connection);

// One row of an engine's own provider-types list.
struct ProviderType {
    const char* name;
    int adoType;
    qint64 columnSize;     // -1 for Null
    const char* literalPrefix;
    const char* literalSuffix;
    const char* createParams;
    bool caseSensitive;
    int minimumScale;      // -1 for Null
    int maximumScale;      // -1 for Null
};
// The provider-types rowset of a fixed list, in list order within each type code; the
// first type of each code is its best match.
Rowset providerTypesFromList(const QList<ProviderType>& types);

// Whether an ADO type is a fixed-length or a long type.
bool isFixedLengthType(int adoType);
bool isLongType(int adoType);

// The ADO view of a column's type, as the columns rowset shows it.
struct ColumnType {
    int ado = adVarWChar;
    QVariant length;     // CHARACTER_MAXIMUM_LENGTH
    QVariant octets;     // CHARACTER_OCTET_LENGTH
    QVariant precision;  // NUMERIC_PRECISION
    QVariant scale;      // NUMERIC_SCALE
    QVariant datetime;   // DATETIME_PRECISION
};
// Fills the type columns of a columns-rowset row, with IS_NULLABLE and COLUMN_FLAGS.
void setColumnType(QVariantList& row, const ColumnType& type, bool nullable);

// The facts of one column of one index that every engine gives; indexRow makes the
// indexes-rowset row of them (the index's catalog and schema are its table's). The
// caller adds what its engine knows beyond these.
struct IndexColumnFacts {
    QVariant catalog{}, schema{}, table{}, index{};
    bool primary = false, unique = false, clustered = false;
    int type = DBPROPVAL_IT_BTREE;
    int ordinal = 0;
    QVariant column{};
    bool descending = false;
    bool integrated = false;
};
QVariantList indexRow(const IndexColumnFacts& facts);
// The same into 'row', an indexes-rowset row whose other columns are already Null.
void setIndexRow(QVariantList& row, const IndexColumnFacts& facts);

// Rowsets from result rows whose columns come in the order of the ODBC catalogue
// function's answer, sorted as the rowset is: SQLTables (catalog, schema, name, type,
// remarks) and SQLPrimaryKeys (catalog, schema, table, column, key sequence, key name).
Rowset tablesFromCatalogue(const QList<QVariantList>& rows);
Rowset primaryKeysFromCatalogue(const QList<QVariantList>& rows);
// A foreign-keys rowset row with the key's columns taken from a row in SQLForeignKeys
// order (referenced catalog, schema, table, column, then the referencing ones, then
// the key sequence); the caller adds the rules, the names and the deferrability.
QVariantList foreignKeyFromCatalogue(const QVariantList& row);

// Answers schema requests from one bulk read per rowset. Owned by one connection; the
// owner clears it when the connection closes or a statement may have changed the
// catalogue.
class Cache {
public:
    using Loader = std::function<Rowset(int schema)>;
    // The rows of 'schema' matching the restrictions, in rowset order; loads the
    // rowset with 'load' on the first request.
    RecordsetPtr answer(const Definition& def, const QVariantList& restrictions, const Loader& load);
    // Whether 'schema' has been read, so that an answer needs no statement.
    bool holds(int schema) const { return m_entries.count(schema) != 0; }
    void clear() {
        m_entries.clear();
        sqlite.reset();
    }

    // What the SQLite reader read of the database, dropped with the rowsets.
    SqliteCataloguePtr sqlite;

private:
    struct Entry {
        // Shared with the recordsets answered from it, which outlive a clear().
        std::shared_ptr<const QList<PackedRow>> rows;
        // Per set of restricted columns: their values' keys joined -> row numbers,
        // built on the first request that restricts exactly those columns, so a
        // request restricted by schema and name costs the same as one by name.
        QHash<quint64, QHash<QString, QList<int>>> index;  // by the mask of restricted columns
        QList<int> everyRow;  // 0 .. rows->size() - 1, for an unrestricted request
    };
    std::map<int, Entry> m_entries;
};

// The key a value has in the cache's indexes; restriction values and row values
// that are equal under the restriction rules have equal keys.
QString matchKey(const QVariant& value);

// True when the restriction entry restricts nothing (missing, Null or empty text).
bool isNoRestriction(const QVariant& value);

}  // namespace platform::ado::schema
