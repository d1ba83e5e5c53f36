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
// True when the CI variable asks that a missing prerequisite fail the test.
bool UnderCi();
void WriteFile(const QString& path, const QString& text);

}  // namespace testsupport

// Skips the test with a message naming what it needs; under CI=true the test fails
// instead, so a missing prerequisite is never a silent pass there.
#define MORVALEX_PREREQUISITE_MISSING(message)                                            \
    do {                                                                                   \
        if (::testsupport::UnderCi()) GTEST_FAIL() << "prerequisite missing: " << (message); \
        GTEST_SKIP() << (message);                                                        \
    } while (0)
