#pragma once
// Word reports: the HTML report written with the Word layout (styles/morvword.xsl and
// MorvalexWordTop.template) and converted by cWord. Every failure is told to the user
// through the host; the report globals are the same after a call as before it, on
// every way out. Window thread only; the caller shows the hourglass.

#include <QString>

namespace WordReport {

QString PreviewContentFile();  // DataPath()/temppreviewcontent.html

// The report of oStructureXML in the Word layout, as the one HTML file sHTMLFile (with
// the report's images/ and styles/ beside it); True when it was written.
bool WriteHTML(const QString& sHTMLFile);

// The Word report of oStructureXML into sWordFileName; True when it was written. The
// HTML it converts (tempwordcontent.html) is written into a private folder of its own
// in this run's temporary folder, which is removed with all it holds once the
// conversion has ended, whether it succeeded or not.
bool Save(const QString& sWordFileName);

// Converts an HTML file that is already written into sWordFileName; True when the
// document was written.
bool Convert(const QString& sHTMLFile, const QString& sWordFileName);

}  // namespace WordReport
