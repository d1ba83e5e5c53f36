#include "core/Forms.h"
#include "core/StartupInfo.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

using namespace bGlobal;

namespace {
struct TempFiles : ::testing::Test {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    void SetUp() override {
        oGUID = std::make_shared<cGUID>();
        oLHXML = std::make_shared<cXML>();
        oLHXML->LoadXMLContent(QStringLiteral(
            "<DATABASESTRUCTURES><DATABASEGROUP Name='g0'><DATABASECONNECTION Name='c0' TempXMLFileName=' '/></DATABASEGROUP>"
            "<DATABASEGROUP Name='g1'><DATABASECONNECTION Name='c1' TempXMLFileName=''/>"
            "<DATABASECONNECTION Name='c2' TempXMLFileName=''/></DATABASEGROUP></DATABASESTRUCTURES>"));
        oStructureXML = std::make_shared<cXML>();
        oStructureXML->LoadXMLContent(QStringLiteral("<DATABASE DatabaseName='shop'/>"));
    }
};
}  // namespace

TEST_F(TempFiles, SaveTempFileRecordsTheCopyOnTheCurrentConnection) {
    gGroupIndex = 1;
    gConnectionIndex = 1;
    SaveTempFile();
    const QString path = oLHXML->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[1]/DATABASECONNECTION[1]"))
                             .attribute(QStringLiteral("TempXMLFileName"));
    EXPECT_TRUE(path.startsWith(gTempPath));
    EXPECT_TRUE(path.endsWith(QStringLiteral(".xml")));
    EXPECT_TRUE(testsupport::ReadFile(path).contains(QStringLiteral("<DATABASE DatabaseName=\"shop\"/>")));
    // A connection that is not there: the copy is written and stays unrecorded.
    gConnectionIndex = 7;
    SaveTempFile();
    EXPECT_EQ(QDir(gTempPath).entryList(QDir::Files).size(), 2);
    gGroupIndex = gConnectionIndex = 0;
}

TEST_F(TempFiles, ClearAllRemovesFixedAndRecordedFilesAndReleasesDocuments) {
    const QStringList fixed = {gTempPath + QStringLiteral("tempmorvpreview.html"), folder.file(QStringLiteral("temp.html")),
                               folder.file(QStringLiteral("temp2.xml"))};
    for (const QString& f : fixed) testsupport::WriteFile(f, QStringLiteral("x"));
    gGroupIndex = 1;
    gConnectionIndex = 0;
    SaveTempFile();
    const QString copy = oLHXML->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[1]/DATABASECONNECTION[0]"))
                             .attribute(QStringLiteral("TempXMLFileName"));
    QFile::setPermissions(copy, QFileDevice::ReadOwner);
    const QString keep = folder.file(QStringLiteral("keep.xml"));
    testsupport::WriteFile(keep, QStringLiteral("x"));
    oHistoryXML = std::make_shared<cXML>();
    ClearAllTemporaryFiles();
    for (const QString& f : fixed) EXPECT_FALSE(QFile::exists(f)) << qPrintable(f);
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(QFile::exists(keep));
    EXPECT_FALSE(oLHXML);
    EXPECT_FALSE(oHistoryXML);
    EXPECT_FALSE(oGUID);
    // With no tree document only the fixed files go.
    testsupport::WriteFile(fixed[1], QStringLiteral("x"));
    ClearAllTemporaryFiles();
    EXPECT_FALSE(QFile::exists(fixed[1]));
    EXPECT_FALSE(gErrorOccurred);
    gGroupIndex = gConnectionIndex = 0;
}

