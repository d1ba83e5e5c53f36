#include "platform/dmo/Dmo.h"

#include "platform/Error.h"
#include "platform/ado/Odbc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <odbcinst.h>
#include <sql.h>
#include <sqlext.h>

namespace platform::dmo {

namespace {

// Drivers that talk to SQL Server, by the name odbcinst.ini gives them.
bool isSqlServerDriver(const QString& driver) {
    return driver.contains(QLatin1String("TDS"), Qt::CaseInsensitive)
           || driver.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive);
}

// A value of a data source's entry in odbc.ini (user entries first, then system).
QString dataSourceValue(const QString& dsn, const char* key) {
    char buffer[1024] = {};
    const QByteArray section = dsn.toLocal8Bit();
    const int n = SQLGetPrivateProfileString(section.constData(), key, "", buffer, int(sizeof buffer), "odbc.ini");
    if (n <= 0) return QString();
    return QString::fromLocal8Bit(buffer).trimmed();
}

// The configured data sources as (name, driver) pairs.
QList<QPair<QString, QString>> dataSources() {
    QList<QPair<QString, QString>> out;
    SQLHENV env = ado::odbc::environment();
    if (!env) throw RuntimeError(err::ComponentMissing, QStringLiteral("The ODBC driver manager cannot be used."));
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR description[512];
    SQLSMALLINT nameLength = 0, descriptionLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        const SQLRETURN rc = SQLDataSources(env, direction, name, SQLSMALLINT(sizeof name), &nameLength, description,
                                            SQLSMALLINT(sizeof description), &descriptionLength);
        if (rc == SQL_NO_DATA) break;
        if (!SQL_SUCCEEDED(rc))
            throw RuntimeError(err::InvalidArgument, QStringLiteral("The ODBC data sources cannot be listed."));
        out.append({QString::fromLocal8Bit(reinterpret_cast<const char*>(name)),
                    QString::fromLocal8Bit(reinterpret_cast<const char*>(description))});
        direction = SQL_FETCH_NEXT;
    }
    return out;
}

void appendOnce(QStringList& list, const QString& name) {
    if (name.isEmpty()) return;
    for (const QString& existing : list)
        if (existing.compare(name, Qt::CaseInsensitive) == 0) return;
    list.append(name);
}

}  // namespace

QStringList FreeTdsServers(const QString& confText) {
    static const QRegularExpression section(QStringLiteral("^\\s*\\[([^\\]]+)\\]"));
    QStringList out;
    for (const QString& line : confText.split(QLatin1Char('\n'))) {
        const auto m = section.match(line);
        if (!m.hasMatch()) continue;
        const QString name = m.captured(1).trimmed();
        if (name.compare(QLatin1String("global"), Qt::CaseInsensitive) == 0) continue;
        appendOnce(out, name);
    }
    return out;
}

QStringList FreeTdsConfFiles() {
    QStringList candidates;
    const QString explicitFile = qEnvironmentVariable("FREETDSCONF");
    if (!explicitFile.isEmpty()) {
        candidates << explicitFile;
    } else {
        candidates << QDir::homePath() + QStringLiteral("/.freetds.conf") << QStringLiteral("/etc/freetds/freetds.conf");
    }
    QStringList out;
    for (const QString& file : candidates)
        if (QFileInfo(file).isFile()) out << file;
    return out;
}

QStringList ListAvailableSQLServers() {
    QStringList servers;
    for (const auto& [dsn, driver] : dataSources()) {
        if (!isSqlServerDriver(driver)) continue;
        // A FreeTDS data source names a freetds.conf server or a host; others a server.
        QString server = dataSourceValue(dsn, "Servername");
        if (server.isEmpty()) server = dataSourceValue(dsn, "Server");
        appendOnce(servers, server.isEmpty() ? dsn : server);
    }
    for (const QString& file : FreeTdsConfFiles()) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) continue;
        for (const QString& name : FreeTdsServers(QString::fromLocal8Bit(f.readAll()))) appendOnce(servers, name);
    }
    return servers;
}

bool IsLoginFailure(long number, const QList<ado::Error>& errors) {
    if (number == ado::adErrLoginFailed || number == LoginFailed) return true;
    if (errors.isEmpty()) return false;
    const ado::Error& first = errors.first();
    return first.Number == ado::adErrLoginFailed || first.SQLState == QLatin1String("28000")
           || first.NativeError == LoginFailed;
}

SQLServer::SQLServer() = default;
SQLServer::~SQLServer() = default;

QString SQLServer::ConnectionStringFor(const QString& serverName, bool loginSecure, const QString& login,
                                       const QString& password) {
    const auto quoted = [](const QString& v) { return ado::QuoteConnectionValue(v); };
    QString s = QStringLiteral("Provider=SQLOLEDB;Initial Catalog=master;Data Source=") + quoted(serverName);
    if (loginSecure) return s + QStringLiteral(";Integrated Security=SSPI");
    return s + QStringLiteral(";User Id=") + quoted(login) + QStringLiteral(";Password=") + quoted(password);
}

void SQLServer::Connect(const QString& serverName, const QString& login, const QString& password) {
    DisConnect();
    auto connection = std::make_unique<ado::Connection>();
    connection->ConnectionTimeout = LoginTimeout;
    try {
        connection->Open(ConnectionStringFor(serverName, LoginSecure, login, password));
    } catch (const RuntimeError& e) {
        if (IsLoginFailure(e.number(), connection->Errors()))
            throw RuntimeError(LoginFailed, QStringLiteral("Login failed for user '%1'.").arg(login));
        throw;
    }
    m_connection = std::move(connection);
}

QStringList SQLServer::Databases() {
    if (!m_connection || m_connection->State() != ado::adStateOpen)
        throw RuntimeError(ado::adErrClosed, QStringLiteral("Operation is not allowed when the object is closed."));
    ado::RecordsetPtr rs = m_connection->Execute(QStringLiteral("SELECT name FROM master.dbo.sysdatabases ORDER BY name"));
    QStringList names;
    if (!rs || rs->State() != ado::adStateOpen) return names;
    for (const QVariantList& row : rs->Rows())
        if (!row.isEmpty()) names << row.first().toString();
    return names;
}

void SQLServer::DisConnect() {
    if (m_connection && m_connection->State() == ado::adStateOpen) m_connection->Close();
    m_connection.reset();
}

}  // namespace platform::dmo
