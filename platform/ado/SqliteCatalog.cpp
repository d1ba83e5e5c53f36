// Schema rowsets of a SQLite database, read from sqlite_master and the pragmas
// (table_xinfo, index_list, index_xinfo, foreign_key_list) in one query each.
// Constraint names and check clauses are taken from the stored CREATE TABLE text; a
// constraint the text leaves unnamed gets a name made from its table (PK_<table>,
// FK_<table>_<referenced table>, CK_<table>_<column>, CK_<table>, UQ_<table>), made
// unique within the table by a number.

#include "platform/ado/SchemaRowsets.h"
#include "platform/ado/SqlText.h"

#include <QSet>

namespace platform::ado::schema {

namespace {

struct Column {
    QString name;
    QString declaredType;
    bool notNull = false;
    QVariant defaultValue;
    int pk = 0;  // position in the primary key, 0 when not part of it
    int hidden = 0;  // pragma table_xinfo: 2 a virtual generated column, 3 a stored one
};

struct IndexColumn {
    int cid = -1;
    QString name;
    bool descending = false;
};

struct Index {
    QString name;
    bool unique = false;
    QString origin;  // "c" CREATE INDEX, "u" UNIQUE constraint, "pk" PRIMARY KEY
    bool partial = false;
    QString sql;
    QList<IndexColumn> columns;
};

struct ForeignKeyRow {
    int id = 0;
    QString table;
    QString from;
    QVariant to;
    QString onUpdate, onDelete;
};

struct Relation {
    QString name;
    bool isView = false;
    QString sql;  // a view's CREATE VIEW text; empty for a table
    QList<Column> columns;
    sqltext::TableDefinition definition;
    QList<Index> indexes;
    QList<ForeignKeyRow> foreignKeys;

    QString primaryKeyName() const {
        return definition.primaryKeyName.isEmpty() ? QStringLiteral("PK_") + name : definition.primaryKeyName;
    }
    QStringList primaryKeyColumns() const {
        QList<const Column*> keys;
        for (const Column& c : columns)
            if (c.pk > 0) keys << &c;
        std::sort(keys.begin(), keys.end(), [](const Column* a, const Column* b) { return a->pk < b->pk; });
        QStringList names;
        for (const Column* c : keys) names << c->name;
        return names;
    }
    // The one INTEGER PRIMARY KEY column of a rowid table, which stands for the rowid.
    bool isRowidAlias(const Column& c) const {
        if (definition.withoutRowid || c.pk != 1) return false;
        int keys = 0;
        for (const Column& k : columns) keys += k.pk > 0 ? 1 : 0;
        return keys == 1 && c.declaredType.trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
    }
    QString columnNamed(const QString& wanted) const {
        for (const Column& c : columns)
            if (c.name.compare(wanted, Qt::CaseInsensitive) == 0) return c.name;
        return QString();
    }
};

bool sameNames(const QStringList& a, const QStringList& b) {
    if (a.size() != b.size()) return false;
    for (int i = 0; i < a.size(); ++i)
        if (a[i].compare(b[i], Qt::CaseInsensitive) != 0) return false;
    return true;
}

// Gives 'base' a number when the table already uses it.
QString uniqueName(const QString& base, QSet<QString>& used) {
    QString name = base;
    for (int n = 2; used.contains(name.toLower()); ++n) name = base + QLatin1Char('_') + QString::number(n);
    used.insert(name.toLower());
    return name;
}

}  // namespace

// What one connection has read of the database: the relations with their columns,
// and their indexes and foreign keys once a rowset needs them. Built on the first
// rowset request and kept until the connection's rowset cache is dropped (a statement
// that may change the catalogue, or Close), so sqlite_master and the pragmas are read
// and every CREATE text parsed once per import rather than once per rowset.
class SqliteCatalogue {
public:
    explicit SqliteCatalogue(odbc::Connection& c) : m_c(c) {}

    // What a reader needs read: the relations with their columns, or their indexes and
    // foreign keys as well.
    enum Needs { Columns, Details };
    // Which relations a reader walks.
    enum Kind { Relations, Tables, Views };

