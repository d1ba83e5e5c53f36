// The import wizard driven as a user drives it, offscreen with the scripted host:
// choosing a source, the panels, Next through the import to the summary and Finish,
// cancelling during the import, the close questions of every page, and bad input.

#include "ado/support/TestDatabases.h"
#include "core/StartupInfo.h"
#include "core/TreeFill.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/HistoryFile.h"
#include "explorer/TreeDocument.h"
#include "explorer/frmDatabaseExplorer.h"
#include "platform/ui/QtHost.h"
#include "support/AccessKeys.h"
#include "support/WizardSupport.h"
#include "reports/ui/ReportOptionFrames.h"

#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStringEncoder>
#include <QMessageBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>

using namespace bGlobal;
using platform::ui::Answer;
using platform::ui::Buttons;
using platform::ui::Icon;
using wizardtest::WizardTest;

namespace {

const QColor kGrey(214, 211, 206);

bool greyed(QWidget* box) { return !box->isEnabled() && box->palette().color(QPalette::Base) == kGrey; }
bool white(QWidget* box) { return box->isEnabled() && box->palette().color(QPalette::Base) == QColor(Qt::white); }

struct ButtonStates {
    bool back, next, finish;
    QString nextCaption;
};

void expectButtons(frmDatabaseConnection& w, const ButtonStates& s) {
    SCOPED_TRACE("page " + std::to_string(w.Step()));
    EXPECT_TRUE(w.cmdNavigate[0]->isEnabled());
    EXPECT_EQ(w.cmdNavigate[1]->isEnabled(), s.back);
    EXPECT_EQ(w.cmdNavigate[2]->isEnabled(), s.next);
    EXPECT_EQ(w.cmdNavigate[3]->isEnabled(), s.finish);
    EXPECT_EQ(w.cmdNavigate[2]->text(), s.nextCaption);
}

int visiblePage(frmDatabaseConnection& w) {
    int shown = -1;
    for (int i = 0; i < 6; ++i)
        if (w.fraStep[i]->isVisible()) {
            EXPECT_EQ(shown, -1) << "two pages shown";
            shown = i;
        }
    return shown;
}

XmlNode connection(int c) {
    return oLHXML->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[%1]").arg(c));
}

// A structure document as the program saves one, small enough to read at a glance.
QString structureText(const QString& name = QStringLiteral("shop")) {
    return QStringLiteral(
               "<?xml version=\"1.0\"?>\n"
               "<DATABASE Name=\"\" DatabaseEngine=\"OTHERS\" DatabaseType=\"12\" DatabaseName=\"%1\" ServerName=\"srv\" "
               "Time=\"1/2/2024 10:00:00\" CreatedOn=\"1/2/2024 10:00:00\" ServerType=\"OTHERS\" CreatedBy=\"ann\">"
               "<TABLE Name=\"customers\" CreatedOn=\"\" Report=\"1\" Migrate=\"0\">"
               "<COLUMN Name=\"id\"/><INDEX Name=\"pk_customers\" Report=\"1\" Migrate=\"0\"/></TABLE>"
               "<TABLE Name=\"orders\" CreatedOn=\"\" Report=\"1\" Migrate=\"0\">"
               "<INDEX Name=\"ix_orders_customer\" Report=\"1\" Migrate=\"0\"/>"
               "<INDEX Name=\"ix_orders_date\" Report=\"1\" Migrate=\"0\"/>"
               "<TRIGGER Name=\"trg_orders\" Report=\"1\" Migrate=\"0\"/></TABLE>"
               "<VIEW Name=\"v_orders\" CreatedOn=\"\" Report=\"1\" Migrate=\"0\"/>"
               "</DATABASE>\n")
        .arg(name);
}

class Wizard : public WizardTest {
protected:
    // Page 1 -> import of the build's sample database -> page 3.
    frmDatabaseConnection& ImportSample() {
        frmDatabaseConnection& w = Open();
        ChooseType(w, dbOthers);
        w.txtConnectionString->setText(SampleConnectionString());
        Click(w, 2);
        return w;
    }
    frmDatabaseConnection& OpenStructureFile(const QString& text = structureText()) {
        const QString path = app.file(QStringLiteral("shop.xml"));
        testsupport::WriteFile(path, text);
        frmDatabaseConnection& w = Open();
        ChooseType(w, dbMorvalexXML);
        w.txtXMLPath->setText(path);
        Click(w, 2);
        return w;
    }
};

}  // namespace

// ---- pages, panels and greyed boxes ----------------------------------------------------------

TEST_F(Wizard, PagesTitleBandsAndTheTypeList) {
    frmDatabaseConnection& w = Open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Morvalex 4.0 Vizavodizo"));
    EXPECT_EQ(visiblePage(w), 0);
    for (QFrame* band : w.pctTitle)
        if (band) {
            EXPECT_FALSE(band->isVisible());
        }
    EXPECT_EQ(w.cmdNavigate[0]->text(), QStringLiteral("&Cancel"));
    EXPECT_EQ(w.cmdNavigate[1]->text(), QStringLiteral("< &Back"));
    EXPECT_EQ(w.cmdNavigate[3]->text(), QStringLiteral("&Finish"));
    EXPECT_EQ(w.cmdNavigate[2]->objectName(), QStringLiteral("cmdNavigate_2"));
    expectButtons(w, {false, true, false, QStringLiteral("&Next >")});

    Click(w, 2);
    EXPECT_EQ(visiblePage(w), 1);
    ASSERT_TRUE(w.pctTitle[1]->isVisible());
    EXPECT_EQ(w.lblMainTitle[1]->text(), QStringLiteral("Choose the database that you want to document"));
    expectButtons(w, {true, true, false, QStringLiteral("Next >")});

    ASSERT_EQ(w.cboDBTypes->count(), 14);
    EXPECT_EQ(w.cboDBTypes->itemText(0), QStringLiteral("Choose a data source type"));
    EXPECT_EQ(w.cboDBTypes->currentIndex(), 0);
    for (QFrame* panel : w.pctDBConnInfo) EXPECT_FALSE(panel->isEnabled());
    for (int type = 1; type <= 13; ++type) {
        w.cboDBTypes->setCurrentIndex(type);
        EXPECT_EQ(w.cboDBTypes->currentText(), gDBTypeNames.at(type));
        EXPECT_EQ(w.DBType(), type);
        EXPECT_EQ(gDatabaseType, type);
        for (int p = 0; p < 6; ++p) {
            EXPECT_EQ(w.pctDBConnInfo[p]->isVisible(), p == gDBPanelIndex.at(type)) << type << " panel " << p;
            EXPECT_TRUE(w.pctDBConnInfo[p]->isEnabled());
        }
    }
    w.cboDBTypes->setCurrentIndex(0);
    for (QFrame* panel : w.pctDBConnInfo) EXPECT_FALSE(panel->isEnabled());

    Click(w, 1);
    EXPECT_EQ(visiblePage(w), 0);
    EXPECT_FALSE(w.pctTitle[1]->isVisible());
    expectButtons(w, {false, true, false, QStringLiteral("Next >")});
}

