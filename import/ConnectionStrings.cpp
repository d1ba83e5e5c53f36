#include "import/ConnectionStrings.h"

#include "core/bGlobal.h"
#include "platform/ado/Ado.h"

#include <QFileInfo>

using namespace bGlobal;

namespace ConnectionStrings {

namespace {

const QString kSource = QStringLiteral("frmDatabaseConnection.");

// Every value taken from a box goes into the string quoted as the string's own rules
// ask, so a ";" or a quote in a password or name stays inside that one value instead
// of adding keys of its own.
QString q(const QString& value) { return platform::ado::QuoteConnectionValue(value); }

// The extension as the file system gives it (the text after the last "."), lower-cased.
QString extensionOf(const QString& path) { return QFileInfo(path).suffix().toLower(); }

// The file name between the last folder separator and the last "." of a path; both
// "\" and "/" separate folders.
QString baseNameOf(const QString& path) {
    const qsizetype sep = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype start = sep + 1;
    if (dot < start) return path.mid(start);
    return path.mid(start, dot - start);
}

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

// A panel's login name and password: false after the message for the first one
// missing (no password is missing when the blank-password box is ticked).
bool loginGiven(const QString& login, const QString& password, bool blankPassword, const QString& noLogin,
                const QString& noPassword) {
    if (login.isEmpty()) {
        Critical(noLogin);
        return false;
    }
    if (password.isEmpty() && !blankPassword) {
        Critical(noPassword);
        return false;
    }
    return true;
}

// False after a message when 'path' is no file or its extension is not 'extension'.
bool fileOfKind(const QString& path, const char* extension, const QString& wrongKind) {
    if (!isFile(path)) {
        Critical(QStringLiteral("File does not exist, please enter a valid file name"));
        return false;
    }
    if (extensionOf(path) != QLatin1String(extension)) {
        Critical(wrongKind);
        return false;
    }
    return true;
}

// The authentication of a panel whose option 0 is Windows authentication: its login
// under the server's own authentication 'kind'.
void storeAuthentication(int option, const QString& kind, const QString& login, const QString& password) {
    if (option == 0) {
        gAuthentication = QStringLiteral("WINDOWS");
        return;
    }
    gAuthentication = kind;
    gLoginName = login.trimmed();
    gPassword = password;
}

}  // namespace

QString GetSQLServerConnStr(ConnectionPanelFields& f) {
    return TrapValue(kSource + QStringLiteral("GetSQLServerConnStr"), [&]() -> QString {
        if (!f.bSQLDatabaseNameListed) f.cboSQLDatabaseName = f.cboSQLDatabaseName.trimmed();
        if (!f.bSQLServerNameListed) f.cboSQLServerName = f.cboSQLServerName.trimmed();
        f.txtSQLLoginName = f.txtSQLLoginName.trimmed();

        const bool sqlAuthentication = f.optSQLAuthentication == 1;
        if (f.cboSQLServerName.isEmpty()) {
            Critical(QStringLiteral("Enter a valid SQLServer name"));
            return {};
        }
        if (sqlAuthentication
            && !loginGiven(f.txtSQLLoginName, f.txtSQLPassword, f.chkSQLBlankPassword,
                           QStringLiteral("Enter a valid SQLServer login name"), QStringLiteral("Please enter SQLServer password")))
            return {};
        if (f.cboSQLDatabaseName.isEmpty()) {
            Critical(QStringLiteral("Please select a database name"));
            return {};
        }
        if (!sqlAuthentication)
            return QStringLiteral("Provider=SQLOLEDB;Persist Security Info=False;Integrated Security=SSPI;Initial Catalog=") +
                   q(f.cboSQLDatabaseName) + QStringLiteral(";Data Source=") + q(f.cboSQLServerName);
        return QStringLiteral("Provider=SQLOLEDB;User Id=") + q(f.txtSQLLoginName) + QStringLiteral(";password=") +
               q(f.txtSQLPassword) + QStringLiteral(";Initial Catalog=") + q(f.cboSQLDatabaseName) +
               QStringLiteral(";Data Source=") + q(f.cboSQLServerName);
    }, QString());
}

QString GetOracleConnStr(ConnectionPanelFields& f) {
    return TrapValue(kSource + QStringLiteral("GetOracleConnStr"), [&]() -> QString {
        f.txtORALoginName = f.txtORALoginName.trimmed();
        f.txtOraServerName = f.txtOraServerName.trimmed();

        const bool oracleAuthentication = f.optORAAuthentication == 1;
        if (oracleAuthentication
            && !loginGiven(f.txtORALoginName, f.txtORAPassword, f.chkORABlankPassword,
                           QStringLiteral("Enter a valid oracle login name"), QStringLiteral("Please enter oracle Server password")))
            return {};
        const QString provider =
            gDatabaseType == dbPersonalOracle ? QStringLiteral("MSDAORA.1") : QStringLiteral("OraOLEDB.Oracle");
        if (!oracleAuthentication)
            return QStringLiteral("Provider=") + provider +
                   QStringLiteral(";Integrated Security=SSPI;Persist Security Info=False;Data Source=") +
                   q(f.txtOraServerName) + QStringLiteral(";ChunkSize=150000");
        const QString login = QStringLiteral("Provider=") + provider + QStringLiteral(";User Id=") + q(f.txtORALoginName) +
                              QStringLiteral(";password=") + q(f.txtORAPassword) +
                              QStringLiteral(";Persist Security Info=False");
        if (!f.txtOraServerName.isEmpty())
            return login + QStringLiteral(";Data Source=") + q(f.txtOraServerName) + QStringLiteral(";ChunkSize=150000");
        return login + QStringLiteral(";ChunkSize=150000");
    }, QString());
}

QString GetAccessConnStr(ConnectionPanelFields& f) {
    return TrapValue(kSource + QStringLiteral("GetAccessConnStr"), [&]() -> QString {
        f.txtDatabasePath = f.txtDatabasePath.trimmed();
        f.txtWKGPDatabasePath = f.txtWKGPDatabasePath.trimmed();
        f.txtWKGPLoginName = f.txtWKGPLoginName.trimmed();

        const QString& database = f.txtDatabasePath;
        if (database.isEmpty()) {
            Critical(QStringLiteral("Please select/enter a valid database path"));
            return {};
        }
        if (!fileOfKind(database, "mdb", QStringLiteral("Invalid file format, please select a mdb file."))) return {};

        const QString password = q(f.txtAccessPassword);
        const QString workgroup = q(f.txtWKGPDatabasePath);
        const QString databaseValue = q(database);
        if (f.txtWKGPDatabasePath.isEmpty()) {
            if (!password.isEmpty())
                return QStringLiteral("Provider=") + kJetProvider + QStringLiteral(";Jet OLEDB:Database Password=") +
                       password + QStringLiteral(";Data Source=") + databaseValue;
            return QStringLiteral("Provider=") + kJetProvider + QStringLiteral(";Data Source=") + databaseValue;
        }

        if (!fileOfKind(f.txtWKGPDatabasePath, "mdw", QStringLiteral("Invalid file format, please select a mdw file."))) return {};
        const QString login = q(f.txtWKGPLoginName);
        const QString workgroupPassword = q(f.txtWKGPPassword.trimmed());
        if (!password.isEmpty())
            return QStringLiteral("Provider= Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=") + password +
                   QStringLiteral(";Jet OLEDB:System Database=") + workgroup + QStringLiteral(";User ID=") + login +
                   QStringLiteral(";Password=") + workgroupPassword + QStringLiteral(";Data Source=") + databaseValue;
        return QStringLiteral("Provider=") + kJetProvider + QStringLiteral(";Jet OLEDB:System Database=") + workgroup +
               QStringLiteral(";User ID=") + login + QStringLiteral(";Password=") + workgroupPassword +
               QStringLiteral(";Data Source=") + databaseValue;
    }, QString());
}

QString GetIBMDB2connStr(ConnectionPanelFields& f) {
    return TrapValue(kSource + QStringLiteral("GetIBMDB2connStr"), [&]() -> QString {
        f.txtDB2DataSourceName = f.txtDB2DataSourceName.trimmed();
        f.txtDB2LoginName = f.txtDB2LoginName.trimmed();

        if (f.txtDB2DataSourceName.isEmpty()) {
            Critical(QStringLiteral("Enter a valid data source name"));
            return {};
        }
        if (!loginGiven(f.txtDB2LoginName, f.txtDB2Password, f.chkDB2BlankPassword, QStringLiteral("Enter a valid user name"),
                        QStringLiteral("Enter the correct password")))
            return {};
        return QStringLiteral("Provider=IBMDADB2.1;User ID=") + q(f.txtDB2LoginName) + QStringLiteral(";Password=") +
               q(f.txtDB2Password) + QStringLiteral(";Data Source=") + q(f.txtDB2DataSourceName) +
               QStringLiteral(";Persist Security Info=False");
    }, QString());
}

QString GetOthersConnStr(ConnectionPanelFields& f) {
    return TrapValue(kSource + QStringLiteral("GetOthersConnStr"), [&]() -> QString {
        const QString result = f.txtConnectionString.trimmed();
        if (f.txtConnectionString.isEmpty()) {
            Critical(QStringLiteral("Enter a valid connection string"));
            return {};
        }
        if (result.isEmpty()) return {};  // blanks only: nothing to say, nothing to change
        // The string alone describes this connection: what an earlier connection left in
        // the globals must not name it.
        gServerName.clear();
        gDatabaseName.clear();
        gDataSource.clear();
        gLoginName.clear();
        gPassword.clear();
        ParseConnectionString(f.txtConnectionString);
        return result;
    }, QString());
}

bool GetConnectionString(int iListIndex, qint16 nDBType, ConnectionPanelFields& f, QString& sConnectionString) {
    return TrapValue(kSource + QStringLiteral("GetConnectionString"), [&] {
        if (iListIndex <= 0) {
            Critical(QStringLiteral("Select a data source type"));
            return false;
        }
        QString built;
        switch (nDBType) {
        case dbSQLServer2000:
        case dbSQLServer70:
        case dbSQLServer65: built = GetSQLServerConnStr(f); break;
        case dbOracle9i:
        case dbOracle8i:
        case dbOracle7:
        case dbPersonalOracle: built = GetOracleConnStr(f); break;
        case dbAccessXP:
        case dbAccess2000:
        case dbAccess97: built = GetAccessConnStr(f); break;
        case dbIBMDB2: built = GetIBMDB2connStr(f); break;
        case dbOthers: built = GetOthersConnStr(f); break;
        case dbMorvalexXML: return true;
        default: break;
        }
        sConnectionString = built;
        return !sConnectionString.isEmpty();
    }, false);
}

bool fStoreDBInfo(const ConnectionPanelFields& f) {
    return TrapValue(kSource + QStringLiteral("fStoreDBInfo"), [&] {
        const qint16 type = gDatabaseType;
        if (type >= dbSQLServer2000 && type <= dbIBMDB2) {
            gServerName.clear();
            gAuthentication.clear();
            gLoginName.clear();
            gPassword.clear();
            gWorkgroupDBPath.clear();
            gAccessPassword.clear();
        }
        switch (type) {
        case dbSQLServer2000:
        case dbSQLServer70:
        case dbSQLServer65:
            gServerName = f.cboSQLServerName.trimmed();
            gDataSource = f.cboSQLDatabaseName.trimmed();
            gDatabaseName = gDataSource;
            storeAuthentication(f.optSQLAuthentication, QStringLiteral("SQL"), f.txtSQLLoginName, f.txtSQLPassword);
            break;
        case dbOracle9i:
        case dbOracle8i:
        case dbOracle7:
        case dbPersonalOracle:
            gServerName = f.txtOraServerName.trimmed();
            gDataSource = gServerName;
            gDatabaseName = gDataSource;
            storeAuthentication(f.optORAAuthentication, QStringLiteral("ORACLE"), f.txtORALoginName, f.txtORAPassword);
            break;
        case dbAccessXP:
        case dbAccess2000:
        case dbAccess97: {
            gDataSource = f.txtDatabasePath.trimmed();
            gDatabaseName = baseNameOf(gDataSource);
            gAccessPassword = f.txtAccessPassword;
            const QString workgroup = f.txtWKGPDatabasePath.trimmed();
            if (!workgroup.isEmpty()) {
                gWorkgroupDBPath = workgroup;
                gLoginName = f.txtWKGPLoginName.trimmed();
                gPassword = f.txtWKGPPassword.trimmed();
            }
            break;
        }
        case dbIBMDB2:
            gServerName = f.txtDB2DataSourceName.trimmed();
            gDataSource = gServerName;
            gDatabaseName = gDataSource;
            gAuthentication = QStringLiteral("IBMDB2");
            gLoginName = f.txtDB2LoginName.trimmed();
            gPassword = f.txtDB2Password;
            break;
        case dbOthers: gConnectionString = f.txtConnectionString; break;
        default: break;
        }
        return true;
    }, false);
}

}  // namespace ConnectionStrings
