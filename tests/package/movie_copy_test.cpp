#include "package/movie_copy.h"

#include "tests/package/test_files.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// A folder of one movie file: what is in place, and what is being written beside it.
struct FolderTarget : sav::MovieTarget {
    std::vector<uint8_t> inPlace;
    bool exists = false;
    std::vector<uint8_t> partial;
    bool partialExists = false;
    std::vector<size_t> pieces;
    size_t failAfterBytes = SIZE_MAX;

    void begin() override { partial.clear(), partialExists = true; }
    void write(const uint8_t* data, size_t size) override {
        if (partial.size() + size > failAfterBytes) throw std::runtime_error("disk full");
        partial.insert(partial.end(), data, data + size);
        pieces.push_back(size);
    }
    void commit() override { inPlace = partial, exists = true, partialExists = false; }
    void discard() noexcept override { partial.clear(), partialExists = false; }
};

std::vector<uint8_t> MovieField(uint32_t declared, size_t present) {
    std::vector<uint8_t> field;
    testfiles::Append32(field, declared);
    for (size_t i = 0; i < present; ++i) field.push_back(static_cast<uint8_t>(i * 7));
    return field;
}

TEST(MovieCopy, CopiesInWholePiecesAndIgnoresBytesBehind) {
    auto field = MovieField(130000, 130000);
    testfiles::AppendText(field, "bytes behind the movie");
    sav::MemoryStream stream(field);
    FolderTarget folder;
    EXPECT_EQ(sav::CopyMovie(stream, folder), sav::MovieCopy::Written);
    EXPECT_EQ(folder.pieces, (std::vector<size_t>{61440, 61440, 7120}));
    EXPECT_EQ(folder.inPlace, std::vector<uint8_t>(field.begin() + 4, field.begin() + 4 + 130000));
}

TEST(MovieCopy, AbsentOrEmptyFieldTouchesNothing) {
    FolderTarget folder;
    folder.inPlace = {1, 2, 3}, folder.exists = true;
    auto empty = MovieField(0, 0);
    sav::MemoryStream zero(empty);
    EXPECT_EQ(sav::CopyMovie(zero, folder), sav::MovieCopy::NoMovie);
    std::vector<uint8_t> twoBytes{5, 0};
    sav::MemoryStream cut(twoBytes);
    EXPECT_EQ(sav::CopyMovie(cut, folder), sav::MovieCopy::NoMovie);
    EXPECT_EQ(folder.inPlace, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(folder.partialExists);
}

TEST(MovieCopy, TruncatedFieldKeepsTheEarlierMovieAndLeavesNoPartialFile) {
    for (size_t present : {size_t{0}, size_t{100}, size_t{61440}, size_t{70000}}) {
        FolderTarget folder;
        folder.inPlace = {9, 9, 9}, folder.exists = true;
        auto field = MovieField(130000, present);
        sav::MemoryStream stream(field);
        EXPECT_EQ(sav::CopyMovie(stream, folder), sav::MovieCopy::Failed) << present;
        EXPECT_EQ(folder.inPlace, (std::vector<uint8_t>{9, 9, 9})) << present;
        EXPECT_FALSE(folder.partialExists) << present;
    }
}

TEST(MovieCopy, FailedWriteKeepsTheEarlierMovie) {
    FolderTarget folder;
    folder.inPlace = {4}, folder.exists = true;
    folder.failAfterBytes = 100000;
    auto field = MovieField(130000, 130000);
    sav::MemoryStream stream(field);
    EXPECT_EQ(sav::CopyMovie(stream, folder), sav::MovieCopy::Failed);
    EXPECT_EQ(folder.inPlace, std::vector<uint8_t>{4});
    EXPECT_FALSE(folder.partialExists);
}

}  // namespace
