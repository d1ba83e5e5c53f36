#pragma once
// ADOX-style catalogue of an Access database file (Jet 3, Jet 4, ACE), read with
// mdbtools' libmdb: tables with their columns, column properties and indexes, the
// relationships, and the saved select queries as views with their SQL text rebuilt
// from the query catalogue.
//
// A Catalog reads the whole catalogue when it is pointed at a file and then holds
// plain values; libmdb is closed again before ActiveConnection returns, so a
// Catalog can be copied and kept. What the file does not hold is a Null property
// or an empty value, never a guess. Every file is checked (CheckDatabaseFile)
// before libmdb sees it. Errors are thrown as platform::RuntimeError.

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace platform::adox {

// Jet's own error numbers for a file it cannot open.
constexpr long jetErrFileNotFound = 3024;       // "Could not find file ..."
constexpr long jetErrInvalidPassword = 3031;    // "Not a valid password."
constexpr long jetErrCannotOpen = 3051;         // no permission to read the file
constexpr long jetErrUnrecognizedFormat = 3343; // "Unrecognized database format ..."

struct Column {
    QString Name;
    int Type = 0;            // ADO DataTypeEnum (adInteger, adVarWChar, ...); 0 when unknown
    qint32 DefinedSize = 0;  // characters of a text column, bytes of a binary one, else 0
    int Precision = 0;       // digits of a numeric type, else 0
    int NumericScale = 0;
    // Properties by their ADOX names: "Fixed Length", "AutoIncrement",
    // "Jet OLEDB:Hyperlink", "Default", "Jet OLEDB:Allow Zero Length", "Nullable",
    // "Jet OLEDB:Column Validation Rule", "Jet OLEDB:Column Validation Text",
    // "Description". Booleans are bool values; a property the file does not hold
    // is absent.
    QVariantMap Properties;
    // The property's value; a null QVariant when the file holds none.
    QVariant Property(const QString& name) const { return Properties.value(name); }
};

struct Index {
    QString Name;
    QStringList Columns;   // in key order
    QList<bool> Descending;
    bool PrimaryKey = false;
    bool Unique = false;
    bool IgnoreNulls = false;
};

// A relationship: Table's Columns refer to RelatedTable's RelatedColumns.
struct Key {
    QString Name;
    QString Table;
    QString RelatedTable;
    QStringList Columns;
    QStringList RelatedColumns;
    QString UpdateRule;  // "CASCADE" or "NO ACTION"
    QString DeleteRule;
};

struct Table {
    QString Name;
    // "TABLE" (a user table), "SYSTEM TABLE", "LINK" (linked to another file or an
    // ODBC source) or "VIEW" (a saved select, crosstab or union query).
    QString Type;
    QDateTime DateCreated;
    QDateTime DateModified;
    QString Description;
    QList<Column> Columns;  // catalogue order; empty for links and views
    QList<Index> Indexes;
};

struct View {
    QString Name;
    QString Command;  // the SQL text, lines separated by CR LF
    QDateTime DateCreated;
    QDateTime DateModified;
};

class Catalog {
public:
    // Reads the catalogue of the file a connection string names: "Data Source=" of
    // a Jet OLE DB string or "DBQ=" of an ODBC one. "Jet OLEDB:Database Password="
    // or "PWD=" is checked against the file's password.
    void ActiveConnection(const QString& connectionString);
    // Reads the catalogue of the file at path. The file is checked every time; an
    // unchanged file (same path, size and modification time) as read last is not
    // read again.
    void Open(const QString& path, const QString& password = QString());

    const QList<Table>& Tables() const { return m_tables; }
    const QList<View>& Views() const { return m_views; }
    const QList<Key>& Keys() const { return m_keys; }
    // "JET3", "JET4" or "ACE12" and later, as the header says.
    QString Version() const { return m_version; }

private:
    void read(const QString& path);
    QList<Table> m_tables;
    QList<View> m_views;
    QList<Key> m_keys;
    QString m_version;
};

// The file an Access connection string names, or "" when it names none.
QString DatabaseFileOf(const QString& connectionString);
// The password a connection string gives for the database ("" when none).
QString DatabasePasswordOf(const QString& connectionString);

// Checks that path is a readable Access database whose password (if it has one) is
// the given one, reading its header only. Throws RuntimeError with jetErrFileNotFound,
// jetErrCannotOpen, jetErrUnrecognizedFormat (not an Access file, empty, truncated)
// or jetErrInvalidPassword, and a message for the user.
void CheckDatabaseFile(const QString& path, const QString& password = QString());

// The password stored in a database header (at least the first 0x80 bytes of the
// file); "" when it has none.
QString StoredPassword(const QByteArray& header);
// The header with the password stored in it (the inverse of StoredPassword).
QByteArray WithStoredPassword(QByteArray header, const QString& password);

// One row of the query catalogue (MSysQueries).
struct QueryRow {
    int Attribute = 0;
    QString Name1, Name2, Expression;
    QVariant Flag;
};
// The SQL text of a saved select, crosstab or union query from its catalogue rows,
// in row order; "" for the other kinds.
QString QuerySql(const QList<QueryRow>& rows);
// The query's kind from its rows: 1 select, 6 crosstab, 9 union, other numbers
// for action and pass-through queries; 0 when the rows do not say.
int QueryKind(const QList<QueryRow>& rows);

}  // namespace platform::adox
