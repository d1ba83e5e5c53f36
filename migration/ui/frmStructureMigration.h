#pragma once
// The migration wizard: five pages (introduction, source and destination, objects,
// progress, summary) through which the user carries tables, indexes and foreign keys
// of a documented structure (oStructureXML) over to another connection of the tree
// document (oLHXML).
//
// The main window opens it through ShowWizard after making the source connection
// current; the wizard marks the chosen objects, runs a cMigrate for the destination
// and shows its progress, then the summary and error log. Window thread only. The
// instance is shared, created on first use, and released when it unloads.
//
// The controls are built in frmStructureMigrationPages.cpp; the commands are in
// frmStructureMigration.cpp; what needs no window is in MigrationSession.

#include "core/Forms.h"

#include <QDialog>
#include <QString>
#include <array>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class cMigrate;
class MigrationSession;

class frmStructureMigration : public QDialog, public SharedForm<frmStructureMigration> {
    Q_OBJECT
    friend class SharedForm<frmStructureMigration>;
public:
    // Loads the wizard for the current connection with sTable pre-selected ("" for
    // none) and shows it modally; returns when it has closed.
    static void ShowWizard(qint16 iGroup, qint16 iConnection, const QString& sTable);
    // Makes the main window's migrate procedure open this wizard.
    static void Install();

    QString FormName() const override { return QStringLiteral("frmStructureMigration"); }
    void Unload() override;

    // Set by the main window before the wizard loads.
    qint16 iSourceDatabaseNumber = 0;
    qint16 iSourceDatabaseGroup = 0;
    QString sSelectedTable;

    // ---- procedures and events ---------------------------------------------------------
    void Form_Load();
    // The current connection's name ("" when there is none); sets sSourceConnString.
    QString CheckSource();
    void DisplayStep1();
    // Fills a connection list and its companion (named by the list's "Tag") from the
    // tree document, leaving out the connection whose string is sExclude and selecting
    // the one named sSelect.
    void AddConnections(QComboBox* list, const QString& sExclude = QString(), const QString& sSelect = QString());
    void cboSourceConn_Click();
    void cboDestinationConn_Click();
    void AddExistingObjects();
    void TransferListItems(QTreeWidget* from, QTreeWidget* to, bool remove);
    void TransferAll(QTreeWidget* from, QTreeWidget* to);
    void cmdAddL2R_Click();
    void cmdRemoveR2L_Click();
    void cmdAddAll_Click();
    void cmdRemoveAll_Click();
    void lsvAvailableObjects_ItemClick();
    void lsvSelectedObjects_ItemClick();
    void cmdNavigate_Click(int Index);
    void UpdateMorvXML();
    void MigrateDatabase();
    QString GenerateSummary();

    // ---- state, readable for tests ---------------------------------------------------------
    qint16 Step() const { return iCurrentStep; }
    const QString& SourceConnString() const { return sSourceConnString; }
    const QString& DestinationConnString() const { return sDestinationConnString; }
    // The script the generator ran ("" before a migration).
    QString AllQueries() const;
    bool IsUnloaded() const { return m_unloaded; }
    int ProgressTwips() const { return m_barTwips; }

    // ---- controls -------------------------------------------------------------------------
    std::array<QFrame*, 5> fraStep{};
    std::array<QPushButton*, 4> cmdNavigate{};
    QComboBox* cboSourceConn = nullptr;
    QLabel* lblSourceDatabase = nullptr;
    QComboBox* cboDestinationConn = nullptr;
    // Below the destination list: shown while the chosen destination cannot receive
    // objects, saying so.
    QLabel* lblDestinationNote = nullptr;
    QComboBox* cboSrcConnStrs = nullptr;
    QComboBox* cboDstConnStrs = nullptr;
    QLabel* lblAvailableTitle = nullptr;
    QLabel* lblSelectedTitle = nullptr;
    QTreeWidget* lsvAvailableObjects = nullptr;
    QTreeWidget* lsvSelectedObjects = nullptr;
    QPushButton* cmdAddL2R = nullptr;
    QPushButton* cmdAddAll = nullptr;
    QPushButton* cmdRemoveR2L = nullptr;
    QPushButton* cmdRemoveAll = nullptr;
    QFrame* pctProgress = nullptr;
    QFrame* shpProgress = nullptr;
    QLabel* lblStatus = nullptr;
    QLabel* lblResultDescription = nullptr;
    QPlainTextEdit* txtSummary = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    frmStructureMigration();
    ~frmStructureMigration() override;  // out of line: the owned parts are incomplete here

    void BuildPages();
    QFrame* BuildIntroPage();
    QFrame* BuildConnectionsPage();
    QFrame* BuildObjectsPage();
    QFrame* BuildProgressPage();
    QFrame* BuildSummaryPage();
    QFrame* TitleBand(QWidget* parent, const QString& title, const QString& line);
    void SetButtons();
    void AddObjectItem(const QString& element, const QString& name, const QString& createdOn, const QString& path);
    void ShowProgress(const QString& status);
    // The database type name of the chosen destination (its code when it has none).
    QString DestinationTypeName() const;
    void ShowDestinationNote();
    void Form_Unload();

    qint16 iCurrentStep = 0;
    int iPreselectedIndex = -1;
    QString sSourceConnString;
    QString sDestinationConnString;
    QString sSelectedObjectNames;
    std::unique_ptr<cMigrate> oMorvMigrate;
    std::unique_ptr<MigrationSession> m_session;
    bool m_unloaded = false;
    int m_barTwips = 0;
};
