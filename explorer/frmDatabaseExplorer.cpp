#include "explorer/frmDatabaseExplorer.h"

#include "core/TreeFill.h"
#include "core/frmAbout.h"
#include "core/frmSplash.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/HistoryFile.h"
#include "explorer/NodeSelection.h"
#include "explorer/ObjectList.h"
#include "explorer/Preview.h"
#include "explorer/TreeDocument.h"
#include "explorer/XmlHighlighter.h"
#include "platform/ui/Host.h"

#include <cmath>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace bGlobal;

namespace {

constexpr float kTwipsPerPixel = 15.0f;
int px(float twips) { return int(twips / kTwipsPerPixel); }

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

// Pane geometry in twips (the window's design values).
constexpr float kDesignWidth = 11880;   // the window
constexpr float kBarWidth = 60;         // pctSeperator
constexpr float kHBarHeight = 75;       // pctHSeperator
constexpr float kBarMin = 1500;         // both bars
constexpr float kBarMax = 8000;         // pctSeperator
constexpr float kHBarMax = 6000;        // pctHSeperator
constexpr float kTabStrip = 360;        // the tab control's strip above its pages
constexpr float kQueryTextTop = 810;    // txtQuery, in the tab control
constexpr int kMarginPx = 6;            // inner margins of the query page
constexpr int kRightMarginPx = 4;       // between the right pane and the window edge

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

QToolBar* newToolBar(const QString& name, QWidget* parent) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setIconSize(QSize(16, 16));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return bar;
}

QPlainTextEdit* newTextBox(const QString& name, bool readOnly, bool wrap, QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(readOnly);
    box->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return box;
}

// A page of the right pane that shows a row of tool bars over a browser. The caller
// makes the tool bars on the page, then finishes it with addPreviewBrowser.
QWidget* newPreviewPage(const QString& name) {
    auto* page = new QWidget;
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(kMarginPx, kMarginPx / 2, kMarginPx, kMarginPx);
    return page;
}

// Lays out a page made by newPreviewPage: 'tools' in a row at the top, and below them
// a new browser named 'name' that fills the rest.
WebBrowser* addPreviewBrowser(QWidget* page, std::initializer_list<QToolBar*> tools, const QString& name) {
    auto* layout = static_cast<QVBoxLayout*>(page->layout());
    auto* row = new QHBoxLayout;
    for (QToolBar* t : tools) row->addWidget(t);
    row->addStretch(1);
    layout->addLayout(row);
    auto* browser = new WebBrowser(page);
    browser->setObjectName(name);
    layout->addWidget(browser, 1);
    return browser;
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
    // Closing never is refused: the history is written and the window unloads.
    if (!m_unloading) Unload();
    e->accept();
}

// ---- building the controls -----------------------------------------------------------

QAction* frmDatabaseExplorer::AddItem(QMenu* menu, MenuItems& items, const QString& arrayName, int index,
                                      const QString& caption, void (frmDatabaseExplorer::*handler)(int)) {
    // A "-" caption is a separator line; it keeps no text, which some styles would draw.
    const bool separator = caption == QLatin1String("-");
    auto* item = new QAction(separator ? QString() : caption, menu);
    item->setObjectName(arrayName + QLatin1Char('_') + QString::number(index));
    item->setSeparator(separator);
    connect(item, &QAction::triggered, this, [this, handler, index] { (this->*handler)(index); });
    menu->addAction(item);
    items.insert(index, item);
    return item;
}

