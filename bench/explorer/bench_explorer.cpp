// Explorer benchmark: a large database through the real windows, offscreen. A first
// run's main window opens the import wizard, which imports the benchmark schema (the
// OTHERS panel and Next) and is closed with Finish; then, as a user clicks them, the
// connection, its Tables folder, the Document Preview of the folder, one table and
// the Document Preview of the table, and Exit (the history is saved). Beside it the
// same import without a window, and the main window's start with a long history.
//
// A timer that should fire every few milliseconds records the gaps in which the event
// loop did not turn: the longest is the longest pause a user would have seen. Each
// run is a child process of its own, measured by wait4 (peak resident memory). The
// last line for each size is
//
//   N tables: longest pause P ms, peak M MB (headless import peak H MB)
//
// where the pause is the longest from Finish to Exit (the catalogue read itself is
// shown apart), and beside it
//
//   N tables: folder preview shows S of N tables, longest pause P ms
//
// with the tables the folder's Document Preview shows once it has filled in, and the
// longest pause while it did.
//
//   bench_explorer [--sizes 500,5000,20000] [--engines sqlite,postgresql] [--runs 1]
//                  [--history 3000] [--work DIR]
// PostgreSQL comes from MORVALEX_TEST_PG_HOST/_PORT/_USER/_PASSWORD (bench/explorer/run
// starts the test server and sets them).

#include "bench/BenchProgram.h"
#include "bench/BenchSchema.h"
#include "bench/Measure.h"
#include "core/bGlobal.h"
#include "core/TreeFill.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/HistoryFile.h"
#include "explorer/frmDatabaseExplorer.h"
#include "import/ui/frmDatabaseConnection.h"
#include "platform/Allocator.h"
#include "platform/ui/ScriptedHost.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTextDocument>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

namespace {

// ---- the child that drives the windows ------------------------------------------------

// "VmRSS" or "VmHWM" of this process, in MB.
double StatusMB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field)) return line.mid(int(qstrlen(field)) + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// A timer that should fire every 2 ms: a longer gap between two of its ticks is a
// time in which the event loop did not turn, and the window did not paint.
class PauseMeter : public QObject {
public:
    PauseMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(2);
        connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
        m_timer.start();
        m_clock.start();
    }
    void Begin() {
        m_last = m_clock.nsecsElapsed();
        m_longest = 0;
    }
    // The longest gap since Begin, in ms, the time since the last tick included.
    double End() {
        Tick();
        return double(m_longest) / 1e6;
    }

private:
    void Tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// One measured step: its time until done() holds and the window has had one turn of
// the event loop to paint, the longest pause in it, and the memory afterwards.
struct Stepper {
    PauseMeter meter;
    void Run(const char* name, const std::function<void()>& action, const std::function<bool()>& done = {}) {
        meter.Begin();
        QElapsedTimer timer;
        timer.start();
        action();
        QCoreApplication::processEvents();
        while (done && !done() && timer.elapsed() < 600000) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        // The window at rest afterwards: what it paints late still counts as a pause.
        QElapsedTimer rest;
        rest.start();
        while (rest.elapsed() < 50) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double pause = meter.End();
        std::printf("step %s %.4f %.1f %.1f %.1f\n", name, seconds, pause, StatusMB("VmRSS:"), StatusMB("VmHWM:"));
        std::fflush(stdout);
    }
};

// A left click on a tree node, as the mouse gives it: the node scrolled into view,
// pressed and released.
void ClickNode(QTreeWidget* tree, QTreeWidgetItem* node) {
    tree->scrollToItem(node);
    const QPointF at = tree->visualItemRect(node).center();
    const QPointF global = tree->viewport()->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree->viewport(), &release);
}

QTreeWidgetItem* NodeWithTag(QTreeWidget* tree, const QString& tag) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (TreeNodes::Tag(*it) == tag) return *it;
    return nullptr;
}

