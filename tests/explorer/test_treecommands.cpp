// The tree's context menus: removing connections and groups with the renumbering of
// the tree document, the right click and the menu key on every level, the commands
// behind the four menus (questions, expand and collapse, copy names), what stays
// current after a removal, and the history written at close. Screenshots of the four
// menus go under the build folder.

#include "ExplorerFixture.h"
#include "core/TreeFill.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/HistoryFile.h"
#include "explorer/NodeSelection.h"
#include "explorer/TreeDocument.h"
#include "explorer/TreeMaintenance.h"
#include "explorer/frmDatabaseGroup.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

using namespace Qt::StringLiterals;

using namespace bGlobal;
using explorertest::Document;
using explorertest::StructureXml;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << qPrintable(s) << '"'; }
QT_END_NAMESPACE

namespace {

using Groups = QList<std::pair<QString, QStringList>>;

// A tree document of the given groups and connections, each connection read from a
// structure document (StructureXml of its name), built as the program builds it.
// It becomes oLHXML. With temporary copies, each connection's structure is also saved
// as its temporary file, so selecting it loads it.
std::shared_ptr<cXML> BuildTree(const Groups& groups, bool withTempFiles = false) {
    auto doc = std::make_shared<cXML>();
    oLHXML = doc;
    for (int g = 0; g < groups.size(); ++g) {
        TreeDocument::AddGroup(*doc, groups[g].first);
        for (const QString& name : groups[g].second) {
            gGroupIndex = qint16(g);
            auto structure = Document(StructureXml(name));
            TreeDocument::AddFileConnection(*doc, *structure);
            if (withTempFiles) {
                oStructureXML = structure;
                SaveTempFile();
            }
        }
    }
    // No connection is current yet.
    oStructureXML.reset();
    gGroupIndex = 0;
    gConnectionIndex = -1;
    return doc;
}

// The document's text without the times it was made at and the temporary paths.
QString Normalized(cXML& doc) {
    QString text = doc.GetXMLContent();
    text.remove(QRegularExpression(QStringLiteral(" (CreatedOn|TempXMLFileName)=\"[^\"]*\"")));
    return text;
}

struct Maintenance : explorertest::Fixture {};

TEST_F(Maintenance, RemovalsRenumberWhatStaysAsIfItHadBeenBuiltSo) {
    const QStringList three = {QStringLiteral("Alpha"), QStringLiteral("P|Q"), QStringLiteral("Gamma")};
    const Groups before = {{QStringLiteral("First"), {QStringLiteral("X")}},
                           {QStringLiteral("Second"), three},
                           {QStringLiteral("Third"), {QStringLiteral("Y"), QStringLiteral("Z")}}};
    const auto without = [&](int g, int c) {
        Groups out = before;
        if (c < 0)
            out.removeAt(g);
        else
            out[g].second.removeAt(c);
        return out;
    };
    const struct {
        const char* name;
        int g, c;  // c < 0: the group
        Groups after;
    } cases[] = {
        {"first of three connections", 1, 0, without(1, 0)},
        {"middle of three connections", 1, 1, without(1, 1)},
        {"last of three connections", 1, 2, without(1, 2)},
        {"first of three groups", 0, -1, without(0, -1)},
        {"middle of three groups", 1, -1, without(1, -1)},
        {"a connection that is not there", 1, 7, before},
        {"a group that is not there", 5, -1, before},
    };
    for (const auto& k : cases) {
        auto tree = BuildTree(before);
        if (k.c < 0)
            TreeMaintenance::DeleteDBGroup(*tree, k.g);
        else
            TreeMaintenance::DeleteConnection(*tree, k.g, k.c);
        const QString renumbered = Normalized(*tree);
        EXPECT_EQ(renumbered, Normalized(*BuildTree(k.after))) << k.name;
    }

    // Spot checks of the form: after the first of three connections went.
    auto tree = BuildTree(before);
    TreeMaintenance::DeleteConnection(*tree, 1, 0);
    const XmlNode moved = tree->FindNode(TreeDocument::ConnectionPath(1, 1));
    EXPECT_EQ(moved.attribute(QStringLiteral("RHXPath")), QStringLiteral("3.1"));
    EXPECT_EQ(moved.attribute(QStringLiteral("Key")), QStringLiteral("Gamma|1|1"));
    EXPECT_EQ(moved.selectSingleNode(QStringLiteral("TABLES/TABLE[3]/INDEXES/INDEX[1]")).attribute(QStringLiteral("Key")),
              QStringLiteral("IX_OD|1|1|3|1"));

    TreeMaintenance::DeleteAllDBGroups(*tree);
    EXPECT_TRUE(tree->FindNode(QStringLiteral("/DATABASESTRUCTURES")));
    EXPECT_EQ(tree->GetNodes(QStringLiteral("/DATABASESTRUCTURES/*")).size(), 0);
    EXPECT_EQ(TreeMaintenance::GroupCount(*tree), 0);
}

TEST_F(Maintenance, RemovingAConnectionsChildrenLeavesTheConnection) {
    auto tree = BuildTree({{QStringLiteral("G"), {QStringLiteral("A")}}});
    const QString path = TreeDocument::ConnectionPath(0, 0);
    ASSERT_GT(tree->FindNode(path).childElements().size(), 0);
    TreeMaintenance::RemoveConnChildren(*tree, path);
    EXPECT_FALSE(tree->FindNode(path).hasChildNodes());
    EXPECT_EQ(tree->FindNode(path).attribute(QStringLiteral("Name")), QStringLiteral("A"));
    TreeMaintenance::RemoveConnChildren(*tree, TreeDocument::ConnectionPath(0, 4));  // none there: nothing
}

TEST_F(Maintenance, TagsChooseTheMenuAndTableEntries) {
    const struct {
        QString tag;
        int level;
        bool table;
    } cases[] = {
        {QString(), 0, false},
        {QStringLiteral("0"), 0, false},
        {QStringLiteral("1"), 1, false},
        {QStringLiteral("2.6"), 2, false},
        {QStringLiteral("3.5"), 3, false},
        {QStringLiteral("4"), 4, false},
        {QStringLiteral("5.2"), 4, false},
        {QStringLiteral("9"), 4, false},
        {QStringLiteral("DATABASE/TABLE[2]"), 4, true},
        {QStringLiteral("DATABASE/TABLE[2]/INDEX[0]"), 4, false},
        {QStringLiteral("DATABASE/TABLE[2]/TRIGGER[0]"), 4, false},
        {QStringLiteral("DATABASE/TABLE[2]/FOREIGNKEY[1]"), 4, false},
        {QStringLiteral("DATABASE/VIEW[0]"), 4, false},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(NodeSelection::DecodeNode(QString(), k.tag).MenuLevel(), k.level) << qPrintable(k.tag);
        EXPECT_EQ(TreeMaintenance::IsTableEntry(k.tag), k.table) << qPrintable(k.tag);
    }
}

// ---- the window -------------------------------------------------------------------------

struct Commands : explorertest::Fixture {
    frmDatabaseExplorer* w = nullptr;
    QList<std::tuple<qint16, qint16, QString>> migrations;

