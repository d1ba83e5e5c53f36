// The main window's report commands driven as a user drives them, with the scripted
// host answering the dialogs: HTML and XML reports, the template menu, the report
// settings dialog, the preview exports and printing both previews into PDF files.

#include "ExplorerFixture.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/Preview.h"
#include "reports/WordReport.h"
#include "reports/ui/ReportOptionFrames.h"
#include "reports/ui/frmReportSetup.h"
#include "support/Prerequisite.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <functional>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolBar>

using namespace bGlobal;
using explorertest::StructureXml;

namespace {

struct ReportCommands : explorertest::Fixture {
    frmDatabaseExplorer& Sales() {
        oStructureXML = explorertest::Document(StructureXml(QStringLiteral("Sales"), {QStringLiteral("V_Sales")}));
        gDatabaseName = QStringLiteral("Sales");
        return OpenWindow();
    }
    QString Out(const QString& name) {
        const QString path = folder.file(QStringLiteral("out/") + name);
        QDir().mkpath(QFileInfo(path).path());
        return path;
    }
    // The report options as one comparable value.
    static QStringList Options() {
        return {gReportNameSpace, gReportNameSpaceURI, QString::number(gMultiplePages), QString::number(gObjectsPerPage),
                gReportCSSFile, QString::number(gPrinterFriendly), gReportXSLFile, gIndexXSLFile, QString::number(gOwnXSL)};
    }
    QAction* TemplateItem(frmDatabaseExplorer& w, const QString& caption, int* index = nullptr) {
        for (auto it = w.mnuSubTemplate.begin(); it != w.mnuSubTemplate.end(); ++it)
            if (it.value()->text() == caption) {
                if (index) *index = it.key();
                return it.value();
            }
        return nullptr;
    }
};

// Grabs a window into <build>/screenshots/<name>.png.
void Screenshot(QWidget* window, const QString& name) {
    window->show();
    QCoreApplication::processEvents();
    const QString dir = QStringLiteral(MORVALEX_BINARY_DIR "/screenshots");
    QDir().mkpath(dir);
    EXPECT_TRUE(window->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

// A structure of `tables` tables big_00, big_01, ... with two columns each and one
// view, every object marked for the report; `unmarked` is not.
QString BigStructure(int tables, int unmarked = -1) {
    QString xml = QStringLiteral("<DATABASE Name=\"Big\" DatabaseEngine=\"OTHERS\" DatabaseType=\"12\" DatabaseName=\"Big\" "
                                 "ServerName=\"s\" Time=\"\" CreatedOn=\"\" ServerType=\"OTHERS\" CreatedBy=\"x\">");
    for (int t = 0; t < tables; ++t)
        xml += QStringLiteral("<TABLE Name=\"big_%1\" CreatedOn=\"\" Report=\"%2\" Migrate=\"0\"><COLUMN Name=\"id\"/>"
                              "<COLUMN Name=\"note\"/></TABLE>")
                   .arg(t, 2, 10, QLatin1Char('0'))
                   .arg(t == unmarked ? 0 : 1);
    return xml + QStringLiteral("<VIEW Name=\"big_view\" CreatedOn=\"\" Report=\"1\" Migrate=\"0\"/></DATABASE>");
}

// Turns the event loop until done() holds (at most ten seconds); the number of turns.
int TurnUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    int turns = 0;
    while (!done() && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ++turns;
    }
    return turns;
}

// The names big_.. that a text holds.
QStringList BigNames(const QString& text) {
    static const QRegularExpression name(QStringLiteral("big_(\\d\\d|view)"));
    QStringList names;
    for (auto it = name.globalMatch(text); it.hasNext();) names << it.next().captured(0);
    names.removeDuplicates();
    names.sort();
    return names;
}

QStringList BigExpected(int tables, int unmarked = -1, bool view = true) {
    QStringList names;
    for (int t = 0; t < tables; ++t)
        if (t != unmarked) names << QStringLiteral("big_%1").arg(t, 2, 10, QLatin1Char('0'));
    if (view) names << QStringLiteral("big_view");
    return names;
}

void Type(QWidget* box, const QString& text) {
    for (QChar c : text) {
        const int key = c == QLatin1Char('\b') ? int(Qt::Key_Backspace) : int(c.toUpper().unicode());
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, c == QLatin1Char('\b') ? QString() : QString(c));
        QCoreApplication::sendEvent(box, &press);
    }
}

}  // namespace

