#include "core/Hourglass.h"
#include "migration/ui/frmStructureMigration.h"

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/NodeSelection.h"
#include "explorer/frmDatabaseExplorer.h"
#include "migration/MigrationSession.h"
#include "migration/cMigrate.h"
#include "platform/ui/Host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

using namespace bGlobal;
using platform::ui::Buttons;
using platform::ui::Icon;

namespace {

const QString kForm = QStringLiteral("frmStructureMigration.");
constexpr int kTwipsPerPixel = 15;
constexpr int kTwipsPerObject = 60;
// Where an item keeps its element name and its structure path.
constexpr int kTagRole = Qt::UserRole;

// The connection's group and position, kept with each entry of a connection list.
constexpr int kPositionRole = Qt::UserRole + 1;

QString connectionPath(int g, int c) {
    return QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[%1]/DATABASECONNECTION[%2]").arg(g).arg(c);
}

}  // namespace

// ---- the shared instance -------------------------------------------------------------------

void frmStructureMigration::ShowWizard(qint16 iGroup, qint16 iConnection, const QString& sTable) {
    frmStructureMigration& wizard = instance();
    wizard.iSourceDatabaseGroup = iGroup;
    wizard.iSourceDatabaseNumber = iConnection;
    wizard.sSelectedTable = sTable;
    wizard.Form_Load();
    if (wizard.m_unloaded) return;
    platform::ui::host().showModal(&wizard);
}

void frmStructureMigration::Install() {
    frmDatabaseExplorer::ShowMigrationWizard.Provide(&ShowWizard);
}

frmStructureMigration::frmStructureMigration() {
    setObjectName(QStringLiteral("frmStructureMigration"));
    setWindowTitle(QStringLiteral("Migrate Database Structure"));
    setModal(true);
    BuildPages();
}

frmStructureMigration::~frmStructureMigration() = default;

QString frmStructureMigration::AllQueries() const { return oMorvMigrate ? oMorvMigrate->AllQueries() : QString(); }

// ---- loading and the connection lists --------------------------------------------------------------

void frmStructureMigration::Form_Load() {
    Trap(kForm + QStringLiteral("Form_Load"), [&] {
        iCurrentStep = 0;
        DisplayStep1();
        SetButtons();
        const QString source = CheckSource();
        if (!source.isEmpty()) {
            AddConnections(cboSourceConn, QString(), source);
            lblSourceDatabase->setText(cboSourceConn->currentText());
            lblSourceDatabase->setVisible(true);
            cboSourceConn->setVisible(false);
        } else {
            AddConnections(cboSourceConn);
            cboSourceConn->setCurrentIndex(-1);
            lblSourceDatabase->setVisible(false);
            cboSourceConn->setVisible(true);
        }
    });
}

QString frmStructureMigration::CheckSource() {
    return TrapValue(kForm + QStringLiteral("CheckSource"), [&] {
        if (!oLHXML || !oLHXML->HasDocument() || gGroupIndex < 0 || gConnectionIndex < 0) return QString();
        const XmlNode connection = oLHXML->FindNode(connectionPath(gGroupIndex, gConnectionIndex));
        if (!connection) return QString();
        sSourceConnString = connection.attribute(QStringLiteral("ConnectionString"));
        return connection.attribute(QStringLiteral("Name"));
    }, QString());
}

void frmStructureMigration::DisplayStep1() {
    for (size_t i = 0; i < fraStep.size(); ++i) fraStep[i]->setVisible(int(i) == iCurrentStep);
}