TEST_F(Wizard, GreyedBoxesFollowTheirSwitches) {
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbAccessXP);
    for (QLineEdit* box : {w.txtAccessPassword, w.txtWKGPDatabasePath, w.txtWKGPLoginName, w.txtWKGPPassword})
        EXPECT_TRUE(greyed(box)) << box->objectName().toStdString();
    w.txtDatabasePath->setText(QStringLiteral("/data/shop.mdb"));
    for (QLineEdit* box : {w.txtAccessPassword, w.txtWKGPDatabasePath, w.txtWKGPLoginName, w.txtWKGPPassword})
        EXPECT_TRUE(white(box)) << box->objectName().toStdString();
    w.txtDatabasePath->clear();
    EXPECT_TRUE(greyed(w.txtWKGPPassword));

    ChooseType(w, dbSQLServer2000);
    w.optSQLAuthentication[0]->setChecked(true);
    EXPECT_TRUE(greyed(w.txtSQLLoginName));
    EXPECT_TRUE(greyed(w.txtSQLPassword));
    EXPECT_FALSE(w.chkSQLBlankPassword->isEnabled());
    w.chkSQLBlankPassword->setChecked(true);
    w.optSQLAuthentication[1]->setChecked(true);
    EXPECT_TRUE(white(w.txtSQLLoginName));
    EXPECT_TRUE(greyed(w.txtSQLPassword)) << "a blank password needs no box";
    EXPECT_TRUE(w.chkSQLBlankPassword->isEnabled());
    w.chkSQLBlankPassword->setChecked(false);
    EXPECT_TRUE(white(w.txtSQLPassword));

    ChooseType(w, dbOracle9i);
    w.optORAAuthentication[0]->setChecked(true);
    EXPECT_TRUE(greyed(w.txtORALoginName));
    EXPECT_TRUE(greyed(w.txtORAPassword));
    w.optORAAuthentication[1]->setChecked(true);
    EXPECT_TRUE(white(w.txtORAPassword));

    ChooseType(w, dbIBMDB2);
    w.chkDB2BlankPassword->setChecked(true);
    EXPECT_TRUE(greyed(w.txtDB2Password));
    w.chkDB2BlankPassword->setChecked(false);
    EXPECT_TRUE(white(w.txtDB2Password));
}

TEST_F(Wizard, RefreshFillsTheAccessPanelForEveryAccessType) {
    for (qint16 type : {dbAccessXP, dbAccess2000, dbAccess97}) {
        SCOPED_TRACE(type);
        gDatabaseType = type;
        gDataSource = QStringLiteral("/data/shop.mdb");
        gAccessPassword = QStringLiteral("s3cret");
        gWorkgroupDBPath = QStringLiteral("/data/system.mdw");
        gLoginName = QStringLiteral("ADMIN");
        gPassword = QStringLiteral("pw");
        frmDatabaseConnection& w = Open(QStringLiteral("REFRESH"));
        EXPECT_EQ(w.cboDBTypes->currentIndex(), type);
        EXPECT_EQ(w.DBType(), type);
        EXPECT_EQ(w.txtDatabasePath->text(), QStringLiteral("/data/shop.mdb"));
        EXPECT_EQ(w.txtAccessPassword->text(), QStringLiteral("s3cret"));
        EXPECT_EQ(w.txtWKGPDatabasePath->text(), QStringLiteral("/data/system.mdw"));
        EXPECT_EQ(w.txtWKGPLoginName->text(), QStringLiteral("ADMIN"));
        EXPECT_EQ(w.txtWKGPPassword->text(), QStringLiteral("pw"));
        EXPECT_TRUE(white(w.txtWKGPLoginName)) << "a stored path enables the workgroup boxes";
        w.Unload();
        Settle();
    }
    // Without a stored workgroup file the workgroup boxes stay empty.
    gDatabaseType = dbAccessXP;
    gWorkgroupDBPath.clear();
    frmDatabaseConnection& w = Open(QStringLiteral("REFRESH"));
    EXPECT_TRUE(w.txtWKGPLoginName->text().isEmpty());
}

TEST_F(Wizard, TheServerAndDatabaseListsOfTheSqlServerPanel) {
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbSQLServer2000);
    gServerName = QStringLiteral("salesserver");
    w.cboSQLServerName_DropDown();
    QStringList listed;
    for (int i = 0; i < w.cboSQLServerName->count(); ++i) listed << w.cboSQLServerName->itemText(i);
    listed.sort(Qt::CaseInsensitive);
    EXPECT_EQ(listed, (QStringList{QStringLiteral("ClosedPort"), QStringLiteral("SalesServer"), QStringLiteral("wh.example.lan")}));
    EXPECT_EQ(w.cboSQLServerName->currentText(), QStringLiteral("SalesServer")) << "the current server is chosen";

    // The database list asks the chosen server; one that does not answer lists nothing
    // and says nothing. Without a login under SQL Server authentication it is not asked.
    w.cboSQLServerName->setEditText(QStringLiteral("ClosedPort"));
    w.optSQLAuthentication[1]->setChecked(true);
    w.cboSQLDatabaseName->setEditText(QStringLiteral("typed"));
    w.cboSQLDatabaseName_DropDown();
    EXPECT_EQ(w.cboSQLDatabaseName->count(), 0);
    EXPECT_EQ(w.cboSQLDatabaseName->currentText(), QStringLiteral("typed"));
    w.txtSQLLoginName->setText(QStringLiteral("sa"));
    w.cboSQLDatabaseName_DropDown();
    EXPECT_EQ(w.cboSQLDatabaseName->count(), 0);
    EXPECT_TRUE(host->messages().isEmpty());
}

TEST_F(Wizard, FileChoosersFillTheirBoxes) {
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbAccessXP);
    host->paths << QStringLiteral("/data/shop.mdb") << QString() << QStringLiteral("/data/*.mdb")
                << QStringLiteral("/data/system.mdw") << QStringLiteral("/data/shop.xml");
    w.cmdOpen[0]->click();
    EXPECT_EQ(w.txtDatabasePath->text(), QStringLiteral("/data/shop.mdb"));
    w.cmdOpen[0]->click();  // cancelled
    w.cmdOpen[0]->click();  // the placeholder came back
    EXPECT_EQ(w.txtDatabasePath->text(), QStringLiteral("/data/shop.mdb"));
    w.cmdOpen[1]->click();
    EXPECT_EQ(w.txtWKGPDatabasePath->text(), QStringLiteral("/data/system.mdw"));
    w.cmdXMLOpen->click();
    EXPECT_EQ(w.txtXMLPath->text(), QStringLiteral("/data/shop.xml"));
    QStringList filters;
    for (const auto& p : host->prompts)
        if (p.kind == QLatin1String("open")) filters << p.text;
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Microsoft Access Database | *.mdb"), QStringLiteral("Microsoft Access Database | *.mdb"),
                                    QStringLiteral("Microsoft Access Database | *.mdb"),
                                    QStringLiteral("Microsoft Access System Database | *.mdw"), QStringLiteral("XML Files | *.xml")}));
}

