#include <cmath>
#include <gtest/gtest.h>

#include "tests/engine/avm2/machine_fixture.h"

using namespace swf::avm2;

namespace {

class JsonTest : public avm2test::MachineTest {
protected:
    Value json() { return global(u"JSON"); }
    Value parse(const char16_t* text, std::vector<Value> more = {}) {
        more.insert(more.begin(), Value(text));
        return m.callProperty(json(), Name{u"parse", m.publicSet}, more);
    }
    std::string stringify(std::vector<Value> args) {
        Value r = m.callProperty(json(), Name{u"stringify", m.publicSet}, args);
        return r.isUndefined() ? "undefined" : utf16ToUtf8(m.toString(r));
    }
    std::string round(const char16_t* text, std::vector<Value> more = {}) {
        more.insert(more.begin(), parse(text));
        return stringify(more);
    }
    Value fn(NativeFn f) { return Value(m.newNative(u"f", 2, std::move(f))); }
};

}  // namespace

TEST_F(JsonTest, ParsesAndWritesBackEveryKind) {
    EXPECT_EQ(round(u" {\"a\": [1, -2.5e3, true, false, null], \"b\": {\"c\": \"x\\ny\\u0041\\\"\"}} "),
              "{\"a\":[1,-2500,true,false,null],\"b\":{\"c\":\"x\\nyA\\\"\"}}");
    EXPECT_EQ(round(u"[]"), "[]");
    EXPECT_EQ(round(u"{}"), "{}");
    EXPECT_EQ(round(u"\"\\u0001\\t\""), "\"\\u0001\\t\"");
    EXPECT_EQ(round(u"12"), "12");
    // Key order is the order of the text; a repeated key keeps its place and takes the last value.
    EXPECT_EQ(round(u"{\"z\":1,\"a\":2,\"z\":3}"), "{\"z\":3,\"a\":2}");
}

TEST_F(JsonTest, BadInputIsASyntaxError) {
    for (const char16_t* bad : {u"", u"{", u"[1,]", u"{\"a\" 1}", u"01", u"1.", u"-", u"'a'", u"tru", u"[1] 2",
                                u"\"a\nb\"", u"\"\\x\"", u"\"\\u12\"", u"{a:1}", u"NaN"})
        EXPECT_EQ(thrown([&] { parse(bad); }), "SyntaxError: Error #1132: Invalid JSON parse input.") << utf16ToUtf8(bad);
    EXPECT_EQ(thrown([&] { m.callProperty(json(), Name{u"parse", m.publicSet}, std::vector<Value>{Value::null()}); }),
              "SyntaxError: Error #1132: Invalid JSON parse input.");
    // Deep nesting is refused rather than recursed into without end.
    String deep(100000, u'[');
    EXPECT_EQ(thrown([&] { parse(deep.c_str()); }), "SyntaxError: Error #1132: Invalid JSON parse input.");
}

TEST_F(JsonTest, ReviverSeesEveryValueInnermostFirst) {
    std::vector<std::string> seen;
    Value reviver = fn([&](Machine& m, const Value&, std::span<const Value> a) -> Value {
        seen.push_back(utf16ToUtf8(m.toString(a[0])));
        if (a[1].isNumber()) return a[1].number() == 2 ? Value() : Value(a[1].number() * 10);
        return a[1];
    });
    Value v = parse(u"{\"a\":1,\"b\":[2,3]}", {reviver});
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "0", "1", "b", ""}));
    EXPECT_EQ(stringify({v}), "{\"a\":10,\"b\":[null,30]}");
}

TEST_F(JsonTest, StringifyOptions) {
    // Indentation by count (at most 10) or by text.
    EXPECT_EQ(round(u"{\"a\":[1,{}],\"b\":[]}", {Value::null(), Value(2)}), "{\n  \"a\": [\n    1,\n    {}\n  ],\n  \"b\": []\n}");
    EXPECT_EQ(round(u"[1]", {Value::null(), Value(u"--")}), "[\n--1\n]");
    EXPECT_EQ(round(u"[1]", {Value::null(), Value(40)}), "[\n          1\n]");
    // A list of names keeps those, in the list's order.
    EXPECT_EQ(round(u"{\"a\":1,\"b\":2,\"c\":3}", {Value(m.newArray({Value(u"c"), Value(u"a"), Value(u"zz")}))}),
              "{\"c\":3,\"a\":1}");
    // A function replacer sees each key and value, with the holder as `this`.
    Value replacer = fn([](Machine& m, const Value&, std::span<const Value> a) -> Value {
        if (m.toString(a[0]) == u"drop") return Value();
        if (a[1].isNumber()) return Value(a[1].number() + 1);
        return a[1];
    });
    EXPECT_EQ(round(u"{\"drop\":1,\"keep\":[1,2]}", {replacer}), "{\"keep\":[2,3]}");
    // Values with no JSON form.
    EXPECT_EQ(stringify({Value(NAN)}), "null");
    EXPECT_EQ(stringify({Value()}), "undefined");
    EXPECT_EQ(stringify({fn(nullptr)}), "undefined");
    Value withFunction = parse(u"[1]");
    m.set(withFunction, u"1", fn(nullptr));
    EXPECT_EQ(stringify({withFunction}), "[1,null]");
}

TEST_F(JsonTest, ToJsonAndErrors) {
    Value o = parse(u"{\"a\":1}");
    m.set(o, u"toJSON", fn([](Machine&, const Value&, std::span<const Value> a) -> Value { return Value(u"as " + a[0].string()); }));
    Value holder = parse(u"{}");
    m.set(holder, u"k", o);
    EXPECT_EQ(stringify({holder}), "{\"k\":\"as k\"}");

    Value cyclic = parse(u"{\"a\":{}}");
    m.set(m.get(cyclic, u"a"), u"back", cyclic);
    EXPECT_EQ(thrown([&] { stringify({cyclic}); }), "TypeError: Error #1129: Cyclic structure cannot be converted to JSON string.");
    EXPECT_EQ(thrown([&] { stringify({cyclic, Value::null()}); }),
              "TypeError: Error #1129: Cyclic structure cannot be converted to JSON string.");
    const char* badReplacer =
        "TypeError: Error #1131: Replacer argument to JSON stringifier must be an array or a two parameter function.";
    EXPECT_EQ(thrown([&] { stringify({cyclic, Value(m.newObject())}); }), badReplacer);
    EXPECT_EQ(thrown([&] { stringify({Value(1), Value()}); }), badReplacer);
    EXPECT_EQ(thrown([&] { stringify({Value(1), Value(3)}); }), badReplacer);
}

// A class instance writes its public getters' values after its variables, before its dynamic
// properties; a property that can only be set is left out.
TEST_F(JsonTest, StringifyReadsPublicGetters) {
    ClassObject* probe = m.defineClass(u"", u"JsonProbe", m.objectClass, [](Machine&, const Value&, std::span<const Value>) -> Value { return Value(); });
    m.defineGetter(probe, u"zeta", [](Machine&, const Value&, std::span<const Value>) -> Value { return Value(u"last"); });
    m.defineGetter(probe, u"alpha", [](Machine&, const Value&, std::span<const Value>) -> Value { return Value(7.0); });
    m.defineGetter(probe, u"writeOnly", nullptr, [](Machine&, const Value&, std::span<const Value>) -> Value { return Value(); });
    Value o = m.construct(Value(probe), {});
    m.set(o, u"extra", Value(true));
    EXPECT_EQ(stringify({o}), R"({"alpha":7,"zeta":"last","extra":true})");
}
