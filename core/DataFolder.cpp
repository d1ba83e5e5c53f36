#include "core/DataFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DataFolder {

namespace {

const char* const kLockName = ".lock";

// This run's temporary folder and the descriptor whose lock marks it as in use.
QString g_runFolder;
int g_lockFd = -1;

// Opens folder's lock file and takes its lock without waiting: the descriptor, or -1
// when another run holds it (or it cannot be opened).
int takeLock(const QString& folder, bool create) {
    const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + QLatin1String(kLockName));
    const int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Removes the folders under 'temp' that no running program holds.
void removeStale(const QString& temp) {
    const QFileInfoList entries = QDir(temp).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink()) continue;
        const QString folder = entry.absoluteFilePath();
        const bool locked = QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(kLockName));
        const int fd = locked ? takeLock(folder, false) : -2;
        if (fd == -1) continue;  // held by a running program
        QDir(folder).removeRecursively();
        if (fd >= 0) ::close(fd);
    }
}

}  // namespace

bool MakePrivateFolder(const QString& folder) {
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(path).isDir()) return true;
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    if (cut > 0 && !QFileInfo(path.left(cut)).isDir() && !MakePrivateFolder(path.left(cut))) return false;
    if (::mkdir(QFile::encodeName(path).constData(), 0700) == 0) return true;
    return errno == EEXIST && QFileInfo(path).isDir();
}

void Secure(const QString& dataFolder) {
    const QByteArray folder = QFile::encodeName(dataFolder);
    struct stat st {};
    if (::lstat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return;
    if ((st.st_mode & 07777) != 0700) ::chmod(folder.constData(), 0700);
    QDirIterator it(dataFolder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QByteArray file = QFile::encodeName(it.next());
        // lstat: a symbolic link is not followed to a file elsewhere.
        if (::lstat(file.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) continue;
        if ((st.st_mode & 07777) != 0600) ::chmod(file.constData(), 0600);
    }
}

QString RunTempFolder(const QString& dataFolder) {
    if (!g_runFolder.isEmpty() && QFileInfo(g_runFolder).isDir()) return g_runFolder + QLatin1Char('/');
    ReleaseRunTempFolder();
    const QString temp = dataFolder + QStringLiteral("/temp");
    if (!MakePrivateFolder(temp)) return {};
    removeStale(temp);
    QByteArray pattern = QFile::encodeName(temp + QStringLiteral("/run-XXXXXX"));
    if (!::mkdtemp(pattern.data())) return {};  // mkdtemp makes it 0700
    const QString folder = QFile::decodeName(pattern);
    g_lockFd = takeLock(folder, true);
    if (g_lockFd < 0) {
        QDir(folder).removeRecursively();
        return {};
    }
    g_runFolder = folder;
    return g_runFolder + QLatin1Char('/');
}

void ReleaseRunTempFolder() {
    if (g_lockFd >= 0) ::close(g_lockFd);
    g_lockFd = -1;
    g_runFolder.clear();
}

}  // namespace DataFolder