// ---- importing a database -----------------------------------------------------------------------

TEST_F(Wizard, OthersSqliteFileFromNextToFinish) {
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbOthers);
    w.txtConnectionString->setText(QStringLiteral("  ") + SampleConnectionString());
    Click(w, 2);

    ASSERT_EQ(w.Step(), 3) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(host->messages().isEmpty()) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(visiblePage(w), 3);
    expectButtons(w, {false, true, true, QStringLiteral("More >>")});
    EXPECT_TRUE(w.Imported());
    EXPECT_GT(w.ProgressTwips(), 0);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("XML generated, please click finish to view the structure in database explorer"));

    const auto count = [](const char* path) { return int(oStructureXML->GetNodes(QLatin1String(path)).size()); };
    EXPECT_EQ(count("/DATABASE/TABLE"), 12);
    EXPECT_GT(count("/DATABASE/TABLE/INDEX"), 12);
    const QString summary = w.GenerateSummary();
    // The file names the connection; procedures and triggers are not read through a
    // connection string of one's own.
    EXPECT_EQ(summary, QStringLiteral("Server Name: \r\nDatabase Name: sample\r\nNumber of Tables: 12\r\n"
                                      "Number of Views: %1\r\nNumber of Stored procedures: not read\r\nNumber of Triggers: not read\r\n"
                                      "Number of Indexes: %2\r\n")
                           .arg(count("/DATABASE/VIEW"))
                           .arg(count("/DATABASE/TABLE/INDEX")));
    EXPECT_EQ(w.txtSummary->toPlainText().trimmed(), QString(summary).remove(QLatin1Char('\r')).trimmed());

    // The connection is in the tree document with its folders; Finish records the copy.
    ASSERT_EQ(ConnectionKeys(), QStringList{QStringLiteral("sample|0|0")});
    EXPECT_EQ(connection(0).attribute(QStringLiteral("ConnectionString")), SampleConnectionString());
    EXPECT_EQ(gConnectionString, SampleConnectionString());
    EXPECT_EQ(oLHXML->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[0]/TABLES/TABLE")).size(), 12);
    EXPECT_TRUE(connection(0).attribute(QStringLiteral("TempXMLFileName")).trimmed().isEmpty());

    Click(w, 3);
    EXPECT_TRUE(w.IsUnloaded());
    EXPECT_FALSE(frmDatabaseConnection::exists());
    const QString copy = connection(0).attribute(QStringLiteral("TempXMLFileName"));
    ASSERT_TRUE(QFileInfo(copy).isFile()) << copy.toStdString();
    EXPECT_TRUE(copy.startsWith(gTempPath));
    EXPECT_TRUE(testsupport::ReadFile(copy).contains(QStringLiteral("<TABLE Name=\"books\"")));
    // The main window shows the new connection.
    EXPECT_TRUE(TreeNodes::FindByKey(frmDatabaseExplorer::instance().trvMain, QStringLiteral("sample|0|0")));
    Settle();
}

