// flash.filters: property ranges, gradient stops, copies, and a clip's filters to and from the display.
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

class FiltersTest : public MachineTest {
protected:
    Value make(const char* cls, std::vector<Value> args = {}) {
        Value pkg = machine->getMember(machine->getMember(Value(machine->global()), "flash"), "filters");
        return machine->construct(machine->getMember(pkg, cls), std::move(args));
    }
    std::string get(const Value& o, const char* name) { return machine->toString(machine->getMember(o, name)); }
    void set(const Value& o, const char* name, Value v) { machine->setMember(o, name, v); }
    Value array(std::vector<Value> v) { return Value(machine->newArray(std::move(v))); }
};

TEST_F(FiltersTest, PropertiesAreHeldInRange) {
    Value f = make("DropShadowFilter");
    EXPECT_EQ(get(f, "distance") + " " + get(f, "angle") + " " + get(f, "blurX") + " " + get(f, "hideObject"),
              "4 44.9999999772279 4 false");
    set(f, "angle", Value(366.0));
    set(f, "alpha", Value(0.5));
    set(f, "color", Value(-305419896.0));
    set(f, "quality", Value(100.0));
    set(f, "strength", Value(-1.0));
    set(f, "blurY", Value(256.0));
    EXPECT_EQ(get(f, "angle") + " " + get(f, "alpha") + " " + get(f, "color") + " " + get(f, "quality") + " " +
                  get(f, "strength") + " " + get(f, "blurY"),
              "6 0.498039215686275 13347208 15 0 255");
    Value bevel = make("BevelFilter", {Value(2.0), Value(90.0)});
    EXPECT_EQ(get(bevel, "distance") + " " + get(bevel, "angle") + " " + get(bevel, "type"), "2 90 inner");
    set(bevel, "type", Value("INNER"));
    EXPECT_EQ(get(bevel, "type"), "full");  // anything unknown
    Value copy = machine->call(machine->getMember(bevel, "clone"), bevel.object(), {});
    EXPECT_NE(copy.object(), bevel.object());
    EXPECT_EQ(get(copy, "distance"), "2");
    EXPECT_TRUE(machine->call(machine->getMember(make("BitmapFilter"), "clone"), nullptr, {}).isUndefined());
}

TEST_F(FiltersTest, GradientStopsFollowTheColours) {
    Value f = make("GradientGlowFilter");
    set(f, "alphas", array({Value(1.0)}));
    EXPECT_EQ(get(f, "alphas"), "");  // no colours, no stops
    set(f, "colors", array({Value(-305419896.0), Value(10.0)}));
    EXPECT_EQ(get(f, "colors") + "|" + get(f, "alphas") + "|" + get(f, "ratios"), "13347208,10|0,0|0,0");
    set(f, "ratios", array({Value(500.0), Value(50.5), Value(100.0)}));
    EXPECT_EQ(get(f, "ratios"), "255,50");
    set(f, "alphas", array({Value(0.5)}));
    EXPECT_EQ(get(f, "alphas"), "0.501960784313725,1");
    set(f, "ratios", array({Value(7.0)}));
    EXPECT_EQ(get(f, "colors") + "|" + get(f, "ratios"), "13347208|7");  // cut down to the ratios given
}

TEST_F(FiltersTest, MatricesTakeArrayLikeValues) {
    Value cm = make("ColorMatrixFilter", {Value::null()});
    EXPECT_EQ(get(cm, "matrix"), "1,0,0,0,0,0,1,0,0,0,0,0,1,0,0,0,0,0,1,0");
    set(cm, "matrix", array({Value(1.5), Value(true)}));
    EXPECT_EQ(get(cm, "matrix").substr(0, 10), "1.5,1,NaN,");
    Value conv = make("ConvolutionFilter");
    set(conv, "matrix", array({Value(-1.0), Value(-2.0), Value(-3.0)}));
    set(conv, "matrixX", Value(2.0));
    set(conv, "matrixY", Value(2.5));
    EXPECT_EQ(get(conv, "matrix"), "-1,-2,-3,0");  // grown to 2 x 2
    set(conv, "matrixX", Value(-100.0));
    EXPECT_EQ(get(conv, "matrixX") + " " + get(conv, "matrix"), "0 -1,-2,-3,0");  // never shrinks
    set(conv, "matrix", Value("abc"));  // a string is as long as its text
    EXPECT_EQ(get(conv, "matrix"), "NaN,NaN,NaN");
}

