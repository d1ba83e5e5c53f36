#include "support/TestSupport.h"

#include "core/bGlobal.h"

#include <QFileInfo>

#include <gtest/gtest.h>

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

bool InCI() { return qEnvironmentVariable("CI") == QLatin1String("true"); }

void ExpectGolden(const QString& text, const QString& goldenPath) {
    if (qEnvironmentVariable("MORVALEX_UPDATE_GOLDEN") == QLatin1String("1")) {
        WriteFile(goldenPath, text);
        return;
    }
    ASSERT_TRUE(QFile::exists(goldenPath)) << "missing golden file " << qPrintable(goldenPath)
                                           << " (MORVALEX_UPDATE_GOLDEN=1 writes it)";
    const QString expected = ReadFile(goldenPath);
    if (expected == text) return;
    const QString actual =
        QStringLiteral(MORVALEX_BINARY_DIR "/tests/actual/") + QFileInfo(goldenPath).fileName();
    WriteFile(actual, text);
    ADD_FAILURE() << "differs from " << qPrintable(goldenPath) << "; the new text is in " << qPrintable(actual)
                  << " (MORVALEX_UPDATE_GOLDEN=1 rewrites the golden file)";
}

}  // namespace testsupport
