#pragma once
// Removing connections and groups from the tree document and renumbering what stays,
// and the rules of the tree's context menus, worked out without widgets.
//
// After a removal every remaining group has RHXPath "2" + gDecimalSymbol + its
// position, every remaining connection "3" + gDecimalSymbol + its position, and every
// Key below a connection names the connection's new group and connection positions in
// the form the import writes ("name|g|c|..."). Group Keys (their names) never change.
// The routines throw platform::RuntimeError on failure. Window thread only.

#include "core/XmlNode.h"

#include <QString>

class cXML;

namespace TreeMaintenance {

// Removes connection c of group g and renumbers the group's other connections. Nothing
// happens when there is no such connection.
void DeleteConnection(cXML& tree, int g, int c);
// Removes group g and renumbers the groups after it and all their connections.
// Nothing happens when there is no such group.
void DeleteDBGroup(cXML& tree, int g);
// Removes every group; the root stays.
void DeleteAllDBGroups(cXML& tree);
// Rewrites the Keys of all elements below connection (now connection c of group g):
// the two positions after the name become g and c, the rest of each Key stays. A Key
// not in that form gets the element's name, g, c and its positions below the
// connection.
void ResetAllKeys(const XmlNode& connection, int g, int c);
// Removes every child of the element at sXPath (a connection's object folders before
// its objects are read again). Nothing happens when there is no such element.
void RemoveConnChildren(cXML& tree, const QString& sXPath);

int GroupCount(cXML& tree);
// Connections over all groups.
int ConnectionCount(cXML& tree);

// An object Tag that stands for a table itself (not one of its indexes, triggers or
// foreign keys).
bool IsTableEntry(const QString& tag);

}  // namespace TreeMaintenance
