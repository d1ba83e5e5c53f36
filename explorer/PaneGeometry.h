#pragma once
// The main window's pane geometry in twips (the window's design values; 15 twips make
// a pixel) and where a dragged splitter bar goes. No widgets: the window lays its
// panes out from these.

#include <optional>

namespace PaneGeometry {

constexpr float kTwipsPerPixel = 15.0f;
inline int px(float twips) { return int(twips / kTwipsPerPixel); }

constexpr float kDesignWidth = 11880;  // the window
constexpr float kBarWidth = 60;        // pctSeperator
constexpr float kHBarHeight = 75;      // pctHSeperator
constexpr float kBarMin = 1500;        // both bars
constexpr float kBarMax = 8000;        // pctSeperator
constexpr float kHBarMax = 6000;       // pctHSeperator
constexpr float kTabStrip = 360;       // the tab control's strip above its pages
constexpr float kQueryTextTop = 810;   // txtQuery, in the tab control
constexpr int kMarginPx = 6;           // inner margins of the query page
constexpr int kRightMarginPx = 4;      // between the right pane and the window edge

// Where a splitter bar at 'bar', grabbed at 'grab' and now dragged to 'mouse' (all
// along its axis), goes: kept between kBarMin and 'max'. Empty when it came within
// kBarMin of the far end of 'extent' (the window's width or height): the drag ends
// there and the bar stays.
std::optional<float> DraggedBar(float mouse, float grab, float bar, float extent, float max);

}  // namespace PaneGeometry
