#include "import/cSQLServers.h"

#include "platform/dmo/Dmo.h"

#include <exception>

QString cSQLServers::GetServersList() {
    try {
        return platform::dmo::ListAvailableSQLServers().join(QLatin1Char(','));
    } catch (const std::exception&) {
        return QString();
    }
}
