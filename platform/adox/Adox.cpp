// The catalogue of an Access file read with libmdb: the object list (MSysObjects),
// table definitions with their column properties and indexes, the relationships
// (MSysRelationships) and the saved queries (MSysQueries).

#include "platform/adox/Adox.h"

#include "platform/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <mdbtools.h>

#include <memory>
#include <optional>
#include <vector>

namespace platform::adox {

namespace {

// ADO DataTypeEnum values of the Access column types.
enum {
    adSmallInt = 2, adInteger = 3, adSingle = 4, adDouble = 5, adCurrency = 6, adDate = 7, adBoolean = 11,
    adUnsignedTinyInt = 17, adGUID = 72, adBinary = 128, adNumeric = 131, adVarWChar = 202, adLongVarWChar = 203,
    adLongVarBinary = 205
};

// Object types and flags of MSysObjects.
constexpr int kObjectTable = 1, kObjectOdbcLink = 4, kObjectQuery = 5, kObjectLink = 6;
constexpr qint64 kSystemObjectFlags = 0x80000002;
// Column flag in a table definition: a memo column that holds hyperlinks.
constexpr int kHyperlinkFlag = 0x80;
// Index type of the hidden indexes Jet keeps for the referencing side of a
// relationship; they are no index of the user's.
constexpr int kRelationshipIndex = 2;
constexpr int kPrimaryKeyIndex = 1;
// MSysRelationships.grbit bits.
constexpr qint64 kRelationNotEnforced = 0x2, kRelationUpdateCascade = 0x100, kRelationDeleteCascade = 0x1000;

const char* const kDateFormat = "%Y-%m-%d %H:%M:%S";

struct HandleCloser {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;

struct TableCloser {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableCloser>;

[[noreturn]] void unreadable(const QString& path) {
    throw RuntimeError(jetErrUnrecognizedFormat, QStringLiteral("Unrecognized database format '%1'.").arg(path));
}

QString utf8(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

// The catalogue entry of the table named so; forms and reports may share its name.
MdbCatalogEntry* tableEntry(MdbHandle* mdb, const QString& name) {
    if (!mdb->catalog) return nullptr;
    const QByteArray wanted = name.toUtf8();
    for (guint i = 0; i < mdb->catalog->len; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && wanted == entry->object_name) return entry;
    }
    return nullptr;
}

// The rows of a table as text, one value per named column; a null QString for a
// Null value or a column the table does not have.
QList<QStringList> readRows(MdbHandle* mdb, const QString& tableName, const QList<const char*>& columns) {
    QList<QStringList> rows;
    MdbCatalogEntry* entry = tableEntry(mdb, tableName);
    if (!entry) return rows;
    TablePtr table(mdb_read_table(entry));
    if (!table || !mdb_read_columns(table.get())) return rows;
    mdb_rewind_table(table.get());
    const size_t size = mdb->bind_size;
    std::vector<std::vector<char>> buffers(size_t(columns.size()), std::vector<char>(size + 1, '\0'));
    std::vector<int> lengths(size_t(columns.size()), 0);
    std::vector<bool> bound(size_t(columns.size()), false);
    for (qsizetype i = 0; i < columns.size(); ++i)
        bound[size_t(i)] = mdb_bind_column_by_name(table.get(), const_cast<gchar*>(columns[i]), buffers[size_t(i)].data(),
                                                   &lengths[size_t(i)]) > 0;
    while (mdb_fetch_row(table.get())) {
        QStringList row;
        for (size_t i = 0; i < buffers.size(); ++i) {
            const int length = lengths[i];
            if (!bound[i] || length <= 0) {
                row << QString();
            } else {
                row << QString::fromUtf8(buffers[i].data(), qMin<qsizetype>(length, qsizetype(size)));
            }
            lengths[i] = 0;
        }
        rows << row;
    }
    return rows;
}

QDateTime dateOf(const QString& text) {
    return text.isEmpty() ? QDateTime() : QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The flags byte of each column of a table's definition, by column number. The
// definition may run over several pages: each page names the next at offset 4 and
// continues the definition from offset 8.
QHash<int, int> columnFlags(MdbTableDef* table) {
    QHash<int, int> flags;
    MdbHandle* mdb = table->entry->mdb;
    const MdbFormatConstants* fmt = mdb->fmt;
    QByteArray definition;
    unsigned long page = table->entry->table_pg;
    for (int pages = 0; page != 0 && pages < 256; ++pages) {
        if (mdb_read_pg(mdb, page) != fmt->pg_size) break;
        const char* data = reinterpret_cast<const char*>(mdb->pg_buf);
        if (definition.isEmpty()) definition.append(data, fmt->pg_size);
        else definition.append(data + 8, fmt->pg_size - 8);
        page = static_cast<unsigned long>(mdb_get_int32(mdb->pg_buf, 4)) & 0xffffffffUL;
    }
    qsizetype at = qsizetype(fmt->tab_cols_start_offset) + qsizetype(table->num_real_idxs) * fmt->tab_ridx_entry_size;
    for (unsigned i = 0; i < table->num_cols; ++i, at += fmt->tab_col_entry_size) {
        if (at + fmt->tab_col_entry_size > definition.size()) break;
        const auto* entry = reinterpret_cast<const unsigned char*>(definition.constData()) + at;
        const int number = entry[fmt->col_num_offset] | (entry[fmt->col_num_offset + 1] << 8);
        flags.insert(number, entry[fmt->col_flags_offset]);
    }
    return flags;
}

QVariant yesNo(const char* value) {
    if (!value) return {};
    const QString v = QString::fromUtf8(value).trimmed().toLower();
    return QVariant(v == QLatin1String("yes") || v == QLatin1String("true") || v == QLatin1String("1") || v == QLatin1String("-1"));
}

void setText(QVariantMap& properties, const char* name, const char* value) {
    if (value) properties.insert(QLatin1String(name), QString::fromUtf8(value));
}

Column readColumn(MdbColumn* col, bool jet3, const QHash<int, int>& flags) {
    Column c;
    c.Name = utf8(col->name);
    switch (col->col_type) {
    case MDB_BOOL: c.Type = adBoolean; break;
    case MDB_BYTE: c.Type = adUnsignedTinyInt; c.Precision = 3; break;
    case MDB_INT: c.Type = adSmallInt; c.Precision = 5; break;
    case MDB_LONGINT: c.Type = adInteger; c.Precision = 10; break;
    case MDB_MONEY: c.Type = adCurrency; c.Precision = 19; c.NumericScale = 4; break;
    case MDB_FLOAT: c.Type = adSingle; c.Precision = 7; break;
    case MDB_DOUBLE: c.Type = adDouble; c.Precision = 15; break;
    case MDB_DATETIME: c.Type = adDate; break;
    case MDB_BINARY: c.Type = adBinary; c.DefinedSize = col->col_size; break;
    // Jet 4 and ACE keep text as UTF-16: the size in the definition is in bytes.
    case MDB_TEXT: c.Type = adVarWChar; c.DefinedSize = jet3 ? col->col_size : col->col_size / 2; break;
    case MDB_OLE: c.Type = adLongVarBinary; break;
    case MDB_MEMO: c.Type = adLongVarWChar; break;
    case MDB_REPID: c.Type = adGUID; c.DefinedSize = 16; break;
    case MDB_NUMERIC: c.Type = adNumeric; c.Precision = col->col_prec; c.NumericScale = col->col_scale; break;
    default: break;  // attachments and multi-valued columns of ACE: no ADO type
    }
    QVariantMap& p = c.Properties;
    p.insert(QStringLiteral("Fixed Length"), bool(col->is_fixed));
    p.insert(QStringLiteral("AutoIncrement"), bool(col->is_long_auto));
    if (col->col_type == MDB_MEMO && flags.contains(col->col_num))
        p.insert(QStringLiteral("Jet OLEDB:Hyperlink"), bool(flags.value(col->col_num) & kHyperlinkFlag));
    setText(p, "Default", mdb_col_get_prop(col, "DefaultValue"));
    const QVariant zeroLength = yesNo(mdb_col_get_prop(col, "AllowZeroLength"));
    if (!zeroLength.isNull()) p.insert(QStringLiteral("Jet OLEDB:Allow Zero Length"), zeroLength);
    // A column is nullable unless the user made it required; a Yes/No column is kept
    // as a bit that has no Null.
    const QVariant required = yesNo(mdb_col_get_prop(col, "Required"));
    p.insert(QStringLiteral("Nullable"), col->col_type != MDB_BOOL && (required.isNull() || !required.toBool()));
    setText(p, "Jet OLEDB:Column Validation Rule", mdb_col_get_prop(col, "ValidationRule"));
    setText(p, "Jet OLEDB:Column Validation Text", mdb_col_get_prop(col, "ValidationText"));
    setText(p, "Description", mdb_col_get_prop(col, "Description"));
    return c;
}

QList<Index> readIndexes(MdbTableDef* table) {
    QList<Index> out;
    if (!table->indices) return out;
    for (guint i = 0; i < table->indices->len; ++i) {
        const auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
        if (idx->index_type == kRelationshipIndex) continue;
        Index index;
        index.Name = utf8(idx->name);
        index.PrimaryKey = idx->index_type == kPrimaryKeyIndex;
        index.Unique = (idx->flags & MDB_IDX_UNIQUE) != 0 || index.PrimaryKey;
        index.IgnoreNulls = (idx->flags & MDB_IDX_IGNORENULLS) != 0;
        for (unsigned k = 0; k < idx->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
            const int number = idx->key_col_num[k];
            if (number < 1 || guint(number) > table->columns->len) continue;
            const auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, guint(number - 1)));
            index.Columns << utf8(col->name);
            index.Descending << (idx->key_col_order[k] == MDB_DESC);
        }
        out << index;
    }
    return out;
}

void readTable(MdbHandle* mdb, Table& out) {
    MdbCatalogEntry* entry = tableEntry(mdb, out.Name);
    if (!entry) return;
    TablePtr table(mdb_read_table(entry));
    if (!table || !mdb_read_columns(table.get())) return;
    mdb_read_indices(table.get());
    out.Description = utf8(mdb_table_get_prop(table.get(), "Description"));
    const QHash<int, int> flags = columnFlags(table.get());
    const bool jet3 = mdb->f->jet_version == MDB_VER_JET3;
    for (guint i = 0; i < table->columns->len; ++i)
        out.Columns << readColumn(static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i)), jet3, flags);
    out.Indexes = readIndexes(table.get());
}

QList<Key> readKeys(MdbHandle* mdb) {
    // ccolumn, grbit, icolumn, szColumn, szObject, szReferencedColumn,
    // szReferencedObject, szRelationship: one row per column of a relationship.
    const QList<QStringList> rows = readRows(mdb, QStringLiteral("MSysRelationships"),
                                             {"grbit", "icolumn", "szColumn", "szObject", "szReferencedColumn",
                                              "szReferencedObject", "szRelationship"});
    QList<Key> keys;
    QHash<QString, qsizetype> byName;
    QHash<QString, QMap<int, QPair<QString, QString>>> columns;  // relationship -> position -> (column, referenced)
    for (const QStringList& r : rows) {
        const qint64 grbit = r[0].toLongLong();
        if (grbit & kRelationNotEnforced) continue;
        const QString name = r[6];
        if (!byName.contains(name)) {
            Key k;
            k.Name = name;
            k.Table = r[3];
            k.RelatedTable = r[5];
            k.UpdateRule = (grbit & kRelationUpdateCascade) ? QStringLiteral("CASCADE") : QStringLiteral("NO ACTION");
            k.DeleteRule = (grbit & kRelationDeleteCascade) ? QStringLiteral("CASCADE") : QStringLiteral("NO ACTION");
            byName.insert(name, keys.size());
            keys << k;
        }
        columns[name].insert(r[1].toInt(), {r[2], r[4]});
    }
    for (Key& k : keys)
        for (const auto& pair : std::as_const(columns[k.Name])) {
            k.Columns << pair.first;
            k.RelatedColumns << pair.second;
        }
    return keys;
}

}  // namespace

