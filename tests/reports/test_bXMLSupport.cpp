// The HTML report generator with the installed style sheets and templates.

#include "ReportFixture.h"

#include "reports/bXMLSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include <libxml/HTMLparser.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace bGlobal;
using namespace reporttest;
using namespace Qt::StringLiterals;
using bXMLSupport::SaveAsHTML;

namespace {

using Reports = ReportTest;

struct Entry {
    QString element, name, link;
    bool operator==(const Entry&) const = default;
};
void PrintTo(const Entry& e, std::ostream* os) {
    *os << qPrintable(e.element) << " " << qPrintable(e.name) << " -> " << qPrintable(e.link);
}

// The lists of an index document: list name -> (Count, entries).
struct IndexList {
    QString name;
    int count = -1;
    QList<Entry> entries;
};
QList<IndexList> ReadIndex(cXML& index) {
    QList<IndexList> lists;
    for (const XmlNode& list : index.DocumentElement().childElements()) {
        IndexList l{list.nodeName(), list.attribute(QStringLiteral("Count")).toInt(), {}};
        for (const XmlNode& e : list.childElements())
            l.entries.append({e.nodeName(), e.attribute(QStringLiteral("Name")), e.attribute(QStringLiteral("Link"))});
        lists.append(l);
    }
    return lists;
}

const QStringList kListNames = {QStringLiteral("TABLESLIST"), QStringLiteral("VIEWSLIST"),
                                QStringLiteral("STOREDPROCEDURESLIST"), QStringLiteral("TRIGGERSLIST"),
                                QStringLiteral("INDEXESLIST")};

// Every link of a page that stays in the report: the target file (in the report's
// folder) and the fragment, both as a browser reads them.
struct Link {
    QString file;
    QString fragment;
};
QList<Link> LocalLinks(const HtmlPage& page, const QString& ownFile) {
    QList<Link> out;
    for (const QString& href : page.hrefs) {
        const qsizetype hash = href.indexOf(QLatin1Char('#'));
        const QString file = QUrl::fromPercentEncoding((hash < 0 ? href : href.left(hash)).toUtf8());
        out.append({file.isEmpty() ? ownFile : file, hash < 0 ? QString() : href.mid(hash + 1)});
    }
    return out;
}

// A fragment finds an element whose id is the fragment as written, or decoded.
bool Resolves(const HtmlPage& page, const QString& fragment) {
    return fragment.isEmpty() || page.ids.contains(fragment) ||
           page.ids.contains(QUrl::fromPercentEncoding(fragment.toUtf8()));
}

// Checks that every link of every page in a report folder reaches a file of the
// folder and an element of that file.
void ExpectLinksResolve(const QString& folder, bool anyLinks = true) {
    QHash<QString, HtmlPage> pages;
    for (const QString& name : HtmlFiles(folder)) pages.insert(name, ParseHtml(testsupport::ReadFile(folder + name)));
    int checked = 0;
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        for (const Link& link : LocalLinks(it.value(), it.key())) {
            ASSERT_TRUE(pages.contains(link.file)) << qPrintable(it.key()) << " links to missing " << qPrintable(link.file);
            EXPECT_TRUE(Resolves(pages[link.file], link.fragment))
                << qPrintable(it.key()) << " links to " << qPrintable(link.file) << "#" << qPrintable(link.fragment);
            ++checked;
        }
    }
    EXPECT_EQ(checked > 0, anyLinks);
}

}  // namespace

// ---- split reports ------------------------------------------------------------------

struct PagingCase {
    const char* what;
    QStringList unreport;
    int perPage;
    QStringList pages;
    QList<int> counts;  // in list order: tables, views, procedures, triggers, indexes
};

void PrintTo(const PagingCase& c, std::ostream* os) { *os << c.what; }

class Paging : public ReportTest, public ::testing::WithParamInterface<PagingCase> {};

