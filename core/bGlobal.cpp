#include "core/bGlobal.h"

#include "core/DataFolder.h"
#include "core/FileUtil.h"
#include "core/Forms.h"
#include "core/StartupInfo.h"
#include "core/PasswordMask.h"
#include "core/cXML.h"
#include "platform/crypto/Crypto.h"
#include "platform/os/Os.h"
#include "platform/ui/Host.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#include <functional>
#include <cstdio>

#ifndef MORVALEX_INSTALL_DATADIR
#define MORVALEX_INSTALL_DATADIR "/usr/local/share/morvalex"
#endif

namespace bGlobal {

qint32 gBuildNumber = MORVALEX_BUILD_NUMBER;
QString gReportsFolder;
bool gErrorOccurred = false;
QString gShownNames;
std::array<int, 14> gDBPanelIndex{};
QString gOSName;
QStringList gDBTypeNames;
QStringList gDBEngineCodes;
QString gPassPhrase1;
QString gPassPhrase2;
QString gPassPhrase3;
QString gPassPhrase4;
QString gCurrentUser;
std::shared_ptr<cGUID> oGUID;
std::shared_ptr<cXML> oQueriesXML;
std::shared_ptr<cXML> oStructureXML;
std::shared_ptr<cXML> oLHXML;
std::shared_ptr<cXML> oHistoryXML;
std::shared_ptr<cXML> oIndexXML;
QString gTempPath;
qint16 gConnectionIndex = 0;
qint16 gGroupIndex = 0;
qint16 gTableIndex = 0;
QString gPreviewXPath;
QString gReportNameSpace;
bool gPrinterFriendly = false;
bool gMultiplePages = true;
qint16 gObjectsPerPage = 5;
QString gReportCSSFile;
bool gOwnXSL = false;
QString gReportXSLFile;
QString gIndexXSLFile;
qint16 gOutputType = 1;
QString gReportNameSpaceURI;
QString gReportTemplateFile;
qint16 gDatabaseType = 0;
QString gServerName;
QString gDatabaseName;
QString gDataSource;
QString gWorkgroupDBPath;
QString gAuthentication;
QString gLoginName;
QString gPassword;
QString gAccessPassword;
QString gConnectionString;
bool gImportStoredProcedures = true;
bool gImportTriggers = true;
QString gStructureFilePath;
QString gDecimalSymbol;
QString gHelpFile;
QString gApplicationTitle;

// Puts every global above back to the value it is defined with, and drops the folder
// override and the error dialog. A new global gets its line here too.
void ResetGlobalsForTesting() {
    gBuildNumber = MORVALEX_BUILD_NUMBER;
    gReportsFolder.clear();
    gErrorOccurred = false;
    gShownNames.clear();
    gDBPanelIndex = {};
    gOSName.clear();
    gDBTypeNames = {};
    gDBEngineCodes = {};
    gPassPhrase1.clear();
    gPassPhrase2.clear();
    gPassPhrase3.clear();
    gPassPhrase4.clear();
    gCurrentUser.clear();
    oGUID = {};
    oQueriesXML = {};
    oStructureXML = {};
    oLHXML = {};
    oHistoryXML = {};
    oIndexXML = {};
    gTempPath.clear();
    gConnectionIndex = 0;
    gGroupIndex = 0;
    gTableIndex = 0;
    gPreviewXPath.clear();
    gReportNameSpace.clear();
    gPrinterFriendly = false;
    gMultiplePages = true;
    gObjectsPerPage = 5;
    gReportCSSFile.clear();
    gOwnXSL = false;
    gReportXSLFile.clear();
    gIndexXSLFile.clear();
    gOutputType = 1;
    gReportNameSpaceURI.clear();
    gReportTemplateFile.clear();
    gDatabaseType = 0;
    gServerName.clear();
    gDatabaseName.clear();
    gDataSource.clear();
    gWorkgroupDBPath.clear();
    gAuthentication.clear();
    gLoginName.clear();
    gPassword.clear();
    gAccessPassword.clear();
    gConnectionString.clear();
    gImportStoredProcedures = true;
    gImportTriggers = true;
    gStructureFilePath.clear();
    gDecimalSymbol.clear();
    gHelpFile.clear();
    gApplicationTitle.clear();
    SetAppPathForTesting({}, {});
    SetErrorDialog({});
}

namespace {

QString g_appPathOverride;
QString g_dataPathOverride;
ErrorDialog g_errorDialog;

// The four pass phrases: letters and digits in groups separated by single blanks.
const QString kPassPhrase1 = QStringLiteral("Kv7rTq Lm3Xa Pq8Zr2Wd Yh4Ns9 Tb6C Rw2Fk7Jd Gz5Qm");
const QString kPassPhrase2 = QStringLiteral("Hn4Rb8Tz2 Wq7Lk3Vp9Xs1 Dm5Gc Yt8Jf Ks2B Nv6Qw4P");
const QString kPassPhrase3 = QStringLiteral("Fz3Wm8Qa Tk6Rn2 Pb9L Xs4Hv7Jc2Dg Mq5Yt8K Ra3Nw6Zf1");
const QString kPassPhrase4 = QStringLiteral("Jc8Vn2T Gw5Xq9Lb3Mh Sd7Kp Zr4Ft6Yw Qn1H Bm9Tc2Vx5");

QString stripSlash(QString p) {
    while (p.size() > 1 && p.endsWith(QLatin1Char('/'))) p.chop(1);
    return p;
}

}  // namespace

QString PassPhrase(int n) {
    switch (n) {
    case 1: return kPassPhrase1;
    case 2: return kPassPhrase2;
    case 3: return kPassPhrase3;
    case 4: return kPassPhrase4;
    default: return {};
    }
}

// ---- folders -------------------------------------------------------------------------

QString FindAppPath(const QString& executableDir) {
    // The read-only files never follow MORVALEX_HOME: a build tree keeps them next to the
    // executable, an installed program under <prefix>/share/morvalex (looked for beside
    // the executable first, so a moved installation still finds its own files).
    for (const QString& candidate : {executableDir + QStringLiteral("/resources"), executableDir + QStringLiteral("/../share/morvalex")})
        if (QFileInfo(candidate + QStringLiteral("/queries.mxq")).isFile()) return QDir::cleanPath(candidate);
    return QStringLiteral(MORVALEX_INSTALL_DATADIR);
}

QString AppPath() {
    if (!g_appPathOverride.isEmpty()) return g_appPathOverride;
    return FindAppPath(QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString());
}

QString DataPath() {
    QString path = g_dataPathOverride;
    if (path.isEmpty()) path = qEnvironmentVariable("MORVALEX_HOME");
    if (path.isEmpty()) {
        QString base = qEnvironmentVariable("XDG_DATA_HOME");
        if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.local/share");
        path = base + QStringLiteral("/morvalex");
    }
    path = stripSlash(path);
    DataFolder::MakePrivateFolder(path);
    return path;
}

void SetAppPathForTesting(const QString& appPath, const QString& dataPath) {
    g_appPathOverride = stripSlash(appPath);
    g_dataPathOverride = stripSlash(dataPath);
}

// ---- start-up ------------------------------------------------------------------------

void FillDatabaseTypeTables() {
    gDBTypeNames = QStringLiteral(
                       "|SQL Server 2000|SQL Server 7.0|SQL Server 6.5|Oracle 9i|Oracle 8i|Oracle 7.x|Personal Oracle"
                       "|MS Access XP|MS Access 2000|MS Access (97, 95 or 2.0)|IBM DB2 Version 7|OTHERS|Morvalex XML")
                       .split(QLatin1Char('|'));
    gDBEngineCodes = QStringLiteral("|SQLSERVER|SQLSERVER|SQLSERVER65|ORACLE|ORACLE|ORACLE|ORACLE|ACCESS|ACCESS|ACCESS|IBMDB2")
                         .split(QLatin1Char('|'));
    gDBPanelIndex = {0, 0, 0, 0, 1, 1, 1, 1, 3, 3, 3, 2, 4, 5};
}

void Main() {
    Trap(QStringLiteral("bGlobal.Main"), [] {
        gErrorOccurred = false;
        gHelpFile = AppPath() + QStringLiteral("/help/index.html");
        gApplicationTitle = QStringLiteral("Morvalex %1.%2").arg(MORVALEX_VERSION_MAJOR).arg(MORVALEX_VERSION_MINOR);
        gBuildNumber = MORVALEX_BUILD_NUMBER;
        gOSName = bOSInfo::GetCurrentOS();
        FillDatabaseTypeTables();
        gReportTemplateFile = AppPath() + QStringLiteral("/MorvalexTop.template");
        gPassPhrase1 = PassPhrase(1);
        gPassPhrase2 = PassPhrase(2);
        gPassPhrase3 = PassPhrase(3);
        gPassPhrase4 = PassPhrase(4);
        SetDatabaseQueries();
        gImportStoredProcedures = true;
        gImportTriggers = true;
        // Structure copies and previews carry what the databases hold: they go to a
        // private folder of this run, never to the shared system folder.
        DataFolder::Secure(DataPath());
        RemoveStaleNewFiles(DataPath());
        gTempPath = DataFolder::RunTempFolder(DataPath());
        if (gTempPath.isEmpty())
            throw platform::RuntimeError(platform::err::PathNotFound, QStringLiteral("Path not found: the temporary folder under \"") +
                                                                          DataPath() + QStringLiteral("/temp\" cannot be made."));
        gCurrentUser = GetCurrentUser();
        {
            CLocalInfo info;
            gDecimalSymbol = info.GetDecimalSymbol();
        }
        SetDefaultReportOptions();
    });
}

void SetDefaultReportOptions() {
    Trap(QStringLiteral("bGlobal.SetDefaultReportOptions"), [] {
        gReportNameSpace.clear();
        gPrinterFriendly = false;
        gMultiplePages = true;
        gObjectsPerPage = 5;
        gReportCSSFile = QStringLiteral("styles/Professional yellow.css");
        gReportXSLFile = AppPath() + QStringLiteral("/styles/morvreport.xsl");
        gIndexXSLFile = gReportXSLFile;
        gOutputType = 1;
    });
}

QString GetCurrentUser() {
    return TrapValue(QStringLiteral("bGlobal.GetCurrentUser"), [] {
        QString name = platform::os::userName();
        name.remove(QChar(0));
        return name.trimmed();
    }, QString());
}

// ---- enciphered texts ----------------------------------------------------------------

QString EncryptText(const QString& text, const QString& passPhrase) {
    try {
        const auto r = platform::crypto::encrypt(text, passPhrase);
        if (r.status != platform::crypto::Status::Ok) return QStringLiteral("-3");
        return r.text.isEmpty() ? QStringLiteral("-1") : r.text;
    } catch (const std::exception&) {
        return QStringLiteral("-2");
    }
}

QString DecryptText(const QString& text, const QString& passPhrase) {
    if (text.isEmpty()) return QStringLiteral("-1");
    try {
        const auto r = platform::crypto::decrypt(text, passPhrase);
        switch (r.status) {
        case platform::crypto::Status::Ok: return r.text;
        case platform::crypto::Status::BadData: return QStringLiteral("-2");
        case platform::crypto::Status::LibraryError: return QStringLiteral("-3");
        }
        return QStringLiteral("-3");
    } catch (const std::exception&) {
        return QStringLiteral("-4");
    }
}

bool IsFailureCode(const QString& result) {
    static const QStringList codes = {QStringLiteral("-1"), QStringLiteral("-2"), QStringLiteral("-3"),
                                      QStringLiteral("-4"), QStringLiteral("-5")};
    return codes.contains(result);
}

bool SetDatabaseQueries() {
    return TrapValue(QStringLiteral("Main.SetDatabaseQueries"), [] {
        oQueriesXML = std::make_shared<cXML>();
        const QString text = ReadTextFile(AppPath() + QStringLiteral("/queries.mxq"));
        const QString plain = DecryptText(text, gPassPhrase2);
        if (IsFailureCode(plain)) {
            Critical(QStringLiteral("Queries.mxq is corrupted, please check") + QStringLiteral("\r\n") +
                     QDir::toNativeSeparators(AppPath() + QStringLiteral("/queries.mxq")));
            platform::ui::endProgram(1);
        }
        oQueriesXML->LoadXMLContent(plain);
        return true;
    }, false);
}

// ---- temporary files, connection strings, validation ---------------------------------

namespace {
QString connectionPath(int group, int connection) {
    return QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[%1]/DATABASECONNECTION[%2]").arg(group).arg(connection);
}
}  // namespace

namespace {

// A copy recorded but not written yet: the document as it was when it was recorded.
struct PendingCopy {
    std::shared_ptr<cXML> document;
    QString path;
};
QList<PendingCopy>& pendingCopies() {
    static QList<PendingCopy> copies;
    return copies;
}

void writeCopy(cXML& document, const QString& path) {
    try {
        document.WriteXMLFile(path);
    } catch (const platform::RuntimeError& e) {
        // A full disk ends nothing: the structure stays loaded while its connection is
        // current. The copy is recorded all the same, so that selecting the connection
        // again says that its structure could not be loaded.
        if (e.number() != platform::err::DiskFull) throw;
        Critical(e.description() + QStringLiteral("\r\nThe structure is shown now; once you select another database, "
                                                  "Refresh this one to read it again."));
    }
}

// A new copy's path, recorded on the current connection.
QString recordCopy(const std::function<void(const QString&)>& write) {
    if (!oStructureXML || !oGUID) throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
    const QString path = gTempPath + oGUID->GetGUID() + QStringLiteral(".xml");
    write(path);
    if (!oLHXML) return path;
    XmlNode node = oLHXML->FindNode(connectionPath(gGroupIndex, gConnectionIndex));
    if (!node) return path;
    if (!node.hasAttribute(QStringLiteral("TempXMLFileName")))
        throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object variable or With block variable not set"));
    node.setAttribute(QStringLiteral("TempXMLFileName"), path);
    return path;
}

}  // namespace

void SaveTempFile() {
    FlushTempFiles();
    Trap(QStringLiteral("Main.SaveTempFile"), [] { recordCopy([](const QString& path) { writeCopy(*oStructureXML, path); }); });
}

void SaveTempFileLater() {
    Trap(QStringLiteral("Main.SaveTempFile"), [] {
        recordCopy([](const QString& path) { pendingCopies().append(PendingCopy{oStructureXML, path}); });
        // A timer, not a queued call: the window paints and the event loop turns first.
        QTimer::singleShot(10, [] { FlushTempFiles(); });
    });
}

void FlushTempFiles() {
    while (!pendingCopies().isEmpty()) {
        const PendingCopy copy = pendingCopies().takeFirst();
        Trap(QStringLiteral("Main.SaveTempFile"), [&] { writeCopy(*copy.document, copy.path); });
    }
}

bool TempFilesPending() { return !pendingCopies().isEmpty(); }

void ClearAllTemporaryFiles() {
    Trap(QStringLiteral("bGlobal.ClearAllTemporaryFiles"), [] {
        // Copies not written yet would only be removed again.
        pendingCopies().clear();
        QStringList fixed;
        if (!gTempPath.isEmpty()) fixed << gTempPath + QStringLiteral("tempmorvpreview.html");
        const QString data = DataPath();
        for (const char* name : {"temp.html", "temp.xml", "tempwordcontent.html", "temppreviewcontent.html", "temp1.xml",
                                 "temp1.html", "temp2.xml", "temp2.html"})
            fixed << data + QLatin1Char('/') + QLatin1String(name);
        for (const QString& path : fixed) DeleteFileIfExists(path);

        if (oLHXML && oLHXML->HasDocument()) {
            for (const XmlNode& c : oLHXML->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP/DATABASECONNECTION"))) {
                if (!c.hasAttribute(QStringLiteral("TempXMLFileName"))) continue;
                const QString path = c.attribute(QStringLiteral("TempXMLFileName")).trimmed();
                if (!path.isEmpty()) DeleteFileIfExists(path);
            }
        }
        oLHXML.reset();
        oHistoryXML.reset();
        oGUID.reset();
    });
}

namespace {
// The rest of a part after the first "=" that follows position from; the whole part
// when no "=" follows.
QString valueAfter(const QString& part, qsizetype from) {
    const qsizetype eq = part.indexOf(QLatin1Char('='), from);
    return eq < 0 ? part : part.mid(eq + 1);
}

// The file name without its extension when text is a path to a file; text otherwise.
QString databaseNameOf(const QString& text) {
    const qsizetype lastSep = std::max(text.lastIndexOf(QLatin1Char('\\')), text.lastIndexOf(QLatin1Char('/')));
    const qsizetype dot = lastSep >= 0 ? text.indexOf(QLatin1Char('.'), lastSep) : -1;
    return lastSep >= 0 && dot > lastSep ? text.mid(lastSep + 1, dot - lastSep - 1) : text;
}

// The value of the first of keys (ODBC keywords, any case) the string sets, without the
// braces ODBC allows around a value; "" when it sets none of them.
QString odbcValue(const QString& connectionString, std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        for (const QString& part : connectionString.split(QLatin1Char(';'))) {
            const qsizetype eq = part.indexOf(QLatin1Char('='));
            if (eq < 0 || part.left(eq).trimmed().compare(QLatin1String(key), Qt::CaseInsensitive) != 0) continue;
            QString value = part.mid(eq + 1).trimmed();
            if (value.startsWith(QLatin1Char('{')) && value.endsWith(QLatin1Char('}'))) value = value.mid(1, value.size() - 2);
            if (!value.isEmpty()) return value;
        }
    }
    return {};
}
}  // namespace

