// The files an HTML report writes: a write that fails part way is reported with the
// step it stopped in and leaves no temporary file, a report written again into its
// folder replaces copies that changed, and pages land in the folder chosen whatever
// characters its name holds.

#include "ReportFixture.h"

#include "core/FileUtil.h"
#include "reports/bXMLSupport.h"

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

TEST_F(ReportFiles, AFullDiskPartWayIsReportedWithTheStepThatFailed) {
    LoadStructure(QStringLiteral("shop.xml"));
    const struct {
        const char* what;
        bool split;
        QString failingFile;  // the first write to a file whose name contains this fails
        QString source;       // where the error is reported
    } cases[] = {
        {"paged, an image copy", true, QStringLiteral("/images/"), QStringLiteral("bXMLSupport.SaveAsHTML")},
        {"paged, the last page", true, QStringLiteral("/shop11To12.html"), QStringLiteral("bXMLSupport.SaveAllParsedFiles")},
        {"paged, the index document", true, QStringLiteral("/index.xml"), QStringLiteral("bXMLSupport.ParseHTML")},
        {"one page, the CSS copy", false, QStringLiteral(".css"), QStringLiteral("bXMLSupport.SaveAsHTML")},
        {"one page, the report", false, QStringLiteral("/report.html"), QStringLiteral("bXMLSupport.SaveAsSingleHTML")},
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
        EXPECT_FALSE(SaveAsHTML(c.split ? out : out + QStringLiteral("report.html"), c.split)) << c.what;
        EXPECT_TRUE(failed) << c.what << ": no write went to " << qPrintable(c.failingFile);
        EXPECT_EQ(errors, QStringList{QStringLiteral("61 ") + c.source}) << c.what;
        EXPECT_EQ(TemporaryFiles(out), QStringList()) << c.what;
        EXPECT_EQ(host->messages(), QStringList()) << c.what;
    }
    SetWriteCallForTesting({});

    // The same report goes through once there is space.
    errors.clear();
    EXPECT_TRUE(SaveAsHTML(Out(QStringLiteral("full1")), true));
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