void frmDatabaseExplorer::BuildMenus() {
    using Self = frmDatabaseExplorer;
    auto fill = [&](QMenu* menu, MenuItems& items, const char* array, void (Self::*handler)(int),
                    std::initializer_list<std::pair<int, const char*>> entries) {
        for (const auto& [index, caption] : entries)
            AddItem(menu, items, QLatin1String(array), index, QString::fromUtf8(caption), handler);
    };
    auto newMenu = [&](const char* name, const char* title) {
        auto* menu = new QMenu(QString::fromUtf8(title), this);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };

    mnuApplication = newMenu("mnuApplication", "File");
    fill(mnuApplication, mnuSubFile, "mnuSubFile", &Self::mnuSubFile_Click,
         {{0, "&Open MXS File"}, {1, "&Save MXS File"}, {2, "Save &As MXS File"}, {3, "-"}, {4, "New &Group"},
          {5, "New Database &Structure"}, {6, "-"}, {7, "E&xit"}});
    mnuReport = newMenu("mnuReport", "&Report");
    fill(mnuReport, mnuSubReport, "mnuSubReport", &Self::mnuSubReport_Click,
         {{1, "Save as &HTML"}, {2, "Save as &XML"}, {3, "Save as &Word Document"}, {4, "-"}, {5, "Report &Options"}});
    for (int i : {1, 2, 3}) mnuSubReport.value(i)->setEnabled(false);
    mnuMainQuery = newMenu("mnuMainQuery", "&Query");
    fill(mnuMainQuery, mnuSubMainQuery, "mnuSubMainQuery", &Self::mnuSubMainQuery_Click,
         {{0, "&New"}, {1, "&Open"}, {2, "&Save"}, {3, "Save &As"}, {4, "-"}, {5, "Save Output As &HTML"}, {6, "-"},
          {7, "&Execute"}});
    mnuHelp = newMenu("mnuHelp", "&Help");
    fill(mnuHelp, mnuSubHelp, "mnuSubHelp", &Self::mnuSubHelp_Click, {{0, "&Morvalex Help"}, {2, "-"}, {3, "&About Morvalex"}});
    for (QMenu* m : {mnuApplication, mnuReport, mnuMainQuery, mnuHelp}) menuBar()->addMenu(m);

    // Popups: never in the menu bar.
    mnuLevel[1] = newMenu("mnuLevel_1", "Level1");
    fill(mnuLevel[1], mnuSubLevel1, "mnuSubLevel1", &Self::mnuSubLevel1_Click,
         {{0, "New &Group"}, {1, "New &Database Structure"}, {2, "-"}, {3, "&Remove All Groups"},
          {4, "&Expand All Groups"}, {5, "&Collapse All Groups"}});
    mnuSubLevel1.value(1)->setVisible(false);
    mnuLevel[2] = newMenu("mnuLevel_2", "Level2");
    fill(mnuLevel[2], mnuSubLevel2, "mnuSubLevel2", &Self::mnuSubLevel2_Click,
         {{0, "New Database &Structure"}, {1, "Re&name Group"}, {2, "&Remove"}, {3, "&Expand All"}, {4, "C&ollapse All"},
          {5, "&Copy Names"}});
    mnuLevel[3] = newMenu("mnuLevel_3", "Level3");
    fill(mnuLevel[3], mnuSubLevel3, "mnuSubLevel3", &Self::mnuSubLevel3_Click,
         {{0, "Re&fresh"}, {1, "&Save"}, {2, "&Remove"}, {3, "E&xpand All"}, {4, "C&ollapse All"}, {5, "-"},
          {6, "&Migrate"}, {7, "P&roperties"}});
    mnuSubLevel3.value(1)->setVisible(false);
    mnuLevel[4] = newMenu("mnuLevel_4", "Level4");
    fill(mnuLevel[4], mnuSubLevel4, "mnuSubLevel4", &Self::mnuSubLevel4_Click,
         {{0, "E&xpand All"}, {1, "C&ollapse All"}, {2, "Copy &Names"}, {3, "-"}, {4, "&Migrate"}, {5, "Open &All Rows"}});
    mnuToolbar = newMenu("mnuToolbar", "Toolbar Menu");
    fill(mnuToolbar, mnuSubToolbar, "mnuSubToolbar", &Self::mnuSubToolbar_Click,
         {{1, "Save as &HTML"}, {2, "Save as &XML"}, {3, "Save as &Word Document"}});
    mnuPreviewTool = newMenu("mnuPreviewTool", "Preview Toolbar");
    fill(mnuPreviewTool, mnuSubPreviewTool, "mnuSubPreviewTool", &Self::mnuSubPreviewTool_Click,
         {{0, "Save as &HTML"}, {1, "Save as &XML"}, {2, "Save as &Word"}});
    mnuTemplate = newMenu("mnuTemplate", "Template");
    fill(mnuTemplate, mnuSubTemplate, "mnuSubTemplate", &Self::mnuSubTemplate_Click, {{0, "Dummy"}});
    mnuSubTemplate.value(0)->setVisible(false);  // a placeholder only
    mnuQuery = newMenu("mnuQuery", "Query");
    fill(mnuQuery, mnuSubQuery, "mnuSubQuery", &Self::mnuSubQuery_Click, {{0, "&New"}, {1, "&Open"}, {2, "&Save"}, {3, "Save &As"}});
    mnuOutput = newMenu("mnuOutput", "Output");
    fill(mnuOutput, mnuSubOutput, "mnuSubOutput", &Self::mnuSubOutput_Click, {{0, "Save As &HTML"}});
}

