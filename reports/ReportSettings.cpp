#include "reports/ReportSettings.h"

#include "core/bGlobal.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cmath>

using namespace bGlobal;

namespace ReportSettings {

namespace {

QString slashes(QString path) { return path.replace(QLatin1Char('\\'), QLatin1Char('/')); }

// The reports folder followed by "/".
QString reportsFolder() {
    QString folder = slashes(gReportsFolder);
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

QString extensionOf(const QString& path) { return QFileInfo(path.trimmed()).suffix().toLower(); }

}  // namespace

QStringList StyleEntries() {
    QStringList entries;
    const QDir styles(AppPath() + QStringLiteral("/styles"));
    for (const QFileInfo& file : styles.entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (file.suffix() == QLatin1String("css")) entries << file.completeBaseName();
    entries << kCustom;
    return entries;
}

int GetCSSIndex(const QStringList& entries, const QString& sCSSFile) {
    int index = 4;
    for (int i = 0; i < entries.size(); ++i)
        if (sCSSFile.contains(entries.at(i) + QStringLiteral(".css"), Qt::CaseSensitive)) index = i;
    return index < entries.size() ? index : 0;
}

int FindStyle(const QStringList& entries, const QString& name) {
    for (int i = 0; i < entries.size(); ++i)
        if (entries.at(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

bool IsPrinterFriendly(const QString& style) { return style.toLower().contains(QLatin1String("printer friendly")); }

QString StyleSetting(const QString& style) { return QStringLiteral("styles/") + style + QStringLiteral(".css"); }

QString LayoutXSL(bool printerFriendly) {
    return AppPath() + (printerFriendly ? QStringLiteral("/styles/morvpfreport.xsl") : QStringLiteral("/styles/morvreport.xsl"));
}

QString PreviewPicture(const QString& style) {
    const QString file = AppPath() + QStringLiteral("/preview/") + style + QStringLiteral(".jpg");
    return QFileInfo(file).isFile() ? file : QString();
}

void ChooseTemplate(const QString& style) {
    gReportCSSFile = StyleSetting(style);
    gPrinterFriendly = IsPrinterFriendly(style);
    gReportXSLFile = gIndexXSLFile = LayoutXSL(gPrinterFriendly);
}

bool ParseObjectsPerPage(const QString& text, qint16& value) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    bool ok = false;
    double number = QLocale::c().toDouble(t, &ok);
    if (!ok) number = QLocale().toDouble(t, &ok);
    if (!ok || !std::isfinite(number)) return false;
    const double rounded = std::nearbyint(number);
    if (rounded < 1 || rounded > 32767) return false;
    value = qint16(rounded);
    return true;
}

QString Validate(const Choice& c) {
    if (c.ownXSL) {
        if (c.xslFile.trimmed().isEmpty() || !QFileInfo(c.xslFile.trimmed()).isFile())
            return QStringLiteral("Please enter a valid xsl file name");
        if (extensionOf(c.xslFile) != QLatin1String("xsl"))
            return QStringLiteral("Invalid file format, please select a valid xsl file.");
    }
    if (c.nameSpace && c.nameSpaceName.trimmed().isEmpty()) return QStringLiteral("Please enter a valid Namespace Name");
    if (c.style == kCustom) {
        if (c.cssFile.trimmed().isEmpty() || !QFileInfo(c.cssFile.trimmed()).isFile())
            return QStringLiteral("Please select a valid CSS file");
        if (extensionOf(c.cssFile) != QLatin1String("css"))
            return QStringLiteral("Invalid file format, please select a valid css file.");
    }
    qint16 pages = 0;
    if (c.paging && !ParseObjectsPerPage(c.objectsPerPage, pages)) return QStringLiteral("Please enter a valid number.");
    return QString();
}

void Store(const Choice& c, bool bNameSpace) {
    if (bNameSpace) {
        gReportNameSpace = c.nameSpace ? c.nameSpaceName : QString();
        gReportNameSpaceURI = c.nameSpace ? c.nameSpaceURI : QString();
    }
    qint16 pages = 0;
    gMultiplePages = c.paging && ParseObjectsPerPage(c.objectsPerPage, pages);
    gObjectsPerPage = gMultiplePages ? pages : 0;
    const bool custom = c.style == kCustom;
    gReportCSSFile = custom ? c.cssFile.trimmed() : StyleSetting(c.style);
    gPrinterFriendly = !custom && IsPrinterFriendly(c.style);
    gReportXSLFile = gIndexXSLFile = LayoutXSL(gPrinterFriendly);
    gOwnXSL = c.ownXSL && !c.xslFile.trimmed().isEmpty();
    if (gOwnXSL) gReportXSLFile = gIndexXSLFile = c.xslFile.trimmed();
}

QString AssignInitialPath(const QString& extension, const QString& path, bool paging) {
    const QString ext = extension.toLower();
    const QString p = slashes(path.trimmed());
    const QString folderName = gDatabaseName + QStringLiteral("Report/");
    const QString defaultFile = reportsFolder() + gDatabaseName + QStringLiteral("report.") + ext;
    if (p.isEmpty() && ext != QLatin1String("html")) return defaultFile;

    if (ext == QLatin1String("html") && paging) {
        if (p.endsWith(QLatin1Char('/'))) return p.contains(folderName) ? p : p + folderName;
        const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
        const QString folder = slash >= 0 ? p.left(slash + 1) : reportsFolder() + folderName;
        return folder.contains(folderName) ? folder : folder + folderName;
    }

    if (p.endsWith(QLatin1Char('/'))) return QString(p).remove(folderName) + gDatabaseName + QStringLiteral("report.") + ext;
    // A dot counts in the file's own name only, not in a folder above it.
    const qsizetype dot = p.lastIndexOf(QLatin1Char('.'));
    if (dot > p.lastIndexOf(QLatin1Char('/'))) return p.left(dot + 1) + ext;
    return defaultFile;
}

QString DestinationProblem(const QString& path, bool bFolder) {
    const QString p = slashes(path.trimmed());
    if (p.isEmpty()) return QStringLiteral("Please enter a valid destination path.");
    if (!bFolder && QFileInfo(p).isDir()) return p + QStringLiteral(" is a folder. Please choose a file name.");
    QFileInfo existing(bFolder ? p : QFileInfo(p).absolutePath());
    while (!existing.exists() && existing.absoluteFilePath() != existing.absolutePath())
        existing = QFileInfo(existing.absolutePath());
    if (!existing.isDir() || !existing.isWritable() || (!bFolder && QFileInfo(p).exists() && !QFileInfo(p).isWritable()))
        return QStringLiteral("You dont have enough previleges to write file in this directory.\r\n") +
               QDir::toNativeSeparators(existing.absoluteFilePath());
    return QString();
}

}  // namespace ReportSettings
