// The tree's context menus of the main window: the right click (and the menu key) on
// a node, the four popups and their commands, and the removal, expand, collapse and
// copy procedures behind them. The tree-document work is in TreeMaintenance.

#include "core/TreeFill.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/NodeSelection.h"
#include "explorer/ObjectList.h"
#include "explorer/TreeDocument.h"
#include "explorer/TreeMaintenance.h"
#include "explorer/frmDatabaseExplorer.h"
#include "explorer/frmDatabaseGroup.h"
#include "explorer/frmProperties.h"
#include "platform/ui/Host.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace bGlobal;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

void enableItem(const frmDatabaseExplorer::MenuItems& items, int index, bool enabled) {
    if (QAction* item = items.value(index)) item->setEnabled(enabled);
}

}  // namespace

QTreeWidgetItem* frmDatabaseExplorer::CurrentNode() const { return TreeNodes::FindByIndex(trvMain, iCurrentNodeIndex); }

bool frmDatabaseExplorer::AskYesNo(const QString& question) {
    return platform::ui::host().message(question, platform::ui::Icon::Question, platform::ui::Buttons::YesNo, kAppTitle) ==
           platform::ui::Answer::Yes;
}

// ---- the right click -------------------------------------------------------------------

void frmDatabaseExplorer::trvMain_MouseDown(int Button, int, const QPoint& pos) {
    Trap(source("trvMain_MouseDown"), [&] {
        if (Button != 2) return;
        QTreeWidgetItem* node = trvMain->itemAt(pos);
        if (!node) return;
        OpenNodeMenu(node, trvMain->viewport()->mapToGlobal(pos));
    });
}

void frmDatabaseExplorer::trvMain_ContextKey() {
    Trap(source("trvMain_MouseDown"), [&] {
        QTreeWidgetItem* node = trvMain->currentItem();
        if (!node) return;
        trvMain->scrollToItem(node);
        const QRect rect = trvMain->visualItemRect(node);
        OpenNodeMenu(node, trvMain->viewport()->mapToGlobal(QPoint(rect.left() + rect.height(), rect.bottom())));
    });
}

void frmDatabaseExplorer::OpenNodeMenu(QTreeWidgetItem* Node, const QPoint& globalPos) {
    trvMain->setCurrentItem(Node);
    iCurrentNodeIndex = qint16(TreeNodes::Index(Node));
    const NodeSelection::NodeValue node = ValueOf(Node);
    ProcessTagValue(node, Node);
    const int level = node.MenuLevel();
    if (level == 0) return;

    const bool expandable = TreeNodes::HasChildren(Node) && !Node->isExpanded();
    const bool collapsible = Node->isExpanded();
    if (oLHXML && oLHXML->HasDocument())
        if (const XmlNode connection = oLHXML->FindNode(TreeDocument::ConnectionPath(gGroupIndex, gConnectionIndex)))
            gDatabaseType = qint16(connection.attribute(QStringLiteral("DatabaseType")).trimmed().toShort());

    const bool migrate = ShowMigrationWizard.IsProvided();
    switch (level) {
    case 1:
        enableItem(mnuSubLevel1, 4, expandable);
        enableItem(mnuSubLevel1, 5, collapsible);
        break;
    case 2:
        enableItem(mnuSubLevel2, 3, expandable);
        enableItem(mnuSubLevel2, 4, collapsible);
        enableItem(mnuSubLevel2, 2, oLHXML && TreeMaintenance::GroupCount(*oLHXML) >= 2);
        break;
    case 3:
        enableItem(mnuSubLevel3, 3, expandable);
        enableItem(mnuSubLevel3, 4, collapsible);
        enableItem(mnuSubLevel3, 6, migrate && oLHXML && TreeMaintenance::ConnectionCount(*oLHXML) >= 2);
        break;
    default: {
        enableItem(mnuSubLevel4, 0, expandable);
        enableItem(mnuSubLevel4, 1, collapsible);
        enableItem(mnuSubLevel4, 4, migrate && TreeMaintenance::IsTableEntry(node.tag));
        const QTreeWidgetItem* parent = Node->parent();
        enableItem(mnuSubLevel4, 5, parent && parent->text(0).toLower() == QLatin1String("tables"));
        break;
    }
    }
    SetLevelCommands(level, Node);
    for (int i = 1; i <= 4; ++i)
        if (i != level) mnuLevel[i]->hide();
    mnuLevel[level]->popup(globalPos);
}

