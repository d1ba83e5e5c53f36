#include "core/FileUtil.h"

#include "core/bGlobal.h"
#include "platform/Error.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::RuntimeError;

namespace {

WriteCall g_writeCall;

constexpr long kDiskFull = platform::err::DiskFull;
constexpr long kAccessError = platform::err::PathFileAccessError;

QString quoted(const QString& path) { return QDir::toNativeSeparators(path); }

RuntimeError accessError(const QString& path, int code) {
    return RuntimeError(kAccessError, QStringLiteral("Path/File access error: ") + quoted(path) + QStringLiteral(" (") +
                                          QString::fromLocal8Bit(strerror(code)) + QLatin1Char(')'));
}

[[noreturn]] void failWrite(int code, const QString& path) {
    switch (code) {
    case EACCES:
    case EPERM:
    case EROFS:
        throw RuntimeError(platform::err::PermissionDenied, QStringLiteral("Permission denied: ") + quoted(path) +
                                                                QStringLiteral(" cannot be written."));
    case ENOENT:
    case ENOTDIR: throw RuntimeError(platform::err::PathNotFound, QStringLiteral("Path not found: ") + quoted(path));
    case ENOSPC:
    case EDQUOT:
        throw RuntimeError(kDiskFull, QStringLiteral("Disk full: ") + quoted(path) +
                                          QStringLiteral(" could not be written and was left as it was. Free some space and try again."));
    default: throw accessError(path, code);
    }
}

// True when path lies in the per-user data folder or below it.
bool inDataFolder(const QString& path) {
    const QString data = QFileInfo(bGlobal::DataPath()).canonicalFilePath();
    const QString folder = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !data.isEmpty() && (folder == data || folder.startsWith(data + QLatin1Char('/')));
}

ssize_t writeSome(int fd, const char* data, size_t size) {
    return g_writeCall ? g_writeCall(fd, data, size) : ::write(fd, data, size);
}

// The file descriptor and path of the new file while it is written; removes the file
// unless it was renamed over the target.
class NewFile {
public:
    explicit NewFile(const QByteArray& target) {
        for (int attempt = 0; m_fd < 0; ++attempt) {
            m_path = target + ".morv" + QByteArray::number(::getpid()) + '-' + QByteArray::number(attempt) + ".tmp";
            m_fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd < 0 && (errno != EEXIST || attempt > 100)) {
                m_error = errno;
                return;
            }
        }
        m_created = true;
    }
    ~NewFile() {
        if (m_fd >= 0) ::close(m_fd);
        if (m_created && !m_renamed) ::unlink(m_path.constData());
    }
    int fd() const { return m_fd; }
    int error() const { return m_error; }
    const QByteArray& path() const { return m_path; }
    // Closes the descriptor; the close's own error counts (NFS reports write errors there).
    int close() {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }
    void renamed() { m_renamed = true; }

private:
    QByteArray m_path;
    int m_fd = -1;
    int m_error = 0;
    bool m_created = false;
    bool m_renamed = false;
};

}  // namespace

void SetWriteCallForTesting(WriteCall call) { g_writeCall = std::move(call); }

void RemoveStaleNewFiles(const QString& folder) {
    static const QRegularExpression newFile(QStringLiteral("\\.morv([0-9]{1,9})-[0-9]+\\.tmp$"));
    for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.morv*.tmp")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = newFile.match(file.fileName());
        if (!match.hasMatch() || file.isSymLink() || file.ownerId() != ::geteuid()) continue;
        const pid_t pid = pid_t(match.captured(1).toLong());
        // A process that is running, or that may not be signalled, is still writing.
        if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
        QFile::remove(file.absoluteFilePath());
    }
}

void WriteFileAtomic(const QString& path, const QByteArray& bytes, Flush flush) {
    WriteFileAtomic(path, [&](const FileWriter& write) { write(bytes.constData(), size_t(bytes.size())); }, flush);
}

void WriteFileAtomic(const QString& path, const std::function<void(const FileWriter& write)>& produce, Flush flush) {
    const QByteArray target = QFile::encodeName(path);
    NewFile file(target);
    if (file.fd() < 0) failWrite(file.error(), path);

    struct stat old {};
    mode_t mode = 0;
    if (inDataFolder(path))
        mode = S_IRUSR | S_IWUSR;
    else if (::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode))
        mode = old.st_mode & 07777;
    if (mode != 0 && ::fchmod(file.fd(), mode) != 0) failWrite(errno, path);

    produce([&](const char* data, size_t left) {
        while (left > 0) {
            const ssize_t n = writeSome(file.fd(), data, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) failWrite(n < 0 ? errno : ENOSPC, path);
            data += n;
            left -= size_t(n);
        }
    });
    // Space on some file systems is only taken at the flush: its failure is a failed write.
    if (flush == Flush::EachFile && ::fsync(file.fd()) != 0 && errno != EINVAL && errno != EROFS) failWrite(errno, path);
    if (file.close() != 0) failWrite(errno, path);
    struct stat existing {};
    const bool isNew = ::lstat(target.constData(), &existing) != 0;
    if (::rename(file.path().constData(), target.constData()) != 0) failWrite(errno, path);
    file.renamed();
    if (isNew) AddedFiles::NoteFile(path);
}

