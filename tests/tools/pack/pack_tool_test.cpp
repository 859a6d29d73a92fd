// The packaging tool as users run it: its output read back by the saver's own reader, its
// refusals, and --inspect.
#include "package/block_reader.h"
#include "package/image_end.h"
#include "package/movie_copy.h"
#include "tests/package/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct MemoryTarget : sav::MovieTarget {
    std::vector<uint8_t> bytes;
    void begin() override { bytes.clear(); }
    void write(const uint8_t* data, size_t size) override { bytes.insert(bytes.end(), data, data + size); }
    void commit() override {}
    void discard() noexcept override { bytes.clear(); }
};

class PackTool : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("pack-tool-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        engine_ = testfiles::Executable({{0x400, 0x1C00}}, 0x2000);
        Write("engine.scr", engine_);
        movie_ = {'C', 'W', 'S', 10, 0x40, 0, 0, 0};
        for (int i = 0; i < 70000; ++i) movie_.push_back(static_cast<uint8_t>(i * 13));
        Write("movie.swf", movie_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
        std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    void WriteText(const std::string& name, const std::string& text) const {
        Write(name, std::vector<uint8_t>(text.begin(), text.end()));
    }
    std::vector<uint8_t> Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    // Runs the tool with `arguments` (already quoted); stdout and stderr go to files.
    int Run(const std::string& arguments) {
        const std::string command = std::string("'") + PACK_TOOL + "' " + arguments + " >'" + Path("out.txt") +
                                    "' 2>'" + Path("err.txt") + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Output(const char* which = "out.txt") const {
        const auto bytes = Read(which);
        return std::string(bytes.begin(), bytes.end());
    }

    // Reads a saver back as the program does.
    TPackageSettings ReadBack(const std::string& name, std::vector<uint8_t>* movie) const {
        const auto file = Read(name);
        const uint32_t end = sav::ImageEndFromHeaders(file.data(), file.size());
        EXPECT_EQ(end, engine_.size());
        EXPECT_TRUE(std::equal(engine_.begin(), engine_.end(), file.begin()));
        sav::MemoryStream stream(file);
        stream.seek(end);
        TPackageSettings settings;
        sav::ResetPackageSettings(settings);
        EXPECT_TRUE(sav::ReadPackageFields(stream, settings));
        MemoryTarget target;
        EXPECT_EQ(sav::CopyMovie(stream, target), sav::MovieCopy::Written);
        EXPECT_EQ(stream.remaining(), 0u);
        if (movie) *movie = target.bytes;
        return settings;
    }

    fs::path dir_;
    std::vector<uint8_t> engine_;
    std::vector<uint8_t> movie_;
};

TEST_F(PackTool, EveryFieldRoundTrips) {
    WriteText("about.rtf", "{\\rtf1\\ansi Visit http://example.com}");
    Write("mark.bmp", testfiles::Bitmap24(5, 3, std::vector<uint32_t>(15, 0x336699)));
    ASSERT_EQ(Run("--caption 'Ocean Waves' --button 'Close it' --background '#1A2B3C' --interactive "
                  "--about '" + Path("about.rtf") + "' --watermark '" + Path("mark.bmp") +
                  "' --watermark-left centre --watermark-top bottom:10 '" + Path("engine.scr") + "' '" +
                  Path("movie.swf") + "' '" + Path("saver.scr") + "'"), 0) << Output("err.txt");
    std::vector<uint8_t> movie;
    const TPackageSettings s = ReadBack("saver.scr", &movie);
    EXPECT_EQ(s.DialogCaption, "Ocean Waves");
    EXPECT_EQ(s.ButtonCaption, "Close it");
    EXPECT_EQ(s.BackColor, 0x3C2B1A);  // 0x00BBGGRR
    EXPECT_NE(s.Interactive, 0);
    EXPECT_EQ(s.AboutText, "{\\rtf1\\ansi Visit http://example.com}");
    EXPECT_EQ(s.WatermarkLeft, -32768);
    EXPECT_EQ(s.WatermarkTop, -11);
    EXPECT_EQ(s.Watermark->kind(), Picture::Kind::Bitmap);
    EXPECT_EQ(s.Watermark->width(), 5);
    EXPECT_EQ(movie, movie_);

    // Packing the packaged saver again replaces its block instead of stacking a second one.
    Write("mark.jpg", testfiles::SolidJpeg(8, 8, 0xFFFFFF));
    ASSERT_EQ(Run("--watermark '" + Path("mark.jpg") + "' --watermark-left 12 '" + Path("saver.scr") + "' '" +
                  Path("movie.swf") + "' '" + Path("saver.scr") + "'"), 0) << Output("err.txt");
    const TPackageSettings again = ReadBack("saver.scr", nullptr);
    EXPECT_EQ(again.DialogCaption, "About");
    EXPECT_EQ(again.ButtonCaption, "OK");
    EXPECT_EQ(again.BackColor, 0x1FFFFFFF);
    EXPECT_EQ(again.Interactive, 0);
    EXPECT_EQ(again.WatermarkLeft, 12);
    EXPECT_EQ(again.WatermarkTop, -1);
    EXPECT_EQ(again.Watermark->kind(), Picture::Kind::Jpeg);
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << "left behind: " << entry.path();
}

TEST_F(PackTool, PlainAboutTextBecomesRtf) {
    WriteText("about.txt", "Line {one}\\\nCaf\xE9\n");
    ASSERT_EQ(Run("--about '" + Path("about.txt") + "' '" + Path("engine.scr") + "' '" + Path("movie.swf") + "' '" +
                  Path("saver.scr") + "'"), 0);
    const std::string rtf = ReadBack("saver.scr", nullptr).AboutText;
    EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(rtf.find("Line \\{one\\}\\\\\\par"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("Caf\\'e9"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.back(), '}');
}

TEST_F(PackTool, RefusesBadInputWithExitCode2AndWritesNothing) {
    Write("picture.gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0});
    auto damaged = testfiles::Bitmap24(4, 4, std::vector<uint32_t>(16, 0));
    damaged.resize(60);
    Write("damaged.bmp", damaged);
    WriteText("notes.txt", "not an executable at all");
    const std::string files = "'" + Path("engine.scr") + "' '" + Path("movie.swf") + "' '" + Path("saver.scr") + "'";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"'" + Path("engine.scr") + "' '" + Path("missing.swf") + "' '" + Path("saver.scr") + "'", "missing.swf"},
        {"'" + Path("missing.scr") + "' '" + Path("movie.swf") + "' '" + Path("saver.scr") + "'", "missing.scr"},
        {"'" + Path("notes.txt") + "' '" + Path("movie.swf") + "' '" + Path("saver.scr") + "'", "not a Windows"},
        {"'" + Path("engine.scr") + "' '" + Path("notes.txt") + "' '" + Path("saver.scr") + "'", "not a Flash"},
        {"--watermark '" + Path("picture.gif") + "' " + files, "neither a BMP nor a JPEG"},
        {"--watermark '" + Path("damaged.bmp") + "' " + files, "cannot be decoded"},
        {"--about '" + Path("missing.rtf") + "' " + files, "missing.rtf"},
        {"--background '#12345G' " + files, "colour"},
        {"--background red " + files, "colour"},
        {"--watermark '" + Path("picture.gif") + "' --watermark-left -5 " + files, "position"},
        {"--watermark-top bottom:40000 " + files, "position"},
        {"--watermark-left 3 " + files, "needs --watermark"},
        {"--frobnicate " + files, "unknown option"},
        {"'" + Path("engine.scr") + "' '" + Path("movie.swf") + "'", "output"},
        {"--caption", "needs a value"},
    };
    for (const auto& [arguments, message] : cases) {
        EXPECT_EQ(Run(arguments), 2) << arguments;
        EXPECT_NE(Output("err.txt").find(message), std::string::npos) << arguments << "\n" << Output("err.txt");
        EXPECT_FALSE(fs::exists(Path("saver.scr"))) << arguments;
    }
}

TEST_F(PackTool, InspectPrintsEveryField) {
    Write("mark.jpg", testfiles::SolidJpeg(20, 10, 0x00FF00));
    ASSERT_EQ(Run("--caption 'My \"Saver\"' --background '#FF8000' --watermark '" + Path("mark.jpg") +
                  "' --watermark-left right:4 --watermark-top 7 '" + Path("engine.scr") + "' '" + Path("movie.swf") +
                  "' '" + Path("saver.scr") + "'"), 0);
    ASSERT_EQ(Run("--inspect '" + Path("saver.scr") + "'"), 0) << Output("err.txt");
    const std::string out = Output();
    for (const char* line : {"image end: 8192\n", "dialog caption: 10 bytes \"My \\\"Saver\\\"\"\n",
                             "button caption: 0 bytes \"\" (shown as \"OK\")\n",
                             "background colour: #FF8000 (0x000080FF)\n", "interactive: off (0)\n",
                             "about text: 0 bytes \"\"\n", "watermark left: 4 bytes, -5 (4 px from the right edge)\n",
                             "watermark top: 4 bytes, 7 (at pixel 7)\n", "JPEG 20 x 10\n",
                             "movie: 70008 bytes, signature \"CWS\", version 10\n", "bytes behind the movie: 0\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;

    ASSERT_EQ(Run("--inspect '" + Path("engine.scr") + "'"), 0);
    EXPECT_NE(Output().find("package: none"), std::string::npos) << Output();
    EXPECT_EQ(Run("--inspect '" + Path("movie.swf") + "'"), 2);
}

}  // namespace
