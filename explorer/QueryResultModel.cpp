#include "explorer/QueryResultModel.h"

QueryResultModel::QueryResultModel(platform::ado::RecordsetPtr recordset, QObject* parent)
    : QAbstractTableModel(parent), m_recordset(std::move(recordset)) {
    m_shown = qMin(TotalRows(), kBatch);
}

int QueryResultModel::TotalRows() const { return m_recordset ? m_recordset->RecordCount() : 0; }

int QueryResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_shown; }

int QueryResultModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_recordset ? 0 : m_recordset->FieldCount();
}

QVariant QueryResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const QVariantList& row = m_recordset->Rows().at(index.row());
    const QVariant value = index.column() < row.size() ? row.at(index.column()) : QVariant();
    return value.isNull() ? QVariant() : QVariant(value.toString());
}

QVariant QueryResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return m_recordset ? m_recordset->FieldName(section) : QString();
}

bool QueryResultModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && m_shown < TotalRows(); }

void QueryResultModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid()) return;
    const int more = qMin(kBatch, TotalRows() - m_shown);
    if (more <= 0) return;
    beginInsertRows(QModelIndex(), m_shown, m_shown + more - 1);
    m_shown += more;
    endInsertRows();
}
