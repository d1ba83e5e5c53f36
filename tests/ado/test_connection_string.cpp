// OLE DB connection strings translated for the installed ODBC drivers.

#include "platform/Error.h"
#include "platform/ado/Ado.h"
#include "tests/ado/support/TestDatabases.h"

#include <gtest/gtest.h>

using namespace platform::ado;

namespace {

const QStringList kAllDrivers = {QStringLiteral("SQLite3"), QStringLiteral("PostgreSQL Unicode"), QStringLiteral("FreeTDS"),
                                 QStringLiteral("MDBTools"), QStringLiteral("Oracle 19 ODBC driver"),
                                 QStringLiteral("IBM DB2 ODBC DRIVER")};

struct Translation {
    const char* oledb;
    const char* odbc;
};

TEST(ConnectionStringTest, TranslatesEveryProviderForInstalledDrivers) {
    const Translation cases[] = {
        // SQL Server through FreeTDS
        {"Provider=SQLOLEDB;User Id=sa;password=secret;Initial Catalog=Sales;Data Source=dbhost",
         "Driver={FreeTDS};Server=dbhost;Database=Sales;UID=sa;PWD=secret"},
        {"Provider=SQLOLEDB;Persist Security Info=False;Integrated Security=SSPI;Initial Catalog=Sales;Data Source=dbhost\\SQL2000",
         "Driver={FreeTDS};Server=dbhost\\SQL2000;Database=Sales;Trusted_Connection=Yes"},
        {"Provider=SQLOLEDB;User Id=sa;password=;Initial Catalog=master;Data Source=(local)",
         "Driver={FreeTDS};Server=localhost;Database=master;UID=sa;PWD="},
        // a value holding ";" stays one value
        {"Provider=SQLOLEDB;User Id=sa;password='a;b';Initial Catalog=x;Data Source=h",
         "Driver={FreeTDS};Server=h;Database=x;UID=sa;PWD={a;b}"},
        // Oracle, both providers
        {"Provider=OraOLEDB.Oracle;User Id=scott;password=tiger;Persist Security Info=False;Data Source=orcl;ChunkSize=150000",
         "Driver={Oracle 19 ODBC driver};DBQ=orcl;UID=scott;PWD=tiger"},
        {"Provider=MSDAORA.1;User Id=scott;password=tiger;Persist Security Info=False;ChunkSize=150000",
         "Driver={Oracle 19 ODBC driver};UID=scott;PWD=tiger"},
        {"Provider=OraOLEDB.Oracle;Integrated Security=SSPI;Persist Security Info=False;Data Source=;ChunkSize=150000",
         "Driver={Oracle 19 ODBC driver};DBQ="},
        // Access through mdbtools, with or without passwords and a workgroup file
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/data/nwind.mdb", "Driver={MDBTools};DBQ=/data/nwind.mdb"},
        {"Provider= Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=pw;Jet OLEDB:System Database=/data/s.mdw;"
         "User ID=admin;Password=x;Data Source=/data/nwind.mdb",
         "Driver={MDBTools};DBQ=/data/nwind.mdb"},
        // DB2
        {"Provider=IBMDADB2.1;User ID=db2inst1;Password=pw;Data Source=SAMPLE;Persist Security Info=False",
         "Driver={IBM DB2 ODBC DRIVER};Database=SAMPLE;UID=db2inst1;PWD=pw"},
        // ODBC strings pass unchanged
        {"Driver=SQLite3;Database=/tmp/x.db;NoCreat=1", "Driver=SQLite3;Database=/tmp/x.db;NoCreat=1"},
        {"dsn=Sales;uid=a;pwd=b", "dsn=Sales;uid=a;pwd=b"},
        {"Provider=MSDASQL;DSN=Sales", "Provider=MSDASQL;DSN=Sales"},
    };
    for (const Translation& c : cases) {
        SCOPED_TRACE(c.oledb);
        EXPECT_EQ(TranslateConnectionString(QString::fromUtf8(c.oledb), kAllDrivers), QString::fromUtf8(c.odbc));
    }
}

TEST(ConnectionStringTest, UnknownProviderOrMissingDriverIs3706) {
    const QStringList fewDrivers = {QStringLiteral("SQLite3"), QStringLiteral("PostgreSQL Unicode")};
    const char* const cases[] = {
        "Provider=NoSuchProvider.1;Data Source=x",
        "Data Source=x;User Id=a",  // no provider at all
        "",
        "Provider=OraOLEDB.Oracle;User Id=scott;password=tiger;Data Source=orcl",
        "Provider=MSDAORA.1;User Id=scott;password=tiger",
        "Provider=IBMDADB2.1;User ID=a;Password=b;Data Source=SAMPLE",
        "Provider=SQLOLEDB;Data Source=h;Initial Catalog=x",
        "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/data/nwind.mdb",
    };
    for (const char* c : cases) {
        SCOPED_TRACE(c);
        try {
            TranslateConnectionString(QString::fromUtf8(c), fewDrivers);
            ADD_FAILURE() << "no error";
        } catch (const platform::RuntimeError& e) {
            EXPECT_EQ(e.number(), adErrProviderNotFound);
        }
    }
}

TEST(ConnectionStringTest, UsesTheDriversTheRegistryHolds) {
    testdb::UseTestOdbc();
    const QStringList registered = testdb::RegisteredDrivers();
    ASSERT_TRUE(registered.contains(QStringLiteral("SQLite3")));
    if (registered.contains(QStringLiteral("MDBTools"))) {
        EXPECT_EQ(TranslateConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/a.mdb")),
                  QStringLiteral("Driver={MDBTools};DBQ=/d/a.mdb"));
    }
    // No Oracle driver is installed here.
    try {
        TranslateConnectionString(QStringLiteral("Provider=OraOLEDB.Oracle;Data Source=orcl"));
        ADD_FAILURE() << "no error";
    } catch (const platform::RuntimeError& e) {
        EXPECT_EQ(e.number(), adErrProviderNotFound);
    }
}

}  // namespace

