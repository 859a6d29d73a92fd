#include <gtest/gtest.h>

#include <cmath>

#include "tests/engine/avm2/machine_fixture.h"

using namespace swf::avm2;

namespace {

class Builtins : public avm2test::MachineTest {
protected:
    Value array(std::vector<Value> items) { return Value(m.newArray(std::move(items))); }
};

}  // namespace

TEST_F(Builtins, NumberFormatting) {
    EXPECT_EQ(text(Value(0.1 + 0.2)), "0.30000000000000004");
    EXPECT_EQ(text(Value(123456789012345680000.0)), "123456789012345680000");
    EXPECT_EQ(text(Value(1.5e-7)), "1.5e-7");
    EXPECT_EQ(text(Value(-0.0)), "0");
    EXPECT_EQ(text(method(Value(255), u"toString", {Value(16)})), "ff");
    EXPECT_EQ(text(method(Value(-255.5), u"toString", {Value(2)})), "-11111111");
    EXPECT_EQ(text(method(Value(1.2315e-8), u"toString", {Value(3)})), "0");
    EXPECT_EQ(text(method(Value(1.005), u"toFixed", {Value(2)})), "1.00");
    EXPECT_EQ(text(method(Value(-0.0001), u"toFixed", {Value(2)})), "0.00");
    EXPECT_EQ(text(method(Value(123.456), u"toExponential", {Value(2)})), "1.23e+2");
    EXPECT_EQ(text(method(Value(0.00001234), u"toPrecision", {Value(2)})), "0.000012");
    EXPECT_EQ(text(method(Value(123456), u"toPrecision", {Value(2)})), "1.2e+5");
    EXPECT_EQ(thrown([&] { method(Value(1), u"toString", {Value(1)}); }),
              "RangeError: Error #1003: The radix argument must be between 2 and 36; got 1.");
    const std::string range =
        "RangeError: Error #1002: Number.toPrecision has a range of 1 to 21. Number.toFixed and Number.toExponential "
        "have a range of 0 to 20. Specified value is not within expected range.";
    EXPECT_EQ(thrown([&] { method(Value(1), u"toFixed", {Value(21)}); }), range);
}

TEST_F(Builtins, FormattingEdges) {
    const std::string range =
        "RangeError: Error #1002: Number.toPrecision has a range of 1 to 21. Number.toFixed and Number.toExponential "
        "have a range of 0 to 20. Specified value is not within expected range.";
    // The digit count is checked before the number: NaN and Infinity still throw for a bad count.
    EXPECT_EQ(thrown([&] { method(Value(NAN), u"toPrecision", {Value(0)}); }), range);
    EXPECT_EQ(thrown([&] { method(Value(INFINITY), u"toExponential", {Value(21)}); }), range);
    EXPECT_EQ(thrown([&] { method(Value(5), u"toPrecision", {Value(22)}); }), range);
    EXPECT_EQ(text(method(Value(NAN), u"toFixed", {Value(3)})), "NaN");
    EXPECT_EQ(text(method(Value(-INFINITY), u"toPrecision", {Value(3)})), "-Infinity");
    // Absent counts: toPrecision prints the number as it is, the others take none.
    EXPECT_EQ(text(method(Value(123), u"toPrecision", {Value::null()})), "123");
    EXPECT_EQ(text(method(Value(123), u"toExponential", {})), "1e+2");
    EXPECT_EQ(text(method(Value(123), u"toExponential", {Value::null()})), "1e+2");
    EXPECT_EQ(text(method(Value(123), u"toFixed", {Value::null()})), "123");
    EXPECT_EQ(text(method(Value(123), u"toExponential", {Value(19)})), "1.2300000000000000000e+2");
    // Zero as the reference player writes it.
    EXPECT_EQ(text(method(Value(0), u"toPrecision", {Value(4)})), "0.0000");
    EXPECT_EQ(text(method(Value(0), u"toPrecision", {Value(1)})), "0.0");
    EXPECT_EQ(text(method(Value(0), u"toExponential", {Value(0)})), "1e-15");
    EXPECT_EQ(text(method(Value(0), u"toExponential", {Value(2)})), "0.00e-16");
    EXPECT_EQ(text(method(Value(0), u"toFixed", {Value(3)})), "0.000");
}

