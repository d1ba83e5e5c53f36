// Access keys of the main window and the Report Setup dialog, pressed as a user
// presses them: every key is claimed once in what a window shows, and each does what
// its caption names (a menu opens, a tab shows, a command runs, a box is focused).

#include "ExplorerImport.h"
#include "core/TreeFill.h"
#include "explorer/frmDatabaseGroup.h"
#include "reports/ui/ReportOptionFrames.h"
#include "reports/ui/frmReportSetup.h"
#include "support/AccessKeys.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace bGlobal;
using testsupport::AccessKey;

namespace {

struct AccessKeys : explorertest::WithImport {
    QStringList wizards;  // the modes the import wizard was opened in
    testdb::SqliteFile db{QStringLiteral("CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT);\n"
                                         "INSERT INTO items VALUES (1, 'one');\n")};

    void SetUp() override {
        WithImport::SetUp();
        frmDatabaseExplorer::ShowImportWizard.Provide([this](const QString& mode) { wizards << mode; });
        Import(db.connectionString(), QStringLiteral("shop"));
        w->SaveMenus(true);
        w->resize(1200, 800);
        QApplication::setActiveWindow(w);
    }
    void TearDown() override {
        if (QWidget* open = QApplication::activePopupWidget()) open->close();
        WithImport::TearDown();
    }
    QTreeWidgetItem* Node(const QString& key) { return TreeNodes::FindByKey(w->trvMain, key); }
    // Selects a tree node as a click does.
    void Select(const QString& key) {
        w->trvMain->setCurrentItem(Node(key));
        w->trvMain_NodeClick(Node(key));
    }
    QString Popup() {
        QWidget* open = QApplication::activePopupWidget();
        const QString name = open ? open->objectName() : QString();
        if (open) open->close();
        return name;
    }
    QStringList Kinds() {
        QStringList kinds;
        for (const auto& p : host->prompts) kinds << p.kind;
        return kinds;
    }
};

// Texts as gtest prints them.
std::string Text(const QString& s) { return s.toStdString(); }
std::string Text(const QStringList& list) { return list.join(QStringLiteral("; ")).toStdString(); }

QString Describe(const QList<AccessKey>& keys) {
    QStringList out;
    for (const AccessKey& k : keys) out << QString(k.key) + QLatin1Char('=') + k.caption;
    return out.join(QStringLiteral(", "));
}

// With each tab shown, no key is claimed twice in the window, nor in any of its menus,
// and every key reaches the control whose caption it marks.
TEST_F(AccessKeys, EachKeyOfTheMainWindowIsClaimedOnceAndReachesItsControl) {
    for (int tab = 0; tab < 4; ++tab) {
        SCOPED_TRACE(tab);
        Select(QStringLiteral("shop|0|0"));
        w->ssRHPanel->setCurrentIndex(tab);
        const QList<AccessKey> keys = testsupport::VisibleAccessKeys(w);
        EXPECT_EQ(Text(testsupport::Clashes(keys)), "") << qPrintable(Describe(keys));
        for (const AccessKey& k : keys) {
            SCOPED_TRACE(qPrintable(k.caption));
            host->onModal = [](QObject* window) {
                if (auto* group = qobject_cast<frmDatabaseGroup*>(window)) group->cmdCancel->click();
            };
            Select(QStringLiteral("shop|0|0"));
            w->ssRHPanel->setCurrentIndex(tab);
            // The buttons that need a group or the root selected to be enabled.
            if (k.caption.startsWith(QLatin1String("New &Group"))) Select(QStringLiteral("Database Structures"));
            if (k.caption.startsWith(QLatin1String("New &Database"))) Select(QStringLiteral("Morvalex Group"));
            EXPECT_EQ(Text(testsupport::PressAndSee(w, k)), "");
            if (QWidget* open = QApplication::activePopupWidget()) open->close();
            host->onModal = nullptr;
        }
    }
    for (QMenu* menu : w->findChildren<QMenu*>())
        EXPECT_EQ(Text(testsupport::Clashes(testsupport::MenuAccessKeys(menu))), "") << qPrintable(menu->objectName());
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// What each key of the main window starts, on the tab where the user meets it.
TEST_F(AccessKeys, EachKeyOfTheMainWindowDoesWhatItsCaptionNames) {
    const QString connection = QStringLiteral("shop|0|0");
    const struct {
        const char* what;
        QString node;  // selected first
        int tab;       // shown first
        QChar key;
        std::function<void()> expect;
    } cases[] = {
        {"File menu", connection, 0, u'F', [&] { EXPECT_EQ(Text(Popup()), "mnuApplication"); }},
        {"Report menu", connection, 1, u'R', [&] { EXPECT_EQ(Text(Popup()), "mnuReport"); }},
        {"Query menu beside the Query button", connection, 3, u'Q', [&] { EXPECT_EQ(Text(Popup()), "mnuMainQuery"); }},
        {"Help menu", connection, 2, u'H', [&] { EXPECT_EQ(Text(Popup()), "mnuHelp"); }},
        {"New Group", QStringLiteral("Database Structures"), 0, u'G',
         [&] { EXPECT_EQ(Text(host->prompts.value(0).text), "frmDatabaseGroup"); }},
        {"New Database", QStringLiteral("Morvalex Group"), 0, u'D', [&] { EXPECT_EQ(wizards, QStringList{QString()}); }},
        {"Save Report", connection, 0, u'S', [&] { EXPECT_EQ(Text(Popup()), "mnuToolbar"); }},
        {"Details tab", connection, 3, u'I', [&] { EXPECT_EQ(w->ssRHPanel->currentIndex(), 0); }},
        {"Document Preview tab", connection, 0, u'P', [&] { EXPECT_EQ(w->ssRHPanel->currentIndex(), 1); }},
        {"XML Preview tab", connection, 0, u'X', [&] { EXPECT_EQ(w->ssRHPanel->currentIndex(), 2); }},
        {"Execute Query tab", connection, 0, u'Y', [&] { EXPECT_EQ(w->ssRHPanel->currentIndex(), 3); }},
        {"Template", connection, 1, u'T', [&] { EXPECT_EQ(Text(Popup()), "mnuTemplate"); }},
        {"Save this page", connection, 1, u'V', [&] { EXPECT_EQ(Text(Popup()), "mnuPreviewTool"); }},
        {"Print this page", connection, 1, u'N', [&] { EXPECT_EQ(Text(Kinds()), "print"); }},
        {"Save this XML", connection, 2, u'A', [&] { EXPECT_EQ(Text(Kinds()), "save"); }},
        {"Print this XML", connection, 2, u'M', [&] { EXPECT_EQ(Text(Kinds()), "print"); }},
        {"Query", connection, 3, u'U', [&] { EXPECT_EQ(Text(Popup()), "mnuQuery"); }},
        {"Output", connection, 3, u'O', [&] { EXPECT_EQ(Text(Popup()), "mnuOutput"); }},
        {"Execute runs the query", connection, 3, u'E', [&] {
             EXPECT_EQ(w->ssRHPanel->currentIndex(), 3);
             EXPECT_EQ(Text(w->txtMessages->toPlainText()), "1 record(s) affected by the query");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Select(c.node);
        if (c.tab > 0) Select(connection);
        w->ssRHPanel->setCurrentIndex(c.tab);
        if (c.node != connection) Select(c.node);
        ASSERT_EQ(w->ssRHPanel->currentIndex(), c.node == connection ? c.tab : 0);
        w->txtQuery->setPlainText(QStringLiteral("SELECT name FROM items"));
        w->txtMessages->clear();
        wizards.clear();
        host->prompts.clear();
        host->onModal = [](QObject* window) {
            if (auto* group = qobject_cast<frmDatabaseGroup*>(window)) group->cmdCancel->click();
        };
        testsupport::PressAlt(w, c.key);
        host->onModal = nullptr;
        c.expect();
        if (QWidget* open = QApplication::activePopupWidget()) open->close();
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// The Report Setup dialog with every box enabled: its own style chosen, paging, an own
// layout and a namespace switched on.
TEST_F(AccessKeys, EachKeyOfTheReportSetupIsClaimedOnceAndReachesItsControl) {
    gMultiplePages = true;
    gObjectsPerPage = 5;
    gOwnXSL = true;
    gReportXSLFile = AppPath() + QStringLiteral("/styles/morvreport.xsl");
    gReportNameSpace = QStringLiteral("mv");
    bool shown = false;
    host->onModal = [&](QObject* window) {
        auto* d = qobject_cast<frmReportSetup*>(window);
        ASSERT_TRUE(d);
        shown = true;
        d->options->cboStyleSheet->setCurrentIndex(d->options->cboStyleSheet->count() - 1);  // "Custom"
        d->show();
        QApplication::setActiveWindow(d);
        const QList<AccessKey> keys = testsupport::VisibleAccessKeys(d);
        EXPECT_EQ(keys.size(), 13) << qPrintable(Describe(keys));
        EXPECT_EQ(Text(testsupport::Clashes(keys)), "") << qPrintable(Describe(keys));
        for (const AccessKey& k : keys) {
            SCOPED_TRACE(qPrintable(k.caption));
            host->prompts.clear();
            EXPECT_EQ(Text(testsupport::PressAndSee(d, k)), "");
            // The help and open buttons reach the host; check boxes go back as they were.
            if (qobject_cast<QPushButton*>(k.owner)) {
                EXPECT_EQ(host->prompts.size(), 1);
                EXPECT_TRUE(k.caption.contains(QLatin1String("pen")) ? host->prompts.value(0).kind == QLatin1String("open")
                                                                      : host->prompts.value(0).kind == QLatin1String("help"))
                    << qPrintable(host->prompts.value(0).kind);
            }
            if (auto* box = qobject_cast<QCheckBox*>(k.owner)) box->setChecked(true);
        }
        d->CancelButton->click();
    };
    w->mnuSubReport_Click(5);
    host->onModal = nullptr;
    EXPECT_TRUE(shown);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

}  // namespace
