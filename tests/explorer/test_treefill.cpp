// Tree filling (DisplayNodes) and the widget-free tree routines of bGlobal.

#include "ExplorerFixture.h"
#include "core/TreeFill.h"
#include "core/TreeSearch.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <functional>

using namespace bGlobal;
using explorertest::Document;

namespace {

struct TreeFill : explorertest::Fixture {};

// A window as DisplayNodes sees one: its name, a tree "trvMain" and, on the main
// window, the image list "imlTreeIcons" and the property iCurrentNodeIndex.
struct Window {
    QWidget widget;
    QTreeWidget* tree;
    explicit Window(const QString& name) {
        widget.setObjectName(name);
        tree = new QTreeWidget(&widget);
        tree->setObjectName(QStringLiteral("trvMain"));
        auto* images = new ImageList(&widget);
        images->setObjectName(QStringLiteral("imlTreeIcons"));
        images->LoadFolder(AppPath() + QStringLiteral("/images/icons"),
                           {QStringLiteral("DATABASEGROUP"), QStringLiteral("DATABASECONNECTION"), QStringLiteral("DATABASECONNECTION_STOPPED"),
                            QStringLiteral("TABLES"), QStringLiteral("TABLE"), QStringLiteral("INDEXES"), QStringLiteral("INDEX"),
                            QStringLiteral("TRIGGERS"), QStringLiteral("TRIGGER")});
        widget.setProperty("iCurrentNodeIndex", 0);
        TreeNodes::Clear(tree);
        TreeNodes::Add(tree, nullptr, QStringLiteral("Database Structures"), QStringLiteral("root"));
    }
    void Fill(cXML& doc) {
        gShownNames.clear();
        DisplayNodes(widget, doc.FindNode(QStringLiteral("DATABASESTRUCTURES")));
    }
    QTreeWidgetItem* Node(const QString& key) { return TreeNodes::FindByKey(tree, key); }
    QStringList Labels(const QString& tagPrefix) {
        QStringList out;
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            if (TreeNodes::Tag(*it).startsWith(tagPrefix)) out << (*it)->text(0);
        return out;
    }
};

QString Connection(const QString& name, int g, int c, const QString& temp, const QString& children = {}) {
    return QStringLiteral("<DATABASECONNECTION Name=\"%1\" Key=\"%1|%2|%3\" RHXPath=\"3.%3\" TempXMLFileName=\"%4\">%5</DATABASECONNECTION>")
        .arg(name).arg(g).arg(c).arg(temp, children);
}

QString Tree(const QStringList& groups) {
    QString xml = QStringLiteral("<DATABASESTRUCTURES Name=\"Database Structures\" Key=\"Database Structures\" RHXPath=\"1\">");
    for (int g = 0; g < groups.size(); ++g)
        xml += QStringLiteral("<DATABASEGROUP Name=\"G%1\" Key=\"G%1\" RHXPath=\"2.%1\" Deleted=\"0\">%2</DATABASEGROUP>").arg(g).arg(groups[g]);
    return xml + QStringLiteral("</DATABASESTRUCTURES>");
}

}  // namespace

TEST(TreeSearch, GetXPathGivesTheStructurePathOfEachFolderLevel) {
    gTableIndex = 3;
    const struct {
        qint16 level;
        const char* path;
    } cases[] = {{0, ""}, {1, ""}, {2, ""}, {3, "DATABASE"}, {4, "/DATABASE/TABLE"}, {5, "/DATABASE/TABLE[3]/INDEX"},
                 {6, "/DATABASE/TABLE[3]/TRIGGER"}, {7, "/DATABASE/TABLE[3]/FOREIGNKEY"}, {8, "/DATABASE/VIEW"},
                 {9, "/DATABASE/STOREDPROCEDURE"}, {10, ""}};
    for (const auto& c : cases) EXPECT_EQ(GetXPath(c.level), QLatin1String(c.path)) << c.level;
    gTableIndex = 0;
}

