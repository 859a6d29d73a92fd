// Writes the seed corpus of the package fuzz target with our own block writer (with and without a
// picture, empty and filled fields). Usage: make_package_seeds OUTDIR.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "package/block_writer.h"

namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A 2x2 24-bit bitmap file.
std::vector<uint8_t> tinyBitmap() {
    std::vector<uint8_t> bmp = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                                1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0,
                                0, 0, 0, 0};
    const uint8_t rows[16] = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0};
    bmp.insert(bmp.end(), rows, rows + 16);
    return bmp;
}

void packageSeeds(const fs::path& dir) {
    fs::create_directories(dir);
    sav::PackageContents plain;
    plain.dialogCaption = "About this saver";
    plain.buttonCaption = "OK";
    plain.backColor = 0x00112233;
    plain.aboutText = "{\\rtf1 Hello {\\b world} http://example.com}";
    plain.watermarkLeft = -32768;
    plain.watermarkTop = -11;
    plain.movie = {'F', 'W', 'S', 6, 21, 0, 0, 0, 0x78, 0, 5, 0x5F, 0, 0, 0x0F, 0xA0, 0, 0, 0x0C, 1, 0, 0, 0};
    writeFile(dir / "plain", sav::WritePackageBlock(plain));

    sav::PackageContents withPicture = plain;
    withPicture.interactive = true;
    withPicture.watermark = tinyBitmap();
    writeFile(dir / "bitmap", sav::WritePackageBlock(withPicture));

    sav::PackageContents empty;
    writeFile(dir / "empty", sav::WritePackageBlock(empty));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_package_seeds OUTDIR\n");
        return 2;
    }
    packageSeeds(argv[1]);
    return 0;
}
