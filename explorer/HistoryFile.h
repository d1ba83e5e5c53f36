#pragma once
// The history file: the user's groups and connections kept between runs, as the tree
// document without its folders and items, enciphered with pass phrase 4 in
// DataPath()/history.mxh.
//
// The file is only ever replaced whole (written beside and renamed over), never by a
// failure code or an empty text. A file that cannot be read back into a document of the
// history's shape is moved aside, so that nothing overwrites it. Window thread only.

#include <QString>
#include <functional>

class cXML;

namespace HistoryFile {

QString Path();

// How Load found the history.
enum class Found {
    None,     // no history file: a first run
    Read,     // both documents hold the history
    Damaged,  // the file did not decipher into a document of the history's shape and was moved aside
};

struct LoadResult {
    Found found = Found::None;
    // Damaged only: where the file now is; empty when it could not be moved or was
    // not read at all.
    QString keptAs;
    // Damaged only: why the file could not be read (it names the file), when it could
    // not be opened at all (a folder, a FIFO or an unreadable file in its place). Such
    // a file is left where it is.
    QString problem;
};

// Reads the history file into history and tree (both get the same document). Without
// a file both get a new root with the default group "Morvalex Group". A damaged file
// leaves both documents empty. Throws platform::RuntimeError when the file cannot be
// read.
LoadResult Load(cXML& history, cXML& tree);

// Rebuilds history from tree unless both hold the same text: the root, every group
// not marked Deleted and its connections, with RHXPath counted afresh from 0 and
// TempXMLFileName and CurrentMXSFile emptied. Throws on a malformed tree document.
void Generate(cXML& tree, cXML& history);

// Encipher(text, pass phrase): the cipher text, or a failure code.
using Encipher = std::function<QString(const QString&, const QString&)>;

enum class Saved {
    Written,       // the file now holds the history
    Empty,         // the history document is empty: the file was left alone
    CipherFailed,  // enciphering failed: the file was left alone
};

// Writes history's text, enciphered with gPassPhrase4, over the history file. Throws
// platform::RuntimeError (70 when permission is denied) when the file cannot be
// written; the old file then stays as it was.
Saved Save(cXML& history, const Encipher& encipher);

}  // namespace HistoryFile
