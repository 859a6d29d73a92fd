// Writes the seed corpus of the movie fuzz targets: every sample movie of the parser tests, made
// with the project's SWF writer. Usage: make_movie_seeds OUTDIR.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/engine/parse/sample_movies.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_movie_seeds OUTDIR\n");
        return 2;
    }
    std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    for (const auto& [name, bytes] : sample::allMovies()) {
        std::ofstream file(out / name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    return 0;
}
