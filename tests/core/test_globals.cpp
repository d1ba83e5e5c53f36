#include "core/StartupInfo.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "core/frmSplash.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
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

namespace {
QStringList foldersUnder(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) out << it.next().mid(root.size() + 1);
    out.sort();
    return out;
}
}  // namespace

TEST(Globals, ReportsFolderIsMadeInTheUsersDocumentsFolderOnly) {
    struct Case {
        const char* name;
        QString envDocuments;  // XDG_DOCUMENTS_DIR below home, null: unset
        QString userDirs;      // user-dirs.dirs text, "" for none
        QString expected;      // below home
    };
    const QList<Case> cases = {
        {"environment", QStringLiteral("Papers"), QStringLiteral("XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n"), QStringLiteral("Papers")},
        {"user-dirs.dirs", QString(), QStringLiteral("XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_PUBLICSHARE_DIR=\"$HOME/Shared\"\n"),
         QStringLiteral("Docs")},
        {"fallback", QString(), QString(), QStringLiteral("Documents")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::AppFolder folder;
        platform::ui::ScopedScriptedHost host;
        const QString home = folder.file(QStringLiteral("home"));
        QDir().mkpath(home + QStringLiteral("/.config"));
        if (!c.userDirs.isEmpty()) testsupport::WriteFile(home + QStringLiteral("/.config/user-dirs.dirs"), c.userDirs);
        testsupport::ScopedEnv env;
        env.set("HOME", home);
        env.set("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
        env.set("XDG_DOCUMENTS_DIR", c.envDocuments.isNull() ? QString() : home + QLatin1Char('/') + c.envDocuments);

        frmSplash::instance().Form_Load();
        EXPECT_FALSE(gErrorOccurred);
        EXPECT_EQ(gReportsFolder, home + QLatin1Char('/') + c.expected + QStringLiteral("/Morvalex Reports"));
        // Nothing but the reports folder (and the documents folder it needs) was made.
        EXPECT_EQ(foldersUnder(home), QStringList({QStringLiteral(".config"), c.expected,
                                                   c.expected + QStringLiteral("/Morvalex Reports")}));
        // An existing folder is kept as it is.
        testsupport::WriteFile(gReportsFolder + QStringLiteral("/old.html"), QStringLiteral("x"));
        frmSplash::instance().Unload();
        frmSplash::instance().Form_Load();
        EXPECT_TRUE(QFileInfo::exists(gReportsFolder + QStringLiteral("/old.html")));
        frmSplash::instance().Unload();
    }
}

TEST(Globals, InstalledFilesAreFoundBesideTheProgramNotInItsHomeFolder) {
    QTemporaryDir root;
    const QString r = root.path();
    testsupport::WriteFile(r + QStringLiteral("/build/resources/queries.mxq"), QStringLiteral("x"));
    testsupport::WriteFile(r + QStringLiteral("/usr/share/morvalex/queries.mxq"), QStringLiteral("x"));
    QDir().mkpath(r + QStringLiteral("/usr/bin"));
    QDir().mkpath(r + QStringLiteral("/empty/bin"));
    const struct { QString dir, expected; } cases[] = {
        {r + QStringLiteral("/build"), r + QStringLiteral("/build/resources")},
        {r + QStringLiteral("/usr/bin"), r + QStringLiteral("/usr/share/morvalex")},
    };
    for (const auto& c : cases) EXPECT_EQ(FindAppPath(c.dir), c.expected) << qPrintable(c.dir);
    // Nothing beside the program: the configured install folder.
    EXPECT_TRUE(FindAppPath(r + QStringLiteral("/empty/bin")).endsWith(QStringLiteral("/share/morvalex")));

    // MORVALEX_HOME and XDG_DATA_HOME move the per-user files only.
    testsupport::ScopedEnv env;
    const QString home = r + QStringLiteral("/home"), xdg = r + QStringLiteral("/xdg");
    env.set("MORVALEX_HOME", home);
    EXPECT_EQ(DataPath(), home);
    EXPECT_NE(AppPath(), home);
    env.set("MORVALEX_HOME", QString());
    env.set("XDG_DATA_HOME", xdg);
    EXPECT_EQ(DataPath(), xdg + QStringLiteral("/morvalex"));
    EXPECT_EQ(AppPath(), FindAppPath(QCoreApplication::applicationDirPath()));
}

TEST(Globals, AMissingStartUpFileIsNamed) {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    QStringList errors;
    SetErrorDialog([&](long n, const QString& d, const QString& s) { errors << QStringLiteral("%1 %2, %3").arg(n).arg(d, s); });
    const QString path = folder.file(QStringLiteral("queries.mxq"));
    QFile::remove(path);
    testsupport::StartProgram();
    EXPECT_EQ(errors, QStringList({QStringLiteral("53 File not found: %1, Main.SetDatabaseQueries").arg(path)}));
}

TEST(Globals, SplashTimerOpensTheMainWindowOnlyWithoutAnError) {
    testsupport::AppFolder folder;
    platform::ui::ScopedScriptedHost host;
    int opened = 0;
    frmSplash::showMainWindow.Provide([&] { ++opened; });
    for (bool error : {false, true}) {
        frmSplash& splash = frmSplash::instance();
        splash.show();
        gErrorOccurred = error;
        splash.tmSplash_Timer();
        EXPECT_FALSE(frmSplash::exists());
    }
    EXPECT_EQ(opened, 1);
    gErrorOccurred = false;
    frmSplash::showMainWindow.Provide({});
}

TEST(Globals, GuidFromTheClassIsFullWidth) {
    cGUID g;
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$")).match(g.GetGUID()).hasMatch());
}

// A test's fixture hands the next test the globals as the program starts with them.
TEST(Globals, AFolderPutsEveryGlobalBackWhenItGoes) {
    int dialogCalls = 0;
    QString folderPath;
    {
        testsupport::AppFolder folder;
        folderPath = folder.path();
        gMultiplePages = false;
        gObjectsPerPage = 9;
        gOutputType = 0;
        gImportTriggers = false;
        gDatabaseType = dbOracle7;
        gDBPanelIndex[3] = 7;
        gPassword = QStringLiteral("secret");
        oIndexXML = std::make_shared<cXML>();
        SetErrorDialog([&](long, const QString&, const QString&) { ++dialogCalls; });
    }
    EXPECT_TRUE(gMultiplePages);
    EXPECT_EQ(gObjectsPerPage, 5);
    EXPECT_EQ(gOutputType, 1);
    EXPECT_TRUE(gImportTriggers);
    EXPECT_EQ(gDatabaseType, 0);
    EXPECT_EQ(gDBPanelIndex[3], 0);
    EXPECT_TRUE(gPassword.isEmpty());
    EXPECT_FALSE(oIndexXML);
    EXPECT_NE(AppPath(), folderPath);

    // Without the test's dialog the report goes to the host, which ends the program.
    platform::ui::ScopedScriptedHost host;
    EXPECT_THROW(ShowError(5, QStringLiteral("after the folder"), QStringLiteral("Globals")), platform::ui::ProgramEnded);
    EXPECT_EQ(dialogCalls, 0);
    EXPECT_EQ(host->endedWith, 1);
    gErrorOccurred = false;
}

// Every global the header declares has a line in ResetGlobalsForTesting that gives it
// the value it is defined with ("{}" for one defined without a value).
TEST(Globals, ResetCoversEveryDeclaredGlobalWithItsDefinedValue) {
    const QString header = testsupport::ReadFile(QStringLiteral(MORVALEX_SOURCE_DIR "/core/bGlobal.h"));
    const QString source = testsupport::ReadFile(QStringLiteral(MORVALEX_SOURCE_DIR "/core/bGlobal.cpp"));
    ASSERT_FALSE(header.isEmpty() || source.isEmpty());
    const qsizetype start = source.indexOf(QStringLiteral("void ResetGlobalsForTesting() {"));
    ASSERT_GE(start, 0);
    const QString reset = source.mid(start, source.indexOf(QStringLiteral("\n}"), start) - start);

    const QRegularExpression declared(QStringLiteral("^extern .*\\b(\\w+);"), QRegularExpression::MultilineOption);
    int names = 0;
    for (auto it = declared.globalMatch(header); it.hasNext(); ++names) {
        const QString name = it.next().captured(1);
        SCOPED_TRACE(name.toStdString());
        const auto definition = QRegularExpression(QStringLiteral("^\\S[^(\\n]*\\b%1(?:\\{\\})?(?: = ([^;]+))?;").arg(name),
                                                   QRegularExpression::MultilineOption)
                                    .match(source);
        ASSERT_TRUE(definition.hasMatch());
        const QString defined = definition.captured(1).isEmpty() ? QStringLiteral("{}") : definition.captured(1);
        // A string is emptied with clear(): "= {}" would pick its const char* assignment.
        const auto line = QRegularExpression(QStringLiteral("^    %1(?: = ([^;]+)|\\.clear\\(\\));").arg(name),
                                             QRegularExpression::MultilineOption)
                              .match(reset);
        ASSERT_TRUE(line.hasMatch()) << "no line for it in ResetGlobalsForTesting";
        const QString value = line.captured(1).isEmpty() ? QStringLiteral("{}") : line.captured(1);
        EXPECT_EQ(value.toStdString(), defined.toStdString());
    }
    EXPECT_GE(names, 50);
}
