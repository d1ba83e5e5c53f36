#pragma once
// The dialog in which the user names a new database group or renames the current
// one. The caller sets sAction ("New" or "Rename", any letter case) and, for a rename,
// sCurrentGroupName, then shows it with ShowDialog. OK checks the name and hands it to
// the main window (AddNewGroupName or RenameCurrentGroup), which changes the tree
// document. Window thread only.

#include "core/Forms.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmDatabaseGroup : public QDialog, public SharedForm<frmDatabaseGroup> {
    Q_OBJECT
    friend class SharedForm<frmDatabaseGroup>;
public:
    // Sets the public variables, loads the dialog and shows it modally.
    static void ShowDialog(const QString& action, const QString& currentGroupName = QString());

    QString FormName() const override { return QStringLiteral("frmDatabaseGroup"); }
    void Unload() override;

    QString sCurrentGroupName;
    QString sAction;

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    // KeyAscii becomes 0 for a character a group name may not hold.
    void txtGroupName_KeyPress(int& KeyAscii);

    QGroupBox* fraGroupInfo = nullptr;
    QLabel* lblGroupName = nullptr;
    QLineEdit* txtGroupName = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    frmDatabaseGroup();
    void reject() override { cmdCancel_Click(); }
};
