// Schema rowset definitions and the per-connection rowset cache.

#include "platform/ado/SchemaRowsets.h"

#include "platform/Error.h"

#include <QSet>
#include <QVarLengthArray>
#include <QtAlgorithms>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace platform::ado::schema {

namespace {

QStringList split(const char* names) {
    return QString::fromLatin1(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

std::map<int, Definition> makeDefinitions() {
    std::map<int, Definition> defs;
    auto add = [&](int schema, const char* names, QList<int> types, QList<int> restrictions) {
        Definition d;
        d.schema = schema;
        d.names = split(names);
        d.types = std::move(types);
        d.restrictionColumns = std::move(restrictions);
        Q_ASSERT(d.names.size() == d.types.size());
        defs[schema] = d;
    };
    const int S = adVarWChar, L = adLongVarWChar, G = adGUID, U = adUnsignedInt, B = adBoolean, D = adDate,
              US = adUnsignedSmallInt, I = adInteger, SI = adSmallInt, UB = adUnsignedBigInt;

    add(adSchemaTables,
        "TABLE_CATALOG TABLE_SCHEMA TABLE_NAME TABLE_TYPE TABLE_GUID DESCRIPTION TABLE_PROPID DATE_CREATED DATE_MODIFIED "
        "PARTITION_KEY PARENT_SCHEMA PARENT_NAME PARTITION_BOUND",
        {S, S, S, S, G, S, U, D, D, S, S, S, L}, {tables::TABLE_CATALOG, tables::TABLE_SCHEMA, tables::TABLE_NAME, tables::TABLE_TYPE});

    add(adSchemaColumns,
        "TABLE_CATALOG TABLE_SCHEMA TABLE_NAME COLUMN_NAME COLUMN_GUID COLUMN_PROPID ORDINAL_POSITION COLUMN_HASDEFAULT "
        "COLUMN_DEFAULT COLUMN_FLAGS IS_NULLABLE DATA_TYPE TYPE_GUID CHARACTER_MAXIMUM_LENGTH CHARACTER_OCTET_LENGTH "
        "NUMERIC_PRECISION NUMERIC_SCALE DATETIME_PRECISION CHARACTER_SET_CATALOG CHARACTER_SET_SCHEMA "
        "CHARACTER_SET_NAME COLLATION_CATALOG COLLATION_SCHEMA COLLATION_NAME DOMAIN_CATALOG DOMAIN_SCHEMA DOMAIN_NAME "
        "DESCRIPTION TYPE_NAME IDENTITY_GENERATION GENERATION_EXPRESSION GENERATION_STORAGE",
        {S, S, S, S, G, U, U, B, S, U, B, US, G, U, U, US, SI, U, S, S, S, S, S, S, S, S, S, S, S, S, L, S},
        {columns::TABLE_CATALOG, columns::TABLE_SCHEMA, columns::TABLE_NAME, columns::COLUMN_NAME});

    add(adSchemaPrimaryKeys, "TABLE_CATALOG TABLE_SCHEMA TABLE_NAME COLUMN_NAME COLUMN_GUID COLUMN_PROPID ORDINAL PK_NAME",
        {S, S, S, S, G, U, U, S}, {primarykeys::TABLE_CATALOG, primarykeys::TABLE_SCHEMA, primarykeys::TABLE_NAME});

    add(adSchemaViews,
        "TABLE_CATALOG TABLE_SCHEMA TABLE_NAME VIEW_DEFINITION CHECK_OPTION IS_UPDATABLE DESCRIPTION DATE_CREATED "
        "DATE_MODIFIED",
        {S, S, S, L, B, B, S, D, D}, {views::TABLE_CATALOG, views::TABLE_SCHEMA, views::TABLE_NAME});

    add(adSchemaViewColumnUsage,
        "VIEW_CATALOG VIEW_SCHEMA VIEW_NAME TABLE_CATALOG TABLE_SCHEMA TABLE_NAME COLUMN_NAME COLUMN_GUID COLUMN_PROPID",
        {S, S, S, S, S, S, S, G, U}, {viewcolumns::VIEW_CATALOG, viewcolumns::VIEW_SCHEMA, viewcolumns::VIEW_NAME});

    add(adSchemaIndexes,
        "TABLE_CATALOG TABLE_SCHEMA TABLE_NAME INDEX_CATALOG INDEX_SCHEMA INDEX_NAME PRIMARY_KEY UNIQUE CLUSTERED TYPE "
        "FILL_FACTOR INITIAL_SIZE NULLS SORT_BOOKMARKS AUTO_UPDATE NULL_COLLATION ORDINAL_POSITION COLUMN_NAME "
        "COLUMN_GUID COLUMN_PROPID COLLATION CARDINALITY PAGES FILTER_CONDITION INTEGRATED INDEX_METHOD INCLUDED_COLUMNS INDEX_KIND",
        {S, S, S, S, S, S, B, B, B, US, I, I, I, B, B, I, U, S, G, U, SI, UB, I, S, B, S, S, S},
        {indexes::TABLE_CATALOG, indexes::TABLE_SCHEMA, indexes::INDEX_NAME, indexes::TYPE, indexes::TABLE_NAME});

    add(adSchemaForeignKeys,
        "PK_TABLE_CATALOG PK_TABLE_SCHEMA PK_TABLE_NAME PK_COLUMN_NAME PK_COLUMN_GUID PK_COLUMN_PROPID FK_TABLE_CATALOG "
        "FK_TABLE_SCHEMA FK_TABLE_NAME FK_COLUMN_NAME FK_COLUMN_GUID FK_COLUMN_PROPID ORDINAL UPDATE_RULE DELETE_RULE "
        "PK_NAME FK_NAME DEFERRABILITY",
        {S, S, S, S, G, U, S, S, S, S, G, U, U, S, S, S, S, SI},
        {foreignkeys::PK_TABLE_CATALOG, foreignkeys::PK_TABLE_SCHEMA, foreignkeys::PK_TABLE_NAME,
         foreignkeys::FK_TABLE_CATALOG, foreignkeys::FK_TABLE_SCHEMA, foreignkeys::FK_TABLE_NAME});

    add(adSchemaCheckConstraints, "CONSTRAINT_CATALOG CONSTRAINT_SCHEMA CONSTRAINT_NAME CHECK_CLAUSE DESCRIPTION",
        {S, S, S, L, S}, {checks::CONSTRAINT_CATALOG, checks::CONSTRAINT_SCHEMA, checks::CONSTRAINT_NAME});

    add(adSchemaConstraintColumnUsage,
        "TABLE_CATALOG TABLE_SCHEMA TABLE_NAME COLUMN_NAME COLUMN_GUID COLUMN_PROPID CONSTRAINT_CATALOG "
        "CONSTRAINT_SCHEMA CONSTRAINT_NAME",
        {S, S, S, S, G, U, S, S, S},
        {constraintcolumns::TABLE_CATALOG, constraintcolumns::TABLE_SCHEMA, constraintcolumns::TABLE_NAME,
         constraintcolumns::COLUMN_NAME, constraintcolumns::CONSTRAINT_CATALOG, constraintcolumns::CONSTRAINT_SCHEMA,
         constraintcolumns::CONSTRAINT_NAME});

    add(adSchemaProviderTypes,
        "TYPE_NAME DATA_TYPE COLUMN_SIZE LITERAL_PREFIX LITERAL_SUFFIX CREATE_PARAMS IS_NULLABLE CASE_SENSITIVE "
        "SEARCHABLE UNSIGNED_ATTRIBUTE FIXED_PREC_SCALE AUTO_UNIQUE_VALUE LOCAL_TYPE_NAME MINIMUM_SCALE MAXIMUM_SCALE "
        "GUID TYPELIB VERSION IS_LONG BEST_MATCH IS_FIXEDLENGTH",
        {S, US, U, S, S, S, B, B, U, B, B, B, S, SI, SI, G, S, S, B, B, B},
        {providertypes::DATA_TYPE, providertypes::BEST_MATCH});
    return defs;
}

}  // namespace

const Definition* definition(int schema) {
    static const std::map<int, Definition> defs = makeDefinitions();
    const auto it = defs.find(schema);
    return it == defs.end() ? nullptr : &it->second;
}

Engine engineFor(const QString& dbmsName) {
    if (dbmsName.startsWith(QLatin1String("PostgreSQL"), Qt::CaseInsensitive)) return Engine::PostgreSQL;
    if (dbmsName.startsWith(QLatin1String("SQLite"), Qt::CaseInsensitive)) return Engine::SQLite;
    if (dbmsName.startsWith(QLatin1String("MariaDB"), Qt::CaseInsensitive)
        || dbmsName.startsWith(QLatin1String("MySQL"), Qt::CaseInsensitive))
        return Engine::MariaDB;
    return Engine::Other;
}

void notSupported() {
    throw RuntimeError(adErrNotSupported, QStringLiteral("Object or provider is not capable of performing requested operation."));
}

bool isFixedLengthType(int adoType) {
    switch (adoType) {
    case adVarChar: case adLongVarChar: case adVarWChar: case adLongVarWChar: case adVarBinary: case adLongVarBinary:
    case adBSTR:
        return false;
    default:
        return true;
    }
}

bool isLongType(int adoType) {
    return adoType == adLongVarChar || adoType == adLongVarWChar || adoType == adLongVarBinary;
}

void setColumnType(QVariantList& row, const ColumnType& type, bool nullable) {
    row[columns::IS_NULLABLE] = nullable;
    row[columns::DATA_TYPE] = type.ado;
    row[columns::CHARACTER_MAXIMUM_LENGTH] = type.length;
    row[columns::CHARACTER_OCTET_LENGTH] = type.octets;
    row[columns::NUMERIC_PRECISION] = type.precision;
    row[columns::NUMERIC_SCALE] = type.scale;
    row[columns::DATETIME_PRECISION] = type.datetime;
    int flags = DBCOLUMNFLAGS_WRITEUNKNOWN;
    if (nullable) flags |= DBCOLUMNFLAGS_ISNULLABLE | DBCOLUMNFLAGS_MAYBENULL;
    if (isFixedLengthType(type.ado)) flags |= DBCOLUMNFLAGS_ISFIXEDLENGTH;
    if (isLongType(type.ado)) flags |= DBCOLUMNFLAGS_ISLONG;
    row[columns::COLUMN_FLAGS] = flags;
}

QString matchKey(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}

bool isNoRestriction(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return true;
    if (value.typeId() == QMetaType::QString) return value.toString().isEmpty();
    return false;
}

namespace {

// A value as the sort compares it, worked out once per value rather than once per
// comparison: Nulls first, numbers by value, everything else (and a number beside a
// text) by its text in code-point order.
struct SortKey {
    bool null = false;
    bool number = false;
    double value = 0;
    QString text;
};

SortKey sortKey(const QVariant& v) {
    SortKey k;
    if (v.isNull()) {
        k.null = true;
        return k;
    }
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Bool: case QMetaType::Double:
        k.number = true;
        k.value = v.toDouble();
        break;
    default:
        break;
    }
    k.text = v.toString();
    return k;
}

int compareKeys(const SortKey& a, const SortKey& b) {
    if (a.null || b.null) return a.null == b.null ? 0 : (a.null ? -1 : 1);
    if (a.number && b.number) return a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
    return QString::compare(a.text, b.text, Qt::CaseSensitive);
}

// Sorts 'rows' by the values valueOf(row, column) gives for 'columns', each key worked
// out once; rows equal on every column keep their order.
template <typename Row, typename ValueOf>
void sortBy(QList<Row>& rows, const QList<int>& columns, ValueOf valueOf) {
    const qsizetype n = rows.size(), width = columns.size();
    if (n < 2 || width == 0) return;
    std::vector<SortKey> keys(static_cast<size_t>(n * width));
    for (qsizetype r = 0; r < n; ++r)
        for (qsizetype c = 0; c < width; ++c) keys[size_t(r * width + c)] = sortKey(valueOf(rows[r], columns[c]));
    std::vector<qsizetype> order(static_cast<size_t>(n));
    for (qsizetype r = 0; r < n; ++r) order[size_t(r)] = r;
    std::stable_sort(order.begin(), order.end(), [&](qsizetype x, qsizetype y) {
        for (qsizetype c = 0; c < width; ++c) {
            const int d = compareKeys(keys[size_t(x * width + c)], keys[size_t(y * width + c)]);
            if (d != 0) return d < 0;
        }
        return false;
    });
    QList<Row> sorted;
    sorted.reserve(n);
    for (qsizetype r : order) sorted << std::move(rows[r]);
    rows = std::move(sorted);
}

}  // namespace

void sortRows(QList<QVariantList>& rows, const QList<int>& columns) {
    sortBy(rows, columns, [](const QVariantList& row, int c) -> const QVariant& { return row[c]; });
}

void place(QVariantList& into, const QVariantList& row, const QList<int>& targets) {
    for (int i = 0; i < targets.size(); ++i) into[targets[i]] = at(row, i);
}

QVariantList placed(const QVariantList& row, int count, const QList<int>& targets) {
    QVariantList o = emptyRow(count);
    place(o, row, targets);
    return o;
}

Rowset placedRows(const QList<QVariantList>& rows, int count, const QList<int>& targets, const QList<int>& order) {
    Rowset out;
    QVariantList o = emptyRow(count);
    for (const QVariantList& row : rows) {
        place(o, row, targets);
        out.add(o);
    }
    out.sortPacked(order);
    return out;
}

Rowset tablesFromCatalogue(const QList<QVariantList>& rows) {
    return placedRows(rows, tables::Count,
                      {tables::TABLE_CATALOG, tables::TABLE_SCHEMA, tables::TABLE_NAME, tables::TABLE_TYPE, tables::DESCRIPTION},
                      {tables::TABLE_TYPE, tables::TABLE_CATALOG, tables::TABLE_SCHEMA, tables::TABLE_NAME});
}

Rowset primaryKeysFromCatalogue(const QList<QVariantList>& rows) {
    Rowset out;
    QVariantList o = emptyRow(primarykeys::Count);
    for (const QVariantList& row : rows) {
        place(o, row,
              {primarykeys::TABLE_CATALOG, primarykeys::TABLE_SCHEMA, primarykeys::TABLE_NAME, primarykeys::COLUMN_NAME,
               primarykeys::ORDINAL, primarykeys::PK_NAME});
        o[primarykeys::ORDINAL] = o[primarykeys::ORDINAL].toInt();  // a number whatever type the driver gave
        out.add(o);
    }
    out.sortPacked({primarykeys::TABLE_CATALOG, primarykeys::TABLE_SCHEMA, primarykeys::TABLE_NAME, primarykeys::ORDINAL});
    return out;
}

QVariantList foreignKeyFromCatalogue(const QVariantList& row) {
    QVariantList o = placed(row, foreignkeys::Count,
                            {foreignkeys::PK_TABLE_CATALOG, foreignkeys::PK_TABLE_SCHEMA, foreignkeys::PK_TABLE_NAME,
                             foreignkeys::PK_COLUMN_NAME, foreignkeys::FK_TABLE_CATALOG, foreignkeys::FK_TABLE_SCHEMA,
                             foreignkeys::FK_TABLE_NAME, foreignkeys::FK_COLUMN_NAME, foreignkeys::ORDINAL});
    o[foreignkeys::ORDINAL] = o[foreignkeys::ORDINAL].toInt();  // a number whatever type the driver gave
    return o;
}

QVariantList indexRow(const IndexColumnFacts& facts) {
    QVariantList o = emptyRow(indexes::Count);
    setIndexRow(o, facts);
    return o;
}

void setIndexRow(QVariantList& o, const IndexColumnFacts& facts) {
    o[indexes::TABLE_CATALOG] = facts.catalog;
    o[indexes::TABLE_SCHEMA] = facts.schema;
    o[indexes::TABLE_NAME] = facts.table;
    o[indexes::INDEX_CATALOG] = facts.catalog;
    o[indexes::INDEX_SCHEMA] = facts.schema;
    o[indexes::INDEX_NAME] = facts.index;
    o[indexes::PRIMARY_KEY] = facts.primary;
    o[indexes::UNIQUE] = facts.unique;
    o[indexes::CLUSTERED] = facts.clustered;
    o[indexes::TYPE] = facts.type;
    o[indexes::NULLS] = facts.primary ? DBPROPVAL_IN_DISALLOWNULL : DBPROPVAL_IN_ALLOWNULL;
    o[indexes::ORDINAL_POSITION] = facts.ordinal;
    o[indexes::COLUMN_NAME] = facts.column;
    o[indexes::COLLATION] = facts.descending ? DB_COLLATION_DESC : DB_COLLATION_ASC;
    o[indexes::INTEGRATED] = facts.integrated;
}

Rowset providerTypesFromList(const QList<ProviderType>& types) {
    Rowset out;
    QList<int> seen;
    for (const ProviderType& t : types) {
        QVariantList r = emptyRow(providertypes::Count);
        const auto text = [](const char* s) { return s ? QVariant(QString::fromLatin1(s)) : QVariant(); };
        r[providertypes::TYPE_NAME] = QString::fromLatin1(t.name);
        r[providertypes::DATA_TYPE] = t.adoType;
        if (t.columnSize >= 0) r[providertypes::COLUMN_SIZE] = t.columnSize;
        r[providertypes::LITERAL_PREFIX] = text(t.literalPrefix);
        r[providertypes::LITERAL_SUFFIX] = text(t.literalSuffix);
        r[providertypes::CREATE_PARAMS] = text(t.createParams);
        r[providertypes::IS_NULLABLE] = true;
        r[providertypes::CASE_SENSITIVE] = t.caseSensitive;
        r[providertypes::SEARCHABLE] = t.caseSensitive ? 4 : 3;  // DB_SEARCHABLE, DB_ALL_EXCEPT_LIKE
        r[providertypes::UNSIGNED_ATTRIBUTE] = false;
        r[providertypes::FIXED_PREC_SCALE] = t.adoType == adCurrency;
        r[providertypes::AUTO_UNIQUE_VALUE] = false;
        r[providertypes::LOCAL_TYPE_NAME] = QString::fromLatin1(t.name);
        if (t.minimumScale >= 0) r[providertypes::MINIMUM_SCALE] = t.minimumScale;
        if (t.maximumScale >= 0) r[providertypes::MAXIMUM_SCALE] = t.maximumScale;
        r[providertypes::IS_LONG] = isLongType(t.adoType);
        r[providertypes::BEST_MATCH] = !seen.contains(t.adoType);
        r[providertypes::IS_FIXEDLENGTH] = isFixedLengthType(t.adoType);
        seen << t.adoType;
        out.rows << r;
    }
    sortRows(out.rows, {providertypes::DATA_TYPE});
    return out;
}

namespace {
constexpr int kPackedColumns = 64;
}  // namespace

QVariantList unpack(const PackedRow& p) {
    if (p.width > kPackedColumns) return p.values;
    QVariantList row(p.width);
    qsizetype next = 0;
    for (int c = 0; c < p.width; ++c)
        if (p.present & (quint64(1) << c)) row[c] = p.values[next++];
    return row;
}

// Column c of a packed row; Null when absent.
QVariant packedValue(const PackedRow& p, int c) {
    if (c < 0 || c >= p.width) return QVariant();
    if (p.width > kPackedColumns) return p.values[c];
    const quint64 bit = quint64(1) << c;
    if (!(p.present & bit)) return QVariant();
    return p.values[qPopulationCount(p.present & (bit - 1))];
}

// A row wider than the mask is kept whole (no rowset has one).
void Rowset::add(QVariantList& row) {
    PackedRow p;
    p.width = int(row.size());
    const bool whole = row.size() > kPackedColumns;
    p.values.reserve(whole ? row.size() : std::count_if(row.cbegin(), row.cend(), [](const QVariant& v) { return v.isValid(); }));
    for (qsizetype c = 0; c < row.size(); ++c) {
        QVariant& v = row[c];
        if (!whole && !v.isValid()) continue;
        // An empty text equals a null one in a QSet; both stay as they were.
        if (v.typeId() == QMetaType::QString) {
            const QString& text = *static_cast<const QString*>(v.constData());
            if (!text.isEmpty()) {
                const auto known = m_texts.constFind(text);
                if (known != m_texts.cend()) v = *known;
                else m_texts.insert(text);
            }
        }
        if (!whole) p.present |= quint64(1) << c;
        p.values << std::exchange(v, QVariant());
    }
    if (whole) p.present = ~quint64(0);
    packed << std::move(p);
}

void Rowset::sortPacked(const QList<int>& columns) { sortBy(packed, columns, packedValue); }

void Rowset::packAll() {
    packed.reserve(packed.size() + rows.size());
    for (QVariantList& row : rows) {
        add(row);
        row = QVariantList();  // the whole row goes as soon as its packed copy is made
    }
    rows.clear();
    m_texts.clear();
}

RecordsetPtr Cache::answer(const Definition& def, const QVariantList& restrictions, const Loader& load) {
    // Which columns are restricted, and to what. An import asks this many times per
    // table, so nothing here allocates but the key text.
    QVarLengthArray<QPair<int, QString>, 8> wanted;
    quint64 keyColumns = 0;  // bit c: column c is restricted
    for (int i = 0; i < restrictions.size(); ++i) {
        if (isNoRestriction(restrictions[i])) continue;
        if (i >= def.restrictionColumns.size()) notSupported();
        wanted.append(qMakePair(def.restrictionColumns[i], matchKey(restrictions[i])));
        keyColumns |= quint64(1) << def.restrictionColumns[i];
    }

    auto it = m_entries.find(def.schema);
    if (it == m_entries.end()) {
        Rowset loaded = load(def.schema);
        loaded.packAll();
        it = m_entries.emplace(def.schema, Entry{std::make_shared<const QList<PackedRow>>(std::move(loaded.packed)), {}, {}}).first;
    }
    Entry& entry = it->second;
    const QList<PackedRow>& all = *entry.rows;

    if (wanted.isEmpty()) {
        if (entry.everyRow.size() != all.size()) {
            entry.everyRow.resize(all.size());
            std::iota(entry.everyRow.begin(), entry.everyRow.end(), 0);
        }
        return std::make_shared<Recordset>(def.names, def.types, entry.rows, entry.everyRow);
    }

    // One index per set of restricted columns, keyed by their values together in
    // column order.
    std::sort(wanted.begin(), wanted.end());
    qsizetype length = 0;
    for (const auto& w : wanted) length += w.second.size() + 1;
    QString key;
    key.reserve(length);
    for (const auto& w : wanted) {
        key += w.second;
        key += QChar(0x1f);
    }
    auto indexIt = entry.index.find(keyColumns);
    if (indexIt == entry.index.end()) {
        QHash<QString, QList<int>> index;
        for (int r = 0; r < all.size(); ++r) {
            QString rowKey;
            bool complete = true;
            for (const auto& w : wanted) {
                const QVariant v = packedValue(all[r], w.first);
                if (v.isNull()) {
                    complete = false;
                    break;
                }
                rowKey += matchKey(v);
                rowKey += QChar(0x1f);
            }
            if (complete) index[rowKey] << r;
        }
        indexIt = entry.index.insert(keyColumns, index);
    }
    return std::make_shared<Recordset>(def.names, def.types, entry.rows, indexIt->value(key));
}

}  // namespace platform::ado::schema
