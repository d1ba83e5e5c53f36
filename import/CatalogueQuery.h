#pragma once
// Entries of the query catalogue (oQueriesXML): per database type code and object kind,
// either a command with a condition and the names of its result columns, or "ADO" for
// the schema-rowset fallback.

#include "core/XmlNode.h"

#include <QString>
#include <QStringList>

namespace catalogue {

enum Kind {
    Tables = 0, Columns = 1, PrimaryKeys = 2, Views = 3, ViewColumns = 4, Indexes = 5, Procedures = 6,
    ProcedureText = 7, Triggers = 8, TriggerText = 9, ForeignKeys = 10, CheckConstraints = 11
};

class Entry {
public:
    Entry() = default;
    explicit Entry(XmlNode node) : m_node(std::move(node)) {}

    bool exists() const { return !m_node.isNull(); }
    bool hasType() const;
    // The TYPE text ("" when the entry or its TYPE is missing).
    QString type() const;
    // QUERY, CONDITION and COLUMNLIST/COLUMN[i]; a missing child raises error 91.
    QString query() const;
    QString condition() const;
    QString column(int i) const;
    // The names of COLUMN children 0 to count - 1: every value a reader reads, so a
    // missing one is an error even when the reader ignores its value.
    QStringList columns(int count) const;

private:
    QString child(const QString& path) const;
    XmlNode m_node;
};

// The entry "QUERIES/DATABASE[type]/TABLE[kind]" of the loaded catalogue.
Entry Lookup(int databaseType, int kind);

// Builds the command of an entry for a kind: "SP" entries are QUERY, a blank and
// CONDITION; others QUERY alone when CONDITION is empty (the tables kind always adds
// its separator), else QUERY, the kind's separator and CONDITION. Every "MORVXXX" (or
// "MORVPPP" for procedure text) is replaced by the object name, which stands inside a
// SQL string literal in every command: its single quotes are doubled.
QString BuildCommand(const Entry& entry, int kind, const QString& objectName = QString());

// The kind's separator: " Where " or " WHERE ".
QString Separator(int kind);
// A name made safe for a single-quoted SQL literal.
QString QuoteLiteral(const QString& name);

}  // namespace catalogue
