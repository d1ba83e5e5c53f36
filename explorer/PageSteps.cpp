#include "explorer/PageSteps.h"

#include <QRegularExpression>
#include <QSet>

namespace PageSteps {

namespace {

bool isVoid(QStringView name) {
    static const QSet<QString> names = {QStringLiteral("area"),  QStringLiteral("base"),   QStringLiteral("br"),
                                        QStringLiteral("col"),   QStringLiteral("embed"),  QStringLiteral("hr"),
                                        QStringLiteral("img"),   QStringLiteral("input"),  QStringLiteral("link"),
                                        QStringLiteral("meta"),  QStringLiteral("param"),  QStringLiteral("source"),
                                        QStringLiteral("track"), QStringLiteral("wbr")};
    return names.contains(name.toString().toLower());
}

// A tag starting at text[at] == '<': its end (one past '>'), whether it closes an
// element, opens one that needs a closing tag, or neither (comments, void elements).
struct Tag {
    qsizetype end = -1;
    int depthChange = 0;
};

Tag readTag(const QString& text, qsizetype at) {
    Tag tag;
    if (text.mid(at, 4) == QLatin1String("<!--")) {
        const qsizetype end = text.indexOf(QLatin1String("-->"), at + 4);
        tag.end = end < 0 ? -1 : end + 3;
        return tag;
    }
    // Attribute values are quoted and may hold '>'.
    QChar quote;
    qsizetype i = at + 1;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('>')) {
            break;
        }
    }
    if (i >= text.size()) return tag;
    tag.end = i + 1;
    const bool closing = at + 1 < text.size() && text.at(at + 1) == QLatin1Char('/');
    if (closing) {
        tag.depthChange = -1;
        return tag;
    }
    if (at + 1 < text.size() && (text.at(at + 1) == QLatin1Char('!') || text.at(at + 1) == QLatin1Char('?'))) return tag;
    qsizetype nameEnd = at + 1;
    while (nameEnd < i && (text.at(nameEnd).isLetterOrNumber() || text.at(nameEnd) == QLatin1Char('-'))) ++nameEnd;
    const QStringView name = QStringView(text).mid(at + 1, nameEnd - at - 1);
    const bool selfClosed = text.at(i - 1) == QLatin1Char('/');
    tag.depthChange = selfClosed || isVoid(name) ? 0 : 1;
    return tag;
}

bool onlyTags(QStringView text) {
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    return text.toString().remove(tags).trimmed().isEmpty();
}

}  // namespace

QString Page::First(qsizetype count) const {
    if (!Cut()) return prologue + top + rest;
    QString page = prologue + top + open;
    for (qsizetype i = 0; i < count && i < pieces.size(); ++i) page += pieces.at(i);
    return page + rest;
}

QString Page::Fragment(qsizetype from, qsizetype to) const {
    QString page = prologue + open;
    for (qsizetype i = from; i < to && i < pieces.size(); ++i) page += pieces.at(i);
    return page + close + QStringLiteral("</body></html>");
}

Page Split(const QString& html) {
    Page page;
    page.prologue = html;
    static const QRegularExpression body(QStringLiteral("<body\\b[^>]*>"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression holder(QStringLiteral("<(\\w+)\\b[^>]*\\bclass=\"(?:[^\"]*\\s)?pv-body(?:\\s[^\"]*)?\"[^>]*>"));
    const QRegularExpressionMatch b = body.match(html);
    if (!b.hasMatch()) return page;
    const QRegularExpressionMatch h = holder.match(html, b.capturedEnd());
    if (!h.hasMatch()) return page;

    Page cut;
    cut.prologue = html.left(b.capturedEnd());
    cut.top = html.mid(b.capturedEnd(), h.capturedStart() - b.capturedEnd());
    cut.open = h.captured(0);
    cut.close = QStringLiteral("</") + h.captured(1) + QLatin1Char('>');
    // The children: each runs from its first character at depth 0 to the end of the
    // tag that brings the depth back to 0. Text between them goes with the piece before.
    qsizetype at = h.capturedEnd(), start = at;
    int depth = 0;
    while (at < html.size()) {
        if (html.at(at) != QLatin1Char('<')) {
            ++at;
            continue;
        }
        const Tag tag = readTag(html, at);
        if (tag.end < 0) return page;  // a page that does not parse is shown whole
        if (depth == 0 && tag.depthChange < 0) break;  // the holder's own closing tag
        depth += tag.depthChange;
        at = tag.end;
        if (depth == 0) {
            cut.pieces << html.mid(start, at - start);
            start = at;
        }
    }
    if (depth != 0 || at >= html.size()) return page;
    if (start < at && !cut.pieces.isEmpty()) cut.pieces.last() += html.mid(start, at - start);
    cut.rest = html.mid(at);
    if (!onlyTags(cut.rest)) return page;
    return cut;
}

QString PreviewRules(const QString& css) {
    // Comments first, so that braces and selectors inside them count for nothing.
    static const QRegularExpression comments(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption);
    QString text = css;
    text.remove(comments);
    const qsizetype media = text.indexOf(QLatin1String("@media"));
    if (media >= 0) text.truncate(media);
    QString kept;
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), at);
        if (open < 0) break;
        const qsizetype close = text.indexOf(QLatin1Char('}'), open);
        if (close < 0) break;
        const QStringView selectors = QStringView(text).mid(at, open - at);
        if (selectors.contains(QLatin1String("pv-")) || selectors.contains(QLatin1String(".preview")))
            kept += selectors.trimmed().toString() + QLatin1Char(' ') + text.mid(open, close + 1 - open) + QLatin1Char('\n');
        at = close + 1;
    }
    return kept.isEmpty() ? css : kept;
}

}  // namespace PageSteps