TEST_F(Builtins, ParseIntPrecision) {
    // Powers of two are read exactly and rounded once; decimal digits add up as literals do.
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(u"0000001000000001001000110100010101100111100010011010101111011"), Value(2)})),
              "18054430506169724");
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(u"0x1000000000000081")})), "1152921504606847200");
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(u"123456789012345678")})), "123456789012345700");
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(u"-777"), Value(8)})), "-511");
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(u"0022")})), "22");  // no octal guess
    // Unicode spaces lead like ASCII ones.
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(u"\u2000\u30001234\u2000")})), "1234");
    EXPECT_EQ(text(callGlobal(u"parseFloat", {Value(u"\uFEFF2.5")})), "2.5");
    // A run of digits too long for a double is Infinity, not a huge buffer.
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(String(2000, u'f')), Value(16)})), "Infinity");
}

TEST_F(Builtins, NumberHasMathStatics) {
    Value number = global(u"Number");
    EXPECT_EQ(text(method(number, u"max", {Value(2.1), Value(3.2)})), "3.2");
    EXPECT_EQ(text(method(number, u"abs", {Value(-4)})), "4");
    EXPECT_EQ(text(method(number, u"floor", {Value(-2.5)})), "-3");
    // Its constants match Math's and are read-only.
    for (const char16_t* c : {u"E", u"LN10", u"LN2", u"LOG10E", u"LOG2E", u"PI", u"SQRT1_2", u"SQRT2"}) {
        EXPECT_TRUE(m.strictEquals(m.get(number, c), m.get(global(u"Math"), c))) << utf16ToUtf8(c);
        EXPECT_EQ(thrown([&] { m.set(number, c, Value(1)); }),
                  "ReferenceError: Error #1074: Illegal write to read-only property " + utf16ToUtf8(c) + " on Number$.");
    }
    EXPECT_EQ(text(m.get(number, u"PI")).substr(0, 6), "3.1415");
}

TEST_F(Builtins, PrimitiveMethodsCannotBeReplaced) {
    Value f = m.get(Value(m.numberClass->prototype), u"valueOf");
    EXPECT_EQ(thrown([&] { m.set(Value(u"hi"), u"valueOf", f); }),
              "ReferenceError: Error #1037: Cannot assign to a method valueOf on String.");
    EXPECT_EQ(thrown([&] { m.set(Value(4.5), u"toString", f); }),
              "ReferenceError: Error #1037: Cannot assign to a method toString on Number.");
    EXPECT_EQ(thrown([&] { m.set(Value(true), u"madeUp", f); }),
              "ReferenceError: Error #1056: Cannot create property madeUp on Boolean.");
}

TEST_F(Builtins, ReflectionUnderTheCorePackage) {
    EXPECT_EQ(text(m.call(global(u"getQualifiedClassName", u"avmplus"), Value::null(), std::vector<Value>{Value(1.5)})), "Number");
}

TEST_F(Builtins, ParsingNumbers) {
    EXPECT_EQ(m.toNumber(Value(u"  0x1F  ")), 31);
    EXPECT_TRUE(std::isnan(m.toNumber(Value(u"12px"))));
    EXPECT_EQ(m.toNumber(Value(u"")), 0);
    EXPECT_EQ(m.toNumber(Value(u"-Infinity")), -INFINITY);
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(u"  -12px")})), "-12");
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(u"ff"), Value(16)})), "255");
    EXPECT_EQ(text(callGlobal(u"parseInt", {Value(u"z")})), "NaN");
    EXPECT_EQ(text(callGlobal(u"parseFloat", {Value(u"3.5e2xyz")})), "350");
    EXPECT_EQ(text(callGlobal(u"parseFloat", {Value(u".e1")})), "NaN");
}

