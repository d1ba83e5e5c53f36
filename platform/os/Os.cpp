#include "platform/os/Os.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTextStream>
#include <QUuid>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace platform::os {

namespace {
// The XDG public-share folder: user-dirs.dirs names it; otherwise ~/Public.
QString publicShareFolder() {
    const QString home = QDir::homePath();
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = home + QStringLiteral("/.config");
    QFile file(config + QStringLiteral("/user-dirs.dirs"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (!line.startsWith(QStringLiteral("XDG_PUBLICSHARE_DIR="))) continue;
            QString value = line.mid(line.indexOf(QLatin1Char('=')) + 1);
            if (value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
                value = value.mid(1, value.size() - 2);
            value.replace(QStringLiteral("$HOME"), home);
            return value;
        }
    }
    return home + QStringLiteral("/Public");
}
}  // namespace

QString specialFolderPath(int folder) {
    QString path;
    if (folder == FolderDocuments)
        path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    else if (folder == FolderCommonDocuments)
        path = publicShareFolder();
    if (path.isEmpty()) return {};
    if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    return path;
}

QString userName() {
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return QString::fromLocal8Bit(pw->pw_name).trimmed();
    return qEnvironmentVariable("USER").trimmed();
}

VersionInfo versionInfo() {
    VersionInfo info;
    utsname u{};
    if (uname(&u) == 0) {
        info.systemName = QString::fromLocal8Bit(u.sysname);
        info.release = QString::fromLocal8Bit(u.release);
    }
    QFile file(QStringLiteral("/etc/os-release"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QString line = in.readLine();
            if (line.startsWith(QStringLiteral("PRETTY_NAME="))) {
                QString v = line.mid(12);
                if (v.startsWith(QLatin1Char('"'))) v = v.mid(1, v.size() - 2);
                info.prettyName = v;
            }
        }
    }
    return info;
}

QString newGuid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

QString decimalSymbol() { return QLocale::system().decimalPoint().left(1); }
QString digitGroupingSymbol() { return QLocale::system().groupSeparator().left(1); }

}  // namespace platform::os
