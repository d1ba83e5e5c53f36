#include "core/StartupInfo.h"

#include "core/bGlobal.h"
#include "platform/os/Os.h"

QString cGUID::GetGUID() {
    return bGlobal::TrapValue(QStringLiteral("cGUID.GetGUID"), [] { return platform::os::newGuid(); }, QString());
}

CLocalInfo::CLocalInfo() = default;

QString CLocalInfo::GetDecimalSymbol() {
    return bGlobal::TrapValue(QStringLiteral("cLocalInfo.GetDecimalSymbol"),
                              [] { return platform::os::decimalSymbol(); }, QString());
}

QString CLocalInfo::GetDigitGroupingSymbol() {
    return bGlobal::TrapValue(QStringLiteral("cLocalInfo.GetDigitGroupingSymbol"),
                              [] { return platform::os::digitGroupingSymbol(); }, QString());
}

QString bOSInfo::GetCurrentOS() {
    return bGlobal::TrapValue(QStringLiteral("bOSInfo.GetCurrentOS"), [] {
        const auto v = platform::os::versionInfo();
        if (!v.prettyName.isEmpty()) return v.prettyName;
        if (v.systemName.isEmpty()) return QString();
        return v.systemName + QLatin1Char(' ') + v.release;
    }, QString());
}

QString bSpecialFolders::GetSpecialFolderPath(int folder) { return platform::os::specialFolderPath(folder); }
