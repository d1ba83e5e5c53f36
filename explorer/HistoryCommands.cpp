// The main window's history: read into the tree document at load (the first run opens
// the import wizard), written after every change of the groups and connections and
// again when the window closes.

#include "explorer/frmDatabaseExplorer.h"

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/HistoryFile.h"
#include "platform/ui/Host.h"

#include <QDir>

using namespace bGlobal;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

[[noreturn]] void objectRequired() {
    throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object variable or With block variable not set"));
}

}  // namespace

void frmDatabaseExplorer::LoadHistoryXML() {
    Trap(source("LoadHistoryXML"), [&] {
        if (!oLHXML) objectRequired();
        oHistoryXML = std::make_shared<cXML>();
        const HistoryFile::LoadResult result = HistoryFile::Load(*oHistoryXML, *oLHXML);
        switch (result.found) {
        case HistoryFile::Found::None:
            // First run: the default group is the current group.
            gGroupIndex = 0;
            PopulateLHXML();
            show();
            ShowImportWizard(QStringLiteral("NEW"));
            break;
        case HistoryFile::Found::Read:
            PopulateLHXML();
            break;
        case HistoryFile::Found::Damaged:
            PopulateLHXML();
            if (result.keptAs.isEmpty()) {
                m_keepHistoryFile = true;
                Critical((result.problem.isEmpty()
                              ? QStringLiteral("The history file could not be read. \"") + QDir::toNativeSeparators(HistoryFile::Path()) +
                                    QStringLiteral("\"")
                              : result.problem) +
                         QStringLiteral(" It is left as it is and will not be changed in this session."));
            } else {
                Critical(QStringLiteral("The history file could not be read. It has been kept as \"") +
                         QDir::toNativeSeparators(result.keptAs) + QStringLiteral("\" and a new history is started."));
            }
            break;
        }
    });
}

void frmDatabaseExplorer::SaveHistory() {
    if (!m_loaded || m_unloading || gErrorOccurred || m_keepHistoryFile || !oLHXML || !oHistoryXML) return;
    GenerateHistory();
    // A history that could not be built completely is not written.
    if (gErrorOccurred) return;
    try {
        WriteHistory();
        m_historyUnsaved = false;
    } catch (const std::exception& e) {
        // Told once; the next change and Exit try again.
        if (m_historyUnsaved) return;
        m_historyUnsaved = true;
        const auto [n, d] = Describe(e);
        Critical((n == platform::err::PermissionDenied ? QStringLiteral("You dont have permission to create the history file")
                  : n == platform::err::CipherFailed   ? d
                                                       : QStringLiteral("The history could not be saved. ") + d) +
                 QStringLiteral("\r\nYour changes are kept in this session; the history is saved again with the next change and at Exit."));
    }
}

void frmDatabaseExplorer::WriteHistory() {
    const auto saved = HistoryFile::Save(*oHistoryXML, HistoryCipher);
    if (saved == HistoryFile::Saved::CipherFailed)
        throw platform::RuntimeError(platform::err::CipherFailed,
                                     QStringLiteral("The history could not be enciphered, so the history file has been left as it was."));
}

void frmDatabaseExplorer::Form_QueryUnload() {
    if (!gErrorOccurred && !m_keepHistoryFile && oLHXML && oHistoryXML) {
        GenerateHistory();
        // A history that could not be built completely is not written.
        bool write = !gErrorOccurred;
        while (write) {
            write = false;
            try {
                WriteHistory();
            } catch (const std::exception& e) {
                const auto [n, d] = Describe(e);
                if (n == platform::err::PermissionDenied) {
                    Critical(QStringLiteral("You dont have permission to create the history file"));
                } else if (n == platform::err::DiskFull) {
                    // The user may make room meanwhile; Quit without saving gives up.
                    write = platform::ui::host().message(QStringLiteral("The history could not be saved. ") + d,
                                                         platform::ui::Icon::Critical, platform::ui::Buttons::RetryQuit,
                                                         kAppTitle) == platform::ui::Answer::Retry;
                } else {
                    CommandError(e, source("Form_QueryUnload"));
                }
            }
        }
    }
    mbClosing = true;
}

void frmDatabaseExplorer::GenerateHistory() {
    Trap(source("GenerateHistory"), [&] { HistoryFile::Generate(*oLHXML, *oHistoryXML); });
}
