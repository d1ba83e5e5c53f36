#pragma once
// The main window's object list (lsvDescription, a QTreeWidget shown as a flat list
// with a header) as a list view with keyed columns and keyed items, check boxes that
// can be switched on and off, and text sorting; and the colouring of the XML
// preview. Window thread only.

#include <QSyntaxHighlighter>
#include <QTreeWidgetItem>

class QTreeWidget;
class QTextDocument;

namespace ObjectList {

// Data roles of column 0 of an item, and of a column in the header item.
enum Role { KeyRole = Qt::UserRole + 1, ImageRole };

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

// Colours XML shown as plain text: markup, names, attribute values, comments and
// CDATA sections. The text itself is never interpreted.
class XmlHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit XmlHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    // Block states: inside a comment, inside a CDATA section.
    enum State { Normal = 0, InComment = 1, InCData = 2 };
    QTextCharFormat m_markup, m_element, m_attribute, m_value, m_comment, m_cdata;
};
