#pragma once
// Which kinds of object the import of a structure document read. The document's root
// (DATABASE) names the kinds the import did not read in its attribute NotRead: their
// element names separated by blanks, such as "STOREDPROCEDURE TRIGGER". A kind that
// was read and found empty is not named there; a document without NotRead counts
// every kind as read.

#include <QString>

class XmlNode;

namespace KindsRead {

inline const QString kNotRead = QStringLiteral("NotRead");
// What a count of a kind not read shows instead of a number.
inline const QString kNotReadText = QStringLiteral("not read");

// Whether the objects named 'element' (TABLE, VIEW, STOREDPROCEDURE, TRIGGER, INDEX)
// were read into the document whose root is 'database'. A null root counts as read.
bool WasRead(const XmlNode& database, const QString& element);

}  // namespace KindsRead
