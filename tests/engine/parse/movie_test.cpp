// Whole movies: header and compression, timelines and their control tags, fonts, texts and buttons,
// and the ways a file can be wrong (truncated, lying lengths, limits).
#include <gtest/gtest.h>

#include "tests/engine/parse/parse_helpers.h"
#include "tests/engine/parse/sample_movies.h"
#include "tools/swfwriter/swf_writer.h"

using namespace parse_test;

namespace {

std::vector<uint8_t> movie(const std::string& name) {
    for (auto& [n, bytes] : sample::allMovies())
        if (n == name) return bytes;
    ADD_FAILURE() << "no sample movie " << name;
    return {};
}

template <class T>
std::vector<T> tagsOf(const swf::Frame& f) {
    std::vector<T> out;
    for (const auto& t : f.tags)
        if (auto* p = std::get_if<T>(&t)) out.push_back(*p);
    return out;
}

}  // namespace

TEST(MovieParse, HeaderOfPlainAndCompressedMovies) {
    for (bool compress : {false, true}) {
        swfw::SwfWriter w(9, swf::Rect{0, 0, 11000, 8000}, 29.97);
        w.showFrame();
        w.showFrame();
        std::vector<uint8_t> file = w.finish(compress);
        swf::Movie m = parse(file);
        EXPECT_EQ(m.header.version, 9);
        EXPECT_EQ(m.header.compression, compress ? swf::Compression::Zlib : swf::Compression::None);
        expectRect(m.header.stageRect, swf::Rect{0, 0, 11000, 8000});
        EXPECT_NEAR(m.header.frameRate, 29.97, 1.0 / 256);
        EXPECT_EQ(m.header.frameCount, 2);
        EXPECT_EQ(m.timeline.frames.size(), 2u);
        EXPECT_TRUE(m.warnings.empty());
    }
}

TEST(MovieParse, RefusesWhatIsNoMovie) {
    parseFailure({'G', 'I', 'F', '8', '9', 'a', 0, 0}, swf::ParseError::Kind::NotSwf);
    parseFailure({'F', 'W', 'S'}, swf::ParseError::Kind::NotSwf);
    std::vector<uint8_t> headerOnly = {'F', 'W', 'S', 8, 100, 0, 0, 0, 0x78};
    parseFailure(headerOnly, swf::ParseError::Kind::Truncated);
}

TEST(MovieParse, TruncatedMoviesKeepTheFramesBeforeTheCut) {
    swfw::SwfWriter w;
    w.defineShape(1, swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{}), 3);
    w.showFrame();
    w.defineShape(2, swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{}), 3);
    w.showFrame();
    for (bool compress : {false, true}) {
        std::vector<uint8_t> file = w.finish(compress);
        // Cuts into the second shape (deflate gives out all it decoded before a cut).
        size_t keep = compress ? file.size() - 9 : file.size() - 20;
        file.resize(keep);
        swf::Movie m = parse(file);
        EXPECT_EQ(m.timeline.frames.size(), 1u) << compress;
        EXPECT_NE(m.find(1), nullptr);
        EXPECT_EQ(m.find(2), nullptr);
        EXPECT_FALSE(m.warnings.empty());
    }
}

TEST(MovieParse, LyingLengthsAreContained) {
    // A tag whose long length claims more than the file holds: dropped with a warning.
    swfw::SwfWriter w;
    w.showFrame();
    std::vector<uint8_t> file = w.finish();
    file.resize(file.size() - 2);  // no End
    std::vector<uint8_t> lying = {static_cast<uint8_t>(2 << 6 | 0x3F), 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3};
    file.insert(file.end(), lying.begin(), lying.end());
    swf::Movie m = parse(file);
    EXPECT_EQ(m.timeline.frames.size(), 1u);
    ASSERT_FALSE(m.warnings.empty());
    EXPECT_NE(m.warnings[0].find("past the end"), std::string::npos);

    // A short tag whose own fields run past its length fails that character, not its neighbours.
    swfw::SwfWriter w2;
    swfw::BodyWriter body;
    body.u16(5);
    body.rect(swf::Rect{0, 0, 10, 10});
    body.u8(3);  // three fill styles promised, none there
    w2.tag(swfw::kDefineShape, body.data());
    w2.defineShape(6, swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{}), 1);
    swf::Movie m2 = parse(w2.finish());
    EXPECT_EQ(m2.failedCharacters.count(5), 1u);
    EXPECT_NE(m2.find(6), nullptr);

    // The header's file length is only a hint.
    std::vector<uint8_t> hint = swfw::SwfWriter().finish();
    hint[4] = hint[5] = hint[6] = hint[7] = 0xFF;
    EXPECT_NO_THROW(parse(hint));
}

