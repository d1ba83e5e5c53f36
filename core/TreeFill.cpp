#include "core/TreeFill.h"

#include "core/bGlobal.h"
#include "platform/Error.h"

#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QWidget>
#include <libxml/tree.h>

namespace {

constexpr long kElementNotFound = 35601;
const char* const kNodeCount = "TreeNodes.count";
// Data role of a folder whose child nodes are still to be made: its number in the
// tree's registry of such folders.
constexpr int kPendingRole = TreeNodes::ImageRole + 1;

// What a folder needs to make its child nodes later: its element, the index its first
// descendant gets and how many descendants it has.
struct PendingFolder {
    QWidget* window = nullptr;  // the tree's window, alive while the tree is
    XmlNode element;
    int first = 0;
    int size = 0;
};

// The folders of one tree whose child nodes are still to be made; a child of the tree,
// emptied when the tree is cleared. Expanding such a folder fills it.
class PendingFolders : public QObject {
public:
    explicit PendingFolders(QTreeWidget* tree) : QObject(tree) {
        setObjectName(QStringLiteral("TreeNodes.pending"));
        connect(tree, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* node) { TreeNodes::EnsureFilled(node); });
    }
    static PendingFolders* Of(const QTreeWidget* tree) {
        return tree ? tree->findChild<PendingFolders*>(QStringLiteral("TreeNodes.pending"), Qt::FindDirectChildrenOnly) : nullptr;
    }
    static PendingFolders& Make(QTreeWidget* tree) {
        PendingFolders* folders = Of(tree);
        return folders ? *folders : *new PendingFolders(tree);
    }
    // The pending folder of node, null when node is not one.
    static const PendingFolder* Find(const QTreeWidgetItem* node) {
        if (!node) return nullptr;
        const QVariant id = node->data(0, kPendingRole);
        if (!id.isValid()) return nullptr;
        const PendingFolders* folders = Of(node->treeWidget());
        if (!folders) return nullptr;
        const auto it = folders->m_folders.constFind(id.toInt());
        return it == folders->m_folders.constEnd() ? nullptr : &*it;
    }
    int Add(const PendingFolder& folder) {
        m_folders.insert(++m_last, folder);
        return m_last;
    }
    void Remove(int id) { m_folders.remove(id); }
    void Clear() { m_folders.clear(); }

private:
    QHash<int, PendingFolder> m_folders;
    int m_last = 0;
};

// True when one of element's descendants has that Key (as UTF-8).
bool holdsKey(const xmlNode* element, const QByteArray& key) {
    for (const xmlNode* child = element->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        if (const xmlAttr* attr = xmlHasProp(child, reinterpret_cast<const xmlChar*>("Key"))) {
            const xmlNode* value = attr->children;
            const char* text =
                value && value->type == XML_TEXT_NODE && !value->next ? reinterpret_cast<const char*>(value->content) : nullptr;
            if (text) {
                if (key == text) return true;
            } else if (xmlChar* whole = xmlGetProp(child, reinterpret_cast<const xmlChar*>("Key"))) {
                const bool same = key == reinterpret_cast<const char*>(whole);
                xmlFree(whole);
                if (same) return true;
            }
        }
        if (child->children && holdsKey(child, key)) return true;
    }
    return false;
}

[[noreturn]] void elementNotFound() {
    throw platform::RuntimeError(kElementNotFound, QStringLiteral("Element not found"));
}

[[noreturn]] void objectRequired() {
    throw platform::RuntimeError(platform::err::ObjectRequired, QStringLiteral("Object variable or With block variable not set"));
}

QString required(const XmlNode& node, const QString& name) {
    if (!node.hasAttribute(name)) objectRequired();
    return node.attribute(name);
}

// A node that is in no tree yet: its data changes tell no view.
QTreeWidgetItem* newNode(int index, const QString& key, const QString& text, const QString& imageKey, const QIcon& image) {
    auto* node = new QTreeWidgetItem;
    node->setText(0, text);
    node->setData(0, TreeNodes::KeyRole, key);
    node->setData(0, TreeNodes::IndexRole, index);
    if (!imageKey.isEmpty()) TreeNodes::SetImage(node, imageKey, image);
    return node;
}

}  // namespace

// ---- ImageList ---------------------------------------------------------------------

void ImageList::LoadFolder(const QString& folder, const QStringList& keys) {
    for (const QString& key : keys) {
        QSvgRenderer svg(folder + QLatin1Char('/') + key + QStringLiteral(".svg"));
        if (!svg.isValid()) continue;
        QIcon icon;
        for (int size : {16, 20, 24, 32, 48, 64}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            svg.render(&painter);
            painter.end();
            icon.addPixmap(pixmap);
        }
        Add(key, icon);
    }
}

void ImageList::Add(const QString& key, const QIcon& icon) {
    if (!m_icons.contains(key)) m_keys.append(key);
    m_icons.insert(key, icon);
}

QIcon ImageList::Image(const QString& key) const {
    const auto it = m_icons.constFind(key);
    if (it == m_icons.constEnd()) elementNotFound();
    return *it;
}