TEST_P(Paging, PagesAndIndexFollowTheObjectsPerPage) {
    const PagingCase& c = GetParam();
    LoadStructure(QStringLiteral("shop.xml"));
    for (const QString& pattern : c.unreport) Unreport(pattern);
    gObjectsPerPage = qint16(c.perPage);
    const QString out = Out(QStringLiteral("split"));

    ASSERT_TRUE(SaveAsHTML(out, true));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char(',')));
    EXPECT_TRUE(host->messages().isEmpty()) << qPrintable(host->messages().join(QLatin1Char(',')));

    QStringList expected = c.pages;
    for (QString& p : expected) p += QStringLiteral(".html");
    expected << QStringLiteral("index.html");
    expected.sort();
    EXPECT_EQ(HtmlFiles(out), expected);
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("images/morvalex.svg")));
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("styles/Professional yellow.css")));

    cXML index;
    ASSERT_TRUE(index.LoadXMLFile(out + QStringLiteral("index.xml")));
    const XmlNode root = index.DocumentElement();
    EXPECT_EQ(root.nodeName(), QStringLiteral("DATABASEINDEX"));
    EXPECT_EQ(root.attribute(QStringLiteral("Name")), QStringLiteral("shop"));
    EXPECT_EQ(root.attribute(QStringLiteral("ServerName")), QStringLiteral("127.0.0.1"));
    EXPECT_FALSE(root.attribute(QStringLiteral("ReportDate")).isEmpty());
    const QList<IndexList> lists = ReadIndex(index);
    ASSERT_EQ(lists.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(lists[i].name, kListNames[i]);
        EXPECT_EQ(lists[i].count, c.counts[i]) << qPrintable(lists[i].name);
        EXPECT_EQ(lists[i].entries.size(), c.counts[i]) << qPrintable(lists[i].name);
    }
    ExpectLinksResolve(out, !c.pages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Reports, Paging,
    ::testing::Values(
        PagingCase{"twelve objects in pages of five", {}, 5, {u"shop1To5"_s, u"shop6To10"_s, u"shop11To12"_s}, {3, 2, 1, 2, 4}},
        PagingCase{"ten objects make exactly two pages",
                   {u"DATABASE/STOREDPROCEDURE"_s, u"DATABASE/VIEW[1]"_s}, 5, {u"shop1To5"_s, u"shop6To10"_s}, {3, 1, 0, 2, 4}},
        PagingCase{"no object makes no page",
                   {u"DATABASE/TABLE"_s, u"DATABASE/TABLE/INDEX"_s, u"DATABASE/TABLE/TRIGGER"_s, u"DATABASE/VIEW"_s,
                    u"DATABASE/STOREDPROCEDURE"_s},
                   5, {}, {0, 0, 0, 0, 0}},
        PagingCase{"all objects on one page", {}, 12, {u"shop1To12"_s}, {3, 2, 1, 2, 4}},
        PagingCase{"a setting below one pages by five", {}, 0, {u"shop1To5"_s, u"shop6To10"_s, u"shop11To12"_s}, {3, 2, 1, 2, 4}}),
    [](const auto& testInfo) {
        QString name = QString::fromLatin1(testInfo.param.what);
        name.replace(QLatin1Char(' '), QLatin1Char('_'));
        return name.toStdString();
    });

TEST_F(Reports, SplitIndexLinksEveryObjectToItsPage) {
    LoadStructure(QStringLiteral("shop.xml"));
    const QString out = Out(QStringLiteral("split"));
    ASSERT_TRUE(SaveAsHTML(out, true));

    cXML index;
    ASSERT_TRUE(index.LoadXMLFile(out + QStringLiteral("index.xml")));
    const QList<IndexList> lists = ReadIndex(index);
    ASSERT_EQ(lists.size(), 5);
    const QString p1 = QStringLiteral("shop1To5.html#"), p2 = QStringLiteral("shop6To10.html#"),
                  p3 = QStringLiteral("shop11To12.html#");
    EXPECT_EQ(lists[0].entries, (QList<Entry>{{u"TABLE"_s, u"Customers"_s, p1 + u"Customers"_s},
                                              {u"TABLE"_s, u"Orders"_s, p1 + u"Orders"_s},
                                              {u"TABLE"_s, u"Order Details"_s, p1 + u"Order%20Details"_s}}));
    EXPECT_EQ(lists[1].entries, (QList<Entry>{{u"VIEW"_s, u"OpenOrders"_s, p2 + u"view:OpenOrders"_s},
                                              {u"VIEW"_s, u"BigCustomers"_s, p3 + u"view:BigCustomers"_s}}));
    EXPECT_EQ(lists[2].entries, (QList<Entry>{{u"STOREDPROCEDURE"_s, u"place_order"_s, p3 + u"procedure:place_order"_s}}));
    EXPECT_EQ(lists[3].entries,
              (QList<Entry>{{u"TRIGGER"_s, u"trg_orders_stamp"_s, p2 + u"trigger:Orders/trg_orders_stamp"_s},
                            {u"TRIGGER"_s, u"trg_details_check"_s, p2 + u"trigger:Order%20Details/trg_details_check"_s}}));
    EXPECT_EQ(lists[4].entries,
              (QList<Entry>{{u"INDEX"_s, u"pk_customers"_s, p1 + u"index:Customers/pk_customers"_s},
                            {u"INDEX"_s, u"ix_customers_email"_s, p1 + u"index:Customers/ix_customers_email"_s},
                            {u"INDEX"_s, u"pk_orders"_s, p2 + u"index:Orders/pk_orders"_s},
                            {u"INDEX"_s, u"pk_details"_s, p2 + u"index:Order%20Details/pk_details"_s}}));

    // The first page holds tables and indexes; the second page's trigger and index
    // blocks link to their tables on the first page.
    const QString page1 = testsupport::ReadFile(out + QStringLiteral("shop1To5.html"));
    EXPECT_TRUE(page1.contains(QLatin1String("<morvtables ")) && page1.contains(QLatin1String("<morvindexes ")));
    const QString page2 = testsupport::ReadFile(out + QStringLiteral("shop6To10.html"));
    EXPECT_TRUE(page2.contains(QLatin1String("href=\"shop1To5.html#Orders\"")));
    EXPECT_TRUE(page2.contains(QLatin1String("href=\"shop1To5.html#Order%20Details\"")));
    EXPECT_FALSE(page2.contains(QLatin1String("href=\"#Orders\"")));

    ExpectGolden(QStringLiteral("split-index.xml"),
                 testsupport::ReadFile(out + QStringLiteral("index.xml"))
                     .replace(QRegularExpression(QStringLiteral("ReportDate=\"[^\"]*\"")), QStringLiteral("ReportDate=\"DATE\"")));
    ExpectGolden(QStringLiteral("split-index.html"), WithoutDate(testsupport::ReadFile(out + QStringLiteral("index.html"))));
    ExpectGolden(QStringLiteral("split-shop6To10.html"), page2);
}

