#pragma once
// The main window: the tree of groups and connections on the left, the four tabs on
// the right (details, document preview, XML preview, query), the main toolbar, the
// menus and the status bar. It lives from the splash until the program ends.
//
// instance() creates the window with its controls; Show() loads it (Form_Load: the
// history into the tree, the template menu, the command line) the first time and
// shows it. Unload() runs the closing steps (history, temporary files, the other
// windows) and releases the shared instance. Window thread only.

#include "core/Forms.h"
#include "core/bGlobal.h"
#include "core/XmlNode.h"
#include "platform/ado/Ado.h"

#include <QMainWindow>
#include <QMap>
#include <array>
#include <functional>
#include <memory>

class BusyPicture;
class ImageList;
class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTimer;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class SplitterBar;
class WebBrowser;
class QThreadPool;
namespace NodeSelection {
struct NodeValue;
}

class frmDatabaseExplorer : public QMainWindow, public SharedForm<frmDatabaseExplorer> {
    Q_OBJECT
    friend class SharedForm<frmDatabaseExplorer>;
    // Written by the tree fill for the current connection's node.
    Q_PROPERTY(qint16 iCurrentNodeIndex MEMBER iCurrentNodeIndex)
public:

    QString FormName() const override { return QStringLiteral("frmDatabaseExplorer"); }
    void Unload() override;
    // Loads the window on first use, then shows it.
    void Show();
    bool IsLoaded() const { return m_loaded; }

    // Provides this window to the splash (frmSplash::showMainWindow).
    static void Install();

    // Opens the import wizard modally over this window with its mode sAction ("NEW"),
    // or empty to leave the mode as it is. Provided by frmDatabaseConnection::Install;
    // without it the commands that open the wizard do nothing.
    static inline FormOpener<const QString&> ShowImportWizard;
    // What enciphers the history file's text (text, pass phrase) into its cipher text or
    // a failure code; bGlobal::EncryptText unless a test puts a failing one here.
    static inline std::function<QString(const QString&, const QString&)> HistoryCipher = bGlobal::EncryptText;
    // The program's arguments joined by blanks: the structure file to open at load.
    static inline QString CommandLine;
    // The command line of a later start of the program on the same data folder: the
    // structure file it names is opened as at load, and the window comes to the front.
    // Until the window has loaded, and while a modal dialog or a statement keeps it
    // busy, the lines wait and are handled in the order they came.
    static void HandOver(const QString& sCommandLine);
    // Opens the migration wizard modally for a connection (group, position) with a
    // table to pre-select ("" for none): (iGroup, iConnection, sSelectedTable).
    // Provided by frmStructureMigration::Install; without it the tree's "&Migrate"
    // commands are disabled.
    static inline FormOpener<qint16, qint16, const QString&> ShowMigrationWizard;

    // ---- public procedures ----------------------------------------------------------
    void RenameCurrentGroup(const QString& sPGroupName);
    // Rebuilds the whole tree from the tree document oLHXML.
    void PopulateLHXML();
    void AddNewGroupName(const QString& sPGroupName);
    // Appends a database connection to group gGroupIndex (the caller imports its
    // structure and refills the tree).
    void AddNewDBConnection(const QString& sConnectionString);
    void PreviewHTML(const QString& sPreviewXPath);
    // Both previews show an empty page (after a preview that could not be written).
    void ShowEmptyPreviews();
    // The last preview is still on its way: its files being written, or its pages
    // filling in.
    bool PreviewPending() const;
    QString SaveInWord(bool bSaveNow);
    void SaveNowInWord(const QString& sWordFileName);
    QString SaveXML(bool bSaveNow);
    QString SaveHTML(bool bSaveNow);
    void SaveMenus(bool bEnable);
    void AddTreeViewRoot();
    // Adds the connection of the structure document oStructureXML (read from
    // gStructureFilePath) with all its folders and items; False after an error.
    bool GenerateLHXML();
    void SavePreviewInWord();
    // Selects the node iCurrentNodeIndex and handles it as a click.
    void FocusConnection();
    // Writes the history file now, after a change of the groups or connections (an
    // import or refresh added, a rename, a removal, a new group). Does nothing before
    // the window has loaded, once it unloads or after a reported error. A failed write
    // is told once and the session goes on; the next change and Exit write again.
    void SaveHistory();
    // Rebuilds the tree from the tree document and shows the node that was selected
    // again (the root when it is gone), so the tree and the list agree after another
    // window changed the document. A connection that is not loaded is selected only.
    void RefreshTreeKeepingSelection();
    // Selects the node (the root when it is null), opening its ancestors, makes it the
    // current node and handles it as a click, so the list and previews show it; a
    // connection that is not loaded is selected only.
    void ShowSelection(QTreeWidgetItem* Node);
    // Makes connection iConnection of group iGroup current (its structure loaded) and
    // opens the migration wizard for it, with sSelectedTable pre-selected ("" for none).
    void MigrateStructure(qint16 iGroup, qint16 iConnection, const QString& sSelectedTable = QString());

