#include "tests/engine/parse/sample_movies.h"

#include "tools/swfwriter/swf_writer.h"

namespace sample {

swf::RgbaImage testImage(bool withAlpha) {
    swf::RgbaImage img(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = img.at(x, y);
            p[0] = static_cast<uint8_t>(x * 80);
            p[1] = static_cast<uint8_t>(y * 120);
            p[2] = static_cast<uint8_t>(200 - x * 40);
            p[3] = withAlpha ? static_cast<uint8_t>(255 - (x + y * 4) * 20) : 255;
        }
    return img;
}

swf::RgbaImage smoothImage() {
    swf::RgbaImage img(32, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) {
            uint8_t* p = img.at(x, y);
            p[0] = static_cast<uint8_t>(40 + x * 5);
            p[1] = static_cast<uint8_t>(60 + y * 6);
            p[2] = 120;
            p[3] = 255;
        }
    return img;
}

swf::Shape everyStyleShape() {
    swf::Shape s = swfw::rectangleShape(swf::Rect{0, 0, 2000, 1000}, swf::Rgba{10, 20, 30, 128});
    swf::FillStyle linear;
    linear.kind = swf::FillStyle::Kind::LinearGradient;
    linear.gradient.matrix = swf::Matrix{0.5, 0.25, -0.25, 0.5, 100, 200};
    linear.gradient.spread = swf::SpreadMode::Reflect;
    linear.gradient.interpolation = swf::InterpolationMode::LinearRgb;
    linear.gradient.stops = {{0, {255, 0, 0, 255}}, {128, {0, 255, 0, 100}}, {255, {0, 0, 255, 0}}};
    swf::FillStyle radial = linear;
    radial.kind = swf::FillStyle::Kind::RadialGradient;
    radial.gradient.spread = swf::SpreadMode::Repeat;
    radial.gradient.interpolation = swf::InterpolationMode::Rgb;
    swf::FillStyle focal = linear;
    focal.kind = swf::FillStyle::Kind::FocalGradient;
    focal.gradient.spread = swf::SpreadMode::Pad;
    focal.gradient.focalPoint = -0.5;
    s.fillStyles.push_back(linear);
    s.fillStyles.push_back(radial);
    s.fillStyles.push_back(focal);
    for (int i = 0; i < 4; ++i) {
        swf::FillStyle bitmap;
        bitmap.kind = swf::FillStyle::Kind::Bitmap;
        bitmap.bitmapId = static_cast<uint16_t>(7 + i);
        bitmap.bitmapMatrix = swf::Matrix{20, 0, 0, 20, -40, 60};
        bitmap.bitmapRepeating = i % 2 == 0;
        bitmap.bitmapSmoothed = i < 2;
        s.fillStyles.push_back(bitmap);
    }
    swf::LineStyle round;
    round.width = 40;
    round.color = {1, 2, 3, 4};
    swf::LineStyle square = round;
    square.startCap = swf::CapStyle::Square;
    square.endCap = swf::CapStyle::None;
    square.join = swf::JoinStyle::Miter;
    square.miterLimit = 2.5;
    square.noHScale = true;
    square.pixelHinting = true;
    swf::LineStyle filled = round;
    filled.width = 0;
    filled.join = swf::JoinStyle::Bevel;
    filled.noVScale = true;
    filled.noClose = true;
    filled.fill = linear;
    s.lineStyles = {round, square, filled};
    // A record set that switches to new styles, then a curve and lines of every direction.
    swf::ShapeRecord change;
    change.hasMove = true;
    change.moveTo = {-300, 400};
    change.hasLine = true;
    change.line = 2;
    change.hasNewStyles = true;
    change.newFillStyles = {linear};
    change.newLineStyles = {round};
    s.records.push_back(change);
    swf::ShapeRecord curve;
    curve.type = swf::ShapeRecord::Type::Curve;
    curve.control = {100, -50};
    curve.delta = {-65000, 3};
    s.records.push_back(curve);
    swf::ShapeRecord line;
    line.type = swf::ShapeRecord::Type::Line;
    line.delta = {5, -6};
    s.records.push_back(line);
    s.nonZeroWinding = true;
    s.usesScalingStrokes = false;
    s.edgeBounds = swf::Rect{10, 10, 1990, 990};
    return s;
}

swf::MorphShape morphShape() {
    swf::MorphShape m;
    m.startBounds = {0, 0, 1000, 1000};
    m.endBounds = {0, 0, 2000, 500};
    swf::MorphFillStyle solid;
    solid.start.color = {255, 0, 0, 255};
    solid.end.color = {0, 0, 255, 128};
    swf::MorphFillStyle gradient;
    gradient.start.kind = gradient.end.kind = swf::FillStyle::Kind::FocalGradient;
    gradient.start.gradient.stops = {{0, {1, 2, 3, 4}}, {255, {5, 6, 7, 8}}};
    gradient.end.gradient.stops = {{10, {9, 10, 11, 12}}, {200, {13, 14, 15, 16}}};
    gradient.start.gradient.spread = gradient.end.gradient.spread = swf::SpreadMode::Reflect;
    gradient.start.gradient.focalPoint = 0.25;
    gradient.end.gradient.focalPoint = -0.75;
    gradient.end.gradient.matrix = swf::Matrix{2, 0, 0, 2, 10, 10};
    m.fillStyles = {solid, gradient};
    swf::MorphLineStyle line;
    line.start.width = 20;
    line.end.width = 100;
    line.start.color = {0, 0, 0, 255};
    line.end.color = {255, 255, 255, 255};
    m.lineStyles = {line};
    swf::Shape start = swfw::rectangleShape(m.startBounds, swf::Rgba{});
    swf::Shape end = swfw::rectangleShape(m.endBounds, swf::Rgba{});
    start.records[0].hasLine = true;
    start.records[0].line = 1;
    end.records[0].hasFill1 = false;
    m.startRecords = start.records;
    m.endRecords = end.records;
    return m;
}

swf::Font twoGlyphFont(int version) {
    swf::Font f;
    f.version = version;
    f.name = "Square";
    f.bold = true;
    f.wideCodes = version >= 2;
    for (int i = 0; i < 2; ++i) {
        swf::Shape g = swfw::rectangleShape(swf::Rect{0, -800.0 + i * 100, 600, 0}, swf::Rgba{});
        g.fillStyles.clear();
        g.bounds = g.edgeBounds = swf::Rect{};
        f.glyphs.push_back(g);
    }
    f.codeTable = {'A', 'B'};
    if (version >= 2) {
        swf::FontLayout l;
        l.ascent = 900;
        l.descent = 200;
        l.leading = -20;
        l.advances = {700, 650};
        l.bounds = {swf::Rect{0, -800, 600, 0}, swf::Rect{0, -700, 600, 0}};
        l.kerning = {{'A', 'B', -30}};
        f.layout = l;
    }
    return f;
}

namespace {

swf::PlaceObject place(uint16_t id, uint16_t depth, int version) {
    swf::PlaceObject p;
    p.version = version;
    p.characterId = id;
    p.depth = depth;
    p.matrix = swf::Matrix::translate(100, 200);
    return p;
}

std::vector<uint8_t> shapesMovie(bool compress) {
    swfw::SwfWriter w(8);
    w.setBackgroundColor({0, 128, 255, 255});
    for (int v = 1; v <= 4; ++v) w.defineShape(static_cast<uint16_t>(v), sample::everyStyleShape(), v);
    w.defineMorphShape(5, sample::morphShape(), 1);
    w.defineMorphShape(6, sample::morphShape(), 2);
    w.placeObject(place(1, 1, 1));
    w.placeObject(place(5, 2, 2));
    w.showFrame();
    swf::PlaceObject move;
    move.version = 2;
    move.depth = 2;
    move.move = true;
    move.ratio = 32768;
    w.placeObject(move);
    w.removeObject(1, 1);
    w.showFrame();
    return w.finish(compress);
}

std::vector<uint8_t> bitmapsMovie() {
    swfw::SwfWriter w(8);
    w.defineBitsLossless(1, testImage(false), 3, false);
    w.defineBitsLossless(2, testImage(false), 4, false);
    w.defineBitsLossless(3, testImage(false), 5, false);
    w.defineBitsLossless(4, testImage(true), 3, true);
    w.defineBitsLossless(5, testImage(true), 5, true);
    std::vector<uint8_t> jpeg = swfw::encodeJpeg(smoothImage());
    w.defineBitsJpeg2(6, jpeg);
    std::vector<uint8_t> alpha(32 * 24);
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<uint8_t>(i);
    w.defineBitsJpeg3(7, jpeg, alpha);
    w.defineBitsJpeg3(8, jpeg, alpha, 0.5);
    swf::FillStyle fill;
    fill.kind = swf::FillStyle::Kind::Bitmap;
    fill.bitmapId = 7;
    fill.bitmapMatrix = swf::Matrix::scale(20, 20);
    w.defineShape(9, swfw::rectangleShape(swf::Rect{0, 0, 80, 60}, fill), 3);
    w.placeObject(place(9, 1, 2));
    w.showFrame();
    return w.finish(true);
}

std::vector<uint8_t> textMovie() {
    swfw::SwfWriter w(8);
    swf::Font f1 = twoGlyphFont(1);
    w.defineFont(1, f1);
    w.defineFontInfo(1, f1, 1);
    w.defineFont(2, twoGlyphFont(2));
    w.defineFont(3, twoGlyphFont(3));
    swf::StaticText t;
    t.version = 2;
    t.bounds = {0, 0, 4000, 1000};
    t.matrix = swf::Matrix::translate(20, 40);
    swf::TextRecord r;
    r.fontId = 2;
    r.color = swf::Rgba{255, 0, 0, 200};
    r.xOffset = 10;
    r.yOffset = 800;
    r.height = 400;
    r.glyphs = {{0, 300}, {1, -5}};
    t.records.push_back(r);
    swf::TextRecord r2;
    r2.glyphs = {{1, 250}};
    t.records.push_back(r2);
    w.defineText(4, t);
    t.version = 1;
    t.records[0].color->a = 255;
    w.defineText(5, t);
    swf::EditText e;
    e.bounds = {0, 0, 3000, 600};
    e.fontId = 2;
    e.fontHeight = 300;
    e.color = swf::Rgba{0, 0, 255, 255};
    e.maxLength = 40;
    e.hasLayout = true;
    e.align = 2;
    e.leftMargin = 40;
    e.leading = -10;
    e.variableName = "label";
    e.initialText = "AB";
    e.multiline = e.wordWrap = e.readOnly = e.noSelect = e.useOutlines = true;
    w.defineEditText(6, e);
    w.placeObject(place(4, 1, 2));
    w.placeObject(place(6, 2, 2));
    w.showFrame();
    return w.finish();
}

std::vector<uint8_t> timelineMovie() {
    swfw::SwfWriter w(8);
    w.fileAttributes(false, true);
    w.defineShape(1, swfw::rectangleShape(swf::Rect{0, 0, 400, 400}, swf::Rgba{0, 255, 0, 255}), 1);
    swfw::SwfWriter sprite(8);
    sprite.placeObject(place(1, 1, 2));
    sprite.showFrame();
    sprite.frameLabel("second");
    sprite.doAction({0x07, 0x00});
    sprite.showFrame();
    w.defineSprite(2, sprite);
    swf::Button b;
    b.version = 2;
    b.trackAsMenu = true;
    swf::ButtonRecord up;
    up.up = up.hitTest = true;
    up.characterId = 1;
    up.depth = 1;
    up.matrix = swf::Matrix::translate(10, 10);
    up.colorTransform.aMul = 0.5f;
    swf::Filter blur;
    blur.kind = swf::Filter::Kind::Blur;
    blur.blur.blurX = 3;
    up.filters = {blur};
    up.blendMode = swf::BlendMode::Screen;
    b.records = {up};
    b.actions = {{swf::ButtonAction::kOverDownToOverUp, {0x06, 0x00}}, {0x0001, {0x07, 0x00}}};
    w.defineButton(3, b);
    swf::Button b1;
    b1.records = {up};
    b1.actions = {{swf::ButtonAction::kOverDownToOverUp, {0x07, 0x00}}};
    w.defineButton(4, b1);
    w.defineButtonCxform(4, swf::ColorTransform{1, 0.5f, 1, 1, 0, 10, 0, 0});
    w.exportAssets({{2, "clip"}});
    w.doInitAction(2, {0x06, 0x00});
    w.frameLabel("start", true);
    swf::PlaceObject p = place(2, 3, 3);
    p.name = "inner";
    p.clipDepth = 5;
    p.colorTransform = swf::ColorTransform{0.5f, 1, 1, 0.25f, 10, -20, 30, 0};
    p.ratio = 7;
    p.blendMode = swf::BlendMode::Multiply;
    p.cacheAsBitmap = true;
    swf::Filter shadow;
    shadow.kind = swf::Filter::Kind::DropShadow;
    shadow.dropShadow.color = {1, 2, 3, 4};
    shadow.dropShadow.distance = 6.5;
    shadow.dropShadow.inner = true;
    shadow.dropShadow.passes = 3;
    swf::Filter glow;
    glow.kind = swf::Filter::Kind::Glow;
    glow.glow.knockout = true;
    swf::Filter bevel;
    bevel.kind = swf::Filter::Kind::Bevel;
    bevel.bevel.shadowColor = {9, 9, 9, 9};
    bevel.bevel.highlightColor = {200, 200, 200, 200};
    bevel.bevel.onTop = true;
    swf::Filter matrix;
    matrix.kind = swf::Filter::Kind::ColorMatrix;
    matrix.colorMatrix.matrix[4] = 12.5f;
    swf::Filter gradientGlow;
    gradientGlow.kind = swf::Filter::Kind::GradientGlow;
    gradientGlow.gradient.stops = {{0, {1, 1, 1, 0}}, {255, {255, 0, 0, 255}}};
    swf::Filter convolution;
    convolution.kind = swf::Filter::Kind::Convolution;
    convolution.convolution.matrixX = 3;
    convolution.convolution.matrixY = 1;
    convolution.convolution.matrix = {1, 2, 1};
    convolution.convolution.divisor = 4;
    p.filters = {shadow, blur, glow, bevel, matrix, gradientGlow, convolution};
    w.placeObject(p);
    w.placeObject(place(3, 4, 2));
    w.doAction({0x07, 0x00});
    w.tag(200, {1, 2, 3});  // unknown tag
    w.showFrame();
    w.removeObject(3);
    w.setBackgroundColor({1, 2, 3, 255});
    w.showFrame();
    return w.finish();
}

// A Screen Video stream of two frames placed on the timeline at each frame's ratio, its frames
// given in the frames they show in.
std::vector<uint8_t> videoMovie() {
    swfw::SwfWriter w(8);
    swf::VideoStream v;
    v.declaredFrameCount = 2;
    v.width = 4;
    v.height = 3;
    v.deblocking = 1;
    v.smoothing = true;
    v.codecId = 3;
    w.defineVideoStream(1, v);
    swf::RgbaImage first = testImage(false), second = testImage(false);
    second.at(1, 1)[0] ^= 0xFF;
    w.videoFrame(1, 0, swfw::encodeScreenVideo(first));
    w.placeObject(place(1, 1, 2));
    w.showFrame();
    w.videoFrame(1, 1, swfw::encodeScreenVideo(second, 16, &first));
    swf::PlaceObject move;
    move.version = 2;
    move.depth = 1;
    move.move = true;
    move.ratio = 1;
    w.placeObject(move);
    w.showFrame();
    return w.finish(true);
}

}  // namespace

std::vector<std::pair<std::string, std::vector<uint8_t>>> allMovies() {
    return {{"shapes", shapesMovie(false)},
            {"shapes compressed", shapesMovie(true)},
            {"bitmaps", bitmapsMovie()},
            {"text", textMovie()},
            {"timeline", timelineMovie()},
            {"video", videoMovie()}};
}

}  // namespace sample
