// Report benchmark: a structure document of N tables (20 columns, 2 indexes, 1
// foreign key and 1 trigger each) written as a one-page report and as a report split
// at 5 objects a page, side by side with xsltproc applying the same report style
// sheet to the same document. Each run is a process of its own, so wall time and
// peak memory (maximum resident set) are those of the whole job: read the document,
// transform, write the files.
//
// Then the Word report of --word-tables tables (SaveNowInWord's work: the HTML report
// in the Word layout, converted by LibreOffice with a private profile) beside the bare
// soffice --convert-to of the same HTML file, once with a fresh private profile (as
// the program runs it) and once with a profile kept between runs (a user's warm one).
//
//   bench_report [--tables 250,500,1000] [--runs 3] [--per-page 5] [--word-tables 250]
//                [--word-runs 3] [--out DIR] [--compare OTHER_BENCH_REPORT]
//
// --compare runs another build of this program (a copy made before a change) on the
// same documents in the same rounds, so its figures share the machine's load.
// A paged report makes a file per page: where making files is dear (ext4 without a
// journal scans past recently deleted inodes, which other jobs on the machine leave),
// --out on a tmpfs such as /dev/shm shows the report's own cost beside xsltproc's.

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "platform/Allocator.h"
#include "reports/WordReport.h"
#include "reports/bXMLSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

QString Xml(QString text) { return text.toHtmlEscaped(); }

// The structure document of n tables. Table t's foreign key refers to table t-1.
QByteArray StructureDocument(int tables) {
    QString out;
    out.reserve(tables * 6000);
    out += QStringLiteral("<?xml version=\"1.0\"?>\n<DATABASE Name=\"bench\" DatabaseEngine=\"OTHERS\" DatabaseType=\"12\" "
                          "DatabaseName=\"bench\" ServerName=\"127.0.0.1\" Time=\"\" CreatedOn=\"\" ServerType=\"OTHERS\" "
                          "CreatedBy=\"bench\">\n");
    for (int t = 0; t < tables; ++t) {
        const QString name = QStringLiteral("table_%1").arg(t, 5, 10, QLatin1Char('0'));
        out += QStringLiteral("<TABLE Name=\"%1\" CreatedOn=\"1/2/2024\" Report=\"1\" Migrate=\"0\">\n").arg(name);
        for (int c = 0; c < 20; ++c) {
            out += QStringLiteral("<COLUMN Name=\"column_%1\" Datatype=\"%2\" Length=\"%3\" Ordinal_Position=\"%4\" "
                                  "Column_Default=\"%5\" Null_Allowed=\"%6\" Check_Constraint=\"%7\" Primary_Key=\"%8\"/>\n")
                       .arg(c)
                       .arg(c % 3 == 0 ? QStringLiteral("integer") : QStringLiteral("varchar"))
                       .arg(c % 3 == 0 ? 4 : 80)
                       .arg(c + 1)
                       .arg(c % 4 == 1 ? Xml(QStringLiteral("'n/a'")) : QString())
                       .arg(c == 0 ? QStringLiteral("False") : QStringLiteral("True"))
                       .arg(c == 2 ? Xml(QStringLiteral("column_2 > 0")) : QString())
                       .arg(c == 0 ? QStringLiteral("pk_") + name : QString());
        }
        out += QStringLiteral("<INDEX Name=\"pk_%1\" Column_Name=\"column_0\" Description=\"Unique,Primary Key\" "
                              "Table_Name=\"%1\" Report=\"1\" Migrate=\"0\"/>\n"
                              "<INDEX Name=\"ix_%1_1\" Column_Name=\"column_1,column_2\" Description=\"\" "
                              "Table_Name=\"%1\" Report=\"1\" Migrate=\"0\"/>\n")
                   .arg(name);
        const QString referenced = QStringLiteral("table_%1").arg(t == 0 ? tables - 1 : t - 1, 5, 10, QLatin1Char('0'));
        out += QStringLiteral("<FOREIGNKEY Name=\"fk_%1\" RelatedColumn=\"column_3\" PrimaryKeyTable=\"%2\" "
                              "ForeignKeyTable=\"%1\" UpdateRule=\"NO ACTION\" DeleteRule=\"CASCADE\" "
                              "PrimaryKeyColumn=\"column_0\" Report=\"1\" Migrate=\"0\"/>\n")
                   .arg(name, referenced);
        out += QStringLiteral("<TRIGGER Name=\"trg_%1\" Table_Name=\"%1\" Report=\"1\" Migrate=\"0\"><SQLSCRIPT><![CDATA["
                              "CREATE TRIGGER trg_%1<BR/>AFTER UPDATE ON %1<BR/>FOR EACH ROW<BR/>BEGIN<BR/>"
                              "  UPDATE %1 SET column_5 = 'changed' WHERE column_0 = NEW.column_0;<BR/>END]]>"
                              "</SQLSCRIPT></TRIGGER>\n</TABLE>\n")
                   .arg(name);
    }
    out += QStringLiteral("</DATABASE>\n");
    return out.toUtf8();
}

