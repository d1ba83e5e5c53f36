#include "import/ui/frmDatabaseConnection.h"

#include "core/Hourglass.h"
#include "core/TreeFill.h"
#include "core/TreeSearch.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/frmDatabaseExplorer.h"
#include "import/CatalogueQuery.h"
#include "import/cADODB.h"
#include "import/cSQLDatabases.h"
#include "import/cSQLServers.h"
#include "platform/ui/Host.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSvgRenderer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>

using namespace bGlobal;
using platform::ui::Answer;
using platform::ui::Buttons;
using platform::ui::Icon;

namespace {

frmDatabaseConnection* g_instance = nullptr;

const QString kForm = QStringLiteral("frmDatabaseConnection.");
const QColor kGreyed(214, 211, 206);
constexpr int kTwipsPerPixel = 15;

void paintBox(QWidget* box, const QColor& color) {
    QPalette palette = box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) palette.setColor(group, QPalette::Base, color);
    box->setPalette(palette);
}

// Enables or disables the control named by the box's "Tag" property (the box itself
// when it names none, or names no control of 'window') and paints the box to match.
void setBoxEnabled(QWidget* window, QWidget* box, bool enabled) {
    const QString name = box->property("Tag").toString();
    QWidget* target = name.isEmpty() ? box : window->findChild<QWidget*>(name);
    (target ? target : box)->setEnabled(enabled);
    paintBox(box, enabled ? QColor(Qt::white) : kGreyed);
}

QLineEdit* lineEdit(QWidget* parent, const QString& name, bool password = false) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setProperty("Tag", name);
    if (password) box->setEchoMode(QLineEdit::Password);
    return box;
}

QLabel* label(QWidget* parent, const QString& text, QWidget* buddy = nullptr) {
    auto* l = new QLabel(text, parent);
    if (buddy) l->setBuddy(buddy);
    return l;
}

QString connectionPath(int g, int c) {
    return QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[%1]/DATABASECONNECTION[%2]").arg(g).arg(c);
}

QString groupPath(int g) { return QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[%1]").arg(g); }

int connectionCount(int g) {
    if (!oLHXML || !oLHXML->HasDocument()) return 0;
    const XmlNode group = oLHXML->FindNode(groupPath(g));
    return group ? int(group.childElements().size()) : 0;
}

}  // namespace

void DropDownComboBox::showPopup() {
    if (onDropDown) onDropDown();
    QComboBox::showPopup();
}

// ---- the shared instance ----------------------------------------------------------------

frmDatabaseConnection& frmDatabaseConnection::instance() {
    if (!g_instance) g_instance = new frmDatabaseConnection();
    return *g_instance;
}

bool frmDatabaseConnection::exists() { return g_instance != nullptr; }

void frmDatabaseConnection::ShowWizard(const QString& action) {
    frmDatabaseConnection& wizard = instance();
    if (!action.isEmpty()) wizard.sAction = action;
    wizard.Form_Load();
    if (wizard.m_unloaded) return;
    platform::ui::host().showModal(&wizard);
}

void frmDatabaseConnection::Install() {
    frmDatabaseExplorer::ShowImportWizard = [](const QString& action) { ShowWizard(action); };
}

frmDatabaseConnection::frmDatabaseConnection() {
    setObjectName(QStringLiteral("frmDatabaseConnection"));
    setWindowTitle(kAppTitle + QLatin1Char(' ') + kCompany);
    BuildPages();
    Forms::Register(this);
}

frmDatabaseConnection::~frmDatabaseConnection() {
    Forms::Unregister(this);
    if (g_instance == this) g_instance = nullptr;
}

// ---- building the window -----------------------------------------------------------------

QFrame* frmDatabaseConnection::BuildTitleBand(int index, const QString& main, const QString& line) {
    auto* band = new QFrame(this);
    band->setObjectName(QStringLiteral("pctTitle_%1").arg(index));
    band->setAutoFillBackground(true);
    QPalette palette = band->palette();
    palette.setColor(QPalette::Window, Qt::white);
    band->setPalette(palette);
    band->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(band);
    layout->setContentsMargins(12, 8, 12, 8);
    lblMainTitle[index] = new QLabel(main, band);
    lblMainTitle[index]->setObjectName(QStringLiteral("lblMainTitle_%1").arg(index));
    QFont bold = lblMainTitle[index]->font();
    bold.setBold(true);
    lblMainTitle[index]->setFont(bold);
    lblTitle[index] = new QLabel(line, band);
    lblTitle[index]->setObjectName(QStringLiteral("lblTitle_%1").arg(index));
    lblTitle[index]->setWordWrap(true);
    lblTitle[index]->setIndent(16);
    layout->addWidget(lblMainTitle[index]);
    layout->addWidget(lblTitle[index]);
    band->hide();
    return band;
}

void frmDatabaseConnection::AddLoginRows(QWidget* parent, QFormLayout* form, const LoginRows& rows) {
    const QString prefix = QLatin1String(rows.prefix);
    rows.login = lineEdit(parent, QStringLiteral("txt%1LoginName").arg(prefix));
    rows.password = lineEdit(parent, QStringLiteral("txt%1Password").arg(prefix), true);
    rows.blank = new QCheckBox(QStringLiteral("B&lank Password"), parent);
    rows.blank->setObjectName(QStringLiteral("chk%1BlankPassword").arg(prefix));
    form->addRow(label(parent, QStringLiteral("Login &name"), rows.login), rows.login);
    form->addRow(label(parent, QStringLiteral("&Password"), rows.password), rows.password);
    form->addRow(QString(), rows.blank);
    connect(rows.blank, &QCheckBox::toggled, this, [this, click = rows.blankClick] { (this->*click)(); });
}

