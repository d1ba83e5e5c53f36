// The migration wizard driven as a user: source and destination lists, the object
// lists, the messages that keep a page, and the summary after a migration to the
// PostgreSQL test server, to a destination that refuses the connection and to one
// that nothing can be generated for. Screenshots of the pages go to
// <build>/screenshots/migration.

#include "MigrationSupport.h"

#include "ado/support/TestDatabases.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/frmDatabaseExplorer.h"
#include "migration/ui/frmStructureMigration.h"
#include "support/ImportSupport.h"

#include "platform/ado/Ado.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace bGlobal;
using namespace migrationtest;

namespace {

struct Wizard : MigrationTest {
    QString source;
    QString pg;
    std::unique_ptr<testdb::PgDatabase> database;

    void SetUp() override {
        MigrationTest::SetUp();
        source = importtest::SqliteDatabase(QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/import/fixture-sqlite.sql"));
        if (testdb::PgConfigured()) {
            database = std::make_unique<testdb::PgDatabase>();
            pg = database->connectionString();
        }
        const QString refused = QStringLiteral("Driver=SQLite3;Database=/nonexistent/morvalex/down.db;NoCreat=1");
        oLHXML = std::make_shared<cXML>();
        auto entry = [](const QString& name, int type, const QString& cs) {
            QString e = cs;
            e.replace(QLatin1Char('&'), QStringLiteral("&amp;")).replace(QLatin1Char('"'), QStringLiteral("&quot;"));
            return QStringLiteral("<DATABASECONNECTION Name=\"%1\" Key=\"%1\" DatabaseType=\"%2\" ConnectionString=\"%3\" TempXMLFileName=\" \"/>")
                .arg(name)
                .arg(type)
                .arg(e);
        };
        ASSERT_TRUE(oLHXML->LoadXMLContent(
            QStringLiteral("<DATABASESTRUCTURES Name=\"Database Structures\" Key=\"Database Structures\">"
                           "<DATABASEGROUP Name=\"G\" Key=\"G\">") +
            entry(QStringLiteral("shop"), dbOthers, source) + entry(QStringLiteral("pg"), dbSQLServer65, pg) +
            entry(QStringLiteral("same"), dbOthers, source) + entry(QStringLiteral("xmlfile"), dbMorvalexXML, QStringLiteral("x.xml")) +
            entry(QStringLiteral("down"), dbSQLServer65, refused) + QStringLiteral("</DATABASEGROUP></DATABASESTRUCTURES>")));
        gGroupIndex = 0;
        gConnectionIndex = 0;
        ASSERT_TRUE(importtest::RunImport(source, dbOthers, QStringLiteral("shop")));
    }
    void TearDown() override {
        if (frmStructureMigration::exists()) frmStructureMigration::instance().Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        database.reset();
        importtest::DropDatabases();
        MigrationTest::TearDown();
    }

    // Opens the wizard for the current connection and runs drive while it is shown.
    void Open(const QString& table, const std::function<void(frmStructureMigration&)>& drive) {
        host->onModal = [&](QObject* window) { drive(*qobject_cast<frmStructureMigration*>(window)); };
        frmStructureMigration::ShowWizard(gGroupIndex, gConnectionIndex, table);
        host->onModal = nullptr;
    }
    static QStringList Items(QComboBox* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
        return out;
    }
    static QStringList Items(QTreeWidget* list) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i) out << list->topLevelItem(i)->text(0);
        return out;
    }
    static void Choose(frmStructureMigration& w, const QString& destination) {
        w.cboDestinationConn->setCurrentIndex(w.cboDestinationConn->findText(destination));
        w.cboDestinationConn_Click();
    }
    static void Shot(QWidget& w, const QString& name) {
        const QString folder = QStringLiteral(MORVALEX_BINARY_DIR "/screenshots/migration");
        QDir().mkpath(folder);
        w.grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    }
    // From page 1 with a destination chosen to the summary, every object chosen.
    static void MigrateAll(frmStructureMigration& w) {
        w.cmdNavigate[2]->click();
        w.cmdAddAll->click();
        w.cmdNavigate[2]->click();
    }
};

TEST_F(Wizard, SourceFixedDestinationsWithoutIt) {
    Open(QString(), [&](frmStructureMigration& w) {
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Migrate Database Structure"));
        Shot(w, QStringLiteral("page-0"));
        EXPECT_FALSE(w.cmdNavigate[1]->isEnabled());
        w.cmdNavigate[2]->click();
        EXPECT_EQ(w.Step(), 1);
        EXPECT_FALSE(w.lblSourceDatabase->isHidden());
        EXPECT_TRUE(w.cboSourceConn->isHidden());
        EXPECT_EQ(w.lblSourceDatabase->text(), QStringLiteral("shop"));
        EXPECT_EQ(Items(w.cboDestinationConn), (QStringList{QStringLiteral("pg"), QStringLiteral("xmlfile"), QStringLiteral("down")}));
        w.cmdNavigate[2]->click();
        EXPECT_EQ(host->messages().last(), QStringLiteral("Select a destination database name."));
        EXPECT_EQ(w.Step(), 1);
        Choose(w, QStringLiteral("down"));
        Shot(w, QStringLiteral("page-1"));
        w.cmdNavigate[1]->click();
        EXPECT_EQ(w.Step(), 0);
        w.cmdNavigate[0]->click();
    });
    EXPECT_FALSE(frmStructureMigration::exists() && !frmStructureMigration::instance().IsUnloaded());
}

