#include "platform/ado/Odbc.h"

#include "platform/ado/Ado.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QTime>

#include <dlfcn.h>
#include <odbcinst.h>

#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace platform::ado::odbc {

namespace {

SQLWCHAR* wideText(const QString& text) {
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use 2-byte SQLWCHAR");
    return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(reinterpret_cast<const char16_t*>(text.utf16())));
}

// Text the driver wrote: UTF-16 from the wide calls, UTF-8 from the narrow ones;
// 'length' in characters of the type.
QString fromWide(const SQLWCHAR* text, qsizetype length) {
    return QString(reinterpret_cast<const QChar*>(text), qMax<qsizetype>(0, length));
}

QString fromNarrow(const SQLCHAR* text, qsizetype length) {
    return QString::fromUtf8(reinterpret_cast<const char*>(text), qMax<qsizetype>(0, length));
}

QString fromDriver(const SQLWCHAR* text, qsizetype length) { return fromWide(text, length); }
QString fromDriver(const SQLCHAR* text, qsizetype length) { return fromNarrow(text, length); }

// The text 'call' writes into a buffer; it is given the buffer, the buffer's size in
// bytes and where to put the length it wrote, in bytes. UTF-16 when 'wide', UTF-8
// otherwise; a null string when the call fails.
QString bufferText(bool wide, const std::function<SQLRETURN(SQLPOINTER, SQLSMALLINT, SQLSMALLINT*)>& call) {
    SQLWCHAR buffer[512] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(call(buffer, SQLSMALLINT(sizeof buffer), &length))) return QString();
    if (wide)
        return fromWide(buffer, qMin<qsizetype>(length / qsizetype(sizeof(SQLWCHAR)), qsizetype(sizeof buffer / sizeof(SQLWCHAR)) - 1));
    return fromNarrow(reinterpret_cast<const SQLCHAR*>(buffer), qMin<qsizetype>(length, qsizetype(sizeof buffer) - 1));
}

// Hands a statement text to SQLExecDirect or SQLPrepare (the wide or the narrow form).
SQLRETURN withStatementText(SQLHSTMT stmt, const QString& sql, bool wide, SQLRETURN (*wideCall)(SQLHSTMT, SQLWCHAR*, SQLINTEGER),
                            SQLRETURN (*narrowCall)(SQLHSTMT, SQLCHAR*, SQLINTEGER)) {
    if (wide) {
        const QString text = sql;
        return wideCall(stmt, wideText(text), SQLINTEGER(text.size()));
    }
    QByteArray text = sql.toUtf8();
    return narrowCall(stmt, reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size()));
}

// A statement handle for one call; freed when it goes out of scope.
class Statement {
public:
    Statement(SQLHDBC dbc, bool wide) : m_wide(wide) {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &m_stmt)))
            throw Failure{diagnostics(SQL_HANDLE_DBC, dbc, wide), QStringLiteral("allocating a statement")};
    }
    ~Statement() {
        if (m_stmt) {
            SQLFreeStmt(m_stmt, SQL_CLOSE);
            SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    SQLHSTMT get() const { return m_stmt; }
    bool wide() const { return m_wide; }
    [[noreturn]] void fail(const QString& context) const {
        throw Failure{diagnostics(SQL_HANDLE_STMT, m_stmt, m_wide), context};
    }

private:
    SQLHSTMT m_stmt = nullptr;
    bool m_wide;
};

}  // namespace

// Marks a statement as the one a connection is running while it lives.
class RunningStatement {
public:
    RunningStatement(Connection& c, SQLHSTMT stmt) : m_c(c) {
        std::lock_guard<std::mutex> lock(m_c.m_runningMutex);
        m_c.m_running = stmt;
    }
    ~RunningStatement() {
        std::lock_guard<std::mutex> lock(m_c.m_runningMutex);
        m_c.m_running = nullptr;
    }
    RunningStatement(const RunningStatement&) = delete;
    RunningStatement& operator=(const RunningStatement&) = delete;

private:
    Connection& m_c;
};

