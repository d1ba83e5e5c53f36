#include "import/WizardSteps.h"

#include "core/KindsRead.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "import/CatalogueQuery.h"
#include "import/cADODB.h"
#include "platform/ado/Ado.h"

using namespace bGlobal;

namespace wizard {

namespace {

QString groupPath(int group) { return QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP[%1]").arg(group); }

}  // namespace

NavigationButtons ButtonsFor(int page, bool importFailed) {
    NavigationButtons b;
    switch (page) {
    case Introduction: b.next = true; break;
    case DataSource: b.back = b.next = true; break;
    case Importing: b.back = importFailed; break;
    case Summary:
    case ReportOptions: b.next = b.finish = true; break;
    case ReportObjects: b.back = b.finish = true; break;
    default: break;
    }
    b.nextCaption = page == Summary ? QStringLiteral("More >>") : QStringLiteral("Next >");
    return b;
}

int AdvancedBarTwips(int barTwips, int boxTwips, int increment) {
    return barTwips <= boxTwips - 150 ? barTwips + increment : 100 + increment;
}

QString ImportSummary() {
    const auto count = [](const char* path, int kind) -> QString {
        if (!cADODB::ReadsKind(gDatabaseType, kind)) return KindsRead::kNotReadText;
        if (!oStructureXML || !oStructureXML->HasDocument()) return QStringLiteral("0");
        // A structure file read again says what its own import read; the path's last
        // step names the kind's elements.
        const QString element = QString::fromLatin1(path).section(QLatin1Char('/'), -1);
        if (!KindsRead::WasRead(oStructureXML->FindNode(QStringLiteral("DATABASE")), element)) return KindsRead::kNotReadText;
        return QString::number(oStructureXML->GetNodes(QLatin1String(path)).size());
    };
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Server Name: ") + gServerName + crlf + QStringLiteral("Database Name: ") + gDatabaseName + crlf +
           QStringLiteral("Number of Tables: ") + count("/DATABASE/TABLE", catalogue::Tables) + crlf +
           QStringLiteral("Number of Views: ") + count("/DATABASE/VIEW", catalogue::Views) + crlf +
           QStringLiteral("Number of Stored procedures: ") + count("/DATABASE/STOREDPROCEDURE", catalogue::Procedures) + crlf +
           QStringLiteral("Number of Triggers: ") + count("/DATABASE/TABLE/TRIGGER", catalogue::Triggers) + crlf +
           QStringLiteral("Number of Indexes: ") + count("/DATABASE/TABLE/INDEX", catalogue::Indexes) + crlf;
}

int ConnectionCount(int group) {
    if (!oLHXML || !oLHXML->HasDocument()) return 0;
    const XmlNode node = oLHXML->FindNode(groupPath(group));
    return node ? int(node.childElements().size()) : 0;
}

QString ConnectionPath(int group, int connection) {
    return groupPath(group) + QStringLiteral("/DATABASECONNECTION[%1]").arg(connection);
}

int ConnectionsAtAddress(const QString& sConnectionString) {
    if (!oLHXML || !oLHXML->HasDocument() || !oLHXML->DocumentElement()) return 0;
    const platform::ado::DatabaseAddress wanted = platform::ado::AddressOf(sConnectionString);
    int count = 0;
    for (const XmlNode& c : oLHXML->GetNodes(QStringLiteral("DATABASESTRUCTURES/DATABASEGROUP/DATABASECONNECTION"))) {
        const QString stored = c.attribute(QStringLiteral("ConnectionString")).trimmed();
        if (!stored.isEmpty() && platform::ado::AddressOf(stored) == wanted) ++count;
    }
    return count;
}

void AddedConnection::Remember(int group, int connection) {
    Keep();
    if (!oLHXML) return;
    const XmlNode node = oLHXML->FindNode(ConnectionPath(group, connection));
    if (!node) return;
    m_present = true;
    m_group = group;
    m_connection = connection;
    m_key = node.attribute(QStringLiteral("Key"));
}

void AddedConnection::Remove() {
    if (!m_present) return;
    const AddedConnection added = *this;
    Keep();
    if (!oLHXML || !oLHXML->HasDocument()) return;
    const XmlNode node = oLHXML->FindNode(ConnectionPath(added.m_group, added.m_connection));
    if (!node || node.attribute(QStringLiteral("Key")) != added.m_key) return;
    oLHXML->RemoveXPath(groupPath(added.m_group), QStringLiteral("DATABASECONNECTION[%1]").arg(added.m_connection));
}

}  // namespace wizard
