#include "tools/demo/demo_movie.h"

#include <cmath>
#include <numbers>

#include "tools/demo/demo_font.h"
#include "tools/demo/demo_script.h"
#include "tools/swfwriter/swf_writer.h"

namespace demo {

namespace {

constexpr double T = 20;  // twips per pixel

enum Id : uint16_t {
    kBackdrop = 1, kDisc, kTween, kPattern, kPatternCard, kArm, kSpinnerInner, kSpinnerOuter, kMask, kStripes,
    kFont, kTitle, kCometShape, kComet,
};

swf::ShapeRecord moveRecord(swf::Point to, uint32_t fill0, uint32_t fill1) {
    swf::ShapeRecord r;
    r.hasMove = true;
    r.moveTo = to;
    r.hasFill0 = true;
    r.fill0 = fill0;
    r.hasFill1 = true;
    r.fill1 = fill1;
    return r;
}

swf::ShapeRecord line(double dx, double dy) {
    swf::ShapeRecord r;
    r.type = swf::ShapeRecord::Type::Line;
    r.delta = {std::round(dx), std::round(dy)};
    return r;
}

// A circle of eight quadratic curves around (cx, cy), all twips, filled with fill style 1.
swf::Shape circle(double cx, double cy, double radius, const swf::FillStyle& fill) {
    swf::Shape s;
    s.fillStyles = {fill};
    s.bounds = s.edgeBounds = {cx - radius, cy - radius, cx + radius, cy + radius};
    double controlRadius = radius / std::cos(std::numbers::pi / 8);
    swf::Point pen{std::round(cx + radius), std::round(cy)};
    s.records.push_back(moveRecord(pen, 0, 1));
    for (int i = 1; i <= 8; ++i) {
        double mid = (i - 0.5) * std::numbers::pi / 4, end = i * std::numbers::pi / 4;
        swf::Point control{std::round(cx + controlRadius * std::cos(mid)), std::round(cy + controlRadius * std::sin(mid))};
        swf::Point to{std::round(cx + radius * std::cos(end)), std::round(cy + radius * std::sin(end))};
        swf::ShapeRecord r;
        r.type = swf::ShapeRecord::Type::Curve;
        r.control = {control.x - pen.x, control.y - pen.y};
        r.delta = {to.x - control.x, to.y - control.y};
        s.records.push_back(r);
        pen = to;
    }
    return s;
}

swf::FillStyle solid(swf::Rgba c) {
    swf::FillStyle f;
    f.color = c;
    return f;
}

swf::FillStyle gradient(swf::FillStyle::Kind kind, const swf::Matrix& m, std::vector<swf::GradientStop> stops) {
    swf::FillStyle f;
    f.kind = kind;
    f.gradient.matrix = m;
    f.gradient.stops = std::move(stops);
    return f;
}

// Maps the gradient square onto a box of `w` x `h` twips centred at (cx, cy), turned by `angle`.
swf::Matrix gradientBox(double cx, double cy, double w, double h, double angle) {
    double sx = w / 32768, sy = h / 32768, c = std::cos(angle), s = std::sin(angle);
    return {c * sx, s * sx, -s * sy, c * sy, cx, cy};
}

swf::Matrix rotation(double degrees, double x, double y) {
    double r = degrees * std::numbers::pi / 180;
    return {std::cos(r), std::sin(r), -std::sin(r), std::cos(r), x, y};
}

swf::PlaceObject placeAt(uint16_t depth, uint16_t id, const swf::Matrix& m) {
    swf::PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.characterId = id;
    p.matrix = m;
    return p;
}

swf::PlaceObject moveAt(uint16_t depth, const swf::Matrix& m) {
    swf::PlaceObject p;
    p.version = 2;
    p.depth = depth;
    p.move = true;
    p.matrix = m;
    return p;
}

// A square that becomes a turned, larger diamond in another colour.
swf::MorphShape tween() {
    swf::MorphShape m;
    double h = 60 * T;
    m.fillStyles = {{solid({230, 60, 40, 255}), solid({250, 210, 40, 220})}};
    m.startRecords.push_back(moveRecord({-h, -h}, 0, 1));
    for (auto [dx, dy] : {std::pair{2 * h, 0.0}, {0, 2 * h}, {-2 * h, 0}, {0, -2 * h}}) m.startRecords.push_back(line(dx, dy));
    double d = 90 * T;
    swf::ShapeRecord endMove;
    endMove.hasMove = true;
    endMove.moveTo = {0, -d};
    m.endRecords.push_back(endMove);
    for (auto [dx, dy] : {std::pair{d, d}, {-d, d}, {-d, -d}, {d, -d}}) m.endRecords.push_back(line(dx, dy));
    m.startBounds = m.startEdgeBounds = {-h, -h, h, h};
    m.endBounds = m.endEdgeBounds = {-d, -d, d, d};
    return m;
}

swf::RgbaImage patternPixels() {
    swf::RgbaImage img(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            uint8_t* p = img.at(x, y);
            bool check = ((x / 8) + (y / 8)) % 2 == 0;
            p[0] = static_cast<uint8_t>(check ? 40 + x * 3 : 250);
            p[1] = static_cast<uint8_t>(check ? 120 + y * 2 : 250 - y * 2);
            p[2] = static_cast<uint8_t>(check ? 200 : 60 + x * 2);
            p[3] = 255;
        }
    return img;
}

swf::Shape stripes() {
    swf::Shape s;
    const swf::Rgba colours[] = {{255, 80, 80, 255}, {255, 200, 60, 255}, {80, 220, 120, 255}, {80, 160, 255, 255}};
    for (int i = 0; i < 8; ++i) {
        s.fillStyles.push_back(solid(colours[i % 4]));
        double x = (380 + i * 30) * T, y = 260 * T;
        s.records.push_back(moveRecord({x, y}, 0, static_cast<uint32_t>(i + 1)));
        for (auto [dx, dy] : {std::pair{30 * T, 0.0}, {0, 200 * T}, {-30 * T, 0}, {0, -200 * T}}) s.records.push_back(line(dx, dy));
    }
    s.bounds = s.edgeBounds = {380 * T, 260 * T, 620 * T, 460 * T};
    return s;
}

swfw::SwfWriter spinnerInner() {
    swfw::SwfWriter w;
    for (int f = 0; f < 24; ++f) {
        swf::Matrix m = rotation(f * 15.0, 0, 0);
        w.placeObject(f == 0 ? placeAt(1, kArm, m) : moveAt(1, m));
        w.showFrame();
    }
    return w;
}

// A small glowing ball whose script moves it about the stage.
swfw::SwfWriter comet() {
    swfw::SwfWriter w;
    w.placeObject(placeAt(1, kCometShape, {}));
    w.doAction(cometScript(kStageWidth, kStageHeight));
    w.showFrame();
    return w;
}

swfw::SwfWriter spinnerOuter() {
    swfw::SwfWriter w;
    for (int f = 0; f < 48; ++f) {
        swf::Matrix disc = rotation(-f * 7.5, 0, 0);
        swf::Matrix inner = rotation(f * 7.5, 70 * T * std::cos(f * std::numbers::pi / 24), 70 * T * std::sin(f * std::numbers::pi / 24));
        if (f == 0) {
            w.placeObject(placeAt(1, kDisc, disc));
            w.placeObject(placeAt(2, kSpinnerInner, inner));
        } else {
            w.placeObject(moveAt(1, disc));
            w.placeObject(moveAt(2, inner));
        }
        w.showFrame();
    }
    return w;
}

}  // namespace

std::vector<uint8_t> writeDemoMovie() {
    swfw::SwfWriter w(8, {0, 0, kStageWidth * T, kStageHeight * T}, kFrameRate);
    w.setBackgroundColor({16, 20, 48, 255});

    swf::Shape backdrop = swfw::rectangleShape(
        {0, 0, kStageWidth * T, kStageHeight * T},
        gradient(swf::FillStyle::Kind::LinearGradient,
                 gradientBox(kStageWidth * T / 2, kStageHeight * T / 2, kStageWidth * T, kStageHeight * T, std::numbers::pi / 2),
                 {{0, {20, 30, 90, 255}}, {140, {90, 40, 130, 255}}, {255, {200, 90, 60, 255}}}));
    w.defineShape(kBackdrop, backdrop);
    w.defineShape(kDisc, circle(0, 0, 50 * T,
                                gradient(swf::FillStyle::Kind::RadialGradient, gradientBox(-15 * T, -15 * T, 130 * T, 130 * T, 0),
                                         {{0, {255, 255, 255, 255}}, {90, {120, 200, 255, 255}}, {255, {20, 60, 160, 255}}})));
    w.defineMorphShape(kTween, tween());
    w.defineBitsLossless(kPattern, patternPixels());
    swf::FillStyle bitmapFill;
    bitmapFill.kind = swf::FillStyle::Kind::Bitmap;
    bitmapFill.bitmapId = kPattern;
    bitmapFill.bitmapMatrix = {T * 1.5, 0, 0, T * 1.5, 30 * T, 280 * T};
    w.defineShape(kPatternCard, swfw::rectangleShape({30 * T, 280 * T, 222 * T, 440 * T}, bitmapFill));
    w.defineShape(kArm, swfw::rectangleShape({-8 * T, -30 * T, 8 * T, 30 * T}, swf::Rgba{120, 255, 160, 255}));
    w.defineSprite(kSpinnerInner, spinnerInner());
    w.defineSprite(kSpinnerOuter, spinnerOuter());
    w.defineShape(kMask, circle(0, 0, 80 * T, solid({0, 0, 0, 255})));
    w.defineShape(kStripes, stripes());
    swf::Font font = blockFont("SWFSAVER DEMO");
    w.defineFont(kFont, font);
    w.defineText(kTitle, blockText(font, kFont, "SWFSAVER DEMO", 60 * T, 80 * T, 40 * T, {255, 255, 255, 255}));
    w.defineShape(kCometShape, circle(0, 0, 14 * T,
                                      gradient(swf::FillStyle::Kind::RadialGradient, gradientBox(0, 0, 28 * T, 28 * T, 0),
                                               {{0, {255, 255, 220, 255}}, {120, {255, 210, 60, 255}}, {255, {255, 120, 0, 255}}})));
    w.defineSprite(kComet, comet());

    for (int f = 0; f < kFrameCount; ++f) {
        double phase = 2 * std::numbers::pi * f / kFrameCount;
        swf::PlaceObject morph = f == 0 ? placeAt(3, kTween, swf::Matrix::translate(480 * T, 150 * T))
                                        : moveAt(3, swf::Matrix::translate(480 * T, 150 * T));
        morph.ratio = static_cast<uint16_t>(std::lround(65535 * (0.5 - 0.5 * std::cos(phase))));
        swf::Matrix maskAt = swf::Matrix::translate((500 + 90 * std::sin(phase)) * T, (360 + 40 * std::sin(2 * phase)) * T);
        swf::Matrix spin = rotation(f * 3.0, 250 * T, 240 * T);
        if (f == 0) {
            w.placeObject(placeAt(1, kBackdrop, {}));
            w.placeObject(placeAt(2, kPatternCard, {}));
            w.placeObject(morph);
            swf::PlaceObject mask = placeAt(4, kMask, maskAt);
            mask.clipDepth = 5;
            w.placeObject(mask);
            w.placeObject(placeAt(5, kStripes, {}));
            w.placeObject(placeAt(6, kSpinnerOuter, spin));
            w.placeObject(placeAt(7, kTitle, {}));
            w.placeObject(placeAt(8, kComet, swf::Matrix::translate(kCometStartX * T, kCometStartY * T)));
        } else {
            w.placeObject(morph);
            w.placeObject(moveAt(4, maskAt));
            w.placeObject(moveAt(6, spin));
        }
        w.showFrame();
    }
    return w.finish(true);
}

}  // namespace demo
