#include "explorer/frmDatabaseGroup.h"

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/GroupName.h"
#include "explorer/frmDatabaseExplorer.h"
#include "platform/ui/Host.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace bGlobal;

namespace {
QString source(const char* procedure) { return QStringLiteral("frmDatabaseGroup.") + QLatin1String(procedure); }
}  // namespace

void frmDatabaseGroup::ShowDialog(const QString& action, const QString& currentGroupName) {
    frmDatabaseGroup& dialog = instance();
    dialog.sAction = action;
    dialog.sCurrentGroupName = currentGroupName;
    dialog.Form_Load();
    platform::ui::host().showModal(&dialog);
}

frmDatabaseGroup::frmDatabaseGroup() {
    setObjectName(QStringLiteral("frmDatabaseGroup"));
    setWindowTitle(QStringLiteral("Create Database Group"));
    setModal(true);
    // Owned by the main window, so it stands over it.
    if (frmDatabaseExplorer::exists()) setParent(&frmDatabaseExplorer::instance(), Qt::Dialog);

    fraGroupInfo = new QGroupBox(QStringLiteral("Group Information"), this);
    fraGroupInfo->setObjectName(QStringLiteral("fraGroupInfo"));
    lblGroupName = new QLabel(QStringLiteral("&Group Name"), fraGroupInfo);
    lblGroupName->setObjectName(QStringLiteral("lblGroupName"));
    txtGroupName = new QLineEdit(fraGroupInfo);
    txtGroupName->setObjectName(QStringLiteral("txtGroupName"));
    txtGroupName->setMinimumWidth(fontMetrics().averageCharWidth() * 32);
    lblGroupName->setBuddy(txtGroupName);
    auto* frameLayout = new QHBoxLayout(fraGroupInfo);
    frameLayout->addWidget(lblGroupName);
    frameLayout->addWidget(txtGroupName, 1);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fraGroupInfo);
    layout->addStretch(1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmDatabaseGroup::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDatabaseGroup::cmdCancel_Click);
    // Pasted or dropped text passes no key filter: drop what a name may not hold.
    connect(txtGroupName, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString kept = GroupName::Filtered(text);
        if (kept != text) txtGroupName->setText(kept);
    });
    txtGroupName->installEventFilter(this);
}

void frmDatabaseGroup::Unload() {
    hide();
    ReleaseInstance();
    deleteLater();
}

bool frmDatabaseGroup::eventFilter(QObject* watched, QEvent* e) {
    if (watched == txtGroupName && e->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(e)->text();
        // Keys without a character (arrows, Delete, Home) move and edit as usual.
        if (text.size() == 1 && text[0].isPrint()) {
            int KeyAscii = text[0].unicode();
            txtGroupName_KeyPress(KeyAscii);
            if (KeyAscii == 0) return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

void frmDatabaseGroup::Form_Load() {
    Trap(source("Form_Load"), [&] {
        if (sAction.toUpper() == QLatin1String("RENAME")) {
            txtGroupName->setText(sCurrentGroupName);
            setWindowTitle(QStringLiteral("Rename Database Group"));
        } else {
            txtGroupName->clear();
            setWindowTitle(QStringLiteral("Create Database Group"));
        }
        txtGroupName->selectAll();
        txtGroupName->setFocus();
    });
}

void frmDatabaseGroup::txtGroupName_KeyPress(int& KeyAscii) {
    Trap(source("txtGroupName_KeyPress"), [&] {
        if (KeyAscii < 0 || KeyAscii > 0xFFFF || !GroupName::KeyAllowed(QChar(char16_t(KeyAscii)))) KeyAscii = 0;
    });
}

void frmDatabaseGroup::cmdOK_Click() {
    Trap(source("cmdOK_Click"), [&] {
        const QString name = txtGroupName->text().trimmed();
        txtGroupName->setText(name);
        static cXML noTree;
        const QString problem = GroupName::Problem(oLHXML ? *oLHXML : noTree, name);
        if (!problem.isEmpty()) {
            Critical(problem);
            txtGroupName->setFocus();
            return;
        }
        sAction = sAction.toUpper();
        if (sAction == QLatin1String("NEW"))
            frmDatabaseExplorer::instance().AddNewGroupName(name);
        else if (sAction == QLatin1String("RENAME"))
            frmDatabaseExplorer::instance().RenameCurrentGroup(name);
        Unload();
    });
}

void frmDatabaseGroup::cmdCancel_Click() {
    Trap(source("cmdCancel_Click"), [&] { Unload(); });
}
