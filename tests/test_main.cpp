// Shared main for the test programs: a QApplication on the offscreen platform, a
// scripted host, and a private MORVALEX_HOME so no test touches the user's files.

#include "core/bGlobal.h"
#include "platform/ui/ScriptedHost.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("MORVALEX_HOME", home.path().toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/xdg-data")).toUtf8());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    platform::ui::ScriptedHost fallback;
    platform::ui::setHost(&fallback);
    return RUN_ALL_TESTS();
}
