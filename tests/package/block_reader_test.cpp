#include "package/block_reader.h"
#include "package/block_writer.h"
#include "package/field_readers.h"
#include "package/image_end.h"
#include "package/movie_copy.h"
#include "support/error.h"
#include "tests/package/test_files.h"

#include <gtest/gtest.h>

#include <random>

using testfiles::Append;
using testfiles::Append32;
using testfiles::AppendText;

namespace {

struct MemoryTarget : sav::MovieTarget {
    std::vector<uint8_t> bytes;
    bool written = false;
    void begin() override { bytes.clear(); }
    void write(const uint8_t* data, size_t size) override { bytes.insert(bytes.end(), data, data + size); }
    void commit() override { written = true; }
    void discard() noexcept override { bytes.clear(); }
};

TPackageSettings Fresh() {
    TPackageSettings settings;
    sav::ResetPackageSettings(settings);
    return settings;
}

// The fields up to the picture, written by hand so that lengths can lie.
std::vector<uint8_t> Head(const std::string& caption, const std::string& button, uint32_t colour, uint8_t flag,
                          const std::string& about) {
    std::vector<uint8_t> b;
    Append32(b, 0xDEADBEEF);
    Append32(b, uint32_t(caption.size())), AppendText(b, caption);
    Append32(b, uint32_t(button.size())), AppendText(b, button);
    Append32(b, colour);
    b.push_back(flag);
    Append32(b, uint32_t(about.size())), AppendText(b, about);
    return b;
}

TEST(PackageBlock, WorkedExampleByteForByte) {
    const uint32_t imageEnd = 1199616;
    auto file = testfiles::Executable({{0x400, imageEnd - 0x400}}, imageEnd);
    ASSERT_EQ(sav::ImageEndFromHeaders(file.data(), file.size()), imageEnd);

    sav::PackageContents contents;
    contents.dialogCaption = "Ocean Waves Deluxe 2";  // 20 characters
    contents.buttonCaption = "OK";
    contents.backColor = 0;
    contents.interactive = false;
    contents.aboutText = "{\\rtf1";
    contents.aboutText.resize(4006, 'x');
    contents.watermarkLeft = -32768;
    contents.watermarkTop = -32768;
    contents.movie = {'C', 'W', 'S', 8};
    contents.movie.resize(94789, 0x5A);
    const auto block = sav::WritePackageBlock(contents);
    Append(file, block);
    ASSERT_EQ(file.size(), 1298478u);
    ASSERT_EQ(block.size(), 98862u);

    const uint8_t* b = block.data();
    auto u32 = [&](size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; };
    EXPECT_EQ(u32(4), 20u);
    EXPECT_EQ(std::string(b + 8, b + 28), "Ocean Waves Deluxe 2");
    EXPECT_EQ(u32(28), 2u);
    EXPECT_EQ(std::string(b + 32, b + 34), "OK");
    EXPECT_EQ(u32(34), 0u);
    EXPECT_EQ(b[38], 0);
    EXPECT_EQ(u32(39), 4006u);
    EXPECT_EQ(std::string(b + 43, b + 49), "{\\rtf1");
    EXPECT_EQ(u32(4049), 4u);
    EXPECT_EQ((std::vector<uint8_t>(b + 4053, b + 4057)), (std::vector<uint8_t>{0x00, 0x80, 0xFF, 0xFF}));
    EXPECT_EQ(u32(4057), 4u);
    EXPECT_EQ(u32(4061), 0xFFFF8000u);
    EXPECT_EQ(u32(4065), 0u);
    EXPECT_EQ(u32(4069), 94789u);
    EXPECT_EQ(std::string(b + 4073, b + 4076), "CWS");

    // Read back as the saver does: seek to the image end, fields 1 to 9, then the movie.
    sav::MemoryStream stream(file);
    stream.seek(imageEnd);
    TPackageSettings settings = Fresh();
    ASSERT_TRUE(sav::ReadPackageFields(stream, settings));
    EXPECT_EQ(settings.DialogCaption, "Ocean Waves Deluxe 2");
    EXPECT_EQ(settings.ButtonCaption, "OK");
    EXPECT_EQ(settings.BackColor, 0);
    EXPECT_EQ(settings.Interactive, 0);
    EXPECT_EQ(settings.AboutText.size(), 4006u);
    EXPECT_EQ(settings.WatermarkLeft, -32768);
    EXPECT_EQ(settings.WatermarkTop, -32768);
    EXPECT_FALSE(settings.Watermark->hasGraphic());
    EXPECT_EQ(stream.position(), imageEnd + 4069u);
    MemoryTarget movie;
    EXPECT_EQ(sav::CopyMovie(stream, movie), sav::MovieCopy::Written);
    EXPECT_EQ(movie.bytes, contents.movie);
}

TEST(PackageBlock, DefaultsWithoutAndWithABlock) {
    TPackageSettings none = Fresh();
    EXPECT_EQ(none.DialogCaption, "");
    EXPECT_EQ(none.ButtonCaption, "");
    EXPECT_EQ(none.BackColor, 0);
    EXPECT_EQ(none.Interactive, 0);
    EXPECT_EQ(none.WatermarkLeft, -1);
    EXPECT_EQ(none.WatermarkTop, -1);
    ASSERT_TRUE(none.Watermark);
    EXPECT_FALSE(none.Watermark->hasGraphic());
    EXPECT_EQ(none.MovieFile, "");

    // Empty captions read from a block become "About" and "OK"; the about text has no default.
    auto block = Head("", "", 0x1FFFFFFF, 7, "");
    Append32(block, 0), Append32(block, 0), Append32(block, 0), Append32(block, 0);
    sav::MemoryStream stream(block);
    TPackageSettings settings = Fresh();
    ASSERT_TRUE(sav::ReadPackageFields(stream, settings));
    EXPECT_EQ(settings.DialogCaption, "About");
    EXPECT_EQ(settings.ButtonCaption, "OK");
    EXPECT_EQ(settings.AboutText, "");
    EXPECT_EQ(settings.BackColor, clNone);
    EXPECT_EQ(settings.Interactive, 7);
    EXPECT_EQ(settings.WatermarkLeft, -1);  // length 0 leaves -1
    EXPECT_EQ(settings.WatermarkTop, -1);
}

TEST(PackageBlock, SizedIntegerLengths) {
    auto read = [](std::vector<uint8_t> field, int32_t start, bool& whole) {
        field.resize(field.size() + 3, 0xEE);  // something behind, so that lengths fit
        sav::MemoryStream stream(field);
        int32_t value = start;
        whole = sav::ReadSizedValue(stream, value);
        return value;
    };
    bool whole = false;
    EXPECT_EQ(read({2, 0, 0, 0, 0x10, 0x00}, -1, whole), 16 - 65536);
    EXPECT_TRUE(whole);
    EXPECT_EQ(read({0, 0, 0, 0}, -1, whole), -1);
    EXPECT_EQ(read({1, 0, 0, 0, 0x05}, 0x11223344, whole), 0x11223305);
    // A longer field: its first four bytes count, the rest is skipped.
    std::vector<uint8_t> six{6, 0, 0, 0, 1, 2, 3, 4, 9, 9, 0x77};
    sav::MemoryStream stream(six);
    int32_t value = -1;
    EXPECT_TRUE(sav::ReadSizedValue(stream, value));
    EXPECT_EQ(value, 0x04030201);
    EXPECT_EQ(stream.position(), 10u);
    // A negative length or one past the end is not taken.
    EXPECT_EQ(read({0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4}, -1, whole), -1);
    EXPECT_FALSE(whole);
    EXPECT_EQ(read({0x00, 0x10, 0, 0, 1, 2}, 5, whole), 5);
    EXPECT_FALSE(whole);
}

TEST(PackageBlock, LyingStringLengthsStopTheBlockWithTheFieldsSoFar) {
    for (uint32_t length : {0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu, 1000u}) {
        std::vector<uint8_t> block;
        Append32(block, 0);
        Append32(block, 5), AppendText(block, "Title");
        Append32(block, length), AppendText(block, "short");
        sav::MemoryStream stream(block);
        TPackageSettings settings = Fresh();
        EXPECT_FALSE(sav::ReadPackageFields(stream, settings)) << length;
        EXPECT_EQ(settings.DialogCaption, "Title");
        EXPECT_EQ(settings.ButtonCaption, "") << length;  // untouched, not filled with unread bytes
        EXPECT_EQ(settings.BackColor, 0);
    }
}

TEST(PackageBlock, BlockEndingInsideColourChangesOnlyTheBytesThatArrived) {
    auto block = Head("A", "B", 0, 0, "");
    block.resize(4 + 5 + 5 + 2);  // two bytes of the colour
    block[14] = 0x34, block[15] = 0x12;
    sav::MemoryStream stream(block);
    TPackageSettings settings = Fresh();
    settings.BackColor = int32_t(0x7F000000);
    EXPECT_FALSE(sav::ReadPackageFields(stream, settings));
    EXPECT_EQ(settings.BackColor, 0x7F001234);
    EXPECT_EQ(settings.Interactive, 0);
}

TEST(PackageBlock, PicturesOfOtherFormatsAreSkippedAndTheMovieFollows) {
    const std::string gif = "GIF89a\x01\x00\x01\x00\x80\x00\x00";
    for (const std::string& picture : {gif, std::string("B"), std::string("")}) {
        auto block = Head("C", "D", 0, 1, "{\\rtf1 x}");
        Append32(block, 4), Append32(block, 10);
        Append32(block, 4), Append32(block, 20);
        Append32(block, uint32_t(picture.size())), AppendText(block, picture);
        Append32(block, 5), AppendText(block, "FWS\x06z");
        AppendText(block, "trailing bytes that are never read");
        sav::MemoryStream stream(block);
        TPackageSettings settings = Fresh();
        ASSERT_TRUE(sav::ReadPackageFields(stream, settings));
        EXPECT_FALSE(settings.Watermark->hasGraphic()) << picture.size();
        EXPECT_EQ(settings.WatermarkLeft, 10);
        EXPECT_EQ(settings.WatermarkTop, 20);
        MemoryTarget movie;
        EXPECT_EQ(sav::CopyMovie(stream, movie), sav::MovieCopy::Written);
        EXPECT_EQ(std::string(movie.bytes.begin(), movie.bytes.end()), std::string("FWS\x06z"));
    }
}

TEST(PackageBlock, PictureFailuresLeaveTheReader) {
    auto head = Head("C", "D", 0, 1, "");
    Append32(head, 0), Append32(head, 0);

    auto failureOf = [](const std::vector<uint8_t>& block) -> std::string {
        sav::MemoryStream stream(block);
        TPackageSettings settings = Fresh();
        try {
            sav::ReadPackageFields(stream, settings);
        } catch (const sav::Error& failure) {
            return failure.className();
        }
        return "no failure";
    };
    auto pastEnd = head;
    Append32(pastEnd, 0xFFFFFFF0u), AppendText(pastEnd, "BM....");
    EXPECT_EQ(failureOf(pastEnd), "EReadError");

    auto damaged = head;
    Append32(damaged, 6), AppendText(damaged, "BMjunk");
    Append32(damaged, 0);
    EXPECT_EQ(failureOf(damaged), "EInvalidGraphic");
}

TEST(PackageBlock, EmptyPictureFieldClearsAnEarlierGraphic) {
    Picture picture;
    const auto bmp = testfiles::Bitmap24(1, 1, {0xFF0000});
    picture.load(bmp.data(), bmp.size());
    ASSERT_TRUE(picture.hasGraphic());
    std::vector<uint8_t> field{0, 0, 0, 0};
    sav::MemoryStream stream(field);
    sav::ReadPicture(stream, picture);
    EXPECT_FALSE(picture.hasGraphic());
    EXPECT_EQ(picture.width(), 0);
}

}  // namespace

