#include "core/cXML.h"

#include "core/FileUtil.h"
#include "core/XmlText.h"
#include "core/bGlobal.h"
#include "platform/Error.h"
#include "platform/ui/Host.h"

#include <QFile>
#include <QUrl>
#include <cstddef>
#include <cstring>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/dict.h>
#include <libxml/xmlsave.h>
#include <libxslt/documents.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

using platform::RuntimeError;

namespace {

const xmlChar* X(const QByteArray& b) { return reinterpret_cast<const xmlChar*>(b.constData()); }

// A new empty document whose element and attribute names are interned in a dictionary
// of its own (the document frees it), so a structure of many thousand columns keeps
// one copy of each name.
xmlDocPtr newDoc() {
    xmlDocPtr doc = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    if (doc) doc->dict = xmlDictCreate();
    return doc;
}

// A short attribute value is kept inside its text node, in the two pointer fields a
// text node does not use, as libxml2's own parser does under XML_PARSE_COMPACT (libxml2
// frees and replaces such content itself). A structure of many thousand columns holds
// hundreds of thousands of short values; each would otherwise be a heap block of its own.
constexpr size_t kCompactCapacity = 2 * sizeof(void*);

void compactValue(xmlAttrPtr attr) {
    static_assert(offsetof(xmlNode, nsDef) == offsetof(xmlNode, properties) + sizeof(void*));
    if (!attr || !attr->children) return;
    xmlNodePtr text = attr->children;
    if (text->next || text->type != XML_TEXT_NODE || !text->content) return;
    auto* inside = reinterpret_cast<xmlChar*>(&text->properties);
    if (text->content == inside || text->properties || text->nsDef) return;
    if (text->doc && text->doc->dict && xmlDictOwns(text->doc->dict, text->content)) return;
    const size_t length = strlen(reinterpret_cast<const char*>(text->content));
    if (length >= kCompactCapacity) return;
    xmlChar* held = text->content;
    memcpy(inside, held, length + 1);
    text->content = inside;
    xmlFree(held);
}

// A new attribute of an element that has none of that name: a short value goes straight
// into its text node, never through a copy on the heap.
void newProp(xmlNodePtr element, const xmlChar* name, const QByteArray& value) {
    if (value.isEmpty()) {
        xmlNewProp(element, name, nullptr);
        return;
    }
    if (size_t(value.size()) >= kCompactCapacity) {
        xmlNewProp(element, name, X(value));
        return;
    }
    xmlAttrPtr attr = xmlNewProp(element, name, nullptr);
    xmlNodePtr text = attr ? xmlNewDocText(element->doc, nullptr) : nullptr;
    if (!text) return;
    auto* inside = reinterpret_cast<xmlChar*>(&text->properties);
    memcpy(inside, value.constData(), size_t(value.size()) + 1);
    text->content = inside;
    text->parent = reinterpret_cast<xmlNodePtr>(attr);
    attr->children = attr->last = text;
}

// Sets an attribute; an empty value is stored without a text node (it reads back and
// is written as an empty value all the same).
void setProp(xmlNodePtr element, const QByteArray& name, const QByteArray& value) {
    if (!xmlHasProp(element, X(name)) && !name.contains(':')) {
        newProp(element, X(name), value);
        return;
    }
    compactValue(xmlSetProp(element, X(name), value.isEmpty() ? nullptr : X(value)));
}

// Text as libxml2 takes it. Printable ASCII (and tab, line feed, carriage return) is the
// same in UTF-8 and needs no escaping, so a short text of it is copied into a buffer
// of its own without a heap block; anything else goes through toUtf8, or XmlSafeUtf8
// when safe is set.
class Utf8 {
public:
    Utf8(QStringView text, bool safe) {
        if (text.size() < qsizetype(sizeof m_small)) {
            qsizetype i = 0;
            for (; i < text.size(); ++i) {
                const char16_t c = text[i].unicode();
                if (c > 0x7E || (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')) break;
                m_small[i] = char(c);
            }
            if (i == text.size()) {
                m_small[i] = '\0';
                m_bytes = QByteArray::fromRawData(m_small, i);
                return;
            }
        }
        m_bytes = safe ? XmlSafeUtf8(text) : text.toUtf8();
    }
    Utf8(const Utf8&) = delete;
    Utf8& operator=(const Utf8&) = delete;
    // Valid while this object lives; NUL-terminated.
    const QByteArray& bytes() const { return m_bytes; }

private:
    char m_small[64];
    QByteArray m_bytes;
};

std::shared_ptr<_xmlDoc> own(xmlDocPtr doc) {
    return doc ? std::shared_ptr<_xmlDoc>(doc,
                                          [](xmlDocPtr d) {
                                              xmlutil::forget(d);
                                              xmlFreeDoc(d);
                                          })
               : nullptr;
}

// The parser's internal-subset callback: libxml2 calls it as soon as it has read the
// name of a document type declaration, whatever the document's encoding, and before
// any declaration inside it. None of the program's documents has one, so the parse
// ends there as a failure: no entity is declared, none expanded, no external subset
// or entity read.
void refuseDocumentType(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) {
    auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
    ctxt->wellFormed = 0;
    xmlStopParser(ctxt);
}

// libxml2's own nesting limit. The program's documents are a few levels deep, and what
// walks them (the tree fill, the style sheets) recurses: a deeper document is refused.
constexpr int kMaxDepth = 256;

// True when an element lies more than kMaxDepth levels deep. Visits each node once.
bool tooDeep(xmlNodePtr root) {
    int depth = 1;
    xmlNodePtr node = root;
    while (node) {
        if (node->type == XML_ELEMENT_NODE && depth > kMaxDepth) return true;
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            ++depth;
            continue;
        }
        while (node != root && !node->next) {
            node = node->parent;
            --depth;
        }
        node = node == root ? nullptr : node->next;
    }
    return false;
}

// Parses bytes as the program's documents are parsed: the encoding found from a byte
// order mark, the first characters or the declaration; no network; whitespace-only
// text dropped; a document type declaration refused at the parser (above). Documents
// may be large (a structure of 20,000 tables, a view text of many megabytes, a long
// history), so libxml2's size limits are lifted; with no DTD there is no entity
// expansion for that to let through. That option also lifts libxml2's nesting limit,
// which is kept here (kMaxDepth). dict, when given, holds the names (libxslt wants
// the documents it loads to share the style sheet's). Null when refused.
xmlDocPtr parseRaw(const QByteArray& bytes, const QByteArray& url, xmlDictPtr dict = nullptr) {
    if (bytes.isEmpty()) return nullptr;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt) return nullptr;
    if (dict) {
        xmlDictFree(ctxt->dict);
        ctxt->dict = dict;
        xmlDictReference(dict);
    }
    ctxt->sax->internalSubset = refuseDocumentType;
    ctxt->sax->externalSubset = nullptr;
    xmlSetStructuredErrorFunc(nullptr, [](void*, xmlErrorPtr) {});
    xmlDocPtr doc = xmlCtxtReadMemory(ctxt, bytes.constData(), int(bytes.size()), url.isEmpty() ? nullptr : url.constData(),
                                      nullptr, XML_PARSE_NONET | XML_PARSE_NOBLANKS | XML_PARSE_NOWARNING | XML_PARSE_NOERROR | XML_PARSE_HUGE);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    const bool refused = ctxt->errNo == XML_ERR_USER_STOP;
    xmlFreeParserCtxt(ctxt);
    if (!doc) return nullptr;
    if (refused || doc->intSubset || doc->extSubset || !xmlDocGetRootElement(doc) || tooDeep(xmlDocGetRootElement(doc))) {
        xmlFreeDoc(doc);
        return nullptr;
    }
    return doc;
}

std::shared_ptr<_xmlDoc> parse(const QByteArray& bytes, const QByteArray& url) { return own(parseRaw(bytes, url)); }

// What libxslt loads besides the style sheet itself (xsl:include, xsl:import,
// document()) is parsed as every other document: a file named by path or file: URL,
// with a document type declaration refused. The security preferences of ApplyXSL
// refuse the network before this is asked.
xmlDocPtr loadForXslt(const xmlChar* uri, xmlDictPtr dict, int, void*, xsltLoadType) {
    if (!uri) return nullptr;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(uri));
    QString path = text;
    if (text.startsWith(QStringLiteral("file:"), Qt::CaseInsensitive)) {
        path = QUrl(text).toLocalFile();
    } else if (text.contains(QStringLiteral("://"))) {
        return nullptr;
    }
    // A name libxslt built from a relative reference may come percent-escaped.
    for (const QString& name : {path, QUrl::fromPercentEncoding(path.toUtf8())}) {
        try {
            return parseRaw(ReadFileBytes(name), QFile::encodeName(name), dict);
        } catch (const RuntimeError&) {
        }
    }
    return nullptr;
}

