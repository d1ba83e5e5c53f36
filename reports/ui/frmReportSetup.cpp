#include "reports/ui/frmReportSetup.h"

#include "core/bGlobal.h"
#include "platform/ui/Host.h"
#include "reports/ReportSettings.h"
#include "reports/ui/ReportOptionFrames.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace bGlobal;

namespace {

const QString kForm = QStringLiteral("frmReportSetup.");
constexpr int vbKeyBack = 8;

QLineEdit* taggedBox(QWidget* parent, const QString& name, const QString& picture) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setProperty("Tag", picture);
    return box;
}

}  // namespace

bool frmReportSetup::ShowSetup() {
    frmReportSetup& dialog = instance();
    dialog.Form_Load();
    platform::ui::host().showModal(&dialog);
    // OK and Cancel close the dialog; it unloads here (deleted later), so every
    // opening starts again from the globals.
    const bool stored = dialog.m_stored;
    dialog.Unload();
    return stored;
}

frmReportSetup::frmReportSetup() {
    setObjectName(QStringLiteral("frmReportSetup"));
    setWindowTitle(QStringLiteral("Report Setup"));
    setModal(true);
    options = new ReportOptionFrames(this, true);
    options->onHelp = [this](QWidget* c) { KeyHelp(c); };

    fraXMLSetting = new QGroupBox(QStringLiteral("XML Options"), this);
    fraXMLSetting->setObjectName(QStringLiteral("fraXMLSetting"));
    chkNameSpace = new QCheckBox(QStringLiteral("&Custom Namespace"), fraXMLSetting);
    chkNameSpace->setObjectName(QStringLiteral("chkNameSpace"));
    auto* pctNamespace = new QWidget(fraXMLSetting);
    pctNamespace->setObjectName(QStringLiteral("pctNamespace"));
    txtNamespace = taggedBox(pctNamespace, QStringLiteral("txtNamespace"), QStringLiteral("pctNamespace"));
    auto* pctNameSpaceURI = new QWidget(fraXMLSetting);
    pctNameSpaceURI->setObjectName(QStringLiteral("pctNameSpaceURI"));
    txtNameSpaceURI = taggedBox(pctNameSpaceURI, QStringLiteral("txtNameSpaceURI"), QStringLiteral("pctNameSpaceURI"));
    for (auto [picture, box] : {std::pair{pctNamespace, txtNamespace}, std::pair{pctNameSpaceURI, txtNameSpaceURI}}) {
        auto* row = new QHBoxLayout(picture);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(box);
    }
    {
        auto* grid = new QGridLayout(fraXMLSetting);
        auto* lblNamespaceName = new QLabel(QStringLiteral("&Namespace Name"), fraXMLSetting);
        lblNamespaceName->setObjectName(QStringLiteral("lblNamespaceName"));
        lblNamespaceName->setBuddy(txtNamespace);
        auto* lblNamespaceURI = new QLabel(QStringLiteral("Namespace &URI"), fraXMLSetting);
        lblNamespaceURI->setObjectName(QStringLiteral("lblNamespaceURI"));
        lblNamespaceURI->setBuddy(txtNameSpaceURI);
        grid->addWidget(chkNameSpace, 0, 0, 1, 2);
        grid->addWidget(lblNamespaceName, 1, 0);
        grid->addWidget(pctNamespace, 1, 1);
        grid->addWidget(lblNamespaceURI, 2, 0);
        grid->addWidget(pctNameSpaceURI, 2, 1);
    }
    txtNamespace->installEventFilter(this);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    cmdHelp = new QPushButton(QStringLiteral("&Help"), this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));

    auto* grid = new QGridLayout;
    grid->addWidget(options->fraHTMLPaging, 0, 0);
    grid->addWidget(fraXMLSetting, 0, 1);
    grid->addWidget(options->fraCSS, 1, 0, 1, 2);
    grid->addWidget(options->fraOutputFormat, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelp);
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(grid);
    outer->addLayout(buttons);

    connect(chkNameSpace, &QCheckBox::toggled, this, [this] { chkNameSpace_Click(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });
    connect(cmdHelp, &QPushButton::clicked, this, [this] { KeyHelp(cmdHelp); });
}