TEST(MovieParse, TimelineControlTagsInOrder) {
    swf::Movie m = parse(movie("timeline"));
    EXPECT_TRUE(m.attributes.present);
    EXPECT_TRUE(m.attributes.useNetwork);
    EXPECT_FALSE(m.attributes.actionScript3);
    ASSERT_EQ(m.timeline.frames.size(), 2u);
    const swf::Frame& f1 = m.timeline.frames[0];
    auto labels = tagsOf<swf::FrameLabel>(f1);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].name, "start");
    EXPECT_TRUE(labels[0].namedAnchor);
    auto init = tagsOf<swf::DoInitAction>(f1);
    ASSERT_EQ(init.size(), 1u);
    EXPECT_EQ(init[0].spriteId, 2);
    EXPECT_EQ(init[0].bytes, (std::vector<uint8_t>{0x06, 0x00}));
    EXPECT_EQ(tagsOf<swf::DoAction>(f1).size(), 1u);
    auto places = tagsOf<swf::PlaceObject>(f1);
    ASSERT_EQ(places.size(), 2u);
    const swf::PlaceObject& p = places[0];
    EXPECT_EQ(p.version, 3);
    EXPECT_EQ(p.depth, 3);
    EXPECT_EQ(p.characterId, 2);
    EXPECT_EQ(p.name, "inner");
    EXPECT_EQ(p.clipDepth, 5);
    EXPECT_EQ(p.ratio, 7);
    EXPECT_EQ(p.blendMode, swf::BlendMode::Multiply);
    EXPECT_EQ(p.cacheAsBitmap, true);
    ASSERT_TRUE(p.colorTransform);
    EXPECT_FLOAT_EQ(p.colorTransform->rMul, 0.5f);
    EXPECT_FLOAT_EQ(p.colorTransform->aMul, 0.25f);
    EXPECT_FLOAT_EQ(p.colorTransform->gAdd, -20);
    expectMatrix(*p.matrix, swf::Matrix::translate(100, 200));
    ASSERT_TRUE(p.filters);
    ASSERT_EQ(p.filters->size(), 7u);
    const auto& fl = *p.filters;
    EXPECT_EQ(fl[0].kind, swf::Filter::Kind::DropShadow);
    EXPECT_EQ(fl[0].dropShadow.color, (swf::Rgba{1, 2, 3, 4}));
    EXPECT_DOUBLE_EQ(fl[0].dropShadow.distance, 6.5);
    EXPECT_TRUE(fl[0].dropShadow.inner);
    EXPECT_EQ(fl[0].dropShadow.passes, 3);
    EXPECT_EQ(fl[1].kind, swf::Filter::Kind::Blur);
    EXPECT_DOUBLE_EQ(fl[1].blur.blurX, 3);
    EXPECT_TRUE(fl[2].glow.knockout);
    EXPECT_EQ(fl[3].bevel.highlightColor, (swf::Rgba{200, 200, 200, 200}));
    EXPECT_TRUE(fl[3].bevel.onTop);
    EXPECT_FLOAT_EQ(fl[4].colorMatrix.matrix[4], 12.5f);
    EXPECT_EQ(fl[5].gradient.stops.size(), 2u);
    EXPECT_EQ(fl[6].convolution.matrix, (std::vector<float>{1, 2, 1}));
    EXPECT_FLOAT_EQ(fl[6].convolution.divisor, 4);
    EXPECT_EQ(places[1].version, 2);

    const swf::Frame& f2 = m.timeline.frames[1];
    auto removes = tagsOf<swf::RemoveObject>(f2);
    ASSERT_EQ(removes.size(), 1u);
    EXPECT_EQ(removes[0].depth, 3);
    EXPECT_FALSE(removes[0].characterId);
    auto bg = tagsOf<swf::SetBackgroundColor>(f2);
    ASSERT_EQ(bg.size(), 1u);
    EXPECT_EQ(bg[0].color, (swf::Rgba{1, 2, 3, 255}));
    EXPECT_EQ(m.exports.at("clip"), 2);
}

