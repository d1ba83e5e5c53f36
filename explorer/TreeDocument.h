#pragma once
// The tree document behind the explorer's tree: DATABASESTRUCTURES / DATABASEGROUP /
// DATABASECONNECTION, and below a connection one folder per kind of object and one
// item per object. Every element carries Name, Key and RHXPath; RHXPath is a level
// code ("2" + gDecimalSymbol + group position) on containers and the object's
// structure path on items. Positions count from 0 and are the current places.
//
// These routines change the document only; the window refills its tree afterwards.
// They read and write the current-connection globals of bGlobal as their callers
// expect, throw platform::RuntimeError on failure, and run on the window thread.

#include <QString>
#include <QStringList>

class cXML;

namespace TreeDocument {

// The current date and time as the user's locale writes a general date: short date
// and long time.
QString NowText();
// "4.0": the program's major and minor version.
QString VersionText();
// A level code with a position: level, gDecimalSymbol, position.
QString LevelCode(int level, int position);
// The tree document's text, "" when it holds no document element.
QString ContentOf(cXML& doc);

QString GroupPath(int g);
QString ConnectionPath(int g, int c);

// The root's five attributes in their order.
QStringList RootAttributes(const QString& createdOn);

// Appends a group named name (Name and Key) as the last group, starting the document
// with its root when it holds none.
void AddGroup(cXML& doc, const QString& name);
// Sets Name and Key of group g to name; connections keep their Keys. Nothing happens
// when there is no group g.
void RenameGroup(cXML& doc, int g, const QString& name);
// Appends a database connection to group gGroupIndex from the current-connection
// globals: sets gConnectionString and gConnectionIndex (the new position), names an
// unnamed connection "Default" (gDatabaseName too).
void AddDBConnection(cXML& doc, const QString& sConnectionString);
// Appends a connection read from a structure file (structure: its structure
// document, gStructureFilePath: the file) with its folders and items to group
// gGroupIndex, and sets gDatabaseName and gConnectionIndex. When a connection of that
// name exists the user is asked whether to connect again; No adds nothing. Stops
// without adding when the group does not exist.
void AddFileConnection(cXML& doc, cXML& structure);
// Copies DatabaseType, ServerName and DatabaseName (also into gDataSource) of the
// structure document's DATABASE element into the globals; nothing when it has none.
void FetchXMLDBInfo(cXML& structure);

}  // namespace TreeDocument
