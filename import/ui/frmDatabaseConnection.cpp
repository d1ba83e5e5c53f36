// The import wizard's life: the shared instance, loading, the status line and closing.

#include "import/ui/frmDatabaseConnection.h"
#include "import/ui/WizardForm.h"

#include "core/bGlobal.h"
#include "explorer/frmDatabaseExplorer.h"
#include "import/cADODB.h"
#include "platform/ui/Host.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace bGlobal;
using platform::ui::Answer;
using platform::ui::Buttons;
using platform::ui::Icon;

namespace {

using wizardform::kForm;

}  // namespace

// ---- the shared instance ----------------------------------------------------------------

void frmDatabaseConnection::ShowWizard(const QString& action) {
    frmDatabaseConnection& wizard = instance();
    if (!action.isEmpty()) wizard.sAction = action;
    wizard.Form_Load();
    if (wizard.m_unloaded) return;
    platform::ui::host().showModal(&wizard);
}

void frmDatabaseConnection::Install() {
    frmDatabaseExplorer::ShowImportWizard.Provide(&ShowWizard);
}

frmDatabaseConnection::frmDatabaseConnection() {
    setObjectName(QStringLiteral("frmDatabaseConnection"));
    setWindowTitle(kAppTitle + QLatin1Char(' ') + kCompany);
    BuildPages();
}

// ---- loading and the status line ---------------------------------------------------------------

void frmDatabaseConnection::Form_Load() {
    if (m_loaded) return;
    m_loaded = true;
    Trap(kForm + QStringLiteral("Form_Load"), [&] {
        setWindowTitle(kAppTitle + QLatin1Char(' ') + kCompany);
        sOutputKind = QStringLiteral("html");
        bFinished = false;
        bImported = false;
        nStep = 0;
        DisplayStep1();
        if (sAction == QLatin1String("REFRESH")) RetrieveDBInfo();
        AddDBTypes();
        if (txtDatabasePath->text().trimmed().isEmpty()) {
            DisableControl(txtAccessPassword);
            DisableControl(txtWKGPDatabasePath);
            DisableControl(txtWKGPLoginName);
            DisableControl(txtWKGPPassword);
        }
        cmdDeselectAll->setEnabled(false);
    });
}

void frmDatabaseConnection::DisplayStatus(const QString& text) { lblStatus->setText(text); }

// ---- closing -----------------------------------------------------------------------------------

void frmDatabaseConnection::QueryUnload(bool& Cancel, int iUnloadMode) {
    Trap(kForm + QStringLiteral("QueryUnload"), [&] {
        Cancel = false;
        if (gErrorOccurred || bFinished || (iUnloadMode != vbFormControlMenu && iUnloadMode != vbFormCode)) {
            bCancelImport = true;
            return;
        }
        switch (nStep) {
        case 0: break;
        case 1:
            m_added.Remove();
            bImported = false;
            break;
        case 2:
            if (platform::ui::host().message(QStringLiteral("Are you sure you want to cancel the import?"), Icon::Question,
                                             Buttons::YesNo, kAppTitle) == Answer::Yes) {
                m_added.Remove();
                bImported = false;
            } else {
                bImported = true;
            }
            break;
        default: {
            const Answer answer = platform::ui::host().message(QStringLiteral("Do you want to import the database structure?"),
                                                               Icon::None, Buttons::YesNoCancel, kAppTitle);
            if (answer == Answer::Yes) {
                ImportIntoExplorer();
                bImported = false;
            } else if (answer == Answer::No) {
                m_added.Remove();
                bImported = false;
            } else {
                bImported = true;
            }
            break;
        }
        }
        if (!oADO || !bImported || nStep == 0 || nStep == 1 || nStep == 3)
            bCancelImport = true;
        else
            Cancel = true;
    });
}

void frmDatabaseConnection::Form_Unload() {
    m_unloaded = true;
    hide();
    // A closed wizard leaves the main window's tree and list showing the tree document,
    // and the history holding a connection it leaves there without its structure.
    if (!m_treeShown && !gErrorOccurred && frmDatabaseExplorer::exists() && frmDatabaseExplorer::instance().IsLoaded() && oLHXML) {
        frmDatabaseExplorer::instance().RefreshTreeKeepingSelection();
        if (m_added.Held()) frmDatabaseExplorer::instance().SaveHistory();
    }
    ReleaseInstance();
    oADO.reset();
    // While an import is on the stack the object must outlive it; RunImport deletes
    // it when GenerateXML returns.
    if (!m_importing) deleteLater();
}

bool frmDatabaseConnection::UnloadWith(int mode) {
    if (m_unloaded) return true;
    bool cancel = false;
    QueryUnload(cancel, mode);
    if (cancel) return false;
    Form_Unload();
    return true;
}

void frmDatabaseConnection::Unload() {
    if (!RequestUnloadAfterConnect(vbAppWindows)) UnloadWith(vbAppWindows);
}

void frmDatabaseConnection::closeEvent(QCloseEvent* e) {
    if (RequestUnloadAfterConnect(vbFormControlMenu))
        e->ignore();
    else if (m_unloaded || UnloadWith(vbFormControlMenu))
        e->accept();
    else
        e->ignore();
}

void frmDatabaseConnection::reject() { close(); }
