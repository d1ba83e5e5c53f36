// The main window's panes laid out in twips, and the two splitter bars that move them:
// the vertical bar between the tree and the right pane, the horizontal bar between the
// query text and its results.

#include "explorer/frmDatabaseExplorer.h"

#include "core/bGlobal.h"
#include "explorer/ExplorerWidgets.h"
#include "explorer/PaneGeometry.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <cmath>

using namespace bGlobal;
using namespace PaneGeometry;

namespace {

QString source(const char* procedure) { return QStringLiteral("frmDatabaseExplorer.") + QLatin1String(procedure); }

}  // namespace

void frmDatabaseExplorer::LayoutMainArea() {
    const int w = m_mainArea->width(), h = m_mainArea->height();
    // A resized window keeps the tree's share of its width (the design width at first).
    const float area = float(w) * kTwipsPerPixel;
    if (m_treeShare <= 0) m_treeShare = m_barLeft / kDesignWidth;
    if (w > 0 && area != m_layoutTwips && !mSplitterDragging) {
        m_barLeft = qBound(kBarMin, std::round(m_treeShare * area), qMax(kBarMin, area - kBarMin));
        m_treeWidth = m_barLeft;
        m_panelLeft = m_barLeft + kBarWidth;
        m_layoutTwips = area;
    }
    trvMain->setGeometry(0, 0, qMax(0, px(m_treeWidth)), h);
    pctSeperator->setGeometry(px(m_barLeft), 0, px(kBarWidth), h);
    const int left = px(m_panelLeft);
    ssRHPanel->setGeometry(left, 0, qMax(0, w - left - kRightMarginPx), h);
}

void frmDatabaseExplorer::LayoutQueryPage() {
    // Positions in the tab control are in twips; the page starts below its strip.
    const auto pageY = [](float twips) { return px(twips - kTabStrip); };
    const int w = m_queryPage->width(), h = m_queryPage->height();
    const int inner = qMax(0, w - 2 * kMarginPx);
    const QSize tools = pctTools->sizeHint();
    const int toolsLeft = qMax(kMarginPx, w - kMarginPx - tools.width());
    pctTools->setGeometry(toolsLeft, 2, tools.width(), tools.height());
    lblCurrentDatabaseName->setGeometry(kMarginPx, 2, qMax(0, toolsLeft - 2 * kMarginPx), tools.height());
    const int queryTop = qMax(pageY(kQueryTextTop), 2 + tools.height() + 2);
    const int barTop = pageY(m_hBarTop);
    txtQuery->setGeometry(kMarginPx, queryTop, inner, qMax(0, qMin(px(m_queryTextHeight), barTop - queryTop)));
    pctHSeperator->setGeometry(kMarginPx, barTop, inner, px(kHBarHeight));
    const int resultTop = pageY(m_queryResultTop);
    ssQueryResult->setGeometry(kMarginPx, resultTop, inner, qMax(0, h - resultTop - kMarginPx));
}

void frmDatabaseExplorer::pctSeperator_MouseDown(int, int, float X, float Y) {
    Trap(source("pctSeperator_MouseDown"), [&] {
        mSplitterDragging = true;
        mGrabX = X;
        mGrabY = Y;
    });
}

void frmDatabaseExplorer::pctSeperator_MouseMove(int Button, int Shift, float X, float Y) {
    Trap(source("pctSeperator_MouseMove"), [&] {
        if (!mSplitterDragging) return;
        const auto left = DraggedBar(X, mGrabX, m_barLeft, float(width()) * kTwipsPerPixel, kBarMax);
        if (!left) {
            pctSeperator_MouseUp(Button, Shift, X, Y);
            return;
        }
        m_barLeft = *left;
        pctSeperator->move(px(m_barLeft), pctSeperator->y());
    });
}

void frmDatabaseExplorer::pctSeperator_MouseUp(int, int, float, float) {
    Trap(source("pctSeperator_MouseUp"), [&] {
        if (float(width()) * kTwipsPerPixel - m_panelLeft < 360) return;
        m_panelLeft = m_barLeft + kBarWidth;
        m_treeWidth = m_barLeft;
        m_layoutTwips = float(m_mainArea->width()) * kTwipsPerPixel;
        if (m_layoutTwips > 0) m_treeShare = m_barLeft / m_layoutTwips;
        LayoutMainArea();
        mSplitterDragging = false;
    });
}

void frmDatabaseExplorer::pctHSeperator_MouseDown(int, int, float X, float Y) {
    Trap(source("pctHSeperator_MouseDown"), [&] {
        mSplitterDragging = true;
        mGrabX = X;
        mGrabY = Y;
    });
}

void frmDatabaseExplorer::pctHSeperator_MouseMove(int Button, int Shift, float X, float Y) {
    Trap(source("pctHSeperator_MouseMove"), [&] {
        if (!mSplitterDragging) return;
        const auto top = DraggedBar(Y, mGrabY, m_hBarTop, float(height()) * kTwipsPerPixel, kHBarMax);
        if (!top) {
            pctHSeperator_MouseUp(Button, Shift, X, Y);
            return;
        }
        m_hBarTop = *top;
        pctHSeperator->move(pctHSeperator->x(), px(m_hBarTop - kTabStrip));
    });
}

void frmDatabaseExplorer::pctHSeperator_MouseUp(int, int, float, float) {
    Trap(source("pctHSeperator_MouseUp"), [&] {
        if (float(height()) * kTwipsPerPixel - m_queryResultTop < 360) return;
        m_queryTextHeight = m_hBarTop - 800;
        m_queryResultTop = kHBarHeight + m_hBarTop + 50;
        LayoutQueryPage();
        mSplitterDragging = false;
    });
}