namespace {
// Turns the event loop until done holds or ms have passed.
void TurnEventLoop(int ms, const std::function<bool()>& done) {
    QElapsedTimer wait;
    wait.start();
    while (!done() && wait.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
}
}  // namespace

// A copy written later is recorded at once; it is there for whoever reads it, and a
// clearing before it was written leaves no file behind.
TEST_F(TempFiles, ACopyWrittenLaterIsRecordedAtOnceAndLeftOutWhenClearedFirst) {
    gGroupIndex = 1;
    gConnectionIndex = 0;
    const auto recorded = [] {
        return oLHXML->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[1]/DATABASECONNECTION[0]")).attribute(QStringLiteral("TempXMLFileName"));
    };
    SaveTempFileLater();
    const QString copy = recorded();
    ASSERT_TRUE(copy.startsWith(gTempPath));
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_TRUE(TempFilesPending());
    // The document as it was when the copy was recorded, even once another is current.
    oStructureXML = std::make_shared<cXML>();
    oStructureXML->LoadXMLContent(QStringLiteral("<DATABASE DatabaseName='other'/>"));
    TurnEventLoop(5000, [] { return !TempFilesPending(); });
    EXPECT_FALSE(TempFilesPending());
    EXPECT_TRUE(testsupport::ReadFile(copy).contains(QStringLiteral("<DATABASE DatabaseName=\"shop\"/>")));

    // Written on demand before the event loop turns.
    SaveTempFileLater();
    const QString second = recorded();
    FlushTempFiles();
    EXPECT_TRUE(testsupport::ReadFile(second).contains(QStringLiteral("DatabaseName=\"other\"")));

    // Cleared (as at Exit) before the write: no file, also after the loop turns.
    gConnectionIndex = 1;
    SaveTempFileLater();
    const QString third = oLHXML->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[1]/DATABASECONNECTION[1]"))
                              .attribute(QStringLiteral("TempXMLFileName"));
    ClearAllTemporaryFiles();
    TurnEventLoop(200, [] { return false; });
    EXPECT_FALSE(QFile::exists(third));
    EXPECT_FALSE(QFile::exists(second));
    // The first copy is no longer recorded (the second replaced it on its connection).
    EXPECT_EQ(QDir(gTempPath).entryList(QDir::Files), QStringList{QFileInfo(copy).fileName()});
    gGroupIndex = gConnectionIndex = 0;
}

TEST(ConnectionString, ParsesCatalogueAndFileModes) {
    const struct {
        const char* text;
        const char* server;
        const char* database;
        const char* login;
        const char* password;
    } cases[] = {
        {"Provider=SQLOLEDB.1;Data Source=SRV1;Initial Catalog=Sales;User Id=sa;Password=pa=ss", "SRV1", "Sales", "SA", "pa=ss"},
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\data\\shop.old.mdb;Jet OLEDB:Database Password=secret", "keep", "shop",
         "keep", "secret"},
        {"Provider=MSDAORA.1;Data Source=ORCL;User ID=scott;Password=tiger", "keep", "ORCL", "SCOTT", "tiger"},
        {"Driver=SQLite3;Database=/tmp/x.db;Data Source=/home/u/db/shop.sqlite", "keep", "shop", "keep", "keep"},
        {"Provider=IBMDADB2.1;DSN=SAMPLE", "keep", "keep", "keep", "keep"},
        {"Data Source", "keep", "keep", "keep", "keep"},
        // ODBC keys where the OLE DB ones are absent.
        {"Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=shop;Uid=u;Pwd=p", "127.0.0.1", "shop", "keep", "keep"},
        {"Driver={PostgreSQL Unicode};servername={db.example};port=5433;DATABASE={my shop}", "db.example", "my shop", "keep", "keep"},
        {"Driver={MariaDB};Host=10.0.0.5;Port=3306;Database=sales", "10.0.0.5", "sales", "keep", "keep"},
        {"Driver={MDBTools};DBQ=/srv/data/Northwind.mdb", "keep", "Northwind", "keep", "keep"},
        {"Driver=SQLite3;Database=/home/u/db/shop.v2.sqlite;NoCreat=1", "keep", "shop", "keep", "keep"},
        {"Driver=X;Server=;Database=", "keep", "keep", "keep", "keep"},
        {"Provider=SQLOLEDB.1;Data Source=SRV1;Initial Catalog=Sales;Server=other;Database=other", "SRV1", "Sales", "keep", "keep"},
        {"Driver={MariaDB};Server=srv;Data Source=ORCL;Database=other", "srv", "ORCL", "keep", "keep"},
        {"Driver={PostgreSQL Unicode};ServerPort=1;MyDatabase=x", "keep", "keep", "keep", "keep"},
    };
    for (const auto& c : cases) {
        gServerName = gDatabaseName = gDataSource = gLoginName = gPassword = QStringLiteral("keep");
        ParseConnectionString(QString::fromUtf8(c.text));
        EXPECT_EQ(gServerName, QString::fromUtf8(c.server)) << c.text;
        EXPECT_EQ(gDatabaseName, QString::fromUtf8(c.database)) << c.text;
        EXPECT_EQ(gDataSource, gDatabaseName) << c.text;
        EXPECT_EQ(gLoginName, QString::fromUtf8(c.login)) << c.text;
        EXPECT_EQ(gPassword, QString::fromUtf8(c.password)) << c.text;
    }
}

