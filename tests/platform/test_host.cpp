#include "platform/ui/QtHost.h"
#include "platform/ui/ScriptedHost.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform::ui;

TEST(ScriptedHost, RecordsPromptsAnswersFromQueueAndEnds) {
    ScopedScriptedHost h;
    h->answers.enqueue(Answer::No);
    EXPECT_EQ(host().message(QStringLiteral("Delete?"), Icon::Question, Buttons::YesNo, QStringLiteral("T")), Answer::No);
    EXPECT_EQ(host().message(QStringLiteral("Again?"), Icon::Question, Buttons::YesNo, QStringLiteral("T")), Answer::Yes);
    h->paths.enqueue(QStringLiteral("/tmp/x.xml"));
    EXPECT_EQ(host().openFile(QStringLiteral("Open"), QStringLiteral("*.xml"), QString()), QStringLiteral("/tmp/x.xml"));
    EXPECT_EQ(host().openFile(QStringLiteral("Open"), QStringLiteral("*.xml"), QString()), QString());
    EXPECT_EQ(h->messages(), (QStringList{QStringLiteral("Delete?"), QStringLiteral("Again?")}));
    EXPECT_THROW(host().endProgram(3), ProgramEnded);
    EXPECT_EQ(h->endedWith, 3);
}

// The help page opens through xdg-open; a stand-in on PATH plays the desktop's opener.
TEST(QtHost, HelpReportsAPageNoBrowserCouldShow) {
    QTemporaryDir bin;
    const QString page = bin.filePath(QStringLiteral("index.html"));
    QFile(page).open(QIODevice::WriteOnly);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toUtf8() + ':' + oldPath);
    const struct {
        const char* name;
        QString file;
        const char* opener;  // the stand-in's script body
        bool opens;
    } cases[] = {
        {"browser refuses to start", page, "exit 3", false},
        {"browser shows the page", page, "exit 0", true},
        {"browser still running", page, "sleep 30", true},
        {"page missing", bin.filePath(QStringLiteral("gone.html")), "exit 0", false},
    };
    QtHost qt;
    for (const auto& c : cases) {
        QFile script(bin.filePath(QStringLiteral("xdg-open")));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
        script.write(QByteArray("#!/bin/sh\n") + c.opener + '\n');
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(qt.showHelp(c.file, 0), c.opens) << c.name;
        EXPECT_LT(timer.elapsed(), 10000) << c.name;
    }
    qputenv("PATH", oldPath);
}
