#include "explorer/PaneGeometry.h"

#include <QtGlobal>

namespace PaneGeometry {

std::optional<float> DraggedBar(float mouse, float grab, float bar, float extent, float max) {
    const float moved = float(qBound(-32768, qRound(mouse - (grab - bar)), 32767));
    if (extent - moved <= kBarMin) return std::nullopt;
    return moved < kBarMin ? kBarMin : moved <= max ? moved : max;
}

}  // namespace PaneGeometry
