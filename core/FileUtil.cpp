#include "core/FileUtil.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using platform::RuntimeError;

namespace {
// The description names the file, so a message about it tells the user which one.
[[noreturn]] void raise(long number, const QString& text, const QString& path) {
    throw RuntimeError(number, text + QStringLiteral(": ") + QDir::toNativeSeparators(path));
}

[[noreturn]] void fail(const QFileDevice& f, const QString& path) {
    const QString denied = QStringLiteral("Permission denied");
    if (f.error() == QFileDevice::PermissionsError) raise(platform::err::PermissionDenied, denied, path);
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) raise(platform::err::PathNotFound, QStringLiteral("Path not found"), path);
    if (info.exists() && !info.isWritable()) raise(platform::err::PermissionDenied, denied, path);
    if (!QFileInfo(info.absolutePath()).isWritable()) raise(platform::err::PermissionDenied, denied, path);
    raise(platform::err::PathFileAccessError, QStringLiteral("Path/File access error (") + f.errorString() + QLatin1Char(')'), path);
}
}  // namespace

void WriteTextFileAtomic(const QString& path, const QString& text) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) fail(file, path);
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        fail(file, path);
    }
    if (!file.commit()) fail(file, path);
}

QString ReadTextFile(const QString& path) {
    QFile file(path);
    if (!file.exists()) raise(platform::err::FileNotFound, QStringLiteral("File not found"), path);
    if (!file.open(QIODevice::ReadOnly)) fail(file, path);
    return QString::fromUtf8(file.readAll());
}

bool DeleteFileIfExists(const QString& path) {
    if (path.isEmpty()) return true;
    QFile file(path);
    if (!file.exists()) return true;
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
    return file.remove();
}
