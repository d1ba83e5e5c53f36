#pragma once
// The program's host: Qt message boxes and dialogs, the desktop's URL handler and
// clipboard. Lives in the widgets part of the platform layer.

#include "platform/ui/Host.h"

namespace platform::ui {

class QtHost : public Host {
public:
    Answer message(const QString& text, Icon icon, Buttons buttons, const QString& title) override;
    QString openFile(const QString& title, const QString& filter, const QString& folder) override;
    QString saveFile(const QString& title, const QString& filter, const QString& folder,
                     const QString& suggestedName) override;
    QString browseFolder(const QString& title, const QString& folder) override;
    bool openUrl(const QString& target) override;
    bool showHelp(const QString& helpFile, int contextId) override;
    void setClipboardText(const QString& text) override;
    QString clipboardText() override;
    bool printDialog(QPrinter& printer, const QString& title) override;
    void showModal(QObject* window) override;
    [[noreturn]] void endProgram(int code) override;
};

}  // namespace platform::ui
