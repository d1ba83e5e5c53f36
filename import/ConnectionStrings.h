#pragma once
// Connection strings of the import wizard, one builder per kind of data source.
//
// The wizard copies its panels' boxes into ConnectionPanelFields, calls the builders
// and writes the boxes back afterwards: a builder trims some boxes in place, and those
// trimmed texts are what the user sees after pressing Next. A builder that finds a bad
// field shows one critical message for the first one and returns "". The strings are
// OLE DB strings as they are stored in the tree document; platform/ado translates them
// when the connection opens.
//
// Window thread only; the builders read and fStoreDBInfo writes bGlobal's
// current-connection globals.

#include <QString>
#include <QtGlobal>

// The boxes of the data-source panels, named as on the wizard.
struct ConnectionPanelFields {
    // SQL Server panel. The *Listed flags say that the box's text is the list entry
    // the user picked (it is then used exactly as listed, not trimmed).
    QString cboSQLServerName;
    bool bSQLServerNameListed = false;
    QString cboSQLDatabaseName;
    bool bSQLDatabaseNameListed = false;
    int optSQLAuthentication = 1;  // 0 Windows authentication, 1 SQL Server authentication
    QString txtSQLLoginName;
    QString txtSQLPassword;
    bool chkSQLBlankPassword = false;

    // Oracle panel.
    QString txtOraServerName;
    int optORAAuthentication = 1;  // 0 operating-system authentication, 1 Oracle authentication
    QString txtORALoginName;
    QString txtORAPassword;
    bool chkORABlankPassword = false;

    // Access panel.
    QString txtDatabasePath;
    QString txtAccessPassword;
    QString txtWKGPDatabasePath;
    QString txtWKGPLoginName;
    QString txtWKGPPassword;

    // DB2 panel.
    QString txtDB2DataSourceName;
    QString txtDB2LoginName;
    QString txtDB2Password;
    bool chkDB2BlankPassword = false;

    // Connection-string panel (OTHERS).
    QString txtConnectionString;
};

namespace ConnectionStrings {

inline const QString kJetProvider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");

// Builders: the connection string, or "" after showing the message of the first
// failing check.
QString GetSQLServerConnStr(ConnectionPanelFields& f);
// Uses "MSDAORA.1" when bGlobal::gDatabaseType is Personal Oracle.
QString GetOracleConnStr(ConnectionPanelFields& f);
QString GetAccessConnStr(ConnectionPanelFields& f);
QString GetIBMDB2connStr(ConnectionPanelFields& f);
// Also fills the connection globals from the string (bGlobal::ParseConnectionString).
QString GetOthersConnStr(ConnectionPanelFields& f);

// iListIndex is the type list's selected position (-1 none, 0 the "Choose a data
// source type" entry); nDBType the type code of that entry. Builds sConnectionString
// with the type's builder; true when it is not empty. A structure XML file (type 13)
// needs no string and gives true at once, leaving sConnectionString alone.
bool GetConnectionString(int iListIndex, qint16 nDBType, ConnectionPanelFields& f, QString& sConnectionString);

// Copies the panel of bGlobal::gDatabaseType into the current-connection globals. Call
// it after GetConnectionString succeeded (the boxes are trimmed then). Details the
// chosen kind of source does not have (a server for an Access file, a login under
// Windows authentication, a workgroup file) are cleared rather than kept from an
// earlier connection. Returns true.
bool fStoreDBInfo(const ConnectionPanelFields& f);

}  // namespace ConnectionStrings