// A database server through a connection string of one's own, PostgreSQL and MariaDB
// alike: the import completes, and the summary counts the connection's database only.
TEST_F(Wizard, OthersDatabaseServerFromNextToFinish) {
    const QString sql = QStringLiteral(
        "CREATE TABLE authors (author_id integer PRIMARY KEY, name varchar(80) NOT NULL CHECK (name <> ''));"
        "CREATE TABLE books (book_id integer PRIMARY KEY, author_id integer NOT NULL REFERENCES authors (author_id),"
        " title varchar(200) NOT NULL, price numeric(8,2) CHECK (price >= 0));"
        "CREATE INDEX ix_books_title ON books (title);"
        "CREATE VIEW v_books AS SELECT b.title, a.name FROM books b JOIN authors a ON a.author_id = b.author_id;");
    for (const bool mariadb : {false, true}) {
        SCOPED_TRACE(mariadb ? "MariaDB" : "PostgreSQL");
        // The PostgreSQL half has run by then.
        if (mariadb) MORVALEX_REQUIRE_TEST_MY();
        else MORVALEX_REQUIRE_TEST_PG();
        std::unique_ptr<testdb::PgDatabase> pg;
        std::unique_ptr<testdb::MyDatabase> my;
        if (mariadb) my = std::make_unique<testdb::MyDatabase>(sql);
        else pg = std::make_unique<testdb::PgDatabase>(sql);
        const QString name = mariadb ? my->name() : pg->name();
        const QString server = mariadb ? testdb::MyServerFacts().host : testdb::PgServerFacts().host;
        frmDatabaseConnection& w = Open();
        ChooseType(w, dbOthers);
        w.txtConnectionString->setText(mariadb ? my->connectionString() : pg->connectionString());
        Click(w, 2);
        ASSERT_EQ(w.Step(), 3) << host->messages().join(QLatin1Char('|')).toStdString();
        // The ODBC keys name the server and the database; what is not read says so.
        EXPECT_EQ(w.GenerateSummary(), QStringLiteral("Server Name: %1\r\nDatabase Name: %2\r\nNumber of Tables: 2\r\n"
                                                      "Number of Views: 1\r\nNumber of Stored procedures: not read\r\n"
                                                      "Number of Triggers: not read\r\nNumber of Indexes: %3\r\n")
                                           .arg(server, name)
                                           .arg(oStructureXML->GetNodes(QStringLiteral("/DATABASE/TABLE/INDEX")).size()));
        Click(w, 3);
        ASSERT_EQ(ConnectionKeys().size(), mariadb ? 2 : 1);
        const int at = int(ConnectionKeys().size()) - 1;
        EXPECT_EQ(oLHXML->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[%1]/TABLES/TABLE").arg(at)).size(), 2);
        EXPECT_TRUE(QFileInfo(connection(at).attribute(QStringLiteral("TempXMLFileName"))).isFile());
        Settle();
    }
}

TEST_F(Wizard, AStructureXmlFileFromNextToFinish) {
    frmDatabaseConnection& w = OpenStructureFile();
    ASSERT_EQ(w.Step(), 3) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(w.HasReader()) << "a structure file needs no catalogue reader";
    EXPECT_EQ(gStructureFilePath, app.file(QStringLiteral("shop.xml")));
    EXPECT_TRUE(w.GenerateSummary().contains(QStringLiteral("Database Name: shop\r\nNumber of Tables: 2\r\nNumber of Views: 1\r\n"
                                                            "Number of Stored procedures: 0\r\nNumber of Triggers: 1\r\n"
                                                            "Number of Indexes: 3\r\n")))
        << w.GenerateSummary().toStdString();
    Click(w, 3);
    ASSERT_EQ(ConnectionKeys(), QStringList{QStringLiteral("shop|0|0")});
    EXPECT_EQ(connection(0).attribute(QStringLiteral("SourceType")), QStringLiteral("FILE"));
    EXPECT_EQ(connection(0).attribute(QStringLiteral("XMLFile")), app.file(QStringLiteral("shop.xml")));
    EXPECT_TRUE(QFileInfo(connection(0).attribute(QStringLiteral("TempXMLFileName"))).isFile());
    Settle();
}

// A structure saved as XML (which carries no Report marks) and imported again through
// "Morvalex XML" is marked as an import marks it: the preview of each of its tables and
// views shows the object, and Save as HTML reports every table, index and view.
TEST_F(Wizard, AStructureSavedAsXmlAndImportedAgainReportsEveryObject) {
    frmDatabaseConnection& first = ImportSample();
    ASSERT_EQ(first.Step(), 3) << host->messages().join(QLatin1Char('|')).toStdString();
    Click(first, 3);
    Settle();
    frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
    QDir().mkpath(app.file(QStringLiteral("out")));
    const QString saved = app.file(QStringLiteral("out/sample.xml"));
    host->paths.enqueue(saved);
    explorer.mnuSubReport_Click(2);
    ASSERT_TRUE(QFileInfo(saved).isFile());
    ASSERT_FALSE(testsupport::ReadFile(saved).contains(QStringLiteral("Report=")));
    const auto names = [](const char* path) {
        QStringList list;
        for (const XmlNode& node : oStructureXML->GetNodes(QLatin1String(path))) list << node.attribute(QStringLiteral("Name"));
        return list;
    };
    const QStringList tables = names("/DATABASE/TABLE"), views = names("/DATABASE/VIEW"), indexes = names("/DATABASE/TABLE/INDEX");
    ASSERT_FALSE(tables.isEmpty() || views.isEmpty() || indexes.isEmpty());

    host->answers.enqueue(Answer::Yes);  // the sample is connected already: connect again
    frmDatabaseConnection& again = Open();
    ChooseType(again, dbMorvalexXML);
    again.txtXMLPath->setText(saved);
    Click(again, 2);
    ASSERT_EQ(again.Step(), 3) << host->messages().join(QLatin1Char('|')).toStdString();
    Click(again, 3);
    Settle();
    ASSERT_EQ(connection(gConnectionIndex).attribute(QStringLiteral("SourceType")), QStringLiteral("FILE"));
    EXPECT_EQ(names("/DATABASE/TABLE"), tables);

    // Every table and view of the re-imported connection, previewed from its tree node.
    const QString items = QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[%1]/DATABASECONNECTION[%2]/").arg(gGroupIndex).arg(gConnectionIndex);
    int previewed = 0;
    for (const char* folder : {"TABLES/TABLE", "VIEWS/VIEW"}) {
        for (const XmlNode& item : oLHXML->GetNodes(items + QLatin1String(folder))) {
            const QString name = item.attribute(QStringLiteral("Name"));
            SCOPED_TRACE(name.toStdString());
            QTreeWidgetItem* node = TreeNodes::FindByKey(explorer.trvMain, item.attribute(QStringLiteral("Key")));
            ASSERT_TRUE(node);
            explorer.trvMain_NodeClick(node);
            explorer.ssRHPanel->setCurrentIndex(0);
            explorer.ssRHPanel->setCurrentIndex(1);
            const QString shown = explorer.wbReport->toPlainText();
            EXPECT_FALSE(shown.contains(QStringLiteral("Nothing to show"))) << shown.left(300).toStdString();
            EXPECT_TRUE(shown.contains(name));
            ++previewed;
        }
    }
    EXPECT_EQ(previewed, tables.size() + views.size());

    // Save as HTML, one file: every table, index and view, counted and named.
    gMultiplePages = false;
    const QString report = app.file(QStringLiteral("out/sample.html"));
    host->paths.enqueue(report);
    explorer.mnuSubReport_Click(1);
    const QString html = testsupport::ReadFile(report);
    ASSERT_FALSE(html.isEmpty());
    EXPECT_FALSE(html.contains(QStringLiteral("This report holds no objects.")));
    EXPECT_TRUE(html.contains(QStringLiteral("Tables <span class=\"badge\">%1</span>").arg(tables.size())));
    EXPECT_TRUE(html.contains(QStringLiteral("Views <span class=\"badge\">%1</span>").arg(views.size())));
    for (const QString& name : tables + indexes + views) EXPECT_TRUE(html.contains(name)) << name.toStdString();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

// The summary of a structure file names what the file documents, whatever a connection
// tried before it in the same wizard, or the explorer's current one, left behind.
TEST_F(Wizard, TheSummaryOfAStructureFileNamesTheFilesServer) {
    const struct {
        const char* name;
        std::function<void(frmDatabaseConnection&)> before;  // on page 1, before the file is chosen
    } cases[] = {
        {"after a connection that failed",
         [&](frmDatabaseConnection& w) {
             ChooseType(w, dbOthers);
             w.txtConnectionString->setText(
                 QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=x;UID=u;PWD=p"));
             Click(w, 2);
             ASSERT_EQ(w.Step(), 1);
             ASSERT_EQ(gServerName, QStringLiteral("127.0.0.1"));
         }},
        {"with another connection current",
         [&](frmDatabaseConnection&) {
             gServerName = QStringLiteral("elsewhere");
             gDataSource = QStringLiteral("elsewhere.db");
         }},
    };
    const QString path = app.file(QStringLiteral("shop.xml"));
    testsupport::WriteFile(path, structureText());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frmDatabaseConnection& w = Open();
        c.before(w);
        ChooseType(w, dbMorvalexXML);
        w.txtXMLPath->setText(path);
        Click(w, 2);
        ASSERT_EQ(w.Step(), 3) << host->messages().join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(w.GenerateSummary().startsWith(QStringLiteral("Server Name: srv\r\nDatabase Name: shop\r\n")))
            << w.GenerateSummary().toStdString();
        EXPECT_TRUE(w.txtSummary->toPlainText().startsWith(QStringLiteral("Server Name: srv\nDatabase Name: shop\n")));
        host->answers.enqueue(Answer::No);  // do not import it
        Click(w, 0);
        Settle();
    }
    EXPECT_TRUE(ConnectionKeys().isEmpty());
}

// On every page and data-source panel a key is claimed once, and each key reaches what
// its caption names: a box, a choice, a button (the navigation buttons go where they
// say).
TEST_F(Wizard, EachAccessKeyOfEveryPageIsClaimedOnceAndReachesItsControl) {
    const auto text = [](const QStringList& list) { return list.join(QStringLiteral("; ")).toStdString(); };
    const auto describe = [](const QList<testsupport::AccessKey>& keys) {
        QStringList out;
        for (const auto& k : keys) out << QString(k.key) + QLatin1Char('=') + k.caption;
        return out.join(QStringLiteral(", ")).toStdString();
    };
    // Presses every key that is not a navigation button; reset puts back what a key
    // changed (a choice, a ticked box) before the next.
    const auto pressAll = [&](frmDatabaseConnection& w, const std::function<void()>& reset) {
        const QList<testsupport::AccessKey> keys = testsupport::VisibleAccessKeys(&w);
        EXPECT_EQ(text(testsupport::Clashes(keys)), "") << describe(keys);
        for (const auto& k : keys) {
            if (std::find(w.cmdNavigate.begin(), w.cmdNavigate.end(), k.owner) != w.cmdNavigate.end()) continue;
            SCOPED_TRACE(qPrintable(k.caption));
            reset();
            EXPECT_EQ(testsupport::PressAndSee(&w, k).toStdString(), "");
        }
    };

    frmDatabaseConnection& w = Open();
    QApplication::setActiveWindow(&w);
    EXPECT_EQ(text(testsupport::Clashes(testsupport::VisibleAccessKeys(&w))), "");
    testsupport::PressAlt(&w, u'N');
    ASSERT_EQ(w.Step(), 1);
    // Each panel once, by the first type that shows it.
    QSet<QFrame*> panelsSeen;
    for (int type = 1; type < w.cboDBTypes->count(); ++type) {
        SCOPED_TRACE(qPrintable(w.cboDBTypes->itemText(type)));
        w.cboDBTypes->setCurrentIndex(type);
        QFrame* panel = *std::find_if(w.pctDBConnInfo.begin(), w.pctDBConnInfo.end(), [&](QFrame* f) { return f->isVisibleTo(&w); });
        if (panelsSeen.contains(panel)) continue;
        panelsSeen.insert(panel);
        pressAll(w, [&] {
            w.cboDBTypes->setCurrentIndex(type);
            for (QRadioButton* option : {w.optSQLAuthentication[1], w.optORAAuthentication[1]}) option->setChecked(true);
            for (QCheckBox* blank : {w.chkSQLBlankPassword, w.chkORABlankPassword, w.chkDB2BlankPassword}) blank->setChecked(false);
            w.txtDatabasePath->setText(QStringLiteral("shop.mdb"));
        });
    }
    EXPECT_EQ(panelsSeen.size(), 6);
    testsupport::PressAlt(&w, u'B');
    EXPECT_EQ(w.Step(), 0);

    // The report pages, after a structure file.
    const QString path = app.file(QStringLiteral("shop.xml"));
    testsupport::WriteFile(path, structureText());
    ChooseType(w, dbMorvalexXML);
    w.txtXMLPath->setText(path);
    Click(w, 2);
    ASSERT_EQ(w.Step(), 3) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(text(testsupport::Clashes(testsupport::VisibleAccessKeys(&w))), "");
    Click(w, 2);
    ASSERT_EQ(w.Step(), 4);
    pressAll(w, [&] {
        w.optOutputType[1]->setChecked(true);
        w.options->chkGenerateMultipleXML->setChecked(true);
        w.options->chkOwnXSL->setChecked(true);
        w.options->cboStyleSheet->setCurrentIndex(w.options->cboStyleSheet->count() - 1);  // "Custom"
    });
    w.options->chkOwnXSL->setChecked(false);
    w.options->chkGenerateMultipleXML->setChecked(false);
    w.options->cboStyleSheet->setCurrentIndex(0);
    Click(w, 2);
    ASSERT_EQ(w.Step(), 5) << host->messages().join(QLatin1Char('|')).toStdString();
    pressAll(w, [] {});
    // Cancel asks whether to import; No leaves the tree without the connection.
    host->answers.enqueue(Answer::No);
    testsupport::PressAlt(&w, u'C');
    Settle();
    EXPECT_FALSE(frmDatabaseConnection::exists());
    EXPECT_TRUE(ConnectionKeys().isEmpty());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(Wizard, DecliningToOpenAStructureFileAgainAddsAndChangesNothing) {
    // The tree already holds "shop" as its current connection, with its own copy.
    gDatabaseName = QStringLiteral("shop");
    TreeDocument::AddDBConnection(*oLHXML, QStringLiteral("Driver=SQLite3;Database=/x/shop.db"));
    connection(0).setAttribute(QStringLiteral("TempXMLFileName"), QStringLiteral("/keep/me.xml"));
    const QString before = TreeText();
    host->answers.enqueue(Answer::No);
    frmDatabaseConnection& w = OpenStructureFile();
    EXPECT_EQ(host->messages(), QStringList{QStringLiteral("This database is already connected, do you want to connect again?")});
    EXPECT_EQ(w.Step(), 1) << "back on the data-source page";
    Click(w, 0);
    EXPECT_EQ(TreeText(), before);
}

// A connection in the tree counts as the one being connected only when it leads to the
// same driver, server, port and database; a login, the order of the keys or the case of
// a name do not make it another.
TEST_F(Wizard, AlreadyConnectedMeansTheWholeAddress) {
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase db(QStringLiteral("CREATE TABLE t (id integer PRIMARY KEY);"));
    const testdb::PgServer s = testdb::PgServerFacts();
    struct Case {
        const char* name;
        QString stored;  // the connection already in the tree
        bool asks;
    } cases[] = {
        {"the same database name on another port of the host",
         QStringLiteral("Driver={PostgreSQL Unicode};Server=%1;Port=%2;Database=%3;UID=u;PWD=p").arg(s.host).arg(s.port + 1).arg(db.name()),
         false},
        {"the same database name on another host",
         QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.2;Port=%1;Database=%2;UID=u;PWD=p").arg(s.port).arg(db.name()),
         false},
        {"the same address, another login and key order",
         QStringLiteral("database=%3;uid=other;Port=%2;SERVER=%1;Driver={PostgreSQL Unicode}").arg(s.host).arg(s.port).arg(db.name().toUpper()),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host->prompts.clear();
        oLHXML = std::make_shared<cXML>();
        TreeDocument::AddGroup(*oLHXML, QStringLiteral("Morvalex Group"));
        gGroupIndex = 0;
        gDatabaseName = db.name();
        TreeDocument::AddDBConnection(*oLHXML, c.stored);
        const QString before = TreeText();
        if (c.asks) host->answers.enqueue(Answer::No);
        frmDatabaseConnection& w = Open();
        ChooseType(w, dbOthers);
        w.txtConnectionString->setText(db.connectionString());
        Click(w, 2);
        if (c.asks) {
            EXPECT_EQ(host->messages(), QStringList{QStringLiteral("This database is already connected, do you want to connect again?")});
            EXPECT_EQ(w.Step(), 1);
            EXPECT_EQ(TreeText(), before);
        } else {
            EXPECT_TRUE(host->messages().isEmpty()) << host->messages().join(QLatin1Char('|')).toStdString();
            EXPECT_EQ(w.Step(), 3);
            EXPECT_EQ(ConnectionKeys().size(), 2);
        }
        w.Unload();
        Settle();
    }
}

// ---- bad input ----------------------------------------------------------------------------------

TEST_F(Wizard, EveryFieldCheckShowsItsMessageAndChangesNothingElse) {
    struct Case {
        const char* name;
        int type;
        std::function<void(frmDatabaseConnection&)> fill;
        QString message;  // "" for none
    } cases[] = {
        {"no type", 0, [](frmDatabaseConnection&) {}, QStringLiteral("Select a data source type")},
        {"sql server without a server", dbSQLServer2000, [](frmDatabaseConnection&) {},
         QStringLiteral("Enter a valid SQLServer name")},
        {"oracle without a login", dbOracle9i, [](frmDatabaseConnection& w) { w.txtOraServerName->setText(QStringLiteral("ORCL")); },
         QStringLiteral("Enter a valid oracle login name")},
        {"access file missing", dbAccess2000, [](frmDatabaseConnection& w) { w.txtDatabasePath->setText(QStringLiteral("/nowhere/shop.mdb")); },
         QStringLiteral("File does not exist, please enter a valid file name")},
        {"db2 without a data source", dbIBMDB2, [](frmDatabaseConnection&) {}, QStringLiteral("Enter a valid data source name")},
        {"others empty", dbOthers, [](frmDatabaseConnection&) {}, QStringLiteral("Enter a valid connection string")},
        {"others blanks only", dbOthers, [](frmDatabaseConnection& w) { w.txtConnectionString->setText(QStringLiteral("    ")); }, QString()},
    };
    const QString before = TreeText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host->prompts.clear();
        frmDatabaseConnection& w = Open();
        ChooseType(w, c.type);
        c.fill(w);
        Click(w, 2);
        EXPECT_EQ(host->messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(w.Step(), 1);
        EXPECT_EQ(visiblePage(w), 1);
        EXPECT_FALSE(w.HasReader());
        EXPECT_EQ(TreeText(), before);
        if (c.type == dbOthers) {
            EXPECT_EQ(w.txtConnectionString->text(), c.message.isEmpty() ? QStringLiteral("    ") : QString());
        }
        w.Unload();
        Settle();
    }
}

TEST_F(Wizard, AFailedConnectionKeepsThePageAndTheTree) {
    struct Case {
        const char* name;
        QString connectionString;
        QString message;
        bool needsServer;
    } cases[] = {
        {"no such driver", QStringLiteral("Driver=NoSuchDriver;Database=x"),
         QStringLiteral("Selected provider does not exist, please install required components and check again."), false},
        {"no such provider", QStringLiteral("Provider=No.Such.Provider;Data Source=x"),
         QStringLiteral("Selected provider does not exist, please install required components and check again."), false},
        {"no server on that port", QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=x;UID=u;PWD=p"),
         QStringLiteral("Please check the server name and database name and try again."), false},
        {"wrong password", testdb::PgConfigured() ? testdb::PgConnectionString(QStringLiteral("postgres"), QStringLiteral("wrong"))
                                                  : QString(),
         QStringLiteral("Incorrect database login name and password, try again!"), true},
    };
    const QString before = TreeText();
    for (const Case& c : cases) {
        if (c.needsServer) MORVALEX_REQUIRE_TEST_PG();  // the last case: the others have run
        SCOPED_TRACE(c.name);
        host->prompts.clear();
        frmDatabaseConnection& w = Open();
        ChooseType(w, dbOthers);
        w.txtConnectionString->setText(c.connectionString);
        Click(w, 2);
        // A failed connect's message may carry the driver's reason below it.
        ASSERT_EQ(host->messages().size(), 1);
        EXPECT_EQ(host->messages().first().section(QStringLiteral("\r\n\r\n"), 0, 0), c.message);
        EXPECT_EQ(w.Step(), 1);
        EXPECT_FALSE(w.HasReader());
        EXPECT_EQ(TreeText(), before);
        w.Unload();
        Settle();
    }
}

// Not compared pixel by pixel: the picture under <build>/screenshots shows the message
// a user gets, drawn by the program's own host.
TEST_F(Wizard, ScreenshotOfAFailedConnect) {
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbOthers);
    w.txtConnectionString->setText(QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=9;Database=shop;UID=u;PWD=p"));
    const QString shots = QStringLiteral(MORVALEX_BINARY_DIR "/screenshots");
    QDir().mkpath(shots);
    platform::ui::QtHost qt;
    platform::ui::setHost(&qt);
    QString shown;
    bool saved = false;
    // The box is modal: grab and close it from the event loop it runs.
    std::function<void()> grabBox = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(50, grabBox);
            return;
        }
        shown = box->text();
        saved = box->grab().save(shots + QStringLiteral("/failed-connect.png"));
        box->accept();
    };
    QTimer::singleShot(50, grabBox);
    Click(w, 2);
    platform::ui::setHost(&*host);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Please check the server name and database name and try again.\r\n\r\n")))
        << shown.toStdString();
    EXPECT_EQ(w.Step(), 1);
}

// A structure file in UTF-16 whose document type declares entities nested eight deep.
QByteArray Utf16EntityFile() {
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><!DOCTYPE DATABASE [<!ENTITY a0 \"aaaaaaaaaa\">");
    for (int i = 1; i <= 8; ++i) text += QStringLiteral("<!ENTITY a%1 \"%2\">").arg(i).arg(QStringLiteral("&a%1;").arg(i - 1).repeated(10));
    text += QStringLiteral("]><DATABASE DatabaseEngine=\"&a8;\" ServerType=\"x\" DatabaseType=\"12\" DatabaseName=\"shop\" "
                           "ServerName=\"srv\"/>");
    QStringEncoder encode(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    return encode(text);
}

TEST_F(Wizard, AFileThatIsNoStructureFileIsRefused) {
    struct Case {
        const char* name;
        const char* file;
        QString text;
        QString message;
        QByteArray bytes = {};  // written instead of text when given
    } cases[] = {
        {"wrong extension", "shop.txt", structureText(), QStringLiteral("Select a valid xml file.")},
        {"root attributes missing", "bare.xml", QStringLiteral("<DATABASE DatabaseName=\"shop\"><TABLE Name=\"t\"/></DATABASE>"),
         QStringLiteral("Invalid morvalex structure file")},
        {"not XML at all", "junk.xml", QStringLiteral("DatabaseEngine ServerType DatabaseType DatabaseName ServerName <DATABASE"),
         QStringLiteral("Invalid morvalex structure file")},
        {"no such file", "gone.xml", QString(), QStringLiteral("Invalid morvalex structure file")},
        {"a document type in UTF-16", "entities.xml", QString(), QStringLiteral("Invalid morvalex structure file"),
         Utf16EntityFile()},
    };
    const QString before = TreeText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host->prompts.clear();
        const QString path = app.file(QLatin1String(c.file));
        if (!c.text.isEmpty()) testsupport::WriteFile(path, c.text);
        if (!c.bytes.isEmpty()) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(c.bytes);
        }
        frmDatabaseConnection& w = Open();
        ChooseType(w, dbMorvalexXML);
        w.txtXMLPath->setText(path);
        QElapsedTimer clock;
        clock.start();
        Click(w, 2);
        EXPECT_LT(clock.elapsed(), 1000) << "refused only after reading";
        // A failed connect's message may carry the driver's reason below it.
        ASSERT_EQ(host->messages().size(), 1);
        EXPECT_EQ(host->messages().first().section(QStringLiteral("\r\n\r\n"), 0, 0), c.message);
        EXPECT_EQ(w.Step(), 1);
        EXPECT_EQ(TreeText(), before);
        w.Unload();
        Settle();
    }
}

// ---- cancelling and closing ----------------------------------------------------------------------

TEST_F(Wizard, CancelDuringTheImportStopsItAndRemovesTheConnection) {
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbOthers);
    w.txtConnectionString->setText(SampleConnectionString());
    const QString before = TreeText();
    // The user presses Cancel once the first table is in: the click arrives while the
    // wizard's progress event lets window messages run.
    std::function<void()> pressCancelDuringTables = [&] {
        if (oStructureXML && oStructureXML->HasDocument() && !oStructureXML->GetNodes(QStringLiteral("/DATABASE/TABLE")).isEmpty())
            Click(w, 0);
        else
            QTimer::singleShot(0, pressCancelDuringTables);
    };
    QTimer::singleShot(0, pressCancelDuringTables);
    host->answers.enqueue(Answer::Yes);
    Click(w, 2);

    EXPECT_EQ(host->messages(), QStringList{QStringLiteral("Are you sure you want to cancel the import?")});
    ASSERT_FALSE(host->prompts.isEmpty());
    EXPECT_EQ(host->prompts.first().buttons, Buttons::YesNo);
    EXPECT_EQ(host->prompts.first().icon, Icon::Question);
    EXPECT_TRUE(w.IsUnloaded());
    EXPECT_TRUE(w.CancelRequested());
    EXPECT_FALSE(frmDatabaseConnection::exists());
    EXPECT_LT(oStructureXML->GetNodes(QStringLiteral("/DATABASE/TABLE")).size(), 12) << "stopped among the tables";
    EXPECT_EQ(TreeText(), before);
    Settle();
}

