#include "core/StartupInfo.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "core/frmSplash.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace bGlobal;

TEST(Globals, StartUpFillsTheStateAndReportDefaults) {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    gObjectsPerPage = 9;
    gOwnXSL = true;
    testsupport::StartProgram();
    EXPECT_FALSE(gErrorOccurred);
    EXPECT_EQ(gApplicationTitle, QStringLiteral("Morvalex 4.0"));
    EXPECT_EQ(gBuildNumber, 402);
    ASSERT_EQ(gDBTypeNames.size(), 14);
    EXPECT_EQ(gDBTypeNames[0], QString());
    EXPECT_EQ(gDBTypeNames[3], QStringLiteral("SQL Server 6.5"));
    EXPECT_EQ(gDBTypeNames[10], QStringLiteral("MS Access (97, 95 or 2.0)"));
    EXPECT_EQ(gDBTypeNames[13], QStringLiteral("Morvalex XML"));
    ASSERT_EQ(gDBEngineCodes.size(), 12);
    EXPECT_EQ(gDBEngineCodes[3], QStringLiteral("SQLSERVER65"));
    EXPECT_EQ(gDBEngineCodes[11], QStringLiteral("IBMDB2"));
    EXPECT_EQ(gDBPanelIndex[11], 2);
    EXPECT_EQ(gDBPanelIndex[12], 4);
    EXPECT_EQ(gDBPanelIndex[13], 5);
    EXPECT_TRUE(gTempPath.endsWith(QLatin1Char('/')));
    EXPECT_EQ(gDecimalSymbol.size(), 1);
    EXPECT_FALSE(gCurrentUser.isEmpty());
    ASSERT_TRUE(oQueriesXML);
    EXPECT_EQ(oQueriesXML->GetNodes(QStringLiteral("QUERIES/DATABASE")).size(), 13);
    // Report defaults; gOwnXSL is not touched.
    EXPECT_TRUE(gReportNameSpace.isEmpty());
    EXPECT_FALSE(gPrinterFriendly);
    EXPECT_TRUE(gMultiplePages);
    EXPECT_EQ(gObjectsPerPage, 5);
    EXPECT_EQ(gReportCSSFile, QStringLiteral("styles/Professional yellow.css"));
    EXPECT_EQ(gReportXSLFile, AppPath() + QStringLiteral("/styles/morvreport.xsl"));
    EXPECT_EQ(gIndexXSLFile, gReportXSLFile);
    EXPECT_EQ(gOutputType, 1);
    EXPECT_TRUE(gOwnXSL);
    gOwnXSL = false;
}

TEST(Globals, PassPhrasesHaveTheirForms) {
    const struct {
        int n;
        int length;
        QList<int> groups;
    } forms[] = {{1, 48, {6, 5, 8, 6, 4, 8, 5}}, {2, 47, {9, 12, 5, 5, 4, 7}}, {3, 50, {8, 6, 4, 11, 7, 9}}, {4, 49, {7, 11, 5, 8, 4, 9}}};
    QStringList all;
    for (const auto& f : forms) {
        const QString p = PassPhrase(f.n);
        EXPECT_EQ(p.size(), f.length) << f.n;
        QList<int> groups;
        for (const QString& g : p.split(QLatin1Char(' '))) {
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9]+$")).match(g).hasMatch());
            groups << int(g.size());
        }
        EXPECT_EQ(groups, f.groups) << f.n;
        all << p;
    }
    all.removeDuplicates();
    EXPECT_EQ(all.size(), 4);
}

TEST(Globals, ReportsFolderPrefersDocumentsAndCreatesOnlyTheCommonOne) {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    const QString home = folder.file(QStringLiteral("home"));
    QDir().mkpath(home + QStringLiteral("/Documents"));
    QDir().mkpath(home + QStringLiteral("/.config"));
    testsupport::WriteFile(home + QStringLiteral("/.config/user-dirs.dirs"),
                           QStringLiteral("XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\nXDG_PUBLICSHARE_DIR=\"$HOME/Shared\"\n"));
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toUtf8());

    // Without the folder under Documents, the common one is used and created.
    frmSplash::instance().Form_Load();
    EXPECT_EQ(gReportsFolder, home + QStringLiteral("/Shared/Morvalex Reports"));
    EXPECT_TRUE(QDir(gReportsFolder).exists());
    EXPECT_FALSE(QDir(home + QStringLiteral("/Documents/Morvalex Reports")).exists());
    frmSplash::instance().Unload();

    QDir().mkpath(home + QStringLiteral("/Documents/Morvalex Reports"));
    frmSplash::instance().Form_Load();
    EXPECT_EQ(gReportsFolder, home + QStringLiteral("/Documents/Morvalex Reports"));
    // The splash was shown modally once per load.
    int modal = 0;
    for (const auto& p : host->prompts) modal += p.kind == QLatin1String("modal");
    EXPECT_EQ(modal, 2);
    frmSplash::instance().Unload();
    qputenv("HOME", oldHome);
    if (oldConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME"); else qputenv("XDG_CONFIG_HOME", oldConfig);
}

TEST(Globals, SplashTimerOpensTheMainWindowOnlyWithoutAnError) {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    int opened = 0;
    frmSplash::showMainWindow = [&] { ++opened; };
    for (bool error : {false, true}) {
        frmSplash& splash = frmSplash::instance();
        splash.show();
        gErrorOccurred = error;
        splash.tmSplash_Timer();
        EXPECT_FALSE(frmSplash::exists());
    }
    EXPECT_EQ(opened, 1);
    gErrorOccurred = false;
    frmSplash::showMainWindow = nullptr;
}

TEST(Globals, GuidFromTheClassIsFullWidth) {
    cGUID g;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$")).match(g.GetGUID()).hasMatch());
}
