#include <gtest/gtest.h>

#include <set>

#include "engine/core/player.h"
#include "tools/demo/demo_movie.h"

namespace {


int differingPixels(const swf::RgbaImage& a, const swf::RgbaImage& b) {
    int n = 0;
    for (size_t i = 0; i + 3 < a.pixels.size(); i += 4)
        if (std::abs(a.pixels[i] - b.pixels[i]) + std::abs(a.pixels[i + 1] - b.pixels[i + 1]) +
                std::abs(a.pixels[i + 2] - b.pixels[i + 2]) > 30)
            ++n;
    return n;
}

}  // namespace

TEST(DemoMovie, PlaysForSecondsAnimatesAndLoops) {
    std::string error;
    auto player = swf::Player::load(demo::writeDemoMovie(), error);
    ASSERT_TRUE(player) << error;
    EXPECT_EQ(player->frameCount(), demo::kFrameCount);
    EXPECT_GE(player->frameCount() / player->frameRate(), 3.0);
    player->setViewport(demo::kStageWidth, demo::kStageHeight, {});
    swf::RgbaImage first, later, again;
    player->render(first);
    for (int i = 0; i < 40; ++i) player->tick();
    player->render(later);
    EXPECT_GT(differingPixels(first, later), 2000) << "the tween, the clips and the mask move";
    for (int i = 40; i < demo::kFrameCount; ++i) player->tick();
    EXPECT_EQ(player->currentFrame(), 1);
    EXPECT_TRUE(player->takeWarnings().empty());
}

TEST(DemoMovie, ShowsTextGradientsAndTheBitmap) {
    std::string error;
    auto player = swf::Player::load(demo::writeDemoMovie(), error);
    ASSERT_TRUE(player) << error;
    player->setViewport(demo::kStageWidth, demo::kStageHeight, {});
    swf::RgbaImage image;
    player->render(image);
    // The title's first letter (a white block glyph at x 60.., baseline 80) is white.
    const uint8_t* title = image.at(62, 50);
    EXPECT_EQ(title[0], 255);
    EXPECT_EQ(title[2], 255);
    // The backdrop gradient runs from top to bottom.
    EXPECT_NE(image.at(5, 5)[0], image.at(5, 470)[0]);
    // The bitmap card has many colours.
    std::set<uint32_t> colours;
    for (int y = 290; y < 430; y += 3)
        for (int x = 40; x < 210; x += 3) {
            const uint8_t* p = image.at(x, y);
            colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
        }
    EXPECT_GT(colours.size(), 20u);
}

TEST(DemoMovie, CometClipMovesItselfByScript) {
    std::string error;
    auto player = swf::Player::load(demo::writeDemoMovie(), error);
    ASSERT_TRUE(player) << error;
    player->setViewport(demo::kStageWidth, demo::kStageHeight, {});
    swf::RgbaImage image;
    auto isCometCentre = [&](int x, int y) {
        const uint8_t* p = image.at(x, y);
        return p[0] > 240 && p[1] > 200 && p[2] > 150;
    };
    player->render(image);
    EXPECT_TRUE(isCometCentre(demo::kCometStartX, demo::kCometStartY));
    for (int i = 0; i < 10; ++i) player->tick();
    player->render(image);
    EXPECT_TRUE(isCometCentre(demo::kCometStartX + 40, demo::kCometStartY + 30));
    // A ball bouncing inside a 20-pixel margin: where it must be after 100 frames.
    int x = demo::kCometStartX, y = demo::kCometStartY, vx = 4, vy = 3;
    for (int i = 0; i < 100; ++i) {
        x += vx, y += vy;
        if (x > demo::kStageWidth - 20 || x < 20) vx = -vx;
        if (y > demo::kStageHeight - 20 || y < 20) vy = -vy;
    }
    ASSERT_LT(x, demo::kCometStartX + 400) << "it has bounced";
    for (int i = 10; i < 100; ++i) player->tick();
    player->render(image);
    EXPECT_TRUE(isCometCentre(x, y));
    EXPECT_TRUE(player->takeWarnings().empty());
}
