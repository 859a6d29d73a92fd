#include "tools/swfwriter/abc_writer.h"

#include <bit>
#include <cstring>
#include <stdexcept>

#include "tools/swfwriter/swf_writer.h"

namespace swfw {

namespace {

void putU30(std::vector<uint8_t>& out, uint32_t v) {
    do {
        uint8_t b = v & 0x7F;
        v >>= 7;
        if (v) b |= 0x80;
        out.push_back(b);
    } while (v);
}

void putS32(std::vector<uint8_t>& out, int32_t v) {
    // Signed values use the same variable-length form, sign-extended from the last group.
    uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 5; ++i) {
        uint8_t b = u & 0x7F;
        int32_t rest = static_cast<int32_t>(u) >> 7;
        u = static_cast<uint32_t>(rest);
        bool done = (rest == 0 && !(b & 0x40)) || (rest == -1 && (b & 0x40));
        if (done || i == 4) {
            out.push_back(b);
            return;
        }
        out.push_back(b | 0x80);
    }
}

void putTraits(std::vector<uint8_t>& out, const std::vector<AbcTraitSpec>& traits) {
    putU30(out, static_cast<uint32_t>(traits.size()));
    for (const AbcTraitSpec& t : traits) {
        putU30(out, t.name);
        out.push_back(static_cast<uint8_t>(t.kind | (t.attrs << 4)));
        switch (t.kind) {
        case 0:
        case 6:
            putU30(out, t.slotId);
            putU30(out, t.type);
            putU30(out, t.valueIndex);
            if (t.valueIndex) out.push_back(t.valueKind);
            break;
        default:
            putU30(out, t.slotId);
            putU30(out, t.index);
            break;
        }
    }
}

}  // namespace

AbcCode& AbcCode::op(uint8_t code) {
    code_.push_back(code);
    return *this;
}
AbcCode& AbcCode::op(uint8_t code, uint32_t operand) {
    code_.push_back(code);
    if (code == 0x24) code_.push_back(static_cast<uint8_t>(operand));  // pushbyte takes a byte
    else putU30(code_, operand);
    return *this;
}
AbcCode& AbcCode::op(uint8_t code, uint32_t a, uint32_t b) {
    code_.push_back(code);
    putU30(code_, a);
    putU30(code_, b);
    return *this;
}
AbcCode& AbcCode::u8(uint8_t v) {
    code_.push_back(v);
    return *this;
}
AbcCode& AbcCode::u30(uint32_t v) {
    putU30(code_, v);
    return *this;
}
AbcCode& AbcCode::s24(int32_t v) {
    uint32_t u = static_cast<uint32_t>(v);
    code_.push_back(u & 0xFF);
    code_.push_back((u >> 8) & 0xFF);
    code_.push_back((u >> 16) & 0xFF);
    return *this;
}
AbcCode& AbcCode::branch(uint8_t code, const std::string& label) {
    code_.push_back(code);
    fixups_.push_back(Fixup{code_.size(), code_.size() + 3, label});
    return s24(0);
}
AbcCode& AbcCode::label(const std::string& name) {
    labels_[name] = code_.size();
    return *this;
}
AbcCode& AbcCode::lookupSwitch(const std::string& defaultLabel, const std::vector<std::string>& cases) {
    size_t base = code_.size();
    code_.push_back(0x1B);
    fixups_.push_back(Fixup{code_.size(), base, defaultLabel});
    s24(0);
    putU30(code_, static_cast<uint32_t>(cases.size() - 1));
    for (const std::string& c : cases) {
        fixups_.push_back(Fixup{code_.size(), base, c});
        s24(0);
    }
    return *this;
}
size_t AbcCode::labelPosition(const std::string& name) const {
    auto it = labels_.find(name);
    if (it == labels_.end()) throw std::runtime_error("unknown label " + name);
    return it->second;
}
std::vector<uint8_t> AbcCode::bytes() const {
    std::vector<uint8_t> out = code_;
    for (const Fixup& f : fixups_) {
        int32_t off = static_cast<int32_t>(labelPosition(f.label)) - static_cast<int32_t>(f.base);
        uint32_t u = static_cast<uint32_t>(off);
        out[f.at] = u & 0xFF;
        out[f.at + 1] = (u >> 8) & 0xFF;
        out[f.at + 2] = (u >> 16) & 0xFF;
    }
    return out;
}

AbcWriter::AbcWriter() = default;

