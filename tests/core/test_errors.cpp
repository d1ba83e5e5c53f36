#include "core/Forms.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "core/frmDisplayError.h"
#include "core/frmErrorHandler.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QPushButton>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace bGlobal;
using platform::ui::ProgramEnded;

namespace {
struct Errors : ::testing::Test {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    void SetUp() override { frmErrorHandler::Install(); }
    // Reports an error and, when the dialog shows, clicks the named button.
    void reportAndClick(const char* button, long number = 91, const QString& description = QStringLiteral("Object required")) {
        host->onModal = [button](QObject* w) {
            if (w->objectName() == QLatin1String("frmErrorHandler"))
                w->findChild<QPushButton*>(QLatin1String(button))->click();
            else if (w->objectName() == QLatin1String("frmDisplayError"))
                w->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
        };
        Trap(QStringLiteral("cXML.FindNode"), [&] { throw platform::RuntimeError(number, description); });
    }
};

QString lines(const QStringList& l) { return l.join(QStringLiteral("\r\n")); }

// Stands in for the main window: the error handler finds it by name among the loaded
// windows, as it finds the real one.
struct MainWindow : Form {
    bool unloaded = false;
    MainWindow() { Forms::Register(this); }
    ~MainWindow() override { Forms::Unregister(this); }
    QString FormName() const override { return QStringLiteral("frmDatabaseExplorer"); }
    void Unload() override {
        unloaded = true;
        Forms::Unregister(this);
    }
};
}  // namespace

TEST_F(Errors, DontSendClearsTemporaryFilesUnloadsTheMainWindowAndEnds) {
    testsupport::WriteFile(folder.file(QStringLiteral("temp.html")), QStringLiteral("x"));
    MainWindow main;
    EXPECT_THROW(reportAndClick("cmdDontSend"), ProgramEnded);
    EXPECT_TRUE(gErrorOccurred);
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("temp.html"))));
    EXPECT_TRUE(main.unloaded);
    EXPECT_FALSE(Forms::IsLoaded(QStringLiteral("frmDatabaseExplorer")));
    EXPECT_FALSE(frmErrorHandler::exists());
    EXPECT_EQ(host->prompts.last().kind, QStringLiteral("end"));
}

TEST_F(Errors, SendReportWritesTheLogAndHandsTheMailOn) {
    EXPECT_THROW(reportAndClick("cmdSendReport", 3265, QString()), ProgramEnded);
    const QString log = testsupport::ReadFile(folder.file(QStringLiteral("errors.log")));
    const QRegularExpression shape(QStringLiteral(
        "^mailto:[^&]+&subject=Morvalex Error Report&Body=Morvalex 4.0 Vizavodizo\r\nError Date: [^%]+%0D"
        "Error Number: 3265 %0DError Description:  %0DError Source: cXML.FindNode%0DBuild Number: 402\r\n$"));
    EXPECT_TRUE(shape.match(log).hasMatch()) << qPrintable(log);
    ASSERT_EQ(host->openedUrls.size(), 1);
    const QString url = host->openedUrls.first();
    EXPECT_TRUE(url.startsWith(QStringLiteral("mailto:") + frmErrorHandler::kReportAddress + QStringLiteral("?subject=Morvalex%20Error%20Report&body=")));
    EXPECT_TRUE(url.contains(QStringLiteral("Error%20Number%3A%203265%0D%0A")));
    // A second report overwrites the log.
    gErrorOccurred = false;
    EXPECT_THROW(reportAndClick("cmdSendReport", 5, QStringLiteral("second")), ProgramEnded);
    const QString second = testsupport::ReadFile(folder.file(QStringLiteral("errors.log")));
    EXPECT_EQ(second.count(QStringLiteral("mailto:")), 1);
    EXPECT_TRUE(second.contains(QStringLiteral("Error Description: second %0D")));
}