void Catalog::ActiveConnection(const QString& connectionString) {
    Open(DatabaseFileOf(connectionString), DatabasePasswordOf(connectionString));
}

namespace {

// The last catalogue read, kept so that the readers of one import (tables, schema
// rowsets, views) read the file once. A file changed since is read again.
struct LastRead {
    QMutex mutex;
    QString path;
    QDateTime modified;
    qint64 size = -1;
    std::optional<Catalog> catalog;
};
LastRead& lastRead() {
    static LastRead last;
    return last;
}

}  // namespace

void Catalog::Open(const QString& path, const QString& password) {
    CheckDatabaseFile(path, password);
    const QFileInfo info(path);
    LastRead& last = lastRead();
    {
        QMutexLocker lock(&last.mutex);
        if (last.catalog && last.path == info.canonicalFilePath() && last.size == info.size()
            && last.modified == info.lastModified()) {
            *this = *last.catalog;
            return;
        }
    }
    read(path);
    QMutexLocker lock(&last.mutex);
    last.path = info.canonicalFilePath();
    last.size = info.size();
    last.modified = info.lastModified();
    last.catalog = *this;
}

void Catalog::read(const QString& path) {
    HandlePtr mdb(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS));
    if (!mdb) unreadable(path);
    mdb_set_date_fmt(mdb.get(), kDateFormat);
    mdb_set_boolean_fmt_numbers(mdb.get());
    if (!mdb_read_catalog(mdb.get(), MDB_ANY)) unreadable(path);
    // A copy cut at a page boundary passes the header check; its catalogue then names
    // definition pages past the end, which libmdb would read as empty pages.
    const qint64 pages = QFileInfo(path).size() / mdb->fmt->pg_size;
    for (guint i = 0; i < mdb->catalog->len; ++i)
        if (qint64(static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i))->table_pg) >= pages) unreadable(path);
    switch (mdb->f->jet_version) {
    case MDB_VER_JET3: m_version = QStringLiteral("JET3"); break;
    case MDB_VER_JET4: m_version = QStringLiteral("JET4"); break;
    default: {
        static const int ace[] = {12, 14, 15, 16, 17};
        const guint32 v = mdb->f->jet_version;
        m_version = QStringLiteral("ACE%1").arg(v >= 2 && v <= 6 ? ace[v - 2] : 0);
        break;
    }
    }

    const QList<QStringList> objects =
        readRows(mdb.get(), QStringLiteral("MSysObjects"), {"Id", "Name", "Type", "DateCreate", "DateUpdate", "Flags"});
    if (objects.isEmpty()) unreadable(path);
    QHash<QString, QList<QueryRow>> queries;
    for (const QStringList& r : readRows(mdb.get(), QStringLiteral("MSysQueries"),
                                         {"ObjectId", "Attribute", "Name1", "Name2", "Expression", "Flag"})) {
        QueryRow q;
        q.Attribute = r[1].toInt();
        q.Name1 = r[2];
        q.Name2 = r[3];
        q.Expression = r[4];
        if (!r[5].isNull()) q.Flag = r[5].toInt();
        queries[r[0]] << q;
    }

    QList<Table> tables;
    QList<View> views;
    for (const QStringList& o : objects) {
        const QString name = o[1];
        const int type = o[2].toInt();
        const qint64 flags = o[5].toLongLong();
        if (name.isEmpty()) continue;
        Table t;
        t.Name = name;
        t.DateCreated = dateOf(o[3]);
        t.DateModified = dateOf(o[4]);
        if (type == kObjectTable) {
            t.Type = (flags & kSystemObjectFlags) ? QStringLiteral("SYSTEM TABLE") : QStringLiteral("TABLE");
            readTable(mdb.get(), t);
        } else if (type == kObjectLink || type == kObjectOdbcLink) {
            t.Type = QStringLiteral("LINK");
        } else if (type == kObjectQuery && !name.startsWith(QLatin1Char('~'))) {
            // Views are the saved queries that return rows (select, crosstab and union
            // queries, with their parameters if they take any); action queries are not.
            const QString sql = QuerySql(queries.value(o[0]));
            if (sql.isEmpty()) continue;
            t.Type = QStringLiteral("VIEW");
            views << View{name, sql, t.DateCreated, t.DateModified};
        } else {
            continue;
        }
        tables << t;
    }
    m_keys = readKeys(mdb.get());
    m_tables = std::move(tables);
    m_views = std::move(views);
}

}  // namespace platform::adox