    void SetUp() override {
        Fixture::SetUp();
        w = &OpenWindow();
        frmDatabaseExplorer::ShowMigrationWizard.Provide([this](qint16 g, qint16 c, const QString& table) {
            migrations.append({g, c, table});
        });
    }
    void TearDown() override {
        frmDatabaseExplorer::ShowMigrationWizard.Provide({});
        Fixture::TearDown();
    }

    void Show(const Groups& groups) {
        BuildTree(groups, true);
        w->PopulateLHXML();
        // As a user first sees it: the groups open, the connections closed.
        for (QTreeWidgetItemIterator it(w->trvMain); *it; ++it) (*it)->setExpanded(!(*it)->parent() || !(*it)->parent()->parent());
        ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    }
    QTreeWidgetItem* Node(const QString& key) { return TreeNodes::FindByKey(w->trvMain, key); }
    QPoint PointOf(QTreeWidgetItem* node) {
        TreeNodes::EnsureVisible(node);
        w->trvMain->scrollToItem(node);
        return w->trvMain->visualItemRect(node).center();
    }
    // Right-clicks the node and tells which popup opened (0: none).
    int RightClick(const QString& key) {
        QTreeWidgetItem* node = Node(key);
        EXPECT_TRUE(node) << qPrintable(key);
        if (!node) return -1;
        CloseMenus();
        w->trvMain_MouseDown(2, 0, PointOf(node));
        return OpenMenu();
    }
    int OpenMenu() {
        int open = 0;
        for (int i = 1; i <= 4; ++i)
            if (w->mnuLevel[i]->isVisible()) open = open ? -1 : i;
        return open;
    }
    void CloseMenus() {
        for (int i = 1; i <= 4; ++i) w->mnuLevel[i]->hide();
    }
    // The visible items: "+" enabled, "-" disabled, then the caption.
    static QStringList State(const frmDatabaseExplorer::MenuItems& items) {
        QStringList out;
        for (QAction* a : items)
            if (!a->isSeparator() && a->isVisible()) out << (a->isEnabled() ? QStringLiteral("+") : QStringLiteral("-")) + a->text();
        return out;
    }
    QStringList Labels() {
        QStringList out;
        for (QTreeWidgetItemIterator it(w->trvMain); *it; ++it) out << (*it)->text(0);
        return out;
    }
    QStringList Expanded() {
        QStringList out;
        for (QTreeWidgetItemIterator it(w->trvMain); *it; ++it)
            if ((*it)->isExpanded()) out << TreeNodes::Key(*it);
        return out;
    }
    bool Enabled(const char* button) { return frmDatabaseExplorer::Button(w->tlbAdmin, QLatin1String(button))->isEnabled(); }
    // The names the Details list shows, in order.
    QStringList Listed() {
        QStringList out;
        for (int i = 0; i < w->lsvDescription->topLevelItemCount(); ++i) out << w->lsvDescription->topLevelItem(i)->text(0);
        return out;
    }
};

const Groups kShop = {{QStringLiteral("Morvalex Group"), {QStringLiteral("North"), QStringLiteral("South"), QStringLiteral("East")}},
                      {QStringLiteral("Second"), {QStringLiteral("West")}},
                      {QStringLiteral("Empty"), {}}};

TEST_F(Commands, EachLevelOpensItsMenuWithTheCommandsThatFit) {
    Show(kShop);
    const QString north = QStringLiteral("North|0|0");
    const struct {
        QString key;
        int menu;
        QStringList state;  // of that menu
    } cases[] = {
        {QStringLiteral("Database Structures"), 1,
         {u"+New &Group"_s, u"+&Remove All Groups"_s, u"-&Expand All Groups"_s, u"+&Collapse All Groups"_s}},
        {QStringLiteral("Second"), 2,
         {u"+New Database &Structure"_s, u"+Re&name Group"_s, u"+&Remove"_s, u"-&Expand All"_s, u"+C&ollapse All"_s, u"+&Copy Names"_s}},
        {north, 3, {u"+Re&fresh"_s, u"+&Remove"_s, u"+E&xpand All"_s, u"-C&ollapse All"_s, u"+&Migrate"_s, u"+&Properties"_s}},
        {QStringLiteral("Order Details|0|0|3"), 4,
         {u"+E&xpand All"_s, u"-C&ollapse All"_s, u"+Copy &Names"_s, u"+&Migrate"_s, u"+Open &All Rows"_s}},
        {QStringLiteral("PK_OD|0|0|3|0"), 4, {u"-E&xpand All"_s, u"-C&ollapse All"_s, u"+Copy &Names"_s, u"-&Migrate"_s, u"-Open &All Rows"_s}},
        {QStringLiteral("Tables|0|0"), 4, {u"-E&xpand All"_s, u"+C&ollapse All"_s, u"+Copy &Names"_s, u"-&Migrate"_s, u"-Open &All Rows"_s}},
        {QStringLiteral("Indexes|0|0|3"), 4, {u"-E&xpand All"_s, u"+C&ollapse All"_s, u"+Copy &Names"_s, u"-&Migrate"_s, u"-Open &All Rows"_s}},
        {QStringLiteral("NoItem_Empty"), 0, {}},
    };
    const frmDatabaseExplorer::MenuItems* menus[] = {nullptr, &w->mnuSubLevel1, &w->mnuSubLevel2, &w->mnuSubLevel3,
                                                     &w->mnuSubLevel4};
    for (const auto& k : cases) {
        EXPECT_EQ(RightClick(k.key), k.menu) << qPrintable(k.key);
        EXPECT_EQ(w->trvMain->currentItem(), Node(k.key)) << qPrintable(k.key);
        EXPECT_EQ(w->iCurrentNodeIndex, TreeNodes::Index(Node(k.key))) << qPrintable(k.key);
        if (k.menu > 0) {
            EXPECT_EQ(State(*menus[k.menu]), k.state) << qPrintable(k.key);
        }
    }
    // The connection's menu made it current, with its type.
    RightClick(QStringLiteral("South|0|1"));
    EXPECT_EQ(std::pair(gGroupIndex, gConnectionIndex), std::pair(qint16(0), qint16(1)));
    EXPECT_EQ(gDatabaseType, 9);

    // Beside all nodes: nothing.
    QTreeWidgetItem* before = w->trvMain->currentItem();
    CloseMenus();
    w->trvMain_MouseDown(2, 0, QPoint(5, w->trvMain->viewport()->height() - 2));
    EXPECT_EQ(OpenMenu(), 0);
    EXPECT_EQ(w->trvMain->currentItem(), before);
    // The left button opens no menu.
    w->trvMain_MouseDown(1, 0, PointOf(Node(north)));
    EXPECT_EQ(OpenMenu(), 0);
    CloseMenus();
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Commands, TheRightClickSetsTheFileMenuAndToolbarByLevel) {
    Show(kShop);
    const struct {
        QString key;
        bool save, newGroup, newDatabase;
    } cases[] = {
        {QStringLiteral("Database Structures"), false, true, false},
        {QStringLiteral("Second"), false, false, true},
        {QStringLiteral("West|1|0"), true, false, true},  // loaded: the saves; the rest as it was
    };
    for (const auto& k : cases) {
        RightClick(k.key);
        EXPECT_EQ(w->mnuSubFile.value(1)->isEnabled(), k.save) << qPrintable(k.key);
        EXPECT_EQ(w->mnuSubFile.value(2)->isEnabled(), k.save) << qPrintable(k.key);
        EXPECT_EQ(w->mnuSubFile.value(4)->isEnabled(), k.newGroup) << qPrintable(k.key);
        EXPECT_EQ(w->mnuSubFile.value(5)->isEnabled(), k.newDatabase) << qPrintable(k.key);
        EXPECT_EQ(Enabled("NewGroup"), k.newGroup) << qPrintable(k.key);
        EXPECT_EQ(Enabled("NewDatabase"), k.newDatabase) << qPrintable(k.key);
    }
    CloseMenus();
}

TEST_F(Commands, ASingleGroupCannotBeRemovedNorASingleConnectionMigrated) {
    Show({{QStringLiteral("Only"), {QStringLiteral("Lone")}}});
    ASSERT_EQ(RightClick(QStringLiteral("Only")), 2);
    EXPECT_FALSE(w->mnuSubLevel2.value(2)->isEnabled());
    ASSERT_EQ(RightClick(QStringLiteral("Lone|0|0")), 3);
    EXPECT_FALSE(w->mnuSubLevel3.value(6)->isEnabled());
    // Without the migration wizard no Migrate is offered.
    Show(kShop);
    frmDatabaseExplorer::ShowMigrationWizard.Provide({});
    ASSERT_EQ(RightClick(QStringLiteral("North|0|0")), 3);
    EXPECT_FALSE(w->mnuSubLevel3.value(6)->isEnabled());
    ASSERT_EQ(RightClick(QStringLiteral("Customers|0|0|0")), 4);
    EXPECT_FALSE(w->mnuSubLevel4.value(4)->isEnabled());
    CloseMenus();
}

TEST_F(Commands, TheRightButtonTheMenuKeyAndShiftF10OpenTheMenu) {
    Show(kShop);
    QTreeWidgetItem* west = Node(QStringLiteral("West|1|0"));
    const QPoint at = PointOf(west);
    QMouseEvent right(QEvent::MouseButtonPress, at, w->trvMain->viewport()->mapToGlobal(at), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w->trvMain->viewport(), &right);
    EXPECT_EQ(OpenMenu(), 3);
    EXPECT_EQ(w->trvMain->currentItem(), west);
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        int menu;
    } keys[] = {{Qt::Key_Menu, Qt::NoModifier, 3}, {Qt::Key_F10, Qt::ShiftModifier, 3}, {Qt::Key_F10, Qt::NoModifier, 0}};
    for (const auto& k : keys) {
        CloseMenus();
        w->trvMain->setCurrentItem(Node(QStringLiteral("South|0|1")));
        QKeyEvent press(QEvent::KeyPress, k.key, k.modifiers);
        QApplication::sendEvent(w->trvMain, &press);
        EXPECT_EQ(OpenMenu(), k.menu) << k.key;
    }
    EXPECT_EQ(gConnectionIndex, 1);
    CloseMenus();
}

