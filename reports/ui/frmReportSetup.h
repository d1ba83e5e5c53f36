#pragma once
// "Report Setup": the modal dialog in which the user sets the report options (a
// namespace for report XML, paging of HTML reports, the style sheet and an own XSL
// layout). Every opening starts from the report globals; OK stores the choice in
// them, Cancel changes nothing. Window thread only.
//
// The shared instance is created on first use and released when the dialog unloads
// (OK or Cancel).

#include "core/Forms.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class ReportOptionFrames;

class frmReportSetup : public QDialog, public SharedForm<frmReportSetup> {
    Q_OBJECT
    friend class SharedForm<frmReportSetup>;
public:
    // Shows the dialog modally through the host; True when OK stored the options.
    static bool ShowSetup();

    QString FormName() const override { return QStringLiteral("frmReportSetup"); }
    void Unload() override;

    // ---- events ---------------------------------------------------------------------
    void Form_Load();
    void OKButton_Click();
    void CancelButton_Click();
    void chkNameSpace_Click();
    // Whether a typed character reaches the namespace box (A-Z, a-z and Backspace).
    static bool txtNamespace_KeyPress(int KeyAscii);

    bool ValidateReportSettings(bool bShowMessage);
    bool StoreReportSettings();
    void RetrieveReportSettings();
    bool Stored() const { return m_stored; }

    // ---- controls ---------------------------------------------------------------------
    ReportOptionFrames* options = nullptr;
    QGroupBox* fraXMLSetting = nullptr;
    QCheckBox* chkNameSpace = nullptr;
    QLineEdit* txtNamespace = nullptr;
    QLineEdit* txtNameSpaceURI = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QPushButton* cmdHelp = nullptr;

protected:
    void keyReleaseEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void reject() override;

private:
    frmReportSetup();
    void KeyHelp(QWidget* control);

    bool m_loaded = false;
    bool m_stored = false;
};
