// flash.geom.Vector3D as scripts use it: arithmetic that makes new vectors, changes in place, and
// comparisons, with w left out unless a method takes it in.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

struct VectorCode {
    AbcWriter& w;
    AbcCode& c;
    uint32_t cls() { return w.qname(w.ns(0x16, "flash.geom"), "Vector3D"); }
    // new Vector3D(x, y, z, w) into `local`.
    void make(uint32_t local, std::vector<double> args) {
        c.op(kFindPropStrict, cls());
        for (double a : args) c.op(kPushDouble, w.number(a));
        c.op(kConstructProp, cls(), static_cast<uint32_t>(args.size())).op(kSetLocal, local);
    }
    // Pushes local.<method>(local args...).
    void call(uint32_t object, const std::string& method, std::vector<uint32_t> args = {}) {
        c.op(kGetLocal, object);
        for (uint32_t a : args) c.op(kGetLocal, a);
        c.op(kCallProperty, w.publicName(method), static_cast<uint32_t>(args.size()));
    }
    // Pushes Vector3D.<method>(local args...).
    void callStatic(const std::string& method, std::vector<uint32_t> args) {
        c.op(kGetLex, cls());
        for (uint32_t a : args) c.op(kGetLocal, a);
        c.op(kCallProperty, w.publicName(method), static_cast<uint32_t>(args.size()));
    }
    void get(uint32_t object, const std::string& property) { c.op(kGetLocal, object).op(kGetProperty, w.publicName(property)); }
    // Pushes the vector in `local` and its w.
    void withW(uint32_t local) {
        c.op(kGetLocal, local);
        get(local, "w");
    }
};

}  // namespace

TEST(Avm2Vector3D, ArithmeticMakesNewVectorsWithoutW) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        VectorCode v{w, c};
        v.make(1, {1, 2, 3, 4});
        v.make(2, {4, -5, 6, 7});
        // Sums and differences leave w at 0; the cross product sets it to 1; a clone keeps it.
        v.call(1, "add", {2});
        c.op(kSetLocal, 3);
        v.call(1, "subtract", {2});
        c.op(kSetLocal, 4);
        v.call(1, "crossProduct", {2});
        c.op(kSetLocal, 5);
        v.call(2, "clone");
        c.op(kSetLocal, 6);
        t.begin(c);
        v.withW(3);
        v.withW(4);
        v.withW(5);
        v.withW(6);
        t.end(c, 8);
        // Products, lengths and the statics measure x, y and z only.
        t.begin(c);
        v.call(1, "dotProduct", {2});
        v.get(1, "lengthSquared");
        v.get(1, "length");
        v.callStatic("distance", {1, 2});
        t.end(c, 4);
        v.make(3, {0, 2, 0, 9});
        v.make(4, {3, 3, 0, -9});
        t.begin(c);
        v.callStatic("angleBetween", {3, 4});
        c.op(kGetLex, v.cls()).op(kGetProperty, w.publicName("Z_AXIS"));
        c.op(kGetLex, v.cls()).op(kGetProperty, w.publicName("Y_AXIS"));
        c.op(kGetLex, v.cls()).op(kGetProperty, w.publicName("X_AXIS"));
        t.end(c, 4);
        // The operands are left as they were.
        t.begin(c);
        v.withW(1);
        v.withW(2);
        t.end(c, 4);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"Vector3D(5, -3, 9) 0 Vector3D(-3, 7, -3) 0 Vector3D(27, 6, -13) 1 Vector3D(4, -5, 6) 7",
                              "12 14 3.7416573867739413 8.18535277187245", "0.7853981633974483 Vector3D(0, 0, 1) Vector3D(0, 1, 0) Vector3D(1, 0, 0)",
                              "Vector3D(1, 2, 3) 4 Vector3D(4, -5, 6) 7"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2Vector3D, InPlaceChangesKeepWUnlessTheyUseIt) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        VectorCode v{w, c};
        v.make(1, {1, 2, 3, 4});
        v.make(2, {10, 20, 30, 40});
        v.make(3, {3, 0, 4, 2});
        c.op(kGetLocal1).op(kGetLocal2).op(kCallPropVoid, w.publicName("incrementBy"), 1);
        t.begin(c);
        v.withW(1);
        t.end(c, 2);
        c.op(kGetLocal1).op(kGetLocal, 3).op(kCallPropVoid, w.publicName("decrementBy"), 1);
        c.op(kGetLocal1).op(kPushDouble, w.number(0.5)).op(kCallPropVoid, w.publicName("scaleBy"), 1);
        c.op(kGetLocal1).op(kCallPropVoid, w.publicName("negate"), 0);
        t.begin(c);
        v.withW(1);
        t.end(c, 2);
        // normalize answers the length it found; a zero vector stays zero.
        t.begin(c);
        v.call(3, "normalize");
        v.withW(3);
        t.end(c, 3);
        v.make(4, {0, 0, 0, 1});
        t.begin(c);
        v.call(4, "normalize");
        c.op(kGetLocal, 4);
        t.end(c, 2);
        // project divides by w; copyFrom and setTo leave w.
        v.make(5, {4, 6, 8, 2});
        c.op(kGetLocal, 5).op(kCallPropVoid, w.publicName("project"), 0);
        t.begin(c);
        v.withW(5);
        t.end(c, 2);
        c.op(kGetLocal, 5).op(kGetLocal2).op(kCallPropVoid, w.publicName("copyFrom"), 1);
        t.begin(c);
        v.withW(5);
        t.end(c, 2);
        c.op(kGetLocal, 5).op(kPushByte, 7).op(kPushByte, 8).op(kPushByte, 9).op(kCallPropVoid, w.publicName("setTo"), 3);
        t.begin(c);
        v.withW(5);
        t.end(c, 2);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"Vector3D(11, 22, 33) 4", "Vector3D(-4, -11, -14.5) 4", "5 Vector3D(0.6, 0, 0.8) 2",
                              "0 Vector3D(0, 0, 0)", "Vector3D(2, 3, 4) 2", "Vector3D(10, 20, 30) 2", "Vector3D(7, 8, 9) 2"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2Vector3D, ComparisonsTakeWOnlyWhenAsked) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        VectorCode v{w, c};
        v.make(1, {1, 2, 3, 4});
        v.make(2, {1, 2, 3, 5});
        v.make(3, {1.05, 2, 2.96, 4});
        c.op(kPushTrue).op(kSetLocal, 4);
        c.op(kPushDouble, w.number(0.1)).op(kSetLocal, 5);
        c.op(kPushDouble, w.number(0.01)).op(kSetLocal, 6);
        t.begin(c);
        v.call(1, "equals", {2});
        v.call(1, "equals", {2, 4});
        v.call(1, "equals", {3});
        v.call(1, "nearEquals", {3, 5});
        v.call(1, "nearEquals", {3, 6});
        v.call(1, "nearEquals", {2, 5, 4});
        v.call(1, "nearEquals", {3, 5, 4});
        t.end(c, 7);
        // A null operand is the script's error, not a crash.
        c.op(kPushNull).op(kSetLocal, 7);
        v.call(1, "add", {7});
        c.op(kPop);
        t.string(c, "not reached");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"true false false true false false true"}));
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_NE(p.errors[0].find("Error #1009"), std::string::npos) << p.errors[0];
}
