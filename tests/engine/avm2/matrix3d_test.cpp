// flash.geom.Matrix3D as scripts use it: transformations composed in order, inverses, and the
// sixteen numbers read and written with a float's precision.
#include <gtest/gtest.h>

#include "tests/engine/avm2/display_movie.h"

using namespace avm2test;

namespace {

struct GeomCode {
    AbcWriter& w;
    AbcCode& c;
    uint32_t cls(const std::string& name) { return w.qname(w.ns(0x16, "flash.geom"), name); }
    // new flash.geom.<name>(numbers...) into `local`.
    void make(const std::string& name, uint32_t local, std::vector<double> args = {}) {
        c.op(kFindPropStrict, cls(name));
        for (double a : args) c.op(kPushDouble, w.number(a));
        c.op(kConstructProp, cls(name), static_cast<uint32_t>(args.size())).op(kSetLocal, local);
    }
    // local.<method>(numbers...), its result dropped.
    void numbers(uint32_t object, const std::string& method, std::vector<double> args) {
        c.op(kGetLocal, object);
        for (double a : args) c.op(kPushDouble, w.number(a));
        c.op(kCallPropVoid, w.publicName(method), static_cast<uint32_t>(args.size()));
    }
    // local.<method>(degrees, Vector3D.<axis>[, pivot local]), its result dropped.
    void rotate(uint32_t object, const std::string& method, double degrees, const std::string& axis, int pivot = -1) {
        c.op(kGetLocal, object).op(kPushDouble, w.number(degrees)).op(kGetLex, cls("Vector3D")).op(kGetProperty, w.publicName(axis));
        if (pivot >= 0) c.op(kGetLocal, uint32_t(pivot));
        c.op(kCallPropVoid, w.publicName(method), pivot >= 0 ? 3u : 2u);
    }
    // Pushes local.<method>(local args...).
    void call(uint32_t object, const std::string& method, std::vector<uint32_t> args = {}) {
        c.op(kGetLocal, object);
        for (uint32_t a : args) c.op(kGetLocal, a);
        c.op(kCallProperty, w.publicName(method), static_cast<uint32_t>(args.size()));
    }
    void get(uint32_t object, const std::string& property) { c.op(kGetLocal, object).op(kGetProperty, w.publicName(property)); }
};

}  // namespace

TEST(Avm2Matrix3D, TransformationsComposeInTheOrderAppendedOrPrepended) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        GeomCode g{w, c};
        g.make("Vector3D", 1, {1, 1, 1});
        // Scale, then a quarter turn about z (x toward y), then a move; prepending the same in
        // the opposite order makes the same transformation.
        g.make("Matrix3D", 2);
        g.numbers(2, "appendScale", {2, 3, 4});
        g.rotate(2, "appendRotation", 90, "Z_AXIS");
        g.numbers(2, "appendTranslation", {10, 20, 30});
        g.make("Matrix3D", 3);
        g.numbers(3, "prependTranslation", {10, 20, 30});
        g.rotate(3, "prependRotation", 90, "Z_AXIS");
        g.numbers(3, "prependScale", {2, 3, 4});
        t.begin(c);
        g.call(2, "transformVector", {1});
        c.op(kDup).op(kGetProperty, w.publicName("w")).op(kSwap);
        g.call(3, "transformVector", {1});
        g.call(2, "deltaTransformVector", {1});
        t.end(c, 4);
        // append applies its argument after, prepend before.
        g.make("Matrix3D", 4);
        g.numbers(4, "appendScale", {2, 2, 2});
        g.make("Matrix3D", 5);
        g.numbers(5, "appendTranslation", {1, 0, 0});
        g.call(5, "clone");
        c.op(kSetLocal, 6);
        c.op(kGetLocal, 5).op(kGetLocal, 4).op(kCallPropVoid, w.publicName("append"), 1);
        c.op(kGetLocal, 6).op(kGetLocal, 4).op(kCallPropVoid, w.publicName("prepend"), 1);
        t.begin(c);
        g.get(5, "position");
        g.get(6, "position");
        t.end(c, 2);
        // A half turn about a pivot moves the origin to twice the pivot; the x and y axes turn
        // their neighbours toward z and x.
        g.make("Vector3D", 7, {5, 0, 0});
        g.make("Matrix3D", 4);
        g.rotate(4, "appendRotation", 180, "Z_AXIS", 7);
        g.make("Matrix3D", 5);
        g.rotate(5, "appendRotation", 90, "X_AXIS");
        g.make("Matrix3D", 6);
        g.rotate(6, "appendRotation", 90, "Y_AXIS");
        t.begin(c);
        g.get(4, "position");
        c.op(kGetProperty, w.publicName("x"));
        c.op(kGetLocal, 5).op(kGetLex, g.cls("Vector3D")).op(kGetProperty, w.publicName("Y_AXIS"));
        c.op(kCallProperty, w.publicName("transformVector"), 1).op(kGetLex, g.cls("Vector3D")).op(kGetProperty, w.publicName("Z_AXIS"));
        c.op(kPushDouble, w.number(1e-6)).op(kCallProperty, w.publicName("nearEquals"), 2);
        c.op(kGetLocal, 6).op(kGetLex, g.cls("Vector3D")).op(kGetProperty, w.publicName("Z_AXIS"));
        c.op(kCallProperty, w.publicName("transformVector"), 1).op(kGetLex, g.cls("Vector3D")).op(kGetProperty, w.publicName("X_AXIS"));
        c.op(kPushDouble, w.number(1e-6)).op(kCallProperty, w.publicName("nearEquals"), 2);
        t.end(c, 3);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"1 Vector3D(7, 22, 34) Vector3D(7, 22, 34) Vector3D(-3, 2, 4)", "Vector3D(2, 0, 0) Vector3D(1, 0, 0)",
                              "10 true true"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2Matrix3D, InvertUndoesAndASingularMatrixStays) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        GeomCode g{w, c};
        g.make("Matrix3D", 1);
        g.numbers(1, "appendScale", {2, 4, 8});
        g.numbers(1, "appendTranslation", {1, 2, 3});
        g.make("Vector3D", 2, {1, 1, 1});
        g.call(1, "transformVector", {2});
        c.op(kSetLocal, 3);
        t.begin(c);
        g.get(1, "determinant");
        c.op(kGetLocal, 3);
        g.call(1, "invert");
        g.call(1, "transformVector", {3});
        g.get(1, "position");
        t.end(c, 5);
        g.make("Matrix3D", 4);
        g.numbers(4, "appendScale", {0, 1, 1});
        t.begin(c);
        g.call(4, "invert");
        g.get(4, "determinant");
        g.get(4, "rawData");
        t.end(c, 3);
        // position writes the translation alone.
        c.op(kGetLocal, 1).op(kGetLocal, 2).op(kSetProperty, w.publicName("position"));
        t.begin(c);
        g.get(1, "rawData");
        t.end(c);
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"64 Vector3D(3, 6, 11) true Vector3D(1, 1, 1) Vector3D(-0.5, -0.5, -0.375)",
                              "false 0 0,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1", "0.5,0,0,0,0,0.25,0,0,0,0,0.125,0,1,1,1,1"}));
    EXPECT_TRUE(p.errors.empty()) << p.errors[0];
}

