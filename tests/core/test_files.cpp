// The program's own files: atomic replacement that loses nothing on a full disk,
// owner-only files in the data folder, program files opened only when regular, the
// private temporary folder, and passwords kept out of error reports.

#include "core/DataFolder.h"
#include "core/FileUtil.h"
#include "core/PasswordMask.h"
#include "core/bGlobal.h"
#include "support/TestSupport.h"
#include "support/TinyDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::RuntimeError;
using testsupport::TinyDisk;

namespace {

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// The error a call throws; number 0 when it throws none.
template <class F>
RuntimeError thrownBy(F&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e;
    }
    return RuntimeError(0, QString());
}

struct WriteCallReset {
    ~WriteCallReset() { SetWriteCallForTesting({}); }
};

}  // namespace

TEST(AtomicWrite, AFailingWriteKeepsTheOldFileLeavesNoTemporaryFileAndNamesTheFile) {
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/history.mxh");
    const QString old = QStringLiteral("old history ").repeated(100);
    WriteTextFileAtomic(path, old);
    const QString text = QStringLiteral("new history ").repeated(1000);

    const struct {
        const char* what;
        int failAtCall;  // the first call that fails; earlier calls write at most 100 bytes
        int error;       // 0: the call writes nothing and reports no error
        long number;
    } cases[] = {
        {"no space at the first write", 1, ENOSPC, platform::err::DiskFull},
        {"no space after part of the text", 3, ENOSPC, platform::err::DiskFull},
        {"a write that writes nothing", 2, 0, platform::err::DiskFull},
        {"quota exceeded", 1, EDQUOT, platform::err::DiskFull},
        {"input/output error", 2, EIO, platform::err::PathFileAccessError},
    };
    WriteCallReset reset;
    for (const auto& c : cases) {
        int calls = 0;
        SetWriteCallForTesting([&](int fd, const void* data, size_t size) -> ssize_t {
            if (++calls < c.failAtCall) return ::write(fd, data, std::min<size_t>(size, 100));
            if (c.error == 0) return 0;
            errno = c.error;
            return -1;
        });
        const RuntimeError e = thrownBy([&] { WriteTextFileAtomic(path, text); });
        EXPECT_EQ(e.number(), c.number) << c.what;
        EXPECT_TRUE(e.description().contains(path)) << c.what << ": " << e.description().toStdString();
        EXPECT_EQ(testsupport::ReadFile(path), old) << c.what;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("history.mxh")}) << c.what;
    }
    SetWriteCallForTesting({});
    WriteTextFileAtomic(path, text);
    EXPECT_EQ(testsupport::ReadFile(path), text);
}

TEST(AtomicWrite, AFullFileSystemKeepsTheOldFile) {
    TinyDisk disk;
    MORVALEX_REQUIRE(disk.mounted(), disk.why());
    const QString path = disk.file(QStringLiteral("history.mxh"));
    // Small files are where a buffered writer loses its data: the text fits a buffer
    // and only the final flush meets the full disk.
    const QString old = QStringLiteral("o").repeated(1144);
    WriteTextFileAtomic(path, old);
    disk.fill();
    for (const int size : {1144, 11488}) {
        const RuntimeError e = thrownBy([&] { WriteTextFileAtomic(path, QStringLiteral("n").repeated(size)); });
        EXPECT_EQ(e.number(), platform::err::DiskFull) << size;
        EXPECT_EQ(testsupport::ReadFile(path), old) << size;
    }
    disk.free();
    WriteTextFileAtomic(path, QStringLiteral("n").repeated(11488));
    EXPECT_EQ(QFileInfo(path).size(), 11488);
}

