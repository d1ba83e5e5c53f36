// The files an HTML report writes: a write that fails part way (a full disk) is told
// with the file's name and leaves nothing the report added, a report written again into its
// folder replaces copies that changed, and pages land in the folder chosen whatever
// characters its name holds.

#include "ReportFixture.h"

#include "core/FileUtil.h"
#include "reports/bXMLSupport.h"
#include "support/TinyDisk.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace bGlobal;
using namespace reporttest;
using bXMLSupport::SaveAsHTML;

namespace {

using ReportFiles = ReportTest;

struct WriteCallReset {
    ~WriteCallReset() { SetWriteCallForTesting({}); }
};

// The name of the file an open descriptor writes to.
QString FileOf(int fd) {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/fd/") + QString::number(fd));
}

// Every file under a folder whose name has the temporary-file ending.
QStringList TemporaryFiles(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString name = it.next();
        if (name.endsWith(QLatin1String(".tmp"))) out << name;
    }
    return out;
}

}  // namespace

TEST_F(ReportFiles, AFullDiskPartWayIsToldWithTheFileAndTakesAwayWhatTheReportAdded) {
    LoadStructure(QStringLiteral("shop.xml"));
    const struct {
        const char* what;
        bool split;
        QString failingFile;  // the first write to a file whose name contains this fails
    } cases[] = {
        {"paged, an image copy", true, QStringLiteral("/images/")},
        {"paged, the last page", true, QStringLiteral("/shop11To12.html")},
        {"paged, the index document", true, QStringLiteral("/index.xml")},
        {"one page, the CSS copy", false, QStringLiteral(".css")},
        {"one page, the report", false, QStringLiteral("/report.html")},
    };
    WriteCallReset reset;
    int n = 0;
    for (const auto& c : cases) {
        const QString out = Out(QStringLiteral("full%1").arg(++n));
        bool failed = false;
        SetWriteCallForTesting([&](int fd, const void* data, size_t size) -> ssize_t {
            if (!FileOf(fd).contains(c.failingFile)) return ::write(fd, data, size);
            failed = true;
            errno = ENOSPC;
            return -1;
        });
        errors.clear();
        host->prompts.clear();
        EXPECT_FALSE(SaveAsHTML(c.split ? out : out + QStringLiteral("report.html"), c.split)) << c.what;
        EXPECT_TRUE(failed) << c.what << ": no write went to " << qPrintable(c.failingFile);
        EXPECT_EQ(errors, QStringList()) << c.what;
        ASSERT_EQ(host->messages().size(), 1) << c.what;
        const QString message = host->messages()[0];
        EXPECT_TRUE(message.startsWith(QStringLiteral("The report could not be saved. Disk full: ") + out)) << qPrintable(message);
        EXPECT_TRUE(message.contains(c.failingFile)) << qPrintable(message);
        EXPECT_FALSE(QFileInfo::exists(out)) << c.what << ": the report's new folder is taken away again";
        EXPECT_EQ(TemporaryFiles(folder.file(QStringLiteral("out"))), QStringList()) << c.what;
    }
    SetWriteCallForTesting({});

    // The same report goes through once there is space.
    errors.clear();
    EXPECT_TRUE(SaveAsHTML(Out(QStringLiteral("full1")), true));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char(',')));
}

TEST_F(ReportFiles, AReportOnAFullDiskLeavesItsFolderAsItWas) {
    testsupport::TinyDisk disk("64k");
    MORVALEX_REQUIRE(disk.mounted(), disk.why());
    LoadStructure(QStringLiteral("shop.xml"));
    // A folder of the user's with a file in it, and a new folder whose parents are new too.
    const QString existing = disk.file(QStringLiteral("existing/"));
    testsupport::WriteFile(existing + QStringLiteral("notes.txt"), QStringLiteral("mine"));
    const QString fresh = disk.file(QStringLiteral("new/reports/shop/"));
    disk.fill();
    for (const QString& target : {existing, fresh}) {
        host->prompts.clear();
        EXPECT_FALSE(SaveAsHTML(target, true));
        ASSERT_EQ(host->messages().size(), 1) << qPrintable(target);
        EXPECT_TRUE(host->messages()[0].startsWith(QStringLiteral("The report could not be saved. Disk full: ") + target +
                                                   QStringLiteral("images/")))
            << qPrintable(host->messages()[0]);
    }
    QStringList left;
    QDirIterator it(disk.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) left << it.next().mid(disk.path().size() + 1);
    left.sort();
    EXPECT_EQ(left, QStringList({QStringLiteral("existing"), QStringLiteral("existing/notes.txt"), QStringLiteral("filler")}));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char(',')));
}

TEST_F(ReportFiles, WritingAgainReplacesCopiesThatChangedAndKeepsTheOthers) {
    LoadStructure(QStringLiteral("shop.xml"));
    const QString out = Out(QStringLiteral("again"));
    ASSERT_TRUE(SaveAsHTML(out, true));
    const QString installed = AppPath() + QStringLiteral("/images/gears.svg");
    const QString copy = out + QStringLiteral("images/gears.svg");
    const QByteArray original = ReadFileBytes(installed);
    ASSERT_EQ(ReadFileBytes(copy), original);

    // Same size, other bytes: still a changed file.
    QByteArray edited = original;
    edited[edited.size() / 2] = edited[edited.size() / 2] == 'x' ? 'y' : 'x';
    WriteFileAtomic(copy, edited);
    const QString css = out + QStringLiteral("styles/Professional yellow.css");
    ASSERT_TRUE(QFile::remove(css));
    const QString other = out + QStringLiteral("images/icons/TABLE.svg");
    const auto inodeOf = [](const QString& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_ino;
    };
    const auto untouched = inodeOf(other);

    ASSERT_TRUE(SaveAsHTML(out, true));
    EXPECT_EQ(ReadFileBytes(copy), original);
    EXPECT_TRUE(QFile::exists(css));
    EXPECT_EQ(inodeOf(other), untouched) << "an unchanged copy is not written again";
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char(',')));
}

TEST_F(ReportFiles, PagesGoIntoAFolderWhoseNameHoldsControlCharacters) {
    LoadStructure(QStringLiteral("shop.xml"));
    const QString out = Out(QStringLiteral("tab\tand\x01"));
    ASSERT_TRUE(SaveAsHTML(out, true)) << qPrintable(errors.join(QLatin1Char(',')));
    EXPECT_EQ(HtmlFiles(out), (QStringList{QStringLiteral("index.html"), QStringLiteral("shop11To12.html"),
                                           QStringLiteral("shop1To5.html"), QStringLiteral("shop6To10.html")}));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char(',')));
}
