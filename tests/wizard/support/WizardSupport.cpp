#include "support/WizardSupport.h"

#include "ado/support/TestDatabases.h"
#include "core/StartupInfo.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/TreeDocument.h"
#include "explorer/frmDatabaseExplorer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QComboBox>

using namespace bGlobal;

namespace wizardtest {

namespace {

void append(const QString& path, const QString& text) {
    QFile f(path);
    if (f.open(QIODevice::Append)) f.write(text.toUtf8());
}

// The private configuration must be in place before the first ODBC call of the
// program, so it is made before any test runs.
class Environment : public ::testing::Environment {
public:
    void SetUp() override { ConfigureOdbcAndFreeTds(); }
};

[[maybe_unused]] ::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

}  // namespace

void ConfigureOdbcAndFreeTds() {
    static bool done = false;
    if (done) return;
    done = true;
    const QString folder = testdb::UseTestOdbc();
    append(folder + QStringLiteral("/odbc.ini"),
           QStringLiteral("\n[SalesDsn]\nDriver=FreeTDS\nServername=SalesServer\nDatabase=sales\n\n"
                          "[WarehouseDsn]\nDriver=FreeTDS\nServer=wh.example.lan\nPort=1433\n\n"
                          "[NotesDsn]\nDriver=SQLite3\nDatabase=/nonexistent/notes.db\n"));
    const QString conf = folder + QStringLiteral("/freetds.conf");
    testsupport::WriteFile(conf, QStringLiteral("[global]\n\ttds version = auto\n\tconnect timeout = 5\n\n"
                                                "[SalesServer]\n\thost = 127.0.0.1\n\tport = 1\n\n"
                                                "[ClosedPort]\n\thost = 127.0.0.1\n\tport = 1\n"));
    qputenv("FREETDSCONF", conf.toUtf8());
}

void WizardTest::SetUp() {
    testsupport::StartProgram();
    SetErrorDialog([this](long number, const QString& description, const QString& source) {
        errors << QStringLiteral("%1 %2: %3").arg(source).arg(number).arg(description);
    });
    gReportsFolder = app.path();
    oGUID = std::make_shared<cGUID>();
    oLHXML = std::make_shared<cXML>();
    oStructureXML.reset();
    TreeDocument::AddGroup(*oLHXML, QStringLiteral("Morvalex Group"));
    gGroupIndex = 0;
    gConnectionIndex = 0;
    gServerName.clear();
    gDatabaseName.clear();
    gDataSource.clear();
    gConnectionString.clear();
    gDatabaseType = 0;
    frmDatabaseExplorer::instance().PopulateLHXML();
}

void WizardTest::TearDown() {
    if (frmDatabaseConnection::exists()) frmDatabaseConnection::instance().Unload();
    // A copy left to be written goes into this test's folder, not a later test's.
    bGlobal::FlushTempFiles();
    Settle();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
}

frmDatabaseConnection& WizardTest::Open(const QString& action) {
    frmDatabaseConnection& w = frmDatabaseConnection::instance();
    w.sAction = action;
    w.Form_Load();
    w.show();
    return w;
}

void WizardTest::ChooseType(frmDatabaseConnection& w, int type) {
    while (w.Step() < 1) Click(w, 2);
    w.cboDBTypes->setCurrentIndex(type);
}

void WizardTest::Click(frmDatabaseConnection& w, int button) {
    w.cmdNavigate[button]->click();
    // Finish leaves the structure copy to be written once the window has painted.
    if (button == 3) bGlobal::FlushTempFiles();
}

QString WizardTest::TreeText() { return oLHXML ? oLHXML->GetXMLContent() : QString(); }

QStringList WizardTest::ConnectionKeys() {
    QStringList keys;
    if (!oLHXML) return keys;
    for (const XmlNode& c : oLHXML->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION")))
        keys << c.attribute(QStringLiteral("Key"));
    return keys;
}

QString WizardTest::SampleConnectionString() const {
    return QStringLiteral("Driver=SQLite3;Database=") + app.file(QStringLiteral("samples/sample.db")) +
           QStringLiteral(";NoCreat=1");
}

void WizardTest::Settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace wizardtest
