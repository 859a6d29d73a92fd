#include "tools/pack/packager.h"

#include "package/block_writer.h"
#include "package/image_end.h"
#include "support/picture.h"
#include "support/error.h"
#include "tools/pack/about_text.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace pack {

std::vector<uint8_t> ReadWholeFile(const std::string& path, const std::string& what) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw UsageError("cannot read the " + what + " \"" + path + "\": no such file");
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes;
    if (in) {
        in.seekg(0, std::ios::end);
        const std::streamoff size = in.tellg();
        in.seekg(0);
        if (size >= 0) {
            bytes.resize(static_cast<size_t>(size));
            in.read(reinterpret_cast<char*>(bytes.data()), size);
        }
    }
    if (!in) throw UsageError("cannot read the " + what + " \"" + path + "\"");
    return bytes;
}

void WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path target(path);
    std::random_device random;
    std::filesystem::path temporary = target;
    temporary += ".pack-" + std::to_string(random() % 1000000) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw std::runtime_error("cannot write \"" + path + "\"");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw std::runtime_error("cannot write \"" + path + "\": " + error.message());
    }
}

namespace {

std::vector<uint8_t> EngineImage(const std::string& path) {
    std::vector<uint8_t> engine = ReadWholeFile(path, "engine");
    const uint32_t end = sav::ImageEndFromHeaders(engine.data(), engine.size());
    if (end == 0 || end > engine.size())
        throw UsageError("the engine \"" + path + "\" is not a Windows executable image");
    engine.resize(end);  // an earlier package is dropped, not stacked
    return engine;
}

std::vector<uint8_t> Movie(const std::string& path) {
    std::vector<uint8_t> movie = ReadWholeFile(path, "movie");
    const bool flash = movie.size() >= 8 && (movie[0] == 'F' || movie[0] == 'C' || movie[0] == 'Z') &&
                       movie[1] == 'W' && movie[2] == 'S';
    if (!flash) throw UsageError("the movie \"" + path + "\" is not a Flash movie (no FWS, CWS or ZWS signature)");
    return movie;
}

std::vector<uint8_t> Watermark(const std::string& path) {
    std::vector<uint8_t> picture = ReadWholeFile(path, "watermark");
    const bool bmp = picture.size() >= 2 && picture[0] == 0x42 && picture[1] == 0x4D;
    const bool jpeg = picture.size() >= 2 && picture[0] == 0xFF && picture[1] == 0xD8;
    if (!bmp && !jpeg) throw UsageError("the watermark \"" + path + "\" is neither a BMP nor a JPEG file");
    // A picture the saver cannot decode would stop it at every start: refuse it here.
    try {
        sav::Picture check;
        check.load(picture.data(), picture.size());
    } catch (const sav::Error& failure) {
        throw UsageError("the watermark \"" + path + "\" cannot be decoded: " + failure.what());
    }
    return picture;
}

}  // namespace

std::vector<uint8_t> BuildSaver(const Options& options) {
    std::vector<uint8_t> saver = EngineImage(options.enginePath);
    sav::PackageContents contents;
    contents.dialogCaption = options.caption;
    contents.buttonCaption = options.buttonText;
    contents.backColor = options.backColor;
    contents.interactive = options.interactive;
    if (!options.aboutPath.empty()) {
        const std::vector<uint8_t> about = ReadWholeFile(options.aboutPath, "about text");
        const std::string text(about.begin(), about.end());
        contents.aboutText = LooksLikeRtf(text) ? text : PlainTextToRtf(text);
    }
    contents.watermarkLeft = options.watermarkLeft;
    contents.watermarkTop = options.watermarkTop;
    if (!options.watermarkPath.empty()) contents.watermark = Watermark(options.watermarkPath);
    contents.movie = Movie(options.moviePath);
    std::vector<uint8_t> block;
    try {
        block = sav::WritePackageBlock(contents);
    } catch (const std::length_error& tooLong) {
        throw UsageError(std::string("a field does not fit in the package: ") + tooLong.what());
    }
    saver.insert(saver.end(), block.begin(), block.end());
    return saver;
}

}  // namespace pack
