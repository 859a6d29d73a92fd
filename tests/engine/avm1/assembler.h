// Builds action bytes for tests: records, pushes, labelled jumps and nested function bodies.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace swf::avm1::test {

struct Reg { uint8_t n; };
struct Const { uint16_t n; };
struct Null {};
struct Undef {};
using PushItem = std::variant<std::string, const char*, double, int, bool, Null, Undef, Reg, Const>;

class Asm {
public:
    Asm& op(uint8_t code) { out_.push_back(code); return *this; }
    Asm& record(uint8_t code, const std::vector<uint8_t>& data) {
        out_.push_back(code);
        out_.push_back(uint8_t(data.size()));
        out_.push_back(uint8_t(data.size() >> 8));
        out_.insert(out_.end(), data.begin(), data.end());
        return *this;
    }
    Asm& push(std::initializer_list<PushItem> items) {
        std::vector<uint8_t> d;
        for (const PushItem& it : items) {
            if (auto s = std::get_if<std::string>(&it)) { d.push_back(0); str(d, *s); }
            else if (auto c = std::get_if<const char*>(&it)) { d.push_back(0); str(d, *c); }
            else if (auto n = std::get_if<double>(&it)) {
                d.push_back(6);
                uint64_t bits;
                std::memcpy(&bits, n, 8);
                u32(d, uint32_t(bits >> 32));
                u32(d, uint32_t(bits));
            } else if (auto i = std::get_if<int>(&it)) { d.push_back(7); u32(d, uint32_t(*i)); }
            else if (auto b = std::get_if<bool>(&it)) { d.push_back(5); d.push_back(*b); }
            else if (std::holds_alternative<Null>(it)) d.push_back(2);
            else if (std::holds_alternative<Undef>(it)) d.push_back(3);
            else if (auto r = std::get_if<Reg>(&it)) { d.push_back(4); d.push_back(r->n); }
            else if (auto k = std::get_if<Const>(&it)) {
                if (k->n < 256) { d.push_back(8); d.push_back(uint8_t(k->n)); }
                else { d.push_back(9); u16(d, k->n); }
            }
        }
        return record(0x96, d);
    }
    Asm& pool(const std::vector<std::string>& names) {
        std::vector<uint8_t> d;
        u16(d, uint16_t(names.size()));
        for (auto& n : names) str(d, n);
        return record(0x88, d);
    }
    Asm& store(uint8_t reg) { return record(0x87, {reg}); }
    Asm& trace() { return op(0x26); }
    // name on the stack -> value
    Asm& get(const std::string& name) { return push({name}).op(0x1C); }
    Asm& label(const std::string& name) { labels_[name] = out_.size(); return *this; }
    Asm& jump(const std::string& target) { return branch(0x99, target); }
    Asm& ifTrue(const std::string& target) { return branch(0x9D, target); }
    Asm& function(const std::string& name, const std::vector<std::string>& params, const Asm& body) {
        std::vector<uint8_t> d;
        str(d, name);
        u16(d, uint16_t(params.size()));
        for (auto& p : params) str(d, p);
        std::vector<uint8_t> b = body.bytes(false);
        u16(d, uint16_t(b.size()));
        record(0x9B, d);
        out_.insert(out_.end(), b.begin(), b.end());
        return *this;
    }
    Asm& function2(const std::string& name, uint8_t registers, uint16_t flags,
                   const std::vector<std::pair<uint8_t, std::string>>& params, const Asm& body) {
        std::vector<uint8_t> d;
        str(d, name);
        u16(d, uint16_t(params.size()));
        d.push_back(registers);
        u16(d, flags);
        for (auto& [r, p] : params) { d.push_back(r); str(d, p); }
        std::vector<uint8_t> b = body.bytes(false);
        u16(d, uint16_t(b.size()));
        record(0x8E, d);
        out_.insert(out_.end(), b.begin(), b.end());
        return *this;
    }
    Asm& with(const Asm& body) {
        std::vector<uint8_t> b = body.bytes(false);
        std::vector<uint8_t> d;
        u16(d, uint16_t(b.size()));
        record(0x94, d);
        out_.insert(out_.end(), b.begin(), b.end());
        return *this;
    }
    // try { tryBody } catch (name) { catchBody } finally { finallyBody }; empty bodies are left out.
    Asm& tryCatch(const Asm& tryBody, const std::string& catchName, const Asm* catchBody, const Asm* finallyBody) {
        std::vector<uint8_t> t = tryBody.bytes(false);
        std::vector<uint8_t> c = catchBody ? catchBody->bytes(false) : std::vector<uint8_t>{};
        std::vector<uint8_t> f = finallyBody ? finallyBody->bytes(false) : std::vector<uint8_t>{};
        std::vector<uint8_t> d;
        d.push_back(uint8_t((catchBody ? 1 : 0) | (finallyBody ? 2 : 0)));
        u16(d, uint16_t(t.size()));
        u16(d, uint16_t(c.size()));
        u16(d, uint16_t(f.size()));
        str(d, catchName);
        record(0x8F, d);
        out_.insert(out_.end(), t.begin(), t.end());
        out_.insert(out_.end(), c.begin(), c.end());
        out_.insert(out_.end(), f.begin(), f.end());
        return *this;
    }
    std::vector<uint8_t> bytes(bool withEnd = true) const {
        std::vector<uint8_t> b = out_;
        for (auto& [at, target] : fixups_) {
            int offset = int(labels_.at(target)) - int(at + 2);
            b[at] = uint8_t(offset);
            b[at + 1] = uint8_t(offset >> 8);
        }
        if (withEnd) b.push_back(0);
        return b;
    }
    std::shared_ptr<const std::vector<uint8_t>> shared() const {
        return std::make_shared<const std::vector<uint8_t>>(bytes());
    }

private:
    Asm& branch(uint8_t code, const std::string& target) {
        record(code, {0, 0});
        fixups_.push_back({out_.size() - 2, target});
        return *this;
    }
    static void str(std::vector<uint8_t>& d, const std::string& s) {
        d.insert(d.end(), s.begin(), s.end());
        d.push_back(0);
    }
    static void u16(std::vector<uint8_t>& d, uint16_t v) { d.push_back(uint8_t(v)); d.push_back(uint8_t(v >> 8)); }
    static void u32(std::vector<uint8_t>& d, uint32_t v) { u16(d, uint16_t(v)); u16(d, uint16_t(v >> 16)); }

