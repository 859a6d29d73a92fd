#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/avm2/machine_fixture.h"

using namespace swf::avm2;

namespace {

class ByteArrayTest : public avm2test::MachineTest {
protected:
    Value bytes = make();
    Value make() { return m.construct(global(u"ByteArray", u"flash.utils"), {}); }
    Value call(const char16_t* name, std::vector<Value> args = {}, const Value* on = nullptr) {
        return m.callProperty(on ? *on : bytes, Name{name, m.publicSet}, args);
    }
    double num(const char16_t* name, std::vector<Value> args = {}) { return m.toNumber(call(name, args)); }
    double prop(const char16_t* name) { return m.toNumber(m.get(bytes, name)); }
    void seek(double p) { m.set(bytes, u"position", Value(p)); }
    std::vector<int> contents() {
        std::vector<int> out;
        for (double i = 0; i < prop(u"length"); ++i) out.push_back(m.toInt(m.get(bytes, numberToString(i))));
        return out;
    }
};

}  // namespace

TEST_F(ByteArrayTest, NumbersInBothByteOrders) {
    call(u"writeShort", {Value(0x1234)});
    call(u"writeInt", {Value(-2)});
    m.set(bytes, u"endian", Value(u"littleEndian"));
    call(u"writeUnsignedInt", {Value(0xA1B2C3D4u)});
    call(u"writeByte", {Value(0x1FF)});
    EXPECT_EQ(contents(), (std::vector<int>{0x12, 0x34, 0xFF, 0xFF, 0xFF, 0xFE, 0xD4, 0xC3, 0xB2, 0xA1, 0xFF}));
    EXPECT_EQ(prop(u"position"), 11);
    EXPECT_EQ(prop(u"bytesAvailable"), 0);
    seek(0);
    m.set(bytes, u"endian", Value(u"bigEndian"));
    EXPECT_EQ(num(u"readUnsignedShort"), 0x1234);
    EXPECT_EQ(num(u"readInt"), -2);
    m.set(bytes, u"endian", Value(u"littleEndian"));
    EXPECT_EQ(num(u"readUnsignedInt"), 0xA1B2C3D4u);
    EXPECT_EQ(num(u"readByte"), -1);
    seek(2);
    EXPECT_EQ(num(u"readShort"), -1);
    EXPECT_EQ(num(u"readUnsignedByte"), 0xFF);

    m.set(bytes, u"length", Value(0));
    EXPECT_EQ(prop(u"position"), 0);
    call(u"writeDouble", {Value(-1.5e300)});
    call(u"writeFloat", {Value(0.1)});
    call(u"writeBoolean", {Value(u"yes")});
    seek(0);
    EXPECT_EQ(num(u"readDouble"), -1.5e300);
    EXPECT_EQ(num(u"readFloat"), static_cast<double>(0.1f));
    EXPECT_EQ(m.toBoolean(call(u"readBoolean")), true);
    EXPECT_EQ(thrown([&] { m.set(bytes, u"endian", Value(u"middle")); }),
              "ArgumentError: Error #2008: Parameter endian must be one of the accepted values.");
}

TEST_F(ByteArrayTest, ReadsPastTheEndAreEofErrors) {
    call(u"writeShort", {Value(1)});
    seek(1);
    EXPECT_EQ(thrown([&] { call(u"readInt"); }), "EOFError: Error #2030: End of file was encountered.");
    EXPECT_EQ(prop(u"position"), 1);  // a failed read does not move
    seek(100);
    EXPECT_EQ(prop(u"bytesAvailable"), 0);
    EXPECT_EQ(thrown([&] { call(u"readByte"); }), "EOFError: Error #2030: End of file was encountered.");
    EXPECT_EQ(thrown([&] { call(u"readUTFBytes", {Value(1)}); }), "EOFError: Error #2030: End of file was encountered.");
    // Writing past the end fills the gap with zeros; so does an index past the end.
    call(u"writeByte", {Value(7)});
    EXPECT_EQ(prop(u"length"), 101);
    m.set(bytes, u"104", Value(300));
    EXPECT_EQ(prop(u"length"), 105);
    EXPECT_EQ(m.toInt(m.get(bytes, u"104")), 44);
    EXPECT_EQ(m.toInt(m.get(bytes, u"50")), 0);
    EXPECT_TRUE(m.get(bytes, u"105").isUndefined());
}