// ---- TreeNodes ---------------------------------------------------------------------

namespace TreeNodes {

void Clear(QTreeWidget* tree) {
    if (PendingFolders* folders = PendingFolders::Of(tree)) folders->Clear();
    tree->clear();
    tree->setProperty(kNodeCount, 0);
}

QTreeWidgetItem* Add(QTreeWidget* tree, QTreeWidgetItem* relative, const QString& key, const QString& text,
                     const QString& imageKey, const QIcon& image) {
    const int index = tree->property(kNodeCount).toInt() + 1;
    tree->setProperty(kNodeCount, index);
    QTreeWidgetItem* node = newNode(index, key, text, imageKey, image);
    if (relative)
        relative->addChild(node);
    else
        tree->addTopLevelItem(node);
    return node;
}

QString Key(const QTreeWidgetItem* node) { return node ? node->data(0, KeyRole).toString() : QString(); }
QString Tag(const QTreeWidgetItem* node) { return node ? node->data(0, TagRole).toString() : QString(); }
void SetTag(QTreeWidgetItem* node, const QString& tag) { node->setData(0, TagRole, tag); }
int Index(const QTreeWidgetItem* node) { return node ? node->data(0, IndexRole).toInt() : 0; }
QString ImageKey(const QTreeWidgetItem* node) { return node ? node->data(0, ImageRole).toString() : QString(); }

void SetImage(QTreeWidgetItem* node, const QString& imageKey, const QIcon& image) {
    node->setData(0, ImageRole, imageKey);
    node->setIcon(0, image);
}

// A folder still to be filled is filled before the walk goes on into it, when it holds
// the node looked for.
QTreeWidgetItem* FindByKey(QTreeWidget* tree, const QString& key) {
    const QByteArray utf8 = key.toUtf8();
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, KeyRole).toString() == key) return *it;
        if (const PendingFolder* folder = PendingFolders::Find(*it); folder && holdsKey(folder->element.raw(), utf8)) EnsureFilled(*it);
    }
    return nullptr;
}

QTreeWidgetItem* FindByIndex(QTreeWidget* tree, int index) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, IndexRole).toInt() == index) return *it;
        if (const PendingFolder* folder = PendingFolders::Find(*it);
            folder && index >= folder->first && index < folder->first + folder->size)
            EnsureFilled(*it);
    }
    return nullptr;
}

bool HasChildren(const QTreeWidgetItem* node) { return node && (node->childCount() > 0 || PendingFolders::Find(node)); }

void EnsureVisible(QTreeWidgetItem* node) {
    for (QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent()) p->setExpanded(true);
}

}  // namespace TreeNodes

// ---- DisplayNodes ------------------------------------------------------------------

namespace bGlobal {

namespace {

// One fill. Nodes are counted here and the count is handed back to the tree at the
// end; the nodes to make visible are expanded once they are in the tree.
struct Fill {
    QWidget& window;
    QTreeWidget* tree = nullptr;
    const ImageList* images = nullptr;  // set on the main window only
    bool mainWindow = false;
    // Folders of many objects get their nodes when first expanded (main window only):
    // those with at least deferFrom nodes below them.
    bool defer = false;
    int deferFrom = TreeNodes::kDeferredFolderNodes;
    int count = 0;
    QList<QTreeWidgetItem*> visible{};
    // gShownNames as the fill found it, and the connections placed since by label
    // (case folded).
    QString shownBefore{};
    QHash<QString, int> shown{};