    std::vector<uint8_t> out_;
    std::map<std::string, size_t> labels_;
    std::vector<std::pair<size_t, std::string>> fixups_;
};

// Action codes the tests use by name.
enum : uint8_t {
    NextFrame = 0x04, Play = 0x06, Stop = 0x07, Add = 0x0A, Subtract = 0x0B, Multiply = 0x0C, Divide = 0x0D,
    Equals = 0x0E, Less = 0x0F, Not = 0x12, Pop = 0x17, ToInteger = 0x18, GetVariable = 0x1C, SetVariable = 0x1D,
    StringAdd = 0x21, GetProperty = 0x22, SetProperty = 0x23, CloneSprite = 0x24, Trace = 0x26,
    Throw = 0x2A, DefineLocal = 0x3C, CallFunction = 0x3D, Return = 0x3E, Modulo = 0x3F, NewObject = 0x40,
    DefineLocal2 = 0x41, InitArray = 0x42, InitObject = 0x43, TypeOf = 0x44, Enumerate2 = 0x55, Add2 = 0x47,
    Less2 = 0x48, Equals2 = 0x49, ToNumber = 0x4A, ToString = 0x4B, PushDuplicate = 0x4C, StackSwap = 0x4D,
    GetMember = 0x4E, SetMember = 0x4F, Increment = 0x50, Decrement = 0x51, CallMethod = 0x52,
    NewMethod = 0x53, InstanceOf = 0x54, BitAnd = 0x60, BitLShift = 0x63, BitURShift = 0x65,
    StrictEquals = 0x66, Greater = 0x67, Extends = 0x69
};

}  // namespace swf::avm1::test
