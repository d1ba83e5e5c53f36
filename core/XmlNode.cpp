#include "core/XmlNode.h"

#include "core/XmlText.h"
#include "platform/Error.h"
#include "platform/xml/XslPattern.h"

#include <libxml/tree.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <QHash>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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

namespace {

// Paths made only of element names with optional 0-based positions ("A/B[3]/C") are
// what the program asks for most, many thousand times while a structure is imported.
// They are walked directly instead of through the XPath engine, and the last position
// found under each parent is remembered, so a run of appends under "DATABASE/TABLE[t]"
// costs a step from the previous table rather than a walk over all tables. Hints stay
// valid while children are only appended; detaching a node drops a document's hints.
struct Step {
    QByteArray name;
    int index = -1;  // -1: every child of that name
};

bool parseSimple(const QString& pattern, bool& absolute, std::vector<Step>& steps) {
    QString p = pattern.trimmed();
    absolute = p.startsWith(QLatin1Char('/'));
    if (absolute) p = p.mid(1);
    if (p.isEmpty() || p.startsWith(QLatin1Char('/'))) return false;
    for (const QString& part : p.split(QLatin1Char('/'))) {
        Step step;
        QString name = part;
        const qsizetype open = part.indexOf(QLatin1Char('['));
        if (open >= 0) {
            if (!part.endsWith(QLatin1Char(']'))) return false;
            bool ok = false;
            step.index = part.mid(open + 1, part.size() - open - 2).trimmed().toInt(&ok);
            if (!ok || step.index < 0) return false;
            name = part.left(open);
        }
        if (name.isEmpty()) return false;
        for (QChar c : name)
            if (!(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-')) || c.unicode() > 127) return false;
        if (!name.front().isLetter() && name.front() != QLatin1Char('_')) return false;
        step.name = name.toLatin1();
        steps.push_back(step);
    }
    return true;
}

struct Hint {
    xmlNodePtr node;
    int index;
};
using Hints = QHash<QPair<quintptr, QByteArray>, Hint>;
std::unordered_map<xmlDocPtr, Hints>& allHints() {
    static std::unordered_map<xmlDocPtr, Hints> hints;
    return hints;
}

bool matches(xmlNodePtr n, const QByteArray& name) {
    return n->type == XML_ELEMENT_NODE && !n->ns && xmlStrEqual(n->name, reinterpret_cast<const xmlChar*>(name.constData()));
}

xmlNodePtr nth(xmlDocPtr doc, xmlNodePtr parent, const QByteArray& name, int index) {
    Hints& hints = allHints()[doc];
    const auto key = qMakePair(quintptr(parent), name);
    xmlNodePtr n = parent->children;
    int at = 0;
    if (auto it = hints.constFind(key); it != hints.constEnd() && it->index <= index && it->node->parent == parent) {
        n = it->node;
        at = it->index;
    } else {
        while (n && !matches(n, name)) n = n->next;
    }
    while (n) {
        if (at == index) {
            hints.insert(key, {n, at});
            return n;
        }
        do n = n->next;
        while (n && !matches(n, name));
        ++at;
    }
    return nullptr;
}

// Nodes detached from a document (removed, or cloned and not yet placed) are kept here
// until the document is freed, so handles into them never dangle.
std::unordered_map<xmlDocPtr, std::unordered_set<xmlNodePtr>>& detached() {
    static std::unordered_map<xmlDocPtr, std::unordered_set<xmlNodePtr>> nodes;
    return nodes;
}

}  // namespace

void structureChanged(_xmlDoc* doc) { allHints().erase(doc); }

void keepDetached(_xmlDoc* doc, _xmlNode* node) { detached()[doc].insert(node); }

void placed(_xmlDoc* doc, _xmlNode* node) {
    if (const auto it = detached().find(doc); it != detached().end()) it->second.erase(node);
}

void forget(_xmlDoc* doc) {
    allHints().erase(doc);
    const auto it = detached().find(doc);
    if (it == detached().end()) return;
    // Every place that puts a node into a tree takes it off this list, so what is left
    // are roots of detached subtrees. The roots are picked before anything is freed, so
    // no freed node is looked at, and a node that stands in another kept subtree is
    // freed with it.
    std::vector<xmlNodePtr> roots;
    for (xmlNodePtr node : it->second)
        if (!node->parent) roots.push_back(node);
    detached().erase(it);
    for (xmlNodePtr node : roots) xmlFreeNode(node);
}

XmlNodeList select(const std::shared_ptr<_xmlDoc>& doc, _xmlNode* context, const QString& pattern, bool firstOnly) {
    XmlNodeList out;
    if (!doc) return out;
    bool absolute = false;
    std::vector<Step> steps;
    if (parseSimple(pattern, absolute, steps)) {
        xmlNodePtr start = absolute || !context ? reinterpret_cast<xmlNodePtr>(doc.get()) : context;
        std::vector<xmlNodePtr> current{start};
        for (const Step& step : steps) {
            std::vector<xmlNodePtr> next;
            for (xmlNodePtr parent : current) {
                if (step.index >= 0) {
                    if (xmlNodePtr n = nth(doc.get(), parent, step.name, step.index)) next.push_back(n);
                } else {
                    for (xmlNodePtr c = parent->children; c; c = c->next)
                        if (matches(c, step.name)) next.push_back(c);
                }
            }
            current.swap(next);
            if (current.empty()) break;
        }
        for (xmlNodePtr n : current) {
            out.append(XmlNode(doc, n));
            if (firstOnly) break;
        }
        return out;
    }
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

namespace {
// The node's markup after prefix, in a buffer the caller frees with xmlBufferFree.
xmlBufferPtr markup(_xmlNode* node, const char* prefix) {
    xmlBufferPtr buf = xmlBufferCreate();
    if (!buf) throw platform::RuntimeError(7, QStringLiteral("Out of memory"));
    if (prefix) xmlBufferCCat(buf, prefix);
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buf, "UTF-8", XML_SAVE_NO_DECL);
    if (node->type == XML_DOCUMENT_NODE)
        xmlSaveDoc(save, reinterpret_cast<xmlDocPtr>(node));
    else
        xmlSaveTree(save, node);
    xmlSaveClose(save);
    return buf;
}
}  // namespace

QString nodeToString(_xmlNode* node, const char* prefix) {
    if (!node) return {};
    xmlBufferPtr buf = markup(node, prefix);
    QString s = QString::fromUtf8(reinterpret_cast<const char*>(xmlBufferContent(buf)), xmlBufferLength(buf));
    xmlBufferFree(buf);
    return s;
}

void writeNode(_xmlNode* node, const char* prefix, const std::function<void(const char* data, size_t size)>& write) {
    if (!node) return;
    // The parts libxml2 makes (some 4 KB) are gathered into larger ones.
    struct Sink {
        const std::function<void(const char*, size_t)>& write;
        QByteArray pending;
        std::exception_ptr failure;
        void flush() {
            write(pending.constData(), size_t(pending.size()));
            pending.clear();
        }
    } sink{write, QByteArray(), nullptr};
    constexpr qsizetype kPart = 256 * 1024;
    sink.pending.reserve(kPart);
    if (prefix) sink.pending.append(prefix);
    const auto put = [](void* context, const char* data, int size) -> int {
        auto* s = static_cast<Sink*>(context);
        try {
            s->pending.append(data, size);
            if (s->pending.size() >= kPart) s->flush();
            return size;
        } catch (...) {
            s->failure = std::current_exception();
            return -1;
        }
    };
    xmlSaveCtxtPtr save = xmlSaveToIO(put, nullptr, &sink, "UTF-8", XML_SAVE_NO_DECL);
    if (!save) throw platform::RuntimeError(7, QStringLiteral("Out of memory"));
    if (node->type == XML_DOCUMENT_NODE)
        xmlSaveDoc(save, reinterpret_cast<xmlDocPtr>(node));
    else
        xmlSaveTree(save, node);
    xmlSaveClose(save);
    if (sink.failure) std::rethrow_exception(sink.failure);
    sink.flush();
}

QByteArray nodeToUtf8(_xmlNode* node) {
    if (!node) return {};
    xmlBufferPtr buf = markup(node, nullptr);
    QByteArray bytes(reinterpret_cast<const char*>(xmlBufferContent(buf)), xmlBufferLength(buf));
    xmlBufferFree(buf);
    return bytes;
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
    xmlSetProp(m_node, X(name.toUtf8()), X(XmlSafeUtf8(value)));
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
    xmlChar* escaped = xmlEncodeSpecialChars(m_node->doc, X(XmlSafeUtf8(text)));
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
    xmlNodePtr copy = xmlDocCopyNode(m_node, m_doc.get(), deep ? 1 : 2);
    if (copy) xmlutil::keepDetached(m_doc.get(), copy);
    return XmlNode(m_doc, copy);
}

XmlNode XmlNode::appendChild(const XmlNode& child) {
    if (!m_node || !child.m_node)
        throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object required"));
    xmlNodePtr node = child.m_node;
    if (node->doc != m_node->doc || node->parent) {
        // A node of another document is copied in; a node already placed is moved.
        if (node->doc != m_node->doc) {
            node = xmlDocCopyNode(node, m_node->doc, 1);
        } else {
            xmlutil::structureChanged(node->doc);
            xmlUnlinkNode(node);
        }
    }
    xmlNodePtr added = xmlAddChild(m_node, node);
    xmlutil::placed(m_node->doc, node);
    return XmlNode(m_doc, added);
}

void XmlNode::remove() {
    if (!m_node) return;
    xmlutil::structureChanged(m_node->doc);
    xmlUnlinkNode(m_node);
    xmlutil::keepDetached(m_node->doc, m_node);
    m_node = nullptr;
}