void frmDatabaseExplorer::SetLevelCommands(int level, QTreeWidgetItem* Node) {
    QToolButton* newGroup = Button(tlbAdmin, QStringLiteral("NewGroup"));
    QToolButton* newDatabase = Button(tlbAdmin, QStringLiteral("NewDatabase"));
    switch (level) {
    case 1:
    case 2:
        enableItem(mnuSubFile, 1, false);
        enableItem(mnuSubFile, 2, false);
        enableItem(mnuSubFile, 4, level == 1);
        enableItem(mnuSubFile, 5, level == 2);
        newGroup->setEnabled(level == 1);
        newDatabase->setEnabled(level == 2);
        break;
    case 3: {
        const bool loaded = Node && Node->childCount() > 0;
        enableItem(mnuSubFile, 1, loaded);
        enableItem(mnuSubFile, 2, loaded);
        break;
    }
    default: break;
    }
}

// ---- the four menus -----------------------------------------------------------------------

void frmDatabaseExplorer::mnuSubLevel1_Click(int Index) {
    CommandTrap(source("mnuSubLevel1_Click"), [&] {
        QTreeWidgetItem* root = trvMain->topLevelItem(0);
        switch (Index) {
        case 0: frmDatabaseGroup::ShowDialog(QStringLiteral("New")); break;
        case 3:
            if (AskYesNo(QStringLiteral("Are you sure you want to delete all groups?"))) DeleteAllDBGroups();
            break;
        case 4: ExpandAll(root); break;
        case 5: CollapseAllAndNode(root); break;
        default: break;
        }
    });
}

void frmDatabaseExplorer::mnuSubLevel2_Click(int Index) {
    CommandTrap(source("mnuSubLevel2_Click"), [&] {
        QTreeWidgetItem* node = CurrentNode();
        switch (Index) {
        case 0:
            ShowImportWizard(QStringLiteral("NEW"));
            break;
        case 1: frmDatabaseGroup::ShowDialog(QStringLiteral("Rename"), node ? node->text(0) : QString()); break;
        case 2:
            if (AskYesNo(QStringLiteral("Are you sure you want to delete this group?"))) DeleteDBGroup();
            break;
        case 3: ExpandAll(node); break;
        case 4: CollapseAllAndNode(node); break;
        case 5: CopyChildNamesToClipboard(); break;
        default: break;
        }
    });
}

void frmDatabaseExplorer::mnuSubLevel3_Click(int Index) {
    CommandTrap(source("mnuSubLevel3_Click"), [&] {
        QTreeWidgetItem* node = CurrentNode();
        switch (Index) {
        case 0: RefreshDatabaseConnection(false); break;
        case 2:
            if (AskYesNo(QStringLiteral("Are you sure you want to delete this connection?"))) DeleteConnection(gConnectionIndex);
            break;
        case 3: ExpandAll(node); break;
        case 4: CollapseAllAndNode(node); break;
        case 6:
            // A connection whose structure is not loaded is read first.
            if (node && node->childCount() == 0) RefreshDatabaseConnection(false);
            MigrateStructure(gGroupIndex, gConnectionIndex);
            break;
        case 7: frmProperties::ShowDialog(); break;
        default: break;
        }
    });
}

void frmDatabaseExplorer::mnuSubLevel4_Click(int Index) {
    CommandTrap(source("mnuSubLevel4_Click"), [&] {
        QTreeWidgetItem* node = CurrentNode();
        switch (Index) {
        case 0: ExpandAll(node); break;
        case 1: CollapseAllAndNode(node); break;
        case 2: CopyChildNamesToClipboard(); break;
        case 4:
            // An entry below a connection means its structure is loaded: no refresh.
            MigrateStructure(gGroupIndex, gConnectionIndex, node ? node->text(0) : QString());
            break;
        case 5: OpenAllRows(); break;
        default: break;
        }
    });
}

