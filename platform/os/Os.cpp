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
// The user's documents folder: XDG_DOCUMENTS_DIR when the environment sets it, else the
// entry of user-dirs.dirs, else ~/Documents (QStandardPaths reads the file and falls back).
QString documentsFolder() {
    const QString fromEnv = qEnvironmentVariable("XDG_DOCUMENTS_DIR");
    if (QDir::isAbsolutePath(fromEnv)) return fromEnv;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}
}  // namespace

QString specialFolderPath(int folder) {
    // Linux has no writable folder shared by all users, so common documents is unresolved.
    if (folder != FolderDocuments) return {};
    QString path = documentsFolder();
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