TEST(TreeSearch, LevelCodesAreReadWithTheLocaleSeparatorOrAForeignOne) {
    gDecimalSymbol = QStringLiteral(",");
    const struct {
        const char* code;
        bool isCode;
        int level, position, value;
    } cases[] = {{"1", true, 1, 1, 1},       {"2,0", true, 2, 0, 2},   {"3,12", true, 3, 12, 3},
                 {"3,5", true, 3, 5, 4},     {"4,5", true, 4, 5, 4},   {"5,3", true, 5, 3, 5},
                 {"2.7", true, 2, 7, 3},     {"DATABASE/TABLE[3]", false, 0, 0, 0}, {"", false, 0, 0, 0}};
    for (const auto& c : cases) {
        const QString code = QLatin1String(c.code);
        EXPECT_EQ(IsLevelCode(code), c.isCode) << c.code;
        if (!c.isCode) {
            EXPECT_THROW(LevelCodeValue(code), platform::RuntimeError) << c.code;
            continue;
        }
        EXPECT_EQ(LevelOf(code), c.level) << c.code;
        EXPECT_EQ(PositionOf(code), c.position) << c.code;
        EXPECT_EQ(LevelCodeValue(code), c.value) << c.code;
    }
    gDecimalSymbol = QStringLiteral(".");
}

TEST_F(TreeFill, SearchInLHXMLCountsConnectionsByTheNameBeforeTheFirstBar) {
    oLHXML.reset();
    EXPECT_EQ(SearchInLHXML(QStringLiteral("Sales")), 0);
    oLHXML = std::make_shared<cXML>();
    EXPECT_EQ(SearchInLHXML(QStringLiteral("Sales")), 0);
    oLHXML = Document(Tree({Connection(QStringLiteral("Sales"), 0, 0, {}) + Connection(QStringLiteral("Stock"), 0, 1, {}),
                            Connection(QStringLiteral("SALES"), 1, 0, {}) +
                                QStringLiteral("<DATABASECONNECTION Name=\"sales\" Key=\"sales\" RHXPath=\"3.1\"/>") +
                                QStringLiteral("<DATABASECONNECTION Name=\"Sales\" RHXPath=\"3.2\"/>")}));
    EXPECT_EQ(SearchInLHXML(QStringLiteral("sales")), 3);  // a Key without "|" counts whole; no Key, not at all
    EXPECT_EQ(SearchInLHXML(QStringLiteral("Stock")), 1);
    EXPECT_EQ(SearchInLHXML(QStringLiteral("Sale")), 0);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(TreeFill, OccursCountsMatchesFromAStartAndReportsABadPattern) {
    QString empty;
    EXPECT_EQ(Occurs(empty, QStringLiteral("a"), 0), -1);
    QString text = QStringLiteral("<Sales><sales><Stock>");
    EXPECT_EQ(Occurs(text, QStringLiteral("<sales>"), 0), 2);
    EXPECT_EQ(Occurs(text, QStringLiteral("<s[a-z]+>"), 8), 2);
    EXPECT_EQ(text, QStringLiteral("<sales><Stock>"));  // cut at the 1-based start
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(Occurs(text, QStringLiteral("<Sales (1>"), 0), 0);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("bGlobal.Occurs: "))) << qPrintable(errors[0]);
}

TEST_F(TreeFill, RepeatedConnectionLabelsAreNumberedAcrossGroupsIgnoringCase) {
    auto doc = Document(Tree({Connection(QStringLiteral("Sales"), 0, 0, {}) + Connection(QStringLiteral("C++"), 0, 1, {}) +
                                  Connection(QStringLiteral("S.les"), 0, 2, {}),
                              Connection(QStringLiteral("sales"), 1, 0, {}) + Connection(QStringLiteral("Sales"), 1, 1, {}) +
                                  Connection(QStringLiteral("c++"), 1, 2, {})}));
    Window w(QStringLiteral("frmDatabaseExplorer"));
    w.Fill(*doc);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    // Names are compared as text: "S.les" is no pattern that matches "Sales".
    EXPECT_EQ(w.Labels(QStringLiteral("3.")),
              QStringList({QStringLiteral("Sales"), QStringLiteral("C++"), QStringLiteral("S.les"), QStringLiteral("sales (1)"),
                           QStringLiteral("Sales (2)"), QStringLiteral("c++ (1)")}));
    EXPECT_EQ(gShownNames, QStringLiteral("<Sales><C++><S.les><sales><Sales><c++>"));
}