void frmStructureMigration::AddConnections(QComboBox* list, const QString& sExclude, const QString& sSelect) {
    Trap(kForm + QStringLiteral("AddConnections"), [&] {
        auto* companion = findChild<QComboBox*>(list->property("Tag").toString());
        list->clear();
        if (companion) companion->clear();
        if (!oLHXML || !oLHXML->HasDocument()) return;
        int remembered = -1;
        int g = 0;
        for (const XmlNode& group : oLHXML->GetNodes(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP"))) {
            int c = 0;
            for (const XmlNode& connection : group.childElements()) {
                if (connection.nodeName() != QLatin1String("DATABASECONNECTION")) continue;
                const int position = c++;
                const QString name = connection.attribute(QStringLiteral("Name"));
                const QString connString = connection.attribute(QStringLiteral("ConnectionString"));
                if (connString == sExclude) continue;
                list->addItem(name, connection.attribute(QStringLiteral("DatabaseType")).trimmed().toInt());
                list->setItemData(list->count() - 1, QPoint(g, position), kPositionRole);
                if (!sSelect.isEmpty() && name == sSelect && remembered < 0) remembered = list->count() - 1;
                if (companion) companion->addItem(connString);
            }
            ++g;
        }
        if (remembered >= 0) {
            list->setCurrentIndex(remembered);
            if (list == cboSourceConn) cboSourceConn_Click();
        }
    });
}

void frmStructureMigration::cboSourceConn_Click() {
    Trap(kForm + QStringLiteral("cboSourceConn_Click"), [&] {
        const int i = cboSourceConn->currentIndex();
        if (i < 0) return;
        sSourceConnString = cboSrcConnStrs->itemText(i);
        AddConnections(cboDestinationConn, sSourceConnString);
        cboDestinationConn->setCurrentIndex(-1);
        sDestinationConnString.clear();
        ShowDestinationNote();
    });
}

void frmStructureMigration::cboDestinationConn_Click() {
    const int i = cboDestinationConn->currentIndex();
    sDestinationConnString = i >= 0 ? cboDstConnStrs->itemText(i) : QString();
    ShowDestinationNote();
}

QString frmStructureMigration::DestinationTypeName() const {
    const int type = cboDestinationConn->currentData().toInt();
    return type > 0 && type < gDBTypeNames.size() ? gDBTypeNames[type] : QString::number(type);
}

void frmStructureMigration::ShowDestinationNote() {
    // Told when the destination is chosen, not after the objects were picked.
    const QString note = cboDestinationConn->currentIndex() < 0
                             ? QString()
                             : MigrationSession::CannotReceive(cboDestinationConn->currentData().toInt(), DestinationTypeName());
    lblDestinationNote->setText(note.isEmpty() ? QString() : note + QStringLiteral(" Choose another destination."));
    lblDestinationNote->setVisible(!note.isEmpty());
}

// ---- the object lists ----------------------------------------------------------------------------

void frmStructureMigration::AddObjectItem(const QString& element, const QString& name, const QString& createdOn,
                                          const QString& path) {
    auto* item = new QTreeWidgetItem(lsvAvailableObjects, {name, createdOn.isEmpty() ? QStringLiteral(" ") : createdOn, path});
    item->setData(0, kTagRole, element);
    item->setData(2, kTagRole, path);
    const auto icon = element == QLatin1String("TABLE")   ? QStyle::SP_FileDialogDetailedView
                      : element == QLatin1String("INDEX") ? QStyle::SP_FileDialogListView
                                                          : QStyle::SP_ArrowRight;
    item->setIcon(0, style()->standardIcon(icon));
}

void frmStructureMigration::AddExistingObjects() {
    Trap(kForm + QStringLiteral("AddExistingObjects"), [&] {
        lsvSelectedObjects->clear();
        lsvAvailableObjects->clear();
        iPreselectedIndex = -1;
        if (!oStructureXML || !oStructureXML->HasDocument()) return;
        int t = 0;
        for (const XmlNode& table : oStructureXML->GetNodes(QStringLiteral("/DATABASE/TABLE"))) {
            const QString tablePath = QStringLiteral("/DATABASE/TABLE[%1]").arg(t++);
            const QString name = table.attribute(QStringLiteral("Name"));
            AddObjectItem(QStringLiteral("TABLE"), name, table.attribute(QStringLiteral("CreatedOn")), tablePath);
            if (!sSelectedTable.isEmpty() && name == sSelectedTable && iPreselectedIndex < 0)
                iPreselectedIndex = lsvAvailableObjects->topLevelItemCount() - 1;
            int i = 0, f = 0;
            for (const XmlNode& child : table.childElements())
                if (child.nodeName() == QLatin1String("INDEX"))
                    AddObjectItem(QStringLiteral("INDEX"), child.attribute(QStringLiteral("Name")),
                                  child.attribute(QStringLiteral("CreatedOn")), tablePath + QStringLiteral("/INDEX[%1]").arg(i++));
            for (const XmlNode& child : table.childElements())
                if (child.nodeName() == QLatin1String("FOREIGNKEY"))
                    AddObjectItem(QStringLiteral("FOREIGNKEY"), child.attribute(QStringLiteral("Name")),
                                  child.attribute(QStringLiteral("CreatedOn")),
                                  tablePath + QStringLiteral("/FOREIGNKEY[%1]").arg(f++));
        }
    });
}

void frmStructureMigration::TransferListItems(QTreeWidget* from, QTreeWidget* to, bool remove) {
    QTreeWidgetItem* item = from->currentItem();
    if (!item || !item->isSelected()) return;
    to->addTopLevelItem(item->clone());
    if (remove) delete from->takeTopLevelItem(from->indexOfTopLevelItem(item));
}

void frmStructureMigration::TransferAll(QTreeWidget* from, QTreeWidget* to) {
    while (from->topLevelItemCount() > 0) to->addTopLevelItem(from->takeTopLevelItem(0));
}

void frmStructureMigration::cmdAddL2R_Click() {
    TransferListItems(lsvAvailableObjects, lsvSelectedObjects, true);
    cmdAddL2R->setEnabled(false);
}

void frmStructureMigration::cmdRemoveR2L_Click() {
    TransferListItems(lsvSelectedObjects, lsvAvailableObjects, true);
    cmdRemoveR2L->setEnabled(false);
}

void frmStructureMigration::cmdAddAll_Click() { TransferAll(lsvAvailableObjects, lsvSelectedObjects); }
void frmStructureMigration::cmdRemoveAll_Click() { TransferAll(lsvSelectedObjects, lsvAvailableObjects); }
void frmStructureMigration::lsvAvailableObjects_ItemClick() { cmdAddL2R->setEnabled(true); }
void frmStructureMigration::lsvSelectedObjects_ItemClick() { cmdRemoveR2L->setEnabled(true); }

// ---- navigation ---------------------------------------------------------------------------------------

void frmStructureMigration::SetButtons() {
    const bool last = iCurrentStep == 4;
    // Nothing to press while the migration runs (page 3).
    const bool running = iCurrentStep == 3;
    cmdNavigate[0]->setEnabled(!last && !running);
    cmdNavigate[1]->setEnabled(!last && !running && iCurrentStep > 0);
    cmdNavigate[2]->setEnabled(!last && !running);
    cmdNavigate[3]->setEnabled(last);
    cmdNavigate[2]->setText(iCurrentStep == 2 ? QStringLiteral("Migrate") : QStringLiteral("Next >"));
}

void frmStructureMigration::cmdNavigate_Click(int Index) {
    Trap(kForm + QStringLiteral("cmdNavigate_Click"), [&] {
        switch (Index) {
        case 0: Unload(); return;
        case 3:
            oMorvMigrate.reset();
            Unload();
            return;
        case 1:
            if (iCurrentStep <= 0 || iCurrentStep >= 3) return;
            --iCurrentStep;
            DisplayStep1();
            SetButtons();
            return;
        default: break;
        }
        if (iCurrentStep == 1) {
            if (cboSourceConn->currentIndex() < 0) {
                platform::ui::host().message(QStringLiteral("Select a source database name."), Icon::Critical, Buttons::Ok, kAppTitle);
                return;
            }
            if (cboDestinationConn->currentIndex() < 0) {
                platform::ui::host().message(QStringLiteral("Select a destination database name."), Icon::Critical,
                                             Buttons::Ok, kAppTitle);
                return;
            }
        } else if (iCurrentStep == 2 && lsvSelectedObjects->topLevelItemCount() == 0) {
            platform::ui::host().message(QStringLiteral("Please select atleast one object to migrate"), Icon::Information,
                                         Buttons::Ok, kAppTitle);
            return;
        }
        ++iCurrentStep;
        DisplayStep1();
        SetButtons();
        if (iCurrentStep == 2) {
            sSourceConnString = cboSrcConnStrs->itemText(cboSourceConn->currentIndex());
            sDestinationConnString = cboDstConnStrs->itemText(cboDestinationConn->currentIndex());
            // A source chosen from the list becomes the current connection, so its
            // structure is the one listed and migrated.
            const QPoint source = cboSourceConn->currentData(kPositionRole).toPoint();
            if (source.x() != gGroupIndex || source.y() != gConnectionIndex) NodeSelection::MakeCurrent(source.x(), source.y());
            AddExistingObjects();
            if (!sSelectedTable.isEmpty() && iPreselectedIndex >= 0) {
                QTreeWidgetItem* item = lsvAvailableObjects->topLevelItem(iPreselectedIndex);
                lsvAvailableObjects->setCurrentItem(item);
                item->setSelected(true);
                cmdAddL2R_Click();
            }
            lblAvailableTitle->setText(QStringLiteral("Object(s) available in ") + cboSourceConn->currentText());
            lblSelectedTitle->setText(QStringLiteral("Object(s) to be transferred to ") + cboDestinationConn->currentText());
        } else if (iCurrentStep == 3) {
            UpdateMorvXML();
            MigrateDatabase();
            ++iCurrentStep;
            DisplayStep1();
            SetButtons();
            const QString summary = GenerateSummary();
            txtSummary->setPlainText(summary);
        }
    });
}

// ---- the migration --------------------------------------------------------------------------------

void frmStructureMigration::UpdateMorvXML() {
    Trap(kForm + QStringLiteral("UpdateMorvXML"), [&] {
        QStringList names, paths;
        for (int i = 0; i < lsvSelectedObjects->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = lsvSelectedObjects->topLevelItem(i);
            names << item->text(0);
            paths << item->data(2, kTagRole).toString();
        }
        sSelectedObjectNames = names.join(QStringLiteral(", "));
        m_session = std::make_unique<MigrationSession>();
        if (oStructureXML && oStructureXML->HasDocument()) m_session->MarkObjects(*oStructureXML, paths, names);
    });
}

void frmStructureMigration::ShowProgress(const QString& status) {
    lblStatus->setText(status);
    m_barTwips += kTwipsPerObject;
    const int width = std::min(m_barTwips / kTwipsPerPixel, std::max(0, pctProgress->width() - 4));
    shpProgress->setGeometry(2, 2, width, std::max(0, pctProgress->height() - 4));
    // The window repaints while the migration runs; what the user types waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmStructureMigration::MigrateDatabase() {
    CommandTrap(kForm + QStringLiteral("MigrateDatabase"), [&] {
        if (sDestinationConnString.isEmpty() || !m_session) return;
        Hourglass hourglass;
        m_barTwips = 0;
        oMorvMigrate = std::make_unique<cMigrate>();
        const int destinationType = cboDestinationConn->currentData().toInt();
        m_session->Run(*oMorvMigrate, sDestinationConnString, oStructureXML ? oStructureXML->GetXMLContent() : QString(),
                       destinationType, MigrationSession::SourceKey(gDatabaseType), DestinationTypeName(),
                       [this](const QString& status) { ShowProgress(status); });
        shpProgress->setGeometry(2, 2, std::max(0, pctProgress->width() - 4), std::max(0, pctProgress->height() - 4));
    });
}

QString frmStructureMigration::GenerateSummary() {
    return TrapValue(kForm + QStringLiteral("GenerateSummary"), [&] {
        if (!m_session) return QString();
        lblResultDescription->setText(m_session->ResultLine());
        return m_session->Summary(cboDestinationConn->currentText());
    }, QString());
}

// ---- unloading --------------------------------------------------------------------------------------

void frmStructureMigration::Form_Unload() {
    if (m_unloaded) return;
    m_unloaded = true;
    hide();
    ReleaseInstance();
    deleteLater();
}

void frmStructureMigration::Unload() { Form_Unload(); }

void frmStructureMigration::closeEvent(QCloseEvent* e) {
    // Closing the window is Cancel, except while a migration runs.
    if (iCurrentStep == 3) {
        e->ignore();
        return;
    }
    Form_Unload();
    e->accept();
}

void frmStructureMigration::reject() {
    if (iCurrentStep != 3) Form_Unload();
}