TEST_F(Reports, TheReportNamespaceIsDeclaredOnTheIndexDocument) {
    LoadStructure(QStringLiteral("shop.xml"));
    gReportNameSpace = QStringLiteral("morv");
    gReportNameSpaceURI = QStringLiteral("urn:example:morvalex");
    const QString out = Out(QStringLiteral("namespace"));
    ASSERT_TRUE(SaveAsHTML(out, true));
    const QString text = testsupport::ReadFile(out + QStringLiteral("index.xml"));
    EXPECT_TRUE(text.contains(QLatin1String("xmlns:morv=\"urn:example:morvalex\""))) << qPrintable(text.left(300));
    cXML index;
    ASSERT_TRUE(index.LoadXMLContent(text));
    const QList<IndexList> lists = ReadIndex(index);
    ASSERT_EQ(lists.size(), 5);
    EXPECT_EQ(lists[0].count, 3);
    EXPECT_EQ(lists[4].count, 4);
    EXPECT_EQ(HtmlFiles(out).size(), 4);
}

// A style sheet that keeps to the bare contract (wrappers with Number and Name, the
// table's name as its anchor) and puts a table link into a trigger and into a view.
TEST_F(Reports, TableLinksChangeOnTriggerPagesAndViewPagesStayAsWritten) {
    LoadStructure(QStringLiteral("shop.xml"));
    gReportXSLFile = DataFile(QStringLiteral("links.xsl"));
    gIndexXSLFile = folder.file(QStringLiteral("styles/none.xsl"));  // missing: the index is empty
    gObjectsPerPage = 1;
    const QString out = Out(QStringLiteral("links"));
    ASSERT_TRUE(SaveAsHTML(out, true));
    EXPECT_TRUE(errors.isEmpty());

    EXPECT_EQ(HtmlFiles(out), (QStringList{u"index.html"_s, u"shop101To101.html"_s, u"shop102To102.html"_s, u"shop1To1.html"_s,
                                           u"shop2To2.html"_s, u"shop3To3.html"_s, u"shop4To4.html"_s, u"shop5To5.html"_s}));
    const QString trigger = testsupport::ReadFile(out + QStringLiteral("shop4To4.html"));
    EXPECT_TRUE(trigger.contains(QLatin1String("<a href=\"shop1To1.html#Customers\">"))) << qPrintable(trigger);
    const QString view = testsupport::ReadFile(out + QStringLiteral("shop101To101.html"));
    EXPECT_TRUE(view.contains(QLatin1String("<a href=\"#Customers\">"))) << qPrintable(view);

    cXML index;
    ASSERT_TRUE(index.LoadXMLFile(out + QStringLiteral("index.xml")));
    EXPECT_EQ(ReadIndex(index)[0].entries.first(), (Entry{u"TABLE"_s, u"Customers"_s, u"shop1To1.html#Customers"_s}));
    // Without an index style sheet the index page holds the template only.
    const QString indexPage = testsupport::ReadFile(out + QStringLiteral("index.html"));
    EXPECT_FALSE(indexPage.contains(QLatin1String("<!-- Your report here -->")));
    EXPECT_FALSE(indexPage.contains(QLatin1String("Morvalex 4.0 report generated on")));
}

TEST_F(Reports, PrinterFriendlyPagesCarryNoNavigation) {
    LoadStructure(QStringLiteral("shop.xml"));
    gPrinterFriendly = true;
    gReportXSLFile = gIndexXSLFile = AppPath() + QStringLiteral("/styles/morvpfreport.xsl");
    gReportCSSFile = QStringLiteral("\\styles\\Printer Friendly.css");  // either separator, a leading one too
    const QString out = Out(QStringLiteral("pf"));
    ASSERT_TRUE(SaveAsHTML(out, true));
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("styles/Printer Friendly.css")));
    for (const QString& name : HtmlFiles(out)) {
        const QString page = testsupport::ReadFile(out + name);
        EXPECT_FALSE(page.contains(QLatin1String("page-nav"))) << qPrintable(name);
        EXPECT_FALSE(page.contains(QLatin1String("to-contents"))) << qPrintable(name);
        EXPECT_TRUE(page.contains(QLatin1String("href=\"styles/Printer Friendly.css\""))) << qPrintable(name);
    }
    ExpectLinksResolve(out);
}