[[noreturn]] void noDocument() { throw RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required")); }

}  // namespace

void ApplyAttributeList(_xmlNode* element, const QStringList& aAttributes) {
    for (const QString& entry : aAttributes) {
        if (entry.isEmpty()) continue;
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        if (eq < 0) throw RuntimeError(platform::err::SubscriptOutOfRange, QStringLiteral("Subscript out of range"));
        const QStringView view(entry);
        const Utf8 name(view.left(eq), false), value(view.mid(eq + 1), true);
        setProp(element, name.bytes(), value.bytes());
    }
}

void ApplyAttributes(_xmlNode* element, std::initializer_list<XmlAttribute> attributes) {
    for (const XmlAttribute& a : attributes) {
        const Utf8 value(a.value, true);
        setProp(element, QByteArray::fromRawData(a.name, qsizetype(strlen(a.name))), value.bytes());
    }
}

cXML::cXML() = default;
cXML::~cXML() = default;

void cXML::NewDocument() {
    m_doc = own(newDoc());
    m_root = nullptr;
    m_declaration = true;
}

void cXML::RequireDocument() const {
    if (!m_doc) noDocument();
}

// Holds a parsed document. A load that failed (doc is null) leaves an empty document,
// so queries on it find nothing.
bool cXML::Adopt(std::shared_ptr<_xmlDoc> doc, bool declaration) {
    m_root = nullptr;
    if (!doc) {
        NewDocument();
        m_declaration = false;
        return false;
    }
    m_doc = std::move(doc);
    m_declaration = declaration;
    return true;
}

