#include <cstring>

#include "engine/avm2/abc_file.h"

namespace swf::avm2 {

namespace {

class Reader {
public:
    explicit Reader(std::span<const uint8_t> b) : b_(b) {}
    size_t remaining() const { return b_.size() - pos_; }
    uint8_t u8() {
        if (pos_ >= b_.size()) throw AbcError("ABC block ends early");
        return b_[pos_++];
    }
    uint16_t u16() {
        uint16_t lo = u8();
        return static_cast<uint16_t>(lo | (u8() << 8));
    }
    uint32_t u32() {
        uint32_t r = 0;
        for (int i = 0; i < 5; ++i) {
            uint8_t c = u8();
            r |= static_cast<uint32_t>(c & 0x7F) << (7 * i);
            if (!(c & 0x80)) break;
        }
        return r;
    }
    int32_t s32() {
        uint32_t r = 0;
        int shift = 0;
        for (int i = 0; i < 5; ++i) {
            uint8_t c = u8();
            r |= static_cast<uint32_t>(c & 0x7F) << shift;
            shift += 7;
            if (!(c & 0x80)) {
                if (shift < 32 && (c & 0x40)) r |= ~0u << shift;
                break;
            }
        }
        return static_cast<int32_t>(r);
    }
    double d64() {
        if (remaining() < 8) throw AbcError("ABC block ends early");
        double d;
        std::memcpy(&d, b_.data() + pos_, 8);  // little-endian hosts only, as the rest of the engine
        pos_ += 8;
        return d;
    }
    std::span<const uint8_t> bytes(size_t n) {
        if (n > remaining()) throw AbcError("ABC block ends early");
        auto s = b_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    // A count of entries that take at least `minSize` bytes each: more than fit is a bad block.
    uint32_t count(size_t minSize = 1) {
        uint32_t n = u32();
        if (n > remaining() / minSize + 1) throw AbcError("ABC count larger than the block");
        return n;
    }

private:
    std::span<const uint8_t> b_;
    size_t pos_ = 0;
};

class Parser {
public:
    explicit Parser(std::span<const uint8_t> b) : r_(b) {}

    AbcFile run() {
        f_.minorVersion = r_.u16();
        f_.majorVersion = r_.u16();
        pool(f_.ints, [&] { return r_.s32(); });
        pool(f_.uints, [&] { return r_.u32(); });
        pool(f_.doubles, [&] { return r_.d64(); });
        pool(f_.strings, [&] {
            uint32_t n = r_.u32();
            auto s = r_.bytes(n);
            return utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(s.data()), s.size()));
        });
        pool(f_.namespaces, [&] {
            AbcNamespace ns;
            ns.kind = r_.u8();
            ns.name = index(r_.u32(), f_.strings.size(), "string");
            return ns;
        });
        pool(f_.nsSets, [&] {
            std::vector<uint32_t> set(r_.count());
            for (auto& n : set) n = index(r_.u32(), f_.namespaces.size(), "namespace");
            return set;
        });
        pool(f_.multinames, [&] { return multiname(); });
        // TypeName parameters may point forward; check them once the pool is complete.
        for (const AbcMultiname& m : f_.multinames) {
            if (m.kind != kTypeName) continue;
            index(m.typeName, f_.multinames.size(), "multiname");
            for (uint32_t p : m.typeParams) index(p, f_.multinames.size(), "multiname");
        }
        f_.methods.resize(r_.count(4));
        for (AbcMethod& m : f_.methods) method(m);
        f_.metadata.resize(r_.count(2));
        for (AbcMetadata& m : f_.metadata) {
            m.name = str(r_.u32());
            uint32_t n = r_.count(2);
            m.items.resize(n);
            for (auto& it : m.items) it.first = str(r_.u32());
            for (auto& it : m.items) it.second = str(r_.u32());
        }
        uint32_t classCount = r_.count(4);
        f_.instances.resize(classCount);
        for (AbcInstance& inst : f_.instances) instance(inst);
        f_.classes.resize(classCount);
        for (AbcClass& c : f_.classes) {
            c.init = methodIndex(r_.u32());
            traits(c.traits);
        }
        f_.scripts.resize(r_.count(2));
        for (AbcScript& s : f_.scripts) {
            s.init = methodIndex(r_.u32());
            traits(s.traits);
        }
        f_.bodies.resize(r_.count(7));
        for (size_t i = 0; i < f_.bodies.size(); ++i) body(f_.bodies[i], static_cast<int>(i));
        // Class and function trait indices could only be checked once every pool was read.
        auto checkTraits = [&](const std::vector<AbcTrait>& ts) {
            for (const AbcTrait& t : ts)
                if (t.kind == kTraitClass) index(t.index, f_.classes.size(), "class");
        };
        for (auto& c : f_.classes) checkTraits(c.traits);
        for (auto& c : f_.instances) checkTraits(c.traits);
        for (auto& s : f_.scripts) checkTraits(s.traits);
        for (auto& b : f_.bodies) checkTraits(b.traits);
        return std::move(f_);
    }

private:
    template <class T, class F>
    void pool(std::vector<T>& v, F read) {
        uint32_t n = r_.count();
        for (uint32_t i = 1; i < n; ++i) v.push_back(read());
    }