    // Progress of a catalogue reader started by this window; sets Cancel once the
    // window is closing.
    void oADO_WhileImporting(QString& ObjectName, QString& ObjectType, QString& ImportStatus, qint16& iIncrementValue,
                             QString& DisplayMessage, bool& Cancel);

    // ---- shell procedures -----------------------------------------------------------
    void EnableMainQuery(bool bEnable);
    void EnableControls(bool bEnable);
    void StartAnimation();
    void StopAnimation();
    bool AddCSSFileNames();
    void MapToolbarImages();
    void KeyHelp();

    // ---- events ----------------------------------------------------------------------
    void Form_Load();
    // KeyCode and Shift as Visual Basic gives them (F1 112, F5 116, E 69; Shift 1,
    // Ctrl 2, Alt 4).
    void Form_KeyDown(int KeyCode, int Shift);
    void Form_QueryUnload();
    void Form_Unload();
    void mnuSubHelp_Click(int Index);
    void tlbAdmin_ButtonClick(QToolButton* Button);
    void tlbAdmin_ButtonDropDown(QToolButton* Button);
    void ssRHPanel_Click(int PreviousTab);
    void pctSeperator_MouseDown(int Button, int Shift, float X, float Y);
    void pctSeperator_MouseMove(int Button, int Shift, float X, float Y);
    void pctSeperator_MouseUp(int Button, int Shift, float X, float Y);
    void pctHSeperator_MouseDown(int Button, int Shift, float X, float Y);
    void pctHSeperator_MouseMove(int Button, int Shift, float X, float Y);
    void pctHSeperator_MouseUp(int Button, int Shift, float X, float Y);
    void tmAnimate_Timer();