TEST_F(Wizard, NoToCancellingLetsTheImportFinish) {
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbOthers);
    w.txtConnectionString->setText(SampleConnectionString());
    // The user presses Cancel once the import runs: the click arrives while a progress
    // event lets window messages run (a Cancel while connecting closes the wizard).
    std::function<void()> pressCancelDuringImport = [&] {
        if (w.Step() == 2)
            Click(w, 0);
        else
            QTimer::singleShot(0, &w, pressCancelDuringImport);
    };
    QTimer::singleShot(0, &w, pressCancelDuringImport);
    host->answers.enqueue(Answer::No);
    Click(w, 2);
    EXPECT_EQ(host->messages(), QStringList{QStringLiteral("Are you sure you want to cancel the import?")});
    EXPECT_FALSE(w.IsUnloaded());
    EXPECT_EQ(w.Step(), 3);
    EXPECT_EQ(oStructureXML->GetNodes(QStringLiteral("/DATABASE/TABLE")).size(), 12);
}

TEST_F(Wizard, AnImportBehindAHiddenWizardReportsInTheMainWindowsStatusBar) {
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbOthers);
    w.txtConnectionString->setText(SampleConnectionString());
    w.lblStatus->setText(QStringLiteral("untouched"));
    w.hide();
    Click(w, 2);
    ASSERT_EQ(w.Step(), 3);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("untouched"));
    EXPECT_EQ(frmDatabaseExplorer::instance().PanelText(1), QStringLiteral("20 objects imported."));
}

