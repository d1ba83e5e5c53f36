#pragma once
// Filling a tree control from the tree document, and the small tree-node model the
// windows share: every node carries a key, a tag, a 1-based index and an image key.
//
// Contract of a window that holds a tree: the tree is its QTreeWidget child named
// "trvMain". The main window (objectName "frmDatabaseExplorer") also holds an
// ImageList child named "imlTreeIcons" and an int property "iCurrentNodeIndex" that
// DisplayNodes sets for the current connection's node. Window thread only.

#include "core/TreeSearch.h"
#include "core/XmlNode.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// Pictures under keys, as an image list holds them. The list owns its icons.
class ImageList : public QObject {
    Q_OBJECT
public:
    explicit ImageList(QObject* parent = nullptr) : QObject(parent) {}

    // Adds the picture of each key from folder/<key>.svg, rendered crisp at the usual
    // icon sizes. A key whose file is missing or unreadable is left out.
    void LoadFolder(const QString& folder, const QStringList& keys);
    void Add(const QString& key, const QIcon& icon);
    bool Exists(const QString& key) const { return m_icons.contains(key); }
    // The picture of key; error 35601 "Element not found" when there is none.
    QIcon Image(const QString& key) const;
    QStringList Keys() const { return m_keys; }

private:
    QHash<QString, QIcon> m_icons;
    QStringList m_keys;
};

namespace TreeNodes {

// Data roles of column 0 of a node.
enum Role { KeyRole = Qt::UserRole + 1, TagRole, IndexRole, ImageRole };

// Removes every node and restarts the index count at 1.
void Clear(QTreeWidget* tree);
// Adds a node as the last child of relative (a top-level node when relative is null).
// Keys are not required to be unique: a repeated key makes a second node and lookups
// by key find the first. The node's index is the number of nodes added since the
// last Clear.
QTreeWidgetItem* Add(QTreeWidget* tree, QTreeWidgetItem* relative, const QString& key, const QString& text,
                     const QString& imageKey = QString(), const QIcon& image = QIcon());
QString Key(const QTreeWidgetItem* node);
QString Tag(const QTreeWidgetItem* node);
void SetTag(QTreeWidgetItem* node, const QString& tag);
int Index(const QTreeWidgetItem* node);
QString ImageKey(const QTreeWidgetItem* node);
void SetImage(QTreeWidgetItem* node, const QString& imageKey, const QIcon& image);
// The first node in tree order with that key / that index; null when none. A folder
// whose nodes are not made yet is filled when it holds the node looked for.
QTreeWidgetItem* FindByKey(QTreeWidget* tree, const QString& key);
QTreeWidgetItem* FindByIndex(QTreeWidget* tree, int index);
// On the main window a folder of many objects gets its child nodes when it is first
// expanded (or a lookup reaches into it), and so do the objects in it that have child
// nodes: until then such a node shows an expand indicator and childCount() is 0. EnsureFilled makes them now, with the indexes, keys and tags an
// immediate fill gives; nothing for a node that is filled already. Whoever walks a
// node's children calls it first.
void EnsureFilled(QTreeWidgetItem* node);
// True when the node has child nodes, made or still to be made.
bool HasChildren(const QTreeWidgetItem* node);
// A folder with at least this many nodes below it is filled when first expanded.
constexpr int kDeferredFolderNodes = 1000;
// Expands every ancestor, so the node can be seen.
void EnsureVisible(QTreeWidgetItem* node);

}  // namespace TreeNodes

namespace bGlobal {

// Adds tree nodes for all descendants of parent below the node whose key is parent's
// Key, which must already be in window's tree (error 35601 otherwise). On the main
// window nodes get images by element name, repeated connection labels are numbered
// through gShownNames (the caller clears it before a fill), and the node of the
// connection at gGroupIndex / gConnectionIndex becomes iCurrentNodeIndex. Errors are
// reported as "bGlobal.DisplayNodes". An empty parent adds nothing.
void DisplayNodes(QWidget& window, const XmlNode& parent);

}  // namespace bGlobal