// A label is numbered after the earlier connections of that label only: labels
// holding "<" or ">" are not taken for others placed next to each other.
TEST_F(TreeFill, LabelsHoldingAngleBracketsAreCountedAsThemselves) {
    auto doc = Document(Tree({Connection(QStringLiteral("a"), 0, 0, {}) + Connection(QStringLiteral("b"), 0, 1, {}) +
                              Connection(QStringLiteral("a&gt;&lt;b"), 0, 2, {}) + Connection(QStringLiteral("A&gt;&lt;B"), 0, 3, {})}));
    Window w(QStringLiteral("frmDatabaseExplorer"));
    w.Fill(*doc);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_EQ(w.Labels(QStringLiteral("3.")), QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a><b"), QStringLiteral("A><B (1)")}));
    EXPECT_EQ(gShownNames, QStringLiteral("<a><b><a><b><A><B>"));
}

TEST_F(TreeFill, NodesCarryKeysTagsImagesAndEmptyGroupsShowNoItem) {
    const QString folders = QStringLiteral(
        "<TABLES Name=\"Tables\" Key=\"Tables|0|1\" RHXPath=\"4\">"
        "<TABLE Name=\"T\" Key=\"T|0|1|0\" RHXPath=\"DATABASE/TABLE[0]\">"
        "<INDEXES Name=\"Indexes\" Key=\"Indexes|0|1|0\" RHXPath=\"5.0\"><INDEX Name=\"X\" Key=\"X|0|1|0|0\" RHXPath=\"DATABASE/TABLE[0]/INDEX[0]\"/></INDEXES>"
        "<TRIGGERS Name=\"Triggers\" Key=\"Triggers|0|1|0\" RHXPath=\"6.0\"><TRIGGER Name=\"X\" Key=\"X|0|1|0|0\" RHXPath=\"DATABASE/TABLE[0]/TRIGGER[0]\"/></TRIGGERS>"
        "</TABLE></TABLES>");
    auto doc = Document(Tree({Connection(QStringLiteral("A"), 0, 0, {}) + Connection(QStringLiteral("B"), 0, 1, QStringLiteral("/tmp/b.xml"), folders) +
                                  Connection(QStringLiteral("C"), 0, 2, QStringLiteral(" ")),
                              QString(), Connection(QStringLiteral("D"), 2, 0, QStringLiteral("/tmp/d.xml"))}));
    gGroupIndex = 2;
    gConnectionIndex = 0;
    Window w(QStringLiteral("frmDatabaseExplorer"));
    w.Fill(*doc);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));

    const struct {
        const char* key;
        const char* image;
    } images[] = {{"G0", "DATABASEGROUP"}, {"A|0|0", "DATABASECONNECTION_STOPPED"}, {"B|0|1", "DATABASECONNECTION"},
                  {"C|0|2", "DATABASECONNECTION_STOPPED"}, {"D|2|0", "DATABASECONNECTION"}, {"Tables|0|1", "TABLES"},
                  {"T|0|1|0", "TABLE"}, {"Indexes|0|1|0", "INDEXES"}};
    for (const auto& i : images) {
        QTreeWidgetItem* node = w.Node(QLatin1String(i.key));
        ASSERT_TRUE(node) << i.key;
        EXPECT_EQ(TreeNodes::ImageKey(node), QLatin1String(i.image)) << i.key;
        EXPECT_FALSE(node->icon(0).isNull()) << i.key;
    }
    EXPECT_EQ(TreeNodes::Tag(w.Node(QStringLiteral("B|0|1"))), QStringLiteral("3.1"));
    EXPECT_EQ(TreeNodes::Tag(w.Node(QStringLiteral("T|0|1|0"))), QStringLiteral("DATABASE/TABLE[0]"));

    // The empty group gets one placeholder without tag or image.
    QTreeWidgetItem* empty = w.Node(QStringLiteral("G1"));
    ASSERT_EQ(empty->childCount(), 1);
    QTreeWidgetItem* noItem = empty->child(0);
    EXPECT_EQ(TreeNodes::Key(noItem), QStringLiteral("NoItem_G1"));
    EXPECT_EQ(noItem->text(0), QStringLiteral("(No Item)"));
    EXPECT_TRUE(TreeNodes::Tag(noItem).isEmpty());
    EXPECT_TRUE(noItem->icon(0).isNull());

    // An index and a trigger of one name share a Key: both nodes stay.
    int named = 0;
    for (QTreeWidgetItemIterator it(w.tree); *it; ++it) named += TreeNodes::Key(*it) == QLatin1String("X|0|1|0|0");
    EXPECT_EQ(named, 2);

    // Containers below level 5 are made visible; tables and deeper folders are not.
    EXPECT_TRUE(w.Node(QStringLiteral("B|0|1"))->isExpanded());
    EXPECT_FALSE(w.Node(QStringLiteral("Tables|0|1"))->isExpanded());
    EXPECT_FALSE(w.Node(QStringLiteral("T|0|1|0"))->isExpanded());

    // The current connection's node index is handed to the window; indexes count
    // the nodes in the order they were added, the root being 1.
    QTreeWidgetItem* current = w.Node(QStringLiteral("D|2|0"));
    EXPECT_EQ(w.widget.property("iCurrentNodeIndex").toInt(), TreeNodes::Index(current));
    EXPECT_EQ(TreeNodes::FindByIndex(w.tree, TreeNodes::Index(current)), current);
    EXPECT_EQ(TreeNodes::Index(w.Node(QStringLiteral("G0"))), 2);
}

