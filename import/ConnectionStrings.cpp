#include "import/ConnectionStrings.h"

#include "core/bGlobal.h"

#include <QFileInfo>

using namespace bGlobal;

namespace ConnectionStrings {

namespace {

const QString kSource = QStringLiteral("frmDatabaseConnection.");

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
        if (sqlAuthentication) {
            if (f.txtSQLLoginName.isEmpty()) {
                Critical(QStringLiteral("Enter a valid SQLServer login name"));
                return {};
            }
            if (f.txtSQLPassword.isEmpty() && !f.chkSQLBlankPassword) {
                Critical(QStringLiteral("Please enter SQLServer password"));
                return {};
            }
        }
        if (f.cboSQLDatabaseName.isEmpty()) {
            Critical(QStringLiteral("Please select a database name"));
            return {};
        }
        if (!sqlAuthentication)
            return QStringLiteral("Provider=SQLOLEDB;Persist Security Info=False;Integrated Security=SSPI;Initial Catalog=") +
                   f.cboSQLDatabaseName + QStringLiteral(";Data Source=") + f.cboSQLServerName;
        return QStringLiteral("Provider=SQLOLEDB;User Id=") + f.txtSQLLoginName + QStringLiteral(";password=") +
               f.txtSQLPassword + QStringLiteral(";Initial Catalog=") + f.cboSQLDatabaseName +
               QStringLiteral(";Data Source=") + f.cboSQLServerName;
    }, QString());
}

QString GetOracleConnStr(ConnectionPanelFields& f) {
    return TrapValue(kSource + QStringLiteral("GetOracleConnStr"), [&]() -> QString {
        f.txtORALoginName = f.txtORALoginName.trimmed();
        f.txtOraServerName = f.txtOraServerName.trimmed();

        const bool oracleAuthentication = f.optORAAuthentication == 1;
        if (oracleAuthentication) {
            if (f.txtORALoginName.isEmpty()) {
                Critical(QStringLiteral("Enter a valid oracle login name"));
                return {};
            }
            if (f.txtORAPassword.isEmpty() && !f.chkORABlankPassword) {
                Critical(QStringLiteral("Please enter oracle Server password"));
                return {};
            }
        }
        const QString provider =
            gDatabaseType == dbPersonalOracle ? QStringLiteral("MSDAORA.1") : QStringLiteral("OraOLEDB.Oracle");
        if (!oracleAuthentication)
            return QStringLiteral("Provider=") + provider +
                   QStringLiteral(";Integrated Security=SSPI;Persist Security Info=False;Data Source=") +
                   f.txtOraServerName + QStringLiteral(";ChunkSize=150000");
        const QString login = QStringLiteral("Provider=") + provider + QStringLiteral(";User Id=") + f.txtORALoginName +
                              QStringLiteral(";password=") + f.txtORAPassword +
                              QStringLiteral(";Persist Security Info=False");
        if (!f.txtOraServerName.isEmpty())
            return login + QStringLiteral(";Data Source=") + f.txtOraServerName + QStringLiteral(";ChunkSize=150000");
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
        if (!isFile(database)) {
            Critical(QStringLiteral("File does not exist, please enter a valid file name"));
            return {};
        }
        if (extensionOf(database) != QLatin1String("mdb")) {
            Critical(QStringLiteral("Invalid file format, please select a mdb file."));
            return {};
        }

        const QString& password = f.txtAccessPassword;
        const QString& workgroup = f.txtWKGPDatabasePath;
        if (workgroup.isEmpty()) {
            if (!password.isEmpty())
                return QStringLiteral("Provider=") + kJetProvider + QStringLiteral(";Jet OLEDB:Database Password=") +
                       password + QStringLiteral(";Data Source=") + database;
            return QStringLiteral("Provider=") + kJetProvider + QStringLiteral(";Data Source=") + database;
        }

        if (!isFile(workgroup)) {
            Critical(QStringLiteral("File does not exist, please enter a valid file name"));
            return {};
        }
        if (extensionOf(workgroup) != QLatin1String("mdw")) {
            Critical(QStringLiteral("Invalid file format, please select a mdw file."));
            return {};
        }
        const QString login = f.txtWKGPLoginName;
        const QString workgroupPassword = f.txtWKGPPassword.trimmed();
        if (!password.isEmpty())
            return QStringLiteral("Provider= Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=") + password +
                   QStringLiteral(";Jet OLEDB:System Database=") + workgroup + QStringLiteral(";User ID=") + login +
                   QStringLiteral(";Password=") + workgroupPassword + QStringLiteral(";Data Source=") + database;
        return QStringLiteral("Provider=") + kJetProvider + QStringLiteral(";Jet OLEDB:System Database=") + workgroup +
               QStringLiteral(";User ID=") + login + QStringLiteral(";Password=") + workgroupPassword +
               QStringLiteral(";Data Source=") + database;
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
        if (f.txtDB2LoginName.isEmpty()) {
            Critical(QStringLiteral("Enter a valid user name"));
            return {};
        }
        if (f.txtDB2Password.isEmpty() && !f.chkDB2BlankPassword) {
            Critical(QStringLiteral("Enter the correct password"));
            return {};
        }
        return QStringLiteral("Provider=IBMDADB2.1;User ID=") + f.txtDB2LoginName + QStringLiteral(";Password=") +
               f.txtDB2Password + QStringLiteral(";Data Source=") + f.txtDB2DataSourceName +
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
            if (f.optSQLAuthentication == 0) {
                gAuthentication = QStringLiteral("WINDOWS");
            } else {
                gAuthentication = QStringLiteral("SQL");
                gLoginName = f.txtSQLLoginName.trimmed();
                gPassword = f.txtSQLPassword;
            }
            break;
        case dbOracle9i:
        case dbOracle8i:
        case dbOracle7:
        case dbPersonalOracle:
            gServerName = f.txtOraServerName.trimmed();
            gDataSource = gServerName;
            gDatabaseName = gDataSource;
            if (f.optORAAuthentication == 0) {
                gAuthentication = QStringLiteral("WINDOWS");
            } else {
                gAuthentication = QStringLiteral("ORACLE");
                gLoginName = f.txtORALoginName.trimmed();
                gPassword = f.txtORAPassword;
            }
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