    static uint32_t index(uint32_t i, size_t size, const char* what) {
        if (i >= size) throw AbcError(std::string("ABC ") + what + " index " + std::to_string(i) + " out of range");
        return i;
    }
    uint32_t str(uint32_t i) { return index(i, f_.strings.size(), "string"); }
    uint32_t mn(uint32_t i) { return index(i, f_.multinames.size(), "multiname"); }
    uint32_t methodIndex(uint32_t i) { return index(i, f_.methods.size(), "method"); }

    AbcMultiname multiname() {
        AbcMultiname m;
        m.kind = r_.u8();
        switch (m.kind) {
        case kQName:
        case kQNameA:
            m.ns = index(r_.u32(), f_.namespaces.size(), "namespace");
            m.name = str(r_.u32());
            break;
        case kRTQName:
        case kRTQNameA: m.name = str(r_.u32()); break;
        case kRTQNameL:
        case kRTQNameLA: break;
        case kMultiname:
        case kMultinameA:
            m.name = str(r_.u32());
            m.nsSet = index(r_.u32(), f_.nsSets.size(), "namespace set");
            break;
        case kMultinameL:
        case kMultinameLA: m.nsSet = index(r_.u32(), f_.nsSets.size(), "namespace set"); break;
        case kTypeName: {
            m.typeName = r_.u32();
            uint32_t n = r_.count();
            m.typeParams.resize(n);
            for (auto& p : m.typeParams) p = r_.u32();
            break;
        }
        default: throw AbcError("unknown multiname kind " + std::to_string(m.kind));
        }
        return m;
    }

    AbcDefault constant() {
        AbcDefault d;
        d.index = r_.u32();
        d.kind = r_.u8();
        checkConstant(d);
        return d;
    }
    void checkConstant(const AbcDefault& d) {
        switch (d.kind) {
        case 0x03: index(d.index, f_.ints.size(), "int"); break;
        case 0x04: index(d.index, f_.uints.size(), "uint"); break;
        case 0x06: index(d.index, f_.doubles.size(), "double"); break;
        case 0x01: str(d.index); break;
        case 0x08: case 0x16: case 0x17: case 0x18: case 0x19: case 0x1A: case 0x05:
            index(d.index, f_.namespaces.size(), "namespace");
            break;
        case 0x0A: case 0x0B: case 0x0C: case 0x00: break;  // false, true, null, undefined
        default: throw AbcError("unknown constant kind " + std::to_string(d.kind));
        }
    }

