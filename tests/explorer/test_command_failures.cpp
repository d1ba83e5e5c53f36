// The user's commands against a disk that fails them: full, out of inodes, read-only,
// or filling while the command writes. Each failure is told in one message, the
// program goes on, nothing half-written stays and nothing else in the folder changes,
// not even a file another program writes there meanwhile.

#include "ExplorerFixture.h"
#include "core/FileUtil.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/Preview.h"
#include "reports/WordReport.h"
#include "reports/ui/frmReportSetup.h"
#include "support/Prerequisite.h"
#include "support/TinyDisk.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QPlainTextEdit>

#include <cerrno>
#include <functional>
#include <memory>

using namespace bGlobal;
using explorertest::StructureXml;
using testsupport::TinyDisk;

namespace {

// Every entry under folder with a digest of each file's bytes: what "nothing else
// changed" compares.
QStringList Snapshot(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        QString line = entry.absoluteFilePath().mid(folder.size());
        if (entry.isFile()) {
            QFile f(entry.absoluteFilePath());
            f.open(QIODevice::ReadOnly);
            line += QLatin1Char(' ') + QString::fromLatin1(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5).toHex());
        }
        out << line;
    }
    out.sort();
    return out;
}

// A destination that fails the command: its folder, and how long it lives.
struct Destination {
    std::unique_ptr<TinyDisk> disk;
    std::unique_ptr<QTemporaryDir> plain;
    QString folder;
    bool seam = false;
    ~Destination() {
        if (seam) SetWriteCallForTesting({});
    }
};

// How a destination fails.
struct Failure {
    const char* name;
    std::function<bool(Destination&)> make;  // false: the disk could not be mounted
    bool midway = false;                     // only commands that write many files reach it
};

const Failure kFailures[] = {
    {"a full disk",
     [](Destination& d) {
         d.disk = std::make_unique<TinyDisk>("64k");
         if (!d.disk->mounted()) return false;
         d.folder = d.disk->file(QStringLiteral("out"));
         QDir().mkpath(d.folder);
         d.disk->fill();
         return true;
     }},
    {"a disk out of inodes, where no folder can be made",
     [](Destination& d) {
         d.disk = std::make_unique<TinyDisk>("1m", "nr_inodes=16");
         if (!d.disk->mounted()) return false;
         d.folder = d.disk->file(QStringLiteral("out"));
         QDir().mkpath(d.folder);
         d.disk->fillInodes();
         return true;
     }},
    {"a read-only disk",
     [](Destination& d) {
         d.disk = std::make_unique<TinyDisk>("1m");
         if (!d.disk->mounted()) return false;
         d.folder = d.disk->file(QStringLiteral("out"));
         QDir().mkpath(d.folder);
         return d.disk->makeReadOnly();
     }},
    {"a disk that fills while the command writes",
     [](Destination& d) {
         d.plain = std::make_unique<QTemporaryDir>();
         d.folder = d.plain->path();
         // The first writes go through; then the disk is full.
         auto calls = std::make_shared<int>(0);
         SetWriteCallForTesting([calls](int fd, const void* data, size_t size) -> ssize_t {
             if (++*calls > 3) {
                 errno = ENOSPC;
                 return -1;
             }
             return ::write(fd, data, size);
         });
         d.seam = true;
         return true;
     },
     true},
};

struct CommandFailures : explorertest::Fixture {
    frmDatabaseExplorer& Sales() {
        oStructureXML = explorertest::Document(StructureXml(QStringLiteral("Sales"), {QStringLiteral("V_Sales")}));
        gDatabaseName = QStringLiteral("Sales");
        gGroupIndex = gConnectionIndex = 0;
        frmDatabaseExplorer& w = OpenWindow();
        w.GenerateLHXML();
        w.PopulateLHXML();
        return w;
    }
};

}  // namespace

