// The import wizard's connect and import: the connection string and the reader's
// connection (opened while the window keeps painting), the catalogue reader's run with
// its progress, a structure file in place of a database, and the summary.

#include "core/ObjectMarks.h"
#include "import/ui/WizardForm.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/frmDatabaseExplorer.h"
#include "import/WizardSteps.h"
#include "import/cADODB.h"
#include "import/ui/frmDatabaseConnection.h"
#include "platform/ui/Host.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

using namespace bGlobal;
using platform::ui::Answer;
using platform::ui::Buttons;
using platform::ui::Icon;

namespace {

using wizardform::kForm;
constexpr int kTwipsPerPixel = 15;

}  // namespace

// ---- connecting -----------------------------------------------------------------------------

bool frmDatabaseConnection::Connect2DB() {
    struct ClearString {
        QString& s;
        ~ClearString() { s.clear(); }
    } clearOnReturn{sConnectionString};
    return TrapValue(kForm + QStringLiteral("Connect2DB"), [&] {
        ConnectionPanelFields fields = PanelFields();
        const bool built = ConnectionStrings::GetConnectionString(cboDBTypes->currentIndex(), nDBType, fields, sConnectionString);
        SetPanelFields(fields);
        if (!built) return false;
        ConnectionStrings::fStoreDBInfo(fields);
        if (!gDatabaseName.isEmpty() && wizard::ConnectionsAtAddress(sConnectionString) > 0) {
            const Answer answer = platform::ui::host().message(
                QStringLiteral("This database is already connected, do you want to connect again?"), Icon::Question,
                Buttons::YesNo, kAppTitle);
            if (answer == Answer::No) return false;
        }
        oADO = std::make_shared<cADODB>();
        oADO->WhileImporting = [this](QString& name, QString& type, QString& status, qint16& increment, QString& message,
                                      bool& cancel) { oADO_WhileImporting(name, type, status, increment, message, cancel); };
        oADO->CancelRequested = [this] { return bCancelImport; };
        oADO->SetConnection(sConnectionString);
        if (ConnectReader() != cADODB::ConnectOutcome::Connected) {
            // A reader that could not connect imports nothing; it is not kept (an
            // abandoned attempt holds its own reference until the driver returns).
            oADO.reset();
            return false;
        }
        frmDatabaseExplorer::instance().AddNewDBConnection(sConnectionString);
        m_added.Remember(gGroupIndex, gConnectionIndex);
        return true;
    }, false);
}

cADODB::ConnectOutcome frmDatabaseConnection::ConnectReader() {
    // The window keeps painting meanwhile; only Cancel (or closing) acts, and it takes
    // effect once the wait has ended (see RequestUnloadAfterConnect).
    m_connecting = true;
    fraStep[1]->setEnabled(false);
    for (int i = 1; i < 4; ++i) cmdNavigate[i]->setEnabled(false);
    const cADODB::ConnectOutcome outcome =
        cADODB::ConnectWhileWaiting(oADO, [this] { return m_unloadAfterConnect.has_value(); });
    m_connecting = false;
    fraStep[1]->setEnabled(true);
    SetButtons();
    return outcome;
}

bool frmDatabaseConnection::RequestUnloadAfterConnect(int mode) {
    if (!m_connecting) return false;
    if (!m_unloadAfterConnect) m_unloadAfterConnect = mode;
    return true;
}

bool frmDatabaseConnection::StructureFileNext() {
    // The file alone describes this structure: what a connection tried before it in
    // this wizard, or the explorer's current connection, left in the globals must not
    // name it.
    for (QString* value : {&gServerName, &gDatabaseName, &gDataSource, &gLoginName, &gPassword}) value->clear();
    oStructureXML = std::make_shared<cXML>();
    gStructureFilePath = txtXMLPath->text();
    oStructureXML->LoadXMLFile(gStructureFilePath);
    QString content = oStructureXML->GetXMLContent();
    if (!ValidateXML(gStructureFilePath, content, true, QStringLiteral("xml"))) return false;
    ObjectMarks::MarkAsImported(oStructureXML->DocumentElement());
    // The server the file documents, as its connection entry records it.
    gServerName = oStructureXML->FindNode(QStringLiteral("DATABASE")).attribute(QStringLiteral("ServerName"));
    return true;
}

