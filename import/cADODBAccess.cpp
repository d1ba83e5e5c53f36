// The Access readers of cADODB: tables, columns and views from the file's own
// catalogue (platform/adox), with Access's names for the column types. Indexes,
// keys and relationships come through the shared readers, which the connection's
// schema rowsets answer from the same file.

#include "import/cADODB.h"

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "platform/adox/Adox.h"

#include <QLocale>

using namespace bGlobal;

namespace {

QString dateText(const QDateTime& d) { return d.isValid() ? QLocale::system().toString(d, QLocale::ShortFormat) : QString(); }

// A property as the documents write it: Booleans as "True"/"False", Null as "".
QString propertyText(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return {};
    if (v.typeId() == QMetaType::Bool) return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

bool propertyTrue(const QVariant& v) { return !v.isNull() && v.toBool(); }

}  // namespace

QString cADODB::GetAccessDataType(qint32 lType, qint32 lLength, bool bFixedLength, bool bAutoIncrement, bool bHyperlink) {
    using namespace platform::ado;
    switch (lType) {
    case adInteger: return bAutoIncrement ? QStringLiteral("AutoNumber") : QStringLiteral("Long Integer");
    // Access calls its 16-bit whole numbers "Integer".
    case adSmallInt: return QStringLiteral("Integer");
    case adSingle: return QStringLiteral("Single");
    case adDouble: return QStringLiteral("Double");
    case adCurrency: return QStringLiteral("Currency");
    case adDate: return QStringLiteral("Date");
    case adBoolean: return QStringLiteral("Yes/No");
    case adUnsignedTinyInt: return QStringLiteral("Byte");
    case adGUID: return QStringLiteral("GUID");
    case adBinary: return QStringLiteral("Binary");
    case adChar: case adWChar: case adVarChar: case adVarWChar:
        if (bFixedLength) return QStringLiteral("Memo");
        return lLength >= 255 ? QStringLiteral("Long Text") : QStringLiteral("Text");
    case adNumeric: return QStringLiteral("Decimal");
    case adLongVarChar: case adLongVarWChar: return bHyperlink ? QStringLiteral("HyperLink") : QStringLiteral("Memo");
    case adLongVarBinary: return QStringLiteral("OLE Object");
    default: return {};
    }
}

void cADODB::GenerateAccessTables() {
    TrapFault(QStringLiteral("cADODB.GenerateAccessTables"), [&] {
        platform::adox::Catalog catalog;
        catalog.ActiveConnection(m_connectionString);
        m_table = 0;
        for (const platform::adox::Table& table : catalog.Tables()) {
            if (table.Type.toUpper() != QLatin1String("TABLE")) continue;
            const QString& name = table.Name;
            if (m_table == 0) AddTablesFolder();
            if (Raise(name, QStringLiteral("Table"), QStringLiteral("Importing"), 20, QString())) return;
            AddTable(name, dateText(table.DateCreated));
            int serial = 0;
            for (const platform::adox::Column& column : table.Columns) {
                ++serial;
                m_columnLength = column.DefinedSize != 0 ? column.DefinedSize : column.Precision;
                const bool fixedLength = propertyTrue(column.Property(QStringLiteral("Fixed Length")));
                const bool autoIncrement = propertyTrue(column.Property(QStringLiteral("AutoIncrement")));
                const bool hyperlink = propertyTrue(column.Property(QStringLiteral("Jet OLEDB:Hyperlink")));
                const QString dataType = GetAccessDataType(column.Type, qint32(m_columnLength), fixedLength, autoIncrement, hyperlink);
                const QString columnDefault = propertyText(column.Property(QStringLiteral("Default")));
                // Whether the column takes Null, for text columns too: "Allow Zero Length"
                // is about empty texts, and a text column that takes Null but no empty
                // text would otherwise be documented (and migrated) as NOT NULL.
                const QString nullAllowed =
                    autoIncrement ? QStringLiteral("False") : propertyText(column.Property(QStringLiteral("Nullable")));
                if (m_cancel) return;
                const QString primaryKey = GetPrimaryKey(name, column.Name);
                if (m_cancel) return;
                const QString check = propertyText(column.Property(QStringLiteral("Jet OLEDB:Column Validation Rule")));
                if (m_cancel) return;
                const QString description = propertyText(column.Property(QStringLiteral("Description")));
                if (m_cancel) return;
                XmlNode written = AddTableElement(
                    QStringLiteral("COLUMN"),
                    {{"Name", column.Name}, {"Datatype", dataType}, {"Length", QString::number(m_columnLength)},
                     {"Serial_Number", QString::number(serial)}, {"Column_Default", columnDefault},
                     {"Null_Allowed", nullAllowed}, {"Check_Constraint", check}, {"Description", description},
                     {"Primary_Key", primaryKey}});
                // A Decimal's Length is its precision; its scale follows the attributes
                // every column has.
                if (column.Type == platform::ado::adNumeric && written)
                    written.setAttribute(QStringLiteral("Scale"), QString::number(column.NumericScale));
            }
            GenerateIndexXML(name);
            if (m_cancel) return;
            GenerateForeignKeyElement(name);
            if (m_table == 32767) throw platform::RuntimeError(6, QStringLiteral("Overflow"));
            ++m_table;
        }
    });
}

void cADODB::GenerateAccessViewsXML() {
    TrapFault(QStringLiteral("GenerateAccessViewsXML"), [&] {
        platform::adox::Catalog catalog;
        catalog.ActiveConnection(m_connectionString);
        m_view = 0;
        const int g = gGroupIndex, c = gConnectionIndex;
        const QString connection = ConnectionPath();
        for (const platform::adox::View& view : catalog.Views()) {
            if (m_view == 0)
                AddTreeEntry(QStringLiteral("VIEWS"),
                             {QStringLiteral("Name=Views"), QStringLiteral("Key=Views|%1|%2").arg(g).arg(c), QStringLiteral("RHXPath=8")},
                             connection, c);
            const QString script = QString(view.Command).replace(QLatin1Char('\n'), QLatin1Char(' '));
            AddTreeEntry(QStringLiteral("VIEW"),
                         {QStringLiteral("Name=") + view.Name, QStringLiteral("Key=") + ItemKey(view.Name, {g, c, m_view}),
                          QStringLiteral("RHXPath=DATABASE/VIEW[%1]").arg(m_view)},
                         connection + QStringLiteral("[%1]/VIEWS").arg(c), 0);
            AddStructureElement(QStringLiteral("VIEW"),
                                {QStringLiteral("Name=") + view.Name, QStringLiteral("CreatedOn=") + dateText(view.DateCreated),
                                 QStringLiteral("Report=1"), QStringLiteral("Migrate=0")},
                                QStringLiteral("DATABASE"), 0);
            AddScript(QStringLiteral("DATABASE/VIEW"), m_view, script);
            if (m_view == 32767) throw platform::RuntimeError(6, QStringLiteral("Overflow"));
            ++m_view;
        }
    });
}
