// The import wizard's report pages driven as a user drives them: the output, the
// destination and the options of page 4, the object tree and the preview of page 5,
// and the report Finish writes and opens.

#include "core/TreeFill.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/TreeDocument.h"
#include "explorer/frmDatabaseExplorer.h"
#include "reports/ui/ReportOptionFrames.h"
#include "support/Prerequisite.h"
#include "support/WizardSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

using namespace bGlobal;
using wizardtest::WizardTest;

namespace {

enum Output { Xml = 0, Html = 1, Word = 2 };

class ReportPages : public WizardTest {
protected:
    // The sample database imported; the wizard on page 4.
    frmDatabaseConnection& SampleOnPage4() {
        frmDatabaseConnection& w = Open();
        ChooseType(w, dbOthers);
        w.txtConnectionString->setText(SampleConnectionString());
        Click(w, 2);
        EXPECT_EQ(w.Step(), 3);
        Click(w, 2);
        EXPECT_EQ(w.Step(), 4);
        return w;
    }
    // A structure file of one table named after the database; the wizard on page 4.
    frmDatabaseConnection& StructureOnPage4(const QString& database) {
        const QString path = app.file(database + QStringLiteral(".xml"));
        testsupport::WriteFile(path, QStringLiteral("<?xml version=\"1.0\"?>\n<DATABASE Name=\"\" DatabaseEngine=\"OTHERS\" "
                                                    "DatabaseType=\"12\" DatabaseName=\"%1\" ServerName=\"srv\" Time=\"\" "
                                                    "CreatedOn=\"\" ServerType=\"OTHERS\" CreatedBy=\"ann\"><TABLE Name=\"t_%1\" "
                                                    "CreatedOn=\"\" Report=\"1\" Migrate=\"0\"><COLUMN Name=\"id\"/></TABLE>"
                                                    "</DATABASE>\n")
                                         .arg(database));
        frmDatabaseConnection& w = Open();
        ChooseType(w, dbMorvalexXML);
        w.txtXMLPath->setText(path);
        Click(w, 2);
        Click(w, 2);
        EXPECT_EQ(w.Step(), 4);
        return w;
    }
    static QTreeWidgetItem* Node(frmDatabaseConnection& w, const QString& text) {
        for (QTreeWidgetItemIterator it(w.trvMain); *it; ++it)
            if ((*it)->text(0) == text) return *it;
        return nullptr;
    }
    static QStringList TableNames() {
        QStringList names;
        for (const XmlNode& t : oStructureXML->GetNodes(QStringLiteral("/DATABASE/TABLE"))) names << t.attribute(QStringLiteral("Name"));
        return names;
    }
    static QString FirstColumn(const QString& table) {
        return oStructureXML->FindNode(QStringLiteral("/DATABASE/TABLE[@Name $eq$ '%1']/COLUMN").arg(table)).attribute(QStringLiteral("Name"));
    }
};

void Screenshot(QWidget* window, const QString& name) {
    const QString dir = QStringLiteral(MORVALEX_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

}  // namespace

TEST_F(ReportPages, EachOutputIsWrittenFromTheTickedObjectsAndOpened) {
    const struct {
        const char* name;
        Output output;
        bool paging;
        const char* destination;  // under the reports folder
        const char* opened;
    } cases[] = {
        {"xml", Xml, true, "/Defaultreport.xml", "/Defaultreport.xml"},
        {"html one file", Html, false, "/Defaultreport.html", "/Defaultreport.html"},
        {"html pages", Html, true, "/DefaultReport/", "/DefaultReport/index.html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetDefaultReportOptions();  // each case starts as a fresh program does
        frmDatabaseConnection& w = SampleOnPage4();
        // The first visit starts from the stored options: pages of 5 into the reports folder.
        EXPECT_TRUE(w.options->chkGenerateMultipleXML->isChecked());
        EXPECT_EQ(w.txtDestinationPath->text(), gReportsFolder + QStringLiteral("/DefaultReport/"));
        w.optOutputType[c.output]->setChecked(true);
        w.options->chkGenerateMultipleXML->setChecked(c.paging);
        EXPECT_EQ(w.txtDestinationPath->text(), gReportsFolder + QLatin1String(c.destination));
        if (c.output == Xml) {
            EXPECT_FALSE(w.options->fraCSS->isEnabled());
        }
        if (c.output == Html) Screenshot(&w, QStringLiteral("wizard-page4"));
        Click(w, 2);
        ASSERT_EQ(w.Step(), 5) << host->messages().join(QLatin1Char('|')).toStdString();
        if (c.output == Html && !c.paging) Screenshot(&w, QStringLiteral("wizard-page5"));

        // Untick the first table; the preview shows the rest as one page.
        const QStringList tables = TableNames();
        QTreeWidgetItem* first = Node(w, tables.first());
        ASSERT_TRUE(first);
        first->setCheckState(0, Qt::Unchecked);
        host->openedUrls.clear();
        w.cmdPreview->click();
        const QString preview = gTempPath + (c.output == Xml ? QStringLiteral("tempmorvpreview.xml") : QStringLiteral("tempmorvpreview.html"));
        EXPECT_EQ(host->openedUrls, QStringList{preview});
        EXPECT_TRUE(testsupport::ReadFile(preview).contains(tables.at(1)));
        EXPECT_EQ(w.OutputPath(), gReportsFolder + QLatin1String(c.destination));
        EXPECT_EQ(gMultiplePages, c.paging);

        host->openedUrls.clear();
        Click(w, 3);
        EXPECT_EQ(host->openedUrls, QStringList{gReportsFolder + QLatin1String(c.opened)});
        const QString written = testsupport::ReadFile(gReportsFolder + QLatin1String(c.opened));
        for (const QString& t : tables.mid(1)) EXPECT_TRUE(written.contains(t)) << t.toStdString();
        if (c.output == Xml) {
            EXPECT_FALSE(written.contains(QStringLiteral("Name=\"%1\"").arg(tables.first())));
        }
        Settle();
        // The next case imports the sample again into a fresh tree.
        oLHXML = std::make_shared<cXML>();
        TreeDocument::AddGroup(*oLHXML, QStringLiteral("Morvalex Group"));
        frmDatabaseExplorer::instance().PopulateLHXML();
    }
}

TEST_F(ReportPages, AWordReportOfTheSampleDatabaseHoldsEveryTableAndAColumnOfEach) {
    MORVALEX_REQUIRE_PROGRAM("soffice");
    MORVALEX_REQUIRE_PROGRAM("catdoc");
    frmDatabaseConnection& w = SampleOnPage4();
    const QString xsl = gReportXSLFile, index = gIndexXSLFile, templ = gReportTemplateFile;
    w.optOutputType[Word]->setChecked(true);
    EXPECT_EQ(w.options->cboStyleSheet->currentText(), QStringLiteral("Printer Friendly"));
    EXPECT_FALSE(w.options->chkGenerateMultipleXML->isEnabled());
    EXPECT_FALSE(w.options->fraOutputFormat->isEnabled());
    const QString doc = gReportsFolder + QStringLiteral("/Defaultreport.doc");
    EXPECT_EQ(w.txtDestinationPath->text(), doc);
    Click(w, 2);
    ASSERT_EQ(w.Step(), 5);
    // The preview of a Word report is its HTML page; Word stays chosen.
    w.cmdPreview->click();
    EXPECT_EQ(host->openedUrls, QStringList{gTempPath + QStringLiteral("tempmorvpreview.html")});
    EXPECT_TRUE(w.optOutputType[Word]->isChecked());
    EXPECT_EQ(w.OutputPath(), doc);
    host->openedUrls.clear();
    Click(w, 3);
    EXPECT_EQ(host->openedUrls, QStringList{doc});
    EXPECT_TRUE(host->messages().isEmpty()) << host->messages().join(QLatin1Char('|')).toStdString();
    QProcess catdoc;
    catdoc.start(QStringLiteral("catdoc"), {QStringLiteral("-w"), doc});
    ASSERT_TRUE(catdoc.waitForFinished(30000));
    const QString text = QString::fromLocal8Bit(catdoc.readAllStandardOutput());
    const QStringList tables = TableNames();
    EXPECT_EQ(tables.size(), 12);
    for (const QString& t : tables) {
        EXPECT_TRUE(text.contains(t)) << t.toStdString();
        EXPECT_TRUE(text.contains(FirstColumn(t))) << t.toStdString() << "." << FirstColumn(t).toStdString();
    }
    EXPECT_EQ(gReportXSLFile, AppPath() + QStringLiteral("/styles/morvpfreport.xsl"));
    EXPECT_EQ(gReportTemplateFile, templ);
    Q_UNUSED(xsl);
    Q_UNUSED(index);
}

TEST_F(ReportPages, ASecondRunStartsPage4FromTheStoredChoices) {
    const QString ownXsl = app.file(QStringLiteral("mine.xsl"));
    QFile::copy(AppPath() + QStringLiteral("/styles/morvreport.xsl"), ownXsl);
    {
        frmDatabaseConnection& w = StructureOnPage4(QStringLiteral("first"));
        w.options->txtNumberOfPages->setText(QStringLiteral("7"));
        w.options->SelectStyleSheet(QStringLiteral("Graphite"));
        w.options->chkOwnXSL->setChecked(true);
        w.options->txtXSLFile->setText(ownXsl);
        Click(w, 2);
        ASSERT_EQ(w.Step(), 5) << host->messages().join(QLatin1Char('|')).toStdString();
        Click(w, 0);  // Cancel; Yes keeps the structure
        Settle();
    }
    EXPECT_EQ(gObjectsPerPage, 7);
    frmDatabaseConnection& w = StructureOnPage4(QStringLiteral("second"));
    EXPECT_TRUE(w.options->chkGenerateMultipleXML->isChecked());
    EXPECT_EQ(w.options->txtNumberOfPages->text(), QStringLiteral("7"));
    EXPECT_EQ(w.options->cboStyleSheet->currentText(), QStringLiteral("Graphite"));
    EXPECT_TRUE(w.options->chkOwnXSL->isChecked());
    EXPECT_EQ(w.options->txtXSLFile->text(), ownXsl);
    EXPECT_EQ(w.txtDestinationPath->text(), gReportsFolder + QStringLiteral("/secondReport/"));
    // An own layout unticked is no longer used, whatever its box still says.
    w.options->chkOwnXSL->setChecked(false);
    EXPECT_EQ(w.options->txtXSLFile->text(), ownXsl);
    Click(w, 2);
    EXPECT_FALSE(gOwnXSL);
    EXPECT_EQ(gReportXSLFile, AppPath() + QStringLiteral("/styles/morvreport.xsl"));
}

TEST_F(ReportPages, BadChoicesKeepTheWizardOnPage4WithTheirMessage) {
    frmDatabaseConnection& w = StructureOnPage4(QStringLiteral("shop"));
    const QString folder = app.file(QStringLiteral("a-folder"));
    QDir().mkpath(folder);
    const struct {
        const char* why;
        std::function<void()> set;
        const char* message;
    } cases[] = {
        {"no number", [&] { w.options->txtNumberOfPages->setText(QStringLiteral("five")); }, "Please enter a valid number."},
        {"zero pages", [&] { w.options->txtNumberOfPages->setText(QStringLiteral("0")); }, "Please enter a valid number."},
        {"beyond 16 bits", [&] { w.options->txtNumberOfPages->setText(QStringLiteral("99999")); }, "Please enter a valid number."},
        {"own xsl not xsl", [&] {
             w.options->chkOwnXSL->setChecked(true);
             w.options->txtXSLFile->setText(app.file(QStringLiteral("shop.xml")));
         }, "Invalid file format, please select a valid xsl file."},
        {"xml into a folder", [&] {
             w.optOutputType[Xml]->setChecked(true);
             w.txtDestinationPath->setText(folder);
         }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        host->prompts.clear();
        w.options->chkOwnXSL->setChecked(false);
        w.options->txtNumberOfPages->setText(QStringLiteral("5"));
        c.set();
        Click(w, 2);
        EXPECT_EQ(w.Step(), 4);
        ASSERT_EQ(host->messages().size(), 1);
        const QString expected = *c.message ? QLatin1String(c.message) : folder + QStringLiteral(" is a folder. Please choose a file name.");
        EXPECT_EQ(host->messages().first(), expected);
    }
}