QGroupBox* frmDatabaseConnection::AddAuthenticationFrame(QWidget* panel, QFormLayout* form, const QString& frameName,
                                                         const QString& serverOption, std::array<QRadioButton*, 2>& optionButtons,
                                                         void (frmDatabaseConnection::*optionClick)(int), const LoginRows& rows) {
    auto* frame = new QGroupBox(QStringLiteral("Connect using"), panel);
    frame->setObjectName(frameName);
    auto* inner = new QFormLayout(frame);
    optionButtons[0] = new QRadioButton(QStringLiteral("Use &Windows Authentication"), frame);
    optionButtons[1] = new QRadioButton(serverOption, frame);
    inner->addRow(optionButtons[0]);
    inner->addRow(optionButtons[1]);
    AddLoginRows(frame, inner, rows);
    form->addRow(frame);
    for (int i = 0; i < 2; ++i) {
        optionButtons[i]->setObjectName(QStringLiteral("opt%1Authentication_%2").arg(QLatin1String(rows.prefix)).arg(i));
        connect(optionButtons[i], &QRadioButton::toggled, this, [this, optionClick, i](bool on) {
            if (on) (this->*optionClick)(i);
        });
    }
    optionButtons[1]->setChecked(true);
    return frame;
}

QWidget* frmDatabaseConnection::BuildSQLServerPanel() {
    auto* panel = pctDBConnInfo[0];
    auto* form = new QFormLayout(panel);
    cboSQLServerName = new DropDownComboBox(panel);
    cboSQLServerName->setObjectName(QStringLiteral("cboSQLServerName"));
    cboSQLServerName->setEditable(true);
    cboSQLServerName->setInsertPolicy(QComboBox::NoInsert);
    cboSQLServerName->onDropDown = [this] { cboSQLServerName_DropDown(); };
    form->addRow(label(panel, QStringLiteral("&Server name"), cboSQLServerName), cboSQLServerName);

    fraSQLServer = AddAuthenticationFrame(
        panel, form, QStringLiteral("fraSQLServer"), QStringLiteral("Use S&QL Server Authentication"), optSQLAuthentication,
        &frmDatabaseConnection::optSQLAuthentication_Click,
        {"SQL", txtSQLLoginName, txtSQLPassword, chkSQLBlankPassword, &frmDatabaseConnection::chkSQLBlankPassword_Click});

    cboSQLDatabaseName = new DropDownComboBox(panel);
    cboSQLDatabaseName->setObjectName(QStringLiteral("cboSQLDatabaseName"));
    cboSQLDatabaseName->setEditable(true);
    cboSQLDatabaseName->setInsertPolicy(QComboBox::NoInsert);
    cboSQLDatabaseName->onDropDown = [this] { cboSQLDatabaseName_DropDown(); };
    form->addRow(label(panel, QStringLiteral("&Database"), cboSQLDatabaseName), cboSQLDatabaseName);
    return panel;
}

QWidget* frmDatabaseConnection::BuildOraclePanel() {
    auto* panel = pctDBConnInfo[1];
    auto* form = new QFormLayout(panel);
    txtOraServerName = lineEdit(panel, QStringLiteral("txtOraServerName"));
    form->addRow(label(panel, QStringLiteral("&Server name"), txtOraServerName), txtOraServerName);
    AddAuthenticationFrame(panel, form, QStringLiteral("fraOracle"), QStringLiteral("Use &Oracle Authentication"), optORAAuthentication,
                           &frmDatabaseConnection::optORAAuthentication_Click,
                           {"ORA", txtORALoginName, txtORAPassword, chkORABlankPassword, &frmDatabaseConnection::chkORABlankPassword_Click});
    return panel;
}

QWidget* frmDatabaseConnection::BuildDB2Panel() {
    auto* panel = pctDBConnInfo[2];
    auto* form = new QFormLayout(panel);
    txtDB2DataSourceName = lineEdit(panel, QStringLiteral("txtDB2DataSourceName"));
    form->addRow(label(panel, QStringLiteral("&Datasource name"), txtDB2DataSourceName), txtDB2DataSourceName);
    AddLoginRows(panel, form, {"DB2", txtDB2LoginName, txtDB2Password, chkDB2BlankPassword, &frmDatabaseConnection::chkDB2BlankPassword_Click});
    return panel;
}

QWidget* frmDatabaseConnection::BuildAccessPanel() {
    auto* panel = pctDBConnInfo[3];
    auto* form = new QFormLayout(panel);
    const auto withButton = [&](QLineEdit* box, int index) {
        auto* row = new QWidget(panel);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(box);
        cmdOpen[index] = new QPushButton(QStringLiteral("..."), row);
        cmdOpen[index]->setObjectName(QStringLiteral("cmdOpen_%1").arg(index));
        cmdOpen[index]->setFixedWidth(32);
        h->addWidget(cmdOpen[index]);
        connect(cmdOpen[index], &QPushButton::clicked, this, [this, index] { cmdOpen_Click(index); });
        return row;
    };
    txtDatabasePath = lineEdit(panel, QStringLiteral("txtDatabasePath"));
    txtAccessPassword = lineEdit(panel, QStringLiteral("txtAccessPassword"), true);
    txtWKGPDatabasePath = lineEdit(panel, QStringLiteral("txtWKGPDatabasePath"));
    txtWKGPLoginName = lineEdit(panel, QStringLiteral("txtWKGPLoginName"));
    txtWKGPPassword = lineEdit(panel, QStringLiteral("txtWKGPPassword"), true);
    form->addRow(label(panel, QStringLiteral("&Access Database"), txtDatabasePath), withButton(txtDatabasePath, 0));
    form->addRow(label(panel, QStringLiteral("Database &password (if any)"), txtAccessPassword), txtAccessPassword);
    form->addRow(label(panel, QStringLiteral("Workgroup &database (if any)"), txtWKGPDatabasePath),
                 withButton(txtWKGPDatabasePath, 1));
    form->addRow(label(panel, QStringLiteral("&Loginname"), txtWKGPLoginName), txtWKGPLoginName);
    form->addRow(label(panel, QStringLiteral("Pass&word"), txtWKGPPassword), txtWKGPPassword);
    connect(txtDatabasePath, &QLineEdit::textChanged, this, [this] { txtDatabasePath_Change(); });
    return panel;
}

