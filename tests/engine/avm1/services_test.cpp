// The player's services as a saver offers them: ExternalInterface's helpers, file dialogs that
// cannot open, context menus, print jobs, the security sandbox.
#include "tests/engine/avm1/machine_fixture.h"

namespace swf::avm1::test {

class ServicesTest : public MachineTest {
protected:
    Value path(std::initializer_list<const char*> names) {
        Value v(machine->global());
        for (const char* n : names) v = machine->getMember(v, n);
        return v;
    }
    Value call(const Value& self, const char* method, std::vector<Value> args = {}) {
        return machine->call(machine->getMember(self, method), self.object(), std::move(args));
    }
    std::string text(const Value& v) { return machine->toString(v); }
    Value external() { return path({"flash", "external", "ExternalInterface"}); }
    Object* throwingFunction() {
        return machine->newFunction([](Machine&, Object*, std::vector<Value>&) -> Value { throw ScriptThrow{Value("oops")}; });
    }
};

TEST_F(ServicesTest, ExternalInterfaceHelpersQuoteEscapeAndSerialise) {
    Value ei = external();
    EXPECT_EQ(text(machine->getMember(ei, "available")), "false");
    EXPECT_EQ(text(call(ei, "_jsQuoteString", {Value("a\\\"b")})), "a\\\\\"b");
    EXPECT_TRUE(call(ei, "_jsQuoteString", {Value("")}).isNull());
    EXPECT_TRUE(call(ei, "_unescapeXML").isNull());
    EXPECT_EQ(text(call(ei, "_unescapeXML", {Value("&amp;lt;&LT;&quot;")})), "&lt;&LT;\"");
    EXPECT_EQ(text(call(ei, "_escapeXML", {Value("<'&'>")})), "&lt;&apos;&amp;&apos;&gt;");
    Object* nested = machine->newObject();
    machine->setMember(Value(nested), "k", Value(machine->newArray({Value(1.0), Value(true), Value::null()})));
    EXPECT_EQ(text(call(ei, "_toXML", {Value(nested)})),
              "<object><property id=\"k\"><array><property id=\"0\"><number>1</number></property>"
              "<property id=\"1\"><true/></property><property id=\"2\"><null/></property></array></property></object>");
    EXPECT_EQ(text(call(ei, "_toXML", {Value("")})), "<string>null</string>");
    EXPECT_EQ(text(call(ei, "_toJS", {Value(nested)})), "({k:[1,true,null]})");
    // A value that contains itself stops the script rather than the player.
    machine->setMember(Value(nested), "self", Value(nested));
    EXPECT_THROW(call(ei, "_toXML", {Value(nested)}), ScriptAbort);
}

TEST_F(ServicesTest, FileDialogsCheckTheirArgumentsThenEndCancelled) {
    Value ref = machine->construct(path({"flash", "net", "FileReference"}), {});
    Object* listener = machine->newObject();
    machine->setMember(Value(listener), "onCancel", Value(machine->newFunction([](Machine& m, Object*, std::vector<Value>&) {
        m.host().trace("cancel");
        return Value();
    })));
    call(ref, "addListener", {Value(listener)});
    auto filter = [&](Value description, Value extension) {
        Object* f = machine->newObject();
        if (!description.isUndefined()) machine->setMember(Value(f), "description", description);
        if (!extension.isUndefined()) machine->setMember(Value(f), "extension", extension);
        return Value(machine->newArray({Value(f)}));
    };
    EXPECT_EQ(text(call(ref, "browse", {Value(machine->newArray())})), "false");
    EXPECT_EQ(text(call(ref, "browse", {Value()})), "false");
    EXPECT_EQ(text(call(ref, "browse", {filter(Value("t"), Value())})), "false");
    EXPECT_EQ(text(call(ref, "browse", {filter(Value("t"), Value(""))})), "false");
    Object* inherited = machine->newObject();
    inherited->proto = filter(Value("t"), Value("*.t")).object()->elements[0].object();
    EXPECT_EQ(text(call(ref, "browse", {Value(machine->newArray({Value(inherited)}))})), "false");
    Object* bad = machine->newObject();
    machine->setMember(Value(bad), "toString", Value(throwingFunction()));
    EXPECT_THROW(call(ref, "browse", {filter(Value(bad), Value("*.t"))}), ScriptThrow);
    EXPECT_EQ(text(call(ref, "download", {Value("baddomain")})), "false");
    EXPECT_EQ(text(call(ref, "download", {Value("@")})), "false");
    host.lines.clear();
    EXPECT_EQ(text(call(ref, "browse", {filter(Value("t"), Value("*.t"))})), "true");
    EXPECT_EQ(text(call(ref, "download", {Value("http://example.com/f.txt")})), "true");
    EXPECT_TRUE(host.lines.empty());
    machine->runIntervals();  // the dialogs end with the frame
    EXPECT_EQ(host.lines, (Lines{"cancel", "cancel"}));
    EXPECT_EQ(text(call(ref, "upload", {Value("http://example.com/")})), "false");
}

TEST_F(ServicesTest, MovieClipLoadersEndEveryLoadWithItsError) {
    host.root.add("child");
    Value loader = machine->construct(path({"MovieClipLoader"}), {});
    ASSERT_TRUE(loader.object());
    // The loader is its own first listener; it hears onLoadError(target, code) as the frame ends.
    Object* onError = machine->newFunction([](Machine& m, Object*, std::vector<Value>& a) -> Value {
        if (a.size() < 2) return Value();
        m.host().trace("error " + m.toString(m.getMember(a[0], "_name")) + " " + m.toString(a[1]));
        return Value();
    });
    machine->setMember(loader, "onLoadError", Value(onError));
    EXPECT_TRUE(call(loader, "loadClip", {Value("x.swf")}).isUndefined());
    EXPECT_EQ(text(call(loader, "loadClip", {Value(1.0), Value("child")})), "false");
    EXPECT_EQ(text(call(loader, "loadClip", {Value("x.swf"), Value("nobody")})), "false");
    EXPECT_EQ(text(call(loader, "loadClip", {Value("x.swf"), Value(machine->newObject())})), "false");
    host.lines.clear();
    EXPECT_EQ(text(call(loader, "loadClip", {Value("missing.swf"), Value("child")})), "true");
    EXPECT_TRUE(host.lines.empty());
    machine->runIntervals();
    EXPECT_EQ(host.lines, (Lines{"error child URLNotFound"}));
    // The listener methods are AsBroadcaster's own.
    EXPECT_EQ(machine->getMember(loader, "addListener").object(),
              path({"AsBroadcaster", "addListener"}).object());
}

TEST_F(ServicesTest, ContextMenusCopyWhatTheyHold) {
    Value item = machine->construct(path({"ContextMenuItem"}), {Value("Caption")});
    EXPECT_EQ(text(machine->getMember(item, "enabled")) + text(machine->getMember(item, "separatorBefore")), "truefalse");
    Value menu = machine->construct(path({"ContextMenu"}), {});
    machine->getMember(menu, "customItems").object()->elements.push_back(item);
    call(menu, "hideBuiltInItems");
    Value copy = call(menu, "copy");
    EXPECT_EQ(text(machine->getMember(machine->getMember(copy, "builtInItems"), "print")), "false");
    Value copiedItem = machine->getMember(machine->getMember(copy, "customItems"), "0");
    EXPECT_EQ(text(machine->getMember(copiedItem, "caption")), "Caption");
    EXPECT_NE(copiedItem.object(), item.object());
}

TEST_F(ServicesTest, PrintJobsNeverStartAndTheirSizesStayZero) {
    Value job = machine->construct(path({"PrintJob"}), {});
    EXPECT_EQ(text(call(job, "start")), "false");
    machine->setMember(job, "pageWidth", Value(5.0));
    EXPECT_EQ(text(machine->getMember(job, "pageWidth")), "0");
    EXPECT_EQ(machine->enumerate(job.object()).size(), 5u);
}

TEST_F(ServicesTest, SandboxFollowsTheMovieNetworkFlag) {
    EXPECT_EQ(text(path({"System", "security", "sandboxType"})), "localWithFile");
    host.useNetwork = true;
    EXPECT_EQ(text(path({"System", "security", "sandboxType"})), "localWithNetwork");
}

TEST_F(ServicesTest, LoadVarsDecodeAndEncodeTheirVariables) {
    Value lv = machine->construct(path({"LoadVars"}), {});
    call(lv, "decode", {Value("a=1+2&b%20c=%26x&&=skip&d")});
    EXPECT_EQ(text(machine->getMember(lv, "a")), "1 2");
    EXPECT_EQ(text(machine->getMember(lv, "b c")), "&x");
    EXPECT_EQ(text(machine->getMember(lv, "d")), "");
    EXPECT_EQ(text(call(lv, "toString")), "d=&b%20c=%26x&a=1%202");
    EXPECT_EQ(text(call(lv, "load", {Value("vars.txt")})), "true");
}

TEST_F(ServicesTest, SharedObjectsLastForTheRun) {
    Value so = call(path({"SharedObject"}), "getLocal", {Value("prefs")});
    ASSERT_TRUE(so.object());
    EXPECT_TRUE(call(path({"SharedObject"}), "getLocal", {Value("bad name")}).isNull());
    Value data = machine->getMember(so, "data");
    machine->setMember(data, "n", Value(1.0));
    EXPECT_EQ(text(call(so, "getSize")), "13");  // name (2 + 1), number (9), end byte (1)
    machine->setMember(data, "self", data);      // a cycle is written as a reference
    EXPECT_EQ(text(call(so, "getSize")), "23");
    EXPECT_EQ(text(call(so, "flush")), "true");
    EXPECT_EQ(call(path({"SharedObject"}), "getLocal", {Value("prefs")}).object(), so.object());
    call(so, "clear");
    EXPECT_EQ(text(call(so, "getSize")), "0");
}

}  // namespace swf::avm1::test
