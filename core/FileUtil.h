#pragma once
// Files of the program. Failures become run-time errors with the numbers the program
// tests: 70 permission denied, 53 file not found, 76 path not found, 61 disk full,
// 75 any other access error. Every description names the file.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <sys/types.h>

// Writes bytes to a new file in the target's folder and renames it over the target.
// Every write, the flush to disk and the close are checked; on any failure the new
// file is removed, the old target stays exactly as it was, and the error is thrown.
// A file inside the per-user data folder (bGlobal::DataPath) is made readable by its
// owner only (0600); elsewhere a replaced file keeps its permission bits and a new
// one gets the usual ones.
// The new file is named <target>.morv<process id>-<n>.tmp while it is written.
// With Flush::Later the flush is left to a FolderFlush made before the write: the
// file is in place once the call returns, but only durable (and a full disk found only
// at the flush only reported) after FolderFlush::flush.
enum class Flush { EachFile, Later };
void WriteFileAtomic(const QString& path, const QByteArray& bytes, Flush flush = Flush::EachFile);
// The same for bytes made while they are written: produce calls write with each part
// in order. What write or produce throws leaves the target as it was and is thrown.
using FileWriter = std::function<void(const char* data, size_t size)>;
void WriteFileAtomic(const QString& path, const std::function<void(const FileWriter& write)>& produce, Flush flush = Flush::EachFile);
// The same for text (written as UTF-8).
void WriteTextFileAtomic(const QString& path, const QString& text, Flush flush = Flush::EachFile);

// One flush to disk for many files written with Flush::Later (the pages of a report):
// one flush of the file system instead of one per file, which on a busy disk costs more
// than writing the files. Made before the first file is written, so that a failed
// write-back of any of them is reported by flush().
class FolderFlush {
public:
    explicit FolderFlush(const QString& folder);
    ~FolderFlush();
    FolderFlush(const FolderFlush&) = delete;
    FolderFlush& operator=(const FolderFlush&) = delete;
    // Flushes the folder's file system to disk; a failure is thrown as a failed write of
    // the folder (a full disk as "Disk full").
    void flush();

private:
    QString m_folder;
    int m_fd = -1;
    int m_error = 0;
};

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

// Removes from folder the new files of WriteFileAtomic that a process ended while
// writing (killed, or the machine stopped) left behind: those whose process is no longer
// running. They are whole or partial copies of the files, saved passwords included.
void RemoveStaleNewFiles(const QString& folder);

// Deletes a file if it exists, read-only or not. True when it is gone.
bool DeleteFileIfExists(const QString& path);

// What a step that writes many files (a report) adds, taken away again when the step
// fails. While the object lives, every file that WriteFileAtomic makes where there was
// none and every folder that MakeFolders makes on this thread is noted. Unless Keep()
// was called, the destructor removes the noted files, then the noted folders that are
// empty, deepest first. Nothing else is touched: files that were there stay, whatever
// the step did to them, and so does whatever another program puts in the folders
// meanwhile. Objects nest; each notes what is made while it is the innermost.
class AddedFiles {
public:
    AddedFiles();
    ~AddedFiles();
    AddedFiles(const AddedFiles&) = delete;
    AddedFiles& operator=(const AddedFiles&) = delete;
    void Keep() { m_keep = true; }

    // Called by the writes above; a no-op when no object is noting.
    static void NoteFile(const QString& path);
    static void NoteFolder(const QString& path);

private:
    AddedFiles* m_outer;
    QStringList m_files;
    QStringList m_folders;
    bool m_keep = false;
};

// Makes a folder and its missing parents (each noted by AddedFiles). A folder that
// cannot be made is thrown as a failed write of it: "Disk full" when the disk or its
// inodes are used up, "Permission denied", "Path not found" when a file stands in the
// way.
void MakeFolders(const QString& folder);

// Throws the run-time error of a failed write of path for an errno value: 70
// permission denied, 76 path not found, 61 disk full, 75 any other. The description
// names the file and says why.
[[noreturn]] void ThrowWriteError(int code, const QString& path);

// The system call WriteFileAtomic writes through. Tests install one that fails (a
// full disk, say); an empty function restores ::write.
using WriteCall = std::function<ssize_t(int fd, const void* data, size_t size)>;
void SetWriteCallForTesting(WriteCall call);
