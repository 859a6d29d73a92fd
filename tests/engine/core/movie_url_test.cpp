// The address scripts see for a movie read from a file.
#include <gtest/gtest.h>

#include "engine/core/movie_url.h"

namespace {

TEST(MovieUrl, FilePathsBecomeFileAddresses) {
    EXPECT_EQ(swf::fileUrlOf("/home/me/movie.swf"), "file:///home/me/movie.swf");
    // Windows paths: forward separators, the drive as the reference player writes it.
    EXPECT_EQ(swf::fileUrlOf("C:\\Users\\me\\Saver\\movie.swf"), "file:///C|/Users/me/Saver/movie.swf");
    // What may not stand in an address is escaped, byte by byte for UTF-8.
    EXPECT_EQ(swf::fileUrlOf("/my movies/b\xC3\xA4r #1%.swf"), "file:///my%20movies/b%C3%A4r%20%231%25.swf");
    EXPECT_EQ(swf::fileUrlOf(""), "file:///");
}

}  // namespace
