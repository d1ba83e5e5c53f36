#include "core/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <memory>

namespace {

// The message is the command line in UTF-8 ended by a line feed; the running program
// answers "ok" and a line feed once it has taken it.
constexpr char kEnd = '\n';
const QByteArray kTaken = QByteArrayLiteral("ok\n");

}  // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent)
    : QObject(parent),
      m_socketPath(QDir(dataFolder).filePath(QStringLiteral("morvalex.socket"))),
      m_lockPath(QDir(dataFolder).filePath(QStringLiteral("morvalex.socket.lock"))) {}

SingleInstance::~SingleInstance() {
    if (m_server) m_server->close();  // removes the socket file
}

SingleInstance::Outcome SingleInstance::Claim(const QString& commandLine, int timeoutMs) {
    QLockFile lock(m_lockPath);
    lock.setStaleLockTime(0);  // a lock whose holder is gone is stale at once
    const bool locked = lock.tryLock(timeoutMs);
    if (HandOver(commandLine, timeoutMs)) return Outcome::HandedOver;
    if (!locked) return Outcome::Alone;
    return Listen() ? Outcome::First : Outcome::Alone;
}

bool SingleInstance::HandOver(const QString& commandLine, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(timeoutMs)) return false;
    QByteArray message = commandLine.toUtf8();
    message.replace(kEnd, ' ');
    message += kEnd;
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The running program answers once it has read the line; one that is busy still
    // has the line waiting in its socket and reads it when it gets to it.
    QByteArray answer;
    while (!answer.endsWith(kEnd) && socket.waitForReadyRead(timeoutMs)) answer += socket.readAll();
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::Listen() {
    // Nobody answered: a socket file still there was left by a program that ended.
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::Accept);
    return true;
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The bytes read so far live as long as the connection to readyRead, which
        // goes with the socket.
        const auto received = std::make_shared<QByteArray>();
        const auto read = [this, socket, received] {
            *received += socket->readAll();
            const qsizetype end = received->indexOf(kEnd);
            if (end < 0) return;
            const QString commandLine = QString::fromUtf8(received->left(end));
            received->clear();
            socket->write(kTaken);
            socket->flush();
            emit CommandLineReceived(commandLine);
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        if (socket->bytesAvailable() > 0) read();
    }
}
