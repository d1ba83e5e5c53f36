// One program per data folder: real starts of the program (offscreen, a data folder of
// their own) and the local socket between them.

#include "ExplorerFixture.h"
#include "core/SingleInstance.h"
#include "explorer/StructureFile.h"
#include "explorer/TreeDocument.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>

namespace {

// Turns the event loop until done() holds or ms have passed; whether it held.
bool Eventually(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QTest::qWait(50);
    }
    return true;
}

// Leaves a socket file at path that nobody listens on, as a program that crashed does.
bool LeaveStaleSocket(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(name.size()) >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    const bool bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return bound && QFileInfo::exists(path);
}

struct Starts : explorertest::Fixture {
    QTemporaryDir data;

    QString Program() const { return QStringLiteral(MORVALEX_BINARY_DIR "/morvalex"); }

    void Start(QProcess& p, const QStringList& arguments) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MORVALEX_HOME"), data.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(environment);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(Program(), arguments);
    }

    // The history as the running program last wrote it.
    QString History() const {
        const QString cipher = testsupport::ReadFile(data.filePath(QStringLiteral("history.mxh")));
        return cipher.isEmpty() ? QString() : bGlobal::DecryptText(cipher, bGlobal::gPassPhrase4);
    }
};

}  // namespace

// A second start on the same data folder hands its structure file to the running
// program and ends at once; the running program opens the file in its window and
// writes it to its history. A socket left by a crash does not stop the first start.
TEST_F(Starts, ASecondStartHandsItsFileToTheRunningProgram) {
    MORVALEX_REQUIRE(QFileInfo(Program()).isExecutable(), "the program is not built");
    const struct {
        const char* name;
        bool staleSocket;
    } cases[] = {{"a fresh data folder", false}, {"a socket left by a program that crashed", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(data.isValid());
        QDir(data.path()).removeRecursively();
        QDir().mkpath(data.path());
        // A history with one group, so that the first start opens no wizard.
        cXML history;
        TreeDocument::AddGroup(history, QStringLiteral("Kept Group"));
        testsupport::WriteFile(data.filePath(QStringLiteral("history.mxh")),
                               bGlobal::EncryptText(history.GetXMLContent(), bGlobal::gPassPhrase4));
        const QString socket = data.filePath(QStringLiteral("morvalex.socket"));
        if (c.staleSocket) {
            ASSERT_TRUE(LeaveStaleSocket(socket));
        }
        // The structure file, named relative to the second start's own folder.
        auto structure = explorertest::Document(explorertest::StructureXml(QStringLiteral("handed")));
        QDir().mkpath(folder.file(QStringLiteral("files")));
        StructureFile::Write(folder.file(QStringLiteral("files/handed.mxs")), *structure);

        QProcess first;
        Start(first, {});
        ASSERT_TRUE(first.waitForStarted());
        // Until the first listens, a later start would find nobody.
        ASSERT_TRUE(Eventually(
            [&] {
                QLocalSocket s;
                s.connectToServer(socket);
                return s.waitForConnected(200);
            },
            10000))
            << "the first start does not listen";

        QProcess second;
        second.setWorkingDirectory(folder.file(QStringLiteral("files")));
        QElapsedTimer clock;
        clock.start();
        Start(second, {QStringLiteral("handed.mxs")});
        ASSERT_TRUE(second.waitForFinished(10000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0);
        // Well before its splash would have given way to a window.
        EXPECT_LT(clock.elapsed(), 4000);

        // The running program opens the file (after its own splash) and saves the change.
        EXPECT_TRUE(Eventually([&] { return History().contains(QStringLiteral("Name=\"handed\"")); }, 20000)) << qPrintable(History());
        EXPECT_TRUE(History().contains(QStringLiteral("Name=\"Kept Group\""))) << qPrintable(History());
        EXPECT_EQ(first.state(), QProcess::Running);

        // A start without a file only brings the window to the front.
        QProcess third;
        Start(third, {});
        ASSERT_TRUE(third.waitForFinished(10000));
        EXPECT_EQ(third.exitCode(), 0);
        QTest::qWait(500);
        EXPECT_EQ(first.state(), QProcess::Running);
        EXPECT_EQ(History().count(QStringLiteral("<DATABASECONNECTION ")), 1) << qPrintable(History());

        first.terminate();
        ASSERT_TRUE(first.waitForFinished(10000));
    }
}

// The socket logic alone: the first claim listens (over a stale socket too), a second
// claim on the folder hands its line over and the first receives it.
TEST(SingleInstanceSocket, TheFirstListensAndALaterClaimHandsOver) {
    for (bool stale : {false, true}) {
        SCOPED_TRACE(stale ? "over a stale socket" : "fresh");
        QTemporaryDir dir;
        SingleInstance first(dir.path());
        if (stale) {
            ASSERT_TRUE(LeaveStaleSocket(first.SocketPath()));
        }
        ASSERT_EQ(first.Claim(QString(), 200), SingleInstance::Outcome::First);
        EXPECT_EQ(QFileInfo(first.SocketPath()).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::ReadGroup | QFile::WriteGroup),
                  QFile::Permissions());
        QSignalSpy received(&first, &SingleInstance::CommandLineReceived);
        SingleInstance second(dir.path());
        EXPECT_EQ(second.Claim(QStringLiteral("/data/shop file.mxs"), 200), SingleInstance::Outcome::HandedOver);
        ASSERT_TRUE(received.wait(2000) || received.size() == 1);
        EXPECT_EQ(received.first().first().toString(), QStringLiteral("/data/shop file.mxs"));
    }
}
