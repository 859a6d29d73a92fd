// The Player face: fitting the stage into a viewport, loading files, and the stage's drawing.
#include <gtest/gtest.h>

#include "engine/core/player.h"
#include "tests/engine/core/movie_builder.h"
#include "tools/swfwriter/swf_writer.h"

using namespace coretest;

namespace {

swf::Point toPixels(const swf::Matrix& m, double xTwips, double yTwips) { return m.apply(swf::Point{xTwips, yTwips}); }

}  // namespace

TEST(ViewTransform, ScaleModesFitTheStageAsTheyShould) {
    swf::Rect stage{0, 0, 400 * 20, 200 * 20};  // 400x200 pixels
    swf::ViewOptions o;
    // showAll: the whole stage, letterboxed and centred.
    auto m = swf::viewTransform(stage, 800, 800, o);
    EXPECT_DOUBLE_EQ(toPixels(m, 0, 0).x, 0);
    EXPECT_DOUBLE_EQ(toPixels(m, 0, 0).y, 200);
    EXPECT_DOUBLE_EQ(toPixels(m, 8000, 4000).y, 600);
    // noBorder: fills the viewport, cropping the long side.
    o.scaleMode = swf::ScaleMode::NoBorder;
    m = swf::viewTransform(stage, 800, 800, o);
    EXPECT_DOUBLE_EQ(toPixels(m, 0, 0).x, -400);
    EXPECT_DOUBLE_EQ(toPixels(m, 8000, 4000).y, 800);
    // exactFit: each axis on its own.
    o.scaleMode = swf::ScaleMode::ExactFit;
    m = swf::viewTransform(stage, 800, 800, o);
    EXPECT_DOUBLE_EQ(toPixels(m, 8000, 4000).x, 800);
    EXPECT_DOUBLE_EQ(toPixels(m, 8000, 4000).y, 800);
    // noScale, pinned to the right and bottom edges.
    o.scaleMode = swf::ScaleMode::NoScale;
    o.align.right = o.align.bottom = true;
    m = swf::viewTransform(stage, 800, 800, o);
    EXPECT_DOUBLE_EQ(toPixels(m, 0, 0).x, 400);
    EXPECT_DOUBLE_EQ(toPixels(m, 0, 0).y, 600);
    // A stage that does not start at 0 maps its own corner to the viewport's.
    swf::Rect shifted{2000, 2000, 2000 + 400 * 20, 2000 + 200 * 20};
    m = swf::viewTransform(shifted, 400, 200, {});
    EXPECT_DOUBLE_EQ(toPixels(m, 2000, 2000).x, 0);
}

TEST(PlayerFace, LoadsWrittenMoviesAndRefusesOthers) {
    swfw::SwfWriter w(8, {0, 0, 100 * 20, 100 * 20}, 30);
    w.setBackgroundColor({0, 0, 255, 255});
    w.defineShape(1, swfw::rectangleShape({0, 0, 50 * 20, 50 * 20}, kRed));
    w.placeObject(place(1, 1));
    w.showFrame();
    w.showFrame();
    for (bool compress : {false, true}) {
        std::string error;
        auto p = swf::Player::load(w.finish(compress), error);
        ASSERT_TRUE(p) << error;
        EXPECT_EQ(p->frameCount(), 2);
        EXPECT_DOUBLE_EQ(p->frameRate(), 30);
        EXPECT_EQ(p->swfVersion(), 8);
        EXPECT_EQ(pixelAt(*p, 10, 10), kRed);
        EXPECT_EQ(pixelAt(*p, 90, 90), (swf::Rgba{0, 0, 255, 255}));
    }
    std::string error;
    EXPECT_FALSE(swf::Player::load({'G', 'I', 'F', '8', '9', 'a'}, error));
    EXPECT_FALSE(error.empty());
}

TEST(PlayerFace, LetterboxIsTheBackgroundColour) {
    MovieBuilder b;
    b.movie->timeline.frames.push_back({{swf::SetBackgroundColor{{0, 255, 0, 255}}}});
    b.rect(1, 0, 0, 100, 100, kRed);
    b.main().frames[0].tags.push_back(place(1, 1));
    auto p = b.player();
    swf::RgbaImage image;
    p->setViewport(200, 100, {});
    p->render(image);
    ASSERT_EQ(image.width, 200);
    EXPECT_EQ(image.at(10, 50)[1], 255);   // the border: background green
    EXPECT_EQ(image.at(100, 50)[0], 255);  // the stage: the red shape
}

TEST(Painting, MaskByClipDepthShowsOnlyTheMaskedArea) {
    MovieBuilder b;
    b.rect(1, 0, 0, 50, 100, kRed);   // the mask: the left half
    b.rect(2, 0, 0, 100, 100, kBlue);
    b.rect(3, 0, 90, 100, 10, kGreen);  // above the masked range
    auto mask = place(1, 1);
    mask.clipDepth = 2;
    b.main() = timeline({{mask, place(2, 2), place(3, 3)}});
    auto p = b.player();
    EXPECT_EQ(pixelAt(*p, 25, 50), kBlue);
    EXPECT_EQ(pixelAt(*p, 75, 50), kWhite) << "the mask itself is not drawn";
    EXPECT_EQ(pixelAt(*p, 75, 95), kGreen);
}