TEST(MovieParse, SpritesHaveTheirOwnFrames) {
    swf::Movie m = parse(movie("timeline"));
    const swf::Sprite* s = m.findAs<swf::Sprite>(2);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->timeline.declaredFrameCount, 2);
    ASSERT_EQ(s->timeline.frames.size(), 2u);
    EXPECT_EQ(tagsOf<swf::PlaceObject>(s->timeline.frames[0]).size(), 1u);
    EXPECT_EQ(tagsOf<swf::FrameLabel>(s->timeline.frames[1])[0].name, "second");
    EXPECT_EQ(tagsOf<swf::DoAction>(s->timeline.frames[1]).size(), 1u);
}

TEST(MovieParse, ShapesMovieMovesAndRemoves) {
    swf::Movie m = parse(movie("shapes compressed"));
    EXPECT_EQ(m.header.compression, swf::Compression::Zlib);
    ASSERT_EQ(m.timeline.frames.size(), 2u);
    auto first = tagsOf<swf::PlaceObject>(m.timeline.frames[0]);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].version, 1);
    EXPECT_EQ(first[0].characterId, 1);
    auto move = tagsOf<swf::PlaceObject>(m.timeline.frames[1]);
    ASSERT_EQ(move.size(), 1u);
    EXPECT_TRUE(move[0].move);
    EXPECT_FALSE(move[0].characterId);
    EXPECT_EQ(move[0].ratio, 32768);
    auto removed = tagsOf<swf::RemoveObject>(m.timeline.frames[1]);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].characterId, 1);
    EXPECT_EQ(tagsOf<swf::SetBackgroundColor>(m.timeline.frames[0])[0].color, (swf::Rgba{0, 128, 255, 255}));
}

TEST(MovieParse, FontsOfEveryVersionWithInfoAndLayout) {
    swf::Movie m = parse(movie("text"));
    const swf::Font* f1 = m.findAs<swf::Font>(1);
    ASSERT_NE(f1, nullptr);
    EXPECT_EQ(f1->glyphs.size(), 2u);
    EXPECT_TRUE(f1->hasFontInfo);
    EXPECT_EQ(f1->name, "Square");
    EXPECT_TRUE(f1->bold);
    EXPECT_EQ(f1->codeTable, (std::vector<uint16_t>{'A', 'B'}));
    EXPECT_EQ(f1->glyphs[1].records.size(), 5u);
    for (int v : {2, 3}) {
        const swf::Font* f = m.findAs<swf::Font>(static_cast<uint16_t>(v));
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->version, v);
        EXPECT_EQ(f->emSquare, v == 3 ? 20480 : 1024);
        EXPECT_EQ(f->codeTable, (std::vector<uint16_t>{'A', 'B'}));
        ASSERT_TRUE(f->layout);
        EXPECT_EQ(f->layout->ascent, 900);
        EXPECT_EQ(f->layout->leading, -20);
        EXPECT_EQ(f->layout->advances, (std::vector<double>{700, 650}));
        EXPECT_EQ(f->layout->bounds[1].yMin, -700);
        ASSERT_EQ(f->layout->kerning.size(), 1u);
        EXPECT_EQ(f->layout->kerning[0].adjustment, -30);
        EXPECT_EQ(f->glyphs[0].records[0].moveTo.y, -800);
    }
}

