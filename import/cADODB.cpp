#include "import/cADODB.h"

#include "core/KindsRead.h"
#include "core/ObjectMarks.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/CatalogueQuery.h"
#include "platform/OffThread.h"
#include "platform/adox/Adox.h"
#include "platform/ui/Host.h"

#include <algorithm>

#include <QDateTime>
#include <QLocale>

using namespace bGlobal;
using platform::RuntimeError;
using platform::ado::RecordsetPtr;

namespace {

// A catalogue value as the text written into the documents: Null is empty, Booleans
// are "True"/"False", dates follow the locale.
QString text(const QVariant& v) {
    if (v.isNull() || !v.isValid()) return {};
    switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDateTime: return QLocale::system().toString(v.toDateTime(), QLocale::ShortFormat);
    case QMetaType::QDate: return QLocale::system().toString(v.toDate(), QLocale::ShortFormat);
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 15);
    default: return v.toString();
    }
}

// True when a value reads as a number (Booleans count, as True is -1).
bool numeric(const QVariant& v, double* out = nullptr) {
    if (v.isNull() || !v.isValid()) return false;
    if (v.typeId() == QMetaType::Bool) {
        if (out) *out = v.toBool() ? -1 : 0;
        return true;
    }
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (ok && out) *out = d;
    return ok;
}

bool isTrue(const QVariant& v) {
    double d = 0;
    if (v.typeId() == QMetaType::Bool) return v.toBool();
    if (numeric(v, &d)) return d != 0;
    return v.toString().trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}

// The scale of a column whose ADO type is an exact numeric one (NUMERIC, DECIMAL), as
// the columns rowset gives it; "" for any other type and where the rowset has none.
QString exactNumericScale(const QVariant& adoType, const QVariant& scale) {
    double code = 0;
    if (scale.isNull() || !scale.isValid() || !numeric(adoType, &code)) return {};
    using namespace platform::ado;
    const int type = int(code);
    if (type != adNumeric && type != adDecimal) return {};
    return QString::number(scale.toInt());
}

// True when the indexes rowset's row is a key column kept in descending order.
bool descendingRow(const RecordsetPtr& rs) {
    return rs->HasField(QStringLiteral("COLLATION")) && rs->Fields(QStringLiteral("COLLATION")).toInt() == platform::ado::DB_COLLATION_DESC;
}

// Adds 'item' to the ","-separated list in 'attribute' of 'element'.
void AddToList(XmlNode& element, const QString& attribute, const QString& item) {
    const QString list = element.attribute(attribute);
    element.setAttribute(attribute, list.isEmpty() ? item : list + QLatin1Char(',') + item);
}

bool atEnd(const RecordsetPtr& rs) { return !rs || rs->State() != platform::ado::adStateOpen || rs->IsBOF() || rs->IsEOF(); }

qint16 next(qint16 n) {
    if (n == 32767) throw RuntimeError(platform::err::Overflow, QStringLiteral("Overflow"));
    return qint16(n + 1);
}

QString now() { return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat); }

QString brLines(QString s, bool loneCarriageReturn, bool loneLineFeed) {
    s.replace(QStringLiteral("\r\n"), QStringLiteral("<BR/>"));
    if (loneCarriageReturn) s.replace(QLatin1Char('\r'), QStringLiteral("<BR/>"));
    if (loneLineFeed) s.replace(QLatin1Char('\n'), QStringLiteral("<BR/>"));
    return s;
}

QVariantList restriction(int position, const QString& value) {
    QVariantList r;
    for (int i = 0; i < position; ++i) r << QVariant();
    r << value;
    return r;
}

// Which products have their views, procedures and triggers read: SQL Server, Oracle
// and a connection string of the user's own (OTHERS); not Access (read through its own
// catalogue) nor DB2. Personal Oracle has its procedures and triggers read but not its
// views.
bool readsProcedures(int type) { return (type >= bGlobal::dbSQLServer2000 && type <= bGlobal::dbPersonalOracle) || type == bGlobal::dbOthers; }
bool readsViews(int type) { return (type >= bGlobal::dbSQLServer2000 && type <= bGlobal::dbOracle7) || type == bGlobal::dbOthers; }

// A catalogue command that is blank reads nothing: an entry kept only to hold the
// positions of the entries after it.
platform::ado::RecordsetPtr execute(platform::ado::Connection& connection, const QString& command) {
    if (command.trimmed().isEmpty()) return std::make_shared<platform::ado::Recordset>();
    return connection.Execute(command);
}

// The rows listing a kind of object: the schema rowset under the restrictions when
// the catalogue has no command of its own for the kind ('fromRowset'), else the
// answer to the kind's catalogue command (about 'objectName' where it takes one).
using RowsetOpener = std::function<platform::ado::RecordsetPtr(int schemaId, const QVariantList& restrictions)>;
platform::ado::RecordsetPtr openListing(platform::ado::Connection& connection, const catalogue::Entry& entry, int kind,
                                        bool fromRowset, int schemaId, const RowsetOpener& openRowset,
                                        const QVariantList& restrictions = QVariantList(), const QString& objectName = QString()) {
    if (fromRowset) return openRowset(schemaId, restrictions);
    return execute(connection, catalogue::BuildCommand(entry, kind, objectName));
}

}  // namespace

bool cADODB::ReadsKind(int databaseType, int kind) {
    if (databaseType == dbMorvalexXML) return true;  // a structure file holds what it holds
    KnownEntry known{catalogue::Lookup(databaseType, kind), QString()};
    known.type = known.entry.type();
    return ReadsKind(databaseType, kind, known);
}

bool cADODB::ReadsKind(int databaseType, int kind, const KnownEntry& known) {
    if (databaseType == dbMorvalexXML) return true;
    const catalogue::Entry& entry = known.entry;
    // An entry with an empty TYPE only holds the positions of the entries after it.
    const bool fromCatalogue = entry.exists() && !known.type.isEmpty();
    switch (kind) {
    case catalogue::Views: return readsViews(databaseType) || (databaseType >= dbAccessXP && databaseType <= dbAccess97);
    case catalogue::Procedures: return gImportStoredProcedures && fromCatalogue && readsProcedures(databaseType);
    case catalogue::Triggers: return gImportTriggers && fromCatalogue && readsProcedures(databaseType);
    case catalogue::Indexes: return entry.exists();
    default: return true;
    }
}

QString cADODB::ItemKey(const QString& name, std::initializer_list<int> numbers) {
    QString key = name;
    for (const int n : numbers) {
        key += QLatin1Char('|');
        key += QString::number(n);
    }
    return key;
}

const cADODB::KnownEntry& cADODB::Known(int kind) {
    std::optional<KnownEntry>& slot = m_known.at(size_t(kind));
    if (!slot) {
        slot.emplace();
        slot->entry = catalogue::Lookup(gDatabaseType, kind);
        slot->type = slot->entry.type();
    }
    return *slot;
}

cADODB::cADODB() {
    // Catalogue statements run off the window's thread so a silent server neither
    // freezes the window nor keeps a cancel from acting (ADOConnect turns it on once
    // the connection is open).
    m_connection.CancelRequested = [this] {
        if (!m_cancel && CancelRequested && CancelRequested()) m_cancel = true;
        return m_cancel;
    };
}
cADODB::~cADODB() = default;

bool cADODB::Raise(QString objectName, QString objectType, QString importStatus, qint16 increment, QString message) {
    if (WhileImporting) WhileImporting(objectName, objectType, importStatus, increment, message, m_cancel);
    return m_cancel;
}

QString cADODB::ConnectionPath() const {
    return QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[%1]/DATABASECONNECTION").arg(gGroupIndex);
}

