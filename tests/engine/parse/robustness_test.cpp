// Damaged movies never crash, hang or run away with memory: every sample movie, cut at many lengths
// and with bits flipped, goes through the parser and through decoding of every bitmap it still has.
#include <gtest/gtest.h>

#include <random>

#include "engine/parse/bitmap_decoder.h"
#include "engine/parse/parser.h"
#include "tests/engine/parse/sample_movies.h"

namespace {

// Small limits keep damaged sizes cheap to try; the code paths are the same.
swf::ParseLimits testLimits() {
    swf::ParseLimits l;
    l.maxInflatedBytes = 4 * 1024 * 1024;
    l.maxBitmapDimension = 1024;
    l.maxTotalBitmapPixels = 4 * 1024 * 1024;
    return l;
}

// Parses and decodes; returns whether the parser accepted the movie.
bool exercise(const std::vector<uint8_t>& file) {
    swf::Movie m;
    try {
        m = swf::parseMovie(file, testLimits());
    } catch (const swf::ParseError& e) {
        EXPECT_NE(std::string(e.what()), "");
        return false;
    }
    for (const auto& [id, c] : m.characters) {
        if (const auto* b = std::get_if<swf::EncodedBitmap>(&c.definition)) {
            std::string error;
            swf::BitmapRef img = swf::decodeBitmap(*b, m.jpegTables, error, 1024);
            EXPECT_TRUE(img != nullptr || !error.empty()) << "a failed bitmap says why";
        }
    }
    return true;
}

}  // namespace

TEST(ParseRobustness, EveryMovieParsesWhole) {
    for (const auto& [name, file] : sample::allMovies()) {
        swf::Movie m = swf::parseMovie(file);
        EXPECT_TRUE(m.warnings.empty()) << name << ": " << (m.warnings.empty() ? "" : m.warnings[0]);
        EXPECT_TRUE(m.failedCharacters.empty()) << name;
        EXPECT_FALSE(m.timeline.frames.empty()) << name;
    }
}

TEST(ParseRobustness, TruncatedMovies) {
    for (const auto& [name, file] : sample::allMovies()) {
        size_t step = std::max<size_t>(1, file.size() / 400);
        size_t accepted = 0;
        for (size_t len = 0; len < file.size(); len += step) {
            std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(len));
            accepted += exercise(cut);
        }
        // Past the header every cut still plays what came before it.
        EXPECT_GT(accepted, 0u) << name;
    }
}

TEST(ParseRobustness, BitFlippedMovies) {
    std::mt19937 rng(20261208);
    for (const auto& [name, file] : sample::allMovies()) {
        SCOPED_TRACE(name);
        std::uniform_int_distribution<size_t> pos(8, file.size() - 1);  // keep the signature
        for (int round = 0; round < 600; ++round) {
            std::vector<uint8_t> damaged = file;
            int flips = 1 + round % 8;
            for (int i = 0; i < flips; ++i) damaged[pos(rng)] ^= static_cast<uint8_t>(1u << (rng() % 8));
            if (round % 5 == 0) damaged[pos(rng)] = static_cast<uint8_t>(rng());  // whole byte
            exercise(damaged);
        }
    }
}
