#pragma once
// ADO-style database access over unixODBC: Connection, Recordset, Command and the
// schema rowsets, with the names, type codes and error numbers the program expects.
//
// Errors are thrown as platform::RuntimeError; the connection's Errors() collection
// holds the driver's diagnostics of the last failed call (first entry decides).
// Nothing here shows a dialog. Recordsets are read whole into memory (a client-side
// cursor) and stay usable after the connection closes.
//
// Connection strings: a string holding "Driver=" or "DSN=" goes to ODBC unchanged;
// the OLE DB strings of SQLOLEDB, OraOLEDB.Oracle, MSDAORA.1, Microsoft.Jet.OLEDB.4.0
// and IBMDADB2.1 are translated for the installed drivers; an unknown provider or a
// missing driver is error 3706.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

namespace platform::ado {

// ADO DataTypeEnum values.
enum DataType {
    adEmpty = 0, adSmallInt = 2, adInteger = 3, adSingle = 4, adDouble = 5, adCurrency = 6, adDate = 7,
    adBSTR = 8, adBoolean = 11, adVariant = 12, adDecimal = 14, adTinyInt = 16, adUnsignedTinyInt = 17,
    adUnsignedSmallInt = 18, adUnsignedInt = 19, adBigInt = 20, adUnsignedBigInt = 21, adGUID = 72,
    adBinary = 128, adChar = 129, adWChar = 130, adNumeric = 131, adDBDate = 133, adDBTime = 134,
    adDBTimeStamp = 135, adVarChar = 200, adLongVarChar = 201, adVarWChar = 202, adLongVarWChar = 203,
    adVarBinary = 204, adLongVarBinary = 205
};

// OLE DB schema identifiers (SchemaEnum).
enum Schema {
    adSchemaColumns = 4, adSchemaCheckConstraints = 5, adSchemaConstraintColumnUsage = 6,
    adSchemaIndexes = 12, adSchemaTables = 20, adSchemaProviderTypes = 22, adSchemaViews = 23,
    adSchemaViewColumnUsage = 24, adSchemaForeignKeys = 27, adSchemaPrimaryKeys = 28
};

enum ObjectState { adStateClosed = 0, adStateOpen = 1 };
enum CursorLocation { adUseServer = 2, adUseClient = 3 };

// Error numbers (HRESULTs as signed 32-bit values).
constexpr long adErrGeneric = -2147467259;       // 0x80004005: cannot reach server or database
constexpr long adErrLoginFailed = -2147217843;   // 0x80040E4D
constexpr long adErrCommandFailed = -2147217900; // 0x80040E14: the database rejected the command
constexpr long adErrProviderNotFound = 3706;
constexpr long adErrNotSupported = 3251;
constexpr long adErrItemNotFound = 3265;
constexpr long adErrClosed = 3704;               // operation not allowed when the object is closed
constexpr long adErrCancelled = 3712;            // the operation was cancelled
constexpr long adErrTimeout = -2147217871;       // 0x80040E31: timeout expired (login or query)

struct Error {
    long Number = 0;
    QString Description;
    QString SQLState;
    long NativeError = 0;
    QString Source;
};

// OLE DB values of the indexes rowset's COLLATION and the foreign keys rowset's
// DEFERRABILITY, which the rowsets' readers write and their callers read.
constexpr int DB_COLLATION_ASC = 1, DB_COLLATION_DESC = 2;
constexpr int DBPROPVAL_DF_INITIALLY_DEFERRED = 1, DBPROPVAL_DF_INITIALLY_IMMEDIATE = 2, DBPROPVAL_DF_NOT_DEFERRABLE = 3;

namespace schema {
struct PackedRow;
}

class Recordset {
public:
    Recordset() = default;
    // Builds an open recordset from rows held in memory.
    Recordset(QStringList names, QList<int> types, QList<QVariantList> rows);
    // Builds an open recordset of the rows 'picked' (row numbers, in order) of a
    // packed rowset, which it shares rather than copies: the rowset lives as long as
    // the recordset does.
    Recordset(QStringList names, QList<int> types, std::shared_ptr<const QList<schema::PackedRow>> packed,
              QList<int> picked);

