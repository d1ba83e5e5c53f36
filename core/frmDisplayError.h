#pragma once
// Shows the error report text; closing it removes the temporary files and ends the
// program.

#include "core/Forms.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmDisplayError : public QDialog, public SharedForm<frmDisplayError> {
    Q_OBJECT
    friend class SharedForm<frmDisplayError>;
public:

    QString FormName() const override { return QStringLiteral("frmDisplayError"); }
    void Unload() override;

    void DisplayError(const QString& sErrorDetails);
    void cmdClose_Click();

    QLabel* lblError = nullptr;
    QPlainTextEdit* txtErrorReport = nullptr;
    QPushButton* cmdClose = nullptr;

private:
    frmDisplayError();
    void reject() override { cmdClose_Click(); }
};
