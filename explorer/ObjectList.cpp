#include "explorer/ObjectList.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace ObjectList {

void Clear(QTreeWidget* list) {
    list->clear();
    list->setColumnCount(0);
}

void AddColumn(QTreeWidget* list, const QString& key, const QString& caption) {
    const int column = list->columnCount();
    list->setColumnCount(column + 1);
    list->headerItem()->setText(column, caption);
    list->headerItem()->setData(column, KeyRole, key);
}

QString ColumnKey(const QTreeWidget* list, int column) {
    return list->headerItem()->data(column, KeyRole).toString();
}

QStringList Captions(const QTreeWidget* list) {
    QStringList captions;
    for (int i = 0; i < list->columnCount(); ++i) captions << list->headerItem()->text(i);
    return captions;
}

QTreeWidgetItem* AddItem(QTreeWidget* list, const QString& text, const QString& key, const QStringList& cells,
                         const QString& imageKey, const QIcon& image, bool checkable) {
    auto* item = new Item;
    item->setText(0, text);
    item->setData(0, KeyRole, key);
    item->setData(0, ImageRole, imageKey);
    if (!imageKey.isEmpty()) item->setIcon(0, image);
    for (int i = 0; i < cells.size(); ++i) item->setText(i + 1, cells[i]);
    if (checkable) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    } else {
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
    }
    list->addTopLevelItem(item);
    return item;
}

QString Key(const QTreeWidgetItem* item) { return item ? item->data(0, KeyRole).toString() : QString(); }
QString Path(const QTreeWidgetItem* item) { return item ? item->data(0, PathRole).toString() : QString(); }
void SetPath(QTreeWidgetItem* item, const QString& path) { item->setData(0, PathRole, path); }
QString ImageKey(const QTreeWidgetItem* item) { return item ? item->data(0, ImageRole).toString() : QString(); }

void FitColumns(QTreeWidget* list) {
    constexpr int kPadding = 12;
    QHeaderView* header = list->header();
    header->setStretchLastSection(true);
    const int maxWidth = qMax(200, list->viewport()->width() / 2);
    const int last = list->columnCount() - 1;
    for (int column = 0; column < last; ++column) {
        const int wanted = qMax(static_cast<const QAbstractItemView*>(list)->sizeHintForColumn(column), header->sectionSizeHint(column)) + kPadding;
        list->setColumnWidth(column, qMin(wanted, maxWidth));
    }
}

bool IsCheckable(const QTreeWidgetItem* item) { return item && (item->flags() & Qt::ItemIsUserCheckable); }

void SetCheckBoxes(QTreeWidget* list, bool on) {
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (on) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            if (!item->data(0, Qt::CheckStateRole).isValid()) item->setCheckState(0, Qt::Unchecked);
        } else {
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
            item->setData(0, Qt::CheckStateRole, QVariant());
        }
    }
}

bool Item::operator<(const QTreeWidgetItem& other) const {
    const QTreeWidget* list = treeWidget();
    const int column = list ? list->sortColumn() : 0;
    return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
}

}  // namespace ObjectList
