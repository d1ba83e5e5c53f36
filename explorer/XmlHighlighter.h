#pragma once
// Colouring of XML that a text view shows as plain text (the XML preview). Window
// thread only.

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

class QTextDocument;

// Colours XML shown as plain text: markup, names, attribute values, comments and
// CDATA sections. The text itself is never interpreted.
class XmlHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit XmlHighlighter(QTextDocument* document);

protected:
    void highlightBlock(const QString& text) override;

private:
    // Block states: inside a comment, inside a CDATA section.
    enum State { Normal = 0, InComment = 1, InCData = 2 };
    QTextCharFormat m_markup, m_element, m_attribute, m_value, m_comment, m_cdata;
};