XmlNode cADODB::Append(cXML& document, const QString& element, const QStringList& attributes, const QString& parentPath,
                       int position) {
    const QString path = parentPath + QLatin1Char('[') + QString::number(position) + QLatin1Char(']');
    const XmlNode root = document.DocumentElement();
    XmlNode parent = m_parents.value(path);
    if (!parent || parent.document() != root.document()) {
        parent = document.FindNode(path);
        if (!parent) return XmlNode();  // as AppendChild: no such parent, nothing appended
        m_parents.insert(path, parent);
    }
    return AppendUnder(document, parent, element, attributes);
}

XmlNode cADODB::AppendUnder(cXML& document, const XmlNode& parent, const QString& element, const QStringList& attributes) {
    if (!parent) return XmlNode();
    XmlNode created = document.CreateElement(element, attributes);
    return created ? XmlNode(parent).appendChild(created) : XmlNode();
}

XmlNode cADODB::AppendUnder(cXML& document, const XmlNode& parent, const QString& element,
                            std::initializer_list<XmlAttribute> attributes) {
    if (!parent) return XmlNode();
    XmlNode created = document.NewElement(element, attributes);
    return created ? XmlNode(parent).appendChild(created) : XmlNode();
}

XmlNode cADODB::AddTreeEntry(const QString& element, const QStringList& attributes, const QString& parentPath, int position) {
    if (!oLHXML) throw RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
    return Append(*oLHXML, element, attributes, parentPath, position);
}

void cADODB::AddTableFolder(const QString& element, const QString& name, int levelCode) {
    if (!oLHXML) throw RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
    const int t = m_table;
    const XmlNode folder = AppendUnder(*oLHXML, m_tableItem, element,
                                       {QStringLiteral("Name=") + name,
                                        QStringLiteral("Key=") + ItemKey(name, {gGroupIndex, gConnectionIndex, t}),
                                        QStringLiteral("RHXPath=%1").arg(levelCode) + gDecimalSymbol + QString::number(t)});
    // A table's folder of a kind is made once, before its first item.
    if (!m_tableFolders.contains(element)) m_tableFolders.insert(element, folder);
}

void cADODB::AddTableItem(const QString& element, const QString& folder, const QString& name, int i) {
    if (!oLHXML) throw RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
    const int t = m_table;
    AppendUnder(*oLHXML, m_tableFolders.value(folder), element,
                {{"Name", name},
                 {"Key", ItemKey(name, {gGroupIndex, gConnectionIndex, t, i})},
                 {"RHXPath", QStringLiteral("DATABASE/TABLE[") + QString::number(t) + QStringLiteral("]/") + element +
                                 QLatin1Char('[') + QString::number(i) + QLatin1Char(']')}});
}

void cADODB::AddTablesFolder() {
    const int g = gGroupIndex, c = gConnectionIndex;
    AddTreeEntry(QStringLiteral("TABLES"),
                 {QStringLiteral("Name=Tables"), QStringLiteral("Key=Tables|%1|%2").arg(g).arg(c), QStringLiteral("RHXPath=4"),
                  QStringLiteral("Description=Tables available in database ") + gDatabaseName},
                 ConnectionPath(), c);
}

void cADODB::AddTable(const QString& name, const QString& created) {
    const int g = gGroupIndex, c = gConnectionIndex;
    m_tableFolders.clear();
    m_tableItem = AddTreeEntry(QStringLiteral("TABLE"),
                               {QStringLiteral("Name=") + name, QStringLiteral("Key=") + ItemKey(name, {g, c, m_table}),
                                QStringLiteral("RHXPath=DATABASE/TABLE[%1]").arg(m_table), QStringLiteral("CreatedOn=") + created},
                               ConnectionPath() + QStringLiteral("[%1]/TABLES").arg(c), 0);
    m_tableElement = AddStructureElement(QStringLiteral("TABLE"),
                                         {QStringLiteral("Name=") + name, QStringLiteral("CreatedOn=") + created,
                                          QStringLiteral("Report=1"), QStringLiteral("Migrate=0")},
                                         QStringLiteral("DATABASE"), 0);
}

XmlNode cADODB::AddStructureElement(const QString& element, const QStringList& attributes, const QString& parentPath,
                                    int position) {
    return Append(*oStructureXML, element, attributes, parentPath, position);
}

XmlNode cADODB::AddTableElement(const QString& element, std::initializer_list<XmlAttribute> attributes) {
    return AppendUnder(*oStructureXML, m_tableElement, element, attributes);
}

void cADODB::AddScript(const QString& ownerPath, int position, const QString& script) {
    AddScriptTo(Append(*oStructureXML, QStringLiteral("SQLSCRIPT"), {}, ownerPath, position), script);
}

void cADODB::AddScriptTo(XmlNode holder, const QString& script) {
    if (!holder) throw RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
    holder.appendChild(oStructureXML->CreateCDataElement(script));
}

QString cADODB::NamePart(const QString& part) {
    if (!part.contains(QLatin1Char('.')) && !part.startsWith(QLatin1Char('"'))) return part;
    return QLatin1Char('"') + QString(part).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString cADODB::ObjectName(const QVariant& catalog, const QVariant& schema, const QVariant& name, bool listed) {
    const QString inSchema = text(schema), own = text(name);
    const QString defaultSchema = m_connection.DefaultSchema();
    // Where the engine has schemas a part holding a dot is quoted, so that schema "s.a"
    // with table "t" and table "s.a.t" of the default schema keep names of their own.
    const QString documentName = inSchema.isEmpty() || defaultSchema.isEmpty() ? own
                                 : inSchema == defaultSchema                   ? NamePart(own)
                                                                               : NamePart(inSchema) + QLatin1Char('.') + NamePart(own);
    if (listed || !m_objects.contains(documentName)) m_objects.insert(documentName, ObjectPlace{text(catalog), inSchema, own});
    return documentName;
}

QString cADODB::ListedName(const RecordsetPtr& rows, bool fromRowset, const QString& nameField, const QString& schemaField,
                           bool listed) {
    if (!fromRowset) return text(rows->Fields(nameField));
    QString catalogField = schemaField;
    catalogField.replace(QLatin1String("SCHEMA"), QLatin1String("CATALOG"));
    const QVariant catalog = rows->HasField(catalogField) ? rows->Fields(catalogField) : QVariant();
    return ObjectName(catalog, rows->Fields(schemaField), rows->Fields(nameField), listed);
}

QVariantList cADODB::ObjectRestriction(const QString& documentName, int namePosition) const {
    const auto it = m_objects.constFind(documentName);
    if (it == m_objects.constEnd()) return restriction(namePosition, documentName);
    QVariantList r = restriction(namePosition, it->name);
    if (!it->catalog.isEmpty()) r[0] = it->catalog;
    if (!it->schema.isEmpty()) r[1] = it->schema;
    return r;
}

RecordsetPtr cADODB::OpenRowset(int schemaId, const QVariantList& restrictions, const QString& element) {
    const auto none = [&] {
        if (!element.isEmpty() && !m_notRead.contains(element)) m_notRead << element;
        return std::make_shared<platform::ado::Recordset>();
    };
    if (m_unsupported.contains(schemaId)) return none();
    try {
        return m_connection.OpenSchema(schemaId, restrictions);
    } catch (const RuntimeError& e) {
        if (e.number() != platform::ado::adErrNotSupported) throw;
        m_unsupported.insert(schemaId);
        return none();
    }
}

void cADODB::RecordKindsNotRead() {
    if (m_notRead.isEmpty() || !oStructureXML) return;
    XmlNode database = oStructureXML->FindNode(QStringLiteral("DATABASE"));
    if (!database) return;
    QStringList kinds = database.attribute(KindsRead::kNotRead).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& kind : std::as_const(m_notRead))
        if (!kinds.contains(kind)) kinds << kind;
    database.setAttribute(KindsRead::kNotRead, kinds.join(QLatin1Char(' ')));
}