// Many files flushed together: they are in place after the writes, a full disk is
// still reported (at the write or at the one flush), and a folder that is not there
// fails the flush with its name.
TEST(AtomicWrite, FilesFlushedTogetherAreWrittenAndAFullDiskIsStillReported) {
    TinyDisk disk;
    MORVALEX_REQUIRE(disk.mounted(), disk.why());
    const QString folder = disk.file(QString());
    {
        FolderFlush pages(folder);
        for (int i = 0; i < 3; ++i) WriteTextFileAtomic(disk.file(QStringLiteral("p%1.html").arg(i)), QStringLiteral("page %1").arg(i), Flush::Later);
        pages.flush();
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(testsupport::ReadFile(disk.file(QStringLiteral("p%1.html").arg(i))), QStringLiteral("page %1").arg(i));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3) << "no temporary file is left";

    disk.fill();
    const RuntimeError full = thrownBy([&] {
        FolderFlush pages(folder);
        WriteTextFileAtomic(disk.file(QStringLiteral("p9.html")), QStringLiteral("n").repeated(11488), Flush::Later);
        pages.flush();
    });
    EXPECT_EQ(full.number(), platform::err::DiskFull);

    const QString missing = folder + QStringLiteral("gone");
    FolderFlush nowhere(missing);
    const RuntimeError e = thrownBy([&] { nowhere.flush(); });
    EXPECT_EQ(e.number(), platform::err::PathNotFound);
    EXPECT_TRUE(e.description().contains(missing)) << e.description().toStdString();
}

TEST(AtomicWrite, FilesInTheDataFolderAreTheOwnersAloneOthersKeepTheirMode) {
    testsupport::AppFolder folder;
    const QString inside = bGlobal::DataPath() + QStringLiteral("/errors.log");
    ::umask(022);
    WriteTextFileAtomic(inside, QStringLiteral("x"));
    EXPECT_EQ(modeOf(inside), 0600u);
    // A file that was wider is narrowed when replaced.
    ::chmod(QFile::encodeName(inside).constData(), 0644);
    WriteTextFileAtomic(inside, QStringLiteral("y"));
    EXPECT_EQ(modeOf(inside), 0600u);

    QTemporaryDir elsewhere;
    const QString report = elsewhere.path() + QStringLiteral("/index.html");
    WriteTextFileAtomic(report, QStringLiteral("x"));
    EXPECT_EQ(modeOf(report), 0644u);
    ::chmod(QFile::encodeName(report).constData(), 0640);
    WriteTextFileAtomic(report, QStringLiteral("y"));
    EXPECT_EQ(modeOf(report), 0640u);
}

