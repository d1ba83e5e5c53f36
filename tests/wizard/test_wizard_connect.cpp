// The wizard's connect: it runs while the window keeps painting, Cancel or the close
// box during it gives the attempt up and then closes the wizard, and an attempt that
// gets no answer ends at the login time limit with the driver's message.

#include "support/TestSupport.h"
#include "core/bGlobal.h"
#include "platform/OffThread.h"
#include "support/SilentPort.h"
#include "support/WizardSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

using namespace bGlobal;
using testsupport::SilentPort;
using wizardtest::WizardTest;

namespace {

QString silentServer(int port) {
    return QStringLiteral("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=shop;UID=u;PWD=p").arg(port);
}

class WizardConnect : public WizardTest {};

}  // namespace

TEST_F(WizardConnect, CancellingAConnectThatGetsNoAnswerGivesItUpAndClosesTheWizard) {
    enum Way { CancelButton, CloseBox, ProgramClosing };
    for (const Way way : {CancelButton, CloseBox, ProgramClosing}) {
        SCOPED_TRACE(int(way));
        SilentPort silent;
        ASSERT_GT(silent.port(), 0);
        host->prompts.clear();
        const QString before = TreeText();
        frmDatabaseConnection& w = Open();
        const QPointer<frmDatabaseConnection> alive(&w);
        ChooseType(w, dbOthers);
        w.txtConnectionString->setText(silentServer(silent.port()));

        testsupport::TimerTicks ticks;
        // While connecting only Cancel answers: a second Next starts nothing.
        bool onlyCancelAnswered = false;
        QTimer::singleShot(150, &w, [&] {
            onlyCancelAnswered = w.cmdNavigate[0]->isEnabled() && !w.cmdNavigate[1]->isEnabled() &&
                                 !w.cmdNavigate[2]->isEnabled() && !w.fraStep[1]->isEnabled();
            if (way == CancelButton) {
                // Not compared pixel by pixel: the picture shows the page while connecting.
                const QString shots = QStringLiteral(MORVALEX_BINARY_DIR "/screenshots");
                QDir().mkpath(shots);
                w.grab().save(shots + QStringLiteral("/wizard-connecting.png"));
            }
            w.cmdNavigate_Click(2);
        });
        QElapsedTimer sinceCancel;
        QTimer::singleShot(300, &w, [&] {
            sinceCancel.start();
            switch (way) {
            case CancelButton: Click(w, 0); break;
            case CloseBox: w.close(); break;
            case ProgramClosing: w.Unload(); break;
            }
        });
        Click(w, 2);

        ASSERT_TRUE(sinceCancel.isValid()) << "the connect returned before Cancel was pressed";
        EXPECT_LT(sinceCancel.elapsed(), 1000) << "the wizard did not close soon after Cancel";
        // About 15 on a quiet machine; a loaded one fires the timer late, a frozen loop not at all.
        EXPECT_GE(ticks.count, 4) << "the window's timer stopped while connecting";
        EXPECT_TRUE(onlyCancelAnswered);
        EXPECT_TRUE(w.IsUnloaded());
        EXPECT_FALSE(w.HasReader());
        EXPECT_TRUE(host->prompts.isEmpty()) << host->messages().join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(TreeText(), before);
        Settle();
        EXPECT_TRUE(alive.isNull());
        // The attempt given up ends when the port resets it, and frees its reader.
        silent.close();
        EXPECT_TRUE(platform::WaitForOffThreadWork(20000));
    }
}

TEST_F(WizardConnect, AConnectThatGetsNoAnswerEndsAtTheLoginLimitWithTheDriversMessage) {
    SilentPort silent;
    ASSERT_GT(silent.port(), 0);
    frmDatabaseConnection& w = Open();
    ChooseType(w, dbOthers);
    w.txtConnectionString->setText(silentServer(silent.port()));
    testsupport::TimerTicks ticks;
    QElapsedTimer clock;
    clock.start();
    Click(w, 2);
    // The login time limit is 15 seconds.
    EXPECT_GE(clock.elapsed(), 14000);
    EXPECT_LT(clock.elapsed(), 25000);
    EXPECT_GE(ticks.count, 25) << "the window's timer stopped while connecting";
    ASSERT_EQ(host->messages().size(), 1);
    const QString shown = host->messages().first();
    EXPECT_TRUE(shown.contains(QLatin1String("timeout"), Qt::CaseInsensitive)) << shown.toStdString();
    EXPECT_FALSE(shown.contains(QLatin1String("server name"))) << shown.toStdString();
    EXPECT_EQ(w.Step(), 1);
    EXPECT_FALSE(w.HasReader());
}
