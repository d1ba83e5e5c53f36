#pragma once
// Real databases for tests: a private ODBC driver registry, fresh SQLite files and
// fresh PostgreSQL and MariaDB databases on the test servers that scripts/test-db starts.
//
// The first call of any function here points ODBCSYSINI and ODBCINI at a private
// folder holding an odbcinst.ini that registers "SQLite3", "PostgreSQL Unicode"
// (logging off, so no log files appear under /tmp) and, when installed, "FreeTDS",
// "MDBTools" and "MariaDB Unicode". Call UseTestOdbc() before the first ODBC call of a test program when
// the test itself opens no database through these helpers.
//
// PostgreSQL tests start with MORVALEX_REQUIRE_TEST_PG(), which skips the test with
// a message when the server is not configured (run through scripts/run-tests, or
// source <build>/test-db.env after `scripts/test-db start <build>`). MariaDB tests
// start with MORVALEX_REQUIRE_TEST_MY() in the same way.

#include "tests/support/TestSupport.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace testdb {

// Sets up the private driver registry once per process; returns its folder.
QString UseTestOdbc();

// The driver names the private registry holds.
QStringList RegisteredDrivers();

// Adds a data source to the private registry's odbc.ini: "[name]" with the given
// "Key=value" lines (Driver=... among them), for a "DSN=name" connection string.
void AddDataSource(const QString& name, const QStringList& lines);

// A fresh SQLite database file made from SQL text (any number of statements), removed
// with the object.
class SqliteFile {
public:
    explicit SqliteFile(const QString& sqlText = QString());
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    QString path() const { return m_path; }
    // "Driver=SQLite3;Database=<path>;NoCreat=1"
    QString connectionString() const;
    // Runs more SQL text on the file.
    void exec(const QString& sqlText) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// A test server's facts from the environment: MORVALEX_TEST_<engine>_HOST, _PORT, _USER
// and _PASSWORD, with PG for PostgreSQL and MY for MariaDB.
struct ServerFacts {
    QString host;
    int port = 0;
    QString user;
    QString password;
};
using PgServer = ServerFacts;
// True when the environment names a test server.
bool PgConfigured();
PgServer PgServerFacts();
// Why a PostgreSQL test is skipped.
QString PgSkipMessage();

// A fresh PostgreSQL database with a unique name, made from SQL text (any number of
// statements); dropped with the object.
class PgDatabase {
public:
    explicit PgDatabase(const QString& sqlText = QString());
    ~PgDatabase();
    PgDatabase(const PgDatabase&) = delete;
    PgDatabase& operator=(const PgDatabase&) = delete;

    QString name() const { return m_name; }
    // "Driver={PostgreSQL Unicode};Server=...;Port=...;Database=<name>;UID=...;PWD=..."
    QString connectionString() const;
    void exec(const QString& sqlText) const;

private:
    QString m_name;
};

// The ODBC string of a database on the test server (any name, existing or not).
QString PgConnectionString(const QString& database, const QString& password = QString());

// The MariaDB test server's facts (MORVALEX_TEST_MY_*).
using MyServer = ServerFacts;
// True when the environment names a MariaDB test server and its driver is registered.
bool MyConfigured();
MyServer MyServerFacts();
// Why a MariaDB test is skipped.
QString MySkipMessage();

// A fresh MariaDB database (utf8mb4) with a unique name, made from SQL text (any number
// of statements, run with that database current); dropped with the object.
class MyDatabase {
public:
    explicit MyDatabase(const QString& sqlText = QString());
    ~MyDatabase();
    MyDatabase(const MyDatabase&) = delete;
    MyDatabase& operator=(const MyDatabase&) = delete;

    QString name() const { return m_name; }
    // "Driver={MariaDB Unicode};Server=...;Port=...;Database=<name>;Uid=...;Pwd=..."
    QString connectionString() const;
    void exec(const QString& sqlText) const;

private:
    QString m_name;
};

// The ODBC string of a database on the MariaDB test server (any name, existing or not;
// an empty name connects without a current database).
QString MyConnectionString(const QString& database, const QString& password = QString());

// Splits SQL text into statements at semicolons outside quotes (', ", `), comments and
// dollar-quoted bodies; empty statements are dropped.
QStringList SplitStatements(const QString& sqlText);

}  // namespace testdb

#define MORVALEX_REQUIRE_TEST_PG() \
    MORVALEX_REQUIRE(::testdb::PgConfigured(), ::testdb::PgSkipMessage().toStdString())

#define MORVALEX_REQUIRE_TEST_MY() \
    MORVALEX_REQUIRE(::testdb::MyConfigured(), ::testdb::MySkipMessage().toStdString())