TEST(DataFolderTest, StartUpTightensTheFolderAndItsFilesAndUsesAPrivateTemporaryFolder) {
    testsupport::AppFolder folder;
    const QString data = bGlobal::DataPath();
    ::chmod(QFile::encodeName(data).constData(), 0755);
    testsupport::WriteFile(data + QStringLiteral("/history.mxh"), QStringLiteral("x"));
    ::chmod(QFile::encodeName(data + QStringLiteral("/history.mxh")).constData(), 0644);
    // A copy that a running program still holds, and one left by a run that crashed.
    DataFolder::ReleaseRunTempFolder();
    const QString other = DataFolder::RunTempFolder(data);  // stands for another program's folder
    testsupport::WriteFile(other + QStringLiteral("CD.xml"), QStringLiteral("<DATABASE/>"));
    DataFolder::ReleaseRunTempFolder();
    // Held the way a running program holds its folder (a lock on a description of its own).
    const int holder = ::open(QFile::encodeName(other + QStringLiteral(".lock")).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const QString stale = data + QStringLiteral("/temp/run-stale");
    testsupport::WriteFile(stale + QStringLiteral("/AB.xml"), QStringLiteral("<DATABASE/>"));
    testsupport::WriteFile(stale + QStringLiteral("/.lock"), QString());

    bGlobal::Main();
    EXPECT_EQ(modeOf(data), 0700u);
    EXPECT_EQ(modeOf(data + QStringLiteral("/history.mxh")), 0600u);
    EXPECT_TRUE(bGlobal::gTempPath.startsWith(data + QStringLiteral("/temp/")));
    EXPECT_EQ(modeOf(bGlobal::gTempPath), 0700u);
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_TRUE(QFileInfo::exists(other + QStringLiteral("CD.xml")));
    ::close(holder);
    DataFolder::ReleaseRunTempFolder();
}

TEST(DataFolderTest, StartUpRemovesTheNewFilesOfSavesWhoseProcessEnded) {
    testsupport::AppFolder folder;
    const QString data = bGlobal::DataPath();
    // A process that has ended, and one that is still running.
    const pid_t ended = ::fork();
    if (ended == 0) ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    QProcess running;
    running.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(running.waitForStarted());
    const auto newFile = [&](const char* target, qint64 pid, int attempt) {
        return data + QStringLiteral("/%1.morv%2-%3.tmp").arg(QLatin1String(target)).arg(pid).arg(attempt);
    };
    const QStringList left = {newFile("history.mxh", ended, 0), newFile("errors.log", ended, 3)};
    const QStringList kept = {newFile("history.mxh", running.processId(), 0), newFile("history.mxh", ::getpid(), 1),
                              data + QStringLiteral("/history.mxh"), data + QStringLiteral("/notes.morvx-0.tmp")};
    for (const QString& file : left + kept) testsupport::WriteFile(file, QStringLiteral("<DATABASESTRUCTURES/>"));

    bGlobal::Main();
    for (const QString& file : left) EXPECT_FALSE(QFileInfo::exists(file)) << file.toStdString();
    for (const QString& file : kept) EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    running.kill();
    running.waitForFinished();
    DataFolder::ReleaseRunTempFolder();
}

TEST(ReadFile, OnlyRegularFilesAreReadAndEveryErrorNamesTheFile) {
    QTemporaryDir dir;
    const QString fifo = dir.path() + QStringLiteral("/queries.mxq");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString folder = dir.path() + QStringLiteral("/history.mxh");
    QDir().mkpath(folder);
    const QString locked = dir.path() + QStringLiteral("/locked.mxh");
    testsupport::WriteFile(locked, QStringLiteral("x"));
    ::chmod(QFile::encodeName(locked).constData(), 0);

    const struct {
        QString path;
        long number;
        bool skipAsRoot;  // root reads any file whatever its mode
    } cases[] = {
        {fifo, platform::err::PathFileAccessError, false},
        {folder, platform::err::PathFileAccessError, false},
        {locked, platform::err::PermissionDenied, true},
        {dir.path() + QStringLiteral("/missing.mxq"), platform::err::FileNotFound, false},
        {dir.path() + QStringLiteral("/no/such/folder.mxq"), platform::err::PathNotFound, false},
    };
    for (const auto& c : cases) {
        if (c.skipAsRoot && ::geteuid() == 0) continue;
        const RuntimeError e = thrownBy([&] { ReadTextFile(c.path); });
        EXPECT_EQ(e.number(), c.number) << c.path.toStdString();
        EXPECT_TRUE(e.description().contains(c.path)) << e.description().toStdString();
    }
}

TEST(PasswordMaskTest, PasswordValuesAreMaskedWhateverTheirForm) {
    const struct {
        const char* text;
        const char* masked;
    } cases[] = {
        {"Provider=SQLOLEDB;User Id=sa;password=s3cret;Initial Catalog=shop",
         "Provider=SQLOLEDB;User Id=sa;password=*****;Initial Catalog=shop"},
        {"Driver={PostgreSQL Unicode};UID=u;PWD={p;w}}d};Port=5432", "Driver={PostgreSQL Unicode};UID=u;PWD=*****;Port=5432"},
        {"Provider=X;Password=\"a;b\"\"c\";Data Source=d", "Provider=X;Password=*****;Data Source=d"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=pw;Data Source=/x.mdb",
         "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=*****;Data Source=/x.mdb"},
        {"cannot open \"DSN=a; pwd = top\"\r\nnext line", "cannot open \"DSN=a; pwd = *****\r\nnext line"},
        {"password authentication failed for user \"u\"", "password authentication failed for user \"u\""},
    };
    for (const auto& c : cases) EXPECT_EQ(MaskPasswords(QString::fromUtf8(c.text)), QString::fromUtf8(c.masked)) << c.text;
}