    // Reads what 'needs' asks for (once), then calls each(const Relation&) for every
    // relation of 'kind', by name.
    template <typename Each>
    void forEach(Needs needs, Kind kind, Each each) {
        load(needs == Details);
        for (const Relation& r : m_relations)
            if (kind == Relations || r.isView == (kind == Views)) each(r);
    }

private:
    void load(bool details) {
        if (!m_loaded) {
            loadRelations();
            m_loaded = true;
        }
        if (details && !m_detailed) {
            loadIndexes();
            loadForeignKeys();
            m_detailed = true;
        }
    }

    void loadRelations() {
        const odbc::Result objects = m_c.execute(QStringLiteral(
            "SELECT type, name, sql FROM sqlite_master WHERE type IN ('table','view')"));
        for (const QVariantList& row : objects.rows) {
            Relation r;
            r.isView = at(row, 0).toString() == QLatin1String("view");
            r.name = at(row, 1).toString();
            // A table's text is needed only parsed; a view's is shown as it stands.
            if (r.isView) r.sql = at(row, 2).toString();
            else r.definition = sqltext::parseCreateTable(at(row, 2).toString());
            m_relations << r;
        }
        std::sort(m_relations.begin(), m_relations.end(), [](const Relation& a, const Relation& b) { return a.name < b.name; });
        for (int i = 0; i < m_relations.size(); ++i) m_byName.insert(m_relations[i].name.toLower(), i);

        loadColumns();
    }

public:
    const Relation* find(const QString& name) const {
        const auto it = m_byName.constFind(name.toLower());
        return it == m_byName.constEnd() ? nullptr : &m_relations[it.value()];
    }

    // The name of the index (or primary key) of 'table' whose key is exactly 'columns'.
    QVariant keyNamed(const Relation& table, const QStringList& columns) const {
        if (sameNames(table.primaryKeyColumns(), columns)) return table.primaryKeyName();
        for (const Index& index : table.indexes) {
            if (!index.unique) continue;
            QStringList names;
            for (const IndexColumn& c : index.columns) names << c.name;
            if (sameNames(names, columns)) return indexName(table, index);
        }
        return QVariant();
    }

    // The name a row of the indexes rowset shows: the primary key's index takes the
    // primary key's name, a UNIQUE constraint's index the constraint's name.
    QString indexName(const Relation& table, const Index& index) const {
        if (index.origin == QLatin1String("pk")) return table.primaryKeyName();
        if (index.origin == QLatin1String("u")) {
            QStringList names;
            for (const IndexColumn& c : index.columns) names << c.name;
            for (const auto& u : table.definition.uniques)
                if (!u.name.isEmpty() && sameNames(u.columns, names)) return u.name;
        }
        return index.name;
    }

private:
    // A bulk query over every relation; when one relation makes it fail (a view whose
    // text no longer compiles, say), the relations are read one by one and the
    // failing ones skipped.
    template <typename PerRow>
    void eachRow(const QString& bulk, const QString& single, bool tablesOnly, PerRow perRow) {
        try {
            for (const QVariantList& row : m_c.execute(bulk).rows) perRow(row);
            return;
        } catch (const odbc::Failure&) {
        }
        for (const Relation& r : m_relations) {
            if (tablesOnly && r.isView) continue;
            QString name = r.name;
            name.replace(QLatin1String("'"), QLatin1String("''"));
            try {
                for (QVariantList row : m_c.execute(QString(single).replace(QLatin1String("$NAME"), name)).rows) {
                    row.prepend(r.name);
                    perRow(row);
                }
            } catch (const odbc::Failure&) {
            }
        }
    }

    // The bulk queries give the rows of one relation together: the relation of the row
    // before is tried first, by its exact name, before the lookup that ignores case.
    Relation* relation(const QVariant& name) {
        const QString& text = name.typeId() == QMetaType::QString ? *static_cast<const QString*>(name.constData()) : QString();
        if (m_last && !text.isEmpty() && m_last->name == text) return m_last;
        const auto it = m_byName.constFind(name.toString().toLower());
        m_last = it == m_byName.constEnd() ? nullptr : &m_relations[it.value()];
        return m_last;
    }

