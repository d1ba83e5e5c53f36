#pragma once
// The import wizard: six pages (introduction, data source, import progress, summary,
// report options, objects for the report) through which the user adds a database to
// the tree document or refreshes one.
//
// The main window sets sAction and shows the wizard modally (ShowWizard). On the
// data-source page Next connects (Connect2DB) and adds the connection to the tree
// document, or loads a structure XML file; the import page runs the catalogue reader;
// Finish saves the structure's temporary copy and refills the main window's tree.
// Closing asks what to do with a connection this run added. Window thread only.
//
// The instance is shared and created on first use; it releases itself when it unloads
// (deleted later, or when a running import has returned).
//
// Its procedures are spread by what they do: frmDatabaseConnection.cpp (the instance,
// loading, closing), WizardControls.cpp (building the window), WizardDataSource.cpp
// (the data-source page), WizardNavigation.cpp (moving between pages), WizardImport.cpp
// (connecting and importing), ReportPages.cpp (pages 4 and 5). What needs no window
// is in import/WizardSteps.h.

#include "core/Forms.h"
#include "import/ConnectionStrings.h"
#include "import/WizardSteps.h"
#include "import/cADODB.h"
#include "import/ui/ProgressThrottle.h"

#include <QComboBox>
#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QFormLayout;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class ReportOptionFrames;

// An editable drop-down list that reports that its list is about to open, before
// it opens (the list may be filled then).
class DropDownComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> onDropDown;
    void showPopup() override;
};

class frmDatabaseConnection : public QDialog, public SharedForm<frmDatabaseConnection> {
    Q_OBJECT
    friend class SharedForm<frmDatabaseConnection>;
public:
    // Loads the shared wizard, sets its mode (unless action is empty) and shows it
    // modally; returns when it has closed.
    static void ShowWizard(const QString& action);
    // Makes the main window open this wizard (its first run and its commands).
    static void Install();

    QString FormName() const override { return QStringLiteral("frmDatabaseConnection"); }
    // Unloading on behalf of another window (closing the program): no questions.
    void Unload() override;

    // Why the wizard is closing, as QueryUnload is told.
    enum UnloadMode { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2 };

    // "NEW" (add a connection) or "REFRESH" (fill the fields from the current
    // connection first). Set before the wizard is loaded.
    QString sAction;

    // ---- public procedures ----------------------------------------------------------
    // Builds the string, stores the details, connects and adds the connection to the
    // tree document; false (after a message) when any of it fails.
    bool Connect2DB();
    void DisplayStatus(const QString& text);
    // Greys a box: disables the control named by the box's "Tag" property (the box
    // itself when it has none) and paints the box RGB(214, 211, 206).
    void DisableControl(QWidget* box);
    void EnableControl(QWidget* box);

    // ---- events -------------------------------------------------------------------
    void Form_Load();
    void QueryUnload(bool& Cancel, int iUnloadMode);
    void Form_Unload();
    void cmdNavigate_Click(int Index);
    void cboDBTypes_Click();
    void cboSQLServerName_DropDown();
    void cboSQLDatabaseName_DropDown();
    void optSQLAuthentication_Click(int Index);
    void optORAAuthentication_Click(int Index);
    void chkSQLBlankPassword_Click();
    void chkORABlankPassword_Click();
    void chkDB2BlankPassword_Click();
    void txtDatabasePath_Change();
    void cmdOpen_Click(int Index);
    void cmdXMLOpen_Click();
    // Progress of the catalogue reader oADO.
    // Moves the progress bar's length on by one event's increment (wrapping near the end).
    void AdvanceProgress(int increment);
    void oADO_WhileImporting(QString& ObjectName, QString& ObjectType, QString& ImportStatus, qint16& iIncrementValue,
                             QString& DisplayMessage, bool& Cancel);

    // Report pages (ReportPages.cpp).
    bool UpdateXMLForReport();
    void cmdSelectAll_Click();
    void cmdDeselectAll_Click();
    void trvMain_NodeCheck(QTreeWidgetItem* Node);
    void optOutputType_Click(int Index);
    void cmdSelectDestination_Click();
    void cmdPreview_Click();
    // Writes the report to sOutputPath by the chosen output; False when nothing was
    // written (the user has been told why).
    bool FinalSave();
    bool ValidateReportSettings(bool bShowMessage);
    void SelectStyleSheet(const QString& name);
    QString OutputKind() const { return sOutputKind; }
    QString OutputPath() const { return sOutputPath; }

