#include "platform/ui/Host.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <cstdlib>

namespace platform::ui {
namespace {

class ConsoleHost : public Host {
public:
    Answer message(const QString& text, Icon, Buttons buttons, const QString& title) override {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(title), qPrintable(text));
        switch (buttons) {
        case Buttons::YesNo:
        case Buttons::YesNoCancel: return Answer::Yes;
        case Buttons::RetryCancel:
        case Buttons::RetryQuit: return Answer::Cancel;
        default: return Answer::Ok;
        }
    }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString browseFolder(const QString&, const QString&) override { return {}; }
    bool openUrl(const QString&) override { return false; }
    bool showHelp(const QString&, int) override { return false; }
    void setClipboardText(const QString& text) override { m_clip = text; }
    QString clipboardText() override { return m_clip; }
    bool printDialog(QPrinter&, const QString&) override { return false; }
    void showModal(QObject*) override {}
    [[noreturn]] void endProgram(int code) override {
        std::fflush(nullptr);
        std::exit(code);
    }

private:
    QString m_clip;
};

ConsoleHost g_console;
Host* g_host = nullptr;

}  // namespace

Host& host() { return g_host ? *g_host : g_console; }
void setHost(Host* h) { g_host = h; }

void endProgram(int code) {
    host().endProgram(code);
    std::abort();
}

QString filterExtension(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*(\\.[A-Za-z0-9]+)"));
    return pattern.match(filter).captured(1);
}

QString saveFileName(const QString& title, const QString& filter, const QString& folder, const QString& bareName) {
    const QString extension = filterExtension(filter);
    const QString start =
        bareName.isEmpty() ? QString() : QString(bareName).replace(QLatin1Char('/'), QLatin1Char('_')) + extension;
    const QString chosen = host().saveFile(title, filter, folder, start);
    const QFileInfo file(chosen);
    // The pattern itself ("*.mxs", "*.MXS") and the extension alone (".mxs", which
    // would be a hidden file) are no names: refused, and nothing is saved.
    const QString name = file.fileName();
    if (!chosen.isEmpty() && !extension.isEmpty() && !file.isDir() &&
        (name.compare(QLatin1Char('*') + extension, Qt::CaseInsensitive) == 0 ||
         name.compare(extension, Qt::CaseInsensitive) == 0)) {
        const QString caption = QCoreApplication::applicationName();
        host().message(QStringLiteral("\"") + name + QStringLiteral("\" is not a file name: it is the extension alone. Nothing was saved; "
                                                                    "save again and type a name before the extension."),
                       Icon::Exclamation, Buttons::Ok, caption.isEmpty() ? title : caption);
        return QString();
    }
    if (chosen.isEmpty() || !file.suffix().isEmpty() || file.isDir()) return chosen;
    return chosen + extension;
}

}  // namespace platform::ui
