// flash.geom.Point and Rectangle: loose fields, accessors over them, and the answers methods give
// for missing or odd arguments.
#include <cmath>

#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

class GeomTest : public MachineTest {
protected:
    Value make(const char* cls, std::vector<Value> args) {
        Value pkg = machine->getMember(machine->getMember(Value(machine->global()), "flash"), "geom");
        return machine->construct(machine->getMember(pkg, cls), std::move(args));
    }
    Value call(const Value& self, const char* method, std::vector<Value> args = {}) {
        return machine->call(machine->getMember(self, method), self.object(), std::move(args));
    }
    std::string text(const Value& v) { return machine->toString(v); }
    std::string get(const Value& self, const char* name) { return text(machine->getMember(self, name)); }
};

TEST_F(GeomTest, PointArithmeticAndStatics) {
    Value p = make("Point", {Value(3.0), Value(4.0)});
    EXPECT_EQ(text(make("Point", {})), "(x=0, y=0)");
    EXPECT_EQ(text(make("Point", {Value(1.0)})), "(x=1, y=undefined)");
    EXPECT_EQ(get(p, "length"), "5");
    EXPECT_EQ(text(call(p, "add", {make("Point", {Value(1.0), Value(2.0)})})), "(x=4, y=6)");
    EXPECT_EQ(text(call(p, "subtract", {Value()})), "(x=NaN, y=NaN)");
    EXPECT_EQ(text(call(p, "equals", {call(p, "clone")})), "true");
    Object* plain = machine->newObject();
    machine->setMember(Value(plain), "x", Value(3.0));
    machine->setMember(Value(plain), "y", Value(4.0));
    EXPECT_EQ(text(call(p, "equals", {Value(plain)})), "false");  // only Points are equal to Points

    Value ctor = machine->getMember(machine->getMember(machine->getMember(Value(machine->global()), "flash"), "geom"), "Point");
    EXPECT_EQ(text(call(ctor, "distance", {p, make("Point", {})})), "5");
    EXPECT_EQ(text(call(ctor, "distance", {Value(plain), p})), "undefined");  // asks a.subtract
    EXPECT_EQ(text(call(ctor, "interpolate", {make("Point", {Value(-100.0), Value(-200.0)}),
                                              make("Point", {Value(100.0), Value(200.0)}), Value(-1.0)})),
              "(x=300, y=600)");
    EXPECT_EQ(text(call(ctor, "polar", {Value(2.0), Value(0.0)})), "(x=2, y=0)");

    call(p, "normalize", {Value(10.0)});
    EXPECT_EQ(text(p), "(x=6, y=8)");
    Value loose = make("Point", {Value(100.0), Value::null()});
    call(loose, "normalize", {Value(1.0)});
    EXPECT_EQ(text(loose), "(x=100, y=null)");  // fields that are no numbers stay
    call(p, "offset", {Value(1.0)});
    EXPECT_EQ(text(p), "(x=7, y=NaN)");
}

TEST_F(GeomTest, RectangleEdgesMoveAgainstTheOppositeEdge) {
    Value r = make("Rectangle", {Value(1.0), Value(3.0), Value(5.0), Value(7.0)});
    EXPECT_EQ(text(r), "(x=1, y=3, w=5, h=7)");
    EXPECT_EQ(get(r, "right") + " " + get(r, "bottom") + " " + get(r, "bottomRight") + " " + get(r, "size"),
              "6 10 (x=6, y=10) (x=5, y=7)");
    machine->setMember(r, "top", Value(0.0));
    EXPECT_EQ(text(r), "(x=1, y=0, w=5, h=10)");
    machine->setMember(r, "left", Value(INFINITY));
    EXPECT_EQ(get(r, "width") + " " + get(r, "right"), "-Infinity NaN");
    machine->setMember(r, "topLeft", make("Point", {Value(0.0), Value(0.0)}));
    EXPECT_EQ(text(r), "(x=0, y=0, w=NaN, h=10)");
    machine->setMember(r, "size", make("Point", {Value(2.0), Value(3.0)}));
    machine->setMember(r, "bottomRight", make("Point", {Value(10.0), Value(10.0)}));
    EXPECT_EQ(text(r), "(x=0, y=0, w=10, h=10)");
    EXPECT_EQ(text(make("Rectangle", {Value(1.0)})), "(x=1, y=undefined, w=undefined, h=undefined)");
}

TEST_F(GeomTest, RectangleTestsAnswerUndefinedForNaN) {
    Value r = make("Rectangle", {Value(1.0), Value(3.0), Value(5.0), Value(7.0)});
    EXPECT_EQ(text(call(r, "contains", {Value(1.0), Value(3.0)})), "true");
    EXPECT_EQ(text(call(r, "contains", {Value(6.0), Value(10.0)})), "false");  // right and bottom are outside
    EXPECT_EQ(text(call(r, "contains", {Value(4.0), Value(NAN)})), "undefined");
    EXPECT_EQ(text(call(r, "contains", {Value(5.0), Value(INFINITY)})), "false");
    EXPECT_EQ(text(call(r, "containsRectangle", {call(r, "clone")})), "true");
    EXPECT_EQ(text(call(r, "containsRectangle", {Value()})), "undefined");
    EXPECT_EQ(text(call(r, "isEmpty")), "false");
    EXPECT_EQ(text(call(make("Rectangle", {Value(1.0), Value(2.0), Value(NAN), Value(NAN)}), "isEmpty")), "true");
}

