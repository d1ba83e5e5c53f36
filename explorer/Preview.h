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
// A preview holds every selected object up to kShownObjects, a bound that keeps the
// memory of the page view in check (about a third of a megabyte per object shown). Of
// a larger selection (a folder of thousands of tables) it holds the first
// kShownObjects; the page then says how many more are left out and that a report
// holds them all, and the XML ends with a comment saying the same.

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

constexpr int kShownObjects = 500;
// A preview of at most this many objects costs little to finish: the window finishes
// it at once rather than on a worker thread.
constexpr int kFinishedAtOnce = 25;

// The preview document of sPreviewXPath; leftOut (when given) receives the number of
// selected objects it leaves out. The objects are copied from structure.
std::unique_ptr<cXML> Build(cXML& structure, const QString& sPreviewXPath, int* leftOut = nullptr);

// A preview on its way: made on the window thread by Prepare, its files written by
// Finish, which may run on another thread (it touches nothing but the job and the two
// files). The job owns its documents.
struct Job {
    std::unique_ptr<cXML> preview;  // CSSFile, SourceXPath and LeftOut set on its root
    std::unique_ptr<cXML> xsl;
    QString savedXml;               // the XML preview as SaveXML wrote it
    int objects = 0;                // objects the preview holds
    int leftOut = 0;
    Job();
    ~Job();
};

// Builds the preview of sPreviewXPath and writes temp1.xml through cXML::SaveXML.
// Null, with no file left, when SaveXML could not write it (it has told the user).
// Window thread only.
std::unique_ptr<Job> Prepare(cXML& structure, const QString& sPreviewXPath);
// Writes temp1.xml indented for reading and temp2.html. Throws
// platform::RuntimeError (70 when a file may not be written, kTransformFailed when the
// style sheet could not be applied: nobody has been told).
void Finish(const Job& job);
constexpr int kTransformFailed = -1;
// Tells that the style sheet could not be applied and leaves temp2.html empty.
// Window thread only.
void TransformFailed();
// Finish on the window thread: a style sheet that could not be applied is told
// (TransformFailed); any other failure is thrown.
void FinishTelling(const Job& job);

// Builds the preview and writes both files (Prepare, then Finish): temp1.xml through cXML::SaveXML (no
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
