#include "ReportFixture.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

using namespace bGlobal;

namespace reporttest {

QString DataFile(const QString& name) { return QStringLiteral(MORVALEX_SOURCE_DIR "/tests/data/reports/") + name; }

void ReportTest::SetUp() {
    SetErrorDialog([this](long number, const QString&, const QString& source) {
        errors << QString::number(number) + QLatin1Char(' ') + source;
    });
    SetDefaultReportOptions();
    gReportTemplateFile = AppPath() + QStringLiteral("/MorvalexTop.template");
    gDatabaseName = QStringLiteral("shop");
    gServerName = QStringLiteral("127.0.0.1");
}

void ReportTest::TearDown() {
    SetErrorDialog({});
    oIndexXML.reset();
    gDatabaseName.clear();
    gServerName.clear();
}

void ReportTest::LoadStructure(const QString& file) {
    oStructureXML = std::make_shared<cXML>();
    ASSERT_TRUE(oStructureXML->LoadXMLFile(DataFile(file))) << qPrintable(file);
}

void ReportTest::Unreport(const QString& pattern) {
    const XmlNodeList nodes = oStructureXML->GetNodes(pattern);
    ASSERT_FALSE(nodes.isEmpty()) << qPrintable(pattern);
    for (XmlNode node : nodes) node.setAttribute(QStringLiteral("Report"), QStringLiteral("0"));
}

QString ReportTest::Out(const QString& name) const {
    const QString path = folder.file(QStringLiteral("out/") + name + QLatin1Char('/'));
    QDir().mkpath(folder.file(QStringLiteral("out")));
    return path;
}

QStringList HtmlFiles(const QString& folder) {
    QStringList names = QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files);
    names.sort();
    return names;
}

namespace {
QString Q(const xmlChar* s) { return s ? QString::fromUtf8(reinterpret_cast<const char*>(s)) : QString(); }

void Walk(xmlNodePtr node, HtmlPage& page, const QString& idAbove) {
    for (; node; node = node->next) {
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            page.text += Q(node->content);
            continue;
        }
        if (node->type != XML_ELEMENT_NODE) continue;
        const QString name = Q(node->name).toLower();
        page.elements << name;
        QString id = idAbove;
        for (xmlAttrPtr a = node->properties; a; a = a->next) {
            const QString attr = Q(a->name).toLower();
            xmlChar* v = xmlNodeListGetString(node->doc, a->children, 1);
            const QString value = Q(v);
            xmlFree(v);
            if (attr == QLatin1String("id")) {
                page.ids.insert(value);
                id = value;
            } else if (attr == QLatin1String("href") && name == QLatin1String("a")) {
                page.hrefs << value;
            } else if (attr.startsWith(QLatin1String("on"))) {
                page.eventAttributes << attr;
            }
        }
        if (name == QLatin1String("pre")) {
            xmlChar* t = xmlNodeGetContent(node);
            page.preText.insert(id, Q(t));
            xmlFree(t);
        }
        Walk(node->children, page, id);
    }
}
}  // namespace

HtmlPage ParseHtml(const QString& html) {
    HtmlPage page;
    const QByteArray bytes = html.toUtf8();
    htmlDocPtr doc = htmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, "UTF-8",
                                    HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    if (!doc) return page;
    Walk(xmlDocGetRootElement(doc), page, QString());
    xmlFreeDoc(doc);
    return page;
}

QString WithoutDate(const QString& html) {
    static const QRegularExpression comment(QStringLiteral("<!-- Morvalex 4.0 report generated on (.*?) -->"));
    const auto m = comment.match(html);
    if (!m.hasMatch()) return html;
    return QString(html).replace(m.captured(1), QStringLiteral("DATE"));
}

void ExpectGolden(const QString& name, const QString& text) {
    testsupport::ExpectGolden(text, DataFile(name + QStringLiteral(".golden")));
}

}  // namespace reporttest