TEST_F(Wizard, ClosingOnPagesZeroAndOneAsksNothing) {
    for (int page : {0, 1}) {
        SCOPED_TRACE(page);
        host->prompts.clear();
        const QString before = TreeText();
        frmDatabaseConnection& w = Open();
        while (w.Step() < page) Click(w, 2);
        w.close();
        EXPECT_TRUE(w.IsUnloaded());
        EXPECT_TRUE(host->prompts.isEmpty());
        EXPECT_EQ(TreeText(), before);
        Settle();
    }
}

TEST_F(Wizard, EachAnswerOfTheImportQuestionOnPagesThreeToFive) {
    enum Way { CloseBox, CancelButton };
    struct Case {
        int page;
        Answer answer;
        bool fromFile;
        Way way;
        bool closes;
        bool kept;
        bool saved;
    } cases[] = {
        {3, Answer::Yes, false, CloseBox, true, true, true},
        {3, Answer::No, false, CancelButton, true, false, false},
        {3, Answer::Cancel, false, CloseBox, true, true, false},
        {4, Answer::Yes, false, CancelButton, true, true, true},
        {4, Answer::No, false, CloseBox, true, false, false},
        {4, Answer::Cancel, false, CancelButton, false, true, false},
        {5, Answer::Yes, false, CloseBox, true, true, true},
        {5, Answer::No, false, CancelButton, true, false, false},
        {5, Answer::Cancel, false, CloseBox, false, true, false},
        // A structure file has no catalogue reader: Cancel closes on every page.
        {4, Answer::Cancel, true, CancelButton, true, true, false},
        {5, Answer::Cancel, true, CloseBox, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("page %1 answer %2 file %3").arg(c.page).arg(int(c.answer)).arg(c.fromFile).toStdString());
        oLHXML = std::make_shared<cXML>();
        TreeDocument::AddGroup(*oLHXML, QStringLiteral("Morvalex Group"));
        gDatabaseName.clear();
        frmDatabaseConnection& w = c.fromFile ? OpenStructureFile() : ImportSample();
        ASSERT_EQ(w.Step(), 3);
        while (w.Step() < c.page) Click(w, 2);
        ASSERT_EQ(w.Step(), c.page);
        host->prompts.clear();
        host->answers.enqueue(c.answer);
        if (c.way == CloseBox)
            w.close();
        else
            Click(w, 0);
        ASSERT_EQ(host->prompts.size(), 1);
        EXPECT_EQ(host->prompts.first().text, QStringLiteral("Do you want to import the database structure?"));
        EXPECT_EQ(host->prompts.first().buttons, Buttons::YesNoCancel);
        EXPECT_EQ(host->prompts.first().icon, Icon::None);
        EXPECT_EQ(host->prompts.first().title, QStringLiteral("Morvalex 4.0"));
        EXPECT_EQ(w.IsUnloaded(), c.closes);
        EXPECT_EQ(ConnectionKeys().size(), c.kept ? 1 : 0);
        if (c.kept) {
            EXPECT_EQ(QFileInfo(connection(0).attribute(QStringLiteral("TempXMLFileName")).trimmed()).isFile(), c.saved);
        }
        if (!c.closes) w.Unload();
        Settle();
    }
}

