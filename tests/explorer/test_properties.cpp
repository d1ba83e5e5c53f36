// The properties dialog after real imports: the counts of a SQLite database read with
// its engine's catalogue or as OTHERS (which reads no procedures and triggers), and a
// PostgreSQL connection whose password never shows. A
// screenshot of the dialog goes under the build folder.

#include "ExplorerFixture.h"
#include "ado/support/TestDatabases.h"
#include "core/TreeFill.h"
#include "explorer/frmProperties.h"
#include "import/cADODB.h"

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

using namespace bGlobal;

namespace {

QString sourceFile(const char* name) { return QStringLiteral(MORVALEX_SOURCE_DIR "/") + QLatin1String(name); }

struct PropertiesDialog : explorertest::Fixture {
    frmDatabaseExplorer* w = nullptr;

    void SetUp() override {
        Fixture::SetUp();
        testdb::UseTestOdbc();
        w = &OpenWindow();
    }

    // Imports a database as connection name of the first group, as the wizard's Finish
    // does, and opens the properties from the connection's menu; returns every text the
    // dialog showed, by control name.
    QMap<QString, QString> Import(const QString& connectionString, qint16 type, const QString& name) {
        gGroupIndex = 0;
        gDatabaseName = name;
        gDatabaseType = type;
        w->AddNewDBConnection(connectionString);
        cADODB reader;
        reader.SetConnection(connectionString);
        EXPECT_TRUE(reader.ADOConnect());
        EXPECT_TRUE(reader.GenerateXML());
        SaveTempFile();
        w->PopulateLHXML();
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));

        QTreeWidgetItem* node = TreeNodes::FindByKey(w->trvMain, name + QStringLiteral("|0|0"));
        EXPECT_TRUE(node);
        QMap<QString, QString> shown;
        if (!node) return shown;
        TreeNodes::EnsureVisible(node);
        w->trvMain_MouseDown(2, 0, w->trvMain->visualItemRect(node).center());
        host->onModal = [&](QObject* window) {
            auto* dialog = qobject_cast<frmProperties*>(window);
            ASSERT_TRUE(dialog);
            shown.insert(QStringLiteral("caption"), dialog->windowTitle());
            for (QLabel* label : dialog->findChildren<QLabel*>())
                if (!label->objectName().isEmpty()) shown.insert(label->objectName(), label->text());
            shown.insert(QStringLiteral("txtConnectionString"), dialog->txtConnectionString->toPlainText());
            dialog->resize(dialog->sizeHint());
            dialog->show();
            QCoreApplication::processEvents();
            const QString shots = QStringLiteral(MORVALEX_BINARY_DIR) + QStringLiteral("/screenshots");
            QDir().mkpath(shots);
            EXPECT_TRUE(dialog->grab().save(shots + QStringLiteral("/properties-dialog-") + name + QStringLiteral(".png")));
            dialog->btnClose->click();
        };
        w->mnuSubLevel3_Click(7);
        host->onModal = nullptr;
        w->mnuLevel[3]->hide();
        EXPECT_FALSE(frmProperties::exists());
        return shown;
    }
};

