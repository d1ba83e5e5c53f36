#include "explorer/ExplorerWidgets.h"

#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrl>

int vbButton(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int vbShift(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0) | (m & Qt::AltModifier ? 4 : 0);
}

namespace {
constexpr float kTwipsPerPixel = 15.0f;

// Only HTML pages are rendered; any other file (XML, plain text) is shown as its
// text, as a browser shows a file's source, so markup inside it is never interpreted.
bool showsAsText(const QUrl& target) {
    const QString suffix = QFileInfo(target.path()).suffix().toLower();
    return target.isLocalFile() && suffix != QLatin1String("html") && suffix != QLatin1String("htm");
}

void showText(QTextBrowser* browser, const QUrl& target) {
    QFile file(target.toLocalFile());
    browser->setPlainText(file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString());
}
}  // namespace

// ---- WebBrowser ---------------------------------------------------------------------

WebBrowser::WebBrowser(QWidget* parent) : QTextBrowser(parent), m_location(QStringLiteral("about:blank")) {
    setOpenExternalLinks(false);
    setOpenLinks(false);
}

void WebBrowser::Navigate(const QString& url) {
    if (url.isEmpty() || url == QLatin1String("about:blank")) {
        clear();
        setSource(QUrl());
        m_location = QStringLiteral("about:blank");
        return;
    }
    const QUrl target = url.startsWith(QLatin1String("file:")) ? QUrl(url) : QUrl::fromLocalFile(url);
    m_location = url;
    if (showsAsText(target)) {
        showText(this, target);
        return;
    }
    setSource(target);
}

void WebBrowser::Refresh() {
    if (m_location == QLatin1String("about:blank")) return;
    const QUrl target = m_location.startsWith(QLatin1String("file:")) ? QUrl(m_location) : QUrl::fromLocalFile(m_location);
    if (showsAsText(target))
        showText(this, target);
    else
        reload();
}

// ---- SplitterBar --------------------------------------------------------------------

SplitterBar::SplitterBar(Qt::Orientation orientation, QWidget* parent) : QWidget(parent), m_orientation(orientation) {
    setCursor(orientation == Qt::Vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void SplitterBar::send(const Handler& h, QMouseEvent* e, int button) {
    if (!h) return;
    const QPointF p = e->position();
    h(button, vbShift(e->modifiers()), float(p.x()) * kTwipsPerPixel, float(p.y()) * kTwipsPerPixel);
}

void SplitterBar::mousePressEvent(QMouseEvent* e) { send(onMouseDown, e, vbButton(e->button())); }
void SplitterBar::mouseMoveEvent(QMouseEvent* e) {
    send(onMouseMove, e, e->buttons() & Qt::LeftButton ? 1 : 0);
}
void SplitterBar::mouseReleaseEvent(QMouseEvent* e) { send(onMouseUp, e, vbButton(e->button())); }

void SplitterBar::paintEvent(QPaintEvent*) {
    // A quiet grip of three dots in the middle of the bar.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(palette().color(QPalette::Mid));
    const QPointF c = QRectF(rect()).center();
    for (int i = -1; i <= 1; ++i) {
        const QPointF at = m_orientation == Qt::Vertical ? QPointF(c.x(), c.y() + i * 5) : QPointF(c.x() + i * 5, c.y());
        p.drawEllipse(at, 1.2, 1.2);
    }
}

// ---- BusyPicture --------------------------------------------------------------------

BusyPicture::BusyPicture(QWidget* parent) : QWidget(parent), m_location(QStringLiteral("about:blank")) {}

BusyPicture::~BusyPicture() { delete m_svg; }

void BusyPicture::Navigate(const QString& url) {
    delete m_svg;
    m_svg = nullptr;
    m_step = 0;
    m_location = url.isEmpty() ? QStringLiteral("about:blank") : url;
    if (m_location != QLatin1String("about:blank")) {
        m_svg = new QSvgRenderer(m_location);
        if (!m_svg->isValid()) {
            delete m_svg;
            m_svg = nullptr;
        }
    }
    update();
}

void BusyPicture::Refresh() {
    ++m_step;
    update();
}

void BusyPicture::paintEvent(QPaintEvent*) {
    if (!m_svg) return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const int side = qMin(width(), height()) - 8;
    const QRectF box(-side / 2.0, -side / 2.0, side, side);
    p.translate(QRectF(rect()).center());
    // Half a tooth pitch of the eight-toothed gear per step: it seems to turn evenly.
    p.rotate(22.5 * (m_step % 16));
    m_svg->render(&p, box);
}

void KeyboardTree::keyPressEvent(QKeyEvent* e) {
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::keyPressEvent(e);
    QTreeWidgetItem* after = currentItem();
    if (after && after != before) emit currentChangedByKey(after);
}
