// An assembler for ABC blocks (ActionScript 3 byte code), for tests: constant pools with
// de-duplication, methods and bodies, classes, scripts and code with labelled branches.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace swfw {

// Byte code of one method body. Branches name labels; `bytes()` resolves them.
class AbcCode {
public:
    AbcCode& op(uint8_t code);
    AbcCode& op(uint8_t code, uint32_t operand);
    AbcCode& op(uint8_t code, uint32_t a, uint32_t b);
    AbcCode& u8(uint8_t v);
    AbcCode& u30(uint32_t v);
    AbcCode& s24(int32_t v);
    // A branch instruction (jump, iftrue, ifeq...) to `label`.
    AbcCode& branch(uint8_t code, const std::string& label);
    AbcCode& label(const std::string& name);
    // lookupswitch: default label, then case labels.
    AbcCode& lookupSwitch(const std::string& defaultLabel, const std::vector<std::string>& cases);
    size_t position() const { return code_.size(); }
    size_t labelPosition(const std::string& name) const;
    std::vector<uint8_t> bytes() const;

private:
    struct Fixup {
        size_t at;     // where the s24 goes
        size_t base;   // offsets count from here
        std::string label;
    };
    std::vector<uint8_t> code_;
    std::vector<Fixup> fixups_;
    std::map<std::string, size_t> labels_;
};

struct AbcTraitSpec {
    uint32_t name = 0;  // a QName
    uint8_t kind = 0;   // 0 slot, 1 method, 2 getter, 3 setter, 4 class, 5 function, 6 const
    uint32_t slotId = 0;
    uint32_t type = 0;
    uint32_t valueIndex = 0;
    uint8_t valueKind = 0;
    uint32_t index = 0;  // method or class
    uint8_t attrs = 0;
};

struct AbcExceptionSpec {
    std::string from, to, target;  // labels
    uint32_t type = 0, varName = 0;
};

class AbcWriter {
public:
    AbcWriter();
    uint32_t string(std::string_view s);
    uint32_t integer(int32_t v);
    uint32_t uinteger(uint32_t v);
    uint32_t number(double v);
    uint32_t ns(uint8_t kind, std::string_view uri);
    uint32_t nsSet(const std::vector<uint32_t>& namespaces);
    uint32_t qname(uint32_t ns, std::string_view name);
    uint32_t publicName(std::string_view name);  // QName in the public namespace
    uint32_t multiname(std::string_view name, uint32_t nsSet);
    uint32_t multinameL(uint32_t nsSet);
    uint32_t typeName(uint32_t base, const std::vector<uint32_t>& params);
    uint32_t rawMultiname(const std::vector<uint8_t>& encoded);  // any kind, as written

    uint32_t method(const std::vector<uint32_t>& paramTypes = {}, uint32_t returnType = 0, uint8_t flags = 0,
                    const std::vector<std::pair<uint32_t, uint8_t>>& optionals = {}, std::string_view name = "");
    void body(uint32_t method, const AbcCode& code, uint32_t localCount = 8, uint32_t maxStack = 16,
              const std::vector<AbcExceptionSpec>& exceptions = {}, const std::vector<AbcTraitSpec>& traits = {});
    uint32_t klass(uint32_t name, uint32_t superName, uint8_t flags, uint32_t iinit, uint32_t cinit,
                   const std::vector<AbcTraitSpec>& instanceTraits = {}, const std::vector<AbcTraitSpec>& classTraits = {},
                   const std::vector<uint32_t>& interfaces = {}, uint32_t protectedNs = 0);
    void script(uint32_t init, const std::vector<AbcTraitSpec>& traits = {});

    std::vector<uint8_t> bytes() const;

private:
    template <class T>
    uint32_t intern(std::vector<T>& pool, std::map<T, uint32_t>& index, const T& v);
    std::vector<std::string> strings_;
    std::map<std::string, uint32_t> stringIndex_;
    std::vector<int32_t> ints_;
    std::map<int32_t, uint32_t> intIndex_;
    std::vector<uint32_t> uints_;
    std::map<uint32_t, uint32_t> uintIndex_;
    std::vector<double> doubles_;
    // Keyed by bit pattern: NaN orders against nothing and -0 equals 0, yet each is its own constant.
    std::map<uint64_t, uint32_t> doubleIndex_;
    std::vector<std::vector<uint8_t>> namespaces_, nsSets_, multinames_;
    std::map<std::vector<uint8_t>, uint32_t> nsIndex_, nsSetIndex_, multinameIndex_;
    std::vector<std::vector<uint8_t>> methods_, bodies_, instances_, classes_, scripts_;
};

// A movie of one frame whose ABC is `abc`, with `documentClass` (if any) linked to the root.
std::vector<uint8_t> abcMovie(const std::vector<uint8_t>& abc, const std::string& documentClass = "", int frames = 1);

}  // namespace swfw