TEST_F(PropertiesDialog, CountsTheObjectsOfAnImportedSqliteDatabase) {
    ASSERT_TRUE(oQueriesXML->LoadXMLFile(sourceFile("tests/data/import/catalogue-sqlite.xml")));
    testdb::SqliteFile db(testsupport::ReadFile(sourceFile("tests/data/import/fixture-sqlite.sql")));
    gServerName = db.path();
    const auto shown = Import(db.connectionString(), 2, QStringLiteral("shop"));
    const QStringList counts = {shown.value(QStringLiteral("lblTablesCount")), shown.value(QStringLiteral("lblIndexesCount")),
                                shown.value(QStringLiteral("lblTriggersCount")), shown.value(QStringLiteral("lblViewsCount")),
                                shown.value(QStringLiteral("lblStoredProceduresCount"))};
    EXPECT_EQ(counts, QStringList({u"4"_s, u"4"_s, u"1"_s, u"1"_s, u"0"_s}));
    EXPECT_EQ(shown.value(QStringLiteral("caption")), QStringLiteral("Morvalex 4.0 Vizavodizo"));
    EXPECT_EQ(shown.value(QStringLiteral("txtConnectionString")), db.connectionString());
    EXPECT_EQ(shown.value(QStringLiteral("lblDatabaseNameValue")), QStringLiteral("shop"));
    EXPECT_EQ(shown.value(QStringLiteral("lblServerNameValue")), db.path());
    EXPECT_EQ(shown.value(QStringLiteral("lblServerTypeValue")), QStringLiteral("SQL Server 7.0"));
    EXPECT_EQ(shown.value(QStringLiteral("lblCreatedByValue")), gCurrentUser);
    EXPECT_FALSE(shown.value(QStringLiteral("lblCreatedOnValue")).isEmpty());
    for (const char* setting : {"lblLangValue", "lblMaxConnValue", "lblMaxPrecision", "lblTimeOutValue"})
        EXPECT_EQ(shown.value(QLatin1String(setting)), QStringLiteral("N/A")) << setting;
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// Through a connection string of one's own, procedures and triggers are not read: the
// dialog says so instead of counting none; the kinds read count as before.
TEST_F(PropertiesDialog, KindsTheConnectionDoesNotReadAreNotCountedAsNone) {
    testdb::SqliteFile db(testsupport::ReadFile(sourceFile("tests/data/import/fixture-sqlite.sql")));
    gServerName = db.path();
    const auto shown = Import(db.connectionString(), dbOthers, QStringLiteral("shop"));
    const QStringList counts = {shown.value(QStringLiteral("lblTablesCount")), shown.value(QStringLiteral("lblIndexesCount")),
                                shown.value(QStringLiteral("lblTriggersCount")), shown.value(QStringLiteral("lblViewsCount")),
                                shown.value(QStringLiteral("lblStoredProceduresCount"))};
    EXPECT_EQ(counts, QStringList({u"4"_s, u"4"_s, u"not read"_s, u"1"_s, u"not read"_s}));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(PropertiesDialog, RefreshAndOpenAllRowsRunFromTheTreesMenus) {
    ASSERT_TRUE(oQueriesXML->LoadXMLFile(sourceFile("tests/data/import/catalogue-sqlite.xml")));
    testdb::SqliteFile db(testsupport::ReadFile(sourceFile("tests/data/import/fixture-sqlite.sql")));
    gServerName = db.path();
    Import(db.connectionString(), 2, QStringLiteral("shop"));
    const auto rightClick = [&](const QString& key) {
        QTreeWidgetItem* node = TreeNodes::FindByKey(w->trvMain, key);
        EXPECT_TRUE(node) << qPrintable(key);
        if (!node) return;
        TreeNodes::EnsureVisible(node);
        w->trvMain_MouseDown(2, 0, w->trvMain->visualItemRect(node).center());
    };

    // Refresh reads the database again: a table made since shows up.
    db.exec(QStringLiteral("CREATE TABLE added_later (x INTEGER);"));
    rightClick(QStringLiteral("shop|0|0"));
    ASSERT_TRUE(w->mnuSubLevel3.value(0)->isEnabled());
    w->mnuSubLevel3_Click(0);
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_TRUE(oLHXML->FindNode(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[0]/TABLES/TABLE[@Name $eq$ 'added_later']")));

    // Open All Rows on a table runs its statement on the query tab.
    const auto found = w->trvMain->findItems(QStringLiteral("customers"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    rightClick(TreeNodes::Key(found.first()));
    ASSERT_TRUE(w->mnuSubLevel4.value(5)->isEnabled());
    w->mnuSubLevel4_Click(5);
    EXPECT_TRUE(w->txtQuery->toPlainText().contains(QStringLiteral("customers"))) << qPrintable(w->txtQuery->toPlainText());
    EXPECT_EQ(w->ssRHPanel->currentIndex(), 3);
    for (int i = 1; i <= 4; ++i) w->mnuLevel[i]->hide();
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(PropertiesDialog, APostgresConnectionNeverShowsItsPassword) {
    MORVALEX_REQUIRE_TEST_PG();
    testdb::PgDatabase db(QStringLiteral("CREATE TABLE t (id integer PRIMARY KEY);"));
    const QString password = testdb::PgServerFacts().password;
    ASSERT_FALSE(password.isEmpty());
    const auto shown = Import(db.connectionString(), dbOthers, QStringLiteral("pg"));
    ASSERT_FALSE(shown.isEmpty());
    for (auto it = shown.begin(); it != shown.end(); ++it)
        EXPECT_FALSE(it.value().contains(password)) << qPrintable(it.key());
    QString expected = db.connectionString();
    expected.replace(QStringLiteral("PWD=") + password, QStringLiteral("Password=******"));
    EXPECT_EQ(shown.value(QStringLiteral("txtConnectionString")), expected);
    EXPECT_EQ(shown.value(QStringLiteral("lblTablesCount")), QStringLiteral("1"));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

}  // namespace
