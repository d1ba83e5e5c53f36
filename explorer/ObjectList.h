#pragma once
// The main window's object list (lsvDescription, a QTreeWidget shown as a flat list
// with a header) as a list view with keyed columns and keyed items, check boxes that
// can be switched on and off, and text sorting. Window thread only.

#include <QTreeWidgetItem>

class QTreeWidget;

namespace ObjectList {

// Data roles of column 0 of an item (KeyRole also of a column in the header item).
// PathRole: the structure-document path of the item's object, where known.
enum Role { KeyRole = Qt::UserRole + 1, ImageRole, PathRole };

// Removes every item and every column.
void Clear(QTreeWidget* list);
// Appends a column with a key and a caption.
void AddColumn(QTreeWidget* list, const QString& key, const QString& caption);
QString ColumnKey(const QTreeWidget* list, int column);
QStringList Captions(const QTreeWidget* list);

// Appends an item: text in the first column, cells in the next ones (in order), a
// key ("" for none) and a picture under its image key. With checkable the item gets
// an unticked check box.
QTreeWidgetItem* AddItem(QTreeWidget* list, const QString& text, const QString& key, const QStringList& cells,
                         const QString& imageKey, const QIcon& image, bool checkable);
QString Key(const QTreeWidgetItem* item);
QString ImageKey(const QTreeWidgetItem* item);
QString Path(const QTreeWidgetItem* item);
void SetPath(QTreeWidgetItem* item, const QString& path);
// Sizes the columns to their captions and contents, each but the last at most half
// the list's width (and never cut below 200 pixels); the last one takes the rest.
void FitColumns(QTreeWidget* list);
// Gives every item a check box (unticked where it had none), or takes them away.
void SetCheckBoxes(QTreeWidget* list, bool on);
bool IsCheckable(const QTreeWidgetItem* item);

// An item whose texts sort as words do: case does not matter.
class Item : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override;
};

}  // namespace ObjectList
