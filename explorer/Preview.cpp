#include "explorer/Preview.h"

#include "core/FileUtil.h"
#include "core/bGlobal.h"
#include "core/cXML.h"
#include "explorer/TreeDocument.h"
#include "platform/Error.h"
#include "platform/ui/Host.h"

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

std::unique_ptr<cXML> Build(cXML& structure, const QString& sPreviewXPath, int* leftOut) {
    auto preview = std::make_unique<cXML>();
    int left = 0;
    if (sPreviewXPath.contains(QLatin1Char('/'))) {
        const QString engine = gDatabaseType >= 0 && gDatabaseType < gDBTypeNames.size() ? gDBTypeNames.at(gDatabaseType) : QString();
        preview->InitXMLFile(QStringLiteral("DATABASE"),
                             {QStringLiteral("Name=") + gDatabaseName, QStringLiteral("DatabaseEngine=") + engine,
                              QStringLiteral("ServerName=") + gServerName, QStringLiteral("Time=") + TreeDocument::NowText()});
        XmlNode database = preview->DocumentElement();
        int shown = 0;
        for (const XmlNode& node : structure.GetNodes(sPreviewXPath)) {
            if (!reported(node)) continue;
            if (shown < kShownObjects) {
                database.appendChild(node);  // copied into the preview
                ++shown;
            } else {
                ++left;
            }
        }
    } else {
        const XmlNode node = structure.FindNode(sPreviewXPath);
        const XmlNodeList objects = node ? node.childElements() : XmlNodeList();
        if (objects.size() <= kShownObjects) {
            preview->AppendRootNode(node, StyleSheet());  // the append copies the node
        } else {
            // The element with its attributes, then its first objects.
            const std::unique_ptr<xmlNode, decltype(&xmlFreeNode)> shell(xmlDocCopyNode(node.raw(), nullptr, 2), &xmlFreeNode);
            preview->AppendRootNode(XmlNode(nullptr, shell.get()), StyleSheet());
            XmlNode database = preview->DocumentElement();
            for (qsizetype i = 0; i < kShownObjects; ++i) database.appendChild(objects[i]);
            left = int(objects.size()) - kShownObjects;
        }
    }
    if (leftOut) *leftOut = left;
    return preview;
}

Job::Job() = default;
Job::~Job() = default;

std::unique_ptr<Job> Prepare(cXML& structure, const QString& sPreviewXPath) {
    auto job = std::make_unique<Job>();
    job->preview = Build(structure, sPreviewXPath, &job->leftOut);

    // The last preview's file goes first, so that its absence tells a write that failed.
    DeleteFileIfExists(XmlFile());
    job->preview->SaveXML(XmlFile(), false);
    if (!QFileInfo::exists(XmlFile())) return nullptr;
    job->savedXml = ReadTextFile(XmlFile());

    if (XmlNode root = job->preview->DocumentElement()) {
        job->objects = int(root.childElements().size());
        root.setAttribute(QStringLiteral("CSSFile"), CSSLink());
        root.setAttribute(QStringLiteral("SourceXPath"), sPreviewXPath);
        if (job->leftOut > 0) root.setAttribute(QStringLiteral("LeftOut"), QString::number(job->leftOut));
    }
    job->xsl = std::make_unique<cXML>();
    job->xsl->LoadXMLFile(StyleSheet());
    return job;
}

void Finish(const Job& job) {
    QString text = Indented(job.savedXml);
    if (job.leftOut > 0)
        text += QStringLiteral("<!-- This preview shows the first %1 objects; %2 more are left out. A report holds them all. -->\n")
                    .arg(kShownObjects)
                    .arg(job.leftOut);
    WriteTextFileAtomic(XmlFile(), text);
    bool ok = false;
    const QString page = job.preview->Transformed(*job.xsl, ok);
    if (!ok) throw platform::RuntimeError(kTransformFailed, QStringLiteral("The preview style sheet could not be applied."));
    WriteTextFileAtomic(HtmlFile(), page);
}

void FinishTelling(const Job& job) {
    try {
        Finish(job);
    } catch (const platform::RuntimeError& e) {
        if (e.number() != kTransformFailed) throw;
        TransformFailed();
    }
}

bool Write(cXML& structure, const QString& sPreviewXPath) {
    const std::unique_ptr<Job> job = Prepare(structure, sPreviewXPath);
    if (!job) return false;
    FinishTelling(*job);
    return true;
}

void TransformFailed() {
    platform::ui::host().message(QStringLiteral("Please check the xsl that you have chosen to apply. Try again with the default xsl."),
                                 platform::ui::Icon::Critical, platform::ui::Buttons::Ok, kAppTitle);
    WriteTextFileAtomic(HtmlFile(), QString());
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