    // Commands whose handling belongs to the tree, file, query and report code.
    void mnuSubFile_Click(int Index);
    void mnuSubReport_Click(int Index);
    void mnuSubMainQuery_Click(int Index);
    void mnuSubLevel1_Click(int Index);
    void mnuSubLevel2_Click(int Index);
    void mnuSubLevel3_Click(int Index);
    void mnuSubLevel4_Click(int Index);
    void mnuSubToolbar_Click(int Index);
    void mnuSubPreviewTool_Click(int Index);
    void mnuSubTemplate_Click(int Index);
    void mnuSubQuery_Click(int Index);
    void mnuSubOutput_Click(int Index);
    void tlbTemplate_ButtonClick(QToolButton* Button);
    void tlbPreview_ButtonClick(QToolButton* Button);
    void tlbPrint_ButtonClick(QToolButton* Button);
    void tlbXMLPreviewSave_ButtonClick(QToolButton* Button);
    void tlbXMLPreviewPrint_ButtonClick(QToolButton* Button);
    void tlbQuery_ButtonClick(QToolButton* Button);
    void tlbResult_ButtonClick(QToolButton* Button);
    void tlbExecute_ButtonClick(QToolButton* Button);
    // Stops the statement the query tab runs (the button, Escape or Alt+L while one
    // runs): the driver is asked to cancel it, the statements after it in the
    // selection are not run, and the tab says so. Nothing when none runs.
    void cmdCancelQuery_Click();
    // The node becomes the selection shown on the right: its connection current, the
    // menus and toolbar after its level, the list, the script box and the previews. A
    // preview is built only while its tab is shown: showing the tab builds it for the
    // selection (ssRHPanel_Click). FocusConnection and lsvDescription_DblClick call it
    // too.
    void trvMain_NodeClick(QTreeWidgetItem* Node);
    // Sorts the list by that 0-based column, flipping the order at every click.
    void lsvDescription_ColumnClick(int ColumnHeader);
    // Handles the selected list item's tree node as a click (items without a key do
    // nothing).
    void lsvDescription_DblClick();
    // Writes the item's check mark into Report of its objects and their descendants.
    void lsvDescription_ItemCheck(QTreeWidgetItem* Item);
    // Reads the current connection again, from its file when bUseFile is set and it
    // has no connection string; refocuses its node when that succeeds.
    void RefreshDatabaseConnection(bool bUseFile);
    // Opens a structure file (*.mxs) as a connection of group gGroupIndex at
    // gConnectionIndex; an empty sFile asks for one and receives the choice. A file
    // that does not decipher or hold a structure changes nothing.
    void OpenStructure(QString& sFile);
    // Saves the current connection's structure to its structure file, asking for one
    // when it has none or bSaveAs is set.
    void SaveStructure(bool bSaveAs);
    // The query tab: runs one statement on the current connection; True when a rowset
    // with rows went to the grid.
    bool ProcessQuery(const QString& sQuery);
    // "" clears the messages; anything else becomes a new line of them.
    void AppendMessage(const QString& sMessage);
    void NewQueryFile();
    void OpenQueryFile();
    void SaveQueryFile(bool bSaveAs);
    void SaveQueryOutputAsHTML();
    // Runs "Select * from" the object of tree node iCurrentNodeIndex on the query tab.
    void OpenAllRows();
    // Button and Shift as for Form_KeyDown; pos in the tree's viewport, in pixels.
    void trvMain_MouseDown(int Button, int Shift, const QPoint& pos);
    // The context-menu key or Shift+F10 on the tree: the selected node's menu.
    void trvMain_ContextKey();
    void HandleCLP();

    // The button with that key on a toolbar of this window, or null.
    static QToolButton* Button(QToolBar* toolbar, const QString& key);
    // The text of status-bar panel 1..6.
    QString PanelText(int panel) const;

    // Splitter positions, in twips: the vertical bar's Left in the window, the
    // horizontal bar's Top in the tab control.
    float SeperatorLeft() const { return m_barLeft; }
    float HSeperatorTop() const { return m_hBarTop; }
    bool SplitterDragging() const { return mSplitterDragging; }
    bool Closing() const { return mbClosing; }

    // ---- controls ---------------------------------------------------------------------
    using MenuItems = QMap<int, QAction*>;

    QToolBar* tlbAdmin = nullptr;
    QTreeWidget* trvMain = nullptr;
    SplitterBar* pctSeperator = nullptr;
    QTabWidget* ssRHPanel = nullptr;
    QStatusBar* sbMorvalex = nullptr;
    std::array<QLabel*, 7> sbPanels{};  // 1..6
    ImageList* imlToolImage = nullptr;
    ImageList* imlTreeIcons = nullptr;
    QTimer* tmAnimate = nullptr;

    QTreeWidget* lsvDescription = nullptr;
    QPlainTextEdit* txtSQLScript = nullptr;
    QLabel* lblListTitle = nullptr;
    QWidget* pctAnimation = nullptr;
    BusyPicture* wbAnimation = nullptr;

    QToolBar* tlbTemplate = nullptr;
    QToolBar* tlbPreview = nullptr;
    QToolBar* tlbPrint = nullptr;
    WebBrowser* wbReport = nullptr;

    QToolBar* tlbXMLPreviewSave = nullptr;
    QToolBar* tlbXMLPreviewPrint = nullptr;
    WebBrowser* wbXMLPreview = nullptr;

    QLabel* lblCurrentDatabaseName = nullptr;
    QWidget* pctTools = nullptr;
    QToolBar* tlbQuery = nullptr;
    QToolBar* tlbResult = nullptr;
    QToolBar* tlbExecute = nullptr;
    QPlainTextEdit* txtQuery = nullptr;
    SplitterBar* pctHSeperator = nullptr;
    QTabWidget* ssQueryResult = nullptr;
    QTableView* dgResult = nullptr;
    QPlainTextEdit* txtMessages = nullptr;
    // In the status bar, shown only while a statement of the query tab runs.
    QPushButton* cmdCancelQuery = nullptr;

