// The wizard's Access panel importing real Access files (copies), as a user does:
// the path, Next through the import to the summary, Finish; and a file that is no
// Access database.

#include "adox/AccessFiles.h"
#include "core/TreeFill.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/frmDatabaseExplorer.h"
#include "support/WizardSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QTreeWidget>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace bGlobal;
using accesstest::AccessFiles;
using wizardtest::WizardTest;

namespace {

class AccessWizard : public WizardTest {
protected:
    AccessFiles files;
    frmDatabaseConnection& ImportFile(const QString& path, int type = dbAccessXP) {
        frmDatabaseConnection& w = Open();
        ChooseType(w, type);
        w.txtDatabasePath->setText(path);
        Click(w, 2);
        return w;
    }
};

}  // namespace

TEST_F(AccessWizard, NwindFromTheAccessPanelToTheTree) {
    const QString path = files.copy(QStringLiteral("nwind.mdb"));
    frmDatabaseConnection& w = ImportFile(path);
    ASSERT_EQ(w.Step(), 3) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(host->messages().isEmpty()) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    const QString summary = w.GenerateSummary();
    EXPECT_TRUE(summary.contains(QStringLiteral("Number of Tables: 9\r\n"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("Number of Views: 22\r\n"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("Number of Indexes: 33\r\n"))) << summary.toStdString();

    Click(w, 3);
    ASSERT_EQ(ConnectionKeys().size(), 1);
    const QString connection = QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[0]");
    EXPECT_EQ(oLHXML->GetNodes(connection + QStringLiteral("/TABLES/TABLE")).size(), 9);
    EXPECT_EQ(oLHXML->GetNodes(connection + QStringLiteral("/VIEWS/VIEW")).size(), 22);
    EXPECT_EQ(oLHXML->GetNodes(connection + QStringLiteral("/TABLES/TABLE/FOREIGNKEYS/FOREIGNKEY")).size(), 7);
    const QString copy = oLHXML->FindNode(connection).attribute(QStringLiteral("TempXMLFileName"));
    ASSERT_TRUE(QFileInfo(copy).isFile()) << copy.toStdString();
    EXPECT_TRUE(testsupport::ReadFile(copy).contains(QStringLiteral("<TABLE Name=\"Umsätze\"")));

    // The main window previews a table; the picture under <build>/screenshots lets a
    // reviewer see it as the user does.
    frmDatabaseExplorer& main = frmDatabaseExplorer::instance();
    main.resize(1280, 900);
    QTreeWidgetItem* orders = TreeNodes::FindByKey(main.trvMain, QStringLiteral("Orders|0|0|1"));
    ASSERT_TRUE(orders);
    main.trvMain->setCurrentItem(orders);
    main.trvMain_NodeClick(orders);
    main.ssRHPanel->setCurrentIndex(1);
    QCoreApplication::processEvents();
    const QString shots = QStringLiteral(MORVALEX_BINARY_DIR "/screenshots");
    QDir().mkpath(shots);
    EXPECT_TRUE(main.grab().save(shots + QStringLiteral("/access-nwind-orders.png")));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    Settle();
}

TEST_F(AccessWizard, AFileThatIsNoAccessDatabaseKeepsThePageAndTheTree) {
    const QString path = files.path(QStringLiteral("notes.mdb"));
    testsupport::WriteFile(path, QStringLiteral("These are notes.\n"));
    const QString before = TreeText();
    frmDatabaseConnection& w = ImportFile(path);
    EXPECT_EQ(host->messages(), QStringList{QStringLiteral("Unrecognized database format '%1'.").arg(path)});
    EXPECT_EQ(w.Step(), 1);
    EXPECT_FALSE(w.HasReader());
    EXPECT_EQ(TreeText(), before);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    w.Unload();
    Settle();
}