// Prints "step ..." lines, then "tables N". Exit code 1 when a step could not be done.
int ExplorerChild(const QString& connectionString) {
    QTemporaryDir data;
    bench::StartProgram(data.path());
    frmDatabaseConnection::Install();
    Stepper steps;
    platform::ui::ScriptedHost& host = static_cast<platform::ui::ScriptedHost&>(platform::ui::host());
    bool imported = false;
    // Finish is timed from its click inside the wizard until the main window, loaded
    // and showing the imported connection, has painted.
    frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
    QElapsedTimer finish;
    bool finishing = false;
    // A first run: the main window opens the import wizard modally.
    host.onModal = [&](QObject* window) {
        auto* w = qobject_cast<frmDatabaseConnection*>(window);
        if (!w) return;
        w->show();
        while (w->Step() < 1) w->cmdNavigate[2]->click();
        w->cboDBTypes->setCurrentIndex(bGlobal::dbOthers);
        w->txtConnectionString->setText(connectionString);
        QCoreApplication::processEvents();
        steps.Run("import", [&] { w->cmdNavigate[2]->click(); });
        imported = w->Step() == 3 && w->Imported();
        if (!imported) return;
        steps.meter.Begin();
        finish.start();
        finishing = true;
        w->cmdNavigate[3]->click();
    };
    explorer.Show();
    if (!imported || !finishing) return 1;
    QCoreApplication::processEvents();
    {
        const double seconds = double(finish.nsecsElapsed()) / 1e9;
        QElapsedTimer rest;
        rest.start();
        while (rest.elapsed() < 50) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        std::printf("step Finish %.4f %.1f %.1f %.1f\n", seconds, steps.meter.End(), StatusMB("VmRSS:"), StatusMB("VmHWM:"));
        std::fflush(stdout);
    }

    QTreeWidget* tree = explorer.trvMain;
    QTreeWidgetItem* connection = NodeWithTag(tree, bGlobal::gDecimalSymbol.isEmpty() ? QStringLiteral("3.0")
                                                                                        : QStringLiteral("3") + bGlobal::gDecimalSymbol + QStringLiteral("0"));
    QTreeWidgetItem* tables = NodeWithTag(tree, QStringLiteral("4"));
    if (!connection || !tables) return 1;
    const int n = bench::Tables();
    steps.Run("connection", [&] { ClickNode(tree, connection); });
    steps.Run("Tables", [&] { ClickNode(tree, tables); }, [&] { return explorer.lsvDescription->model()->rowCount() >= n; });
    // The folder's preview fills in over many turns of the event loop: the step lasts
    // until both pages are complete.
    const auto previewsComplete = [&] { return !explorer.PreviewPending(); };
    steps.Run("folder-preview", [&] { explorer.ssRHPanel->setCurrentIndex(1); }, previewsComplete);
    // Every table card of the page opens with its kind and two fixed blanks.
    std::printf("shown %lld\n", static_cast<long long>(explorer.wbReport->document()->toRawText().count(QStringLiteral("Table\u00a0\u00a0"))));
    QTreeWidgetItem* table = nullptr;
    steps.Run("table", [&] {
        tables->setExpanded(true);
        table = tables->child(tables->childCount() / 2);
        if (table) ClickNode(tree, table);
    });
    if (!table) return 1;
    steps.Run("table-preview", [&] { explorer.ssRHPanel->setCurrentIndex(1); }, previewsComplete);
    steps.Run("Exit", [&] {
        explorer.mnuSubFile.value(7)->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    });
    if (!QFile::exists(HistoryFile::Path())) return 1;
    for (const QString& message : host.messages()) std::printf("message %s\n", qPrintable(QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    std::printf("tables %d\n", n);
    return 0;
}

// The main window's start with a history of `connections` connections in ten groups:
// prints "startup seconds pause".
int StartupChild(int connections) {
    QTemporaryDir data;
    bench::StartProgram(data.path());
    cXML tree;
    const int groups = 10;
    for (int g = 0; g < groups; ++g) {
        TreeDocument::AddGroup(tree, QStringLiteral("Group %1").arg(g));
        bGlobal::gGroupIndex = qint16(g);
        for (int c = g; c < connections; c += groups) {
            bGlobal::gDatabaseName = QStringLiteral("database_%1").arg(c);
            bGlobal::gDatabaseType = qint16(bGlobal::dbOthers);
            TreeDocument::AddDBConnection(tree, QStringLiteral("Driver=SQLite3;Database=/data/database_%1.db").arg(c));
        }
    }
    cXML history;
    HistoryFile::Generate(tree, history);
    if (HistoryFile::Save(history, [](const QString& text, const QString& pass) { return bGlobal::EncryptText(text, pass); }) !=
        HistoryFile::Saved::Written)
        return 1;
    bGlobal::gGroupIndex = 0;
    bGlobal::gConnectionIndex = 0;
    Stepper steps;
    QCoreApplication::processEvents();
    steps.Run("startup", [&] { frmDatabaseExplorer::instance().Show(); },
              [&] { return frmDatabaseExplorer::instance().isVisible(); });
    return frmDatabaseExplorer::instance().trvMain->topLevelItemCount() == 1 ? 0 : 1;
}

// ---- the parent that runs and prints them -------------------------------------------

struct Step {
    QString name;
    double seconds = 0, pauseMs = 0, residentMB = 0, peakSoFarMB = 0;
};

struct Run {
    bench::Measure process;
    QList<Step> steps;
    int tables = -1;
    int shown = -1;  // tables the folder's preview shows
    QStringList messages;
};

// The child's output goes to outFile, what it says on stderr (Qt's warnings) beside it
// in outFile + ".err".
Run RunChild(const QStringList& argv, const QString& outFile) {
    Run r;
    r.process = bench::run(argv, QString(), outFile, outFile + QStringLiteral(".err"));
    QFile out(outFile);
    if (!out.open(QIODevice::ReadOnly)) return r;
    for (const QByteArray& line : out.readAll().split('\n')) {
        const QList<QByteArray> w = line.trimmed().split(' ');
        if (w.value(0) == "step" && w.size() >= 6)
            r.steps << Step{QString::fromLatin1(w[1]), w[2].toDouble(), w[3].toDouble(), w[4].toDouble(), w[5].toDouble()};
        else if (w.value(0) == "tables")
            r.tables = w.value(1).toInt();
        else if (w.value(0) == "shown")
            r.shown = w.value(1).toInt();
        else if (w.value(0) == "message")
            r.messages << QString::fromUtf8(line.mid(8));
    }
    return r;
}

double Median(const QList<Run>& runs, const std::function<double(const Run&)>& of) {
    QList<double> v;
    for (const Run& r : runs) v << of(r);
    return bench::median(v);
}

double StepMedian(const QList<Run>& runs, const QString& name, double Step::*field) {
    return Median(runs, [&](const Run& r) {
        for (const Step& s : r.steps)
            if (s.name == name) return s.*field;
        return 0.0;
    });
}

bool Failed(const QList<Run>& runs) {
    for (const Run& r : runs)
        if (r.process.exitCode != 0) return true;
    return false;
}

// Figures of one size, kept to show the growth to the next.
struct Figures {
    int n = 0;
    double pauseMs = 0, peakMB = 0, headlessMB = 0, listSeconds = 0, finishSeconds = 0;
};

}  // namespace

int main(int argc, char** argv) {
    // The children measure the program as it ships, allocator settings included.
    const QByteArray mode = argc >= 3 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--explorer" || mode == "--headless" || mode == "--startup") {
        platform::TuneAllocator();
        // Offscreen unless a platform is asked for: on a display the window can be watched.
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        platform::ui::ScopedScriptedHost host;
        if (mode == "--explorer") return ExplorerChild(QString::fromLocal8Bit(argv[2]));
        if (mode == "--startup") return StartupChild(QByteArray(argv[2]).toInt());
        return bench::HeadlessChild(QString::fromLocal8Bit(argv[2]));
    }

    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bench::Options options = bench::parseOptions(
        args, {{500, 5000, 20000}, {QStringLiteral("sqlite")}, 1, QDir::tempPath() + QStringLiteral("/morvalex-bench-explorer")});
    int history = 3000;
    if (const qsizetype at = args.indexOf(QStringLiteral("--history")); at > 0 && at + 1 < args.size()) history = args[at + 1].toInt();
    const QString self = QCoreApplication::applicationFilePath();
    const QString outFile = options.work + QStringLiteral("/child.out");
    const bench::TestServer server;

    std::printf("The main window offscreen, driven as a user clicks it; %d run(s) each, medians.\n"
                "Step times run until the window has painted; a pause is a gap in which the event loop did not turn.\n",
                options.runs);
    std::fflush(stdout);

    if (history > 0) {
        QList<Run> runs;
        for (int r = 0; r < options.runs; ++r) runs << RunChild({self, QStringLiteral("--startup"), QString::number(history)}, outFile);
        std::printf("Start-up with a history of %d connections: %.3f s to the main window, longest pause %.0f ms, peak %.1f MB%s\n",
                    history, StepMedian(runs, QStringLiteral("startup"), &Step::seconds),
                    StepMedian(runs, QStringLiteral("startup"), &Step::pauseMs),
                    Median(runs, [](const Run& r) { return r.process.peakMB; }), Failed(runs) ? "   (FAILED)" : "");
        std::fflush(stdout);
    }

    const QStringList stepNames = {QStringLiteral("import"), QStringLiteral("Finish"), QStringLiteral("connection"),
                                   QStringLiteral("Tables"), QStringLiteral("folder-preview"), QStringLiteral("table"),
                                   QStringLiteral("table-preview"), QStringLiteral("Exit")};
    for (const QString& engine : options.engines) {
        const bool pg = engine == QLatin1String("postgresql");
        if (pg && server.port.isEmpty()) {
            std::printf("%s: skipped (no test server; use bench/explorer/run)\n", qPrintable(engine));
            continue;
        }
        Figures previous;
        for (int n : options.sizes) {
            const QString connectionString = bench::makeSchema(options.work, engine, n, server, QStringLiteral("bench_explorer"));
            if (connectionString.isEmpty()) {
                std::printf("%s N=%d: creating the schema failed\n", qPrintable(engine), n);
                continue;
            }

            QList<Run> headless, window;
            for (int r = 0; r < options.runs; ++r) {
                headless << RunChild({self, QStringLiteral("--headless"), connectionString}, outFile);
                window << RunChild({self, QStringLiteral("--explorer"), connectionString}, outFile);
            }
            std::printf("%s, N = %d tables%s\n", qPrintable(engine), n, Failed(window) || Failed(headless) ? "   (FAILED)" : "");
            std::printf("  %-16s %10s %12s %12s %12s\n", "step", "time s", "pause ms", "resident MB", "peak MB");
            Figures now;
            now.n = n;
            for (const QString& name : stepNames) {
                const double pause = StepMedian(window, name, &Step::pauseMs);
                std::printf("  %-16s %10.3f %12.0f %12.1f %12.1f\n", qPrintable(name), StepMedian(window, name, &Step::seconds), pause,
                            StepMedian(window, name, &Step::residentMB), StepMedian(window, name, &Step::peakSoFarMB));
                if (name != QLatin1String("import")) now.pauseMs = std::max(now.pauseMs, pause);
            }
            now.peakMB = Median(window, [](const Run& r) { return r.process.peakMB; });
            now.headlessMB = Median(headless, [](const Run& r) { return r.process.peakMB; });
            now.listSeconds = StepMedian(window, QStringLiteral("Tables"), &Step::seconds);
            now.finishSeconds = StepMedian(window, QStringLiteral("Finish"), &Step::seconds);
            for (const Run& r : window)
                for (const QString& m : r.messages) std::printf("  message: %s\n", qPrintable(m));
            std::printf("  whole run %.1f s; headless import %.1f s; peak %.2fx the headless import's\n",
                        Median(window, [](const Run& r) { return r.process.seconds; }),
                        Median(headless, [](const Run& r) { return r.process.seconds; }),
                        now.headlessMB > 0 ? now.peakMB / now.headlessMB : 0.0);
            if (previous.n > 0) {
                const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
                std::printf("  growth from %d to %d tables (x%.1f): peak x%.2f, Tables list x%.2f, Finish x%.2f, longest pause x%.2f\n",
                            previous.n, n, double(n) / previous.n, ratio(now.peakMB, previous.peakMB),
                            ratio(now.listSeconds, previous.listSeconds), ratio(now.finishSeconds, previous.finishSeconds),
                            ratio(now.pauseMs, previous.pauseMs));
            }
            std::printf("%d tables: folder preview shows %.0f of %d tables, longest pause %.0f ms\n", n,
                        Median(window, [](const Run& r) { return double(r.shown); }), n,
                        StepMedian(window, QStringLiteral("folder-preview"), &Step::pauseMs));
            std::printf("%d tables: longest pause %.0f ms, peak %.0f MB (headless import peak %.0f MB)\n", n, now.pauseMs, now.peakMB,
                        now.headlessMB);
            std::fflush(stdout);
            previous = now;
        }
    }
    return 0;
}
