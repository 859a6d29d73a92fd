// An ABC block (the ActionScript 3 byte code of a DoABC tag) as plain data: constant pools,
// method signatures, metadata, classes, scripts and method bodies, indices kept as stored.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace swf::avm2 {

struct AbcError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum NamespaceKind : uint8_t {
    kNsPrivate = 0x05, kNsNamespace = 0x08, kNsPackage = 0x16, kNsPackageInternal = 0x17,
    kNsProtected = 0x18, kNsExplicit = 0x19, kNsStaticProtected = 0x1A,
};

enum MultinameKind : uint8_t {
    kQName = 0x07, kQNameA = 0x0D, kRTQName = 0x0F, kRTQNameA = 0x10, kRTQNameL = 0x11, kRTQNameLA = 0x12,
    kMultiname = 0x09, kMultinameA = 0x0E, kMultinameL = 0x1B, kMultinameLA = 0x1C, kTypeName = 0x1D,
};

struct AbcNamespace {
    uint8_t kind = 0;
    uint32_t name = 0;  // string index, 0 for ""
};

struct AbcMultiname {
    uint8_t kind = 0;
    uint32_t ns = 0;     // QName
    uint32_t name = 0;   // QName, RTQName, Multiname (0: any name)
    uint32_t nsSet = 0;  // Multiname, MultinameL
    uint32_t typeName = 0;             // TypeName: the generic's multiname
    std::vector<uint32_t> typeParams;  // TypeName: parameter multinames
    bool isAttribute() const {
        return kind == kQNameA || kind == kRTQNameA || kind == kRTQNameLA || kind == kMultinameA || kind == kMultinameLA;
    }
    bool runtimeName() const { return kind == kRTQNameL || kind == kRTQNameLA || kind == kMultinameL || kind == kMultinameLA; }
    bool runtimeNs() const { return kind == kRTQName || kind == kRTQNameA || kind == kRTQNameL || kind == kRTQNameLA; }
};

enum MethodFlags : uint8_t {
    kNeedArguments = 0x01, kNeedActivation = 0x02, kNeedRest = 0x04, kHasOptional = 0x08,
    kIgnoreRest = 0x10, kNative = 0x20, kSetDxns = 0x40, kHasParamNames = 0x80,
};

struct AbcDefault {
    uint32_t index = 0;
    uint8_t kind = 0;  // constant kind: 0x03 int, 0x04 uint, 0x06 double, 0x01 string, 0x0B true...
};

struct AbcMethod {
    std::vector<uint32_t> paramTypes;  // multinames, 0 for *
    uint32_t returnType = 0;
    uint32_t name = 0;
    uint8_t flags = 0;
    std::vector<AbcDefault> optionals;  // for the last parameters
    std::vector<uint32_t> paramNames;
    int body = -1;  // index into bodies
};

struct AbcMetadata {
    uint32_t name = 0;
    std::vector<std::pair<uint32_t, uint32_t>> items;  // key (0: none), value
};

enum TraitKind : uint8_t { kTraitSlot = 0, kTraitMethod = 1, kTraitGetter = 2, kTraitSetter = 3, kTraitClass = 4, kTraitFunction = 5, kTraitConst = 6 };
enum TraitAttr : uint8_t { kAttrFinal = 1, kAttrOverride = 2, kAttrMetadata = 4 };

struct AbcTrait {
    uint32_t name = 0;  // a QName multiname
    uint8_t kind = 0;
    uint8_t attrs = 0;
    uint32_t slotId = 0;  // slots, consts, classes, functions; dispatch id for methods
    uint32_t typeName = 0;  // slots and consts
    AbcDefault value;       // slots and consts (index 0: none)
    uint32_t index = 0;     // method, class or function index
    std::vector<uint32_t> metadata;
};

enum InstanceFlags : uint8_t { kClassSealed = 1, kClassFinal = 2, kClassInterface = 4, kClassProtectedNs = 8 };

struct AbcInstance {
    uint32_t name = 0, superName = 0;
    uint8_t flags = 0;
    uint32_t protectedNs = 0;
    std::vector<uint32_t> interfaces;
    uint32_t init = 0;
    std::vector<AbcTrait> traits;
};

struct AbcClass {
    uint32_t init = 0;
    std::vector<AbcTrait> traits;
};

struct AbcScript {
    uint32_t init = 0;
    std::vector<AbcTrait> traits;
};

struct AbcException {
    uint32_t from = 0, to = 0, target = 0, type = 0, varName = 0;
};

struct AbcBody {
    uint32_t method = 0, maxStack = 0, localCount = 0, initScopeDepth = 0, maxScopeDepth = 0;
    std::vector<uint8_t> code;
    std::vector<AbcException> exceptions;
    std::vector<AbcTrait> traits;  // the activation's
};

struct AbcFile {
    uint16_t minorVersion = 0, majorVersion = 0;
    // Pools keep their entry 0 (the "none" entry) so that stored indices index them directly.
    std::vector<int32_t> ints{0};
    std::vector<uint32_t> uints{0};
    std::vector<double> doubles{0};
    std::vector<std::u16string> strings{u""};
    std::vector<AbcNamespace> namespaces{AbcNamespace{}};
    std::vector<std::vector<uint32_t>> nsSets{{}};
    std::vector<AbcMultiname> multinames{AbcMultiname{}};
    std::vector<AbcMethod> methods;
    std::vector<AbcMetadata> metadata;
    std::vector<AbcInstance> instances;
    std::vector<AbcClass> classes;  // one per instance
    std::vector<AbcScript> scripts;
    std::vector<AbcBody> bodies;
};

// Reads an ABC block; every index is checked against its pool. Throws AbcError.
AbcFile parseAbc(std::span<const uint8_t> bytes);

// UTF-8 (as ABC stores strings) to UTF-16 and back; bad sequences read as their bytes.
std::u16string utf8ToUtf16(std::string_view s);
std::string utf16ToUtf8(std::u16string_view s);

}  // namespace swf::avm2