TEST(Avm2Matrix3D, RawDataIsACopyOfSixteenFloats) {
    AbcWriter w;
    Tracer t(w);
    ClassBuilder main{w, "Main"};
    main.finish([&](AbcCode& c) {
        GeomCode g{w, c};
        g.make("Matrix3D", 1);
        g.numbers(1, "appendTranslation", {0.1, 0, 0});
        g.get(1, "rawData");
        c.op(kSetLocal, 2);
        // Changing the copy changes the matrix only when it is written back; the constructor
        // takes the same numbers.
        c.op(kGetLocal, 2).op(kPushByte, 5).op(kSetProperty, w.publicName("1"));
        t.begin(c);
        g.get(1, "rawData");
        t.end(c);
        c.op(kGetLocal, 1).op(kGetLocal, 2).op(kSetProperty, w.publicName("rawData"));
        c.op(kFindPropStrict, g.cls("Matrix3D")).op(kGetLocal, 2).op(kConstructProp, g.cls("Matrix3D"), 1).op(kSetLocal, 3);
        g.call(3, "transpose");
        c.op(kPop);
        g.make("Vector3D", 4);
        g.make("Vector3D", 5);
        c.op(kGetLocal, 3).op(kPushByte, 0).op(kGetLocal, 4).op(kCallPropVoid, w.publicName("copyRowTo"), 2);
        c.op(kGetLocal, 3).op(kPushByte, 3).op(kGetLocal, 5).op(kCallPropVoid, w.publicName("copyColumnTo"), 2);
        t.begin(c);
        g.get(1, "rawData");
        g.get(3, "rawData");
        c.op(kGetLocal, 4);
        g.get(5, "w");
        t.end(c, 4);
        // Fifteen numbers are not a matrix.
        c.op(kGetLocal, 2).op(kPushByte, 15).op(kSetProperty, w.publicName("length"));
        c.op(kGetLocal, 1).op(kGetLocal, 2).op(kSetProperty, w.publicName("rawData"));
        t.string(c, "not reached");
    });
    Played p = play(swfw::abcMovie(w.bytes(), "Main"), 0);
    EXPECT_EQ(p.lines, (Lines{"1,0,0,0,0,1,0,0,0,0,1,0,0.10000000149011612,0,0,1",
                              "1,5,0,0,0,1,0,0,0,0,1,0,0.10000000149011612,0,0,1 1,0,0,0.10000000149011612,5,1,0,0,0,0,1,0,0,0,0,1 "
                              "Vector3D(1, 5, 0) 1"}));
    ASSERT_EQ(p.errors.size(), 1u);
    EXPECT_NE(p.errors[0].find("RangeError"), std::string::npos) << p.errors[0];
}