bool cXML::LoadXMLContent(const QString& sTempXMLContent) {
    return Adopt(parse(sTempXMLContent.toUtf8(), {}), sTempXMLContent.trimmed().startsWith(QStringLiteral("<?xml")));
}

bool cXML::LoadXMLFile(const QString& sXMLFileName) {
    QByteArray bytes;
    try {
        bytes = ReadFileBytes(sXMLFileName);
    } catch (const RuntimeError&) {
        // Missing, unreadable or not a regular file: no document.
    }
    return Adopt(bytes.isEmpty() ? nullptr : parse(bytes, QFile::encodeName(sXMLFileName)),
                 bytes.trimmed().startsWith("<?xml"));
}

XmlNode cXML::InitXMLFile(const QString& sRootName, const QStringList& aAttributes) {
    return bGlobal::TrapValue(QStringLiteral("InitXMLFile"), [&] {
        NewDocument();
        m_root = xmlNewDocNode(m_doc.get(), nullptr, X(sRootName.toUtf8()), nullptr);
        ApplyAttributeList(m_root, aAttributes);
        if (!bGlobal::gReportNameSpace.isEmpty()) AddNameSpace(bGlobal::gReportNameSpace, bGlobal::gReportNameSpaceURI);
        xmlDocSetRootElement(m_doc.get(), m_root);
        return XmlNode(m_doc, m_root);
    }, XmlNode());
}

template <class Apply>
XmlNode cXML::StartElement(const QString& sElementName, Apply&& applyAttributes) {
    return bGlobal::TrapValue(QStringLiteral("CreateElement"), [&] {
        RequireDocument();
        m_current = xmlNewDocNode(m_doc.get(), nullptr, X(sElementName.toUtf8()), nullptr);
        xmlutil::keepDetached(m_doc.get(), m_current);  // freed with the document unless appended
        applyAttributes(m_current);
        return XmlNode(m_doc, m_current);
    }, XmlNode());
}

XmlNode cXML::CreateElement(const QString& sElementName, const QStringList& aAttributes) {
    return StartElement(sElementName, [&](_xmlNode* element) { ApplyAttributeList(element, aAttributes); });
}