TEST_F(Builtins, StringMethods) {
    Value s(u"Hello, World");
    EXPECT_EQ(text(method(s, u"charAt", {Value(4)})), "o");
    EXPECT_EQ(text(method(s, u"charCodeAt", {Value(99)})), "NaN");
    EXPECT_EQ(text(method(s, u"indexOf", {Value(u"o"), Value(5)})), "8");
    EXPECT_EQ(text(method(s, u"lastIndexOf", {Value(u"o")})), "8");
    EXPECT_EQ(text(method(s, u"slice", {Value(-5)})), "World");
    EXPECT_EQ(text(method(s, u"substring", {Value(5), Value(0)})), "Hello");
    EXPECT_EQ(text(method(s, u"substr", {Value(-5), Value(3)})), "Wor");
    EXPECT_EQ(text(method(s, u"split", {Value(u", ")})), "Hello,World");
    EXPECT_EQ(text(method(Value(u"a,b,,c"), u"split", {Value(u","), Value(2)})), "a,b");
    EXPECT_EQ(text(method(Value(u"stra\u00dfe \u0436"), u"toUpperCase")), "STRASSE \u0416");
    EXPECT_EQ(text(method(s, u"replace", {Value(u"o"), Value(u"[$&]")})), "Hell[o], World");
    EXPECT_EQ(text(m.call(m.get(global(u"String"), u"fromCharCode"), Value::null(), std::vector<Value>{Value(72), Value(105)})), "Hi");
}

TEST_F(Builtins, RegularExpressions) {
    Value re = m.construct(global(u"RegExp"), std::vector<Value>{Value(u"(\\w)(\\d)"), Value(u"g")});
    Value s(u"a1 b2 c3");
    EXPECT_EQ(text(method(s, u"replace", {re, Value(u"$2$1")})), "1a 2b 3c");
    EXPECT_EQ(text(method(s, u"match", {re})), "a1,b2,c3");
    Value first = method(re, u"exec", {s});
    EXPECT_EQ(text(first), "a1,a,1");
    EXPECT_EQ(text(m.get(re, u"lastIndex")), "2");
    EXPECT_EQ(text(m.get(first, u"index")), "0");
    EXPECT_EQ(text(method(s, u"search", {m.construct(global(u"RegExp"), std::vector<Value>{Value(u"B"), Value(u"i")})})), "3");
    EXPECT_EQ(text(method(Value(u"one  two"), u"split", {m.construct(global(u"RegExp"), std::vector<Value>{Value(u"\\s+")})})), "one,two");
    EXPECT_EQ(text(re), "/(\\w)(\\d)/g");
    // The prototype's methods coerce their receiver, so borrowing them for another object fails that coercion.
    Value protoToString = m.get(m.get(global(u"RegExp"), u"prototype"), u"toString");
    EXPECT_EQ(thrown([&] { m.call(protoToString, Value(m.newObject()), {}); }),
              "TypeError: Error #1034: Type Coercion failed: cannot convert Object@00000000000 to RegExp.");
}

TEST_F(Builtins, ArraySortingAndListOperations) {
    Value a = array({Value(10), Value(9), Value(1), Value(u"b"), Value()});
    EXPECT_EQ(text(method(a, u"sort")), "1,10,9,b,");
    Value n = array({Value(10), Value(9), Value(100)});
    EXPECT_EQ(text(method(n, u"sort", {Value(16 | 2)})), "100,10,9");  // NUMERIC | DESCENDING
    Value indexed = method(array({Value(u"c"), Value(u"a"), Value(u"b")}), u"sort", {Value(8)});
    EXPECT_EQ(text(indexed), "1,2,0");
    EXPECT_EQ(text(method(array({Value(1), Value(1)}), u"sort", {Value(4)})), "0");  // UNIQUESORT with duplicates
    Value people = array({});
    for (auto [name, age] : {std::pair{u"bo", 30}, std::pair{u"al", 30}, std::pair{u"cy", 20}}) {
        Object* o = m.newObject();
        o->dynamic.set(u"name", Value(String(name)));
        o->dynamic.set(u"age", Value(age));
        method(people, u"push", {Value(o)});
    }
    method(people, u"sortOn", {array({Value(u"age"), Value(u"name")}), array({Value(16), Value(0)})});
    EXPECT_EQ(text(m.call(m.get(people, u"map"), people, std::vector<Value>{m.get(Value(m.objectClass->prototype), u"toString")})),
              "[object Object],[object Object],[object Object]");
    EXPECT_EQ(text(m.get(method(people, u"shift"), u"name")), "cy");
    Value s = array({Value(1), Value(2), Value(3), Value(4)});
    EXPECT_EQ(text(method(s, u"splice", {Value(1), Value(2), Value(u"x")})), "2,3");
    EXPECT_EQ(text(s), "1,x,4");
    EXPECT_EQ(text(method(s, u"concat", {array({Value(5)}), Value(6)})), "1,x,4,5,6");
    EXPECT_EQ(text(method(s, u"indexOf", {Value(u"x")})), "1");
    EXPECT_EQ(thrown([&] { m.construct(global(u"Array"), std::vector<Value>{Value(-1)}); }),
              "RangeError: Error #1005: Array index is not a positive integer (-1).");
}