TEST_F(Errors, ViewErrorShowsTheReportWithLineBreaksThenEnds) {
    QString shown;
    // The previews of the run and a structure copy recorded in the tree document.
    const QStringList temporary = {folder.file(QStringLiteral("temp1.xml")), folder.file(QStringLiteral("temp2.html")),
                                   gTempPath + QStringLiteral("AB.xml")};
    for (const QString& file : temporary) testsupport::WriteFile(file, QStringLiteral("x"));
    oLHXML = std::make_shared<cXML>();
    oLHXML->LoadXMLContent(QStringLiteral("<DATABASESTRUCTURES><DATABASEGROUP><DATABASECONNECTION TempXMLFileName=\"%1\"/>"
                                          "</DATABASEGROUP></DATABASESTRUCTURES>")
                               .arg(temporary.last()));
    host->onModal = [&](QObject* w) {
        if (w->objectName() == QLatin1String("frmErrorHandler")) {
            w->findChild<QPushButton*>(QStringLiteral("cmdViewError"))->click();
        } else {
            shown = w->findChild<QPlainTextEdit*>(QStringLiteral("txtErrorReport"))->toPlainText();
            w->findChild<QPushButton*>(QStringLiteral("cmdClose"))->click();
        }
    };
    EXPECT_THROW(ShowError(70, QStringLiteral("Permission denied"), QStringLiteral("frmSplash.Form_Load")), ProgramEnded);
    const QStringList l = shown.split(QLatin1Char('\n'));
    ASSERT_EQ(l.size(), 6) << qPrintable(shown);
    EXPECT_EQ(l[0], QStringLiteral("Morvalex 4.0 Vizavodizo"));
    EXPECT_TRUE(l[1].startsWith(QStringLiteral("Error Date: ")));
    EXPECT_EQ(l.mid(2), (QStringList{QStringLiteral("Error Number: 70"), QStringLiteral("Error Description: Permission denied"),
                                     QStringLiteral("Error Source: frmSplash.Form_Load"), QStringLiteral("Build Number: 402")}));
    EXPECT_FALSE(shown.contains(QStringLiteral("%0D")));
    // Closing the report removes what the run wrote for itself.
    for (const QString& file : temporary) EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
    EXPECT_FALSE(frmDisplayError::exists());
}

TEST_F(Errors, ReportTextLinesInOrder) {
    host->onModal = nullptr;
    ShowError(-2147217843, QStringLiteral("Login failed"), QStringLiteral("cADODB.ADOConnect"));
    ASSERT_TRUE(frmErrorHandler::exists());
    const QStringList l = frmErrorHandler::instance().ReportText().split(QStringLiteral("\r\n"));
    EXPECT_EQ(l.size(), 6);
    EXPECT_EQ(l[2], QStringLiteral("Error Number: -2147217843"));
    EXPECT_EQ(lines(l.mid(3)), lines({QStringLiteral("Error Description: Login failed"), QStringLiteral("Error Source: cADODB.ADOConnect"),
                                      QStringLiteral("Build Number: 402")}));
    frmErrorHandler::instance().Unload();
}

// A command's trap: what comes from outside the program is told in one message and the
// program goes on; a fault of the program still reaches the error report, which ends
// it. A step inside the command passes an outside error on, abandoning the command.
TEST_F(Errors, ACommandTellsAnOutsideErrorAndReportsAFaultOfTheProgram) {
    host->onModal = [](QObject* w) {
        if (w->objectName() == QLatin1String("frmErrorHandler")) w->findChild<QPushButton*>(QStringLiteral("cmdDontSend"))->click();
    };
    const struct {
        const char* what;
        std::function<void()> fail;
        bool ends;
        const char* told;  // the message, or nullptr
    } cases[] = {
        {"a full disk", [] { throw platform::RuntimeError(61, QStringLiteral("Disk full: /r/x.html")); }, false,
         "Disk full: /r/x.html"},
        {"the driver's refusal", [] { throw platform::RuntimeError(-2147217900, QStringLiteral("[SQLite]file is not a database")); },
         false, "[SQLite]file is not a database"},
        {"a cancelled statement", [] { throw platform::RuntimeError(3712, QStringLiteral("cancelled")); }, false, nullptr},
        {"a broken invariant", [] { throw platform::RuntimeError(91, QStringLiteral("Object required")); }, true, nullptr},
        {"a standard exception", [] { throw std::out_of_range("index"); }, true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host->prompts.clear();
        host->endedWith = -1;
        gErrorOccurred = false;
        bool passedOn = false;
        const auto command = [&] {
            CommandTrap(QStringLiteral("frmDatabaseExplorer.SaveHTML"), [&] {
                TrapFault(QStringLiteral("bXMLSupport.ParseHTML"), c.fail);
                passedOn = true;
            });
        };
        if (c.ends) {
            EXPECT_THROW(command(), ProgramEnded);
            continue;
        }
        EXPECT_NO_THROW(command());
        EXPECT_FALSE(passedOn) << "the step did not abandon the command";
        EXPECT_EQ(host->endedWith, -1);
        EXPECT_EQ(host->messages(), c.told ? QStringList{QLatin1String(c.told)} : QStringList());
    }
    gErrorOccurred = false;
}
