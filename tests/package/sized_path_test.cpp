#include "package/sized_path.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// Behaves like GetTempPathA for a given path: the length when it fits (NUL included), else the
// size needed; records the buffer sizes it was given.
struct FakeTempPath {
    std::string path;
    std::vector<uint32_t> sizes;
    uint32_t operator()(char* buffer, uint32_t size) {
        sizes.push_back(size);
        if (path.size() + 1 > size) return static_cast<uint32_t>(path.size() + 1);
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<uint32_t>(path.size());
    }
};

std::string Read(FakeTempPath& fake) {
    return sav::ReadSizedPath([&](char* b, uint32_t s) { return fake(b, s); }, 260);
}

TEST(SizedPath, ShortPathInOneCall) {
    FakeTempPath fake{"C:\\Temp\\", {}};
    EXPECT_EQ(Read(fake), "C:\\Temp\\");
    EXPECT_EQ(fake.sizes, std::vector<uint32_t>{260});
}

TEST(SizedPath, LongPathIsFetchedAgainWithTheReportedSize) {
    FakeTempPath fake{"C:\\" + std::string(400, 'x') + "\\", {}};
    EXPECT_EQ(Read(fake), fake.path);
    EXPECT_EQ(fake.sizes, (std::vector<uint32_t>{260, 406}));
    FakeTempPath edge{std::string(259, 'y') + "\\", {}};  // 260 characters: one more than fits with the NUL
    EXPECT_EQ(Read(edge), edge.path);
    EXPECT_EQ(edge.sizes.size(), 2u);
}

TEST(SizedPath, FailuresAndNulsGiveWhatTheCallDelivered) {
    EXPECT_EQ(sav::ReadSizedPath([](char*, uint32_t) { return 0u; }, 260), "");
    EXPECT_EQ(sav::ReadSizedPath([](char* b, uint32_t) { std::memcpy(b, "C:\\a\0b", 6); return 6u; }, 260), "C:\\a");
    // A path that keeps growing, or an absurd size, ends in "" instead of an endless loop.
    uint32_t calls = 0;
    EXPECT_EQ(sav::ReadSizedPath([&](char*, uint32_t size) { ++calls; return size + 10; }, 260), "");
    EXPECT_LE(calls, 5u);
    EXPECT_EQ(sav::ReadSizedPath([](char*, uint32_t) { return 0xFFFFFFFFu; }, 260), "");
}

}  // namespace