template <class T>
uint32_t AbcWriter::intern(std::vector<T>& pool, std::map<T, uint32_t>& index, const T& v) {
    auto it = index.find(v);
    if (it != index.end()) return it->second;
    pool.push_back(v);
    uint32_t i = static_cast<uint32_t>(pool.size());  // entry 0 is implicit
    index[v] = i;
    return i;
}

uint32_t AbcWriter::string(std::string_view s) { return intern(strings_, stringIndex_, std::string(s)); }
uint32_t AbcWriter::integer(int32_t v) { return intern(ints_, intIndex_, v); }
uint32_t AbcWriter::uinteger(uint32_t v) { return intern(uints_, uintIndex_, v); }
uint32_t AbcWriter::number(double v) {
    auto [it, added] = doubleIndex_.try_emplace(std::bit_cast<uint64_t>(v), static_cast<uint32_t>(doubles_.size() + 1));
    if (added) doubles_.push_back(v);
    return it->second;
}

uint32_t AbcWriter::ns(uint8_t kind, std::string_view uri) {
    std::vector<uint8_t> e{kind};
    putU30(e, uri.empty() ? 0 : string(uri));
    if (kind == 0x05) e.push_back(static_cast<uint8_t>(namespaces_.size()));  // private ones are each new
    uint32_t i = intern(namespaces_, nsIndex_, e);
    return i;
}

uint32_t AbcWriter::nsSet(const std::vector<uint32_t>& namespaces) {
    std::vector<uint8_t> e;
    putU30(e, static_cast<uint32_t>(namespaces.size()));
    for (uint32_t n : namespaces) putU30(e, n);
    return intern(nsSets_, nsSetIndex_, e);
}

uint32_t AbcWriter::qname(uint32_t n, std::string_view name) {
    std::vector<uint8_t> e{0x07};
    putU30(e, n);
    putU30(e, string(name));
    return intern(multinames_, multinameIndex_, e);
}

uint32_t AbcWriter::publicName(std::string_view name) { return qname(ns(0x16, ""), name); }

uint32_t AbcWriter::multiname(std::string_view name, uint32_t set) {
    std::vector<uint8_t> e{0x09};
    putU30(e, string(name));
    putU30(e, set);
    return intern(multinames_, multinameIndex_, e);
}

uint32_t AbcWriter::multinameL(uint32_t set) {
    std::vector<uint8_t> e{0x1B};
    putU30(e, set);
    return intern(multinames_, multinameIndex_, e);
}

uint32_t AbcWriter::typeName(uint32_t base, const std::vector<uint32_t>& params) {
    std::vector<uint8_t> e{0x1D};
    putU30(e, base);
    putU30(e, static_cast<uint32_t>(params.size()));
    for (uint32_t p : params) putU30(e, p);
    return intern(multinames_, multinameIndex_, e);
}

uint32_t AbcWriter::rawMultiname(const std::vector<uint8_t>& encoded) { return intern(multinames_, multinameIndex_, encoded); }

uint32_t AbcWriter::method(const std::vector<uint32_t>& paramTypes, uint32_t returnType, uint8_t flags,
                           const std::vector<std::pair<uint32_t, uint8_t>>& optionals, std::string_view name) {
    std::vector<uint8_t> e;
    putU30(e, static_cast<uint32_t>(paramTypes.size()));
    putU30(e, returnType);
    for (uint32_t p : paramTypes) putU30(e, p);
    putU30(e, name.empty() ? 0 : string(name));
    if (!optionals.empty()) flags |= 0x08;
    e.push_back(flags);
    if (!optionals.empty()) {
        putU30(e, static_cast<uint32_t>(optionals.size()));
        for (auto& [index, kind] : optionals) {
            putU30(e, index);
            e.push_back(kind);
        }
    }
    methods_.push_back(std::move(e));
    return static_cast<uint32_t>(methods_.size() - 1);
}