void ParseConnectionString(const QString& sConnectionString) {
    Trap(QStringLiteral("bGlobal.ParseConnectionString"), [&] {
        const bool catalogueMode = sConnectionString.toLower().contains(QStringLiteral("initial catalog"));
        bool namedByDataSource = false;
        for (const QString& part : sConnectionString.split(QLatin1Char(';'))) {
            const QString lower = part.toLower();
            if (catalogueMode) {
                if (const qsizetype k = lower.indexOf(QStringLiteral("initial catalog")); k >= 0) {
                    gDatabaseName = valueAfter(part, k);
                    gDataSource = gDatabaseName;
                }
                if (const qsizetype k = lower.indexOf(QStringLiteral("data source")); k >= 0) gServerName = valueAfter(part, k);
            } else if (lower.contains(QStringLiteral("data source"))) {
                const QString fileName = databaseNameOf(part);
                if (fileName != part) {
                    gDatabaseName = fileName;
                } else if (const qsizetype eq = part.indexOf(QLatin1Char('=')); eq >= 0) {
                    gDatabaseName = part.mid(eq + 1);
                }
                gDataSource = gDatabaseName;
                namedByDataSource = true;
            }
            if (const qsizetype k = lower.indexOf(QStringLiteral("user id")); k >= 0) gLoginName = valueAfter(part, k).toUpper();
            if (const qsizetype k = lower.indexOf(QStringLiteral("password")); k >= 0) gPassword = valueAfter(part, k);
        }
        // An ODBC string names its database and server with its own keys; the OLE DB
        // keys above come first where both are present.
        if (catalogueMode) return;
        if (!namedByDataSource) {
            if (const QString database = odbcValue(sConnectionString, {"Database", "DBQ"}); !database.isEmpty()) {
                gDatabaseName = databaseNameOf(database);
                gDataSource = gDatabaseName;
            }
        }
        if (const QString server = odbcValue(sConnectionString, {"Server", "Servername", "Host"}); !server.isEmpty())
            gServerName = server;
    });
}

