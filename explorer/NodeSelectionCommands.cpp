// What the main window shows for the selected tree node: the node click, the current
// connection, the object list with its check marks, sorting and double click. The
// widget-free part is in NodeSelection.

#include "explorer/frmDatabaseExplorer.h"
#include "core/TreeFill.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/NodeSelection.h"
#include "explorer/ObjectList.h"
#include "explorer/XmlHighlighter.h"
#include "platform/ui/Host.h"

#include <QAction>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace bGlobal;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

[[noreturn]] void objectRequired() {
    throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object variable or With block variable not set"));
}

const QString kStopped = QStringLiteral("DATABASECONNECTION_STOPPED");

// Marks a fill of the object list while it lasts: the check marks it sets are no
// user's ticks.
struct ListFill {
    explicit ListFill(bool& flag) : m_flag(flag), m_before(flag) { m_flag = true; }
    ~ListFill() { m_flag = m_before; }
    bool& m_flag;
    const bool m_before;
};

[[noreturn]] void elementNotFound() { throw platform::RuntimeError(35601, QStringLiteral("Element not found")); }

}  // namespace

NodeSelection::NodeValue frmDatabaseExplorer::ValueOf(const QTreeWidgetItem* Node) {
    if (!Node) return {};
    QStringList above;
    for (const QTreeWidgetItem* up = Node->parent(); up; up = up->parent()) above << TreeNodes::Tag(up);
    return NodeSelection::DecodeNode(TreeNodes::Key(Node), TreeNodes::Tag(Node), above);
}

void frmDatabaseExplorer::ConnectObjectList() {
    lsvDescription->header()->setSectionsClickable(true);
    connect(lsvDescription->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { lsvDescription_ColumnClick(column); });
    connect(lsvDescription, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) { lsvDescription_DblClick(); });
    connect(lsvDescription, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (!m_fillingList && column == 0 && ObjectList::IsCheckable(item)) lsvDescription_ItemCheck(item);
    });
    // The XML preview shows the document's text, in colour.
    wbXMLPreview->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    wbXMLPreview->setLineWrapMode(QTextEdit::NoWrap);
    new XmlHighlighter(wbXMLPreview->document());
}

void frmDatabaseExplorer::RefreshTreeKeepingSelection() {
    if (m_unloading || mbClosing) return;
    Trap(source("RefreshTreeKeepingSelection"), [&] {
        const QString key = TreeNodes::Key(trvMain->currentItem());
        PopulateLHXML();
        ShowSelection(key.isEmpty() ? nullptr : TreeNodes::FindByKey(trvMain, key));
    });
}

void frmDatabaseExplorer::ShowSelection(QTreeWidgetItem* Node) {
    if (!Node) Node = trvMain->topLevelItem(0);
    if (!Node) return;
    for (QTreeWidgetItem* up = Node->parent(); up; up = up->parent()) up->setExpanded(true);
    trvMain->setCurrentItem(Node);
    iCurrentNodeIndex = qint16(TreeNodes::Index(Node));
    // Asking again whether to connect would come out of nowhere.
    if (TreeNodes::ImageKey(Node) == kStopped) return;
    trvMain_NodeClick(Node);
}

void frmDatabaseExplorer::trvMain_NodeClick(QTreeWidgetItem* Node) {
    CommandTrap(source("trvMain_NodeClick"), [&] {
        if (!Node) objectRequired();
        miLastNodeIndex = qint16(TreeNodes::Index(Node));
        sbPanels[1]->setText(Node->text(0));
        const NodeSelection::NodeValue node = ValueOf(Node);
        if (node.tag.isEmpty()) return;
        QToolButton* newDatabase = Button(tlbAdmin, QStringLiteral("NewDatabase"));
        QToolButton* newGroup = Button(tlbAdmin, QStringLiteral("NewGroup"));

        if (node.IsObject()) {
            // An object: its details, its script or its columns.
            SetListCheckBoxes(false);
            if (!LoadCurrentDB(node)) return;
            DisplayInList(node.key, node.tag);
            if (PreviewTabShown()) PreviewHTML(node.tag);
            for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, true);
            gPreviewXPath = node.tag;
            return;
        }

        ProcessTagValue(node, Node);
        switch (miNodeLevel) {
        case 1:
            mnuSubFile.value(1)->setEnabled(false);
            mnuSubFile.value(2)->setEnabled(false);
            mnuSubFile.value(5)->setEnabled(false);
            mnuSubFile.value(4)->setEnabled(true);
            newDatabase->setEnabled(false);
            newGroup->setEnabled(true);
            break;
        case 2:
            mnuSubFile.value(1)->setEnabled(false);
            mnuSubFile.value(2)->setEnabled(false);
            mnuSubFile.value(5)->setEnabled(true);
            mnuSubFile.value(4)->setEnabled(false);
            newDatabase->setEnabled(true);
            newGroup->setEnabled(false);
            break;
        case 3:
            if (TreeNodes::ImageKey(Node) == kStopped) {
                // Its structure is not loaded in this run: read it again, or leave
                // everything shown as it is.
                const auto answer = platform::ui::host().message(
                    QStringLiteral("The database '") + Node->text(0) + QStringLiteral("' is not connected. Do you want to connect?"),
                    platform::ui::Icon::Question, platform::ui::Buttons::YesNo, kAppTitle);
                if (answer != platform::ui::Answer::Yes) {
                    mnuSubFile.value(1)->setEnabled(false);
                    mnuSubFile.value(2)->setEnabled(false);
                    return;
                }
                // A successful refresh refocuses the node, which handles it anew.
                RefreshDatabaseConnection(true);
                return;
            }
            newDatabase->setEnabled(false);
            newGroup->setEnabled(false);
            break;
        default: break;
        }
        if (miNodeLevel >= 5 && miNodeLevel <= 7) gTableIndex = miNodeIndex;
        const QString sLHXPath = GetLHXPath(miNodeLevel);
        const QString sXPath = GetXPath(miNodeLevel);
        DisplayChildren(sLHXPath);
        if (miNodeLevel < 3) {
            SetListCheckBoxes(false);
        } else {
            if (!LoadCurrentDB(node)) return;
            SetListCheckBoxes(true);
            CheckAll();
        }
        if (miNodeLevel >= 3) {
            for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, true);
            if (PreviewTabShown()) PreviewHTML(sXPath);
        } else {
            ssRHPanel->setCurrentIndex(0);
            for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, false);
        }
        gPreviewXPath = sXPath;
    });
}

