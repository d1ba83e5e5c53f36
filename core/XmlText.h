#pragma once
// Text as the program's documents hold it. XML 1.0 cannot carry U+0000..U+001F other
// than tab, line feed and carriage return, nor U+FFFE and U+FFFF, yet database names
// and view texts may contain them. Every text that goes into a document (attribute
// values, text and CDATA nodes) passes XmlSafeText, which writes each such character
// as "_xHHHH_" (four upper-case hexadecimal digits): the document stays well-formed,
// and the character shows as that visible form in the tree, lists, previews and
// reports. XmlOriginalText turns exactly these forms back into the characters, for
// whoever needs the name as the database spells it.

#include <QByteArray>
#include <QString>

// True for a character an XML 1.0 document cannot hold.
bool IsXmlIllegalChar(char16_t c);
// text with every XML-illegal character in its "_xHHHH_" form; unchanged (no copy)
// when it has none.
QString XmlSafeText(const QString& text);
// The same as UTF-8, ready for libxml2.
QByteArray XmlSafeUtf8(QStringView text);
// text with every "_xHHHH_" form of an XML-illegal character turned back into it.
QString XmlOriginalText(const QString& text);
