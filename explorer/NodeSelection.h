#pragma once
// What the main window shows for a selected tree node, worked out without widgets:
// the tree-document path of a node level, the current connection taken from a node,
// the rows of the object list (the children of a tree-document element, or the
// details of one structure object) and the Report marks of the structure document.
//
// The routines read and write the current-connection globals of bGlobal
// (gGroupIndex, gConnectionIndex, gTableIndex, gDecimalSymbol, oLHXML,
// oStructureXML). They throw platform::RuntimeError on failure; the window's
// procedures trap it. Window thread only.

#include "core/XmlNode.h"

#include <QList>
#include <QString>
#include <QStringList>

class cXML;

namespace NodeSelection {

// ---- node levels and paths ---------------------------------------------------------

// The tree-document path of the element behind a node of the level: 0 "/", 1 the root,
// 2 group g, 3 connection c of group g, 4 its tables folder, 5/6/7 the indexes,
// triggers or foreign-keys folder of table t, 8 its views folder, 9 its stored
// procedures folder; "" for any other level. Positions count from 0.
QString LHXPath(int level, int g, int c, int t);

// A numeric tag decoded: its level and, when it has a separator, its position.
struct TagValue {
    int level = 0;
    bool hasIndex = false;
    int index = 0;
};
// Throws error 13 for a tag that is no level code (bGlobal::IsLevelCode).
TagValue DecodeTag(const QString& tag);

// ---- a tree node ------------------------------------------------------------------------

// A tree node decoded once from its tag, its key and the tags of the nodes above it.
// A tag that is a level code ("3", "5,2": the level, then after the decimal symbol a
// position) stands for the root, a group, a connection or a folder; any other tag is
// the structure path of an object.
struct NodeValue {
    QString key;
    QString tag;
    bool isCode = false;    // the tag is a level code
    int level = 0;          // the code's level (isCode)
    bool hasIndex = false;  // the code carries a position
    int index = 0;          // that position (hasIndex)
    // The group and connection positions of the connection the node lies in, read
    // from the codes of the connection's node (level 3) and of its group's node
    // (level 2); -1 when it lies in none.
    int group = -1;
    int connection = -1;

    bool IsObject() const { return !isCode && !tag.isEmpty(); }
    bool InConnection() const { return connection >= 0; }
    // The context menu the node opens: 0 none (the empty tag of "(No Item)", a code
    // below 1), 1 the root, 2 a group, 3 a connection, 4 folders (levels 4 to 9) and
    // objects.
    int MenuLevel() const;
    // The structure-document path the node stands for: an object's own path, or
    // bGlobal::GetXPath of the code's level (gTableIndex must be set for levels 5 to
    // 7); "" for an empty tag.
    QString StructurePath() const;
};
// ancestorTags: the tags of the nodes above, nearest first.
NodeValue DecodeNode(const QString& key, const QString& tag, const QStringList& ancestorTags = {});

// The element name of an object path: its last step after the last "/", without its
// bracketed position, upper-cased ("DATABASE/TABLE[3]/INDEX[0]" gives "INDEX").
QString ElementNameOf(const QString& xpath);

// ---- the current connection -------------------------------------------------------

// The group and connection positions that a node key names ("name|g|c|..."). False
// when the key has no "|" or its two fields after the name are not whole numbers.
// The name is taken up to the first "|"; the window prefers the positions of the
// node's connection in the tree, which stay right when a name holds "|" itself.
bool PositionsOfKey(const QString& sKey, int& g, int& c);

enum class Load {
    NoConnection,    // no connection element at those positions: not made current
    AlreadyCurrent,  // the pair was current already: nothing reloaded
    Loaded,          // made current; its temporary structure copy (if any) loaded
    LoadFailed,      // made current, but its temporary copy could not be loaded
};
// Makes connection c of group g current: gGroupIndex and gConnectionIndex, the
// connection's type, server and name (gDatabaseType, gServerName, gDatabaseName,
// restored from its tree entry, then whatever its ConnectionString tells
// bGlobal::ParseConnectionString), and oStructureXML loaded from its TempXMLFileName
// when that is set. An empty or one-blank TempXMLFileName leaves oStructureXML as it
// is. A pair that is current already only has its globals restored. Needs oLHXML.
Load MakeCurrent(int g, int c);

// ---- the object list ------------------------------------------------------------------

struct ListColumn {
    QString key;
    QString caption;
};

struct ListRow {
    QString text;      // first column
    QString key;       // tree node key; "" for detail rows
    QString imageKey;  // picture of imlTreeIcons; "" for none
    QString path;      // structure-document path of the child's object (children lists)
    int report = 0;    // the object's Report value (children lists only)
    QStringList cells; // further columns, in order
};

struct ListContent {
    QList<ListColumn> columns;
    QList<ListRow> rows;
};

// The children of the tree-document element at sLHXPath, as the list shows them:
// columns from the first child (Name; Created On when it has CreatedOn; Database
// Engine when it has DatabaseType), one row per child element. A row's path is what
// its RHXPath stands for (bGlobal::GetXPath of a level code of 3 or more, an object
// path as it is); its report value comes from the first element of structure (may be
// null) at that path that has a Report attribute. Nothing found gives no columns.
ListContent ChildrenOf(cXML& tree, const QString& sLHXPath, cXML* structure);

// How one structure object is shown.
enum class DetailView {
    Attributes,  // INDEX, FOREIGNKEY and any other element: one row of its attributes
    Columns,     // TABLE: one row per COLUMN child (a Scale shown in its Length cell, "8,2")
    Script,      // TRIGGER, VIEW, STOREDPROCEDURE: the SQL text
};
struct ObjectDetails {
    DetailView view = DetailView::Attributes;
    // Attributes: the element exists; Columns: it has COLUMN children; Script: it has
    // an SQLSCRIPT child.
    bool found = false;
    ListContent list;
    QString script;  // line breaks as CR LF
};
ObjectDetails DetailsOf(cXML& structure, const QString& sXPath);

// A stored SQL text as a text box shows it: each line feed, then each "<BR/>",
// becomes CR LF.
QString ScriptText(const QString& stored);

// A column caption made from an attribute name: every "_" becomes a blank.
QString CaptionOf(const QString& attributeName);

// ---- report marks --------------------------------------------------------------------

// The check mark of a list item whose object is at path: the first element of
// structure at that path, when it exists and has Report, is marked when its value
// as a number is not 0; anything else (no document, no element, no Report) is marked.
bool ReportMark(cXML* structure, const QString& path);

// Sets Report to "1" or "0" on every node of the list that has the attribute and on
// all their descendants that have it. Never creates a Report attribute.
void SetReport(const XmlNodeList& nodes, int iReport);

}  // namespace NodeSelection
