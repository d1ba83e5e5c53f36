// Import benchmark: generates a schema of N tables (10 columns, a primary key, about
// 1.5 indexes and one foreign key each, a view for every tenth table, a trigger for
// every twentieth) in PostgreSQL and in a SQLite file, imports each through cADODB as
// OTHERS in a child process, and prints wall time and peak memory beside
// pg_dump --schema-only and sqlite3 .schema on the same schema. The Access case
// imports a copy of nwind.mdb as the wizard does (MS Access XP) beside mdb-schema on
// the same file, the best of five runs each.
//
//   bench_import [--sizes 500,5000] [--engines postgresql,sqlite,access] [--work DIR]
// PostgreSQL comes from MORVALEX_TEST_PG_HOST/_PORT/_USER/_PASSWORD (bench/import/run
// starts the test server and sets them).

#include "bench/Measure.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/cADODB.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using bench::Measure;
using bench::run;

QString schemaSql(int n, bool postgres) {
    QString sql;
    QTextStream out(&sql);
    const int batch = 200;
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

// The fastest of several runs, for commands that take a fraction of a second.
Measure best(const QStringList& argv, int runs) {
    Measure out;
    for (int i = 0; i < runs; ++i) {
        const Measure m = run(argv);
        if (i == 0 || m.seconds < out.seconds) out = m;
    }
    return out;
}

int importChild(const QString& connectionString, int databaseType) {
    QElapsedTimer startup;
    startup.start();
    // The benchmark is no installed program: its read-only files are the build's.
    bGlobal::SetAppPathForTesting(QStringLiteral(MORVALEX_RESOURCE_DIR), QString());
    bGlobal::Main();
    const double mainSeconds = startup.nsecsElapsed() / 1e9;
    bGlobal::oLHXML = std::make_shared<cXML>();
    bGlobal::oLHXML->LoadXMLContent(QStringLiteral(
        "<DATABASESTRUCTURES><DATABASEGROUP Name=\"G\"><DATABASECONNECTION Name=\"bench\"/></DATABASEGROUP></DATABASESTRUCTURES>"));
    bGlobal::gDatabaseType = qint16(databaseType);
    bGlobal::gDatabaseName = QStringLiteral("bench");
    bGlobal::gConnectionString = connectionString;
    QElapsedTimer timer;
    timer.start();
    cADODB reader;
    reader.SetConnection(connectionString);
    if (!reader.ADOConnect() || !reader.GenerateXML()) return 1;
    std::fprintf(stderr, "tables=%lld, program start-up %.3f s, connect and import %.3f s\n",
                 static_cast<long long>(bGlobal::oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE")).size()),
                 mainSeconds, timer.nsecsElapsed() / 1e9);
    return 0;
}

void row(const char* what, const Measure& m, const Measure& base) {
    std::printf("  %-28s %9.2f s %9.1f MB   x%.2f time  x%.2f memory%s\n", what, m.seconds, m.peakMB,
                base.seconds > 0 ? m.seconds / base.seconds : 0.0, base.peakMB > 0 ? m.peakMB / base.peakMB : 0.0,
                m.exitCode == 0 ? "" : "   (FAILED)");
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("--import"))
        return importChild(args[2], args.size() > 3 ? args[3].toInt() : bGlobal::dbOthers);

    QList<int> sizes = {500, 5000};
    QStringList engines = {QStringLiteral("postgresql"), QStringLiteral("sqlite"), QStringLiteral("access")};
    QString work = QDir::tempPath() + QStringLiteral("/morvalex-bench");
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString& s : args[i + 1].split(QLatin1Char(','))) sizes << s.toInt();
        } else if (args[i] == QLatin1String("--engines")) {
            engines = args[i + 1].split(QLatin1Char(','));
        } else if (args[i] == QLatin1String("--work")) {
            work = args[i + 1];
        }
    }
    QDir().mkpath(work);
    const QString self = QCoreApplication::applicationFilePath();
    const QString host = qEnvironmentVariable("MORVALEX_TEST_PG_HOST"), port = qEnvironmentVariable("MORVALEX_TEST_PG_PORT"),
                  user = qEnvironmentVariable("MORVALEX_TEST_PG_USER"), password = qEnvironmentVariable("MORVALEX_TEST_PG_PASSWORD");

    if (engines.removeAll(QStringLiteral("access")) > 0) {
        const QString file = work + QStringLiteral("/nwind.mdb");
        QFile::remove(file);
        if (!QFile::copy(QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/access/nwind.mdb"), file)) {
            std::printf("access: skipped (tests/data/access/nwind.mdb missing)\n");
        } else {
            const Measure baseline = best({QStringLiteral("mdb-schema"), file}, 5);
            const Measure import = best({self, QStringLiteral("--import"), QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file,
                                         QString::number(bGlobal::dbAccessXP)},
                                        5);
            std::printf("access, nwind.mdb (9 tables, 22 queries), best of 5\n");
            row("mdb-schema", baseline, baseline);
            row("Morvalex import (Access XP)", import, baseline);
            std::fflush(stdout);
        }
    }

    for (int n : sizes) {
        for (const QString& engine : engines) {
            const bool pg = engine == QLatin1String("postgresql");
            if (pg && port.isEmpty()) {
                std::printf("%s: skipped (no test server; use bench/import/run)\n", qPrintable(engine));
                continue;
            }
            const QString sqlFile = work + QStringLiteral("/schema-%1-%2.sql").arg(engine).arg(n);
            {
                QFile f(sqlFile);
                f.open(QIODevice::WriteOnly | QIODevice::Truncate);
                f.write(schemaSql(n, pg).toUtf8());
            }
            Measure create, baseline, import;
            QString connectionString;
            if (pg) {
                const QString db = QStringLiteral("bench_%1").arg(n);
                qputenv("PGPASSWORD", password.toUtf8());
                const QStringList psql = {QStringLiteral("psql"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                          QStringLiteral("-h"), host, QStringLiteral("-p"), port, QStringLiteral("-U"), user};
                run(psql + QStringList{QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-c"), QStringLiteral("DROP DATABASE IF EXISTS %1").arg(db)});
                run(psql + QStringList{QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-c"), QStringLiteral("CREATE DATABASE %1").arg(db)});
                create = run(psql + QStringList{QStringLiteral("-d"), db}, sqlFile);
                baseline = run({QStringLiteral("pg_dump"), QStringLiteral("--schema-only"), QStringLiteral("-h"), host, QStringLiteral("-p"), port,
                                QStringLiteral("-U"), user, db});
                connectionString = QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3;Uid=%4;Pwd=%5")
                                       .arg(host, port, db, user, password);
            } else {
                const QString file = work + QStringLiteral("/bench-%1.db").arg(n);
                QFile::remove(file);
                create = run({QStringLiteral("sqlite3"), file}, sqlFile);
                baseline = run({QStringLiteral("sqlite3"), file, QStringLiteral(".schema")});
                connectionString = QStringLiteral("Driver=SQLite3;Database=%1;NoCreat=1").arg(file);
            }
            if (create.exitCode != 0) {
                std::printf("%s N=%d: creating the schema failed\n", qPrintable(engine), n);
                continue;
            }
            import = run({self, QStringLiteral("--import"), connectionString});
            std::printf("%s, N = %d tables (schema made in %.1f s)\n", qPrintable(engine), n, create.seconds);
            row(pg ? "pg_dump --schema-only" : "sqlite3 .schema", baseline, baseline);
            row("Morvalex import (OTHERS)", import, baseline);
            std::fflush(stdout);
        }
    }
    return 0;
}