QWidget* frmDatabaseConnection::BuildConnectionStringPanel() {
    auto* panel = pctDBConnInfo[4];
    auto* layout = new QVBoxLayout(panel);
    txtConnectionString = lineEdit(panel, QStringLiteral("txtConnectionString"));
    layout->addWidget(label(panel, QStringLiteral("Connection string"), txtConnectionString));
    layout->addWidget(txtConnectionString);
    layout->addStretch();
    return panel;
}

QWidget* frmDatabaseConnection::BuildXMLPanel() {
    auto* panel = pctDBConnInfo[5];
    auto* layout = new QVBoxLayout(panel);
    txtXMLPath = lineEdit(panel, QStringLiteral("txtXMLPath"));
    cmdXMLOpen = new QPushButton(QStringLiteral("&Open"), panel);
    cmdXMLOpen->setObjectName(QStringLiteral("cmdXMLOpen"));
    layout->addWidget(label(panel, QStringLiteral("Select &XML File"), txtXMLPath));
    auto* row = new QHBoxLayout();
    row->addWidget(txtXMLPath);
    row->addWidget(cmdXMLOpen);
    layout->addLayout(row);
    layout->addStretch();
    connect(cmdXMLOpen, &QPushButton::clicked, this, [this] { cmdXMLOpen_Click(); });
    return panel;
}

