#pragma once
// The SQL Server names the import wizard offers in its server list.

#include <QString>

class cSQLServers {
public:
    // The configured server names joined by ","; "" when there are none or on any
    // error (nothing is shown or reported).
    QString GetServersList();
};
