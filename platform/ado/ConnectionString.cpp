// Translation of OLE DB connection strings into ODBC ones for the installed drivers.

#include "platform/ado/Ado.h"
#include "platform/ado/Odbc.h"

#include "platform/Error.h"

#include <QRegularExpression>

namespace platform::ado {

namespace {

struct Pair {
    QString key;    // as written, trimmed
    QString value;  // unquoted, trimmed unless quoted
};

// Splits "key=value;key='value';..." as OLE DB reads it: keys compared ignoring case
// by the callers, values optionally in single or double quotes (a quote doubled
// inside stands for itself).
QList<Pair> parsePairs(const QString& text) {
    QList<Pair> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        const qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            // A part without "=": skip it.
            if (semi < 0) break;
            i = semi + 1;
            continue;
        }
        Pair p;
        p.key = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && text[i].isSpace()) ++i;
        if (i < n && (text[i] == QLatin1Char('\'') || text[i] == QLatin1Char('"'))) {
            const QChar quote = text[i++];
            QString value;
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            p.value = value;
            const qsizetype next = text.indexOf(QLatin1Char(';'), i);
            i = next < 0 ? n : next + 1;
        } else {
            const qsizetype next = text.indexOf(QLatin1Char(';'), i);
            p.value = text.mid(i, (next < 0 ? n : next) - i).trimmed();
            i = next < 0 ? n : next + 1;
        }
        if (!p.key.isEmpty()) pairs << p;
    }
    return pairs;
}

QString valueOf(const QList<Pair>& pairs, std::initializer_list<const char*> keys, bool* found = nullptr) {
    for (const Pair& p : pairs)
        for (const char* key : keys)
            if (p.key.compare(QLatin1String(key), Qt::CaseInsensitive) == 0) {
                if (found) *found = true;
                return p.value;
            }
    if (found) *found = false;
    return QString();
}

[[noreturn]] void providerNotFound() {
    throw RuntimeError(adErrProviderNotFound, QStringLiteral("Provider cannot be found. It may not be properly installed."));
}

// The first installed driver accepted by one of the tests, tried in order.
QString findDriver(const QStringList& installed, const QList<std::function<bool(const QString&)>>& tests) {
    for (const auto& test : tests)
        for (const QString& name : installed)
            if (test(name)) return name;
    return QString();
}

auto exactly(const char* wanted) {
    return [wanted](const QString& name) { return name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0; };
}

auto containing(const char* part) {
    return [part](const QString& name) { return name.contains(QLatin1String(part), Qt::CaseInsensitive); };
}

auto matching(const char* pattern) {
    return [pattern](const QString& name) {
        return QRegularExpression(QLatin1String(pattern), QRegularExpression::CaseInsensitiveOption).match(name).hasMatch();
    };
}

class OdbcString {
public:
    explicit OdbcString(const QString& driver) { m_text = QStringLiteral("Driver={") + driver + QLatin1Char('}'); }
    void add(const char* key, const QString& value) {
        m_text += QLatin1Char(';') + QLatin1String(key) + QLatin1Char('=') + odbc::quoteValue(value);
    }
    void addIfSet(const char* key, const QString& value, bool set) {
        if (set) add(key, value);
    }
    // UID and PWD from the OLE DB string's user and password, each only when given.
    void addLogin(const QList<Pair>& pairs) {
        bool hasUser = false, hasPassword = false;
        const QString user = valueOf(pairs, {"User Id", "UID", "User"}, &hasUser);
        const QString password = valueOf(pairs, {"Password", "PWD"}, &hasPassword);
        addIfSet("UID", user, hasUser);
        addIfSet("PWD", password, hasPassword);
    }
    QString text() const { return m_text; }

private:
    QString m_text;
};

// The ODBC string for the first installed driver accepted by one of the tests;
// "provider not found" when none is.
OdbcString forDriver(const QStringList& installed, const QList<std::function<bool(const QString&)>>& tests) {
    const QString driver = findDriver(installed, tests);
    if (driver.isEmpty()) providerNotFound();
    return OdbcString(driver);
}

bool integratedSecurity(const QList<Pair>& pairs) {
    const QString value = valueOf(pairs, {"Integrated Security", "Trusted_Connection"});
    return value.compare(QLatin1String("SSPI"), Qt::CaseInsensitive) == 0
           || value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
           || value.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0;
}

QString sqlServer(const QList<Pair>& pairs, const QStringList& installed) {
    OdbcString out = forDriver(installed, {exactly("FreeTDS"), containing("FreeTDS"),
                                           matching("^ODBC Driver [0-9]+ for SQL Server$"), containing("SQL Server")});
    QString server = valueOf(pairs, {"Data Source", "Server", "Address", "Addr", "Network Address"});
    if (server == QLatin1String("(local)") || server == QLatin1String(".")) server = QStringLiteral("localhost");
    out.add("Server", server);
    bool hasDatabase = false;
    const QString database = valueOf(pairs, {"Initial Catalog", "Database"}, &hasDatabase);
    out.addIfSet("Database", database, hasDatabase);
    if (integratedSecurity(pairs))
        out.add("Trusted_Connection", QStringLiteral("Yes"));
    else
        out.addLogin(pairs);
    return out.text();
}