// ---- one-page reports -----------------------------------------------------------------

TEST_F(Reports, SinglePageHoldsContentsThenReportAndLinksToItself) {
    LoadStructure(QStringLiteral("shop.xml"));
    const QString out = Out(QStringLiteral("single"));
    const QString file = out + QStringLiteral("shop report.html");
    ASSERT_TRUE(SaveAsHTML(file, false));
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(host->messages().isEmpty());
    EXPECT_EQ(HtmlFiles(out), QStringList{QStringLiteral("shop report.html")});
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("images/morvalex.svg")));
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("styles/Professional yellow.css")));

    ASSERT_TRUE(oIndexXML);
    const QList<IndexList> lists = ReadIndex(*oIndexXML);
    ASSERT_EQ(lists.size(), 5);
    EXPECT_EQ(lists[0].count, 3);
    EXPECT_EQ(lists[0].entries.first(), (Entry{u"TABLE"_s, u"Customers"_s, u"shop report.html#Customers"_s}));
    EXPECT_EQ(lists[4].entries.last(), (Entry{u"INDEX"_s, u"pk_details"_s, u"shop report.html#index:Order%20Details/pk_details"_s}));

    const QString page = testsupport::ReadFile(file);
    EXPECT_LT(page.indexOf(QLatin1String("id=\"morv:contents\"")), page.indexOf(QLatin1String("<Br><br><div class=\"report-body\">")));
    EXPECT_FALSE(page.contains(QLatin1String("<!-- Your")));
    EXPECT_FALSE(page.contains(QLatin1String("<!--Your CSS Path-->")));
    EXPECT_TRUE(page.contains(QLatin1String("<link rel=\"stylesheet\" href=\"styles/Professional yellow.css\">")));
    EXPECT_FALSE(page.contains(QLatin1String("Morvalex report style")));  // linked, not inlined
    for (const char* left : {"AuditLog", "HiddenView", "ix_hidden"}) EXPECT_FALSE(page.contains(QLatin1String(left))) << left;

    const HtmlPage parsed = ParseHtml(page);
    for (const QString& href : parsed.hrefs) EXPECT_FALSE(href.startsWith(QLatin1String("index.html"))) << qPrintable(href);
    EXPECT_TRUE(parsed.hrefs.contains(QStringLiteral("#morv:contents")));
    EXPECT_TRUE(parsed.hrefs.contains(QStringLiteral("shop%20report.html#Customers")));
    ExpectLinksResolve(out);
    ExpectGolden(QStringLiteral("single.html"), WithoutDate(page));
}

// A connection string of one's own reads no procedures and triggers: the contents say
// "not read" for them, in the one-page and in the split report, and count the kinds
// read, none as 0. The index document marks the lists of the kinds not read.
TEST_F(Reports, KindsTheImportDidNotReadAreNotCountedAsNone) {
    LoadStructure(QStringLiteral("others.xml"));
    const QString single = Out(QStringLiteral("single")) + QStringLiteral("till.html");
    ASSERT_TRUE(SaveAsHTML(single, false));
    const QString split = Out(QStringLiteral("split"));
    ASSERT_TRUE(SaveAsHTML(split, true));
    EXPECT_TRUE(errors.isEmpty());
    const auto cell = [](const char* count, const char* what) {
        return QStringLiteral("<span class=\"count\">%1</span><span class=\"what\">%2</span>")
            .arg(QLatin1String(count), QLatin1String(what));
    };
    for (const QString& page : {testsupport::ReadFile(single), testsupport::ReadFile(split + QStringLiteral("index.html"))}) {
        EXPECT_TRUE(page.contains(cell("1", "Tables")));
        EXPECT_TRUE(page.contains(cell("0", "Views")));
        EXPECT_TRUE(page.contains(cell("not read", "Stored procedures")));
        EXPECT_TRUE(page.contains(cell("not read", "Triggers")));
        EXPECT_TRUE(page.contains(cell("1", "Indexes")));
    }
    cXML index;
    ASSERT_TRUE(index.LoadXMLFile(split + QStringLiteral("index.xml")));
    QStringList notRead;
    for (const XmlNode& list : index.DocumentElement().childElements())
        if (list.attribute(QStringLiteral("NotRead")) == QLatin1String("True")) notRead << list.nodeName();
    EXPECT_EQ(notRead, QStringList({u"STOREDPROCEDURESLIST"_s, u"TRIGGERSLIST"_s}));

    // A structure without the marker counts every kind.
    LoadStructure(QStringLiteral("shop.xml"));
    ASSERT_TRUE(SaveAsHTML(single, false));
    EXPECT_FALSE(testsupport::ReadFile(single).contains(QLatin1String("not read")));
}

