// Morvalex: the program starts with its splash window.

#include "core/bGlobal.h"
#include "core/frmErrorHandler.h"
#include "core/SingleInstance.h"
#include "core/frmSplash.h"
#include "explorer/frmDatabaseExplorer.h"
#include "import/ui/frmDatabaseConnection.h"
#include "migration/ui/frmStructureMigration.h"
#include "platform/Allocator.h"
#include "platform/ui/QtHost.h"

#include <QApplication>
#include <QDir>
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
    const QString commandLine = QApplication::arguments().mid(1).join(QLatin1Char(' '));
    // One program per data folder: a program already running on it takes the command
    // line (opens the file it names and comes to the front), and this start ends.
    SingleInstance instance(bGlobal::DataPath());
    // The running program may have another working folder: a relative name is handed
    // over as a full path.
    const QString handed = commandLine.isEmpty() || QDir::isAbsolutePath(commandLine) ? commandLine
                                                                                     : QDir::current().absoluteFilePath(commandLine);
    if (instance.Claim(handed) == SingleInstance::Outcome::HandedOver) return 0;
    QObject::connect(&instance, &SingleInstance::CommandLineReceived, &frmDatabaseExplorer::HandOver);
    frmDatabaseExplorer::CommandLine = commandLine;

    frmSplash::instance().Form_Load();
    if (!frmDatabaseExplorer::exists()) return bGlobal::gErrorOccurred ? 1 : 0;
    return app.exec();
}
