#pragma once
// The catalogue reader: one object per import of one database. It opens its own
// connection with the string it is given, writes the structure document
// (bGlobal::oStructureXML) and adds folder and item entries for the connection to the
// tree document (bGlobal::oLHXML, which the caller must hold), raising WhileImporting
// for every object. A handler that sets Cancel stops the import at the next check.

#include "core/XmlNode.h"
#include "core/bGlobal.h"
#include "import/CatalogueQuery.h"
#include "platform/ado/Ado.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class cXML;
struct XmlAttribute;

class cADODB {
public:
    using WhileImportingHandler = std::function<void(QString& ObjectName, QString& ObjectType, QString& ImportStatus,
                                                     qint16& iIncrementValue, QString& DisplayMessage, bool& Cancel)>;
    // The event; the caller sets it before ADOConnect.
    WhileImportingHandler WhileImporting;
    // Asked every 100 ms while a catalogue statement runs (the window keeps processing
    // events meanwhile); true cancels the running statement and the import.
    std::function<bool()> CancelRequested;

    cADODB();
    ~cADODB();
    cADODB(const cADODB&) = delete;
    cADODB& operator=(const cADODB&) = delete;

    void GenerateTablesXML();
    void GenerateViewsXML();
    void GenerateTriggersXML(const QString& sTableName);
    void GenerateStoredProceduresXML();
    void GenerateIndexXML(const QString& sTableName);
    // The lengths are those of the columns rowset: an engine's length can be an
    // unsigned 32-bit number (MariaDB's LONGTEXT holds 4294967295 characters).
    QString GetFieldType(qint32 lFieldType, qint64 lCHARACTER_MAXIMUM_LENGTH, qint64 lDATETIME_PRECISION,
                         qint64 lNUMERIC_PRECISION);
    bool GenerateXML();
    void StartXML();
    // Opens the connection on the calling thread; false after telling the user why not.
    bool ADOConnect();
    // How ConnectWhileWaiting ended.
    enum class ConnectOutcome { Connected, Failed, Abandoned };
    // ADOConnect for a window: the connection is opened on a thread of its own while the
    // calling thread's events flow, so the window keeps painting and its buttons answer.
    // 'abandon' is asked every 100 ms on the calling thread; once it answers true the
    // wait ends at once and Abandoned comes back with nothing reported. The attempt then
    // runs on alone until the driver gives up (at the login time limit), holding its
    // own reference to the reader: the caller drops its reference and does not touch
    // the reader again. A failure is reported as ADOConnect reports it.
    static ConnectOutcome ConnectWhileWaiting(const std::shared_ptr<cADODB>& reader, const std::function<bool()>& abandon);
    void GenerateAccessViewsXML();
    // Access's name of a column type (an ADO type number) of the given length.
    QString GetAccessDataType(qint32 lType, qint32 lLength, bool bFixedLength, bool bAutoIncrement, bool bHyperlink);
    QString SetConnection() const { return m_connectionString; }
    void SetConnection(const QString& sConnStr) { m_connectionString = sConnStr; }
    bool GetServerInfo();

    // Whether an import of a database of this type code reads objects of the catalogue
    // kind at all (the import options included): false where neither the catalogue nor
    // the driver gives them, so a count of 0 would say nothing.
    static bool ReadsKind(int databaseType, int kind);

    platform::ado::Connection& Connection() { return m_connection; }

private:
    // The program's error trap, except that a failure once the import is cancelled
    // (the cancelled statement's own, or that of a link closed under it) only ends the
    // import.
    template <class F>
    void Trap(const QString& source, F&& body) {
        bGlobal::Trap(source, [&] {
            try {
                body();
            } catch (const std::exception&) {
                if (!m_cancel) throw;
            }
        });
    }
    template <class R, class F>
    R TrapValue(const QString& source, F&& body, R onError) {
        return bGlobal::TrapValue(
            source,
            [&]() -> R {
                try {
                    return body();
                } catch (const std::exception&) {
                    if (!m_cancel) throw;
                    return onError;
                }
            },
            onError);
    }

    // The query catalogue's entry of a kind for the database type being imported, and
    // its TYPE text: looked up once per import, as the readers ask for them per column.
    struct KnownEntry {
        catalogue::Entry entry;
        QString type;
    };
    const KnownEntry& Known(int kind);
    static bool ReadsKind(int databaseType, int kind, const KnownEntry& known);

    // Opens m_connection with m_connectionString on the calling thread; throws on failure.
    void OpenConnection();
    // Tells the user why the connection could not be opened (the window thread).
    void ReportConnectFailure(const std::exception& e);

    QString GetPrimaryKey(const QString& sTableName, const QString& sColumnName);
    bool IsNumber(const QString& text);
    void GenerateForeignKeyElement(const QString& sTableName);
    QVariant GetCheckConstraints(const QString& sTableName, const QString& sColumnName);
    void GenerateAccessTables();