// Two strings lead to the same database when driver, server, port and database agree,
// whatever the login, the options, the order or the case of the keys.
TEST(ConnectionStringTest, TheAddressOfADatabaseIsItsDriverServerPortAndDatabase) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"Driver={PostgreSQL Unicode};Server=h;Port=5432;Database=shop;UID=a;PWD=x",
         "pwd=y;uid=b;database=SHOP;port=5432;server=H;driver={postgresql unicode};sslmode=require", true},
        {"Driver={PostgreSQL Unicode};Server=h;Port=5432;Database=shop", "Driver={PostgreSQL Unicode};Server=h;Port=5433;Database=shop", false},
        {"Driver={PostgreSQL Unicode};Server=h;Port=5432;Database=shop", "Driver={PostgreSQL Unicode};Server=g;Port=5432;Database=shop", false},
        {"Driver={PostgreSQL Unicode};Server=h;Port=5432;Database=shop", "Driver={MariaDB Unicode};Server=h;Port=5432;Database=shop", false},
        {"Driver={PostgreSQL Unicode};Server=h;Port=5432;Database=shop", "Driver={PostgreSQL Unicode};Server=h;Port=5432;Database=shop2", false},
        // SQL Server names its port after the server.
        {"Provider=SQLOLEDB;Data Source=dbhost,1433;Initial Catalog=Sales;User Id=sa", "Provider=sqloledb;Server=DBHOST;Port=1433;Database=sales", true},
        {"Provider=SQLOLEDB;Data Source=dbhost,1433;Initial Catalog=Sales", "Provider=SQLOLEDB;Data Source=dbhost,1434;Initial Catalog=Sales", false},
        // A data source is a driver of its own.
        {"DSN=shop;UID=a", "DSN=SHOP;UID=b", true},
        {"DSN=shop", "Driver=shop", false},
        {"Driver=SQLite3;Database=/x/shop.db", "Driver=SQLite3;Database=/y/shop.db", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " | " + c.b);
        EXPECT_EQ(AddressOf(QLatin1String(c.a)) == AddressOf(QLatin1String(c.b)), c.same);
    }
}