struct Run {
    double seconds = 0;
    double peakMB = 0;
    bool ok = false;
};

// Runs a program to its end, reading nothing and writing its output nowhere; its wall
// time and maximum resident set.
Run Measure(const QStringList& command) {
    QList<QByteArray> bytes;
    for (const QString& a : command) bytes << QFile::encodeName(a);
    std::vector<char*> argv;
    for (QByteArray& b : bytes) argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    Run run;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) return run;
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    run.seconds = double(timer.nsecsElapsed()) / 1e9;
    run.peakMB = double(usage.ru_maxrss) / 1024.0;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

// The median of each command over several rounds; the commands take turns, each round
// starting with the next one, so a change in the machine's load (or what an earlier
// job left the file system to do) falls on all of them alike. prepare runs before each
// command, outside the measured time, with the command's index.
QList<Run> Medians(const QList<QStringList>& commands, int runs, const std::function<void(qsizetype)>& prepare = {}) {
    QList<QList<Run>> all(commands.size());
    for (int r = 0; r < runs; ++r)
        for (qsizetype i = 0; i < commands.size(); ++i) {
            const qsizetype c = (i + r) % commands.size();
            if (prepare) prepare(c);
            all[c] << Measure(commands[c]);
        }
    QList<Run> out;
    for (QList<Run>& runsOfOne : all) {
        std::sort(runsOfOne.begin(), runsOfOne.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
        out << runsOfOne[runsOfOne.size() / 2];
    }
    return out;
}

// One report in this process: --case single|split|word|word-html --input FILE --out DIR
// --per-page N.
int WriteReport(const QString& mode, const QString& input, const QString& out, int perPage) {
    const QString data = out + QStringLiteral("/data");
    QDir().mkpath(data);
    bGlobal::SetAppPathForTesting(QStringLiteral(MORVALEX_RESOURCE_DIR), data);
    bGlobal::SetDefaultReportOptions();
    bGlobal::gReportTemplateFile = bGlobal::AppPath() + QStringLiteral("/MorvalexTop.template");
    bGlobal::gDatabaseName = QStringLiteral("bench");
    bGlobal::gServerName = QStringLiteral("127.0.0.1");
    bGlobal::gObjectsPerPage = qint16(perPage);
    bGlobal::oStructureXML = std::make_shared<cXML>();
    if (!bGlobal::oStructureXML->LoadXMLFile(input)) return 2;
    if (mode == QLatin1String("word")) {
        QDir().mkpath(out + QStringLiteral("/word"));
        return WordReport::Save(out + QStringLiteral("/word/bench.doc")) ? 0 : 1;
    }
    // The HTML file that the Word report converts, which it removes once converted.
    if (mode == QLatin1String("word-html"))
        return WordReport::WriteHTML(out + QStringLiteral("/html/tempwordcontent.html")) ? 0 : 1;
    const bool split = mode == QLatin1String("split");
    const QString target = split ? out + QStringLiteral("/split/") : out + QStringLiteral("/single/bench.html");
    // Left from a run by hand; the benchmark removes it before the measured run.
    QDir(out + (split ? QStringLiteral("/split") : QStringLiteral("/single"))).removeRecursively();
    return bXMLSupport::SaveAsHTML(target, split) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // A measured report child runs with the allocator the program sets at start.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--case") == 0) platform::TuneAllocator();
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    auto option = [&](const QString& name, const QString& fallback) {
        const qsizetype i = args.indexOf(name);
        return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
    };
    const int perPage = option(QStringLiteral("--per-page"), QStringLiteral("5")).toInt();
    const QString out = QDir(option(QStringLiteral("--out"), QDir::tempPath() + QStringLiteral("/morvalex-bench-report")))
                            .absolutePath();
    const QString mode = option(QStringLiteral("--case"), QString());
    if (!mode.isEmpty()) return WriteReport(mode, option(QStringLiteral("--input"), QString()), out, perPage);

    const QString xsltproc = QStandardPaths::findExecutable(QStringLiteral("xsltproc"));
    const QString sheet = QStringLiteral(MORVALEX_RESOURCE_DIR "/styles/morvreport.xsl");
    const int runs = std::max(1, option(QStringLiteral("--runs"), QStringLiteral("3")).toInt());
    const QString compare = option(QStringLiteral("--compare"), QString());
    const QString baseline = compare.isEmpty() ? QString() : QFileInfo(compare).absoluteFilePath();
    if (!baseline.isEmpty() && !QFileInfo(baseline).isExecutable()) {
        std::fprintf(stderr, "--compare: %s is not a program\n", qPrintable(baseline));
        return 2;
    }
    QList<int> sizes;
    for (const QString& s : option(QStringLiteral("--tables"), QStringLiteral("250,500,1000")).split(QLatin1Char(',')))
        if (s.toInt() > 0) sizes << s.toInt();

    std::printf("Report benchmark: tables of 20 columns, 2 indexes, 1 foreign key, 1 trigger; %d objects a page;\n"
                "median of %d runs; wall time and peak resident memory of the whole process.\n\n",
                perPage, runs);
    std::printf("%7s %8s | %-10s %9s %9s | %-10s %9s %9s | %-10s %9s %9s | %8s %8s\n", "tables", "objects", "xsltproc",
                "s", "MB", "single", "s", "MB", "split", "s", "MB", "split/x", "us/obj");
    QDir(out + QStringLiteral("/old")).removeRecursively();  // left by a benchmark that was stopped
    QDir().mkpath(out + QStringLiteral("/old"));
    for (const int tables : sizes) {
        const QString dir = out + QStringLiteral("/n%1").arg(tables);
        QDir().mkpath(dir);
        const QString input = dir + QStringLiteral("/structure.xml");
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) || file.write(StructureDocument(tables)) < 0) return 3;
        file.close();
        const int objects = tables * 4;  // table, two indexes, trigger

        const QString self = QCoreApplication::applicationFilePath();
        // Reports go to dir/run; each run finds it empty.
        const QString runDir = dir + QStringLiteral("/run");
        const QStringList common = {QStringLiteral("--input"), input, QStringLiteral("--out"), runDir, QStringLiteral("--per-page"),
                                    QString::number(perPage)};
        QList<QStringList> commands = {QStringList{self, QStringLiteral("--case"), QStringLiteral("single")} + common,
                                       QStringList{self, QStringLiteral("--case"), QStringLiteral("split")} + common};
        if (!xsltproc.isEmpty())
            commands << QStringList{xsltproc, QStringLiteral("-o"), dir + QStringLiteral("/xsltproc.html"), sheet, input};
        if (!baseline.isEmpty())
            commands << QStringList{baseline, QStringLiteral("--case"), QStringLiteral("single")} + common
                     << QStringList{baseline, QStringLiteral("--case"), QStringLiteral("split")} + common;
        // Each report is written into a folder that does not exist yet. The folder of the
        // run before is moved aside, not deleted: on some file systems (ext4 without a
        // journal) making files just after deleting thousands scans past the deleted
        // ones, a cost of the benchmark's cleanup rather than of the report. They are
        // deleted when the benchmark ends.
        int moved = 0;
        qsizetype last = -1;
        QString splitDir;  // the pages of this program's last split run
        const QList<Run> medians = Medians(commands, runs, [&](qsizetype next) {
            const QString aside = out + QStringLiteral("/old/%1-%2").arg(tables).arg(++moved);
            if (QFileInfo::exists(runDir) && QDir().rename(runDir, aside) && last == 1) splitDir = aside + QStringLiteral("/split");
            last = next;
        });
        if (last == 1) splitDir = runDir + QStringLiteral("/split");
        const Run single = medians[0], split = medians[1], x = xsltproc.isEmpty() ? Run{} : medians[2];
        const int pages = int(QDir(splitDir).entryList({QStringLiteral("*.html")}).size()) - 1;
        std::printf("%7d %8d | %-10s %9.3f %9.1f | %-10s %9.3f %9.1f | %-10s %9.3f %9.1f | %8.2f %8.1f\n", tables, objects,
                    x.ok ? "ok" : "FAILED", x.seconds, x.peakMB, single.ok ? "ok" : "FAILED", single.seconds,
                    single.peakMB, split.ok ? qPrintable(QStringLiteral("%1 pages").arg(pages)) : "FAILED",
                    split.seconds, split.peakMB, x.seconds > 0 ? split.seconds / x.seconds : 0.0,
                    split.seconds * 1e6 / objects);
        if (!baseline.isEmpty()) {
            const Run baseSingle = medians[medians.size() - 2], baseSplit = medians[medians.size() - 1];
            std::printf("%7s %8s | %-10s %9s %9s | %-10s %9.3f %9.1f | %-10s %9.3f %9.1f | %8.2f   (baseline build)\n", "", "",
                        "", "", "", baseSingle.ok ? "ok" : "FAILED", baseSingle.seconds, baseSingle.peakMB,
                        baseSplit.ok ? "ok" : "FAILED", baseSplit.seconds, baseSplit.peakMB,
                        x.seconds > 0 ? baseSplit.seconds / x.seconds : 0.0);
        }
        std::fflush(stdout);
    }
    QDir(out + QStringLiteral("/old")).removeRecursively();

    const int wordTables = option(QStringLiteral("--word-tables"), QStringLiteral("250")).toInt();
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (wordTables > 0 && soffice.isEmpty()) std::printf("\nWord report: soffice is not installed, skipped.\n");
    if (wordTables > 0 && !soffice.isEmpty()) {
        const int wordRuns = std::max(1, option(QStringLiteral("--word-runs"), QStringLiteral("3")).toInt());
        const QString dir = out + QStringLiteral("/word%1").arg(wordTables);
        QDir().mkpath(dir + QStringLiteral("/bare"));
        const QString input = dir + QStringLiteral("/structure.xml");
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly) || file.write(StructureDocument(wordTables)) < 0) return 3;
        file.close();
        const QStringList word = {QCoreApplication::applicationFilePath(), QStringLiteral("--case"), QStringLiteral("word"),
                                  QStringLiteral("--input"), input, QStringLiteral("--out"), dir};
        // The HTML file both bare conversions read: the one the Word report writes.
        QStringList wordHtml = word;
        wordHtml[2] = QStringLiteral("word-html");
        if (!Measure(wordHtml).ok) std::printf("\nWord report's HTML FAILED\n");
        const QString html = dir + QStringLiteral("/html/tempwordcontent.html");
        const QStringList convert = {QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                     QStringLiteral("--infilter=HTML (StarWriter)"), QStringLiteral("--convert-to"),
                                     QStringLiteral("doc:MS Word 97"), QStringLiteral("--outdir"), dir + QStringLiteral("/bare"), html};
        const QString fresh = QStringLiteral("p=$(mktemp -d) && \"$0\" -env:UserInstallation=file://$p \"$@\"; s=$?; "
                                             "rm -rf \"$p\"; exit $s");
        const QStringList bareFresh = QStringList{QStringLiteral("sh"), QStringLiteral("-c"), fresh, soffice} + convert;
        const QStringList bareWarm = QStringList{soffice, QStringLiteral("-env:UserInstallation=file://") + dir +
                                                              QStringLiteral("/warm-profile")} + convert;
        Measure(bareWarm);  // makes the kept profile
        const QList<Run> m = Medians({word, bareFresh, bareWarm}, wordRuns);
        std::printf("\nWord report of %d tables (%d objects), median of %d runs:\n", wordTables, wordTables * 4, wordRuns);
        std::printf("  %-44s %8.2f s %8.1f MB %s\n", "SaveNowInWord (HTML report + conversion)", m[0].seconds, m[0].peakMB,
                    m[0].ok ? "ok" : "FAILED");
        std::printf("  %-44s %8.2f s %8s    %s\n", "bare soffice --convert-to, fresh profile", m[1].seconds, "",
                    m[1].ok ? "ok" : "FAILED");
        std::printf("  %-44s %8.2f s %8s    %s\n", "bare soffice --convert-to, kept profile", m[2].seconds, "",
                    m[2].ok ? "ok" : "FAILED");
        if (m[1].seconds > 0 && m[2].seconds > 0)
            std::printf("  ratio to the bare conversion: %.2fx (fresh profile), %.2fx (kept profile)\n",
                        m[0].seconds / m[1].seconds, m[0].seconds / m[2].seconds);
        std::fflush(stdout);
    }
    std::printf("\nOutput under %s\n", qPrintable(out));
    return 0;
}