TEST_F(CommandFailures, EachCommandTellsTheFailureOnceAndLeavesTheFolderAsItWas) {
    frmDatabaseExplorer& w = Sales();
    w.PreviewHTML(QStringLiteral("DATABASE"));
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    const bool haveSoffice = !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();

    // What the user answers in the dialog (a name in the folder, or the folder), and
    // the command.
    const struct {
        const char* name;
        const char* answer;  // "" answers the folder itself
        std::function<void()> run;
        bool needsSoffice = false;
        bool manyFiles = false;
    } commands[] = {
        {"HTML report, one page", "Sales.html", [&] { gMultiplePages = false; w.mnuSubReport_Click(1); }, false, true},
        {"HTML report, one page named in capitals", "Report.HTML", [&] { gMultiplePages = false; w.mnuSubReport_Click(1); }, false, true},
        {"HTML report, one page .htm", "report.htm", [&] { gMultiplePages = false; w.mnuSubReport_Click(1); }, false, true},
        {"HTML report in pages", "", [&] { gMultiplePages = true; gObjectsPerPage = 1; w.mnuSubReport_Click(1); }, false, true},
        {"XML report", "r.xml", [&] { w.mnuSubReport_Click(2); }},
        {"Word report", "r.doc", [&] { w.mnuSubReport_Click(3); }, true, true},
        {"preview saved as HTML", "page.html", [&] { w.mnuSubPreviewTool_Click(0); }, false, true},
        {"XML preview saved", "page.xml", [&] { w.tlbXMLPreviewSave_ButtonClick(nullptr); }},
        {"preview saved as Word", "page.doc", [&] { w.mnuSubPreviewTool_Click(2); }, true},
        {"structure file saved", "Sales.mxs", [&] { w.SaveStructure(true); }},
        {"query file saved", "q.sql", [&] { w.txtQuery->setPlainText(QStringLiteral("SELECT 1")); w.SaveQueryFile(true); }},
    };
    for (const Failure& failure : kFailures) {
        for (const auto& c : commands) {
            if (failure.midway && !c.manyFiles) continue;
            SCOPED_TRACE(std::string(c.name) + " on " + failure.name);
            if (c.needsSoffice && !haveSoffice) {
                if (testsupport::InCI()) ADD_FAILURE() << "soffice is missing in CI";
                continue;
            }
            Destination d;
            if (!failure.make(d)) {
                MORVALEX_REQUIRE(false, "a tmpfs could not be mounted (needs root)");
            }
            const QStringList before = Snapshot(d.folder);
            host->prompts.clear();
            host->openedUrls.clear();
            errors.clear();
            host->paths.enqueue(*c.answer ? d.folder + QLatin1Char('/') + QLatin1String(c.answer) : d.folder);
            // Another program saves into the folder while the user reads the message
            // (where the disk lets it: a full one may leave its file empty).
            const QString other = d.folder + QStringLiteral("/.download.part");
            QStringList otherEntry;
            host->onMessage = [&](const platform::ui::Prompt&) {
                if (!otherEntry.isEmpty()) return;
                QFile f(other);
                if (f.open(QIODevice::WriteOnly)) f.write("partial");
                f.close();
                if (QFileInfo::exists(other)) otherEntry = Snapshot(d.folder).filter(QStringLiteral("/.download.part"));
            };
            EXPECT_NO_THROW(c.run());
            host->onMessage = nullptr;

            EXPECT_EQ(host->messages().size(), 1) << qPrintable(host->messages().join(QLatin1Char('\n')));
            // The message names where it failed: the file or its folder (the Word report's
            // own working copy is in the program's temporary folder).
            const QString told = host->messages().value(0);
            EXPECT_TRUE(told.contains(d.folder) || told.contains(gTempPath)) << qPrintable(told);
            EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
            EXPECT_EQ(host->endedWith, -1);
            EXPECT_TRUE(host->openedUrls.isEmpty()) << qPrintable(host->openedUrls.join(QLatin1Char(' ')));
            QStringList expected = before + otherEntry;
            expected.sort();
            EXPECT_EQ(Snapshot(d.folder).join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
            SetWriteCallForTesting({});
        }
    }
    EXPECT_FALSE(QFileInfo::exists(WordReport::PreviewContentFile()));
}

// The program's own folder on a disk that fails: the page a preview or a Word export
// writes there, and the Word report's working folder.
TEST_F(CommandFailures, FilesOfTheDataFolderThatCannotBeWrittenAreToldAndThePreviewsShowNothingStale) {
    frmDatabaseExplorer& w = Sales();
    TinyDisk disk("256k", "nr_inodes=64");
    MORVALEX_REQUIRE(disk.mounted(), disk.why());
    SetAppPathForTesting(folder.path(), disk.path());
    gTempPath = disk.path() + QStringLiteral("/tmp/");
    QDir().mkpath(gTempPath);
    w.PreviewHTML(QStringLiteral("DATABASE"));
    ASSERT_TRUE(QFileInfo::exists(Preview::HtmlFile()));
    ASSERT_NE(w.wbReport->LocationURL(), QStringLiteral("about:blank"));
    const QString out = folder.file(QStringLiteral("out"));
    QDir().mkpath(out);
    const bool haveSoffice = !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();

    const struct {
        const char* name;
        std::function<void()> run;
        bool needsSoffice = false;
    } cases[] = {
        {"preview saved as Word",
         [&] {
             host->paths.enqueue(out + QStringLiteral("/page.doc"));
             w.mnuSubPreviewTool_Click(2);
             EXPECT_FALSE(QFileInfo::exists(WordReport::PreviewContentFile()));
         }},
        {"Word report, whose working folder cannot be made",
         [&] {
             host->paths.enqueue(out + QStringLiteral("/r.doc"));
             w.mnuSubReport_Click(3);
             EXPECT_TRUE(host->messages().value(0).startsWith(QStringLiteral("Disk full: "))) << qPrintable(host->messages().value(0));
         },
         true},
        // Last: the previews have nothing to show after it.
        {"preview of another selection",
         [&] {
             w.PreviewHTML(QStringLiteral("DATABASE/TABLE"));
             EXPECT_EQ(w.wbReport->LocationURL(), QStringLiteral("about:blank"));
             EXPECT_EQ(w.wbXMLPreview->LocationURL(), QStringLiteral("about:blank"));
         }},
    };
    disk.fill();
    disk.fillInodes();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsSoffice && !haveSoffice) {
            if (testsupport::InCI()) ADD_FAILURE() << "soffice is missing in CI";
            continue;
        }
        host->prompts.clear();
        errors.clear();
        EXPECT_NO_THROW(c.run());
        EXPECT_EQ(host->messages().size(), 1) << qPrintable(host->messages().join(QLatin1Char('\n')));
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        EXPECT_EQ(host->endedWith, -1);
        EXPECT_TRUE(QDir(out).isEmpty());
        EXPECT_TRUE(QDir(gTempPath).isEmpty()) << qPrintable(QDir(gTempPath).entryList().join(QLatin1Char(' ')));
    }
}