XmlNode cXML::NewElement(const QString& sElementName, std::initializer_list<XmlAttribute> attributes) {
    return StartElement(sElementName, [&](_xmlNode* element) { ApplyAttributes(element, attributes); });
}

bool cXML::AppendChild(const QString& sParentNodeName, int iParentNodeNumber) {
    return bGlobal::TrapValue(QStringLiteral("AppendChild"), [&] {
        RequireDocument();
        if (!m_current) noDocument();
        XmlNode parent = FindNode(sParentNodeName + QLatin1Char('[') + QString::number(iParentNodeNumber) + QLatin1Char(']'));
        if (!parent) return false;
        if (m_current->parent) {
            xmlutil::structureChanged(m_current->doc);
            xmlUnlinkNode(m_current);
        }
        xmlAddChild(parent.raw(), m_current);
        xmlutil::placed(m_doc.get(), m_current);
        return true;
    }, false);
}

XmlNode cXML::CreateCDataElement(const QString& sCDATAContent) {
    return bGlobal::TrapValue(QStringLiteral("cXML.CreateCDataElement"), [&] {
        RequireDocument();
        const QByteArray text = XmlSafeUtf8(sCDATAContent);
        m_cdata = xmlNewCDataBlock(m_doc.get(), X(text), int(text.size()));
        xmlutil::keepDetached(m_doc.get(), m_cdata);  // freed with the document unless appended
        return XmlNode(m_doc, m_cdata);
    }, XmlNode());
}

void cXML::AppendCDataElement(const QString& sNodeName, int iNodeNumber) {
    bGlobal::Trap(QStringLiteral("AppendCDataElement"), [&] {
        RequireDocument();
        if (!m_cdata) noDocument();
        XmlNode parent = FindNode(sNodeName + QLatin1Char('[') + QString::number(iNodeNumber) + QLatin1Char(']'));
        if (!parent) noDocument();
        if (m_cdata->parent) {
            xmlutil::structureChanged(m_cdata->doc);
            xmlUnlinkNode(m_cdata);
        }
        xmlAddChild(parent.raw(), m_cdata);
        xmlutil::placed(m_doc.get(), m_cdata);
    });
}

void cXML::CreateXMLFile(const QString& sFileName) {
    try {
        WriteXMLFile(sFileName);
    } catch (const RuntimeError& e) {
        if (e.number() == platform::err::PermissionDenied) {
            bGlobal::Critical(QStringLiteral("You do not have enough permissions to save the xml file."));
            return;
        }
        bGlobal::CommandError(e, QStringLiteral("CreateXMLFile"));
    } catch (const std::exception& e) {
        bGlobal::CommandError(e, QStringLiteral("CreateXMLFile"));
    }
}

QString cXML::GetHTMLOutput(const QString& sXSLFileName) {
    cXML xsl;
    if (!xsl.LoadXMLFile(sXSLFileName)) return {};
    return ApplyXSL(xsl);
}

bool cXML::CopyDatabase(bool bSelected) {
    RequireDocument();
    m_outDoc = own(newDoc());
    XmlNode database = FindNode(QStringLiteral("DATABASE"));
    if (!database) noDocument();
    m_srcDatabase = database.raw();
    // Deep copy of everything, or the element alone filled with the selected objects.
    m_outDatabase = xmlDocCopyNode(m_srcDatabase, m_outDoc.get(), bSelected ? 2 : 1);
    xmlDocSetRootElement(m_outDoc.get(), m_outDatabase);
    return !bSelected || AddSelectedChildren();
}

void cXML::ReleaseCopy() {
    m_outDoc.reset();
    m_outDatabase = m_srcDatabase = nullptr;
}

bool cXML::CopySelected(cXML& oTarget) {
    try {
        const bool copied = CopyDatabase(true);
        if (copied) oTarget.Adopt(std::move(m_outDoc), true);
        ReleaseCopy();
        return copied;
    } catch (const std::exception& e) {
        ReleaseCopy();
        const auto [n, d] = bGlobal::Describe(e);
        bGlobal::ShowError(n, d, QStringLiteral("cXML.CopySelected"));
        return false;
    }
}

