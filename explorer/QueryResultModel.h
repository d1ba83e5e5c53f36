#pragma once
// The rows of the query tab's last rowset as a table model for the grid. The model
// shares the recordset and hands the view its rows in batches (canFetchMore /
// fetchMore), so the first rows show at once however many the rowset holds. The
// recordset must not change while the model shows it. Window thread only.

#include "platform/ado/Ado.h"

#include <QAbstractTableModel>

class QueryResultModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kBatch = 1000;

    explicit QueryResultModel(platform::ado::RecordsetPtr recordset, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Rows the rowset holds (the view may show fewer so far).
    int TotalRows() const;

private:
    platform::ado::RecordsetPtr m_recordset;
    int m_shown = 0;
};
