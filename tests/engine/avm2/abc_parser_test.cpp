#include <gtest/gtest.h>

#include "engine/avm2/abc_file.h"
#include "tools/swfwriter/abc_writer.h"

using namespace swf::avm2;

namespace {

std::vector<uint8_t> sampleBlock() {
    swfw::AbcWriter w;
    uint32_t pub = w.ns(0x16, "");
    uint32_t priv = w.ns(0x05, "Foo");
    uint32_t set = w.nsSet({pub, priv});
    w.integer(-5);
    w.uinteger(4000000000u);
    w.number(2.5);
    uint32_t foo = w.qname(pub, "Foo");
    uint32_t obj = w.qname(pub, "Object");
    uint32_t vec = w.qname(w.ns(0x16, "__AS3__.vec"), "Vector");
    w.typeName(vec, {w.qname(pub, "int")});
    w.multiname("x", set);
    w.multinameL(set);
    uint32_t m0 = w.method({obj, 0}, obj, 0x04, {{w.integer(7), 0x03}}, "f");
    uint32_t iinit = w.method();
    uint32_t cinit = w.method();
    swfw::AbcCode c;
    c.label("start").op(0xD0).op(0x30).label("end").op(0x47);
    w.body(m0, c, 3, 2, {{"start", "end", "end", 0, 0}});
    w.body(iinit, swfw::AbcCode().op(0x47));
    w.body(cinit, swfw::AbcCode().op(0x47));
    swfw::AbcTraitSpec slot{w.qname(pub, "v"), 0, 1, obj, w.string("hi"), 0x01};
    swfw::AbcTraitSpec getter{w.qname(pub, "g"), 2, 0, 0, 0, 0, m0};
    uint32_t cls = w.klass(foo, obj, 1, iinit, cinit, {slot, getter});
    w.script(m0, {swfw::AbcTraitSpec{foo, 4, 1, 0, 0, 0, cls}});
    return w.bytes();
}

}  // namespace

TEST(AbcParser, ReadsPoolsSignaturesClassesAndBodies) {
    AbcFile f = parseAbc(sampleBlock());
    EXPECT_EQ(f.majorVersion, 46);
    ASSERT_EQ(f.ints.size(), 3u);  // entry 0, -5, 7
    EXPECT_EQ(f.ints[1], -5);
    EXPECT_EQ(f.uints[1], 4000000000u);
    EXPECT_EQ(f.doubles[1], 2.5);
    ASSERT_EQ(f.methods.size(), 3u);
    const AbcMethod& m = f.methods[0];
    EXPECT_EQ(m.paramTypes.size(), 2u);
    EXPECT_EQ(m.paramTypes[1], 0u);
    EXPECT_TRUE(m.flags & kNeedRest);
    ASSERT_EQ(m.optionals.size(), 1u);
    EXPECT_EQ(f.ints[m.optionals[0].index], 7);
    EXPECT_EQ(f.strings[m.name], u"f");
    EXPECT_EQ(m.body, 0);
    ASSERT_EQ(f.bodies.size(), 3u);
    ASSERT_EQ(f.bodies[0].exceptions.size(), 1u);
    EXPECT_EQ(f.bodies[0].exceptions[0].to, 2u);
    ASSERT_EQ(f.instances.size(), 1u);
    ASSERT_EQ(f.instances[0].traits.size(), 2u);
    EXPECT_EQ(f.instances[0].traits[0].kind, kTraitSlot);
    EXPECT_EQ(f.strings[f.instances[0].traits[0].value.index], u"hi");
    EXPECT_EQ(f.instances[0].traits[1].kind, kTraitGetter);
    ASSERT_EQ(f.scripts.size(), 1u);
    EXPECT_EQ(f.scripts[0].traits[0].kind, kTraitClass);
    bool sawTypeName = false, sawMultinameL = false, sawPrivate = false;
    for (const AbcMultiname& mn : f.multinames) {
        if (mn.kind == kTypeName) {
            sawTypeName = true;
            EXPECT_EQ(mn.typeParams.size(), 1u);
        }
        sawMultinameL |= mn.kind == kMultinameL;
    }
    for (const AbcNamespace& ns : f.namespaces) sawPrivate |= ns.kind == kNsPrivate;
    EXPECT_TRUE(sawTypeName && sawMultinameL && sawPrivate);
}

TEST(AbcParser, EveryTruncationIsRefusedCleanly) {
    std::vector<uint8_t> bytes = sampleBlock();
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(n));
        EXPECT_THROW(parseAbc(cut), AbcError) << "prefix of " << n << " bytes";
    }
}

TEST(AbcParser, CorruptBytesNeverCrashOrOverAllocate) {
    std::vector<uint8_t> bytes = sampleBlock();
    uint32_t seed = 12345;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> b = bytes;
        for (int k = 0; k < 3; ++k) {
            seed = seed * 1103515245u + 12345u;
            b[(seed >> 8) % b.size()] = static_cast<uint8_t>(seed >> 24);
        }
        try {
            parseAbc(b);
        } catch (const AbcError&) {
        }
    }
}

TEST(AbcParser, IndicesOutsideTheirPoolsAreErrors) {
    // A method whose return type names multiname 9 of a pool of one.
    std::vector<uint8_t> b{16, 0, 46, 0, 0, 0, 0, 0, 0, 0, 0, /*methods*/ 1, 0, 9, 0, 0,
                           /*metadata*/ 0, /*classes*/ 0, /*scripts*/ 0, /*bodies*/ 0};
    EXPECT_THROW(parseAbc(b), AbcError);
    // A count far larger than the block.
    std::vector<uint8_t> big{16, 0, 46, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0x0F};
    EXPECT_THROW(parseAbc(big), AbcError);
}

TEST(AbcParser, Utf8AndUtf16RoundTrip) {
    std::u16string s = u"a\u00e9\u4e2d\U0001F600";
    EXPECT_EQ(utf8ToUtf16(utf16ToUtf8(s)), s);
    EXPECT_EQ(utf8ToUtf16("\xff"), std::u16string(1, 0xFF));  // a stray byte reads as itself
}