// Elements never set are holes: not properties of the array (`in`, enumeration and
// hasOwnProperty pass them over, reads go on to Array.prototype), unlike elements set to undefined.
TEST_F(Builtins, ArrayHolesAreNotUndefinedElements) {
    Value a = m.construct(global(u"Array"), std::vector<Value>{Value(4)});
    Name one{u"1", m.publicSet}, two{u"2", m.publicSet};
    m.setProperty(a, one, Value());
    m.set(a, u"6", Value(u"far"));  // past the end: 4 and 5 become holes
    EXPECT_EQ(text(m.get(a, u"length")), "7");
    EXPECT_TRUE(m.hasProperty(a, one));
    EXPECT_FALSE(m.hasProperty(a, two));
    EXPECT_FALSE(m.hasOwnProperty(a.object(), u"5"));
    std::vector<Value> keys;
    m.enumerate(a.object(), keys);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(text(keys[0]) + " " + text(keys[1]), "1 6");
    Value proto = m.get(global(u"Array"), u"prototype");
    m.set(proto, u"2", Value(u"inherited"));
    m.set(proto, u"1", Value(u"shadowed"));
    EXPECT_EQ(text(m.get(a, u"2")), "inherited");
    EXPECT_EQ(text(m.get(a, u"1")), "undefined");
    // A hole read out is plain undefined: stored elsewhere it is an element.
    Value b = array({});
    m.set(b, u"0", m.get(a, u"3"));
    EXPECT_TRUE(m.hasProperty(b, Name{u"0", m.publicSet}));
    // delete makes a hole; a longer length adds holes.
    m.deleteProperty(a, Name{u"6", m.publicSet});
    EXPECT_FALSE(m.hasOwnProperty(a.object(), u"6"));
    m.set(a, u"length", Value(9));
    EXPECT_FALSE(m.hasOwnProperty(a.object(), u"8"));
    EXPECT_EQ(text(method(a, u"pop")), "undefined");
    // Sorting puts the defined elements first, then undefined ones, then holes; a hole the
    // prototype fills sorts as that value, one it fills with undefined stays a hole.
    m.set(proto, u"2", Value());
    Value c = array({Value(u"b")});
    m.set(c, u"3", Value(u"a"));
    m.set(c, u"4", Value());
    method(c, u"sort", {Value(2)});  // DESCENDING leaves undefined and holes at the end
    EXPECT_EQ(text(m.get(c, u"0")) + text(m.get(c, u"1")) + text(m.get(c, u"2")), "shadowedba");
    EXPECT_TRUE(m.hasOwnProperty(c.object(), u"1"));
    EXPECT_TRUE(m.hasOwnProperty(c.object(), u"3"));
    EXPECT_FALSE(m.hasOwnProperty(c.object(), u"4"));
}

TEST_F(Builtins, ErrorsObjectsAndFunctions) {
    Value e = m.construct(global(u"TypeError"), std::vector<Value>{Value(u"bad"), Value(5)});
    EXPECT_EQ(text(e), "TypeError: bad");
    EXPECT_EQ(text(m.get(e, u"errorID")), "5");
    // Made where no script runs, its trace is its text alone.
    EXPECT_EQ(text(method(e, u"getStackTrace")), "TypeError: bad");
    EXPECT_EQ(text(Value(m.newObject())), "[object Object]");
    EXPECT_EQ(text(global(u"Array")), "[class Array]");
    Value toString = m.get(Value(m.objectClass->prototype), u"toString");
    EXPECT_EQ(text(m.call(m.get(toString, u"call"), toString, std::vector<Value>{array({})})), "[object Array]");
    EXPECT_EQ(thrown([&] { m.getProperty(Value::null(), Name{u"x", m.publicSet}); }),
              "TypeError: Error #1009: Cannot access a property or method of a null object reference.");
    EXPECT_EQ(thrown([&] { m.call(global(u"Math"), Value::null(), {}); }), "TypeError: Error #1075: Math is not a function.");
    EXPECT_EQ(text(m.call(global(u"getQualifiedClassName", u"flash.utils"), Value::null(), std::vector<Value>{Value(m.newArray())})), "Array");
    EXPECT_EQ(text(m.call(global(u"getQualifiedClassName", u"flash.utils"), Value::null(), std::vector<Value>{Value(3)})), "int");
    EXPECT_EQ(text(m.call(global(u"getQualifiedClassName", u"flash.utils"), Value::null(), std::vector<Value>{Value(3.5)})), "Number");
}

