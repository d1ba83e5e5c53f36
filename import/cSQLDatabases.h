#pragma once
// The databases of one SQL Server, for the import wizard's database list.

#include <QString>

class cSQLDatabases {
public:
    // The database names of sServerName joined by ","; exactly
    // "ERROR: Incorrect Loginname/Password" when the server refuses the login; "" on
    // any other error (no server, no driver). Nothing is shown or reported. With
    // bWindowsAuthentication the login name and password are not used.
    QString GetDatabasesList(const QString& sServerName, bool bWindowsAuthentication, const QString& sLoginName,
                             const QString& sPassword);
};