// ---- connection and driver -------------------------------------------------------------

void cADODB::OpenConnection() {
    m_connection.CursorLocation = platform::ado::adUseClient;
    if (m_connection.State() == platform::ado::adStateOpen) m_connection.Close();
    m_connection.ConnectionString = m_connectionString;
    // The open itself runs where this is called (ConnectWhileWaiting calls it on a
    // thread of its own); the catalogue statements then wait in the event loop.
    m_connection.WaitInEventLoop = false;
    m_connection.Open();
    m_connection.WaitInEventLoop = true;
}

bool cADODB::ADOConnect() {
    try {
        OpenConnection();
        return true;
    } catch (const std::exception& e) {
        ReportConnectFailure(e);
        return false;
    }
}

cADODB::ConnectOutcome cADODB::ConnectWhileWaiting(const std::shared_ptr<cADODB>& reader, const std::function<bool()>& abandon) {
    try {
        const platform::OffThreadEnd end =
            platform::RunOffThreadUnlessAbandoned([reader] { reader->OpenConnection(); }, abandon);
        return end == platform::OffThreadEnd::Finished ? ConnectOutcome::Connected : ConnectOutcome::Abandoned;
    } catch (const std::exception& e) {
        reader->ReportConnectFailure(e);
        return ConnectOutcome::Failed;
    }
}

void cADODB::ReportConnectFailure(const std::exception& e) {
    auto [number, description] = Describe(e);
    if (!m_connection.Errors().isEmpty()) {
        number = m_connection.Errors().first().Number;
        description = m_connection.Errors().first().Description;
    }
    const auto box = [](const QString& message, const QString& title) {
        platform::ui::host().message(message, platform::ui::Icon::Critical, platform::ui::Buttons::Ok, title);
    };
    if (number == platform::ado::adErrGeneric) {
        // The driver's own reason tells a mistyped name from a server that is down.
        const QString reason = description.section(QLatin1Char('\n'), 0, 0).trimmed();
        box(QStringLiteral("Please check the server name and database name and try again.") +
                (reason.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + reason),
            kAppTitle);
    }
    else if (number == platform::ado::adErrLoginFailed)
        box(QStringLiteral("Incorrect database login name and password, try again!"), kAppTitle);
    else if (number == platform::err::FileNotFound || number == platform::err::InvalidFileFormat ||
             number == platform::err::InvalidArgument || number == platform::ado::adErrTimeout)
        box(description, kAppTitle);
    else if (number == platform::adox::jetErrFileNotFound || number == platform::adox::jetErrCannotOpen
             || number == platform::adox::jetErrUnrecognizedFormat || number == platform::adox::jetErrInvalidPassword)
        box(description, kAppTitle);  // an Access file that cannot be read: the reason
    else if (number == platform::ado::adErrProviderNotFound)
        box(QStringLiteral("Selected provider does not exist, please install required components and check again."),
            gApplicationTitle.isEmpty() ? kAppTitle : gApplicationTitle);
    else if (IsOutsideError(number))
        box(description, kAppTitle);  // the driver's own text
    else
        ShowError(number, description, QStringLiteral("ADOConnect"));
    if (m_connection.State() == platform::ado::adStateOpen) m_connection.Close();
}

bool cADODB::GenerateXML() {
    // The rowsets read for the import are not needed after it, while the caller may
    // keep this reader (and its open connection) for a long while.
    struct ReleaseRowsets {
        cADODB& reader;
        ~ReleaseRowsets() {
            reader.m_connection.ReleaseSchemaCache();
            reader.m_objects.clear();
            reader.m_unsupported.clear();
            reader.m_notRead.clear();
            reader.m_parents.clear();
            reader.m_tableElement = reader.m_tableItem = XmlNode();
            reader.m_tableFolders.clear();
            reader.m_known = {};
            reader.m_primaryKeys = {};
        }
    } release{*this};
    m_parents.clear();
    m_known = {};
    m_primaryKeys = {};
    m_unsupported.clear();
    m_notRead.clear();
    return CommandTrapValue(QStringLiteral("GenerateXML"), [&] {
        if (gConnectionString != QLatin1String("XML")) {
            if (m_connection.State() != platform::ado::adStateOpen) return false;
            if (Raise(gDatabaseName, QStringLiteral("Database"), QStringLiteral("Importing"), 20,
                      QStringLiteral("Initializing XML...")))
                return false;
            StartXML();
            GenerateTablesXML();
            if (m_cancel) return false;
            GenerateViewsXML();
            if (gImportStoredProcedures) GenerateStoredProceduresXML();
            RecordKindsNotRead();
            Raise(gDatabaseName, QStringLiteral("Database"), QStringLiteral("Imported"), 20,
                  QStringLiteral("XML generated, please click finish to view the structure in database explorer"));
        } else {
            if (Raise(gDatabaseName, QStringLiteral("Database"), QStringLiteral("Importing"), 20,
                      QStringLiteral("Generating XML...")))
                return false;
            oStructureXML = std::make_shared<cXML>();
            oStructureXML->LoadXMLFile(gDataSource);
            ObjectMarks::MarkAsImported(oStructureXML->DocumentElement());
            Raise(gDatabaseName, QStringLiteral("Database"), QStringLiteral("Imported"), 20, QStringLiteral("XML generated..."));
        }
        return !m_cancel;
    }, false);
}

void cADODB::StartXML() {
    TrapFault(QStringLiteral("StartXML"), [&] {
        m_parents.clear();
        oStructureXML = std::make_shared<cXML>();
        const QString typeName = gDBTypeNames.value(gDatabaseType);
        const QString stamp = now();
        m_rootAttributes = {QStringLiteral("Name="),
                            QStringLiteral("DatabaseEngine=") + typeName,
                            QStringLiteral("DatabaseType=%1").arg(gDatabaseType),
                            QStringLiteral("DatabaseName=") + gDatabaseName,
                            QStringLiteral("ServerName=") + gServerName,
                            QStringLiteral("Time=") + stamp,
                            QStringLiteral("CreatedOn=") + stamp,
                            QStringLiteral("DatabaseType=%1").arg(gDatabaseType),
                            QStringLiteral("ServerType=") + typeName,
                            QStringLiteral("CreatedBy=") + gCurrentUser};
        if (gDatabaseType == dbSQLServer2000) {
            for (int i = 0; i < 6; ++i) m_rootAttributes << QString();
            GetServerInfo();
        }
        // The kinds this connection's type does not read, so that a count of them is
        // not taken for "none".
        QStringList notRead;
        for (const auto& [kind, element] : {std::pair{catalogue::Views, "VIEW"}, {catalogue::Procedures, "STOREDPROCEDURE"},
                                            {catalogue::Triggers, "TRIGGER"}, {catalogue::Indexes, "INDEX"}})
            if (!ReadsKind(gDatabaseType, kind, Known(kind))) notRead << QLatin1String(element);
        if (!notRead.isEmpty()) m_rootAttributes << KindsRead::kNotRead + QLatin1Char('=') + notRead.join(QLatin1Char(' '));
        oStructureXML->InitXMLFile(QStringLiteral("DATABASE"), m_rootAttributes);
    });
}