void frmDatabaseConnection::BuildPages() {
    resize(600, 460);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 8);
    outer->setSpacing(0);

    // Title bands over the pages that have one; pages below.
    auto* bands = new QGridLayout();
    bands->addWidget(pctTitle[1] = BuildTitleBand(1, QStringLiteral("Choose the database that you want to document"),
                                                  QStringLiteral("Which database do you want to document? You can choose a "
                                                                 "database from one of the following sources")),
                     0, 0);
    bands->addWidget(pctTitle[4] = BuildTitleBand(4, QStringLiteral("Report Options"),
                                                  QStringLiteral("Choose from the following options to customize your report")),
                     0, 0);
    bands->addWidget(pctTitle[5] = BuildTitleBand(5, QStringLiteral("Select objects to be included in report"),
                                                  QStringLiteral("You can select specific or all objects to be included in the "
                                                                 "report.")),
                     0, 0);
    outer->addLayout(bands);

    auto* pages = new QGridLayout();
    pages->setContentsMargins(12, 12, 12, 12);
    for (int i = 0; i < 6; ++i) {
        fraStep[i] = new QFrame(this);
        fraStep[i]->setObjectName(QStringLiteral("fraStep_%1").arg(i));
        fraStep[i]->hide();
        pages->addWidget(fraStep[i], 0, 0);
    }
    outer->addLayout(pages, 1);

    // Page 0: introduction.
    {
        auto* h = new QHBoxLayout(fraStep[0]);
        auto* picture = new QLabel(fraStep[0]);
        picture->setObjectName(QStringLiteral("imgWizard"));
        QPixmap pixmap(150, 300);
        pixmap.fill(Qt::white);
        QSvgRenderer svg(AppPath() + QStringLiteral("/images/vizavodizo.svg"));
        if (svg.isValid()) {
            QPainter painter(&pixmap);
            QSize size = svg.defaultSize();
            size.scale(130, 280, Qt::KeepAspectRatio);
            svg.render(&painter, QRectF((150 - size.width()) / 2.0, (300 - size.height()) / 2.0, size.width(), size.height()));
        }
        picture->setPixmap(pixmap);
        h->addWidget(picture);
        auto* v = new QVBoxLayout();
        auto* title = new QLabel(QStringLiteral("Database structure documentation wizard"), fraStep[0]);
        QFont big = title->font();
        big.setBold(true);
        big.setPointSizeF(big.pointSizeF() * 1.4);
        title->setFont(big);
        title->setWordWrap(true);
        auto* text = new QLabel(QStringLiteral("The database structure documentation wizard allows you to import database "
                                               "structure and generate reports. The wizard guides you through the steps to "
                                               "import database structure from many popular data engines."),
                                fraStep[0]);
        text->setWordWrap(true);
        v->addWidget(title);
        v->addSpacing(16);
        v->addWidget(text);
        v->addStretch();
        h->addLayout(v, 1);
    }

    // Page 1: data source.
    {
        auto* v = new QVBoxLayout(fraStep[1]);
        auto* row = new QHBoxLayout();
        cboDBTypes = new QComboBox(fraStep[1]);
        cboDBTypes->setObjectName(QStringLiteral("cboDBTypes"));
        row->addWidget(label(fraStep[1], QStringLiteral("Data &Engine"), cboDBTypes));
        row->addWidget(cboDBTypes, 1);
        v->addLayout(row);
        auto* panels = new QGridLayout();
        for (int i = 0; i < 6; ++i) {
            pctDBConnInfo[i] = new QFrame(fraStep[1]);
            pctDBConnInfo[i]->setObjectName(QStringLiteral("pctDBConnInfo_%1").arg(i));
            pctDBConnInfo[i]->setVisible(i == 0);
            panels->addWidget(pctDBConnInfo[i], 0, 0);
        }
        BuildSQLServerPanel();
        BuildOraclePanel();
        BuildDB2Panel();
        BuildAccessPanel();
        BuildConnectionStringPanel();
        BuildXMLPanel();
        v->addLayout(panels, 1);
        connect(cboDBTypes, &QComboBox::currentIndexChanged, this, [this] { cboDBTypes_Click(); });
    }

    // Page 2: import progress.
    {
        auto* v = new QVBoxLayout(fraStep[2]);
        v->addStretch();
        v->addWidget(new QLabel(QStringLiteral("Importing structure of the selected database."), fraStep[2]));
        pctProgress = new QFrame(fraStep[2]);
        pctProgress->setObjectName(QStringLiteral("pctProgress"));
        pctProgress->setFrameShape(QFrame::Panel);
        pctProgress->setFrameShadow(QFrame::Sunken);
        pctProgress->setFixedHeight(24);
        shpProgress = new QFrame(pctProgress);
        shpProgress->setObjectName(QStringLiteral("shpProgress"));
        shpProgress->setAutoFillBackground(true);
        QPalette palette = shpProgress->palette();
        palette.setColor(QPalette::Window, QColor(0, 0, 128));
        shpProgress->setPalette(palette);
        shpProgress->setGeometry(2, 2, 0, 20);
        v->addWidget(pctProgress);
        lblStatus = new QLabel(fraStep[2]);
        lblStatus->setObjectName(QStringLiteral("lblStatus"));
        v->addWidget(lblStatus);
        v->addStretch();
    }

    // Page 3: summary.
    {
        auto* v = new QVBoxLayout(fraStep[3]);
        auto* title = new QLabel(QStringLiteral("Completing Morvalex database structure import wizard"), fraStep[3]);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        v->addWidget(title);
        txtSummary = new QPlainTextEdit(fraStep[3]);
        txtSummary->setObjectName(QStringLiteral("txtSummary"));
        txtSummary->setReadOnly(true);
        v->addWidget(txtSummary, 1);
        auto* ready = new QLabel(QStringLiteral("The database structure is now ready for import. Click Finish to import the "
                                                "database structure."),
                                 fraStep[3]);
        ready->setWordWrap(true);
        v->addWidget(ready);
        v->addWidget(new QLabel(QStringLiteral("Click More if you want to generate a customized report and import the "
                                               "structure."),
                                fraStep[3]));
    }

    BuildReportOptionsPage();

    // Page 5: objects for the report.
    {
        auto* v = new QVBoxLayout(fraStep[5]);
        trvMain = new QTreeWidget(fraStep[5]);
        trvMain->setObjectName(QStringLiteral("trvMain"));
        trvMain->setHeaderHidden(true);
        trvMain->setFrameShape(QFrame::Box);
        v->addWidget(trvMain, 1);
        auto* row = new QHBoxLayout();
        cmdSelectAll = new QPushButton(QStringLiteral("Select All"), fraStep[5]);
        cmdSelectAll->setObjectName(QStringLiteral("cmdSelectAll"));
        cmdDeselectAll = new QPushButton(QStringLiteral("Deselect All"), fraStep[5]);
        cmdDeselectAll->setObjectName(QStringLiteral("cmdDeselectAll"));
        row->addWidget(cmdSelectAll);
        row->addWidget(cmdDeselectAll);
        row->addStretch();
        cmdPreview = new QPushButton(QStringLiteral("Preview"), fraStep[5]);
        cmdPreview->setObjectName(QStringLiteral("cmdPreview"));
        row->addWidget(cmdPreview);
        connect(cmdPreview, &QPushButton::clicked, this, [this] { cmdPreview_Click(); });
        v->addLayout(row);
        connect(cmdSelectAll, &QPushButton::clicked, this, [this] { cmdSelectAll_Click(); });
        connect(cmdDeselectAll, &QPushButton::clicked, this, [this] { cmdDeselectAll_Click(); });
        connect(trvMain, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
            if (column == 0 && !m_checking) trvMain_NodeCheck(item);
        });
    }

    // Buttons.
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    outer->addWidget(line);
    auto* buttons = new QHBoxLayout();
    buttons->setContentsMargins(12, 8, 12, 0);
    buttons->addStretch();
    const std::array<QString, 4> captions = {QStringLiteral("&Cancel"), QStringLiteral("< &Back"), QStringLiteral("&Next >"),
                                             QStringLiteral("&Finish")};
    for (int i = 0; i < 4; ++i) {
        cmdNavigate[i] = new QPushButton(captions[i], this);
        cmdNavigate[i]->setObjectName(QStringLiteral("cmdNavigate_%1").arg(i));
        cmdNavigate[i]->setAutoDefault(false);
        connect(cmdNavigate[i], &QPushButton::clicked, this, [this, i] { cmdNavigate_Click(i); });
    }
    buttons->addWidget(cmdNavigate[1]);
    buttons->addWidget(cmdNavigate[2]);
    buttons->addSpacing(12);
    buttons->addWidget(cmdNavigate[3]);
    buttons->addSpacing(12);
    buttons->addWidget(cmdNavigate[0]);
    outer->addLayout(buttons);
}

// ---- greyed boxes and the status line -------------------------------------------------------

void frmDatabaseConnection::DisableControl(QWidget* box) {
    Trap(kForm + QStringLiteral("DisableControl"), [&] { setBoxEnabled(this, box, false); });
}

void frmDatabaseConnection::EnableControl(QWidget* box) {
    Trap(kForm + QStringLiteral("EnableControl"), [&] { setBoxEnabled(this, box, true); });
}

void frmDatabaseConnection::DisplayStatus(const QString& text) { lblStatus->setText(text); }