TEST_F(Builtins, UnreachableObjectsAreCollectedCyclesIncluded) {
    size_t before = m.objectCount();
    for (int i = 0; i < 1000; ++i) {
        Object* a = m.newObject();
        Object* b = m.newObject();
        a->dynamic.set(u"other", Value(b));
        b->dynamic.set(u"other", Value(a));
    }
    Object* kept = m.newObject();
    kept->dynamic.set(u"child", Value(m.newArray({Value(u"x")})));
    m.hostRoots.push_back(kept);
    m.collectGarbage();
    EXPECT_EQ(m.objectCount(), before + 2);
    EXPECT_EQ(text(m.get(Value(kept), u"child")), "x");
}

TEST_F(Builtins, MatchAndSearchTakeAnyValueAsPatternText) {
    // A missing or undefined pattern is the text "undefined", not an empty pattern.
    EXPECT_EQ(text(method(Value(u"abc"), u"search", {})), "-1");
    EXPECT_EQ(text(method(Value(u"abc"), u"search", {Value()})), "-1");
    EXPECT_EQ(text(method(Value(u"xundefined"), u"search", {Value()})), "1");
    EXPECT_TRUE(method(Value(u"abc"), u"match", {}).isNull());
    EXPECT_EQ(text(method(Value(u"a1.5b"), u"search", {Value(1.5)})), "1");
    EXPECT_EQ(text(method(Value(u"nullnull"), u"match", {Value::null()})), "null");
}

TEST_F(Builtins, FunctionConstructorAndPrototypeAreFunctions) {
    Value fn = global(u"Function");
    Value proto = m.get(fn, u"prototype");
    EXPECT_EQ(m.typeOf(proto), u"function");
    EXPECT_TRUE(m.call(proto, Value::null(), std::vector<Value>{Value(1)}).isUndefined());
    Value made = m.construct(fn, {});
    EXPECT_TRUE(m.call(made, Value::null(), std::vector<Value>{Value(1), Value(2), Value(3)}).isUndefined());
    EXPECT_EQ(thrown([&] { m.construct(fn, std::vector<Value>{Value(u"return 1")}); }),
              "EvalError: Error #1066: The form function('function body') is not supported.");
    // Object's toString names a function's own type, one per method; a method closure is a
    // Function. Function's own toString gives the function form.
    Value objectToString = m.get(m.get(global(u"Object"), u"prototype"), u"toString");
    EXPECT_EQ(text(m.call(objectToString, made, {})).rfind("[object Function-", 0), 0u);
    EXPECT_EQ(text(m.call(objectToString, proto, {})).rfind("[object Function-", 0), 0u);
    Value closure(bindMethod(m, static_cast<FunctionObject*>(made.object()), Value(m.newArray())));
    EXPECT_EQ(text(m.call(objectToString, closure, {})), "[object Function]");
    EXPECT_EQ(text(made), "function Function() {}");
}

TEST_F(Builtins, MissingSealedPropertyErrorSaysWhetherTheNameWasPublic) {
    std::vector<Ns> custom{Ns{kNsPackage, u"custom.space", 0}};
    EXPECT_EQ(thrown([&] { m.getProperty(Value(1.5), Name{u"nope", m.publicSet}); }),
              "ReferenceError: Error #1069: Property nope not found on Number and there is no default value.");
    EXPECT_EQ(thrown([&] { m.getProperty(Value(1.5), Name{u"nope", custom}); }),
              "ReferenceError: Error #1081: Property nope not found on Number and there is no default value.");
}