TEST_F(Wizard, SourceChosenFromTheList) {
    gGroupIndex = -1;
    Open(QString(), [&](frmStructureMigration& w) {
        w.cmdNavigate[2]->click();
        EXPECT_FALSE(w.cboSourceConn->isHidden());
        EXPECT_EQ(Items(w.cboSourceConn).size(), 5);
        EXPECT_TRUE(Items(w.cboDestinationConn).isEmpty());
        w.cmdNavigate[2]->click();
        EXPECT_EQ(host->messages().last(), QStringLiteral("Select a source database name."));
        w.cboSourceConn->setCurrentIndex(0);
        w.cboSourceConn_Click();
        EXPECT_EQ(Items(w.cboDestinationConn), (QStringList{QStringLiteral("pg"), QStringLiteral("xmlfile"), QStringLiteral("down")}));
        Choose(w, QStringLiteral("xmlfile"));
        w.cmdNavigate[2]->click();
        EXPECT_EQ(w.Step(), 2);
        EXPECT_EQ(gGroupIndex, 0);
        EXPECT_EQ(Items(w.lsvAvailableObjects).first(), QStringLiteral("O'Brien"));
        w.cmdNavigate[0]->click();
    });
}

// A destination that nothing can be created in says so as soon as it is chosen, before
// any object is picked.
TEST_F(Wizard, ADestinationThatCannotReceiveObjectsSaysSoWhenChosen) {
    gGroupIndex = -1;
    Open(QString(), [&](frmStructureMigration& w) {
        w.cmdNavigate[2]->click();
        w.cboSourceConn->setCurrentIndex(w.cboSourceConn->findText(QStringLiteral("down")));
        w.cboSourceConn_Click();
        EXPECT_TRUE(w.lblDestinationNote->isHidden());
        const struct {
            const char* destination;
            QString note;  // "" for none
        } cases[] = {
            {"shop", QStringLiteral("Morvalex cannot create database objects in a destination of type OTHERS. "
                                    "Choose another destination.")},
            {"pg", QString()},
            {"xmlfile", QStringLiteral("Morvalex cannot create database objects in a destination of type Morvalex XML. "
                                       "Choose another destination.")},
            {"down", QString()},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.destination);
            Choose(w, QLatin1String(c.destination));
            EXPECT_EQ(w.lblDestinationNote->isHidden(), c.note.isEmpty());
            if (!c.note.isEmpty()) {
                EXPECT_EQ(w.lblDestinationNote->text(), c.note);
                Shot(w, QStringLiteral("page-1-cannot-receive"));
            }
        }
        // Another source empties the destination choice, and its note with it.
        Choose(w, QStringLiteral("xmlfile"));
        w.cboSourceConn->setCurrentIndex(w.cboSourceConn->findText(QStringLiteral("shop")));
        w.cboSourceConn_Click();
        EXPECT_TRUE(w.lblDestinationNote->isHidden());
        EXPECT_TRUE(host->messages().isEmpty());
        w.cmdNavigate[0]->click();
    });
}

// The table chosen in the tree arrives selected; an empty choice is refused; a
// destination nothing can be generated for migrates nothing and says so.
TEST_F(Wizard, PreselectedTableAndNoGenerator) {
    Open(QStringLiteral("orders"), [&](frmStructureMigration& w) {
        w.cmdNavigate[2]->click();
        Choose(w, QStringLiteral("xmlfile"));
        w.cmdNavigate[2]->click();
        EXPECT_EQ(w.cmdNavigate[2]->text(), QStringLiteral("Migrate"));
        EXPECT_EQ(Items(w.lsvSelectedObjects), QStringList{QStringLiteral("orders")});
        EXPECT_FALSE(Items(w.lsvAvailableObjects).contains(QStringLiteral("orders")));
        EXPECT_EQ(w.lblAvailableTitle->text(), QStringLiteral("Object(s) available in shop"));
        EXPECT_EQ(w.lblSelectedTitle->text(), QStringLiteral("Object(s) to be transferred to xmlfile"));
        Shot(w, QStringLiteral("page-2"));
        w.cmdRemoveAll->click();
        w.cmdNavigate[2]->click();
        EXPECT_EQ(host->messages().last(), QStringLiteral("Please select atleast one object to migrate"));
        EXPECT_EQ(host->prompts.last().icon, platform::ui::Icon::Information);
        EXPECT_EQ(w.Step(), 2);
        // Double click moves an item across.
        QTreeWidgetItem* item = w.lsvAvailableObjects->topLevelItem(0);
        w.lsvAvailableObjects->setCurrentItem(item);
        emit w.lsvAvailableObjects->itemDoubleClicked(item, 0);
        EXPECT_EQ(Items(w.lsvSelectedObjects), QStringList{QStringLiteral("O'Brien")});
        w.cmdNavigate[2]->click();
        EXPECT_EQ(w.Step(), 4);
        EXPECT_EQ(w.lblResultDescription->text(), QStringLiteral("None of batabase objects were migrated."));
        EXPECT_TRUE(w.txtSummary->toPlainText().startsWith(QStringLiteral("Nothing was migrated")));
        EXPECT_TRUE(w.cmdNavigate[3]->isEnabled());
        EXPECT_FALSE(w.cmdNavigate[1]->isEnabled());
        w.cmdNavigate[3]->click();
    });
}