// An exact numeric column shows its scale with its length, in the screen and the
// printer-friendly layout; a column without Scale shows its length alone.
TEST_F(Reports, AnExactNumericColumnShowsItsScaleWithItsLength) {
    LoadStructure(QStringLiteral("others.xml"));
    for (const bool printerFriendly : {false, true}) {
        SCOPED_TRACE(printerFriendly ? "printer friendly" : "screen");
        if (printerFriendly) gReportXSLFile = gIndexXSLFile = AppPath() + QStringLiteral("/styles/morvpfreport.xsl");
        const QString file = Out(printerFriendly ? QStringLiteral("pf") : QStringLiteral("screen")) + QStringLiteral("till.html");
        ASSERT_TRUE(SaveAsHTML(file, false));
        const QString page = testsupport::ReadFile(file);
        EXPECT_TRUE(page.contains(QLatin1String("<td class=\"type\">numeric</td><td class=\"num\">12,2</td>")));
        EXPECT_TRUE(page.contains(QLatin1String("<td class=\"type\">integer</td><td class=\"num\">10</td>")));
        EXPECT_TRUE(page.contains(QLatin1String("<td class=\"type\">numeric</td><td class=\"num\"></td>")));
    }
}

// What the engine records beyond the plain objects stands with its object in the
// screen and the printer-friendly layout: a table's partitioning, an identity or
// generated column, an index's method, descending and included columns and
// predicate, a deferrable key.
TEST_F(Reports, EngineFactsStandWithTheirObjects) {
    LoadStructure(QStringLiteral("facts.xml"));
    const char* const shown[] = {
        "<dt>Partitioned by</dt><dd>RANGE (at)</dd>",
        "<dt>Partition of</dt><dd>journal</dd>",
        "<dt>Bounds</dt><dd>FOR VALUES FROM ('2026-01-01') TO ('2027-01-01')</dd>",
        "<code>GENERATED ALWAYS AS IDENTITY</code>",
        "<code>GENERATED ALWAYS AS (pid * 2) STORED</code>",
        "<th scope=\"row\">Method</th><td>gin</td>",
        "<th scope=\"row\">Descending</th><td class=\"column-name\">pid</td>",
        "<th scope=\"row\">Include</th><td class=\"column-name\">pcode</td>",
        "<th scope=\"row\">Where</th><td><code>outlier = false</code></td>",
        "DEFERRABLE INITIALLY DEFERRED",
    };
    for (const bool printerFriendly : {false, true}) {
        SCOPED_TRACE(printerFriendly ? "printer friendly" : "screen");
        if (printerFriendly) gReportXSLFile = gIndexXSLFile = AppPath() + QStringLiteral("/styles/morvpfreport.xsl");
        const QString file = Out(printerFriendly ? QStringLiteral("pf") : QStringLiteral("screen")) + QStringLiteral("facts.html");
        ASSERT_TRUE(SaveAsHTML(file, false));
        const QString page = testsupport::ReadFile(file);
        for (const char* text : shown) EXPECT_TRUE(page.contains(QLatin1String(text))) << text;
        // An index without them has no such rows.
        EXPECT_EQ(page.count(QLatin1String("<th scope=\"row\">Method</th>")), 1);
    }
}

struct TemplateCase {
    const char* what;
    QString templateText;  // "" = the installed Word template
    bool inlined;
    bool linked;
};

void PrintTo(const TemplateCase& c, std::ostream* os) { *os << c.what; }

class Templates : public ReportTest, public ::testing::WithParamInterface<TemplateCase> {};

TEST_P(Templates, PlaceholdersAreFilled) {
    const TemplateCase& c = GetParam();
    LoadStructure(QStringLiteral("shop.xml"));
    gDatabaseName = QStringLiteral("<b>\"Q&A\"</b>");
    if (c.templateText.isEmpty()) {
        gReportTemplateFile = AppPath() + QStringLiteral("/MorvalexWordTop.template");
        gReportXSLFile = gIndexXSLFile = AppPath() + QStringLiteral("/styles/morvword.xsl");
    } else {
        gReportTemplateFile = folder.file(QStringLiteral("own.template"));
        testsupport::WriteFile(gReportTemplateFile, c.templateText);
    }
    const QString file = Out(QStringLiteral("template")) + QStringLiteral("r.html");
    ASSERT_TRUE(SaveAsHTML(file, false));
    const QString page = testsupport::ReadFile(file);
    EXPECT_EQ(page.contains(QLatin1String("Morvalex report style \"Professional yellow\"")), c.inlined);
    EXPECT_EQ(page.contains(QLatin1String("href=\"styles/Professional yellow.css\"")), c.linked);
    EXPECT_TRUE(page.contains(QLatin1String("&lt;b&gt;&quot;Q&amp;A&quot;&lt;/b&gt;")));
    EXPECT_FALSE(page.contains(QLatin1String("<b>\"Q&A\"")));
    EXPECT_FALSE(page.contains(QLatin1String("<!-- Your")));
    EXPECT_TRUE(page.contains(QLatin1String("id=\"morv:contents\"")));
    EXPECT_TRUE(page.contains(QLatin1String("<morvtables ")));
}

