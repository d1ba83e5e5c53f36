#include "explorer/PreviewExport.h"

#include "core/FileUtil.h"
#include "core/bGlobal.h"
#include "explorer/Preview.h"
#include "platform/Error.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

using namespace bGlobal;

namespace PreviewExport {

namespace {

void copyFile(const QString& from, const QString& to) {
    if (QFileInfo(from).absoluteFilePath() == QFileInfo(to).absoluteFilePath()) return;
    WriteFileAtomic(to, ReadFileBytes(from));
}

// Copies the files of a folder tree over those of another, overwriting.
void copyFolder(const QString& from, const QString& to) {
    MakeFolders(to);
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        MakeFolders(QFileInfo(dst).path());
        copyFile(src, dst);
    }
}

}  // namespace

QString PortablePage(const QString& pageText) {
    const QString link = Preview::CSSLink();
    if (link.isEmpty()) return pageText;
    const QString name = QFileInfo(QUrl(link).toLocalFile()).fileName();
    QString text = pageText;
    text.replace(QStringLiteral("href=\"") + link + QLatin1Char('"'),
                 QStringLiteral("href=\"styles/") + QString::fromLatin1(QUrl::toPercentEncoding(name)) + QLatin1Char('"'));
    return text;
}

void WriteHtml(const QString& pageFile, const QString& sPath) {
    const QString folder = QFileInfo(sPath).absolutePath();
    MakeFolders(folder);
    copyFolder(AppPath() + QStringLiteral("/images"), folder + QStringLiteral("/images"));
    copyFolder(AppPath() + QStringLiteral("/styles"), folder + QStringLiteral("/styles"));
    const QString css = QUrl(Preview::CSSLink()).toLocalFile();
    if (!css.isEmpty() && QFileInfo(css).isFile())
        copyFile(css, folder + QStringLiteral("/styles/") + QFileInfo(css).fileName());
    WriteTextFileAtomic(sPath, PortablePage(ReadTextFile(pageFile)));
}

void WriteXml(const QString& xmlFile, const QString& sPath) {
    MakeFolders(QFileInfo(sPath).absolutePath());
    WriteTextFileAtomic(sPath, ReadTextFile(xmlFile));
}

}  // namespace PreviewExport