// ---- importing -------------------------------------------------------------------------------

void frmDatabaseConnection::RunImport() {
    SetButtons();
    if (cboDBTypes->currentIndex() == dbMorvalexXML) {
        frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
        const int before = wizard::ConnectionCount(gGroupIndex);
        const bool generated = explorer.GenerateLHXML();
        if (m_unloaded) return;
        if (!generated || wizard::ConnectionCount(gGroupIndex) == before) {
            // Nothing was added (the user kept the connection there was): back to the
            // data-source page, so nothing else gets this structure.
            nStep = 1;
            ShowStep();
            return;
        }
        m_added.Remember(gGroupIndex, gConnectionIndex);
        cmdNavigate_Click(2);
        return;
    }

    // The reader and this window stay alive until GenerateXML has returned, even when
    // the wizard unloads from one of its progress events.
    const std::shared_ptr<cADODB> reader = oADO;
    if (!reader) {
        SetButtons(true);
        return;
    }
    m_barTwips = 0;
    UpdateProgressBar();
    m_progressThrottle.reset();
    m_importing = true;
    const bool ok = reader->GenerateXML();
    m_importing = false;
    if (m_unloaded) {
        deleteLater();
        return;
    }
    if (ok) {
        bImported = true;
        cmdNavigate_Click(2);
    } else {
        SetButtons(true);
    }
}

void frmDatabaseConnection::UpdateProgressBar() {
    const int width = std::max(0, m_barTwips / kTwipsPerPixel);
    shpProgress->setGeometry(2, 2, std::min(width, std::max(0, pctProgress->width() - 4)), std::max(0, pctProgress->height() - 4));
}

void frmDatabaseConnection::oADO_WhileImporting(QString& ObjectName, QString& ObjectType, QString& ImportStatus,
                                                qint16& iIncrementValue, QString& DisplayMessage, bool& Cancel) {
    Q_UNUSED(ObjectName);
    Q_UNUSED(ObjectType);
    Trap(kForm + QStringLiteral("oADO_WhileImporting"), [&] {
        const QString status = ImportStatus.toLower();
        const ProgressThrottle::Step step =
            m_progressThrottle.next(status == QLatin1String("imported") || status == QLatin1String("migrated"));
        if (step.yield) {
            QCoreApplication::processEvents();
            Cancel = bCancelImport;
            if (Cancel) {
                UnloadWith(vbFormCode);
                return;
            }
        }
        if (!step.repaint) {
            AdvanceProgress(iIncrementValue);
            return;
        }
        ImportStatus = status;
        if (isVisible()) {
            lblStatus->setText(DisplayMessage);
        } else if (frmDatabaseExplorer::exists()) {
            QLabel* panel = frmDatabaseExplorer::instance().sbPanels[1];
            if (panel)
                panel->setText(ImportStatus == QLatin1String("imported")
                                   ? QString::number(iIncrementValue) + QStringLiteral(" objects imported.")
                                   : DisplayMessage);
        }
        AdvanceProgress(iIncrementValue);
        if (ImportStatus == QLatin1String("migrated")) {
            bImported = true;
            m_barTwips = pctProgress->width() * kTwipsPerPixel;
        }
        UpdateProgressBar();
    });
}

void frmDatabaseConnection::AdvanceProgress(int increment) {
    m_barTwips = wizard::AdvancedBarTwips(m_barTwips, pctProgress->width() * kTwipsPerPixel, increment);
}

QString frmDatabaseConnection::GenerateSummary() {
    return TrapValue(kForm + QStringLiteral("GenerateSummary"), [] { return wizard::ImportSummary(); }, QString());
}