void cXML::SaveXML(const QString& sPXMLFileName, bool bSelected) {
    try {
        if (!CopyDatabase(bSelected)) {
            // Reported already; nothing is written.
            ReleaseCopy();
            return;
        }
        RemoveUnwantedAttributes(m_outDatabase);
        WriteFileAtomic(sPXMLFileName, xmlutil::nodeToUtf8(reinterpret_cast<xmlNodePtr>(m_outDoc.get())));
        ReleaseCopy();
    } catch (const std::exception& e) {
        ReleaseCopy();
        const auto [n, d] = bGlobal::Describe(e);
        if (n == platform::err::PermissionDenied) {
            bGlobal::Critical(QStringLiteral("You dont have permission to save the xml in the selected folder."));
            return;
        }
        bGlobal::CommandError(e, QStringLiteral("SaveAsSingleXML"));
    }
}

namespace {
// An object is selected when its Report attribute, read as a number, is 1. A value
// that is not a number is a type-mismatch error, as reading it as a number would be.
bool isSelected(xmlNodePtr node) {
    xmlChar* v = xmlGetProp(node, reinterpret_cast<const xmlChar*>("Report"));
    if (!v) return false;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(v)).trimmed();
    xmlFree(v);
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok) throw RuntimeError(platform::err::TypeMismatch, QStringLiteral("Type mismatch"));
    return number == 1;
}

bool named(xmlNodePtr node, const char* name) {
    return node->type == XML_ELEMENT_NODE && xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}
}  // namespace

bool cXML::AddSelectedChildren() {
    try {
        for (xmlNodePtr table = m_srcDatabase->children; table; table = table->next) {
            if (!named(table, "TABLE") || !isSelected(table)) continue;
            xmlNodePtr copy = xmlAddChild(m_outDatabase, xmlDocCopyNode(table, m_outDoc.get(), 2));
            for (const char* kind : {"COLUMN", "INDEX", "TRIGGER", "FOREIGNKEY"}) {
                const bool all = std::strcmp(kind, "COLUMN") == 0;
                for (xmlNodePtr child = table->children; child; child = child->next)
                    if (named(child, kind) && (all || isSelected(child)))
                        xmlAddChild(copy, xmlDocCopyNode(child, m_outDoc.get(), 1));
            }
        }
        for (const char* kind : {"VIEW", "STOREDPROCEDURE"})
            for (xmlNodePtr child = m_srcDatabase->children; child; child = child->next)
                if (named(child, kind) && isSelected(child))
                    xmlAddChild(m_outDatabase, xmlDocCopyNode(child, m_outDoc.get(), 1));
        return true;
    } catch (const std::exception& e) {
        const auto [n, d] = bGlobal::Describe(e);
        bGlobal::ShowError(n, d, QStringLiteral("AddSelectedChildren"));
        return false;
    }
}

void cXML::RemoveUnwantedAttributes(_xmlNode* node) {
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        for (const char* name : {"Report", "Migrate"})
            if (xmlAttrPtr a = xmlHasProp(child, reinterpret_cast<const xmlChar*>(name))) xmlRemoveProp(a);
        if (child->children) RemoveUnwantedAttributes(child);
    }
}

QString cXML::GetXMLContent() {
    return bGlobal::TrapValue(QStringLiteral("cXML.GetXMLContent"), [&] {
        RequireDocument();
        // The declaration goes in ahead of the markup, so a large document is not
        // copied once more to put it in front.
        return xmlutil::nodeToString(reinterpret_cast<xmlNodePtr>(m_doc.get()), Declaration());
    }, QString());
}

void cXML::WriteXMLFile(const QString& sFileName) {
    RequireDocument();
    WriteFileAtomic(sFileName, [&](const FileWriter& write) {
        xmlutil::writeNode(reinterpret_cast<xmlNodePtr>(m_doc.get()), Declaration(), write);
    });
}

const char* cXML::Declaration() const { return m_declaration ? "<?xml version=\"1.0\"?>\n" : nullptr; }

