// Word reports through the real LibreOffice: the document and its text (scales, kinds
// not read), the report globals after it, and the ways it fails (no LibreOffice, a
// conversion that hangs, a target that is a folder, a broken own layout).

#include "ReportFixture.h"
#include "reports/WordReport.h"
#include "reports/bXMLSupport.h"
#include "support/Prerequisite.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

using namespace bGlobal;

namespace {

struct Word : reporttest::ReportTest {
    void SetUp() override {
        ReportTest::SetUp();
        LoadStructure(QStringLiteral("shop.xml"));
    }
    struct Globals {
        QString xsl, index, templ, css;
        bool operator==(const Globals&) const = default;
    };
    static Globals Now() { return {gReportXSLFile, gIndexXSLFile, gReportTemplateFile, gReportCSSFile}; }
    // A made folder for output, ending in "/".
    QString Made(const QString& name) const {
        const QString path = Out(name);
        QDir().mkpath(path);
        return path;
    }
};

QString catdoc(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("catdoc"), {QStringLiteral("-w"), file});
    p.waitForFinished(30000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

}  // namespace

TEST_F(Word, TheDocumentHoldsEveryTableWithItsColumnsAndTheGlobalsStay) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    MORVALEX_REQUIRE_PROGRAM("catdoc");
    const Globals before = Now();
    const QString doc = Made(QStringLiteral("word")) + QStringLiteral("shop.doc");
    ASSERT_TRUE(WordReport::Save(doc)) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(host->messages().isEmpty()) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_EQ(Now(), before);
    ASSERT_GT(QFileInfo(doc).size(), 0);
    const QString text = catdoc(doc);
    const struct {
        const char* table;
        const char* column;
    } expected[] = {{"Customers", "email"}, {"Orders", "placed"}, {"Order Details", "quantity"}};
    for (const auto& e : expected) {
        EXPECT_TRUE(text.contains(QLatin1String(e.table))) << e.table;
        EXPECT_TRUE(text.contains(QLatin1String(e.column))) << e.column;
    }
    // Nothing is left half-written beside the document.
    EXPECT_EQ(QDir(QFileInfo(doc).path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("shop.doc")});
}

// The Word document shows an exact numeric column's scale with its length, and "not
// read" for the kinds the import did not read.
TEST_F(Word, TheDocumentShowsScalesAndTheKindsNotRead) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    MORVALEX_REQUIRE_PROGRAM("catdoc");
    LoadStructure(QStringLiteral("others.xml"));
    const QString doc = Made(QStringLiteral("word")) + QStringLiteral("till.doc");
    ASSERT_TRUE(WordReport::Save(doc)) << host->messages().join(QLatin1Char('|')).toStdString();
    // The text without blanks: where the converter puts them between a count and its
    // caption varies.
    const QString text = catdoc(doc).remove(QRegularExpression(QStringLiteral("\\s")));
    for (const char* shown : {"amountnumeric12,2", "notreadStoredprocedures", "notreadTriggers", "0Views", "1Indexes"})
        EXPECT_TRUE(text.contains(QLatin1String(shown))) << shown << "\n" << text.toStdString();
}

TEST_F(Word, WithoutLibreOfficeTheCommandSaysWordIsNotAvailable) {
    const QTemporaryDir empty;
    const testsupport::ScopedEnv path("PATH", empty.path());
    const Globals before = Now();
    const QString doc = Made(QStringLiteral("none")) + QStringLiteral("shop.doc");
    EXPECT_FALSE(WordReport::Save(doc));
    EXPECT_EQ(host->messages(), QStringList{QStringLiteral("Microsoft Word does not exist, please install and try again")});
    EXPECT_EQ(host->prompts.first().icon, platform::ui::Icon::Critical);
    EXPECT_FALSE(QFileInfo::exists(doc));
    EXPECT_EQ(Now(), before);
}

TEST_F(Word, AConversionThatHangsIsEndedAtTheTimeLimit) {
    // A stand-in for a LibreOffice that never finishes (and starts a child of its own).
    const QTemporaryDir bin;
    const QString soffice = bin.path() + QStringLiteral("/soffice");
    testsupport::WriteFile(soffice, QStringLiteral("#!/bin/sh\nsleep 60 &\nsleep 60\n"));
    QFile::setPermissions(soffice, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const testsupport::ScopedEnv path("PATH", bin.path() + QStringLiteral(":/usr/bin:/bin"));
    const testsupport::ScopedEnv limit("MORVALEX_WORD_TIMEOUT_MS", QStringLiteral("1500"));
    const Globals before = Now();
    const QString doc = Made(QStringLiteral("hang")) + QStringLiteral("shop.doc");
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(WordReport::Save(doc));
    EXPECT_LT(timer.elapsed(), 10000);
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages().first().startsWith(QStringLiteral("Word document could not be created.")));
    EXPECT_TRUE(host->messages().first().contains(QStringLiteral("in time")));
    EXPECT_FALSE(QFileInfo::exists(doc));
    EXPECT_EQ(Now(), before);
}

TEST_F(Word, AFolderWhereTheDocumentShouldGoIsRefused) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    const QString folderTarget = Made(QStringLiteral("shop.doc"));
    EXPECT_FALSE(WordReport::Save(folderTarget));
    EXPECT_EQ(host->messages(), QStringList{folderTarget + QStringLiteral(" is a folder. Please choose a file name.")});
    EXPECT_TRUE(QFileInfo(folderTarget).isDir());
}

TEST_F(Word, AnOwnLayoutThatIsNoStyleSheetIsNamedAndNoReportIsWritten) {
    const QString bad = folder.file(QStringLiteral("layout.xsl"));
    testsupport::WriteFile(bad, QStringLiteral("this is not XML"));
    gReportXSLFile = gIndexXSLFile = bad;
    gOwnXSL = true;
    const QString page = Made(QStringLiteral("bad")) + QStringLiteral("shop.html");
    EXPECT_FALSE(bXMLSupport::SaveAsHTML(page, false));
    ASSERT_EQ(host->messages().size(), 1);
    EXPECT_TRUE(host->messages().first().contains(bad));
    EXPECT_FALSE(QFileInfo::exists(page));
    gOwnXSL = false;
}