// ---- loading ------------------------------------------------------------------------------

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

void frmDatabaseConnection::DisplayStep1() {
    for (int i = 0; i < 6; ++i) fraStep[i]->setVisible(i == nStep);
    cmdNavigate[1]->setEnabled(false);
    cmdNavigate[3]->setEnabled(false);
    cmdNavigate[2]->setEnabled(true);
    cmdNavigate[0]->setEnabled(true);
}

void frmDatabaseConnection::AddDBTypes() {
    Trap(kForm + QStringLiteral("AddDBTypes"), [&] {
        const QSignalBlocker quiet(cboDBTypes);
        cboDBTypes->clear();
        cboDBTypes->addItem(QStringLiteral("Choose a data source type"), 0);
        for (int i = 1; i < gDBTypeNames.size(); ++i)
            if (!gDBTypeNames.at(i).trimmed().isEmpty()) cboDBTypes->addItem(gDBTypeNames.at(i), i);
        cboDBTypes->setCurrentIndex(-1);
    });
    // Selecting an entry runs the type list's click, as a user's choice does.
    cboDBTypes->setCurrentIndex(sAction == QLatin1String("REFRESH") ? gDatabaseType : 0);
}

void frmDatabaseConnection::RetrieveDBInfo() {
    Trap(kForm + QStringLiteral("RetrieveDBInfo"), [&] {
        switch (gDatabaseType) {
        case dbSQLServer2000:
        case dbSQLServer70:
        case dbSQLServer65:
            cboSQLServerName->setEditText(gServerName);
            cboSQLDatabaseName->setEditText(gDataSource);
            break;
        case dbOracle9i:
        case dbOracle8i:
        case dbOracle7:
        case dbPersonalOracle:
            txtOraServerName->setText(gServerName);
            if (gAuthentication == QLatin1String("WINDOWS")) {
                optORAAuthentication[0]->setChecked(true);
            } else if (gAuthentication == QLatin1String("ORACLE")) {
                optORAAuthentication[1]->setChecked(true);
                txtORALoginName->setText(gLoginName);
                txtORAPassword->setText(gPassword);
            }
            break;
        case dbAccessXP:
        case dbAccess2000:
        case dbAccess97:
            txtDatabasePath->setText(gDataSource);
            txtAccessPassword->setText(gAccessPassword);
            if (!gWorkgroupDBPath.isEmpty()) {
                txtWKGPDatabasePath->setText(gWorkgroupDBPath);
                txtWKGPLoginName->setText(gLoginName);
                txtWKGPPassword->setText(gPassword);
            }
            break;
        case dbIBMDB2:
            txtDB2DataSourceName->setText(gDatabaseName);
            txtDB2LoginName->setText(gLoginName);
            txtDB2Password->setText(gPassword);
            break;
        case dbOthers: txtConnectionString->setText(gConnectionString); break;
        default: break;
        }
    });
}

// ---- the type list and the panels ----------------------------------------------------------

void frmDatabaseConnection::cboDBTypes_Click() {
    Trap(kForm + QStringLiteral("cboDBTypes_Click"), [&] {
        const int position = cboDBTypes->currentIndex();
        const bool valid = position >= 1 && position < gDBTypeNames.size();
        for (QFrame* panel : pctDBConnInfo) panel->setEnabled(valid);
        fraSQLServer->setEnabled(valid);
        if (!valid) return;
        nDBType = qint16(cboDBTypes->itemData(position).toInt());
        gDatabaseType = nDBType;
        const int shown = gDBPanelIndex.at(nDBType);
        for (int i = 0; i < 6; ++i) pctDBConnInfo[i]->setVisible(i == shown);
    });
}

void frmDatabaseConnection::ShowLoginRows(int Index, QLineEdit* login, QLineEdit* password, QCheckBox* blank) {
    if (Index == 0) {
        DisableControl(login);
        DisableControl(password);
        blank->setEnabled(false);
    } else {
        EnableControl(login);
        ShowBlankPassword(blank, password);
        blank->setEnabled(true);
    }
}

void frmDatabaseConnection::ShowBlankPassword(QCheckBox* blank, QLineEdit* password) {
    if (blank->isChecked())
        DisableControl(password);
    else
        EnableControl(password);
}

void frmDatabaseConnection::optSQLAuthentication_Click(int Index) {
    Trap(kForm + QStringLiteral("optSQLAuthentication_Click"),
         [&] { ShowLoginRows(Index, txtSQLLoginName, txtSQLPassword, chkSQLBlankPassword); });
}

void frmDatabaseConnection::optORAAuthentication_Click(int Index) {
    Trap(kForm + QStringLiteral("optORAAuthentication_Click"),
         [&] { ShowLoginRows(Index, txtORALoginName, txtORAPassword, chkORABlankPassword); });
}

void frmDatabaseConnection::chkSQLBlankPassword_Click() { ShowBlankPassword(chkSQLBlankPassword, txtSQLPassword); }

void frmDatabaseConnection::chkORABlankPassword_Click() { ShowBlankPassword(chkORABlankPassword, txtORAPassword); }

void frmDatabaseConnection::chkDB2BlankPassword_Click() { ShowBlankPassword(chkDB2BlankPassword, txtDB2Password); }

void frmDatabaseConnection::txtDatabasePath_Change() {
    Trap(kForm + QStringLiteral("txtDatabasePath_Change"), [&] {
        const bool empty = txtDatabasePath->text().isEmpty();
        for (QLineEdit* box : {txtAccessPassword, txtWKGPDatabasePath, txtWKGPLoginName, txtWKGPPassword}) {
            if (empty)
                DisableControl(box);
            else
                EnableControl(box);
        }
    });
}

