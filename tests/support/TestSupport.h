#pragma once
// Helpers shared by the tests.

#include "platform/ui/ScriptedHost.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

namespace testsupport {

// Points the program's folders at a private temporary folder for one test, with the
// built resources (queries.mxq, styles, ...) copied in, and puts every global back to
// its start value afterwards (bGlobal::ResetGlobalsForTesting).
class AppFolder {
public:
    AppFolder();
    ~AppFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.path() + QLatin1Char('/') + name; }

private:
    QTemporaryDir m_dir;
};

// Sets environment variables for one scope and then puts back what was there before
// (the old value, or no variable at all), the last one set first.
class ScopedEnv {
public:
    ScopedEnv() = default;
    ScopedEnv(const char* name, const QString& value) { set(name, value); }
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;
    // A null value removes the variable.
    void set(const char* name, const QString& value);

private:
    struct Old {
        QByteArray name;
        bool wasSet;
        QByteArray value;
    };
    QList<Old> m_old;
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

// A word of a PDF page and its box, in points.
struct PdfWord {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
};
// The words of a PDF in reading order as pdftotext -bbox gives them, and the first
// page's width; empty when pdftotext fails (the failure is a test failure).
struct PdfText {
    double pageWidth = 0;
    QList<PdfWord> words;
};
PdfText PdfWords(const QString& pdf);

// Counts the turns of a timer started on construction: a check that the calling
// thread's events keep flowing while it waits for something.
struct TimerTicks {
    explicit TimerTicks(int intervalMs = 20) {
        QObject::connect(&timer, &QTimer::timeout, [this] { ++count; });
        timer.start(intervalMs);
    }
    int count = 0;
    QTimer timer;
};

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
