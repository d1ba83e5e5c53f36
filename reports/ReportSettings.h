#pragma once
// The report options as the report settings dialog, the wizard's report page and the
// template menu choose them: the style list, the checks of a choice, storing a choice
// in the report globals of bGlobal, and the default destination of a report. Qt Core
// only; window thread only.

#include <QString>
#include <QStringList>

namespace ReportSettings {

// The text of the style list's last entry, which stands for a CSS file of the user's.
inline const QString kCustom = QStringLiteral("Custom");

// The entries of a style list: one per *.css file in AppPath()/styles (the name
// without ".css", by name), then "Custom".
QStringList StyleEntries();

// The entry that stands for sCSSFile: the last whose name + ".css" the setting
// contains (letter case counts); when none does, entry 4, or the first entry when the
// list is shorter than five.
int GetCSSIndex(const QStringList& entries, const QString& sCSSFile);

// The entry whose text equals name in any letter case, or -1.
int FindStyle(const QStringList& entries, const QString& name);

// A style whose name holds "printer friendly" in any letter case.
bool IsPrinterFriendly(const QString& style);
// "styles/<style>.css", the setting of an installed style.
QString StyleSetting(const QString& style);
// The report style sheet of the ordinary or the printer-friendly layout.
QString LayoutXSL(bool printerFriendly);
// AppPath()/preview/<style>.jpg when that picture exists, else "".
QString PreviewPicture(const QString& style);

// Sets gReportCSSFile to the style's setting and both XSL globals (and
// gPrinterFriendly) to its layout: what a template-menu item does.
void ChooseTemplate(const QString& style);

// A choice as the controls hold it.
struct Choice {
    bool ownXSL = false;
    QString xslFile;
    bool nameSpace = false;  // only the settings dialog offers a namespace
    QString nameSpaceName;
    QString nameSpaceURI;
    QString style;  // the chosen entry's text
    QString cssFile;  // the box of a "Custom" style
    bool paging = false;
    QString objectsPerPage;
};

// The number of objects per page in text: a number from 1 to 32767 (decimals are
// rounded). False for anything else.
bool ParseObjectsPerPage(const QString& text, qint16& value);

// The message of the first check the choice fails, or "" when it passes: an own XSL
// file named, existing and ending in .xsl; a namespace name; a custom CSS file named,
// existing and ending in .css; a number of objects per page.
QString Validate(const Choice& c);

// Stores a choice that passed Validate in the report globals. bNameSpace stores the
// namespace too (the settings dialog); the wizard leaves it alone.
void Store(const Choice& c, bool bNameSpace);

// The destination a report of that extension ("xml", "html", "doc") gets from a
// typed or earlier path: a folder ending in "/" named after the database for a paged
// HTML report, else a file with that extension; gReportsFolder and gDatabaseName fill
// what the path lacks. "\" separates folders as "/" does.
QString AssignInitialPath(const QString& extension, const QString& path, bool paging);

// Why a report cannot be written to path, or "" when it can: a file wanted where a
// folder stands, or a folder (the nearest one that exists) that may not be written.
// bFolder: the report is a folder of pages.
QString DestinationProblem(const QString& path, bool bFolder);

}  // namespace ReportSettings
