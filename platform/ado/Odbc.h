#pragma once
// The ODBC gateway under the ADO classes: the process's one ODBC environment, one
// owner per connection handle, statement handles that live for one call, and the
// reading of whole result sets into memory. Nothing here knows ADO error numbers;
// failures carry the driver's diagnostics and the callers map them.

#include <QList>
#include <QString>
#include <mutex>
#include <QStringList>
#include <QVariant>

#include <exception>
#include <functional>

#include <sql.h>
#include <sqlext.h>

namespace platform::ado::odbc {

// One diagnostic record of the driver manager or the driver.
struct Diagnostic {
    QString state;
    long native = 0;
    QString message;
};

// A failed ODBC call. 'diagnostics' is in the order the driver reported them and may
// be empty when the driver said nothing.
struct Failure : std::exception {
    Failure(QList<Diagnostic> d, QString c) : diagnostics(std::move(d)), context(std::move(c)) {}
    const char* what() const noexcept override { return "ODBC call failed"; }
    QList<Diagnostic> diagnostics;
    QString context;  // what was being done, used when there is no diagnostic
};

// The process's ODBC 3 environment, made on first use and kept for the life of the
// process (connections held by static objects may outlive any other owner). Safe to
// call from any thread.
SQLHENV environment();

// The driver names registered in the odbcinst.ini the driver manager reads now.
QStringList installedDrivers();

// The diagnostic records of a handle, read through the wide or the narrow call as
// the handle's driver takes text.
QList<Diagnostic> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool wide = true);

// A whole result set read into memory.
struct Result {
    bool hasColumns = false;     // false for a statement that returns no rows
    QStringList names;
    QList<int> sqlTypes;         // ODBC SQL type per column (SQL_INTEGER, ...)
    QList<int> adoTypes;         // the ADO type code for each column
    QList<QVariantList> rows;
    long rowCount = -1;          // SQLRowCount of the statement, -1 when unknown
};

// Receives a result read in batches: first once with the columns described and no
// rows, then once per batch. The Result's rows are empty; the batch holds them.
using RowSink = std::function<void(const Result& columns, QList<QVariantList>&& batch)>;

// The ADO type code for an ODBC SQL type; 'isUnsigned' picks the unsigned variants.
int adoTypeForSqlType(int sqlType, bool isUnsigned = false);

// Owns one connection handle. Not copyable; the handle is disconnected and freed by
// close() or the destructor. Every call throws Failure on error.
// The longest connection string SQLDriverConnect takes (its length is a 16-bit number).
constexpr qsizetype kMaxConnectionStringLength = 32767;

class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Connects with SQLDriverConnect (no prompt). loginTimeout in seconds, 0 for none.
    // A string longer than kMaxConnectionStringLength is refused (Failure) unsent.
    void connect(const QString& connectionString, int loginTimeout);
    void close();
    bool isOpen() const { return m_dbc != nullptr; }

    // Runs one statement and reads the first result set that has columns, or
    // returns a Result without columns. queryTimeout in seconds, 0 for none.
    Result execute(const QString& sql, int queryTimeout = 0);
    // The same, handing the rows to sink in batches of at most batchSize as they are
    // fetched; the Result returned holds no rows.
    Result executeInBatches(const QString& sql, int queryTimeout, int batchSize, const RowSink& sink);

    // Runs a catalogue function (SQLTablesW, SQLColumnsW, ...) that 'start' calls on
    // a fresh statement handle and reads its result.
    Result catalogue(const std::function<SQLRETURN(SQLHSTMT)>& start);

    // For each result column of 'sql' (prepared, not run): the base table and base
    // column the driver names for it, empty where it names none.
    QList<QPair<QString, QString>> baseColumns(const QString& sql);

    // Cancels the statement that execute or catalogue is running (SQLCancel); the
    // running call then fails. Any thread may call it; nothing happens when no
    // statement runs.
    void cancel();

    // A text item of SQLGetInfo (SQL_DBMS_NAME, SQL_DRIVER_NAME, ...); "" on failure.
    QString infoText(SQLUSMALLINT item) const;
    // The connection's current catalogue (SQL_ATTR_CURRENT_CATALOG) where the driver
    // has catalogues (SQL_CATALOG_NAME "Y"); a null text where it has none, gives none
    // or the connection names none.
    QString currentCatalog() const;

    SQLHDBC handle() const { return m_dbc; }
    // True when text goes to the driver as UTF-16 through the wide-character calls;
    // false for a driver without them, which gets UTF-8 through the narrow calls
    // (the driver manager's own conversion loses characters outside UCS-2).
    bool isWide() const { return m_wide; }

private:
    friend class RunningStatement;
    // Runs one statement; with a sink the rows go to it in batches of batchSize.
    Result run(const QString& sql, int queryTimeout, int batchSize, const RowSink* sink);

    SQLHDBC m_dbc = nullptr;
    bool m_wide = true;
    // The statement a call is running, for cancel from another thread.
    std::mutex m_runningMutex;
    SQLHSTMT m_running = nullptr;
};

// A text argument of a catalogue function in the form the connection's driver takes;
// a null QVariant is passed as a null pointer.
class TextArg {
public:
    TextArg(const QVariant& value, bool wide);
    SQLWCHAR* wide();
    SQLCHAR* narrow();
    SQLSMALLINT length() const;

private:
    bool m_null;
    bool m_wide;
    QString m_utf16;
    QByteArray m_utf8;
};

// Whether the driver a connection string names exports the wide-character calls;
// true when that cannot be found out (the driver manager then converts).
bool driverHasWideCalls(const QString& connectionString);

// The key=value pairs of an ODBC connection string in order, values unquoted ({...}
// with "}}" standing for "}", so a ";" inside braces stays in its value).
QList<QPair<QString, QString>> attributes(const QString& connectionString);
// The value of the first key of that name (any case); found tells whether there is one.
QString attribute(const QString& connectionString, const char* key, bool* found = nullptr);
// The driver a connection string names, directly or through its data source; "" when
// it names none that can be found.
QString driverName(const QString& connectionString);

// Quotes a value for an ODBC connection string when it needs it ({...} with "}"
// doubled), otherwise returns it as it is.
QString quoteValue(const QString& value);

}  // namespace platform::ado::odbc
