// Node selection in the main window: the node click on every level after a real
// import of a SQLite file (list columns and rows, the script box, tabs, menus), the
// Report marks behind the list's check boxes, sorting and double click, the two
// preview files and their browsers, escaping of database text in the previews, and
// a screenshot of the document preview under the build folder. Also the widget-free
// routines behind them (node paths, list rows, report marks, preview documents).

#include "ExplorerFixture.h"
#include "ado/support/TestDatabases.h"
#include "core/TreeFill.h"
#include "core/TreeSearch.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/NodeSelection.h"
#include "explorer/ObjectList.h"
#include "explorer/Preview.h"
#include "explorer/TreeDocument.h"
#include "import/cADODB.h"
#include "reports/bXMLSupport.h"
#include "support/Prerequisite.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QUrl>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSet>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <memory>

using namespace bGlobal;
using explorertest::Document;
using explorertest::StructureXml;

namespace {

QString sourceFile(const char* name) { return QStringLiteral(MORVALEX_SOURCE_DIR "/") + QLatin1String(name); }

// ---- widget-free routines ----------------------------------------------------------

struct Logic : explorertest::Fixture {};

TEST_F(Logic, NodeLevelsMapToTreeDocumentPaths) {
    const QString c = QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP[1]/DATABASECONNECTION[2]");
    const struct {
        int level;
        QString path;
    } cases[] = {
        {0, QStringLiteral("/")},
        {1, QStringLiteral("/DATABASESTRUCTURES")},
        {2, QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP[1]")},
        {3, c},
        {4, c + QStringLiteral("/TABLES")},
        {5, c + QStringLiteral("/TABLES/TABLE[13]/INDEXES")},
        {6, c + QStringLiteral("/TABLES/TABLE[13]/TRIGGERS")},
        {7, c + QStringLiteral("/TABLES/TABLE[13]/FOREIGNKEYS")},
        {8, c + QStringLiteral("/VIEWS")},
        {9, c + QStringLiteral("/STOREDPROCEDURES")},
        {10, QString()},
        {-1, QString()},
    };
    for (const auto& k : cases) EXPECT_EQ(NodeSelection::LHXPath(k.level, 1, 2, 13), k.path) << k.level;
}

// A node knows the connection it lies in from the codes of the nodes above it (the
// connection's own node, then its group's); the key's text plays no part.
TEST_F(Logic, ANodeTakesItsConnectionFromTheNodesAboveIt) {
    const QStringList table = {QStringLiteral("4"), QStringLiteral("3,7"), QStringLiteral("2,5"), QStringLiteral("1")};
    const struct {
        QString tag;
        QStringList above;
        int group, connection;
    } cases[] = {
        {QStringLiteral("3.7"), {QStringLiteral("2.5"), QStringLiteral("1")}, 5, 7},   // the connection itself
        {QStringLiteral("DATABASE/TABLE[0]"), table, 5, 7},                            // an object below it
        {QStringLiteral("6,0"), QStringList{QStringLiteral("DATABASE/TABLE[0]")} + table, 5, 7},  // a table's folder
        {QStringLiteral("2.5"), {QStringLiteral("1")}, -1, -1},                         // a group lies in none
        {QStringLiteral("1"), {}, -1, -1},
        {QString(), {QStringLiteral("2.5"), QStringLiteral("1")}, -1, -1},              // "(No Item)"
        {QStringLiteral("DATABASE/TABLE[0]"), {QStringLiteral("3.7")}, -1, -1},         // a connection without its group
    };
    for (const auto& c : cases) {
        const NodeSelection::NodeValue v = NodeSelection::DecodeNode(QStringLiteral("odd|name|9|9"), c.tag, c.above);
        EXPECT_EQ(v.group, c.group) << qPrintable(c.tag);
        EXPECT_EQ(v.connection, c.connection) << qPrintable(c.tag);
        EXPECT_EQ(v.InConnection(), c.connection >= 0) << qPrintable(c.tag);
        EXPECT_EQ(v.key, QStringLiteral("odd|name|9|9"));
    }
}

// A structure copy still to be written is written before a selection loads it.
TEST_F(Logic, SelectingAConnectionWhoseCopyIsStillToBeWrittenLoadsIt) {
    oLHXML = std::make_shared<cXML>();
    TreeDocument::AddGroup(*oLHXML, QStringLiteral("G"));
    for (const char* name : {"shop", "other"}) {
        gDatabaseName = QLatin1String(name);
        TreeDocument::AddDBConnection(*oLHXML, QStringLiteral("Driver=SQLite3;Database=/data/%1.db").arg(QLatin1String(name)));
    }
    oStructureXML = std::make_shared<cXML>();
    oStructureXML->LoadXMLContent(QStringLiteral("<DATABASE DatabaseName='shop'/>"));
    gGroupIndex = 0;
    gConnectionIndex = 0;
    SaveTempFileLater();
    oStructureXML = std::make_shared<cXML>();
    oStructureXML->LoadXMLContent(QStringLiteral("<DATABASE DatabaseName='other'/>"));
    gConnectionIndex = 1;
    ASSERT_TRUE(TempFilesPending());
    EXPECT_EQ(NodeSelection::MakeCurrent(0, 0), NodeSelection::Load::Loaded);
    EXPECT_FALSE(TempFilesPending());
    EXPECT_EQ(oStructureXML->FindNode(QStringLiteral("DATABASE")).attribute(QStringLiteral("DatabaseName")), QStringLiteral("shop"));
    ClearAllTemporaryFiles();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(Logic, TagsKeysAndObjectPathsAreDecoded) {
    gTableIndex = 3;
    const struct {
        QString tag;
        int level;
        bool hasIndex;
        int index;
        QString structurePath;
    } tags[] = {
        {QStringLiteral("1"), 1, false, 0, QString()},
        {QStringLiteral("2.4"), 2, true, 4, QString()},
        {QStringLiteral("3.12"), 3, true, 12, QStringLiteral("DATABASE")},
        {QStringLiteral("4"), 4, false, 0, QStringLiteral("/DATABASE/TABLE")},
        {QStringLiteral("5.3"), 5, true, 3, QStringLiteral("/DATABASE/TABLE[3]/INDEX")},
        {QStringLiteral("7,3"), 7, true, 3, QStringLiteral("/DATABASE/TABLE[3]/FOREIGNKEY")},  // another locale's separator
        {QStringLiteral("9"), 9, false, 0, QStringLiteral("/DATABASE/STOREDPROCEDURE")},
    };
    for (const auto& t : tags) {
        const NodeSelection::NodeValue v = NodeSelection::DecodeNode(QString(), t.tag);
        EXPECT_TRUE(v.isCode) << qPrintable(t.tag);
        EXPECT_FALSE(v.IsObject()) << qPrintable(t.tag);
        EXPECT_EQ(v.level, t.level) << qPrintable(t.tag);
        EXPECT_EQ(v.hasIndex, t.hasIndex) << qPrintable(t.tag);
        if (t.hasIndex) {
            EXPECT_EQ(v.index, t.index) << qPrintable(t.tag);
        }
        EXPECT_EQ(v.StructurePath(), t.structurePath) << qPrintable(t.tag);
    }
    EXPECT_THROW(NodeSelection::DecodeTag(QStringLiteral("DATABASE/TABLE[1]")), platform::RuntimeError);
    const NodeSelection::NodeValue view = NodeSelection::DecodeNode(QString(), QStringLiteral("DATABASE/VIEW[2]"));
    EXPECT_TRUE(view.IsObject());
    EXPECT_EQ(view.level, 0);
    EXPECT_EQ(view.StructurePath(), QStringLiteral("DATABASE/VIEW[2]"));
    EXPECT_EQ(NodeSelection::DecodeNode(QString(), QString()).StructurePath(), QString());

    const struct {
        QString path, element;
    } paths[] = {{QStringLiteral("DATABASE/TABLE[3]/INDEX[0]"), QStringLiteral("INDEX")},
                 {QStringLiteral("DATABASE/table[1]"), QStringLiteral("TABLE")},
                 {QStringLiteral("DATABASE"), QStringLiteral("DATABASE")}};
    for (const auto& p : paths) EXPECT_EQ(NodeSelection::ElementNameOf(p.path), p.element);

    const struct {
        QString key;
        bool ok;
        int g, c;
    } keys[] = {{QStringLiteral("Sales|1|2"), true, 1, 2},
                {QStringLiteral("orders|0|3|4|1"), true, 0, 3},
                {QStringLiteral("Database Structures"), false, 0, 0},
                {QStringLiteral("Morvalex Group|x"), false, 0, 0},
                {QStringLiteral("a|b|1|0|2"), false, 0, 0}};  // a name with "|": not by the key alone
    for (const auto& k : keys) {
        int g = -1, c = -1;
        EXPECT_EQ(NodeSelection::PositionsOfKey(k.key, g, c), k.ok) << qPrintable(k.key);
        if (k.ok) {
            EXPECT_EQ(std::pair(g, c), std::pair(k.g, k.c)) << qPrintable(k.key);
        }
    }
}

TEST_F(Logic, ReportMarksAreReadAndWrittenDownTheTree) {
    auto doc = Document(QStringLiteral(
        "<DATABASE><TABLE Name=\"a\" Report=\"1\"><COLUMN Name=\"x\"/><INDEX Name=\"i\" Report=\"1\"/>"
        "<TRIGGER Name=\"t\" Report=\"1\"><SQLSCRIPT><![CDATA[x]]></SQLSCRIPT></TRIGGER></TABLE>"
        "<TABLE Name=\"b\" Report=\"0\"/><VIEW Name=\"v\"/></DATABASE>"));
    EXPECT_TRUE(NodeSelection::ReportMark(doc.get(), QStringLiteral("DATABASE/TABLE[0]")));
    EXPECT_FALSE(NodeSelection::ReportMark(doc.get(), QStringLiteral("DATABASE/TABLE[1]")));
    EXPECT_TRUE(NodeSelection::ReportMark(doc.get(), QStringLiteral("DATABASE/VIEW[0]")));   // no Report
    EXPECT_TRUE(NodeSelection::ReportMark(doc.get(), QStringLiteral("DATABASE/VIEW[5]")));   // no element
    EXPECT_TRUE(NodeSelection::ReportMark(nullptr, QStringLiteral("DATABASE/TABLE[1]")));  // no document

    NodeSelection::SetReport(doc->GetNodes(QStringLiteral("DATABASE/TABLE[0]")), 0);
    for (const char* path : {"DATABASE/TABLE[0]", "DATABASE/TABLE[0]/INDEX[0]", "DATABASE/TABLE[0]/TRIGGER[0]"})
        EXPECT_EQ(doc->FindNode(QLatin1String(path)).attribute(QStringLiteral("Report")), QStringLiteral("0")) << path;
    EXPECT_FALSE(doc->FindNode(QStringLiteral("DATABASE/TABLE[0]/COLUMN[0]")).hasAttribute(QStringLiteral("Report")));
    EXPECT_FALSE(doc->FindNode(QStringLiteral("DATABASE/TABLE[0]/TRIGGER[0]/SQLSCRIPT")).hasAttribute(QStringLiteral("Report")));
    EXPECT_EQ(doc->FindNode(QStringLiteral("DATABASE/TABLE[1]")).attribute(QStringLiteral("Report")), QStringLiteral("0"));
    NodeSelection::SetReport(doc->GetNodes(QStringLiteral("/DATABASE/TABLE")), 1);
    EXPECT_EQ(doc->GetNodes(QStringLiteral("//*[@Report $eq$ 1]")).size(), 4);
    EXPECT_FALSE(doc->FindNode(QStringLiteral("DATABASE/VIEW[0]")).hasAttribute(QStringLiteral("Report")));
}

TEST_F(Logic, ScriptsGetLineBreaksAndXmlIsIndentedWithoutTouchingItsText) {
    EXPECT_EQ(NodeSelection::ScriptText(QStringLiteral("a\nb<BR/>c<BR/><BR/>")), QStringLiteral("a\r\nb\r\nc\r\n\r\n"));
    const QString flat = QStringLiteral("<DATABASE Name=\"a &amp; b\"><TABLE Name=\"t\"><COLUMN Name=\"c\"/></TABLE>"
                                        "<VIEW Name=\"v\"><SQLSCRIPT><![CDATA[SELECT '<x>'\n  FROM t]]></SQLSCRIPT></VIEW></DATABASE>");
    const QString indented = Preview::Indented(flat);
    EXPECT_EQ(indented, QStringLiteral("<DATABASE Name=\"a &amp; b\">\n  <TABLE Name=\"t\">\n    <COLUMN Name=\"c\"/>\n  </TABLE>\n"
                                       "  <VIEW Name=\"v\">\n    <SQLSCRIPT><![CDATA[SELECT '<x>'\n  FROM t]]></SQLSCRIPT>\n"
                                       "  </VIEW>\n</DATABASE>\n"));
    EXPECT_EQ(Preview::Indented(QStringLiteral("not xml <")), QStringLiteral("not xml <"));
}

// An exact numeric column shows its scale with its length: "8,2" in the Length cell of
// the details list (no column of its own, so the cells of columns without a scale stay
// under their captions) and "numeric(8,2)" in the document preview.
TEST_F(Logic, AnExactNumericColumnShowsItsScaleWithItsLength) {
    auto structure = Document(QStringLiteral(
        "<DATABASE Name=\"till\" DatabaseName=\"till\"><TABLE Name=\"prices\" Report=\"1\">"
        "<COLUMN Name=\"id\" Datatype=\"integer\" Length=\"10\" Ordinal_Position=\"1\" Null_Allowed=\"False\" Primary_Key=\"pk\"/>"
        "<COLUMN Name=\"price\" Datatype=\"numeric\" Length=\"8\" Ordinal_Position=\"2\" Null_Allowed=\"True\" Primary_Key=\"\""
        " Scale=\"2\"/>"
        "<COLUMN Name=\"note\" Datatype=\"text\" Length=\"0\" Ordinal_Position=\"3\" Null_Allowed=\"True\" Primary_Key=\"\"/>"
        "</TABLE></DATABASE>"));
    const NodeSelection::ObjectDetails details = NodeSelection::DetailsOf(*structure, QStringLiteral("DATABASE/TABLE[0]"));
    QStringList captions, rows;
    for (const auto& c : details.list.columns) captions << c.caption;
    for (const auto& r : details.list.rows) rows << (QStringList{r.text} + r.cells).join(QLatin1Char('|'));
    EXPECT_EQ(captions, QStringList({QStringLiteral("Name"), QStringLiteral("Datatype"), QStringLiteral("Length"),
                                     QStringLiteral("Ordinal Position"), QStringLiteral("Null Allowed")}));
    EXPECT_EQ(rows, QStringList({QStringLiteral("id|integer|10|1|False"), QStringLiteral("price|numeric|8,2|2|True"),
                                 QStringLiteral("note|text|0|3|True")}));

    Preview::Write(*structure, QStringLiteral("/DATABASE/TABLE"));
    const QString html = testsupport::ReadFile(Preview::HtmlFile());
    EXPECT_TRUE(html.contains(QStringLiteral("numeric(8,2)"))) << qPrintable(html);
    EXPECT_TRUE(html.contains(QStringLiteral("integer(10)")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// What the engine records beyond the plain objects is shown where its object is: an
// identity or generated column's facts in its table's details list (a list column of
// their own, blank on the other columns), a table's partitioning in the list of
// tables, an index's and a key's facts in their details list, each in the preview.
TEST_F(Logic, EngineFactsAreShownInTheListsAndThePreview) {
    auto structure = std::make_shared<cXML>();
    ASSERT_TRUE(structure->LoadXMLFile(QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/reports/facts.xml")));
    const auto listed = [](const NodeSelection::ListContent& list) {
        QStringList captions, rows;
        for (const auto& c : list.columns) captions << c.caption;
        for (const auto& r : list.rows) rows << (QStringList{r.text} + r.cells).join(QLatin1Char('|'));
        return captions.join(QLatin1Char('|')) + QLatin1Char('\n') + rows.join(QLatin1Char('\n'));
    };
    const struct {
        const char* path;
        const char* list;
    } details[] = {
        {"DATABASE/TABLE[0]",
         "Name|Datatype|Length|Ordinal Position|Column Default|Null Allowed|Check Constraint|Identity|Generated|Storage\n"
         "id|int4|10|1||False||ALWAYS||\npid|int4|10|2||True||||\ndoubled|int4|10|3||True|||pid * 2|STORED"},
        {"DATABASE/TABLE[0]/INDEX[2]",
         "Name|Column Name|Description|Table Name|Report|Migrate|Descending|Include\nevents_order|pid,id||events|1|0|pid|pcode"},
        {"DATABASE/TABLE[0]/INDEX[1]",
         "Name|Column Name|Description|Table Name|Report|Migrate|Where\nevents_clean|pid|Unique|events|1|0|outlier = false"},
        {"DATABASE/TABLE[0]/FOREIGNKEY[0]",
         "Name|RelatedColumn|PrimaryKeyTable|ForeignKeyTable|UpdateRule|DeleteRule|PrimaryKeyColumn|Report|Migrate|Deferrable\n"
         "notes_event|event_id|events|notes|NO ACTION|NO ACTION|id|1|0|INITIALLY DEFERRED"},
    };
    for (const auto& d : details) {
        SCOPED_TRACE(d.path);
        EXPECT_EQ(listed(NodeSelection::DetailsOf(*structure, QString::fromUtf8(d.path)).list).toStdString(), d.list);
    }
    auto tree = Document(QStringLiteral(
        "<TABLES><TABLE Name=\"events\" Key=\"a\" RHXPath=\"DATABASE/TABLE[0]\" CreatedOn=\"\"/>"
        "<TABLE Name=\"journal\" Key=\"b\" RHXPath=\"DATABASE/TABLE[1]\" CreatedOn=\"\"/>"
        "<TABLE Name=\"journal_2026\" Key=\"c\" RHXPath=\"DATABASE/TABLE[2]\" CreatedOn=\"\"/></TABLES>"));
    EXPECT_EQ(listed(NodeSelection::ChildrenOf(*tree, QStringLiteral("TABLES"), structure.get())).toStdString(),
              "Name|Created On|Partition Key|Partition Of|Partition Bound\nevents||||\njournal||RANGE (at)||\n"
              "journal_2026|||journal|FOR VALUES FROM ('2026-01-01') TO ('2027-01-01')");

    Preview::Write(*structure, QStringLiteral("/DATABASE/TABLE"));
    const QString html = testsupport::ReadFile(Preview::HtmlFile()).remove(QRegularExpression(QStringLiteral("\\s+")));
    for (const char* shown : {"Partitionedby", "RANGE(at)", "Partitionof", "journal", "Bounds", "FORVALUESFROM('2026-01-01')",
                              "GENERATEDALWAYSASIDENTITY", "GENERATEDALWAYSAS(pid*2)STORED", "<div>Methodgin</div>",
                              "<div>Descendingpid</div>", "<div>Includepcode</div>", "Where<codeclass=\"pv-code\">outlier=false",
                              "DEFERRABLEINITIALLYDEFERRED"})
        EXPECT_TRUE(html.contains(QLatin1String(shown))) << shown;
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// The preview document of each kind of path, from a structure whose second table and
// one index are left out of the report.
TEST_F(Logic, PreviewDocumentsHoldTheReportedObjectsOfThePath) {
    auto structure = Document(StructureXml(QStringLiteral("Shop"), {QStringLiteral("V1")}));
    structure->FindNode(QStringLiteral("DATABASE/TABLE[1]")).setAttribute(QStringLiteral("Report"), QStringLiteral("0"));
    structure->FindNode(QStringLiteral("DATABASE/TABLE[3]/INDEX[1]")).setAttribute(QStringLiteral("Report"), QStringLiteral("0"));
    gDatabaseName = QStringLiteral("Shop");
    gDatabaseType = 9;
    gServerName = QStringLiteral("C:/data/Shop.mdb");
    const auto names = [](cXML& doc, const QString& path) {
        QStringList out;
        for (const XmlNode& n : doc.GetNodes(path)) out << n.attribute(QStringLiteral("Name"));
        return out;
    };

    auto one = Preview::Build(*structure, QStringLiteral("DATABASE/TABLE[1]"));
    EXPECT_EQ(explorertest::AttributeNames(one->DocumentElement()),
              QStringList({QStringLiteral("Name"), QStringLiteral("DatabaseEngine"), QStringLiteral("ServerName"), QStringLiteral("Time")}));
    EXPECT_EQ(one->DocumentElement().attribute(QStringLiteral("DatabaseEngine")), QStringLiteral("MS Access 2000"));
    EXPECT_FALSE(one->DocumentElement().hasChildNodes());

    auto tables = Preview::Build(*structure, QStringLiteral("/DATABASE/TABLE"));
    EXPECT_EQ(names(*tables, QStringLiteral("DATABASE/TABLE")),
              QStringList({QStringLiteral("Customers"), QStringLiteral("Products"), QStringLiteral("Order Details")}));
    EXPECT_EQ(names(*tables, QStringLiteral("DATABASE/TABLE[2]/INDEX")), QStringList({QStringLiteral("PK_OD"), QStringLiteral("IX_OD")}));
    EXPECT_TRUE(names(*tables, QStringLiteral("DATABASE/VIEW")).isEmpty());

    auto whole = Preview::Build(*structure, QStringLiteral("DATABASE"));
    EXPECT_EQ(names(*whole, QStringLiteral("DATABASE/TABLE")).size(), 4);
    EXPECT_EQ(names(*whole, QStringLiteral("DATABASE/VIEW")), QStringList{QStringLiteral("V1")});
    EXPECT_TRUE(whole->GetXMLContent().contains(QStringLiteral("<?xml-stylesheet type=\"text/xsl\" href=\"") + Preview::StyleSheet()));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// A selection of thousands of objects is previewed in part: its first
// kShownObjects and a line saying how many more are left out and that a report holds
// them all. A selection of a few objects is previewed whole.
TEST_F(Logic, AThousandsOfObjectsSelectionIsPreviewedInPart) {
    const int tables = 2000, shown = Preview::kShownObjects;
    QString xml = QStringLiteral("<DATABASE Name=\"Big\" DatabaseName=\"Big\" DatabaseType=\"2\">");
    for (int t = 0; t < tables; ++t)
        xml += QStringLiteral("<TABLE Name=\"table_%1\" Report=\"%2\"><COLUMN Name=\"id\"/></TABLE>").arg(t).arg(t == 3 ? 0 : 1);
    xml += QStringLiteral("<VIEW Name=\"v\" Report=\"1\"/></DATABASE>");
    auto structure = Document(xml);
    const auto names = [](cXML& doc, const QString& path) {
        QStringList out;
        for (const XmlNode& n : doc.GetNodes(path)) out << n.attribute(QStringLiteral("Name"));
        return out;
    };
    QStringList first;
    for (int t = 0; first.size() < shown; ++t)
        if (t != 3) first << QStringLiteral("table_%1").arg(t);  // the unreported table is no part of the folder

    const struct {
        QString path;
        QStringList objects;
        int leftOut;
    } cases[] = {
        {QStringLiteral("/DATABASE/TABLE"), first, tables - 1 - shown},
        {QStringLiteral("DATABASE/TABLE | DATABASE/VIEW"), first, tables - shown},
        {QStringLiteral("DATABASE"), first.mid(0, 3) + QStringList{QStringLiteral("table_3")} + first.mid(3, shown - 4), tables + 1 - shown},
        {QStringLiteral("DATABASE/TABLE[1500]"), {QStringLiteral("table_1500")}, 0},
    };
    for (const auto& c : cases) {
        int leftOut = -1;
        auto preview = Preview::Build(*structure, c.path, &leftOut);
        EXPECT_EQ(names(*preview, QStringLiteral("DATABASE/*")), c.objects) << qPrintable(c.path);
        EXPECT_EQ(leftOut, c.leftOut) << qPrintable(c.path);
        EXPECT_EQ(preview->GetNodes(QStringLiteral("DATABASE/*/COLUMN")).size(), c.objects.size()) << qPrintable(c.path);
    }
    // The whole connection keeps the database's own attributes.
    auto whole = Preview::Build(*structure, QStringLiteral("DATABASE"));
    EXPECT_EQ(explorertest::AttributeNames(whole->DocumentElement()),
              QStringList({QStringLiteral("Name"), QStringLiteral("DatabaseName"), QStringLiteral("DatabaseType")}));
    EXPECT_TRUE(whole->GetXMLContent().contains(QStringLiteral("<?xml-stylesheet type=\"text/xsl\" href=\"") + Preview::StyleSheet()));

    // The page and the XML say what is left out; a page of one object says nothing.
    Preview::Write(*structure, QStringLiteral("/DATABASE/TABLE"));
    const QString note = QStringLiteral("This preview shows the first %1 objects; 1,%2 more are left out. A report holds them all.")
                             .arg(shown)
                             .arg(tables - 1 - shown - 1000, 3, 10, QLatin1Char('0'));
    const QString html = testsupport::ReadFile(Preview::HtmlFile());
    EXPECT_TRUE(html.contains(note)) << qPrintable(note);
    EXPECT_TRUE(html.contains(first.last()));
    EXPECT_FALSE(html.contains(QStringLiteral("table_1999")));
    // The heading gives no number that would count only the objects shown.
    EXPECT_FALSE(html.contains(QStringLiteral("pv-count"))) << "a folder shown in part is headed with the number shown";
    const QString written = testsupport::ReadFile(Preview::XmlFile());
    EXPECT_TRUE(written.trimmed().endsWith(QStringLiteral("<!-- This preview shows the first %1 objects; %2 more are left out. A report holds them all. -->")
                                               .arg(shown)
                                               .arg(tables - 1 - shown)))
        << qPrintable(written.right(200));
    EXPECT_EQ(Document(written)->GetNodes(QStringLiteral("DATABASE/TABLE")).size(), shown);
    Preview::Write(*structure, QStringLiteral("DATABASE/TABLE[1500]"));
    EXPECT_FALSE(testsupport::ReadFile(Preview::HtmlFile()).contains(QStringLiteral("left out")));
    EXPECT_FALSE(testsupport::ReadFile(Preview::XmlFile()).contains(QStringLiteral("left out")));

    // A report holds them all.
    oStructureXML = structure;
    gMultiplePages = false;
    const QString report = folder.file(QStringLiteral("report.html"));
    ASSERT_TRUE(bXMLSupport::SaveAsHTML(report, false));
    const QString page = testsupport::ReadFile(report);
    for (const char* name : {"table_0", "table_1000", "table_1999"}) EXPECT_TRUE(page.contains(QLatin1String(name))) << name;
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// A script of many thousand lines comes out whole: the style sheet's line splitting
// must not run into the transformer's nesting limit.
TEST_F(Logic, ALongScriptIsPreviewedWhole) {
    QStringList lines;
    for (int i = 0; i < 8000; ++i) lines << QStringLiteral("  UPDATE t SET n = %1 WHERE id = %1;").arg(i);
    auto structure = Document(QStringLiteral("<DATABASE Name=\"Big\" DatabaseName=\"Big\"><STOREDPROCEDURE Name=\"p\" Report=\"1\">"
                                             "<SQLSCRIPT><![CDATA[%1]]></SQLSCRIPT></STOREDPROCEDURE></DATABASE>")
                                  .arg(lines.join(QStringLiteral("<BR/>"))));
    Preview::Write(*structure, QStringLiteral("/DATABASE/STOREDPROCEDURE"));
    const QString html = testsupport::ReadFile(Preview::HtmlFile());
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    EXPECT_TRUE(html.contains(lines.first() + QLatin1Char('\n') + lines.value(1)));
    EXPECT_TRUE(html.contains(lines.value(7998) + QLatin1Char('\n') + lines.last()));
    EXPECT_EQ(html.count(QStringLiteral("UPDATE t SET")), 8000);
    EXPECT_FALSE(html.contains(QStringLiteral("&lt;BR/&gt;")));
}

// ---- the window after a real import --------------------------------------------------

// The SQLite fixture of the import tests, a table whose name is markup and a view
// whose text holds markup.
const char* kHostileSql = R"sql(
CREATE TABLE "<script>alert(1)</script>" ("<b>col</b>" TEXT DEFAULT '<i>x</i>');
CREATE VIEW html_view AS SELECT '<img src=x onerror=alert(1)>' AS markup, '</pre><script>alert(2)</script>' AS breakout;
)sql";

struct Selection : explorertest::Fixture {
    std::unique_ptr<testdb::SqliteFile> db;
    frmDatabaseExplorer* w = nullptr;

    void SetUp() override {
        Fixture::SetUp();
        testdb::UseTestOdbc();
        // The engine's own catalogue queries stand at type code 2.
        ASSERT_TRUE(oQueriesXML->LoadXMLFile(sourceFile("tests/data/import/catalogue-sqlite.xml")));
        w = &OpenWindow();
    }

    // Imports the fixture as connection "shop" of the first group as the wizard's
    // Finish does (temporary copy, tree refilled, connection focused).
    void ImportShop() {
        db = std::make_unique<testdb::SqliteFile>(testsupport::ReadFile(sourceFile("tests/data/import/fixture-sqlite.sql")) +
                                                  QString::fromUtf8(kHostileSql));
        Import(QStringLiteral("shop"), db->path(), db->connectionString());
    }
    // Imports a SQLite file as connection `name` of the first group, as ImportShop does.
    void Import(const QString& name, const QString& file, const QString& connectionString) {
        gGroupIndex = 0;
        gDatabaseName = name;
        gDatabaseType = 2;
        gServerName = file;
        w->AddNewDBConnection(connectionString);
        cADODB reader;
        reader.SetConnection(connectionString);
        ASSERT_TRUE(reader.ADOConnect());
        ASSERT_TRUE(reader.GenerateXML());
        SaveTempFile();
        w->PopulateLHXML();
        w->FocusConnection();
        ASSERT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
        ASSERT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
    }

    QTreeWidgetItem* Node(const QString& key) { return TreeNodes::FindByKey(w->trvMain, key); }
    void Click(const QString& key) {
        QTreeWidgetItem* node = Node(key);
        ASSERT_TRUE(node) << qPrintable(key);
        w->trvMain_NodeClick(node);
    }
    // Shows the document preview tab (from the details), which previews the selection.
    void ShowPreview() {
        w->ssRHPanel->setCurrentIndex(0);
        w->ssRHPanel->setCurrentIndex(1);
    }

    QStringList Captions() { return ObjectList::Captions(w->lsvDescription); }
    // Each list row's texts, joined by "|".
    QStringList Rows() {
        QStringList rows;
        for (int i = 0; i < w->lsvDescription->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = w->lsvDescription->topLevelItem(i);
            QStringList cells;
            for (int c = 0; c < w->lsvDescription->columnCount(); ++c) cells << item->text(c);
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }
    QTreeWidgetItem* Item(const QString& text) {
        const auto found = w->lsvDescription->findItems(text, Qt::MatchExactly, 0);
        return found.isEmpty() ? nullptr : found.first();
    }
    // "1" for every tab that is enabled, "0" for the others.
    QString Tabs() {
        QString s;
        for (int i = 0; i < 4; ++i) s += w->ssRHPanel->isTabEnabled(i) ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    }
    bool Enabled(const char* button) { return frmDatabaseExplorer::Button(w->tlbAdmin, QLatin1String(button))->isEnabled(); }
    QString Report(const QString& path) { return oStructureXML->FindNode(path).attribute(QStringLiteral("Report")); }
};

TEST_F(Selection, EachLevelListsItsChildrenAndSetsMenusTabsAndCheckBoxes) {
    ImportShop();
    const QString created = TreeDocument::NowText().left(4);  // the date's start is enough

    Click(QStringLiteral("Database Structures"));
    EXPECT_EQ(Captions(), QStringList({QStringLiteral("Name"), QStringLiteral("Created On")}));
    ASSERT_EQ(Rows().size(), 1);
    EXPECT_TRUE(Rows()[0].startsWith(QStringLiteral("Morvalex Group|")));
    EXPECT_FALSE(ObjectList::IsCheckable(w->lsvDescription->topLevelItem(0)));
    EXPECT_EQ(ObjectList::ImageKey(w->lsvDescription->topLevelItem(0)), QStringLiteral("DATABASEGROUP"));
    EXPECT_EQ(Tabs(), QStringLiteral("1000"));
    EXPECT_EQ(w->ssRHPanel->currentIndex(), 0);
    EXPECT_FALSE(w->mnuSubFile.value(1)->isEnabled());
    EXPECT_FALSE(w->mnuSubFile.value(5)->isEnabled());
    EXPECT_TRUE(w->mnuSubFile.value(4)->isEnabled());
    EXPECT_FALSE(Enabled("NewDatabase"));
    EXPECT_TRUE(Enabled("NewGroup"));
    EXPECT_EQ(gPreviewXPath, QString());
    EXPECT_EQ(w->PanelText(1), QStringLiteral("Morvalex Database Structures"));

    Click(QStringLiteral("Morvalex Group"));
    EXPECT_EQ(Captions(), QStringList({QStringLiteral("Name"), QStringLiteral("Created On"), QStringLiteral("Database Engine")}));
    ASSERT_EQ(Rows().size(), 1);
    EXPECT_TRUE(Rows()[0].startsWith(QStringLiteral("shop|") + created)) << qPrintable(Rows()[0]);
    EXPECT_TRUE(Rows()[0].endsWith(QStringLiteral("|SQL Server 7.0")));
    EXPECT_EQ(ObjectList::ImageKey(w->lsvDescription->topLevelItem(0)), QStringLiteral("DATABASECONNECTION"));
    EXPECT_EQ(gConnectionIndex, 1);  // where a new connection of the group goes
    EXPECT_TRUE(w->mnuSubFile.value(5)->isEnabled());
    EXPECT_FALSE(w->mnuSubFile.value(4)->isEnabled());
    EXPECT_TRUE(Enabled("NewDatabase"));
    EXPECT_FALSE(Enabled("NewGroup"));
    EXPECT_EQ(Tabs(), QStringLiteral("1000"));

    Click(QStringLiteral("shop|0|0"));
    EXPECT_EQ(std::pair(gGroupIndex, gConnectionIndex), std::pair(qint16(0), qint16(0)));
    EXPECT_EQ(Captions(), QStringList{QStringLiteral("Name")});
    EXPECT_EQ(Rows(), QStringList({QStringLiteral("Tables"), QStringLiteral("Views")}));
    for (int i = 0; i < 2; ++i) {
        QTreeWidgetItem* item = w->lsvDescription->topLevelItem(i);
        EXPECT_TRUE(ObjectList::IsCheckable(item));
        EXPECT_EQ(item->checkState(0), Qt::Checked);
    }
    EXPECT_EQ(Tabs(), QStringLiteral("1111"));
    EXPECT_FALSE(Enabled("NewDatabase"));
    EXPECT_FALSE(Enabled("NewGroup"));
    EXPECT_EQ(gPreviewXPath, QStringLiteral("DATABASE"));

    Click(QStringLiteral("Tables|0|0"));
    EXPECT_EQ(Captions(), QStringList({QStringLiteral("Name"), QStringLiteral("Created On")}));
    QStringList tables;
    for (const QString& row : Rows()) tables << row.section(QLatin1Char('|'), 0, 0);
    EXPECT_EQ(tables, QStringList({QStringLiteral("<script>alert(1)</script>"), QStringLiteral("O'Brien"), QStringLiteral("customers"),
                                   QStringLiteral("order_lines"), QStringLiteral("orders")}));
    EXPECT_EQ(w->lsvDescription->topLevelItem(2)->toolTip(0), QStringLiteral("Check to include in report"));
    EXPECT_EQ(ObjectList::Key(w->lsvDescription->topLevelItem(2)), QStringLiteral("customers|0|0|2"));
    EXPECT_EQ(gPreviewXPath, QStringLiteral("/DATABASE/TABLE"));

    Click(QStringLiteral("Indexes|0|0|4"));
    EXPECT_EQ(gTableIndex, 4);
    EXPECT_EQ(Rows(), QStringList({QStringLiteral("ix_orders_placed"), QStringLiteral("sqlite_autoindex_orders_1")}));
    EXPECT_EQ(gPreviewXPath, QStringLiteral("/DATABASE/TABLE[4]/INDEX"));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Selection, ObjectsShowTheirColumnsAttributesOrScript) {
    ImportShop();

    Click(QStringLiteral("customers|0|0|2"));
    EXPECT_TRUE(w->lsvDescription->isVisibleTo(w));
    EXPECT_FALSE(w->txtSQLScript->isVisibleTo(w));
    EXPECT_EQ(Captions(), QStringList({QStringLiteral("Name"), QStringLiteral("Datatype"), QStringLiteral("Length"),
                                       QStringLiteral("Ordinal Position"), QStringLiteral("Column Default"),
                                       QStringLiteral("Null Allowed"), QStringLiteral("Check Constraint")}));
    EXPECT_EQ(Rows(), QStringList({QStringLiteral("id|INTEGER|0|1||False|"), QStringLiteral("name|VARCHAR|80|2||False|"),
                                   QStringLiteral("email|VARCHAR|120|3||True|"),
                                   QStringLiteral("credit|NUMERIC|10|4|0|True|(credit >= 0)")}));
    EXPECT_EQ(ObjectList::ImageKey(Item(QStringLiteral("id"))), QStringLiteral("PRIMARYKEY"));
    EXPECT_EQ(ObjectList::ImageKey(Item(QStringLiteral("name"))), QString());
    EXPECT_FALSE(ObjectList::IsCheckable(Item(QStringLiteral("id"))));
    EXPECT_EQ(Tabs(), QStringLiteral("1111"));
    EXPECT_EQ(w->ssRHPanel->currentIndex(), 0);
    EXPECT_EQ(gPreviewXPath, QStringLiteral("DATABASE/TABLE[2]"));

    Click(QStringLiteral("ix_orders_placed|0|0|4|0"));
    EXPECT_EQ(Captions(), QStringList({QStringLiteral("Name"), QStringLiteral("Column Name"), QStringLiteral("Description"),
                                       QStringLiteral("Table Name"), QStringLiteral("Report"), QStringLiteral("Migrate")}));
    EXPECT_EQ(Rows(), QStringList{QStringLiteral("ix_orders_placed|placed||orders|1|0")});

    Click(QStringLiteral("trg_orders_touch|0|0|4|0"));
    EXPECT_FALSE(w->lsvDescription->isVisibleTo(w));
    EXPECT_TRUE(w->txtSQLScript->isVisibleTo(w));
    EXPECT_EQ(w->txtSQLScript->toPlainText(),
              QStringLiteral("CREATE TRIGGER trg_orders_touch AFTER INSERT ON orders\nBEGIN\n"
                             "  UPDATE customers SET credit = credit WHERE id = NEW.customer_id;\nEND"));

    Click(QStringLiteral("html_view|0|0|1"));
    EXPECT_EQ(w->txtSQLScript->toPlainText(),
              QStringLiteral("CREATE VIEW html_view AS SELECT '<img src=x onerror=alert(1)>' AS markup, "
                             "'</pre><script>alert(2)</script>' AS breakout"));
    EXPECT_EQ(w->ssRHPanel->currentIndex(), 0);

    // Back to a folder: the list returns in place of the script.
    Click(QStringLiteral("Views|0|0"));
    EXPECT_TRUE(w->lsvDescription->isVisibleTo(w));
    EXPECT_FALSE(w->txtSQLScript->isVisibleTo(w));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Selection, ObjectsWithoutColumnsOrScriptShowThePreviewInstead) {
    // Views of this structure carry no SQLSCRIPT; the first table gets no columns.
    QString xml = StructureXml(QStringLiteral("Shop"), {QStringLiteral("V1")});
    xml.replace(QStringLiteral("<COLUMN Name=\"Id\"/></TABLE><TABLE Name=\"Orders\""), QStringLiteral("</TABLE><TABLE Name=\"Orders\""));
    oStructureXML = Document(xml);
    gGroupIndex = 0;
    ASSERT_TRUE(w->GenerateLHXML());
    SaveTempFile();
    w->PopulateLHXML();

    for (const char* key : {"V1|0|0|0", "Customers|0|0|0"}) {
        Click(QLatin1String(key));
        EXPECT_EQ(w->ssRHPanel->currentIndex(), 1) << key;
        EXPECT_EQ(Tabs(), QStringLiteral("0111")) << key;
        // The next object brings the details back.
        Click(QStringLiteral("Products|0|0|2"));
        EXPECT_EQ(Tabs(), QStringLiteral("1111")) << key;
        EXPECT_EQ(w->ssRHPanel->currentIndex(), 0) << key;
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Selection, CheckBoxesWriteReportOnTheObjectAndItsDescendants) {
    ImportShop();
    const QString orders = QStringLiteral("DATABASE/TABLE[4]");
    const QStringList parts = {orders, orders + QStringLiteral("/INDEX[0]"), orders + QStringLiteral("/INDEX[1]"),
                               orders + QStringLiteral("/FOREIGNKEY[0]"), orders + QStringLiteral("/TRIGGER[0]")};

    Click(QStringLiteral("Tables|0|0"));
    QTreeWidgetItem* item = Item(QStringLiteral("orders"));
    ASSERT_TRUE(item);
    item->setCheckState(0, Qt::Unchecked);
    for (const QString& p : parts) EXPECT_EQ(Report(p), QStringLiteral("0")) << qPrintable(p);
    EXPECT_EQ(Report(QStringLiteral("DATABASE/TABLE[2]")), QStringLiteral("1"));  // its neighbours keep theirs
    EXPECT_FALSE(oStructureXML->FindNode(orders + QStringLiteral("/COLUMN[0]")).hasAttribute(QStringLiteral("Report")));

    // Shown again, the list reads the marks back.
    Click(QStringLiteral("Tables|0|0"));
    EXPECT_EQ(Item(QStringLiteral("orders"))->checkState(0), Qt::Unchecked);
    EXPECT_EQ(Item(QStringLiteral("customers"))->checkState(0), Qt::Checked);
    Item(QStringLiteral("orders"))->setCheckState(0, Qt::Checked);
    for (const QString& p : parts) EXPECT_EQ(Report(p), QStringLiteral("1")) << qPrintable(p);

    // A folder of the connection marks every object of its kind.
    Click(QStringLiteral("shop|0|0"));
    Item(QStringLiteral("Views"))->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(Report(QStringLiteral("DATABASE/VIEW[0]")), QStringLiteral("0"));
    EXPECT_EQ(Report(QStringLiteral("DATABASE/VIEW[1]")), QStringLiteral("0"));
    EXPECT_EQ(Report(QStringLiteral("DATABASE/TABLE[0]")), QStringLiteral("1"));
    Click(QStringLiteral("shop|0|0"));
    EXPECT_EQ(Item(QStringLiteral("Views"))->checkState(0), Qt::Unchecked);

    // An unticked table is left out of the folder's preview and previews empty alone.
    Item(QStringLiteral("Tables"))->setCheckState(0, Qt::Unchecked);
    Click(QStringLiteral("customers|0|0|2"));
    ShowPreview();
    const QString xml = testsupport::ReadFile(Preview::XmlFile());
    auto written = Document(xml);
    EXPECT_EQ(explorertest::AttributeNames(written->DocumentElement()),
              QStringList({QStringLiteral("Name"), QStringLiteral("DatabaseEngine"), QStringLiteral("ServerName"), QStringLiteral("Time")}));
    EXPECT_FALSE(written->DocumentElement().hasChildNodes());
    EXPECT_TRUE(testsupport::ReadFile(Preview::HtmlFile()).contains(QStringLiteral("no selected object is marked for the report")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// An index and a trigger of one name at one place share their node key; each list
// item still marks its own object.
TEST_F(Selection, AMarkReachesItsOwnObjectWhenKeysRepeat) {
    QString xml = StructureXml(QStringLiteral("Shop"));
    xml.replace(QStringLiteral("<TRIGGER Name=\"TR_OD\""), QStringLiteral("<TRIGGER Name=\"PK_OD\""));
    oStructureXML = Document(xml);
    gGroupIndex = 0;
    ASSERT_TRUE(w->GenerateLHXML());
    SaveTempFile();
    w->PopulateLHXML();
    const QString trigger = QStringLiteral("DATABASE/TABLE[3]/TRIGGER[0]"), index = QStringLiteral("DATABASE/TABLE[3]/INDEX[0]");
    oStructureXML->FindNode(index).setAttribute(QStringLiteral("Report"), QStringLiteral("0"));

    Click(QStringLiteral("Triggers|0|0|3"));
    ASSERT_EQ(Rows(), QStringList{QStringLiteral("PK_OD")});
    EXPECT_EQ(Item(QStringLiteral("PK_OD"))->checkState(0), Qt::Checked);  // the trigger's mark, not the index's
    Item(QStringLiteral("PK_OD"))->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(Report(trigger), QStringLiteral("0"));
    Click(QStringLiteral("Indexes|0|0|3"));
    EXPECT_EQ(Item(QStringLiteral("PK_OD"))->checkState(0), Qt::Unchecked);
    Item(QStringLiteral("PK_OD"))->setCheckState(0, Qt::Checked);
    EXPECT_EQ(Report(index), QStringLiteral("1"));
    EXPECT_EQ(Report(trigger), QStringLiteral("0"));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Selection, ColumnClicksSortAndDoubleClickOpensTheItemsNode) {
    ImportShop();
    Click(QStringLiteral("Tables|0|0"));
    const auto firstColumn = [&] {
        QStringList names;
        for (const QString& row : Rows()) names << row.section(QLatin1Char('|'), 0, 0);
        return names;
    };
    const QStringList ascending = {QStringLiteral("<script>alert(1)</script>"), QStringLiteral("customers"), QStringLiteral("O'Brien"),
                                   QStringLiteral("order_lines"), QStringLiteral("orders")};
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    // One order for all columns: it flips at every click, whichever column.
    w->lsvDescription_ColumnClick(0);
    EXPECT_EQ(firstColumn(), descending);
    w->lsvDescription_ColumnClick(1);
    w->lsvDescription_ColumnClick(0);
    EXPECT_EQ(firstColumn(), descending);
    w->lsvDescription_ColumnClick(0);
    EXPECT_EQ(firstColumn(), ascending);
    // A list shown later comes sorted too.
    Click(QStringLiteral("Tables|0|0"));
    EXPECT_EQ(firstColumn(), ascending);

    QTreeWidgetItem* orders = Item(QStringLiteral("orders"));
    w->lsvDescription->setCurrentItem(orders);
    QTreeWidgetItem* selectedNode = w->trvMain->currentItem();
    w->lsvDescription_DblClick();
    EXPECT_TRUE(Node(QStringLiteral("orders|0|0|4"))->isExpanded());
    EXPECT_EQ(Captions().value(3), QStringLiteral("Ordinal Position"));  // the table's columns
    EXPECT_EQ(w->trvMain->currentItem(), selectedNode);                  // the tree's selection stays
    // Rows of an object have no key: a double click does nothing.
    w->lsvDescription->setCurrentItem(w->lsvDescription->topLevelItem(0));
    const QStringList before = Rows();
    w->lsvDescription_DblClick();
    EXPECT_EQ(Rows(), before);
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Selection, PreviewFilesHoldTheSelectionAndTheBrowsersShowThem) {
    ImportShop();
    // Showing the preview after the import previews the whole connection.
    ShowPreview();
    auto whole = Document(testsupport::ReadFile(Preview::XmlFile()));
    EXPECT_EQ(whole->GetNodes(QStringLiteral("DATABASE/TABLE")).size(), 5);
    EXPECT_EQ(whole->GetNodes(QStringLiteral("DATABASE/VIEW")).size(), 2);
    EXPECT_EQ(whole->DocumentElement().attribute(QStringLiteral("DatabaseName")), QStringLiteral("shop"));
    EXPECT_EQ(w->wbReport->LocationURL(), Preview::HtmlFile());
    EXPECT_EQ(w->wbXMLPreview->LocationURL(), Preview::XmlFile());

    Click(QStringLiteral("orders|0|0|4"));
    ShowPreview();
    const QString xml = testsupport::ReadFile(Preview::XmlFile());
    auto table = Document(xml);
    EXPECT_EQ(table->GetNodes(QStringLiteral("DATABASE/*")).size(), 1);
    EXPECT_EQ(table->FindNode(QStringLiteral("DATABASE/TABLE")).attribute(QStringLiteral("Name")), QStringLiteral("orders"));
    EXPECT_EQ(table->GetNodes(QStringLiteral("DATABASE/TABLE/*")).size(), 9);  // 4 columns, 2 indexes, 2 keys, 1 trigger
    EXPECT_EQ(table->DocumentElement().attribute(QStringLiteral("Name")), QStringLiteral("shop"));
    EXPECT_EQ(table->DocumentElement().attribute(QStringLiteral("DatabaseEngine")), QStringLiteral("SQL Server 7.0"));
    for (const char* gone : {"Report=", "Migrate=", "CSSFile=", "SourceXPath="}) EXPECT_FALSE(xml.contains(QLatin1String(gone))) << gone;
    EXPECT_TRUE(xml.contains(QStringLiteral("\n  <TABLE Name=\"orders\"")));  // indented for reading

    const QString html = testsupport::ReadFile(Preview::HtmlFile());
    EXPECT_TRUE(html.contains(QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"") +
                              QUrl::fromLocalFile(AppPath() + QStringLiteral("/styles/Professional yellow.css")).toString(QUrl::FullyEncoded)));
    EXPECT_TRUE(html.contains(QStringLiteral("sqlite_autoindex_orders_1")));
    EXPECT_TRUE(html.contains(QStringLiteral("UPDATE customers SET credit = credit WHERE id = NEW.customer_id;\nEND")));

    // Later previews reload the files the browsers show.
    EXPECT_EQ(w->wbReport->LocationURL(), Preview::HtmlFile());
    EXPECT_TRUE(w->wbReport->toPlainText().contains(QStringLiteral("sqlite_autoindex_orders_1")));
    EXPECT_TRUE(w->wbXMLPreview->toPlainText().contains(QStringLiteral("<TABLE Name=\"orders\"")));
    Click(QStringLiteral("customers|0|0|2"));
    ShowPreview();
    EXPECT_EQ(w->wbReport->LocationURL(), Preview::HtmlFile());
    EXPECT_FALSE(w->wbReport->toPlainText().contains(QStringLiteral("sqlite_autoindex_orders_1")));
    EXPECT_TRUE(w->wbReport->toPlainText().contains(QStringLiteral("ux_customers_name")));

    // The XML preview is the file's text, coloured, never rendered as markup.
    EXPECT_EQ(w->wbXMLPreview->toPlainText(), testsupport::ReadFile(Preview::XmlFile()));
    const QTextBlock second = w->wbXMLPreview->document()->findBlockByNumber(1);
    ASSERT_TRUE(second.isValid() && second.layout());
    EXPECT_FALSE(second.layout()->formats().isEmpty());

    // Switching to the preview tab previews the last path again.
    testsupport::WriteFile(Preview::HtmlFile(), QString());
    w->ssRHPanel->setCurrentIndex(0);
    w->ssRHPanel->setCurrentIndex(1);
    EXPECT_TRUE(testsupport::ReadFile(Preview::HtmlFile()).contains(QStringLiteral("ux_customers_name")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// A preview is built only while its tab is shown: a click shows the details and
// builds none; showing a preview tab builds the preview of the selection.
TEST_F(Selection, ThePreviewsOfTheSampleDatabaseShowEveryTableAndView) {
    // The sample database the import wizard offers: twelve tables and three views.
    const QString sample = QStringLiteral(MORVALEX_BINARY_DIR "/resources/samples/sample.db");
    MORVALEX_REQUIRE(QFileInfo(sample).isFile(), "the sample database is not built (target morvalex_sample_db)");
    Import(QStringLiteral("sample"), sample, QStringLiteral("Driver=SQLite3;Database=") + sample + QStringLiteral(";NoCreat=1"));
    const QStringList tables = QStringLiteral("publishers authors categories books book_authors customers addresses orders "
                                              "order_items payments stock reviews")
                                   .split(QLatin1Char(' '));
    const QStringList views = QStringLiteral("v_order_totals v_book_catalogue v_reorder").split(QLatin1Char(' '));
    const struct {
        const char* key;
        QStringList shown;
    } cases[] = {
        {"Tables|0|0", tables},
        {"sample|0|0", tables + views},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Click(QLatin1String(c.key));
        ShowPreview();
        QElapsedTimer timer;
        timer.start();
        while (w->PreviewPending() && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const QString page = w->wbReport->toPlainText(), xml = w->wbXMLPreview->toPlainText();
        for (const QString& name : c.shown) {
            EXPECT_TRUE(page.contains(name)) << qPrintable(name);
            EXPECT_TRUE(xml.contains(QStringLiteral(" Name=\"") + name + QLatin1Char('"'))) << qPrintable(name);
        }
        EXPECT_FALSE(page.contains(QStringLiteral("left out")));
    }
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Selection, APreviewIsBuiltOnlyWhenItsTabIsShown) {
    ImportShop();  // the focus on the connection, as after Finish
    Click(QStringLiteral("Tables|0|0"));
    Click(QStringLiteral("orders|0|0|4"));
    EXPECT_EQ(w->ssRHPanel->currentIndex(), 0);
    EXPECT_EQ(Tabs(), QStringLiteral("1111"));
    EXPECT_FALSE(QFileInfo::exists(Preview::XmlFile()));
    EXPECT_FALSE(QFileInfo::exists(Preview::HtmlFile()));
    EXPECT_EQ(w->wbReport->LocationURL(), QStringLiteral("about:blank"));

    w->ssRHPanel->setCurrentIndex(2);  // the XML preview
    const auto previewed = [] {
        return Document(testsupport::ReadFile(Preview::XmlFile()))->FindNode(QStringLiteral("DATABASE/TABLE")).attribute(QStringLiteral("Name"));
    };
    EXPECT_EQ(previewed(), QStringLiteral("orders"));
    EXPECT_EQ(w->wbXMLPreview->LocationURL(), Preview::XmlFile());
    EXPECT_TRUE(w->wbReport->toPlainText().contains(QStringLiteral("sqlite_autoindex_orders_1")));

    // A click from a shown preview goes back to the details and leaves the preview.
    Click(QStringLiteral("customers|0|0|2"));
    EXPECT_EQ(w->ssRHPanel->currentIndex(), 0);
    EXPECT_EQ(previewed(), QStringLiteral("orders"));
    ShowPreview();
    EXPECT_EQ(previewed(), QStringLiteral("customers"));
    EXPECT_TRUE(w->wbReport->toPlainText().contains(QStringLiteral("ux_customers_name")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Selection, DatabaseTextNeverBecomesMarkupInThePreviews) {
    ImportShop();
    const struct {
        const char* key;
        const char* escaped;
    } cases[] = {
        {"<script>alert(1)</script>|0|0|0", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"html_view|0|0|1", "'&lt;img src=x onerror=alert(1)&gt;' AS markup, '&lt;/pre&gt;&lt;script&gt;alert(2)&lt;/script&gt;'"},
        {"shop|0|0", "&lt;b&gt;col&lt;/b&gt;"},
    };
    for (const auto& c : cases) {
        Click(QLatin1String(c.key));
        ShowPreview();
        const QString html = testsupport::ReadFile(Preview::HtmlFile());
        EXPECT_TRUE(html.contains(QLatin1String(c.escaped))) << c.key;
        for (const char* markup : {"<script", "<img", "<b>", "<i>"}) EXPECT_FALSE(html.contains(QLatin1String(markup))) << c.key << " " << markup;
        // The viewers show the text itself.
        const QString shown = w->wbReport->toPlainText();
        EXPECT_TRUE(shown.contains(QStringLiteral("<script>alert(")) || shown.contains(QStringLiteral("<b>col</b>"))) << c.key;
        EXPECT_TRUE(w->wbXMLPreview->toPlainText().contains(QStringLiteral("&lt;")) ||
                    w->wbXMLPreview->toPlainText().contains(QStringLiteral("<![CDATA[")))
            << c.key;
    }
    Click(QStringLiteral("html_view|0|0|1"));
    ShowPreview();
    EXPECT_TRUE(w->wbXMLPreview->toPlainText().contains(QStringLiteral("<![CDATA[CREATE VIEW html_view AS SELECT '<img src=x")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Selection, ConnectionsAreLoadedOnceAndAskedForWhenStopped) {
    ImportShop();
    // A second connection of another type, from a structure file with one table whose
    // name holds "|"; its temporary copy is written.
    QString xml = StructureXml(QStringLiteral("Stock"));
    xml.replace(QStringLiteral("Name=\"Products\""), QStringLiteral("Name=\"a|7|9\""));
    oStructureXML = Document(xml);
    gGroupIndex = 0;
    ASSERT_TRUE(w->GenerateLHXML());
    SaveTempFile();
    w->PopulateLHXML();

    Click(QStringLiteral("a|7|9|0|1|2"));
    EXPECT_EQ(std::pair(gGroupIndex, gConnectionIndex), std::pair(qint16(0), qint16(1)));
    EXPECT_EQ(Rows().size(), 1);  // the table's column
    ShowPreview();
    auto stock = Document(testsupport::ReadFile(Preview::XmlFile()));
    EXPECT_EQ(stock->DocumentElement().attribute(QStringLiteral("Name")), QStringLiteral("Stock"));
    EXPECT_EQ(stock->DocumentElement().attribute(QStringLiteral("DatabaseEngine")), QStringLiteral("MS Access 2000"));

    // The other connection is loaded from its copy; a second object of it is not.
    Click(QStringLiteral("customers|0|0|2"));
    ShowPreview();
    EXPECT_EQ(Document(testsupport::ReadFile(Preview::XmlFile()))->DocumentElement().attribute(QStringLiteral("DatabaseEngine")),
              QStringLiteral("SQL Server 7.0"));
    const QString copy = oLHXML->FindNode(TreeDocument::ConnectionPath(0, 0)).attribute(QStringLiteral("TempXMLFileName"));
    ASSERT_TRUE(QFile::remove(copy));
    Click(QStringLiteral("orders|0|0|4"));
    EXPECT_TRUE(host->messages().isEmpty());
    EXPECT_EQ(Rows().size(), 4);

    // A copy that cannot be loaded stops the handling with a message that names the
    // way out; the list no longer shows the connection selected before.
    Click(QStringLiteral("Stock|0|1"));
    ASSERT_FALSE(Rows().isEmpty());
    Click(QStringLiteral("orders|0|0|4"));
    EXPECT_EQ(host->messages(), QStringList{QStringLiteral("Your database structure could not be loaded. Select the database and "
                                                           "choose Refresh to read its structure again.")});
    EXPECT_TRUE(Rows().isEmpty());
    // The previews then show nothing, and opening them is no error.
    ShowPreview();
    EXPECT_EQ(w->wbReport->LocationURL(), QStringLiteral("about:blank"));
    EXPECT_EQ(w->wbXMLPreview->LocationURL(), QStringLiteral("about:blank"));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));

    // A connection without a loaded structure asks first; No leaves everything shown.
    host->prompts.clear();
    oLHXML->FindNode(TreeDocument::ConnectionPath(0, 0)).setAttribute(QStringLiteral("TempXMLFileName"), QStringLiteral(" "));
    w->PopulateLHXML();
    Click(QStringLiteral("Stock|0|1"));
    const QStringList stockFolders = Rows();
    w->mnuSubFile.value(1)->setEnabled(true);
    host->answers.enqueue(platform::ui::Answer::No);
    Click(QStringLiteral("shop|0|0"));
    ASSERT_EQ(host->prompts.size(), 1);
    EXPECT_EQ(host->prompts[0].text, QStringLiteral("The database 'shop' is not connected. Do you want to connect?"));
    EXPECT_EQ(host->prompts[0].buttons, platform::ui::Buttons::YesNo);
    EXPECT_EQ(host->prompts[0].title, QStringLiteral("Morvalex 4.0"));
    EXPECT_EQ(Rows(), stockFolders);
    EXPECT_FALSE(w->mnuSubFile.value(1)->isEnabled());
    // Its row in the group's list has the stopped picture.
    Click(QStringLiteral("Morvalex Group"));
    EXPECT_EQ(ObjectList::ImageKey(Item(QStringLiteral("shop"))), QStringLiteral("DATABASECONNECTION_STOPPED"));
    EXPECT_EQ(ObjectList::ImageKey(Item(QStringLiteral("Stock"))), QStringLiteral("DATABASECONNECTION"));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

TEST_F(Selection, KeysThatMoveTheCurrentNodeHandleItAsAClick) {
    ImportShop();
    Node(QStringLiteral("Tables|0|0"))->setExpanded(true);
    w->trvMain->setCurrentItem(Node(QStringLiteral("Tables|0|0")));
    Click(QStringLiteral("Tables|0|0"));
    const auto press = [&](int key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(w->trvMain, &e);
    };
    const struct {
        int key;
        QString current, preview, firstRow;
    } steps[] = {
        // The first table, "<script>alert(1)</script>", then the next two.
        {Qt::Key_Down, QStringLiteral("<script>alert(1)</script>"), QStringLiteral("DATABASE/TABLE[0]"), QString()},
        {Qt::Key_Down, QStringLiteral("O'Brien"), QStringLiteral("DATABASE/TABLE[1]"), QString()},
        {Qt::Key_Down, QStringLiteral("customers"), QStringLiteral("DATABASE/TABLE[2]"), QStringLiteral("id")},
        {Qt::Key_Home, QStringLiteral("Morvalex Database Structures"), QString(), QStringLiteral("Morvalex Group")},
    };
    for (const auto& step : steps) {
        press(step.key);
        ASSERT_TRUE(w->trvMain->currentItem());
        EXPECT_EQ(w->trvMain->currentItem()->text(0), step.current);
        EXPECT_EQ(w->PanelText(1), w->trvMain->currentItem()->text(0));
        EXPECT_EQ(gPreviewXPath, step.preview) << qPrintable(step.current);
        if (!step.firstRow.isEmpty()) {
            ASSERT_FALSE(Rows().isEmpty()) << qPrintable(step.current);
            EXPECT_TRUE(Rows()[0].startsWith(step.firstRow + QLatin1Char('|'))) << qPrintable(Rows()[0]);
        }
    }
    // A key that leaves the current node where it is handles nothing again.
    w->lsvDescription->clear();
    press(Qt::Key_Up);  // already at the top
    EXPECT_TRUE(Rows().isEmpty());
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char('\n')));
}

TEST_F(Selection, ListColumnsFitTheirContentsAndTheLastTakesTheRest) {
    ImportShop();
    w->resize(1600, 1000);
    QCoreApplication::processEvents();
    for (const char* key : {"Morvalex Group", "Tables|0|0", "Indexes|0|0|4", "customers|0|0|2"}) {
        SCOPED_TRACE(key);
        Click(QString::fromLatin1(key));
        QCoreApplication::processEvents();
        QTreeWidget* list = w->lsvDescription;
        const int columns = list->columnCount();
        ASSERT_GE(columns, 1);
        const QFontMetrics metrics(list->font());
        for (int c = 0; c < columns - 1; ++c) {
            // No text of the column nor its caption is cut.
            int widest = list->header()->sectionSizeHint(c);
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = list->topLevelItem(i);
                widest = qMax(widest, metrics.horizontalAdvance(item->text(c)) + (c == 0 && !item->icon(0).isNull() ? 16 : 0));
            }
            EXPECT_GE(list->columnWidth(c), widest) << c;
            EXPECT_LE(list->columnWidth(c), list->viewport()->width() / 2) << c;
        }
        int total = 0;
        for (int c = 0; c < columns; ++c) total += list->columnWidth(c);
        EXPECT_EQ(total, list->viewport()->width());
    }
    // The window as a user sees it maximised on a 1600x1000 screen, a table's columns
    // listed.
    const QString shots = QStringLiteral(MORVALEX_BINARY_DIR "/screenshots");
    QDir().mkpath(shots);
    Node(QStringLiteral("Tables|0|0"))->setExpanded(true);
    w->trvMain->setCurrentItem(Node(QStringLiteral("customers|0|0|2")));
    EXPECT_TRUE(w->grab().save(shots + QStringLiteral("/main-window-1600x1000.png")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

// What the preview pane shows: the page's text and the background of the columns
// table's heading row, the part of the page the style sheet colours most.
struct Shown {
    QString text;
    QColor heading;
};
Shown ShownIn(const WebBrowser* browser) {
    const QTextCursor at = browser->document()->find(QStringLiteral("customer_id"));
    const QTextTable* table = at.isNull() ? nullptr : at.currentTable();
    return {browser->toPlainText(), table ? table->cellAt(0, 0).format().background().color() : QColor()};
}

// Not compared pixel by pixel: the pictures under <build>/screenshots let a reviewer
// see the previews as the user does; the checks read what each visible pane shows.
TEST_F(Selection, ScreenshotOfTheDocumentPreviewOfATable) {
    ImportShop();
    const QString shots = QStringLiteral(MORVALEX_BINARY_DIR "/screenshots");
    QDir().mkpath(shots);
    w->resize(1280, 900);
    Node(QStringLiteral("Tables|0|0"))->setExpanded(true);
    const auto select = [&](const QString& key) {
        w->trvMain->setCurrentItem(Node(key));
        Click(key);
    };
    const auto firstCells = [&] {
        QStringList cells;
        for (const QString& row : Rows()) cells << row.section(QLatin1Char('|'), 0, 0);
        return cells;
    };
    select(QStringLiteral("orders|0|0|4"));
    const struct {
        const char* css;
        const char* file;
    } styles[] = {{"Professional yellow", "preview-table.png"}, {"Classic blue", "preview-table-classic-blue.png"},
                  {"Printer Friendly", "preview-table-printer-friendly.png"}};
    QSet<QRgb> headings;
    for (const auto& s : styles) {
        SCOPED_TRACE(s.css);
        gReportCSSFile = QStringLiteral("styles/%1.css").arg(QLatin1String(s.css));
        w->ssRHPanel->setCurrentIndex(0);
        w->ssRHPanel->setCurrentIndex(1);  // previews gPreviewXPath again
        QCoreApplication::processEvents();
        EXPECT_TRUE(testsupport::ReadFile(Preview::HtmlFile()).contains(QString::fromLatin1(s.css).replace(QLatin1Char(' '), QStringLiteral("%20"))));
        // The page shows the table with its columns from its top, in the style's colours.
        ASSERT_TRUE(w->wbReport->isVisible());
        EXPECT_EQ(w->wbReport->verticalScrollBar()->value(), 0);
        const Shown shown = ShownIn(w->wbReport);
        EXPECT_TRUE(shown.text.contains(QStringLiteral("orders")));
        for (const char* column : {"customer_id", "order_no", "placed", "note"})
            EXPECT_TRUE(shown.text.contains(QLatin1String(column))) << column;
        EXPECT_FALSE(shown.text.contains(QStringLiteral("ux_customers_name")));  // another table's index
        EXPECT_TRUE(shown.heading.isValid());
        headings.insert(shown.heading.rgb());
        EXPECT_TRUE(w->grab().save(shots + QLatin1Char('/') + QLatin1String(s.file)));
    }
    EXPECT_EQ(headings.size(), 3);  // each style colours the page its own way

    w->ssRHPanel->setCurrentIndex(2);
    QCoreApplication::processEvents();
    ASSERT_TRUE(w->wbXMLPreview->isVisible());
    EXPECT_TRUE(w->wbXMLPreview->toPlainText().contains(QStringLiteral("<TABLE Name=\"orders\"")));
    EXPECT_TRUE(w->wbXMLPreview->toPlainText().contains(QStringLiteral("<COLUMN Name=\"customer_id\"")));
    EXPECT_TRUE(w->grab().save(shots + QStringLiteral("/preview-xml.png")));

    // The connection: its folders in the list, every table on its preview page.
    gReportCSSFile = QStringLiteral("styles/Forest green.css");
    select(QStringLiteral("shop|0|0"));
    ASSERT_TRUE(w->lsvDescription->isVisible());
    EXPECT_EQ(firstCells(), QStringList({QStringLiteral("Tables"), QStringLiteral("Views")}));
    EXPECT_TRUE(w->grab().save(shots + QStringLiteral("/selection-connection-list.png")));
    w->ssRHPanel->setCurrentIndex(1);
    QCoreApplication::processEvents();
    ASSERT_TRUE(w->wbReport->isVisible());
    for (const char* table : {"customers", "orders", "order_lines", "O'Brien", "big_customers"})
        EXPECT_TRUE(w->wbReport->toPlainText().contains(QLatin1String(table))) << table;
    EXPECT_TRUE(w->grab().save(shots + QStringLiteral("/preview-connection.png")));

    // A table's columns in the list.
    select(QStringLiteral("customers|0|0|2"));
    QCoreApplication::processEvents();
    ASSERT_TRUE(w->lsvDescription->isVisible());
    EXPECT_EQ(firstCells(), QStringList({QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("email"), QStringLiteral("credit")}));
    EXPECT_TRUE(w->grab().save(shots + QStringLiteral("/selection-table-columns.png")));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char('\n')));
}

}  // namespace