namespace {

[[noreturn]] void failOn(SQLHSTMT stmt, const char* context, bool wide) {
    throw Failure{diagnostics(SQL_HANDLE_STMT, stmt, wide), QString::fromLatin1(context)};
}

// Reads a value of any length in pieces as C type 'cType', appending it to 'bytes';
// false for NULL. Each text piece ends in a terminator of 'terminator' bytes that is
// not part of the value.
bool readPieces(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLLEN terminator, bool wide, QByteArray& bytes) {
    alignas(SQLWCHAR) char buffer[8192];
    const SQLLEN capacity = SQLLEN(sizeof buffer) - terminator;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt, column, cType, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) failOn(stmt, "reading a value", wide);
        if (indicator == SQL_NULL_DATA) return false;
        const bool partial = indicator == SQL_NO_TOTAL || indicator > capacity;
        bytes.append(buffer, partial ? capacity : indicator);
        if (!partial) break;
    }
    return true;
}

// Reads a text value. A null QVariant for NULL; an empty, non-null QString for an
// empty value. A narrow piece may end inside a UTF-8 character, so the bytes are
// decoded once at the end. A value that fits the first piece (nearly every catalogue
// value) is decoded straight from the stack, with the text's one allocation.
QVariant readText(SQLHSTMT stmt, SQLUSMALLINT column, bool wide) {
    const SQLSMALLINT cType = wide ? SQL_C_WCHAR : SQL_C_CHAR;
    const SQLLEN terminator = wide ? SQLLEN(sizeof(SQLWCHAR)) : 1;
    alignas(SQLWCHAR) char first[512];
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, cType, first, sizeof first, &indicator);
    if (rc == SQL_NO_DATA) return QString(QLatin1String(""));
    if (!SQL_SUCCEEDED(rc)) failOn(stmt, "reading a value", wide);
    if (indicator == SQL_NULL_DATA) return QVariant();
    const SQLLEN capacity = SQLLEN(sizeof first) - terminator;
    if (indicator != SQL_NO_TOTAL && indicator >= 0 && indicator <= capacity) {
        if (indicator == 0) return QString(QLatin1String(""));
        return wide ? fromWide(reinterpret_cast<const SQLWCHAR*>(first), qsizetype(indicator) / qsizetype(sizeof(SQLWCHAR)))
                    : QString::fromUtf8(first, qsizetype(indicator));
    }
    // Longer: the first piece, then the rest in pieces.
    QByteArray bytes(first, capacity);
    if (!readPieces(stmt, column, cType, terminator, wide, bytes)) return QVariant();
    QString text = wide ? fromWide(reinterpret_cast<const SQLWCHAR*>(bytes.constData()), bytes.size() / qsizetype(sizeof(SQLWCHAR)))
                        : QString::fromUtf8(bytes);
    if (text.isNull()) text = QLatin1String("");
    return text;
}

QVariant readBinary(SQLHSTMT stmt, SQLUSMALLINT column, bool wide) {
    QByteArray data(0, '\0');
    if (!readPieces(stmt, column, SQL_C_BINARY, 0, wide, data)) return QVariant();
    return data;
}

// Reads a fixed-size value as C type 'cType' into a T and makes its QVariant with
// 'make'; nothing when the driver could not convert it (the caller falls back to
// text), a thrown Failure for any other error.
template <typename T, typename Make>
std::optional<QVariant> readFixed(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, bool wide, Make make) {
    T value{};
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, cType, &value, sizeof value, &indicator);
    if (!SQL_SUCCEEDED(rc)) {
        const auto diags = diagnostics(SQL_HANDLE_STMT, stmt, wide);
        // 07006 restricted data type, 22xxx conversion errors: read it as text instead.
        if (!diags.isEmpty() && (diags.first().state == QLatin1String("07006") || diags.first().state.startsWith(QLatin1String("22"))))
            return std::nullopt;
        throw Failure{diags, QStringLiteral("reading a value")};
    }
    if (indicator == SQL_NULL_DATA) return QVariant();
    return QVariant(make(value));
}

