#pragma once
// Helpers shared by the tests.

#include "platform/ui/ScriptedHost.h"

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// Points the program's folders at a private temporary folder for one test, with the
// built resources (queries.mxq, styles, ...) copied in, and restores the globals to
// their start values afterwards.
class AppFolder {
public:
    AppFolder();
    ~AppFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_dir;
};

// Runs bGlobal::Main with the scripted host and the private folder.
void StartProgram();

QString ReadFile(const QString& path);
void WriteFile(const QString& path, const QString& text);

// True when the suite runs in CI (CI=true): a missing prerequisite is then a failure,
// not a skip.
bool InCI();

// Compares text with the golden file at goldenPath. MORVALEX_UPDATE_GOLDEN=1 (and no
// other value) rewrites the file instead; on a difference the new text is written to
// <build>/tests/actual/<file name> so it can be diffed and reviewed.
void ExpectGolden(const QString& text, const QString& goldenPath);

}  // namespace testsupport

// Skips the test with a message when a prerequisite (a server, a program, a file) is
// missing; under CI=true the test fails instead, so CI never passes on a skipped check.
#define MORVALEX_REQUIRE(condition, message)                                             \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            if (::testsupport::InCI()) GTEST_FAIL() << "missing in CI: " << (message);    \
            GTEST_SKIP() << (message);                                                   \
        }                                                                                \
    } while (0)
