#pragma once
// Tree-document routines of bGlobal that need no widgets: the structure path of a
// folder level, the count of connections of one name, pattern counting, and the
// reading of RHXPath level codes ("2" + gDecimalSymbol + position).
//
// They read the global tree document oLHXML and the globals gTableIndex and
// gDecimalSymbol; window thread only.

#include <QString>

namespace bGlobal {

// The structure-document path for a folder level: 3 "DATABASE", 4 "/DATABASE/TABLE",
// 5/6/7 the INDEX, TRIGGER or FOREIGNKEY children of table gTableIndex, 8 views,
// 9 stored procedures; "" for any other level.
QString GetXPath(qint16 level);

// The number of connections in oLHXML whose Key, up to its first "|", equals name,
// ignoring case. 0 when there is no tree document.
qint16 SearchInLHXML(const QString& name);

// The number of matches of the regular expression pattern in text (case ignored), or
// -1 for an empty text. A start other than 0 first cuts text to its part from that
// 1-based position (the caller's text changes). An invalid pattern is reported.
qint16 Occurs(QString& text, const QString& pattern, qint16 start = 0);

// How often "<" + name + ">" stands in shownNames, compared as plain text ignoring
// case: the number of connections labelled name (in any case) placed so far in one
// tree fill, this one included when it was already appended.
int CountShownName(const QString& shownNames, const QString& name);

// RHXPath level codes: a whole number, optionally followed by gDecimalSymbol and a
// whole number. IsLevelCode tells such a code from an object's structure path.
bool IsLevelCode(const QString& rhxpath);
// The code's value as a whole number, rounded as a decimal number would be ("3.5"
// gives 4); throws error 13 for a text that is no level code.
int LevelCodeValue(const QString& rhxpath);
// The level: the whole number before the separator (the whole code when it has none).
int LevelOf(const QString& rhxpath);
// The position after the first separator, or the whole code read as a number when it
// has none. A code written under a locale whose separator differs ("2,0" read where
// the symbol is ".") is read at its "." or "," too. Throws error 13 for other texts.
int PositionOf(const QString& rhxpath);

}  // namespace bGlobal
