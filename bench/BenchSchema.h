#pragma once
// The schema the import benchmarks document, their options, the test server and the
// medians they print. Shared by bench/import and bench/wizard so both import the same
// thing.

#include "bench/Measure.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <algorithm>

namespace bench {

// N tables (10 columns, a primary key, about 1.5 indexes and one foreign key each, a
// view for every tenth table, a trigger for every twentieth) as SQL for PostgreSQL or
// SQLite. SQLite takes it in one transaction without a journal: every DDL statement
// there scans the whole catalogue, so the statements cost enough without a commit
// between them. PostgreSQL commits every 200 tables: one transaction holds a lock per
// relation it makes and overflows the server's lock table (max_locks_per_transaction
// 64) before 5,000 tables.
inline QString schemaSql(int n, bool postgres) {
    QString sql;
    QTextStream out(&sql);
    const int batch = postgres ? 200 : n;
    // A page cache that holds the whole catalogue: the scans then read no file pages.
    if (!postgres) out << "PRAGMA journal_mode = OFF;\nPRAGMA synchronous = OFF;\nPRAGMA cache_size = -262144;\n";
    for (int t = 0; t < n; ++t) {
        if (t % batch == 0) out << "BEGIN;\n";
        out << "CREATE TABLE t" << t << " (id INTEGER PRIMARY KEY, parent_id INTEGER";
        if (t > 0) out << " REFERENCES t" << (t - 1) << "(id)";
        out << ", code VARCHAR(20) NOT NULL, name VARCHAR(100), amount NUMERIC(12,2) DEFAULT 0"
               ", qty INTEGER CHECK (qty >= 0), created DATE, flag SMALLINT, note TEXT, ref_code CHAR(8));\n";
        out << "CREATE INDEX ix_t" << t << "_code ON t" << t << " (code);\n";
        if (t % 2 == 0) out << "CREATE UNIQUE INDEX ux_t" << t << "_ref ON t" << t << " (ref_code, code);\n";
        if (t % 10 == 0) out << "CREATE VIEW v" << t << " AS SELECT id, code, name FROM t" << t << " WHERE qty > 0;\n";
        if (t % 20 == 0) {
            if (postgres) {
                out << "CREATE FUNCTION f" << t << "() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN NEW.qty := coalesce(NEW.qty, 0); RETURN NEW; END; $$;\n";
                out << "CREATE TRIGGER tr" << t << " BEFORE INSERT ON t" << t << " FOR EACH ROW EXECUTE FUNCTION f" << t << "();\n";
            } else {
                out << "CREATE TRIGGER tr" << t << " AFTER INSERT ON t" << t << " BEGIN UPDATE t" << t
                    << " SET qty = 0 WHERE id = NEW.id AND qty IS NULL; END;\n";
            }
        }
        if (t % batch == batch - 1 || t == n - 1) out << "COMMIT;\n";
    }
    return sql;
}

// The same N tables as SQL for MariaDB (InnoDB): the foreign keys are checked only
// once the tables exist, the triggers set the column themselves.
inline QString mariadbSchemaSql(int n) {
    QString sql;
    QTextStream out(&sql);
    out << "SET foreign_key_checks = 0;\n";
    for (int t = 0; t < n; ++t) {
        out << "CREATE TABLE t" << t << " (id INTEGER NOT NULL AUTO_INCREMENT PRIMARY KEY, parent_id INTEGER";
        out << ", code VARCHAR(20) NOT NULL, name VARCHAR(100), amount NUMERIC(12,2) DEFAULT 0"
               ", qty INTEGER CHECK (qty >= 0), created DATE, flag SMALLINT, note TEXT, ref_code CHAR(8)";
        if (t > 0) out << ", FOREIGN KEY (parent_id) REFERENCES t" << (t - 1) << "(id)";
        out << ");\n";
        out << "CREATE INDEX ix_t" << t << "_code ON t" << t << " (code);\n";
        if (t % 2 == 0) out << "CREATE UNIQUE INDEX ux_t" << t << "_ref ON t" << t << " (ref_code, code);\n";
        if (t % 10 == 0) out << "CREATE VIEW v" << t << " AS SELECT id, code, name FROM t" << t << " WHERE qty > 0;\n";
        if (t % 20 == 0)
            out << "CREATE TRIGGER tr" << t << " BEFORE INSERT ON t" << t << " FOR EACH ROW SET NEW.qty = COALESCE(NEW.qty, 0);\n";
    }
    out << "SET foreign_key_checks = 1;\n";
    return sql;
}

// The SQLite file 'file' made by the sqlite3 shell from the script 'sqlFile', or kept
// as it is when an earlier run made it from the same script: the statements' catalogue
// scans make the time grow with the square of the tables (minutes at 20,000). The
// script it was made from is copied beside it ("<file>.sql") only once it is complete.
struct SqliteFile {
    Measure made;  // exitCode 0 and no time when the file was kept
    bool kept = false;
};
inline SqliteFile makeSqliteFile(const QString& file, const QString& sqlFile) {
    const QString stamp = file + QStringLiteral(".sql");
    const auto contents = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    SqliteFile result;
    const QByteArray script = contents(sqlFile);
    if (!script.isEmpty() && QFile::exists(file) && contents(stamp) == script) {
        result.made.exitCode = 0;
        result.kept = true;
        return result;
    }
    QFile::remove(stamp);
    QFile::remove(file);
    result.made = run({QStringLiteral("sqlite3"), QStringLiteral("-bail"), file}, sqlFile);
    if (result.made.exitCode == 0) QFile::copy(sqlFile, stamp);
    return result;
}

inline double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    if (v.isEmpty()) return 0;
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// --sizes 500,5000 --engines a,b --runs 3 --work DIR, each optional, over the defaults.
struct Options {
    QList<int> sizes;
    QStringList engines;
    int runs = 3;
    QString work;
};
inline Options parseOptions(const QStringList& args, Options o) {
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--sizes")) {
            o.sizes.clear();
            for (const QString& s : args[i + 1].split(QLatin1Char(','))) o.sizes << s.toInt();
        } else if (args[i] == QLatin1String("--engines")) {
            o.engines = args[i + 1].split(QLatin1Char(','));
        } else if (args[i] == QLatin1String("--runs")) {
            o.runs = std::max(1, args[i + 1].toInt());
        } else if (args[i] == QLatin1String("--work")) {
            o.work = args[i + 1];
        }
    }
    QDir().mkpath(o.work);
    return o;
}