    QMenu* mnuApplication = nullptr;
    MenuItems mnuSubFile;
    QMenu* mnuReport = nullptr;
    MenuItems mnuSubReport;
    QMenu* mnuMainQuery = nullptr;
    MenuItems mnuSubMainQuery;
    QMenu* mnuHelp = nullptr;
    MenuItems mnuSubHelp;
    std::array<QMenu*, 5> mnuLevel{};  // 1..4
    MenuItems mnuSubLevel1, mnuSubLevel2, mnuSubLevel3, mnuSubLevel4;
    QMenu* mnuToolbar = nullptr;
    MenuItems mnuSubToolbar;
    QMenu* mnuPreviewTool = nullptr;
    MenuItems mnuSubPreviewTool;
    QMenu* mnuTemplate = nullptr;
    MenuItems mnuSubTemplate;
    QMenu* mnuQuery = nullptr;
    MenuItems mnuSubQuery;
    QMenu* mnuOutput = nullptr;
    MenuItems mnuSubOutput;

    // Index of the current tree node; 1 (the root) after load.
    qint16 iCurrentNodeIndex = 1;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    frmDatabaseExplorer();

    // Report and preview-export commands (ReportCommands.cpp).
    void SaveXMLPreview();
    QString SavePreviewXML();
    void SavePreviewHTML();
    // The page the document preview shows (its text), or "" when it shows none.
    QString PreviewContent();
    void PrintPreview(WebBrowser* browser);
    void ShowReportSetup();

    // The controls (ExplorerControls.cpp) and their layout (ExplorerLayout.cpp).
    void BuildMenus();
    void BuildToolbar();
    void BuildPanes();
    void BuildStatusBar();
    QToolButton* AddButton(QToolBar* toolbar, const QString& key, const QString& caption, const QString& tip,
                           QMenu* dropDown, void (frmDatabaseExplorer::*handler)(QToolButton*));
    QAction* AddItem(QMenu* menu, MenuItems& items, const QString& arrayName, int index, const QString& caption,
                     void (frmDatabaseExplorer::*handler)(int));
    void PopupBelow(QToolButton* button, QMenu* menu);
    void LayoutMainArea();
    void LayoutQueryPage();
    void UpdateClock();

    // The history (HistoryCommands.cpp).
    void LoadHistoryXML();
    void GenerateHistory();
    // Writes oHistoryXML over the history file; throws what the write throws.
    void WriteHistory();

    void FetchXMLDBInfo();

    // Node selection (NodeSelectionCommands.cpp). Connects the object list's events and
    // readies the XML preview.
    void ConnectObjectList();
    // The node decoded once; the procedures below take that value.
    static NodeSelection::NodeValue ValueOf(const QTreeWidgetItem* Node);
    // Takes the level and position of a level-code node (a group also sets the
    // position of its next connection); makes the node's connection current.
    bool ProcessTagValue(const NodeSelection::NodeValue& node, const QTreeWidgetItem* Node);
    bool LoadCurrentDB(const NodeSelection::NodeValue& node);
    void DisplayChildren(const QString& sLHXPath);
    void DisplayInList(const QString& sKey, const QString& sXPath);
    void CheckAll();
    QString GetReportXPath(const QString& sKey);
    // The structure path behind a list item's check box.
    QString ReportPathOf(QTreeWidgetItem* Item);
    void SelectChildren(int iReport, const XmlNodeList& oNodes);
    QString GetLHXPath(qint16 level);
    // The document or the XML preview is the tab shown.
    bool PreviewTabShown() const;
    // A long preview's files are written on a worker thread (PreviewCommands.cpp);
    // these two make the window wait for the one on its way and show it, or drop it.
    void FinishPendingPreview();
    void AbandonPendingPreview();
    void ShowPreviewFiles();
    struct PendingPreview;
    std::shared_ptr<PendingPreview> m_pendingPreview;
    QThreadPool* m_previewThread = nullptr;
    // Runs work (which waits for the driver in event loops of its own) while the window
    // keeps painting (the busy animation after a while); of the user's input only the
    // cancel command reaches the window meanwhile. Rethrows what work threw.
    void RunWhilePainting(const std::function<void()>& work);
    // While a statement runs: whether this user-input event is one for the window to
    // drop, after acting on the ones that cancel.
    bool DropInputWhileQueryRuns(QObject* watched, QEvent* e);
    // The query tab says the statement was cancelled (sDetail, when given, says more).
    void ShowCancelled(const QString& sDetail);
    // Switches the list's check boxes on or off (also for items added later).
    void SetListCheckBoxes(bool bOn);