TEST_F(Wizard, RefusedConnection) {
    Open(QString(), [&](frmStructureMigration& w) {
        w.cmdNavigate[2]->click();
        Choose(w, QStringLiteral("down"));
        MigrateAll(w);
        EXPECT_EQ(w.lblResultDescription->text(), QStringLiteral("None of batabase objects were migrated."));
        EXPECT_EQ(w.txtSummary->toPlainText(),
                  QStringLiteral("Connection failed to copy\nError Description: Error connecting to database check whether "
                                 "your server is active\nQuery Failed: Driver=SQLite3;Database=/nonexistent/morvalex/down.db;NoCreat=1"));
        w.cmdNavigate[3]->click();
    });
}

TEST_F(Wizard, MigratesToPostgres) {
    MORVALEX_REQUIRE_TEST_PG();
    Open(QString(), [&](frmStructureMigration& w) {
        w.cmdNavigate[2]->click();
        Choose(w, QStringLiteral("pg"));
        w.cmdNavigate[2]->click();
        w.cmdAddAll->click();
        // Drop the foreign key of order_lines: everything else arrives.
        const auto found = w.lsvSelectedObjects->findItems(QStringLiteral("fk_lines_orders"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 2);
        for (QTreeWidgetItem* item : found) {
            w.lsvSelectedObjects->setCurrentItem(item);
            emit w.lsvSelectedObjects->itemClicked(item, 0);
            w.cmdRemoveR2L->click();
        }
        w.cmdNavigate[2]->click();
        EXPECT_EQ(w.Step(), 4);
        Shot(w, QStringLiteral("page-4"));
        EXPECT_EQ(w.lblResultDescription->text(), QStringLiteral("Database objects selected have been migrated successfully."));
        EXPECT_TRUE(w.txtSummary->toPlainText().startsWith(QStringLiteral("O'Brien, customers, ux_customers_name, FK_orders_customers, ")));
        EXPECT_TRUE(w.txtSummary->toPlainText().endsWith(QStringLiteral(" have been created in pg\n\n")));
        EXPECT_GT(w.ProgressTwips(), 0);
        EXPECT_TRUE(w.AllQueries().contains(QStringLiteral("Create Table customers(")));
        w.cmdNavigate[3]->click();
    });
    platform::ado::Connection connection;
    connection.Open(pg);
    auto rs = connection.Execute(QStringLiteral("SELECT count(*) FROM pg_constraint c JOIN pg_namespace n ON n.oid = c.connamespace "
                                                "WHERE n.nspname = 'public' AND c.contype = 'f'"));
    EXPECT_EQ(rs->Fields(0).toInt(), 1);
}

// The main window's procedure opens the wizard for a connection and a table.
TEST_F(Wizard, OpenedByTheMainWindow) {
    frmStructureMigration::Install();
    bool shown = false;
    host->onModal = [&](QObject* window) {
        auto* w = qobject_cast<frmStructureMigration*>(window);
        ASSERT_NE(w, nullptr);
        shown = true;
        EXPECT_EQ(w->sSelectedTable, QStringLiteral("orders"));
        EXPECT_EQ(w->lblSourceDatabase->text(), QStringLiteral("shop"));
        w->cmdNavigate[0]->click();
    };
    frmDatabaseExplorer::instance().MigrateStructure(0, 0, QStringLiteral("orders"));
    frmDatabaseExplorer::ShowMigrationWizard.Provide({});
    EXPECT_TRUE(shown);
}

// The progress page, shown while a migration runs (one object at a time).
TEST_F(Wizard, ProgressPageRepaints) {
    Open(QString(), [&](frmStructureMigration& w) {
        w.cmdNavigate[2]->click();
        Choose(w, QStringLiteral("down"));
        w.cmdNavigate[2]->click();
        w.cmdAddAll->click();
        w.show();
        for (size_t i = 0; i < w.fraStep.size(); ++i) w.fraStep[i]->setVisible(i == 3);
        w.lblStatus->setText(QStringLiteral("customers is Migrating"));
        w.shpProgress->setGeometry(2, 2, 120, 18);
        Shot(w, QStringLiteral("page-3"));
        w.cmdNavigate[0]->click();
    });
}

}  // namespace
