#include "explorer/Preview.h"

#include "core/FileUtil.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/TreeDocument.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlsave.h>

using namespace bGlobal;

namespace Preview {

namespace {

// Report, read as a number, is 1.
bool reported(const XmlNode& node) {
    if (!node.hasAttribute(QStringLiteral("Report"))) return false;
    bool ok = false;
    const double value = node.attribute(QStringLiteral("Report")).trimmed().toDouble(&ok);
    return ok && value == 1;
}

}  // namespace

QString XmlFile() { return DataPath() + QStringLiteral("/temp1.xml"); }
QString HtmlFile() { return DataPath() + QStringLiteral("/temp2.html"); }
QString StyleSheet() { return AppPath() + QStringLiteral("/styles/preview.xsl"); }

QString CSSLink() {
    QString setting = gReportCSSFile;
    setting.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (setting.trimmed().isEmpty()) return QString();
    const QString path = QDir::isAbsolutePath(setting) ? setting : AppPath() + QLatin1Char('/') + setting;
    return QUrl::fromLocalFile(QDir::cleanPath(path)).toString(QUrl::FullyEncoded);
}

std::unique_ptr<cXML> Build(cXML& structure, const QString& sPreviewXPath) {
    auto preview = std::make_unique<cXML>();
    cXML source;
    source.LoadXMLContent(structure.GetXMLContent());
    if (sPreviewXPath.contains(QLatin1Char('/'))) {
        const QString engine = gDatabaseType >= 0 && gDatabaseType < gDBTypeNames.size() ? gDBTypeNames.at(gDatabaseType) : QString();
        preview->InitXMLFile(QStringLiteral("DATABASE"),
                             {QStringLiteral("Name=") + gDatabaseName, QStringLiteral("DatabaseEngine=") + engine,
                              QStringLiteral("ServerName=") + gServerName, QStringLiteral("Time=") + TreeDocument::NowText()});
        for (const XmlNode& node : source.GetNodes(sPreviewXPath))
            if (reported(node)) preview->AppendNode(node, QStringLiteral("DATABASE"));
    } else {
        const XmlNode node = source.FindNode(sPreviewXPath);
        preview->AppendRootNode(node, StyleSheet());  // the append copies the node
    }
    return preview;
}

bool Write(cXML& structure, const QString& sPreviewXPath) {
    const std::unique_ptr<cXML> preview = Build(structure, sPreviewXPath);

    // The last preview's file goes first, so that its absence tells a write that failed.
    DeleteFileIfExists(XmlFile());
    preview->SaveXML(XmlFile(), false);
    if (!QFileInfo::exists(XmlFile())) return false;
    WriteTextFileAtomic(XmlFile(), Indented(ReadTextFile(XmlFile())));

    if (XmlNode root = preview->DocumentElement()) {
        root.setAttribute(QStringLiteral("CSSFile"), CSSLink());
        root.setAttribute(QStringLiteral("SourceXPath"), sPreviewXPath);
    }
    cXML xsl;
    xsl.LoadXMLFile(StyleSheet());
    WriteTextFileAtomic(HtmlFile(), preview->ApplyXSL(xsl));
    return true;
}

QString Indented(const QString& xml) {
    const QByteArray bytes = xml.toUtf8();
    xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, "UTF-8",
                                  XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) return xml;
    if (doc->intSubset || doc->extSubset) {
        xmlFreeDoc(doc);
        return xml;
    }
    xmlBufferPtr buffer = xmlBufferCreate();
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_FORMAT | XML_SAVE_NO_DECL);
    xmlSaveDoc(save, doc);
    xmlSaveClose(save);
    const QString out = QString::fromUtf8(reinterpret_cast<const char*>(xmlBufferContent(buffer)), xmlBufferLength(buffer));
    xmlBufferFree(buffer);
    xmlFreeDoc(doc);
    return out;
}

}  // namespace Preview