INSTANTIATE_TEST_SUITE_P(
    Reports, Templates,
    ::testing::Values(
        TemplateCase{"style_placeholder_inlines_the_css",
                     QStringLiteral("<html><head><style><!-- Style content here --></style></head><body><h1><!-- Your "
                                    "database name --></h1><!-- Your report here --></body></html>"),
                     true, false},
        TemplateCase{"without_it_the_css_is_linked_by_path",
                     QStringLiteral("<html><head><link rel=\"stylesheet\" href=\"<!--Your CSS Path-->\"><title><!-- Your "
                                    "database name --></title></head><body><!-- Your report here --></body></html>"),
                     false, true},
        TemplateCase{"the_word_template_inlines_the_css", QString(), true, false}),
    [](const auto& testInfo) { return std::string(testInfo.param.what); });

TEST_F(Reports, ContentsWithoutTheMarkerStillCarryTheReport) {
    LoadStructure(QStringLiteral("shop.xml"));
    const struct {
        QString indexXSL;
        bool contents;
    } cases[] = {{folder.file(QStringLiteral("missing.xsl")), false}, {DataFile(QStringLiteral("plain-index.xsl")), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.indexXSL));
        gIndexXSLFile = c.indexXSL;
        const QString file = Out(QStringLiteral("nomarker")) + QStringLiteral("r.html");
        ASSERT_TRUE(SaveAsHTML(file, false));
        const QString page = testsupport::ReadFile(file);
        EXPECT_TRUE(page.contains(QLatin1String("<morvtables Number=\"1\" Name=\"Customers\"")));
        EXPECT_EQ(page.contains(QLatin1String("Morvalex 4.0 report generated on")), c.contents);
        EXPECT_EQ(page.contains(QLatin1String("<a href=\"r.html#Customers\">")), c.contents);
    }
}