TEST_F(Builtins, BareVectorIsNotAConstructor) {
    EXPECT_EQ(thrown([&] { m.construct(global(u"Vector", u"__AS3__.vec"), {}); }),
              "TypeError: Error #1007: Instantiation attempted on a non-constructor.");
    // A specialised Vector still constructs.
    Value ints = Value(m.vectorClass(m.intClass));
    EXPECT_EQ(text(m.construct(ints, std::vector<Value>{Value(2)})), "0,0");
}

TEST_F(Builtins, CallingAVectorTypeConvertsAListToIt) {
    Value strings = Value(m.vectorClass(m.stringClass)), ints = Value(m.vectorClass(m.intClass));
    // An Array's elements, each converted; holes read as undefined (null as a String).
    Value fromArray = m.call(strings, Value(), std::vector<Value>{array({Value(1.5), Value(u"b"), Value::hole()})});
    ASSERT_NE(fromArray.object(), nullptr);
    EXPECT_EQ(fromArray.object()->cls, strings.object());
    EXPECT_EQ(text(fromArray), "1.5,b,");
    // Another Vector's elements go through the same conversion; one of the type itself comes back.
    Value fromVector = m.call(ints, Value(), std::vector<Value>{fromArray});
    EXPECT_EQ(text(fromVector), "1,0,0");
    EXPECT_EQ(m.call(ints, Value(), std::vector<Value>{fromVector}).object(), fromVector.object());
    EXPECT_EQ(thrown([&] { m.call(ints, Value(), std::vector<Value>{Value(u"1,2")}); }),
              "TypeError: Error #1034: Type Coercion failed: cannot convert \"1,2\" to __AS3__.vec.Vector.<int>.");
}

TEST_F(Builtins, ReverseLeavesTheUnsetEndOfAnArrayInPlace) {
    // [hole, 1, 2, undefined, hole, hole]: the stored elements end at index 3.
    Value a = m.construct(global(u"Array"), std::vector<Value>{Value(6)});
    m.set(a, u"1", Value(1));
    m.set(a, u"2", Value(2));
    m.set(a, u"3", Value());
    method(a, u"reverse");
    EXPECT_EQ(text(m.get(a, u"length")), "6");
    EXPECT_TRUE(m.hasOwnProperty(a.object(), u"0"));
    EXPECT_EQ(text(m.get(a, u"0")) + text(m.get(a, u"1")) + text(m.get(a, u"2")), "undefined21");
    EXPECT_FALSE(m.hasOwnProperty(a.object(), u"3"));
    EXPECT_FALSE(m.hasOwnProperty(a.object(), u"4"));
    EXPECT_FALSE(m.hasOwnProperty(a.object(), u"5"));
    // A full array turns round whole.
    Value b = array({Value(1), Value(2), Value(3)});
    EXPECT_EQ(text(method(b, u"reverse")), "3,2,1");
}

TEST_F(Builtins, VectorNamesThatAreWholeNumbersAreElements) {
    Value v = m.construct(Value(m.vectorClass(m.intClass)), {});
    method(v, u"push", {Value(10), Value(20), Value(30)});
    // Any writing of a whole number names that element; one past the end appends.
    EXPECT_EQ(text(m.get(v, u"1.0")), "20");
    m.set(v, u"3.0", Value(40));
    EXPECT_EQ(text(m.get(v, u"length")), "4");
    EXPECT_EQ(thrown([&] { m.get(v, u"9"); }), "RangeError: Error #1125: The index 9 is out of range 4.");
    // Other numbers are bad indices, except for movies before SWF 11, where they are ordinary
    // names, missing on a sealed vector.
    EXPECT_EQ(thrown([&] { m.get(v, u"5.1"); }), "RangeError: Error #1125: The index 5.1 is out of range 4.");
    EXPECT_EQ(thrown([&] { m.set(v, u"-6", Value(1)); }), "RangeError: Error #1125: The index -6 is out of range 4.");
    m.swfVersion = 10;
    EXPECT_EQ(thrown([&] { m.get(v, u"5.1"); }),
              "ReferenceError: Error #1069: Property 5.1 not found on __AS3__.vec::Vector.<int> and there is no default value.");
    EXPECT_EQ(thrown([&] { m.set(v, u"-6", Value(1)); }),
              "ReferenceError: Error #1056: Cannot create property -6 on __AS3__.vec::Vector.<int>.");
    EXPECT_EQ(text(m.get(v, u"2.0")), "30");
}
