// The frame's pixels on their way into the control's bitmap: byte order, the background under
// translucent pixels, rows that mix both, and colour values a damaged frame could hold.
#include "flash/component/frame_pixels.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Pixels = std::vector<uint8_t>;

Pixels compose(const Pixels& rgba, flash::BackgroundRgb background) {
    Pixels out(rgba.size(), 0xEE);
    flash::composeFrameRow(rgba.data(), out.data(), rgba.size() / 4, background);
    return out;
}

TEST(FramePixels, OpaquePixelsChangeByteOrderOnly) {
    const Pixels rgba = {10, 20, 30, 255, 255, 0, 128, 255, 0, 0, 0, 255};
    EXPECT_EQ(compose(rgba, {1, 2, 3}), (Pixels{30, 20, 10, 255, 128, 0, 255, 255, 0, 0, 0, 255}));
    // A long row, as the fast path takes it: every pixel, none skipped at the end.
    Pixels row(4 * 1923);
    for (size_t i = 0; i < row.size(); ++i) row[i] = i % 4 == 3 ? 255 : static_cast<uint8_t>(i * 7);
    const Pixels out = compose(row, {});
    for (size_t x = 0; x < 1923; ++x) {
        ASSERT_EQ(out[4 * x], row[4 * x + 2]) << x;
        ASSERT_EQ(out[4 * x + 1], row[4 * x + 1]) << x;
        ASSERT_EQ(out[4 * x + 2], row[4 * x]) << x;
        ASSERT_EQ(out[4 * x + 3], 255) << x;
    }
}

TEST(FramePixels, TranslucentPixelsShowTheBackgroundThrough) {
    // Transparent: the background alone. Half red (premultiplied 128) over blue: red 128, blue 127.
    // An opaque pixel in the same row is still only swapped.
    const Pixels rgba = {0, 0, 0, 0, 128, 0, 0, 128, 1, 2, 3, 255};
    EXPECT_EQ(compose(rgba, {0, 0, 255}), (Pixels{255, 0, 0, 255, 127, 0, 128, 255, 3, 2, 1, 255}));
    EXPECT_EQ(compose(rgba, {40, 50, 60}), (Pixels{60, 50, 40, 255, 30, 25, 148, 255, 3, 2, 1, 255}));
}

TEST(FramePixels, ColoursAboveTheirAlphaSaturate) {
    // Not properly premultiplied: 200 at alpha 100 over white would pass 255 and must not wrap.
    EXPECT_EQ(compose({200, 50, 200, 100}, {255, 255, 255}), (Pixels{255, 205, 255, 255}));
}

}  // namespace

// A changed rectangle of the frame goes into the bitmap; every pixel outside it keeps the frame
// before, and a rectangle reaching past the frame (or wholly outside it) writes nothing there.
TEST(FramePixels, AnAreaIsComposedInPlaceAndClippedToTheFrame) {
    const int width = 7, height = 5;
    Pixels frame(4 * width * height);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = i % 4 == 3 ? 255 : static_cast<uint8_t>(i);
    Pixels bitmap(frame.size(), 0xEE);

    const flash::PixelArea done =
        flash::composeFrameArea(frame.data(), bitmap.data(), width, height, {5, -3, 12, 2}, {});
    EXPECT_EQ(done, (flash::PixelArea{5, 0, 7, 2}));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = 4 * static_cast<size_t>(y * width + x);
            const bool inside = x >= 5 && y < 2;
            EXPECT_EQ(bitmap[at], inside ? frame[at + 2] : 0xEE) << x << "," << y;
            EXPECT_EQ(bitmap[at + 2], inside ? frame[at] : 0xEE) << x << "," << y;
        }

    const Pixels before = bitmap;
    EXPECT_TRUE(flash::composeFrameArea(frame.data(), bitmap.data(), width, height, {-9, 1, -1, 4}, {}).empty());
    EXPECT_TRUE(flash::composeFrameArea(frame.data(), bitmap.data(), width, height, {2, 5, 4, 9}, {}).empty());
    EXPECT_TRUE(flash::composeFrameArea(frame.data(), bitmap.data(), width, height, {4, 3, 2, 4}, {}).empty());
    EXPECT_EQ(bitmap, before);
}