// True when libxml2's HTML parser meets nothing out of place in the page.
bool ParsesCleanly(const QString& html) {
    const QByteArray bytes = html.toUtf8();
    htmlParserCtxtPtr context = htmlNewParserCtxt();
    htmlDocPtr doc = htmlCtxtReadMemory(context, bytes.constData(), int(bytes.size()), nullptr, "UTF-8",
                                        HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    const bool clean = doc && context->wellFormed;
    xmlFreeDoc(doc);
    htmlFreeParserCtxt(context);
    return clean;
}

TEST_F(Reports, AnOwnLayoutsOutputOverTheChosenObjectsIsTheWholeReport) {
    LoadStructure(QStringLiteral("shop.xml"));
    const QString own = folder.file(QStringLiteral("mine/own layout.xsl"));
    testsupport::WriteFile(own, uR"(<?xml version="1.0"?>
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8"/>
  <xsl:template match="/">
    <html><head><title>Own layout</title></head><body>
      <h1>Own layout</h1>
      <ul><xsl:for-each select="//*[@Name]"><li><xsl:value-of select="@Name"/></li></xsl:for-each></ul>
    </body></html>
  </xsl:template>
</xsl:stylesheet>
)"_s);
    gReportXSLFile = gIndexXSLFile = own;
    gOwnXSL = true;
    const struct {
        const char* what;
        QString path;
        bool split;
        QString file;  // the report's file
    } cases[] = {{"one page", Out(u"own-single"_s) + u"mine.html"_s, false, Out(u"own-single"_s) + u"mine.html"_s},
                 {"split", Out(u"own-split"_s), true, Out(u"own-split"_s) + u"index.html"_s}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(SaveAsHTML(c.path, c.split)) << host->messages().join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(errors.isEmpty());
        EXPECT_EQ(HtmlFiles(QFileInfo(c.file).path()), QStringList{QFileInfo(c.file).fileName()});
        const QString page = testsupport::ReadFile(c.file);
        EXPECT_EQ(page.count(QLatin1String("<h1>Own layout</h1>")), 1) << qPrintable(page);
        EXPECT_EQ(page.count(QLatin1String("<html")), 1);
        EXPECT_EQ(page.count(QLatin1String("<body")), 1);
        EXPECT_TRUE(ParsesCleanly(page)) << qPrintable(page);
        // The chosen objects, and only they.
        for (const char* chosen : {"<li>Customers</li>", "<li>Order Details</li>", "<li>pk_details</li>",
                                   "<li>trg_orders_stamp</li>", "<li>OpenOrders</li>", "<li>place_order</li>"})
            EXPECT_TRUE(page.contains(QLatin1String(chosen))) << chosen;
        for (const char* left : {"AuditLog", "HiddenView", "ix_hidden"}) EXPECT_FALSE(page.contains(QLatin1String(left))) << left;
    }
    gOwnXSL = false;
}

TEST_F(Reports, ACssFileOfTheUsersOwnIsCopiedIntoTheReport) {
    LoadStructure(QStringLiteral("shop.xml"));
    const QString own = folder.file(QStringLiteral("mine/own style.css"));
    testsupport::WriteFile(own, QStringLiteral("body { color: #123456; }"));
    gReportCSSFile = own;
    gReportTemplateFile = folder.file(QStringLiteral("own.template"));
    testsupport::WriteFile(gReportTemplateFile, QStringLiteral("<link href=\"<!--Your CSS Path-->\"><style><!-- Style content here --></style><!-- Your report here -->"));
    const QString out = Out(QStringLiteral("owncss"));
    ASSERT_TRUE(SaveAsHTML(out + QStringLiteral("r.html"), false));
    EXPECT_EQ(testsupport::ReadFile(out + QStringLiteral("styles/own style.css")), QStringLiteral("body { color: #123456; }"));
    const QString page = testsupport::ReadFile(out + QStringLiteral("r.html"));
    EXPECT_TRUE(page.startsWith(QLatin1String("<link href=\"styles/own style.css\"><style>body { color: #123456; }</style>")));
}

// ---- database text ------------------------------------------------------------------

TEST_F(Reports, HostileNamesAndTextsAreEscapedAndStillLinked) {
    LoadStructure(QStringLiteral("hostile.xml"));
    gDatabaseName = QStringLiteral("Sales/2024 <Q1> #1");
    const QStringList reportedTables = [&] {
        QStringList names;
        for (const XmlNode& t : oStructureXML->GetNodes(QStringLiteral("DATABASE/TABLE[@Report $eq$ 1]")))
            names << t.attribute(QStringLiteral("Name"));
        return names;
    }();

    for (const bool split : {false, true}) {
        SCOPED_TRACE(split ? "split" : "one page");
        const QString out = Out(split ? QStringLiteral("hostile-split") : QStringLiteral("hostile"));
        ASSERT_TRUE(SaveAsHTML(split ? out : out + QStringLiteral("report.html"), split));
        EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char(',')));

        for (const QString& name : HtmlFiles(out)) {
            SCOPED_TRACE(qPrintable(name));
            const HtmlPage page = ParseHtml(testsupport::ReadFile(out + name));
            EXPECT_FALSE(page.elements.contains(QStringLiteral("script")));
            EXPECT_LE(page.elements.count(QStringLiteral("img")), 1);  // the logo
            EXPECT_LE(page.elements.count(QStringLiteral("h1")), 1);   // the database name
            for (const char* tag : {"b", "i", "u", "t", "c", "q1"}) EXPECT_FALSE(page.elements.contains(QLatin1String(tag))) << tag;
            EXPECT_TRUE(page.eventAttributes.isEmpty()) << qPrintable(page.eventAttributes.join(QLatin1Char(',')));
            EXPECT_TRUE(page.text.contains(QLatin1String("Sales/2024 <Q1> #1")));
        }
        ExpectLinksResolve(out);

        // Each table, also those whose names differ only in unsafe characters, has
        // its own entry and link; the names come back exactly.
        cXML indexCopy;
        ASSERT_TRUE(indexCopy.LoadXMLContent(oIndexXML->GetXMLContent()));
        const QList<IndexList> lists = ReadIndex(indexCopy);
        QStringList names, links;
        for (const Entry& e : lists[0].entries) {
            names << e.name;
            links << e.link;
        }
        EXPECT_EQ(names, reportedTables);
        EXPECT_EQ(QSet<QString>(links.begin(), links.end()).size(), links.size());
        // Three indexes named PrimaryKey, three anchors; a name that holds a comment
        // and a placeholder comes back whole.
        ASSERT_EQ(lists[4].entries.size(), 3);
        QSet<QString> indexAnchors;
        for (const Entry& e : lists[4].entries) indexAnchors.insert(e.link.section(QLatin1Char('#'), 1));
        EXPECT_EQ(indexAnchors.size(), 3);
        ASSERT_EQ(lists[2].entries.size(), 1);
        EXPECT_EQ(lists[2].entries[0].name, QStringLiteral("p'1 <!-- Your report here -->"));

        if (split) {
            // Page files take the database name with its unsafe characters replaced.
            EXPECT_TRUE(QFile::exists(out + QStringLiteral("Sales_2024 _Q1_ _11To5.html")));
            EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("Sales")));
        } else {
            const HtmlPage page = ParseHtml(testsupport::ReadFile(out + QStringLiteral("report.html")));
            // SQL keeps its text, markers become line breaks.
            EXPECT_EQ(page.preText.value(QStringLiteral("trigger:a%2520b/t%221")),
                      QStringLiteral("CREATE TRIGGER \"t\"\"1\" ON \"a%20b\"\n<script>alert(1)</script>\n\n"
                                     "-- &amp; &lt; stay as typed</pre>"));
            EXPECT_EQ(page.preText.value(QStringLiteral("procedure:p'1%20%3C!--%20Your%20report%20here%20--%3E")),
                      QStringLiteral("<!--Morvtableshere-->\nindex.html \"#a b\""));
        }
    }
}

// ---- failures ---------------------------------------------------------------------------