QVariant readValue(SQLHSTMT stmt, SQLUSMALLINT column, int sqlType, bool isUnsigned, bool wide) {
    const auto asInt = [](SQLINTEGER v) { return int(v); };
    const auto asInt64 = [](SQLBIGINT v) { return qint64(v); };
    const auto asDate = [](const auto& v) { return QDate(v.year, v.month, v.day); };
    std::optional<QVariant> value;
    switch (sqlType) {
    case SQL_BIT:
        value = readFixed<unsigned char>(stmt, column, SQL_C_BIT, wide, [](unsigned char v) { return v != 0; });
        break;
    case SQL_TINYINT: case SQL_SMALLINT:
        value = readFixed<SQLINTEGER>(stmt, column, SQL_C_SLONG, wide, asInt);
        break;
    case SQL_INTEGER:
        value = isUnsigned ? readFixed<SQLBIGINT>(stmt, column, SQL_C_SBIGINT, wide, asInt64)
                           : readFixed<SQLINTEGER>(stmt, column, SQL_C_SLONG, wide, asInt);
        break;
    case SQL_BIGINT:
        value = isUnsigned ? readFixed<SQLUBIGINT>(stmt, column, SQL_C_UBIGINT, wide, [](SQLUBIGINT v) { return quint64(v); })
                           : readFixed<SQLBIGINT>(stmt, column, SQL_C_SBIGINT, wide, asInt64);
        break;
    case SQL_REAL: case SQL_FLOAT: case SQL_DOUBLE:
        value = readFixed<double>(stmt, column, SQL_C_DOUBLE, wide, [](double v) { return v; });
        break;
    case SQL_TYPE_DATE: case SQL_DATE:
        value = readFixed<SQL_DATE_STRUCT>(stmt, column, SQL_C_TYPE_DATE, wide, asDate);
        break;
    case SQL_TYPE_TIME: case SQL_TIME:
        value = readFixed<SQL_TIME_STRUCT>(stmt, column, SQL_C_TYPE_TIME, wide,
                                           [](const SQL_TIME_STRUCT& v) { return QTime(v.hour, v.minute, v.second); });
        break;
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP:
        value = readFixed<SQL_TIMESTAMP_STRUCT>(stmt, column, SQL_C_TYPE_TIMESTAMP, wide, [&](const SQL_TIMESTAMP_STRUCT& v) {
            return QDateTime(asDate(v), QTime(v.hour, v.minute, v.second, int(v.fraction / 1000000)));
        });
        break;
    case SQL_BINARY: case SQL_VARBINARY: case SQL_LONGVARBINARY:
        return readBinary(stmt, column, wide);
    default:
        break;
    }
    // Numerics and decimals keep every digit as text; anything else, and a value the
    // driver could not convert, is read as text.
    return value ? *value : readText(stmt, column, wide);
}

struct ColumnInfo {
    QString name;
    SQLSMALLINT type = 0;
};

// SQLDescribeColW or SQLDescribeCol; Char is the character type of its name buffer.
template <typename Char>
using DescribeCol = SQLRETURN (*)(SQLHSTMT, SQLUSMALLINT, Char*, SQLSMALLINT, SQLSMALLINT*, SQLSMALLINT*, SQLULEN*,
                                  SQLSMALLINT*, SQLSMALLINT*);

template <typename Char>
ColumnInfo describeColumnWith(DescribeCol<Char> describe, SQLHSTMT stmt, SQLUSMALLINT column, bool wide) {
    ColumnInfo info;
    SQLSMALLINT nameLength = 0, digits = 0, nullable = 0;
    SQLULEN size = 0;
    Char name[1024 / sizeof(Char)];
    const qsizetype capacity = qsizetype(sizeof name / sizeof(Char));
    if (!SQL_SUCCEEDED(describe(stmt, column, name, SQLSMALLINT(capacity), &nameLength, &info.type, &size, &digits, &nullable)))
        failOn(stmt, "describing the result", wide);
    info.name = fromDriver(name, qMin<qsizetype>(nameLength, capacity - 1));
    return info;
}

ColumnInfo describeColumn(SQLHSTMT stmt, SQLUSMALLINT column, bool wide) {
    return wide ? describeColumnWith<SQLWCHAR>(SQLDescribeColW, stmt, column, wide)
                : describeColumnWith<SQLCHAR>(SQLDescribeCol, stmt, column, wide);
}

QString columnAttributeText(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field, bool wide) {
    return bufferText(wide, [&](SQLPOINTER buffer, SQLSMALLINT size, SQLSMALLINT* length) {
        return wide ? SQLColAttributeW(stmt, column, field, buffer, size, length, nullptr)
                    : SQLColAttribute(stmt, column, field, buffer, size, length, nullptr);
    });
}

