// The import wizard's connection strings: every kind of source, every check and its
// message, trimming of the boxes, and what is copied into the connection globals.

#include "core/bGlobal.h"
#include "import/ConnectionStrings.h"
#include "platform/ado/Ado.h"
#include "platform/ado/Odbc.h"
#include "tests/ado/support/TestDatabases.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace bGlobal;
using ConnectionStrings::GetConnectionString;

namespace {

// Files the Access panel points at: the extensions are written in capitals.
struct AccessFiles {
    QTemporaryDir dir;
    QString mdb, mdw, txt, folder;
    AccessFiles() {
        mdb = dir.filePath(QStringLiteral("Shop.MDB"));
        mdw = dir.filePath(QStringLiteral("System.MDW"));
        txt = dir.filePath(QStringLiteral("notes.txt"));
        folder = dir.filePath(QStringLiteral("archive.mdb"));
        for (const QString& f : {mdb, mdw, txt}) testsupport::WriteFile(f, QStringLiteral("x"));
        QDir().mkpath(folder);
    }
    QString expand(QString s) const {
        return s.replace(QStringLiteral("{mdb}"), mdb).replace(QStringLiteral("{mdw}"), mdw)
            .replace(QStringLiteral("{txt}"), txt).replace(QStringLiteral("{folder}"), folder)
            .replace(QStringLiteral("{dir}"), dir.path());
    }
};

struct BuilderCase {
    const char* name;
    qint16 type;
    std::function<void(ConnectionPanelFields&, const AccessFiles&)> fill;
    QString expected;  // "" when the builder refuses
    QString message;   // the one message shown, "" for none
};

void sqlWindows(ConnectionPanelFields& f, const AccessFiles&) {
    f.cboSQLServerName = QStringLiteral("  SRV1 ");
    f.cboSQLDatabaseName = QStringLiteral(" Sales  ");
    f.optSQLAuthentication = 0;
}
void sqlLogin(ConnectionPanelFields& f, const AccessFiles& a) {
    sqlWindows(f, a);
    f.optSQLAuthentication = 1;
    f.txtSQLLoginName = QStringLiteral(" sa ");
    f.txtSQLPassword = QStringLiteral(" pw ");
}
void oracleLogin(ConnectionPanelFields& f, const AccessFiles&) {
    f.txtOraServerName = QStringLiteral(" ORCL ");
    f.optORAAuthentication = 1;
    f.txtORALoginName = QStringLiteral(" scott ");
    f.txtORAPassword = QStringLiteral("tiger");
}
void access(ConnectionPanelFields& f, const AccessFiles& a) { f.txtDatabasePath = QStringLiteral("  ") + a.mdb + QStringLiteral(" "); }
void workgroup(ConnectionPanelFields& f, const AccessFiles& a) {
    access(f, a);
    f.txtWKGPDatabasePath = a.mdw + QStringLiteral(" ");
    f.txtWKGPLoginName = QStringLiteral(" admin ");
    f.txtWKGPPassword = QStringLiteral(" pw ");
}
void db2(ConnectionPanelFields& f, const AccessFiles&) {
    f.txtDB2DataSourceName = QStringLiteral(" SAMPLE ");
    f.txtDB2LoginName = QStringLiteral(" db2admin ");
    f.txtDB2Password = QStringLiteral("pw");
}

const QString kJet = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;");

const BuilderCase kCases[] = {
    // SQL Server
    {"sql windows authentication, typed names trimmed", dbSQLServer2000, sqlWindows,
     u"Provider=SQLOLEDB;Persist Security Info=False;Integrated Security=SSPI;Initial Catalog=Sales;Data Source=SRV1"_s, QString()},
    {"sql login, password as typed", dbSQLServer70, sqlLogin,
     u"Provider=SQLOLEDB;User Id=sa;password= pw ;Initial Catalog=Sales;Data Source=SRV1"_s, QString()},
    {"sql names picked from the list are used as listed", dbSQLServer65,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         sqlWindows(f, a);
         f.bSQLServerNameListed = f.bSQLDatabaseNameListed = true;
     },
     u"Provider=SQLOLEDB;Persist Security Info=False;Integrated Security=SSPI;Initial Catalog= Sales  ;Data Source=  SRV1 "_s, QString()},
    {"sql blank password ticked", dbSQLServer2000,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         sqlLogin(f, a);
         f.txtSQLPassword.clear();
         f.chkSQLBlankPassword = true;
     },
     u"Provider=SQLOLEDB;User Id=sa;password=;Initial Catalog=Sales;Data Source=SRV1"_s, QString()},
    {"sql no server, nor database: only the first message", dbSQLServer2000,
     [](ConnectionPanelFields& f, const AccessFiles&) { f.cboSQLServerName = QStringLiteral("   "); }, QString(),
     u"Enter a valid SQLServer name"_s},
    {"sql login missing", dbSQLServer2000,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         sqlLogin(f, a);
         f.txtSQLLoginName = QStringLiteral("  ");
     },
     QString(), u"Enter a valid SQLServer login name"_s},
    {"sql password missing", dbSQLServer2000,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         sqlLogin(f, a);
         f.txtSQLPassword.clear();
     },
     QString(), u"Please enter SQLServer password"_s},
    {"sql database missing, windows authentication needs no login", dbSQLServer2000,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         sqlWindows(f, a);
         f.cboSQLDatabaseName.clear();
     },
     QString(), u"Please select a database name"_s},
    // Oracle
    {"oracle windows authentication without a server", dbOracle9i,
     [](ConnectionPanelFields& f, const AccessFiles&) { f.optORAAuthentication = 0; },
     u"Provider=OraOLEDB.Oracle;Integrated Security=SSPI;Persist Security Info=False;Data Source=;ChunkSize=150000"_s, QString()},
    {"personal oracle uses MSDAORA.1", dbPersonalOracle, oracleLogin,
     u"Provider=MSDAORA.1;User Id=scott;password=tiger;Persist Security Info=False;Data Source=ORCL;ChunkSize=150000"_s, QString()},
    {"oracle 7.x login without a server", dbOracle7,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         oracleLogin(f, a);
         f.txtOraServerName = QStringLiteral("  ");
     },
     u"Provider=OraOLEDB.Oracle;User Id=scott;password=tiger;Persist Security Info=False;ChunkSize=150000"_s, QString()},
    {"oracle blank password ticked", dbOracle8i,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         oracleLogin(f, a);
         f.txtORAPassword.clear();
         f.chkORABlankPassword = true;
     },
     u"Provider=OraOLEDB.Oracle;User Id=scott;password=;Persist Security Info=False;Data Source=ORCL;ChunkSize=150000"_s, QString()},
    {"oracle login missing", dbOracle9i,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         oracleLogin(f, a);
         f.txtORALoginName.clear();
     },
     QString(), u"Enter a valid oracle login name"_s},
    {"oracle password missing", dbOracle9i,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         oracleLogin(f, a);
         f.txtORAPassword.clear();
     },
     QString(), u"Please enter oracle Server password"_s},
    // Access
    {"access file with a capital extension", dbAccessXP, access, kJet + u"Data Source={mdb}"_s, QString()},
    {"access database password", dbAccess2000,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         access(f, a);
         f.txtAccessPassword = QStringLiteral(" s3cret");
     },
     kJet + u"Jet OLEDB:Database Password= s3cret;Data Source={mdb}"_s, QString()},
    {"access workgroup file with a capital extension", dbAccess97, workgroup,
     kJet + u"Jet OLEDB:System Database={mdw};User ID=admin;Password=pw;Data Source={mdb}"_s, QString()},
    {"access workgroup and database password", dbAccessXP,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         workgroup(f, a);
         f.txtAccessPassword = QStringLiteral("s3cret");
     },
     u"Provider= Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=s3cret;Jet OLEDB:System Database={mdw};User ID=admin;"
     "Password=pw;Data Source={mdb}"_s,
     QString()},
    {"access path missing", dbAccessXP, [](ConnectionPanelFields& f, const AccessFiles&) { f.txtDatabasePath = QStringLiteral(" "); },
     QString(), u"Please select/enter a valid database path"_s},
    {"access file missing", dbAccessXP,
     [](ConnectionPanelFields& f, const AccessFiles& a) { f.txtDatabasePath = a.dir.filePath(QStringLiteral("gone.mdb")); }, QString(),
     u"File does not exist, please enter a valid file name"_s},
    {"access path is a folder", dbAccessXP, [](ConnectionPanelFields& f, const AccessFiles& a) { f.txtDatabasePath = a.folder; },
     QString(), u"File does not exist, please enter a valid file name"_s},
    {"access file of another kind", dbAccessXP, [](ConnectionPanelFields& f, const AccessFiles& a) { f.txtDatabasePath = a.txt; },
     QString(), u"Invalid file format, please select a mdb file."_s},
    {"access workgroup file missing", dbAccessXP,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         workgroup(f, a);
         f.txtWKGPDatabasePath = a.dir.filePath(QStringLiteral("gone.mdw"));
     },
     QString(), u"File does not exist, please enter a valid file name"_s},
    {"access workgroup file of another kind", dbAccessXP,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         workgroup(f, a);
         f.txtWKGPDatabasePath = a.mdb;
     },
     QString(), u"Invalid file format, please select a mdw file."_s},
    // DB2
    {"db2", dbIBMDB2, db2, u"Provider=IBMDADB2.1;User ID=db2admin;Password=pw;Data Source=SAMPLE;Persist Security Info=False"_s, QString()},
    {"db2 blank password ticked", dbIBMDB2,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         db2(f, a);
         f.txtDB2Password.clear();
         f.chkDB2BlankPassword = true;
     },
     u"Provider=IBMDADB2.1;User ID=db2admin;Password=;Data Source=SAMPLE;Persist Security Info=False"_s, QString()},
    {"db2 data source missing", dbIBMDB2,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         db2(f, a);
         f.txtDB2DataSourceName = QStringLiteral(" ");
     },
     QString(), u"Enter a valid data source name"_s},
    {"db2 user missing", dbIBMDB2,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         db2(f, a);
         f.txtDB2LoginName.clear();
     },
     QString(), u"Enter a valid user name"_s},
    {"db2 password missing", dbIBMDB2,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         db2(f, a);
         f.txtDB2Password.clear();
     },
     QString(), u"Enter the correct password"_s},
    // OTHERS
    {"others: the string trimmed", dbOthers,
     [](ConnectionPanelFields& f, const AccessFiles&) { f.txtConnectionString = QStringLiteral("  Driver=SQLite3;Database=/x.db  "); },
     u"Driver=SQLite3;Database=/x.db"_s, QString()},
    {"others: empty", dbOthers, [](ConnectionPanelFields&, const AccessFiles&) {}, QString(), u"Enter a valid connection string"_s},
    {"others: blanks only say nothing", dbOthers,
     [](ConnectionPanelFields& f, const AccessFiles&) { f.txtConnectionString = QStringLiteral("    "); }, QString(), QString()},
};