bool ValidateXML(const QString& filePath, QString& sXMLContent, bool bShowMessage, const QString& extension) {
    return TrapValue(QStringLiteral("bGlobal.ValidateXML"), [&] {
        QString expected = extension;
        if (expected.startsWith(QLatin1Char('.'))) expected = expected.mid(1);
        if (QFileInfo(filePath).suffix().compare(expected, Qt::CaseInsensitive) != 0) {
            if (bShowMessage) Critical(QStringLiteral("Select a valid xml file."));
            return false;
        }
        sXMLContent = sXMLContent.trimmed();
        bool valid = !sXMLContent.isEmpty();
        for (const char* token : {"<DATABASE", "DatabaseEngine", "ServerType", "DatabaseType", "DatabaseName", "ServerName"})
            valid = valid && sXMLContent.contains(QLatin1String(token));
        if (valid) valid = oStructureXML && oStructureXML->HasDocument() && oStructureXML->FindNode(QStringLiteral("DATABASE"));
        if (!valid) {
            if (bShowMessage) Critical(QStringLiteral("Invalid morvalex structure file"));
            return false;
        }
        return true;
    }, false);
}

void UnloadAllForms(const QString& keep) {
    Trap(QStringLiteral("bGlobal.UnloadAllForms"), [&] {
        for (Form* form : Forms::Loaded())
            if (form->FormName().compare(keep, Qt::CaseInsensitive) != 0) form->Unload();
    });
}