// Reads the first result set that has columns. With a sink, rows go to it in batches
// of at most batchSize as they are fetched and the Result keeps none.
Result readResult(SQLHSTMT stmt, bool wide, int batchSize = 0, const RowSink* sink = nullptr) {
    Result result;
    SQLLEN rowCount = -1;
    if (SQL_SUCCEEDED(SQLRowCount(stmt, &rowCount))) result.rowCount = long(rowCount);

    SQLSMALLINT columns = 0;
    for (;;) {
        if (!SQL_SUCCEEDED(SQLNumResultCols(stmt, &columns))) failOn(stmt, "reading the result", wide);
        if (columns > 0) break;
        const SQLRETURN more = SQLMoreResults(stmt);
        if (more == SQL_NO_DATA) return result;
        if (!SQL_SUCCEEDED(more)) failOn(stmt, "reading the result", wide);
    }

    result.hasColumns = true;
    std::vector<bool> isUnsigned(size_t(columns), false);
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c) {
        const ColumnInfo info = describeColumn(stmt, c, wide);
        SQLLEN unsignedFlag = SQL_FALSE;
        if (!SQL_SUCCEEDED(SQLColAttribute(stmt, c, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &unsignedFlag)))
            unsignedFlag = SQL_FALSE;
        // Integer-like types only: some drivers call every non-numeric type unsigned.
        const int type = info.type;
        const bool isInteger = type == SQL_TINYINT || type == SQL_SMALLINT || type == SQL_INTEGER || type == SQL_BIGINT;
        isUnsigned[c - 1] = isInteger && unsignedFlag == SQL_TRUE;
        result.names << info.name;
        result.sqlTypes << type;
        result.adoTypes << adoTypeForSqlType(type, isUnsigned[c - 1]);
    }

    if (sink) (*sink)(result, {});
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc)) failOn(stmt, "fetching a row", wide);
        QVariantList row;
        row.reserve(columns);
        for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c)
            row << readValue(stmt, c, result.sqlTypes[c - 1], isUnsigned[c - 1], wide);
        result.rows << std::move(row);
        if (sink && result.rows.size() >= batchSize) (*sink)(result, std::exchange(result.rows, {}));
    }
    if (sink && !result.rows.isEmpty()) (*sink)(result, std::exchange(result.rows, {}));
    return result;
}

// The value of 'key' in an ODBC connection string, braces removed.
QString keyValue(const QString& connectionString, const char* key) { return attribute(connectionString, key); }

QString profileString(const QString& section, const char* key, const char* file) {
    char buffer[1024] = {};
    const QByteArray s = section.toUtf8();
    const int n = SQLGetPrivateProfileString(s.constData(), key, "", buffer, int(sizeof buffer), file);
    return n > 0 ? QString::fromUtf8(buffer, n).trimmed() : QString();
}

}  // namespace

SQLHENV environment() {
    static SQLHENV env = [] {
        SQLHENV handle = nullptr;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handle))) return SQLHENV(nullptr);
        SQLSetEnvAttr(handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return handle;
    }();
    if (!env) throw Failure{{}, QStringLiteral("creating the ODBC environment")};
    return env;
}

QStringList installedDrivers() {
    QStringList names;
    SQLHENV env = environment();
    static std::mutex mutex;  // SQLDrivers walks a cursor that lives in the environment
    std::lock_guard<std::mutex> lock(mutex);
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLCHAR name[512];
        SQLCHAR attributes[2048];
        SQLSMALLINT nameLength = 0, attributesLength = 0;
        const SQLRETURN rc = SQLDrivers(env, direction, name, SQLSMALLINT(sizeof name), &nameLength, attributes,
                                        SQLSMALLINT(sizeof attributes), &attributesLength);
        if (!SQL_SUCCEEDED(rc)) break;
        names << fromNarrow(name, qMin<qsizetype>(nameLength, qsizetype(sizeof name) - 1));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

namespace {

// SQLGetDiagRecW or SQLGetDiagRec; Char is the character type of its text buffers.
template <typename Char>
using GetDiagRec = SQLRETURN (*)(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, Char*, SQLINTEGER*, Char*, SQLSMALLINT, SQLSMALLINT*);

// Reads diagnostic record 'record' into 'd'; false when there is no such record.
template <typename Char>
bool readDiagnostic(GetDiagRec<Char> get, SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record, Diagnostic& d) {
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    Char state[6] = {};
    Char probe[1];
    // Ask for the length first so long messages come back whole.
    SQLRETURN rc = get(handleType, handle, record, state, &native, probe, 0, &length);
    if (rc == SQL_NO_DATA || rc == SQL_ERROR || rc == SQL_INVALID_HANDLE) return false;
    std::vector<Char> message(size_t(length) + 1, 0);
    rc = get(handleType, handle, record, state, &native, message.data(), SQLSMALLINT(message.size()), &length);
    if (!SQL_SUCCEEDED(rc)) return false;
    d.state = fromDriver(state, 5);
    d.message = fromDriver(message.data(), qMin<qsizetype>(length, qsizetype(message.size()) - 1)).trimmed();
    d.native = long(native);
    return true;
}

}  // namespace

QList<Diagnostic> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle, bool wide) {
    QList<Diagnostic> list;
    if (!handle) return list;
    for (SQLSMALLINT record = 1;; ++record) {
        Diagnostic d;
        const bool found = wide ? readDiagnostic<SQLWCHAR>(SQLGetDiagRecW, handleType, handle, record, d)
                                : readDiagnostic<SQLCHAR>(SQLGetDiagRec, handleType, handle, record, d);
        if (!found) break;
        list << d;
    }
    return list;
}