    void method(AbcMethod& m) {
        uint32_t params = r_.count();
        m.returnType = mn(r_.u32());
        m.paramTypes.resize(params);
        for (auto& p : m.paramTypes) p = mn(r_.u32());
        m.name = str(r_.u32());
        m.flags = r_.u8();
        if (m.flags & kHasOptional) {
            uint32_t n = r_.count(2);
            if (n > params) throw AbcError("more optional parameters than parameters");
            m.optionals.resize(n);
            for (auto& o : m.optionals) o = constant();
        }
        if (m.flags & kHasParamNames) {
            m.paramNames.resize(params);
            for (auto& p : m.paramNames) p = str(r_.u32());
        }
    }

    void traits(std::vector<AbcTrait>& out) {
        out.resize(r_.count(3));
        for (AbcTrait& t : out) {
            t.name = mn(r_.u32());
            if (f_.multinames[t.name].kind != kQName) throw AbcError("trait name is not a QName");
            uint8_t kind = r_.u8();
            t.kind = kind & 0x0F;
            t.attrs = kind >> 4;
            switch (t.kind) {
            case kTraitSlot:
            case kTraitConst:
                t.slotId = r_.u32();
                t.typeName = mn(r_.u32());
                t.value.index = r_.u32();
                if (t.value.index) {
                    t.value.kind = r_.u8();
                    checkConstant(t.value);
                }
                break;
            case kTraitClass:
                t.slotId = r_.u32();
                t.index = r_.u32();  // checked once the classes are read
                break;
            case kTraitFunction:
                t.slotId = r_.u32();
                t.index = methodIndex(r_.u32());
                break;
            case kTraitMethod:
            case kTraitGetter:
            case kTraitSetter:
                t.slotId = r_.u32();
                t.index = methodIndex(r_.u32());
                break;
            default: throw AbcError("unknown trait kind " + std::to_string(t.kind));
            }
            if (t.attrs & kAttrMetadata) {
                t.metadata.resize(r_.count());
                for (auto& m : t.metadata) m = index(r_.u32(), f_.metadata.size(), "metadata");
            }
        }
    }

    void instance(AbcInstance& c) {
        c.name = mn(r_.u32());
        c.superName = mn(r_.u32());
        c.flags = r_.u8();
        if (c.flags & kClassProtectedNs) c.protectedNs = index(r_.u32(), f_.namespaces.size(), "namespace");
        c.interfaces.resize(r_.count());
        for (auto& i : c.interfaces) i = mn(r_.u32());
        c.init = methodIndex(r_.u32());
        traits(c.traits);
    }

    void body(AbcBody& b, int bodyIndex) {
        b.method = methodIndex(r_.u32());
        if (f_.methods[b.method].body >= 0) throw AbcError("two bodies for one method");
        f_.methods[b.method].body = bodyIndex;
        b.maxStack = r_.u32();
        b.localCount = r_.u32();
        b.initScopeDepth = r_.u32();
        b.maxScopeDepth = r_.u32();
        if (b.localCount > 65536 || b.maxScopeDepth > 65536 || b.maxStack > 1048576)
            throw AbcError("method body frame too large");
        auto code = r_.bytes(r_.u32());
        b.code.assign(code.begin(), code.end());
        b.exceptions.resize(r_.count(5));
        for (AbcException& e : b.exceptions) {
            e.from = r_.u32();
            e.to = r_.u32();
            e.target = r_.u32();
            e.type = mn(r_.u32());
            e.varName = mn(r_.u32());
            if (e.from > e.to || e.to > b.code.size() || e.target >= b.code.size())
                throw AbcError("exception range outside its method body");
        }
        traits(b.traits);
    }

    Reader r_;
    AbcFile f_;
};

}  // namespace

AbcFile parseAbc(std::span<const uint8_t> bytes) { return Parser(bytes).run(); }

std::u16string utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < s.size();
        if (ok && extra > 0) {
            cp = c & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) {
                unsigned char cc = static_cast<unsigned char>(s[i + k]);
                if ((cc & 0xC0) != 0x80) { ok = false; break; }
                cp = (cp << 6) | (cc & 0x3F);
            }
        }
        if (!ok) {
            out.push_back(c);
            ++i;
            continue;
        }
        i += static_cast<size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

}  // namespace swf::avm2