// ---- error reporting ------------------------------------------------------------------

void SetErrorDialog(ErrorDialog dialog) { g_errorDialog = std::move(dialog); }

void ShowError(long number, const QString& description, const QString& source, QObject*) {
    gErrorOccurred = true;
    if (g_errorDialog) {
        g_errorDialog(number, description, source);
        return;
    }
    std::fprintf(stderr, "%s: error %ld in %s: %s\n", qPrintable(kAppTitle), number, qPrintable(MaskPasswords(source)),
                 qPrintable(MaskPasswords(description)));
    platform::ui::endProgram(1);
}

std::pair<long, QString> Describe(const std::exception& e) {
    if (const auto* r = dynamic_cast<const platform::RuntimeError*>(&e)) return {r->number(), r->description()};
    return {platform::err::InvalidArgument, QString::fromLocal8Bit(e.what())};
}

namespace {
// A driver's operation the user cancelled (ADO's adErrOperationCancelled).
constexpr long kCancelled = 3712;
}  // namespace

bool IsOutsideError(long number) {
    namespace err = platform::err;
    switch (number) {
    case 52:  // bad file name or number
    case err::FileNotFound:
    case 55:  // file already open
    case 57:  // device I/O error
    case 58:  // file already exists
    case err::DiskFull:
    case 67:  // too many files
    case 68:  // device unavailable
    case err::PermissionDenied:
    case 71:  // disk not ready
    case 74:  // rename with a different drive
    case err::PathFileAccessError:
    case err::PathNotFound:
    case err::InvalidFileFormat:
    case err::ComponentMissing:
    case err::CipherFailed:
    case err::NotSupported:      // the provider cannot do it
    case err::ProviderNotFound:  // no such driver
    case kCancelled:
    // An Access file that cannot be found, opened or read, or wants another password.
    case 3024:
    case 3031:
    case 3051:
    case 3343:
        return true;
    default:
        // The ADO errors of a driver or database are HRESULTs, negative as a long.
        return number < 0;
    }
}