TEST_F(TreeFill, OtherWindowsGetPlainNamesWithoutImagesOrNumbers) {
    auto doc = Document(Tree({Connection(QStringLiteral("Sales"), 0, 0, QStringLiteral("/tmp/x")) +
                              Connection(QStringLiteral("Sales"), 0, 1, {})}));
    Window w(QStringLiteral("frmDatabaseConnection"));
    w.Fill(*doc);
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(w.Labels(QStringLiteral("3.")), QStringList({QStringLiteral("Sales"), QStringLiteral("Sales")}));
    EXPECT_TRUE(w.Node(QStringLiteral("Sales|0|0"))->icon(0).isNull());
    EXPECT_EQ(w.widget.property("iCurrentNodeIndex").toInt(), 0);
    EXPECT_TRUE(gShownNames.isEmpty());
}

TEST_F(TreeFill, MissingImageOrParentNodeIsReported) {
    Window w(QStringLiteral("frmDatabaseExplorer"));
    auto unknown = Document(Tree({QStringLiteral("<COLUMNS Name=\"c\" Key=\"c\" RHXPath=\"9\"/>")}));
    w.Fill(*unknown);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QStringLiteral("bGlobal.DisplayNodes: Element not found"));

    errors.clear();
    auto orphan = Document(QStringLiteral("<DATABASEGROUP Name=\"G\" Key=\"elsewhere\" RHXPath=\"2.0\"><X Key=\"x\" RHXPath=\"1\"/></DATABASEGROUP>"));
    DisplayNodes(w.widget, orphan->FindNode(QStringLiteral("DATABASEGROUP")));
    EXPECT_EQ(errors, QStringList({QStringLiteral("bGlobal.DisplayNodes: Element not found")}));
}

namespace {

// A connection with a Tables folder of `tables` tables (each with an Indexes folder of
// one index) and a small folder of one trigger.
QString LargeConnection(int tables) {
    QString folder;
    for (int t = 0; t < tables; ++t)
        folder += QStringLiteral("<TABLE Name=\"t%1\" Key=\"T%1\" RHXPath=\"/DATABASE/TABLE[%1]\">"
                                 "<INDEXES Name=\"Indexes\" Key=\"I%1\" RHXPath=\"5.%1\">"
                                 "<INDEX Name=\"ix%1\" Key=\"IX%1\" RHXPath=\"/DATABASE/TABLE[%1]/INDEX[0]\"/></INDEXES></TABLE>")
                      .arg(t);
    return Connection(QStringLiteral("big"), 0, 0, QStringLiteral("copy.xml"),
                      QStringLiteral("<TABLES Name=\"Tables\" Key=\"Tables|0|0\" RHXPath=\"4\">") + folder +
                          QStringLiteral("</TABLES><TRIGGERS Name=\"Triggers\" Key=\"Triggers|0|0\" RHXPath=\"8\">"
                                         "<TRIGGER Name=\"tr\" Key=\"TR0\" RHXPath=\"/DATABASE/TRIGGER[0]\"/></TRIGGERS>"));
}

// Key, tag, index and label of every element of the document in document order, as
// the nodes of a complete fill carry them (the root node comes first, index 1).
QStringList DocumentOrder(const XmlNode& element, int& index) {
    QStringList out;
    for (const XmlNode& child : element.childElements()) {
        out << QStringLiteral("%1 %2 %3 %4").arg(child.attribute(QStringLiteral("Key")), child.attribute(QStringLiteral("RHXPath")))
                   .arg(++index)
                   .arg(child.attribute(QStringLiteral("Name")));
        out << DocumentOrder(child, index);
    }
    return out;
}

// The same of every node of the tree, each folder filled as the walk reaches it.
QStringList TreeOrder(QTreeWidget* tree) {
    QStringList out;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if (TreeNodes::EnsureFilled(*it); (*it)->parent())
            out << QStringLiteral("%1 %2 %3 %4").arg(TreeNodes::Key(*it), TreeNodes::Tag(*it)).arg(TreeNodes::Index(*it)).arg((*it)->text(0));
    return out;
}

}  // namespace

