// The displacement map filter: pixels move by the map, and lookups that leave the object follow
// the filter's mode.
#include "engine/render/layer_filters.h"

#include <gtest/gtest.h>

namespace swf {
namespace {

// A 12 x 3 layer whose object covers columns 1..10 of row 1; each object pixel's red is 20 times
// its column within the object, so where a pixel came from can be read back.
RgbaImage columnLayer() {
    RgbaImage img(12, 3);
    for (int x = 1; x <= 10; ++x) {
        uint8_t* p = img.at(x, 1);
        p[0] = static_cast<uint8_t>((x - 1) * 20), p[3] = 255;
    }
    return img;
}

// A map of `width` pixels whose red channel is `red` throughout (opaque).
std::shared_ptr<const RgbaImage> redMap(int width, uint8_t red) {
    auto map = std::make_shared<RgbaImage>(width, 1);
    for (int x = 0; x < width; ++x) map->at(x, 0)[0] = red, map->at(x, 0)[3] = 255;
    return map;
}

Filter displacement(std::shared_ptr<const RgbaImage> map, double shift, DisplacementMapFilter::Mode mode) {
    Filter f;
    f.kind = Filter::Kind::DisplacementMap;
    DisplacementMapFilter& d = f.displacement;
    d.map = std::move(map);
    d.componentX = DisplacementMapFilter::Red;
    d.scaleX = shift * 256 / 127;  // a full red channel (255) moves lookups `shift` pixels
    d.mode = mode;
    d.color = {0, 255, 0, 255};
    d.objectX0 = 1, d.objectY0 = 1, d.objectX1 = 11, d.objectY1 = 2;
    return f;
}

// The object column a layer pixel's colour came from, -1 for the mode's colour.
int sourceColumn(const RgbaImage& img, int x) {
    const uint8_t* p = img.at(x, 1);
    if (p[1] == 255) return -1;
    return p[0] / 20;
}

TEST(DisplacementMap, LookupsLeavingTheObjectFollowTheMode) {
    using Mode = DisplacementMapFilter::Mode;
    struct Case {
        Mode mode;
        int lastColumns[3];  // what object columns 7, 8, 9 show after moving 3 to the right
    };
    for (const Case& c : {Case{Mode::Wrap, {0, 1, 2}}, Case{Mode::Clamp, {9, 9, 9}}, Case{Mode::Ignore, {7, 8, 9}},
                          Case{Mode::Color, {-1, -1, -1}}}) {
        RgbaImage img = columnLayer();
        render::FilterScratch scratch;
        render::applyLayerFilters(img, {1, 1, 11, 2}, {displacement(redMap(10, 255), 3, c.mode)}, scratch);
        EXPECT_EQ(sourceColumn(img, 1), 3) << int(c.mode);
        EXPECT_EQ(sourceColumn(img, 5), 7) << int(c.mode);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(sourceColumn(img, 8 + i), c.lastColumns[i]) << int(c.mode) << " " << i;
        EXPECT_EQ(img.at(0, 1)[3], 0);  // nothing spills outside the object
        EXPECT_EQ(img.at(11, 1)[3], 0);
    }
}

TEST(DisplacementMap, MapPlaceChannelAndScaleDecideTheShift) {
    using Mode = DisplacementMapFilter::Mode;
    // A map three pixels wide placed from object column 2: only columns 2..4 move.
    RgbaImage img = columnLayer();
    Filter f = displacement(redMap(3, 255), 2, Mode::Wrap);
    f.displacement.mapX = 2;
    render::FilterScratch scratch;
    render::applyLayerFilters(img, {1, 1, 11, 2}, {f}, scratch);
    const int expected[10] = {0, 1, 4, 5, 6, 5, 6, 7, 8, 9};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(sourceColumn(img, 1 + x), expected[x]) << x;

    // A low channel moves the other way; the middle value and an unselected channel do not move.
    img = columnLayer();
    f = displacement(redMap(10, 0), 4, Mode::Clamp);  // (0 - 128) / 127 * 4: about 4 to the left
    render::applyLayerFilters(img, {1, 1, 11, 2}, {f}, scratch);
    EXPECT_EQ(sourceColumn(img, 1 + 6), 2);
    EXPECT_EQ(sourceColumn(img, 1 + 1), 0);
    img = columnLayer();
    f = displacement(redMap(10, 128), 9, Mode::Wrap);
    render::applyLayerFilters(img, {1, 1, 11, 2}, {f}, scratch);
    EXPECT_EQ(sourceColumn(img, 1 + 4), 4);
    img = columnLayer();
    f = displacement(redMap(10, 255), 3, Mode::Wrap);
    f.displacement.componentX = DisplacementMapFilter::Green;  // the map's green is 0: to the left
    render::applyLayerFilters(img, {1, 1, 11, 2}, {f}, scratch);
    EXPECT_EQ(sourceColumn(img, 1 + 4), 1);

    // Without map pixels nothing changes.
    img = columnLayer();
    f = displacement(nullptr, 3, Mode::Wrap);
    render::applyLayerFilters(img, {1, 1, 11, 2}, {f}, scratch);
    EXPECT_EQ(sourceColumn(img, 1 + 4), 4);
}

TEST(DisplacementMap, ReachCoversTheObjectAndTheShift) {
    Filter f = displacement(redMap(10, 255), 3, DisplacementMapFilter::Mode::Wrap);
    f.displacement.scaleY = -40;
    render::FilterReach r = render::layerFilterReach({f});
    EXPECT_GE(r.x, 10 + 3);
    EXPECT_GE(r.y, 1 + 20);
}

}  // namespace
}  // namespace swf