    QTreeWidgetItem* Make(const QString& key, const QString& text, const QString& imageKey = QString(), const QIcon& image = QIcon()) {
        return newNode(++count, key, text, imageKey, image);
    }
    // Counts a connection labelled name: how many connections carry that label,
    // compared as plain text ignoring case, this one and those in shownBefore included.
    int Placed(const QString& name) {
        int& placed = shown[name.toCaseFolded()];
        if (placed == 0 && !shownBefore.isEmpty()) placed = CountShownName(shownBefore, name);
        return ++placed;
    }
};

// The number of element descendants of element, -1 when one of them is a group or a
// connection (such a subtree is always made at once).
int deferrableSize(const xmlNode* element) {
    int size = 0;
    for (const xmlNode* child = element->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        const auto* name = reinterpret_cast<const char*>(child->name);
        if (qstrcmp(name, "DATABASEGROUP") == 0 || qstrcmp(name, "DATABASECONNECTION") == 0) return -1;
        ++size;
        if (child->children) {
            const int below = deferrableSize(child);
            if (below < 0) return -1;
            size += below;
        }
    }
    return size;
}

// Hangs a node under its parent node when it goes out of scope: after its subtree has
// been built, or when building it failed.
struct Hang {
    QTreeWidgetItem* parent;
    QTreeWidgetItem* node;
    ~Hang() { parent->addChild(node); }
};

// Adds the nodes for the children of parent below relative (the node of parent).
// Each child's subtree is built before it is hung under relative, so a tree shown
// takes in a whole subtree at once instead of one node at a time.
void addChildren(Fill& fill, const XmlNode& parent, QTreeWidgetItem* relative) {
    for (const XmlNode& child : parent.childElements()) {
        const QString key = required(child, QStringLiteral("Key"));
        const QString rhxpath = required(child, QStringLiteral("RHXPath"));
        const QString name = child.attribute(QStringLiteral("Name"));
        const QString element = child.nodeName();
        QTreeWidgetItem* node = nullptr;

        if (!fill.mainWindow) {
            node = fill.Make(key, name);
        } else if (element != QLatin1String("DATABASECONNECTION")) {
            node = fill.Make(key, name, element, fill.images->Image(element));
        } else {
            gShownNames += QLatin1Char('<') + name + QLatin1Char('>');
            const int count = fill.Placed(name);
            const QString label = count < 2 ? name : name + QStringLiteral(" (") + QString::number(count - 1) + QLatin1Char(')');
            const int group = PositionOf(required(parent, QStringLiteral("RHXPath")));
            const int connection = PositionOf(rhxpath);
            // A value of one blank is "no value" in the tree document.
            const bool loaded = !child.attribute(QStringLiteral("TempXMLFileName")).trimmed().isEmpty();
            const QString image = loaded ? QStringLiteral("DATABASECONNECTION") : QStringLiteral("DATABASECONNECTION_STOPPED");
            node = fill.Make(key, label, image, fill.images->Image(image));
            if (group == gGroupIndex && connection == gConnectionIndex)
                fill.window.setProperty("iCurrentNodeIndex", TreeNodes::Index(node));
        }
        const Hang hang{relative, node};

        TreeNodes::SetTag(node, rhxpath);
        if (IsLevelCode(rhxpath) && LevelCodeValue(rhxpath) < 5) fill.visible << node;

        if (!child.hasChildNodes()) {
            if (element == QLatin1String("DATABASEGROUP"))
                node->addChild(fill.Make(QStringLiteral("NoItem_") + key, QStringLiteral("(No Item)")));
            continue;
        }
        if (fill.defer && element != QLatin1String("DATABASEGROUP") && element != QLatin1String("DATABASECONNECTION") &&
            element != QLatin1String("DATABASESTRUCTURES")) {
            // The indexes of the folder's descendants are kept for them.
            if (const int size = deferrableSize(child.raw()); size >= fill.deferFrom) {
                node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
                const int id = PendingFolders::Make(fill.tree).Add(PendingFolder{&fill.window, child, fill.count + 1, size});
                node->setData(0, kPendingRole, id);
                fill.count += size;
                continue;
            }
        }
        addChildren(fill, child, node);
    }
}

// Hands the fill's node count to the tree and makes its nodes visible, also after a
// failure.
struct Finish {
    Fill& fill;
    ~Finish() {
        fill.tree->setProperty(kNodeCount, fill.count);
        for (QTreeWidgetItem* node : std::as_const(fill.visible)) TreeNodes::EnsureVisible(node);
    }
};

}  // namespace

void DisplayNodes(QWidget& window, const XmlNode& parent) {
    Trap(QStringLiteral("bGlobal.DisplayNodes"), [&] {
        if (!parent) return;
        Fill fill{window};
        fill.tree = window.findChild<QTreeWidget*>(QStringLiteral("trvMain"));
        if (!fill.tree) objectRequired();
        fill.mainWindow = window.objectName().toLower() == QLatin1String("frmdatabaseexplorer");
        if (fill.mainWindow) {
            fill.images = window.findChild<ImageList*>(QStringLiteral("imlTreeIcons"));
            if (!fill.images) objectRequired();
        }
        QTreeWidgetItem* relative = TreeNodes::FindByKey(fill.tree, required(parent, QStringLiteral("Key")));
        if (!relative) elementNotFound();
        fill.count = fill.tree->property(kNodeCount).toInt();
        fill.defer = fill.mainWindow;
        fill.shownBefore = gShownNames;
        const Finish finish{fill};
        addChildren(fill, parent, relative);
    });
}

}  // namespace bGlobal

namespace TreeNodes {

void EnsureFilled(QTreeWidgetItem* node) {
    const PendingFolder* pending = PendingFolders::Find(node);
    if (!pending) return;
    const PendingFolder folder = *pending;
    QTreeWidget* tree = node->treeWidget();
    PendingFolders::Of(tree)->Remove(node->data(0, kPendingRole).toInt());
    node->setData(0, kPendingRole, QVariant());
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    bGlobal::Trap(QStringLiteral("bGlobal.DisplayNodes"), [&] {
        QWidget* window = folder.window;
        bGlobal::Fill fill{*window};
        fill.tree = tree;
        fill.mainWindow = true;
        fill.images = window->findChild<ImageList*>(QStringLiteral("imlTreeIcons"));
        if (!fill.images) objectRequired();
        fill.count = folder.first - 1;
        // Below a large folder every object's own children wait for their turn too.
        fill.defer = true;
        fill.deferFrom = 1;
        // The children are built apart and taken in at once.
        QTreeWidgetItem holder;
        bGlobal::addChildren(fill, folder.element, &holder);
        node->addChildren(holder.takeChildren());
    });
}

}  // namespace TreeNodes
