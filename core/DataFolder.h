#pragma once
// The per-user data folder holds saved connection strings (passwords included) and
// copies of database structures, so it is the user's alone: the folder is 0700 and
// every file the program writes there 0600 (PostgreSQL asks the same of its password
// file). Window thread only.

#include <QString>

namespace DataFolder {

// Makes folder (and missing parents) with the owner-only mode; an existing folder is
// left as it is. False when it cannot be made.
bool MakePrivateFolder(const QString& folder);

// Tightens an existing data folder: the folder to 0700, each regular file directly in
// it to 0600. Files made by earlier versions with wider modes are closed this way.
void Secure(const QString& dataFolder);

// The folder for this run's temporary structure copies and preview files, ending in
// "/": a private folder of its own under <dataFolder>/temp, made and locked on the
// first call. Folders that no running program holds (left by a run that crashed or
// was killed) are removed then. "" when no folder can be made.
QString RunTempFolder(const QString& dataFolder);

// Forgets this run's folder (tests, and a data folder that moved); the folder stays.
void ReleaseRunTempFolder();

}  // namespace DataFolder