void frmDatabaseConnection::cboSQLServerName_DropDown() {
    Trap(kForm + QStringLiteral("cboSQLServerName_DropDown"), [&] {
        if (cboSQLServerName->count() > 0) return;
        QString list;
        {
            Hourglass wait;
            list = cSQLServers().GetServersList();
        }
        if (list.isEmpty()) return;
        const QString typed = cboSQLServerName->currentText();
        const QSignalBlocker quiet(cboSQLServerName);
        cboSQLServerName->addItems(list.split(QLatin1Char(',')));
        int selected = -1;
        for (int i = 0; i < cboSQLServerName->count(); ++i)
            if (cboSQLServerName->itemText(i).compare(gServerName, Qt::CaseInsensitive) == 0) selected = i;
        cboSQLServerName->setCurrentIndex(selected);
        if (selected < 0) cboSQLServerName->setEditText(typed);
    });
}

void frmDatabaseConnection::cboSQLDatabaseName_DropDown() {
    Trap(kForm + QStringLiteral("cboSQLDatabaseName_DropDown"), [&] {
        const QString typed = cboSQLDatabaseName->currentText();
        const QSignalBlocker quiet(cboSQLDatabaseName);
        cboSQLDatabaseName->clear();
        cboSQLDatabaseName->setEditText(typed);
        const QString server = cboSQLServerName->currentText();
        const bool windows = optSQLAuthentication[0]->isChecked();
        if (server.isEmpty()) return;
        if (!windows && txtSQLLoginName->text().isEmpty()) return;
        QString list;
        {
            Hourglass wait;
            list = windows ? cSQLDatabases().GetDatabasesList(server, true, QString(), QString())
                           : cSQLDatabases().GetDatabasesList(server, false, txtSQLLoginName->text(), txtSQLPassword->text());
        }
        if (list.contains(QLatin1String("ERROR"))) {
            Critical(QStringLiteral("Check the login name and password and try again."));
            return;
        }
        if (list.isEmpty()) return;
        cboSQLDatabaseName->addItems(list.split(QLatin1Char(',')));
        int selected = -1;
        for (int i = 0; i < cboSQLDatabaseName->count(); ++i)
            if (cboSQLDatabaseName->itemText(i).compare(gDatabaseName, Qt::CaseInsensitive) == 0) selected = i;
        cboSQLDatabaseName->setCurrentIndex(selected);
        if (selected < 0) cboSQLDatabaseName->setEditText(typed);
    });
}

void frmDatabaseConnection::cmdOpen_Click(int Index) {
    Trap(kForm + QStringLiteral("cmdOpen_Click"), [&] {
        const bool workgroup = Index == 1;
        const QString placeholder = workgroup ? QStringLiteral("*.mdw") : QStringLiteral("*.mdb");
        const QString filter = workgroup ? QStringLiteral("Microsoft Access System Database | *.mdw")
                                         : QStringLiteral("Microsoft Access Database | *.mdb");
        const QString chosen = platform::ui::host().openFile(QStringLiteral("Open"), filter, gReportsFolder);
        if (chosen.isEmpty() || QFileInfo(chosen).fileName() == placeholder) return;
        (workgroup ? txtWKGPDatabasePath : txtDatabasePath)->setText(chosen);
    });
}

void frmDatabaseConnection::cmdXMLOpen_Click() {
    Trap(kForm + QStringLiteral("cmdXMLOpen_Click"), [&] {
        const QString chosen =
            platform::ui::host().openFile(QStringLiteral("Open"), QStringLiteral("XML Files | *.xml"), gReportsFolder);
        if (chosen.isEmpty() || QFileInfo(chosen).fileName() == QLatin1String("*.xml")) return;
        txtXMLPath->setText(chosen);
    });
}

// ---- connecting -----------------------------------------------------------------------------

ConnectionPanelFields frmDatabaseConnection::PanelFields() const {
    ConnectionPanelFields f;
    const auto listed = [](const QComboBox* box) {
        const int i = box->currentIndex();
        return i >= 0 && box->itemText(i) == box->currentText();
    };
    f.cboSQLServerName = cboSQLServerName->currentText();
    f.bSQLServerNameListed = listed(cboSQLServerName);
    f.cboSQLDatabaseName = cboSQLDatabaseName->currentText();
    f.bSQLDatabaseNameListed = listed(cboSQLDatabaseName);
    f.optSQLAuthentication = optSQLAuthentication[0]->isChecked() ? 0 : 1;
    f.txtSQLLoginName = txtSQLLoginName->text();
    f.txtSQLPassword = txtSQLPassword->text();
    f.chkSQLBlankPassword = chkSQLBlankPassword->isChecked();
    f.txtOraServerName = txtOraServerName->text();
    f.optORAAuthentication = optORAAuthentication[0]->isChecked() ? 0 : 1;
    f.txtORALoginName = txtORALoginName->text();
    f.txtORAPassword = txtORAPassword->text();
    f.chkORABlankPassword = chkORABlankPassword->isChecked();
    f.txtDatabasePath = txtDatabasePath->text();
    f.txtAccessPassword = txtAccessPassword->text();
    f.txtWKGPDatabasePath = txtWKGPDatabasePath->text();
    f.txtWKGPLoginName = txtWKGPLoginName->text();
    f.txtWKGPPassword = txtWKGPPassword->text();
    f.txtDB2DataSourceName = txtDB2DataSourceName->text();
    f.txtDB2LoginName = txtDB2LoginName->text();
    f.txtDB2Password = txtDB2Password->text();
    f.chkDB2BlankPassword = chkDB2BlankPassword->isChecked();
    f.txtConnectionString = txtConnectionString->text();
    return f;
}

