// Cutting a preview page into the parts the page view takes in one after another, and
// the preview's own rules of a report style sheet. The pages are made by the real
// preview style sheet.

#include "ExplorerFixture.h"
#include "core/FileUtil.h"
#include "explorer/PageSteps.h"
#include "explorer/Preview.h"

using namespace bGlobal;
using explorertest::StructureXml;

namespace {

struct PageStepsTest : explorertest::Fixture {};

TEST_F(PageStepsTest, APreviewPageIsCutIntoItsObjectsAndPutTogetherAgain) {
    // Customers, Orders, Products and Order Details, one view with a name that looks
    // like markup ending a tag, one stored procedure.
    auto structure = explorertest::Document(StructureXml(QStringLiteral("Shop"), {QStringLiteral("V&quot;&gt;&lt;b&gt;x&lt;/b&gt;")}, {QStringLiteral("P1")}));
    const struct {
        const char* path;
        const char* pieces;  // a word each piece holds, in order, separated by "|"
    } cases[] = {
        {"DATABASE", "Documented on|Tables|Customers|Orders|Products|Order Details|Views|&lt;b&gt;x|Stored procedures|P1"},
        {"/DATABASE/TABLE", "Tables|Customers|Orders|Products|Order Details"},
        {"DATABASE/TABLE[1]", "Orders"},
        {"DATABASE/TABLE[1]/INDEX", "IX_Orders"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const QStringList words = QString::fromLatin1(c.pieces).split(QLatin1Char('|'));
        ASSERT_TRUE(Preview::Write(*structure, QLatin1String(c.path)));
        const QString html = ReadTextFile(Preview::HtmlFile());
        const PageSteps::Page page = PageSteps::Split(html);
        ASSERT_TRUE(page.Cut());
        ASSERT_EQ(page.pieces.size(), words.size()) << qPrintable(page.pieces.join(QStringLiteral("\n----\n")));
        for (qsizetype i = 0; i < page.pieces.size(); ++i)
            EXPECT_TRUE(page.pieces[i].contains(words[i])) << qPrintable(page.pieces[i].left(300));
        EXPECT_EQ(page.Whole(), html);
        // The first view holds the page's head; a later part holds its own objects only.
        EXPECT_TRUE(page.First(1).contains(QStringLiteral("class=\"pv-head\"")));
        if (page.pieces.size() > 2) {
            const QString later = page.Fragment(1, 2);
            EXPECT_FALSE(later.contains(QStringLiteral("class=\"pv-head\"")));
            EXPECT_TRUE(later.contains(words[1]));
            EXPECT_FALSE(later.contains(words[2]));
            EXPECT_TRUE(later.contains(QStringLiteral("<body class=\"preview\">")));
        }
    }
}

TEST_F(PageStepsTest, APageWithoutItsObjectsHolderOrWithTextAfterItIsShownWhole) {
    const char* pages[] = {
        "<html><body><p>no holder</p></body></html>",
        "<html><body><div class=\"pv-body\"><p>a</p></div><p>after</p></body></html>",
        "<html><body><div class=\"pv-body\"><p title=\"unterminated></p></div></body></html>",
        "<p>no body</p>",
    };
    for (const char* text : pages) {
        const PageSteps::Page page = PageSteps::Split(QLatin1String(text));
        EXPECT_FALSE(page.Cut()) << text;
        EXPECT_EQ(page.First(0), QLatin1String(text));
    }
}

TEST_F(PageStepsTest, ThePreviewReadsOnlyThePreviewRulesOfAStyleSheet) {
    const struct {
        const char* css;
        const char* kept;
    } cases[] = {
        {"body { color: red; }\nbody.preview { margin: 0; }\n/* .pv-x { } */ .pv-card td { padding: 2px; }\na { x: y; }",
         "body.preview { margin: 0; }\n.pv-card td { padding: 2px; }\n"},
        {".pv-a { color: red; }\n@media (max-width: 10px) { .pv-b { color: blue; } }", ".pv-a { color: red; }\n"},
        {"body { color: red; }", "body { color: red; }"},  // a sheet of the user's own without preview rules
    };
    for (const auto& c : cases) EXPECT_EQ(PageSteps::PreviewRules(QLatin1String(c.css)), QLatin1String(c.kept)) << c.css;
    // Each shipped style has its preview rules.
    for (const char* style : {"Professional yellow", "Classic blue", "Forest green", "Graphite", "Printer Friendly"}) {
        const QString css = ReadTextFile(AppPath() + QStringLiteral("/styles/") + QLatin1String(style) + QStringLiteral(".css"));
        const QString kept = PageSteps::PreviewRules(css);
        EXPECT_TRUE(kept.contains(QStringLiteral("body.preview"))) << style;
        EXPECT_TRUE(kept.contains(QStringLiteral("table.pv-grid th"))) << style;
        EXPECT_LT(kept.size(), css.size() / 2) << style;
    }
}

}  // namespace
