// Migration benchmark: N tables (10 columns, a primary key, one or two indexes and one
// foreign key each) in a SQLite file, documented through cADODB as OTHERS, migrated to
// the PostgreSQL test server through the wizard's generator (SQL Server 6.5 dialect,
// a map naming PostgreSQL types), beside psql running the same script over one
// connection into a second, empty database.
//
//   bench_migrate [--tables 1000] [--work DIR]
// PostgreSQL comes from MORVALEX_TEST_PG_HOST/_PORT/_USER/_PASSWORD (bench/migrate/run
// starts the test server and sets them).

#include "core/FileUtil.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/cADODB.h"
#include "migration/MigrationSession.h"
#include "migration/cMigrate.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <cstdio>
#include <memory>

namespace {

const char* const kMap = R"(<MIGRATION><DATATYPES>
  <OTHERS>integer</OTHERS><SQLSERVER65>integer</SQLSERVER65>
  <OTHERS>varchar</OTHERS><SQLSERVER65 LengthAllowed="1" MaxLength="10485760">varchar</SQLSERVER65>
  <OTHERS>char</OTHERS><SQLSERVER65 LengthAllowed="1" MaxLength="10485760">char</SQLSERVER65>
  <OTHERS>numeric</OTHERS><SQLSERVER65>numeric</SQLSERVER65>
  <OTHERS>date</OTHERS><SQLSERVER65>date</SQLSERVER65>
  <OTHERS>smallint</OTHERS><SQLSERVER65>smallint</SQLSERVER65>
  <OTHERS>text</OTHERS><SQLSERVER65>text</SQLSERVER65>
</DATATYPES></MIGRATION>)";

QString schemaSql(int n) {
    QString sql;
    QTextStream out(&sql);
    out << "BEGIN;\n";
    for (int t = 0; t < n; ++t) {
        out << "CREATE TABLE t" << t << " (id INTEGER NOT NULL, parent_id INTEGER REFERENCES t" << (t > 0 ? t - 1 : 0)
            << "(id), code VARCHAR(20) NOT NULL, name VARCHAR(100), amount NUMERIC(12,2), qty INTEGER, created DATE,"
               " flag SMALLINT, note TEXT, ref_code CHAR(8), PRIMARY KEY (id));\n";
        out << "CREATE INDEX ix_t" << t << "_code ON t" << t << " (code);\n";
        if (t % 2 == 0) out << "CREATE UNIQUE INDEX ux_t" << t << "_ref ON t" << t << " (ref_code, code);\n";
    }
    out << "COMMIT;\n";
    return sql;
}