bool cADODB::GetServerInfo() {
    return TrapValue(QStringLiteral("cADODB.GetServerInfo"), [&] {
        if (gDatabaseType != dbSQLServer2000) return false;
        RecordsetPtr rs = m_connection.Execute(QStringLiteral(
            "select Cast(@@DBTS as datetime) As DBTS,@@LOCK_TIMEOUT As Lock_Timeout,@@MAX_CONNECTIONS As "
            "Max_Connections,@@MAX_PRECISION As Max_Precision,@@LANGUAGE AS Language"));
        if (atEnd(rs)) return false;
        const struct {
            const char* field;
            const char* attribute;
        } values[] = {{"DBTS", "TimeStamp"}, {"Lock_Timeout", "Lock_Timeout"}, {"Max_Connections", "Max_Connections"},
                      {"Max_Precision", "Max_Precision"}, {"Language", "Language"}};
        int slot = 10;
        for (const auto& v : values) {
            const QVariant value = rs->Fields(QLatin1String(v.field));
            m_rootAttributes[slot++] = QLatin1String(v.attribute) + QLatin1Char('=') +
                                       (value.isNull() ? QStringLiteral("N/A") : text(value));
        }
        return true;
    }, false);
}

// ---- tables, columns, primary keys --------------------------------------------------------

void cADODB::GenerateTablesXML() {
    TrapFault(QStringLiteral("GenerateTablesXML"), [&] {
        m_table = 0;
        if (gDatabaseType >= dbAccessXP && gDatabaseType <= dbAccess97) {
            GenerateAccessTables();
            return;
        }
        const KnownEntry& known = Known(catalogue::Tables);
        const catalogue::Entry& entry = known.entry;
        if (entry.exists() && !entry.hasType()) return;
        QString nameField = QStringLiteral("TABLE_NAME"), createdField = QStringLiteral("DATE_CREATED");
        const bool fallback = !entry.exists() || known.type.toUpper() == QLatin1String("ADO");
        if (!fallback) {
            nameField = entry.column(1);
            createdField = entry.column(2);
        }
        const RecordsetPtr rs = openListing(m_connection, entry, catalogue::Tables, fallback, platform::ado::adSchemaTables, Rowsets(QStringLiteral("TABLE")),
                                            restriction(3, QStringLiteral("TABLE")));
        if (atEnd(rs)) return;
        for (; !rs->IsEOF(); rs->MoveNext()) {
            const QString name = ListedName(rs, fallback, nameField);
            const QString created = text(rs->Fields(createdField));
            if (m_table == 0) AddTablesFolder();
            if (Raise(name, QStringLiteral("Table"), QStringLiteral("Importing"), 20, QString())) return;
            AddTable(name, created);
            if (fallback) AddPartitioning(rs);
            ReadColumns(name);
            if (m_cancel) return;
            GenerateIndexXML(name);
            if (m_cancel) return;
            GenerateForeignKeyElement(name);
            if (gImportTriggers) {
                if (m_cancel) return;
                GenerateTriggersXML(name);
            }
            m_table = next(m_table);
        }
    });
}

void cADODB::AddPartitioning(const RecordsetPtr& rs) {
    if (!m_tableElement) return;
    // The facts stand on a table only where the engine gives them.
    const auto set = [&](const char* attribute, const QString& value) {
        if (!value.isEmpty()) m_tableElement.setAttribute(QLatin1String(attribute), value);
    };
    if (rs->HasField(QStringLiteral("PARTITION_KEY"))) set("PartitionKey", text(rs->Fields(QStringLiteral("PARTITION_KEY"))));
    if (rs->HasField(QStringLiteral("PARENT_NAME")) && !text(rs->Fields(QStringLiteral("PARENT_NAME"))).isEmpty())
        set("PartitionOf", ObjectName(rs->HasField(QStringLiteral("TABLE_CATALOG")) ? rs->Fields(QStringLiteral("TABLE_CATALOG")) : QVariant(),
                                      rs->Fields(QStringLiteral("PARENT_SCHEMA")), rs->Fields(QStringLiteral("PARENT_NAME")), false));
    if (rs->HasField(QStringLiteral("PARTITION_BOUND"))) set("PartitionBound", text(rs->Fields(QStringLiteral("PARTITION_BOUND"))));
}

void cADODB::ReadColumns(const QString& tableName) {
    const KnownEntry& known = Known(catalogue::Columns);
    const catalogue::Entry& entry = known.entry;
    QStringList fields = {QStringLiteral("TABLE_NAME"), QStringLiteral("COLUMN_NAME"), QStringLiteral("ORDINAL_POSITION"),
                          QStringLiteral("COLUMN_DEFAULT"), QStringLiteral("IS_NULLABLE"), QStringLiteral("DATA_TYPE"),
                          QStringLiteral("CHARACTER_MAXIMUM_LENGTH"), QStringLiteral("NUMERIC_PRECISION"),
                          QStringLiteral("DATETIME_PRECISION")};
    const bool fallback = !entry.exists() || known.type == QLatin1String("ADO");
    if (!fallback) fields = entry.columns(int(fields.size()));
    const RecordsetPtr rs = openListing(m_connection, entry, catalogue::Columns, fallback, platform::ado::adSchemaColumns, Rowsets(QStringLiteral("COLUMN")),
                                        ObjectRestriction(tableName, 2), tableName);
    if (atEnd(rs)) return;
    std::array<int, 9> at{};
    for (size_t f = 0; f < at.size(); ++f) at[f] = rs->FieldIndex(fields[qsizetype(f)]);
    const int typeNameAt = fallback ? rs->FieldIndex(QStringLiteral("TYPE_NAME")) : -1;
    const int scaleAt = fallback ? rs->FieldIndex(QStringLiteral("NUMERIC_SCALE")) : -1;
    const int identityAt = fallback ? rs->FieldIndex(QStringLiteral("IDENTITY_GENERATION")) : -1;
    const int generatedAt = fallback ? rs->FieldIndex(QStringLiteral("GENERATION_EXPRESSION")) : -1;
    const int storageAt = fallback ? rs->FieldIndex(QStringLiteral("GENERATION_STORAGE")) : -1;
    for (; !rs->IsEOF(); rs->MoveNext()) {
        const QString column = text(rs->Fields(at[1]));
        m_columnLength = 0;
        qint64 characterLength = 0, datetimePrecision = 0, numericPrecision = 0;
        const QVariant vChar = rs->Fields(at[6]), vDate = rs->Fields(at[8]), vNum = rs->Fields(at[7]);
        if (!vChar.isNull()) m_columnLength = characterLength = vChar.toLongLong();
        else if (!vDate.isNull()) m_columnLength = datetimePrecision = vDate.toLongLong();
        else if (!vNum.isNull()) m_columnLength = numericPrecision = vNum.toLongLong();

        const QVariant vType = rs->Fields(at[5]);
        double code = 0;
        // The rowset's type code stands for a family of types; where the engine names
        // the column's own type (timestamptz, an enum, a domain, a declared type) that
        // name is the one documented.
        QString dataType = typeNameAt >= 0 ? text(rs->Fields(typeNameAt)) : QString();
        if (dataType.isEmpty()) {
            if (IsNumber(text(vType)) && numeric(vType, &code))
                dataType = GetFieldType(qint32(code), characterLength, datetimePrecision, numericPrecision);
            else
                dataType = text(vType);
        }

        const QString columnDefault = text(rs->Fields(at[3]));
        const QVariant vNull = rs->Fields(at[4]);
        double nullable = 0;
        QString nullAllowed;
        if (numeric(vNull, &nullable))
            nullAllowed = nullable == 0 ? QStringLiteral("False") : QStringLiteral("True");
        else
            nullAllowed = text(vNull).trimmed().toUpper() == QLatin1String("NO") ? QStringLiteral("False") : QStringLiteral("True");

        if (m_cancel) return;
        const QString primaryKey = GetPrimaryKey(tableName, column);
        if (m_cancel) return;
        const QString check = text(GetCheckConstraints(tableName, column));
        if (m_cancel) return;
        XmlNode written =
            AddTableElement(QStringLiteral("COLUMN"),
                            {{"Name", column}, {"Datatype", dataType}, {"Length", QString::number(m_columnLength)},
                             {"Ordinal_Position", text(rs->Fields(at[2]))}, {"Column_Default", columnDefault},
                             {"Null_Allowed", nullAllowed}, {"Check_Constraint", check}, {"Primary_Key", primaryKey}});
        // Length holds an exact numeric type's precision; its scale follows the
        // attributes every column has.
        if (scaleAt >= 0) {
            const QString scale = exactNumericScale(vType, rs->Fields(scaleAt));
            if (!scale.isEmpty() && written) written.setAttribute(QStringLiteral("Scale"), scale);
        }
        // An identity or generated column says so after them; a plain column carries
        // neither.
        if (!written) continue;
        const QString identity = identityAt >= 0 ? text(rs->Fields(identityAt)) : QString();
        if (!identity.isEmpty()) written.setAttribute(QStringLiteral("Identity"), identity);
        const QString storage = storageAt >= 0 ? text(rs->Fields(storageAt)) : QString();
        if (!storage.isEmpty()) {
            written.setAttribute(QStringLiteral("Generated"), generatedAt >= 0 ? text(rs->Fields(generatedAt)) : QString());
            written.setAttribute(QStringLiteral("Storage"), storage);
        }
    }
}

