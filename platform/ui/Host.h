#pragma once
// The one door from program logic to the desktop: message boxes, file and folder
// dialogs, the shell, help, the clipboard, modal windows and ending the program.
// Logic code never calls Qt's dialogs or exit() itself; it asks host(). The program
// installs a Qt implementation at start; tests install a ScriptedHost.

#include <QString>
#include <QStringList>

class QObject;
class QPrinter;

namespace platform::ui {

enum class Icon { None, Critical, Question, Exclamation, Information };
// RetryQuit: "Retry" and "Quit without saving", which answers Cancel.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, RetryQuit };
enum class Answer { Ok, Cancel, Yes, No, Retry };

// Thrown by a host whose endProgram() must not return (the scripted host in tests);
// deliberately not a std::exception, so error traps let it pass.
struct ProgramEnded {
    int code = 0;
};

class Host {
public:
    virtual ~Host() = default;

    virtual Answer message(const QString& text, Icon icon, Buttons buttons, const QString& title) = 0;
    // Each returns the chosen path, or an empty string when the user cancelled.
    virtual QString openFile(const QString& title, const QString& filter, const QString& folder) = 0;
    virtual QString saveFile(const QString& title, const QString& filter, const QString& folder,
                             const QString& suggestedName) = 0;
    virtual QString browseFolder(const QString& title, const QString& folder) = 0;
    // Opens a file, folder, URL or mailto: text with the desktop's handler.
    virtual bool openUrl(const QString& target) = 0;
    // Opens the help page in the desktop's browser; false when the page is missing or
    // no browser could show it (the caller then tells the user where the page is).
    virtual bool showHelp(const QString& helpFile, int contextId) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual QString clipboardText() = 0;
    // The print dialog: the user sets up 'printer' (printer, pages, or printing to a
    // file); false when the user cancelled.
    virtual bool printDialog(QPrinter& printer, const QString& title) = 0;
    // Shows a window (a QWidget) modally and returns when it closes.
    virtual void showModal(QObject* window) = 0;
    // Ends the program. Does not return.
    [[noreturn]] virtual void endProgram(int code) = 0;
};

Host& host();
// Installs the host; the caller keeps ownership. Passing nullptr restores the default
// (a console host that answers Ok/Yes and writes messages to stderr).
void setHost(Host* h);
// Ends the program through the installed host; never returns.
[[noreturn]] void endProgram(int code);

// The extension, with its dot, of the first pattern of a dialog filter: ".mxs" for
// "Morvalex Database ScreenShot file (*.mxs)" or "HTML Files | *.html"; "" for none.
QString filterExtension(const QString& filter);
// The Save dialog of the installed host, its answer finished as a Save dialog finishes
// a name: one typed without an extension gets the filter's; one with an extension, or
// a folder, stays as it is. The name box starts with 'bareName' and the filter's
// extension ("/" in the name becomes "_"), or empty. "" when the user cancelled; also
// "", after a message saying why, when the name is the filter's pattern itself
// ("*.mxs", in any case) or its extension alone (".mxs").
QString saveFileName(const QString& title, const QString& filter, const QString& folder, const QString& bareName);

}  // namespace platform::ui