QToolButton* frmDatabaseExplorer::AddButton(QToolBar* toolbar, const QString& key, const QString& caption,
                                            const QString& tip, QMenu* dropDown,
                                            void (frmDatabaseExplorer::*handler)(QToolButton*)) {
    auto* button = new QToolButton(toolbar);
    button->setObjectName(key);
    button->setText(caption);
    button->setToolTip(tip);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    if (dropDown) {
        // The arrow opens the popup below the button, where the drop-down placement
        // puts it.
        button->setMenu(dropDown);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    connect(button, &QToolButton::clicked, this, [this, handler, button] { (this->*handler)(button); });
    toolbar->addWidget(button);
    return button;
}

QToolButton* frmDatabaseExplorer::Button(QToolBar* toolbar, const QString& key) {
    return toolbar ? toolbar->findChild<QToolButton*>(key, Qt::FindDirectChildrenOnly) : nullptr;
}

void frmDatabaseExplorer::BuildToolbar() {
    tlbAdmin = newToolBar(QStringLiteral("tlbAdmin"), this);
    tlbAdmin->setWindowTitle(QStringLiteral("Main toolbar"));
    tlbAdmin->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, tlbAdmin);
    AddButton(tlbAdmin, QStringLiteral("NewGroup"), QStringLiteral("New &Group    "), QStringLiteral("Create new group"),
              nullptr, &frmDatabaseExplorer::tlbAdmin_ButtonClick);
    AddButton(tlbAdmin, QStringLiteral("NewDatabase"), QStringLiteral("New &Database"), QStringLiteral("New Connection"),
              nullptr, &frmDatabaseExplorer::tlbAdmin_ButtonClick);
    tlbAdmin->addSeparator();
    AddButton(tlbAdmin, QStringLiteral("SaveReport"), QStringLiteral("&Save Report   "), QStringLiteral("Report as HTML"),
              mnuToolbar, &frmDatabaseExplorer::tlbAdmin_ButtonClick);
}