TEST_F(ReportCommands, HtmlReportsAsOneFileOrAFolderOfPagesAreWrittenAndOpened) {
    frmDatabaseExplorer& w = Sales();
    // Pages: the folder picked gets the database's report folder, whose index opens.
    gMultiplePages = true;
    gObjectsPerPage = 2;
    const QString picked = Out(QStringLiteral("Out/x")).chopped(2);
    host->paths.enqueue(picked);
    w.mnuSubReport_Click(1);
    ASSERT_EQ(host->prompts.first().kind, QStringLiteral("folder"));
    EXPECT_EQ(host->prompts.first().title, QStringLiteral("Select HTML Folder"));
    EXPECT_EQ(host->openedUrls, QStringList{picked + QStringLiteral("/Salesreport/index.html")});
    EXPECT_TRUE(QFileInfo(picked + QStringLiteral("/Salesreport/index.html")).isFile());

    // One file, from the toolbar's drop-down; a name typed without extension gets one.
    host->openedUrls.clear();
    gMultiplePages = false;
    host->paths.enqueue(Out(QStringLiteral("single/Sales")));
    w.mnuSubToolbar_Click(1);
    EXPECT_EQ(host->openedUrls, QStringList{Out(QStringLiteral("single/Sales.html"))});
    EXPECT_TRUE(testsupport::ReadFile(Out(QStringLiteral("single/Sales.html"))).contains(QStringLiteral("Order Details")));

    // Cancelled dialogs and a folder where a file is wanted write and open nothing.
    host->openedUrls.clear();
    w.mnuSubReport_Click(1);
    host->paths.enqueue(folder.file(QStringLiteral("out")));
    w.mnuSubReport_Click(1);
    EXPECT_TRUE(host->openedUrls.isEmpty());
    EXPECT_EQ(host->messages().last(), folder.file(QStringLiteral("out")) + QStringLiteral(" is a folder. Please choose a file name."));
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(ReportCommands, TheXmlReportHoldsOnlyTheMarkedObjects) {
    frmDatabaseExplorer& w = Sales();
    oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE[1]")).setAttribute(QStringLiteral("Report"), QStringLiteral("0"));
    const QString file = Out(QStringLiteral("xml/Sales.xml"));
    host->paths.enqueue(file);
    w.mnuSubReport_Click(2);
    EXPECT_EQ(host->openedUrls, QStringList{file});
    const QString text = testsupport::ReadFile(file);
    EXPECT_TRUE(text.contains(QStringLiteral("Customers")));
    EXPECT_FALSE(text.contains(QStringLiteral("\"Orders\"")));
    // The pattern left as it was saves nothing.
    host->openedUrls.clear();
    host->paths.enqueue(QStringLiteral("*.xml"));
    EXPECT_EQ(w.SaveXML(true), QString());
    EXPECT_TRUE(host->openedUrls.isEmpty());
}

TEST_F(ReportCommands, TemplateItemsChooseTheStyleAndTheLastOpensTheSettings) {
    MakeStyles({QStringLiteral("Printer Friendly Blue.css")});
    frmDatabaseExplorer& w = Sales();
    w.tlbTemplate_ButtonClick(frmDatabaseExplorer::Button(w.tlbTemplate, QStringLiteral("Template")));
    EXPECT_FALSE(w.mnuSubTemplate.value(0)->isVisible());
    int index = -1;
    ASSERT_TRUE(TemplateItem(w, QStringLiteral("Printer Friendly Blue"), &index));
    w.mnuSubTemplate_Click(index);
    EXPECT_EQ(gReportCSSFile, QStringLiteral("styles/Printer Friendly Blue.css"));
    EXPECT_TRUE(gPrinterFriendly);
    EXPECT_EQ(gReportXSLFile, AppPath() + QStringLiteral("/styles/morvpfreport.xsl"));
    ASSERT_TRUE(TemplateItem(w, QStringLiteral("Graphite"), &index));
    w.mnuSubTemplate_Click(index);
    EXPECT_FALSE(gPrinterFriendly);
    EXPECT_EQ(gIndexXSLFile, AppPath() + QStringLiteral("/styles/morvreport.xsl"));

    // "Advanced Options" and "Report &Options" open the same dialog.
    QStringList shown;
    host->onModal = [&](QObject* window) {
        shown << window->objectName();
        static_cast<frmReportSetup*>(window)->CancelButton->click();
    };
    ASSERT_TRUE(TemplateItem(w, QStringLiteral("Advanced Options"), &index));
    w.mnuSubTemplate_Click(index);
    w.mnuSubReport_Click(5);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("frmReportSetup"), QStringLiteral("frmReportSetup")}));
}