QString cADODB::GetPrimaryKey(const QString& sTableName, const QString& sColumnName) {
    return TrapFaultValue(QStringLiteral("GetPrimaryKey"), [&] {
        const KnownEntry& known = Known(catalogue::PrimaryKeys);
        const catalogue::Entry& entry = known.entry;
        QString columnField = QStringLiteral("COLUMN_NAME"), keyField = QStringLiteral("PK_NAME");
        const bool fallback = !entry.exists() || known.type == QLatin1String("ADO");
        if (!fallback) {
            const QStringList names = entry.columns(3);
            columnField = names[1];
            keyField = names[2];
        }
        // One listing per table serves all its columns.
        if (!m_primaryKeys.rows || m_primaryKeys.table != sTableName) {
            m_primaryKeys.rows.reset();
            m_primaryKeys.rows = openListing(m_connection, entry, catalogue::PrimaryKeys, fallback,
                                             platform::ado::adSchemaPrimaryKeys, Rowsets(QString()), ObjectRestriction(sTableName, 2), sTableName);
            m_primaryKeys.table = sTableName;
        } else if (m_primaryKeys.rows->State() == platform::ado::adStateOpen) {
            m_primaryKeys.rows->MoveFirst();
        }
        const RecordsetPtr rs = m_primaryKeys.rows;
        QString result;
        if (atEnd(rs)) return result;
        for (; !rs->IsEOF(); rs->MoveNext()) {
            if (Raise(QStringLiteral(" in ") + sTableName, QStringLiteral("primary key"), QStringLiteral("Checking for "), 20,
                      QStringLiteral("Primary key(s) in ") + sTableName))
                return result;
            // The rowset names the column as the engine does; a catalogue command may
            // put a "+" before it (and its case may differ).
            const QString column = text(rs->Fields(columnField));
            const bool match = fallback ? column == sColumnName
                                        : column.toUpper() == sColumnName.toUpper()
                                              || (column.startsWith(QLatin1Char('+')) && column.mid(1).toUpper() == sColumnName.toUpper());
            if (match) return text(rs->Fields(keyField));
            result.clear();
        }
        return result;
    }, QString());
}

QString cADODB::GetFieldType(qint32 lFieldType, qint64 lCHARACTER_MAXIMUM_LENGTH, qint64 lDATETIME_PRECISION,
                             qint64 lNUMERIC_PRECISION) {
    return TrapFaultValue(QStringLiteral("GetFieldType"), [&] {
        RecordsetPtr rs = OpenRowset(platform::ado::adSchemaProviderTypes, {}, QString());
        if (atEnd(rs)) return QString();
        for (; !rs->IsEOF(); rs->MoveNext()) {
            if (rs->Fields(QStringLiteral("DATA_TYPE")).toInt() != lFieldType) continue;
            QString name = text(rs->Fields(QStringLiteral("TYPE_NAME")));
            for (qint64 length : {lCHARACTER_MAXIMUM_LENGTH, lNUMERIC_PRECISION, lDATETIME_PRECISION})
                if (length != 0) {
                    m_columnLength = length;
                    break;
                }
            if (gDatabaseType >= dbAccessXP && gDatabaseType <= dbAccess97) {
                const QString lower = name.toLower();
                if (lower == QLatin1String("longtext")) name = m_columnLength == 0 ? QStringLiteral("Memo") : QStringLiteral("Text");
                else if (lower == QLatin1String("bit")) name = QStringLiteral("YesNo");
                else if (lower == QLatin1String("long")) name = QStringLiteral("Long Integer");
            }
            return name;
        }
        return QString();
    }, QString());
}

// ---- indexes and triggers ------------------------------------------------------------------

void cADODB::GenerateIndexXML(const QString& sTableName) {
    TrapFault(QStringLiteral("GenerateIndexXML"), [&] {
        const KnownEntry& known = Known(catalogue::Indexes);
        const catalogue::Entry& entry = known.entry;
        if (!entry.exists()) return;
        const bool fallback = known.type == QLatin1String("ADO");
        QString nameField = QStringLiteral("INDEX_NAME"), columnField = QStringLiteral("COLUMN_NAME"), descriptionField;
        if (!fallback) {
            const QStringList names = entry.columns(3);
            nameField = names[0];
            columnField = names[1];
            descriptionField = names[2];
        }
        const RecordsetPtr rs = openListing(m_connection, entry, catalogue::Indexes, fallback, platform::ado::adSchemaIndexes, Rowsets(QStringLiteral("INDEX")),
                                            ObjectRestriction(sTableName, 4), sTableName);
        if (atEnd(rs)) return;
        const int kindAt = fallback ? rs->FieldIndex(QStringLiteral("INDEX_KIND")) : -1;
        qint16 i = 0;
        QString previous;
        XmlNode written;  // the INDEX element of the previous row's index
        for (; !rs->IsEOF(); rs->MoveNext()) {
            if (i == 0 && previous.isEmpty()) AddTableFolder(QStringLiteral("INDEXES"), QStringLiteral("Indexes"), 5);
            const QString indexName = text(rs->Fields(nameField));
            const QString nameEntry = QStringLiteral("Name=") + indexName;
            // A rowset names one column (or expression) per row, as the engine writes
            // it; a catalogue command may give the list as "+a+b".
            QString columns = text(rs->Fields(columnField));
            if (!fallback) {
                columns = columns.trimmed();
                if (columns.startsWith(QLatin1Char('+'))) columns = columns.mid(1).replace(QLatin1Char('+'), QLatin1Char(','));
                else if (columns.startsWith(QLatin1Char(','))) columns = columns.mid(1);
            }
            if (Raise(indexName, QStringLiteral("Index"), QStringLiteral("Importing"), 20, QString())) return;
            if (nameEntry == previous) {
                // A further column of the index just written (the schema rowset gives one
                // row per indexed column): add it to the element's column list.
                if (fallback && i > 0) {
                    if (written && !columns.isEmpty()) {
                        written.setAttribute(QStringLiteral("Column_Name"),
                                             written.attribute(QStringLiteral("Column_Name")) + QLatin1Char(',') + columns);
                        if (descendingRow(rs)) AddToList(written, QStringLiteral("Descending"), columns);
                    }
                }
                continue;
            }
            previous = nameEntry;
            QString description;
            if (!descriptionField.isEmpty()) {
                description = text(rs->Fields(descriptionField));
            } else {
                QStringList words;
                if (isTrue(rs->Fields(QStringLiteral("UNIQUE")))) words << QStringLiteral("Unique");
                if (isTrue(rs->Fields(QStringLiteral("PRIMARY_KEY")))) words << QStringLiteral("Primary Key");
                if (isTrue(rs->Fields(QStringLiteral("CLUSTERED")))) words << QStringLiteral("Clustered");
                // A kind of index the engine names beyond these (FULLTEXT, SPATIAL).
                if (kindAt >= 0 && !text(rs->Fields(kindAt)).isEmpty()) words << text(rs->Fields(kindAt));
                description = words.join(QLatin1Char(','));
            }
            written = AddTableElement(QStringLiteral("INDEX"),
                                      {{"Name", indexName}, {"Column_Name", columns}, {"Description", description},
                                       {"Table_Name", sTableName}, {"Report", QStringLiteral("1")}, {"Migrate", QStringLiteral("0")}});
            if (fallback && written) {
                if (descendingRow(rs) && !columns.isEmpty()) AddToList(written, QStringLiteral("Descending"), columns);
                // btree is the engines' default method: only another one is named.
                const auto set = [&](const char* field, const char* attribute, bool (*keep)(const QString&)) {
                    if (!rs->HasField(QLatin1String(field))) return;
                    const QString value = text(rs->Fields(QLatin1String(field)));
                    if (keep(value)) written.setAttribute(QLatin1String(attribute), value);
                };
                set("INDEX_METHOD", "Method",
                    [](const QString& v) { return !v.isEmpty() && v.compare(QLatin1String("btree"), Qt::CaseInsensitive) != 0; });
                set("INCLUDED_COLUMNS", "Include", [](const QString& v) { return !v.isEmpty(); });
                set("FILTER_CONDITION", "Where", [](const QString& v) { return !v.isEmpty(); });
            }
            AddTableItem(QStringLiteral("INDEX"), QStringLiteral("INDEXES"), indexName, i);
            i = next(i);
        }
    });
}

