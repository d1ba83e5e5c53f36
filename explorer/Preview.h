#pragma once
// The two previews of the selected part of a structure document: the XML itself
// (DataPath()/temp1.xml) and the HTML page that styles/preview.xsl makes of it with
// the chosen CSS file (DataPath()/temp2.html). Both files are rewritten by every
// preview. Window thread only.
//
// The preview document has the root DATABASE. For a path holding "/" the root carries
// Name, DatabaseEngine, ServerName and Time of the current connection (gDatabaseName,
// gDBTypeNames(gDatabaseType), gServerName, now) and holds the elements at the path
// whose Report is 1, each with its whole subtree. The connection path "DATABASE"
// gives a copy of the whole structure, every object whatever its Report.
//
// A preview is for looking at: of a selection of more than kShownObjects objects (a
// folder of thousands of tables) it holds the first kShownObjects. The page then says
// how many more are left out and that a report holds them all; the XML ends with a
// comment saying the same. A preview of a few objects holds them all.

#include <QString>
#include <memory>

class cXML;

namespace Preview {

QString XmlFile();     // DataPath()/temp1.xml
QString HtmlFile();    // DataPath()/temp2.html
QString StyleSheet();  // AppPath()/styles/preview.xsl

// The CSS file to link from the HTML preview, as a file URL: gReportCSSFile, a path
// relative to the program's folder or a full path ("\" or "/" separators).
QString CSSLink();

constexpr int kShownObjects = 10;

// The preview document of sPreviewXPath; leftOut (when given) receives the number of
// selected objects it leaves out. The objects are copied from structure.
std::unique_ptr<cXML> Build(cXML& structure, const QString& sPreviewXPath, int* leftOut = nullptr);

// Builds the preview and writes both files: temp1.xml through cXML::SaveXML (no
// Report or Migrate below DATABASE), then indented for reading; temp2.html from the
// preview document with CSSFile (CSSLink()) and SourceXPath added to its root, and
// LeftOut (the number of objects left out) when it leaves any out. False, with neither
// file written, when SaveXML could not write temp1.xml (it has told the user). Throws
// platform::RuntimeError (70 when a file may not be written).
bool Write(cXML& structure, const QString& sPreviewXPath);

// XML text indented two blanks a level; text and CDATA content stay exactly as they
// are. Text that does not parse comes back unchanged.
QString Indented(const QString& xml);

}  // namespace Preview