    // Raises WhileImporting with this object's cancel flag; true when cancelled.
    bool Raise(QString objectName, QString objectType, QString importStatus, qint16 increment, QString message);
    void ReadColumns(const QString& tableName);
    // The partition key, parent and bounds the tables rowset's row 'rs' gives, on the
    // table element just written.
    void AddPartitioning(const platform::ado::RecordsetPtr& rs);
    // Appends a new element under the node parentPath[position] of document and returns
    // it (empty when there is no such parent). Each parent is found once per import
    // and then held, so appending walks no path.
    XmlNode Append(cXML& document, const QString& element, const QStringList& attributes, const QString& parentPath,
                   int position);
    // Appends a new element of document under parent and returns it (empty when parent
    // is empty: nothing is appended).
    XmlNode AppendUnder(cXML& document, const XmlNode& parent, const QString& element, const QStringList& attributes);
    XmlNode AppendUnder(cXML& document, const XmlNode& parent, const QString& element,
                        std::initializer_list<XmlAttribute> attributes);
    // Appends an element to the tree document under path at position.
    XmlNode AddTreeEntry(const QString& element, const QStringList& attributes, const QString& parentPath, int position);
    XmlNode AddStructureElement(const QString& element, const QStringList& attributes, const QString& parentPath, int position);
    // Appends an element under the structure element of the table being read.
    XmlNode AddTableElement(const QString& element, std::initializer_list<XmlAttribute> attributes);
    void AddScript(const QString& ownerPath, int position, const QString& text);
    // Puts text as a CDATA section into holder (a SQLSCRIPT element); throws when empty.
    void AddScriptTo(XmlNode holder, const QString& text);
    QString ConnectionPath() const;
    // A tree entry's key: the object's name as it stands (whatever "%" it holds) and
    // the numbers that place it, joined by "|".
    static QString ItemKey(const QString& name, std::initializer_list<int> numbers);
    // A folder (INDEXES, TRIGGERS, FOREIGNKEYS) under the tree item of the table being
    // read, and an item in such a folder.
    void AddTableFolder(const QString& element, const QString& name, int levelCode);
    // The connection's TABLES folder, and a table's tree item and structure element
    // (at position t).
    void AddTablesFolder();
    void AddTable(const QString& name, const QString& created);
    void AddTableItem(const QString& element, const QString& folder, const QString& name, int i);
    // The name a table or view read from a schema rowset has in the documents: its
    // plain name in the connection's default schema (or where the engine names no
    // schema), "schema.name" elsewhere; where the engine has schemas a part holding a
    // dot is quoted (NamePart). The object is remembered under that name with its
    // catalogue and schema, so the requests that follow for it reach exactly it. A
    // listing of the objects themselves ('listed') decides where a name lives; a mere
    // reference (a foreign key's other table) only names an object not yet known.
    QString ObjectName(const QVariant& catalog, const QVariant& schema, const QVariant& name, bool listed = true);
    // One part of a document name: as it is, or double-quoted (inner quotes doubled)
    // when it holds a dot or starts with a quote.
    static QString NamePart(const QString& part);
    // The name of the object on a listing's current row: from a schema rowset, its
    // ObjectName (its schema in 'schemaField', its catalogue in the field of the same
    // name with CATALOG for SCHEMA); from a catalogue command, as it stands.
    QString ListedName(const platform::ado::RecordsetPtr& rows, bool fromRowset, const QString& nameField,
                       const QString& schemaField = QStringLiteral("TABLE_SCHEMA"), bool listed = true);
    // A restriction list for the object known by its document name: its catalogue in
    // position 0, its schema in position 1 and its own name in namePosition (only the
    // name when the object was not read from a schema rowset).
    QVariantList ObjectRestriction(const QString& documentName, int namePosition) const;
    // A listing from the schema rowset 'schemaId'; where the driver cannot give that
    // rowset the listing is empty and 'element' (TABLE, COLUMN, INDEX, FOREIGNKEY,
    // VIEW; none when empty) is recorded as not read, so the import goes on.
    platform::ado::RecordsetPtr OpenRowset(int schemaId, const QVariantList& restrictions, const QString& element);
    // OpenRowset for the kind 'element', as a listing takes it.
    std::function<platform::ado::RecordsetPtr(int, const QVariantList&)> Rowsets(const QString& element) {
        return [this, element](int schemaId, const QVariantList& restrictions) { return OpenRowset(schemaId, restrictions, element); };
    }
    // Writes the kinds found not read while importing into the DATABASE element's
    // NotRead, after those the connection's type never reads.
    void RecordKindsNotRead();
    // The check clause of the one-column checks on a column, found through the
    // constraint-column-usage rowset; throws 3251 where the engine gives no such rowset.
    QVariant ColumnCheckFromUsage(const QString& sTableName, const QString& sColumnName);

    platform::ado::Connection m_connection;
    QString m_connectionString;
    QStringList m_rootAttributes;
    bool m_cancel = false;
    qint16 m_table = 0;  // t: position of the table being read
    qint16 m_view = 0;   // v: position of the next view
    qint64 m_columnLength = 0;  // a rowset's unsigned 32-bit lengths too
    struct ObjectPlace {
        QString catalog;
        QString schema;
        QString name;
    };
    QHash<QString, ObjectPlace> m_objects;  // document name -> where the object lives
    QSet<int> m_unsupported;    // schema rowsets the driver could not give in this import
    QStringList m_notRead;      // the kinds those rowsets held, in the order met
    QHash<QString, XmlNode> m_parents;       // "path[position]" -> the element appended under
    std::array<std::optional<KnownEntry>, catalogue::CheckConstraints + 1> m_known;
    struct {
        QString table;
        platform::ado::RecordsetPtr rows;
    } m_primaryKeys;  // the primary-key listing of the table whose columns are read
    // The table being read: its structure element, its tree item and the folders
    // (INDEXES, TRIGGERS, FOREIGNKEYS) made under that item so far.
    XmlNode m_tableElement;
    XmlNode m_tableItem;
    QHash<QString, XmlNode> m_tableFolders;
};
