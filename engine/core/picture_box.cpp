#include "engine/core/picture_box.h"

#include <utility>

namespace swf {

ShapePaths pictureBoxPaths(const Rect& box, FillStyle picture) {
    ShapePaths paths;
    paths.bounds = box;
    if (!picture.bitmap || picture.bitmap->empty() || box.width() <= 0 || box.height() <= 0) return paths;
    Contour outline;
    outline.start = {box.xMin, box.yMin};
    for (Point p : {Point{box.xMax, box.yMin}, Point{box.xMax, box.yMax}, Point{box.xMin, box.yMax},
                    Point{box.xMin, box.yMin}})
        outline.segments.push_back({p, p, false});
    FillPath fill;
    fill.style = std::move(picture);
    fill.style.kind = FillStyle::Kind::Bitmap;
    fill.style.bitmapRepeating = false;
    fill.contours.push_back(std::move(outline));
    PathLayer layer;
    layer.fills.push_back(std::move(fill));
    paths.layers.push_back(std::move(layer));
    return paths;
}

}  // namespace swf