TEST_F(GeomTest, RectangleCombinations) {
    Value r = make("Rectangle", {Value(1.0), Value(3.0), Value(5.0), Value(7.0)});
    Value other = make("Rectangle", {Value(3.0), Value(5.0), Value(7.0), Value(9.0)});
    EXPECT_EQ(text(call(r, "intersection", {other})), "(x=3, y=5, w=3, h=5)");
    EXPECT_EQ(text(call(r, "union", {other})), "(x=1, y=3, w=9, h=11)");
    EXPECT_EQ(text(call(r, "intersects", {other})), "true");
    Value far = make("Rectangle", {Value(30.0), Value(50.0), Value(1.0), Value(1.0)});
    EXPECT_EQ(text(call(r, "intersection", {far})), "(x=0, y=0, w=0, h=0)");
    EXPECT_EQ(text(call(r, "intersects", {Value()})), "false");
    EXPECT_EQ(text(call(r, "union", {Value()})), "(x=NaN, y=NaN, w=NaN, h=NaN)");
    call(r, "inflate", {Value(1.0), Value(2.0)});
    EXPECT_EQ(text(r), "(x=0, y=1, w=7, h=11)");
    call(r, "offsetPoint", {make("Point", {Value(1.0), Value(-1.0)})});
    EXPECT_EQ(text(r), "(x=1, y=0, w=7, h=11)");
    call(r, "setEmpty");
    EXPECT_EQ(text(r), "(x=0, y=0, w=0, h=0)");
}

TEST_F(GeomTest, MatrixComposition) {
    Value t = make("Matrix", {});
    EXPECT_EQ(text(t), "(a=1, b=0, c=0, d=1, tx=0, ty=0)");
    call(t, "scale", {Value(2.0), Value(3.0)});
    call(t, "translate", {Value(10.0), Value(20.0)});
    EXPECT_EQ(text(call(t, "transformPoint", {make("Point", {Value(1.0), Value(1.0)})})), "(x=12, y=23)");
    EXPECT_EQ(text(call(t, "deltaTransformPoint", {make("Point", {Value(1.0), Value(1.0)})})), "(x=2, y=3)");
    Value back = call(t, "clone");
    call(back, "invert");
    call(back, "concat", {t});
    EXPECT_EQ(text(back), "(a=1, b=0, c=0, d=1, tx=0, ty=0)");
    call(t, "createGradientBox", {Value(1638.4), Value(819.2), Value(0.0), Value(5.0), Value(5.0)});
    EXPECT_EQ(text(t), "(a=1, b=0, c=0, d=0.5, tx=824.2, ty=414.6)");
    call(t, "createBox", {Value(1.0), Value(1.0), Value(std::acos(-1.0) / 2)});
    EXPECT_EQ(text(call(t, "transformPoint", {make("Point", {Value(1.0), Value(0.0)})})), "(x=6.12323399573677e-17, y=1)");
    EXPECT_EQ(text(make("Matrix", {Value(2.0)})), "(a=2, b=undefined, c=undefined, d=undefined, tx=undefined, ty=undefined)");
}

TEST_F(GeomTest, ColorTransformFieldsAndConcat) {
    Value ct = make("ColorTransform", {Value(2.0), Value(1.0), Value(1.0), Value(1.0), Value(10.0)});
    EXPECT_EQ(text(ct), "(redMultiplier=2, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, redOffset=10, "
                        "greenOffset=0, blueOffset=0, alphaOffset=0)");
    Value second = make("ColorTransform", {Value(0.5), Value(1.0), Value(1.0), Value(1.0), Value(4.0)});
    call(ct, "concat", {second});
    EXPECT_EQ(get(ct, "redMultiplier") + " " + get(ct, "redOffset"), "1 18");
    machine->setMember(ct, "rgb", Value(double(0x102030)));
    EXPECT_EQ(get(ct, "rgb") + " " + get(ct, "redMultiplier") + " " + get(ct, "greenOffset"), "1056816 0 32");
    machine->setMember(ct, "blueOffset", Value("7"));
    EXPECT_EQ(get(ct, "blueOffset"), "7");
}

TEST_F(GeomTest, TransformCopiesAClipsColours) {
    FakeClip* mc = host.root.add("mc", 1);
    Value clip(machine->clipObject(mc));
    Value tr = machine->getMember(clip, "transform");
    Value ct = machine->getMember(tr, "colorTransform");
    EXPECT_EQ(get(ct, "alphaMultiplier"), "1");
    machine->setMember(ct, "alphaMultiplier", Value(0.5));
    EXPECT_EQ(get(machine->getMember(tr, "colorTransform"), "alphaMultiplier"), "1");  // a copy
    machine->setMember(tr, "colorTransform", ct);
    EXPECT_EQ(get(machine->getMember(machine->getMember(clip, "transform"), "colorTransform"), "alphaMultiplier"), "0.5");
    EXPECT_EQ(get(machine->getMember(tr, "concatenatedColorTransform"), "alphaMultiplier"), "0.5");
    EXPECT_EQ(text(machine->getMember(tr, "matrix")), "(a=1, b=0, c=0, d=1, tx=0, ty=0)");
}

TEST_F(GeomTest, PackageIsHiddenBeforeSwf8) {
    useVersion(7);
    Asm a;
    a.push({"flash"}).op(GetVariable).op(TypeOf).trace();
    EXPECT_EQ(run(a), (Lines{"undefined"}));
    useVersion(8);
    EXPECT_EQ(run(a), (Lines{"object"}));
}

}  // namespace swf::avm1::test
