#pragma once
// The one class through which the program builds, queries, transforms and saves its
// XML documents. Each object holds one document. Paths are XSL Patterns: positions in
// square brackets count from 0 and "$eq$" means equality.
//
// Documents are built one element at a time: CreateElement makes the current element,
// AppendChild(parent path, 0-based number) hangs it in the tree. Attribute lists are
// "name=value" texts split at the first "=".

#include "core/XmlNode.h"

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <memory>

// An attribute of a new element: its name (as written in the program) and its value.
struct XmlAttribute {
    const char* name;
    QString value;
};

class cXML {
public:
    cXML();
    ~cXML();
    cXML(const cXML&) = delete;
    cXML& operator=(const cXML&) = delete;

    // False, leaving an empty document, for a text that does not parse, carries a DTD
    // or nests elements more than 256 levels deep.
    bool LoadXMLContent(const QString& sTempXMLContent);
    bool LoadXMLFile(const QString& sXMLFileName);
    XmlNode InitXMLFile(const QString& sRootName, const QStringList& aAttributes);
    XmlNode CreateElement(const QString& sElementName, const QStringList& aAttributes = {});
    // CreateElement for attributes already apart: nothing to split, nothing to join.
    XmlNode NewElement(const QString& sElementName, std::initializer_list<XmlAttribute> attributes);
    bool AppendChild(const QString& sParentNodeName, int iParentNodeNumber);
    XmlNode CreateCDataElement(const QString& sCDATAContent);
    void AppendCDataElement(const QString& sNodeName, int iNodeNumber);
    void CreateXMLFile(const QString& sFileName);
    QString GetHTMLOutput(const QString& sXSLFileName);

    void SetXMLFileName(const QString& v) { m_fileName = v; }
    void AllowMultipleXMLs(bool v) { m_multiple = v; }
    void SetXMLFolderName(const QString& v) { m_folderName = v; }
    QString GetXMLFileName() const { return m_fileName; }
    bool GetAllowMultipleXMLs() const { return m_multiple; }
    QString GetXMLFolderName() const { return m_folderName; }

    // Writes the DATABASE element (all of it, or only the objects marked Report 1) to a
    // file, without the Report and Migrate attributes below DATABASE. A file that may
    // not be written or a full disk is told to the user; the old file stays.
    void SaveXML(const QString& sPXMLFileName, bool bSelected);
    // Loads into oTarget the DATABASE element with the objects SaveXML(..., true)
    // writes, their Report and Migrate attributes kept. False after an error has been
    // reported.
    bool CopySelected(cXML& oTarget);
    QString GetXMLContent();
    // Writes GetXMLContent's text as UTF-8 over the file (WriteFileAtomic), without
    // holding it whole in memory. Throws platform::RuntimeError when it cannot.
    void WriteXMLFile(const QString& sFileName);
    void AddNameSpace(const QString& sNameSpaceName, const QString& sURI);
    void SetCDataContent(const QString& sCDATAContent, const QString& sTargetXPath);
    XmlNode FindNode(const QString& sXPath);
    void ChangeAttributeValue(XmlNode sSourceNode, const QString& sNewAttributeValue);
    // The document transformed by the style sheet held in oXSLDOM; "" after telling
    // the user when the transform fails.
    QString ApplyXSL(cXML& oXSLDOM);
    // The same transform, telling nobody: ok is false when it failed. Neither document
    // is changed, so it may run on any thread while no other touches the two.
    QString Transformed(const cXML& oXSLDOM, bool& ok) const;
    void RemoveNode(const QString& sRemoveXPath);
    XmlNode AppendNode(const XmlNode& oSourceNode, const QString& sParentXPath);
    XmlNodeList GetNodes(const QString& sXPath);
    QString RemoveXPath(const QString& sParentXPath, const QString& sChildXPath);
    bool AddXSLProcessingInstruction(const QString& sTempXSLFileName);
    bool CloseXML();
    bool AppendRootNode(const XmlNode& oTempRootNode, const QString& sTempXSLFile);
    XmlNode CreateNewAttribute(const QString& sTempAttributeName, const QString& sTempAttributeValue);

    // The document element, or an empty node.
    XmlNode DocumentElement() const;
    bool HasDocument() const { return m_doc != nullptr; }
    const std::shared_ptr<_xmlDoc>& Document() const { return m_doc; }

private:
    void NewDocument();
    // Makes a new current element, its attributes set by applyAttributes(element).
    template <class Apply>
    XmlNode StartElement(const QString& sElementName, Apply&& applyAttributes);
    void RequireDocument() const;
    // The XML declaration the document's text starts with, or null when it has none.
    const char* Declaration() const;
    void RemoveUnwantedAttributes(_xmlNode* node);
    // False after reporting an error (a Report value that is not a number).
    bool AddSelectedChildren();
    // Makes m_outDoc: the DATABASE element with all it holds, or with the selected
    // objects only. False after reporting an error.
    bool CopyDatabase(bool bSelected);
    void ReleaseCopy();
    bool Adopt(std::shared_ptr<_xmlDoc> doc, bool declaration);

    std::shared_ptr<_xmlDoc> m_doc;
    _xmlNode* m_root = nullptr;
    _xmlNode* m_current = nullptr;
    _xmlNode* m_cdata = nullptr;
    bool m_declaration = false;
    // Used only while SaveXML runs.
    std::shared_ptr<_xmlDoc> m_outDoc;
    _xmlNode* m_outDatabase = nullptr;
    _xmlNode* m_srcDatabase = nullptr;

    QString m_fileName;
    QString m_folderName;
    bool m_multiple = false;
};

// Applies one attribute-list entry ("name=value") to an element; empty entries are
// skipped and an entry without "=" raises an error.
void ApplyAttributeList(_xmlNode* element, const QStringList& aAttributes);
void ApplyAttributes(_xmlNode* element, std::initializer_list<XmlAttribute> attributes);
