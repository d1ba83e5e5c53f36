#pragma once
// The error-report dialog that every reported error opens. Each of its buttons ends
// the program.

#include "core/Forms.h"

#include <QDateTime>
#include <QDialog>

class QLabel;
class QPushButton;
class QTextEdit;

class frmErrorHandler : public QDialog, public SharedForm<frmErrorHandler> {
    Q_OBJECT
    friend class SharedForm<frmErrorHandler>;
public:
    // Installs this dialog as bGlobal's error dialog.
    static void Install();

    QString FormName() const override { return QStringLiteral("frmErrorHandler"); }
    void Unload() override;

    void DisplayError(long lTempErrNumber, const QString& sTempErrDesc, const QString& sTempErrSrc);

    // The texts, built from the stored error; public for tests.
    QString ReportText() const { return m_report; }
    QString MailText() const;
    // The mail text as a well-formed mailto: URL for the desktop's mail program.
    QString MailUrl() const;

    void cmdViewError_Click();
    void cmdSendReport_Click();
    void cmdDontSend_Click();

    QLabel* lblTitle1 = nullptr;
    QLabel* lblInfo1 = nullptr;
    QLabel* lblInfo2 = nullptr;
    QLabel* lblInfo3 = nullptr;
    QPushButton* cmdViewError = nullptr;
    QPushButton* cmdSendReport = nullptr;
    QPushButton* cmdDontSend = nullptr;
    QTextEdit* txtErrorReport = nullptr;

    static inline const QString kReportAddress = QStringLiteral("errors@kestrova.example");

private:
    frmErrorHandler();
    void Form_Load();
    void CloseAll();
    void ButtonFailed(const std::exception& e, const QString& procedure);
    void reject() override {}  // no way out but the three buttons

    long m_number = 0;
    QString m_description;
    QString m_source;
    QString m_report;
    QDateTime m_when;
    bool m_loaded = false;
};