TEST_F(Wizard, AfterTheWizardClosesTheTreeAndTheListAgree) {
    // The main window is open with the group selected.
    frmDatabaseExplorer::ShowImportWizard.Provide({});
    QFile::remove(HistoryFile::Path());
    frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
    explorer.Show();
    const auto select = [&](const QString& key) {
        QTreeWidgetItem* node = TreeNodes::FindByKey(explorer.trvMain, key);
        ASSERT_TRUE(node) << key.toStdString();
        explorer.trvMain->setCurrentItem(node);
        explorer.trvMain_NodeClick(node);
    };
    const auto children = [&](const QString& key) {
        QStringList names;
        if (QTreeWidgetItem* node = TreeNodes::FindByKey(explorer.trvMain, key))
            for (int i = 0; i < node->childCount(); ++i) names << node->child(i)->text(0);
        return names;
    };
    const auto listed = [&] {
        QStringList names;
        for (int i = 0; i < explorer.lsvDescription->topLevelItemCount(); ++i)
            names << explorer.lsvDescription->topLevelItem(i)->text(0);
        return names;
    };
    const struct {
        Answer answer;
        QStringList connections;  // of the group, in the tree and the list alike
    } cases[] = {
        {Answer::Cancel, {QStringLiteral("sample")}},  // kept, not loaded
        {Answer::No, {QStringLiteral("sample")}},      // the new one removed, the first kept
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.answer));
        select(QStringLiteral("Morvalex Group"));
        frmDatabaseConnection& w = ImportSample();
        ASSERT_EQ(w.Step(), 3);
        host->answers.enqueue(c.answer);
        Click(w, 0);
        ASSERT_TRUE(w.IsUnloaded());
        Settle();
        ASSERT_TRUE(explorer.trvMain->currentItem());
        EXPECT_EQ(TreeNodes::Key(explorer.trvMain->currentItem()), QStringLiteral("Morvalex Group"));
        EXPECT_EQ(children(QStringLiteral("Morvalex Group")), c.connections);
        EXPECT_EQ(listed(), c.connections);
        // The history holds what the tree holds.
        cXML history;
        history.LoadXMLContent(DecryptText(testsupport::ReadFile(HistoryFile::Path()), gPassPhrase4));
        QStringList saved;
        for (const XmlNode& n : history.GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP/DATABASECONNECTION")))
            saved << n.attribute(QStringLiteral("Name"));
        EXPECT_EQ(saved, c.connections);
    }
    explorer.Unload();
    Settle();
}

