#include "tools/swfrender/render_options.h"

#include <charconv>

namespace swfrender {

const char* const kUsage =
    "usage: swfrender MOVIE.swf --frames N --out OUT.png [--size WxH] "
    "[--scale-mode showAll|noBorder|exactFit|noScale] [--quality low|high] [--input EVENTS.json] [--audio OUT.wav] [--bench] [--check-redraw] [--threads N]";

namespace {

bool parseInt(const std::string& s, int& out, int min, int max) {
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v < min || v > max) return false;
    out = v;
    return true;
}

}  // namespace

std::optional<RenderOptions> parseOptions(const std::vector<std::string>& args, std::string& error) {
    RenderOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool hasValue = i + 1 < args.size();
        if (a == "--bench") {
            o.bench = true;
        } else if (a == "--check-redraw") {
            o.checkRedraw = true;
        } else if (a == "--frames" || a == "--out" || a == "--size" || a == "--scale-mode" ||
                   a == "--quality" || a == "--input" || a == "--audio" || a == "--threads") {
            if (!hasValue) {
                error = a + " needs a value";
                return std::nullopt;
            }
            const std::string& v = args[++i];
            if (a == "--frames") {
                if (!parseInt(v, o.frames, 1, 1'000'000)) {
                    error = "--frames takes a number from 1";
                    return std::nullopt;
                }
            } else if (a == "--threads") {
                if (!parseInt(v, o.threads, 1, 64)) {
                    error = "--threads takes a number from 1";
                    return std::nullopt;
                }
            } else if (a == "--out") {
                o.out = v;
            } else if (a == "--input") {
                o.input = v;
            } else if (a == "--audio") {
                o.audio = v;
            } else if (a == "--size") {
                size_t x = v.find('x');
                int w = 0, h = 0;
                if (x == std::string::npos || !parseInt(v.substr(0, x), w, 1, 16384) ||
                    !parseInt(v.substr(x + 1), h, 1, 16384)) {
                    error = "--size takes WxH (1 to 16384 pixels each)";
                    return std::nullopt;
                }
                o.width = w;
                o.height = h;
            } else if (a == "--quality") {
                if (v == "low") o.quality = swf::Quality::Low;
                else if (v == "high") o.quality = swf::Quality::High;
                else {
                    error = "--quality takes low or high";
                    return std::nullopt;
                }
            } else {
                if (v == "showAll") o.scaleMode = swf::ScaleMode::ShowAll;
                else if (v == "noBorder") o.scaleMode = swf::ScaleMode::NoBorder;
                else if (v == "exactFit") o.scaleMode = swf::ScaleMode::ExactFit;
                else if (v == "noScale") o.scaleMode = swf::ScaleMode::NoScale;
                else {
                    error = "unknown scale mode " + v;
                    return std::nullopt;
                }
            }
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option " + a;
            return std::nullopt;
        } else if (o.movie.empty()) {
            o.movie = a;
        } else {
            error = "more than one movie given";
            return std::nullopt;
        }
    }
    if (o.movie.empty()) {
        error = "no movie given";
        return std::nullopt;
    }
    if (o.out.empty() && o.audio.empty() && !o.bench && !o.checkRedraw) {
        error = "no --out file given";
        return std::nullopt;
    }
    return o;
}

}  // namespace swfrender
