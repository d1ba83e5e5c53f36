#pragma once
// The rules for a database group's name, worked out without widgets: the characters
// the name box takes, and the checks before a group is made or renamed.

#include <QChar>
#include <QString>

class cXML;

namespace GroupName {

// True for the characters a group name may hold (A-Z, a-z, 0-9, "_") and Backspace.
bool KeyAllowed(QChar ch);
// Drops every character KeyAllowed refuses (for pasted text).
QString Filtered(const QString& text);
// True when a group of tree has exactly that Key (letter case counts).
bool GroupExists(cXML& tree, const QString& name);
// The message for the first check that name (already trimmed) fails, "" when it
// passes: empty, already a group's Key, starting with a digit.
QString Problem(cXML& tree, const QString& name);

}  // namespace GroupName