void cXML::AddNameSpace(const QString& sNameSpaceName, const QString& sURI) {
    bGlobal::Trap(QStringLiteral("cXML.AddNameSpace"), [&] {
        if (!m_root) noDocument();
        if (!sURI.isEmpty())
            xmlNewNs(m_root, X(sURI.toUtf8()), X(sNameSpaceName.toUtf8()));
        else
            xmlSetProp(m_root, X((QStringLiteral("xmlns:") + sNameSpaceName).toUtf8()), X(QByteArray()));
    });
}

void cXML::SetCDataContent(const QString& sCDATAContent, const QString& sTargetXPath) {
    bGlobal::Trap(QStringLiteral("cXML.SetCDataContent"), [&] {
        XmlNode target = FindNode(sTargetXPath);
        if (!target) noDocument();
        const QByteArray text = XmlSafeUtf8(sCDATAContent);
        xmlAddChild(target.raw(), xmlNewCDataBlock(m_doc.get(), X(text), int(text.size())));
    });
}

XmlNode cXML::FindNode(const QString& sXPath) {
    return bGlobal::TrapValue(QStringLiteral("cXML.FindNode"), [&] {
        RequireDocument();
        const XmlNodeList l = xmlutil::select(m_doc, nullptr, sXPath, true);
        return l.isEmpty() ? XmlNode() : l.first();
    }, XmlNode());
}

void cXML::ChangeAttributeValue(XmlNode sSourceNode, const QString& sNewAttributeValue) {
    bGlobal::Trap(QStringLiteral("cXML.ChangeAttributeValue"), [&] {
        if (!sSourceNode.isElement() || !sSourceNode.raw()->properties) noDocument();
        xmlAttrPtr first = sSourceNode.raw()->properties;
        xmlSetProp(sSourceNode.raw(), first->name, X(XmlSafeUtf8(sNewAttributeValue)));
    });
}

QString cXML::ApplyXSL(cXML& oXSLDOM) {
    bool ok = false;
    const QString out = Transformed(oXSLDOM, ok);
    if (!ok) {
        platform::ui::host().message(
            QStringLiteral("Please check the xsl that you have chosen to apply. Try again with the default xsl."),
            platform::ui::Icon::Critical, platform::ui::Buttons::Ok, bGlobal::kAppTitle);
        return {};
    }
    return out;
}

QString cXML::Transformed(const cXML& oXSLDOM, bool& ok) const {
    QString out;
    ok = false;
    if (m_doc && oXSLDOM.m_doc) {
        // libxslt's loader is one for the whole process: set once, before any transform.
        static const bool loaderSet = (xsltSetLoaderFunc(loadForXslt), true);
        (void)loaderSet;
        // libxslt takes the style-sheet document over, so it gets a copy.
        xmlDocPtr sheetDoc = xmlCopyDoc(oXSLDOM.m_doc.get(), 1);
        xsltStylesheetPtr sheet = sheetDoc ? xsltParseStylesheetDoc(sheetDoc) : nullptr;
        if (!sheet && sheetDoc) xmlFreeDoc(sheetDoc);
        if (sheet) {
            xsltSecurityPrefsPtr prefs = xsltNewSecurityPrefs();
            xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_FILE, xsltSecurityForbid);
            xsltSetSecurityPrefs(prefs, XSLT_SECPREF_CREATE_DIRECTORY, xsltSecurityForbid);
            xsltSetSecurityPrefs(prefs, XSLT_SECPREF_WRITE_NETWORK, xsltSecurityForbid);
            xsltSetSecurityPrefs(prefs, XSLT_SECPREF_READ_NETWORK, xsltSecurityForbid);
            xsltTransformContextPtr ctxt = xsltNewTransformContext(sheet, m_doc.get());
            xsltSetCtxtSecurityPrefs(prefs, ctxt);
            xmlDocPtr result = xsltApplyStylesheetUser(sheet, m_doc.get(), nullptr, nullptr, nullptr, ctxt);
            const bool failed = ctxt->state == XSLT_STATE_ERROR || ctxt->state == XSLT_STATE_STOPPED;
            xsltFreeTransformContext(ctxt);
            xsltFreeSecurityPrefs(prefs);
            if (result && !failed) {
                xmlChar* buf = nullptr;
                int len = 0;
                if (xsltSaveResultToString(&buf, &len, result, sheet) == 0) {
                    out = QString::fromUtf8(reinterpret_cast<const char*>(buf), len);
                    ok = true;
                }
                if (buf) xmlFree(buf);
            }
            if (result) xmlFreeDoc(result);
            xsltFreeStylesheet(sheet);
        }
    }
    return out;
}

