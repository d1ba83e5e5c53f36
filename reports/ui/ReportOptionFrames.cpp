#include "reports/ui/ReportOptionFrames.h"

#include "core/bGlobal.h"
#include "platform/ui/Host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

using namespace bGlobal;

namespace {

const QColor kGreyed(214, 211, 206);

void paintBox(QWidget* box, const QColor& color) {
    QPalette palette = box->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) palette.setColor(group, QPalette::Base, color);
    box->setPalette(palette);
}

// The control a box's Tag names: the picture box that holds it with its buttons.
QWidget* tagged(QWidget* box) {
    const QString name = box->property("Tag").toString();
    for (QWidget* w = box->parentWidget(); w; w = w->parentWidget())
        if (w->objectName() == name) return w;
    return box;
}

template <class W>
W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// A picture box holding a box and, when given, its button; the box's Tag names it.
QWidget* pictureBox(QWidget* parent, const QString& name, QLineEdit* box, QPushButton* button = nullptr) {
    auto* picture = named(new QWidget(parent), name);
    auto* row = new QHBoxLayout(picture);
    row->setContentsMargins(0, 0, 0, 0);
    box->setParent(picture);
    row->addWidget(box, 1);
    if (button) {
        button->setParent(picture);
        row->addWidget(button);
    }
    box->setProperty("Tag", name);
    return picture;
}

}  // namespace

