// What a saver's movie meets when it loads: its own LoaderInfo, whole from the start, and loads
// from addresses that fail after the call with the events of a file that is not there.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

// Main's constructor runs `body`; Main's `heard(e)` traces the event's string form, and its
// `status(e)` the code and level of a NetStatusEvent's info.
std::vector<uint8_t> loadingMovie(const std::function<void(AbcWriter&, AbcCode&)>& body) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.method("heard", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kCallProperty, w.publicName("toString"), 0);
        t.end(c);
    });
    main.method("status", [&](AbcCode& c) {
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("info")).op(kGetProperty, w.publicName("code"));
        c.op(kGetLocal1).op(kGetProperty, w.publicName("info")).op(kGetProperty, w.publicName("level"));
        t.end(c, 2);
    });
    main.finish([&](AbcCode& c) { body(w, c); });
    swfw::SwfWriter movie(10);
    movie.fileAttributes(true);
    movie.tag(swfw::kDoAbc, abcTag(w.bytes()));
    movie.tag(76, symbolClassTag({{0, "Main"}}));
    movie.showFrame();
    movie.showFrame();
    return movie.finish();
}

// `new <pkg>.<cls>(args pushed by `args`)` into local `local`.
void construct(AbcWriter& w, AbcCode& c, const char* pkg, const char* cls, uint32_t local, int argc = 0,
               const std::function<void(AbcCode&)>& args = {}) {
    uint32_t name = w.qname(w.ns(0x16, pkg), cls);
    c.op(kFindPropStrict, name);
    if (args) args(c);
    c.op(kConstructProp, name, static_cast<uint32_t>(argc)).op(kSetLocal, local);
}

void listen(AbcWriter& w, AbcCode& c, uint32_t local, const char* type, const char* handler) {
    c.op(kGetLocal, local).op(kPushString, w.string(type)).op(kGetLocal0).op(kGetProperty, w.publicName(handler));
    c.op(kCallPropVoid, w.publicName("addEventListener"), 2);
}

void request(AbcWriter& w, AbcCode& c, const char* url) {
    uint32_t name = w.qname(w.ns(0x16, "flash.net"), "URLRequest");
    c.op(kFindPropStrict, name).op(kPushString, w.string(url)).op(kConstructProp, name, 1);
}

}  // namespace

TEST(Avm2Loading, TheMovieIsLoadedWholeAndSaysSoAfterItsFirstFrame) {
    Played p = play(loadingMovie([](AbcWriter& w, AbcCode& c) {
        Tracer t(w);
        c.op(kGetLocal0).op(kGetProperty, w.publicName("loaderInfo")).op(kSetLocal1);
        t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("bytesLoaded")).op(kGetLocal1)
            .op(kGetProperty, w.publicName("bytesTotal")).op(kEquals).op(kGetLocal1)
            .op(kGetProperty, w.publicName("swfVersion"));
        t.end(c, 2);
        listen(w, c, 1, "init", "heard");
        listen(w, c, 1, "complete", "heard");
        t.string(c, "constructed");
    }), 1);
    ASSERT_TRUE(p.errors.empty()) << p.errors.front();
    EXPECT_EQ(p.lines, (Lines{"true 10", "constructed",
                              "[Event type=\"init\" bubbles=false cancelable=false eventPhase=2]",
                              "[Event type=\"complete\" bubbles=false cancelable=false eventPhase=2]"}));
}

TEST(Avm2Loading, LoadsFromAddressesFailAfterTheCallWithTheirErrors) {
    Played p = play(loadingMovie([](AbcWriter& w, AbcCode& c) {
        Tracer t(w);
        construct(w, c, "flash.net", "URLLoader", 1);
        listen(w, c, 1, "ioError", "heard");
        c.op(kGetLocal1);
        request(w, c, "settings.xml");
        c.op(kCallPropVoid, w.publicName("load"), 1);
        construct(w, c, "flash.display", "Loader", 2);
        c.op(kGetLocal2).op(kGetProperty, w.publicName("contentLoaderInfo")).op(kSetLocal, 3);
        listen(w, c, 3, "ioError", "heard");
        c.op(kGetLocal2);
        request(w, c, "picture.png");
        c.op(kCallPropVoid, w.publicName("load"), 1);
        construct(w, c, "flash.net", "NetConnection", 4);
        listen(w, c, 4, "netStatus", "status");
        c.op(kGetLocal, 4).op(kPushNull).op(kCallPropVoid, w.publicName("connect"), 1);
        construct(w, c, "flash.net", "NetStream", 5, 1, [](AbcCode& a) { a.op(kGetLocal, 4); });
        listen(w, c, 5, "netStatus", "status");
        c.op(kGetLocal, 5).op(kPushString, w.string("clip.flv")).op(kCallPropVoid, w.publicName("play"), 1);
        t.string(c, "asked");
    }), 2);
    ASSERT_TRUE(p.errors.empty()) << p.errors.front();
    EXPECT_EQ(p.lines,
              (Lines{"asked",
                     "[IOErrorEvent type=\"ioError\" bubbles=false cancelable=false eventPhase=2 text=\"Error #2032: "
                     "Stream Error. URL: settings.xml\" errorID=2032]",
                     "[IOErrorEvent type=\"ioError\" bubbles=false cancelable=false eventPhase=2 text=\"Error #2035: "
                     "URL Not Found. URL: picture.png\" errorID=2035]",
                     "NetConnection.Connect.Success status", "NetStream.Play.StreamNotFound error"}));
}

TEST(Avm2Loading, KeyboardNamesItsKeyCodes) {
    Played p = play(loadingMovie([](AbcWriter& w, AbcCode& c) {
        Tracer t(w);
        uint32_t keyboard = w.qname(w.ns(0x16, "flash.ui"), "Keyboard");
        t.begin(c);
        for (const char* key : {"SPACE", "A", "NUMBER_7", "NUMPAD_7", "F12", "LEFT", "ENTER"})
            c.op(kGetLex, keyboard).op(kGetProperty, w.publicName(key));
        t.end(c, 7);
    }), 0);
    ASSERT_TRUE(p.errors.empty()) << p.errors.front();
    EXPECT_EQ(p.lines, (Lines{"32 65 55 103 123 37 13"}));
}