TEST_F(FiltersTest, ClipFiltersAreCopiesBothWays) {
    FakeClip* mc = host.root.add("mc", 1);
    Value clip(machine->clipObject(mc));
    Value blur = make("BlurFilter", {Value(9.0), Value(3.0), Value(2.0)});
    Value shadow = make("DropShadowFilter");
    set(clip, "filters", array({blur, Value(5.0), shadow}));
    ASSERT_EQ(mc->filterList.size(), 2u);
    EXPECT_EQ(mc->filterList[0].kind, swf::Filter::Kind::Blur);
    EXPECT_EQ(mc->filterList[0].blur.blurX, 9);
    EXPECT_EQ(mc->filterList[0].blur.passes, 2);
    set(blur, "blurX", Value(1.0));
    EXPECT_EQ(mc->filterList[0].blur.blurX, 9);  // the clip kept its own copy
    Value read = machine->getMember(clip, "filters");
    EXPECT_EQ(get(read, "length"), "2");
    Value first = machine->getMember(read, "0");
    EXPECT_EQ(get(first, "blurX") + " " + get(first, "quality"), "9 2");
    EXPECT_NE(machine->getMember(machine->getMember(clip, "filters"), "0").object(), first.object());
}

TEST_F(FiltersTest, DisplacementMapReachesTheDisplayWithItsBitmap) {
    FakeClip* mc = host.root.add("mc", 1);
    Value clip(machine->clipObject(mc));
    Value display = machine->getMember(machine->getMember(Value(machine->global()), "flash"), "display");
    Value map = machine->construct(machine->getMember(display, "BitmapData"), {Value(4.0), Value(2.0), Value(true), Value(-16777216.0)});
    Value f = make("DisplacementMapFilter", {map, Value::null(), Value(1.0), Value(2.0), Value(10.0), Value(-5.0),
                                             Value("clamp")});
    set(clip, "filters", array({f}));
    ASSERT_EQ(mc->filterList.size(), 1u);
    const swf::DisplacementMapFilter& d = mc->filterList[0].displacement;
    EXPECT_EQ(mc->filterList[0].kind, swf::Filter::Kind::DisplacementMap);
    ASSERT_TRUE(d.mapSource);
    auto pixels = d.mapSource->image();
    ASSERT_TRUE(pixels);
    EXPECT_EQ(pixels->width, 4);
    EXPECT_EQ(pixels->at(3, 1)[3], 255);
    EXPECT_EQ(d.componentX, 1);
    EXPECT_EQ(d.componentY, 2);
    EXPECT_EQ(d.scaleY, -5);
    EXPECT_EQ(d.mode, swf::DisplacementMapFilter::Mode::Clamp);
    const std::shared_ptr<swf::PixelSource> shown = d.mapSource;

    // Read back and given again, the filter keeps showing the same map.
    Value read = machine->getMember(machine->getMember(clip, "filters"), "0");
    EXPECT_EQ(get(read, "mode") + " " + get(read, "scaleX") + " " + get(read, "componentY"), "clamp 10 2");
    set(clip, "filters", machine->getMember(clip, "filters"));
    ASSERT_EQ(mc->filterList.size(), 1u);
    EXPECT_EQ(mc->filterList[0].displacement.mapSource, shown);
}

}  // namespace swf::avm1::test