int adoTypeForSqlType(int sqlType, bool isUnsigned) {
    switch (sqlType) {
    case SQL_CHAR: return adChar;
    case SQL_VARCHAR: return adVarChar;
    case SQL_LONGVARCHAR: return adLongVarChar;
    case SQL_WCHAR: return adWChar;
    case SQL_WVARCHAR: return adVarWChar;
    case SQL_WLONGVARCHAR: return adLongVarWChar;
    case SQL_DECIMAL: case SQL_NUMERIC: return adNumeric;
    case SQL_SMALLINT: return isUnsigned ? adUnsignedSmallInt : adSmallInt;
    case SQL_INTEGER: return isUnsigned ? adUnsignedInt : adInteger;
    case SQL_REAL: return adSingle;
    case SQL_FLOAT: case SQL_DOUBLE: return adDouble;
    case SQL_BIT: return adBoolean;
    case SQL_TINYINT: return isUnsigned ? adUnsignedTinyInt : adTinyInt;
    case SQL_BIGINT: return isUnsigned ? adUnsignedBigInt : adBigInt;
    case SQL_BINARY: return adBinary;
    case SQL_VARBINARY: return adVarBinary;
    case SQL_LONGVARBINARY: return adLongVarBinary;
    case SQL_TYPE_DATE: case SQL_DATE: return adDBDate;
    case SQL_TYPE_TIME: case SQL_TIME: return adDBTime;
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP: return adDBTimeStamp;
    case SQL_GUID: return adGUID;
    default: return adVarWChar;  // read as text
    }
}

bool driverHasWideCalls(const QString& connectionString) {
    QString driver = keyValue(connectionString, "Driver");
    if (driver.isEmpty()) {
        const QString dsn = keyValue(connectionString, "DSN");
        if (dsn.isEmpty()) return true;
        driver = profileString(dsn, "Driver", "odbc.ini");
        if (driver.isEmpty()) return true;
    }
    QString library = driver.contains(QLatin1Char('/')) ? driver : profileString(driver, "Driver", "odbcinst.ini");
    if (library.isEmpty()) return true;

    static std::mutex mutex;
    static QHash<QString, bool> known;  // library -> has the wide calls
    std::lock_guard<std::mutex> lock(mutex);
    const auto it = known.constFind(library);
    if (it != known.constEnd()) return it.value();

    // A bare file name is looked for the way the driver manager does: on the library
    // path, then in the "odbc" folder beside the driver manager's own library.
    QStringList candidates{library};
    if (!library.contains(QLatin1Char('/'))) {
        Dl_info self{};
        if (dladdr(reinterpret_cast<void*>(&SQLAllocHandle), &self) && self.dli_fname)
            candidates << QFileInfo(QString::fromLocal8Bit(self.dli_fname)).absolutePath() + QStringLiteral("/odbc/") + library;
    }
    bool wide = true;
    for (const QString& candidate : candidates) {
        void* handle = dlopen(candidate.toLocal8Bit().constData(), RTLD_LAZY | RTLD_LOCAL);
        if (!handle) continue;
        wide = dlsym(handle, "SQLDriverConnectW") != nullptr && dlsym(handle, "SQLExecDirectW") != nullptr;
        dlclose(handle);
        break;
    }
    known.insert(library, wide);
    return wide;
}

TextArg::TextArg(const QVariant& value, bool wide)
    : m_null(value.isNull()), m_wide(wide), m_utf16(value.toString()), m_utf8(m_utf16.toUtf8()) {}

SQLWCHAR* TextArg::wide() { return m_null ? nullptr : wideText(m_utf16); }