namespace {

// Blocks of random bytes, and real blocks with random damage, are read without a crash, without
// reading past the end and without a failure other than the program's own.
TEST(PackageBlock, RandomBlocksAreReadSafely) {
    std::mt19937 random(8122026);
    sav::PackageContents contents;
    contents.dialogCaption = "Caption";
    contents.aboutText = "{\\rtf1 about}";
    contents.watermark = testfiles::Bitmap24(3, 3, std::vector<uint32_t>(9, 0x102030));
    contents.movie = {'F', 'W', 'S', 6, 1, 2, 3, 4};
    const auto real = sav::WritePackageBlock(contents);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> block;
        if (round % 2) {
            block.resize(random() % 80);
            for (auto& b : block) b = uint8_t(random() % 4 ? random() % 8 : random());
        } else {
            block = real;
            for (int i = 0; i < 3; ++i) block[random() % block.size()] = uint8_t(random());
            block.resize(random() % (block.size() + 1));
        }
        sav::MemoryStream stream(block);
        TPackageSettings settings = Fresh();
        try {
            if (sav::ReadPackageFields(stream, settings)) {
                MemoryTarget movie;
                sav::CopyMovie(stream, movie);
            }
        } catch (const sav::Error&) {
        }
        EXPECT_LE(settings.DialogCaption.size() + settings.ButtonCaption.size() + settings.AboutText.size(),
                  block.size());
    }
}

}  // namespace
