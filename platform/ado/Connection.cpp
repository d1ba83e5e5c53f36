// Connection and Command: opening through the ODBC gateway, running statements,
// answering schema requests, and turning driver diagnostics into ADO errors.

#include "platform/ado/AccessCatalog.h"
#include "platform/OffThread.h"
#include "platform/ado/Ado.h"
#include "platform/ado/LinkSockets.h"
#include "platform/ado/Odbc.h"
#include "platform/ado/SchemaRowsets.h"

#include "platform/Error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace platform::ado {

namespace {

constexpr long adErrObjectOpen = 3705;
constexpr long adErrInvalidConnection = 3709;

// How long a cancelled statement may take to end before its link to the server is
// broken: the cancel request travels over a link of its own and a server that still
// answers ends the statement within milliseconds.
constexpr qint64 kCancelGraceMs = 400;

bool looksLikeLoginFailure(const odbc::Diagnostic& d) {
    if (d.state == QLatin1String("28000") || d.state == QLatin1String("28P01")) return true;
    static const char* const texts[] = {"password authentication failed", "login failed", "no password supplied",
                                        "ORA-01017", "invalid username/password", "authentication failed"};
    for (const char* t : texts)
        if (d.message.contains(QLatin1String(t), Qt::CaseInsensitive)) return true;
    return false;
}

bool looksLikeMissingDriver(const odbc::Diagnostic& d) {
    return d.state == QLatin1String("IM002") || d.state == QLatin1String("IM003")
           || d.message.contains(QLatin1String("Can't open lib"), Qt::CaseInsensitive);
}

bool looksLikeTimeout(const odbc::Diagnostic& d) {
    return d.state == QLatin1String("HYT00") || d.state == QLatin1String("HYT01") ||
           d.message.contains(QLatin1String("timeout expired"), Qt::CaseInsensitive) ||
           d.message.contains(QLatin1String("timed out"), Qt::CaseInsensitive);
}

bool looksLikeCancel(const odbc::Diagnostic& d) {
    return d.state == QLatin1String("HY008") || d.message.contains(QLatin1String("canceling statement"), Qt::CaseInsensitive);
}

// The ADO number for a failure: opening (true) or running a command (false).
long numberFor(const odbc::Failure& failure, bool opening) {
    for (const auto& d : failure.diagnostics)
        if (looksLikeCancel(d)) return adErrCancelled;
    for (const auto& d : failure.diagnostics)
        if (looksLikeTimeout(d)) return adErrTimeout;
    for (const auto& d : failure.diagnostics)
        if (looksLikeLoginFailure(d)) return adErrLoginFailed;
    for (const auto& d : failure.diagnostics)
        if (looksLikeMissingDriver(d)) return adErrProviderNotFound;
    if (!failure.diagnostics.isEmpty() && failure.diagnostics.first().state.startsWith(QLatin1String("08")))
        return adErrGeneric;
    return opening ? adErrGeneric : adErrCommandFailed;
}

// The diagnostic that explains the failure best: the first error (not a warning of
// class 01) when there is one.
const odbc::Diagnostic* decidingDiagnostic(const odbc::Failure& failure) {
    for (const auto& d : failure.diagnostics)
        if (!d.state.startsWith(QLatin1String("01"))) return &d;
    return failure.diagnostics.isEmpty() ? nullptr : &failure.diagnostics.first();
}

bool namesSqliteDriver(const QString& odbcString) {
    return odbc::driverName(odbcString).contains(QLatin1String("sqlite"), Qt::CaseInsensitive);
}

// The SQLite driver makes an empty database for a file that is not there unless the
// string says NoCreat: a mistyped path would then document 0 tables. NoCreat=1 is
// added unless the string sets NoCreat itself, and a missing file is refused before
// the driver is asked.
QString guardSqliteString(const QString& odbcString) {
    bool hasNoCreat = false;
    const QString noCreat = odbc::attribute(odbcString, "NoCreat", &hasNoCreat);
    if (hasNoCreat && noCreat.trimmed() == QLatin1String("0")) return odbcString;
    const QString file = odbc::attribute(odbcString, "Database");
    const bool inMemory = file == QLatin1String(":memory:") || file.startsWith(QLatin1String("file:"), Qt::CaseInsensitive);
    if (!file.isEmpty() && !inMemory && !QFileInfo(file).isFile())
        throw RuntimeError(err::FileNotFound, QStringLiteral("File does not exist, please enter a valid file name"));
    return hasNoCreat ? odbcString : odbcString + QStringLiteral(";NoCreat=1");
}

bool isPlainSelect(const QString& sql) {
    // The first word after blanks, comments and opening brackets.
    qsizetype i = 0;
    const qsizetype n = sql.size();
    for (;;) {
        while (i < n && (sql[i].isSpace() || sql[i] == QLatin1Char('('))) ++i;
        if (sql.mid(i, 2) == QLatin1String("--")) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? n : end + 1;
        } else if (sql.mid(i, 2) == QLatin1String("/*")) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else {
            break;
        }
    }
    if (sql.mid(i, 6).compare(QLatin1String("select"), Qt::CaseInsensitive) != 0) return false;
    if (i + 6 < n && (sql[i + 6].isLetterOrNumber() || sql[i + 6] == QLatin1Char('_'))) return false;
    // SELECT ... INTO makes a table: look for the word INTO outside quoted text.
    QChar quote;
    QString word;
    for (qsizetype k = i; k <= n; ++k) {
        const QChar c = k < n ? sql[k] : QChar(u' ');
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[') || c == QLatin1Char('`')) {
            quote = c == QLatin1Char('[') ? QChar(u']') : c;
            word.clear();
            continue;
        }
        if (c.isLetterOrNumber() || c == QLatin1Char('_')) {
            word += c;
        } else {
            if (word.compare(QLatin1String("into"), Qt::CaseInsensitive) == 0) return false;
            word.clear();
        }
    }
    return true;
}

}  // namespace

class ConnectionImpl {
public:
    odbc::Connection odbc;
    QList<Error> errors;
    QString dbmsName;
    QString odbcString;
    std::optional<QString> defaultSchema;  // read on first use; reset when a statement may change it
    schema::Cache cache;
    schema::AccessSource access;
    // The sockets the driver opened for this connection (empty where they could not
    // be told from others), and whether they were shut down to end a cancelled call.
    std::mutex linkMutex;
    std::vector<link::Socket> links;
    std::atomic<bool> linkBroken{false};

    void setLinks(std::vector<link::Socket> sockets) {
        const std::lock_guard<std::mutex> lock(linkMutex);
        links = std::move(sockets);
        linkBroken = false;
    }

    // Ends a call that waits on a server that no longer answers: the driver's blocked
    // read fails and the call returns. The connection cannot be used afterwards.
    // 'more' are further sockets to shut down with them (a cancel request's).
    void breakLink(const std::vector<link::Socket>& more) {
        const std::lock_guard<std::mutex> lock(linkMutex);
        linkBroken = true;
        link::shutDown(links);
        link::shutDown(more);
    }

    [[noreturn]] void fail(const odbc::Failure& failure, bool opening) {
        const long number = linkBroken ? adErrCancelled : numberFor(failure, opening);
        errors.clear();
        for (const auto& d : failure.diagnostics) {
            Error e;
            e.Number = number;
            e.Description = d.message;
            e.SQLState = d.state;
            e.NativeError = d.native;
            e.Source = QStringLiteral("ODBC");
            errors << e;
        }
        const odbc::Diagnostic* deciding = decidingDiagnostic(failure);
        QString description = deciding ? deciding->message : QString();
        if (description.isEmpty())
            description = failure.context.isEmpty() ? QStringLiteral("The ODBC call failed.")
                                                    : QStringLiteral("The ODBC call failed while ") + failure.context + QLatin1Char('.');
        // Keep the deciding diagnostic first, as callers read the first entry.
        if (deciding && deciding != &failure.diagnostics.first()) {
            const qsizetype at = deciding - failure.diagnostics.constData();
            errors.move(at, 0);
        }
        throw RuntimeError(number, description);
    }

    void requireOpen() const {
        if (!odbc.isOpen())
            throw RuntimeError(adErrClosed, QStringLiteral("Operation is not allowed when the object is closed."));
    }

    schema::Rowset read(int schemaId) {
        if (access.isAccess()) {
            switch (schemaId) {
            case adSchemaTables: case adSchemaColumns: case adSchemaPrimaryKeys: case adSchemaIndexes:
            case adSchemaForeignKeys:
                return schema::readAccess(access.catalog(), schemaId);
            default: break;
            }
        }
        switch (schema::engineFor(dbmsName)) {
        case schema::Engine::PostgreSQL: return schema::readPostgres(odbc, schemaId);
        case schema::Engine::SQLite: return schema::readSqlite(odbc, schemaId, cache.sqlite);
        case schema::Engine::MariaDB: return schema::readMariadb(odbc, schemaId);
        case schema::Engine::Other: break;
        }
        return schema::readOdbc(odbc, schemaId);
    }
};

Connection::Connection() : d(std::make_unique<ConnectionImpl>()) {}
Connection::~Connection() = default;

int Connection::State() const { return d->odbc.isOpen() ? adStateOpen : adStateClosed; }

void Connection::RunWaiting(const std::function<void()>& work, bool cancellable) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!WaitInEventLoop || !app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    QEventLoop loop, cancelLoop;
    QTimer poll;
    bool cancelled = false, broken = false;
    QElapsedTimer sinceCancel;
    // The cancel request goes out on a thread of its own: the driver sends it over a
    // new link and waits for the server's answer, which a server that stopped
    // answering never gives. Its link is broken together with the connection's.
    std::unique_ptr<link::OpeningWatch> cancelWatch;
    std::thread canceller;
    std::atomic<bool> cancelSent{false};
    if (cancellable && CancelRequested) {
        QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
            if (!cancelled) {
                if (!CancelRequested()) return;
                cancelled = true;
                sinceCancel.start();
                cancelWatch = std::make_unique<link::OpeningWatch>();
                canceller = std::thread([this, &cancelSent] {
                    Cancel();
                    cancelSent = true;
                });
            } else if (!broken && sinceCancel.elapsed() >= kCancelGraceMs) {
                // The cancel did not end the call: the server (or the way to it) has
                // stopped answering.
                broken = true;
                d->breakLink(cancelWatch->opened(true));
            }
            if (cancelSent) cancelLoop.quit();
        });
        poll.start(100);
    }
    std::exception_ptr failure;
    try {
        platform::RunOffThread(work, loop);
    } catch (...) {
        failure = std::current_exception();
    }
    // A cancel request still under way is waited for in the same way.
    if (canceller.joinable()) {
        while (!cancelSent) cancelLoop.exec();
        canceller.join();
    }
    poll.stop();
    if (d->linkBroken) {
        // Whatever the call made of the failed reads (a reader may pass over a failed
        // statement), its result is incomplete: it ends as cancelled, and the broken
        // connection is closed.
        Close();
        Error e;
        e.Number = adErrCancelled;
        e.Description = QStringLiteral("The operation was cancelled. The server did not answer, so the connection was closed.");
        e.Source = QStringLiteral("ODBC");
        d->errors = {e};
        throw RuntimeError(e.Number, e.Description);
    }
    if (failure) std::rethrow_exception(failure);
}

void Connection::Open(const QString& connectionString, const QString& userId, const QString& password) {
    RunWaiting([&] { OpenHere(connectionString, userId, password); }, false);
}

RecordsetPtr Connection::Execute(const QString& commandText, long* recordsAffected) {
    RecordsetPtr rs;
    RunWaiting([&] { rs = ExecuteHere(commandText, recordsAffected); }, true);
    return rs;
}

RecordsetPtr Connection::OpenSchema(int schemaId, const QVariantList& restrictions) {
    // A rowset already read is answered from memory: no statement runs, so neither a
    // worker thread nor a wait is wanted (an import asks this tens of times per table).
    if (d->cache.holds(schemaId)) return OpenSchemaHere(schemaId, restrictions);
    RecordsetPtr rs;
    RunWaiting([&] { rs = OpenSchemaHere(schemaId, restrictions); }, true);
    return rs;
}

void Connection::OpenHere(const QString& connectionString, const QString& userId, const QString& password) {
    if (d->odbc.isOpen())
        throw RuntimeError(adErrObjectOpen, QStringLiteral("Operation is not allowed when the object is open."));
    d->errors.clear();
    if (!connectionString.isEmpty()) ConnectionString = connectionString;
    QString odbcString = TranslateConnectionString(ConnectionString);
    if (!userId.isEmpty()) odbcString += QStringLiteral(";UID=") + odbc::quoteValue(userId);
    if (!password.isEmpty()) odbcString += QStringLiteral(";PWD=") + odbc::quoteValue(password);
    if (odbcString.size() > odbc::kMaxConnectionStringLength)
        throw RuntimeError(err::InvalidArgument, QStringLiteral("The connection string is too long: it has %1 characters, and "
                                                                "at most %2 can be used.")
                                                     .arg(odbcString.size())
                                                     .arg(odbc::kMaxConnectionStringLength));
    const bool sqlite = namesSqliteDriver(odbcString);
    if (sqlite) odbcString = guardSqliteString(odbcString);
    d->access.open(odbcString, ConnectionString);
    try {
        link::OpeningWatch watch;
        d->odbc.connect(odbcString, ConnectionTimeout);
        d->setLinks(watch.opened());
        // SQLite opens the file lazily: a file that is not a database shows at the first read.
        if (sqlite) d->odbc.execute(QStringLiteral("SELECT count(*) FROM sqlite_master"), ConnectionTimeout);
    } catch (const odbc::Failure& failure) {
        d->odbc.close();
        for (const auto& diagnostic : failure.diagnostics)
            if (diagnostic.message.contains(QLatin1String("not a database"), Qt::CaseInsensitive))
                throw RuntimeError(err::InvalidFileFormat,
                                   QStringLiteral("The file \"%1\" is not a SQLite database. Please select a valid database file.")
                                       .arg(odbc::attribute(odbcString, "Database")));
        d->fail(failure, true);
    }
    d->odbcString = odbcString;
    d->dbmsName = d->odbc.infoText(SQL_DBMS_NAME);
    d->defaultSchema.reset();
    d->cache.clear();
}

void Connection::Cancel() { d->odbc.cancel(); }

void Connection::Close() {
    d->setLinks({});
    d->cache.clear();
    d->access.close();
    d->odbc.close();
}

RecordsetPtr Connection::ExecuteHere(const QString& commandText, long* recordsAffected) {
    d->requireOpen();
    d->errors.clear();
    // A statement other than a query may change the catalogue.
    if (!isPlainSelect(commandText)) {
        d->cache.clear();
        d->access.clear();
        d->defaultSchema.reset();
    }
    odbc::Result result;
    try {
        result = d->odbc.execute(commandText, CommandTimeout);
    } catch (const odbc::Failure& failure) {
        d->fail(failure, false);
    }
    if (recordsAffected) *recordsAffected = result.rowCount;
    if (!result.hasColumns) return std::make_shared<Recordset>();
    return std::make_shared<Recordset>(result.names, result.adoTypes, std::move(result.rows));
}

void Connection::ExecuteInBatches(const QString& commandText, int batchSize,
                                  const std::function<void(const QStringList& names)>& onColumns,
                                  const std::function<void(QList<QVariantList>&& rows)>& onRows, long* recordsAffected) {
    d->requireOpen();
    d->errors.clear();
    if (!isPlainSelect(commandText)) d->cache.clear();
    RunWaiting([&] {
        odbc::Result result;
        bool described = false;
        try {
            result = d->odbc.executeInBatches(commandText, CommandTimeout, batchSize,
                                              [&](const odbc::Result& columns, QList<QVariantList>&& batch) {
                                                  if (!described) {
                                                      described = true;
                                                      onColumns(columns.names);
                                                  }
                                                  if (!batch.isEmpty()) onRows(std::move(batch));
                                              });
        } catch (const odbc::Failure& failure) {
            d->fail(failure, false);
        }
        if (recordsAffected) *recordsAffected = result.rowCount;
    }, true);
}

RecordsetPtr Connection::OpenSchemaHere(int schemaId, const QVariantList& restrictions) {
    d->requireOpen();
    d->errors.clear();
    const schema::Definition* def = schema::definition(schemaId);
    if (!def)
        throw RuntimeError(adErrNotSupported, QStringLiteral("Object or provider is not capable of performing requested operation."));
    try {
        return d->cache.answer(*def, restrictions, [this](int s) { return d->read(s); });
    } catch (const odbc::Failure& failure) {
        d->fail(failure, false);
    }
}

void Connection::ReleaseSchemaCache() { d->cache.clear(); }

const QList<Error>& Connection::Errors() const { return d->errors; }

QString Connection::DbmsName() const { return d->dbmsName; }

QString Connection::OdbcConnectionString() const { return d->odbcString; }

QString Connection::DefaultSchema() const {
    if (!d->odbc.isOpen()) return QString();
    if (!d->defaultSchema) {
        d->defaultSchema = QString();
        if (schema::engineFor(d->dbmsName) == schema::Engine::PostgreSQL) {
            try {
                const odbc::Result r = d->odbc.execute(QStringLiteral("SELECT current_schema()"));
                if (!r.rows.isEmpty()) d->defaultSchema = r.rows.first().value(0).toString();  // Null: an empty search path
            } catch (const odbc::Failure&) {
                // Left empty: nothing is qualified.
            }
        }
    }
    return *d->defaultSchema;
}

RecordsetPtr Command::Execute(long* recordsAffected) {
    if (!ActiveConnection || ActiveConnection->State() != adStateOpen)
        throw RuntimeError(adErrInvalidConnection,
                           QStringLiteral("The connection cannot be used to perform this operation. It is either closed "
                                          "or invalid in this context."));
    return ActiveConnection->Execute(CommandText, recordsAffected);
}

}  // namespace platform::ado
