#pragma once
// Small widgets of the main window: the browser panes, the splitter bars and the busy
// picture. Window thread only.

#include "core/Hourglass.h"
#include "explorer/PageSteps.h"

#include <QApplication>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <functional>

class QSvgRenderer;


// Visual Basic's code of a mouse button (1 left, 2 right, 4 middle, 0 any other) and
// its shift mask of the modifier keys (1 Shift, 2 Ctrl, 4 Alt).
int vbButton(Qt::MouseButton b);
int vbShift(Qt::KeyboardModifiers m);

// A read-only page view with the browser operations the window uses: it navigates to
// a local file or to "about:blank" (an empty page) and remembers where it is. HTML
// pages (.html, .htm) are rendered; other files are shown as their plain text.
//
// A long page fills in over several turns of the event loop, a few of its objects
// (PageSteps) or a block of its lines at a time, so the window keeps painting and the
// page can be scrolled while it fills. Navigating or refreshing again abandons what
// was still to come; Complete takes it in at once (printing needs the whole page).
class WebBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit WebBrowser(QWidget* parent = nullptr);
    // A file path, a file: URL or "about:blank".
    void Navigate(const QString& url);
    QString LocationURL() const { return m_location; }
    // Loads the current page again from its file.
    void Refresh();
    // The page is still filling in.
    bool Busy() const { return m_next < m_steps.pieces.size(); }
    // Abandons what of the page is still to come.
    void Stop();
    // Takes in at once what of the page is still to come.
    void Complete();

    // Objects of a page, and lines of a text, taken in per turn of the event loop.
    static constexpr int kPiecesPerStep = 5;
    static constexpr int kLinesPerStep = 500;

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    void load(const QUrl& target);
    void step();
    void append(qsizetype to);

    QString m_location;
    QUrl m_target;
    bool m_plain = false;    // the pieces are blocks of lines of a plain text
    PageSteps::Page m_steps; // what is shown and still to come
    qsizetype m_next = 0;    // the first piece not shown yet
    QTimer* m_timer = nullptr;
};

// A bar the user drags to move a pane border. The owner receives the mouse events
// with Visual Basic's button codes (1 left, 2 right, 4 middle), the shift mask (1
// Shift, 2 Ctrl, 4 Alt) and the pointer position in the bar's own coordinates, in
// twips (15 twips a pixel).
class SplitterBar : public QWidget {
    Q_OBJECT
public:
    using Handler = std::function<void(int Button, int Shift, float X, float Y)>;
    SplitterBar(Qt::Orientation orientation, QWidget* parent = nullptr);
    Handler onMouseDown, onMouseMove, onMouseUp;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void send(const Handler& h, QMouseEvent* e, int button);
    Qt::Orientation m_orientation;
};

// The busy picture: shows an SVG drawing that turns a step at every Refresh, so a
// timer makes it spin. Navigate("about:blank") empties it.
class BusyPicture : public QWidget {
    Q_OBJECT
public:
    explicit BusyPicture(QWidget* parent = nullptr);
    ~BusyPicture() override;
    void Navigate(const QString& url);
    QString LocationURL() const { return m_location; }
    void Refresh();
    int Step() const { return m_step; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QSvgRenderer* m_svg = nullptr;
    QString m_location;
    int m_step = 0;
};

// The main window's tree: a key that moves the current node (arrows, Page Up/Down,
// Home, End, a typed letter) reports the node it moved to, so the window handles it as
// a click. A current node set by code or by the mouse is not reported here.
class KeyboardTree : public QTreeWidget {
    Q_OBJECT
public:
    using QTreeWidget::QTreeWidget;

signals:
    void currentChangedByKey(QTreeWidgetItem* node);

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