void frmDatabaseExplorer::BuildPanes() {
    m_mainArea = new QWidget(this);
    m_mainArea->setObjectName(QStringLiteral("mainArea"));
    setCentralWidget(m_mainArea);

    auto* tree = new KeyboardTree(m_mainArea);
    trvMain = tree;
    trvMain->setObjectName(QStringLiteral("trvMain"));
    trvMain->setHeaderHidden(true);
    trvMain->setColumnCount(1);
    trvMain->setUniformRowHeights(true);
    trvMain->setIconSize(QSize(16, 16));
    trvMain->setContextMenuPolicy(Qt::PreventContextMenu);
    // Long names scroll sideways rather than being cut short.
    trvMain->header()->setStretchLastSection(false);
    trvMain->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    trvMain->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(trvMain, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* node, int) { trvMain_NodeClick(node); });
    connect(tree, &KeyboardTree::currentChangedByKey, this, [this](QTreeWidgetItem* node) { trvMain_NodeClick(node); });

    pctSeperator = new SplitterBar(Qt::Vertical, m_mainArea);
    pctSeperator->setObjectName(QStringLiteral("pctSeperator"));
    pctSeperator->onMouseDown = [this](int b, int s, float x, float y) { pctSeperator_MouseDown(b, s, x, y); };
    pctSeperator->onMouseMove = [this](int b, int s, float x, float y) { pctSeperator_MouseMove(b, s, x, y); };
    pctSeperator->onMouseUp = [this](int b, int s, float x, float y) { pctSeperator_MouseUp(b, s, x, y); };

    ssRHPanel = new QTabWidget(m_mainArea);
    ssRHPanel->setObjectName(QStringLiteral("ssRHPanel"));
    ssRHPanel->setDocumentMode(false);

    // Tab 0: the object list, or the script of one object, and the busy picture.
    auto* details = new QWidget;
    details->setObjectName(QStringLiteral("tabDetails"));
    auto* detailsLayout = new QVBoxLayout(details);
    detailsLayout->setContentsMargins(kMarginPx, kMarginPx, kMarginPx, kMarginPx);
    lblListTitle = new QLabel(QStringLiteral("Check the objects to be included in the report."), details);
    lblListTitle->setObjectName(QStringLiteral("lblListTitle"));
    detailsLayout->addWidget(lblListTitle);
    auto* listCell = new QGridLayout;
    listCell->setContentsMargins(0, 0, 0, 0);
    lsvDescription = new QTreeWidget(details);
    lsvDescription->setObjectName(QStringLiteral("lsvDescription"));
    lsvDescription->setRootIsDecorated(false);
    lsvDescription->setUniformRowHeights(true);
    lsvDescription->setAlternatingRowColors(true);
    lsvDescription->setIconSize(QSize(16, 16));
    lsvDescription->setColumnCount(1);
    lsvDescription->setHeaderLabels({QString()});
    txtSQLScript = newTextBox(QStringLiteral("txtSQLScript"), true, true, details);
    txtSQLScript->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtSQLScript->hide();
    pctAnimation = new QWidget(details);
    pctAnimation->setObjectName(QStringLiteral("pctAnimation"));
    pctAnimation->setFixedSize(px(2805), px(2265));
    pctAnimation->setAutoFillBackground(true);
    auto* animationLayout = new QVBoxLayout(pctAnimation);
    animationLayout->setContentsMargins(0, 0, 0, 0);
    wbAnimation = new BusyPicture(pctAnimation);
    wbAnimation->setObjectName(QStringLiteral("wbAnimation"));
    animationLayout->addWidget(wbAnimation);
    pctAnimation->hide();
    listCell->addWidget(lsvDescription, 0, 0);
    listCell->addWidget(txtSQLScript, 0, 0);
    listCell->addWidget(pctAnimation, 0, 0, Qt::AlignCenter);
    detailsLayout->addLayout(listCell, 1);
    ssRHPanel->addTab(details, QStringLiteral("D&etails"));

    // Tab 1: the document preview.
    auto* preview = newPreviewPage(QStringLiteral("tabDocumentPreview"));
    tlbTemplate = newToolBar(QStringLiteral("tlbTemplate"), preview);
    AddButton(tlbTemplate, QStringLiteral("Template"), QStringLiteral("&Template"), QString(), mnuTemplate,
              &frmDatabaseExplorer::tlbTemplate_ButtonClick);
    tlbPreview = newToolBar(QStringLiteral("tlbPreview"), preview);
    AddButton(tlbPreview, QStringLiteral("SaveThisPage"), QStringLiteral("Save this &page"), QString(), mnuPreviewTool,
              &frmDatabaseExplorer::tlbPreview_ButtonClick);
    tlbPrint = newToolBar(QStringLiteral("tlbPrint"), preview);
    AddButton(tlbPrint, QStringLiteral("PrintThisPage"), QStringLiteral("&Print this page"), QString(), nullptr,
              &frmDatabaseExplorer::tlbPrint_ButtonClick);
    wbReport = addPreviewBrowser(preview, {tlbTemplate, tlbPreview, tlbPrint}, QStringLiteral("wbReport"));
    ssRHPanel->addTab(preview, QStringLiteral("Document &Preview"));

    // Tab 2: the XML preview.
    auto* xml = newPreviewPage(QStringLiteral("tabXMLPreview"));
    tlbXMLPreviewSave = newToolBar(QStringLiteral("tlbXMLPreviewSave"), xml);
    AddButton(tlbXMLPreviewSave, QStringLiteral("SavePreview"), QStringLiteral("Save this &XML"), QString(), mnuPreviewTool,
              &frmDatabaseExplorer::tlbXMLPreviewSave_ButtonClick);
    tlbXMLPreviewPrint = newToolBar(QStringLiteral("tlbXMLPreviewPrint"), xml);
    AddButton(tlbXMLPreviewPrint, QStringLiteral("PrintPreview"), QStringLiteral("&Print this XML"), QString(), nullptr,
              &frmDatabaseExplorer::tlbXMLPreviewPrint_ButtonClick);
    wbXMLPreview = addPreviewBrowser(xml, {tlbXMLPreviewSave, tlbXMLPreviewPrint}, QStringLiteral("wbXMLPreview"));
    ssRHPanel->addTab(xml, QStringLiteral("&XML Preview"));

    // Tab 3: the query pane, laid out by the horizontal splitter (LayoutQueryPage).
    m_queryPage = new QWidget;
    m_queryPage->setObjectName(QStringLiteral("tabExecuteQuery"));
    lblCurrentDatabaseName = new QLabel(QStringLiteral("Database Name:"), m_queryPage);
    lblCurrentDatabaseName->setObjectName(QStringLiteral("lblCurrentDatabaseName"));
    QFont bold = lblCurrentDatabaseName->font();
    bold.setBold(true);
    lblCurrentDatabaseName->setFont(bold);
    pctTools = new QWidget(m_queryPage);
    pctTools->setObjectName(QStringLiteral("pctTools"));
    auto* toolsLayout = new QHBoxLayout(pctTools);
    toolsLayout->setContentsMargins(0, 0, 0, 0);
    toolsLayout->setSpacing(0);
    tlbQuery = newToolBar(QStringLiteral("tlbQuery"), pctTools);
    AddButton(tlbQuery, QStringLiteral("Query"), QStringLiteral("&Query"), QString(), mnuQuery, &frmDatabaseExplorer::tlbQuery_ButtonClick);
    tlbResult = newToolBar(QStringLiteral("tlbResult"), pctTools);
    AddButton(tlbResult, QStringLiteral("Output"), QStringLiteral("&Output"), QString(), mnuOutput, &frmDatabaseExplorer::tlbResult_ButtonClick);
    tlbExecute = newToolBar(QStringLiteral("tlbExecute"), pctTools);
    AddButton(tlbExecute, QStringLiteral("Execute"), QStringLiteral("&Execute"), QString(), nullptr,
              &frmDatabaseExplorer::tlbExecute_ButtonClick);
    for (QToolBar* t : {tlbQuery, tlbResult, tlbExecute}) toolsLayout->addWidget(t);
    txtQuery = newTextBox(QStringLiteral("txtQuery"), false, false, m_queryPage);
    txtQuery->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    pctHSeperator = new SplitterBar(Qt::Horizontal, m_queryPage);
    pctHSeperator->setObjectName(QStringLiteral("pctHSeperator"));
    pctHSeperator->onMouseDown = [this](int b, int s, float x, float y) { pctHSeperator_MouseDown(b, s, x, y); };
    pctHSeperator->onMouseMove = [this](int b, int s, float x, float y) { pctHSeperator_MouseMove(b, s, x, y); };
    pctHSeperator->onMouseUp = [this](int b, int s, float x, float y) { pctHSeperator_MouseUp(b, s, x, y); };
    ssQueryResult = new QTabWidget(m_queryPage);
    ssQueryResult->setObjectName(QStringLiteral("ssQueryResult"));
    dgResult = new QTableView;
    dgResult->setObjectName(QStringLiteral("dgResult"));
    dgResult->setAlternatingRowColors(true);
    ssQueryResult->addTab(dgResult, QStringLiteral("Output"));
    txtMessages = newTextBox(QStringLiteral("txtMessages"), true, false, nullptr);
    ssQueryResult->addTab(txtMessages, QStringLiteral("Messages"));
    ssRHPanel->addTab(m_queryPage, QStringLiteral("&Execute Query"));

    connect(ssRHPanel, &QTabWidget::currentChanged, this, [this](int) {
        const int previous = m_previousTab;
        m_previousTab = ssRHPanel->currentIndex();
        ssRHPanel_Click(previous);
    });
}

