#pragma once
// The about box: title, version and build, the description and three links. The
// program has no web site or mail address of its own, so every link opens the
// installed help page (gHelpFile) through the host. Shown modally through ShowDialog.
// Window thread only.

#include "core/Forms.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

class frmAbout : public QDialog, public SharedForm<frmAbout> {
    Q_OBJECT
    friend class SharedForm<frmAbout>;
public:
    // Loads the box and shows it modally over owner (may be null).
    static void ShowDialog(QWidget* owner);

    QString FormName() const override { return QStringLiteral("frmAbout"); }
    void Unload() override;

    void Form_Load();
    void cmdOK_Click();
    void lblKestrova_Click();
    void lblKestrovaLink_Click();
    void lblDunmereLink_Click();

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lbMorvalex = nullptr;
    QFrame* fraSeperator = nullptr;
    QLabel* lblKestrova = nullptr;
    QLabel* lblKestrovaLink = nullptr;
    QLabel* lblDunmereLink = nullptr;
    QPushButton* cmdOK = nullptr;

private:
    frmAbout();
    void reject() override { cmdOK_Click(); }
    void OpenHelpPage();
};