void cXML::RemoveNode(const QString& sRemoveXPath) {
    bGlobal::Trap(QStringLiteral("cXML.RemoveNode"), [&] {
        XmlNode node = FindNode(sRemoveXPath);
        if (!node) noDocument();
        const QString nodeText = node.xml();
        QString content = GetXMLContent();
        content.remove(nodeText);
        LoadXMLContent(content);
    });
}

XmlNode cXML::AppendNode(const XmlNode& oSourceNode, const QString& sParentXPath) {
    return bGlobal::TrapValue(QStringLiteral("cXML.AppendNode"), [&] {
        XmlNode parent = FindNode(sParentXPath);
        if (!parent || !oSourceNode) noDocument();
        return parent.appendChild(oSourceNode);
    }, XmlNode());
}

XmlNodeList cXML::GetNodes(const QString& sXPath) {
    return bGlobal::TrapValue(QStringLiteral("cXML.GetNodes"), [&] {
        if (sXPath.isEmpty()) return XmlNodeList();
        RequireDocument();
        return xmlutil::select(m_doc, nullptr, sXPath, false);
    }, XmlNodeList());
}

QString cXML::RemoveXPath(const QString& sParentXPath, const QString& sChildXPath) {
    return bGlobal::TrapValue(QStringLiteral("cXML.RemoveXPath"), [&] {
        XmlNode parent = FindNode(sParentXPath);
        if (!parent) return QString();
        XmlNode child = parent.selectSingleNode(sChildXPath);
        if (!child || child.parentNode().raw() != parent.raw()) return QString();
        const QString text = child.xml();
        child.remove();
        return text;
    }, QString());
}

bool cXML::AddXSLProcessingInstruction(const QString& sTempXSLFileName) {
    return bGlobal::TrapValue(QStringLiteral("cXML.AddXSLProcessingInstruction"), [&] {
        RequireDocument();
        const QString data = QStringLiteral("type=\"text/xsl\" href=\"") + sTempXSLFileName + QLatin1Char('"');
        xmlNodePtr pi = xmlNewDocPI(m_doc.get(), reinterpret_cast<const xmlChar*>("xml-stylesheet"), X(data.toUtf8()));
        xmlNodePtr added = m_root && m_root->parent ? xmlAddPrevSibling(m_root, pi)
                                                    : xmlAddChild(reinterpret_cast<xmlNodePtr>(m_doc.get()), pi);
        return added != nullptr;
    }, false);
}

bool cXML::CloseXML() { return true; }

bool cXML::AppendRootNode(const XmlNode& oTempRootNode, const QString& sTempXSLFile) {
    return bGlobal::TrapValue(QStringLiteral("cXML.AppendRootNode"), [&] {
        if (!oTempRootNode) noDocument();
        NewDocument();
        if (!sTempXSLFile.isEmpty()) AddXSLProcessingInstruction(sTempXSLFile);
        xmlNodePtr root = xmlDocCopyNode(oTempRootNode.raw(), m_doc.get(), 1);
        xmlAddChild(reinterpret_cast<xmlNodePtr>(m_doc.get()), root);
        m_root = root;
        return true;
    }, false);
}

XmlNode cXML::CreateNewAttribute(const QString& sTempAttributeName, const QString& sTempAttributeValue) {
    return bGlobal::TrapValue(QStringLiteral("cXML.CreateNewAttribute"), [&] {
        RequireDocument();
        xmlAttrPtr attr = xmlNewDocProp(m_doc.get(), X(sTempAttributeName.toUtf8()), X(XmlSafeUtf8(sTempAttributeValue)));
        return XmlNode(m_doc, reinterpret_cast<xmlNodePtr>(attr));
    }, XmlNode());
}

XmlNode cXML::DocumentElement() const {
    if (!m_doc) return {};
    return XmlNode(m_doc, xmlDocGetRootElement(m_doc.get()));
}