    int State() const { return m_open ? adStateOpen : adStateClosed; }
    // ADO's BOF and EOF; named so because EOF is a macro of the C library.
    bool IsBOF() const;
    bool IsEOF() const;
    void MoveFirst();
    void MoveNext();
    int RecordCount() const { return int(count()); }

    int FieldCount() const { return int(m_names.size()); }
    QString FieldName(int index) const;
    int FieldType(int index) const;
    // The value of the named field in the current row, the name compared ignoring
    // case; a null QVariant for Null. Throws 3265 when there is no such field, 3021
    // when there is no current row.
    QVariant Fields(const QString& name) const;
    QVariant Fields(int index) const;
    bool HasField(const QString& name) const;
    // The position of the named field, compared as Fields(name) compares it, for
    // reading many rows by position; -1 when there is no such field.
    int FieldIndex(const QString& name) const;

    // The rows from the current one to the end as text: fields joined by
    // columnDelimiter, each row followed by rowDelimiter, Null as nullExpr. Moves to
    // EOF, as ADO does.
    QString GetString(const QString& columnDelimiter = QStringLiteral("\t"),
                      const QString& rowDelimiter = QStringLiteral("\r"), const QString& nullExpr = QString());
    void Close() { m_open = false; }

    // The rows whole (a packed recordset unpacks them on the first call).
    const QList<QVariantList>& Rows() const;
    const QStringList& Names() const { return m_names; }

private:
    qsizetype count() const { return m_packed ? m_picked.size() : m_rows.size(); }
    // Value 'column' of row 'row'; Null past the row's end.
    QVariant value(qsizetype row, int column) const;
    QStringList m_names;
    QList<int> m_types;
    mutable QList<QVariantList> m_rows;
    mutable std::shared_ptr<const QList<schema::PackedRow>> m_packed;
    mutable QList<int> m_picked;
    int m_pos = 0;
    bool m_open = false;
};
using RecordsetPtr = std::shared_ptr<Recordset>;

class ConnectionImpl;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString ConnectionString;
    int CursorLocation = adUseServer;
    int ConnectionTimeout = 15;
    int CommandTimeout = 30;
    // When set (on the application's main thread, with a Qt application running), Open,
    // Execute and OpenSchema run on a worker thread while the calling thread waits in a
    // local event loop that keeps processing events, so a window stays painted and its
    // buttons answer while the server is slow or silent. The loop asks CancelRequested
    // every 100 ms; once it answers true the running statement is cancelled (the call
    // then throws adErrCancelled). When the cancel has not ended the call a moment
    // later (the server stopped answering), the connection's link to the server is shut
    // down, the call ends with adErrCancelled and the connection is closed. An Open is
    // not cancelled: it ends at ConnectionTimeout.
    // An OpenSchema answered from a rowset already read runs no statement and returns at
    // once, without the worker thread and without turning the event loop.
    bool WaitInEventLoop = false;
    std::function<bool()> CancelRequested;

