#include "platform/ui/ScriptedHost.h"

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
