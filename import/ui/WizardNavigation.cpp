// Moving between the import wizard's pages: the buttons each page offers, Next by the
// page being left, and Finish.

#include "core/Hourglass.h"
#include "import/ui/WizardForm.h"
#include "core/bGlobal.h"
#include "explorer/frmDatabaseExplorer.h"
#include "import/WizardSteps.h"
#include "import/ui/frmDatabaseConnection.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace bGlobal;

namespace {

using wizardform::kForm;

}  // namespace

void frmDatabaseConnection::DisplayStep1() {
    for (int i = 0; i < 6; ++i) fraStep[i]->setVisible(i == nStep);
    cmdNavigate[1]->setEnabled(false);
    cmdNavigate[3]->setEnabled(false);
    cmdNavigate[2]->setEnabled(true);
    cmdNavigate[0]->setEnabled(true);
}

void frmDatabaseConnection::ShowStep() {
    for (int i = 0; i < 6; ++i) {
        if (i == nStep) {
            fraStep[i]->setVisible(true);
            if (pctTitle[i]) {
                const bool band = i != 0 && i != 2 && i != 3;
                pctTitle[i]->setVisible(band);
                if (band) pctTitle[i]->raise();
            }
        } else {
            fraStep[i]->setVisible(false);
            if (pctTitle[i]) pctTitle[i]->setVisible(false);
        }
    }
    SetButtons();
}

void frmDatabaseConnection::SetButtons(bool importFailed) {
    const wizard::NavigationButtons b = wizard::ButtonsFor(nStep, importFailed);
    cmdNavigate[0]->setEnabled(true);
    cmdNavigate[1]->setEnabled(b.back);
    cmdNavigate[2]->setEnabled(b.next);
    cmdNavigate[3]->setEnabled(b.finish);
    cmdNavigate[2]->setText(b.nextCaption);
}

void frmDatabaseConnection::cmdNavigate_Click(int Index) {
    if (m_unloaded) return;
    // While a connection is being opened only Cancel acts.
    if (m_connecting) {
        if (Index == 0) RequestUnloadAfterConnect(vbFormCode);
        return;
    }
    CommandTrap(kForm + QStringLiteral("cmdNavigate_Click"), [&] {
        switch (Index) {
        case 0: UnloadWith(vbFormCode); return;
        case 1:
            if (nStep <= 0) return;
            --nStep;
            ShowStep();
            return;
        case 3: {
            ImportIntoExplorer(true);
            if (nStep == 5 && FinalSave()) OpenReport();
            bFinished = true;
            UnloadWith(vbFormCode);
            frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
            explorer.raise();
            explorer.activateWindow();
            return;
        }
        default: break;
        }

        // Next, by the page being left.
        switch (nStep) {
        case 0:
            nStep = 1;
            ShowStep();
            break;
        case 1: {
            bool ok = false;
            {
                Hourglass wait;
                // A connection entry an earlier pass of this run added (its import
                // failed) is not kept beside the new one.
                m_added.Remove();
                ok = cboDBTypes->currentIndex() == dbMorvalexXML ? StructureFileNext() : Connect2DB();
            }
            if (m_unloadAfterConnect) {
                // Cancelled while connecting: the attempt has been given up; now close.
                const int mode = *m_unloadAfterConnect;
                m_unloadAfterConnect.reset();
                UnloadWith(mode);
                return;
            }
            if (!ok) return;
            nStep = 2;
            ShowStep();
            RunImport();
            break;
        }
        case 2:
            nStep = 3;
            ShowStep();
            txtSummary->setPlainText(GenerateSummary().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
            break;
        case 3:
            if (txtDestinationPath->text().isEmpty()) {
                txtDestinationPath->setText(AssignInitialPath(QStringLiteral("html"), QString()));
                RetrieveReportSettings();
            }
            nStep = 4;
            ShowStep();
            break;
        case 4:
            if (!StoreReportSettings()) return;
            nStep = 5;
            ShowStep();
            sOutputPath = txtDestinationPath->text();
            InitializeTreeView();
            cmdSelectAll_Click();
            break;
        default: break;
        }
    });
}

void frmDatabaseConnection::ImportIntoExplorer(bool copyLater) {
    UpdateXMLForReport();
    if (copyLater)
        SaveTempFileLater();
    else
        SaveTempFile();
    frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
    explorer.PopulateLHXML();
    explorer.SaveMenus(true);
    explorer.FocusConnection();
    m_added.Keep();
    m_treeShown = true;
    explorer.SaveHistory();
}
