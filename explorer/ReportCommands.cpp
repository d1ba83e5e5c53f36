// The main window's report commands: the Report menu and the SaveReport drop-down,
// the template menu, the exports of the two previews and their printing. The reports
// themselves are written by bXMLSupport, WordReport and cXML::SaveXML.

#include "core/FileUtil.h"
#include "core/Hourglass.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/Preview.h"
#include "explorer/PreviewExport.h"
#include "explorer/frmDatabaseExplorer.h"
#include "platform/ui/Host.h"
#include "reports/DM_Browse.h"
#include "reports/ReportSettings.h"
#include "reports/WordReport.h"
#include "reports/bXMLSupport.h"
#include "reports/ui/frmReportSetup.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolButton>
#include <QUrl>

#include <memory>

using namespace bGlobal;
using platform::ui::host;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

// Prints what a browser shows. A view that keeps its lines whole on screen (the XML's
// text, scrolled sideways) is printed from a copy whose lines wrap at the paper's edge,
// in the colours the view gives them.
void PrintView(WebBrowser* browser, QPrinter* printer) {
    if (browser->lineWrapMode() != QTextEdit::NoWrap) {
        browser->print(printer);
        return;
    }
    const QTextDocument* shown = browser->document();
    const std::unique_ptr<QTextDocument> copy(shown->clone());
    QTextOption option = copy->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    copy->setDefaultTextOption(option);
    // The highlighter's colours live in the shown blocks' layouts, which a copy lacks.
    for (QTextBlock from = shown->firstBlock(), to = copy->firstBlock(); from.isValid() && to.isValid();
         from = from.next(), to = to.next())
        to.layout()->setFormats(from.layout()->formats());
    copy->print(printer);
}


// A Save dialog starting in the reports folder, its name box holding 'bareName' with the
// filter's extension, or empty. The chosen path (a name typed without an extension gets
// the filter's), or "" when the user cancelled, chose the pattern itself or gave the
// extension alone as the name.
QString chooseSavePath(const QString& filter, const QString& bareName = QString()) {
    return platform::ui::saveFileName(QStringLiteral("Save As"), filter, gReportsFolder, bareName);
}

// A destination the report cannot be written to (a folder where a file is wanted, a
// folder that may not be written): told, and refused.
bool refused(const QString& path, bool bFolder = false) {
    const QString problem = ReportSettings::DestinationProblem(path, bFolder);
    if (problem.isEmpty()) return false;
    Critical(problem);
    return true;
}


// The file a preview shows, or "" when it shows none.
QString shownFile(const WebBrowser* browser) {
    const QString location = browser->LocationURL();
    if (location.isEmpty() || location == QLatin1String("about:blank")) return QString();
    return location.startsWith(QLatin1String("file:")) ? QUrl(location).toLocalFile() : location;
}

}  // namespace

// ---- reports ---------------------------------------------------------------------------------