// The PostgreSQL test server from MORVALEX_TEST_PG_HOST/_PORT/_USER/_PASSWORD; no port
// when it is not running.
struct TestServer {
    QString host = qEnvironmentVariable("MORVALEX_TEST_PG_HOST"), port = qEnvironmentVariable("MORVALEX_TEST_PG_PORT"),
            user = qEnvironmentVariable("MORVALEX_TEST_PG_USER"), password = qEnvironmentVariable("MORVALEX_TEST_PG_PASSWORD");
    // psql's start on this server, quiet and stopping at the first error.
    QStringList psql() const {
        return {QStringLiteral("psql"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                QStringLiteral("-h"), host, QStringLiteral("-p"), port, QStringLiteral("-U"), user};
    }
    QString connectionString(const QString& database) const {
        return QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3;Uid=%4;Pwd=%5")
            .arg(host, port, database, user, password);
    }
};

// The MariaDB test server from MORVALEX_TEST_MY_HOST/_PORT/_USER/_PASSWORD; no port
// when it is not running.
struct MariadbServer {
    QString host = qEnvironmentVariable("MORVALEX_TEST_MY_HOST"), port = qEnvironmentVariable("MORVALEX_TEST_MY_PORT"),
            user = qEnvironmentVariable("MORVALEX_TEST_MY_USER"), password = qEnvironmentVariable("MORVALEX_TEST_MY_PASSWORD");
    // The start of a command line of one of the server's clients (mariadb,
    // mariadb-dump) on this server over TCP.
    QStringList client(const char* program) const {
        return {QLatin1String(program), QStringLiteral("--protocol=tcp"), QStringLiteral("-h"), host, QStringLiteral("-P"), port,
                QStringLiteral("-u"), user, QStringLiteral("--password=") + password};
    }
    QString connectionString(const QString& database) const {
        return QStringLiteral("Driver={MariaDB Unicode};Server=%1;Port=%2;Database=%3;Uid=%4;Pwd=%5")
            .arg(host, port, database, user, password);
    }
};

// The schema of n tables on engine ("postgresql" or "sqlite"), made from the script
// <work>/schema-<engine>-<n>.sql: on PostgreSQL the database <prefix>_<n>, made anew
// on server; on SQLite the file <work>/bench-<n>.db (makeSqliteFile). Its connection
// string, or "" when it could not be made.
inline QString makeSchema(const QString& work, const QString& engine, int n, const TestServer& server, const QString& prefix) {
    const bool pg = engine == QLatin1String("postgresql");
    const QString sqlFile = work + QStringLiteral("/schema-%1-%2.sql").arg(engine).arg(n);
    {
        QFile f(sqlFile);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return QString();
        f.write(schemaSql(n, pg).toUtf8());
    }
    if (pg) {
        const QString db = prefix + QStringLiteral("_%1").arg(n);
        qputenv("PGPASSWORD", server.password.toUtf8());
        const QStringList psql = server.psql();
        const auto command = [&](const QString& sql) {
            return run(psql + QStringList{QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-c"), sql}).exitCode == 0;
        };
        command(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(db));
        const bool made = command(QStringLiteral("CREATE DATABASE %1").arg(db)) &&
                          run(psql + QStringList{QStringLiteral("-d"), db}, sqlFile).exitCode == 0;
        return made ? server.connectionString(db) : QString();
    }
    const QString file = work + QStringLiteral("/bench-%1.db").arg(n);
    if (makeSqliteFile(file, sqlFile).made.exitCode != 0) return QString();
    return QStringLiteral("Driver=SQLite3;Database=%1;NoCreat=1").arg(file);
}

}  // namespace bench
