#include "support/TestSupport.h"

#include "core/bGlobal.h"

#include <QFileInfo>

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace testsupport {

namespace {
void copyTree(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString src = it.next();
        const QString dst = to + src.mid(from.size());
        QDir().mkpath(QFileInfo(dst).path());
        QFile::copy(src, dst);
    }
}
}  // namespace

AppFolder::AppFolder() {
    copyTree(QStringLiteral(MORVALEX_RESOURCE_DIR), m_dir.path());
    bGlobal::SetAppPathForTesting(m_dir.path(), m_dir.path());
    bGlobal::gTempPath = m_dir.path() + QStringLiteral("/tmp/");
    QDir().mkpath(bGlobal::gTempPath);
}

AppFolder::~AppFolder() {
    bGlobal::SetAppPathForTesting(QString(), QString());
    bGlobal::gErrorOccurred = false;
    bGlobal::oStructureXML.reset();
    bGlobal::oLHXML.reset();
    bGlobal::oHistoryXML.reset();
    bGlobal::gReportNameSpace.clear();
    bGlobal::gReportNameSpaceURI.clear();
    bGlobal::SetErrorDialog({});
}

void StartProgram() {
    bGlobal::Main();
    bGlobal::gTempPath = bGlobal::AppPath() + QStringLiteral("/tmp/");
}

bool UnderCi() { return qEnvironmentVariable("CI").compare(QLatin1String("true"), Qt::CaseInsensitive) == 0; }

QString ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

void WriteFile(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text.toUtf8());
}

}  // namespace testsupport