TEST(MovieParse, StaticAndEditTexts) {
    swf::Movie m = parse(movie("text"));
    for (uint16_t id : {4, 5}) {
        const swf::StaticText* t = m.findAs<swf::StaticText>(id);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->version, id == 4 ? 2 : 1);
        expectMatrix(t->matrix, swf::Matrix::translate(20, 40));
        ASSERT_EQ(t->records.size(), 2u);
        const swf::TextRecord& r = t->records[0];
        EXPECT_EQ(r.fontId, 2);
        EXPECT_EQ(r.color, (swf::Rgba{255, 0, 0, static_cast<uint8_t>(id == 4 ? 200 : 255)}));
        EXPECT_EQ(r.xOffset, 10);
        EXPECT_EQ(r.yOffset, 800);
        EXPECT_EQ(r.height, 400);
        ASSERT_EQ(r.glyphs.size(), 2u);
        EXPECT_EQ(r.glyphs[1].index, 1u);
        EXPECT_EQ(r.glyphs[1].advance, -5);
        EXPECT_FALSE(t->records[1].fontId);
        EXPECT_EQ(t->records[1].glyphs[0].advance, 250);
    }
    const swf::EditText* e = m.findAs<swf::EditText>(6);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->fontId, 2);
    EXPECT_EQ(e->fontHeight, 300);
    EXPECT_EQ(e->color, (swf::Rgba{0, 0, 255, 255}));
    EXPECT_EQ(e->maxLength, 40);
    EXPECT_TRUE(e->hasLayout);
    EXPECT_EQ(e->align, 2);
    EXPECT_EQ(e->leftMargin, 40);
    EXPECT_EQ(e->leading, -10);
    EXPECT_EQ(e->variableName, "label");
    EXPECT_EQ(e->initialText, "AB");
    EXPECT_TRUE(e->multiline && e->wordWrap && e->readOnly && e->noSelect && e->useOutlines);
    EXPECT_FALSE(e->password || e->html || e->border);
}

TEST(MovieParse, TextRenderSettingsGoToTheirText) {
    swfw::SwfWriter w(8);
    swf::EditText field;
    field.bounds = swf::Rect{0, 0, 2000, 400};
    w.defineEditText(3, field);
    w.defineShape(4, swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{}), 1);
    w.csmTextSettings(3, swf::TextRenderSettings{1, 2, -1.5, 250});
    w.csmTextSettings(9, swf::TextRenderSettings{});  // no such character
    w.csmTextSettings(4, swf::TextRenderSettings{});  // a shape, no text
    swfw::BodyWriter cut;
    cut.u16(3);
    cut.u8(0x08);  // pixel fitting, then the numbers are missing
    w.tag(swfw::kCsmTextSettings, cut.data());
    swf::Movie m = parse(w.finish());
    const swf::EditText* e = m.findAs<swf::EditText>(3);
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(e->renderSettings);
    EXPECT_EQ(e->renderSettings->renderer, 1);
    EXPECT_EQ(e->renderSettings->gridFit, 2);
    EXPECT_EQ(e->renderSettings->thickness, -1.5);
    EXPECT_EQ(e->renderSettings->sharpness, 250);
    EXPECT_EQ(m.warnings.size(), 3u);  // each bad tag is skipped and told of; the good one stays
    EXPECT_NE(m.find(4), nullptr);
}

TEST(MovieParse, ButtonsOfBothVersions) {
    swf::Movie m = parse(movie("timeline"));
    const swf::Button* b = m.findAs<swf::Button>(3);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->version, 2);
    EXPECT_TRUE(b->trackAsMenu);
    ASSERT_EQ(b->records.size(), 1u);
    const swf::ButtonRecord& r = b->records[0];
    EXPECT_TRUE(r.up && r.hitTest);
    EXPECT_FALSE(r.over || r.down);
    EXPECT_EQ(r.characterId, 1);
    EXPECT_FLOAT_EQ(r.colorTransform.aMul, 0.5f);
    ASSERT_EQ(r.filters.size(), 1u);
    EXPECT_EQ(r.blendMode, swf::BlendMode::Screen);
    ASSERT_EQ(b->actions.size(), 2u);
    EXPECT_EQ(b->actions[0].conditions, swf::ButtonAction::kOverDownToOverUp);
    EXPECT_EQ(b->actions[0].bytes, (std::vector<uint8_t>{0x06, 0x00}));
    EXPECT_EQ(b->actions[1].conditions, 0x0001);

    const swf::Button* b1 = m.findAs<swf::Button>(4);
    ASSERT_NE(b1, nullptr);
    EXPECT_EQ(b1->version, 1);
    ASSERT_EQ(b1->actions.size(), 1u);
    EXPECT_EQ(b1->actions[0].bytes, (std::vector<uint8_t>{0x07, 0x00}));
    // DefineButtonCxform applies to every record of its button.
    EXPECT_FLOAT_EQ(b1->records[0].colorTransform.gMul, 0.5f);
    EXPECT_FLOAT_EQ(b1->records[0].colorTransform.gAdd, 10);
}

