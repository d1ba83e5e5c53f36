#pragma once
// Helpers for the wizard tests: the machine's ODBC and FreeTDS configuration (a
// private one), a started program with an empty tree document, and driving the wizard
// as a user does.

#include "import/ui/frmDatabaseConnection.h"
#include "support/TestSupport.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace wizardtest {

// Data sources written into the private odbc.ini: "SalesDsn" (FreeTDS, the
// freetds.conf server SalesServer), "WarehouseDsn" (FreeTDS, host wh.example.lan) and
// "NotesDsn" (SQLite3). freetds.conf names SalesServer and ClosedPort (127.0.0.1 on a
// port nobody listens on).
void ConfigureOdbcAndFreeTds();

// A started program (private folders, globals, query catalogue), a scripted host, a
// tree document holding the group "Morvalex Group", and the main window. Errors that
// reach the error reporter are collected in errors instead of ending the test program.
class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads a new wizard in mode action and shows it (offscreen).
    frmDatabaseConnection& Open(const QString& action = QStringLiteral("NEW"));
    // Next until page 1, then chooses the type (its code is its list position).
    void ChooseType(frmDatabaseConnection& w, int type);
    void Click(frmDatabaseConnection& w, int button);

    // The tree document's text.
    static QString TreeText();
    // The connections of group 0 (their Key attributes).
    static QStringList ConnectionKeys();
    // The sample database of the build, copied into the test's folder; its OTHERS string.
    QString SampleConnectionString() const;
    // Lets deferred deletions run, so an unloaded wizard is gone.
    static void Settle();

    testsupport::AppFolder app;
    platform::ui::ScopedScriptedHost host;
    QStringList errors;
};

}  // namespace wizardtest
