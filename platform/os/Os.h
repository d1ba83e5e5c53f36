#pragma once
// Facts about the machine and the user: special folders, user name, operating system,
// GUIDs and the locale's number symbols.

#include <QString>

namespace platform::os {

// Folder codes the program asks for (the numbers of the Windows folder identifiers).
constexpr int FolderDocuments = 5;
constexpr int FolderCommonDocuments = 46;

// The folder's path ending in "/", or "" when it cannot be resolved. Documents is the
// XDG documents folder (XDG_DOCUMENTS_DIR, user-dirs.dirs, else ~/Documents); common
// documents has no writable counterpart here and is always "".
QString specialFolderPath(int folder);

// The login name of the current user, "" when it cannot be found.
QString userName();

struct VersionInfo {
    QString systemName;  // "Linux"
    QString release;     // kernel release
    QString prettyName;  // from os-release, e.g. "Debian GNU/Linux 12 (bookworm)"
};
VersionInfo versionInfo();

// A new random GUID as 36 upper-case hexadecimal characters and hyphens, no braces.
QString newGuid();

// The locale's decimal and digit-grouping symbols, one character each.
QString decimalSymbol();
QString digitGroupingSymbol();

}  // namespace platform::os