TEST(MovieParse, ActionScript3MoviesStillHaveTheirTimeline) {
    swfw::SwfWriter w(10);
    w.fileAttributes(true);
    w.tag(swfw::kDoAbc, {1, 0, 0, 0, 'x', 0, 1, 2, 3});
    w.defineShape(1, swfw::rectangleShape(swf::Rect{0, 0, 100, 100}, swf::Rgba{}), 3);
    swf::PlaceObject p;
    p.version = 2;
    p.characterId = 1;
    p.depth = 1;
    w.placeObject(p);
    w.showFrame();
    w.showFrame();
    swf::Movie m = parse(w.finish());
    EXPECT_TRUE(m.attributes.actionScript3);
    EXPECT_TRUE(m.hasAbc);
    EXPECT_EQ(m.timeline.frames.size(), 2u);
    EXPECT_EQ(tagsOf<swf::PlaceObject>(m.timeline.frames[0]).size(), 1u);
}

TEST(MovieParse, ScenesOfTheMainTimeline) {
    // Two scenes (the second at frame 200, a number that takes two bytes), then a cut-short list.
    std::vector<uint8_t> good{2, 0, 'A', 0, 0xC8, 0x01, 'B', 'c', 0, 1, 0, 'x', 0};
    swfw::SwfWriter w(10);
    w.tag(86, good);
    w.showFrame();
    swf::Movie m = parse(w.finish());
    ASSERT_EQ(m.scenes.size(), 2u);
    EXPECT_EQ(m.scenes[0].name, "A");
    EXPECT_EQ(m.scenes[0].firstFrame, 0u);
    EXPECT_EQ(m.scenes[1].name, "Bc");
    EXPECT_EQ(m.scenes[1].firstFrame, 200u);
    for (std::vector<uint8_t> bad : {std::vector<uint8_t>{3, 0, 'A', 0, 5}, std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x0F, 0}}) {
        swfw::SwfWriter b(10);
        b.tag(86, good);
        b.tag(86, bad);  // skipped whole: the good list stays
        b.showFrame();
        swf::Movie mb = parse(b.finish());
        EXPECT_EQ(mb.scenes.size(), 2u);
        EXPECT_FALSE(mb.warnings.empty());
    }
}

TEST(MovieParse, MovieWideLimits) {
    swfw::SwfWriter w;
    for (int i = 0; i < 10; ++i) w.showFrame();
    swf::ParseLimits limits;
    limits.maxTagCount = 5;
    EXPECT_NE(parseFailure(w.finish(), swf::ParseError::Kind::Limit, limits).find("tags"), std::string::npos);
    limits = {};
    limits.maxInflatedBytes = 20;
    parseFailure(w.finish(true), swf::ParseError::Kind::Limit, limits);
    parseFailure(w.finish(false), swf::ParseError::Kind::Limit, limits);
    limits.maxInflatedBytes = 200;
    EXPECT_EQ(swf::parseMovie(w.finish(true), limits).timeline.frames.size(), 10u);

    // A zlib bomb: megabytes of zeros from a few kilobytes stop at the limit.
    swfw::SwfWriter bomb;
    bomb.tag(777, std::vector<uint8_t>(8 * 1024 * 1024, 0));
    limits.maxInflatedBytes = 1024 * 1024;
    parseFailure(bomb.finish(true), swf::ParseError::Kind::Limit, limits);
}

TEST(MovieParse, SpriteNestingLimit) {
    auto nested = [](int depth) {
        swfw::SwfWriter inner;
        inner.showFrame();
        for (int i = 1; i < depth; ++i) {
            swfw::SwfWriter outer;
            outer.defineSprite(static_cast<uint16_t>(100 + i), inner);
            outer.showFrame();
            inner = outer;
        }
        swfw::SwfWriter top;
        top.defineSprite(1, inner);
        top.showFrame();
        return top.finish();
    };
    swf::ParseLimits limits;
    limits.maxSpriteNesting = 3;
    swf::Movie ok = swf::parseMovie(nested(3), limits);
    EXPECT_NE(ok.find(1), nullptr);
    // The sprite one level too deep fails; those around it stay.
    swf::Movie deep = swf::parseMovie(nested(4), limits);
    EXPECT_NE(deep.find(1), nullptr);
    EXPECT_EQ(deep.find(101), nullptr);
    ASSERT_EQ(deep.failedCharacters.count(101), 1u);
    EXPECT_NE(deep.failedCharacters.at(101).find("nested"), std::string::npos);
    EXPECT_EQ(deep.timeline.frames.size(), 1u);
}
