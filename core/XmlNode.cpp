#include "core/XmlNode.h"

#include "platform/Error.h"
#include "platform/xml/XslPattern.h"

#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

namespace {
const xmlChar* X(const QByteArray& b) { return reinterpret_cast<const xmlChar*>(b.constData()); }
QString Q(const xmlChar* s) { return s ? QString::fromUtf8(reinterpret_cast<const char*>(s)) : QString(); }
QString QFree(xmlChar* s) {
    QString r = Q(s);
    if (s) xmlFree(s);
    return r;
}
}  // namespace

namespace xmlutil {

XmlNodeList select(const std::shared_ptr<_xmlDoc>& doc, _xmlNode* context, const QString& pattern, bool firstOnly) {
    XmlNodeList out;
    if (!doc) return out;
    const QByteArray xpath = platform::xml::xslPatternToXPath(pattern).toUtf8();
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc.get());
    if (!ctx) throw platform::RuntimeError(7, QStringLiteral("Out of memory"));
    ctx->node = context ? context : reinterpret_cast<xmlNodePtr>(doc.get());
    // Prefixed names in a path resolve against the namespaces declared on the root.
    if (xmlNodePtr root = xmlDocGetRootElement(doc.get()))
        for (xmlNsPtr ns = root->nsDef; ns; ns = ns->next)
            if (ns->prefix) xmlXPathRegisterNs(ctx, ns->prefix, ns->href);
    xmlSetStructuredErrorFunc(nullptr, [](void*, xmlErrorPtr) {});
    xmlXPathObjectPtr result = xmlXPathEvalExpression(X(xpath), ctx);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (!result) {
        xmlXPathFreeContext(ctx);
        throw platform::RuntimeError(-2147467259, QStringLiteral("Expected token in query string: ") + pattern);
    }
    if (result->type == XPATH_NODESET && result->nodesetval) {
        const int n = result->nodesetval->nodeNr;
        for (int i = 0; i < n && !(firstOnly && i > 0); ++i)
            out.append(XmlNode(doc, result->nodesetval->nodeTab[i]));
    }
    xmlXPathFreeObject(result);
    xmlXPathFreeContext(ctx);
    return out;
}

QString nodeToString(_xmlNode* node) {
    if (!node) return {};
    xmlBufferPtr buf = xmlBufferCreate();
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buf, "UTF-8", XML_SAVE_NO_DECL);
    if (node->type == XML_DOCUMENT_NODE)
        xmlSaveDoc(save, reinterpret_cast<xmlDocPtr>(node));
    else
        xmlSaveTree(save, node);
    xmlSaveClose(save);
    QString s = QString::fromUtf8(reinterpret_cast<const char*>(xmlBufferContent(buf)), xmlBufferLength(buf));
    xmlBufferFree(buf);
    return s;
}

}  // namespace xmlutil

QString XmlNode::nodeName() const {
    if (!m_node) return {};
    switch (m_node->type) {
    case XML_TEXT_NODE: return QStringLiteral("#text");
    case XML_CDATA_SECTION_NODE: return QStringLiteral("#cdata-section");
    case XML_COMMENT_NODE: return QStringLiteral("#comment");
    case XML_DOCUMENT_NODE: return QStringLiteral("#document");
    default: break;
    }
    if (m_node->ns && m_node->ns->prefix)
        return Q(m_node->ns->prefix) + QLatin1Char(':') + Q(m_node->name);
    return Q(m_node->name);
}

bool XmlNode::isElement() const { return m_node && m_node->type == XML_ELEMENT_NODE; }

bool XmlNode::hasAttribute(const QString& name) const {
    return isElement() && xmlHasProp(m_node, X(name.toUtf8())) != nullptr;
}

QString XmlNode::attribute(const QString& name) const {
    if (!isElement()) return {};
    return QFree(xmlGetProp(m_node, X(name.toUtf8())));
}

void XmlNode::setAttribute(const QString& name, const QString& value) {
    if (!isElement()) throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
    xmlSetProp(m_node, X(name.toUtf8()), X(value.toUtf8()));
}

void XmlNode::removeAttribute(const QString& name) {
    if (!isElement()) return;
    if (xmlAttrPtr a = xmlHasProp(m_node, X(name.toUtf8()))) xmlRemoveProp(a);
}

QList<std::pair<QString, QString>> XmlNode::attributes() const {
    QList<std::pair<QString, QString>> out;
    if (!isElement()) return out;
    for (xmlAttrPtr a = m_node->properties; a; a = a->next)
        out.append({Q(a->name), QFree(xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a)))});
    return out;
}

QString XmlNode::text() const { return m_node ? QFree(xmlNodeGetContent(m_node)) : QString(); }

void XmlNode::setText(const QString& text) {
    if (!m_node) return;
    xmlChar* escaped = xmlEncodeSpecialChars(m_node->doc, X(text.toUtf8()));
    xmlNodeSetContent(m_node, escaped);
    xmlFree(escaped);
}

QString XmlNode::xml() const { return xmlutil::nodeToString(m_node); }

XmlNode XmlNode::parentNode() const {
    if (!m_node || !m_node->parent) return {};
    return XmlNode(m_doc, m_node->parent);
}

XmlNode XmlNode::ownerDocumentElement() const {
    if (!m_doc) return {};
    return XmlNode(m_doc, xmlDocGetRootElement(m_doc.get()));
}

XmlNodeList XmlNode::childNodes() const {
    XmlNodeList out;
    if (!m_node) return out;
    for (xmlNodePtr c = m_node->children; c; c = c->next) out.append(XmlNode(m_doc, c));
    return out;
}

XmlNodeList XmlNode::childElements() const {
    XmlNodeList out;
    if (!m_node) return out;
    for (xmlNodePtr c = m_node->children; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE) out.append(XmlNode(m_doc, c));
    return out;
}

bool XmlNode::hasChildNodes() const { return m_node && m_node->children; }

XmlNode XmlNode::selectSingleNode(const QString& pattern) const {
    const XmlNodeList l = xmlutil::select(m_doc, m_node, pattern, true);
    return l.isEmpty() ? XmlNode() : l.first();
}

XmlNodeList XmlNode::selectNodes(const QString& pattern) const {
    return xmlutil::select(m_doc, m_node, pattern, false);
}

XmlNode XmlNode::cloneNode(bool deep) const {
    if (!m_node) return {};
    return XmlNode(m_doc, xmlDocCopyNode(m_node, m_doc.get(), deep ? 1 : 2));
}

XmlNode XmlNode::appendChild(const XmlNode& child) {
    if (!m_node || !child.m_node)
        throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
    xmlNodePtr node = child.m_node;
    if (node->doc != m_node->doc || node->parent) {
        // A node of another document is copied in; a node already placed is moved.
        if (node->doc != m_node->doc)
            node = xmlDocCopyNode(node, m_node->doc, 1);
        else
            xmlUnlinkNode(node);
    }
    xmlNodePtr added = xmlAddChild(m_node, node);
    return XmlNode(m_doc, added);
}

void XmlNode::remove() {
    if (!m_node) return;
    xmlUnlinkNode(m_node);
    xmlFreeNode(m_node);
    m_node = nullptr;
}
