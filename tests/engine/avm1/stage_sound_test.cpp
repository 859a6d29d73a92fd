// Stage, System.capabilities and the script face of Sound.
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

class StageHost : public FakeHost {
public:
    StageMetrics stageMetrics() override { return metrics; }
    void setStageLayout(const std::string& mode, const std::string& align) override { layout = mode + "/" + align; }
    StageMetrics metrics{550, 400, 900, 700, 1920, 1080, 72};
    std::string layout;
};

class StageTest : public ::testing::Test {
protected:
    Value stage() { return machine.getMember(Value(machine.global()), "Stage"); }
    std::string get(const Value& o, const char* name) { return machine.toString(machine.getMember(o, name)); }
    StageHost host;
    Machine machine{host, 8};
};

TEST_F(StageTest, ScaleModeAlignAndSize) {
    Value s = stage();
    EXPECT_EQ(get(s, "scaleMode") + " " + get(s, "width") + "x" + get(s, "height"), "showAll 550x400");
    machine.setMember(s, "align", Value("bTrrl?"));
    EXPECT_EQ(get(s, "align"), "LTRB");
    machine.setMember(s, "align", Value(true));  // "true" holds T and R
    EXPECT_EQ(get(s, "align"), "TR");
    machine.setMember(s, "scaleMode", Value("EXACTFIT"));
    EXPECT_EQ(get(s, "scaleMode"), "exactFit");
    machine.setMember(s, "scaleMode", Value("nonsense"));
    EXPECT_EQ(get(s, "scaleMode"), "showAll");
    machine.setMember(s, "scaleMode", Value("noScale"));
    EXPECT_EQ(get(s, "width") + "x" + get(s, "height"), "900x700");  // the window's size now
    EXPECT_EQ(host.layout, "noScale/TR");
    machine.setMember(s, "width", Value(5.0));
    EXPECT_EQ(get(s, "width"), "900");
}

TEST_F(StageTest, DisplayStateTellsListenersOfChanges) {
    Value s = stage();
    Object* listener = machine.newObject();
    int calls = 0;
    static int* counter;
    counter = &calls;
    machine.defineNative(listener, "onFullScreen", [](Machine&, Object*, std::vector<Value>&) {
        ++*counter;
        return Value();
    });
    machine.call(machine.getMember(s, "addListener"), s.object(), {Value(listener)});
    machine.setMember(s, "displayState", Value("A"));
    EXPECT_EQ(get(s, "displayState"), "normal");
    machine.setMember(s, "displayState", Value("FULLSCREEN"));
    machine.setMember(s, "displayState", Value("fullScreen"));
    EXPECT_EQ(get(s, "displayState"), "fullScreen");
    machine.setMember(s, "displayState", Value("normal"));
    EXPECT_EQ(calls, 2);
}

TEST_F(StageTest, CapabilitiesReportTheScreen) {
    Value caps = machine.getMember(machine.getMember(Value(machine.global()), "System"), "capabilities");
    EXPECT_EQ(get(caps, "screenResolutionX") + "x" + get(caps, "screenResolutionY"), "1920x1080");
    EXPECT_EQ(get(caps, "os") + ", " + get(caps, "manufacturer"), "Windows XP, Adobe Windows");
    EXPECT_NE(get(caps, "serverString").find("R=1920x1080"), std::string::npos);
}

class SoundTest : public MachineTest {
protected:
    Value sound(Value target) {
        return machine->construct(machine->getMember(Value(machine->global()), "Sound"), {target});
    }
    std::string volume(const Value& s, Clip* from = nullptr) {
        Asm a;
        a.push({0}).push({"s", }).op(GetVariable).push({"getVolume"}).op(CallMethod).trace();
        machine->setMember(Value(machine->clipObject(&host.root)), "s", s);
        if (from) machine->setMember(Value(machine->clipObject(from)), "s", s);
        Lines out = run(a, from);
        return out.empty() ? "" : out[0];
    }
};

TEST_F(SoundTest, TargetsAreFollowedByName) {
    FakeClip* mc = host.root.add("mc", 1);
    FakeClip* nested = mc->add("nested", 1);
    Value byClip = sound(Value(machine->clipObject(mc)));
    machine->call(machine->getMember(byClip, "setVolume"), byClip.object(), {Value(40.0)});
    EXPECT_EQ(volume(byClip), "40");
    mc->setText(ClipProperty::Name, "renamed");
    EXPECT_EQ(volume(byClip), "undefined");  // no clip of that name now
    mc->setText(ClipProperty::Name, "mc");
    EXPECT_EQ(volume(byClip), "40");

    // A relative path is read from the timeline of the script that asks.
    Value byPath = sound(Value("nested"));
    EXPECT_EQ(volume(byPath), "undefined");
    EXPECT_EQ(volume(byPath, mc), "100");
    (void)nested;

    Value whole = sound(Value());
    machine->call(machine->getMember(whole, "setVolume"), whole.object(), {Value(70.0)});
    EXPECT_EQ(volume(whole), "70");
}

TEST_F(SoundTest, LoadingMethodsArriveWithSwf6) {
    useVersion(5);
    Asm a;
    a.push({"Sound"}).op(GetVariable).push({"prototype"}).op(GetMember).push({"loadSound"}).op(GetMember).trace();
    EXPECT_EQ(run(a), (Lines{"undefined"}));
    useVersion(6);
    EXPECT_EQ(run(a), (Lines{"[type Function]"}));
}

}  // namespace swf::avm1::test