ReportOptionFrames::ReportOptionFrames(QWidget* window, bool bEmptyOnClear)
    : QObject(window), m_window(window), m_emptyOnClear(bEmptyOnClear) {
    // The frames stand in the Report Setup dialog and on the import wizard's report
    // page: their access keys leave free the letters of the controls beside them there
    // (B, C, F, H, N, S and U).
    // HTML Paging
    fraHTMLPaging = named(new QGroupBox(QStringLiteral("HTML Paging"), window), QStringLiteral("fraHTMLPaging"));
    chkGenerateMultipleXML = named(new QCheckBox(QStringLiteral("Generate &Multiple HTML Files"), fraHTMLPaging),
                                   QStringLiteral("chkGenerateMultipleXML"));
    txtNumberOfPages = named(new QLineEdit, QStringLiteral("txtNumberOfPages"));
    lblNumberOfTables = new QLabel(QStringLiteral("Numbe&r of objects per page"), fraHTMLPaging);
    lblNumberOfTables->setObjectName(QStringLiteral("lblNumberOfTables"));
    lblNumberOfTables->setBuddy(txtNumberOfPages);
    {
        auto* v = new QVBoxLayout(fraHTMLPaging);
        v->addWidget(chkGenerateMultipleXML);
        auto* row = new QHBoxLayout;
        row->addWidget(lblNumberOfTables);
        row->addWidget(pictureBox(fraHTMLPaging, QStringLiteral("pctPages"), txtNumberOfPages));
        v->addLayout(row);
    }

    // HTML Stylesheet (CSS)
    fraCSS = named(new QGroupBox(QStringLiteral("HTML Stylesheet (CSS)"), window), QStringLiteral("fraCSS"));
    cboStyleSheet = named(new QComboBox(fraCSS), QStringLiteral("cboStyleSheet"));
    pctPreview = named(new QLabel(fraCSS), QStringLiteral("pctPreview"));
    pctPreview->setFixedSize(160, 110);
    pctPreview->setFrameShape(QFrame::Box);
    pctPreview->setScaledContents(true);
    txtCSSFileName = named(new QLineEdit, QStringLiteral("txtCSSFileName"));
    cmdOpenCSS = named(new QPushButton(QStringLiteral("&Open")), QStringLiteral("cmdOpenCSS"));
    cmdCSSHelp = named(new QPushButton(QStringLiteral("H&elp"), fraCSS), QStringLiteral("cmdCSSHelp"));
    {
        auto* grid = new QGridLayout(fraCSS);
        auto* lblStyleSheet = named(new QLabel(QStringLiteral("S&tyleSheet (CSS)"), fraCSS), QStringLiteral("lblStyleSheet"));
        lblStyleSheet->setBuddy(cboStyleSheet);
        auto* lblCSSFileName = named(new QLabel(QStringLiteral("CSS F&ileName"), fraCSS), QStringLiteral("lblCSSFileName"));
        lblCSSFileName->setBuddy(txtCSSFileName);
        grid->addWidget(lblStyleSheet, 0, 0);
        grid->addWidget(cboStyleSheet, 1, 0);
        grid->addWidget(lblCSSFileName, 2, 0);
        grid->addWidget(pictureBox(fraCSS, QStringLiteral("pctCSS"), txtCSSFileName, cmdOpenCSS), 3, 0);
        grid->addWidget(pctPreview, 0, 1, 4, 1);
        grid->addWidget(cmdCSSHelp, 4, 1, Qt::AlignRight);
        grid->setColumnStretch(0, 1);
    }

    // HTML Layout (XSL)
    fraOutputFormat = named(new QGroupBox(QStringLiteral("HTML Layout (XSL)"), window), QStringLiteral("fraOutputFormat"));
    chkOwnXSL = named(new QCheckBox(QStringLiteral("Your own &XSL"), fraOutputFormat), QStringLiteral("chkOwnXSL"));
    txtXSLFile = named(new QLineEdit, QStringLiteral("txtXSLFile"));
    cmdOpenXSL = named(new QPushButton(QStringLiteral("O&pen")), QStringLiteral("cmdOpenXSL"));
    cmdXSLHelp = named(new QPushButton(QStringLiteral("He&lp"), fraOutputFormat), QStringLiteral("cmdXSLHelp"));
    {
        auto* v = new QVBoxLayout(fraOutputFormat);
        v->addWidget(chkOwnXSL);
        v->addWidget(pictureBox(fraOutputFormat, QStringLiteral("pctOwnXSL"), txtXSLFile, cmdOpenXSL));
        v->addWidget(cmdXSLHelp, 0, Qt::AlignRight);
    }

    connect(chkGenerateMultipleXML, &QCheckBox::toggled, this, [this] { chkGenerateMultipleXML_Click(); });
    connect(chkOwnXSL, &QCheckBox::toggled, this, [this] { chkOwnXSL_Click(); });
    connect(cboStyleSheet, &QComboBox::currentIndexChanged, this, [this] { cboStyleSheet_Click(); });
    connect(cmdOpenCSS, &QPushButton::clicked, this, [this] { cmdOpenCSS_Click(); });
    connect(cmdOpenXSL, &QPushButton::clicked, this, [this] { cmdOpenXSL_Click(); });
    connect(cmdCSSHelp, &QPushButton::clicked, this, [this] { if (onHelp) onHelp(cmdCSSHelp); });
    connect(cmdXSLHelp, &QPushButton::clicked, this, [this] { if (onHelp) onHelp(cmdXSLHelp); });
}

void ReportOptionFrames::DisableControl(QWidget* box) {
    tagged(box)->setEnabled(false);
    paintBox(box, kGreyed);
}

void ReportOptionFrames::EnableControl(QWidget* box) {
    tagged(box)->setEnabled(true);
    paintBox(box, Qt::white);
}

void ReportOptionFrames::AddCSSFileNames() {
    const QSignalBlocker quiet(cboStyleSheet);
    cboStyleSheet->clear();
    cboStyleSheet->addItems(ReportSettings::StyleEntries());
    cboStyleSheet->setCurrentIndex(-1);
}

int ReportOptionFrames::StyleIndex() const { return cboStyleSheet->currentIndex(); }

bool ReportOptionFrames::CustomChosen() const {
    return cboStyleSheet->count() > 0 && cboStyleSheet->currentIndex() == cboStyleSheet->count() - 1;
}