bool frmDatabaseExplorer::ProcessTagValue(const NodeSelection::NodeValue& node, const QTreeWidgetItem* Node) {
    return TrapValue(source("ProcessTagValue"), [&]() -> bool {
        if (!Node) objectRequired();
        if (!node.isCode) return node.key.isEmpty() ? false : LoadCurrentDB(node);

        miNodeLevel = qint16(node.level);
        if (node.hasIndex) miNodeIndex = qint16(node.index);
        if (miNodeLevel != 2) return LoadCurrentDB(node);

        // A group: a new connection of it takes the position after its last one (its
        // "(No Item)" placeholder is no connection).
        gGroupIndex = miNodeIndex;
        qint16 connections = 0;
        for (int i = 0; i < Node->childCount(); ++i)
            if (!TreeNodes::Key(Node->child(i)).startsWith(QLatin1String("NoItem_"))) ++connections;
        gConnectionIndex = connections;
        return true;
    }, false);
}

bool frmDatabaseExplorer::LoadCurrentDB(const NodeSelection::NodeValue& node) {
    return TrapValue(source("LoadCurrentDB"), [&]() -> bool {
        if (!node.key.contains(QLatin1Char('|'))) return false;
        // The node's place in the tree tells the connection's positions even when a
        // name holds "|"; outside a connection the key is read field by field.
        int g = node.group, c = node.connection;
        if (!node.InConnection() && !NodeSelection::PositionsOfKey(node.key, g, c)) return false;
        switch (NodeSelection::MakeCurrent(g, c)) {
        case NodeSelection::Load::NoConnection: return false;
        case NodeSelection::Load::LoadFailed:
            // Nothing of the connection selected before stays shown under this one.
            ObjectList::Clear(lsvDescription);
            gPreviewXPath.clear();
            ShowEmptyPreviews();
            platform::ui::host().message(QStringLiteral("Your database structure could not be loaded. Select the database and "
                                                        "choose Refresh to read its structure again."),
                                         platform::ui::Icon::Information, platform::ui::Buttons::Ok, kAppTitle);
            return false;
        case NodeSelection::Load::AlreadyCurrent:
        case NodeSelection::Load::Loaded: break;
        }
        return true;
    }, false);
}

void frmDatabaseExplorer::SetListCheckBoxes(bool bOn) {
    const ListFill fill(m_fillingList);
    m_listCheckBoxes = bOn;
    ObjectList::SetCheckBoxes(lsvDescription, bOn);
}

void frmDatabaseExplorer::DisplayChildren(const QString& sLHXPath) {
    Trap(source("DisplayChildren"), [&] {
        ssRHPanel->setTabEnabled(0, true);
        ssRHPanel->setCurrentIndex(0);
        const ListFill fill(m_fillingList);
        ObjectList::Clear(lsvDescription);
        lsvDescription->show();
        txtSQLScript->hide();
        if (!oLHXML) objectRequired();
        const NodeSelection::ListContent content = NodeSelection::ChildrenOf(*oLHXML, sLHXPath, oStructureXML.get());
        for (const auto& column : content.columns) ObjectList::AddColumn(lsvDescription, column.key, column.caption);
        for (const auto& row : content.rows) {
            QTreeWidgetItem* item = ObjectList::AddItem(lsvDescription, row.text, row.key, row.cells, row.imageKey,
                                                        imlTreeIcons->Image(row.imageKey), m_listCheckBoxes);
            ObjectList::SetPath(item, row.path);
            if (m_listCheckBoxes) {
                item->setToolTip(0, QStringLiteral("Check to include in report"));
                item->setCheckState(0, row.report == 1 ? Qt::Checked : Qt::Unchecked);
            }
        }
        if (m_listSorted && m_listSortKey < lsvDescription->columnCount())
            lsvDescription->sortItems(m_listSortKey, m_listSortOrder);
        ObjectList::FitColumns(lsvDescription);
    });
}

