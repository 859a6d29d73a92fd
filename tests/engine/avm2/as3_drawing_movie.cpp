// as3_drawing_movie OUT.swf: a movie whose document class draws with flash.display.Graphics and
// moves a sprite on every enterFrame. The Wine test packages it as a saver and looks at the screen.
//
// Stage 640 x 480 at 30 frames a second, white. The document draws a green square on its own
// graphics (160..320 x 40..200, still) and adds a red sprite (a 120 x 80 rectangle, y 300) whose x
// goes 0, 8, 16... and wraps at 520.
#include <cstdio>
#include <fstream>

#include "tests/engine/avm2/as3_class_builder.h"

namespace {

using namespace avm2test;

std::vector<uint8_t> drawingMovie() {
    AbcWriter w;
    ClassBuilder main{w, "Main"};
    uint32_t box = w.publicName("box"), x = w.publicName("x");
    main.slot("box");
    main.method("onFrame", [&](AbcCode& c) {
        // box.x = (box.x + 8) % 520
        c.op(kGetLocal0).op(kGetProperty, box).op(kGetLocal0).op(kGetProperty, box).op(kGetProperty, x)
            .op(kPushByte, 8).op(kAdd).op(kPushShort, 520).op(kModulo).op(kSetProperty, x);
    });
    main.finish([&](AbcCode& c) {
        c.op(kGetLocal0).op(kSetLocal1);
        graphicsCall(w, c, 1, "beginFill", {0x00A000});
        graphicsCall(w, c, 1, "drawRect", {160, 40, 160, 160});
        graphicsCall(w, c, 1, "endFill", {});
        newDisplayObject(w, c, "Sprite", 2);
        graphicsCall(w, c, 2, "beginFill", {0xE01010});
        graphicsCall(w, c, 2, "drawRect", {0, 0, 120, 80});
        graphicsCall(w, c, 2, "endFill", {});
        setNumber(w, c, 2, "y", 300);
        callWith(w, c, 0, "addChild", {2});
        c.op(kGetLocal0).op(kGetLocal2).op(kSetProperty, box);
        listen(w, c, 0, "enterFrame", "onFrame");
    });
    swfw::SwfWriter movie(10, {0, 0, 640 * 20, 480 * 20}, 30);
    movie.fileAttributes(true);
    movie.setBackgroundColor({255, 255, 255, 255});
    movie.tag(swfw::kDoAbc, abcTag(w.bytes()));
    movie.tag(76, symbolClassTag({{0, "Main"}}));  // SymbolClass: the document class
    movie.showFrame();
    return movie.finish();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: as3_drawing_movie OUT.swf\n");
        return 2;
    }
    std::vector<uint8_t> bytes = drawingMovie();
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}
