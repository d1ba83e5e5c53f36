// Morvalex: the program starts with its splash window.

#include "core/bGlobal.h"
#include "core/frmErrorHandler.h"
#include "core/frmSplash.h"
#include "explorer/frmDatabaseExplorer.h"
#include "import/ui/frmDatabaseConnection.h"
#include "migration/ui/frmStructureMigration.h"
#include "platform/Allocator.h"
#include "platform/ui/QtHost.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    platform::TuneAllocator();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvalex"));
    QApplication::setOrganizationName(QStringLiteral("Vizavodizo"));
    QApplication::setApplicationVersion(QStringLiteral("4.0.0.%1").arg(MORVALEX_BUILD_NUMBER));
    QApplication::setWindowIcon(QIcon(bGlobal::AppPath() + QStringLiteral("/images/morvalex.svg")));

    platform::ui::QtHost host;
    platform::ui::setHost(&host);
    // Each window that a lower library opens provides itself.
    frmErrorHandler::Install();
    frmDatabaseExplorer::Install();
    frmDatabaseConnection::Install();
    frmStructureMigration::Install();
    frmDatabaseExplorer::CommandLine = QApplication::arguments().mid(1).join(QLatin1Char(' '));

    frmSplash::instance().Form_Load();
    if (!frmDatabaseExplorer::exists()) return bGlobal::gErrorOccurred ? 1 : 0;
    return app.exec();
}
