#include "explorer/QueryResultModel.h"

#include <algorithm>
#include <cstring>

PackedRows PackRows(const QList<QVariantList>& rows) {
    PackedRows packed;
    packed.starts.reserve(rows.size());
    for (const QVariantList& row : rows) {
        packed.starts << packed.data.size();
        for (const QVariant& value : row) {
            const QByteArray text = value.isNull() ? QByteArray() : value.toString().toUtf8();
            const qint32 length = value.isNull() ? -1 : qint32(text.size());
            packed.data.append(reinterpret_cast<const char*>(&length), sizeof length);
            packed.data.append(text);
        }
    }
    packed.data.squeeze();
    return packed;
}

QueryResultModel::QueryResultModel(QStringList names, QObject* parent)
    : QAbstractTableModel(parent), m_names(std::move(names)) {}

void QueryResultModel::AppendRows(PackedRows rows) {
    if (rows.size() == 0) return;
    m_firstRow << m_total;
    m_total += rows.size();
    m_batches << std::move(rows);
    // The first rows show at once; the rest when the view asks for them.
    if (m_shown < kBatch) fetchMore(QModelIndex());
}

QVariantList QueryResultModel::Row(int r) const {
    QVariantList values;
    if (r < 0 || r >= m_total) return values;
    const auto it = std::upper_bound(m_firstRow.cbegin(), m_firstRow.cend(), r);
    const qsizetype b = (it - m_firstRow.cbegin()) - 1;
    const PackedRows& batch = m_batches.at(b);
    const int i = r - m_firstRow.at(b);
    const char* p = batch.data.constData() + batch.starts.at(i);
    values.reserve(m_names.size());
    for (qsizetype c = 0; c < m_names.size(); ++c) {
        qint32 length = 0;
        memcpy(&length, p, sizeof length);
        p += sizeof length;
        if (length < 0) {
            values << QVariant();
        } else {
            values << QString::fromUtf8(p, length);
            p += length;
        }
    }
    return values;
}

int QueryResultModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_shown; }

int QueryResultModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_names.size()); }

QVariant QueryResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shown || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    return Row(index.row()).value(index.column());
}

QVariant QueryResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return m_names.value(section);
}

bool QueryResultModel::canFetchMore(const QModelIndex& parent) const { return !parent.isValid() && m_shown < m_total; }

void QueryResultModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid()) return;
    const int more = qMin(kBatch, m_total - m_shown);
    if (more <= 0) return;
    beginInsertRows(QModelIndex(), m_shown, m_shown + more - 1);
    m_shown += more;
    endInsertRows();
}
