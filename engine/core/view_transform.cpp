#include <algorithm>

#include "engine/core/player.h"

namespace swf {

Matrix viewTransform(const Rect& stageTwips, int viewportWidth, int viewportHeight, const ViewOptions& options) {
    double stageW = stageTwips.width() / kTwipsPerPixel, stageH = stageTwips.height() / kTwipsPerPixel;
    double vw = std::max(0, viewportWidth), vh = std::max(0, viewportHeight);
    double sx = 1, sy = 1;
    if (stageW > 0 && stageH > 0) {
        switch (options.scaleMode) {
        case ScaleMode::ShowAll: sx = sy = std::min(vw / stageW, vh / stageH); break;
        case ScaleMode::NoBorder: sx = sy = std::max(vw / stageW, vh / stageH); break;
        case ScaleMode::ExactFit:
            sx = vw / stageW;
            sy = vh / stageH;
            break;
        case ScaleMode::NoScale: break;
        }
    }
    // Where the scaled stage sits: pinned to an edge, or centred on an axis with no edge (or both).
    auto place = [](double free, bool low, bool high) { return low == high ? free / 2 : low ? 0 : free; };
    double ox = place(vw - stageW * sx, options.align.left, options.align.right);
    double oy = place(vh - stageH * sy, options.align.top, options.align.bottom);
    double xMin = stageTwips.empty() ? 0 : stageTwips.xMin, yMin = stageTwips.empty() ? 0 : stageTwips.yMin;
    return Matrix::translate(ox, oy) * Matrix::scale(sx / kTwipsPerPixel, sy / kTwipsPerPixel) *
           Matrix::translate(-xMin, -yMin);
}

}  // namespace swf
