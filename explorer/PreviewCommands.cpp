// The document and XML previews of the main window's right pane.

#include "explorer/frmDatabaseExplorer.h"

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/Preview.h"

#include <QTabWidget>

using namespace bGlobal;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

}  // namespace

void frmDatabaseExplorer::PreviewHTML(const QString& sPreviewXPath) {
    bool shown = false;
    try {
        for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, true);
        if (sPreviewXPath.isEmpty() || !oStructureXML || !oStructureXML->HasDocument() || !oStructureXML->DocumentElement()) {
            // No structure to show: an empty page rather than another selection's.
            ShowEmptyPreviews();
            return;
        }
        if (!Preview::Write(*oStructureXML, sPreviewXPath)) {
            ShowEmptyPreviews();
            return;
        }
        // The first preview opens the files; later ones reload them.
        const std::pair<WebBrowser*, QString> views[] = {{wbReport, Preview::HtmlFile()}, {wbXMLPreview, Preview::XmlFile()}};
        for (const auto& [browser, file] : views) {
            const QString location = browser->LocationURL();
            if (location.isEmpty() || location == QLatin1String("about:blank"))
                browser->Navigate(file);
            else
                browser->Refresh();
        }
        shown = true;
    } catch (const std::exception& e) {
        // The previous selection's pages must not stand under the new selection.
        if (!shown) ShowEmptyPreviews();
        const auto [n, d] = Describe(e);
        if (n == platform::err::PermissionDenied)
            Critical(QStringLiteral("You dont have permission to create the temporary file for preview."));
        else
            CommandError(e, source("PreviewHTML"), QStringLiteral("The preview could not be shown. "));
    }
}

void frmDatabaseExplorer::ShowEmptyPreviews() {
    for (WebBrowser* browser : {wbReport, wbXMLPreview})
        if (browser) browser->Navigate(QStringLiteral("about:blank"));
}

bool frmDatabaseExplorer::PreviewTabShown() const {
    const int tab = ssRHPanel->currentIndex();
    return tab == 1 || tab == 2;
}
