#pragma once
// A node of a document held by cXML. The node keeps its document alive, so a node
// stays valid after the cXML that made it has loaded another document (as DOM node
// references do). An empty XmlNode stands for "Nothing".

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

struct _xmlDoc;
struct _xmlNode;

class XmlNode;
using XmlNodeList = QList<XmlNode>;

class XmlNode {
public:
    XmlNode() = default;
    XmlNode(std::shared_ptr<_xmlDoc> doc, _xmlNode* node) : m_doc(std::move(doc)), m_node(node) {}

    bool isNull() const { return m_node == nullptr; }
    explicit operator bool() const { return m_node != nullptr; }
    bool operator==(const XmlNode& o) const { return m_node == o.m_node; }

    // Element, attribute or processing-instruction name; "#text", "#cdata-section",
    // "#comment" or "#document" for the others.
    QString nodeName() const;
    bool isElement() const;

    bool hasAttribute(const QString& name) const;
    // The attribute's text, "" when absent.
    QString attribute(const QString& name) const;
    void setAttribute(const QString& name, const QString& value);
    void removeAttribute(const QString& name);
    // Attribute names and values in document order.
    QList<std::pair<QString, QString>> attributes() const;

    // The text of the node and all its descendants.
    QString text() const;
    void setText(const QString& text);
    // The node's markup.
    QString xml() const;

    XmlNode parentNode() const;
    XmlNode ownerDocumentElement() const;
    // All children (elements, text, CDATA, comments) / element children only.
    XmlNodeList childNodes() const;
    XmlNodeList childElements() const;
    bool hasChildNodes() const;

    // XSL-Pattern selection relative to this node (0-based positions, "$eq$").
    XmlNode selectSingleNode(const QString& pattern) const;
    XmlNodeList selectNodes(const QString& pattern) const;

    // An unattached copy in the same document; freed with the document unless placed.
    XmlNode cloneNode(bool deep) const;
    // Appends child under this node; a node of another document is copied in first.
    // Returns the node that now stands in this document.
    XmlNode appendChild(const XmlNode& child);
    // Detaches this node from its parent. The XmlNode becomes empty; the detached
    // subtree stays allocated until its document is freed, so other handles into it
    // stay valid (they see a node with no parent) and never dangle.
    void remove();

    _xmlNode* raw() const { return m_node; }
    const std::shared_ptr<_xmlDoc>& document() const { return m_doc; }

private:
    std::shared_ptr<_xmlDoc> m_doc;
    _xmlNode* m_node = nullptr;
};

namespace xmlutil {
// Evaluates an XSL-Pattern from a context node of doc. Throws platform::RuntimeError
// for a malformed pattern.
XmlNodeList select(const std::shared_ptr<_xmlDoc>& doc, _xmlNode* context, const QString& pattern,
                   bool firstOnly);
// The node's markup (a document's without its declaration), after prefix when given;
// as UTF-8 it goes to a file without a detour through UTF-16.
QString nodeToString(_xmlNode* node, const char* prefix = nullptr);
QByteArray nodeToUtf8(_xmlNode* node);
// nodeToString's text as UTF-8, handed to write in parts as it is made, so a large
// document is never held whole a second time. What write throws is thrown.
void writeNode(_xmlNode* node, const char* prefix, const std::function<void(const char* data, size_t size)>& write);
// Position hints (see select) must be dropped when a node of doc is detached, and when
// doc is freed.
void structureChanged(_xmlDoc* doc);
// Keeps a node detached from doc until doc is freed (see XmlNode::remove).
// Elements and CDATA sections only: attribute nodes can be freed by libxml2 itself.
void keepDetached(_xmlDoc* doc, _xmlNode* node);
// Every place that puts a kept node into a tree must call this: a placed node is freed
// with the tree, never by forget().
void placed(_xmlDoc* doc, _xmlNode* node);
// Called just before doc is freed: drops its hints and frees its kept detached nodes.
void forget(_xmlDoc* doc);
}  // namespace xmlutil