SQLCHAR* TextArg::narrow() { return m_null ? nullptr : reinterpret_cast<SQLCHAR*>(m_utf8.data()); }

SQLSMALLINT TextArg::length() const {
    if (m_null) return 0;
    const qsizetype size = m_wide ? m_utf16.size() : m_utf8.size();
    // A length that does not fit 16 bits is not cut: the text ends in a null character.
    return size > 32767 ? SQLSMALLINT(SQL_NTS) : SQLSMALLINT(size);
}

Connection::~Connection() { close(); }

void Connection::connect(const QString& connectionString, int loginTimeout) {
    close();
    const bool wide = driverHasWideCalls(connectionString);
    // The length argument is 16 bits wide. A longer string is refused rather than cut
    // (a cut string connects to whatever its first characters name), and drivers do not
    // take it as a null-terminated string either (the PostgreSQL driver crashes on it).
    const qsizetype length = wide ? connectionString.size() : connectionString.toUtf8().size();
    if (length > kMaxConnectionStringLength)
        throw Failure{{}, QStringLiteral("opening a connection string of %1 characters; drivers take at most %2")
                              .arg(length)
                              .arg(kMaxConnectionStringLength)};
    SQLHDBC dbc = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, environment(), &dbc)))
        throw Failure{diagnostics(SQL_HANDLE_ENV, environment()), QStringLiteral("allocating a connection")};
    if (loginTimeout > 0)
        SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeout)), 0);
    SQLRETURN rc;
    SQLSMALLINT outLength = 0;
    if (wide) {
        SQLWCHAR out[2048];
        const QString text = connectionString;
        rc = SQLDriverConnectW(dbc, nullptr, wideText(text), SQLSMALLINT(text.size()), out, SQLSMALLINT(sizeof out / sizeof(SQLWCHAR)),
                               &outLength, SQL_DRIVER_NOPROMPT);
    } else {
        SQLCHAR out[4096];
        QByteArray text = connectionString.toUtf8();
        rc = SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQLSMALLINT(text.size()), out,
                              SQLSMALLINT(sizeof out), &outLength, SQL_DRIVER_NOPROMPT);
    }
    if (!SQL_SUCCEEDED(rc)) {
        Failure failure{diagnostics(SQL_HANDLE_DBC, dbc, wide), QStringLiteral("connecting")};
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        throw failure;
    }
    m_dbc = dbc;
    m_wide = wide;
}

void Connection::close() {
    if (!m_dbc) return;
    SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    m_dbc = nullptr;
}

Result Connection::execute(const QString& sql, int queryTimeout) { return run(sql, queryTimeout, 0, nullptr); }

Result Connection::executeInBatches(const QString& sql, int queryTimeout, int batchSize, const RowSink& sink) {
    return run(sql, queryTimeout, qMax(1, batchSize), &sink);
}

Result Connection::run(const QString& sql, int queryTimeout, int batchSize, const RowSink* sink) {
    Statement stmt(m_dbc, m_wide);
    const RunningStatement running(*this, stmt.get());
    if (queryTimeout > 0)
        SQLSetStmtAttr(stmt.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(queryTimeout)), 0);
    const SQLRETURN rc = withStatementText(stmt.get(), sql, m_wide, SQLExecDirectW, SQLExecDirect);
    // SQL_NO_DATA: a searched UPDATE or DELETE that touched no row.
    if (rc == SQL_NO_DATA) {
        Result none;
        none.rowCount = 0;
        return none;
    }
    if (!SQL_SUCCEEDED(rc)) stmt.fail(QStringLiteral("running the statement"));
    return readResult(stmt.get(), m_wide, batchSize, sink);
}

Result Connection::catalogue(const std::function<SQLRETURN(SQLHSTMT)>& start) {
    Statement stmt(m_dbc, m_wide);
    const RunningStatement running(*this, stmt.get());
    const SQLRETURN rc = start(stmt.get());
    if (rc == SQL_NO_DATA) return Result{};
    if (!SQL_SUCCEEDED(rc)) stmt.fail(QStringLiteral("reading the catalogue"));
    return readResult(stmt.get(), m_wide);
}