TEST_F(ReportCommands, TheSettingsDialogStoresOnOkOnlyAndCancelChangesNothing) {
    frmDatabaseExplorer& w = Sales();
    const QStringList before = Options();
    // Cancel after editing every frame.
    host->onModal = [&](QObject* window) {
        auto* d = static_cast<frmReportSetup*>(window);
        Screenshot(d, QStringLiteral("frmReportSetup"));
        EXPECT_EQ(d->options->cboStyleSheet->currentText(), QStringLiteral("Professional yellow"));
        EXPECT_TRUE(d->options->chkGenerateMultipleXML->isChecked());
        EXPECT_EQ(d->options->txtNumberOfPages->text(), QStringLiteral("5"));
        EXPECT_FALSE(d->txtNamespace->isEnabled());
        d->chkNameSpace->setChecked(true);
        Type(d->txtNamespace, QStringLiteral("ab1 _C\bD"));
        EXPECT_EQ(d->txtNamespace->text(), QStringLiteral("abD"));
        d->options->chkGenerateMultipleXML->setChecked(false);
        EXPECT_TRUE(d->options->txtNumberOfPages->text().isEmpty());
        d->options->cboStyleSheet->setCurrentIndex(0);
        d->CancelButton->click();
    };
    w.mnuSubReport_Click(5);
    EXPECT_EQ(Options(), before);

    // OK: a bad number keeps the dialog open with its message; a good choice is stored.
    host->onModal = [&](QObject* window) {
        auto* d = static_cast<frmReportSetup*>(window);
        d->options->txtNumberOfPages->setText(QStringLiteral("0"));
        d->OKButton->click();
        EXPECT_EQ(host->messages(), QStringList{QStringLiteral("Please enter a valid number.")});
        EXPECT_FALSE(d->Stored());
        d->options->chkGenerateMultipleXML->setChecked(false);
        d->options->SelectStyleSheet(QStringLiteral("printer friendly"));
        d->chkNameSpace->setChecked(true);
        d->txtNamespace->setText(QStringLiteral("mv"));
        d->txtNameSpaceURI->setText(QStringLiteral("urn:mv"));
        d->OKButton->click();
    };
    w.mnuSubReport_Click(5);
    EXPECT_FALSE(gMultiplePages);
    EXPECT_EQ(gObjectsPerPage, 0);
    EXPECT_TRUE(gPrinterFriendly);
    EXPECT_EQ(gReportCSSFile, QStringLiteral("styles/Printer Friendly.css"));
    EXPECT_EQ(gReportXSLFile, AppPath() + QStringLiteral("/styles/morvpfreport.xsl"));
    EXPECT_EQ(gReportNameSpace, QStringLiteral("mv"));
    EXPECT_EQ(gReportNameSpaceURI, QStringLiteral("urn:mv"));

    // Every style shows its sample picture.
    host->onModal = [&](QObject* window) {
        auto* d = static_cast<frmReportSetup*>(window);
        for (int i = 0; i + 1 < d->options->cboStyleSheet->count(); ++i) {
            d->options->cboStyleSheet->setCurrentIndex(i);
            EXPECT_FALSE(d->options->pctPreview->pixmap().isNull()) << d->options->cboStyleSheet->currentText().toStdString();
        }
        d->CancelButton->click();
    };
    w.mnuSubReport_Click(5);

    // A CSS file of the user's matches no style: the dialog opens on entry 4.
    gReportCSSFile = folder.file(QStringLiteral("mine.css"));
    host->onModal = [&](QObject* window) {
        auto* d = static_cast<frmReportSetup*>(window);
        EXPECT_EQ(d->options->cboStyleSheet->currentIndex(), 4);
        EXPECT_FALSE(d->options->txtCSSFileName->isEnabled());
        EXPECT_TRUE(d->txtNamespace->isEnabled());
        d->CancelButton->click();
    };
    w.mnuSubReport_Click(5);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(ReportCommands, PreviewsAreExportedWithTheirPicturesAndStyles) {
    frmDatabaseExplorer& w = Sales();
    w.PreviewHTML(QStringLiteral("DATABASE"));
    // Document preview to HTML: the page reads its style from the copy beside it.
    const QString page = Out(QStringLiteral("preview/page.html"));
    host->paths.enqueue(page);
    w.tlbPreview_ButtonClick(frmDatabaseExplorer::Button(w.tlbPreview, QStringLiteral("SaveThisPage")));
    EXPECT_FALSE(w.mnuSubPreviewTool.value(1)->isVisible());
    w.mnuSubPreviewTool_Click(0);
    const QString text = testsupport::ReadFile(page);
    EXPECT_TRUE(text.contains(QStringLiteral("href=\"styles/Professional%20yellow.css\""))) << text.left(600).toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("file:")));
    EXPECT_TRUE(text.contains(QStringLiteral("Order Details")));
    EXPECT_TRUE(QFileInfo(Out(QStringLiteral("preview/styles/Professional yellow.css"))).isFile());
    EXPECT_FALSE(QDir(Out(QStringLiteral("preview/images"))).isEmpty());

    // Database text stays text in the exported page.
    oStructureXML = explorertest::Document(QStringLiteral(
        "<DATABASE Name=\"Sales\" DatabaseEngine=\"OTHERS\" DatabaseType=\"12\" DatabaseName=\"Sales\" ServerName=\"s\" "
        "Time=\"\" CreatedOn=\"\" ServerType=\"OTHERS\" CreatedBy=\"x\"><TABLE Name=\"t&lt;script&gt;alert(1)&lt;/script&gt;\" "
        "CreatedOn=\"\" Report=\"1\" Migrate=\"0\"><COLUMN Name=\"c&amp;d\"/></TABLE></DATABASE>"));
    w.PreviewHTML(QStringLiteral("DATABASE"));
    const QString hostile = Out(QStringLiteral("preview/hostile.html"));
    host->paths.enqueue(hostile);
    w.mnuSubPreviewTool_Click(0);
    const QString hostileText = testsupport::ReadFile(hostile);
    EXPECT_TRUE(hostileText.contains(QStringLiteral("t&lt;script&gt;alert(1)&lt;/script&gt;")));
    EXPECT_FALSE(hostileText.contains(QStringLiteral("<script>")));

    // The XML preview's button saves its text directly.
    const QString xml = Out(QStringLiteral("preview/page.xml"));
    host->paths.enqueue(xml);
    w.tlbXMLPreviewSave_ButtonClick(nullptr);
    EXPECT_EQ(testsupport::ReadFile(xml), testsupport::ReadFile(Preview::XmlFile()));
    EXPECT_TRUE(host->messages().isEmpty()) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(ReportCommands, SaveDialogsStartWithTheDatabasesNameOrNothing) {
    frmDatabaseExplorer& w = Sales();
    gMultiplePages = false;
    w.PreviewHTML(QStringLiteral("DATABASE"));
    const struct {
        const char* command;
        std::function<void()> run;
        QString name;
    } cases[] = {
        {"Save as HTML", [&] { w.mnuSubReport_Click(1); }, QStringLiteral("Sales.html")},
        {"Save as XML", [&] { w.mnuSubReport_Click(2); }, QStringLiteral("Sales.xml")},
        {"Save as Word Document", [&] { w.mnuSubReport_Click(3); }, QStringLiteral("Sales.doc")},
        {"preview Save as HTML", [&] { w.mnuSubPreviewTool_Click(0); }, QString()},
        {"Save this XML", [&] { w.tlbXMLPreviewSave_ButtonClick(nullptr); }, QString()},
        {"preview Save as Word", [&] { w.mnuSubPreviewTool_Click(2); }, QString()},
    };
    for (const auto& k : cases) {
        host->prompts.clear();
        k.run();  // cancelled
        ASSERT_EQ(host->prompts.size(), 1) << k.command;
        EXPECT_EQ(host->prompts[0].kind, QStringLiteral("save")) << k.command;
        EXPECT_EQ(host->prompts[0].text.section(QLatin1Char('|'), -1), k.name) << k.command;
    }
    // A preview page saved under a bare name gets the extension.
    host->paths.enqueue(Out(QStringLiteral("bare/page")));
    w.mnuSubPreviewTool_Click(0);
    EXPECT_TRUE(QFileInfo(Out(QStringLiteral("bare/page.html"))).isFile());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

TEST_F(ReportCommands, BothPreviewsPrintIntoPdfFiles) {
    MORVALEX_REQUIRE_PROGRAM("pdftoppm");
    frmDatabaseExplorer& w = Sales();
    w.PreviewHTML(QStringLiteral("DATABASE"));
    const struct {
        const char* name;
        std::function<void()> print;
    } cases[] = {
        {"document", [&] { w.tlbPrint_ButtonClick(nullptr); }},
        {"xml", [&] { w.tlbXMLPreviewPrint_ButtonClick(nullptr); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString pdf = Out(QStringLiteral("print/%1.pdf").arg(QLatin1String(c.name)));
        host->onPrint = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        c.print();
        ASSERT_TRUE(QFileInfo(pdf).size() > 0);
        QProcess render;
        render.start(QStringLiteral("pdftoppm"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                                  QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"), pdf,
                                                  pdf + QStringLiteral(".page")});
        ASSERT_TRUE(render.waitForFinished(30000));
        EXPECT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
        EXPECT_FALSE(QDir(QFileInfo(pdf).path()).entryList({QFileInfo(pdf).fileName() + QStringLiteral(".page*.png")}).isEmpty());
    }
    // A cancelled print dialog prints nothing.
    host->onPrint = nullptr;
    w.tlbPrint_ButtonClick(nullptr);
    EXPECT_EQ(host->prompts.last().kind, QStringLiteral("print"));
}

TEST_F(ReportCommands, PrintedTextHasTheSizeItHasOnScreen) {
    MORVALEX_REQUIRE_PROGRAM("pdftotext");
    frmDatabaseExplorer& w = Sales();
    w.PreviewHTML(QStringLiteral("DATABASE"));
    const QString pdf = Out(QStringLiteral("print/sizes.pdf"));
    host->onPrint = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    w.tlbPrint_ButtonClick(nullptr);
    ASSERT_TRUE(QFileInfo(pdf).size() > 0);

    // Each word's smallest height on the page, in points.
    QMap<QString, double> heights;
    QStringList printed;
    for (const testsupport::PdfWord& word : testsupport::PdfWords(pdf).words) {
        const double height = word.yMax - word.yMin;
        heights.insert(word.text, std::min(height, heights.value(word.text, height)));
        printed << word.text;
    }
    // The title, a table's name and the column text of its grid: none smaller than 8 pt.
    for (const QString& shown : {QStringLiteral("Sales"), QStringLiteral("Customers"), QStringLiteral("Id")}) {
        ASSERT_TRUE(heights.contains(shown)) << qPrintable(shown) << "\n" << qPrintable(printed.join(QLatin1Char(' ')));
        EXPECT_GE(heights.value(shown), 8.0) << qPrintable(shown);
    }
}

// A line of the XML preview longer than the paper is wide goes on below on paper, as
// it does in a browser's print of a file's text: nothing of it falls off the page.
TEST_F(ReportCommands, PrintedXmlWrapsItsLongLinesInsideThePage) {
    MORVALEX_REQUIRE_PROGRAM("pdftotext");
    QStringList words;
    for (int i = 1; i <= 60; ++i) words << QStringLiteral("word%1").arg(i, 2, 10, QLatin1Char('0'));
    QString unbroken;
    for (int i = 1; i <= 30; ++i) unbroken += QStringLiteral("piece%1").arg(i, 2, 10, QLatin1Char('0'));
    const struct {
        const char* name;
        QString value;      // the Name of a table, on one line of the XML
        QStringList shown;  // what the printed words must hold, in order
    } cases[] = {
        {"words", words.join(QLatin1Char(' ')), words},
        {"one long word", unbroken, {unbroken}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frmDatabaseExplorer& w = Sales();
        oStructureXML->FindNode(QStringLiteral("DATABASE/TABLE[0]")).setAttribute(QStringLiteral("Name"), c.value);
        w.PreviewHTML(QStringLiteral("DATABASE"));
        const QString pdf = Out(QStringLiteral("print/wrap-%1.pdf").arg(QString::fromLatin1(c.name).replace(QLatin1Char(' '), QLatin1Char('-'))));
        host->onPrint = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        };
        w.tlbXMLPreviewPrint_ButtonClick(nullptr);
        ASSERT_TRUE(QFileInfo(pdf).size() > 0);

        const testsupport::PdfText text = testsupport::PdfWords(pdf);
        ASSERT_GT(text.pageWidth, 0);
        QString printed;  // every word, run together in reading order
        for (const testsupport::PdfWord& word : text.words) {
            EXPECT_LE(word.xMax, text.pageWidth) << qPrintable(word.text);
            printed += word.text;
        }
        qsizetype from = 0;
        for (const QString& shown : c.shown) {
            from = printed.indexOf(shown, from);
            ASSERT_GE(from, 0) << "not printed whole: " << qPrintable(shown);
        }
    }
}

TEST_F(ReportCommands, WordCommandsWriteAndOpenTheDocumentOrSayWordIsMissing) {
    frmDatabaseExplorer& w = Sales();
    w.PreviewHTML(QStringLiteral("DATABASE"));
    {
        // Without LibreOffice on the PATH.
        const QByteArray path = qgetenv("PATH");
        const QTemporaryDir empty;
        qputenv("PATH", empty.path().toUtf8());
        host->paths.enqueue(Out(QStringLiteral("word/none.doc")));
        w.mnuSubReport_Click(3);
        host->paths.enqueue(Out(QStringLiteral("word/none2.doc")));
        w.mnuSubPreviewTool_Click(2);
        qputenv("PATH", path);
        EXPECT_EQ(host->messages(), QStringList(2, QStringLiteral("Microsoft Word does not exist, please install and try again")));
        EXPECT_TRUE(host->openedUrls.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(Out(QStringLiteral("word/none.doc"))));
        EXPECT_FALSE(QFileInfo::exists(WordReport::PreviewContentFile()));
    }
    MORVALEX_REQUIRE_PROGRAM("soffice");
    MORVALEX_REQUIRE_PROGRAM("catdoc");
    host->prompts.clear();
    const QString doc = Out(QStringLiteral("word/preview.doc"));
    host->paths.enqueue(doc);
    w.mnuSubPreviewTool_Click(2);
    EXPECT_TRUE(host->messages().isEmpty()) << host->messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(host->openedUrls, QStringList{doc});
    QProcess catdoc;
    catdoc.start(QStringLiteral("catdoc"), {doc});
    ASSERT_TRUE(catdoc.waitForFinished(30000));
    EXPECT_TRUE(QString::fromLocal8Bit(catdoc.readAllStandardOutput()).contains(QStringLiteral("Order Details")));
    // The preview's text handed to LibreOffice is not kept.
    EXPECT_FALSE(QFileInfo::exists(WordReport::PreviewContentFile()));
}

// A preview of many objects fills its page in over many turns of the event loop;
// whatever moment an export is asked for, the saved page, the saved XML and the
// printed page hold every object of the selection.
TEST_F(ReportCommands, ALongPreviewFillsInStepsAndItsExportsHoldEveryObject) {
    MORVALEX_REQUIRE_PROGRAM("pdftotext");
    frmDatabaseExplorer& w = Sales();
    const int tables = 60;
    oStructureXML = explorertest::Document(BigStructure(tables));
    const QStringList all = BigExpected(tables);

    // Left alone, the page grows turn by turn until it shows everything.
    w.PreviewHTML(QStringLiteral("DATABASE"));
    EXPECT_TRUE(w.PreviewPending());
    int growing = 0;
    qsizetype shown = -1;
    TurnUntil([&] {
        const qsizetype now = BigNames(w.wbReport->toPlainText()).size();
        if (now != shown && now > 0) ++growing;
        shown = now;
        return !w.PreviewPending();
    });
    EXPECT_GT(growing, 3) << "the page came in in " << growing << " steps";
    EXPECT_EQ(BigNames(w.wbReport->toPlainText()), all);
    EXPECT_EQ(BigNames(w.wbXMLPreview->toPlainText()), all);

    const struct {
        const char* when;
        std::function<bool()> reached;
    } moments[] = {
        {"while its files are being written", [] { return true; }},
        {"while its page fills in", [&] { return w.wbReport->Busy(); }},
    };
    const struct {
        const char* name;
        std::function<QString(const QString& out)> save;
    } exports[] = {
        {"page", [&](const QString& out) {
             host->paths.enqueue(out + QStringLiteral(".html"));
             w.mnuSubPreviewTool_Click(0);
             return testsupport::ReadFile(out + QStringLiteral(".html"));
         }},
        {"xml", [&](const QString& out) {
             host->paths.enqueue(out + QStringLiteral(".xml"));
             w.tlbXMLPreviewSave_ButtonClick(nullptr);
             return testsupport::ReadFile(out + QStringLiteral(".xml"));
         }},
        {"print", [&](const QString& out) {
             host->onPrint = [&](QPrinter& printer) {
                 printer.setOutputFormat(QPrinter::PdfFormat);
                 printer.setOutputFileName(out + QStringLiteral(".pdf"));
                 return true;
             };
             w.tlbPrint_ButtonClick(nullptr);
             host->onPrint = nullptr;
             QProcess text;
             text.start(QStringLiteral("pdftotext"), {out + QStringLiteral(".pdf"), QStringLiteral("-")});
             return text.waitForFinished(30000) ? QString::fromUtf8(text.readAllStandardOutput()) : QString();
         }},
    };
    for (const auto& m : moments) {
        for (const auto& e : exports) {
            SCOPED_TRACE(std::string(e.name) + " " + m.when);
            w.PreviewHTML(QStringLiteral("DATABASE"));
            TurnUntil(m.reached);
            ASSERT_TRUE(m.reached());
            EXPECT_EQ(BigNames(e.save(Out(QStringLiteral("long/%1").arg(QLatin1String(e.name))))), all);
            TurnUntil([&] { return !w.PreviewPending(); });
        }
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

// A new selection while a long page fills in abandons the rest of it: the previews
// end up showing the new selection alone.
TEST_F(ReportCommands, ANewSelectionDuringAFillShowsOnlyTheNewSelection) {
    frmDatabaseExplorer& w = Sales();
    const int tables = 60, unmarked = 17;
    oStructureXML = explorertest::Document(BigStructure(tables, unmarked));
    const struct {
        const char* path;
        QStringList shown;
    } cases[] = {
        {"DATABASE/TABLE[7]", {QStringLiteral("big_07")}},
        {"/DATABASE/TABLE", BigExpected(tables, unmarked, false)},
    };
    const struct {
        const char* when;
        std::function<bool()> reached;
    } moments[] = {
        {"while its files are being written", [] { return true; }},
        {"while its page fills in", [&] { return w.wbReport->Busy(); }},
    };
    for (const auto& m : moments) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.path) + " " + m.when);
            w.PreviewHTML(QStringLiteral("DATABASE"));
            TurnUntil(m.reached);
            ASSERT_TRUE(m.reached());
            w.PreviewHTML(QLatin1String(c.path));
            TurnUntil([&] { return !w.PreviewPending(); });
            EXPECT_EQ(BigNames(w.wbReport->toPlainText()), c.shown);
            EXPECT_EQ(BigNames(w.wbXMLPreview->toPlainText()), c.shown);
            EXPECT_EQ(BigNames(testsupport::ReadFile(Preview::HtmlFile())), c.shown);
            EXPECT_EQ(BigNames(testsupport::ReadFile(Preview::XmlFile())), c.shown);
        }
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}