    int State() const;
    // Opens the connection with ConnectionString (or the given one). Throws
    // RuntimeError with the mapped number: 28000 -> adErrLoginFailed, 08xxx ->
    // adErrGeneric, IM002 / unknown provider -> 3706.
    void Open(const QString& connectionString = QString(), const QString& userId = QString(),
              const QString& password = QString());
    void Close();
    // Cancels the statement Execute or OpenSchema is running on another thread; that
    // call then throws adErrCancelled. Any thread may call it.
    void Cancel();
    // Runs a statement. A statement that returns rows gives an open recordset; one that
    // returns none gives a closed recordset. recordsAffected receives the row count
    // where the driver reports one. Throws adErrCommandFailed (or the mapped number).
    RecordsetPtr Execute(const QString& commandText, long* recordsAffected = nullptr);
    // Runs a statement and hands its rows to onRows in batches of at most batchSize as
    // they are fetched, keeping none (a large rowset never is in memory whole).
    // onColumns gets the field names once, before any rows; it is not called for a
    // statement that returns no rows. Both run on the calling thread, or on the worker
    // thread under WaitInEventLoop (which cancels as it does for Execute). Errors as
    // for Execute.
    void ExecuteInBatches(const QString& commandText, int batchSize, const std::function<void(const QStringList& names)>& onColumns,
                          const std::function<void(QList<QVariantList>&& rows)>& onRows, long* recordsAffected = nullptr);
    // A schema rowset with the OLE DB column names. Restrictions follow the rowset's
    // restriction order; a null QVariant, an empty text (or a missing entry) means no
    // restriction, any other value must equal the row's value exactly (text compared
    // case-sensitively). Throws 3251 for a rowset this connection cannot give and for
    // a restriction the rowset does not have. The first request of a rowset reads it
    // whole; later requests on the same open connection are answered from that read
    // until Close or an Execute of anything but a plain SELECT.
    RecordsetPtr OpenSchema(int schema, const QVariantList& restrictions = QVariantList());
    // Frees the rowsets read so far (and what an engine reader keeps between
    // requests); the next request reads afresh. For an owner that keeps the connection
    // open after its last catalogue request.
    void ReleaseSchemaCache();

    const QList<Error>& Errors() const;
    // What the driver says it talks to ("PostgreSQL", "SQLite", ...), after Open.
    QString DbmsName() const;
    // The ODBC connection string actually used, after Open.
    QString OdbcConnectionString() const;
    // The schema unqualified names resolve to, after Open: PostgreSQL's current schema
    // (the first existing schema of the search path); "" where the engine has no
    // schemas or does not say (then no rowset name is to be qualified).
    QString DefaultSchema() const;

private:
    void RunWaiting(const std::function<void()>& work, bool cancellable);
    void OpenHere(const QString& connectionString, const QString& userId, const QString& password);
    RecordsetPtr ExecuteHere(const QString& commandText, long* recordsAffected);
    RecordsetPtr OpenSchemaHere(int schema, const QVariantList& restrictions);

    std::unique_ptr<ConnectionImpl> d;
};

// A command on an open connection; the text runs as given.
class Command {
public:
    Connection* ActiveConnection = nullptr;
    QString CommandText;
    RecordsetPtr Execute(long* recordsAffected = nullptr);
};

// Translates an OLE DB connection string into an ODBC one for the installed drivers;
// strings with "Driver=" or "DSN=" come back unchanged. Throws 3706 for an unknown
// provider or a provider whose driver is not installed.
QString TranslateConnectionString(const QString& connectionString);
// The same against a given list of installed driver names (as SQLDrivers lists them).
QString TranslateConnectionString(const QString& connectionString, const QStringList& installedDrivers);
// True when the string names an ODBC driver or data source ("Driver=" or "DSN=").
bool IsOdbcConnectionString(const QString& connectionString);
// Where a connection string leads: the driver (an ODBC string's Driver, a data source
// as "dsn:" and its name, or an OLE DB string's Provider), the server, the port (an
// explicit Port, or what follows the last "," of the server as SQL Server writes it)
// and the database, each in lower case. Logins, options and the order of the keys play
// no part, so two strings with equal addresses reach the same database.
struct DatabaseAddress {
    QString driver, server, port, database;
    bool operator==(const DatabaseAddress&) const = default;
};
DatabaseAddress AddressOf(const QString& connectionString);
// A value for an OLE DB connection string that reads back as exactly one value: as it
// is when it holds no ";" and does not start with a quote (after blanks), otherwise in
// double quotes (single quotes when it holds a double quote and no single one), a
// quote like the enclosing one doubled.
QString QuoteConnectionValue(const QString& value);

}  // namespace platform::ado
