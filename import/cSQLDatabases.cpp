#include "import/cSQLDatabases.h"

#include "platform/Error.h"
#include "platform/dmo/Dmo.h"

#include <exception>

QString cSQLDatabases::GetDatabasesList(const QString& sServerName, bool bWindowsAuthentication,
                                        const QString& sLoginName, const QString& sPassword) {
    try {
        platform::dmo::SQLServer server;
        if (bWindowsAuthentication) {
            server.LoginSecure = true;
            server.Connect(sServerName);
        } else {
            server.Connect(sServerName, sLoginName, sPassword);
        }
        return server.Databases().join(QLatin1Char(','));
    } catch (const platform::RuntimeError& e) {
        if (e.number() == platform::dmo::LoginFailed) return QStringLiteral("ERROR: Incorrect Loginname/Password");
        return QString();
    } catch (const std::exception&) {
        return QString();
    }
}
