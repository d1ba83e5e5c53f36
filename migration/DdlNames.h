#pragma once
// How names from a structure document are written into the DDL of each target
// dialect. Every name that reaches a statement goes through here, so a name with
// blanks, quotes, "]" or letters outside ASCII, or a word the dialect reserves, can
// never change the statement it stands in.

#include <QString>

namespace ddl {

// The dialects the generator writes, by engine key.
enum class Target { None, Access, SqlServer, SqlServer65, Oracle, Db2 };
// "ACCESS", "SQLSERVER", "SQLSERVER65", "ORACLE", "IBMDB2" (any case); None otherwise.
Target TargetFromKey(const QString& key);

// An ASCII letter or "_" followed by ASCII letters, digits and "_".
bool IsPlainIdentifier(const QString& name);
// "[" name "]" with every "]" doubled.
QString Bracketed(const QString& name);
// '"' name '"' with every '"' doubled.
QString DoubleQuoted(const QString& name);
// True when the target's statements cannot take the name bare: a word the dialect
// reserves ("order", "user", "key", ...), in any case.
bool IsReservedWord(Target target, const QString& name);
// The name as it is when it is a plain identifier that the target does not reserve,
// double-quoted otherwise.
QString BareOrQuoted(Target target, const QString& name);

// A structure document's name of a table with each quoted part unquoted (a part
// holding a dot is quoted there): '"s.a"."t"' and '"s.a.t"' give "s.a.t", as names
// without quotes are given. A name whose quotes do not make parts stays as it is.
QString JoinedName(const QString& documentName);
// A table's name in the target's statements (CREATE TABLE and every statement that
// refers to the table afterwards): the document's name joined as JoinedName joins it.
QString TableName(Target target, const QString& documentName);
// A column's name in the target's statements: CREATE TABLE and every key and index.
QString ColumnName(Target target, const QString& name);
// A column list as the structure document writes it ("a,b"), for a key or an index:
// each name trimmed and written as ColumnName writes it.
QString ColumnList(Target target, const QString& list);

}  // namespace ddl
