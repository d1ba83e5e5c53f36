#include "platform/ui/QtHost.h"
#include "platform/ui/ScriptedHost.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

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
    const testsupport::ScopedEnv path("PATH", bin.path() + QLatin1Char(':') + qEnvironmentVariable("PATH"));
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
}

// Qt's own Save dialog (the offscreen platform has no native one), played by a timer:
// the name box starts with the suggested name, a name typed without an extension comes
// back with the filter's, and the question whether to replace a file is asked about the
// file that will be written.
TEST(QtHost, TheSaveDialogGivesANameWithoutExtensionTheFilters) {
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("old.mxs"))).open(QIODevice::WriteOnly);
    const struct {
        const char* typed;
        const char* chosen;
        bool replaceAsked;
    } cases[] = {
        {"shopdb", "shopdb.mxs", false},
        {"shop.backup", "shop.backup", false},
        {"old", "old.mxs", true},
    };
    QtHost qt;
    for (const auto& c : cases) {
        QString startedWith;
        bool replaceAsked = false;
        QTimer user;
        QObject::connect(&user, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* question = qobject_cast<QMessageBox*>(modal)) {
                replaceAsked = question->text().contains(QStringLiteral("old.mxs"));
                if (QAbstractButton* yes = question->button(QMessageBox::Yes)) yes->click();
                else question->reject();
            } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (!name) return dialog->reject();
                if (startedWith.isNull()) startedWith = name->text();
                name->setText(QString::fromLatin1(c.typed));
                // Queued: the question the dialog may ask is answered by a later turn.
                QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
            }
        });
        user.start(20);
        EXPECT_EQ(qt.saveFile(QStringLiteral("Save"), QStringLiteral("Morvalex Database ScreenShot file (*.mxs)"), dir.path(),
                              QStringLiteral("shop.mxs")),
                  dir.filePath(QString::fromLatin1(c.chosen)))
            << c.typed;
        EXPECT_EQ(startedWith, QStringLiteral("shop.mxs")) << c.typed;
        EXPECT_EQ(replaceAsked, c.replaceAsked) << c.typed;
    }
}
