// Import benchmark: generates a schema of N tables (10 columns, a primary key, about
// 1.5 indexes and one foreign key each, a view for every tenth table, a trigger for
// every twentieth) in PostgreSQL, in MariaDB and in a SQLite file, imports each through
// cADODB as OTHERS in a child process, and prints wall time and peak memory beside
// pg_dump --schema-only, mariadb-dump --no-data and sqlite3 .schema on the same schema,
// and beside a bulk read
// of the same facts with the engine's own client (the floor). The Access case imports
// a copy of nwind.mdb as the wizard does (MS Access XP) beside mdb-schema on the same
// file. Each import shows twice: the whole child process (start-up, import, teardown
// of the documents at exit) and, below it, the connect and import alone as the child
// times it; the floor excludes its interpreter's start-up.
//
//   bench_import [--sizes 500,5000,20000] [--engines postgresql,mariadb,sqlite,access] [--runs 3] [--work DIR]
//                [--compare OTHER_BENCH_IMPORT] [--keep DIR]
// --compare runs the import of another build of this program (a copy of the binary
// before a change) beside this one's, the two alternating run by run so the machine's
// load falls on both alike. --keep writes each import's structure and tree documents
// under DIR (<engine>-<size>-<binary>-{structure,tree}.xml) so the two can be compared.
// PostgreSQL comes from MORVALEX_TEST_PG_HOST/_PORT/_USER/_PASSWORD (bench/import/run
// starts the test server and sets them), MariaDB from MORVALEX_TEST_MY_HOST/_PORT/_USER/
// _PASSWORD; an engine without its server is skipped.

#include "bench/BenchSchema.h"
#include "bench/Measure.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/cADODB.h"
#include "platform/Allocator.h"

#include <QCoreApplication>
#include <QFile>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using bench::Measure;
using bench::median;
using bench::run;
using bench::schemaSql;

int importChild(const QString& connectionString, int databaseType, const QString& keep) {
    QElapsedTimer startup;
    startup.start();
    // The benchmark is no installed program: its read-only files are the build's.
    bGlobal::SetAppPathForTesting(QStringLiteral(MORVALEX_RESOURCE_DIR), QString());
    bGlobal::Main();
    const double mainSeconds = double(startup.nsecsElapsed()) / 1e9;
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
                 mainSeconds, double(timer.nsecsElapsed()) / 1e9);
    if (!keep.isEmpty()) {
        const auto write = [](const QString& file, const QString& text) {
            QFile f(file);
            return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) >= 0;
        };
        if (!write(keep + QStringLiteral("-structure.xml"), bGlobal::oStructureXML->GetXMLContent())
            || !write(keep + QStringLiteral("-tree.xml"), bGlobal::oLHXML->GetXMLContent()))
            return 1;
    }
    return 0;
}

// The facts an import reads, fetched in bulk with the engine's own client: the floor
// an import could come near. SQLite: python3's sqlite3 over sqlite_master and the
// pragmas; PostgreSQL: one psql run of pg_catalog queries.
const char* const kSqliteFloor = R"py(import sqlite3, sys, time
start = time.perf_counter()
c = sqlite3.connect(sys.argv[1])
rows = 0
for (kind, name, sql) in c.execute("SELECT type, name, sql FROM sqlite_master WHERE type IN ('table','view')").fetchall():
    rows += len(c.execute("SELECT * FROM pragma_table_xinfo(?)", (name,)).fetchall())
    for index in c.execute("SELECT * FROM pragma_index_list(?)", (name,)).fetchall():
        rows += len(c.execute("SELECT * FROM pragma_index_xinfo(?)", (index[1],)).fetchall())
    rows += len(c.execute("SELECT * FROM pragma_foreign_key_list(?)", (name,)).fetchall())
