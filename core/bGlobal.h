#pragma once
// The program's global state and the routines every window shares. Everything here
// is touched by the one window thread only.
//
// Folders: AppPath() holds the installed, read-only files (templates, styles, images,
// help, queries.mxq, DataTypes.mxd); DataPath() holds what the program writes
// (history.mxh, errors.log, preview and conversion files). MORVALEX_HOME (else
// XDG_DATA_HOME) moves DataPath() only; AppPath() is beside the executable or under the
// install prefix.

#include "platform/Error.h"

#include <QString>
#include <QStringList>
#include <array>
#include <exception>
#include <functional>
#include <type_traits>
#include <memory>

class cXML;
class cGUID;
class QObject;

namespace bGlobal {

inline const QString kAppTitle = QStringLiteral("Morvalex 4.0");
inline const QString kCompany = QStringLiteral("Vizavodizo");

// ---- global state ------------------------------------------------------------------
extern qint32 gBuildNumber;
extern QString gReportsFolder;
extern bool gErrorOccurred;
extern QString gShownNames;
extern std::array<int, 14> gDBPanelIndex;
extern QString gOSName;
extern QStringList gDBTypeNames;    // 0..13, element 0 empty
extern QStringList gDBEngineCodes;  // 0..11, element 0 empty
extern QString gPassPhrase1;
extern QString gPassPhrase2;
extern QString gPassPhrase3;
extern QString gPassPhrase4;
extern QString gCurrentUser;
extern std::shared_ptr<cGUID> oGUID;
extern std::shared_ptr<cXML> oQueriesXML;
extern std::shared_ptr<cXML> oStructureXML;
extern std::shared_ptr<cXML> oLHXML;
extern std::shared_ptr<cXML> oHistoryXML;
extern std::shared_ptr<cXML> oIndexXML;
extern QString gTempPath;  // always ends in "/"
extern qint16 gConnectionIndex;
extern qint16 gGroupIndex;
extern qint16 gTableIndex;
extern QString gPreviewXPath;
extern QString gReportNameSpace;
extern bool gPrinterFriendly;
extern bool gMultiplePages;
extern qint16 gObjectsPerPage;
extern QString gReportCSSFile;  // "styles/<name>.css" under AppPath(), or a full path
extern bool gOwnXSL;
extern QString gReportXSLFile;
extern QString gIndexXSLFile;
extern qint16 gOutputType;  // 0 XML, 1 HTML
extern QString gReportNameSpaceURI;
extern QString gReportTemplateFile;
extern qint16 gDatabaseType;
extern QString gServerName;
extern QString gDatabaseName;
extern QString gDataSource;
extern QString gWorkgroupDBPath;
extern QString gAuthentication;
extern QString gLoginName;
extern QString gPassword;
extern QString gAccessPassword;
extern QString gConnectionString;
extern bool gImportStoredProcedures;
extern bool gImportTriggers;
extern QString gStructureFilePath;
extern QString gDecimalSymbol;
extern QString gHelpFile;
extern QString gApplicationTitle;

// Database type codes (index into the three tables).
enum DatabaseType : qint16 {
    dbSQLServer2000 = 1, dbSQLServer70, dbSQLServer65, dbOracle9i, dbOracle8i, dbOracle7,
    dbPersonalOracle, dbAccessXP, dbAccess2000, dbAccess97, dbIBMDB2, dbOthers, dbMorvalexXML
};

// ---- folders -------------------------------------------------------------------------
QString AppPath();   // no trailing "/"
// Where the read-only files of a program started from executableDir are: its
// "resources" folder, else "../share/morvalex", else the configured install folder.
QString FindAppPath(const QString& executableDir);
QString DataPath();  // no trailing "/"; created on first use
void SetAppPathForTesting(const QString& appPath, const QString& dataPath);
// Every global back to its start value, no folder override, no error dialog: what a
// test leaves behind for the next one.
void ResetGlobalsForTesting();

// ---- start-up (frmSplash calls Main) -------------------------------------------------
void Main();
void SetDefaultReportOptions();
QString GetCurrentUser();
void FillDatabaseTypeTables();

// ---- enciphered texts ------------------------------------------------------------------
// The fixed pass phrase n (1 data-type map, 2 query catalogue, 3 structure files,
// 4 history file); "" for any other n.
QString PassPhrase(int n);
// The cipher text, or a numeric failure code ("-1".."-3").
QString EncryptText(const QString& text, const QString& passPhrase);
// The plain text, or a numeric failure code ("-1".."-5").
QString DecryptText(const QString& text, const QString& passPhrase);
// True when a result of EncryptText/DecryptText is a failure code.
bool IsFailureCode(const QString& result);
bool SetDatabaseQueries();

// ---- temporary files, connection strings, validation ---------------------------------
// Writes the structure document to a new copy in gTempPath and records its path on
// the current connection of the tree document.
void SaveTempFile();
// As SaveTempFile, but the path is recorded at once and the copy is written on a later
// turn of the event loop (after the window has painted) from the document as it is
// now. Whatever reads or removes copies first calls FlushTempFiles; a crash before the
// write leaves no file (every copy is written whole or not at all).
void SaveTempFileLater();
// Writes every copy still waiting; nothing when none is.
void FlushTempFiles();
// True while a copy is waiting to be written.
bool TempFilesPending();
void ClearAllTemporaryFiles();
void ParseConnectionString(const QString& sConnectionString);
bool ValidateXML(const QString& filePath, QString& sXMLContent, bool bShowMessage, const QString& extension);
void UnloadAllForms(const QString& keep);

// ---- error reporting --------------------------------------------------------------------
// Marks that an error happened and opens the error dialog, which ends the program.
void ShowError(long number, const QString& description, const QString& source, QObject* owner = nullptr);
// The window layer installs the error dialog here; without one the report goes to
// stderr and the program ends through the host.
using ErrorDialog = std::function<void(long number, const QString& description, const QString& source)>;
void SetErrorDialog(ErrorDialog dialog);

// The error number and description of a caught exception (a RuntimeError keeps its
// own; anything else becomes error 5 with its text).
std::pair<long, QString> Describe(const std::exception& e);

// Runs body as a procedure with an error trap: an error is handed to ShowError with
// the source text, and the procedure returns onError. ShowError does not normally
// return (it ends the program); under a test host it does, and then onError counts.
template <class R, class F>
R TrapValue(const QString& source, F&& body, R onError) {
    try {
        return body();
    } catch (const std::exception& e) {
        const auto [number, description] = Describe(e);
        ShowError(number, description, source);
        return onError;
    }
}
template <class F>
void Trap(const QString& source, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        const auto [number, description] = Describe(e);
        ShowError(number, description, source);
    }
}