void frmDatabaseConnection::SetPanelFields(const ConnectionPanelFields& f) {
    const auto setText = [](QLineEdit* box, const QString& text) {
        if (box->text() != text) box->setText(text);
    };
    if (cboSQLServerName->currentText() != f.cboSQLServerName) cboSQLServerName->setEditText(f.cboSQLServerName);
    if (cboSQLDatabaseName->currentText() != f.cboSQLDatabaseName) cboSQLDatabaseName->setEditText(f.cboSQLDatabaseName);
    setText(txtSQLLoginName, f.txtSQLLoginName);
    setText(txtOraServerName, f.txtOraServerName);
    setText(txtORALoginName, f.txtORALoginName);
    setText(txtDatabasePath, f.txtDatabasePath);
    setText(txtWKGPDatabasePath, f.txtWKGPDatabasePath);
    setText(txtWKGPLoginName, f.txtWKGPLoginName);
    setText(txtDB2DataSourceName, f.txtDB2DataSourceName);
    setText(txtDB2LoginName, f.txtDB2LoginName);
}

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
        if (!gDatabaseName.isEmpty() && SearchInLHXML(gDatabaseName) > 0) {
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
        RememberAddedConnection();
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

void frmDatabaseConnection::RememberAddedConnection() {
    m_added = {};
    if (!oLHXML) return;
    const XmlNode node = oLHXML->FindNode(connectionPath(gGroupIndex, gConnectionIndex));
    if (!node) return;
    m_added = {true, gGroupIndex, gConnectionIndex, node.attribute(QStringLiteral("Key"))};
}

void frmDatabaseConnection::RemoveAddedConnection() {
    if (!m_added.present) return;
    const AddedConnection added = m_added;
    m_added = {};
    if (!oLHXML || !oLHXML->HasDocument()) return;
    const XmlNode node = oLHXML->FindNode(connectionPath(added.group, added.connection));
    if (!node || node.attribute(QStringLiteral("Key")) != added.key) return;
    oLHXML->RemoveXPath(groupPath(added.group), QStringLiteral("DATABASECONNECTION[%1]").arg(added.connection));
}

bool frmDatabaseConnection::StructureFileNext() {
    oStructureXML = std::make_shared<cXML>();
    gStructureFilePath = txtXMLPath->text();
    oStructureXML->LoadXMLFile(gStructureFilePath);
    QString content = oStructureXML->GetXMLContent();
    return ValidateXML(gStructureFilePath, content, true, QStringLiteral("xml"));
}

// ---- pages and navigation --------------------------------------------------------------------

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
    bool back = false, next = false, finish = false;
    switch (nStep) {
    case 0: next = true; break;
    case 1: back = next = true; break;
    case 2: back = importFailed; break;
    case 3:
    case 4: next = finish = true; break;
    case 5: back = finish = true; break;
    default: break;
    }
    cmdNavigate[0]->setEnabled(true);
    cmdNavigate[1]->setEnabled(back);
    cmdNavigate[2]->setEnabled(next);
    cmdNavigate[3]->setEnabled(finish);
    cmdNavigate[2]->setText(nStep == 3 ? QStringLiteral("More >>") : QStringLiteral("Next >"));
}