print(time.perf_counter() - start, rows)
)py";
const char* const kPostgresFloor = R"sql(
SELECT n.nspname, c.relname, c.relkind FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.relkind IN ('r','p','v','m') AND n.nspname NOT IN ('pg_catalog','information_schema');
SELECT a.attrelid, a.attname, a.attnum, a.attnotnull, t.typname, a.atttypmod, pg_get_expr(d.adbin, d.adrelid) FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid JOIN pg_namespace n ON n.oid = c.relnamespace JOIN pg_type t ON t.oid = a.atttypid LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum WHERE a.attnum > 0 AND NOT a.attisdropped AND n.nspname NOT IN ('pg_catalog','information_schema') AND c.relkind IN ('r','p','v','m');
SELECT con.conrelid, con.conname, con.contype, con.conkey, con.confrelid, con.confkey, con.confupdtype, con.confdeltype, pg_get_expr(con.conbin, con.conrelid) FROM pg_constraint con JOIN pg_namespace n ON n.oid = con.connamespace WHERE n.nspname NOT IN ('pg_catalog','information_schema');
SELECT i.indrelid, ic.relname, i.indisunique, i.indisprimary, i.indkey, pg_get_indexdef(i.indexrelid) FROM pg_index i JOIN pg_class ic ON ic.oid = i.indexrelid JOIN pg_namespace n ON n.oid = ic.relnamespace WHERE n.nspname NOT IN ('pg_catalog','information_schema','pg_toast');
SELECT c.relname, pg_get_viewdef(c.oid) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace WHERE c.relkind IN ('v','m') AND n.nspname NOT IN ('pg_catalog','information_schema');
SELECT t.tgrelid, t.tgname, pg_get_triggerdef(t.oid) FROM pg_trigger t WHERE NOT t.tgisinternal;
)sql";

// MariaDB: one mariadb run of the INFORMATION_SCHEMA queries for the current database.
const char* const kMariadbFloor = R"sql(
SELECT TABLE_NAME, TABLE_TYPE, TABLE_COMMENT FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE();
SELECT TABLE_NAME, COLUMN_NAME, ORDINAL_POSITION, COLUMN_DEFAULT, IS_NULLABLE, COLUMN_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE, DATETIME_PRECISION, GENERATION_EXPRESSION FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE();
SELECT TABLE_NAME, INDEX_NAME, NON_UNIQUE, SEQ_IN_INDEX, COLUMN_NAME, INDEX_TYPE FROM information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE();
SELECT TABLE_NAME, CONSTRAINT_NAME, COLUMN_NAME, ORDINAL_POSITION, REFERENCED_TABLE_NAME, REFERENCED_COLUMN_NAME FROM information_schema.KEY_COLUMN_USAGE WHERE TABLE_SCHEMA = DATABASE();
SELECT TABLE_NAME, CONSTRAINT_NAME, UPDATE_RULE, DELETE_RULE FROM information_schema.REFERENTIAL_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = DATABASE();
SELECT TABLE_NAME, CONSTRAINT_NAME, CHECK_CLAUSE FROM information_schema.CHECK_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = DATABASE();
SELECT TABLE_NAME, VIEW_DEFINITION FROM information_schema.VIEWS WHERE TABLE_SCHEMA = DATABASE();
SELECT TRIGGER_NAME, EVENT_OBJECT_TABLE, ACTION_STATEMENT FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = DATABASE();
)sql";

// One import by a build of this program in a child: the whole process (start-up,
// import, teardown) measured from outside, and the time the child reports for its
// connect and import alone (0 when it reports none). The child's messages go to
// errFile and are passed on when it fails.
struct ChildImport {
    Measure process;
    double importSeconds = 0;
};
ChildImport runImport(const QString& binary, const QString& connectionString, const QString& keep, const QString& errFile) {
    ChildImport result;
    result.process = run({binary, QStringLiteral("--import"), connectionString, QString::number(bGlobal::dbOthers), keep},
                         QString(), QStringLiteral("/dev/null"), errFile);
    QFile err(errFile);
    const QByteArray text = err.open(QIODevice::ReadOnly) ? err.readAll() : QByteArray();
    static const QByteArray marker = "connect and import ";
    if (const qsizetype at = text.lastIndexOf(marker); at >= 0)
        result.importSeconds = text.mid(at + marker.size()).split(' ').value(0).toDouble();
    if (result.process.exitCode != 0 || result.importSeconds <= 0) {
        result.process.exitCode = result.process.exitCode != 0 ? result.process.exitCode : 1;
        std::fputs(text.constData(), stderr);
    }
    return result;
}

// Several runs of one command: medians and the spread of the times.
struct Runs {
    double seconds = 0, fastest = 0, slowest = 0, peakMB = 0;
    bool failed = false;
};
Runs repeat(int runs, const std::function<Measure()>& once) {
    QList<double> times, memory;
    Runs r;
    for (int i = 0; i < runs; ++i) {
        const Measure m = once();
        times << m.seconds;
        memory << m.peakMB;
        r.failed = r.failed || m.exitCode != 0;
    }
    r.seconds = median(times);
    r.peakMB = median(memory);
    r.fastest = *std::min_element(times.begin(), times.end());
    r.slowest = *std::max_element(times.begin(), times.end());
    return r;
}

