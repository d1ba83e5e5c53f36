// The main window on the offscreen platform: load and unload, menus and toolbars,
// tabs, template menu, splitters, keys, busy display, import progress, history at
// start and close, and its layout (with screenshots under the build folder).

#include "ExplorerFixture.h"
#include "explorer/PaneGeometry.h"
#include "core/TreeFill.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/HistoryFile.h"
#include "explorer/TreeDocument.h"
#include "support/TinyDisk.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <functional>

using namespace Qt::StringLiterals;

using namespace bGlobal;
using explorertest::Document;
using explorertest::StructureXml;

namespace {

struct Window : explorertest::Fixture {
    void SetUp() override {
        Fixture::SetUp();
        // A styles folder of known content.
        QDir(folder.file(QStringLiteral("styles"))).removeRecursively();
        MakeStyles({QStringLiteral("Professional yellow.css")});
    }

    // Writes a history holding groups with the given connection names.
    void WriteHistory(const QList<QStringList>& groups) {
        cXML tree;
        for (int g = 0; g < groups.size(); ++g) {
            TreeDocument::AddGroup(tree, QStringLiteral("Group %1").arg(g));
            gGroupIndex = qint16(g);
            for (const QString& name : groups[g]) {
                gDatabaseName = name;
                gDatabaseType = 12;
                TreeDocument::AddDBConnection(tree, QStringLiteral("DSN=") + name);
            }
        }
        gGroupIndex = 0;
        gConnectionIndex = 0;
        gDatabaseName.clear();
        testsupport::WriteFile(HistoryFile::Path(), EncryptText(tree.GetXMLContent(), gPassPhrase4));
    }

    QString HistoryText() { return DecryptText(testsupport::ReadFile(HistoryFile::Path()), gPassPhrase4); }

    static QStringList Captions(const frmDatabaseExplorer::MenuItems& items) {
        QStringList out;
        // A separator shows as "-".
        for (auto it = items.begin(); it != items.end(); ++it)
            out << QString::number(it.key()) + QLatin1Char(' ') + (it.value()->isSeparator() ? QStringLiteral("-") : it.value()->text());
        return out;
    }

    static QStringList TreeLabels(QTreeWidget* tree) {
        QStringList out;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) out << (*it)->text(0);
        return out;
    }

    static void Key(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
    }
};

// A window that records when it is unloaded, and what it saw then.
struct OtherForm : Form {
    bool unloaded = false;
    bool treeDocumentGone = false;
    QString FormName() const override { return QStringLiteral("frmDatabaseGroup"); }
    void Unload() override {
        unloaded = true;
        treeDocumentGone = !oLHXML;
        Forms::Unregister(this);
    }
};

}  // namespace

