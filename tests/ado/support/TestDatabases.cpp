#include "tests/ado/support/TestDatabases.h"

#include "platform/Error.h"
#include "platform/ado/Ado.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextStream>

#include <sqlite3.h>

#include <atomic>
#include <mutex>
#include <stdexcept>

namespace testdb {

namespace {

// The folder holding the installed ODBC driver libraries.
QString driverFolder(const QString& library) {
    QStringList folders{QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc"), QStringLiteral("/usr/lib/aarch64-linux-gnu/odbc")};
    for (const QFileInfo& info : QDir(QStringLiteral("/usr/lib")).entryInfoList({QStringLiteral("*-linux-gnu")}, QDir::Dirs))
        folders << info.filePath() + QStringLiteral("/odbc");
    folders << QStringLiteral("/usr/lib/odbc") << QStringLiteral("/usr/lib64") << QStringLiteral("/usr/local/lib/odbc")
            << QStringLiteral("/usr/local/lib");
    for (const QString& folder : folders)
        if (QFileInfo::exists(folder + QLatin1Char('/') + library)) return folder;
    return QString();
}

struct Registry {
    QTemporaryDir dir;
    QStringList drivers;
};

Registry& registry() {
    // Made on first use; the folder goes with the process's static objects.
    static Registry reg;
    static const bool ready = [] {
        struct Entry {
            const char* name;
            const char* library;
            const char* extra;
        };
        const Entry entries[] = {
            {"SQLite3", "libsqlite3odbc.so", ""},
            {"PostgreSQL Unicode", "psqlodbcw.so", "Debug=0\nCommLog=0\n"},
            {"FreeTDS", "libtdsodbc.so", ""},
            {"MDBTools", "libmdbodbc.so", ""},
            {"MariaDB Unicode", "libmaodbc.so", ""},
        };
        QString ini = QStringLiteral("[ODBC]\nTrace=No\n\n");
        for (const Entry& e : entries) {
            const QString folder = driverFolder(QLatin1String(e.library));
            if (folder.isEmpty()) continue;
            ini += QStringLiteral("[%1]\nDriver=%2/%3\n%4\n").arg(QLatin1String(e.name), folder, QLatin1String(e.library),
                                                                   QLatin1String(e.extra));
            reg.drivers << QLatin1String(e.name);
        }
        QFile file(reg.dir.filePath(QStringLiteral("odbcinst.ini")));
        if (file.open(QIODevice::WriteOnly)) file.write(ini.toUtf8());
        file.close();
        QFile dsn(reg.dir.filePath(QStringLiteral("odbc.ini")));
        if (dsn.open(QIODevice::WriteOnly)) dsn.close();
        qputenv("ODBCSYSINI", reg.dir.path().toUtf8());
        qputenv("ODBCINI", reg.dir.filePath(QStringLiteral("odbc.ini")).toUtf8());
        return true;
    }();
    (void)ready;
    return reg;
}

void runOn(const QString& connectionString, const QStringList& statements) {
    platform::ado::Connection c;
    c.Open(connectionString);
    for (const QString& s : statements) c.Execute(s);
    c.Close();
}

}  // namespace

QString UseTestOdbc() { return registry().dir.path(); }

QStringList RegisteredDrivers() { return registry().drivers; }

void AddDataSource(const QString& name, const QStringList& lines) {
    QFile file(registry().dir.filePath(QStringLiteral("odbc.ini")));
    if (!file.open(QIODevice::Append))
        throw std::runtime_error("cannot write the private odbc.ini: " + file.errorString().toStdString());
    file.write(QStringLiteral("[%1]\n%2\n\n").arg(name, lines.join(QLatin1Char('\n'))).toUtf8());
}

SqliteFile::SqliteFile(const QString& sqlText) {
    UseTestOdbc();
    m_path = m_dir.filePath(QStringLiteral("test.db"));
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(m_path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const std::string message = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw std::runtime_error("cannot create the SQLite file: " + message);
    }
    sqlite3_close(db);
    if (!sqlText.isEmpty()) exec(sqlText);
}

SqliteFile::~SqliteFile() = default;

QString SqliteFile::connectionString() const {
    return QStringLiteral("Driver=SQLite3;Database=%1;NoCreat=1").arg(m_path);
}

void SqliteFile::exec(const QString& sqlText) const {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(m_path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw std::runtime_error("cannot open the SQLite file");
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sqlText.toUtf8().constData(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw std::runtime_error("SQLite fixture failed: " + message);
}

namespace {

// MORVALEX_TEST_<engine>_<fact>.
QString serverVariable(const char* engine, const char* fact) {
    return QStringLiteral("MORVALEX_TEST_%1_%2").arg(QLatin1String(engine), QLatin1String(fact));
}

bool serverConfigured(const char* engine) {
    for (const char* fact : {"HOST", "PORT", "USER", "PASSWORD"})
        if (!qEnvironmentVariableIsSet(serverVariable(engine, fact).toLatin1().constData())) return false;
    return true;
}

ServerFacts serverFacts(const char* engine) {
    const auto value = [engine](const char* fact) { return qEnvironmentVariable(serverVariable(engine, fact).toLatin1().constData()); };
    return ServerFacts{value("HOST"), value("PORT").toInt(), value("USER"), value("PASSWORD")};
}

}  // namespace

bool PgConfigured() { return serverConfigured("PG"); }

PgServer PgServerFacts() { return serverFacts("PG"); }

QString PgSkipMessage() {
    return QStringLiteral("PostgreSQL test server not configured (MORVALEX_TEST_PG_* unset): run scripts/run-tests, or "
                          "`scripts/test-db start <build>` and source <build>/test-db.env");
}

QString PgConnectionString(const QString& database, const QString& password) {
    UseTestOdbc();
    const PgServer s = PgServerFacts();
    return QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3;UID=%4;PWD=%5")
        .arg(s.host)
        .arg(s.port)
        .arg(database, s.user, password.isNull() ? s.password : password);
}

PgDatabase::PgDatabase(const QString& sqlText) {
    if (!PgConfigured()) throw std::runtime_error(PgSkipMessage().toStdString());
    static std::atomic<int> counter{0};
    m_name = QStringLiteral("mvx_%1_%2_%3")
                 .arg(QCoreApplication::applicationPid())
                 .arg(++counter)
                 .arg(QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0'));
    try {
        runOn(PgConnectionString(QStringLiteral("postgres")),
              {QStringLiteral("CREATE DATABASE \"%1\" ENCODING 'UTF8' TEMPLATE template0").arg(m_name)});
        if (!sqlText.isEmpty()) exec(sqlText);
    } catch (const platform::RuntimeError& e) {
        throw std::runtime_error("PostgreSQL fixture failed: " + e.description().toStdString());
    }
}

PgDatabase::~PgDatabase() {
    try {
        runOn(PgConnectionString(QStringLiteral("postgres")),
              {QStringLiteral("DROP DATABASE IF EXISTS \"%1\" WITH (FORCE)").arg(m_name)});
    } catch (...) {
        // The server may be gone already; the cluster is thrown away after the run.
    }
}

QString PgDatabase::connectionString() const { return PgConnectionString(m_name); }

void PgDatabase::exec(const QString& sqlText) const { runOn(connectionString(), SplitStatements(sqlText)); }

bool MyConfigured() { return serverConfigured("MY") && RegisteredDrivers().contains(QStringLiteral("MariaDB Unicode")); }

MyServer MyServerFacts() { return serverFacts("MY"); }

QString MySkipMessage() {
    if (!RegisteredDrivers().contains(QStringLiteral("MariaDB Unicode")))
        return QStringLiteral("the MariaDB ODBC driver (libmaodbc.so) is not installed: scripts/install-deps installs "
                              "odbc-mariadb");
    return QStringLiteral("MariaDB test server not configured (MORVALEX_TEST_MY_* unset): run scripts/run-tests, or "
                          "`scripts/test-db start <build>` and source <build>/test-db.env");
}

QString MyConnectionString(const QString& database, const QString& password) {
    UseTestOdbc();
    const MyServer s = MyServerFacts();
    QString text = QStringLiteral("Driver={MariaDB Unicode};Server=%1;Port=%2;").arg(s.host).arg(s.port);
    if (!database.isEmpty()) text += QStringLiteral("Database=%1;").arg(database);
    return text + QStringLiteral("Uid=%1;Pwd=%2").arg(s.user, password.isNull() ? s.password : password);
}

MyDatabase::MyDatabase(const QString& sqlText) {
    if (!MyConfigured()) throw std::runtime_error(MySkipMessage().toStdString());
    static std::atomic<int> counter{0};
    m_name = QStringLiteral("mvx_%1_%2_%3")
                 .arg(QCoreApplication::applicationPid())
                 .arg(++counter)
                 .arg(QRandomGenerator::global()->generate() & 0xffffff, 6, 16, QLatin1Char('0'));
    try {
        runOn(MyConnectionString(QString()),
              {QStringLiteral("CREATE DATABASE `%1` CHARACTER SET utf8mb4 COLLATE utf8mb4_general_ci").arg(m_name)});
        if (!sqlText.isEmpty()) exec(sqlText);
    } catch (const platform::RuntimeError& e) {
        throw std::runtime_error("MariaDB fixture failed: " + e.description().toStdString());
    }
}

MyDatabase::~MyDatabase() {
    try {
        runOn(MyConnectionString(QString()), {QStringLiteral("DROP DATABASE IF EXISTS `%1`").arg(m_name)});
    } catch (...) {
        // The server may be gone already; its data folder is thrown away after the run.
    }
}

QString MyDatabase::connectionString() const { return MyConnectionString(m_name); }

void MyDatabase::exec(const QString& sqlText) const { runOn(connectionString(), SplitStatements(sqlText)); }

QStringList SplitStatements(const QString& sqlText) {
    QStringList statements;
    QString current;
    const qsizetype n = sqlText.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sqlText[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            const qsizetype start = i++;
            while (i < n) {
                if (sqlText[i] == c) {
                    if (i + 1 < n && sqlText[i + 1] == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            current += sqlText.mid(start, i - start);
        } else if (c == QLatin1Char('-') && i + 1 < n && sqlText[i + 1] == QLatin1Char('-')) {
            while (i < n && sqlText[i] != QLatin1Char('\n')) ++i;
        } else if (c == QLatin1Char('/') && i + 1 < n && sqlText[i + 1] == QLatin1Char('*')) {
            const qsizetype end = sqlText.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == QLatin1Char('$')) {
            // $tag$ ... $tag$
            qsizetype j = i + 1;
            while (j < n && (sqlText[j].isLetterOrNumber() || sqlText[j] == QLatin1Char('_'))) ++j;
            if (j < n && sqlText[j] == QLatin1Char('$')) {
                const QString tag = sqlText.mid(i, j - i + 1);
                const qsizetype end = sqlText.indexOf(tag, j + 1);
                const qsizetype stop = end < 0 ? n : end + tag.size();
                current += sqlText.mid(i, stop - i);
                i = stop;
            } else {
                current += c;
                ++i;
            }
        } else if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty()) statements << current.trimmed();
            current.clear();
            ++i;
        } else {
            current += c;
            ++i;
        }
    }
    if (!current.trimmed().isEmpty()) statements << current.trimmed();
    return statements;
}

}  // namespace testdb
