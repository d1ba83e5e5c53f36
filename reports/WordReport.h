#pragma once
// Word reports: the HTML report written with the Word layout (styles/morvword.xsl and
// MorvalexWordTop.template) and converted by cWord. Every failure is told to the user
// through the host; the report globals are the same after a call as before it, on
// every way out. Window thread only; the caller shows the hourglass.

#include <QString>

namespace WordReport {

QString ContentFile();         // DataPath()/tempwordcontent.html
QString PreviewContentFile();  // DataPath()/temppreviewcontent.html

// The Word report of oStructureXML into sWordFileName; True when it was written.
bool Save(const QString& sWordFileName);

// Converts an HTML file that is already written into sWordFileName; True when the
// document was written.
bool Convert(const QString& sHTMLFile, const QString& sWordFileName);

}  // namespace WordReport