TEST_F(ByteArrayTest, TextAsUtf8WithAndWithoutLength) {
    call(u"writeUTF", {Value(u"h\u00e9\u20ac")});
    EXPECT_EQ(contents(), (std::vector<int>{0, 6, 'h', 0xC3, 0xA9, 0xE2, 0x82, 0xAC}));
    seek(0);
    EXPECT_EQ(utf16ToUtf8(m.toString(call(u"readUTF"))), "h\xC3\xA9\xE2\x82\xAC");
    m.set(bytes, u"length", Value(0));
    // A byte order mark is skipped by reads and by toString.
    for (int b : {0xEF, 0xBB, 0xBF}) call(u"writeByte", {Value(b)});
    call(u"writeUTFBytes", {Value(u"abc")});
    EXPECT_EQ(utf16ToUtf8(m.toString(bytes)), "abc");
    seek(0);
    EXPECT_EQ(utf16ToUtf8(m.toString(call(u"readUTFBytes", {Value(6)}))), "abc");
    EXPECT_EQ(prop(u"position"), 6);
    // A zero byte ends what a read gives, not what toString gives.
    call(u"writeByte", {Value(0)});
    call(u"writeUTFBytes", {Value(u"d")});
    EXPECT_EQ(m.toString(bytes).size(), 5u);
    seek(3);
    EXPECT_EQ(utf16ToUtf8(m.toString(call(u"readUTFBytes", {Value(5)}))), "abc");
    // UTF-16 text with its byte order mark.
    m.set(bytes, u"length", Value(0));
    for (int b : {0xFF, 0xFE, int{'h'}, 0, int{'i'}, 0}) call(u"writeByte", {Value(b)});
    EXPECT_EQ(utf16ToUtf8(m.toString(bytes)), "hi");
    m.set(bytes, u"length", Value(0));
    call(u"writeMultiByte", {Value(u"\u00e9t\u00e9"), Value(u"iso-8859-1")});
    EXPECT_EQ(contents(), (std::vector<int>{0xE9, 't', 0xE9}));
    seek(0);
    EXPECT_EQ(m.toString(call(u"readMultiByte", {Value(3), Value(u"iso-8859-1")})), u"\u00e9t\u00e9");
    std::string tooLong(70000, 'x');
    EXPECT_EQ(thrown([&] { call(u"writeUTF", {Value(utf8ToUtf16(tooLong))}); }),
              "RangeError: Error #2006: The supplied index is out of bounds.");
}

TEST_F(ByteArrayTest, CopiesBetweenArraysAndCompression) {
    for (int i = 0; i < 10; ++i) call(u"writeByte", {Value(i)});
    Value other = make();
    call(u"writeBytes", {bytes, Value(2), Value(3)}, &other);
    EXPECT_EQ(m.toNumber(m.get(other, u"length")), 3);
    EXPECT_EQ(m.toInt(m.get(other, u"0")), 2);
    seek(8);
    Value into = make();
    call(u"readBytes", {into, Value(1)}, &bytes);  // the rest, at offset 1
    EXPECT_EQ(m.toNumber(m.get(into, u"length")), 3);
    EXPECT_EQ(m.toInt(m.get(into, u"2")), 9);
    EXPECT_EQ(thrown([&] { call(u"writeBytes", {bytes, Value(11)}, &other); }),
              "RangeError: Error #2006: The supplied index is out of bounds.");

    for (const char16_t* algorithm : {u"zlib", u"deflate"}) {
        m.set(bytes, u"length", Value(0));
        for (int i = 0; i < 1000; ++i) call(u"writeByte", {Value(i % 7)});
        call(u"compress", {Value(algorithm)});
        EXPECT_LT(prop(u"length"), 100);
        call(u"uncompress", {Value(algorithm)});
        EXPECT_EQ(prop(u"length"), 1000);
        EXPECT_EQ(prop(u"position"), 0);
        EXPECT_EQ(m.toInt(m.get(bytes, u"999")), 999 % 7);
    }
    call(u"writeByte", {Value(1)});  // corrupt data
    EXPECT_EQ(thrown([&] { call(u"uncompress"); }), "IOError: Error #2058: There was an error decompressing the data.");
    EXPECT_EQ(prop(u"length"), 1000);  // left as it was
}