void AbcWriter::body(uint32_t method, const AbcCode& code, uint32_t localCount, uint32_t maxStack,
                     const std::vector<AbcExceptionSpec>& exceptions, const std::vector<AbcTraitSpec>& traits) {
    std::vector<uint8_t> e;
    putU30(e, method);
    putU30(e, maxStack);
    putU30(e, localCount);
    putU30(e, 0);
    putU30(e, 16);
    std::vector<uint8_t> bytes = code.bytes();
    putU30(e, static_cast<uint32_t>(bytes.size()));
    e.insert(e.end(), bytes.begin(), bytes.end());
    putU30(e, static_cast<uint32_t>(exceptions.size()));
    for (const AbcExceptionSpec& x : exceptions) {
        putU30(e, static_cast<uint32_t>(code.labelPosition(x.from)));
        putU30(e, static_cast<uint32_t>(code.labelPosition(x.to)));
        putU30(e, static_cast<uint32_t>(code.labelPosition(x.target)));
        putU30(e, x.type);
        putU30(e, x.varName);
    }
    putTraits(e, traits);
    bodies_.push_back(std::move(e));
}

uint32_t AbcWriter::klass(uint32_t name, uint32_t superName, uint8_t flags, uint32_t iinit, uint32_t cinit,
                          const std::vector<AbcTraitSpec>& instanceTraits, const std::vector<AbcTraitSpec>& classTraits,
                          const std::vector<uint32_t>& interfaces, uint32_t protectedNs) {
    std::vector<uint8_t> e;
    putU30(e, name);
    putU30(e, superName);
    if (protectedNs) flags |= 0x08;
    e.push_back(flags);
    if (protectedNs) putU30(e, protectedNs);
    putU30(e, static_cast<uint32_t>(interfaces.size()));
    for (uint32_t i : interfaces) putU30(e, i);
    putU30(e, iinit);
    putTraits(e, instanceTraits);
    instances_.push_back(std::move(e));
    std::vector<uint8_t> c;
    putU30(c, cinit);
    putTraits(c, classTraits);
    classes_.push_back(std::move(c));
    return static_cast<uint32_t>(instances_.size() - 1);
}

void AbcWriter::script(uint32_t init, const std::vector<AbcTraitSpec>& traits) {
    std::vector<uint8_t> e;
    putU30(e, init);
    putTraits(e, traits);
    scripts_.push_back(std::move(e));
}

std::vector<uint8_t> AbcWriter::bytes() const {
    std::vector<uint8_t> out{16, 0, 46, 0};  // minor 16, major 46
    auto count = [&](size_t n) { putU30(out, n ? static_cast<uint32_t>(n + 1) : 0); };
    count(ints_.size());
    for (int32_t v : ints_) putS32(out, v);
    count(uints_.size());
    for (uint32_t v : uints_) putU30(out, v);
    count(doubles_.size());
    for (double d : doubles_) {
        uint8_t b[8];
        std::memcpy(b, &d, 8);
        out.insert(out.end(), b, b + 8);
    }
    count(strings_.size());
    for (const std::string& s : strings_) {
        putU30(out, static_cast<uint32_t>(s.size()));
        out.insert(out.end(), s.begin(), s.end());
    }
    auto list = [&](const std::vector<std::vector<uint8_t>>& entries, bool pooled) {
        if (pooled) count(entries.size());
        else putU30(out, static_cast<uint32_t>(entries.size()));
        for (const auto& e : entries) {
            // Private namespaces carry a private marker byte for de-duplication only.
            if (pooled && &entries == &namespaces_ && e[0] == 0x05) {
                out.insert(out.end(), e.begin(), e.end() - 1);
                continue;
            }
            out.insert(out.end(), e.begin(), e.end());
        }
    };
    list(namespaces_, true);
    list(nsSets_, true);
    list(multinames_, true);
    list(methods_, false);
    putU30(out, 0);  // metadata
    putU30(out, static_cast<uint32_t>(instances_.size()));
    for (const auto& e : instances_) out.insert(out.end(), e.begin(), e.end());
    for (const auto& e : classes_) out.insert(out.end(), e.begin(), e.end());
    list(scripts_, false);
    list(bodies_, false);
    return out;
}

std::vector<uint8_t> abcMovie(const std::vector<uint8_t>& abc, const std::string& documentClass, int frames) {
    SwfWriter w(10);
    w.fileAttributes(true);
    BodyWriter doAbc;
    doAbc.u32(0);
    doAbc.string("");
    doAbc.bytes(abc);
    w.tag(kDoAbc, doAbc.data());
    if (!documentClass.empty()) {
        BodyWriter sc;
        sc.u16(1);
        sc.u16(0);
        sc.string(documentClass);
        w.tag(76, sc.data());
    }
    for (int i = 0; i < frames; ++i) w.showFrame();
    return w.finish();
}

}  // namespace swfw