void frmDatabaseExplorer::BuildStatusBar() {
    sbMorvalex = statusBar();
    sbMorvalex->setObjectName(QStringLiteral("sbMorvalex"));
    sbMorvalex->setSizeGripEnabled(true);
    const char* designTexts[] = {"", "Morvalex 4.0", "", "", "NUM", "CAPS", "INS"};
    for (int i = 1; i <= 6; ++i) {
        auto* panel = new QLabel(QString::fromUtf8(designTexts[i]), sbMorvalex);
        panel->setObjectName(QStringLiteral("sbMorvalex_Panel%1").arg(i));
        panel->setContentsMargins(6, 0, 6, 0);
        sbPanels[i] = panel;
        if (i == 1)
            sbMorvalex->addWidget(panel, 1);
        else
            sbMorvalex->addPermanentWidget(panel);
    }
    for (int i : {4, 5, 6}) sbPanels[i]->setEnabled(false);
    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &frmDatabaseExplorer::UpdateClock);
    m_clock->start();
    UpdateClock();
}

void frmDatabaseExplorer::UpdateClock() {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    sbPanels[2]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    sbPanels[3]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}

QString frmDatabaseExplorer::PanelText(int panel) const {
    return panel >= 1 && panel <= 6 ? sbPanels[panel]->text() : QString();
}

// ---- layout -----------------------------------------------------------------------------

void frmDatabaseExplorer::LayoutMainArea() {
    const int w = m_mainArea->width(), h = m_mainArea->height();
    // A resized window keeps the tree's share of its width (the design width at first).
    const float area = float(w) * kTwipsPerPixel;
    if (m_treeShare <= 0) m_treeShare = m_barLeft / kDesignWidth;
    if (w > 0 && area != m_layoutTwips && !mSplitterDragging) {
        m_barLeft = qBound(kBarMin, std::round(m_treeShare * area), qMax(kBarMin, area - kBarMin));
        m_treeWidth = m_barLeft;
        m_panelLeft = m_barLeft + kBarWidth;
        m_layoutTwips = area;
    }
    trvMain->setGeometry(0, 0, qMax(0, px(m_treeWidth)), h);
    pctSeperator->setGeometry(px(m_barLeft), 0, px(kBarWidth), h);
    const int left = px(m_panelLeft);
    ssRHPanel->setGeometry(left, 0, qMax(0, w - left - kRightMarginPx), h);
}

void frmDatabaseExplorer::LayoutQueryPage() {
    // Positions in the tab control are in twips; the page starts below its strip.
    const auto pageY = [](float twips) { return px(twips - kTabStrip); };
    const int w = m_queryPage->width(), h = m_queryPage->height();
    const int inner = qMax(0, w - 2 * kMarginPx);
    const QSize tools = pctTools->sizeHint();
    const int toolsLeft = qMax(kMarginPx, w - kMarginPx - tools.width());
    pctTools->setGeometry(toolsLeft, 2, tools.width(), tools.height());
    lblCurrentDatabaseName->setGeometry(kMarginPx, 2, qMax(0, toolsLeft - 2 * kMarginPx), tools.height());
    const int queryTop = qMax(pageY(kQueryTextTop), 2 + tools.height() + 2);
    const int barTop = pageY(m_hBarTop);
    txtQuery->setGeometry(kMarginPx, queryTop, inner, qMax(0, qMin(px(m_queryTextHeight), barTop - queryTop)));
    pctHSeperator->setGeometry(kMarginPx, barTop, inner, px(kHBarHeight));
    const int resultTop = pageY(m_queryResultTop);
    ssQueryResult->setGeometry(kMarginPx, resultTop, inner, qMax(0, h - resultTop - kMarginPx));
}

