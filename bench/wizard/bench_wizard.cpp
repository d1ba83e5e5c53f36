// Wizard benchmark: the same import once headless (cADODB alone) and once driven by the
// import wizard offscreen, its progress handler painting the window as a user sees it.
// Each run is a child process of its own; the headless and wizard runs take turns, so
// a change in the machine's load falls on both alike. Printed: the medians of the
// in-process times (connect and import; for the wizard, the Next click that connects,
// imports and shows the summary page), their spread, the ratio, and the whole
// processes' wall time and peak memory.
//
//   bench_wizard [--sizes 5000] [--engines sqlite,postgresql] [--runs 3] [--work DIR]
// PostgreSQL comes from MORVALEX_TEST_PG_HOST/_PORT/_USER/_PASSWORD (bench/wizard/run
// starts the test server and sets them).

#include "bench/BenchProgram.h"
#include "bench/BenchSchema.h"
#include "bench/Measure.h"
#include "core/bGlobal.h"
#include "explorer/frmDatabaseExplorer.h"
#include "import/ui/frmDatabaseConnection.h"
#include "platform/Allocator.h"
#include "platform/ui/ScriptedHost.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

using bench::Measure;
using bench::StartProgram;
using bench::Tables;

// The same import through the wizard, as a user clicks it: the OTHERS panel with the
// connection string, then Next. Prints "seconds tables".
int WizardChild(const QString& connectionString) {
    QTemporaryDir data;
    StartProgram(data.path());
    frmDatabaseConnection::Install();
    frmDatabaseExplorer::instance().PopulateLHXML();
    frmDatabaseConnection& w = frmDatabaseConnection::instance();
    w.sAction = QStringLiteral("NEW");
    w.Form_Load();
    w.show();
    while (w.Step() < 1) w.cmdNavigate[2]->click();
    w.cboDBTypes->setCurrentIndex(bGlobal::dbOthers);
    w.txtConnectionString->setText(connectionString);
    QCoreApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    w.cmdNavigate[2]->click();
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    if (w.Step() != 3 || !w.Imported()) return 1;
    std::printf("%.4f %d\n", seconds, Tables());
    return 0;
}

struct Sample {
    double inProcess = 0;
    int tables = -1;
    Measure process;
};

Sample RunChild(const QString& self, const QString& mode, const QString& connectionString, const QString& outFile) {
    Sample s;
    s.process = bench::run({self, mode, connectionString}, QString(), outFile);
    QFile out(outFile);
    if (s.process.exitCode == 0 && out.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> words = out.readAll().trimmed().split(' ');
        s.inProcess = words.value(0).toDouble();
        s.tables = words.value(1).toInt();
    }
    return s;
}

struct Summary {
    double median = 0, fastest = 0, slowest = 0, processMedian = 0, peakMB = 0;
    int tables = -1;
    bool failed = false;
};

Summary Summarize(const QList<Sample>& samples) {
    QList<double> times, processes, memory;
    Summary s;
    for (const Sample& x : samples) {
        times << x.inProcess;
        processes << x.process.seconds;
        memory << x.process.peakMB;
        s.failed = s.failed || x.process.exitCode != 0 || x.tables < 0;
        s.tables = x.tables;
    }
    s.median = bench::median(times);
    s.fastest = *std::min_element(times.begin(), times.end());
    s.slowest = *std::max_element(times.begin(), times.end());
    s.processMedian = bench::median(processes);
    s.peakMB = bench::median(memory);
    return s;
}

void Row(const char* what, const Summary& s, const Summary& base) {
    std::printf("  %-34s %8.2f s (%.2f-%.2f)  process %7.2f s %8.1f MB  x%.2f%s\n", what, s.median, s.fastest, s.slowest,
                s.processMedian, s.peakMB, base.median > 0 ? s.median / base.median : 0.0, s.failed ? "   (FAILED)" : "");
}

}  // namespace

int main(int argc, char** argv) {
    // Both import children measure the program as it ships, allocator settings included.
    if (argc >= 3 && (QByteArray(argv[1]) == "--wizard" || QByteArray(argv[1]) == "--headless")) platform::TuneAllocator();
    if (argc >= 3 && QByteArray(argv[1]) == "--wizard") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        platform::ui::ScopedScriptedHost host;
        return WizardChild(QString::fromLocal8Bit(argv[2]));
    }
    if (argc >= 3 && QByteArray(argv[1]) == "--headless") {
        // The same application object as the wizard's run, so both start alike.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        platform::ui::ScopedScriptedHost host;
        return bench::HeadlessChild(QString::fromLocal8Bit(argv[2]));
    }

    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bench::Options options = bench::parseOptions(
        args, {{5000}, {QStringLiteral("sqlite"), QStringLiteral("postgresql")}, 3, QDir::tempPath() + QStringLiteral("/morvalex-bench-wizard")});
    const int runs = options.runs;
    const QString self = QCoreApplication::applicationFilePath();
    const bench::TestServer server;

    std::printf("The same import headless and through the wizard offscreen; medians of %d runs (fastest-slowest).\n"
                "Timed in the process: connect and import; for the wizard, the Next click to the summary page.\n",
                runs);
    std::fflush(stdout);  // before any child inherits the buffer
    for (int n : options.sizes) {
        for (const QString& engine : options.engines) {
            const bool pg = engine == QLatin1String("postgresql");
            if (pg && server.port.isEmpty()) {
                std::printf("%s: skipped (no test server; use bench/wizard/run)\n", qPrintable(engine));
                continue;
            }
            const QString connectionString = bench::makeSchema(options.work, engine, n, server, QStringLiteral("bench_wizard"));
            if (connectionString.isEmpty()) {
                std::printf("%s N=%d: creating the schema failed\n", qPrintable(engine), n);
                continue;
            }
            const QString outFile = options.work + QStringLiteral("/child.out");
            QList<Sample> headless, wizard;
            for (int r = 0; r < runs; ++r) {
                headless << RunChild(self, QStringLiteral("--headless"), connectionString, outFile);
                wizard << RunChild(self, QStringLiteral("--wizard"), connectionString, outFile);
            }
            const Summary h = Summarize(headless), w = Summarize(wizard);
            std::printf("%s, N = %d tables\n", qPrintable(engine), n);
            Row("headless import (cADODB)", h, h);
            Row("wizard import (offscreen)", w, h);
            if (h.tables != w.tables) std::printf("  tables differ: headless %d, wizard %d\n", h.tables, w.tables);
            std::fflush(stdout);
        }
    }
    return 0;
}
