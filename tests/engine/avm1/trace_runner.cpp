// A measuring tool for the script machine alone: runs the main timeline's frame scripts of a movie
// with no display list behind them and prints the trace lines. Command line as swfrender's:
//   avm1_trace_runner movie.swf --frames N [--out ignored.png]
// Sprites, shapes and events are not modelled; clips that scripts create are bare records.
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/avm1/machine.h"
#include "tests/engine/avm1/fake_host.h"

using namespace swf::avm1;

namespace {

struct Movie {
    int version = 0;
    int frameCount = 1;
    std::vector<std::vector<ActionCode>> initActions, frameActions;  // per frame
};

bool readMovie(const std::vector<uint8_t>& file, Movie& movie) {
    if (file.size() < 8 || file[1] != 'W' || file[2] != 'S') return false;
    movie.version = file[3];
    uint32_t length = file[4] | file[5] << 8 | file[6] << 16 | uint32_t(file[7]) << 24;
    if (length < 8 || length > (64u << 20)) return false;
    auto data = std::make_shared<std::vector<uint8_t>>();
    if (file[0] == 'F') {
        data->assign(file.begin() + 8, file.end());
    } else if (file[0] == 'C') {
        data->resize(length - 8);
        uLongf size = data->size();
        if (uncompress(data->data(), &size, file.data() + 8, uLong(file.size() - 8)) != Z_OK && size == 0) return false;
        data->resize(size);
    } else {
        return false;
    }
    const std::vector<uint8_t>& d = *data;
    if (d.empty()) return false;
    size_t pos = (5 + 4 * (d[0] >> 3) + 7) / 8 + 4;
    if (pos > d.size()) return false;
    movie.frameCount = std::max(1, d[pos - 2] | d[pos - 1] << 8);
    movie.initActions.assign(1, {});
    movie.frameActions.assign(1, {});
    while (pos + 2 <= d.size()) {
        int header = d[pos] | d[pos + 1] << 8;
        pos += 2;
        int code = header >> 6;
        size_t len = header & 0x3f;
        if (len == 0x3f) {
            if (pos + 4 > d.size()) break;
            len = d[pos] | d[pos + 1] << 8 | d[pos + 2] << 16 | size_t(d[pos + 3]) << 24;
            pos += 4;
        }
        if (len > d.size() - pos) break;
        if (code == 0) break;
        if (code == 12) movie.frameActions.back().push_back(ActionCode{data, pos, pos + len});
        if (code == 59 && len > 2) movie.initActions.back().push_back(ActionCode{data, pos + 2, pos + len});
        if (code == 1) {
            movie.initActions.emplace_back();
            movie.frameActions.emplace_back();
        }
        pos += len;
    }
    return true;
}

// The root timeline: frame changes run the new frame's scripts after the current one.
class Timeline : public test::FakeClip {
public:
    Timeline() : FakeClip("", nullptr) {}
    void gotoFrame(int f, bool p) override {
        if (f < 1) f = 1;
        if (f > totalFrames) f = totalFrames;
        playing = p;
        if (f != frame) {
            frame = f;
            pending = true;
        }
    }
    bool gotoLabel(const std::string&, bool p) override { playing = p; return false; }
    void nextFrame() override { gotoFrame(frame + 1, false); }
    void prevFrame() override { gotoFrame(frame - 1, false); }
    bool pending = false;
};

class RunnerHost : public test::FakeHost {
public:
    void trace(const std::string& line) override { std::cout << line << '\n'; }
    void warning(const std::string& m) override { std::cerr << "warning: " << m << '\n'; }
    Clip* level(int n) override { return n == 0 ? &timeline : nullptr; }
    Timeline timeline;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: avm1_trace_runner movie.swf [--frames N]\n";
        return 2;
    }
    int frames = 1;
    for (int i = 2; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--frames") == 0) frames = std::atoi(argv[i + 1]);
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Movie movie;
    if (!readMovie(file, movie)) {
        std::cerr << "not a movie: " << argv[1] << '\n';
        return 1;
    }
    RunnerHost host;
    Machine machine(host, movie.version);
    host.timeline.totalFrames = movie.frameCount;
    std::set<int> initDone;
    auto runFrame = [&](int frame) {
        size_t i = size_t(frame - 1);
        if (i < movie.initActions.size() && initDone.insert(frame).second)
            for (auto& code : movie.initActions[i]) machine.runActions(code, &host.timeline);
        if (i < movie.frameActions.size())
            for (auto& code : movie.frameActions[i]) machine.runActions(code, &host.timeline);
    };
    for (int tick = 0; tick < frames; ++tick) {
        host.now = tick * 1000.0 / 24;
        if (tick > 0 && host.timeline.playing && !host.timeline.pending) {
            int next = host.timeline.frame + 1;
            if (next > movie.frameCount) next = 1;
            if (next != host.timeline.frame) {
                host.timeline.frame = next;
                host.timeline.pending = true;
            }
        }
        if (tick == 0) host.timeline.pending = true;
        for (int guard = 0; host.timeline.pending && guard < 16; ++guard) {
            host.timeline.pending = false;
            runFrame(host.timeline.frame);
        }
        machine.runIntervals();
        machine.collectGarbage();
    }
    return 0;
}