void WriteTextFileAtomic(const QString& path, const QString& text, Flush flush) { WriteFileAtomic(path, text.toUtf8(), flush); }

FolderFlush::FolderFlush(const QString& folder) : m_folder(folder) {
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) m_error = errno;
}

FolderFlush::~FolderFlush() {
    if (m_fd >= 0) ::close(m_fd);
}

void FolderFlush::flush() {
    if (m_fd < 0) failWrite(m_error, m_folder);
    if (::syncfs(m_fd) != 0 && errno != EINVAL && errno != EROFS) failWrite(errno, m_folder);
}

QByteArray ReadFileBytes(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        switch (code) {
        case ENOENT:
            if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
                throw RuntimeError(platform::err::PathNotFound, QStringLiteral("Path not found: ") + quoted(path));
            throw RuntimeError(platform::err::FileNotFound, QStringLiteral("File not found: ") + quoted(path));
        case ENOTDIR: throw RuntimeError(platform::err::PathNotFound, QStringLiteral("Path not found: ") + quoted(path));
        case EACCES:
        case EPERM:
            throw RuntimeError(platform::err::PermissionDenied,
                               QStringLiteral("Permission denied: ") + quoted(path) +
                                   QStringLiteral(" cannot be read. Give your user read permission on it and try again."));
        default: throw accessError(path, code);
        }
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        throw RuntimeError(kAccessError, QStringLiteral("Path/File access error: ") + quoted(path) +
                                             QStringLiteral(" is not a regular file. Remove or rename it and try again."));
    }
    // A regular file never blocks; read it in the ordinary way.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int code = errno;
            ::close(fd);
            throw accessError(path, code);
        }
        if (n == 0) break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

QString ReadTextFile(const QString& path) { return QString::fromUtf8(ReadFileBytes(path)); }

bool DeleteFileIfExists(const QString& path) {
    if (path.isEmpty()) return true;
    QFile file(path);
    if (!file.exists()) return true;
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
    return file.remove();
}

namespace {
thread_local AddedFiles* t_noting = nullptr;
}  // namespace

AddedFiles::AddedFiles() : m_outer(t_noting) { t_noting = this; }

AddedFiles::~AddedFiles() {
    t_noting = m_outer;
    if (m_keep) {
        // What a kept inner step made is the outer step's to take away should it fail.
        if (m_outer) {
            m_outer->m_files += m_files;
            m_outer->m_folders += m_folders;
        }
        return;
    }
    for (const QString& file : std::as_const(m_files)) DeleteFileIfExists(file);
    // Deepest first; a folder that still holds something (another program's file) stays.
    std::sort(m_folders.begin(), m_folders.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& path : std::as_const(m_folders)) ::rmdir(QFile::encodeName(path).constData());
}

void AddedFiles::NoteFile(const QString& path) {
    if (t_noting) t_noting->m_files << QFileInfo(path).absoluteFilePath();
}

void AddedFiles::NoteFolder(const QString& path) {
    if (t_noting) t_noting->m_folders << QDir::cleanPath(QDir(path).absolutePath());
}

void ThrowWriteError(int code, const QString& path) { failWrite(code, path); }

void MakeFolders(const QString& folder) {
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(path).isDir()) return;
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    if (cut > 0) MakeFolders(path.left(cut));
    if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0) {
        AddedFiles::NoteFolder(path);
        return;
    }
    const int code = errno;
    if (code == EEXIST && QFileInfo(path).isDir()) return;
    // A file in the folder's place.
    if (code == EEXIST) failWrite(ENOTDIR, path);
    if (code == ENOSPC || code == EDQUOT)
        throw RuntimeError(kDiskFull, QStringLiteral("Disk full: the folder ") + quoted(path) +
                                          QStringLiteral(" could not be made. Free some space and try again."));
    failWrite(code, path);
}

FileWriteCheck::FileWriteCheck(const QString& path)
    : m_path(path), m_before(QFileInfo(path).isFile() ? QFileInfo(path).lastModified().toMSecsSinceEpoch() : -1) {}

bool FileWriteCheck::Written() const {
    const QFileInfo now(m_path);
    return now.isFile() && (m_before < 0 || now.lastModified().toMSecsSinceEpoch() != m_before);
}
