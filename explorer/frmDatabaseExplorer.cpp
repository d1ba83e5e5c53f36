#include "explorer/frmDatabaseExplorer.h"

#include "core/TreeFill.h"
#include "core/frmAbout.h"
#include "core/frmSplash.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/NodeSelection.h"
#include "explorer/PaneGeometry.h"
#include "explorer/TreeDocument.h"
#include "platform/ui/Host.h"

#include <QAction>
#include <QApplication>
#include <QThreadPool>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace bGlobal;
using PaneGeometry::px;

namespace {

// Visual Basic key codes and shift masks.
constexpr int vbKeyE = 69;
constexpr int vbKeyF1 = 112;
constexpr int vbKeyF5 = 116;

int vbKeyCode(int qtKey) {
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return vbKeyF1 + (qtKey - Qt::Key_F1);
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
    return 0;
}

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

[[noreturn]] void objectRequired() {
    throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object variable or With block variable not set"));
}

// A node's place: its row under each of its ancestors, from the top; empty for none.
QList<int> rowsOf(QTreeWidgetItem* node) {
    QList<int> rows;
    for (; node; node = node->parent())
        rows.prepend(node->parent() ? node->parent()->indexOfChild(node) : node->treeWidget()->indexOfTopLevelItem(node));
    return rows;
}

// The node at that place, or null when the tree has none there.
QTreeWidgetItem* nodeAt(QTreeWidget* tree, const QList<int>& rows) {
    QTreeWidgetItem* node = nullptr;
    for (int row : rows) {
        TreeNodes::EnsureFilled(node);
        node = node ? node->child(row) : tree->topLevelItem(row);
        if (!node) return nullptr;
    }
    return node;
}

const QStringList kTreeImageKeys = {
    QStringLiteral("TABLES"), QStringLiteral("TABLE"), QStringLiteral("TRIGGERS"), QStringLiteral("TRIGGER"),
    QStringLiteral("INDEXES"), QStringLiteral("INDEX"), QStringLiteral("VIEWS"), QStringLiteral("VIEW"),
    QStringLiteral("STOREDPROCEDURES"), QStringLiteral("STOREDPROCEDURE"), QStringLiteral("FOREIGNKEYS"),
    QStringLiteral("FOREIGNKEY"), QStringLiteral("CONSOLEROOT"), QStringLiteral("DATABASECONNECTION"),
    QStringLiteral("DATABASECONNECTION_STOPPED"), QStringLiteral("DATABASEGROUP"), QStringLiteral("PRIMARYKEY")};
const QStringList kToolImageKeys = {QStringLiteral("DATABASEGROUP"), QStringLiteral("DATABASECONNECTION"),
                                    QStringLiteral("SAVE"), QStringLiteral("PRINT"), QStringLiteral("STOP"),
                                    QStringLiteral("QUERY"), QStringLiteral("EXECUTE"), QStringLiteral("TEMPLATE")};

QString animationFile() { return AppPath() + QStringLiteral("/images/gears.svg"); }

// A procedure of the load path: a component that cannot be created ends the program
// after its own message; anything else goes to the error reporter.
template <class F>
void loadGuard(const QString& src, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        const auto [n, d] = Describe(e);
        if (n == 429 || n == 339) {
            Critical(QStringLiteral("Activex controls required for Morvalex is not installed properly, \r\nCheck and try again later."));
            platform::ui::endProgram(1);
        }
        ShowError(n, d, src);
    }
}

}  // namespace

// ---- the shared instance ---------------------------------------------------------------

void frmDatabaseExplorer::Install() {
    frmSplash::showMainWindow.Provide([] { instance().Show(); });
}