TEST_F(Commands, RemovalsRenumberTheTreeAndLeaveNoStaleConnection) {
    const struct {
        const char* name;
        QString key;    // right-clicked
        int menu, item; // the command
        QStringList labels;  // top levels of the tree after it: groups and their connections
        QString current;     // key of the current node after it
        QStringList listed;  // the Details list after it: what the current node holds
    } cases[] = {
        {"first connection", QStringLiteral("North|0|0"), 3, 2,
         {u"Morvalex Group"_s, u"South"_s, u"East"_s, u"Second"_s, u"West"_s, u"Empty"_s, u"(No Item)"_s}, QStringLiteral("Morvalex Group"),
         {u"South"_s, u"East"_s}},
        {"middle connection", QStringLiteral("South|0|1"), 3, 2,
         {u"Morvalex Group"_s, u"North"_s, u"East"_s, u"Second"_s, u"West"_s, u"Empty"_s, u"(No Item)"_s}, QStringLiteral("Morvalex Group"),
         {u"North"_s, u"East"_s}},
        {"last connection", QStringLiteral("East|0|2"), 3, 2,
         {u"Morvalex Group"_s, u"North"_s, u"South"_s, u"Second"_s, u"West"_s, u"Empty"_s, u"(No Item)"_s}, QStringLiteral("Morvalex Group"),
         {u"North"_s, u"South"_s}},
        {"first group", QStringLiteral("Morvalex Group"), 2, 2, {u"Second"_s, u"West"_s, u"Empty"_s, u"(No Item)"_s},
         QStringLiteral("Database Structures"), {u"Second"_s, u"Empty"_s}},
        {"all groups", QStringLiteral("Database Structures"), 1, 3, {}, QStringLiteral("Database Structures"), {}},
    };
    for (const auto& k : cases) {
        Show(kShop);
        // The connection shown on the right is the one that goes (or one in the group).
        w->trvMain_NodeClick(Node(k.menu == 3 ? k.key : QStringLiteral("North|0|0")));
        ASSERT_TRUE(oStructureXML) << k.name;
        ASSERT_GT(w->lsvDescription->topLevelItemCount(), 0) << k.name;
        ASSERT_EQ(RightClick(k.key), k.menu) << k.name;
        host->answers.enqueue(platform::ui::Answer::Yes);
        if (k.menu == 1) w->mnuSubLevel1_Click(k.item);
        if (k.menu == 2) w->mnuSubLevel2_Click(k.item);
        if (k.menu == 3) w->mnuSubLevel3_Click(k.item);
        ASSERT_TRUE(errors.isEmpty()) << k.name << qPrintable(errors.join(QLatin1Char('\n')));

        QStringList shown;
        QTreeWidgetItem* root = w->trvMain->topLevelItem(0);
        ASSERT_TRUE(root) << k.name;
        for (int g = 0; g < root->childCount(); ++g) {
            shown << root->child(g)->text(0);
            for (int c = 0; c < root->child(g)->childCount(); ++c) shown << root->child(g)->child(c)->text(0);
        }
        EXPECT_EQ(shown, k.labels) << k.name;
        // Every node's Key and Tag agree with its place.
        for (int g = 0; g < root->childCount(); ++g) {
            QTreeWidgetItem* group = root->child(g);
            EXPECT_EQ(TreeNodes::Tag(group), QStringLiteral("2.%1").arg(g)) << k.name;
            for (int c = 0; c < group->childCount(); ++c) {
                QTreeWidgetItem* connection = group->child(c);
                if (connection->text(0) == QLatin1String("(No Item)")) continue;
                EXPECT_EQ(TreeNodes::Tag(connection), QStringLiteral("3.%1").arg(c)) << k.name;
                EXPECT_EQ(TreeNodes::Key(connection), connection->text(0) + QStringLiteral("|%1|%2").arg(g).arg(c)) << k.name;
            }
        }
        // Nothing of the removed connection is current or shown.
        EXPECT_EQ(gConnectionIndex, -1) << k.name;
        EXPECT_FALSE(oStructureXML) << k.name;
        EXPECT_TRUE(gDatabaseName.isEmpty() && gServerName.isEmpty() && gPreviewXPath.isEmpty()) << k.name;
        EXPECT_EQ(Listed(), k.listed) << k.name;
        EXPECT_FALSE(w->lsvDescription->isHidden()) << k.name;
        EXPECT_TRUE(w->txtSQLScript->toPlainText().isEmpty()) << k.name;
        EXPECT_EQ(w->wbReport->LocationURL(), QStringLiteral("about:blank")) << k.name;
        EXPECT_FALSE(w->ssRHPanel->isTabEnabled(1)) << k.name;
        EXPECT_EQ(TreeNodes::Key(w->trvMain->currentItem()), k.current) << k.name;
        EXPECT_EQ(TreeNodes::Key(TreeNodes::FindByIndex(w->trvMain, w->iCurrentNodeIndex)), k.current) << k.name;
    }
}

