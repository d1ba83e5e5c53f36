#pragma once
// The small classes and modules used at start-up.

#include <QString>

class cGUID {
public:
    // A new GUID: 8-4-4-4-12 upper-case hexadecimal digits, no braces; "" on failure.
    QString GetGUID();
};

class CLocalInfo {
public:
    CLocalInfo();
    QString GetDecimalSymbol();
    QString GetDigitGroupingSymbol();
};

namespace bOSInfo {
QString GetCurrentOS();
}

namespace bSpecialFolders {
// The folder's path ending in "/", or "" when it cannot be resolved.
QString GetSpecialFolderPath(int folder);
}