namespace {
// Runs the body without the rights of root, whose writes no folder mode stops: as
// root the effective user becomes nobody for the call.
class Unprivileged {
public:
    Unprivileged() {
        if (::geteuid() == 0) m_dropped = ::setegid(65534) == 0 && ::seteuid(65534) == 0;
    }
    ~Unprivileged() {
        if (m_dropped) {
            (void)::seteuid(0);
            (void)::setegid(0);
        }
    }
    bool ok() const { return ::geteuid() != 0; }

private:
    bool m_dropped = false;
};
}  // namespace

TEST_F(Reports, FoldersThatCannotBeMadeAreToldAndNothingIsWritten) {
    LoadStructure(QStringLiteral("shop.xml"));
    testsupport::WriteFile(folder.file(QStringLiteral("afile")), QStringLiteral("x"));
    const QString blocked = folder.file(QStringLiteral("afile/report/"));
    EXPECT_FALSE(SaveAsHTML(blocked, true));

    const QString out = Out(QStringLiteral("noimages"));
    testsupport::WriteFile(out + QStringLiteral("images"), QStringLiteral("a file in the way"));
    EXPECT_FALSE(SaveAsHTML(out + QStringLiteral("r.html"), false));

    EXPECT_EQ(host->messages(), (QStringList{QStringLiteral("Enable to create folder in the target directory ") + blocked,
                                             QStringLiteral("Enable to create folder in the target directory ") + out +
                                                 QStringLiteral("images/")}));
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("r.html")));
}

TEST_F(Reports, DeniedPermissionsAreToldWithTheFolderOrFile) {
    LoadStructure(QStringLiteral("shop.xml"));
    ::chmod(QFile::encodeName(folder.path()).constData(), 0755);
    const QString base = Out(QStringLiteral("denied"));
    ::chmod(QFile::encodeName(folder.file(QStringLiteral("out"))).constData(), 0755);
    // A read-only report folder whose images/ and styles/ may be written.
    for (const char* sub : {"images", "styles"}) {
        QDir().mkpath(base + QLatin1String(sub));
        ::chmod(QFile::encodeName(base + QLatin1String(sub)).constData(), 0777);
    }
    ::chmod(QFile::encodeName(base).constData(), 0555);

    {
        Unprivileged user;
        MORVALEX_REQUIRE(user.ok(), "cannot drop root's rights here");
        EXPECT_FALSE(SaveAsHTML(base, true));
        EXPECT_FALSE(SaveAsHTML(base + QStringLiteral("r.html"), false));
        EXPECT_FALSE(SaveAsHTML(base + QStringLiteral("new/"), true));
    }
    ::chmod(QFile::encodeName(base).constData(), 0755);
    EXPECT_EQ(host->messages(),
              (QStringList{QStringLiteral("You do not have enough permissions to write the file in ") + base,
                           QStringLiteral("You dont have permission to save the html file ") + base + QStringLiteral("r.html."),
                           QStringLiteral("You dont have permission to save the html file in ") + base + QStringLiteral("new/.")}));
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char(',')));
    EXPECT_EQ(HtmlFiles(base), QStringList());
}

TEST_F(Reports, FilesThatCannotBeReadAreToldAndAStyleSheetThatFailsToo) {
    LoadStructure(QStringLiteral("shop.xml"));
    const QString out = Out(QStringLiteral("errors"));

    gReportCSSFile = QStringLiteral("styles/No such style.css");
    EXPECT_FALSE(SaveAsHTML(out + QStringLiteral("a.html"), false));
    SetDefaultReportOptions();

    gReportTemplateFile = folder.file(QStringLiteral("no.template"));
    EXPECT_FALSE(SaveAsHTML(out, true));
    gReportTemplateFile = AppPath() + QStringLiteral("/MorvalexTop.template");

    // Missing files are told by name; they are no fault of the program.
    EXPECT_TRUE(errors.isEmpty()) << qPrintable(errors.join(QLatin1Char(',')));
    ASSERT_EQ(host->messages().size(), 2);
    EXPECT_TRUE(host->messages()[0].startsWith(QStringLiteral("The report could not be saved. File not found: ")));
    EXPECT_TRUE(host->messages()[0].contains(QStringLiteral("No such style.css"))) << qPrintable(host->messages()[0]);
    EXPECT_EQ(host->messages()[1], QStringLiteral("The report could not be saved. File not found: ") + folder.file(QStringLiteral("no.template")));

    // A style sheet that does not work: the user is told, nothing is written.
    gReportXSLFile = DataFile(QStringLiteral("shop.xml"));
    EXPECT_FALSE(SaveAsHTML(out, true));
    EXPECT_FALSE(SaveAsHTML(out + QStringLiteral("b.html"), false));
    EXPECT_EQ(host->messages().count(QStringLiteral("Please check the xsl that you have chosen to apply. Try again with the default xsl.")), 2);
    EXPECT_EQ(HtmlFiles(out), QStringList());
    EXPECT_FALSE(QFile::exists(out + QStringLiteral("index.xml")));
}
