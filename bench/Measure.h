#pragma once
// Runs a command in a child process and measures it with wait4: wall time and the
// child's own peak resident set. Shared by the benchmarks.

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bench {

struct Measure {
    double seconds = 0;
    double peakMB = 0;
    int exitCode = -1;
};

// stdin from stdinFile when it is given; stdout to stdoutFile; stderr to stderrFile when
// it is given, else the caller's.
inline Measure run(const QStringList& argv, const QString& stdinFile = QString(),
                   const QString& stdoutFile = QStringLiteral("/dev/null"), const QString& stderrFile = QString()) {
    Measure m;
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (!stdinFile.isEmpty()) {
            if (!freopen(qPrintable(stdinFile), "r", stdin)) _exit(127);
        }
        if (!freopen(qPrintable(stdoutFile), "w", stdout)) _exit(127);
        if (!stderrFile.isEmpty() && !freopen(qPrintable(stderrFile), "w", stderr)) _exit(127);
        std::vector<QByteArray> args;
        for (const QString& a : argv) args.push_back(a.toLocal8Bit());
        std::vector<char*> raw;
        for (auto& a : args) raw.push_back(a.data());
        raw.push_back(nullptr);
        execvp(raw[0], raw.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    m.seconds = double(timer.nsecsElapsed()) / 1e9;
    m.peakMB = double(usage.ru_maxrss) / 1024.0;
    m.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

}  // namespace bench