void cADODB::GenerateTriggersXML(const QString& sTableName) {
    TrapFault(QStringLiteral("GenerateTriggersXML"), [&] {
        if (!ReadsKind(gDatabaseType, catalogue::Triggers, Known(catalogue::Triggers))) return;
        const KnownEntry& known = Known(catalogue::Triggers);
        const catalogue::Entry& entry = known.entry;
        const QString nameField = entry.columns(6).first();
        RecordsetPtr rs = execute(m_connection, catalogue::BuildCommand(entry, catalogue::Triggers, sTableName));
        if (atEnd(rs)) return;
        qint16 i = 0;
        for (; !rs->IsEOF(); rs->MoveNext()) {
            const QString name = text(rs->Fields(nameField));
            if (i == 0) AddTableFolder(QStringLiteral("TRIGGERS"), QStringLiteral("Triggers"), 6);
            AddTableItem(QStringLiteral("TRIGGER"), QStringLiteral("TRIGGERS"), name, i);
            if (Raise(name, QStringLiteral("Trigger"), QStringLiteral("Importing"), 20, QString())) return;
            const catalogue::Entry& textEntry = Known(catalogue::TriggerText).entry;
            const QString command = catalogue::BuildCommand(textEntry, catalogue::TriggerText, name);
            if (command.isEmpty()) return;
            RecordsetPtr body = execute(m_connection, command);
            const QString script = atEnd(body) ? QString()
                                               : brLines(body->GetString(QStringLiteral(" "), QString(), QString()), true, true);
            const XmlNode trigger = AddTableElement(QStringLiteral("TRIGGER"), {{"Name", name}, {"Table_Name", sTableName},
                                                                                {"Report", QStringLiteral("1")},
                                                                                {"Migrate", QStringLiteral("0")}});
            AddScriptTo(AppendUnder(*oStructureXML, trigger, QStringLiteral("SQLSCRIPT"), {}), script);
            i = next(i);
        }
    });
}

// ---- views and stored procedures -------------------------------------------------------------

void cADODB::GenerateViewsXML() {
    TrapFault(QStringLiteral("GenerateViewsXML"), [&] {
        if (m_cancel) return;
        if (gDatabaseType >= dbAccessXP && gDatabaseType <= dbAccess97) {
            GenerateAccessViewsXML();
            return;
        }
        const int type = gDatabaseType;
        if (!readsViews(type)) return;
        const KnownEntry& known = Known(catalogue::Views);
        const catalogue::Entry& entry = known.entry;
        const bool fallback = !entry.exists() || known.type == QLatin1String("ADO");
        QStringList fields = {QStringLiteral("TABLE_NAME"), QStringLiteral("VIEW_DEFINITION"), QStringLiteral("IS_UPDATABLE"),
                              QStringLiteral("DATE_CREATED")};
        if (!fallback) fields = entry.columns(4);
        const RecordsetPtr rs = openListing(m_connection, entry, catalogue::Views, fallback, platform::ado::adSchemaViews,
                                            Rowsets(QStringLiteral("VIEW")));
        if (atEnd(rs)) return;
        const int g = gGroupIndex, c = gConnectionIndex;
        const QString connection = ConnectionPath();
        for (; !rs->IsEOF(); rs->MoveNext()) {
            const QString name = ListedName(rs, fallback, fields[0]);
            if (m_view == 0)
                AddTreeEntry(QStringLiteral("VIEWS"),
                             {QStringLiteral("Name=Views"), QStringLiteral("Key=Views|%1|%2").arg(g).arg(c), QStringLiteral("RHXPath=8")},
                             connection, c);
            if (Raise(name, QStringLiteral("View"), QStringLiteral("Importing"), 20, QString())) return;
            AddTreeEntry(QStringLiteral("VIEW"),
                         {QStringLiteral("Name=") + name, QStringLiteral("Key=") + ItemKey(name, {g, c, m_view}),
                          QStringLiteral("RHXPath=DATABASE/VIEW[%1]").arg(m_view)},
                         connection + QStringLiteral("[%1]/VIEWS").arg(c), 0);
            AddStructureElement(QStringLiteral("VIEW"),
                                {QStringLiteral("Name=") + name, QStringLiteral("CreatedOn=") + text(rs->Fields(fields[3])),
                                 QStringLiteral("Updatable=") + text(rs->Fields(fields[2])), QStringLiteral("Report=1"),
                                 QStringLiteral("Migrate=0")},
                                QStringLiteral("DATABASE"), 0);
            AddScript(QStringLiteral("DATABASE/VIEW"), m_view, brLines(text(rs->Fields(fields[1])), false, false));

            const KnownEntry& knownColumns = Known(catalogue::ViewColumns);
            const catalogue::Entry& columnsEntry = knownColumns.entry;
            if (columnsEntry.exists() && !knownColumns.type.isEmpty()) {
                QString tableField = QStringLiteral("TABLE_NAME"), columnField = QStringLiteral("COLUMN_NAME");
                if (!fallback) {
                    const QStringList names = columnsEntry.columns(3);
                    tableField = names[1];
                    columnField = names[2];
                }
                const RecordsetPtr columns = openListing(m_connection, columnsEntry, catalogue::ViewColumns, fallback,
                                                         platform::ado::adSchemaViewColumnUsage, Rowsets(QString()),
                                                         ObjectRestriction(name, 2), name);
                if (!atEnd(columns)) {
                    Raise(name, QString(), QString(), 20, QStringLiteral("Fetchings columns of ") + name);
                    for (; !columns->IsEOF(); columns->MoveNext()) {
                        const QString nameEntry = QStringLiteral("Name=") + text(columns->Fields(columnField));
                        const QString source = ListedName(columns, fallback, tableField, QStringLiteral("TABLE_SCHEMA"), false);
                        AddStructureElement(QStringLiteral("COLUMN"), {nameEntry, QStringLiteral("SourceTable=") + source},
                                            QStringLiteral("DATABASE/VIEW"), m_view);
                        Raise(nameEntry, QStringLiteral("Column"), QString(), 20, QStringLiteral("Column Name ") + nameEntry);
                    }
                }
            }
            m_view = next(m_view);
        }
    });
}