void CommandError(const std::exception& e, const QString& source, const QString& abandoned) {
    const auto [number, description] = Describe(e);
    if (!IsOutsideError(number)) {
        ShowError(number, description, source);
        return;
    }
    // The user cancelled it: nothing to tell.
    if (number == kCancelled) return;
    Critical(abandoned + MaskPasswords(description));
}

void OpenWrittenFile(const QString& path) {
    if (platform::ui::host().openUrl(path)) return;
    platform::ui::host().message(QStringLiteral("The file was written but could not be opened; no program to show it "
                                                "was found. You can open it yourself; it is at\r\n") +
                                     QDir::toNativeSeparators(path),
                                 platform::ui::Icon::Exclamation, platform::ui::Buttons::Ok, kAppTitle);
}

void ShowHelp(int contextId) {
    if (!platform::ui::host().showHelp(gHelpFile, contextId)) TellHelpNotShown();
}

void TellHelpNotShown() {
    Critical(QStringLiteral("The help page could not be opened in a browser. You can open it yourself; it is at\r\n") +
             QDir::toNativeSeparators(gHelpFile));
}

void Critical(const QString& text) {
    platform::ui::host().message(text, platform::ui::Icon::Critical, platform::ui::Buttons::Ok, kAppTitle);
}

}  // namespace bGlobal
