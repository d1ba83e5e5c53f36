#pragma once
// SQL Server administration as far as the import wizard needs it: the SQL Server
// names configured on this machine and the databases of one server.
//
// Nothing here looks on the network for servers. The names come from the ODBC data
// sources whose driver talks to SQL Server (FreeTDS or a "SQL Server" driver: the
// server the data source names) and from the server sections of freetds.conf. The
// databases of a server are asked from the server itself over a connection made
// through platform/ado, with the same kind of connection string the wizard later
// uses, so a name that lists here also connects there.
//
// Errors are thrown as platform::RuntimeError; a refused login is LoginFailed.

#include "platform/ado/Ado.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace platform::dmo {

// The error number of a refused login (SQL Server's message number).
constexpr long LoginFailed = 18456;

// The configured SQL Server names: those of the ODBC data sources first, then the
// freetds.conf servers, each name once (compared ignoring case). Throws when the ODBC
// driver manager cannot be asked.
QStringList ListAvailableSQLServers();

// The server sections of a freetds.conf text, in file order; [global] is not a server.
QStringList FreeTdsServers(const QString& confText);
// The freetds.conf files FreeTDS reads here: $FREETDSCONF alone when set, otherwise
// ~/.freetds.conf and /etc/freetds/freetds.conf (those that exist).
QStringList FreeTdsConfFiles();

// True when a failed open was a refused login: ADO's login error, SQLSTATE 28000 or
// the server's message 18456 in the first driver diagnostic.
bool IsLoginFailure(long number, const QList<ado::Error>& errors);

// One SQL Server: connect, then list its databases.
class SQLServer {
public:
    SQLServer();
    ~SQLServer();
    SQLServer(const SQLServer&) = delete;
    SQLServer& operator=(const SQLServer&) = delete;

    // Windows (integrated) authentication instead of a login and password.
    bool LoginSecure = false;
    // Seconds to wait for the server.
    int LoginTimeout = 15;

    // Opens the connection to serverName; login and password are used unless
    // LoginSecure is set. Throws LoginFailed for a refused login, otherwise the ADO
    // layer's error (3706 when no SQL Server driver is installed).
    void Connect(const QString& serverName, const QString& login = QString(), const QString& password = QString());
    // The names of the server's databases, in the server's order. Requires Connect.
    QStringList Databases();
    void DisConnect();

    // The OLE DB connection string Connect uses.
    static QString ConnectionStringFor(const QString& serverName, bool loginSecure, const QString& login,
                                       const QString& password);

private:
    std::unique_ptr<ado::Connection> m_connection;
};

}  // namespace platform::dmo
