#include "core/frmErrorHandler.h"

#include "core/FileUtil.h"
#include "core/Forms.h"
#include "core/PasswordMask.h"
#include "core/PasteSafe.h"
#include "core/bGlobal.h"
#include "core/frmDisplayError.h"
#include "platform/ui/Host.h"

#include <QFrame>
#include <QStyle>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QString kCrLf = QStringLiteral("\r\n");

QString when(const QDateTime& t) { return QLocale::system().toString(t, QLocale::ShortFormat); }

// The main window is found by name: it lives in a library above this one.
void unloadMainWindow() {
    for (Form* f : Forms::Loaded())
        if (f->FormName() == QLatin1String("frmDatabaseExplorer")) f->Unload();
}

[[noreturn]] void endAfter(const QString& text) {
    bGlobal::Critical(text);
    unloadMainWindow();
    platform::ui::endProgram(1);
}
}  // namespace

void frmErrorHandler::Install() {
    bGlobal::SetErrorDialog([](long n, const QString& d, const QString& s) { instance().DisplayError(n, d, s); });
}

frmErrorHandler::frmErrorHandler() {
    setObjectName(QStringLiteral("frmErrorHandler"));
    setWindowTitle(bGlobal::kAppTitle);
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    setMinimumWidth(520);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QFrame(this);
    top->setObjectName(QStringLiteral("pctTop"));
    top->setAutoFillBackground(true);
    top->setStyleSheet(QStringLiteral("#pctTop { background: white; border-bottom: 1px solid palette(mid); }"));
    auto* topLayout = new QHBoxLayout(top);
    auto* icon = new QLabel(top);
    icon->setObjectName(QStringLiteral("pctMorvIcon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(40, 40));
    lblTitle1 = new QLabel(QStringLiteral("Morvalex4.exe has encountered a problem and needs to close. "
                                          "We are sorry for the inconvenience."), top);
    lblTitle1->setObjectName(QStringLiteral("lblTitle1"));
    lblTitle1->setWordWrap(true);
    QFont bold = lblTitle1->font();
    bold.setBold(true);
    lblTitle1->setFont(bold);
    topLayout->addWidget(icon);
    topLayout->addWidget(lblTitle1, 1);
    layout->addWidget(top);

    auto label = [&](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QLatin1String(name));
        l->setWordWrap(true);
        layout->addWidget(l);
        return l;
    };
    lblInfo1 = label("lblInfo1", QStringLiteral("If you were in the middle of something, the information you were "
                                                "working on might be lost."));
    lblInfo2 = label("lblInfo2", QStringLiteral("Please tell Kestrova about this problem."));
    lblInfo3 = label("lblInfo3", QStringLiteral("We have created an error report that you can send to us. "
                                                "We will check the problem and get back to you."));
    auto* separator = new QFrame(this);
    separator->setObjectName(QStringLiteral("fraSeperator"));
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    layout->addWidget(separator);

    txtErrorReport = new PasteSafeTextEdit(this);
    txtErrorReport->setObjectName(QStringLiteral("txtErrorReport"));
    txtErrorReport->setVisible(false);
    layout->addWidget(txtErrorReport);

    auto* buttons = new QHBoxLayout();
    cmdViewError = new QPushButton(QStringLiteral("&View Error"), this);
    cmdViewError->setObjectName(QStringLiteral("cmdViewError"));
    cmdSendReport = new QPushButton(QStringLiteral("&Send Error Report"), this);
    cmdSendReport->setObjectName(QStringLiteral("cmdSendReport"));
    cmdDontSend = new QPushButton(QStringLiteral("&Don't Send"), this);
    cmdDontSend->setObjectName(QStringLiteral("cmdDontSend"));
    cmdSendReport->setDefault(true);
    buttons->addWidget(cmdViewError);
    buttons->addStretch(1);
    buttons->addWidget(cmdSendReport);
    buttons->addWidget(cmdDontSend);
    layout->addLayout(buttons);

    connect(cmdViewError, &QPushButton::clicked, this, &frmErrorHandler::cmdViewError_Click);
    connect(cmdSendReport, &QPushButton::clicked, this, &frmErrorHandler::cmdSendReport_Click);
    connect(cmdDontSend, &QPushButton::clicked, this, &frmErrorHandler::cmdDontSend_Click);
}

void frmErrorHandler::Form_Load() {
    m_when = QDateTime::currentDateTime();
    m_report = bGlobal::kAppTitle + QLatin1Char(' ') + bGlobal::kCompany + kCrLf +
               QStringLiteral("Error Date: ") + when(m_when) + kCrLf +
               QStringLiteral("Error Number: ") + QString::number(m_number) + kCrLf +
               QStringLiteral("Error Description: ") + m_description + kCrLf +
               QStringLiteral("Error Source: ") + m_source + kCrLf +
               QStringLiteral("Build Number: ") + QString::number(bGlobal::gBuildNumber);
    setWindowTitle(bGlobal::kAppTitle + QLatin1Char(' ') + bGlobal::kCompany);
    m_loaded = true;
}

QString frmErrorHandler::MailText() const {
    return QStringLiteral("mailto:") + kReportAddress + QStringLiteral("&subject=Morvalex Error Report&Body=") +
           bGlobal::kAppTitle + QLatin1Char(' ') + bGlobal::kCompany + kCrLf +
           QStringLiteral("Error Date: ") + when(m_when) + QStringLiteral("%0D") +
           QStringLiteral("Error Number: ") + QString::number(m_number) + QStringLiteral(" %0D") +
           QStringLiteral("Error Description: ") + m_description + QStringLiteral(" %0D") +
           QStringLiteral("Error Source: ") + m_source + QStringLiteral("%0D") +
           QStringLiteral("Build Number: ") + QString::number(bGlobal::gBuildNumber);
}

QString frmErrorHandler::MailUrl() const {
    // A mail program needs "?" before the first header and every value percent-encoded;
    // the body carries the report text with real line breaks.
    const auto enc = [](const QString& s) { return QString::fromLatin1(QUrl::toPercentEncoding(s)); };
    return QStringLiteral("mailto:") + kReportAddress + QStringLiteral("?subject=") + enc(QStringLiteral("Morvalex Error Report")) +
           QStringLiteral("&body=") + enc(m_report);
}

void frmErrorHandler::Unload() {
    hide();
    ReleaseInstance();
    deleteLater();
}

void frmErrorHandler::DisplayError(long lTempErrNumber, const QString& sTempErrDesc, const QString& sTempErrSrc) {
    try {
        m_number = lTempErrNumber;
        // The report is shown, logged and mailed: a connection string in it loses its password.
        m_description = MaskPasswords(sTempErrDesc);
        m_source = MaskPasswords(sTempErrSrc);
        if (!m_loaded) Form_Load();
        if (!isVisible()) platform::ui::host().showModal(this);
    } catch (const std::exception& e) {
        const auto [n, d] = bGlobal::Describe(e);
        if (n == 429 || n == 430 || n == 339)
            endAfter(QStringLiteral("ActiveX control required to run Morvalex is not installed properly.") + kCrLf +
                     QStringLiteral("Please install and try again.") + QStringLiteral("Error Source: ") + MaskPasswords(sTempErrSrc));
        endAfter(bGlobal::kAppTitle + QLatin1Char(' ') + bGlobal::kCompany + kCrLf +
                 QStringLiteral("Error Occurred, please contact Kestrova support team.") + kCrLf +
                 QStringLiteral("Error Number: ") + QString::number(n) + kCrLf +
                 QStringLiteral("Error Description: ") + d + kCrLf +
                 QStringLiteral("Error Source: ") + objectName() + QStringLiteral(".DisplayError") + kCrLf +
                 QStringLiteral("Build Number: ") + QString::number(bGlobal::gBuildNumber));
    }
}

void frmErrorHandler::ButtonFailed(const std::exception& e, const QString& procedure) {
    const auto [n, d] = bGlobal::Describe(e);
    bGlobal::Critical(bGlobal::kAppTitle + QLatin1Char(' ') + bGlobal::kCompany + kCrLf +
                      QStringLiteral("Error Occurred, please contact Kestrova support team") + kCrLf +
                      QStringLiteral("Error Number: ") + QString::number(n) + kCrLf +
                      QStringLiteral("Error Description: ") + d + kCrLf +
                      QStringLiteral("Error Source: ") + objectName() + QLatin1Char('.') + procedure + kCrLf +
                      QStringLiteral("Build Number: ") + QString::number(bGlobal::gBuildNumber));
}

void frmErrorHandler::cmdDontSend_Click() {
    try {
        CloseAll();
    } catch (const std::exception& e) {
        ButtonFailed(e, QStringLiteral("cmdDontSend_Click"));
    }
}

void frmErrorHandler::cmdSendReport_Click() {
    try {
        const QString mail = MailText();
        txtErrorReport->setPlainText(mail);
        WriteTextFileAtomic(bGlobal::DataPath() + QStringLiteral("/errors.log"), mail + kCrLf);
        platform::ui::host().openUrl(MailUrl());
        CloseAll();
    } catch (const std::exception& e) {
        ButtonFailed(e, QStringLiteral("cmdSendReport_Click"));
    }
}

void frmErrorHandler::cmdViewError_Click() {
    try {
        const QString report = m_report;
        Unload();
        frmDisplayError::instance().DisplayError(report);
    } catch (const std::exception& e) {
        ButtonFailed(e, QStringLiteral("cmdViewError_Click"));
    }
}

void frmErrorHandler::CloseAll() {
    try {
        bGlobal::ClearAllTemporaryFiles();
        Unload();
        unloadMainWindow();
    } catch (const std::exception& e) {
        ButtonFailed(e, QStringLiteral("CloseAll"));
        return;
    }
    platform::ui::endProgram(1);
}
