#include "tools/demo/demo_script.h"

#include <cstring>
#include <string>

namespace demo {

namespace {

// Action codes used here.
enum : uint8_t {
    kSubtract = 0x0B, kNot = 0x12, kOr = 0x11, kGetVariable = 0x1C, kSetVariable = 0x1D, kAdd2 = 0x47,
    kLess2 = 0x48, kGetMember = 0x4E, kSetMember = 0x4F, kGreater = 0x67, kPush = 0x96, kIf = 0x9D,
    kDefineFunction = 0x9B
};

class Code {
public:
    Code& op(uint8_t code) {
        bytes.push_back(code);
        return *this;
    }
    Code& push(const std::string& s) {
        std::vector<uint8_t> d{0};
        d.insert(d.end(), s.begin(), s.end());
        d.push_back(0);
        return record(kPush, d);
    }
    Code& push(double n) {
        std::vector<uint8_t> d{6};
        uint64_t bits;
        std::memcpy(&bits, &n, 8);
        for (int i : {4, 5, 6, 7, 0, 1, 2, 3}) d.push_back(uint8_t(bits >> (8 * i)));  // high word first
        return record(kPush, d);
    }
    Code& record(uint8_t code, const std::vector<uint8_t>& d) {
        bytes.push_back(code);
        bytes.push_back(uint8_t(d.size()));
        bytes.push_back(uint8_t(d.size() >> 8));
        bytes.insert(bytes.end(), d.begin(), d.end());
        return *this;
    }
    // this.<name>
    Code& member(const std::string& name) { return push("this").op(kGetVariable).push(name).op(kGetMember); }
    // Skips `skipped` when the value on the stack is false.
    Code& unless(const Code& skipped) {
        op(kNot);
        int16_t offset = int16_t(skipped.bytes.size());
        record(kIf, {uint8_t(offset), uint8_t(offset >> 8)});
        bytes.insert(bytes.end(), skipped.bytes.begin(), skipped.bytes.end());
        return *this;
    }

    std::vector<uint8_t> bytes;
};

// this.<position> += this.<speed>; if it leaves [low, high] the speed turns round.
Code moveAndBounce(const std::string& position, const std::string& speed, double low, double high) {
    Code c;
    c.push("this").op(kGetVariable).push(position).member(position).member(speed).op(kAdd2).op(kSetMember);
    c.member(position).push(high).op(kGreater).member(position).push(low).op(kLess2).op(kOr);
    Code flip;
    flip.push("this").op(kGetVariable).push(speed).push(0.0).member(speed).op(kSubtract).op(kSetMember);
    c.unless(flip);
    return c;
}

}  // namespace

std::vector<uint8_t> cometScript(int width, int height) {
    Code body;
    for (const Code& part : {moveAndBounce("_x", "vx", 20, width - 20), moveAndBounce("_y", "vy", 20, height - 20)})
        body.bytes.insert(body.bytes.end(), part.bytes.begin(), part.bytes.end());
    body.push("this").op(kGetVariable).push("_rotation").member("_rotation").push(6.0).op(kAdd2).op(kSetMember);

    // vx = 4; vy = 3; this.onEnterFrame = function () { body };
    Code frame;
    frame.push("vx").push(4.0).op(kSetVariable).push("vy").push(3.0).op(kSetVariable);
    frame.push("this").op(kGetVariable).push("onEnterFrame");
    std::vector<uint8_t> header{0, 0, 0};  // no name, no parameters
    header.push_back(uint8_t(body.bytes.size()));
    header.push_back(uint8_t(body.bytes.size() >> 8));
    frame.record(kDefineFunction, header);
    frame.bytes.insert(frame.bytes.end(), body.bytes.begin(), body.bytes.end());
    frame.op(kSetMember);
    frame.bytes.push_back(0);  // end of actions
    return frame.bytes;
}

}  // namespace demo