bool frmDatabaseExplorer::eventFilter(QObject* watched, QEvent* e) {
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

void frmDatabaseExplorer::LoadHistoryXML() {
    Trap(source("LoadHistoryXML"), [&] {
        if (!oLHXML) objectRequired();
        oHistoryXML = std::make_shared<cXML>();
        const HistoryFile::LoadResult result = HistoryFile::Load(*oHistoryXML, *oLHXML);
        switch (result.found) {
        case HistoryFile::Found::None:
            // First run: the default group is the current group.
            gGroupIndex = 0;
            PopulateLHXML();
            show();
            ShowImportWizard(QStringLiteral("NEW"));
            break;
        case HistoryFile::Found::Read:
            PopulateLHXML();
            break;
        case HistoryFile::Found::Damaged:
            PopulateLHXML();
            if (result.keptAs.isEmpty()) {
                m_keepHistoryFile = true;
                Critical((result.problem.isEmpty()
                              ? QStringLiteral("The history file could not be read. \"") + QDir::toNativeSeparators(HistoryFile::Path()) +
                                    QStringLiteral("\"")
                              : result.problem) +
                         QStringLiteral(" It is left as it is and will not be changed in this session."));
            } else {
                Critical(QStringLiteral("The history file could not be read. It has been kept as \"") +
                         QDir::toNativeSeparators(result.keptAs) + QStringLiteral("\" and a new history is started."));
            }
            break;
        }
    });
}

void frmDatabaseExplorer::Form_QueryUnload() {
    try {
        if (!gErrorOccurred && !m_keepHistoryFile && oLHXML && oHistoryXML) {
            GenerateHistory();
            // A history that could not be built completely is not written.
            if (!gErrorOccurred) {
                const auto saved = HistoryFile::Save(*oHistoryXML, [](const QString& text, const QString& pass) {
                    return EncryptText(text, pass);
                });
                if (saved == HistoryFile::Saved::CipherFailed)
                    Critical(QStringLiteral("The history could not be enciphered, so the history file has been left as it was."));
            }
        }
    } catch (const std::exception& e) {
        const auto [n, d] = Describe(e);
        if (n == platform::err::PermissionDenied)
            Critical(QStringLiteral("You dont have permission to create the history file"));
        else if (n == platform::err::DiskFull)
            Critical(QStringLiteral("The history could not be saved. ") + d);
        else
            ShowError(n, d, source("Form_QueryUnload"));
    }
    mbClosing = true;
}

void frmDatabaseExplorer::GenerateHistory() {
    Trap(source("GenerateHistory"), [&] { HistoryFile::Generate(*oLHXML, *oHistoryXML); });
}

void frmDatabaseExplorer::Form_Unload() {
    Trap(source("Form_Unload"), [&] {
        mQueryConnection.reset();
        if (!gErrorOccurred) ClearAllTemporaryFiles();
        UnloadAllForms(FormName());
        oADO.reset();
    });
}

// ---- the tree document -------------------------------------------------------------------

void frmDatabaseExplorer::RenameCurrentGroup(const QString& sPGroupName) {
    Trap(source("RenameCurrentGroup"), [&] {
        if (!oLHXML) objectRequired();
        TreeDocument::RenameGroup(*oLHXML, gGroupIndex, sPGroupName);
        PopulateLHXML();
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
        PopulateLHXML();
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

bool frmDatabaseExplorer::AddCSSFileNames() {
    return TrapValue(source("AddCSSFileNames"), [&] {
        const QDir styles(AppPath() + QStringLiteral("/styles"));
        if (!styles.exists()) throw platform::RuntimeError(platform::err::PathNotFound, QStringLiteral("Path not found"));
        for (const QFileInfo& file :
             styles.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase)) {
            const QString extension = file.suffix();
            if (extension != QLatin1String("css")) continue;
            QString caption = file.fileName();
            caption.remove(QLatin1Char('.') + extension, Qt::CaseSensitive);
            AddItem(mnuTemplate, mnuSubTemplate, QStringLiteral("mnuSubTemplate"), mnuSubTemplate.lastKey() + 1, caption,
                    &frmDatabaseExplorer::mnuSubTemplate_Click);
        }
        AddItem(mnuTemplate, mnuSubTemplate, QStringLiteral("mnuSubTemplate"), mnuSubTemplate.lastKey() + 1,
                QStringLiteral("Advanced Options"), &frmDatabaseExplorer::mnuSubTemplate_Click);
        return true;
    }, false);
}

void frmDatabaseExplorer::MapToolbarImages() {
    Trap(source("MapToolbarImages"), [&] {
        const struct {
            QToolBar* toolbar;
            const char* button;
            const char* picture;
        } map[] = {{tlbAdmin, "NewGroup", "DATABASEGROUP"}, {tlbAdmin, "NewDatabase", "DATABASECONNECTION"},
                   {tlbAdmin, "SaveReport", "SAVE"},        {tlbTemplate, "Template", "TEMPLATE"},
                   {tlbPreview, "SaveThisPage", "SAVE"},    {tlbPrint, "PrintThisPage", "PRINT"},
                   {tlbXMLPreviewSave, "SavePreview", "SAVE"}, {tlbXMLPreviewPrint, "PrintPreview", "PRINT"},
                   {tlbQuery, "Query", "QUERY"},            {tlbResult, "Output", "SAVE"},
                   {tlbExecute, "Execute", "EXECUTE"}};
        for (const auto& m : map) {
            QToolButton* button = Button(m.toolbar, QLatin1String(m.button));
            if (!button) objectRequired();
            button->setIcon(imlToolImage->Image(QLatin1String(m.picture)));
        }
    });
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
        if (!platform::ui::host().showHelp(gHelpFile, context))
            Critical(QStringLiteral("The help page could not be opened in a browser. You can open it yourself; it is at\r\n") +
                     QDir::toNativeSeparators(gHelpFile));
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

// ---- splitters -----------------------------------------------------------------------------

void frmDatabaseExplorer::pctSeperator_MouseDown(int, int, float X, float Y) {
    Trap(source("pctSeperator_MouseDown"), [&] {
        mSplitterDragging = true;
        mGrabX = X;
        mGrabY = Y;
    });
}

void frmDatabaseExplorer::pctSeperator_MouseMove(int Button, int Shift, float X, float Y) {
    Trap(source("pctSeperator_MouseMove"), [&] {
        if (!mSplitterDragging) return;
        const float newLeft = float(qBound(-32768, qRound(X - (mGrabX - m_barLeft)), 32767));
        if (float(width()) * kTwipsPerPixel - newLeft <= kBarMin) {
            pctSeperator_MouseUp(Button, Shift, X, Y);
            return;
        }
        m_barLeft = newLeft < kBarMin ? kBarMin : newLeft <= kBarMax ? newLeft : kBarMax;
        pctSeperator->move(px(m_barLeft), pctSeperator->y());
    });
}

void frmDatabaseExplorer::pctSeperator_MouseUp(int, int, float, float) {
    Trap(source("pctSeperator_MouseUp"), [&] {
        if (float(width()) * kTwipsPerPixel - m_panelLeft < 360) return;
        m_panelLeft = m_barLeft + kBarWidth;
        m_treeWidth = m_barLeft;
        m_layoutTwips = float(m_mainArea->width()) * kTwipsPerPixel;
        if (m_layoutTwips > 0) m_treeShare = m_barLeft / m_layoutTwips;
        LayoutMainArea();
        mSplitterDragging = false;
    });
}

void frmDatabaseExplorer::pctHSeperator_MouseDown(int, int, float X, float Y) {
    Trap(source("pctHSeperator_MouseDown"), [&] {
        mSplitterDragging = true;
        mGrabX = X;
        mGrabY = Y;
    });
}

void frmDatabaseExplorer::pctHSeperator_MouseMove(int Button, int Shift, float X, float Y) {
    Trap(source("pctHSeperator_MouseMove"), [&] {
        if (!mSplitterDragging) return;
        const float newTop = float(qBound(-32768, qRound(Y - (mGrabY - m_hBarTop)), 32767));
        if (float(height()) * kTwipsPerPixel - newTop <= kBarMin) {
            pctHSeperator_MouseUp(Button, Shift, X, Y);
            return;
        }
        m_hBarTop = newTop < kBarMin ? kBarMin : newTop <= kHBarMax ? newTop : kHBarMax;
        pctHSeperator->move(pctHSeperator->x(), px(m_hBarTop - kTabStrip));
    });
}

void frmDatabaseExplorer::pctHSeperator_MouseUp(int, int, float, float) {
    Trap(source("pctHSeperator_MouseUp"), [&] {
        if (float(height()) * kTwipsPerPixel - m_queryResultTop < 360) return;
        m_queryTextHeight = m_hBarTop - 800;
        m_queryResultTop = kHBarHeight + m_hBarTop + 50;
        LayoutQueryPage();
        mSplitterDragging = false;
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

// ---- node selection and the object list ---------------------------------------------------

namespace {

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

// The group and connection positions of the connection that node belongs to, read
// from the level codes of the connection's node and of its group's node. False when
// the node lies below no connection.
bool connectionOfNode(const QTreeWidgetItem* node, int& g, int& c) {
    for (; node; node = node->parent()) {
        const QString tag = TreeNodes::Tag(node);
        if (!IsLevelCode(tag) || LevelOf(tag) != 3) continue;
        const QString groupTag = TreeNodes::Tag(node->parent());
        if (!IsLevelCode(groupTag) || LevelOf(groupTag) != 2) return false;
        g = PositionOf(groupTag);
        c = PositionOf(tag);
        return true;
    }
    return false;
}

}  // namespace

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
        QTreeWidgetItem* node = key.isEmpty() ? nullptr : TreeNodes::FindByKey(trvMain, key);
        if (!node) node = trvMain->topLevelItem(0);
        if (!node) return;
        for (QTreeWidgetItem* up = node->parent(); up; up = up->parent()) up->setExpanded(true);
        trvMain->setCurrentItem(node);
        // Asking again whether to connect would come out of nowhere.
        if (TreeNodes::ImageKey(node) == kStopped) return;
        trvMain_NodeClick(node);
    });
}

void frmDatabaseExplorer::trvMain_NodeClick(QTreeWidgetItem* Node) {
    Trap(source("trvMain_NodeClick"), [&] {
        if (!Node) objectRequired();
        miLastNodeIndex = qint16(TreeNodes::Index(Node));
        sbPanels[1]->setText(Node->text(0));
        const QString tag = TreeNodes::Tag(Node);
        if (tag.isEmpty()) return;
        const QString key = TreeNodes::Key(Node);
        QToolButton* newDatabase = Button(tlbAdmin, QStringLiteral("NewDatabase"));
        QToolButton* newGroup = Button(tlbAdmin, QStringLiteral("NewGroup"));

        if (!IsLevelCode(tag)) {
            // An object: its details, its script or its columns.
            SetListCheckBoxes(false);
            if (!LoadCurrentDB(key)) return;
            DisplayInList(key, tag);
            PreviewHTML(tag);
            for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, true);
            gPreviewXPath = tag;
            return;
        }

        ProcessTagValue(Node);
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
            if (!LoadCurrentDB(key)) return;
            SetListCheckBoxes(true);
            CheckAll();
        }
        if (miNodeLevel >= 3) {
            for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, true);
            PreviewHTML(sXPath);
        } else {
            ssRHPanel->setCurrentIndex(0);
            for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, false);
        }
        gPreviewXPath = sXPath;
    });
}

