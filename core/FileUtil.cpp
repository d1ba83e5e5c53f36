#include "core/FileUtil.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using platform::RuntimeError;

namespace {
[[noreturn]] void fail(const QFileDevice& f, const QString& path) {
    switch (f.error()) {
    case QFileDevice::PermissionsError:
        throw RuntimeError(platform::err::PermissionDenied, QStringLiteral("Permission denied"));
    default: break;
    }
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) throw RuntimeError(platform::err::PathNotFound, QStringLiteral("Path not found"));
    if (info.exists() && !info.isWritable())
        throw RuntimeError(platform::err::PermissionDenied, QStringLiteral("Permission denied"));
    if (!QFileInfo(info.absolutePath()).isWritable())
        throw RuntimeError(platform::err::PermissionDenied, QStringLiteral("Permission denied"));
    throw RuntimeError(platform::err::PathFileAccessError, QStringLiteral("Path/File access error: ") + f.errorString());
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
    if (!file.exists()) throw RuntimeError(platform::err::FileNotFound, QStringLiteral("File not found"));
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
