#include "reports/DM_Browse.h"

#include "core/bGlobal.h"
#include "platform/ui/Host.h"

#include <QDir>

QString DM_BrowseFolder(const QString& sTitle) {
    return bGlobal::TrapValue(QStringLiteral("DM_BrowseFolder"), [&] {
        QString folder = platform::ui::host().browseFolder(sTitle, bGlobal::gReportsFolder);
        if (folder.isEmpty()) return QString();
        // cleanPath drops a trailing separator (the root "/" stays as it is).
        return QDir::cleanPath(folder);
    }, QString());
}