QString oracle(const QList<Pair>& pairs, const QStringList& installed) {
    OdbcString out = forDriver(installed, {containing("Oracle")});
    bool hasServer = false;
    const QString server = valueOf(pairs, {"Data Source", "Server"}, &hasServer);
    out.addIfSet("DBQ", server, hasServer);
    if (!integratedSecurity(pairs)) out.addLogin(pairs);
    return out.text();
}

QString jet(const QList<Pair>& pairs, const QStringList& installed) {
    OdbcString out = forDriver(installed, {exactly("MDBTools"), containing("mdbtools")});
    // The mdbtools driver reads the file directly; Jet passwords and workgroup files
    // have no meaning to it.
    out.add("DBQ", valueOf(pairs, {"Data Source"}));
    return out.text();
}

QString db2(const QList<Pair>& pairs, const QStringList& installed) {
    OdbcString out = forDriver(installed, {containing("DB2")});
    out.add("Database", valueOf(pairs, {"Data Source", "Database"}));
    out.addLogin(pairs);
    return out.text();
}

}  // namespace

QString QuoteConnectionValue(const QString& value) {
    // A reader skips blanks before a value and takes a quote there as the start of a
    // quoted value.
    qsizetype first = 0;
    while (first < value.size() && value[first].isSpace()) ++first;
    const bool opensQuote = first < value.size() && (value[first] == QLatin1Char('"') || value[first] == QLatin1Char('\''));
    const bool plain = !value.contains(QLatin1Char(';')) && !opensQuote;
    if (plain) return value;
    const QChar quote = value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\'')) ? QLatin1Char('\'') : QLatin1Char('"');
    return quote + QString(value).replace(quote, QString(2, quote)) + quote;
}

bool IsOdbcConnectionString(const QString& connectionString) {
    for (const Pair& p : parsePairs(connectionString))
        if (p.key.compare(QLatin1String("Driver"), Qt::CaseInsensitive) == 0
            || p.key.compare(QLatin1String("DSN"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

DatabaseAddress AddressOf(const QString& connectionString) {
    const QList<Pair> pairs = parsePairs(connectionString);
    DatabaseAddress a;
    bool isDsn = false;
    a.driver = valueOf(pairs, {"Driver"});
    if (a.driver.isEmpty()) {
        a.driver = valueOf(pairs, {"DSN"}, &isDsn);
        if (!isDsn) a.driver = valueOf(pairs, {"Provider"});
    }
    if (a.driver.startsWith(QLatin1Char('{')) && a.driver.endsWith(QLatin1Char('}')))
        a.driver = a.driver.mid(1, a.driver.size() - 2).trimmed();
    if (isDsn) a.driver.prepend(QStringLiteral("dsn:"));
    a.server = valueOf(pairs, {"Server", "Servername", "Host", "Hostname", "Address", "Addr", "Network Address", "Data Source"});
    a.port = valueOf(pairs, {"Port"});
    // SQL Server writes its port after the server name: "host,1433".
    const qsizetype comma = a.server.lastIndexOf(QLatin1Char(','));
    if (comma >= 0) {
        if (a.port.isEmpty()) a.port = a.server.mid(comma + 1).trimmed();
        a.server = a.server.left(comma).trimmed();
    }
    a.database = valueOf(pairs, {"Database", "Initial Catalog", "DBQ", "DBName"});
    for (QString* part : {&a.driver, &a.server, &a.port, &a.database}) *part = part->toLower();
    return a;
}

QString TranslateConnectionString(const QString& connectionString, const QStringList& installedDrivers) {
    if (IsOdbcConnectionString(connectionString)) return connectionString;
    const QList<Pair> pairs = parsePairs(connectionString);
    const QString provider = valueOf(pairs, {"Provider"}).toLower();
    if (provider == QLatin1String("sqloledb") || provider == QLatin1String("sqloledb.1"))
        return sqlServer(pairs, installedDrivers);
    if (provider == QLatin1String("oraoledb.oracle") || provider == QLatin1String("oraoledb.oracle.1")
        || provider == QLatin1String("msdaora") || provider == QLatin1String("msdaora.1"))
        return oracle(pairs, installedDrivers);
    if (provider == QLatin1String("microsoft.jet.oledb.4.0")) return jet(pairs, installedDrivers);
    if (provider == QLatin1String("ibmdadb2") || provider == QLatin1String("ibmdadb2.1"))
        return db2(pairs, installedDrivers);
    providerNotFound();
}

QString TranslateConnectionString(const QString& connectionString) {
    if (IsOdbcConnectionString(connectionString)) return connectionString;
    QStringList drivers;
    try {
        drivers = odbc::installedDrivers();
    } catch (const odbc::Failure&) {
        providerNotFound();
    }
    return TranslateConnectionString(connectionString, drivers);
}

}  // namespace platform::ado
