#include "import/CatalogueQuery.h"

#include "core/bGlobal.h"
#include "core/cXML.h"
#include "platform/Error.h"

namespace catalogue {

bool Entry::hasType() const { return exists() && !m_node.selectSingleNode(QStringLiteral("TYPE")).isNull(); }

QString Entry::type() const {
    if (!exists()) return {};
    return m_node.selectSingleNode(QStringLiteral("TYPE")).text();
}

QString Entry::child(const QString& path) const {
    const XmlNode n = exists() ? m_node.selectSingleNode(path) : XmlNode();
    if (n.isNull())
        throw platform::RuntimeError(platform::err::ObjectRequired,
                                     QStringLiteral("Object variable or With block variable not set"));
    return n.text();
}

QString Entry::query() const { return child(QStringLiteral("QUERY")); }
QString Entry::condition() const { return child(QStringLiteral("CONDITION")); }
QString Entry::column(int i) const { return child(QStringLiteral("COLUMNLIST/COLUMN[%1]").arg(i)); }

QStringList Entry::columns(int count) const {
    QStringList names;
    for (int i = 0; i < count; ++i) names << column(i);
    return names;
}

Entry Lookup(int databaseType, int kind) {
    if (!bGlobal::oQueriesXML || !bGlobal::oQueriesXML->HasDocument()) return Entry();
    return Entry(bGlobal::oQueriesXML->FindNode(QStringLiteral("QUERIES/DATABASE[%1]/TABLE[%2]").arg(databaseType).arg(kind)));
}

QString Separator(int kind) {
    switch (kind) {
    case Tables:
    case Columns:
    case PrimaryKeys:
    case Indexes:
    case ForeignKeys:
    case CheckConstraints: return QStringLiteral(" Where ");
    default: return QStringLiteral(" WHERE ");
    }
}

QString QuoteLiteral(const QString& name) {
    QString q = name;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return q;
}

QString BuildCommand(const Entry& entry, int kind, const QString& objectName) {
    const QString query = entry.query();
    const QString condition = entry.condition();
    QString command;
    if (entry.type() == QLatin1String("SP"))
        command = query + QLatin1Char(' ') + condition;
    else if (condition.isEmpty() && kind != Tables)
        command = query;
    else
        command = query + Separator(kind) + condition;
    const QString placeholder = kind == ProcedureText ? QStringLiteral("MORVPPP") : QStringLiteral("MORVXXX");
    if (kind != Tables && kind != Views && kind != Procedures) command.replace(placeholder, QuoteLiteral(objectName));
    return command;
}

}  // namespace catalogue