void frmReportSetup::Unload() {
    hide();
    ReleaseInstance();
    deleteLater();
}

void frmReportSetup::Form_Load() {
    if (m_loaded) return;
    m_loaded = true;
    Trap(kForm + QStringLiteral("Form_Load"), [&] {
        options->AddCSSFileNames();
        RetrieveReportSettings();
    });
}

void frmReportSetup::RetrieveReportSettings() {
    Trap(kForm + QStringLiteral("RetrieveReportSettings"), [&] {
        if (!gReportNameSpace.isEmpty()) {
            txtNamespace->setText(gReportNameSpace);
            txtNameSpaceURI->setText(gReportNameSpaceURI);
            chkNameSpace->setChecked(true);
        } else {
            chkNameSpace->setChecked(false);
            txtNamespace->clear();
        }
        chkNameSpace_Click();
        options->Retrieve();
    });
}

void frmReportSetup::chkNameSpace_Click() {
    for (QWidget* box : {static_cast<QWidget*>(txtNamespace), static_cast<QWidget*>(txtNameSpaceURI)}) {
        if (chkNameSpace->isChecked()) ReportOptionFrames::EnableControl(box);
        else ReportOptionFrames::DisableControl(box);
    }
}

bool frmReportSetup::txtNamespace_KeyPress(int KeyAscii) {
    return (KeyAscii >= 'A' && KeyAscii <= 'Z') || (KeyAscii >= 'a' && KeyAscii <= 'z') || KeyAscii == vbKeyBack;
}

bool frmReportSetup::ValidateReportSettings(bool bShowMessage) {
    return TrapValue(kForm + QStringLiteral("ValidateReportSettings"), [&] {
        ReportSettings::Choice c = options->Choice();
        c.nameSpace = chkNameSpace->isChecked();
        c.nameSpaceName = txtNamespace->text();
        const QString message = ReportSettings::Validate(c);
        if (message.isEmpty()) return true;
        if (bShowMessage) Critical(message);
        return false;
    }, false);
}

bool frmReportSetup::StoreReportSettings() {
    return TrapValue(kForm + QStringLiteral("StoreReportSettings"), [&] {
        if (!ValidateReportSettings(true)) return false;
        ReportSettings::Choice c = options->Choice();
        c.nameSpace = chkNameSpace->isChecked();
        c.nameSpaceName = txtNamespace->text();
        c.nameSpaceURI = txtNameSpaceURI->text();
        ReportSettings::Store(c, true);
        return true;
    }, false);
}

void frmReportSetup::OKButton_Click() {
    if (!StoreReportSettings()) return;
    m_stored = true;
    accept();
}

void frmReportSetup::CancelButton_Click() {
    m_stored = false;
    QDialog::reject();
}

void frmReportSetup::reject() { CancelButton_Click(); }

void frmReportSetup::KeyHelp(QWidget* control) {
    Trap(kForm + QStringLiteral("KeyHelp"), [&] {
        int context = control ? control->property("HelpContextID").toInt() : 0;
        if (context == 0) context = property("HelpContextID").toInt();
        ShowHelp(context);
    });
}

void frmReportSetup::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) KeyHelp(QApplication::focusWidget());
    QDialog::keyReleaseEvent(e);
}

bool frmReportSetup::eventFilter(QObject* watched, QEvent* e) {
    if (watched == txtNamespace && e->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(e);
        const QString text = key->text();
        // Keys that type nothing (arrows, Delete, Tab) pass; typed characters only
        // when they are letters.
        if (key->key() == Qt::Key_Backspace) return false;
        if (!text.isEmpty() && text.at(0).isPrint() && !txtNamespace_KeyPress(text.at(0).unicode())) return true;
    }
    return QDialog::eventFilter(watched, e);
}
