// flash.display.BitmapData: size limits per version, premultiplied pixels, and the pixel methods.
#include <cmath>

#include "engine/avm1/bitmap_data.h"
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

class BitmapDataTest : public MachineTest {
protected:
    Value pkg(const char* name) {
        return machine->getMember(machine->getMember(Value(machine->global()), "flash"), name);
    }
    Value bitmap(std::vector<Value> args) {
        return machine->construct(machine->getMember(pkg("display"), "BitmapData"), std::move(args));
    }
    Value make(const char* cls, std::vector<Value> args) {
        return machine->construct(machine->getMember(pkg("geom"), cls), std::move(args));
    }
    Value call(const Value& self, const char* method, std::vector<Value> args = {}) {
        return machine->call(machine->getMember(self, method), self.object(), std::move(args));
    }
    uint32_t pixel(const Value& b, int x, int y) {
        return uint32_t(toInt32(machine->toNumber(call(b, "getPixel32", {Value(x), Value(y)}))));
    }
};

TEST_F(BitmapDataTest, SizeLimitsFollowTheVersion) {
    useVersion(9);
    EXPECT_TRUE(bitmap({Value(2880), Value(2880)}).isObject());
    EXPECT_TRUE(bitmap({Value(2881), Value(1)}).isUndefined());
    useVersion(10);
    EXPECT_TRUE(bitmap({Value(8191), Value(1)}).isObject());
    EXPECT_TRUE(bitmap({Value(8192), Value(1)}).isUndefined());
    EXPECT_TRUE(bitmap({Value(4095), Value(4096)}).isObject());
    EXPECT_TRUE(bitmap({Value(4096), Value(4096)}).isUndefined());  // more pixels than allowed
    EXPECT_TRUE(bitmap({Value(0), Value(5)}).isUndefined());
    EXPECT_TRUE(bitmap({Value(NAN), Value(5)}).isUndefined());
}

TEST_F(BitmapDataTest, PixelsArePremultiplied) {
    Value b = bitmap({Value(4), Value(3)});
    EXPECT_EQ(machine->toString(machine->getMember(b, "rectangle")), "(x=0, y=0, w=4, h=3)");
    EXPECT_EQ(pixel(b, 0, 0), 0xFFFFFFFFu);  // default fill
    call(b, "setPixel32", {Value(1), Value(1), Value(double(0x80FF8040u))});
    EXPECT_EQ(pixel(b, 1, 1) >> 24, 0x80u);
    EXPECT_EQ(pixel(b, 1, 1) & 0xFFFFFF, 0xFF8040u);
    call(b, "setPixel32", {Value(2), Value(1), Value(double(0x00FF8040u))});
    EXPECT_EQ(pixel(b, 2, 1), 0u);  // no alpha, no colour
    call(b, "setPixel", {Value(1), Value(1), Value(double(0x123456))});
    EXPECT_EQ(pixel(b, 1, 1) >> 24, 0x80u);  // setPixel keeps alpha
    EXPECT_EQ(pixel(b, 9, 9), 0u);

    Value opaque = bitmap({Value(2), Value(2), Value(false), Value(double(0x00112233))});
    EXPECT_EQ(pixel(opaque, 0, 0), 0xFF112233u);
    call(opaque, "setPixel32", {Value(0), Value(0), Value(double(0x00ABCDEFu))});
    EXPECT_EQ(pixel(opaque, 0, 0), 0xFFABCDEFu);

    call(b, "dispose");
    EXPECT_EQ(machine->toString(machine->getMember(b, "width")), "-1");
}

TEST_F(BitmapDataTest, FillCopyAndThreshold) {
    Value a = bitmap({Value(3), Value(3), Value(true), Value(0)});
    call(a, "fillRect", {make("Rectangle", {Value(1), Value(1), Value(5), Value(5)}), Value(double(0xFF0000FFu))});
    EXPECT_EQ(pixel(a, 0, 0), 0u);
    EXPECT_EQ(pixel(a, 2, 2), 0xFF0000FFu);
    Value b = call(a, "clone");
    EXPECT_EQ(pixel(b, 1, 1), 0xFF0000FFu);
    // Pixels whose alpha is 0xFF become red; the count comes back.
    Value changed = call(b, "threshold", {a, machine->getMember(a, "rectangle"), make("Point", {}), Value("=="),
                                          Value(double(0xFF000000u)), Value(double(0xFFFF0000u)),
                                          Value(double(0xFF000000u)), Value(false)});
    EXPECT_EQ(machine->toString(changed), "4");
    EXPECT_EQ(pixel(b, 2, 2), 0xFFFF0000u);
    EXPECT_EQ(machine->toString(call(b, "threshold", {a, machine->getMember(a, "rectangle"), make("Point", {}),
                                                      Value("~"), Value(0.0)})),
              "0");  // no such test
    Value c = bitmap({Value(3), Value(3), Value(true), Value(0)});
    call(c, "copyPixels", {b, make("Rectangle", {Value(1), Value(1), Value(2), Value(2)}), make("Point", {})});
    EXPECT_EQ(pixel(c, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(pixel(c, 2, 2), 0u);
    call(c, "scroll", {Value(1), Value(0)});
    EXPECT_EQ(pixel(c, 1, 0), 0xFFFF0000u);
}

TEST_F(BitmapDataTest, HitTestAgainstPointsRectanglesAndBitmaps) {
    Value b = bitmap({Value(5), Value(5), Value(true), Value(0)});
    call(b, "setPixel32", {Value(2), Value(3), Value(double(0xFFFFFFFFu))});
    Value origin = make("Point", {});
    EXPECT_EQ(machine->toString(call(b, "hitTest", {origin, Value(0), make("Point", {Value(2), Value(2)})})), "false");
    EXPECT_EQ(machine->toString(call(b, "hitTest", {origin, Value(0), make("Point", {Value(2), Value(3)})})), "true");
    EXPECT_EQ(machine->toString(call(b, "hitTest", {origin, Value(0), make("Point", {Value(10), Value(10)})})), "false");
    Value area = make("Rectangle", {Value(0), Value(2), Value(3), Value(3)});
    EXPECT_EQ(machine->toString(call(b, "hitTest", {origin, Value(1), area})), "true");
    Value other = bitmap({Value(1), Value(1), Value(true), Value(double(0xFF000000u))});
    EXPECT_EQ(machine->toString(call(b, "hitTest", {origin, Value(1), other, make("Point", {Value(2), Value(3)})})),
              "true");
    EXPECT_EQ(machine->toString(call(b, "hitTest", {origin, Value(1), other, make("Point", {Value(3), Value(3)})})),
              "false");
}

}  // namespace swf::avm1::test
