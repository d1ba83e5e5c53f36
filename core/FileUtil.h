#pragma once
// Text files of the program (UTF-8). Failures become run-time errors with the numbers
// the program tests: 70 permission denied, 53 file not found, 76 path not found.

#include <QString>

// Writes text to a temporary file in the target's folder and renames it over the
// target, so a failure never leaves a half-written file.
void WriteTextFileAtomic(const QString& path, const QString& text);
// Reads a whole text file.
QString ReadTextFile(const QString& path);
// Deletes a file if it exists, read-only or not. True when it is gone.
bool DeleteFileIfExists(const QString& path);
