// swfsaver-demo-movie OUT.swf: writes the demo movie.
#include <cstdio>
#include <fstream>

#include "tools/demo/demo_movie.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: swfsaver-demo-movie OUT.swf\n");
        return 2;
    }
    std::vector<uint8_t> movie = demo::writeDemoMovie();
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(movie.data()), static_cast<std::streamsize>(movie.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "swfsaver-demo-movie: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
