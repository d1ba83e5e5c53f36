// The import wizard's window: its six pages, the data-source panels and the buttons.

#include "core/bGlobal.h"
#include "import/ui/frmDatabaseConnection.h"

#include <QCheckBox>
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
#include <QVBoxLayout>

using namespace bGlobal;

namespace {

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

}  // namespace

void DropDownComboBox::showPopup() {
    if (onDropDown) onDropDown();
    QComboBox::showPopup();
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