void cADODB::GenerateStoredProceduresXML() {
    TrapFault(QStringLiteral("GenerateStoredProceduresXML"), [&] {
        if (m_cancel) return;
        qint16 s = 0;
        if (!ReadsKind(gDatabaseType, catalogue::Procedures, Known(catalogue::Procedures))) return;
        const KnownEntry& known = Known(catalogue::Procedures);
        const catalogue::Entry& entry = known.entry;
        const QStringList fields = entry.columns(4);
        RecordsetPtr rs = execute(m_connection, catalogue::BuildCommand(entry, catalogue::Procedures));
        if (atEnd(rs)) return;
        const int g = gGroupIndex, c = gConnectionIndex;
        const QString connection = ConnectionPath();
        QString previous;
        bool first = true;
        for (; !rs->IsEOF(); rs->MoveNext()) {
            const QString name = text(rs->Fields(fields[0]));
            if (s == 0 && first)
                AddTreeEntry(QStringLiteral("STOREDPROCEDURES"),
                             {QStringLiteral("Name=Stored Procedures"), QStringLiteral("Key=Stored Procedures|%1|%2").arg(g).arg(c),
                              QStringLiteral("RHXPath=9")},
                             connection, c);
            first = false;
            if (Raise(name, QStringLiteral("Stored Procedure"), QStringLiteral("Importing"), 20, QString())) return;
            const QString nameEntry = QStringLiteral("Name=") + name;
            const QStringList attributes = {nameEntry, QStringLiteral("CreatedOn=") + text(rs->Fields(fields[2])),
                                            QStringLiteral("LastModified=") + text(rs->Fields(fields[3])),
                                            QStringLiteral("Type=") + text(rs->Fields(fields[1])), QStringLiteral("Report=1"),
                                            QStringLiteral("Migrate=0")};
            const catalogue::Entry& textEntry = Known(catalogue::ProcedureText).entry;
            const QString command = catalogue::BuildCommand(textEntry, catalogue::ProcedureText, name);
            if (command.isEmpty()) return;
            RecordsetPtr body = execute(m_connection, command);
            const QString script = atEnd(body) ? QString()
                                               : brLines(body->GetString(QStringLiteral(" "), QString(), QString()), false, true);
            if (nameEntry != previous) {
                AddTreeEntry(QStringLiteral("STOREDPROCEDURE"),
                             {QStringLiteral("Name=") + name, QStringLiteral("Key=") + ItemKey(name, {g, c, s}),
                              QStringLiteral("RHXPath=DATABASE/STOREDPROCEDURE[%1]").arg(s)},
                             connection + QStringLiteral("[%1]/STOREDPROCEDURES").arg(c), 0);
                AddStructureElement(QStringLiteral("STOREDPROCEDURE"), attributes, QStringLiteral("DATABASE"), 0);
                AddScript(QStringLiteral("DATABASE/STOREDPROCEDURE"), s, script);
                s = next(s);
            } else {
                oStructureXML->SetCDataContent(script, QStringLiteral("DATABASE/STOREDPROCEDURE[%1]/SQLSCRIPT").arg(s - 1));
            }
            previous = nameEntry;
        }
    });
}

// ---- foreign keys and check constraints -------------------------------------------------------