// ---- objects for the report ----------------------------------------------------------------------

TEST_F(Wizard, FinishMarksTheObjectsLeftTickedOnTheLastPage) {
    frmDatabaseConnection& w = OpenStructureFile();
    Click(w, 2);  // More >>
    Click(w, 2);  // Next >
    ASSERT_EQ(w.Step(), 5);
    expectButtons(w, {true, false, true, QStringLiteral("Next >")});
    EXPECT_FALSE(w.cmdSelectAll->isEnabled());
    EXPECT_TRUE(w.cmdDeselectAll->isEnabled());
    for (QTreeWidgetItemIterator it(w.trvMain); *it; ++it) EXPECT_EQ((*it)->checkState(0), Qt::Checked);

    // Untick the view and the index folder of "orders" (table 1); the folder's indexes
    // follow it.
    QTreeWidgetItem* view = TreeNodes::FindByKey(w.trvMain, QStringLiteral("v_orders|0|0|0"));
    QTreeWidgetItem* ordersIndexes = TreeNodes::FindByKey(w.trvMain, QStringLiteral("Indexes|0|0|1"));
    ASSERT_TRUE(view && ordersIndexes);
    view->setCheckState(0, Qt::Unchecked);
    ordersIndexes->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(TreeNodes::FindByKey(w.trvMain, QStringLiteral("ix_orders_date|0|0|1|1"))->checkState(0), Qt::Unchecked);

    // The table last clicked in the main window is another one than the folder's: the
    // folder still speaks for its own table only.
    gTableIndex = 0;
    Click(w, 3);
    cXML saved;
    ASSERT_TRUE(saved.LoadXMLFile(connection(0).attribute(QStringLiteral("TempXMLFileName"))));
    const auto report = [&](const char* path) { return saved.FindNode(QLatin1String(path)).attribute(QStringLiteral("Report")); };
    EXPECT_EQ(report("/DATABASE/TABLE[0]"), QStringLiteral("1"));
    EXPECT_EQ(report("/DATABASE/TABLE[0]/INDEX[0]"), QStringLiteral("1"));
    EXPECT_EQ(report("/DATABASE/TABLE[1]"), QStringLiteral("1"));
    EXPECT_EQ(report("/DATABASE/TABLE[1]/INDEX[0]"), QStringLiteral("0"));
    EXPECT_EQ(report("/DATABASE/TABLE[1]/INDEX[1]"), QStringLiteral("0"));
    EXPECT_EQ(report("/DATABASE/TABLE[1]/TRIGGER[0]"), QStringLiteral("1"));
    EXPECT_EQ(report("/DATABASE/VIEW[0]"), QStringLiteral("0"));
    Settle();
}

// ---- the first run ------------------------------------------------------------------------------

TEST_F(Wizard, TheFirstRunOpensTheWizardToAddADatabase) {
    // A fresh main window on a machine without a history file.
    if (frmDatabaseExplorer::exists() && frmDatabaseExplorer::instance().IsLoaded()) {
        frmDatabaseExplorer::instance().Unload();
        Settle();
        oGUID = std::make_shared<cGUID>();  // the splash makes it at start-up
    }
    QFile::remove(HistoryFile::Path());
    frmDatabaseConnection::Install();
    QString shownName, shownAction;
    host->onModal = [&](QObject* window) {
        auto* w = qobject_cast<frmDatabaseConnection*>(window);
        if (!w) return;
        shownName = w->objectName();
        shownAction = w->sAction;
        // The user documents the sample database.
        w->show();
        while (w->Step() < 1) w->cmdNavigate[2]->click();
        w->cboDBTypes->setCurrentIndex(dbOthers);
        w->txtConnectionString->setText(SampleConnectionString());
        w->cmdNavigate[2]->click();
        if (w->Step() == 3) w->cmdNavigate[3]->click();
    };
    oLHXML.reset();
    frmDatabaseExplorer::instance().Show();
    EXPECT_EQ(shownName, QStringLiteral("frmDatabaseConnection"));
    EXPECT_EQ(shownAction, QStringLiteral("NEW"));
    ASSERT_TRUE(oLHXML);
    EXPECT_EQ(ConnectionKeys(), QStringList{QStringLiteral("sample|0|0")});
    EXPECT_TRUE(TreeNodes::FindByKey(frmDatabaseExplorer::instance().trvMain, QStringLiteral("sample|0|0")));
}

// The progress handler repaints for the first and the last event and at most once per
// interval between; window messages (a Cancel) still get through every few events.
TEST(ProgressThrottleTest, RepaintsFirstAndLastAndYieldsEveryFewEvents) {
    ProgressThrottle throttle(60000, 3);
    QList<std::pair<bool, bool>> steps;  // (repaint, yield) per event
    for (int i = 0; i < 7; ++i) {
        const ProgressThrottle::Step s = throttle.next(i == 6);
        steps << std::make_pair(s.repaint, s.yield);
    }
    const QList<std::pair<bool, bool>> expected = {{true, true},   {false, false}, {false, false}, {false, true},
                                                   {false, false}, {false, false}, {true, true}};
    EXPECT_EQ(steps, expected);
    throttle.reset();
    EXPECT_TRUE(throttle.next(false).repaint);
    ProgressThrottle immediate(0, 100);
    immediate.next(false);
    EXPECT_TRUE(immediate.next(false).repaint) << "an interval of 0 repaints every event";
}
