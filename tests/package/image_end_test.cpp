#include "package/image_end.h"

#include "tests/package/test_files.h"

#include <gtest/gtest.h>

using testfiles::Executable;

namespace {

uint32_t End(const std::vector<uint8_t>& file) { return sav::ImageEndFromHeaders(file.data(), file.size()); }

TEST(ImageEnd, LargestSectionEndOfAPe32Image) {
    // Unordered sections; one without raw data counts with its pointer alone.
    EXPECT_EQ(End(Executable({{0x400, 0x1000}, {0x3400, 0x200}, {0x1400, 0x2000}, {0x3800, 0}}, 0x4000)), 0x3800u);
}

TEST(ImageEnd, Pe32IgnoresTheOptionalHeaderSizeField) {
    // A size field of 240 would move the table by 16 bytes; a PE32 image is read at 224 all the same.
    EXPECT_EQ(End(Executable({{0x400, 0x600}}, 0x1000, false, 240)), 0xA00u);
}

TEST(ImageEnd, Pe32PlusHasA240ByteOptionalHeader) {
    EXPECT_EQ(End(Executable({{0x400, 0x600}, {0xA00, 0x1200}}, 0x2000, true)), 0x1C00u);
    // Read as a PE32 table, the same bytes give a different (wrong) answer: the magic decides.
    auto file = Executable({{0x400, 0x600}, {0xA00, 0x1200}}, 0x2000, true);
    file[0x80 + 24] = 0x0B, file[0x80 + 25] = 0x01;
    EXPECT_NE(End(file), 0x1C00u);
}

TEST(ImageEnd, ZeroWithoutSignaturesSectionsOrWholeHeaders) {
    auto file = Executable({{0x400, 0x600}}, 0x1000);
    EXPECT_EQ(End(Executable({}, 0x1000)), 0u);
    auto noMz = file;
    noMz[0] = 'X';
    EXPECT_EQ(End(noMz), 0u);
    auto noPe = file;
    noPe[0x80 + 2] = 1;  // "PE\1\0"
    EXPECT_EQ(End(noPe), 0u);
    auto farPe = file;
    farPe[60] = 0xF0, farPe[61] = 0xFF, farPe[62] = 0xFF, farPe[63] = 0xFF;  // header offset beyond the buffer
    EXPECT_EQ(End(farPe), 0u);
    EXPECT_EQ(sav::ImageEndFromHeaders(file.data(), 0x80 + 24 + 224 + 22), 0u);  // section entry cut short
    EXPECT_EQ(sav::ImageEndFromHeaders(file.data(), 1), 0u);
}

TEST(ImageEnd, SumsWrapInThirtyTwoBits) {
    // 0xFFFFFF00 + 0x200 wraps to 0x100: the other section's end is larger.
    EXPECT_EQ(End(Executable({{0xFFFFFF00, 0x200}, {0x400, 0x200}}, 0x1000)), 0x600u);
}

}  // namespace