// A large folder gets its nodes late, and whoever looks a node up still finds it as a
// complete fill would have made it.
TEST_F(TreeFill, ALargeFolderIsFilledWhenALookupOrAnExpansionReachesIt) {
    const int tables = TreeNodes::kDeferredFolderNodes / 2;
    cXML doc;
    doc.LoadXMLContent(Tree({LargeConnection(tables)}));
    const XmlNode top = doc.FindNode(QStringLiteral("DATABASESTRUCTURES"));
    int index = 1;
    const QStringList complete = DocumentOrder(top, index);

    const struct {
        const char* what;
        std::function<QTreeWidgetItem*(QTreeWidget*)> reach;
        const char* key;  // the node reached
    } cases[] = {
        {"by key", [](QTreeWidget* t) { return TreeNodes::FindByKey(t, QStringLiteral("IX300")); }, "IX300"},
        {"by index", [](QTreeWidget* t) { return TreeNodes::FindByIndex(t, 5 + 3 * 400); }, "T400"},
        {"by expanding", [](QTreeWidget* t) {
             QTreeWidgetItem* tablesNode = TreeNodes::FindByKey(t, QStringLiteral("Tables|0|0"));
             tablesNode->setExpanded(true);
             return tablesNode->child(9);
         }, "T9"},
    };
    for (const auto& c : cases) {
        Window w(QStringLiteral("frmDatabaseExplorer"));
        w.Fill(doc);
        QTreeWidgetItem* tablesNode = TreeNodes::FindByKey(w.tree, QStringLiteral("Tables|0|0"));
        ASSERT_TRUE(tablesNode) << c.what;
        // Not made yet, but shown as having children; the small folder is complete.
        EXPECT_EQ(tablesNode->childCount(), 0) << c.what;
        EXPECT_TRUE(TreeNodes::HasChildren(tablesNode)) << c.what;
        EXPECT_EQ(TreeNodes::FindByKey(w.tree, QStringLiteral("Triggers|0|0"))->childCount(), 1) << c.what;
        EXPECT_EQ(TreeNodes::Index(TreeNodes::FindByKey(w.tree, QStringLiteral("TR0"))), index) << c.what;

        QTreeWidgetItem* node = c.reach(w.tree);
        ASSERT_TRUE(node) << c.what;
        EXPECT_EQ(TreeNodes::Key(node), QLatin1String(c.key)) << c.what;
        EXPECT_EQ(tablesNode->childCount(), tables) << c.what;
        // Every node as a complete fill makes it, and a second fill changes nothing.
        EXPECT_EQ(TreeOrder(w.tree).join(QLatin1Char('\n')).toStdString(), complete.join(QLatin1Char('\n')).toStdString()) << c.what;
        TreeNodes::EnsureFilled(tablesNode);
        EXPECT_EQ(tablesNode->childCount(), tables) << c.what;
    }
    // A node the document does not hold is not found, and a small tree is filled at once.
    Window w(QStringLiteral("frmDatabaseExplorer"));
    w.Fill(doc);
    EXPECT_FALSE(TreeNodes::FindByKey(w.tree, QStringLiteral("nothing")));
    EXPECT_FALSE(TreeNodes::FindByIndex(w.tree, index + 1));
    cXML small;
    small.LoadXMLContent(Tree({LargeConnection(3)}));
    Window few(QStringLiteral("frmDatabaseExplorer"));
    few.Fill(small);
    EXPECT_EQ(TreeNodes::FindByKey(few.tree, QStringLiteral("Tables|0|0"))->childCount(), 3);
}
