#pragma once
// What the properties dialog shows of one connection of the tree document, worked out
// without widgets, and the masking of passwords in connection strings.
// Window thread only (it may fill the current-connection globals).

#include <QString>

class cXML;

namespace ConnectionProperties {

// The connection string with the value of every password part hidden. The text is
// read as key=value parts separated by ";" (a value quoted with ' or " or braced with
// {} may hold ";"); a part whose key is "Password" or "Pwd" in any letter case,
// blanks around it ignored, becomes "Password=******"; a part whose key ends with
// "password" (such as "Jet OLEDB:Database Password") keeps its key and shows "******".
// A quoted or braced value that is itself a connection string is masked the same way.
// Every other part stays as it was written.
QString MaskConnectionString(const QString& connectionString);

struct Values {
    bool found = false;  // the connection exists
    int tables = 0, indexes = 0, triggers = 0, views = 0, procedures = 0;
    // False for a kind the connection's import did not read (its count is no number).
    bool indexesRead = true, triggersRead = true, viewsRead = true, proceduresRead = true;
    QString connectionString;  // masked, or "Not Defined"
    QString databaseName, serverName, engine, createdOn, createdBy;  // "Not Defined" when unknown
    QString language, maxConnections, maxPrecision, lockTimeout;     // "N/A" when unknown
};

// The properties of connection c of group g of tree. The counts are the object entries
// of the tree document. When gServerName and gDatabaseName are both empty, the stored
// connection string fills the connection globals first (bGlobal::ParseConnectionString);
// the name and server shown are those globals. The four server settings, and which
// kinds were not read, come from structure (the DATABASE element) only when the
// connection's own structure is loaded, that is, when it has a temporary structure
// copy; otherwise the settings are "N/A" and every kind counts as read.
// Throws platform::RuntimeError on failure.
Values Read(cXML& tree, int g, int c, cXML* structure);

}  // namespace ConnectionProperties