// Names that are no names, and files written that nothing could open.
TEST_F(CommandFailures, NamesThatAreNoNamesAreRefusedAndAFileNothingOpensIsToldWithItsPath) {
    frmDatabaseExplorer& w = Sales();
    const QString out = folder.file(QStringLiteral("out"));
    QDir().mkpath(out);
    const struct {
        const char* name;
        const char* answer;
        std::function<void()> run;
    } refusals[] = {
        {"structure file named by the extension alone", ".mxs", [&] { w.SaveStructure(true); }},
        {"structure file named by the pattern in capitals", "*.MXS", [&] { w.SaveStructure(true); }},
        {"query file named by the extension alone", ".sql", [&] { w.SaveQueryFile(true); }},
        {"XML report named by the pattern", "*.xml", [&] { w.mnuSubReport_Click(2); }},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(c.name);
        host->prompts.clear();
        host->paths.enqueue(out + QLatin1Char('/') + QLatin1String(c.answer));
        c.run();
        EXPECT_EQ(host->messages().size(), 1);
        EXPECT_TRUE(host->messages().value(0).contains(QLatin1String(c.answer))) << qPrintable(host->messages().value(0));
        EXPECT_TRUE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
        QDir(out).removeRecursively();
        QDir().mkpath(out);
    }

    // A one-page report named with ".HTML" or ".htm" in any case is that file.
    for (const char* name : {"Report.HTML", "report.Htm"}) {
        SCOPED_TRACE(name);
        host->prompts.clear();
        host->openedUrls.clear();
        gMultiplePages = false;
        const QString file = out + QLatin1Char('/') + QLatin1String(name);
        host->paths.enqueue(file);
        w.mnuSubReport_Click(1);
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
        EXPECT_TRUE(QFileInfo(file).isFile());
        EXPECT_EQ(host->openedUrls, QStringList{file});
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));

    // No program opens what was written: the user learns where it is.
    host->urlsOpen = false;
    const QString report = out + QStringLiteral("/Sales.html");
    gMultiplePages = false;
    host->prompts.clear();
    host->paths.enqueue(report);
    w.mnuSubReport_Click(1);
    ASSERT_TRUE(QFileInfo::exists(report));
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages()[0].contains(QStringLiteral("was written but could not be opened")));
    EXPECT_TRUE(host->messages()[0].endsWith(report)) << qPrintable(host->messages()[0]);

    // Nor the help, from the report settings.
    host->prompts.clear();
    host->helpOpens = false;
    host->onModal = [](QObject* window) {
        if (auto* setup = qobject_cast<frmReportSetup*>(window)) {
            QKeyEvent f1(QEvent::KeyRelease, Qt::Key_F1, Qt::NoModifier);
            QCoreApplication::sendEvent(setup, &f1);
            static_cast<QDialog*>(setup)->reject();
        }
    };
    w.mnuSubReport_Click(5);
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages()[0].endsWith(QDir::toNativeSeparators(gHelpFile))) << qPrintable(host->messages()[0]);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}