void ReportOptionFrames::SelectStyleSheet(const QString& name) {
    QStringList entries;
    for (int i = 0; i < cboStyleSheet->count(); ++i) entries << cboStyleSheet->itemText(i);
    const int index = ReportSettings::FindStyle(entries, name);
    if (index >= 0) cboStyleSheet->setCurrentIndex(index);
}

void ReportOptionFrames::Retrieve() {
    // Setting a check box from code runs its click handling, as a user's click does.
    if (gMultiplePages) {
        chkGenerateMultipleXML->setChecked(true);
        chkGenerateMultipleXML_Click();
        txtNumberOfPages->setText(QString::number(gObjectsPerPage));
    } else {
        chkGenerateMultipleXML->setChecked(false);
        chkGenerateMultipleXML_Click();
        gObjectsPerPage = 0;
    }

    QStringList entries;
    for (int i = 0; i < cboStyleSheet->count(); ++i) entries << cboStyleSheet->itemText(i);
    const int index = ReportSettings::GetCSSIndex(entries, gReportCSSFile);
    if (cboStyleSheet->currentIndex() != index) cboStyleSheet->setCurrentIndex(index);
    else cboStyleSheet_Click();
    if (CustomChosen()) {
        txtCSSFileName->setText(gReportCSSFile);
        EnableControl(txtCSSFileName);
    } else {
        DisableControl(txtCSSFileName);
    }

    chkOwnXSL->setChecked(gOwnXSL);
    chkOwnXSL_Click();
    if (gOwnXSL) txtXSLFile->setText(gReportXSLFile);
    else txtXSLFile->clear();
}

ReportSettings::Choice ReportOptionFrames::Choice() const {
    ReportSettings::Choice c;
    c.ownXSL = chkOwnXSL->isChecked();
    c.xslFile = txtXSLFile->text();
    c.style = cboStyleSheet->currentText();
    c.cssFile = txtCSSFileName->text();
    c.paging = chkGenerateMultipleXML->isChecked();
    c.objectsPerPage = txtNumberOfPages->text();
    return c;
}

void ReportOptionFrames::chkGenerateMultipleXML_Click() {
    if (chkGenerateMultipleXML->isChecked()) {
        EnableControl(txtNumberOfPages);
    } else {
        DisableControl(txtNumberOfPages);
        if (m_emptyOnClear) txtNumberOfPages->clear();
    }
    if (onPagingClick) onPagingClick();
}

void ReportOptionFrames::chkOwnXSL_Click() {
    if (chkOwnXSL->isChecked()) {
        EnableControl(txtXSLFile);
    } else {
        DisableControl(txtXSLFile);
        if (m_emptyOnClear) txtXSLFile->clear();
    }
}

void ReportOptionFrames::cboStyleSheet_Click() {
    if (CustomChosen()) {
        EnableControl(txtCSSFileName);
    } else {
        txtCSSFileName->clear();
        DisableControl(txtCSSFileName);
    }
    const QString picture = ReportSettings::PreviewPicture(cboStyleSheet->currentText());
    if (!picture.isEmpty()) pctPreview->setPixmap(QPixmap(picture));
}

namespace {
// An open dialog starting in the reports folder; the chosen file, or "" when the user
// cancelled or kept the pattern.
QString chooseFile(const QString& filter, const QString& pattern) {
    const QString chosen = platform::ui::host().openFile(QStringLiteral("Open"), filter, gReportsFolder);
    return chosen == pattern ? QString() : chosen;
}
}  // namespace

void ReportOptionFrames::cmdOpenCSS_Click() {
    const QString file = chooseFile(QStringLiteral("Cascading Style Sheet Files | *.css"), QStringLiteral("*.css"));
    if (!file.isEmpty()) txtCSSFileName->setText(file);
}

void ReportOptionFrames::cmdOpenXSL_Click() {
    const QString file = chooseFile(QStringLiteral("XSL Files | *.xsl"), QStringLiteral("*.xsl"));
    if (!file.isEmpty()) txtXSLFile->setText(file);
}
