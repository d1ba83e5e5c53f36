#include "reports/bXMLSupport.h"

#include "core/FileUtil.h"
#include "core/KindsRead.h"
#include "core/bGlobal.h"
#include "core/XmlText.h"
#include "core/cXML.h"
#include "platform/Error.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QUrl>

#include <libexslt/exslt.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>

using platform::RuntimeError;
namespace err = platform::err;
using namespace bGlobal;

namespace bXMLSupport {

namespace {

// ---- placeholders and fixed texts ---------------------------------------------------
const QString kStylePlaceholder = QStringLiteral("<!-- Style content here -->");
const QString kNamePlaceholder = QStringLiteral("<!-- Your database name -->");
const QString kCSSPathPlaceholder = QStringLiteral("<!--Your CSS Path-->");
const QString kReportPlaceholder = QStringLiteral("<!-- Your report here -->");
const QString kMiddlePlaceholder = QStringLiteral("<!-- Your Middle Content Here -->");
const QString kTablesMarker = QStringLiteral("<!--Morvtableshere-->");

// The report's kinds in the order a split report numbers and pages them.
const QStringList kParseKinds = {QStringLiteral("TABLES"), QStringLiteral("INDEXES"), QStringLiteral("TRIGGERS"),
                                 QStringLiteral("VIEWS"), QStringLiteral("STORED_PROCEDURES")};

// The five lists of the report index document, in their order, with the selection
// of a one-page report, the wrapper kind that renders them and the structure
// document's element of their objects.
struct IndexList {
    QString list;
    QString pattern;
    QString kind;
    QString element;
};
const IndexList kIndexLists[] = {
    {QStringLiteral("TABLESLIST"), QStringLiteral("DATABASE/TABLE[@Report $eq$ 1]"), QStringLiteral("TABLES"),
     QStringLiteral("TABLE")},
    {QStringLiteral("VIEWSLIST"), QStringLiteral("DATABASE/VIEW[@Report $eq$ 1]"), QStringLiteral("VIEWS"),
     QStringLiteral("VIEW")},
    {QStringLiteral("STOREDPROCEDURESLIST"), QStringLiteral("DATABASE/STOREDPROCEDURE[@Report $eq$ 1]"),
     QStringLiteral("STORED_PROCEDURES"), QStringLiteral("STOREDPROCEDURE")},
    {QStringLiteral("TRIGGERSLIST"), QStringLiteral("DATABASE/TABLE/TRIGGER[@Report $eq$ 1]"), QStringLiteral("TRIGGERS"),
     QStringLiteral("TRIGGER")},
    {QStringLiteral("INDEXESLIST"), QStringLiteral("DATABASE/TABLE/INDEX[@Report $eq$ 1]"), QStringLiteral("INDEXES"),
     QStringLiteral("INDEX")},
};

// ---- module state (one report at a time) --------------------------------------------
QString gReportTemplateText;
QString gPageTemplateText;            // the object-page template, read at a report's first page
QString gReportHTML;
QString gReportDate;                  // taken once per report for the index and its comment
QHash<QString, XmlNode> gIndexLists;  // the list elements of oIndexXML by name
QHash<QString, int> gListCounts;      // children of each index list
QHash<QString, QString> gTableLinks;  // what ChangeTableLinks puts in place of "#anchor"

// Thrown after an error has gone to the error reporter, so the report stops without
// a second report of the same error.
struct Reported : std::exception {
    const char* what() const noexcept override { return "already reported"; }
};

// Runs a private procedure with its error trap: an error from outside the program (a
// file, a folder, the disk) passes to the caller, which tells it and ends the report;
// a fault of the program is reported with the procedure's name.
template <class F>
auto Guard(const char* procedure, F&& body) -> decltype(body()) {
    try {
        return body();
    } catch (const Reported&) {
        throw;
    } catch (const RuntimeError& e) {
        if (IsOutsideError(e.number())) throw;
        ShowError(e.number(), e.description(), QStringLiteral("bXMLSupport.") + QLatin1String(procedure));
        throw Reported{};
    } catch (const std::exception& e) {
        const auto [number, description] = Describe(e);
        ShowError(number, description, QStringLiteral("bXMLSupport.") + QLatin1String(procedure));
        throw Reported{};
    }
}

// ---- files --------------------------------------------------------------------------

// Makes a folder and its missing parents. False when it cannot be made for a reason
// other than permissions or a full disk (a file in the way, a bad name); those two
// are thrown.
bool MakeFolder(const QString& folder) {
    try {
        MakeFolders(folder);
        return true;
    } catch (const RuntimeError& e) {
        if (e.number() == err::PermissionDenied || e.number() == err::DiskFull) throw;
        return false;
    }
}

// Copies a file for the report; a target that already holds the same bytes (a report
// written again into its folder) is left as it is.
void CopyFile(const QString& source, const QString& target, Flush flush) {
    const QByteArray bytes = ReadFileBytes(source);
    const QFileInfo existing(target);
    if (existing.isFile() && existing.size() == bytes.size()) {
        try {
            if (ReadFileBytes(target) == bytes) return;
        } catch (const RuntimeError&) {
            // Unreadable: written over like any other file.
        }
    }
    WriteFileAtomic(target, bytes, flush);
}

// Copies every file under from into to (same relative paths), replacing files.
void CopyFolder(const QString& from, const QString& to, Flush flush) {
    if (!QFileInfo(from).isDir()) throw RuntimeError(err::PathNotFound, QStringLiteral("Path not found"));
    QDirIterator it(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (!MakeFolder(QFileInfo(target).path())) throw RuntimeError(76, QStringLiteral("Path not found"));
        CopyFile(source, target, flush);
    }
}

// ---- texts --------------------------------------------------------------------------

QString Slashes(QString path) { return path.replace(QLatin1Char('\\'), QLatin1Char('/')); }

QString AfterLastSlash(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString HtmlEscape(const QString& text) { return text.toHtmlEscaped(); }

// Undoes the escaping of an attribute value written by the HTML serializer.
QString HtmlUnescape(const QString& text) {
    if (!text.contains(QLatin1Char('&'))) return text;
    static const QRegularExpression entity(QStringLiteral("&(#[0-9]+|#[xX][0-9A-Fa-f]+|amp|lt|gt|quot|apos);"));
    QString out;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        const QString name = m.captured(1);
        if (name == QLatin1String("amp")) out += QLatin1Char('&');
        else if (name == QLatin1String("lt")) out += QLatin1Char('<');
        else if (name == QLatin1String("gt")) out += QLatin1Char('>');
        else if (name == QLatin1String("quot")) out += QLatin1Char('"');
        else if (name == QLatin1String("apos")) out += QLatin1Char('\'');
        else {
            bool ok = false;
            const uint code = name.at(1).toLower() == QLatin1Char('x') ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF) out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            else out += m.captured(0);
        }
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

// The database name as the first part of a page file name: characters that a file
// name, a link or the index document cannot hold become "_".
QString PageFileStem(const QString& name) {
    static const QString unsafe = QStringLiteral("/\\:*?\"<>|#%&");
    QString out = name;
    for (QChar& c : out)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || IsXmlIllegalChar(c.unicode()) || unsafe.contains(c))
            c = QLatin1Char('_');
    return out;
}

// A file name as the part of a link before "#".
QString FileReference(const QString& fileName) {
    QString out = fileName;
    out.replace(QLatin1Char('%'), QLatin1String("%25"));
    out.replace(QLatin1Char('#'), QLatin1String("%23"));
    out.replace(QLatin1Char('?'), QLatin1String("%3F"));
    return out;
}

// A link as it may stand between double quotes in a finished page.
QString LinkAttribute(const QString& link) {
    const qsizetype hash = link.indexOf(QLatin1Char('#'));
    const QString file = hash < 0 ? link : link.left(hash);
    const QString fragment = hash < 0 ? QString() : link.mid(hash);
    return QString::fromLatin1(QUrl::toPercentEncoding(file, "%")) + HtmlEscape(fragment);
}

QString ReportDateText() { return QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat); }

// ---- wrappers of the rendered report --------------------------------------------------

// One reported object as the report style sheet rendered it.
struct Wrapper {
    qsizetype start = 0;
    qsizetype end = 0;  // just after the end tag
    QString number;
    QString name;
    QString anchor;  // the Anchor attribute, else the name
};

// Every "morv" + kind wrapper of the rendered HTML, in document order. The object
// runs from its opening tag to the end of the next matching end tag.
QList<Wrapper> FindWrappers(const QString& html, const QString& kind) {
    const QString tag = QStringLiteral("morv") + kind.toLower();
    // Quoted attribute values may hold ">": the serializer keeps "<!-- ... -->" in a
    // value as it is.
    const QRegularExpression open(QStringLiteral("(<") + tag + QStringLiteral(" (?:[^>\"']|\"[^\"]*\"|'[^']*')*>)"),
                                  QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attribute(
        QStringLiteral("\\s+([A-Za-z_:][-A-Za-z0-9_:.]*)\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s\"'>]+))"));
    QList<Wrapper> out;
    for (auto it = open.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        Wrapper w;
        w.start = m.capturedStart(1);
        const QString openTag = m.captured(1);
        for (auto a = attribute.globalMatch(openTag, tag.size() + 1); a.hasNext();) {
            const auto am = a.next();
            const QString value = HtmlUnescape(am.captured(2) + am.captured(3) + am.captured(4));
            const QString key = am.captured(1);
            if (key.compare(QLatin1String("Number"), Qt::CaseInsensitive) == 0) w.number = value.trimmed();
            else if (key.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0) w.name = value;
            else if (key.compare(QLatin1String("Anchor"), Qt::CaseInsensitive) == 0) w.anchor = value;
        }
        if (w.anchor.isEmpty()) w.anchor = w.name;
        const QString endTag = QStringLiteral("</") + openTag.mid(1, tag.size()) + QLatin1Char('>');
        const qsizetype endAt = html.indexOf(endTag, w.start, Qt::CaseInsensitive);
        w.end = endAt < 0 ? html.size() : endAt + endTag.size();
        out.append(w);
    }
    return out;
}

// ---- the private procedures -----------------------------------------------------------

QString Singular(const QString& text) {
    return Guard("Singular", [&] {
        QString s = text.toUpper().remove(QLatin1Char('_'));
        s.replace(QLatin1String("TABLES"), QLatin1String("TABLE"));
        s.replace(QLatin1String("VIEWS"), QLatin1String("VIEW"));
        s.replace(QLatin1String("STOREDPROCEDURES"), QLatin1String("STOREDPROCEDURE"));
        s.replace(QLatin1String("TRIGGERS"), QLatin1String("TRIGGER"));
        s.replace(QLatin1String("INDEXES"), QLatin1String("INDEX"));
        return s;
    });
}

// A CSS setting names a file of the user's own when it is a full path; an installed
// style written with a leading separator ("\styles\x.css") is not one.
bool CSSIsOwnFile(const QString& setting) {
    return QDir::isAbsolutePath(setting) && !QFileInfo::exists(AppPath() + setting);
}

// The installed or chosen CSS file: a relative setting lies under AppPath().
QString CSSSourcePath() {
    const QString setting = Slashes(gReportCSSFile);
    if (CSSIsOwnFile(setting)) return setting;
    return AppPath() + QLatin1Char('/') + (setting.startsWith(QLatin1Char('/')) ? setting.mid(1) : setting);
}

// Where the report folder keeps its copy of the CSS file, relative to the folder;
// a file of the user's own goes to styles/.
QString CSSRelativePath() {
    const QString setting = Slashes(gReportCSSFile);
    if (CSSIsOwnFile(setting)) return QStringLiteral("styles/") + AfterLastSlash(setting);
    return setting.startsWith(QLatin1Char('/')) ? setting.mid(1) : setting;
}

QString GetCSSContent() {
    return Guard("GetCSSContent", [&] { return ReadTextFile(CSSSourcePath()); });
}

// Fills the template text and starts oIndexXML. sPath is the report file or folder.
void InitializeIndex(const QString& sPath) {
    Guard("InitializeIndex", [&] {
        QString cssPath = CSSRelativePath();
        const QString setting = Slashes(gReportCSSFile);
        const QString location = IsHtmlFileName(sPath) ? sPath.mid(sPath.lastIndexOf(QLatin1Char('/')))
                                                                          : sPath;
        if (!location.isEmpty()) {
            const qsizetype at = setting.toLower().indexOf(location.toLower());
            if (at >= 0) cssPath = setting.mid(at + location.size());
        }

        QString text = ReadTextFile(Slashes(gReportTemplateFile));
        if (text.contains(kStylePlaceholder)) text.replace(kStylePlaceholder, GetCSSContent());
        text.replace(kNamePlaceholder, HtmlEscape(gDatabaseName));
        text.replace(kCSSPathPlaceholder, HtmlEscape(cssPath));
        gReportTemplateText = text;

        gReportDate = ReportDateText();
        oIndexXML = std::make_shared<cXML>();
        oIndexXML->InitXMLFile(QStringLiteral("DATABASEINDEX"),
                               {QStringLiteral("Name=") + gDatabaseName, QStringLiteral("ServerName=") + gServerName,
                                QStringLiteral("ReportDate=") + gReportDate});
        if (!oIndexXML->HasDocument() || !oIndexXML->DocumentElement())
            throw RuntimeError(err::ObjectRequired, QStringLiteral("Object required"));
        gListCounts.clear();
        gIndexLists.clear();
    });
}

// Appends one empty list element to DATABASEINDEX; a kind the structure's import did
// not read gets NotRead "True", so that its count is not shown as none.
void AppendIndexList(const IndexList& l, int count) {
    XmlNode node = oIndexXML->CreateElement(l.list, {QStringLiteral("Count=") + QString::number(count)});
    if (!oIndexXML->AppendChild(QStringLiteral("DATABASEINDEX"), 0))
        throw RuntimeError(err::ObjectRequired, QStringLiteral("Object required"));
    if (!KindsRead::WasRead(oStructureXML->FindNode(QStringLiteral("DATABASE")), l.element))
        node.setAttribute(KindsRead::kNotRead, QStringLiteral("True"));
    gIndexLists.insert(l.list, node);
    gListCounts[l.list] = 0;
}

// Appends one entry to a list of the index document.
void AppendIndexEntry(const QString& list, const QString& element, const QString& name, const QString& link) {
    const auto found = gIndexLists.find(list);
    if (found == gIndexLists.end()) throw RuntimeError(err::ObjectRequired, QStringLiteral("Object required"));
    found->appendChild(oIndexXML->CreateElement(element, {QStringLiteral("Name=") + name, QStringLiteral("Link=") + link}));
    ++gListCounts[list];
}

// Writes each list's number of entries into its Count.
void SetIndexCounts() {
    for (auto it = gIndexLists.begin(); it != gIndexLists.end(); ++it)
        it->setAttribute(QStringLiteral("Count"), QString::number(gListCounts.value(it.key())));
}

QString GenerateIndex() {
    return Guard("GenerateIndex", [&] {
        const QString xslFile = Slashes(gIndexXSLFile);
        if (xslFile.isEmpty() || !QFileInfo(xslFile).isFile()) return QString();
        cXML xsl;
        xsl.LoadXMLFile(xslFile);
        return QStringLiteral("<!-- Morvalex 4.0 report generated on ") + gReportDate + QStringLiteral(" -->") +
               oIndexXML->ApplyXSL(xsl);
    });
}

// The report style sheet applied to a document; "" when it failed (the user has been
// told).
QString TransformReport(cXML& document) {
    cXML xsl;
    if (!xsl.LoadXMLFile(Slashes(gReportXSLFile))) {
        // An own layout that is no XML at all: the user learns which file it is.
        Critical(QStringLiteral("The style sheet ") + gReportXSLFile +
                 QStringLiteral(" could not be read. Please check the xsl that you have chosen to apply."));
        return QString();
    }
    return document.ApplyXSL(xsl);
}

// The report of an own layout: the layout's output over the objects chosen for the
// report, written as it comes, is the whole report (no contents, no page template).
bool SaveOwnLayout(const QString& sFile) {
    cXML chosen;
    if (!oStructureXML->CopySelected(chosen)) return false;
    const QString page = TransformReport(chosen);
    if (page.isEmpty()) return false;
    WriteTextFileAtomic(sFile, page);
    return true;
}

// Writes the one-page report: the contents with the report body where its marker
// stands. gReportHTML holds the transformed report.
bool SaveAsSingleHTML(const QString& sPath) {
    try {
        return Guard("SaveAsSingleHTML", [&] {
            // Links back to the contents lose their page: the contents are on this page.
            static const QRegularExpression toIndex(QStringLiteral("([\"'])index\\.html"));
            QString report = gReportHTML;
            report.replace(toIndex, QStringLiteral("\\1"));

            QString body = GenerateIndex();
            const QString inserted = QStringLiteral("<Br><br>") + report;
            // A contents page without the marker still gets the report, after it.
            if (body.contains(kTablesMarker)) body.replace(kTablesMarker, inserted);
            else body += inserted;

            QString page = gReportTemplateText;
            page.replace(kReportPlaceholder, body);
            static const QRegularExpression declaration(QStringLiteral("<\\?xml\\s[^>]*\\?>"));
            page.remove(declaration);
            WriteTextFileAtomic(sPath, page);
            return true;
        });
    } catch (const Reported&) {
        return false;
    } catch (const RuntimeError& e) {
        if (e.number() != err::PermissionDenied) throw;
        Critical(QStringLiteral("You dont have permission to save the html file ") + sPath + QLatin1Char('.'));
        return false;
    }
}

// An object page: the objects inside the object-page template inside the report
// template.
QString AddTitle(const QString& content) {
    return Guard("AddTitle", [&] {
        if (gPageTemplateText.isNull())
            gPageTemplateText = ReadTextFile(AppPath() + (gPrinterFriendly ? QStringLiteral("/Morvalexpf.template")
                                                                           : QStringLiteral("/Morvalex.template")));
        QString middle = gPageTemplateText;
        middle.replace(kMiddlePlaceholder, content);
        QString page = gReportTemplateText;
        page.replace(kReportPlaceholder, middle);
        return page;
    });
}

// Adds the objects of one page to the index document. The three lists run in step:
// the kind, the name and the anchor of each object.
void Append2IndexXML(const QString& link, const QStringList& kinds, const QStringList& names,
                     const QStringList& anchors) {
    Guard("Append2IndexXML", [&] {
        for (qsizetype i = 0; i < kinds.size(); ++i) {
            const QString list = (kinds[i] + QStringLiteral("List")).toUpper().remove(QLatin1Char('_'));
            AppendIndexEntry(list, Singular(kinds[i]), names.value(i), link + QLatin1Char('#') + anchors.value(i));
        }
    });
}

// Points the table links of a page at the pages that hold the tables (gTableLinks).
QString ChangeTableLinks(const QString& text) {
    return Guard("ChangeTableLinks", [&] {
        static const QRegularExpression local(QStringLiteral("\"#([^\"]*)\""));
        QString out;
        out.reserve(text.size() + text.size() / 8);
        qsizetype last = 0;
        for (auto it = local.globalMatch(text); it.hasNext();) {
            const auto m = it.next();
            const auto found = gTableLinks.constFind(m.captured(1));
            if (found == gTableLinks.constEnd()) continue;
            out += QStringView(text).mid(last, m.capturedStart() - last);
            out += QLatin1Char('"') + *found + QLatin1Char('"');
            last = m.capturedEnd();
        }
        out += QStringView(text).mid(last);
        return out;
    });
}

// Writes one page of a split report: the objects of the kinds listed (comma-separated)
// inside the page templates.
void SavePage(const QString& path, const QString& content, const QString& kinds) {
    const QString page = AddTitle(content);
    Guard("SaveAllParsedFiles", [&] {
        // The page's text as the index document would hold it.
        QString text = XmlSafeText(page);
        const QString title = kinds.toLower();
        if (title.contains(QLatin1String("table")) || title.contains(QLatin1String("trigger")) ||
            title.contains(QLatin1String("index")) || title.contains(QLatin1String("foreign key")))
            text = ChangeTableLinks(text);
        WriteTextFileAtomic(path, text, Flush::Later);
    });
}

// Cuts the transformed report into pages of gObjectsPerPage objects and writes them
// with index.html and index.xml into sFolder (ending in "/"); written ends with the
// flush of everything the report wrote.
bool ParseHTML(const QString& html, const QString& sFolder, FolderFlush& written) {
    try {
        return Guard("ParseHTML", [&] {
            // A page holds at least one object; settings below one fall back to the default.
            const qsizetype perPage = gObjectsPerPage >= 1 ? gObjectsPerPage : 5;
            InitializeIndex(sFolder);
            for (const IndexList& l : kIndexLists) AppendIndexList(l, 0);
            gPageTemplateText = QString();

            // Every object in page order; without a Number the running count names it.
            struct Object {
                const QString* kind;
                Wrapper wrapper;
            };
            QList<Object> objects;
            for (const QString& kind : kParseKinds)
                for (Wrapper& w : FindWrappers(html, kind)) {
                    if (w.number.isEmpty()) w.number = QString::number(objects.size() + 1);
                    objects.append({&kind, std::move(w)});
                }
            // Each page's file, named after its first and last object. Pages link to tables
            // on later pages, so where every table lands is known before a page is written;
            // a table is found by its anchor as the index document holds it.
            const QString stem = PageFileStem(gDatabaseName);
            QStringList fileNames;
            gTableLinks.clear();
            for (qsizetype first = 0; first < objects.size(); first += perPage) {
                const qsizetype end = std::min(first + perPage, objects.size());
                const QString fileName = stem + objects[first].wrapper.number + QStringLiteral("To") +
                                         objects[end - 1].wrapper.number + QStringLiteral(".html");
                fileNames << fileName;
                for (qsizetype i = first; i < end; ++i) {
                    if (*objects[i].kind != kParseKinds.first()) continue;
                    const QString anchor = XmlSafeText(objects[i].wrapper.anchor);
                    gTableLinks.insert(anchor, LinkAttribute(fileName + QLatin1Char('#') + anchor));
                }
            }

            for (qsizetype first = 0; first < objects.size(); first += perPage) {
                const QString& fileName = fileNames[first / perPage];
                QString content;
                QStringList names, kinds, anchors;
                for (qsizetype i = first; i < std::min(first + perPage, objects.size()); ++i) {
                    const Wrapper& w = objects[i].wrapper;
                    content += QStringView(html).mid(w.start, w.end - w.start);
                    names << w.name;
                    kinds << *objects[i].kind;
                    anchors << w.anchor;
                }
                Append2IndexXML(fileName, kinds, names, anchors);
                SavePage(sFolder + fileName, content, kinds.join(QLatin1Char(',')));
            }
            SetIndexCounts();

            WriteTextFileAtomic(sFolder + QStringLiteral("index.html"),
                               QString(gReportTemplateText).replace(kReportPlaceholder, GenerateIndex()), Flush::Later);
            WriteTextFileAtomic(sFolder + QStringLiteral("index.xml"), oIndexXML->GetXMLContent(), Flush::Later);
            written.flush();
            return true;
        });
    } catch (const Reported&) {
        return false;
    } catch (const RuntimeError& e) {
        if (e.number() != err::PermissionDenied) throw;
        Critical(QStringLiteral("You do not have enough permissions to write the file in ") + sFolder);
        return false;
    }
}

// Lists the reported objects of a one-page report in the index document. Each link
// takes the anchor the style sheet gave the object; objects it did not wrap keep
// their name.
void FillSingleIndex(const QString& fileName) {
    Guard("SaveAsHTML", [&] {
        const QString reference = FileReference(fileName);
        for (const IndexList& l : kIndexLists) {
            QHash<QString, QStringList> anchorsByName;
            for (const Wrapper& w : FindWrappers(gReportHTML, l.kind)) anchorsByName[w.name].append(w.anchor);
            const XmlNodeList nodes = oStructureXML->GetNodes(l.pattern);
            AppendIndexList(l, int(nodes.size()));
            for (const XmlNode& node : nodes) {
                if (node.attribute(QStringLiteral("Report")).trimmed().toDouble() != 1) continue;
                const QString name = node.attribute(QStringLiteral("Name"));
                QStringList& queue = anchorsByName[name];
                const QString anchor = queue.isEmpty() ? name : queue.takeFirst();
                AppendIndexEntry(l.list, node.nodeName(), name, reference + QLatin1Char('#') + anchor);
            }
            gIndexLists[l.list].setAttribute(QStringLiteral("Count"), QString::number(nodes.size()));
        }
    });
}

void RegisterExtensions() {
    static std::once_flag once;
    std::call_once(once, [] { exsltRegisterAll(); });
}

}  // namespace

bool IsHtmlFileName(const QString& path) {
    const QString name = path.mid(std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\'))) + 1).toLower();
    return name.endsWith(QLatin1String(".html")) || name.endsWith(QLatin1String(".htm"));
}

bool SaveAsHTML(const QString& sPath, bool bSplit) {
    RegisterExtensions();
    // What one report keeps between its steps is let go when it ends.
    struct ReportState {
        ~ReportState() {
            gPageTemplateText = QString();
            gIndexLists.clear();
            gTableLinks.clear();
        }
    } state;
    const QString path = Slashes(sPath);
    QString folder = IsHtmlFileName(path) ? path.left(path.lastIndexOf(QLatin1Char('/')) + 1) : path;
    if (folder.isEmpty()) folder = QStringLiteral("./");
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    // A report that fails takes away what it added to the folder.
    AddedFiles added;
    try {
        if (!oStructureXML || !oStructureXML->HasDocument())
            throw RuntimeError(err::ObjectRequired, QStringLiteral("Object variable or With block variable not set"));

        for (const QString& sub : {QString(), QStringLiteral("images/"), QStringLiteral("styles/")}) {
            if (!MakeFolder(folder + sub)) {
                Critical(QStringLiteral("Enable to create folder in the target directory ") + folder + sub);
                return false;
            }
        }
        // The many files of a paged report go to disk in one flush at its end; a one-page
        // report flushes each of its few files, which on a busy disk costs less than a
        // flush of the whole file system.
        std::optional<FolderFlush> written;
        if (bSplit) written.emplace(folder);
        const Flush flush = bSplit ? Flush::Later : Flush::EachFile;
        CopyFolder(AppPath() + QStringLiteral("/images"), folder + QStringLiteral("images"), flush);

        const QString cssSource = CSSSourcePath();
        const QString cssTarget = folder + CSSRelativePath();
        if (QDir::cleanPath(cssSource).toLower() != QDir::cleanPath(cssTarget).toLower()) {
            if (!MakeFolder(QFileInfo(cssTarget).path())) throw RuntimeError(76, QStringLiteral("Path not found"));
            CopyFile(cssSource, cssTarget, flush);
        }

        gReportHTML.clear();
        const bool done = [&] {
            if (gOwnXSL) {
                // A split report is then that one page, as the folder's index.html.
                const bool saved = SaveOwnLayout(bSplit ? folder + QStringLiteral("index.html") : path);
                if (saved && written) written->flush();
                return saved;
            }
            if (bSplit) {
                gReportHTML = TransformReport(*oStructureXML);
                return !gReportHTML.isEmpty() && ParseHTML(gReportHTML, folder, *written);
            }
            InitializeIndex(path);
            gReportHTML = TransformReport(*oStructureXML);
            if (gReportHTML.isEmpty()) return false;
            FillSingleIndex(AfterLastSlash(path));
            return SaveAsSingleHTML(path);
        }();
        gReportHTML.clear();
        if (done) added.Keep();
        return done;
    } catch (const Reported&) {
        gReportHTML.clear();
        return false;
    } catch (const std::exception& e) {
        gReportHTML.clear();
        const long number = Describe(e).first;
        if (number == err::PermissionDenied) {
            Critical(QStringLiteral("You dont have permission to save the html file in ") + folder + QLatin1Char('.'));
            return false;
        }
        CommandError(e, QStringLiteral("bXMLSupport.SaveAsHTML"), QStringLiteral("The report could not be saved. "));
        return false;
    }
}

}  // namespace bXMLSupport