void frmDatabaseExplorer::DisplayInList(const QString&, const QString& sXPath) {
    Trap(source("DisplayInList"), [&] {
        ssRHPanel->setTabEnabled(0, true);
        ssRHPanel->setCurrentIndex(0);
        static cXML noStructure;
        const NodeSelection::ObjectDetails details = NodeSelection::DetailsOf(oStructureXML ? *oStructureXML : noStructure, sXPath);
        const ListFill fill(m_fillingList);
        ObjectList::Clear(lsvDescription);
        // Nothing to show here: the document preview takes the place of the details.
        const auto previewInstead = [&] {
            ssRHPanel->setTabEnabled(1, true);
            ssRHPanel->setCurrentIndex(1);
            ssRHPanel->setTabEnabled(0, false);
        };
        if (details.view == NodeSelection::DetailView::Script) {
            lsvDescription->hide();
            txtSQLScript->show();
            txtSQLScript->setPlainText(details.script);
            if (!details.found) previewInstead();
            return;
        }
        lsvDescription->show();
        txtSQLScript->hide();
        if (!details.found) {
            if (details.view == NodeSelection::DetailView::Columns) previewInstead();
            return;
        }
        for (const auto& column : details.list.columns) ObjectList::AddColumn(lsvDescription, column.key, column.caption);
        for (const auto& row : details.list.rows)
            ObjectList::AddItem(lsvDescription, row.text, row.key, row.cells, row.imageKey,
                                row.imageKey.isEmpty() ? QIcon() : imlTreeIcons->Image(row.imageKey), false);
        if (m_listSorted && m_listSortKey < lsvDescription->columnCount())
            lsvDescription->sortItems(m_listSortKey, m_listSortOrder);
        ObjectList::FitColumns(lsvDescription);
    });
}

void frmDatabaseExplorer::CheckAll() {
    Trap(source("CheckAll"), [&] {
        const ListFill fill(m_fillingList);
        for (int i = 0; i < lsvDescription->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = lsvDescription->topLevelItem(i);
            const bool marked = NodeSelection::ReportMark(oStructureXML.get(), ReportPathOf(item));
            item->setCheckState(0, marked ? Qt::Checked : Qt::Unchecked);
        }
    });
}

QString frmDatabaseExplorer::GetReportXPath(const QString& sKey) {
    return TrapValue(source("GetReportXPath"), [&] {
        const QTreeWidgetItem* node = TreeNodes::FindByKey(trvMain, sKey);
        if (!node) elementNotFound();
        return ValueOf(node).StructurePath();
    }, QString());
}

QString frmDatabaseExplorer::ReportPathOf(QTreeWidgetItem* Item) {
    // The path the item was listed with names its own object even when another
    // object's node has the same key (an index and a trigger of one name and place).
    const QString path = ObjectList::Path(Item);
    return path.isEmpty() ? GetReportXPath(ObjectList::Key(Item)) : path;
}

void frmDatabaseExplorer::SelectChildren(int iReport, const XmlNodeList& oNodes) {
    Trap(source("SelectChildren"), [&] { NodeSelection::SetReport(oNodes, iReport); });
}

void frmDatabaseExplorer::lsvDescription_ItemCheck(QTreeWidgetItem* Item) {
    Trap(source("lsvDescription_ItemCheck"), [&] {
        if (!Item) objectRequired();
        const int value = Item->checkState(0) == Qt::Checked ? 1 : 0;
        const QString path = ReportPathOf(Item);
        if (!oStructureXML || !oStructureXML->HasDocument() || path.isEmpty()) return;
        const XmlNodeList nodes = oStructureXML->GetNodes(path);
        if (!nodes.isEmpty()) SelectChildren(value, nodes);
    });
}

void frmDatabaseExplorer::lsvDescription_ColumnClick(int ColumnHeader) {
    Trap(source("lsvDescription_ColumnClick"), [&] {
        m_listSortOrder = m_listSortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        m_listSortKey = ColumnHeader;
        m_listSorted = true;
        lsvDescription->header()->setSortIndicatorShown(true);
        lsvDescription->sortItems(m_listSortKey, m_listSortOrder);
    });
}

void frmDatabaseExplorer::lsvDescription_DblClick() {
    Trap(source("lsvDescription_DblClick"), [&] {
        QTreeWidgetItem* item = lsvDescription->currentItem();
        if (!item || !item->isSelected()) return;
        const QString key = ObjectList::Key(item);
        if (key.isEmpty()) return;
        QTreeWidgetItem* node = TreeNodes::FindByKey(trvMain, key);
        if (!node) elementNotFound();
        node->setExpanded(true);
        trvMain_NodeClick(node);
    });
}

QString frmDatabaseExplorer::GetLHXPath(qint16 level) {
    return TrapValue(source("GetLHXPath"), [&] { return NodeSelection::LHXPath(level, gGroupIndex, gConnectionIndex, gTableIndex); },
                     QString());
}

