// The document and XML previews of the main window's right pane.

#include "explorer/frmDatabaseExplorer.h"

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/Preview.h"
#include "platform/Error.h"

#include <QTabWidget>
#include <QThreadPool>
#include <atomic>

using namespace bGlobal;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

}  // namespace

// A preview whose files a worker thread writes. The worker records the error it met
// and then leaves the job alone; the window reads it after the worker has finished (a
// queued call, or waiting for the pool).
struct frmDatabaseExplorer::PendingPreview {
    std::unique_ptr<Preview::Job> job;
    std::atomic<bool> abandoned{false};
    std::exception_ptr error;
};

namespace {

// Tells the failure of a preview: what the style sheet could not make, a file that
// may not be written, and any other failure sorted as every command's is.
void tellPreviewFailed(const std::exception& e) {
    const auto [n, d] = Describe(e);
    if (n == platform::err::PermissionDenied)
        Critical(QStringLiteral("You dont have permission to create the temporary file for preview."));
    else if (n == Preview::kTransformFailed)
        Preview::TransformFailed();
    else
        CommandError(e, source("PreviewHTML"), QStringLiteral("The preview could not be shown. "));
}

}  // namespace

void frmDatabaseExplorer::PreviewHTML(const QString& sPreviewXPath) {
    bool shown = false;
    try {
        for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, true);
        // A new selection abandons what of the last preview is still on its way.
        AbandonPendingPreview();
        if (sPreviewXPath.isEmpty() || !oStructureXML || !oStructureXML->HasDocument() || !oStructureXML->DocumentElement()) {
            // No structure to show: an empty page rather than another selection's.
            ShowEmptyPreviews();
            return;
        }
        // A worker still writing the files of the last one finishes first: the files
        // are shared.
        if (m_previewThread) m_previewThread->waitForDone();
        wbReport->Stop();
        wbXMLPreview->Stop();
        std::unique_ptr<Preview::Job> job = Preview::Prepare(*oStructureXML, sPreviewXPath);
        if (!job) {
            ShowEmptyPreviews();
            return;
        }
        if (job->objects <= Preview::kFinishedAtOnce) {
            Preview::FinishTelling(*job);
            ShowPreviewFiles();
            shown = true;
            return;
        }
        // A long page: its text is made and written on the worker while the window
        // paints; the views show nothing of the last selection meanwhile.
        ShowEmptyPreviews();
        shown = true;
        if (!m_previewThread) {
            m_previewThread = new QThreadPool(this);
            m_previewThread->setMaxThreadCount(1);  // one at a time: the files are shared
        }
        auto pending = std::make_shared<PendingPreview>();
        pending->job = std::move(job);
        m_pendingPreview = pending;
        m_previewThread->start([this, pending] {
            if (!pending->abandoned) {
                try {
                    Preview::Finish(*pending->job);
                } catch (const std::exception&) {
                    pending->error = std::current_exception();  // told on the window thread
                }
            }
            QMetaObject::invokeMethod(this, [this, pending] {
                if (m_pendingPreview == pending) FinishPendingPreview();
            }, Qt::QueuedConnection);
        });
    } catch (const std::exception& e) {
        // The previous selection's pages must not stand under the new selection.
        if (!shown) ShowEmptyPreviews();
        tellPreviewFailed(e);
    }
}

void frmDatabaseExplorer::ShowEmptyPreviews() {
    for (WebBrowser* browser : {wbReport, wbXMLPreview})
        if (browser) browser->Navigate(QStringLiteral("about:blank"));
}

void frmDatabaseExplorer::FinishPendingPreview() {
    const std::shared_ptr<PendingPreview> pending = std::move(m_pendingPreview);
    if (!pending) return;
    m_previewThread->waitForDone();
    if (pending->error) {
        bool transformFailed = false;
        try {
            std::rethrow_exception(pending->error);
        } catch (const std::exception& e) {
            transformFailed = Describe(e).first == Preview::kTransformFailed;
            tellPreviewFailed(e);
        }
        // A page the style sheet could not make is shown empty, as a short one is; any
        // other failure leaves the views empty.
        if (!transformFailed) return;
    }
    ShowPreviewFiles();
}

void frmDatabaseExplorer::AbandonPendingPreview() {
    if (m_pendingPreview) m_pendingPreview->abandoned = true;
    m_pendingPreview.reset();
}

void frmDatabaseExplorer::ShowPreviewFiles() {
    // The first preview opens the files; later ones reload them.
    const std::pair<WebBrowser*, QString> views[] = {{wbReport, Preview::HtmlFile()}, {wbXMLPreview, Preview::XmlFile()}};
    for (const auto& [browser, file] : views) {
        const QString location = browser->LocationURL();
        if (location.isEmpty() || location == QLatin1String("about:blank"))
            browser->Navigate(file);
        else
            browser->Refresh();
    }
}

bool frmDatabaseExplorer::PreviewPending() const {
    return m_pendingPreview || wbReport->Busy() || wbXMLPreview->Busy();
}

bool frmDatabaseExplorer::PreviewTabShown() const {
    const int tab = ssRHPanel->currentIndex();
    return tab == 1 || tab == 2;
}