void frmDatabaseConnection::cmdNavigate_Click(int Index) {
    if (m_unloaded) return;
    // While a connection is being opened only Cancel acts.
    if (m_connecting) {
        if (Index == 0) RequestUnloadAfterConnect(vbFormCode);
        return;
    }
    Trap(kForm + QStringLiteral("cmdNavigate_Click"), [&] {
        switch (Index) {
        case 0: UnloadWith(vbFormCode); return;
        case 1:
            if (nStep <= 0) return;
            --nStep;
            ShowStep();
            return;
        case 3: {
            UpdateXMLForReport();
            SaveTempFile();
            frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
            explorer.PopulateLHXML();
            explorer.SaveMenus(true);
            explorer.FocusConnection();
            m_added = {};  // the entry stays
            m_treeShown = true;
            if (nStep == 5 && FinalSave()) OpenReport();
            bFinished = true;
            UnloadWith(vbFormCode);
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
                RemoveAddedConnection();
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

void frmDatabaseConnection::RunImport() {
    SetButtons();
    if (cboDBTypes->currentIndex() == dbMorvalexXML) {
        frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
        const int before = connectionCount(gGroupIndex);
        const bool generated = explorer.GenerateLHXML();
        if (m_unloaded) return;
        if (!generated || connectionCount(gGroupIndex) == before) {
            // Nothing was added (the user kept the connection there was): back to the
            // data-source page, so nothing else gets this structure.
            nStep = 1;
            ShowStep();
            return;
        }
        RememberAddedConnection();
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
    const int boxTwips = pctProgress->width() * kTwipsPerPixel;
    if (m_barTwips <= boxTwips - 150)
        m_barTwips += increment;
    else
        m_barTwips = 100 + increment;
}

QString frmDatabaseConnection::GenerateSummary() {
    return TrapValue(kForm + QStringLiteral("GenerateSummary"), [&] {
        // A kind the import does not read for this type is "not read", not a count of 0.
        const auto count = [](const char* path, int kind) -> QString {
            if (!cADODB::ReadsKind(gDatabaseType, kind)) return QStringLiteral("not read");
            if (!oStructureXML || !oStructureXML->HasDocument()) return QStringLiteral("0");
            return QString::number(oStructureXML->GetNodes(QLatin1String(path)).size());
        };
        const QString crlf = QStringLiteral("\r\n");
        return QStringLiteral("Server Name: ") + gServerName + crlf + QStringLiteral("Database Name: ") + gDatabaseName + crlf +
               QStringLiteral("Number of Tables: ") + count("/DATABASE/TABLE", catalogue::Tables) + crlf +
               QStringLiteral("Number of Views: ") + count("/DATABASE/VIEW", catalogue::Views) + crlf +
               QStringLiteral("Number of Stored procedures: ") + count("/DATABASE/STOREDPROCEDURE", catalogue::Procedures) + crlf +
               QStringLiteral("Number of Triggers: ") + count("/DATABASE/TABLE/TRIGGER", catalogue::Triggers) + crlf +
               QStringLiteral("Number of Indexes: ") + count("/DATABASE/TABLE/INDEX", catalogue::Indexes) + crlf;
    }, QString());
}

// ---- report pages ----------------------------------------------------------------------------
// Page 4's output, destination and report options are in ReportPages.cpp.

void frmDatabaseConnection::InitializeTreeView() {
    Trap(kForm + QStringLiteral("InitializeTreeView"), [&] {
        const QSignalBlocker quiet(trvMain);
        TreeNodes::Clear(trvMain);
        if (!oLHXML) return;
        const XmlNode connection = oLHXML->FindNode(connectionPath(gGroupIndex, gConnectionIndex));
        if (!connection) return;
        QTreeWidgetItem* root = TreeNodes::Add(trvMain, nullptr, connection.attribute(QStringLiteral("Key")),
                                               connection.attribute(QStringLiteral("Name")));
        TreeNodes::SetTag(root, connection.attribute(QStringLiteral("RHXPath")));
        DisplayNodes(*this, connection);
        for (QTreeWidgetItemIterator it(trvMain); *it; ++it) {
            (*it)->setFlags((*it)->flags() | Qt::ItemIsUserCheckable);
            (*it)->setCheckState(0, Qt::Unchecked);
        }
        trvMain->expandAll();
    });
}

void frmDatabaseConnection::TreeCheck(bool checked) {
    const QSignalBlocker quiet(trvMain);
    for (QTreeWidgetItemIterator it(trvMain); *it; ++it) (*it)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void frmDatabaseConnection::SelectChildren(QTreeWidgetItem* node) {
    for (int i = 0; i < node->childCount(); ++i) {
        QTreeWidgetItem* child = node->child(i);
        child->setCheckState(0, node->checkState(0));
        SelectChildren(child);
    }
}

void frmDatabaseConnection::trvMain_NodeCheck(QTreeWidgetItem* Node) {
    Trap(kForm + QStringLiteral("trvMain_NodeCheck"), [&] {
        m_checking = true;
        SelectChildren(Node);
        m_checking = false;
    });
    m_checking = false;
}

void frmDatabaseConnection::cmdSelectAll_Click() {
    TreeCheck(true);
    cmdSelectAll->setEnabled(false);
    cmdDeselectAll->setEnabled(true);
}

void frmDatabaseConnection::cmdDeselectAll_Click() {
    TreeCheck(false);
    cmdSelectAll->setEnabled(true);
    cmdDeselectAll->setEnabled(false);
}

bool frmDatabaseConnection::UpdateXMLForReport() {
    return TrapValue(kForm + QStringLiteral("UpdateXMLForReport"), [&] {
        QList<QTreeWidgetItem*> nodes;
        for (QTreeWidgetItemIterator it(trvMain); *it; ++it) nodes << *it;
        std::stable_sort(nodes.begin(), nodes.end(), [](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
            return TreeNodes::Index(a) < TreeNodes::Index(b);
        });
        if (!oStructureXML || !oStructureXML->HasDocument()) return true;
        for (QTreeWidgetItem* node : nodes) {
            const QString flag = node->checkState(0) == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
            const QString tag = TreeNodes::Tag(node);
            QString path;
            if (IsLevelCode(tag)) {
                // A folder of a table (indexes, triggers, foreign keys) leads into its
                // own table, the one its code names.
                const qint16 level = qint16(LevelOf(tag));
                const qint16 table = gTableIndex;
                if (level >= 5 && level <= 7) gTableIndex = qint16(PositionOf(tag));
                path = GetXPath(level);
                gTableIndex = table;
            } else {
                path = tag;
            }
            if (path.isEmpty()) continue;
            XmlNode target = oStructureXML->FindNode(path);
            if (target && target.hasAttribute(QStringLiteral("Report"))) target.setAttribute(QStringLiteral("Report"), flag);
        }
        return true;
    }, false);
}

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
            RemoveAddedConnection();
            bImported = false;
            break;
        case 2:
            if (platform::ui::host().message(QStringLiteral("Are you sure you want to cancel the import?"), Icon::Question,
                                             Buttons::YesNo, kAppTitle) == Answer::Yes) {
                RemoveAddedConnection();
                bImported = false;
            } else {
                bImported = true;
            }
            break;
        default: {
            const Answer answer = platform::ui::host().message(QStringLiteral("Do you want to import the database structure?"),
                                                               Icon::None, Buttons::YesNoCancel, kAppTitle);
            if (answer == Answer::Yes) {
                UpdateXMLForReport();
                SaveTempFile();
                frmDatabaseExplorer& explorer = frmDatabaseExplorer::instance();
                explorer.PopulateLHXML();
                explorer.SaveMenus(true);
                explorer.FocusConnection();
                m_added = {};
                m_treeShown = true;
                bImported = false;
            } else if (answer == Answer::No) {
                RemoveAddedConnection();
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
    // A closed wizard leaves the main window's tree and list showing the tree document.
    if (!m_treeShown && !gErrorOccurred && frmDatabaseExplorer::exists() && frmDatabaseExplorer::instance().IsLoaded() && oLHXML)
        frmDatabaseExplorer::instance().RefreshTreeKeepingSelection();
    Forms::Unregister(this);
    if (g_instance == this) g_instance = nullptr;
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
