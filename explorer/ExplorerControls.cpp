// The main window's controls: the menus and their popups, the tool bars, the tree, the
// four tabs of the right pane, the status bar, and the pictures and template entries
// they are given at load.

#include "explorer/frmDatabaseExplorer.h"

#include "core/PasteSafe.h"
#include "core/TreeFill.h"
#include "core/bGlobal.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/PaneGeometry.h"
#include "platform/ui/Host.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace bGlobal;
using PaneGeometry::kMarginPx;
using PaneGeometry::px;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

[[noreturn]] void objectRequired() {
    throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object variable or With block variable not set"));
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
    auto* box = new PasteSafePlainTextEdit(parent);
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

// Access keys: a letter marks one control of the window (the menu bar, the tool bars of
// every tab and the tabs together), and one item of each menu.
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

    mnuApplication = newMenu("mnuApplication", "&File");
    fill(mnuApplication, mnuSubFile, "mnuSubFile", &Self::mnuSubFile_Click,
         {{0, "&Open MXS File"}, {1, "&Save MXS File"}, {2, "Save &As MXS File"}, {3, "-"}, {4, "New &Group"},
          {5, "New &Database Structure"}, {6, "-"}, {7, "E&xit"}});
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
          {6, "&Migrate"}, {7, "&Properties"}});
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
    ssRHPanel->addTab(details, QStringLiteral("Deta&ils"));

    // Tab 1: the document preview.
    auto* preview = newPreviewPage(QStringLiteral("tabDocumentPreview"));
    tlbTemplate = newToolBar(QStringLiteral("tlbTemplate"), preview);
    AddButton(tlbTemplate, QStringLiteral("Template"), QStringLiteral("&Template"), QString(), mnuTemplate,
              &frmDatabaseExplorer::tlbTemplate_ButtonClick);
    tlbPreview = newToolBar(QStringLiteral("tlbPreview"), preview);
    AddButton(tlbPreview, QStringLiteral("SaveThisPage"), QStringLiteral("Sa&ve this page"), QString(), mnuPreviewTool,
              &frmDatabaseExplorer::tlbPreview_ButtonClick);
    tlbPrint = newToolBar(QStringLiteral("tlbPrint"), preview);
    AddButton(tlbPrint, QStringLiteral("PrintThisPage"), QStringLiteral("Pri&nt this page"), QString(), nullptr,
              &frmDatabaseExplorer::tlbPrint_ButtonClick);
    wbReport = addPreviewBrowser(preview, {tlbTemplate, tlbPreview, tlbPrint}, QStringLiteral("wbReport"));
    ssRHPanel->addTab(preview, QStringLiteral("Document &Preview"));

    // Tab 2: the XML preview.
    auto* xml = newPreviewPage(QStringLiteral("tabXMLPreview"));
    tlbXMLPreviewSave = newToolBar(QStringLiteral("tlbXMLPreviewSave"), xml);
    AddButton(tlbXMLPreviewSave, QStringLiteral("SavePreview"), QStringLiteral("S&ave this XML"), QString(), mnuPreviewTool,
              &frmDatabaseExplorer::tlbXMLPreviewSave_ButtonClick);
    tlbXMLPreviewPrint = newToolBar(QStringLiteral("tlbXMLPreviewPrint"), xml);
    AddButton(tlbXMLPreviewPrint, QStringLiteral("PrintPreview"), QStringLiteral("Print this X&ML"), QString(), nullptr,
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
    AddButton(tlbQuery, QStringLiteral("Query"), QStringLiteral("Q&uery"), QString(), mnuQuery, &frmDatabaseExplorer::tlbQuery_ButtonClick);
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
    ssRHPanel->addTab(m_queryPage, QStringLiteral("Execute Quer&y"));

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
    cmdCancelQuery = new QPushButton(QStringLiteral("Cance&l"), sbMorvalex);
    cmdCancelQuery->setObjectName(QStringLiteral("cmdCancelQuery"));
    cmdCancelQuery->setToolTip(QStringLiteral("Stop the statement that runs (Esc)"));
    cmdCancelQuery->setFocusPolicy(Qt::NoFocus);
    cmdCancelQuery->hide();
    sbMorvalex->addWidget(cmdCancelQuery);
    connect(cmdCancelQuery, &QPushButton::clicked, this, [this] { cmdCancelQuery_Click(); });
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
