#pragma once
// Files of the program. Failures become run-time errors with the numbers the program
// tests: 70 permission denied, 53 file not found, 76 path not found, 61 disk full,
// 75 any other access error. Every description names the file.

#include <QByteArray>
#include <QString>

#include <functional>
#include <sys/types.h>

// Writes bytes to a new file in the target's folder and renames it over the target.
// Every write, the flush to disk and the close are checked; on any failure the new
// file is removed, the old target stays exactly as it was, and the error is thrown.
// A file inside the per-user data folder (bGlobal::DataPath) is made readable by its
// owner only (0600); elsewhere a replaced file keeps its permission bits and a new
// one gets the usual ones.
void WriteFileAtomic(const QString& path, const QByteArray& bytes);
// The same for text (written as UTF-8).
void WriteTextFileAtomic(const QString& path, const QString& text);

// Reads a whole file. Only a regular file is opened: a FIFO, device or folder in its
// place is refused at once (error 75) instead of blocking or reading nothing.
QByteArray ReadFileBytes(const QString& path);
// Reads a whole text file (UTF-8).
QString ReadTextFile(const QString& path);
// Tells whether a step that reports its own failures wrote a file: after the step the
// file is there and was changed since the object was made.
class FileWriteCheck {
public:
    explicit FileWriteCheck(const QString& path);
    bool Written() const;

private:
    QString m_path;
    qint64 m_before;  // ms since the epoch of the last change; -1 when there was no file
};

// Deletes a file if it exists, read-only or not. True when it is gone.
bool DeleteFileIfExists(const QString& path);

// The system call WriteFileAtomic writes through. Tests install one that fails (a
// full disk, say); an empty function restores ::write.
using WriteCall = std::function<ssize_t(int fd, const void* data, size_t size)>;
void SetWriteCallForTesting(WriteCall call);
