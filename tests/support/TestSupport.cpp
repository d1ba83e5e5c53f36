#include "support/TestSupport.h"

#include "core/bGlobal.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

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

AppFolder::~AppFolder() { bGlobal::ResetGlobalsForTesting(); }

void ScopedEnv::set(const char* name, const QString& value) {
    m_old.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
    if (value.isNull()) qunsetenv(name);
    else qputenv(name, value.toUtf8());
}

ScopedEnv::~ScopedEnv() {
    for (auto it = m_old.rbegin(); it != m_old.rend(); ++it)
        if (it->wasSet) qputenv(it->name.constData(), it->value);
        else qunsetenv(it->name.constData());
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

PdfText PdfWords(const QString& pdf) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const bool finished = text.waitForFinished(30000);
    EXPECT_TRUE(finished && text.exitCode() == 0) << text.readAllStandardError().toStdString();
    const QString boxes = QString::fromUtf8(text.readAllStandardOutput());
    PdfText out;
    static const QRegularExpression page(QStringLiteral("<page width=\"([\\d.]+)\""));
    out.pageWidth = page.match(boxes).captured(1).toDouble();
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = word.globalMatch(boxes); it.hasNext();) {
        const auto m = it.next();
        out.words << PdfWord{m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                             m.captured(4).toDouble()};
    }
    return out;
}

}  // namespace testsupport