TEST_F(Commands, TheConnectionThatMovesIntoARemovedPlaceShowsItsOwnStructure) {
    Show(kShop);
    w->trvMain_NodeClick(Node(QStringLiteral("North|0|0")));
    ASSERT_EQ(oStructureXML->FindNode(QStringLiteral("DATABASE")).attribute(QStringLiteral("Name")), QStringLiteral("North"));
    RightClick(QStringLiteral("North|0|0"));
    host->answers.enqueue(platform::ui::Answer::Yes);
    w->mnuSubLevel3_Click(2);
    // South now stands at 0|0, where North was current.
    w->trvMain_NodeClick(Node(QStringLiteral("South|0|0")));
    ASSERT_TRUE(oStructureXML);
    EXPECT_EQ(oStructureXML->FindNode(QStringLiteral("DATABASE")).attribute(QStringLiteral("Name")), QStringLiteral("South"));
    EXPECT_EQ(gDatabaseName, QStringLiteral("South"));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// After a group is named, through the group dialog as a user names it, the tree keeps
// the node the user was at and the Details list shows what that node holds now.
TEST_F(Commands, NamingAGroupLeavesTheDetailsListShowingTheSelection) {
    const QString root = QStringLiteral("Database Structures");
    const struct {
        const char* name;
        QString shown;    // left-clicked first: what the list shows
        QString clicked;  // right-clicked for its menu ("" for the File menu)
        int menu, item;
        QString typed;
        QString current;     // key of the current node after it
        QStringList listed;  // the list after it ("" for as before)
    } cases[] = {
        {"new group from the root's menu", root, root, 1, 0, QStringLiteral("Fourth"), root,
         {u"Morvalex Group"_s, u"Second"_s, u"Empty"_s, u"Fourth"_s}},
        {"new group from the File menu beside a connection", QStringLiteral("North|0|0"), QString(), 0, 4,
         QStringLiteral("Fourth"), QStringLiteral("North|0|0"), {}},
        {"renamed group", root, QStringLiteral("Second"), 2, 1, QStringLiteral("Renamed"), QStringLiteral("Renamed"), {u"West"_s}},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        Show(kShop);
        w->trvMain->setCurrentItem(Node(k.shown));  // as a click selects it
        w->trvMain_NodeClick(Node(k.shown));
        const QStringList before = Listed();
        ASSERT_FALSE(before.isEmpty());
        host->onModal = [&](QObject* window) {
            auto* dialog = qobject_cast<frmDatabaseGroup*>(window);
            ASSERT_TRUE(dialog);
            dialog->txtGroupName->setText(k.typed);
            dialog->cmdOK->click();
        };
        if (k.menu == 0) w->mnuSubFile_Click(k.item);
        else ASSERT_EQ(RightClick(k.clicked), k.menu);
        if (k.menu == 1) w->mnuSubLevel1_Click(k.item);
        if (k.menu == 2) w->mnuSubLevel2_Click(k.item);
        host->onModal = nullptr;
        CloseMenus();
        ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        ASSERT_TRUE(Labels().contains(k.typed));
        EXPECT_EQ(TreeNodes::Key(w->trvMain->currentItem()), k.current);
        EXPECT_EQ(TreeNodes::Key(TreeNodes::FindByIndex(w->trvMain, w->iCurrentNodeIndex)), k.current);
        EXPECT_EQ(Listed(), k.listed.isEmpty() ? before : k.listed);
        EXPECT_EQ(w->PanelText(1), w->trvMain->currentItem() ? w->trvMain->currentItem()->text(0) : QString());
    }
}

TEST_F(Commands, AnsweringNoChangesNothing) {
    const struct {
        QString key;
        int menu, item;
        QString question;
    } cases[] = {
        {QStringLiteral("South|0|1"), 3, 2, QStringLiteral("Are you sure you want to delete this connection?")},
        {QStringLiteral("Second"), 2, 2, QStringLiteral("Are you sure you want to delete this group?")},
        {QStringLiteral("Database Structures"), 1, 3, QStringLiteral("Are you sure you want to delete all groups?")},
    };
    for (const auto& k : cases) {
        Show(kShop);
        Node(QStringLiteral("Order Details|0|1|3"))->setExpanded(true);
        TreeNodes::EnsureVisible(Node(QStringLiteral("Order Details|0|1|3")));
        w->trvMain_NodeClick(Node(QStringLiteral("South|0|1")));
        RightClick(k.key);
        const QString document = oLHXML->GetXMLContent();
        const QStringList expanded = Expanded();
        const QStringList labels = Labels();
        QTreeWidgetItem* current = w->trvMain->currentItem();
        const auto globals = std::tuple(gGroupIndex, gConnectionIndex, gDatabaseName, oStructureXML.get());
        const int listed = w->lsvDescription->topLevelItemCount();

        host->prompts.clear();
        host->answers.enqueue(platform::ui::Answer::No);
        if (k.menu == 1) w->mnuSubLevel1_Click(k.item);
        if (k.menu == 2) w->mnuSubLevel2_Click(k.item);
        if (k.menu == 3) w->mnuSubLevel3_Click(k.item);
        ASSERT_EQ(host->prompts.size(), 1) << qPrintable(k.key);
        EXPECT_EQ(host->prompts[0].text, k.question);
        EXPECT_EQ(host->prompts[0].title, QStringLiteral("Morvalex 4.0"));
        EXPECT_EQ(host->prompts[0].icon, platform::ui::Icon::Question);
        EXPECT_EQ(host->prompts[0].buttons, platform::ui::Buttons::YesNo);
        EXPECT_EQ(oLHXML->GetXMLContent(), document) << qPrintable(k.key);
        EXPECT_EQ(Expanded(), expanded) << qPrintable(k.key);
        EXPECT_EQ(Labels(), labels) << qPrintable(k.key);
        EXPECT_EQ(w->trvMain->currentItem(), current) << qPrintable(k.key);
        EXPECT_EQ(std::tuple(gGroupIndex, gConnectionIndex, gDatabaseName, oStructureXML.get()), globals) << qPrintable(k.key);
        EXPECT_EQ(w->lsvDescription->topLevelItemCount(), listed) << qPrintable(k.key);
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Commands, CopyNamesPutsTheChildLabelsLastFirstOnTheClipboard) {
    Show(kShop);
    const struct {
        QString key;
        int menu;
        QString text;
    } cases[] = {
        {QStringLiteral("Tables|0|0"), 4, QStringLiteral("Order Details\r\nProducts\r\nOrders\r\nCustomers")},
        {QStringLiteral("Morvalex Group"), 2, QStringLiteral("East\r\nSouth\r\nNorth")},
        {QStringLiteral("Customers|0|0|0"), 4, QString()},  // no children: an empty text
    };
    for (const auto& k : cases) {
        host->clipboard = QStringLiteral("old");
        ASSERT_EQ(RightClick(k.key), k.menu);
        if (k.menu == 2) w->mnuSubLevel2_Click(5);
        if (k.menu == 4) w->mnuSubLevel4_Click(2);
        EXPECT_EQ(host->clipboard, k.text) << qPrintable(k.key);
    }
    CloseMenus();
}

TEST_F(Commands, ExpandAllOpensEveryNodeBelowAndCollapseAllClosesThemAndTheNode) {
    Show(kShop);
    const auto withChildren = [&](QTreeWidgetItem* top) {
        QStringList out;
        for (QTreeWidgetItemIterator it(w->trvMain); *it; ++it) {
            bool below = false;
            for (QTreeWidgetItem* p = *it; p; p = p->parent()) below = below || p == top;
            if (below && (*it)->childCount() > 0) out << TreeNodes::Key(*it);
        }
        return out;
    };
    QTreeWidgetItem* root = w->trvMain->topLevelItem(0);
    RightClick(QStringLiteral("Database Structures"));
    w->mnuSubLevel1_Click(4);
    EXPECT_EQ(Expanded(), withChildren(root));
    // A connection: its subtree closes and so does the connection; the rest stays.
    QTreeWidgetItem* south = Node(QStringLiteral("South|0|1"));
    RightClick(QStringLiteral("South|0|1"));
    w->mnuSubLevel3_Click(4);
    for (const QString& key : withChildren(south)) EXPECT_FALSE(Node(key)->isExpanded()) << qPrintable(key);
    EXPECT_TRUE(Node(QStringLiteral("North|0|0"))->isExpanded());
    RightClick(QStringLiteral("South|0|1"));
    w->mnuSubLevel3_Click(3);
    for (const QString& key : withChildren(south)) EXPECT_TRUE(Node(key)->isExpanded()) << qPrintable(key);
    RightClick(QStringLiteral("Database Structures"));
    w->mnuSubLevel1_Click(5);
    EXPECT_EQ(Expanded(), QStringList());
    CloseMenus();
}

TEST_F(Commands, MigrateHandsTheConnectionAndTheTableToTheWizard) {
    Show(kShop);
    RightClick(QStringLiteral("South|0|1"));
    w->mnuSubLevel3_Click(6);
    RightClick(QStringLiteral("Orders|1|0|1"));  // a table of West
    w->mnuSubLevel4_Click(4);
    ASSERT_EQ(migrations.size(), 2);
    EXPECT_EQ(migrations[0], std::tuple(qint16(0), qint16(1), QString()));
    EXPECT_EQ(migrations[1], std::tuple(qint16(1), qint16(0), QStringLiteral("Orders")));
    CloseMenus();
}

TEST_F(Commands, TheHistoryWrittenAtCloseReadsBackToTheTreeLeftByARemoval) {
    Show(kShop);
    RightClick(QStringLiteral("South|0|1"));
    host->answers.enqueue(platform::ui::Answer::Yes);
    w->mnuSubLevel3_Click(2);
    RightClick(QStringLiteral("Second"));
    host->answers.enqueue(platform::ui::Answer::Yes);
    w->mnuSubLevel2_Click(2);
    ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    const QStringList shown = [&] {
        QStringList out;
        for (QTreeWidgetItemIterator it(w->trvMain, QTreeWidgetItemIterator::All); *it; ++it)
            if (!(*it)->parent() || !(*it)->parent()->parent() || !(*it)->parent()->parent()->parent())
                out << TreeNodes::Key(*it) + QLatin1Char(' ') + TreeNodes::Tag(*it);
        return out;
    }();
    w->Unload();

    cXML history, tree;
    ASSERT_EQ(HistoryFile::Load(history, tree).found, HistoryFile::Found::Read);
    QStringList read{QStringLiteral("Database Structures 1")};
    for (const XmlNode& group : tree.GetNodes(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP"))) {
        read << group.attribute(QStringLiteral("Key")) + QLatin1Char(' ') + group.attribute(QStringLiteral("RHXPath"));
        for (const XmlNode& c : group.childElements())
            read << c.attribute(QStringLiteral("Key")) + QLatin1Char(' ') + c.attribute(QStringLiteral("RHXPath"));
        if (group.childElements().isEmpty()) read << QStringLiteral("NoItem_") + group.attribute(QStringLiteral("Key")) + QLatin1Char(' ');
    }
    EXPECT_EQ(read, shown);
    EXPECT_EQ(read, QStringList({u"Database Structures 1"_s, u"Morvalex Group 2.0"_s, u"North|0|0 3.0"_s, u"East|0|1 3.1"_s, u"Empty 2.1"_s,
                                 u"NoItem_Empty "_s}));
}

TEST_F(Commands, ScreenshotsOfTheFourMenus) {
    Show(kShop);
    const QString shots = QStringLiteral(MORVALEX_BINARY_DIR) + QStringLiteral("/screenshots");
    QDir().mkpath(shots);
    const char* keys[] = {"Database Structures", "Second", "North|0|0", "Orders|0|0|1"};
    for (int level = 1; level <= 4; ++level) {
        ASSERT_EQ(RightClick(QLatin1String(keys[level - 1])), level);
        QMenu* menu = w->mnuLevel[level];
        QCoreApplication::processEvents();
        const QString file = shots + QStringLiteral("/tree-menu-level%1.png").arg(level);
        EXPECT_TRUE(menu->grab().save(file)) << qPrintable(file);
    }
    CloseMenus();
}

}  // namespace