class Builders : public ::testing::TestWithParam<BuilderCase> {
protected:
    void SetUp() override { FillDatabaseTypeTables(); }
    testsupport::AppFolder app;
    platform::ui::ScopedScriptedHost host;
    AccessFiles files;
};

}  // namespace

TEST_P(Builders, StringAndMessage) {
    const BuilderCase& c = GetParam();
    gDatabaseType = c.type;
    ConnectionPanelFields f;
    c.fill(f, files);
    QString built = QStringLiteral("untouched");
    const bool ok = GetConnectionString(c.type, c.type, f, built);

    EXPECT_EQ(built, files.expand(c.expected));
    EXPECT_EQ(ok, !c.expected.isEmpty());
    const QStringList expectedMessages = c.message.isEmpty() ? QStringList() : QStringList{c.message};
    EXPECT_EQ(host->messages(), expectedMessages);
    for (const auto& p : host->prompts) {
        EXPECT_EQ(p.icon, platform::ui::Icon::Critical);
        EXPECT_EQ(p.title, QStringLiteral("Morvalex 4.0"));
    }
}

INSTANTIATE_TEST_SUITE_P(AllTypes, Builders, ::testing::ValuesIn(kCases), [](const auto& testInfo) {
    std::string name = testInfo.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

TEST(ConnectionStringsBoxes, TypedBoxesAreTrimmedInPlaceEvenWhenACheckFails) {
    testsupport::AppFolder app;
    platform::ui::ScopedScriptedHost host;
    FillDatabaseTypeTables();
    AccessFiles files;
    QString built;

    ConnectionPanelFields sql;
    sqlLogin(sql, files);
    sql.txtSQLPassword.clear();
    EXPECT_FALSE(GetConnectionString(dbSQLServer2000, dbSQLServer2000, sql, built));
    EXPECT_EQ(sql.cboSQLServerName, QStringLiteral("SRV1"));
    EXPECT_EQ(sql.cboSQLDatabaseName, QStringLiteral("Sales"));
    EXPECT_EQ(sql.txtSQLLoginName, QStringLiteral("sa"));

    ConnectionPanelFields acc;
    workgroup(acc, files);
    acc.txtAccessPassword = QStringLiteral(" p ");
    gDatabaseType = dbAccessXP;
    ASSERT_TRUE(GetConnectionString(dbAccessXP, dbAccessXP, acc, built));
    EXPECT_EQ(acc.txtDatabasePath, files.mdb);
    EXPECT_EQ(acc.txtWKGPDatabasePath, files.mdw);
    EXPECT_EQ(acc.txtWKGPLoginName, QStringLiteral("admin"));
    EXPECT_EQ(acc.txtWKGPPassword, QStringLiteral(" pw ")) << "only its value in the string is trimmed";
    EXPECT_EQ(acc.txtAccessPassword, QStringLiteral(" p "));

    ConnectionPanelFields others;
    others.txtConnectionString = QStringLiteral(" DSN=x ");
    gDatabaseType = dbOthers;
    ASSERT_TRUE(GetConnectionString(dbOthers, dbOthers, others, built));
    EXPECT_EQ(others.txtConnectionString, QStringLiteral(" DSN=x ")) << "the box keeps its text";
}

TEST(ConnectionStringsList, NoTypeChosenAndTheStructureFile) {
    testsupport::AppFolder app;
    platform::ui::ScopedScriptedHost host;
    FillDatabaseTypeTables();
    ConnectionPanelFields f;
    QString built = QStringLiteral("kept");
    EXPECT_FALSE(GetConnectionString(0, 0, f, built));
    EXPECT_FALSE(GetConnectionString(-1, 0, f, built));
    EXPECT_EQ(host->messages(), (QStringList{QStringLiteral("Select a data source type"), QStringLiteral("Select a data source type")}));
    // A structure XML file needs no string.
    EXPECT_TRUE(GetConnectionString(dbMorvalexXML, dbMorvalexXML, f, built));
    EXPECT_EQ(built, QStringLiteral("kept"));
}

// ---- what reaches the connection globals -------------------------------------------------

namespace {

struct Globals {
    QString server, dataSource, database, authentication, login, password, workgroup, accessPassword, connectionString;
};

Globals current() {
    return {gServerName, gDataSource,     gDatabaseName,   gAuthentication,  gLoginName,
            gPassword,   gWorkgroupDBPath, gAccessPassword, gConnectionString};
}

void stale() {
    gServerName = QStringLiteral("OLDSRV");
    gDataSource = gDatabaseName = QStringLiteral("olddb");
    gAuthentication = QStringLiteral("SQL");
    gLoginName = QStringLiteral("OLDUSER");
    gPassword = QStringLiteral("oldpw");
    gWorkgroupDBPath = QStringLiteral("/old/system.mdw");
    gAccessPassword = QStringLiteral("oldaccess");
    gConnectionString = QStringLiteral("old string");
}

struct StoreCase {
    const char* name;
    qint16 type;
    std::function<void(ConnectionPanelFields&, const AccessFiles&)> fill;
    Globals expected;  // {mdb}/{mdw} expanded
};

const StoreCase kStores[] = {
    {"sql windows authentication keeps no login", dbSQLServer2000, sqlWindows,
     {u"SRV1"_s, u"Sales"_s, u"Sales"_s, u"WINDOWS"_s, QString(), QString(), QString(), QString(), u"old string"_s}},
    {"sql login", dbSQLServer2000, sqlLogin, {u"SRV1"_s, u"Sales"_s, u"Sales"_s, u"SQL"_s, u"sa"_s, u" pw "_s, QString(), QString(), u"old string"_s}},
    {"oracle", dbOracle9i, oracleLogin, {u"ORCL"_s, u"ORCL"_s, u"ORCL"_s, u"ORACLE"_s, u"scott"_s, u"tiger"_s, QString(), QString(), u"old string"_s}},
    {"access has no server; the short name is the file's", dbAccessXP, access,
     {QString(), u"{mdb}"_s, u"Shop"_s, QString(), QString(), QString(), QString(), QString(), u"old string"_s}},
    {"access with a workgroup", dbAccess97, workgroup, {QString(), u"{mdb}"_s, u"Shop"_s, QString(), u"admin"_s, u"pw"_s, u"{mdw}"_s, QString(), u"old string"_s}},
    {"db2", dbIBMDB2, db2, {u"SAMPLE"_s, u"SAMPLE"_s, u"SAMPLE"_s, u"IBMDB2"_s, u"db2admin"_s, u"pw"_s, QString(), QString(), u"old string"_s}},
    {"others: names from the string's data source", dbOthers,
     [](ConnectionPanelFields& f, const AccessFiles& a) {
         f.txtConnectionString = a.expand(QStringLiteral(" Provider=X;Data Source={dir}/books.v2.db;User Id=reader;Password=pw "));
     },
     {QString(), u"books"_s, u"books"_s, u"SQL"_s, u"READER"_s, u"pw "_s, u"/old/system.mdw"_s, u"oldaccess"_s,
      u" Provider=X;Data Source={dir}/books.v2.db;User Id=reader;Password=pw "_s}},
    {"others: no earlier connection names this one", dbOthers,
     [](ConnectionPanelFields& f, const AccessFiles&) { f.txtConnectionString = QStringLiteral("Driver=SQLite3;Database=/x.db"); },
     {QString(), u"x"_s, u"x"_s, u"SQL"_s, QString(), QString(), u"/old/system.mdw"_s, u"oldaccess"_s, u"Driver=SQLite3;Database=/x.db"_s}},
};

class Store : public ::testing::TestWithParam<StoreCase> {
protected:
    void SetUp() override { FillDatabaseTypeTables(); }
    testsupport::AppFolder app;
    platform::ui::ScopedScriptedHost host;
    AccessFiles files;
};

}  // namespace

TEST_P(Store, GlobalsAfterASuccessfulBuild) {
    const StoreCase& c = GetParam();
    stale();
    gDatabaseType = c.type;
    ConnectionPanelFields f;
    c.fill(f, files);
    QString built;
    ASSERT_TRUE(GetConnectionString(c.type, c.type, f, built));
    EXPECT_TRUE(ConnectionStrings::fStoreDBInfo(f));
    const Globals g = current();
    const Globals& e = c.expected;
    EXPECT_EQ(g.server, files.expand(e.server));
    EXPECT_EQ(g.dataSource, files.expand(e.dataSource));
    EXPECT_EQ(g.database, files.expand(e.database));
    EXPECT_EQ(g.authentication, e.authentication);
    EXPECT_EQ(g.login, e.login);
    EXPECT_EQ(g.password, e.password);
    EXPECT_EQ(g.workgroup, files.expand(e.workgroup));
    EXPECT_EQ(g.accessPassword, e.accessPassword);
    EXPECT_EQ(g.connectionString, files.expand(e.connectionString));
}

INSTANTIATE_TEST_SUITE_P(AllTypes, Store, ::testing::ValuesIn(kStores), [](const auto& testInfo) {
    std::string name = testInfo.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

TEST(ConnectionStringsBlanks, ABlankOthersStringChangesNoGlobal) {
    testsupport::AppFolder app;
    platform::ui::ScopedScriptedHost host;
    FillDatabaseTypeTables();
    stale();
    ConnectionPanelFields f;
    f.txtConnectionString = QStringLiteral("   ");
    QString built;
    EXPECT_FALSE(GetConnectionString(dbOthers, dbOthers, f, built));
    EXPECT_EQ(gDatabaseName, QStringLiteral("olddb"));
    EXPECT_EQ(gServerName, QStringLiteral("OLDSRV"));
    EXPECT_TRUE(host->prompts.isEmpty());
}

TEST(ConnectionStringsQuoting, AFieldValueIsAlwaysOneValue) {
    testsupport::AppFolder app;
    platform::ui::ScopedScriptedHost host;
    FillDatabaseTypeTables();
    QTemporaryDir dir;
    const QString created = dir.filePath(QStringLiteral("x.db"));
    const QString injection = QStringLiteral("pw;Driver=SQLite3;Database=") + created;
    const QString hostile[] = {injection, QStringLiteral("p}w{\"'=;"), QStringLiteral("'quoted'"), QStringLiteral(" \"x;y")};
    const struct {
        const char* what;
        qint16 type;
        std::function<void(ConnectionPanelFields&, const QString&)> fill;
        const char* odbcKey;  // where the value must arrive after translation
    } panels[] = {
        {"SQL Server password", dbSQLServer2000,
         [](ConnectionPanelFields& f, const QString& v) {
             f.cboSQLServerName = QStringLiteral("srv");
             f.cboSQLDatabaseName = QStringLiteral("db");
             f.txtSQLLoginName = QStringLiteral("sa");
             f.txtSQLPassword = v;
         },
         "PWD"},
        {"SQL Server database", dbSQLServer2000,
         [](ConnectionPanelFields& f, const QString& v) {
             f.cboSQLServerName = QStringLiteral("srv");
             f.bSQLDatabaseNameListed = true;
             f.cboSQLDatabaseName = v;
             f.optSQLAuthentication = 0;
         },
         "Database"},
        {"Oracle password", dbOracle9i,
         [](ConnectionPanelFields& f, const QString& v) {
             f.txtOraServerName = QStringLiteral("orcl");
             f.txtORALoginName = QStringLiteral("scott");
             f.txtORAPassword = v;
         },
         "PWD"},
        {"DB2 password", dbIBMDB2,
         [](ConnectionPanelFields& f, const QString& v) {
             f.txtDB2DataSourceName = QStringLiteral("sample");
             f.txtDB2LoginName = QStringLiteral("db2");
             f.txtDB2Password = v;
         },
         "PWD"},
    };
    const QStringList drivers{QStringLiteral("FreeTDS"), QStringLiteral("Oracle 21 ODBC driver"),
                              QStringLiteral("IBM DB2 ODBC DRIVER")};
    for (const auto& p : panels) {
        for (const QString& value : hostile) {
            gDatabaseType = p.type;
            ConnectionPanelFields f;
            p.fill(f, value);
            QString built;
            ASSERT_TRUE(GetConnectionString(p.type, p.type, f, built)) << p.what;
            EXPECT_FALSE(platform::ado::IsOdbcConnectionString(built)) << p.what << ": " << built.toStdString();
            const QString odbcString = platform::ado::TranslateConnectionString(built, drivers);
            int driverKeys = 0;
            QString arrived;
            for (const auto& [key, v] : platform::ado::odbc::attributes(odbcString)) {
                if (key.compare(QLatin1String("Driver"), Qt::CaseInsensitive) == 0) ++driverKeys;
                if (key.compare(QLatin1String(p.odbcKey), Qt::CaseInsensitive) == 0) arrived = v;
            }
            EXPECT_EQ(driverKeys, 1) << p.what << ": " << odbcString.toStdString();
            EXPECT_EQ(arrived, value) << p.what << ": " << odbcString.toStdString();
        }
    }
    // Opened for real, the injected key reaches no driver and makes no file.
    gDatabaseType = dbOracle9i;
    ConnectionPanelFields f;
    panels[2].fill(f, injection);
    QString built;
    ASSERT_TRUE(GetConnectionString(dbOracle9i, dbOracle9i, f, built));
    testdb::UseTestOdbc();
    platform::ado::Connection c;
    EXPECT_THROW(c.Open(built), platform::RuntimeError);
    EXPECT_FALSE(QFileInfo::exists(created));
}