bool cADODB::IsNumber(const QString& value) {
    return std::any_of(value.cbegin(), value.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

void cADODB::GenerateForeignKeyElement(const QString& sTableName) {
    TrapFault(QStringLiteral("cADODB.GenerateForeignKeyElement"), [&] {
        const KnownEntry& known = Known(catalogue::ForeignKeys);
        const catalogue::Entry& entry = known.entry;
        if (!entry.exists()) return;
        const QString type = known.type;
        if (Raise(QStringLiteral(" in ") + sTableName, QStringLiteral("foreign key(s)"), QStringLiteral("Checking for "), 20,
                  QStringLiteral("Foreign key(s) in ") + sTableName))
            return;
        QStringList fields = {QStringLiteral("FK_NAME"),      QStringLiteral("PK_TABLE_NAME"), QStringLiteral("FK_TABLE_NAME"),
                              QStringLiteral("FK_COLUMN_NAME"), QStringLiteral("UPDATE_RULE"), QStringLiteral("DELETE_RULE"),
                              QStringLiteral("PK_COLUMN_NAME")};
        const QString dropTemp = QStringLiteral("if exists (select * from sysobjects where id = object_id('dbo.spMorvTemp') "
                                                "and sysstat & 0xf = 4) drop procedure dbo.spMorvTemp");
        const bool temporaryProcedure = type == QLatin1String("SP") && gDatabaseType == dbSQLServer65;
        RecordsetPtr rs;
        if (type == QLatin1String("ADO")) {
            rs = OpenRowset(platform::ado::adSchemaForeignKeys, ObjectRestriction(sTableName, 2), QStringLiteral("FOREIGNKEY"));
        } else {
            fields = entry.columns(7);
            if (temporaryProcedure) {
                platform::ado::Command command;
                command.ActiveConnection = &m_connection;
                command.CommandText = dropTemp;
                command.Execute();
                command.CommandText = QStringLiteral("Create procedure spMorvTemp @fktable sysname=null as set nocount on "
                                                     "execute sp_fkeys @fktable_name=@fktable");
                command.Execute();
                QString condition = entry.condition();
                condition.replace(QStringLiteral("MORVXXX"), catalogue::QuoteLiteral(sTableName));
                rs = m_connection.Execute(QStringLiteral("spMorvTemp ") + condition);
            } else {
                rs = execute(m_connection, catalogue::BuildCommand(entry, catalogue::ForeignKeys, sTableName));
            }
        }
        if (!atEnd(rs)) {
            qint16 i = 0;
            for (; !rs->IsEOF(); rs->MoveNext()) {
                const QString name = text(rs->Fields(fields[0]));
                const bool fromRowset = type == QLatin1String("ADO");
                const QString primaryKeyTable = ListedName(rs, fromRowset, fields[1], QStringLiteral("PK_TABLE_SCHEMA"), false);
                const QString foreignKeyTable = ListedName(rs, fromRowset, fields[2], QStringLiteral("FK_TABLE_SCHEMA"), false);
                if (i == 0) AddTableFolder(QStringLiteral("FOREIGNKEYS"), QStringLiteral("Foreign Keys"), 7);
                AddTableItem(QStringLiteral("FOREIGNKEY"), QStringLiteral("FOREIGNKEYS"), name, i);
                XmlNode key = AddTableElement(QStringLiteral("FOREIGNKEY"),
                                {{"Name", name}, {"RelatedColumn", text(rs->Fields(fields[3]))}, {"PrimaryKeyTable", primaryKeyTable},
                                 {"ForeignKeyTable", foreignKeyTable}, {"UpdateRule", text(rs->Fields(fields[4]))},
                                 {"DeleteRule", text(rs->Fields(fields[5]))}, {"PrimaryKeyColumn", text(rs->Fields(fields[6]))},
                                 {"Report", QStringLiteral("1")}, {"Migrate", QStringLiteral("0")}});
                // A key whose check may wait for the end of the transaction says when
                // it is checked at first.
                if (key && fromRowset && rs->HasField(QStringLiteral("DEFERRABILITY"))) {
                    const int deferrability = rs->Fields(QStringLiteral("DEFERRABILITY")).toInt();
                    if (deferrability == platform::ado::DBPROPVAL_DF_INITIALLY_DEFERRED || deferrability == platform::ado::DBPROPVAL_DF_INITIALLY_IMMEDIATE)
                        key.setAttribute(QStringLiteral("Deferrable"), deferrability == platform::ado::DBPROPVAL_DF_INITIALLY_DEFERRED
                                                                           ? QStringLiteral("INITIALLY DEFERRED")
                                                                           : QStringLiteral("INITIALLY IMMEDIATE"));
                }
                i = next(i);
            }
        }
        if (temporaryProcedure) {
            platform::ado::Command command;
            command.ActiveConnection = &m_connection;
            command.CommandText = dropTemp;
            command.Execute();
        }
    });
}

QVariant cADODB::GetCheckConstraints(const QString& sTableName, const QString& sColumnName) {
    try {
        const KnownEntry& known = Known(catalogue::CheckConstraints);
        const catalogue::Entry& entry = known.entry;
        if (Raise(QStringLiteral(" in ") + sTableName, QStringLiteral("check constraints(s)"), QStringLiteral("Checking for "), 20,
                  QStringLiteral("Check constraint(s) in ") + sTableName))
            return QVariant();
        QString nameField = QStringLiteral("CONSTRAINT_NAME"), tableField, columnField, clauseField = QStringLiteral("CHECK_CLAUSE");
        RecordsetPtr rs;
        if (!entry.exists() || known.type == QLatin1String("ADO")) {
            // The rowset's constraint names do not say their table and column; the
            // constraint-column-usage rowset does, where the engine gives it.
            try {
                return ColumnCheckFromUsage(sTableName, sColumnName);
            } catch (const platform::RuntimeError& e) {
                if (e.number() != platform::ado::adErrNotSupported) throw;
            }
            rs = m_connection.OpenSchema(platform::ado::adSchemaCheckConstraints);
        } else {
            const QStringList names = entry.columns(4);
            nameField = names[0];
            tableField = names[1];
            columnField = names[2];
            clauseField = names[3];
            rs = execute(m_connection, catalogue::BuildCommand(entry, catalogue::CheckConstraints, sTableName));
        }
        if (atEnd(rs)) return QVariant();
        for (; !rs->IsEOF(); rs->MoveNext()) {
            const QString constraint = text(rs->Fields(nameField));
            QString table, column;
            bool fromFields = !tableField.isEmpty() && !columnField.isEmpty();
            if (fromFields && (!rs->HasField(tableField) || !rs->HasField(columnField)) && !constraint.isEmpty()) {
                // The row source lacks a named field: find the constraint's column through
                // the constraint-column-usage rowset instead.
                QVariantList r;
                for (int k = 0; k < 6; ++k) r << QVariant();
                r << constraint;
                RecordsetPtr usage = m_connection.OpenSchema(platform::ado::adSchemaConstraintColumnUsage, r);
                if (atEnd(usage)) return QVariant(QString());
                table = text(usage->Fields(QStringLiteral("TABLE_NAME"))).toUpper();
                column = text(usage->Fields(QStringLiteral("COLUMN_NAME"))).toUpper();
            } else if (fromFields) {
                table = text(rs->Fields(tableField)).toUpper();
                column = text(rs->Fields(columnField)).toUpper();
            } else {
                if (!constraint.contains(QLatin1Char('.'))) return QVariant(QString());
                const QStringList parts = constraint.split(QLatin1Char('.'));
                const auto unbracket = [](QString s) { return s.remove(QLatin1Char('[')).remove(QLatin1Char(']')); };
                table = unbracket(parts.value(0));
                column = unbracket(parts.value(1));
            }
            if (table.startsWith(QLatin1Char('+'))) table = table.mid(1);
            const bool match = fromFields ? (column == sColumnName.toUpper() && table == sTableName.toUpper())
                                          : (column == sColumnName && table == sTableName);
            if (match) return rs->Fields(clauseField);
        }
        return QVariant(QString());
    } catch (const platform::RuntimeError& e) {
        if (e.number() == platform::ado::adErrNotSupported || m_cancel) return QVariant();
        ShowError(e.number(), e.description(), QStringLiteral("cADODB.GetCheckConstraints"));
        return QVariant();
    } catch (const std::exception& e) {
        if (m_cancel) return QVariant();
        const auto [n, d] = Describe(e);
        ShowError(n, d, QStringLiteral("cADODB.GetCheckConstraints"));
        return QVariant();
    }
}

QVariant cADODB::ColumnCheckFromUsage(const QString& sTableName, const QString& sColumnName) {
    using platform::ado::adSchemaCheckConstraints;
    using platform::ado::adSchemaConstraintColumnUsage;
    // The constraints on the column (keys among them), each request answered from an
    // index of the rowset so that a whole import stays linear.
    QVariantList onColumn = ObjectRestriction(sTableName, 2);
    onColumn << sColumnName;
    const RecordsetPtr usage = m_connection.OpenSchema(adSchemaConstraintColumnUsage, onColumn);
    if (atEnd(usage)) return QVariant(QString());
    for (; !usage->IsEOF(); usage->MoveNext()) {
        const QVariant catalog = usage->Fields(QStringLiteral("CONSTRAINT_CATALOG"));
        const QVariant schema = usage->Fields(QStringLiteral("CONSTRAINT_SCHEMA"));
        const QVariant name = usage->Fields(QStringLiteral("CONSTRAINT_NAME"));
        const RecordsetPtr checks = m_connection.OpenSchema(adSchemaCheckConstraints, {catalog, schema, name});
        if (atEnd(checks)) continue;  // a key, not a check
        // A check lands on a column when it is the check's only column in this table.
        QVariantList ofConstraint = onColumn.mid(0, 3);
        ofConstraint << QVariant() << catalog << schema << name;
        const RecordsetPtr columns = m_connection.OpenSchema(adSchemaConstraintColumnUsage, ofConstraint);
        if (columns->RecordCount() != 1) continue;
        if (checks->RecordCount() == 1) return checks->Fields(QStringLiteral("CHECK_CLAUSE"));
        // Checks of one name on several tables: the rowsets list them in the order of
        // their tables, so the table's place among the constraint's tables picks its
        // clause; when the counts disagree no clause is guessed.
        QVariantList everyTable = restriction(6, name.toString());
        everyTable[4] = catalog;
        everyTable[5] = schema;
        const RecordsetPtr tables = m_connection.OpenSchema(adSchemaConstraintColumnUsage, everyTable);
        QStringList seen;
        int place = -1;
        const QString table = onColumn[1].toString() + QChar(0x1f) + onColumn[2].toString();
        for (; !tables->IsEOF(); tables->MoveNext()) {
            const QString key = text(tables->Fields(QStringLiteral("TABLE_SCHEMA"))) + QChar(0x1f) +
                                text(tables->Fields(QStringLiteral("TABLE_NAME")));
            if (seen.isEmpty() || seen.last() != key) seen << key;
            if (key == table && place < 0) place = int(seen.size()) - 1;
        }
        if (place < 0 || seen.size() != checks->RecordCount()) continue;
        for (int k = 0; k < place; ++k) checks->MoveNext();
        return checks->Fields(QStringLiteral("CHECK_CLAUSE"));
    }
    return QVariant(QString());
}
