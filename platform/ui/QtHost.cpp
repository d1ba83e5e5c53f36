#include "platform/ui/QtHost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace platform::ui {

namespace {
// How long showHelp waits for the opener to report a browser that did not start.
constexpr int kHelpOpenerWaitMs = 4000;

// Windows-style filters ("XML Files (*.xml)|*.xml|All Files|*.*") become Qt's.
QString qtFilter(const QString& filter) {
    if (!filter.contains(QLatin1Char('|'))) return filter;
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1];
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString label = parts[i];
        if (!label.contains(QLatin1Char('('))) label += QStringLiteral(" (") + pattern + QLatin1Char(')');
        out << label;
    }
    return out.join(QStringLiteral(";;"));
}
}  // namespace

Answer QtHost::message(const QString& text, Icon icon, Buttons buttons, const QString& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::None: break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case Buttons::RetryCancel: box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel); break;
    case Buttons::RetryQuit:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Discard);
        box.button(QMessageBox::Discard)->setText(QStringLiteral("&Quit without saving"));
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel:
    case QMessageBox::Discard: return Answer::Cancel;
    case QMessageBox::Retry: return Answer::Retry;
    default: return Answer::Ok;
    }
}

QString QtHost::openFile(const QString& title, const QString& filter, const QString& folder) {
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, folder, qtFilter(filter));
}

QString QtHost::saveFile(const QString& title, const QString& filter, const QString& folder,
                         const QString& suggestedName) {
    QString start = folder;
    if (!suggestedName.isEmpty()) start = QFileInfo(folder + QLatin1Char('/') + suggestedName).filePath();
    QFileDialog dialog(QApplication::activeWindow(), title, start, qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets the filter's before the dialog asks
    // whether to replace a file of that name.
    dialog.setDefaultSuffix(filterExtension(filter).mid(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

QString QtHost::browseFolder(const QString& title, const QString& folder) {
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, folder);
}

bool QtHost::openUrl(const QString& target) {
    const QUrl url = target.contains(QStringLiteral("://")) || target.startsWith(QStringLiteral("mailto:"))
                         ? QUrl(target)
                         : QUrl::fromLocalFile(target);
    return QDesktopServices::openUrl(url);
}

bool QtHost::showHelp(const QString& helpFile, int) {
    if (!QFileInfo(helpFile).isFile()) return false;
    const QString url = QUrl::fromLocalFile(helpFile).toString(QUrl::FullyEncoded);
    // xdg-open reports a browser that refuses to start (Chromium as root, for one) by
    // its exit code. One that is still running after a short while is showing the page:
    // it is left running.
    auto* opener = new QProcess(qApp);
    opener->setProcessChannelMode(QProcess::ForwardedChannels);
    opener->start(QStringLiteral("xdg-open"), {url});
    if (!opener->waitForStarted()) {
        opener->deleteLater();
        return QDesktopServices::openUrl(QUrl(url));
    }
    QEventLoop loop;
    QObject::connect(opener, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kHelpOpenerWaitMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (opener->state() != QProcess::NotRunning) {
        QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
        return true;
    }
    const bool opened = opener->exitStatus() == QProcess::NormalExit && opener->exitCode() == 0;
    opener->deleteLater();
    return opened;
}

bool QtHost::printDialog(QPrinter& printer, const QString& title) {
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

void QtHost::setClipboardText(const QString& text) { QApplication::clipboard()->setText(text); }

QString QtHost::clipboardText() { return QApplication::clipboard()->text(); }

void QtHost::showModal(QObject* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window)) {
        dialog->exec();
        return;
    }
    auto* widget = qobject_cast<QWidget*>(window);
    if (!widget) return;
    QPointer<QWidget> guard(widget);
    widget->setWindowModality(Qt::ApplicationModal);
    widget->show();
    QEventLoop loop;
    // The loop ends when the window hides or is destroyed.
    while (guard && guard->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
}

void QtHost::endProgram(int code) {
    std::fflush(nullptr);
    std::exit(code);
}

}  // namespace platform::ui
