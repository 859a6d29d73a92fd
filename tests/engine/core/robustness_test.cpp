// Damaged movies: truncated and bit-flipped copies of written movies load or fail cleanly, and
// those that load play and render 30 frames without crashing or hanging.
#include <gtest/gtest.h>

#include <random>

#include "engine/core/player.h"
#include "tests/engine/core/movie_builder.h"
#include "tools/swfwriter/swf_writer.h"

using namespace coretest;

namespace {

std::vector<std::vector<uint8_t>> sampleMovies() {
    std::vector<std::vector<uint8_t>> out;
    {
        swfw::SwfWriter w(8, {0, 0, 2000, 2000}, 24);
        w.setBackgroundColor({10, 20, 30, 255});
        swf::FillStyle grad;
        grad.kind = swf::FillStyle::Kind::RadialGradient;
        grad.gradient.matrix = swf::Matrix::scale(0.05, 0.05);
        grad.gradient.stops = {{0, kRed}, {255, kBlue}};
        w.defineShape(1, swfw::rectangleShape({0, 0, 1000, 1000}, grad));
        w.defineShape(2, swfw::rectangleShape({0, 0, 500, 500}, kGreen));
        swfw::SwfWriter inner;
        inner.placeObject(place(1, 2));
        inner.showFrame();
        auto turn = moveTo(1, 5, 5);
        turn.matrix = swf::Matrix{0.7, 0.7, -0.7, 0.7, 100, 0};
        inner.placeObject(turn);
        inner.showFrame();
        w.defineSprite(3, inner);
        auto mask = place(1, 2);
        mask.clipDepth = 3;
        w.placeObject(mask);
        w.placeObject(place(2, 1));
        w.placeObject(place(3, 3, 40, 40));
        w.showFrame();
        w.removeObject(2);
        w.showFrame();
        w.placeObject(place(2, 1, 20, 0));
        w.showFrame();
        out.push_back(w.finish(false));
        out.push_back(w.finish(true));
    }
    {
        swfw::SwfWriter w(10, {0, 0, 2000, 2000}, 12);
        swf::RgbaImage pixels(4, 4);
        for (size_t i = 0; i < pixels.pixels.size(); ++i) pixels.pixels[i] = static_cast<uint8_t>(i * 13);
        w.defineBitsLossless(1, pixels, 5, true);
        swf::FillStyle bitmapFill;
        bitmapFill.kind = swf::FillStyle::Kind::Bitmap;
        bitmapFill.bitmapId = 1;
        bitmapFill.bitmapMatrix = swf::Matrix::scale(20, 20);
        w.defineShape(2, swfw::rectangleShape({0, 0, 1600, 1600}, bitmapFill));
        auto blended = place(1, 2);
        blended.version = 3;
        blended.blendMode = swf::BlendMode::Multiply;
        swf::Filter blur;
        blur.kind = swf::Filter::Kind::Blur;
        blended.filters = std::vector<swf::Filter>{blur};
        w.placeObject(blended);
        w.showFrame();
        out.push_back(w.finish(true));
    }
    return out;
}

void playDamaged(const std::vector<uint8_t>& bytes) {
    std::string error;
    auto player = swf::Player::load(bytes, error);
    if (!player) {
        EXPECT_FALSE(error.empty());
        return;
    }
    swf::RgbaImage image;
    player->setViewport(40, 30, {});
    for (int f = 0; f < 30; ++f) {
        player->tick();
        player->render(image);
    }
    player->gotoFrame(1);
    player->render(image);
    EXPECT_EQ(image.width, 40);
}

}  // namespace

TEST(Robustness, TruncatedMoviesPlayOrFailCleanly) {
    for (const auto& movie : sampleMovies()) {
        for (size_t len = 0; len < movie.size(); len += std::max<size_t>(1, movie.size() / 60))
            playDamaged(std::vector<uint8_t>(movie.begin(), movie.begin() + static_cast<long>(len)));
    }
}

TEST(Robustness, BitFlippedMoviesPlayOrFailCleanly) {
    std::mt19937 rng(1234);
    for (const auto& movie : sampleMovies()) {
        for (int round = 0; round < 150; ++round) {
            auto damaged = movie;
            int flips = 1 + static_cast<int>(rng() % 4);
            for (int k = 0; k < flips; ++k) damaged[rng() % damaged.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
            playDamaged(damaged);
        }
    }
}
