#pragma once
// The Report and Migrate marks of a structure document's objects: TABLE with its
// INDEX, FOREIGNKEY and TRIGGER children, VIEW and STOREDPROCEDURE. An import writes
// Report "1" (in reports) and Migrate "0" (not chosen for a migration) on every one;
// a structure saved as plain XML for the user carries neither, and is read back as an
// import writes it, so that every object it holds is reported and can be migrated.

class XmlNode;

namespace ObjectMarks {

// Gives every object below 'database' (the DATABASE element) that lacks Report the
// Report "1", and that lacks Migrate the Migrate "0"; marks already there stay as
// they are. A null node is left alone.
void MarkAsImported(XmlNode database);

}  // namespace ObjectMarks