QString frmDatabaseExplorer::SaveHTML(bool bSaveNow) {
    return CommandTrapValue(source("SaveHTML"), [&] {
        QString path;
        if (!gMultiplePages) {
            path = chooseSavePath(QStringLiteral("HTML Files | *.html"), gDatabaseName);
            if (path.isEmpty() || refused(path)) return QString();
        } else {
            const QString folder = DM_BrowseFolder(QStringLiteral("Select HTML Folder"));
            if (folder.isEmpty()) return QString();
            path = folder + (folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/")) + gDatabaseName +
                   QStringLiteral("report/");
            if (refused(path, true)) return QString();
        }
        if (bSaveNow) {
            bool written = false;
            {
                const Hourglass wait;
                written = bXMLSupport::SaveAsHTML(path, gMultiplePages);
            }
            // A report that failed has been told about; nothing is opened.
            if (written) OpenWrittenFile(bXMLSupport::IsHtmlFileName(path) ? path : path + QStringLiteral("index.html"));
        }
        return path;
    }, QString());
}

QString frmDatabaseExplorer::SaveXML(bool bSaveNow) {
    return CommandTrapValue(source("SaveXML"), [&] {
        const QString path = chooseSavePath(QStringLiteral("XML File | *.xml"), gDatabaseName);
        if (path.isEmpty() || refused(path)) return QString();
        if (bSaveNow && oStructureXML) {
            const FileWriteCheck check(path);
            oStructureXML->SaveXML(path, true);
            if (check.Written()) OpenWrittenFile(path);
        }
        return path;
    }, QString());
}

QString frmDatabaseExplorer::SaveInWord(bool bSaveNow) {
    return CommandTrapValue(source("SaveInWord"), [&] {
        const QString path = chooseSavePath(QStringLiteral("Microsoft Word Document | *.doc"), gDatabaseName);
        if (path.isEmpty() || refused(path)) return QString();
        if (bSaveNow) {
            const FileWriteCheck check(path);
            SaveNowInWord(path);
            if (check.Written()) OpenWrittenFile(path);
        }
        return path;
    }, QString());
}

void frmDatabaseExplorer::SaveNowInWord(const QString& sWordFileName) {
    const Hourglass wait;
    WordReport::Save(sWordFileName);
}

void frmDatabaseExplorer::mnuSubReport_Click(int Index) {
    CommandTrap(source("mnuSubReport_Click"), [&] {
        switch (Index) {
        case 1: SaveHTML(true); break;
        case 2: SaveXML(true); break;
        case 3: SaveInWord(true); break;
        case 5: ShowReportSetup(); break;
        default: break;
        }
    });
}

void frmDatabaseExplorer::mnuSubToolbar_Click(int Index) { mnuSubReport_Click(Index); }

void frmDatabaseExplorer::ShowReportSetup() {
    Trap(source("ShowReportSetup"), [&] {
        if (frmReportSetup::ShowSetup()) PreviewHTML(gPreviewXPath);
    });
}

// ---- the template menu -----------------------------------------------------------------------

void frmDatabaseExplorer::tlbTemplate_ButtonClick(QToolButton* Button) {
    Trap(source("tlbTemplate_ButtonClick"), [&] {
        if (QAction* dummy = mnuSubTemplate.value(0)) dummy->setVisible(false);
        PopupBelow(Button, mnuTemplate);
    });
}

void frmDatabaseExplorer::mnuSubTemplate_Click(int Index) {
    Trap(source("mnuSubTemplate_Click"), [&] {
        QAction* item = mnuSubTemplate.value(Index);
        if (!item) return;
        if (Index == mnuSubTemplate.lastKey()) {
            ShowReportSetup();
            return;
        }
        ReportSettings::ChooseTemplate(item->text());
        PreviewHTML(gPreviewXPath);
    });
}

// ---- preview exports -------------------------------------------------------------------------

void frmDatabaseExplorer::tlbPreview_ButtonClick(QToolButton* Button) {
    Trap(source("tlbPreview_ButtonClick"), [&] {
        if (QAction* xml = mnuSubPreviewTool.value(1)) xml->setVisible(false);
        PopupBelow(Button, mnuPreviewTool);
    });
}

void frmDatabaseExplorer::tlbXMLPreviewSave_ButtonClick(QToolButton*) { SaveXMLPreview(); }

void frmDatabaseExplorer::mnuSubPreviewTool_Click(int Index) {
    Trap(source("mnuSubPreviewTool_Click"), [&] {
        switch (Index) {
        case 0: SavePreviewHTML(); break;
        case 1: SaveXMLPreview(); break;
        case 2: SavePreviewInWord(); break;
        default: break;
        }
    });
}

QString frmDatabaseExplorer::PreviewContent() {
    FinishPendingPreview();
    // Both output kinds export the page the document preview shows: the preview style
    // sheet has already turned the preview document into it.
    return shownFile(wbReport).isEmpty() ? QString() : SavePreviewXML();
}

QString frmDatabaseExplorer::SavePreviewXML() {
    return TrapValue(source("SavePreviewXML"), [&] {
        return ReadTextFile(shownFile(wbReport));
    }, QString());
}

// The preview exports: a file that cannot be written, copied or made is told with its
// name and why, and what the export made is taken away again.
void frmDatabaseExplorer::SavePreviewHTML() {
    CommandTrap(source("SavePreviewHTML"), [&] {
        FinishPendingPreview();
        const QString page = shownFile(wbReport);
        if (page.isEmpty()) return;
        const QString path = chooseSavePath(QStringLiteral("HTML Files | *.html"));
        if (path.isEmpty() || refused(path)) return;
        const Hourglass wait;
        AddedFiles added;
        PreviewExport::WriteHtml(page, path);
        added.Keep();
    });
}

void frmDatabaseExplorer::SaveXMLPreview() {
    CommandTrap(source("SaveXMLPreview"), [&] {
        FinishPendingPreview();
        const QString shown = shownFile(wbXMLPreview);
        if (shown.isEmpty()) return;
        const QString path = chooseSavePath(QStringLiteral("XML Files | *.xml"));
        if (path.isEmpty() || refused(path)) return;
        AddedFiles added;
        PreviewExport::WriteXml(shown, path);
        added.Keep();
    });
}

void frmDatabaseExplorer::SavePreviewInWord() {
    CommandTrap(source("SavePreviewInWord"), [&] {
        const Hourglass wait;
        const QString path = chooseSavePath(QStringLiteral("Microsoft Word Document | *.doc"));
        if (path.isEmpty()) return;
        const QString content = WordReport::PreviewContentFile();
        // The page handed to LibreOffice goes whether the conversion worked or not.
        struct RemoveContent {
            QString file;
            ~RemoveContent() { DeleteFileIfExists(file); }
        } removeContent{content};
        DeleteFileIfExists(content);
        WriteTextFileAtomic(content, PreviewContent());
        if (WordReport::Convert(content, path)) OpenWrittenFile(path);
    });
}

// ---- printing --------------------------------------------------------------------------------

void frmDatabaseExplorer::PrintPreview(WebBrowser* browser) {
    try {
        // The pages' style sheets size text in pixels; at the screen's resolution a
        // pixel on paper is as large as on screen, where a high-resolution printer's
        // own pixels would print that text microscopic.
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setDocName(kAppTitle);
        FinishPendingPreview();
        if (!host().printDialog(printer, QStringLiteral("Print"))) return;
        browser->Complete();  // the whole page, also while it is still filling in
        PrintView(browser, &printer);
    } catch (const std::exception&) {
        // Printing problems are the printer's; the window goes on.
    }
}

void frmDatabaseExplorer::tlbPrint_ButtonClick(QToolButton*) { PrintPreview(wbReport); }
void frmDatabaseExplorer::tlbXMLPreviewPrint_ButtonClick(QToolButton*) { PrintPreview(wbXMLPreview); }
