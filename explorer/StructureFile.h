#pragma once
// Structure files (*.mxs): the whole text of a structure document enciphered with
// pass phrase 3, without header or line end of its own. Also the reading of a file
// connection's source, which may be a plain structure XML file instead.
//
// Window thread only (the pass phrases and the cipher routine are bGlobal's).

#include <QString>
#include <memory>

class cXML;

namespace StructureFile {

// Enciphers the document's text and writes it to path through a temporary file in
// the same folder, so a failure leaves an old file as it was. Throws
// platform::RuntimeError (the file error, or 5 when the text could not be
// enciphered).
void Write(const QString& path, cXML& structure);

// The deciphered text of a structure file; a failure code of bGlobal::DecryptText
// ("-1".."-5") when it does not decipher. Throws platform::RuntimeError when the file
// cannot be read.
QString ReadText(const QString& path);

// True when the document is a structure document (its element is DATABASE).
bool IsStructure(cXML& document);

// The structure document of a file connection's source: plain XML when the file's
// extension is exactly "xml" (lower case), otherwise a structure file. Null when the
// file cannot be read, does not decipher or holds no structure document.
std::shared_ptr<cXML> LoadSource(const QString& path);

}  // namespace StructureFile
