#pragma once
// The three frames of report options that the report settings dialog and the import
// wizard's report page share: "HTML Paging", "HTML Stylesheet (CSS)" and "HTML Layout
// (XSL)", with their controls and the handling of their clicks. The window that owns
// them lays the frames out and reacts to what it must (the wizard derives its
// destination again when paging changes). Window thread only.

#include "reports/ReportSettings.h"

#include <QObject>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

class ReportOptionFrames : public QObject {
    Q_OBJECT
public:
    // Creates the frames on 'window' (their parent until laid out). bEmptyOnClear:
    // clearing the paging or own-XSL check box also empties its box (the dialog); the
    // wizard keeps the text.
    ReportOptionFrames(QWidget* window, bool bEmptyOnClear);

    QGroupBox* fraHTMLPaging = nullptr;
    QCheckBox* chkGenerateMultipleXML = nullptr;
    QLabel* lblNumberOfTables = nullptr;
    QLineEdit* txtNumberOfPages = nullptr;

    QGroupBox* fraCSS = nullptr;
    QComboBox* cboStyleSheet = nullptr;
    QLabel* pctPreview = nullptr;
    QLineEdit* txtCSSFileName = nullptr;
    QPushButton* cmdOpenCSS = nullptr;
    QPushButton* cmdCSSHelp = nullptr;

    QGroupBox* fraOutputFormat = nullptr;
    QCheckBox* chkOwnXSL = nullptr;
    QLineEdit* txtXSLFile = nullptr;
    QPushButton* cmdOpenXSL = nullptr;
    QPushButton* cmdXSLHelp = nullptr;

    // Runs after the paging check box changed (by the user or from code).
    std::function<void()> onPagingClick;
    // Help for a control (F1 and the help buttons).
    std::function<void(QWidget*)> onHelp;

    // Fills the style list (AddCSSFileNames).
    void AddCSSFileNames();
    // Sets the controls from the report globals (paging, style, own XSL).
    void Retrieve();
    // The choice the controls hold (no namespace).
    ReportSettings::Choice Choice() const;
    // Selects the entry of that name (any letter case), if there is one.
    void SelectStyleSheet(const QString& name);
    int StyleIndex() const;
    bool CustomChosen() const;

    // Greys a box (its Tag control disabled, painted RGB(214, 211, 206)) or enables it
    // (painted white).
    static void DisableControl(QWidget* box);
    static void EnableControl(QWidget* box);

    void chkGenerateMultipleXML_Click();
    void chkOwnXSL_Click();
    void cboStyleSheet_Click();
    void cmdOpenCSS_Click();
    void cmdOpenXSL_Click();

private:
    QWidget* m_window;
    bool m_emptyOnClear;
};
