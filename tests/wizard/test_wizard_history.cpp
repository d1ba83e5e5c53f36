// What the wizard's import leaves when the program does not end well: the history holds
// the connection as soon as the import is in the tree, so a program killed before Exit
// keeps it; a disk that fills while the structure copy is written is told, and the
// program and the import stay.

#include "core/StartupInfo.h"
#include "core/TreeFill.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/HistoryFile.h"
#include "explorer/frmDatabaseExplorer.h"
#include "support/TinyDisk.h"
#include "support/WizardSupport.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

using namespace bGlobal;
using wizardtest::WizardTest;

namespace {

// Set for the program that KilledRun starts: the data folder it shares with the test.
const char* const kSharedDataFolder = "MORVALEX_TEST_KILLED_RUN_DATA";
const char* const kImported = "imported";

class WizardHistory : public WizardTest {
protected:
    // The main window as a start finds it: not loaded yet (an earlier test may have
    // loaded it).
    static frmDatabaseExplorer& UnloadedExplorer() {
        if (frmDatabaseExplorer::exists() && frmDatabaseExplorer::instance().IsLoaded()) {
            frmDatabaseExplorer::instance().Unload();
            Settle();
            oGUID = std::make_shared<cGUID>();  // the splash makes it at start-up
        }
        oLHXML.reset();
        return frmDatabaseExplorer::instance();
    }

    // A first run: the main window opens the wizard, where the user documents the
    // build's sample database and presses Finish.
    void DocumentTheSampleInAFirstRun() {
        QFile::remove(HistoryFile::Path());
        frmDatabaseConnection::Install();
        host->onModal = [this](QObject* window) {
            auto* w = qobject_cast<frmDatabaseConnection*>(window);
            if (!w) return;
            w->show();
            ChooseType(*w, dbOthers);
            w->txtConnectionString->setText(SampleConnectionString());
            Click(*w, 2);
            if (w->Step() == 3) Click(*w, 3);
        };
        UnloadedExplorer().Show();
    }
};

}  // namespace

// The program that KilledRun ends: it documents the sample database, says so and waits.
TEST_F(WizardHistory, ProgramEndedBySigkill) {
    const QString data = qEnvironmentVariable(kSharedDataFolder);
    if (data.isEmpty()) GTEST_SKIP() << "the program that KilledRun ends with SIGKILL; runs only when started by it";
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    SetAppPathForTesting(app.path(), data);
    DocumentTheSampleInAFirstRun();
    ASSERT_EQ(ConnectionKeys(), QStringList{QStringLiteral("sample|0|0")}) << errors.join(QLatin1Char('\n')).toStdString();
    std::printf("%s\n", kImported);
    std::fflush(stdout);
    for (;;) ::pause();
}

TEST_F(WizardHistory, KilledRunKeepsTheImportedConnection) {
    // The program runs in a process of its own and is killed once the import is in the
    // tree, without Exit; its temporary folders stay inside this test's folder.
    const QString childTemp = app.file(QStringLiteral("child-tmp"));
    QDir().mkpath(childTemp);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kSharedDataFolder), app.path());
    environment.insert(QStringLiteral("TMPDIR"), childTemp);
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=WizardHistory.ProgramEndedBySigkill")});
    ASSERT_TRUE(program.waitForStarted());
    QByteArray output;
    for (QDeadlineTimer deadline(120000); !output.contains(kImported) && !deadline.hasExpired();) {
        if (program.state() == QProcess::NotRunning) break;
        program.waitForReadyRead(500);
        output += program.readAllStandardOutput();
    }
    const bool imported = output.contains(kImported);
    program.kill();
    program.waitForFinished();
    ASSERT_TRUE(imported) << output.toStdString() << program.readAllStandardError().toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::CrashExit);

    // The next start on the same data folder has the connection.
    frmDatabaseExplorer::ShowImportWizard.Provide({});
    frmDatabaseExplorer& explorer = UnloadedExplorer();
    explorer.Show();
    EXPECT_TRUE(host->messages().isEmpty()) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(ConnectionKeys(), QStringList{QStringLiteral("sample|0|0")});
    EXPECT_TRUE(TreeNodes::FindByKey(explorer.trvMain, QStringLiteral("sample|0|0")));
    explorer.Unload();
    Settle();
}

TEST_F(WizardHistory, AFullDiskWhileTheStructureCopyIsWrittenIsToldAndTheImportStays) {
    testsupport::TinyDisk disk("64k");
    MORVALEX_REQUIRE(disk.mounted(), disk.why());
    // The data folder, with the structure copies, on a disk that fills during the import.
    SetAppPathForTesting(app.path(), disk.path());
    gTempPath = disk.path() + QLatin1Char('/');
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbOthers);
    w.txtConnectionString->setText(SampleConnectionString());
    Click(w, 2);
    ASSERT_EQ(w.Step(), 3) << host->messages().join(QLatin1Char('|')).toStdString();
    disk.fill();
    host->prompts.clear();

    Click(w, 3);
    // Told, not reported as an error that ends the program.
    EXPECT_EQ(host->endedWith, -1);
    ASSERT_FALSE(host->messages().isEmpty());
    EXPECT_TRUE(host->messages()[0].startsWith(QStringLiteral("Disk full: ") + gTempPath)) << host->messages()[0].toStdString();
    for (const QString& message : host->messages()) EXPECT_TRUE(message.contains(QStringLiteral("Disk full: "))) << message.toStdString();
    EXPECT_TRUE(w.IsUnloaded());
    // The imported structure is in the tree and shown.
    ASSERT_EQ(ConnectionKeys(), QStringList{QStringLiteral("sample|0|0")});
    EXPECT_EQ(oLHXML->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[0]/TABLES/TABLE")).size(), 12);
    EXPECT_TRUE(TreeNodes::FindByKey(frmDatabaseExplorer::instance().trvMain, QStringLiteral("sample|0|0")));
    ASSERT_TRUE(oStructureXML);
    EXPECT_EQ(oStructureXML->GetNodes(QStringLiteral("/DATABASE/TABLE")).size(), 12);
    Settle();
}
