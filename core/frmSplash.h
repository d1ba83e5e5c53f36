#pragma once
// The start-up window: fills the global state, then after 5000 ms closes and opens the
// main window.

#include "core/Forms.h"

#include <QDialog>

class QLabel;
class QTimer;

class frmSplash : public QDialog, public SharedForm<frmSplash> {
    Q_OBJECT
    friend class SharedForm<frmSplash>;
public:

    QString FormName() const override { return QStringLiteral("frmSplash"); }
    void Unload() override;

    // Load: picture, caption, shared objects, reports folder, bGlobal::Main, then the
    // window is shown modally (returns when it closes).
    void Form_Load();
    void tmSplash_Timer();

    // Opens the main window when the splash closes; provided by
    // frmDatabaseExplorer::Install (the core cannot see the explorer).
    static inline FormOpener<> showMainWindow;

    QLabel* imgSplashImage = nullptr;
    QTimer* tmSplash = nullptr;

private:
    frmSplash();
    void FixReportsFolder();
};
