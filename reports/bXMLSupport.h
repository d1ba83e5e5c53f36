#pragma once
// HTML reports of the current connection's structure document. Runs on the window
// thread, one report at a time.
//
// What a caller must have done first: loaded bGlobal::oStructureXML and set
// gDatabaseName, gServerName and the report options (gReportXSLFile, gIndexXSLFile,
// gReportCSSFile, gReportTemplateFile, gPrinterFriendly, gObjectsPerPage).
//
// The look comes from replaceable files under AppPath(): the report and index style
// sheets, the CSS file, the page template (gReportTemplateFile) and the object-page
// templates Morvalex.template / Morvalexpf.template with their comment placeholders.
// A paged report is cut along the "morv" + kind wrappers that the report style sheet
// writes around every object (contract in styles/morvreport.xsl); index links use the
// wrapper's Anchor, or the object's name when it has none. The report index document
// is left in bGlobal::oIndexXML.

#include <QString>

namespace bXMLSupport {

// Writes the report and answers True when it was written. sPath is the full name of
// an .html file for a one-page report, or a folder for a report split into pages of
// gObjectsPerPage objects (index.html, index.xml and one file per page); "/" and "\"
// both separate folders. The report's folder also receives images/ (a copy of the
// installed images) and a copy of the CSS file. With an own layout (gOwnXSL) the
// layout's output over the objects chosen for the report is the whole report: the
// file, or index.html in the folder of a split report. Failures have been told to the
// user (folders that cannot be made, denied permissions, a full disk) or reported
// through bGlobal::ShowError when False comes back; what a failed report added to the
// folder has been removed again.
bool SaveAsHTML(const QString& sPath, bool bSplit);

// True when a report destination names a file rather than a folder: its last part
// ends in ".html" or ".htm", in any case ("Report.HTML").
bool IsHtmlFileName(const QString& path);

}  // namespace bXMLSupport
