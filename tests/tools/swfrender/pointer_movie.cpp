// Writes a two-frame movie whose frame starts at (100, 50) pixels rather than the origin; its
// second frame traces the pointer's _xmouse and _ymouse, so that a test can see where simulated
// input positions land on the stage.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/swfwriter/swf_writer.h"

namespace {

// Push "name"; GetVariable; Trace.
void traceVariable(std::vector<uint8_t>& code, const std::string& name) {
    uint16_t length = uint16_t(name.size() + 2);
    code.insert(code.end(), {0x96, uint8_t(length & 0xFF), uint8_t(length >> 8), 0x00});
    code.insert(code.end(), name.begin(), name.end());
    code.insert(code.end(), {0x00, 0x1C, 0x26});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pointer_movie OUT.swf\n");
        return 2;
    }
    swfw::SwfWriter movie(6, swf::Rect{100 * 20, 50 * 20, 300 * 20, 250 * 20}, 12);
    movie.showFrame();
    std::vector<uint8_t> code;
    traceVariable(code, "_xmouse");
    traceVariable(code, "_ymouse");
    code.push_back(0x07);  // Stop
    code.push_back(0x00);
    movie.doAction(code);
    movie.showFrame();
    std::vector<uint8_t> bytes = movie.finish();
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return out ? 0 : 1;
}
