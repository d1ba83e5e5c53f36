#pragma once
// Reading the CREATE statements an engine stores as text (SQLite keeps nothing else):
// a tokenizer, the constraints of CREATE TABLE, the column list and condition of
// CREATE INDEX, and the tables and columns a view's query names.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace platform::ado::sqltext {

struct Token {
    enum Kind { Word, QuotedName, String, Number, Symbol } kind = Symbol;
    QString text;       // identifiers unquoted; symbols and words as written
    qsizetype begin = 0; // span in the source text
    qsizetype end = 0;
    bool isWord(const char* keyword) const;      // a bare word equal to keyword, ignoring case
    bool isName() const { return kind == Word || kind == QuotedName; }
    bool isSymbol(char c) const { return kind == Symbol && text.size() == 1 && text[0] == QLatin1Char(c); }
};

// Splits SQL text into tokens, dropping blanks and comments. Identifiers in "...",
// [...] or `...` come back unquoted as QuotedName.
QList<Token> tokenize(const QString& sql);

struct CheckConstraint {
    QString name;     // "" when the statement names none
    QString column;   // the column it was written on, "" for a table constraint
    QString clause;   // the parenthesised condition as written
    QStringList identifiers;  // every name the condition uses
};

struct ForeignKey {
    QString name;
    QStringList columns;
    QString referencedTable;
    QStringList referencedColumns;  // empty when the key refers to the primary key
    bool deferrable = false;
    bool initiallyDeferred = false;
};

struct UniqueConstraint {
    QString name;
    QStringList columns;
};

// A column computed from the others: "[GENERATED ALWAYS] AS (expression) [STORED|VIRTUAL]".
struct GeneratedColumn {
    QString column;
    QString expression;  // as written between the parentheses
    bool stored = false;  // VIRTUAL when the statement says neither
};

struct TableDefinition {
    QString primaryKeyName;  // the name given to the primary key, "" when unnamed
    QStringList primaryKeyColumns;
    QList<CheckConstraint> checks;
    QList<ForeignKey> foreignKeys;
    QList<UniqueConstraint> uniques;
    QList<GeneratedColumn> generated;
    bool withoutRowid = false;
};

// The constraints of a CREATE TABLE statement; an empty definition for text that is
// not one.
TableDefinition parseCreateTable(const QString& sql);

struct IndexDefinition {
    QStringList columns;  // each key item as written (a column name, unquoted, or an expression)
    QString condition;    // the WHERE condition of a partial index, "" when none
};
IndexDefinition parseCreateIndex(const QString& sql);

// The columns of tables and views that the query of a CREATE VIEW statement reads,
// as SQLite resolves its names: names given to result columns, keywords and the
// names of relations are not columns. 'relations' maps each table or view name,
// lower-cased, to its name and its column names.
struct Relation {
    QString name;
    QStringList columns;
};
struct ColumnUse {
    QString table;
    QString column;
};
QList<ColumnUse> viewColumnUsage(const QString& createViewSql, const QHash<QString, Relation>& relations);

}  // namespace platform::ado::sqltext