    void loadColumns() {
        eachRow(QStringLiteral("SELECT m.name, p.cid, p.name, p.type, p.\"notnull\", p.dflt_value, p.pk, p.hidden "
                               "FROM sqlite_master m JOIN pragma_table_xinfo(m.name) p "
                               "WHERE m.type IN ('table','view') ORDER BY m.name, p.cid"),
                QStringLiteral("SELECT cid, name, type, \"notnull\", dflt_value, pk, hidden FROM pragma_table_xinfo('$NAME') "
                               "ORDER BY cid"),
                false, [this](const QVariantList& row) {
                    Relation* r = relation(at(row, 0));
                    if (!r || at(row, 7).toInt() == 1) return;  // hidden columns of virtual tables
                    Column c;
                    c.name = at(row, 2).toString();
                    c.declaredType = at(row, 3).toString();
                    c.notNull = at(row, 4).toInt() != 0;
                    c.defaultValue = at(row, 5);
                    c.pk = at(row, 6).toInt();
                    c.hidden = at(row, 7).toInt();
                    r->columns << c;
                });
    }

    void loadIndexes() {
        QHash<QString, QString> sqlOf;
        for (const QVariantList& row : m_c.execute(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index'")).rows)
            sqlOf.insert(at(row, 0).toString(), at(row, 1).toString());
        eachRow(QStringLiteral("SELECT m.name, l.seq, l.name, l.\"unique\", l.origin, l.partial, x.seqno, x.cid, x.name, x.\"desc\" "
                               "FROM sqlite_master m JOIN pragma_index_list(m.name) l JOIN pragma_index_xinfo(l.name) x "
                               "WHERE m.type = 'table' AND x.\"key\" = 1 ORDER BY m.name, l.name, x.seqno"),
                QStringLiteral("SELECT l.seq, l.name, l.\"unique\", l.origin, l.partial, x.seqno, x.cid, x.name, x.\"desc\" "
                               "FROM pragma_index_list('$NAME') l JOIN pragma_index_xinfo(l.name) x "
                               "WHERE x.\"key\" = 1 ORDER BY l.name, x.seqno"),
                true, [&](const QVariantList& row) {
                    Relation* r = relation(at(row, 0));
                    if (!r) return;
                    const QString name = at(row, 2).toString();
                    if (r->indexes.isEmpty() || r->indexes.last().name != name) {
                        Index index;
                        index.name = name;
                        index.unique = at(row, 3).toInt() != 0;
                        index.origin = at(row, 4).toString();
                        index.partial = at(row, 5).toInt() != 0;
                        index.sql = sqlOf.value(name);
                        r->indexes << index;
                    }
                    Index& index = r->indexes.last();
                    IndexColumn c;
                    c.cid = at(row, 7).toInt();
                    c.name = at(row, 8).toString();
                    c.descending = at(row, 9).toInt() != 0;
                    if (c.cid == -2) {  // an expression: take its text from the CREATE INDEX statement
                        const QStringList items = sqltext::parseCreateIndex(index.sql).columns;
                        const int position = at(row, 6).toInt();
                        if (position < items.size()) c.name = items[position];
                    } else if (c.cid == -1) {
                        c.name = QStringLiteral("rowid");
                    }
                    index.columns << c;
                });
    }

    void loadForeignKeys() {
        eachRow(QStringLiteral("SELECT m.name, f.id, f.seq, f.\"table\", f.\"from\", f.\"to\", f.on_update, f.on_delete "
                               "FROM sqlite_master m JOIN pragma_foreign_key_list(m.name) f "
                               "WHERE m.type = 'table' ORDER BY m.name, f.id, f.seq"),
                QStringLiteral("SELECT id, seq, \"table\", \"from\", \"to\", on_update, on_delete "
                               "FROM pragma_foreign_key_list('$NAME') ORDER BY id, seq"),
                true, [this](const QVariantList& row) {
                    Relation* r = relation(at(row, 0));
                    if (!r) return;
                    ForeignKeyRow fk;
                    fk.id = at(row, 1).toInt();
                    fk.table = at(row, 3).toString();
                    fk.from = at(row, 4).toString();
                    fk.to = at(row, 5);
                    fk.onUpdate = at(row, 6).toString();
                    fk.onDelete = at(row, 7).toString();
                    r->foreignKeys << fk;
                });
    }

    odbc::Connection& m_c;
    QList<Relation> m_relations;
    QHash<QString, int> m_byName;
    Relation* m_last = nullptr;  // what relation() found last; m_relations does not change after loading
    bool m_loaded = false, m_detailed = false;
};

void SqliteCatalogueDeleter::operator()(SqliteCatalogue* catalogue) const { delete catalogue; }

namespace {

using Model = SqliteCatalogue;

// The ADO view of a declared column type: the common type names first, then SQLite's
// own affinity rules.
ColumnType sqliteType(const QString& declared) {
    ColumnType t;
    t.ado = adVarChar;
    QString base = declared.trimmed().toLower();
    QList<int> args;
    const qsizetype open = base.indexOf(QLatin1Char('('));
    if (open >= 0) {
        const qsizetype close = base.indexOf(QLatin1Char(')'), open);
        for (const QString& a : base.mid(open + 1, (close < 0 ? base.size() : close) - open - 1).split(QLatin1Char(','))) {
            bool ok = false;
            const int n = a.trimmed().toInt(&ok);
            if (ok) args << n;
        }
        base = base.left(open).trimmed();
    }
    base = base.simplified();
    auto is = [&](std::initializer_list<const char*> names) {
        for (const char* n : names)
            if (base == QLatin1String(n)) return true;
        return false;
    };
    auto characters = [&](int ado) {
        t.ado = ado;
        if (!args.isEmpty()) t.length = t.octets = qint64(args[0]);
    };
    auto numeric = [&] {
        t.ado = adNumeric;
        if (!args.isEmpty()) {
            t.precision = args[0];
            t.scale = args.size() > 1 ? args[1] : 0;
        }
    };
    if (is({"integer", "int", "mediumint", "int4"})) { t.ado = adInteger; t.precision = 10; }
    else if (is({"smallint", "int2"})) { t.ado = adSmallInt; t.precision = 5; }
    else if (is({"tinyint"})) { t.ado = adTinyInt; t.precision = 3; }
    else if (is({"bigint", "int8", "unsigned big int"})) { t.ado = adBigInt; t.precision = 19; }
    else if (is({"real", "double", "double precision", "float", "float8"})) { t.ado = adDouble; t.precision = 15; }
    else if (is({"numeric", "decimal", "number"})) numeric();
    else if (is({"money", "currency", "smallmoney"})) { t.ado = adCurrency; t.precision = 19; }
    else if (is({"boolean", "bool", "bit"})) t.ado = adBoolean;
    else if (is({"char", "character", "nchar", "native character"})) characters(adChar);
    else if (is({"varchar", "nvarchar", "varchar2", "nvarchar2", "varying character", "character varying"})) characters(adVarChar);
    else if (is({"text", "clob", "ntext", "longtext", "mediumtext", "memo"})) characters(adLongVarChar);
    else if (is({"binary"})) characters(adBinary);
    else if (is({"varbinary"})) characters(adVarBinary);
    else if (is({"blob", "image", "longblob"})) t.ado = adLongVarBinary;
    else if (is({"date"})) { t.ado = adDBDate; t.datetime = 0; }
    else if (is({"time"})) { t.ado = adDBTime; t.datetime = args.isEmpty() ? 0 : args[0]; }
    else if (is({"datetime", "timestamp", "smalldatetime", "datetime2"})) { t.ado = adDBTimeStamp; t.datetime = args.isEmpty() ? 0 : args[0]; }
    else if (is({"guid", "uuid", "uniqueidentifier"})) t.ado = adGUID;
    else if (base.isEmpty()) t.ado = adVarChar;
    else if (base.contains(QLatin1String("int"))) { t.ado = adInteger; t.precision = 10; }
    else if (base.contains(QLatin1String("char")) || base.contains(QLatin1String("clob")) || base.contains(QLatin1String("text")))
        characters(args.isEmpty() ? adLongVarChar : adVarChar);
    else if (base.contains(QLatin1String("blob"))) t.ado = adLongVarBinary;
    else if (base.contains(QLatin1String("real")) || base.contains(QLatin1String("floa")) || base.contains(QLatin1String("doub"))) {
        t.ado = adDouble;
        t.precision = 15;
    } else {
        numeric();
    }
    return t;
}

// The declared type's name without its arguments, in lower case as SQLite compares
// it ("VARCHAR(80)" is "varchar"); Null for a column declared without a type.
QVariant declaredTypeName(const QString& declared) {
    QString base = declared;
    const qsizetype open = base.indexOf(QLatin1Char('('));
    if (open >= 0) base.truncate(open);
    base = base.simplified().toLower();
    return base.isEmpty() ? QVariant() : QVariant(base);
}

QVariant ruleText(const QString& rule) {
    const QString r = rule.toUpper();
    if (r == QLatin1String("CASCADE") || r == QLatin1String("SET NULL") || r == QLatin1String("SET DEFAULT")
        || r == QLatin1String("RESTRICT"))
        return r;
    return QStringLiteral("NO ACTION");
}

Rowset tablesOf(Model& m) {
    Rowset out;
    QVariantList o = emptyRow(tables::Count);
    m.forEach(Model::Columns, Model::Relations, [&](const Relation& r) {
        o[tables::TABLE_NAME] = r.name;
        o[tables::TABLE_TYPE] = r.isView ? QStringLiteral("VIEW")
                                : r.name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) ? QStringLiteral("SYSTEM TABLE")
                                                                                                     : QStringLiteral("TABLE");
        out.add(o);
    });
    out.sortPacked({tables::TABLE_TYPE, tables::TABLE_NAME});
    return out;
}

Rowset columnsOf(Model& m) {
    Rowset out;
    // A database declares few distinct types over many columns: each is worked out once.
    struct Declared {
        ColumnType type;
        QVariant name;
    };
    QHash<QString, Declared> declared;
    QVariantList o = emptyRow(columns::Count);
    m.forEach(Model::Columns, Model::Relations, [&](const Relation& r) {
        int ordinal = 0;
        for (const Column& col : r.columns) {
            const bool nullable = !(col.notNull || r.isRowidAlias(col) || (r.definition.withoutRowid && col.pk > 0));
            o[columns::TABLE_NAME] = r.name;
            o[columns::COLUMN_NAME] = col.name;
            o[columns::ORDINAL_POSITION] = ++ordinal;
            o[columns::COLUMN_HASDEFAULT] = !col.defaultValue.isNull();
            o[columns::COLUMN_DEFAULT] = col.defaultValue;
            auto type = declared.constFind(col.declaredType);
            if (type == declared.constEnd())
                type = declared.insert(col.declaredType, {sqliteType(col.declaredType), declaredTypeName(col.declaredType)});
            setColumnType(o, type->type, nullable);
            o[columns::TYPE_NAME] = type->name;
            o[columns::GENERATION_EXPRESSION] = QVariant();
            o[columns::GENERATION_STORAGE] = QVariant();
            if (col.hidden == 2 || col.hidden == 3) {
                for (const sqltext::GeneratedColumn& g : r.definition.generated)
                    if (g.column.compare(col.name, Qt::CaseInsensitive) == 0) o[columns::GENERATION_EXPRESSION] = g.expression;
                o[columns::GENERATION_STORAGE] = col.hidden == 3 ? QStringLiteral("STORED") : QStringLiteral("VIRTUAL");
            }
            out.add(o);
        }
    });
    return out;  // relations by name, columns in table order
}

Rowset primaryKeys(Model& m) {
    Rowset out;
    QVariantList o = emptyRow(primarykeys::Count);
    m.forEach(Model::Columns, Model::Tables, [&](const Relation& r) {
        const QStringList keys = r.primaryKeyColumns();
        for (int i = 0; i < keys.size(); ++i) {
            o[primarykeys::TABLE_NAME] = r.name;
            o[primarykeys::COLUMN_NAME] = keys[i];
            o[primarykeys::ORDINAL] = i + 1;
            o[primarykeys::PK_NAME] = r.primaryKeyName();
            out.add(o);
        }
    });
    return out;
}

Rowset viewsOf(Model& m) {
    Rowset out;
    m.forEach(Model::Columns, Model::Views, [&](const Relation& r) {
        QVariantList o = emptyRow(views::Count);
        o[views::TABLE_NAME] = r.name;
        o[views::VIEW_DEFINITION] = r.sql;
        o[views::CHECK_OPTION] = false;
        o[views::IS_UPDATABLE] = false;  // SQLite views are read-only
        out.rows << o;
    });
    return out;
}

Rowset viewColumnUsage(Model& m) {
    QHash<QString, sqltext::Relation> relations;
    m.forEach(Model::Columns, Model::Relations, [&](const Relation& r) {
        sqltext::Relation rel;
        rel.name = r.name;
        for (const Column& col : r.columns) rel.columns << col.name;
        relations.insert(r.name.toLower(), rel);
    });
    Rowset out;
    m.forEach(Model::Columns, Model::Views, [&](const Relation& r) {
        for (const sqltext::ColumnUse& use : sqltext::viewColumnUsage(r.sql, relations)) {
            if (use.table.compare(r.name, Qt::CaseInsensitive) == 0) continue;
            QVariantList o = emptyRow(viewcolumns::Count);
            o[viewcolumns::VIEW_NAME] = r.name;
            o[viewcolumns::TABLE_NAME] = use.table;
            o[viewcolumns::COLUMN_NAME] = use.column;
            out.rows << o;
        }
    });
    return out;
}

Rowset indexesOf(Model& m) {
    Rowset out;
    QVariantList o = emptyRow(indexes::Count);
    m.forEach(Model::Details, Model::Relations, [&](const Relation& r) {
        for (const Index& index : r.indexes) {
            const bool primary = index.origin == QLatin1String("pk");
            const bool clustered = primary && r.definition.withoutRowid;
            const QString name = m.indexName(r, index);
            const QString condition = index.partial ? sqltext::parseCreateIndex(index.sql).condition : QString();
            for (int i = 0; i < index.columns.size(); ++i) {
                setIndexRow(o, {.table = r.name,
                                .index = name,
                                .primary = primary,
                                .unique = index.unique,
                                .clustered = clustered,
                                .ordinal = int(i + 1),
                                .column = index.columns[i].name,
                                .descending = index.columns[i].descending,
                                .integrated = clustered});
                o[indexes::SORT_BOOKMARKS] = false;
                o[indexes::AUTO_UPDATE] = true;
                o[indexes::NULL_COLLATION] = DBPROPVAL_NC_LOW;  // SQLite sorts Null below every value
                if (!condition.isEmpty()) o[indexes::FILTER_CONDITION] = condition;
                out.add(o);
            }
        }
    });
    out.sortPacked({indexes::TABLE_NAME, indexes::INDEX_NAME, indexes::ORDINAL_POSITION});
    return out;
}

// Names for the foreign keys of one table, by pragma key id: the name the CREATE
// TABLE text gives, or one made from the tables.
QHash<int, QPair<QString, int>> foreignKeyNames(const Relation& r) {
    // Group the pragma rows by key id.
    QMap<int, QPair<QString, QStringList>> keys;  // id -> (referenced table, columns)
    for (const ForeignKeyRow& fk : r.foreignKeys) {
        keys[fk.id].first = fk.table;
        keys[fk.id].second << fk.from;
    }
    QSet<QString> used;
    for (const auto& fk : r.definition.foreignKeys)
        if (!fk.name.isEmpty()) used.insert(fk.name.toLower());
    const auto madeName = [&](const QString& referencedTable) {
        return uniqueName(QStringLiteral("FK_") + r.name + QLatin1Char('_') + referencedTable, used);
    };
    // Parsed keys in declaration order, each given its name first.
    QList<QString> parsedNames;
    for (const auto& fk : r.definition.foreignKeys) parsedNames << (fk.name.isEmpty() ? madeName(fk.referencedTable) : fk.name);
    QHash<int, QPair<QString, int>> names;  // id -> (name, deferrability)
    QList<bool> taken(r.definition.foreignKeys.size(), false);
    for (auto it = keys.constBegin(); it != keys.constEnd(); ++it) {
        int match = -1;
        for (int p = 0; p < r.definition.foreignKeys.size() && match < 0; ++p) {
            const auto& fk = r.definition.foreignKeys[p];
            if (!taken[p] && fk.referencedTable.compare(it.value().first, Qt::CaseInsensitive) == 0
                && sameNames(fk.columns, it.value().second))
                match = p;
        }
        if (match >= 0) {
            taken[match] = true;
            const auto& fk = r.definition.foreignKeys[match];
            const int deferrability = !fk.deferrable         ? DBPROPVAL_DF_NOT_DEFERRABLE
                                      : fk.initiallyDeferred ? DBPROPVAL_DF_INITIALLY_DEFERRED
                                                             : DBPROPVAL_DF_INITIALLY_IMMEDIATE;
            names.insert(it.key(), qMakePair(parsedNames[match], deferrability));
        } else {
            names.insert(it.key(), qMakePair(madeName(it.value().first), int(DBPROPVAL_DF_NOT_DEFERRABLE)));
        }
    }
    return names;
}

Rowset foreignKeysOf(Model& m) {
    Rowset out;
    QVariantList o = emptyRow(foreignkeys::Count);
    m.forEach(Model::Details, Model::Tables, [&](const Relation& r) {
        if (r.foreignKeys.isEmpty()) return;
        const QHash<int, QPair<QString, int>> names = foreignKeyNames(r);
        // Rows of one key share its referenced columns; a key without "to" columns
        // refers to the referenced table's primary key.
        QMap<int, QList<const ForeignKeyRow*>> byId;
        for (const ForeignKeyRow& fk : r.foreignKeys) byId[fk.id] << &fk;
        for (auto it = byId.constBegin(); it != byId.constEnd(); ++it) {
            const QList<const ForeignKeyRow*>& rows = it.value();
            const Relation* referenced = m.find(rows.first()->table);
            QStringList to;
            for (const ForeignKeyRow* fk : rows) to << fk->to.toString();
            if (rows.first()->to.isNull() && referenced) to = referenced->primaryKeyColumns();
            const QVariant pkName = referenced ? m.keyNamed(*referenced, to) : QVariant();
            for (int i = 0; i < rows.size(); ++i) {
                const ForeignKeyRow& fk = *rows[i];
                o[foreignkeys::PK_TABLE_NAME] = referenced ? referenced->name : fk.table;
                if (i < to.size()) {
                    const QString name = referenced ? referenced->columnNamed(to[i]) : QString();
                    o[foreignkeys::PK_COLUMN_NAME] = name.isEmpty() ? to[i] : name;
                }
                o[foreignkeys::FK_TABLE_NAME] = r.name;
                o[foreignkeys::FK_COLUMN_NAME] = fk.from;
                o[foreignkeys::ORDINAL] = i + 1;
                o[foreignkeys::UPDATE_RULE] = ruleText(fk.onUpdate);
                o[foreignkeys::DELETE_RULE] = ruleText(fk.onDelete);
                o[foreignkeys::PK_NAME] = pkName;
                o[foreignkeys::FK_NAME] = names.value(fk.id).first;
                o[foreignkeys::DEFERRABILITY] = names.value(fk.id).second;
                out.add(o);
            }
        }
    });
    out.sortPacked({foreignkeys::FK_TABLE_NAME, foreignkeys::FK_NAME, foreignkeys::ORDINAL});
    return out;
}

struct NamedCheck {
    QString table;
    QString name;
    QString clause;
    QStringList columns;  // the table's columns the check uses
};

QList<NamedCheck> checksOf(Model& m) {
    QList<NamedCheck> list;
    m.forEach(Model::Columns, Model::Tables, [&](const Relation& r) {
        QSet<QString> used;
        for (const auto& check : r.definition.checks)
            if (!check.name.isEmpty()) used.insert(check.name.toLower());
        for (const auto& check : r.definition.checks) {
            NamedCheck n;
            n.table = r.name;
            n.clause = check.clause;
            n.name = !check.name.isEmpty()      ? check.name
                     : !check.column.isEmpty() ? uniqueName(QStringLiteral("CK_") + r.name + QLatin1Char('_') + check.column, used)
                                               : uniqueName(QStringLiteral("CK_") + r.name, used);
            QStringList names = check.identifiers;
            if (!check.column.isEmpty()) names.prepend(check.column);
            for (const Column& col : r.columns)
                for (const QString& id : names)
                    if (col.name.compare(id, Qt::CaseInsensitive) == 0 && !n.columns.contains(col.name)) n.columns << col.name;
            list << n;
        }
    });
    return list;
}

Rowset checkConstraints(Model& m) {
    Rowset out;
    for (const NamedCheck& n : checksOf(m)) {
        QVariantList o = emptyRow(checks::Count);
        o[checks::CONSTRAINT_NAME] = n.name;
        o[checks::CHECK_CLAUSE] = n.clause;
        out.rows << o;
    }
    sortRows(out.rows, {checks::CONSTRAINT_NAME});
    return out;
}

Rowset constraintColumnUsage(Model& m) {
    Rowset out;
    QVariantList o = emptyRow(constraintcolumns::Count);
    auto add = [&](const QString& table, const QString& column, const QVariant& constraint) {
        o[constraintcolumns::TABLE_NAME] = table;
        o[constraintcolumns::COLUMN_NAME] = column;
        o[constraintcolumns::CONSTRAINT_NAME] = constraint;
        out.add(o);
    };
    m.forEach(Model::Details, Model::Tables, [&](const Relation& r) {
        for (const QString& key : r.primaryKeyColumns()) add(r.name, key, r.primaryKeyName());
        for (const Index& index : r.indexes) {
            if (index.origin != QLatin1String("u")) continue;
            for (const IndexColumn& col : index.columns) add(r.name, col.name, m.indexName(r, index));
        }
        const QHash<int, QPair<QString, int>> names = foreignKeyNames(r);
        for (const ForeignKeyRow& fk : r.foreignKeys) add(r.name, r.columnNamed(fk.from).isEmpty() ? fk.from : r.columnNamed(fk.from), names.value(fk.id).first);
    });
    for (const NamedCheck& n : checksOf(m))
        for (const QString& col : n.columns) add(n.table, col, n.name);
    out.sortPacked({constraintcolumns::TABLE_NAME, constraintcolumns::COLUMN_NAME, constraintcolumns::CONSTRAINT_NAME});
    return out;
}

// The type names the columns rowset's codes stand for, best match of each code first.
Rowset providerTypes() {
    static const QList<ProviderType> types = {
        {"smallint", adSmallInt, 5, nullptr, nullptr, nullptr, false, -1, -1},
        {"integer", adInteger, 10, nullptr, nullptr, nullptr, false, -1, -1},
        {"int", adInteger, 10, nullptr, nullptr, nullptr, false, -1, -1},
        {"real", adDouble, 15, nullptr, nullptr, nullptr, false, -1, -1},
        {"double", adDouble, 15, nullptr, nullptr, nullptr, false, -1, -1},
        {"float", adDouble, 15, nullptr, nullptr, nullptr, false, -1, -1},
        {"money", adCurrency, 19, nullptr, nullptr, nullptr, false, 4, 4},
        {"boolean", adBoolean, 1, nullptr, nullptr, nullptr, false, -1, -1},
        {"tinyint", adTinyInt, 3, nullptr, nullptr, nullptr, false, -1, -1},
        {"bigint", adBigInt, 19, nullptr, nullptr, nullptr, false, -1, -1},
        {"guid", adGUID, 36, "'", "'", nullptr, false, -1, -1},
        {"binary", adBinary, 1000000000, "X'", "'", "length", false, -1, -1},
        {"char", adChar, 1000000000, "'", "'", "length", true, -1, -1},
        {"numeric", adNumeric, 1000, nullptr, nullptr, "precision,scale", false, 0, 1000},
        {"decimal", adNumeric, 1000, nullptr, nullptr, "precision,scale", false, 0, 1000},
        {"date", adDBDate, 10, "'", "'", nullptr, false, -1, -1},
        {"time", adDBTime, 12, "'", "'", nullptr, false, 0, 3},
        {"datetime", adDBTimeStamp, 23, "'", "'", nullptr, false, 0, 3},
        {"timestamp", adDBTimeStamp, 23, "'", "'", nullptr, false, 0, 3},
        {"varchar", adVarChar, 1000000000, "'", "'", "length", true, -1, -1},
        {"text", adLongVarChar, 1000000000, "'", "'", nullptr, true, -1, -1},
        {"clob", adLongVarChar, 1000000000, "'", "'", nullptr, true, -1, -1},
        {"varbinary", adVarBinary, 1000000000, "X'", "'", "length", false, -1, -1},
        {"blob", adLongVarBinary, 1000000000, "X'", "'", nullptr, false, -1, -1},
    };
    return providerTypesFromList(types);
}

}  // namespace

Rowset readSqlite(odbc::Connection& connection, int schemaId, SqliteCataloguePtr& catalogue) {
    static const RowsetReader<Model> readers[] = {
        {adSchemaTables, tablesOf},
        {adSchemaColumns, columnsOf},
        {adSchemaPrimaryKeys, primaryKeys},
        {adSchemaViews, viewsOf},
        {adSchemaViewColumnUsage, viewColumnUsage},
        {adSchemaIndexes, indexesOf},
        {adSchemaForeignKeys, foreignKeysOf},
        {adSchemaCheckConstraints, checkConstraints},
        {adSchemaConstraintColumnUsage, constraintColumnUsage},
        {adSchemaProviderTypes, [](Model&) { return providerTypes(); }},
    };
    if (!catalogue) catalogue.reset(new SqliteCatalogue(connection));
    return readRowset(readers, schemaId, *catalogue);
}

}  // namespace platform::ado::schema
