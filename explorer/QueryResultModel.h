#pragma once
// The rows of the query tab's last rowset as a table model for the grid.
//
// Rows arrive in batches while the statement is still being read (AppendRows) and
// are kept packed: each row's values as text in one byte array per batch, about the
// size of the text itself, so a rowset of a million rows stays small. The view sees
// them in steps of kBatch (canFetchMore / fetchMore). Window thread only, except
// PackRows, which any thread may call.

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVariantList>

// Rows packed for the model: per value a 32-bit length (-1 for Null) and its UTF-8
// text; starts[i] is where row i begins in data.
struct PackedRows {
    QByteArray data;
    QList<qsizetype> starts;
    int size() const { return int(starts.size()); }
};

// Packs rows; each value becomes its text (QVariant::toString), Null stays Null.
PackedRows PackRows(const QList<QVariantList>& rows);

class QueryResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kBatch = 1000;

    explicit QueryResultModel(QStringList names, QObject* parent = nullptr);

    void AppendRows(PackedRows rows);
    // Rows received (the view may show fewer so far).
    int TotalRows() const { return m_total; }
    const QStringList& Names() const { return m_names; }
    // The values of row r as text; a null QVariant for Null.
    QVariantList Row(int r) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    QStringList m_names;
    QList<PackedRows> m_batches;
    QList<int> m_firstRow;  // the first row number of each batch
    int m_total = 0;
    int m_shown = 0;
};
