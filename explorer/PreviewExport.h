#pragma once
// Exports of what the two previews show: the document preview page with its pictures
// and style sheets beside it, and the XML preview's text. Qt Core only; window thread
// only. Failures throw platform::RuntimeError naming the file or folder and why (70
// permission denied, 61 disk full); what an export made before it failed is noted for
// AddedFiles.

#include <QString>

namespace PreviewExport {

// The text of a preview page file with its style-sheet link turned from the
// installed file (a file: URL) into "styles/<file name>", so the page reads its
// style from the styles folder copied beside it.
QString PortablePage(const QString& pageText);

// Writes the page of the file pageFile (the document preview) to sPath, creating its
// folder, and copies AppPath()/images to images/ and AppPath()/styles (with a CSS
// file of the user's own) to styles/ beside it.
void WriteHtml(const QString& pageFile, const QString& sPath);

// Writes the text of the file xmlFile (the XML preview) to sPath.
void WriteXml(const QString& xmlFile, const QString& sPath);

}  // namespace PreviewExport
