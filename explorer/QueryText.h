#pragma once
// The query tab's logic that needs no window: which lines of the query box run, the
// statement of "Open All Rows", the outcome message of a statement and the query
// output page (an HTML table of a rowset, written to a stream).

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

class QIODevice;

namespace QueryText {

// The statements to run for a selection of text (start and length in characters, as
// a text box reports them): whole lines, one statement per line. An empty selection
// runs from the caret's line to the end; a selection runs every line it touches.
// Lines end at LF or CR LF; blank lines are left out.
QStringList SelectedLines(const QString& text, int selStart, int selLength);

// "Select * from " and the name; a name holding a blank is quoted, in brackets for
// the MS Access types (8, 9, 10), in double quotes for the others (a double quote
// inside it doubled).
QString OpenAllRowsStatement(const QString& nodeText, int databaseType);

// Count of a statement that defines objects: its text holds "create", "alter" or
// "drop".
constexpr qint32 kDefinitionCount = -100;
// True when the lower-cased text holds "create", "alter" or "drop".
bool IsDefinition(const QString& statement);
// The message of a statement's outcome: "No rows affected by the query." for 0,
// "Query executed successfully." for a definition, otherwise n & " record(s)
// affected by the query".
QString OutcomeMessage(qint32 count);

// The connection string the query tab opens for a connection's string: the ODBC
// string the program would use, and for the PostgreSQL driver with rows read from a
// cursor in batches (UseDeclareFetch), so the driver never holds a large rowset
// whole. A string that cannot be translated comes back unchanged (opening it fails
// with its own error).
QString QueryConnectionString(const QString& connectionString);

// Writes the query output page for the column names and the rows that nextRow hands
// out one at a time (false when there are no more): a table with border, cellspacing
// and cellpadding 1, a header row of bold names, one row per record (each cell ending
// in "&nbsp;", Null as empty) and a last empty row. Names and values are HTML-escaped.
// Throws platform::RuntimeError when the stream refuses a write.
void WriteOutputPage(QIODevice& out, const QStringList& names, const std::function<bool(QVariantList& row)>& nextRow);

}  // namespace QueryText