TEST(Painting, ColourTransformsComposeDownTheTree) {
    MovieBuilder b;
    b.rect(1, 0, 0, 100, 100, {200, 200, 200, 255});
    b.sprite(10, timeline({{[] {
        auto p = place(1, 1);
        swf::ColorTransform half;
        half.rMul = 0.5f;
        p.colorTransform = half;
        return p;
    }()}}));
    auto outer = place(1, 10);
    swf::ColorTransform addBlue;
    addBlue.bAdd = 55;
    addBlue.rMul = 0.5f;
    outer.colorTransform = addBlue;
    b.main() = timeline({{outer}});
    auto p = b.player();
    swf::Rgba c = pixelAt(*p, 50, 50);
    EXPECT_NEAR(c.r, 50, 1);
    EXPECT_EQ(c.g, 200);
    EXPECT_EQ(c.b, 255);
}

TEST(Painting, StaticTextDrawsGlyphsInItsColour) {
    MovieBuilder b;
    // A font whose one glyph is a square of the em (1024 units), drawn at 20 px (400 twips).
    swf::Font font;
    font.version = 2;
    swf::Shape square = swfw::rectangleShape({0, -1024, 1024, 0}, kWhite);
    for (auto& r : square.records)
        if (r.type == swf::ShapeRecord::Type::StyleChange) r.hasNewStyles = false;
    square.fillStyles.clear();
    font.glyphs = {square};
    font.codeTable = {'A'};
    b.movie->characters[5] = {5, 48, font};
    swf::StaticText text;
    text.version = 2;
    text.bounds = {0, 0, 2000, 2000};
    swf::TextRecord rec;
    rec.fontId = 5;
    rec.color = kBlue;
    rec.xOffset = 200;
    rec.yOffset = 800;
    rec.height = 400;
    rec.glyphs = {{0, 600}, {0, 600}};
    text.records = {rec};
    b.movie->characters[6] = {6, 33, text};
    b.main() = timeline({{place(1, 6)}});
    auto p = b.player();
    EXPECT_EQ(pixelAt(*p, 20, 30), kBlue);   // first glyph: x 10..30, y 20..40
    EXPECT_EQ(pixelAt(*p, 45, 30), kBlue);   // second glyph: x 40..60
    EXPECT_EQ(pixelAt(*p, 35, 30), kWhite);  // the gap between them
    EXPECT_EQ(pixelAt(*p, 20, 45), kWhite);
}

TEST(Painting, TranslucentBitmapsBlendAndOpaqueOnesCover) {
    // Opaque bitmaps are copied, not blended; a bitmap with one translucent pixel must still blend.
    swfw::SwfWriter w(8, {0, 0, 100 * 20, 100 * 20}, 30);
    w.setBackgroundColor(kWhite);
    swf::RgbaImage opaque(4, 4), translucent(4, 4);
    for (size_t i = 0; i < opaque.pixels.size(); i += 4) {
        opaque.pixels[i] = 255;       // red
        opaque.pixels[i + 3] = 255;
        translucent.pixels[i + 2] = 255;  // blue at half alpha, but one opaque pixel
        translucent.pixels[i + 3] = i == 0 ? 255 : 128;
    }
    w.defineBitsLossless(1, opaque, 5, true);
    w.defineBitsLossless(2, translucent, 5, true);
    for (uint16_t id : {uint16_t(1), uint16_t(2)}) {
        swf::FillStyle fill;
        fill.kind = swf::FillStyle::Kind::Bitmap;
        fill.bitmapId = id;
        fill.bitmapSmoothed = false;
        fill.bitmapRepeating = false;
        double left = id == 1 ? 0 : 50 * 20;
        fill.bitmapMatrix = {250, 0, 0, 250, left, 0};  // each texel 12.5 px
        w.defineShape(static_cast<uint16_t>(10 + id), swfw::rectangleShape({left, 0, left + 50 * 20, 50 * 20}, fill));
        w.placeObject(place(id, static_cast<uint16_t>(10 + id)));
    }
    w.showFrame();
    std::string error;
    auto p = swf::Player::load(w.finish(false), error);
    ASSERT_TRUE(p) << error;
    EXPECT_EQ(pixelAt(*p, 20, 20), kRed);
    swf::Rgba blended = pixelAt(*p, 80, 30);
    EXPECT_NEAR(blended.r, 127, 2);
    EXPECT_NEAR(blended.g, 127, 2);
    EXPECT_EQ(blended.b, 255);
    EXPECT_EQ(pixelAt(*p, 55, 5), (swf::Rgba{0, 0, 255, 255}));  // the one opaque texel
}

TEST(Painting, DeviceFontTextIsDrawnWithTheFallbackFont) {
    // A field that asks for a system font (one without outlines, or no font at all) still shows its
    // text, in its colour, with narrow glyphs taking less room than wide ones.
    for (bool namedFont : {true, false}) {
        MovieBuilder b;
        swf::Font sans;
        sans.version = 3;
        sans.name = "_sans";
        b.movie->characters[5] = {5, 75, sans};
        swf::EditText field;
        field.bounds = {0, 0, 2000, 2000};
        if (namedFont) field.fontId = 5;
        field.fontHeight = 1600;  // 80 px
        field.color = kBlue;
        field.initialText = "I-";
        b.movie->characters[6] = {6, 37, field};
        b.main() = timeline({{place(1, 6)}});
        auto p = b.player();
        EXPECT_EQ(pixelAt(*p, 12, 60), kBlue) << namedFont;   // the stem of the I
        EXPECT_EQ(pixelAt(*p, 25, 60), kWhite) << namedFont;  // after it
        EXPECT_EQ(pixelAt(*p, 35, 58), kBlue) << namedFont;   // the dash, right after the narrow I
        EXPECT_EQ(pixelAt(*p, 35, 40), kWhite) << namedFont;  // above the dash
    }
}