    // Tree context commands (TreeCommands.cpp).
    void OpenNodeMenu(QTreeWidgetItem* Node, const QPoint& globalPos);
    void SetLevelCommands(int level, QTreeWidgetItem* Node);
    QTreeWidgetItem* CurrentNode() const;
    bool AskYesNo(const QString& question);
    void DeleteConnection(qint16& iConnection);
    void DeleteDBGroup();
    void DeleteAllDBGroups();
    // After a removal: no connection is current (gConnectionIndex -1, no structure
    // document, no connection facts), the tree is refilled and the history saved,
    // nothing of the removed entries is shown, and group g (or the root when g is -1)
    // is the current node, its connections (or the groups) in the list.
    void ShowAfterRemoval(int g);
    void RemoveConnChildren(const QString& sXPath);
    void ExpandAll(QTreeWidgetItem* Node);
    void CollapseAll(QTreeWidgetItem* Node);
    // CollapseAll, then the node itself.
    void CollapseAllAndNode(QTreeWidgetItem* Node);
    void CopyChildNamesToClipboard();

    std::shared_ptr<platform::ado::Connection> mQueryConnection;
    // What the last statement of the query tab returned; the grid's model holds the
    // rows.
    enum class QueryRowset { None, Empty, Rows };
    QueryRowset mQueryRowset = QueryRowset::None;
    QString mQueryFilePath;
    qint32 mQueryCount = 0;
    bool m_queryRunning = false;
    // Handles the command lines of later starts that wait (HandOver), or tries again
    // a moment later while the window cannot take them.
    static void HandlePendingStarts();
    static inline QStringList s_pendingStarts;
    static inline bool s_pendingRetry = false;
    bool m_queryCancelRequested = false;
    // Closing was asked for while a statement ran: it was cancelled, and the window
    // closes once it has ended.
    bool m_closeAfterQuery = false;
    bool mbClosing = false;
    bool mSplitterDragging = false;
    float mGrabX = 0, mGrabY = 0;

    // Pane geometry in twips: the vertical bar's Left, the tree's width, the right
    // pane's Left; the horizontal bar's Top in the tab control, the query box's
    // height and the result tabs' Top.
    float m_barLeft = 2655;
    float m_treeWidth = 2655;
    float m_panelLeft = 2730;
    float m_hBarTop = 2430;
    float m_queryTextHeight = 1605;
    float m_queryResultTop = 2550;
    // The tree's share of the main area's width, kept as the window is resized, and the
    // area width (twips) the bar was last placed for.
    float m_treeShare = 0;
    float m_layoutTwips = 0;

    // Node selection: the last clicked node's index, the level and index of the last
    // level-code node.
    qint16 miLastNodeIndex = 0;
    qint16 miNodeLevel = 0;
    qint16 miNodeIndex = 0;
    // The object list: check boxes on, sorting on, the sort column and order, and a
    // fill in progress (check marks set by the program are no user's ticks).
    bool m_listCheckBoxes = false;
    bool m_listSorted = false;
    int m_listSortKey = 0;
    Qt::SortOrder m_listSortOrder = Qt::AscendingOrder;
    bool m_fillingList = false;

    QWidget* m_mainArea = nullptr;
    QWidget* m_queryPage = nullptr;
    QTimer* m_clock = nullptr;
    int m_previousTab = 0;
    bool m_loaded = false;
    bool m_unloading = false;
    // Set when a damaged history file could not be moved aside: it must not be
    // overwritten in this run.
    bool m_keepHistoryFile = false;
    // The last write of the history failed and the user has been told.
    bool m_historyUnsaved = false;
};
