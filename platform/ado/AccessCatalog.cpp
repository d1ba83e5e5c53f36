// Schema rowsets of an Access connection from the file's own catalogue.

#include "platform/ado/AccessCatalog.h"

#include <QRegularExpression>

namespace platform::ado::schema {

namespace {

QVariant dateOrNull(const QDateTime& d) { return d.isValid() ? QVariant(d) : QVariant(); }

Rowset tablesOf(const adox::Catalog& catalog) {
    Rowset out;
    for (const adox::Table& t : catalog.Tables()) {
        QVariantList r = emptyRow(tables::Count);
        r[tables::TABLE_NAME] = t.Name;
        r[tables::TABLE_TYPE] = t.Type;
        if (!t.Description.isEmpty()) r[tables::DESCRIPTION] = t.Description;
        r[tables::DATE_CREATED] = dateOrNull(t.DateCreated);
        r[tables::DATE_MODIFIED] = dateOrNull(t.DateModified);
        out.rows << r;
    }
    sortRows(out.rows, {tables::TABLE_TYPE, tables::TABLE_NAME});
    return out;
}

Rowset columnsOf(const adox::Catalog& catalog) {
    Rowset out;
    for (const adox::Table& t : catalog.Tables()) {
        int ordinal = 0;
        for (const adox::Column& c : t.Columns) {
            QVariantList r = emptyRow(columns::Count);
            r[columns::TABLE_NAME] = t.Name;
            r[columns::COLUMN_NAME] = c.Name;
            r[columns::ORDINAL_POSITION] = ++ordinal;
            const QVariant defaultValue = c.Property(QStringLiteral("Default"));
            r[columns::COLUMN_HASDEFAULT] = !defaultValue.isNull();
            r[columns::COLUMN_DEFAULT] = defaultValue;
            ColumnType type;
            type.ado = c.Type;
            if (c.DefinedSize > 0) {
                type.length = c.DefinedSize;
                type.octets = c.Type == adBinary ? c.DefinedSize : c.DefinedSize * 2;
            }
            if (c.Precision > 0) type.precision = c.Precision;
            if (c.Type == adNumeric || c.Type == adCurrency) type.scale = c.NumericScale;
            setColumnType(r, type, c.Property(QStringLiteral("Nullable")).toBool());
            r[columns::DESCRIPTION] = c.Property(QStringLiteral("Description"));
            out.rows << r;
        }
    }
    sortRows(out.rows, {columns::TABLE_NAME, columns::ORDINAL_POSITION});
    return out;
}

Rowset primaryKeysOf(const adox::Catalog& catalog) {
    Rowset out;
    for (const adox::Table& t : catalog.Tables())
        for (const adox::Index& index : t.Indexes) {
            if (!index.PrimaryKey) continue;
            for (qsizetype i = 0; i < index.Columns.size(); ++i) {
                QVariantList r = emptyRow(primarykeys::Count);
                r[primarykeys::TABLE_NAME] = t.Name;
                r[primarykeys::COLUMN_NAME] = index.Columns[i];
                r[primarykeys::ORDINAL] = int(i + 1);
                r[primarykeys::PK_NAME] = index.Name;
                out.rows << r;
            }
        }
    sortRows(out.rows, {primarykeys::TABLE_NAME, primarykeys::ORDINAL});
    return out;
}

Rowset indexesOf(const adox::Catalog& catalog) {
    Rowset out;
    for (const adox::Table& t : catalog.Tables())
        for (const adox::Index& index : t.Indexes)
            for (qsizetype i = 0; i < index.Columns.size(); ++i) {
                out.rows << indexRow({.table = t.Name,
                                      .index = index.Name,
                                      .primary = index.PrimaryKey,
                                      .unique = index.Unique,
                                      .ordinal = int(i + 1),
                                      .column = index.Columns[i],
                                      .descending = index.Descending.value(i)});
            }
    sortRows(out.rows, {indexes::TABLE_NAME, indexes::INDEX_NAME, indexes::ORDINAL_POSITION});
    return out;
}

// The name of the referenced table's primary key when the relationship refers to
// exactly its columns.
QVariant primaryKeyName(const adox::Catalog& catalog, const adox::Key& key) {
    for (const adox::Table& t : catalog.Tables()) {
        if (t.Name != key.RelatedTable) continue;
        for (const adox::Index& index : t.Indexes)
            if (index.PrimaryKey && index.Columns == key.RelatedColumns) return index.Name;
    }
    return {};
}

Rowset foreignKeysOf(const adox::Catalog& catalog) {
    Rowset out;
    for (const adox::Key& k : catalog.Keys()) {
        const QVariant pkName = primaryKeyName(catalog, k);
        for (qsizetype i = 0; i < k.Columns.size(); ++i) {
            QVariantList r = emptyRow(foreignkeys::Count);
            r[foreignkeys::PK_TABLE_NAME] = k.RelatedTable;
            r[foreignkeys::PK_COLUMN_NAME] = k.RelatedColumns.value(i);
            r[foreignkeys::FK_TABLE_NAME] = k.Table;
            r[foreignkeys::FK_COLUMN_NAME] = k.Columns[i];
            r[foreignkeys::ORDINAL] = int(i + 1);
            r[foreignkeys::UPDATE_RULE] = k.UpdateRule;
            r[foreignkeys::DELETE_RULE] = k.DeleteRule;
            r[foreignkeys::PK_NAME] = pkName;
            r[foreignkeys::FK_NAME] = k.Name;
            r[foreignkeys::DEFERRABILITY] = DBPROPVAL_DF_NOT_DEFERRABLE;
            out.rows << r;
        }
    }
    sortRows(out.rows, {foreignkeys::FK_TABLE_NAME, foreignkeys::FK_NAME, foreignkeys::ORDINAL});
    return out;
}

}  // namespace

void AccessSource::open(const QString& odbcString, const QString& givenString) {
    close();
    static const QRegularExpression driver(QStringLiteral("(^|;)\\s*Driver\\s*=\\s*\\{?[^;}]*mdbtools"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (!driver.match(odbcString).hasMatch()) return;
    const QString file = adox::DatabaseFileOf(odbcString);
    QString password = adox::DatabasePasswordOf(givenString);
    if (password.isEmpty()) password = adox::DatabasePasswordOf(odbcString);
    adox::CheckDatabaseFile(file, password);
    m_file = file;
    m_password = password;
}

const adox::Catalog& AccessSource::catalog() {
    if (!m_catalog) {
        adox::Catalog c;
        c.Open(m_file, m_password);
        m_catalog = std::move(c);
    }
    return *m_catalog;
}

Rowset readAccess(const adox::Catalog& catalog, int schemaId) {
    static const RowsetReader<const adox::Catalog> readers[] = {
        {adSchemaTables, tablesOf},
        {adSchemaColumns, columnsOf},
        {adSchemaPrimaryKeys, primaryKeysOf},
        {adSchemaIndexes, indexesOf},
        {adSchemaForeignKeys, foreignKeysOf},
    };
    return readRowset(readers, schemaId, catalog);
}

}  // namespace platform::ado::schema
