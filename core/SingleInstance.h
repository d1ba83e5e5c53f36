#pragma once
// One program per data folder. The first start listens on a local socket in the data
// folder (its owner's alone); a later start on the same folder hands its command line
// over that socket to the running program and ends. A socket left by a program that
// ended without removing it (a crash, a kill) answers nobody: the start that finds it
// removes it and goes on as the first. Window thread only; needs a QCoreApplication.

#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // How Claim ended.
    enum class Outcome {
        First,       // no program runs on the folder: this one now listens
        HandedOver,  // a running program took the command line: this start ends
        Alone,       // the socket could not be made: this start goes on without it
    };
    // Hands commandLine to a program already running on the data folder, or, when none
    // answers within timeoutMs, becomes the program that listens. Two starts at the
    // same moment are told apart by a lock file beside the socket.
    Outcome Claim(const QString& commandLine, int timeoutMs = 3000);

    QString SocketPath() const { return m_socketPath; }

signals:
    // A later start handed over its command line ("" when it had none).
    void CommandLineReceived(const QString& commandLine);

private:
    bool HandOver(const QString& commandLine, int timeoutMs);
    bool Listen();
    void Accept();

    QString m_socketPath;
    QString m_lockPath;
    QLocalServer* m_server = nullptr;
};
