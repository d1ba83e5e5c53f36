#include "platform/word/Word.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace platform::word {

namespace {

// Kills the conversion's process group: soffice starts oosplash and soffice.bin, and
// killing the first alone would leave the others running.
void killGroup(QProcess& process) {
    const qint64 pid = process.processId();
    if (pid > 0) ::kill(-pid_t(pid), SIGKILL);
    process.kill();
    process.waitForFinished(5000);
}

}  // namespace

QString sofficePath() {
    QString path = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (path.isEmpty()) path = QStandardPaths::findExecutable(QStringLiteral("libreoffice"));
    return path;
}

int timeLimitMs() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("MORVALEX_WORD_TIMEOUT_MS", &ok);
    return ok && ms > 0 ? ms : 120000;
}

Conversion convertHtml(const QString& htmlFile, const QString& target, int timeoutMs) {
    Conversion result;
    const QString soffice = sofficePath();
    if (soffice.isEmpty()) {
        result.error = QStringLiteral("LibreOffice (soffice) is not installed");
        return result;
    }
    if (!QFileInfo(htmlFile).isFile()) {
        result.error = QStringLiteral("No such file: ") + htmlFile;
        return result;
    }
    const QFileInfo targetInfo(target);
    if (targetInfo.isDir()) {
        result.error = QStringLiteral("The target is a folder: ") + target;
        return result;
    }
    const bool docx = targetInfo.suffix().compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0;

    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/morvalex-word-XXXXXX"));
    if (!work.isValid()) {
        result.error = QStringLiteral("Cannot make a temporary folder");
        return result;
    }
    const QString profile = work.path() + QStringLiteral("/profile");
    const QString outDir = work.path() + QStringLiteral("/out");
    QDir().mkpath(outDir);

    QProcess process;
    process.setProgram(soffice);
    process.setArguments({QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(),
                          QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nologo"),
                          QStringLiteral("--nolockcheck"), QStringLiteral("--infilter=HTML (StarWriter)"),
                          QStringLiteral("--convert-to"),
                          docx ? QStringLiteral("docx:MS Word 2007 XML") : QStringLiteral("doc:MS Word 97"),
                          QStringLiteral("--outdir"), outDir, QFileInfo(htmlFile).absoluteFilePath()});
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    // A process group of its own, so the time limit ends every process it starts.
    process.setChildProcessModifier([] { ::setsid(); });
    process.start();
    if (!process.waitForStarted(10000)) {
        result.error = QStringLiteral("soffice did not start: ") + process.errorString();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        killGroup(process);
        result.timedOut = true;
        result.error = QStringLiteral("soffice did not finish within %1 s").arg(timeoutMs / 1000.0);
        return result;
    }
    const QString written = outDir + QLatin1Char('/') + QFileInfo(htmlFile).completeBaseName() +
                            (docx ? QStringLiteral(".docx") : QStringLiteral(".doc"));
    if (QFileInfo(written).size() <= 0) {
        result.error = QStringLiteral("soffice wrote no document: ") + QString::fromLocal8Bit(process.readAll()).trimmed();
        return result;
    }
    // Into the target's folder under a temporary name, then renamed over the target,
    // so a failure never leaves half a document.
    const QString partial = targetInfo.absolutePath() + QStringLiteral("/.") + targetInfo.fileName() + QStringLiteral(".part");
    QFile::remove(partial);
    QFile document(written);
    if (!document.copy(partial)) {
        QFile::remove(partial);
        result.error = QStringLiteral("Cannot write into ") + targetInfo.absolutePath() + QStringLiteral(": ") + document.errorString();
        return result;
    }
    QFile::remove(target);
    if (!QFile::rename(partial, target)) {
        QFile::remove(partial);
        result.error = QStringLiteral("Cannot write ") + target;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace platform::word