    // The summary of page 3, lines ended by CR LF.
    QString GenerateSummary();

    // ---- state, readable for tests -----------------------------------------------------
    qint16 Step() const { return nStep; }
    qint16 DBType() const { return nDBType; }
    bool Imported() const { return bImported; }
    bool CancelRequested() const { return bCancelImport; }
    bool IsUnloaded() const { return m_unloaded; }
    bool HasReader() const { return bool(oADO); }
    // The width of the progress bar in twips.
    int ProgressTwips() const { return m_barTwips; }

    // ---- controls -------------------------------------------------------------------
    std::array<QFrame*, 6> fraStep{};
    std::array<QFrame*, 6> pctTitle{};
    std::array<QLabel*, 6> lblMainTitle{};
    std::array<QLabel*, 6> lblTitle{};
    std::array<QPushButton*, 4> cmdNavigate{};

    QComboBox* cboDBTypes = nullptr;
    std::array<QFrame*, 6> pctDBConnInfo{};

    // SQL Server
    DropDownComboBox* cboSQLServerName = nullptr;
    DropDownComboBox* cboSQLDatabaseName = nullptr;
    QGroupBox* fraSQLServer = nullptr;
    std::array<QRadioButton*, 2> optSQLAuthentication{};
    QLineEdit* txtSQLLoginName = nullptr;
    QLineEdit* txtSQLPassword = nullptr;
    QCheckBox* chkSQLBlankPassword = nullptr;
    // Oracle
    QLineEdit* txtOraServerName = nullptr;
    std::array<QRadioButton*, 2> optORAAuthentication{};
    QLineEdit* txtORALoginName = nullptr;
    QLineEdit* txtORAPassword = nullptr;
    QCheckBox* chkORABlankPassword = nullptr;
    // DB2
    QLineEdit* txtDB2DataSourceName = nullptr;
    QLineEdit* txtDB2LoginName = nullptr;
    QLineEdit* txtDB2Password = nullptr;
    QCheckBox* chkDB2BlankPassword = nullptr;
    // Access
    QLineEdit* txtDatabasePath = nullptr;
    QLineEdit* txtAccessPassword = nullptr;
    QLineEdit* txtWKGPDatabasePath = nullptr;
    QLineEdit* txtWKGPLoginName = nullptr;
    QLineEdit* txtWKGPPassword = nullptr;
    std::array<QPushButton*, 2> cmdOpen{};
    // Connection string
    QLineEdit* txtConnectionString = nullptr;
    // Structure XML file
    QLineEdit* txtXMLPath = nullptr;
    QPushButton* cmdXMLOpen = nullptr;

    // Import progress
    QFrame* pctProgress = nullptr;
    QFrame* shpProgress = nullptr;
    QLabel* lblStatus = nullptr;
    // Summary
    QPlainTextEdit* txtSummary = nullptr;
    // Report options
    std::array<QRadioButton*, 3> optOutputType{};
    QLineEdit* txtDestinationPath = nullptr;
    QPushButton* cmdSelectDestination = nullptr;
    // The paging, style-sheet and layout frames (shared with the report settings).
    ReportOptionFrames* options = nullptr;
    // Objects for the report
    QTreeWidget* trvMain = nullptr;
    QPushButton* cmdSelectAll = nullptr;
    QPushButton* cmdDeselectAll = nullptr;
    QPushButton* cmdPreview = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    frmDatabaseConnection();

