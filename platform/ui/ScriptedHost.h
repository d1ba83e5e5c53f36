#pragma once
// A host for tests: records every prompt and answers from queues. An empty queue
// answers the first button (Ok, Yes or Retry; Quit without saving for RetryQuit, so
// that a retry nothing changed cannot ask forever) and an empty path. endProgram
// throws ProgramEnded so a test sees that the program would have ended.

#include "platform/ui/Host.h"

#include <QList>
#include <QQueue>
#include <functional>

namespace platform::ui {

struct Prompt {
    QString kind;  // "message", "open", "save", "folder", "url", "help", "print", "modal", "end"
    QString text;
    QString title;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

class ScriptedHost : public Host {
public:
    Answer message(const QString& text, Icon icon, Buttons buttons, const QString& title) override;
    QString openFile(const QString& title, const QString& filter, const QString& folder) override;
    QString saveFile(const QString& title, const QString& filter, const QString& folder,
                     const QString& suggestedName) override;
    QString browseFolder(const QString& title, const QString& folder) override;
    bool openUrl(const QString& target) override;
    bool showHelp(const QString& helpFile, int contextId) override;
    void setClipboardText(const QString& text) override { clipboard = text; }
    QString clipboardText() override { return clipboard; }
    bool printDialog(QPrinter& printer, const QString& title) override;
    void showModal(QObject* window) override;
    [[noreturn]] void endProgram(int code) override;

    // Messages only, in order.
    QStringList messages() const;

    QList<Prompt> prompts;
    QQueue<Answer> answers;
    QQueue<QString> paths;
    QStringList openedUrls;
    QString clipboard;
    // What showHelp answers: whether a browser showed the page.
    bool helpOpens = true;
    // What openUrl answers: whether the desktop's opener showed the file.
    bool urlsOpen = true;
    int endedWith = -1;
    // Plays the user in the print dialog (sets up the printer, say to print into a
    // file) and answers whether to print. Not set: the dialog is cancelled.
    std::function<bool(QPrinter&)> onPrint;
    // Called when a message is shown, before it is answered, so a test can act while
    // the user reads it (free disk space, say).
    std::function<void(const Prompt&)> onMessage;
    // Called when a window is shown modally, so a test can drive it; the window
    // returns when this returns. Not set: the call returns at once.
    std::function<void(QObject*)> onModal;
};

// Installs a ScriptedHost for the life of the object and restores the previous one.
class ScopedScriptedHost {
public:
    ScopedScriptedHost();
    ~ScopedScriptedHost();
    ScriptedHost& operator*() { return m_host; }
    ScriptedHost* operator->() { return &m_host; }

private:
    ScriptedHost m_host;
    Host* m_previous;
};

}  // namespace platform::ui
