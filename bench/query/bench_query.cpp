// Query-tab benchmark: a SELECT of N rows x 6 columns from the PostgreSQL test server
// run through the main window's query tab (offscreen, in a child process), timed until
// the first rows are in the grid and until the count message, with the child's peak
// memory; beside it psql -c of the same statement to /dev/null. Then the output saved
// as HTML.
//
//   bench_query [--rows 1000000]
// PostgreSQL comes from MORVALEX_TEST_PG_HOST/_PORT/_USER/_PASSWORD (bench/query/run
// starts the test server and sets them).

#include "bench/Measure.h"
#include "core/StartupInfo.h"
#include "core/bGlobal.h"
#include "explorer/frmDatabaseExplorer.h"
#include "platform/ui/ScriptedHost.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <unistd.h>

namespace {

const char* kTable = "bench_rows";
QString env(const char* name) { return qEnvironmentVariable(name); }

QString statement() { return QStringLiteral("SELECT id, name, amount, created, flag, note FROM %1").arg(QLatin1String(kTable)); }

QStringList psqlArgs(const QString& database) {
    return {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"), env("MORVALEX_TEST_PG_HOST"),
            QStringLiteral("-p"), env("MORVALEX_TEST_PG_PORT"), QStringLiteral("-U"), env("MORVALEX_TEST_PG_USER"),
            QStringLiteral("-d"), database};
}

bool psql(const QString& database, const QString& sql) {
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("PGPASSWORD"), env("MORVALEX_TEST_PG_PASSWORD"));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral("psql"), psqlArgs(database) << QStringLiteral("-v") << QStringLiteral("ON_ERROR_STOP=1")
                                                       << QStringLiteral("-c") << sql);
    p.waitForFinished(-1);
    if (p.exitCode() != 0) fprintf(stderr, "psql: %s\n", p.readAllStandardError().constData());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

using bench::Measure;
using bench::run;

// The child: the main window runs the statement; prints "first count save" seconds.
int child(int argc, char** argv, const QString& database, const QString& work) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::ui::ScriptedHost host;
    platform::ui::setHost(&host);
    // The build's read-only files (catalogue, styles) and a data folder of this run's own.
    bGlobal::SetAppPathForTesting(QStringLiteral(MORVALEX_RESOURCE_DIR), work + QStringLiteral("/data"));
    bGlobal::Main();
    bGlobal::oGUID = std::make_shared<cGUID>();
    frmDatabaseExplorer& w = frmDatabaseExplorer::instance();
    w.Show();
    w.resize(1200, 800);
    bGlobal::gGroupIndex = 0;
    bGlobal::gDatabaseName = database;
    bGlobal::gDatabaseType = bGlobal::dbOthers;
    w.AddNewDBConnection(QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3;UID=%4;PWD=%5")
                             .arg(env("MORVALEX_TEST_PG_HOST"), env("MORVALEX_TEST_PG_PORT"), database,
                                  env("MORVALEX_TEST_PG_USER"), env("MORVALEX_TEST_PG_PASSWORD")));
    w.ssRHPanel->setTabEnabled(3, true);
    w.ssRHPanel->setCurrentIndex(3);
    w.txtQuery->setPlainText(statement());
    app.processEvents();

    double first = -1, count = -1;
    QElapsedTimer timer;
    QTimer probe;
    probe.setInterval(2);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const QAbstractItemModel* model = w.dgResult->model();
        if (first < 0 && model && model->rowCount() > 0) first = double(timer.nsecsElapsed()) / 1e9;
        if (count < 0 && w.txtMessages->toPlainText().contains(QStringLiteral("record(s)"))) count = double(timer.nsecsElapsed()) / 1e9;
    });
    probe.start();
    timer.start();
    frmDatabaseExplorer::Button(w.tlbExecute, QStringLiteral("Execute"))->click();
    // The grid paints its first rows.
    w.dgResult->repaint();
    const double painted = double(timer.nsecsElapsed()) / 1e9;
    if (first < 0) first = painted;
    if (count < 0 && w.txtMessages->toPlainText().contains(QStringLiteral("record(s)"))) count = painted;
    probe.stop();

    const QString html = work + QStringLiteral("/out.html");
    host.paths.enqueue(html);
    QElapsedTimer save;
    save.start();
    w.SaveQueryOutputAsHTML();
    const double saved = double(save.nsecsElapsed()) / 1e9;
    printf("%.3f %.3f %.3f %lld %s\n", first, count, saved, static_cast<long long>(QFileInfo(html).size()),
           qPrintable(w.txtMessages->toPlainText().replace(QLatin1Char('\n'), QLatin1Char(' '))));
    fflush(stdout);
    _exit(0);  // skip the history and clean-up of a normal close
}

}  // namespace

int main(int argc, char** argv) {
    long long rows = 1000000;
    QString childDb, childWork;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--rows" && i + 1 < argc) rows = QByteArray(argv[++i]).toLongLong();
        else if (a == "--child" && i + 2 < argc) {
            childDb = QString::fromLocal8Bit(argv[++i]);
            childWork = QString::fromLocal8Bit(argv[++i]);
        }
    }
    if (!childDb.isEmpty()) return child(argc, argv, childDb, childWork);

    if (env("MORVALEX_TEST_PG_PORT").isEmpty()) {
        fprintf(stderr, "bench_query: MORVALEX_TEST_PG_* are not set (use bench/query/run)\n");
        return 2;
    }
    const QString database = QStringLiteral("bench_query_%1").arg(getpid());
    if (!psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ") + database)) return 1;
    const bool made = psql(database, QStringLiteral("CREATE TABLE %1 AS SELECT g AS id, 'name ' || g AS name, "
                                                    "(g * 1.25)::numeric(12,2) AS amount, "
                                                    "timestamp '2020-01-01' + g * interval '1 second' AS created, "
                                                    "(g % 2 = 0) AS flag, md5(g::text) AS note "
                                                    "FROM generate_series(1, %2) g")
                                         .arg(QLatin1String(kTable))
                                         .arg(rows));
    QTemporaryDir work;
    if (made) {
        qputenv("PGPASSWORD", env("MORVALEX_TEST_PG_PASSWORD").toLocal8Bit());
        const Measure ps = run(QStringList{QStringLiteral("psql")} << psqlArgs(database) << QStringLiteral("-c") << statement());
        const QString out = work.filePath(QStringLiteral("child.txt"));
        const Measure tab = run({QString::fromLocal8Bit(argv[0]), QStringLiteral("--child"), database, work.path()}, QString(), out);
        QFile f(out);
        f.open(QIODevice::ReadOnly);
        const QList<QByteArray> fields = f.readAll().trimmed().split(' ');
        printf("rows: %lld x 6 columns\n", rows);
        printf("psql -c ... > /dev/null        %8.3f s   peak %7.1f MB\n", ps.seconds, ps.peakMB);
        if (tab.exitCode == 0 && fields.size() >= 4) {
            printf("query tab: first rows shown    %8.3f s\n", fields[0].toDouble());
            printf("query tab: count message       %8.3f s   peak %7.1f MB   (%.2f x psql)\n", fields[1].toDouble(), tab.peakMB,
                   fields[1].toDouble() / ps.seconds);
            printf("output saved as HTML           %8.3f s   %lld bytes\n", fields[2].toDouble(), fields[3].toLongLong());
            printf("message: %s\n", fields.mid(4).join(' ').constData());
        } else {
            printf("query tab: failed (exit %d)\n", tab.exitCode);
        }
    }
    psql(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE IF EXISTS ") + database);
    return made ? 0 : 1;
}
