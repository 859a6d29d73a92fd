#include "flash/color_swap.h"

#include <gtest/gtest.h>

namespace {

// System colours as a test machine would give them (0x00BBGGRR), by index.
std::uint32_t fakeSystemColor(int index) { return index == 15 ? 0x00C0D0E0u : 0x00010203u; }

TEST(FlashColorSwap, PureRedChangesFormBothWays) {
    // The GUI layer's red (0x000000FF) is the component's 0x00FF0000, and back again.
    EXPECT_EQ(flash::FlashColorSwap(0x000000FF, fakeSystemColor), 0x00FF0000);
    EXPECT_EQ(flash::FlashColorSwap(0x00FF0000, fakeSystemColor), 0x000000FF);
    EXPECT_EQ(flash::FlashColorSwap(0x00123456, fakeSystemColor), 0x00563412);
    EXPECT_EQ(flash::FlashColorSwap(flash::FlashColorSwap(0x00ABCDEF, nullptr), nullptr), 0x00ABCDEF);
    EXPECT_EQ(flash::FlashColorSwap(0x0000FF00, fakeSystemColor), 0x0000FF00);  // green stays
}

TEST(FlashColorSwap, SystemColourIsResolvedThenSwapped) {
    // 0x8000000F: system colour 15 (button face) resolves to 0x00C0D0E0, sent as 0x00E0D0C0.
    EXPECT_EQ(flash::FlashColorSwap(static_cast<std::int32_t>(0x8000000Fu), fakeSystemColor), 0x00E0D0C0);
    // Only the low byte selects the system colour.
    EXPECT_EQ(flash::FlashColorSwap(static_cast<std::int32_t>(0xFF00FF0Fu), fakeSystemColor), 0x00E0D0C0);
    EXPECT_EQ(flash::FlashColorSwap(static_cast<std::int32_t>(0x80000005u), fakeSystemColor), 0x00030201);
}

TEST(FlashColorSwap, TopByteIsCleared) {
    // The "no colour" value of the GUI layer loses its top byte: 0x1FFFFFFF goes as 0x00FFFFFF.
    EXPECT_EQ(flash::FlashColorSwap(0x1FFFFFFF, fakeSystemColor), 0x00FFFFFF);
    EXPECT_EQ(flash::FlashColorSwap(0x7F0000FF, fakeSystemColor), 0x00FF0000);
}

}  // namespace
