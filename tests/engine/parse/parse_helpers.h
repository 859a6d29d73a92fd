// Comparisons and small builders the parse tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/parse/parser.h"

namespace parse_test {

inline swf::Movie parse(const std::vector<uint8_t>& file) { return swf::parseMovie(file); }

// Expects parseMovie to throw ParseError of `kind`; returns its message.
inline std::string parseFailure(const std::vector<uint8_t>& file, swf::ParseError::Kind kind,
                                const swf::ParseLimits& limits = {}) {
    try {
        swf::parseMovie(file, limits);
    } catch (const swf::ParseError& e) {
        EXPECT_EQ(static_cast<int>(e.kind()), static_cast<int>(kind)) << e.what();
        return e.what();
    }
    ADD_FAILURE() << "the movie was accepted";
    return {};
}

inline void expectMatrix(const swf::Matrix& a, const swf::Matrix& b) {
    EXPECT_NEAR(a.a, b.a, 1e-4);
    EXPECT_NEAR(a.b, b.b, 1e-4);
    EXPECT_NEAR(a.c, b.c, 1e-4);
    EXPECT_NEAR(a.d, b.d, 1e-4);
    EXPECT_DOUBLE_EQ(a.tx, b.tx);
    EXPECT_DOUBLE_EQ(a.ty, b.ty);
}

inline void expectRect(const swf::Rect& a, const swf::Rect& b) {
    EXPECT_EQ(a.xMin, b.xMin);
    EXPECT_EQ(a.yMin, b.yMin);
    EXPECT_EQ(a.xMax, b.xMax);
    EXPECT_EQ(a.yMax, b.yMax);
}

}  // namespace parse_test