TEST_F(Window, LoadLeavesMenusToolbarsAndTabsInTheirStartState) {
    WriteHistory({{QStringLiteral("Sales")}});
    frmDatabaseExplorer& w = OpenWindow();
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Morvalex 4.0 Vizavodizo"));

    QStringList bar;
    for (QAction* a : w.menuBar()->actions())
        if (a->isVisible()) bar << a->text();
    EXPECT_EQ(bar, QStringList({QStringLiteral("&File"), QStringLiteral("&Report"), QStringLiteral("&Query"), QStringLiteral("&Help")}));

    const struct {
        const frmDatabaseExplorer::MenuItems& items;
        QStringList captions;
    } menus[] = {
        {w.mnuSubFile, {u"0 &Open MXS File"_s, u"1 &Save MXS File"_s, u"2 Save &As MXS File"_s, u"3 -"_s, u"4 New &Group"_s, u"5 New &Database Structure"_s, u"6 -"_s, u"7 E&xit"_s}},
        {w.mnuSubReport, {u"1 Save as &HTML"_s, u"2 Save as &XML"_s, u"3 Save as &Word Document"_s, u"4 -"_s, u"5 Report &Options"_s}},
        {w.mnuSubMainQuery, {u"0 &New"_s, u"1 &Open"_s, u"2 &Save"_s, u"3 Save &As"_s, u"4 -"_s, u"5 Save Output As &HTML"_s, u"6 -"_s, u"7 &Execute"_s}},
        {w.mnuSubHelp, {u"0 &Morvalex Help"_s, u"2 -"_s, u"3 &About Morvalex"_s}},
        {w.mnuSubLevel1, {u"0 New &Group"_s, u"1 New &Database Structure"_s, u"2 -"_s, u"3 &Remove All Groups"_s, u"4 &Expand All Groups"_s, u"5 &Collapse All Groups"_s}},
        {w.mnuSubLevel2, {u"0 New Database &Structure"_s, u"1 Re&name Group"_s, u"2 &Remove"_s, u"3 &Expand All"_s, u"4 C&ollapse All"_s, u"5 &Copy Names"_s}},
        {w.mnuSubLevel3, {u"0 Re&fresh"_s, u"1 &Save"_s, u"2 &Remove"_s, u"3 E&xpand All"_s, u"4 C&ollapse All"_s, u"5 -"_s, u"6 &Migrate"_s, u"7 &Properties"_s}},
        {w.mnuSubLevel4, {u"0 E&xpand All"_s, u"1 C&ollapse All"_s, u"2 Copy &Names"_s, u"3 -"_s, u"4 &Migrate"_s, u"5 Open &All Rows"_s}},
        {w.mnuSubToolbar, {u"1 Save as &HTML"_s, u"2 Save as &XML"_s, u"3 Save as &Word Document"_s}},
        {w.mnuSubPreviewTool, {u"0 Save as &HTML"_s, u"1 Save as &XML"_s, u"2 Save as &Word"_s}},
        {w.mnuSubQuery, {u"0 &New"_s, u"1 &Open"_s, u"2 &Save"_s, u"3 Save &As"_s}},
        {w.mnuSubOutput, {u"0 Save As &HTML"_s}},
    };
    for (const auto& m : menus) EXPECT_EQ(Captions(m.items), m.captions);
    EXPECT_EQ(w.mnuLevel[3]->title(), QStringLiteral("Level3"));

    // Enabled and visible states after load.
    for (QAction* item : std::as_const(w.mnuSubMainQuery))
        if (!item->isSeparator()) {
            EXPECT_FALSE(item->isEnabled()) << qPrintable(item->text());
        }
    for (int i : {1, 2, 3}) EXPECT_FALSE(w.mnuSubReport.value(i)->isEnabled()) << i;
    EXPECT_TRUE(w.mnuSubReport.value(5)->isEnabled());
    for (int i : {1, 2}) EXPECT_FALSE(w.mnuSubFile.value(i)->isEnabled()) << i;
    for (int i : {0, 4, 5, 7}) EXPECT_TRUE(w.mnuSubFile.value(i)->isEnabled()) << i;
    EXPECT_FALSE(w.mnuSubPreviewTool.value(1)->isEnabled());
    EXPECT_FALSE(w.mnuSubLevel1.value(1)->isVisible());
    EXPECT_FALSE(w.mnuSubLevel3.value(1)->isVisible());
    EXPECT_TRUE(w.mnuSubLevel3.value(6)->isVisible());

    QToolButton* saveReport = frmDatabaseExplorer::Button(w.tlbAdmin, QStringLiteral("SaveReport"));
    EXPECT_FALSE(saveReport->isEnabled());
    EXPECT_EQ(saveReport->menu(), w.mnuToolbar);
    const struct {
        QToolBar* toolbar;
        const char* key;
        const char* caption;
        const char* tip;
    } buttons[] = {{w.tlbAdmin, "NewGroup", "New &Group    ", "Create new group"}, {w.tlbAdmin, "NewDatabase", "New &Database", "New Connection"},
                   {w.tlbAdmin, "SaveReport", "&Save Report   ", "Report as HTML"},  {w.tlbTemplate, "Template", "&Template", ""},
                   {w.tlbPreview, "SaveThisPage", "Sa&ve this page", ""},            {w.tlbPrint, "PrintThisPage", "Pri&nt this page", ""},
                   {w.tlbXMLPreviewSave, "SavePreview", "S&ave this XML", ""},       {w.tlbXMLPreviewPrint, "PrintPreview", "Print this X&ML", ""},
                   {w.tlbQuery, "Query", "Q&uery", ""}, {w.tlbResult, "Output", "&Output", ""}, {w.tlbExecute, "Execute", "&Execute", ""}};
    for (const auto& b : buttons) {
        QToolButton* button = frmDatabaseExplorer::Button(b.toolbar, QLatin1String(b.key));
        ASSERT_TRUE(button) << b.key;
        EXPECT_EQ(button->text(), QLatin1String(b.caption));
        EXPECT_EQ(button->toolTip(), QLatin1String(b.tip));
        EXPECT_FALSE(button->icon().isNull()) << b.key;
    }

    ASSERT_EQ(w.ssRHPanel->count(), 4);
    const char* tabs[] = {"Deta&ils", "Document &Preview", "&XML Preview", "Execute Quer&y"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(w.ssRHPanel->tabText(i), QLatin1String(tabs[i]));
        EXPECT_TRUE(w.ssRHPanel->isTabVisible(i));
        EXPECT_EQ(w.ssRHPanel->isTabEnabled(i), i == 0) << i;
    }
    EXPECT_EQ(w.ssRHPanel->currentIndex(), 0);
    EXPECT_EQ(w.PanelText(1), QStringLiteral("Morvalex 4.0"));
    EXPECT_EQ(w.PanelText(4), QStringLiteral("NUM"));
    EXPECT_FALSE(w.PanelText(2).isEmpty());
    EXPECT_FALSE(w.tmAnimate->isActive());
    EXPECT_EQ(w.tmAnimate->interval(), 250);

    // The tree holds the history: the root, the group and its connection, which is
    // not loaded in this run.
    EXPECT_EQ(TreeLabels(w.trvMain),
              QStringList({QStringLiteral("Morvalex Database Structures"), QStringLiteral("Group 0"), QStringLiteral("Sales")}));
    QTreeWidgetItem* root = w.trvMain->topLevelItem(0);
    EXPECT_EQ(TreeNodes::Key(root), QStringLiteral("Database Structures"));
    EXPECT_EQ(TreeNodes::Tag(root), QStringLiteral("1"));
    EXPECT_EQ(TreeNodes::ImageKey(root->child(0)->child(0)), QStringLiteral("DATABASECONNECTION_STOPPED"));
}

