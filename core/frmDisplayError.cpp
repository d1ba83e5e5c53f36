#include "core/frmDisplayError.h"

#include "core/bGlobal.h"
#include "platform/ui/Host.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmDisplayError::frmDisplayError() {
    setObjectName(QStringLiteral("frmDisplayError"));
    setWindowTitle(QStringLiteral("Morvalex 4.0 Error Details"));
    resize(520, 320);
    auto* layout = new QVBoxLayout(this);
    lblError = new QLabel(QStringLiteral("Error &Details"), this);
    lblError->setObjectName(QStringLiteral("lblError"));
    txtErrorReport = new QPlainTextEdit(this);
    txtErrorReport->setObjectName(QStringLiteral("txtErrorReport"));
    txtErrorReport->setReadOnly(true);
    lblError->setBuddy(txtErrorReport);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    layout->addWidget(lblError);
    layout->addWidget(txtErrorReport, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);
    connect(cmdClose, &QPushButton::clicked, this, &frmDisplayError::cmdClose_Click);
}

void frmDisplayError::Unload() {
    hide();
    ReleaseInstance();
    deleteLater();
}

void frmDisplayError::DisplayError(const QString& sErrorDetails) {
    txtErrorReport->setPlainText(sErrorDetails);
    platform::ui::host().showModal(this);
}

void frmDisplayError::cmdClose_Click() {
    Unload();
    // The previews and structure copies are not left behind for the next run.
    bGlobal::ClearAllTemporaryFiles();
    platform::ui::endProgram(1);
}