frmDatabaseExplorer::frmDatabaseExplorer() {
    setObjectName(QStringLiteral("frmDatabaseExplorer"));
    setWindowTitle(kAppTitle);
    setAttribute(Qt::WA_DeleteOnClose, false);

    imlTreeIcons = new ImageList(this);
    imlTreeIcons->setObjectName(QStringLiteral("imlTreeIcons"));
    imlTreeIcons->LoadFolder(AppPath() + QStringLiteral("/images/icons"), kTreeImageKeys);
    imlToolImage = new ImageList(this);
    imlToolImage->setObjectName(QStringLiteral("imlToolImage"));
    imlToolImage->LoadFolder(AppPath() + QStringLiteral("/images/icons"), kToolImageKeys);

    tmAnimate = new QTimer(this);
    tmAnimate->setObjectName(QStringLiteral("tmAnimate"));
    tmAnimate->setInterval(250);
    connect(tmAnimate, &QTimer::timeout, this, &frmDatabaseExplorer::tmAnimate_Timer);

    BuildMenus();
    BuildToolbar();
    BuildPanes();
    BuildStatusBar();
    ConnectObjectList();

    // The design's client area is 11880 x 8190 twips; the menu bar comes on top.
    resize(px(11880), px(8190) + menuBar()->sizeHint().height());
    setMinimumSize(640, 420);

    // The window sees keys before its controls do.
    qApp->installEventFilter(this);
}

void frmDatabaseExplorer::Show() {
    if (!m_loaded) {
        m_loaded = true;
        Form_Load();
    }
    if (IsSharedInstance() && !m_unloading) show();
}

void frmDatabaseExplorer::Unload() {
    if (m_unloading) return;
    m_unloading = true;
    // A preview's worker writes no file once the temporary files are cleared away.
    AbandonPendingPreview();
    if (m_previewThread) m_previewThread->waitForDone();
    if (m_loaded) {
        Form_QueryUnload();
        Form_Unload();
    }
    tmAnimate->stop();
    if (m_clock) m_clock->stop();
    ReleaseInstance();
    if (isVisible()) close();
    deleteLater();
}

void frmDatabaseExplorer::closeEvent(QCloseEvent* e) {
    // Closing never is refused: the history is written and the window unloads. A
    // statement still running is cancelled first; the window closes once it has ended.
    if (m_queryRunning && !m_unloading) {
        m_closeAfterQuery = true;
        cmdCancelQuery_Click();
        e->ignore();
        return;
    }
    if (!m_unloading) Unload();
    e->accept();
}