// ---- removals ------------------------------------------------------------------------------

void frmDatabaseExplorer::DeleteConnection(qint16& iConnection) {
    Trap(source("DeleteConnection"), [&] {
        if (!oLHXML) return;
        TreeMaintenance::DeleteConnection(*oLHXML, gGroupIndex, iConnection);
        ShowAfterRemoval(gGroupIndex);
    });
}

void frmDatabaseExplorer::DeleteDBGroup() {
    Trap(source("DeleteDBGroup"), [&] {
        if (!oLHXML) return;
        TreeMaintenance::DeleteDBGroup(*oLHXML, gGroupIndex);
        ShowAfterRemoval(-1);
    });
}

void frmDatabaseExplorer::DeleteAllDBGroups() {
    Trap(source("DeleteAllDBGroups"), [&] {
        if (!oLHXML) return;
        TreeMaintenance::DeleteAllDBGroups(*oLHXML);
        ShowAfterRemoval(-1);
    });
}

void frmDatabaseExplorer::ShowAfterRemoval(int g) {
    // No position names a connection: the next selection of any connection loads it,
    // even one that has moved into the removed one's place.
    gGroupIndex = qint16(g);
    gConnectionIndex = -1;
    oStructureXML.reset();
    gDatabaseType = 0;
    for (QString* value : {&gServerName, &gDatabaseName, &gDataSource, &gLoginName, &gPassword, &gConnectionString,
                           &gPreviewXPath})
        value->clear();
    PopulateLHXML();
    SaveHistory();

    ObjectList::Clear(lsvDescription);
    txtSQLScript->clear();
    ShowEmptyPreviews();
    ssRHPanel->setCurrentIndex(0);
    for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, false);
    SaveMenus(false);

    QTreeWidgetItem* root = trvMain->topLevelItem(0);
    QTreeWidgetItem* group = root && g >= 0 && g < root->childCount() ? root->child(g) : nullptr;
    QTreeWidgetItem* node = group ? group : root;
    if (!node) return;
    node->setExpanded(true);
    trvMain->setCurrentItem(node);
    iCurrentNodeIndex = qint16(TreeNodes::Index(node));
    SetLevelCommands(group ? 2 : 1, node);
    // The list shows what the node now selected holds.
    sbPanels[1]->setText(node->text(0));
    SetListCheckBoxes(false);
    DisplayChildren(NodeSelection::LHXPath(group ? 2 : 1, g, gConnectionIndex, gTableIndex));
}

void frmDatabaseExplorer::RemoveConnChildren(const QString& sXPath) {
    Trap(source("RemoveConnChildren"), [&] {
        if (oLHXML) TreeMaintenance::RemoveConnChildren(*oLHXML, sXPath);
    });
}

// ---- expand, collapse, copy -----------------------------------------------------------------

void frmDatabaseExplorer::ExpandAll(QTreeWidgetItem* Node) {
    Trap(source("ExpandAll"), [&] {
        if (!Node) return;
        TreeNodes::EnsureFilled(Node);
        for (int i = 0; i < Node->childCount(); ++i) {
            TreeNodes::EnsureVisible(Node->child(i));
            ExpandAll(Node->child(i));
        }
    });
}

void frmDatabaseExplorer::CollapseAll(QTreeWidgetItem* Node) {
    Trap(source("CollapseAll"), [&] {
        if (!Node) return;
        for (int i = 0; i < Node->childCount(); ++i) {
            Node->child(i)->setExpanded(false);
            CollapseAll(Node->child(i));
        }
    });
}

void frmDatabaseExplorer::CollapseAllAndNode(QTreeWidgetItem* Node) {
    CollapseAll(Node);
    if (Node) Node->setExpanded(false);
}

void frmDatabaseExplorer::CopyChildNamesToClipboard() {
    Trap(source("CopyChildNamesToClipboard"), [&] {
        QTreeWidgetItem* node = CurrentNode();
        TreeNodes::EnsureFilled(node);
        QStringList names;
        if (node)
            for (int i = node->childCount() - 1; i >= 0; --i) names << node->child(i)->text(0);
        platform::ui::host().setClipboardText(names.join(QStringLiteral("\r\n")));
    });
}
