#include "platform/ui/ScriptedHost.h"

#include <QObject>

namespace platform::ui {

Answer ScriptedHost::message(const QString& text, Icon icon, Buttons buttons, const QString& title) {
    prompts.append({QStringLiteral("message"), text, title, icon, buttons});
    if (onMessage) onMessage(prompts.last());
    if (!answers.isEmpty()) return answers.dequeue();
    switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel: return Answer::Yes;
    case Buttons::RetryCancel: return Answer::Retry;
    case Buttons::RetryQuit: return Answer::Cancel;
    default: return Answer::Ok;
    }
}

QString ScriptedHost::openFile(const QString& title, const QString& filter, const QString&) {
    prompts.append({QStringLiteral("open"), filter, title});
    return paths.isEmpty() ? QString() : paths.dequeue();
}

QString ScriptedHost::saveFile(const QString& title, const QString& filter, const QString&,
                               const QString& suggestedName) {
    prompts.append({QStringLiteral("save"), filter + QLatin1Char('|') + suggestedName, title});
    return paths.isEmpty() ? QString() : paths.dequeue();
}

QString ScriptedHost::browseFolder(const QString& title, const QString&) {
    prompts.append({QStringLiteral("folder"), QString(), title});
    return paths.isEmpty() ? QString() : paths.dequeue();
}

bool ScriptedHost::openUrl(const QString& target) {
    prompts.append({QStringLiteral("url"), target, QString()});
    openedUrls.append(target);
    return urlsOpen;
}

bool ScriptedHost::showHelp(const QString& helpFile, int contextId) {
    prompts.append({QStringLiteral("help"), helpFile + QLatin1Char('#') + QString::number(contextId), QString()});
    return helpOpens;
}

bool ScriptedHost::printDialog(QPrinter& printer, const QString& title) {
    prompts.append({QStringLiteral("print"), QString(), title});
    return onPrint ? onPrint(printer) : false;
}

void ScriptedHost::showModal(QObject* window) {
    prompts.append({QStringLiteral("modal"), window ? window->objectName() : QString(), QString()});
    if (onModal) onModal(window);
}

void ScriptedHost::endProgram(int code) {
    prompts.append({QStringLiteral("end"), QString::number(code), QString()});
    endedWith = code;
    throw ProgramEnded{code};
}

QStringList ScriptedHost::messages() const {
    QStringList out;
    for (const auto& p : prompts)
        if (p.kind == QLatin1String("message")) out << p.text;
    return out;
}

ScopedScriptedHost::ScopedScriptedHost() : m_previous(&host()) { setHost(&m_host); }
ScopedScriptedHost::~ScopedScriptedHost() { setHost(m_previous); }

}  // namespace platform::ui
