#pragma once
// The folder chooser of the report commands, through the platform host (a scripted
// host answers in tests).

#include <QString>

// The chosen folder without a trailing separator, or "" when the user cancelled. The
// dialog starts in gReportsFolder.
QString DM_BrowseFolder(const QString& sTitle);