bool frmDatabaseExplorer::ProcessTagValue(QTreeWidgetItem* Node) {
    return TrapValue(source("ProcessTagValue"), [&]() -> bool {
        if (!Node) objectRequired();
        const QString tag = TreeNodes::Tag(Node);
        const QString key = TreeNodes::Key(Node);
        if (!IsLevelCode(tag)) return key.isEmpty() ? false : LoadCurrentDB(key);

        const NodeSelection::TagValue value = NodeSelection::DecodeTag(tag);
        miSeparatorPosition = value.hasIndex ? qint16(qMax<qsizetype>(0, tag.indexOf(gDecimalSymbol) + 1)) : qint16(0);
        miNodeLevel = qint16(value.level);
        if (value.hasIndex) miNodeIndex = qint16(value.index);
        if (miNodeLevel != 2) return LoadCurrentDB(key);

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

bool frmDatabaseExplorer::LoadCurrentDB(const QString& sKey) {
    return TrapValue(source("LoadCurrentDB"), [&]() -> bool {
        if (!sKey.contains(QLatin1Char('|'))) return false;
        // The tree tells the connection's positions even when a name holds "|"; a
        // key that is in no node is read field by field.
        int g = 0, c = 0;
        if (!connectionOfNode(TreeNodes::FindByKey(trvMain, sKey), g, c) && !NodeSelection::PositionsOfKey(sKey, g, c))
            return false;
        switch (NodeSelection::MakeCurrent(g, c)) {
        case NodeSelection::Load::NoConnection: return false;
        case NodeSelection::Load::LoadFailed:
            platform::ui::host().message(QStringLiteral("Your database structure could not be loaded, please contact morvalex help"),
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
        return NodeSelection::StructurePathOfTag(TreeNodes::Tag(node));
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

// ---- previews ------------------------------------------------------------------------------

void frmDatabaseExplorer::PreviewHTML(const QString& sPreviewXPath) {
    try {
        for (int tab : {1, 2, 3}) ssRHPanel->setTabEnabled(tab, true);
        if (sPreviewXPath.isEmpty() || !oStructureXML || !oStructureXML->HasDocument()) return;
        Preview::Write(*oStructureXML, sPreviewXPath);
        // The first preview opens the files; later ones reload them.
        const std::pair<WebBrowser*, QString> views[] = {{wbReport, Preview::HtmlFile()}, {wbXMLPreview, Preview::XmlFile()}};
        for (const auto& [browser, file] : views) {
            const QString location = browser->LocationURL();
            if (location.isEmpty() || location == QLatin1String("about:blank"))
                browser->Navigate(file);
            else
                browser->Refresh();
        }
    } catch (const std::exception& e) {
        const auto [n, d] = Describe(e);
        if (n == platform::err::PermissionDenied)
            Critical(QStringLiteral("You dont have permission to create the temporary file for preview."));
        else
            ShowError(n, d, source("PreviewHTML"));
    }
}

