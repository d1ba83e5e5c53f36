#pragma once
// Text files of the program (UTF-8). Failures become run-time errors with the numbers
// the program tests: 70 permission denied, 53 file not found, 76 path not found.

#include <QString>

// Writes text to a temporary file in the target's folder and renames it over the
// target, so a failure never leaves a half-written file.
void WriteTextFileAtomic(const QString& path, const QString& text);
// Reads a whole text file.
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
