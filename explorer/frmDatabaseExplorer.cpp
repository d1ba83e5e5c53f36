#include "explorer/frmDatabaseExplorer.h"

#include "core/bGlobal.h"

namespace {
frmDatabaseExplorer* g_instance = nullptr;
}

frmDatabaseExplorer& frmDatabaseExplorer::instance() {
    if (!g_instance) g_instance = new frmDatabaseExplorer();
    return *g_instance;
}

bool frmDatabaseExplorer::exists() { return g_instance != nullptr; }

frmDatabaseExplorer::frmDatabaseExplorer() {
    setObjectName(QStringLiteral("frmDatabaseExplorer"));
    setWindowTitle(bGlobal::kAppTitle);
    resize(1024, 720);
    Forms::Register(this);
}

void frmDatabaseExplorer::Unload() {
    hide();
    Forms::Unregister(this);
    if (g_instance == this) g_instance = nullptr;
    deleteLater();
}
