// The SQL Server lists of the wizard: server names from the ODBC data sources and
// freetds.conf of this machine (here a private configuration), database lists and
// their failures. No SQL Server runs here, so a server's database list is tested for
// its failures only.

#include "import/cSQLDatabases.h"
#include "import/cSQLServers.h"
#include "platform/dmo/Dmo.h"
#include "support/WizardSupport.h"

#include <QStringList>
#include <gtest/gtest.h>

using platform::dmo::FreeTdsServers;
using platform::dmo::IsLoginFailure;

TEST(ServerLists, FreeTdsSectionsAreServersButGlobal) {
    const QString conf = QStringLiteral(
        "# a comment [NotAServer]\n"
        "[global]\n\ttds version = auto\n"
        "; [AlsoNotAServer]\n"
        "[Sales]\n\thost = 127.0.0.1\n"
        "  [ Reporting ]  \n\tport = 1433\n"
        "[GLOBAL]\n"
        "[sales]\n");
    EXPECT_EQ(FreeTdsServers(conf), (QStringList{QStringLiteral("Sales"), QStringLiteral("Reporting")}));
    EXPECT_TRUE(FreeTdsServers(QString()).isEmpty());
}

TEST(ServerLists, ConfiguredServersOfDataSourcesAndFreeTds) {
    // Data sources (wizardtest::kDataSources): "SalesDsn" names the freetds.conf server
    // SalesServer, "WarehouseDsn" the host wh.example.lan, "NotesDsn" is a SQLite file
    // and lists nothing; freetds.conf adds ClosedPort and SalesServer again.
    QStringList servers = cSQLServers().GetServersList().split(QLatin1Char(','));
    servers.sort(Qt::CaseInsensitive);
    EXPECT_EQ(servers, (QStringList{QStringLiteral("ClosedPort"), QStringLiteral("SalesServer"),
                                    QStringLiteral("wh.example.lan")}));
}

TEST(ServerLists, DatabaseListOfAServerThatDoesNotAnswerIsEmpty) {
    // ClosedPort is 127.0.0.1 on a port nobody listens on.
    EXPECT_EQ(cSQLDatabases().GetDatabasesList(QStringLiteral("ClosedPort"), false, QStringLiteral("sa"),
                                               QStringLiteral("pw")),
              QString());
}

TEST(ServerLists, RefusedLoginsAreToldApartFromOtherFailures) {
    using platform::ado::Error;
    struct Case {
        long number;
        QList<Error> errors;
        bool login;
    };
    const Case cases[] = {
        {platform::ado::adErrLoginFailed, {}, true},
        {platform::ado::adErrGeneric, {Error{0, QStringLiteral("Login failed"), QStringLiteral("28000"), 0, {}}}, true},
        {platform::ado::adErrGeneric, {Error{0, QStringLiteral("Login failed"), QStringLiteral("42000"), 18456, {}}}, true},
        {platform::ado::adErrGeneric, {Error{0, QStringLiteral("no route"), QStringLiteral("08001"), 20009, {}}}, false},
        {platform::ado::adErrProviderNotFound, {}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsLoginFailure(c.number, c.errors), c.login) << c.number;
}

TEST(ServerLists, TheDatabaseListReachesTheDriverWithTheLoginIntact) {
    // A login or password holding ";" or quotes must arrive whole, not as extra keys.
    const QStringList drivers{QStringLiteral("FreeTDS")};
    const QString login = platform::ado::TranslateConnectionString(
        platform::dmo::SQLServer::ConnectionStringFor(QStringLiteral("SalesServer"), false, QStringLiteral("sa"),
                                                      QStringLiteral("p;w\"d")),
        drivers);
    EXPECT_TRUE(login.contains(QStringLiteral(";Server=SalesServer;"))) << login.toStdString();
    EXPECT_TRUE(login.contains(QStringLiteral(";UID=sa"))) << login.toStdString();
    EXPECT_TRUE(login.endsWith(QStringLiteral(";PWD={p;w\"d}"))) << login.toStdString();
    const QString secure = platform::ado::TranslateConnectionString(
        platform::dmo::SQLServer::ConnectionStringFor(QStringLiteral("SalesServer"), true, QStringLiteral("sa"),
                                                      QStringLiteral("pw")),
        drivers);
    EXPECT_TRUE(secure.contains(QStringLiteral("Trusted_Connection=Yes"))) << secure.toStdString();
    EXPECT_FALSE(secure.contains(QStringLiteral("UID="))) << secure.toStdString();
}