int run(const QString& program, const QStringList& args, double* seconds = nullptr) {
    QElapsedTimer timer;
    timer.start();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(program, args);
    p.waitForFinished(-1);
    if (seconds) *seconds = double(timer.nsecsElapsed()) / 1e9;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int n = 1000;
    QString work = QDir::tempPath() + QStringLiteral("/morvalex-bench-migrate");
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--tables")) n = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--work")) work = args[i + 1];
    }
    const QString host = qEnvironmentVariable("MORVALEX_TEST_PG_HOST"), port = qEnvironmentVariable("MORVALEX_TEST_PG_PORT"),
                  user = qEnvironmentVariable("MORVALEX_TEST_PG_USER"), password = qEnvironmentVariable("MORVALEX_TEST_PG_PASSWORD");
    if (port.isEmpty()) {
        std::printf("skipped: no test server (use bench/migrate/run)\n");
        return 1;
    }
    QDir(work).removeRecursively();
    QDir().mkpath(work);

    // The program's folder: the query catalogue and the bench map.
    QFile::copy(QStringLiteral(MORVALEX_RESOURCE_DIR "/queries.mxq"), work + QStringLiteral("/queries.mxq"));
    bGlobal::SetAppPathForTesting(work, work);
    bGlobal::Main();
    WriteTextFileAtomic(work + QStringLiteral("/DataTypes.mxd"),
                        bGlobal::EncryptText(QString::fromUtf8(kMap), bGlobal::PassPhrase(1)));

    // The source.
    const QString sqlFile = work + QStringLiteral("/schema.sql"), dbFile = work + QStringLiteral("/source.db");
    WriteTextFileAtomic(sqlFile, schemaSql(n));
    if (run(QStringLiteral("sqlite3"), {dbFile, QStringLiteral(".read ") + sqlFile}) != 0) {
        std::printf("creating the SQLite source failed\n");
        return 1;
    }
    bGlobal::oLHXML = std::make_shared<cXML>();
    bGlobal::oLHXML->LoadXMLContent(QStringLiteral(
        "<DATABASESTRUCTURES><DATABASEGROUP Name=\"G\"><DATABASECONNECTION Name=\"bench\"/></DATABASEGROUP></DATABASESTRUCTURES>"));
    bGlobal::gGroupIndex = 0;
    bGlobal::gConnectionIndex = 0;
    bGlobal::gDatabaseType = bGlobal::dbOthers;
    bGlobal::gDatabaseName = QStringLiteral("bench");
    QElapsedTimer timer;
    timer.start();
    cADODB reader;
    reader.SetConnection(QStringLiteral("Driver=SQLite3;Database=%1;NoCreat=1").arg(dbFile));
    if (!reader.ADOConnect() || !reader.GenerateXML()) {
        std::printf("documenting the source failed\n");
        return 1;
    }
    const double importSeconds = double(timer.nsecsElapsed()) / 1e9;
    QStringList paths, names;
    MigrationSession::AllObjects(*bGlobal::oStructureXML, paths, names);

    // Two empty targets.
    qputenv("PGPASSWORD", password.toUtf8());
    const QStringList psql = {QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), host,
                              QStringLiteral("-p"), port, QStringLiteral("-U"), user};
    for (const char* db : {"bench_migrate_a", "bench_migrate_b"}) {
        run(QStringLiteral("psql"), psql + QStringList{QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-c"),
                                                       QStringLiteral("DROP DATABASE IF EXISTS %1").arg(QLatin1String(db))});
        run(QStringLiteral("psql"), psql + QStringList{QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-c"),
                                                       QStringLiteral("CREATE DATABASE %1").arg(QLatin1String(db))});
    }

    // The generator's own share: the same migration built without running it.
    double generateSeconds = 0;
    {
        MigrationSession dry;
        dry.MarkObjects(*bGlobal::oStructureXML, paths, names);
        cMigrate generator;
        generator.SetConnectionString(
            QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=bench_migrate_a;Uid=%3;Pwd=%4").arg(host, port, user, password));
        generator.SetDBXMLContent(bGlobal::oStructureXML->GetXMLContent());
        generator.ExecuteImmediately(false);
        timer.restart();
        generator.GenerateSQLServer65Tables(QStringLiteral("OTHERS"));
        generateSeconds = double(timer.nsecsElapsed()) / 1e9;
    }

    // Morvalex: mark, generate and run, as the wizard does.
    MigrationSession session;
    auto owned = std::make_unique<cMigrate>();
    cMigrate& generator = *owned;
    timer.restart();
    session.MarkObjects(*bGlobal::oStructureXML, paths, names);
    session.Run(generator,
                QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=bench_migrate_a;Uid=%3;Pwd=%4").arg(host, port, user, password),
                bGlobal::oStructureXML->GetXMLContent(), bGlobal::dbSQLServer65, QStringLiteral("OTHERS"), QStringLiteral("SQL Server 6.5"), {});
    const double morvalexSeconds = double(timer.nsecsElapsed()) / 1e9;
    if (!session.Errors().isEmpty()) {
        std::printf("the migration reported errors:\n%s\n", qPrintable(session.Errors().left(2000)));
        return 1;
    }

    // psql: the same script over one connection.
    QString script = generator.AllQueries();
    script.replace(cMigrate::Separator(), QStringLiteral(";\n"));
    const QString scriptFile = work + QStringLiteral("/script.sql");
    WriteTextFileAtomic(scriptFile, script);
    double psqlSeconds = 0;
    if (run(QStringLiteral("psql"), psql + QStringList{QStringLiteral("-d"), QStringLiteral("bench_migrate_b"), QStringLiteral("-f"), scriptFile},
            &psqlSeconds) != 0) {
        std::printf("psql failed on the script\n");
        return 1;
    }

    std::printf("N = %d tables, %lld objects migrated (%lld statements); source documented in %.2f s\n", n,
                static_cast<long long>(generator.ObjectsMigrated()), static_cast<long long>(script.count(QStringLiteral(";\n"))),
                importSeconds);
    std::printf("  %-40s %8.2f s\n", "psql -f script (one connection)", psqlSeconds);
    std::printf("  %-40s %8.2f s   x%.2f\n", "Morvalex migration (wizard's generator)", morvalexSeconds,
                psqlSeconds > 0 ? morvalexSeconds / psqlSeconds : 0.0);
    std::printf("  %-40s %8.2f s\n", "  of which building the script", generateSeconds);
    owned.reset();  // closes the generator's connection, so its database can go
    for (const char* db : {"bench_migrate_a", "bench_migrate_b"})
        run(QStringLiteral("psql"), psql + QStringList{QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-c"),
                                                       QStringLiteral("DROP DATABASE IF EXISTS %1").arg(QLatin1String(db))});
    return 0;
}