    // Building the window (WizardControls.cpp).
    void BuildPages();
    QFrame* BuildTitleBand(int index, const QString& main, const QString& line);
    // The login controls of a server panel: the members that receive them, the prefix
    // of their names (txt<prefix>LoginName, txt<prefix>Password, chk<prefix>BlankPassword)
    // and the event the blank-password box runs when it changes.
    struct LoginRows {
        const char* prefix;
        QLineEdit*& login;
        QLineEdit*& password;
        QCheckBox*& blank;
        void (frmDatabaseConnection::*blankClick)();
    };
    // Creates the login rows on 'parent' and adds them to 'form'.
    void AddLoginRows(QWidget* parent, QFormLayout* form, const LoginRows& rows);
    // Adds the "Connect using" frame named 'frameName' to 'form' and returns it: the
    // authentication options opt<prefix>Authentication_0 (Windows) and _1
    // ('serverOption'), each running 'optionClick' when chosen, over the login rows.
    // The second option is checked.
    QGroupBox* AddAuthenticationFrame(QWidget* panel, QFormLayout* form, const QString& frameName, const QString& serverOption,
                                      std::array<QRadioButton*, 2>& optionButtons, void (frmDatabaseConnection::*optionClick)(int),
                                      const LoginRows& rows);
    // Greys the login rows under Windows authentication (Index 0), enables them under
    // the server's own (Index 1).
    void ShowLoginRows(int Index, QLineEdit* login, QLineEdit* password, QCheckBox* blank);
    // Greys the password box while the blank-password box is ticked.
    void ShowBlankPassword(QCheckBox* blank, QLineEdit* password);
    QWidget* BuildSQLServerPanel();
    QWidget* BuildOraclePanel();
    QWidget* BuildDB2Panel();
    QWidget* BuildAccessPanel();
    QWidget* BuildConnectionStringPanel();
    QWidget* BuildXMLPanel();

    // The data-source page (WizardDataSource.cpp).
    void AddDBTypes();
    void RetrieveDBInfo();
    // Navigation (WizardNavigation.cpp).
    void DisplayStep1();
    // Shows page nStep and its title band, then sets the buttons for the page.
    void ShowStep();
    void SetButtons(bool importFailed = false);
    // Connecting and importing (WizardImport.cpp).
    // Page 2: runs the import (or adds the structure file's connection).
    void RunImport();
    bool StructureFileNext();
    void UpdateProgressBar();

    // Report pages.
    // Lays out page 4 (output, destination, style sheet, layout, paging).
    void BuildReportOptionsPage();
    // Opens the written report: index.html of a folder, else the file.
    void OpenReport();
    QString AssignInitialPath(const QString& extension, const QString& path);
    bool StoreReportSettings();
    void RetrieveReportSettings();
    void InitializeTreeView();
    void TreeCheck(bool checked);
    void SelectChildren(QTreeWidgetItem* node);

    ConnectionPanelFields PanelFields() const;
    void SetPanelFields(const ConnectionPanelFields& f);

    // Finish, or Yes when asked on closing: marks the report objects, saves the
    // structure's temporary copy and shows the connection in the main window.
    // copyLater: the structure copy is written once the main window has painted.
    void ImportIntoExplorer(bool copyLater = false);

    // Runs QueryUnload for mode and, unless it cancels, Form_Unload; true when the
    // wizard is unloaded.
    bool UnloadWith(int mode);
    // Opens oADO's connection while the window's events flow (Cancel gives it up).
    cADODB::ConnectOutcome ConnectReader();
    // While a connection is being opened, closing (in mode) is put off: the attempt is
    // given up and the wizard closes once the wait has ended. True when put off.
    bool RequestUnloadAfterConnect(int mode);

    qint16 nStep = 0;
    qint16 nDBType = 0;
    QString sConnectionString;
    std::shared_ptr<cADODB> oADO;
    QString sOutputKind = QStringLiteral("html");
    QString sOutputPath;
    bool bFinished = false;
    bool bImported = false;
    bool bCancelImport = false;

    // The connection entry this run added to the tree document, while it is there.
    wizard::AddedConnection m_added;
    // True once the main window shows the imported connection (Finish, or Yes when
    // asked on closing); otherwise it is brought in line when the wizard closes.
    bool m_treeShown = false;
    bool m_loaded = false;
    bool m_unloaded = false;
    // True while oADO.GenerateXML is on the stack; the object is then deleted when it
    // returns rather than at the next event loop turn.
    bool m_importing = false;
    bool m_checking = false;
    // True while ConnectReader waits for the connection.
    bool m_connecting = false;
    std::optional<int> m_unloadAfterConnect;
    int m_barTwips = 0;
    ProgressThrottle m_progressThrottle;  // repaints of the progress handler
};
