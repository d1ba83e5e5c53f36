#include "explorer/ConnectionProperties.h"

#include "core/KindsRead.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/TreeDocument.h"

#include <QStringList>

using namespace bGlobal;

namespace ConnectionProperties {

namespace {

const QString kHidden = QStringLiteral("******");
const QString kNotDefined = QStringLiteral("Not Defined");
const QString kNA = QStringLiteral("N/A");

// One "key=value" part of a connection string as written, split where the value
// starts. A part without "=" has no value.
struct Part {
    QString text;       // the whole part, without its ";"
    int equals = -1;    // position of the "=" in text
};

// Splits at the ";" that stand outside quoted and braced values. Inside quotes a
// doubled quote is one quote; inside braces "}}" is one "}". An unterminated value
// runs to the end.
QList<Part> splitParts(const QString& s) {
    QList<Part> parts;
    Part part;
    int i = 0;
    const int n = int(s.size());
    bool inValue = false;  // after this part's "=", before any value text
    while (i < n) {
        const QChar ch = s[i];
        if (ch == QLatin1Char(';')) {
            parts << part;
            part = Part();
            inValue = false;
            ++i;
            continue;
        }
        if (part.equals < 0 && ch == QLatin1Char('=')) {
            part.equals = int(part.text.size());
            part.text += ch;
            inValue = true;
            ++i;
            continue;
        }
        if (inValue && !ch.isSpace() && (ch == QLatin1Char('\'') || ch == QLatin1Char('"') || ch == QLatin1Char('{'))) {
            const QChar close = ch == QLatin1Char('{') ? QLatin1Char('}') : ch;
            part.text += ch;
            ++i;
            while (i < n) {
                part.text += s[i];
                if (s[i] == close) {
                    if (i + 1 < n && s[i + 1] == close) {
                        part.text += s[i + 1];
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            inValue = false;
            continue;
        }
        if (!ch.isSpace()) inValue = false;
        part.text += ch;
        ++i;
    }
    if (!part.text.isEmpty() || !parts.isEmpty()) parts << part;
    return parts;
}

enum class KeyKind { Other, Password, NamedPassword };

KeyKind kindOf(const QString& key) {
    const QString k = key.trimmed().toLower();
    if (k == QLatin1String("password") || k == QLatin1String("pwd")) return KeyKind::Password;
    if (k.endsWith(QLatin1String("password"))) return KeyKind::NamedPassword;
    return KeyKind::Other;
}

// A quoted or braced value whose content is a connection string, masked inside.
QString maskNested(const QString& value) {
    const QString v = value.trimmed();
    if (v.size() < 2) return value;
    const QChar open = v.front();
    const QChar close = open == QLatin1Char('{') ? QLatin1Char('}') : open;
    if (!(open == QLatin1Char('\'') || open == QLatin1Char('"') || open == QLatin1Char('{')) || v.back() != close)
        return value;
    const QString doubled = QString(close) + close;
    const QString inner = v.mid(1, v.size() - 2).replace(doubled, QString(close));
    if (!inner.contains(QLatin1Char('='))) return value;
    const QString masked = MaskConnectionString(inner);
    if (masked == inner) return value;
    QString requoted = masked;
    requoted.replace(QString(close), doubled);
    const int lead = int(value.indexOf(open));
    return value.left(lead) + open + requoted + close;
}

}  // namespace

QString MaskConnectionString(const QString& connectionString) {
    QStringList out;
    for (const Part& part : splitParts(connectionString)) {
        if (part.equals < 0) {
            out << part.text;
            continue;
        }
        const QString key = part.text.left(part.equals);
        const QString value = part.text.mid(part.equals + 1);
        int blanks = 0;
        while (blanks < key.size() && key[blanks].isSpace()) ++blanks;
        const QString lead = key.left(blanks);
        switch (kindOf(key)) {
        case KeyKind::Password: out << lead + QStringLiteral("Password=") + kHidden; break;
        case KeyKind::NamedPassword: out << key + QLatin1Char('=') + kHidden; break;
        case KeyKind::Other: out << key + QLatin1Char('=') + maskNested(value); break;
        }
    }
    return out.join(QLatin1Char(';'));
}

Values Read(cXML& tree, int g, int c, cXML* structure) {
    Values v;
    v.connectionString = v.databaseName = v.serverName = v.engine = v.createdOn = v.createdBy = kNotDefined;
    v.language = v.maxConnections = v.maxPrecision = v.lockTimeout = kNA;
    const XmlNode connection = tree.HasDocument() ? tree.FindNode(TreeDocument::ConnectionPath(g, c)) : XmlNode();
    if (!connection) return v;
    v.found = true;

    const auto count = [&](const char* path) { return int(connection.selectNodes(QLatin1String(path)).size()); };
    v.tables = count("TABLES/TABLE");
    v.indexes = count("TABLES/TABLE/INDEXES/INDEX");
    v.triggers = count("TABLES/TABLE/TRIGGERS/TRIGGER");
    v.views = count("VIEWS/VIEW");
    v.procedures = count("STOREDPROCEDURES/STOREDPROCEDURE");

    const QString stored = connection.attribute(QStringLiteral("ConnectionString"));
    if (connection.hasAttribute(QStringLiteral("ConnectionString"))) v.connectionString = MaskConnectionString(stored);
    if (gServerName.isEmpty() && gDatabaseName.isEmpty() && !stored.isEmpty()) ParseConnectionString(stored);
    if (!gDatabaseName.isEmpty()) v.databaseName = gDatabaseName;
    if (!gServerName.isEmpty()) v.serverName = gServerName;

    const auto attributeOr = [](const XmlNode& node, const char* name, const QString& otherwise) {
        const QString n = QLatin1String(name);
        return node.hasAttribute(n) ? node.attribute(n) : otherwise;
    };
    v.engine = attributeOr(connection, "ServerType", kNotDefined);
    v.createdOn = attributeOr(connection, "CreatedOn", kNotDefined);
    v.createdBy = attributeOr(connection, "CreatedBy", kNotDefined);

    // oStructureXML holds this connection's structure only when it has been loaded
    // from its temporary copy; a connection not read in this run has none, and the
    // document then still belongs to another connection.
    const bool loaded = !connection.attribute(QStringLiteral("TempXMLFileName")).trimmed().isEmpty();
    if (loaded && structure && structure->HasDocument()) {
        if (const XmlNode database = structure->FindNode(QStringLiteral("DATABASE"))) {
            v.language = attributeOr(database, "Language", kNA);
            v.maxConnections = attributeOr(database, "Max_Connections", kNA);
            v.maxPrecision = attributeOr(database, "Max_Precision", kNA);
            v.lockTimeout = attributeOr(database, "Lock_Timeout", kNA);
            v.indexesRead = KindsRead::WasRead(database, QStringLiteral("INDEX"));
            v.triggersRead = KindsRead::WasRead(database, QStringLiteral("TRIGGER"));
            v.viewsRead = KindsRead::WasRead(database, QStringLiteral("VIEW"));
            v.proceduresRead = KindsRead::WasRead(database, QStringLiteral("STOREDPROCEDURE"));
        }
    }
    return v;
}

}  // namespace ConnectionProperties