QList<QPair<QString, QString>> Connection::baseColumns(const QString& sql) {
    QList<QPair<QString, QString>> list;
    Statement stmt(m_dbc, m_wide);
    const SQLRETURN rc = withStatementText(stmt.get(), sql, m_wide, SQLPrepareW, SQLPrepare);
    if (!SQL_SUCCEEDED(rc)) stmt.fail(QStringLiteral("preparing the statement"));
    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(stmt.get(), &columns))) stmt.fail(QStringLiteral("describing the result"));
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c)
        list << qMakePair(columnAttributeText(stmt.get(), c, SQL_DESC_BASE_TABLE_NAME, m_wide),
                          columnAttributeText(stmt.get(), c, SQL_DESC_BASE_COLUMN_NAME, m_wide));
    return list;
}

void Connection::cancel() {
    std::lock_guard<std::mutex> lock(m_runningMutex);
    if (m_running) SQLCancel(m_running);
}

QString Connection::infoText(SQLUSMALLINT item) const {
    if (!m_dbc) return QString();
    return bufferText(m_wide, [&](SQLPOINTER buffer, SQLSMALLINT size, SQLSMALLINT* length) {
        return m_wide ? SQLGetInfoW(m_dbc, item, buffer, size, length) : SQLGetInfo(m_dbc, item, buffer, size, length);
    });
}

QString Connection::currentCatalog() const {
    if (!m_dbc || infoText(SQL_CATALOG_NAME) != QLatin1String("Y")) return QString();
    SQLWCHAR buffer[512] = {};
    SQLINTEGER length = 0;
    const SQLRETURN rc = m_wide ? SQLGetConnectAttrW(m_dbc, SQL_ATTR_CURRENT_CATALOG, buffer, SQLINTEGER(sizeof buffer), &length)
                                : SQLGetConnectAttr(m_dbc, SQL_ATTR_CURRENT_CATALOG, buffer, SQLINTEGER(sizeof buffer), &length);
    if (!SQL_SUCCEEDED(rc) || length <= 0) return QString();
    const QString name =
        m_wide ? fromWide(buffer, qMin<qsizetype>(length / qsizetype(sizeof(SQLWCHAR)), qsizetype(sizeof buffer / sizeof(SQLWCHAR)) - 1))
               : fromNarrow(reinterpret_cast<const SQLCHAR*>(buffer), qMin<qsizetype>(length, qsizetype(sizeof buffer) - 1));
    return name.isEmpty() ? QString() : name;
}

QList<QPair<QString, QString>> attributes(const QString& connectionString) {
    QList<QPair<QString, QString>> list;
    const QString& t = connectionString;
    qsizetype i = 0;
    while (i < t.size()) {
        const qsizetype eq = t.indexOf(QLatin1Char('='), i);
        const qsizetype semi = t.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            if (semi < 0) break;
            i = semi + 1;
            continue;
        }
        const QString key = t.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < t.size() && t[i] == QLatin1Char(' ')) ++i;
        QString value;
        if (i < t.size() && t[i] == QLatin1Char('{')) {
            // {...}: everything up to the first "}" not doubled, ";" included.
            for (++i; i < t.size(); ++i) {
                if (t[i] == QLatin1Char('}')) {
                    if (i + 1 < t.size() && t[i + 1] == QLatin1Char('}')) {
                        value += QLatin1Char('}');
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += t[i];
            }
            const qsizetype next = t.indexOf(QLatin1Char(';'), i);
            i = next < 0 ? t.size() : next + 1;
        } else {
            const qsizetype next = t.indexOf(QLatin1Char(';'), i);
            value = t.mid(i, (next < 0 ? t.size() : next) - i).trimmed();
            i = next < 0 ? t.size() : next + 1;
        }
        if (!key.isEmpty()) list.append({key, value});
    }
    return list;
}

QString attribute(const QString& connectionString, const char* key, bool* found) {
    for (const auto& [k, v] : attributes(connectionString))
        if (k.compare(QLatin1String(key), Qt::CaseInsensitive) == 0) {
            if (found) *found = true;
            return v;
        }
    if (found) *found = false;
    return QString();
}

QString driverName(const QString& connectionString) {
    const QString driver = attribute(connectionString, "Driver");
    if (!driver.isEmpty()) return driver;
    const QString dsn = attribute(connectionString, "DSN");
    return dsn.isEmpty() ? QString() : profileString(dsn, "Driver", "odbc.ini");
}

QString quoteValue(const QString& value) {
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{')) && !value.contains(QLatin1Char('}'))
        && value.trimmed() == value)
        return value;
    QString quoted = value;
    quoted.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + quoted + QLatin1Char('}');
}

}  // namespace platform::ado::odbc
