// The report options as the settings dialog, the wizard and the template menu choose
// them: default destinations, the checks of a choice, the style list and storing.

#include "ReportFixture.h"
#include "reports/ReportSettings.h"

#include <QFile>

using namespace bGlobal;

namespace {

struct Settings : reporttest::ReportTest {
    void SetUp() override {
        ReportTest::SetUp();
        gReportsFolder = QStringLiteral("/r");
        gDatabaseName = QStringLiteral("Sales");
    }
};

}  // namespace

TEST_F(Settings, AssignInitialPathCoversEveryRule) {
    const struct {
        const char* extension;
        const char* path;
        bool paging;
        const char* expected;
    } cases[] = {
        // An empty destination: the default file, or the default folder of pages.
        {"xml", "", false, "/r/Salesreport.xml"},
        {"DOC", "  ", true, "/r/Salesreport.doc"},
        {"html", "", false, "/r/Salesreport.html"},
        {"html", "", true, "/r/SalesReport/"},
        // A folder of pages: a folder path gets the database's folder once.
        {"html", "/out/", true, "/out/SalesReport/"},
        {"html", "/out/SalesReport/", true, "/out/SalesReport/"},
        {"html", "C:\\Out\\", true, "C:/Out/SalesReport/"},
        {"html", "/out/x.doc", true, "/out/SalesReport/"},
        {"html", "/out/SalesReport/Salesreport.html", true, "/out/SalesReport/"},
        {"html", "report", true, "/r/SalesReport/"},
        // A file: a folder gets the default name (the pages' folder dropped), a name
        // gets the extension, a name without a dot becomes the default file.
        {"xml", "/out/SalesReport/", false, "/out/Salesreport.xml"},
        {"doc", "/out/", false, "/out/Salesreport.doc"},
        {"doc", "/out/my.report.html", false, "/out/my.report.doc"},
        {"html", " /out/a.xml ", false, "/out/a.html"},
        {"xml", "typed", false, "/r/Salesreport.xml"},
        {"xml", "/a.b/typed", false, "/r/Salesreport.xml"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReportSettings::AssignInitialPath(QLatin1String(c.extension), QString::fromUtf8(c.path), c.paging),
                  QLatin1String(c.expected))
            << c.extension << " '" << c.path << "' paging " << c.paging;
}

TEST_F(Settings, EveryCheckOfAChoiceInItsOrder) {
    const QString xsl = folder.file(QStringLiteral("mine.XSL"));
    const QString css = folder.file(QStringLiteral("mine.css"));
    const QString txt = folder.file(QStringLiteral("mine.txt"));
    for (const QString& f : {xsl, css, txt}) testsupport::WriteFile(f, QStringLiteral("x"));
    const auto base = [] {
        ReportSettings::Choice c;
        c.style = QStringLiteral("Graphite");
        return c;
    };
    const struct {
        const char* why;
        std::function<void(ReportSettings::Choice&)> change;
        const char* message;
    } cases[] = {
        {"nothing ticked", [](auto&) {}, ""},
        {"own xsl empty", [](auto& c) { c.ownXSL = true; c.xslFile = QStringLiteral("  "); }, "Please enter a valid xsl file name"},
        {"own xsl missing", [&](auto& c) { c.ownXSL = true; c.xslFile = folder.file(QStringLiteral("none.xsl")); },
         "Please enter a valid xsl file name"},
        {"own xsl not xsl", [&](auto& c) { c.ownXSL = true; c.xslFile = txt; }, "Invalid file format, please select a valid xsl file."},
        {"own xsl in capitals", [&](auto& c) { c.ownXSL = true; c.xslFile = xsl; }, ""},
        {"xsl checks before the namespace", [&](auto& c) { c.ownXSL = true; c.xslFile = txt; c.nameSpace = true; },
         "Invalid file format, please select a valid xsl file."},
        {"namespace empty", [](auto& c) { c.nameSpace = true; c.nameSpaceName = QStringLiteral(" "); },
         "Please enter a valid Namespace Name"},
        {"custom css empty", [](auto& c) { c.style = ReportSettings::kCustom; }, "Please select a valid CSS file"},
        {"custom css missing", [&](auto& c) { c.style = ReportSettings::kCustom; c.cssFile = folder.file(QStringLiteral("no.css")); },
         "Please select a valid CSS file"},
        {"custom css not css", [&](auto& c) { c.style = ReportSettings::kCustom; c.cssFile = txt; },
         "Invalid file format, please select a valid css file."},
        {"custom css", [&](auto& c) { c.style = ReportSettings::kCustom; c.cssFile = css; }, ""},
        {"pages empty", [](auto& c) { c.paging = true; }, "Please enter a valid number."},
        {"pages not a number", [](auto& c) { c.paging = true; c.objectsPerPage = QStringLiteral("five"); }, "Please enter a valid number."},
        {"pages zero", [](auto& c) { c.paging = true; c.objectsPerPage = QStringLiteral("0"); }, "Please enter a valid number."},
        {"pages negative", [](auto& c) { c.paging = true; c.objectsPerPage = QStringLiteral("-3"); }, "Please enter a valid number."},
        {"pages beyond 16 bits", [](auto& c) { c.paging = true; c.objectsPerPage = QStringLiteral("40000"); },
         "Please enter a valid number."},
        {"pages at the top", [](auto& c) { c.paging = true; c.objectsPerPage = QStringLiteral(" 32767 "); }, ""},
        {"paging off ignores the box", [](auto& c) { c.objectsPerPage = QStringLiteral("x"); }, ""},
    };
    for (const auto& c : cases) {
        ReportSettings::Choice choice = base();
        c.change(choice);
        EXPECT_EQ(ReportSettings::Validate(choice), QLatin1String(c.message)) << c.why;
    }
}

TEST_F(Settings, TheStyleListAndTheEntryOfAStoredStyle) {
    const QStringList entries = ReportSettings::StyleEntries();
    EXPECT_EQ(entries, (QStringList{QStringLiteral("Classic blue"), QStringLiteral("Forest green"), QStringLiteral("Graphite"),
                                    QStringLiteral("Printer Friendly"), QStringLiteral("Professional yellow"),
                                    QStringLiteral("Custom")}));
    EXPECT_EQ(ReportSettings::GetCSSIndex(entries, QStringLiteral("styles/Graphite.css")), 2);
    EXPECT_EQ(ReportSettings::GetCSSIndex(entries, QStringLiteral("styles\\Printer Friendly.css")), 3);
    // No match: entry 4; letter case counts.
    EXPECT_EQ(ReportSettings::GetCSSIndex(entries, QStringLiteral("/home/me/own.css")), 4);
    EXPECT_EQ(ReportSettings::GetCSSIndex(entries, QStringLiteral("styles/graphite.css")), 4);
    // A short list whose entries match nothing opens on its first entry.
    const QStringList shortList = {QStringLiteral("Plain"), QStringLiteral("Custom")};
    EXPECT_EQ(ReportSettings::GetCSSIndex(shortList, QStringLiteral("styles/Professional yellow.css")), 0);
    EXPECT_EQ(ReportSettings::FindStyle(entries, QStringLiteral("printer FRIENDLY")), 3);
}

TEST_F(Settings, StoringAChoiceSetsEveryReportGlobal) {
    const QString xsl = folder.file(QStringLiteral("own.xsl"));
    testsupport::WriteFile(xsl, QStringLiteral("x"));
    const QString normal = AppPath() + QStringLiteral("/styles/morvreport.xsl");
    const QString friendly = AppPath() + QStringLiteral("/styles/morvpfreport.xsl");
    const struct {
        const char* style;
        bool paging;
        const char* pages;
        bool ownXSL;
        const char* css;
        QString xsl;
        bool printerFriendly;
        qint16 objects;
    } cases[] = {
        {"Graphite", true, "7.4", false, "styles/Graphite.css", normal, false, 7},
        {"printer FRIENDLY blue", false, "9", false, "styles/printer FRIENDLY blue.css", friendly, true, 0},
        {"Printer Friendly", true, "3", true, "styles/Printer Friendly.css", xsl, true, 3},
    };
    for (const auto& c : cases) {
        ReportSettings::Choice choice;
        choice.style = QLatin1String(c.style);
        choice.paging = c.paging;
        choice.objectsPerPage = QLatin1String(c.pages);
        choice.ownXSL = c.ownXSL;
        choice.xslFile = xsl;
        choice.nameSpace = true;
        choice.nameSpaceName = QStringLiteral("mv");
        ReportSettings::Store(choice, false);
        SCOPED_TRACE(c.style);
        EXPECT_EQ(gReportCSSFile, QLatin1String(c.css));
        EXPECT_EQ(gPrinterFriendly, c.printerFriendly);
        EXPECT_EQ(gReportXSLFile, c.xsl);
        EXPECT_EQ(gIndexXSLFile, c.xsl);
        EXPECT_EQ(gOwnXSL, c.ownXSL);
        EXPECT_EQ(gMultiplePages, c.paging);
        EXPECT_EQ(gObjectsPerPage, c.objects);
        // The wizard leaves the namespace alone; the dialog stores it.
        EXPECT_EQ(gReportNameSpace, QString());
    }
    ReportSettings::Choice withNamespace;
    withNamespace.style = QStringLiteral("Graphite");
    withNamespace.nameSpace = true;
    withNamespace.nameSpaceName = QStringLiteral("mv");
    withNamespace.nameSpaceURI = QStringLiteral("urn:mv");
    ReportSettings::Store(withNamespace, true);
    EXPECT_EQ(gReportNameSpace, QStringLiteral("mv"));
    EXPECT_EQ(gReportNameSpaceURI, QStringLiteral("urn:mv"));
}

TEST_F(Settings, ATemplateItemChoosesTheStyleAndItsLayout) {
    ReportSettings::ChooseTemplate(QStringLiteral("Printer Friendly Blue"));
    EXPECT_EQ(gReportCSSFile, QStringLiteral("styles/Printer Friendly Blue.css"));
    EXPECT_TRUE(gPrinterFriendly);
    EXPECT_EQ(gReportXSLFile, AppPath() + QStringLiteral("/styles/morvpfreport.xsl"));
    EXPECT_EQ(gIndexXSLFile, gReportXSLFile);
    ReportSettings::ChooseTemplate(QStringLiteral("Forest green"));
    EXPECT_FALSE(gPrinterFriendly);
    EXPECT_EQ(gReportXSLFile, AppPath() + QStringLiteral("/styles/morvreport.xsl"));
}

TEST_F(Settings, ADestinationWhereAFileIsWantedMustNotBeAFolder) {
    const QString out = folder.file(QStringLiteral("out"));
    QDir().mkpath(out);
    EXPECT_EQ(ReportSettings::DestinationProblem(out, false), out + QStringLiteral(" is a folder. Please choose a file name."));
    EXPECT_EQ(ReportSettings::DestinationProblem(out + QStringLiteral("/a.xml"), false), QString());
    EXPECT_EQ(ReportSettings::DestinationProblem(out + QStringLiteral("/new/deeper/SalesReport/"), true), QString());
    EXPECT_EQ(ReportSettings::DestinationProblem(QStringLiteral("  "), false), QStringLiteral("Please enter a valid destination path."));
}
