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

QString fileText(const QUrl& target) {
    QFile file(target.toLocalFile());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A text as blocks of `lines` lines, each but the last ending in its line break.
QStringList lineBlocks(const QString& text, int lines) {
    QStringList blocks;
    qsizetype start = 0, at = 0;
    int count = 0;
    while ((at = text.indexOf(QLatin1Char('\n'), at)) >= 0) {
        ++at;
        if (++count == lines) {
            blocks << text.mid(start, at - start);
            start = at;
            count = 0;
        }
    }
    if (start < text.size() || blocks.isEmpty()) blocks << text.mid(start);
    return blocks;
}

QUrl targetOf(const QString& location) {
    return location.startsWith(QLatin1String("file:")) ? QUrl(location) : QUrl::fromLocalFile(location);
}
}  // namespace

// ---- WebBrowser ---------------------------------------------------------------------

WebBrowser::WebBrowser(QWidget* parent)
    : QTextBrowser(parent), m_location(QStringLiteral("about:blank")), m_timer(new QTimer(this)) {
    setOpenExternalLinks(false);
    setOpenLinks(false);
    m_timer->setSingleShot(true);
    m_timer->setInterval(0);
    connect(m_timer, &QTimer::timeout, this, [this] { step(); });
}

void WebBrowser::Navigate(const QString& url) {
    Stop();
    if (url.isEmpty() || url == QLatin1String("about:blank")) {
        m_steps = {};
        m_next = 0;
        clear();
        setSource(QUrl());
        m_location = QStringLiteral("about:blank");
        return;
    }
    m_location = url;
    load(targetOf(url));
}

void WebBrowser::Refresh() {
    if (m_location == QLatin1String("about:blank")) return;
    Stop();
    load(targetOf(m_location));
}

void WebBrowser::Stop() {
    m_timer->stop();
    m_next = m_steps.pieces.size();
}

void WebBrowser::Complete() {
    m_timer->stop();
    if (Busy()) append(m_steps.pieces.size());
}

void WebBrowser::load(const QUrl& target) {
    m_target = target;
    m_plain = showsAsText(target);
    const QString text = fileText(target);
    m_steps = {};
    if (m_plain) {
        m_steps.pieces = lineBlocks(text, kLinesPerStep);
        m_next = 1;
        setPlainText(m_steps.pieces.constFirst());
    } else {
        m_steps = PageSteps::Split(text);
        m_next = qMin<qsizetype>(kPiecesPerStep, m_steps.pieces.size());
        document()->setBaseUrl(target);
        setHtml(m_steps.First(m_next));
    }
    if (Busy()) m_timer->start();
}

void WebBrowser::step() {
    append(qMin<qsizetype>(m_next + (m_plain ? 1 : kPiecesPerStep), m_steps.pieces.size()));
    if (Busy())
        m_timer->start();
}

void WebBrowser::append(qsizetype to) {
    // A cursor of its own, so the view's cursor and scroll position stay where they are.
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    if (m_plain) {
        QString text;
        for (qsizetype i = m_next; i < to; ++i) text += m_steps.pieces.at(i);
        end.insertText(text);
    } else {
        end.insertHtml(m_steps.Fragment(m_next, to));
    }
    m_next = to;
}

QVariant WebBrowser::loadResource(int type, const QUrl& name) {
    const QUrl resolved = name.isRelative() && m_target.isValid() ? m_target.resolved(name) : name;
    QVariant resource = QTextBrowser::loadResource(type, resolved);
    // A preview page uses only the preview's rules of the report style sheet; matching
    // the others against every element of a long page would cost for nothing.
    if (type == QTextDocument::StyleSheetResource && m_steps.Cut() && resource.isValid()) {
        const QString css = resource.typeId() == QMetaType::QByteArray ? QString::fromUtf8(resource.toByteArray()) : resource.toString();
        resource = PageSteps::PreviewRules(css);
    }
    return resource;
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