bool frmDatabaseExplorer::eventFilter(QObject* watched, QEvent* e) {
    if (m_queryRunning && DropInputWhileQueryRuns(watched, e)) return true;
    // The tree's menu key and Shift+F10 open the selected node's context menu; the
    // tree has no other context menu.
    if (trvMain && (watched == trvMain || watched == trvMain->viewport())) {
        if (e->type() == QEvent::ContextMenu) return true;
        if (e->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(e);
            if (key->key() == Qt::Key_Menu || (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
                trvMain_ContextKey();
                return true;
            }
        }
    }
    switch (e->type()) {
    case QEvent::KeyPress:
        if (watched->isWidgetType()) {
            auto* w = static_cast<QWidget*>(watched);
            QWidget* focus = QApplication::focusWidget();
            // A key goes first to the focus widget (or to the window without one);
            // the window takes it there, before the control does.
            const bool first = focus && focus->window() == this ? w == focus : w == this;
            if (w->window() == this && first) {
                auto* key = static_cast<QKeyEvent*>(e);
                if (const int code = vbKeyCode(key->key())) Form_KeyDown(code, vbShift(key->modifiers()));
            }
        }
        break;
    case QEvent::Resize:
        if (watched == m_mainArea) LayoutMainArea();
        if (watched == m_queryPage) LayoutQueryPage();
        break;
    case QEvent::MouseButtonPress:
        if (trvMain && watched == trvMain->viewport()) {
            auto* mouse = static_cast<QMouseEvent*>(e);
            trvMain_MouseDown(vbButton(mouse->button()), vbShift(mouse->modifiers()), mouse->position().toPoint());
        }
        break;
    default: break;
    }
    return QMainWindow::eventFilter(watched, e);
}

void frmDatabaseExplorer::PopupBelow(QToolButton* button, QMenu* menu) {
    if (!button || !menu) return;
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

// ---- load and unload ---------------------------------------------------------------------

void frmDatabaseExplorer::Form_Load() {
    loadGuard(source("Form_Load"), [&] {
        // Qt layouts keep the controls laid out when the window is resized.
        gHelpFile = AppPath() + QStringLiteral("/help/index.html");
        setWindowTitle(kAppTitle + QLatin1Char(' ') + kCompany);
        ssRHPanel->setCurrentIndex(0);
        EnableMainQuery(false);
        for (QAction* a : {mnuSubLevel3.value(6), mnuSubLevel4.value(4), mnuSubLevel4.value(3), mnuSubLevel4.value(5)})
            a->setVisible(true);
        ssRHPanel->setTabVisible(3, true);
        mnuMainQuery->menuAction()->setVisible(true);
        wbAnimation->Navigate(QStringLiteral("about:blank"));
        if (wbReport->Busy()) wbReport->Stop();
        wbReport->Navigate(QStringLiteral("about:blank"));
        wbXMLPreview->Navigate(QStringLiteral("about:blank"));
        mnuSubPreviewTool.value(1)->setEnabled(false);
        MapToolbarImages();
        oLHXML = std::make_shared<cXML>();
        oHistoryXML = std::make_shared<cXML>();
        for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, false);
        iCurrentNodeIndex = 1;
        ssRHPanel->setCurrentIndex(0);
        SaveMenus(false);
        LoadHistoryXML();
        ssRHPanel->setCurrentIndex(0);
        AddCSSFileNames();
        HandleCLP();
    });
}

void frmDatabaseExplorer::Form_Unload() {
    Trap(source("Form_Unload"), [&] {
        mQueryConnection.reset();
        if (!gErrorOccurred) ClearAllTemporaryFiles();
        UnloadAllForms(FormName());
    });
}

// ---- the tree document -------------------------------------------------------------------

void frmDatabaseExplorer::RenameCurrentGroup(const QString& sPGroupName) {
    Trap(source("RenameCurrentGroup"), [&] {
        if (!oLHXML) objectRequired();
        TreeDocument::RenameGroup(*oLHXML, gGroupIndex, sPGroupName);
        // The renamed group has a new key but keeps its place.
        const QList<int> selected = rowsOf(trvMain->currentItem());
        PopulateLHXML();
        SaveHistory();
        ShowSelection(nodeAt(trvMain, selected));
    });
}

void frmDatabaseExplorer::PopulateLHXML() {
    Trap(source("PopulateLHXML"), [&] {
        AddTreeViewRoot();
        gShownNames.clear();
        if (!oLHXML) objectRequired();
        const XmlNode node = oLHXML->HasDocument() ? oLHXML->FindNode(QStringLiteral("DATABASESTRUCTURES")) : XmlNode();
        DisplayNodes(*this, node);
    });
}

void frmDatabaseExplorer::AddNewGroupName(const QString& sPGroupName) {
    Trap(source("AddNewGroupName"), [&] {
        if (!oLHXML) objectRequired();
        TreeDocument::AddGroup(*oLHXML, sPGroupName);
        // The new group comes last: every other node keeps its place.
        const QList<int> selected = rowsOf(trvMain->currentItem());
        PopulateLHXML();
        SaveHistory();
        ShowSelection(nodeAt(trvMain, selected));
    });
}

void frmDatabaseExplorer::AddNewDBConnection(const QString& sConnectionString) {
    Trap(source("AddNewDBConnection"), [&] {
        if (!oLHXML) objectRequired();
        TreeDocument::AddDBConnection(*oLHXML, sConnectionString);
    });
}

void frmDatabaseExplorer::AddTreeViewRoot() {
    Trap(source("AddTreeViewRoot"), [&] {
        TreeNodes::Clear(trvMain);
        QTreeWidgetItem* root = TreeNodes::Add(trvMain, nullptr, QStringLiteral("Database Structures"),
                                               QStringLiteral("Morvalex Database Structures"), QStringLiteral("CONSOLEROOT"),
                                               imlTreeIcons->Image(QStringLiteral("CONSOLEROOT")));
        TreeNodes::EnsureVisible(root);
        TreeNodes::SetTag(root, QStringLiteral("1"));
    });
}

bool frmDatabaseExplorer::GenerateLHXML() {
    return TrapValue(source("GenerateLHXML"), [&] {
        if (!oLHXML || !oStructureXML) objectRequired();
        TreeDocument::AddFileConnection(*oLHXML, *oStructureXML);
        return true;
    }, false);
}

void frmDatabaseExplorer::FetchXMLDBInfo() {
    Trap(source("FetchXMLDBInfo"), [&] {
        if (oStructureXML) TreeDocument::FetchXMLDBInfo(*oStructureXML);
    });
}

void frmDatabaseExplorer::FocusConnection() {
    Trap(source("FocusConnection"), [&] {
        QTreeWidgetItem* node = TreeNodes::FindByIndex(trvMain, iCurrentNodeIndex);
        if (!node) throw platform::RuntimeError(35600, QStringLiteral("Index out of bounds"));
        trvMain->setCurrentItem(node);
        trvMain_NodeClick(node);
    });
}

void frmDatabaseExplorer::MigrateStructure(qint16 iGroup, qint16 iConnection, const QString& sSelectedTable) {
    Trap(source("MigrateStructure"), [&] {
        const NodeSelection::Load load = NodeSelection::MakeCurrent(iGroup, iConnection);
        if (load == NodeSelection::Load::NoConnection || load == NodeSelection::Load::LoadFailed) return;
        ShowMigrationWizard(iGroup, iConnection, sSelectedTable);
    });
}

// ---- menus, toolbars and panes ----------------------------------------------------------

void frmDatabaseExplorer::SaveMenus(bool bEnable) {
    Trap(source("SaveMenus"), [&] {
        Button(tlbAdmin, QStringLiteral("SaveReport"))->setEnabled(bEnable);
        if (!mnuSubReport.isEmpty())
            for (int i = mnuSubReport.firstKey(); i <= mnuSubReport.lastKey() - 2; ++i)
                if (QAction* item = mnuSubReport.value(i)) item->setEnabled(bEnable);
        mnuSubFile.value(1)->setEnabled(bEnable);
        mnuSubFile.value(2)->setEnabled(bEnable);
    });
}

void frmDatabaseExplorer::EnableMainQuery(bool bEnable) {
    Trap(source("EnableMainQuery"), [&] {
        for (QAction* item : std::as_const(mnuSubMainQuery))
            if (!item->isSeparator()) item->setEnabled(bEnable);
    });
}

void frmDatabaseExplorer::EnableControls(bool bEnable) {
    Trap(source("EnableControls"), [&] {
        trvMain->setEnabled(bEnable);
        tlbAdmin->setEnabled(bEnable);
        for (QMenu* menu : {mnuApplication, mnuMainQuery, mnuReport, mnuHelp}) menu->menuAction()->setEnabled(bEnable);
    });
}

void frmDatabaseExplorer::StartAnimation() {
    Trap(source("StartAnimation"), [&] {
        const QString picture = animationFile();
        if (!QFileInfo::exists(picture)) return;
        ssRHPanel->setCurrentIndex(0);
        tmAnimate->start();
        EnableControls(false);
        wbAnimation->Navigate(picture);
        pctAnimation->show();
        pctAnimation->raise();
    });
}

void frmDatabaseExplorer::StopAnimation() {
    Trap(source("StopAnimation"), [&] {
        tmAnimate->stop();
        pctAnimation->hide();
        EnableControls(true);
        wbAnimation->Navigate(QStringLiteral("about:blank"));
    });
}

void frmDatabaseExplorer::tmAnimate_Timer() {
    Trap(source("tmAnimate_Timer"), [&] { wbAnimation->Refresh(); });
}

void frmDatabaseExplorer::Form_KeyDown(int KeyCode, int Shift) {
    Trap(source("Form_KeyDown"), [&] {
        if (KeyCode == vbKeyF5 || (KeyCode == vbKeyE && Shift == 2)) {
            // The execute button runs the command; it is disabled with its tab.
            if (ssRHPanel->isTabEnabled(3)) Button(tlbExecute, QStringLiteral("Execute"))->click();
        } else if (KeyCode == vbKeyF1) {
            KeyHelp();
        }
    });
}

void frmDatabaseExplorer::KeyHelp() {
    Trap(source("KeyHelp"), [&] {
        const QWidget* active = QApplication::focusWidget();
        int context = active && active->window() == this ? active->property("HelpContextID").toInt() : 0;
        if (context == 0) context = property("HelpContextID").toInt();
        ShowHelp(context);
    });
}

void frmDatabaseExplorer::mnuSubHelp_Click(int Index) {
    Trap(source("mnuSubHelp_Click"), [&] {
        switch (Index) {
        case 0: Form_KeyDown(vbKeyF1, 0); break;
        case 3: frmAbout::ShowDialog(this); break;
        default: break;
        }
    });
}

void frmDatabaseExplorer::tlbAdmin_ButtonClick(QToolButton* Button) {
    Trap(source("tlbAdmin_ButtonClick"), [&] {
        const QString key = Button ? Button->objectName().toUpper() : QString();
        if (key == QLatin1String("NEWGROUP"))
            mnuSubFile_Click(4);
        else if (key == QLatin1String("NEWDATABASE"))
            mnuSubFile_Click(5);
        else if (key == QLatin1String("SAVEREPORT"))
            PopupBelow(Button, mnuToolbar);
    });
}

void frmDatabaseExplorer::tlbAdmin_ButtonDropDown(QToolButton* Button) {
    Trap(source("tlbAdmin_ButtonDropDown"), [&] { PopupBelow(Button, mnuToolbar); });
}

void frmDatabaseExplorer::ssRHPanel_Click(int) {
    Trap(source("ssRHPanel_Click"), [&] {
        switch (ssRHPanel->currentIndex()) {
        case 0: EnableMainQuery(false); break;
        case 1:
        case 2:
            PreviewHTML(gPreviewXPath);
            EnableMainQuery(false);
            break;
        case 3: {
            if (!oLHXML || !oLHXML->HasDocument()) return;
            const XmlNode connection = oLHXML->FindNode(QStringLiteral("/DATABASESTRUCTURES/DATABASEGROUP[%1]/DATABASECONNECTION[%2]")
                                                            .arg(gGroupIndex)
                                                            .arg(gConnectionIndex));
            if (!connection || !connection.hasAttribute(QStringLiteral("Name"))) return;
            lblCurrentDatabaseName->setText(QStringLiteral("Database Name: ") + connection.attribute(QStringLiteral("Name")));
            EnableMainQuery(true);
            update();
            break;
        }
        default: break;
        }
    });
}

// ---- import progress -----------------------------------------------------------------------

void frmDatabaseExplorer::oADO_WhileImporting(QString& ObjectName, QString&, QString& ImportStatus,
                                              qint16& iIncrementValue, QString& DisplayMessage, bool& Cancel) {
    Trap(source("oADO_WhileImporting"), [&] {
        QPointer<frmDatabaseExplorer> self(this);
        QCoreApplication::processEvents();
        if (!self) {
            Cancel = true;
            return;
        }
        Cancel = mbClosing;
        if (mbClosing) return;
        QString message = !DisplayMessage.isEmpty() ? DisplayMessage : ImportStatus + QLatin1Char(' ') + ObjectName;
        if (ImportStatus.compare(QLatin1String("imported"), Qt::CaseInsensitive) == 0)
            message = QString::number(iIncrementValue) + QStringLiteral(" objects imported.");
        sbPanels[1]->setText(message);
    });
}
