#pragma once
// The main window.

#include "core/Forms.h"

#include <QMainWindow>

class frmDatabaseExplorer : public QMainWindow, public Form {
    Q_OBJECT
public:
    static frmDatabaseExplorer& instance();
    static bool exists();

    QString FormName() const override { return QStringLiteral("frmDatabaseExplorer"); }
    void Unload() override;

private:
    frmDatabaseExplorer();
};
