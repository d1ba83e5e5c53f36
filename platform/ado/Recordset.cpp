// Recordset: rows held in memory with a current position, as a client-side ADO cursor.

#include "platform/ado/Ado.h"
#include "platform/ado/SchemaRowsets.h"

#include "platform/Error.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace platform::ado {

namespace {

constexpr long adErrNoCurrentRecord = 3021;

[[noreturn]] void throwClosed() {
    throw RuntimeError(adErrClosed, QStringLiteral("Operation is not allowed when the object is closed."));
}

[[noreturn]] void throwNoCurrentRecord() {
    throw RuntimeError(adErrNoCurrentRecord,
                       QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                      "Requested operation requires a current record."));
}

// A value as GetString writes it: Booleans as "True"/"False", dates as ISO text,
// numbers without exponent for ordinary magnitudes.
QString clipText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return dt.toString(dt.time().msec() ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz") : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 15);
    case QMetaType::QByteArray:
        return QString::fromLatin1(value.toByteArray().toHex().toUpper());
    default:
        return value.toString();
    }
}

}  // namespace

Recordset::Recordset(QStringList names, QList<int> types, QList<QVariantList> rows)
    : m_names(std::move(names)), m_types(std::move(types)), m_rows(std::move(rows)), m_open(true) {
    while (m_types.size() < m_names.size()) m_types << adVarWChar;
}

Recordset::Recordset(QStringList names, QList<int> types, std::shared_ptr<const QList<schema::PackedRow>> packed,
                     QList<int> picked)
    : m_names(std::move(names)), m_types(std::move(types)), m_packed(std::move(packed)), m_picked(std::move(picked)),
      m_open(true) {
    while (m_types.size() < m_names.size()) m_types << adVarWChar;
}

const QList<QVariantList>& Recordset::Rows() const {
    if (m_packed) {
        for (qsizetype r = m_rows.size(); r < m_picked.size(); ++r) m_rows << schema::unpack((*m_packed)[m_picked[r]]);
        if (m_rows.size() == m_picked.size()) {
            m_packed.reset();  // unpacked whole: the shared rowset is no longer needed
            m_picked.clear();
        }
    }
    return m_rows;
}

QVariant Recordset::value(qsizetype row, int column) const {
    if (m_packed) return schema::packedValue((*m_packed)[m_picked[row]], column);
    const QVariantList& values = m_rows[row];
    return column < values.size() ? values[column] : QVariant();
}

bool Recordset::IsBOF() const {
    if (!m_open) throwClosed();
    return count() == 0;
}

bool Recordset::IsEOF() const {
    if (!m_open) throwClosed();
    return m_pos >= count();
}

void Recordset::MoveFirst() {
    if (!m_open) throwClosed();
    m_pos = 0;
}

void Recordset::MoveNext() {
    if (!m_open) throwClosed();
    if (m_pos >= count()) throwNoCurrentRecord();
    ++m_pos;
}

QString Recordset::FieldName(int index) const {
    if (index < 0 || index >= m_names.size())
        throw RuntimeError(adErrItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return m_names[index];
}

int Recordset::FieldType(int index) const {
    if (index < 0 || index >= m_types.size())
        throw RuntimeError(adErrItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return m_types[index];
}

int Recordset::FieldIndex(const QString& name) const {
    // Names of another length never match (case folding maps one UTF-16 unit to one),
    // and callers mostly spell a field as the recordset does, so the case-blind
    // comparison runs only after those cheap tests.
    for (int i = 0; i < m_names.size(); ++i) {
        const QString& field = m_names[i];
        if (field.size() == name.size() && (field == name || field.compare(name, Qt::CaseInsensitive) == 0)) return i;
    }
    return -1;
}

bool Recordset::HasField(const QString& name) const { return FieldIndex(name) >= 0; }

QVariant Recordset::Fields(const QString& name) const {
    if (!m_open) throwClosed();
    const int index = FieldIndex(name);
    if (index < 0)
        throw RuntimeError(adErrItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    return Fields(index);
}

QVariant Recordset::Fields(int index) const {
    if (!m_open) throwClosed();
    if (index < 0 || index >= m_names.size())
        throw RuntimeError(adErrItemNotFound, QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal."));
    if (m_pos >= count()) throwNoCurrentRecord();
    return value(m_pos, index);
}

QString Recordset::GetString(const QString& columnDelimiter, const QString& rowDelimiter, const QString& nullExpr) {
    if (!m_open) throwClosed();
    QString text;
    for (; m_pos < count(); ++m_pos) {
        for (int c = 0; c < m_names.size(); ++c) {
            if (c > 0) text += columnDelimiter;
            const QVariant v = value(m_pos, c);
            text += v.isNull() ? nullExpr : clipText(v);
        }
        text += rowDelimiter;
    }
    return text;
}

}  // namespace platform::ado