TEST(ValidateXml, ChecksExtensionTokensAndRoot) {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    const QString good = QStringLiteral(
        "  <DATABASE DatabaseEngine='x' ServerType='1' DatabaseType='1' DatabaseName='d' ServerName='s'/>  ");
    oStructureXML = std::make_shared<cXML>();
    oStructureXML->LoadXMLContent(good);
    QString text = good;
    EXPECT_TRUE(ValidateXML(QStringLiteral("/x/SHOP.XML"), text, true, QStringLiteral("xml")));
    EXPECT_EQ(text, good.trimmed());
    EXPECT_TRUE(host->messages().isEmpty());

    const struct {
        const char* path;
        QString text;
        const char* message;
    } bad[] = {
        {"/x/shop.txt", good, "Select a valid xml file."},
        {"/x/shop.xml", QStringLiteral("   "), "Invalid morvalex structure file"},
        {"/x/shop.xml", QStringLiteral("<DATABASE DatabaseEngine='x' ServerType='1' DatabaseType='1' DatabaseName='d'/>"),
         "Invalid morvalex structure file"},
    };
    for (const auto& b : bad) {
        host->prompts.clear();
        QString t = b.text;
        EXPECT_FALSE(ValidateXML(QString::fromUtf8(b.path), t, true, QStringLiteral("xml")));
        EXPECT_EQ(host->messages(), QStringList{QString::fromUtf8(b.message)});
        host->prompts.clear();
        EXPECT_FALSE(ValidateXML(QString::fromUtf8(b.path), t, false, QStringLiteral("xml")));
        EXPECT_TRUE(host->messages().isEmpty());
    }
    // The tokens are there but the loaded document has no DATABASE root.
    oStructureXML->LoadXMLContent(QStringLiteral("<OTHER/>"));
    text = good;
    EXPECT_FALSE(ValidateXML(QStringLiteral("/x/a.xml"), text, false, QStringLiteral("xml")));
}

TEST(UnloadAllForms, KeepsTheNamedWindowIgnoringCase) {
    struct Fake : Form {
        QString name;
        bool unloaded = false;
        explicit Fake(QString n) : name(std::move(n)) { Forms::Register(this); }
        QString FormName() const override { return name; }
        void Unload() override {
            unloaded = true;
            Forms::Unregister(this);
        }
    };
    Fake main(QStringLiteral("frmDatabaseExplorer")), wizard(QStringLiteral("frmDatabaseConnection")), about(QStringLiteral("frmAbout"));
    UnloadAllForms(QStringLiteral("FRMDATABASEEXPLORER"));
    EXPECT_FALSE(main.unloaded);
    EXPECT_TRUE(wizard.unloaded);
    EXPECT_TRUE(about.unloaded);
    Forms::Unregister(&main);
}
