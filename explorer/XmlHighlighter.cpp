#include "explorer/XmlHighlighter.h"

XmlHighlighter::XmlHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    m_markup.setForeground(QColor(0x6e, 0x77, 0x81));
    m_element.setForeground(QColor(0x11, 0x63, 0x29));
    m_element.setFontWeight(QFont::DemiBold);
    m_attribute.setForeground(QColor(0x95, 0x38, 0x00));
    m_value.setForeground(QColor(0x0a, 0x30, 0x69));
    m_comment.setForeground(QColor(0x6e, 0x77, 0x81));
    m_comment.setFontItalic(true);
    m_cdata.setForeground(QColor(0x1f, 0x23, 0x28));
    m_cdata.setBackground(QColor(0xf3, 0xf4, 0xf6));
}

void XmlHighlighter::highlightBlock(const QString& text) {
    const qsizetype n = text.size();
    qsizetype i = 0;
    int state = previousBlockState() < 0 ? Normal : previousBlockState();

    // Runs to the end marker of a comment or CDATA section, or to the end of the line.
    auto runTo = [&](const QString& end, const QTextCharFormat& format, int inside) {
        const qsizetype at = text.indexOf(end, i);
        if (at < 0) {
            setFormat(int(i), int(n - i), format);
            i = n;
            state = inside;
            return;
        }
        setFormat(int(i), int(at - i), format);
        setFormat(int(at), int(end.size()), m_markup);
        i = at + end.size();
        state = Normal;
    };

    while (i < n) {
        if (state == InComment) {
            runTo(QStringLiteral("-->"), m_comment, InComment);
            continue;
        }
        if (state == InCData) {
            runTo(QStringLiteral("]]>"), m_cdata, InCData);
            continue;
        }
        const qsizetype open = text.indexOf(QLatin1Char('<'), i);
        if (open < 0) break;
        i = open;
        if (text.mid(i, 9) == QLatin1String("<![CDATA[")) {
            setFormat(int(i), 9, m_markup);
            i += 9;
            state = InCData;
            continue;
        }
        if (text.mid(i, 4) == QLatin1String("<!--")) {
            setFormat(int(i), 4, m_comment);
            i += 4;
            state = InComment;
            continue;
        }
        // A tag: "<", "</" or "<?", its name, then attributes up to ">".
        qsizetype j = i + 1;
        if (j < n && (text[j] == QLatin1Char('/') || text[j] == QLatin1Char('?'))) ++j;
        setFormat(int(i), int(j - i), m_markup);
        const qsizetype nameStart = j;
        while (j < n && !text[j].isSpace() && text[j] != QLatin1Char('>') && text[j] != QLatin1Char('/')) ++j;
        setFormat(int(nameStart), int(j - nameStart), m_element);
        while (j < n && text[j] != QLatin1Char('>')) {
            const QChar ch = text[j];
            if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
                qsizetype close = text.indexOf(ch, j + 1);
                if (close < 0) close = n - 1;
                setFormat(int(j), int(close - j + 1), m_value);
                j = close + 1;
            } else if (ch.isSpace()) {
                ++j;
            } else if (ch == QLatin1Char('=') || ch == QLatin1Char('/') || ch == QLatin1Char('?')) {
                setFormat(int(j), 1, m_markup);
                ++j;
            } else {
                const qsizetype start = j;
                while (j < n && !text[j].isSpace() && text[j] != QLatin1Char('=') && text[j] != QLatin1Char('>') &&
                       text[j] != QLatin1Char('/'))
                    ++j;
                setFormat(int(start), int(j - start), m_attribute);
            }
        }
        if (j < n) setFormat(int(j), 1, m_markup);
        i = j + 1;
    }
    setCurrentBlockState(state);
}