// ---- the one sorting of errors ------------------------------------------------------------
// True for an error that comes from outside the program: a file or folder that cannot
// be read, written or made, a full disk, a name the file system refuses, a file that
// does not parse, a missing component (LibreOffice), a database or driver error. False
// for a fault of the program itself.
bool IsOutsideError(long number);
// The error trap of a user's command: an error from outside the program is told in one
// message (its description names what failed and why) and the program goes on; a fault
// of the program goes to ShowError. The message is 'abandoned' ("The report could not
// be saved. ", say) followed by the description. The caller has already taken away
// what the command half-wrote (AddedFiles, WriteFileAtomic) and leaves its windows
// consistent.
void CommandError(const std::exception& e, const QString& source, const QString& abandoned = QString());
template <class R, class F>
R CommandTrapValue(const QString& source, F&& body, R onError) {
    try {
        return body();
    } catch (const std::exception& e) {
        CommandError(e, source);
        return onError;
    }
}
template <class F>
void CommandTrap(const QString& source, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        CommandError(e, source);
    }
}

// The error trap of a step inside a command: a fault of the program is handed to
// ShowError here with the step's source and the step returns onError; an error from
// outside the program passes on, so that the command's trap (CommandTrap) abandons the
// whole command and tells it once.
template <class R, class F>
R TrapFaultValue(const QString& source, F&& body, R onError) {
    try {
        return body();
    } catch (const std::exception& e) {
        const auto [number, description] = Describe(e);
        if (IsOutsideError(number)) throw;
        ShowError(number, description, source);
        return onError;
    }
}
template <class F>
void TrapFault(const QString& source, F&& body) {
    TrapFaultValue(source, [&] { body(); return true; }, false);
}

// Opens a file the program has just written (a report, a page) with the desktop's
// opener; when nothing opens it the user is told the file was written and where.
void OpenWrittenFile(const QString& path);

// Opens the help (gHelpFile) at a context in the desktop's browser; when no browser
// shows it the user is told where the page is, to open it by hand.
void ShowHelp(int contextId);
// Tells that the help page could not be shown and where it is.
void TellHelpNotShown();

// A message box with the critical icon and the application's title.
void Critical(const QString& text);

}  // namespace bGlobal