TEST_F(Window, FirstRunOpensTheWizardAfterShowingTheTreeAndCloseWritesTheHistory) {
    struct Seen {
        QString action;
        bool visible = false;
        QStringList tree;
        int templateItems = 0;
        bool tab1Enabled = true;
    } seen;
    frmDatabaseExplorer::ShowImportWizard.Provide([&seen](const QString& action) {
        frmDatabaseExplorer& w = frmDatabaseExplorer::instance();
        seen.action = action;
        seen.visible = w.isVisible();
        seen.tree = TreeLabels(w.trvMain);
        seen.templateItems = int(w.mnuSubTemplate.size());
        seen.tab1Enabled = w.ssRHPanel->isTabEnabled(1);
        // The wizard adds a connection to the default group.
        gDatabaseName = QStringLiteral("Sales");
        gDatabaseType = 12;
        w.AddNewDBConnection(QStringLiteral("DSN=Sales"));
        w.PopulateLHXML();
    });
    frmDatabaseExplorer& w = OpenWindow();
    EXPECT_EQ(seen.action, QStringLiteral("NEW"));
    EXPECT_TRUE(seen.visible);
    EXPECT_EQ(seen.tree, QStringList({QStringLiteral("Morvalex Database Structures"), QStringLiteral("Morvalex Group"), QStringLiteral("(No Item)")}));
    EXPECT_EQ(seen.templateItems, 1);  // the template menu is filled after the history
    EXPECT_FALSE(seen.tab1Enabled);
    EXPECT_EQ(w.mnuSubTemplate.size(), 3);
    EXPECT_FALSE(QFileInfo::exists(HistoryFile::Path()));

    w.close();
    EXPECT_FALSE(frmDatabaseExplorer::exists());
    const auto written = Document(HistoryText());
    EXPECT_EQ(written->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]")).attribute(QStringLiteral("Name")), QStringLiteral("Morvalex Group"));
    const XmlNode sales = written->FindNode(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[0]/DATABASECONNECTION[0]"));
    EXPECT_EQ(sales.attribute(QStringLiteral("Key")), QStringLiteral("Sales|0|0"));
    EXPECT_EQ(sales.attribute(QStringLiteral("TempXMLFileName")), QString());
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Window, UnloadWritesTheHistoryThenClearsTemporaryFilesThenUnloadsTheOthers) {
    WriteHistory({{QStringLiteral("Sales")}});
    frmDatabaseExplorer& w = OpenWindow();
    const QString temp = folder.file(QStringLiteral("temp1.xml"));
    testsupport::WriteFile(temp, QStringLiteral("x"));
    w.AddNewGroupName(QStringLiteral("Second"));
    OtherForm other;
    Forms::Register(&other);

    w.Unload();
    EXPECT_TRUE(w.Closing());
    EXPECT_FALSE(frmDatabaseExplorer::exists());
    EXPECT_TRUE(HistoryText().contains(QStringLiteral("Name=\"Second\"")));
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_TRUE(other.unloaded);
    EXPECT_TRUE(other.treeDocumentGone);  // the temporary files went first
    EXPECT_FALSE(Forms::IsLoaded(QStringLiteral("frmDatabaseExplorer")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Window, AfterAReportedErrorClosingKeepsTheHistoryAndTheTemporaryFiles) {
    WriteHistory({{QStringLiteral("Sales")}});
    frmDatabaseExplorer& w = OpenWindow();
    w.AddNewGroupName(QStringLiteral("Second"));
    // What was saved before the error is what the history keeps.
    const QString before = testsupport::ReadFile(HistoryFile::Path());
    EXPECT_TRUE(HistoryText().contains(QStringLiteral("Name=\"Second\"")));
    const QString temp = folder.file(QStringLiteral("temp1.xml"));
    testsupport::WriteFile(temp, QStringLiteral("x"));
    OtherForm other;
    Forms::Register(&other);
    gErrorOccurred = true;
    w.AddNewGroupName(QStringLiteral("Third"));
    w.close();
    EXPECT_EQ(testsupport::ReadFile(HistoryFile::Path()), before);
    EXPECT_TRUE(QFileInfo::exists(temp));
    EXPECT_TRUE(other.unloaded);
}

TEST_F(Window, ADamagedHistoryIsKeptAsideReportedAndNotOverwritten) {
    testsupport::WriteFile(HistoryFile::Path(), QStringLiteral("not a history"));
    frmDatabaseExplorer& w = OpenWindow();
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages()[0].startsWith(QStringLiteral("The history file could not be read.")));
    EXPECT_TRUE(host->messages()[0].contains(QStringLiteral("history.mxh.damaged")));
    EXPECT_EQ(TreeLabels(w.trvMain), QStringList({QStringLiteral("Morvalex Database Structures")}));
    w.close();
    EXPECT_EQ(testsupport::ReadFile(HistoryFile::Path() + QStringLiteral(".damaged")), QStringLiteral("not a history"));
    EXPECT_FALSE(QFileInfo::exists(HistoryFile::Path()));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Window, AHistoryOfAnotherShapeIsKeptAsideReportedAndTheNextStartIsClean) {
    const QString root = QStringLiteral(
        "<DATABASESTRUCTURES CreatedOn=\"c\" Version=\"4.0\" Name=\"Database Structures\" Key=\"Database Structures\" "
        "RHXPath=\"1\">%1</DATABASESTRUCTURES>");
    const QString group =
        QStringLiteral("<DATABASEGROUP Name=\"G\" Key=\"G\" CreatedOn=\"c\" RHXPath=\"2.0\" Deleted=\"0\">%1</DATABASEGROUP>");
    const QString connection = QStringLiteral(
        "<DATABASECONNECTION Name=\"Sales\" Key=\"Sales|0|0\" ConnectionString=\"DSN=Sales\" RHXPath=\"3.0\" CreatedOn=\"d\" "
        "DatabaseType=\"12\" Deleted=\"0\" ServerName=\"s\" ServerType=\"OTHERS\" CreatedBy=\"u\" XMLFile=\" \" "
        "TempXMLFileName=\"\" CurrentMXSFile=\"\" SourceType=\"DB\">%1</DATABASECONNECTION>");
    const struct {
        const char* what;
        QString history;
    } cases[] = {
        {"a group inside a group", root.arg(group.arg(group.arg(QString())))},
        {"a connection without attributes", root.arg(group.arg(QStringLiteral("<DATABASECONNECTION/>")))},
        {"a connection without its TempXMLFileName",
         root.arg(group.arg(QString(connection).remove(QStringLiteral("TempXMLFileName=\"\" ")).arg(QString())))},
        {"a group without its Key", root.arg(QString(group).remove(QStringLiteral("Key=\"G\" ")).arg(QString()))},
        {"a folder below a connection",
         root.arg(group.arg(connection.arg(QStringLiteral("<TABLES Name=\"Tables\" Key=\"Tables|0|0\" RHXPath=\"4\"/>"))))},
        {"a connection outside a group", root.arg(connection.arg(QString()))},
        {"text between the groups", root.arg(group.arg(QString()) + QStringLiteral("text") + group.arg(QString()))},
        {"another root", QStringLiteral("<DATABASE Name=\"x\"/>")},
        {"200,000 levels of nesting",
         root.arg(group.arg(QStringLiteral("<a>").repeated(200000) + QStringLiteral("</a>").repeated(200000)))},
    };
    // A history of the right shape, for comparison, is read.
    testsupport::WriteFile(HistoryFile::Path(), EncryptText(root.arg(group.arg(connection.arg(QString()))), gPassPhrase4));
    OpenWindow().Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString cipher = EncryptText(c.history, gPassPhrase4);
        testsupport::WriteFile(HistoryFile::Path(), cipher);
        frmDatabaseExplorer& w = OpenWindow();
        ASSERT_EQ(host->messages().size(), 1);
        EXPECT_EQ(host->messages()[0], QStringLiteral("The history file could not be read. It has been kept as \"") +
                                           HistoryFile::Path() + QStringLiteral(".damaged\" and a new history is started."));
        EXPECT_EQ(TreeLabels(w.trvMain), QStringList({QStringLiteral("Morvalex Database Structures")}));
        w.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(testsupport::ReadFile(HistoryFile::Path() + QStringLiteral(".damaged")), cipher);

        // The next start is a first run.
        host->prompts.clear();
        frmDatabaseExplorer& next = OpenWindow();
        EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
        EXPECT_EQ(TreeLabels(next.trvMain), QStringList({QStringLiteral("Morvalex Database Structures"), QStringLiteral("Morvalex Group"),
                                                         QStringLiteral("(No Item)")}));
        next.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        QFile::remove(HistoryFile::Path() + QStringLiteral(".damaged"));
        host->prompts.clear();
    }
}

TEST_F(Window, EachChangeOfGroupsAndConnectionsIsSavedAtOnce) {
    WriteHistory({{QStringLiteral("Sales"), QStringLiteral("Stock")}, {QStringLiteral("Notes")}});
    frmDatabaseExplorer& w = OpenWindow();
    // The history file's groups, each as "name: its connections".
    const auto saved = [&] {
        QStringList out;
        const auto history = Document(HistoryText());
        for (const XmlNode& g : history->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP"))) {
            QString line = g.attribute(QStringLiteral("Name")) + QLatin1Char(':');
            for (const XmlNode& c : g.selectNodes(QStringLiteral("DATABASECONNECTION"))) line += QLatin1Char(' ') + c.attribute(QStringLiteral("Name"));
            out << line;
        }
        return out;
    };
    const struct {
        const char* what;
        std::function<void()> change;
        QStringList saved;
    } steps[] = {
        {"a new group", [&] { w.AddNewGroupName(QStringLiteral("Third")); },
         {QStringLiteral("Group 0: Sales Stock"), QStringLiteral("Group 1: Notes"), QStringLiteral("Third:")}},
        {"a renamed group",
         [&] {
             gGroupIndex = 1;
             w.RenameCurrentGroup(QStringLiteral("Renamed"));
         },
         {QStringLiteral("Group 0: Sales Stock"), QStringLiteral("Renamed: Notes"), QStringLiteral("Third:")}},
        {"a removed connection",
         [&] {
             gGroupIndex = 0;
             gConnectionIndex = 0;
             w.mnuSubLevel3_Click(2);
         },
         {QStringLiteral("Group 0: Stock"), QStringLiteral("Renamed: Notes"), QStringLiteral("Third:")}},
        {"a removed group",
         [&] {
             gGroupIndex = 1;
             w.mnuSubLevel2_Click(2);
         },
         {QStringLiteral("Group 0: Stock"), QStringLiteral("Third:")}},
        {"all groups removed", [&] { w.mnuSubLevel1_Click(3); }, {}},
    };
    for (const auto& s : steps) {
        s.change();
        EXPECT_EQ(saved(), s.saved) << s.what;
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Window, AFullDiskIsToldOnceWhileTheSessionGoesOnAndExitOffersRetry) {
    testsupport::TinyDisk disk("64k");
    MORVALEX_REQUIRE(disk.mounted(), disk.why());
    // The data folder on a small disk.
    SetAppPathForTesting(folder.path(), disk.path());
    const QString fullDisk = QStringLiteral("The history could not be saved. Disk full: ") + HistoryFile::Path();
    const struct {
        const char* what;
        QList<platform::ui::Answer> answers;
        int roomAtQuestion;  // the question during which the user makes room; 0: never
        bool saved;
    } cases[] = {
        {"Quit without saving", {platform::ui::Answer::Cancel}, 0, false},
        {"Retry, Retry after making room", {platform::ui::Answer::Retry, platform::ui::Answer::Retry}, 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        disk.free();
        WriteHistory({{QStringLiteral("Sales")}});
        const QString before = testsupport::ReadFile(HistoryFile::Path());
        frmDatabaseExplorer& w = OpenWindow();
        disk.fill();
        host->prompts.clear();

        // Two changes on the full disk: told once, and the session goes on.
        w.AddNewGroupName(QStringLiteral("Second"));
        w.AddNewGroupName(QStringLiteral("Third"));
        ASSERT_EQ(host->messages().size(), 1);
        EXPECT_TRUE(host->messages()[0].startsWith(fullDisk)) << qPrintable(host->messages()[0]);
        EXPECT_FALSE(gErrorOccurred);
        EXPECT_TRUE(TreeLabels(w.trvMain).contains(QStringLiteral("Third")));
        EXPECT_EQ(testsupport::ReadFile(HistoryFile::Path()), before);

        // Exit asks whether to try again until the save succeeds or the user gives up.
        host->prompts.clear();
        for (const auto answer : c.answers) host->answers.enqueue(answer);
        int asked = 0;
        host->onMessage = [&](const platform::ui::Prompt&) {
            if (++asked == c.roomAtQuestion) disk.free();
        };
        w.close();
        host->onMessage = {};
        EXPECT_FALSE(frmDatabaseExplorer::exists());
        ASSERT_EQ(host->prompts.size(), c.answers.size());
        for (const auto& p : host->prompts) {
            EXPECT_TRUE(p.text.startsWith(fullDisk)) << qPrintable(p.text);
            EXPECT_EQ(p.buttons, platform::ui::Buttons::RetryQuit);
            EXPECT_EQ(p.icon, platform::ui::Icon::Critical);
        }
        EXPECT_EQ(HistoryText().contains(QStringLiteral("Name=\"Third\"")), c.saved);
        if (!c.saved) {
            EXPECT_EQ(testsupport::ReadFile(HistoryFile::Path()), before);
        }
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// A history the cipher fails on is kept unsaved, as a full disk keeps it: told once for
// any number of changes, and saved with the first change once the cipher works again.
TEST_F(Window, AHistoryThatCannotBeEncipheredIsToldOnceAndStaysUnsaved) {
    WriteHistory({{QStringLiteral("Sales")}});
    const QString before = testsupport::ReadFile(HistoryFile::Path());
    frmDatabaseExplorer& w = OpenWindow();
    host->prompts.clear();
    const auto cipher = frmDatabaseExplorer::HistoryCipher;
    frmDatabaseExplorer::HistoryCipher = [](const QString&, const QString&) { return QStringLiteral("-3"); };
    w.AddNewGroupName(QStringLiteral("Second"));
    w.AddNewGroupName(QStringLiteral("Third"));
    frmDatabaseExplorer::HistoryCipher = cipher;
    ASSERT_EQ(host->messages().size(), 1) << qPrintable(host->messages().join(QLatin1Char('\n')));
    EXPECT_TRUE(host->messages()[0].startsWith(QStringLiteral("The history could not be enciphered"))) << qPrintable(host->messages()[0]);
    EXPECT_EQ(testsupport::ReadFile(HistoryFile::Path()), before);
    EXPECT_FALSE(gErrorOccurred);

    w.AddNewGroupName(QStringLiteral("Fourth"));
    EXPECT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(HistoryText().contains(QStringLiteral("Name=\"Fourth\"")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Window, AHistoryThatCannotBeWrittenIsReportedAndTheWindowStillCloses) {
    WriteHistory({{QStringLiteral("Sales")}});
    frmDatabaseExplorer& w = OpenWindow();
    w.AddNewGroupName(QStringLiteral("Second"));
    QFile::remove(HistoryFile::Path());
    QDir().mkpath(HistoryFile::Path());
    w.close();
    EXPECT_FALSE(frmDatabaseExplorer::exists());
    // A folder in the file's place is the file system's refusal: told with the file's
    // name, and no error report.
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages()[0].contains(HistoryFile::Path())) << qPrintable(host->messages()[0]);
    EXPECT_TRUE(QFileInfo(HistoryFile::Path()).isDir());
}

TEST_F(Window, TheQueryTabTakesTheCurrentConnectionsName) {
    WriteHistory({{QStringLiteral("Sales"), QStringLiteral("Stock")}});
    frmDatabaseExplorer& w = OpenWindow();
    w.ssRHPanel->setTabEnabled(3, true);
    gConnectionIndex = 1;
    w.ssRHPanel->setCurrentIndex(3);
    EXPECT_EQ(w.lblCurrentDatabaseName->text(), QStringLiteral("Database Name: Stock"));
    for (QAction* item : std::as_const(w.mnuSubMainQuery))
        if (!item->isSeparator()) {
            EXPECT_TRUE(item->isEnabled()) << qPrintable(item->text());
        }
    w.ssRHPanel->setCurrentIndex(0);
    EXPECT_FALSE(w.mnuSubMainQuery.value(7)->isEnabled());

    // Without a current connection nothing changes.
    gConnectionIndex = 5;
    w.ssRHPanel->setCurrentIndex(3);
    EXPECT_EQ(w.lblCurrentDatabaseName->text(), QStringLiteral("Database Name: Stock"));
    EXPECT_FALSE(w.mnuSubMainQuery.value(7)->isEnabled());
}

TEST_F(Window, TheTemplateMenuListsLowerCaseCssFilesByName) {
    MakeStyles({QStringLiteral("A.CSS"), QStringLiteral("my.css.css"), QStringLiteral("notes.txt")});
    frmDatabaseExplorer& w = OpenWindow();
    EXPECT_EQ(Captions(w.mnuSubTemplate), QStringList({QStringLiteral("0 Dummy"), QStringLiteral("1 my"), QStringLiteral("2 Professional yellow"),
                                                       QStringLiteral("3 Advanced Options")}));
    // The placeholder is never shown.
    QStringList shown;
    for (QAction* a : w.mnuTemplate->actions())
        if (a->isVisible()) shown << a->text();
    EXPECT_EQ(shown, QStringList({QStringLiteral("my"), QStringLiteral("Professional yellow"), QStringLiteral("Advanced Options")}));
    EXPECT_EQ(frmDatabaseExplorer::Button(w.tlbTemplate, QStringLiteral("Template"))->menu(), w.mnuTemplate);
}

TEST_F(Window, AMissingStylesFolderIsReported) {
    QDir(folder.file(QStringLiteral("styles"))).removeRecursively();
    OpenWindow();
    EXPECT_EQ(errors, QStringList({QStringLiteral("frmDatabaseExplorer.AddCSSFileNames: Path not found")}));
}

TEST_F(Window, SplitterBarsStopAtTheirLimitsAndLayOutThePanesOnRelease) {
    frmDatabaseExplorer& w = OpenWindow();
    w.resize(1000, 700);
    QCoreApplication::processEvents();
    const struct {
        float target, expected;
    } vertical[] = {{900, 1500}, {9000, 8000}, {4000, 4000}};
    for (const auto& c : vertical) {
        // Grab the bar 30 twips in, move the pointer by the distance to the target.
        w.pctSeperator_MouseDown(1, 0, 30, 100);
        w.pctSeperator_MouseMove(1, 0, 30 + (c.target - w.SeperatorLeft()), 100);
        EXPECT_EQ(w.SeperatorLeft(), c.expected) << c.target;
        EXPECT_TRUE(w.SplitterDragging());
        w.pctSeperator_MouseUp(1, 0, 0, 0);
        EXPECT_FALSE(w.SplitterDragging());
        EXPECT_EQ(w.trvMain->width(), int(c.expected / 15));
        EXPECT_EQ(w.ssRHPanel->x(), int((c.expected + 60) / 15));
        EXPECT_GT(w.ssRHPanel->width(), 0);
    }

    const struct {
        float target, expected;
    } horizontal[] = {{900, 1500}, {6500, 6000}, {3000, 3000}};
    for (const auto& c : horizontal) {
        w.pctHSeperator_MouseDown(1, 0, 100, 20);
        w.pctHSeperator_MouseMove(1, 0, 100, 20 + (c.target - w.HSeperatorTop()));
        EXPECT_EQ(w.HSeperatorTop(), c.expected) << c.target;
        w.pctHSeperator_MouseUp(1, 0, 0, 0);
        EXPECT_FALSE(w.SplitterDragging());
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// Both bars go where the pointer takes them, within their limits; near the far edge
// of the window the drag ends and the bar stays where it was.
TEST(PaneGeometry, ADraggedBarStaysInItsLimitsAndStopsNearTheFarEdge) {
    const struct {
        float mouse, grab, bar, extent, max;
        std::optional<float> expected;
    } cases[] = {
        {375, 30, 2655, 15000, 8000, 3000},       // moved by the pointer's travel
        {-2000, 30, 2655, 15000, 8000, 1500},     // not below the minimum
        {6000, 30, 2655, 15000, 8000, 8000},      // not beyond its maximum
        {7000, 0, 2430, 15000, 6000, 6000},       // the horizontal bar's own maximum
        {13500, 2655, 2655, 15000, 20000, std::nullopt},  // within 1500 of the far edge
        {13400, 2655, 2655, 15000, 20000, 13400},  // just short of it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PaneGeometry::DraggedBar(c.mouse, c.grab, c.bar, c.extent, c.max), c.expected) << c.mouse;
    }
}

TEST_F(Window, TheTreeKeepsItsShareOfTheWindowAsItIsResized) {
    frmDatabaseExplorer& w = OpenWindow();
    w.resize(1000, 700);
    QCoreApplication::processEvents();
    const auto share = [&] { return double(w.trvMain->width()) / w.centralWidget()->width(); };
    const double start = share();
    EXPECT_NEAR(start, 2655.0 / 11880.0, 0.01);
    // Dragging sets the share the window keeps.
    w.pctSeperator_MouseDown(1, 0, 30, 0);
    w.pctSeperator_MouseMove(1, 0, 30 + (4000 - w.SeperatorLeft()), 0);
    w.pctSeperator_MouseUp(1, 0, 0, 0);
    const double dragged = share();
    EXPECT_NEAR(dragged, 4000.0 / 15000.0, 0.01);
    for (const QSize size : {QSize(1600, 1000), QSize(700, 500), QSize(1000, 700)}) {
        w.resize(size);
        QCoreApplication::processEvents();
        EXPECT_NEAR(share(), dragged, 0.01) << size.width();
        const QRect panel = w.ssRHPanel->geometry();
        EXPECT_EQ(panel.left(), w.pctSeperator->geometry().right() + 1) << size.width();
        EXPECT_GE(panel.right(), w.centralWidget()->width() - 8) << size.width();
    }
    EXPECT_EQ(w.trvMain->width(), int(4000 / 15));
}

TEST_F(Window, MenuSeparatorsAreLinesWithoutText) {
    frmDatabaseExplorer& w = OpenWindow();
    int separators = 0;
    for (QMenu* menu : w.findChildren<QMenu*>()) {
        for (QAction* a : menu->actions()) {
            EXPECT_NE(a->text(), QStringLiteral("-")) << qPrintable(menu->objectName());
            if (a->isSeparator()) {
                ++separators;
                EXPECT_TRUE(a->text().isEmpty()) << qPrintable(a->objectName());
            }
        }
    }
    EXPECT_EQ(separators, 9);
}

TEST_F(Window, EveryMenuOfTheBarOpensWithItsAccessKey) {
    frmDatabaseExplorer& w = OpenWindow();
    QApplication::setActiveWindow(&w);
    const struct {
        Qt::Key key;
        QMenu* menu;
    } keys[] = {{Qt::Key_F, w.mnuApplication}, {Qt::Key_R, w.mnuReport}, {Qt::Key_Q, w.mnuMainQuery}, {Qt::Key_H, w.mnuHelp}};
    for (const auto& k : keys) {
        QTest::keyClick(&w, k.key, Qt::AltModifier);
        EXPECT_EQ(QApplication::activePopupWidget(), k.menu) << qPrintable(k.menu->title());
        if (QWidget* open = QApplication::activePopupWidget()) open->close();
    }
}

TEST_F(Window, TheWindowSeesExecuteAndHelpKeysBeforeItsControls) {
    frmDatabaseExplorer& w = OpenWindow();
    int executed = 0;
    QObject::connect(frmDatabaseExplorer::Button(w.tlbExecute, QStringLiteral("Execute")), &QToolButton::clicked, [&] { ++executed; });
    QApplication::setActiveWindow(&w);
    w.txtQuery->setFocus();
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : static_cast<QWidget*>(&w);

    Key(target, Qt::Key_F5);
    Key(target, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(executed, 0);  // tab 3 is disabled

    w.ssRHPanel->setTabEnabled(3, true);
    Key(target, Qt::Key_F5);
    Key(target, Qt::Key_E, Qt::ControlModifier);
    Key(target, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    Key(target, Qt::Key_E);
    EXPECT_EQ(executed, 2);

    Key(target, Qt::Key_F1);
    w.mnuSubHelp.value(0)->trigger();
    int help = 0;
    for (const auto& p : host->prompts) help += p.kind == QLatin1String("help");
    EXPECT_EQ(help, 2);
    EXPECT_EQ(host->prompts.last().text, gHelpFile + QStringLiteral("#0"));
    EXPECT_TRUE(host->messages().isEmpty());

    // No browser could show the page: the user is told where it is.
    host->helpOpens = false;
    Key(target, Qt::Key_F1);
    EXPECT_EQ(host->messages(), QStringList{QStringLiteral("The help page could not be opened in a browser. You can open it "
                                                           "yourself; it is at\r\n") + QDir::toNativeSeparators(gHelpFile)});
}

TEST_F(Window, ProgressShowsTheStatusAndClosingCancelsTheImport) {
    frmDatabaseExplorer& w = OpenWindow();
    const struct {
        const char* name;
        const char* status;
        qint16 increment;
        const char* message;
        const char* shown;
    } cases[] = {{"Customers", "Importing", 20, "", "Importing Customers"},
                 {"Sales", "Importing", 20, "Generating XML...", "Generating XML..."},
                 {"Sales", "Imported", 12, "XML generated...", "12 objects imported."},
                 {"Sales", "IMPORTED", 5, "", "5 objects imported."},
                 {" in Orders", "Checking for ", 20, "", "Checking for   in Orders"}};
    for (const auto& c : cases) {
        QString name = QLatin1String(c.name), type = QStringLiteral("Table"), status = QLatin1String(c.status),
                message = QLatin1String(c.message);
        qint16 increment = c.increment;
        bool cancel = true;
        w.oADO_WhileImporting(name, type, status, increment, message, cancel);
        EXPECT_FALSE(cancel);
        EXPECT_EQ(w.PanelText(1), QLatin1String(c.shown));
    }

    // A click on the close box waits in the queue until the next progress event.
    QPointer<frmDatabaseExplorer> window(&w);
    QCoreApplication::postEvent(&w, new QCloseEvent);
    QString name = QStringLiteral("Orders"), type = QStringLiteral("Table"), status = QStringLiteral("Importing"), message;
    qint16 increment = 20;
    bool cancel = false;
    w.oADO_WhileImporting(name, type, status, increment, message, cancel);
    EXPECT_TRUE(cancel);
    EXPECT_FALSE(frmDatabaseExplorer::exists());
    EXPECT_TRUE(QFileInfo::exists(HistoryFile::Path()));
    if (window) {
        EXPECT_TRUE(window->Closing());
    }
}

TEST_F(Window, TheBusyDisplayDisablesTheControlsWhileItRuns) {
    frmDatabaseExplorer& w = OpenWindow();
    w.ssRHPanel->setTabEnabled(2, true);
    w.ssRHPanel->setCurrentIndex(2);
    w.StartAnimation();
    EXPECT_EQ(w.ssRHPanel->currentIndex(), 0);
    EXPECT_TRUE(w.tmAnimate->isActive());
    EXPECT_TRUE(w.pctAnimation->isVisible());
    EXPECT_FALSE(w.trvMain->isEnabled());
    EXPECT_FALSE(w.tlbAdmin->isEnabled());
    for (QMenu* m : {w.mnuApplication, w.mnuMainQuery, w.mnuReport, w.mnuHelp}) EXPECT_FALSE(m->menuAction()->isEnabled());
    w.tmAnimate_Timer();
    EXPECT_EQ(w.wbAnimation->Step(), 1);
    w.StopAnimation();
    EXPECT_FALSE(w.tmAnimate->isActive());
    EXPECT_FALSE(w.pctAnimation->isVisible());
    EXPECT_TRUE(w.trvMain->isEnabled());
    EXPECT_TRUE(w.mnuHelp->menuAction()->isEnabled());
    EXPECT_EQ(w.wbAnimation->LocationURL(), QStringLiteral("about:blank"));

    // Without the picture nothing happens.
    QFile::remove(folder.file(QStringLiteral("images/gears.svg")));
    w.StartAnimation();
    EXPECT_FALSE(w.tmAnimate->isActive());
    EXPECT_TRUE(w.trvMain->isEnabled());
}

TEST_F(Window, SaveMenusSwitchesTheSaveCommands) {
    frmDatabaseExplorer& w = OpenWindow();
    w.SaveMenus(true);
    EXPECT_TRUE(frmDatabaseExplorer::Button(w.tlbAdmin, QStringLiteral("SaveReport"))->isEnabled());
    for (int i : {1, 2, 3}) EXPECT_TRUE(w.mnuSubReport.value(i)->isEnabled()) << i;
    for (int i : {1, 2}) EXPECT_TRUE(w.mnuSubFile.value(i)->isEnabled()) << i;
    w.SaveMenus(false);
    for (int i : {1, 2, 3}) EXPECT_FALSE(w.mnuSubReport.value(i)->isEnabled()) << i;
    EXPECT_TRUE(w.mnuSubReport.value(5)->isEnabled());
}

TEST_F(Window, AStructureFileConnectionIsShownAndFocused) {
    WriteHistory({{QStringLiteral("Sales")}, {}});
    frmDatabaseExplorer& w = OpenWindow();
    oStructureXML = Document(StructureXml(QStringLiteral("Shop"), {QStringLiteral("V1")}));
    gGroupIndex = 1;
    ASSERT_TRUE(w.GenerateLHXML());
    EXPECT_EQ(gConnectionIndex, 0);
    w.PopulateLHXML();
    QTreeWidgetItem* node = TreeNodes::FindByIndex(w.trvMain, w.iCurrentNodeIndex);
    ASSERT_TRUE(node);
    EXPECT_EQ(TreeNodes::Key(node), QStringLiteral("Shop|1|0"));
    w.FocusConnection();
    EXPECT_EQ(w.trvMain->currentItem(), node);

    // A structure without DatabaseName is reported and gives False.
    oStructureXML = Document(QStringLiteral("<DATABASE DatabaseType=\"9\"/>"));
    EXPECT_FALSE(w.GenerateLHXML());
    EXPECT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.value(0).startsWith(QStringLiteral("frmDatabaseExplorer.GenerateLHXML: ")));
    oStructureXML.reset();
}

TEST_F(Window, PanesFollowTheWindowAndNothingOverlaps) {
    WriteHistory({{QStringLiteral("Sales"), QStringLiteral("Stock")}, {QStringLiteral("sales")}});
    frmDatabaseExplorer& w = OpenWindow();
    oStructureXML = Document(StructureXml(QStringLiteral("Northwind"), {QStringLiteral("Invoices")}, {QStringLiteral("Ten Most Expensive")}));
    gGroupIndex = 0;
    w.GenerateLHXML();
    oStructureXML.reset();
    w.PopulateLHXML();
    for (QTreeWidgetItemIterator it(w.trvMain); *it; ++it)
        if (TreeNodes::Key(*it).startsWith(QStringLiteral("Tables|")) || TreeNodes::Key(*it).startsWith(QStringLiteral("Order Details|"))) (*it)->setExpanded(true);
    w.ssRHPanel->setTabEnabled(3, true);
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));

    const QString shots = QStringLiteral(MORVALEX_BINARY_DIR) + QStringLiteral("/screenshots");
    QDir().mkpath(shots);
    const struct {
        const char* name;
        QSize size;
    } sizes[] = {{"default", w.size()}, {"maximised", QSize(1600, 1000)}};
    for (const auto& s : sizes) {
        w.resize(s.size);
        for (int tab : {0, 3}) {
            w.ssRHPanel->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            // The panes fill the window side by side, inside it.
            QWidget* area = w.centralWidget();
            const QRect tree = w.trvMain->geometry(), bar = w.pctSeperator->geometry(), panel = w.ssRHPanel->geometry();
            EXPECT_TRUE(area->rect().contains(tree) && area->rect().contains(panel)) << s.name;
            EXPECT_LE(tree.right(), bar.left()) << s.name;
            EXPECT_LT(bar.right(), panel.left()) << s.name;
            EXPECT_GE(panel.right(), area->width() - 8) << s.name;
            EXPECT_EQ(tree.height(), area->height()) << s.name;
            if (tab == 3) {
                QWidget* page = w.ssRHPanel->currentWidget();
                const QList<QWidget*> parts = {w.lblCurrentDatabaseName, w.pctTools, w.txtQuery, w.pctHSeperator, w.ssQueryResult};
                for (int i = 0; i < parts.size(); ++i) {
                    EXPECT_TRUE(page->rect().contains(parts[i]->geometry())) << s.name << " " << qPrintable(parts[i]->objectName());
                    for (int j = i + 1; j < parts.size(); ++j)
                        EXPECT_FALSE(parts[i]->geometry().intersects(parts[j]->geometry()))
                            << s.name << " " << qPrintable(parts[i]->objectName()) << " " << qPrintable(parts[j]->objectName());
                }
                EXPECT_GT(w.txtQuery->height(), 50) << s.name;
                EXPECT_GT(w.ssQueryResult->height(), 100) << s.name;
            } else {
                EXPECT_TRUE(w.lsvDescription->isVisible());
                EXPECT_FALSE(w.lblListTitle->geometry().intersects(w.lsvDescription->geometry()));
            }
            const QString file = shots + QStringLiteral("/explorer-%1-tab%2.png").arg(QLatin1String(s.name)).arg(tab);
            EXPECT_TRUE(w.grab().save(file)) << qPrintable(file);
        }
    }
}