void row(const char* what, const Runs& m, const Runs& base, const Runs& floor) {
    std::printf("  %-28s %8.2f s (%.2f-%.2f) %8.1f MB   x%.2f time  x%.2f of floor  x%.2f memory%s\n", what, m.seconds,
                m.fastest, m.slowest, m.peakMB, base.seconds > 0 ? m.seconds / base.seconds : 0.0,
                floor.seconds > 0 ? m.seconds / floor.seconds : 0.0, base.peakMB > 0 ? m.peakMB / base.peakMB : 0.0,
                m.failed ? "   (FAILED)" : "");
}

}  // namespace

int main(int argc, char** argv) {
    // The import child measures the program as it ships, allocator settings included.
    if (argc >= 3 && std::strcmp(argv[1], "--import") == 0) platform::TuneAllocator();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("--import"))
        return importChild(args[2], args.size() > 3 ? args[3].toInt() : bGlobal::dbOthers, args.value(4));

    QList<int> sizes = {500, 5000, 20000};
    int runs = 3;
    QStringList engines = {QStringLiteral("postgresql"), QStringLiteral("mariadb"), QStringLiteral("sqlite"), QStringLiteral("access")};
    QString work = QDir::tempPath() + QStringLiteral("/morvalex-bench");
    QString other, keep;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString& s : args[i + 1].split(QLatin1Char(','))) sizes << s.toInt();
        } else if (args[i] == QLatin1String("--engines")) {
            engines = args[i + 1].split(QLatin1Char(','));
        } else if (args[i] == QLatin1String("--runs")) {
            runs = std::max(1, args[i + 1].toInt());
        } else if (args[i] == QLatin1String("--work")) {
            work = args[i + 1];
        } else if (args[i] == QLatin1String("--compare")) {
            other = args[i + 1];
        } else if (args[i] == QLatin1String("--keep")) {
            keep = args[i + 1];
            QDir().mkpath(keep);
        }
    }
    QDir().mkpath(work);
    const QString self = QCoreApplication::applicationFilePath();
    const bench::TestServer server;
    const QString &host = server.host, &port = server.port, &user = server.user, &password = server.password;
    const bench::MariadbServer mariadb;

    if (engines.removeAll(QStringLiteral("access")) > 0) {
        const QString file = work + QStringLiteral("/nwind.mdb");
        QFile::remove(file);
        if (!QFile::copy(QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/access/nwind.mdb"), file)) {
            std::printf("access: skipped (tests/data/access/nwind.mdb missing)\n");
        } else {
            const int n = std::max(runs, 5);
            const Runs baseline = repeat(n, [&] { return run({QStringLiteral("mdb-schema"), file}); });
            const Runs import = repeat(n, [&] {
                return run({self, QStringLiteral("--import"), QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file,
                            QString::number(bGlobal::dbAccessXP)});
            });
            std::printf("access, nwind.mdb (9 tables, 22 queries); medians of %d runs (fastest-slowest)\n", n);
            row("mdb-schema", baseline, baseline, baseline);
            row("Morvalex import (Access XP)", import, baseline, baseline);
            std::fflush(stdout);
        }
    }

    for (int n : sizes) {
        for (const QString& engine : engines) {
            const bool pg = engine == QLatin1String("postgresql"), my = engine == QLatin1String("mariadb");
            if ((pg && port.isEmpty()) || (my && mariadb.port.isEmpty())) {
                std::printf("%s: skipped (no test server; use bench/import/run)\n", qPrintable(engine));
                continue;
            }
            const QString sqlFile = work + QStringLiteral("/schema-%1-%2.sql").arg(engine).arg(n);
            {
                QFile f(sqlFile);
                f.open(QIODevice::WriteOnly | QIODevice::Truncate);
                f.write((my ? bench::mariadbSchemaSql(n) : schemaSql(n, pg)).toUtf8());
            }
            Measure create;
            bool kept = false;
            std::function<Measure()> baseline, floor;
            QString connectionString;
            if (my) {
                const QString db = QStringLiteral("bench_%1").arg(n);
                const QStringList client = mariadb.client("mariadb");
                run(client + QStringList{QStringLiteral("-e"), QStringLiteral("DROP DATABASE IF EXISTS %1; CREATE DATABASE %1").arg(db)});
                create = run(client + QStringList{db}, sqlFile);
                baseline = [=] { return run(mariadb.client("mariadb-dump") + QStringList{QStringLiteral("--no-data"), db}); };
                const QString floorFile = work + QStringLiteral("/floor-mariadb.sql");
                QFile f(floorFile);
                f.open(QIODevice::WriteOnly | QIODevice::Truncate);
                f.write(kMariadbFloor);
                f.close();
                floor = [=] { return run(client + QStringList{db}, floorFile); };
                connectionString = mariadb.connectionString(db);
            } else if (pg) {
                const QString db = QStringLiteral("bench_%1").arg(n);
                qputenv("PGPASSWORD", password.toUtf8());
                const QStringList psql = server.psql();
                run(psql + QStringList{QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-c"), QStringLiteral("DROP DATABASE IF EXISTS %1").arg(db)});
                run(psql + QStringList{QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-c"), QStringLiteral("CREATE DATABASE %1").arg(db)});
                create = run(psql + QStringList{QStringLiteral("-d"), db}, sqlFile);
                baseline = [=] {
                    return run({QStringLiteral("pg_dump"), QStringLiteral("--schema-only"), QStringLiteral("-h"), host,
                                QStringLiteral("-p"), port, QStringLiteral("-U"), user, db});
                };
                const QString floorFile = work + QStringLiteral("/floor.sql");
                QFile f(floorFile);
                f.open(QIODevice::WriteOnly | QIODevice::Truncate);
                f.write(kPostgresFloor);
                f.close();
                floor = [=] { return run(psql + QStringList{QStringLiteral("-d"), db, QStringLiteral("-f"), floorFile}); };
                connectionString = server.connectionString(db);
            } else {
                const QString file = work + QStringLiteral("/bench-%1.db").arg(n);
                const bench::SqliteFile made = bench::makeSqliteFile(file, sqlFile);
                create = made.made;
                kept = made.kept;
                baseline = [=] { return run({QStringLiteral("sqlite3"), file, QStringLiteral(".schema")}); };
                const QString floorFile = work + QStringLiteral("/floor.py");
                QFile f(floorFile);
                f.open(QIODevice::WriteOnly | QIODevice::Truncate);
                f.write(kSqliteFloor);
                f.close();
                // The time the script reports for its reads: the interpreter's start-up
                // (seconds on a loaded machine) is no part of the floor.
                const QString floorOut = work + QStringLiteral("/floor.out");
                floor = [=] {
                    Measure m = run({QStringLiteral("python3"), floorFile, file}, QString(), floorOut);
                    QFile out(floorOut);
                    if (out.open(QIODevice::ReadOnly)) m.seconds = out.readAll().split(' ').value(0).toDouble();
                    return m;
                };
                connectionString = QStringLiteral("Driver=SQLite3;Database=%1;NoCreat=1").arg(file);
            }
            if (create.exitCode != 0) {
                std::printf("%s N=%d: creating the schema failed\n", qPrintable(engine), n);
                continue;
            }
            const Runs base = repeat(runs, baseline), bulk = repeat(runs, floor);
            // This build and the compared one take turns, so a burst of load on the
            // machine falls on both.
            const QString errFile = work + QStringLiteral("/import.err");
            const auto importBy = [&](const QString& binary, const QString& tag) {
                const QString saved = keep.isEmpty() ? QString() : QStringLiteral("%1/%2-%3-%4").arg(keep, engine).arg(n).arg(tag);
                return runImport(binary, connectionString, saved, errFile);
            };
            QList<ChildImport> mine, theirs;
            for (int i = 0; i < runs; ++i) {
                mine << importBy(self, QStringLiteral("this"));
                if (!other.isEmpty()) theirs << importBy(other, QStringLiteral("compared"));
            }
            const auto replay = [](const QList<ChildImport>& imports, bool inProcess) {
                int next = 0;
                return repeat(int(imports.size()), [&] {
                    const ChildImport& i = imports[next++];
                    Measure m = i.process;
                    if (inProcess) m.seconds = i.importSeconds;
                    return m;
                });
            };
            const Runs import = replay(mine, false);
            const QString made = kept ? QStringLiteral("schema file kept from an earlier run")
                                      : QStringLiteral("schema made in %1 s").arg(create.seconds, 0, 'f', 1);
            std::printf("%s, N = %d tables (%s); medians of %d runs (fastest-slowest)\n", qPrintable(engine), n, qPrintable(made), runs);
            row(my ? "mariadb-dump --no-data" : pg ? "pg_dump --schema-only" : "sqlite3 .schema", base, base, bulk);
            row(my   ? "bulk read (mariadb, I_S)"
                : pg ? "bulk read (psql, pg_catalog)"
                     : "bulk read (python3 sqlite3)",
                bulk, base, bulk);
            if (!theirs.isEmpty()) row("compared build's import", replay(theirs, false), base, bulk);
            row("Morvalex import (OTHERS)", import, base, bulk);
            if (!theirs.isEmpty()) row("  compared: connect+import", replay(theirs, true), base, bulk);
            row("  its connect and import", replay(mine, true), base, bulk);
            std::fflush(stdout);
        }
    }
    return 0;
}
