// flash.utils.Proxy: a subclass's flash_proxy handlers answer for every property its class does not
// declare (reads, writes, calls, `in`, delete, for-in); a handler it did not override throws.
#include <gtest/gtest.h>

#include "tests/engine/avm2/as3_class_builder.h"

using namespace avm2test;
using Lines = std::vector<std::string>;

namespace {

// class P extends Proxy {
//   public var real = "declared";
//   flash_proxy override function getProperty(n) { return "get " + n }
//   flash_proxy override function setProperty(n, v) { trace("set " + n + "=" + v) }
//   flash_proxy override function callProperty(n, a) { return n + "(" + a + ")" }
//   flash_proxy override function hasProperty(n) { return n == "here" }
//   flash_proxy override function nextNameIndex(i) { return i < 2 ? i + 1 : 0 }
//   flash_proxy override function nextName(i) { return "key" + i }
// }
struct ProxyClass {
    AbcWriter& w;
    Tracer t{w};
    uint32_t self = w.publicName("P");
    uint32_t super = w.qname(w.ns(0x16, "flash.utils"), "Proxy");
    uint32_t proxyNs = w.ns(0x08, "http://www.adobe.com/2006/actionscript/flash/proxy");
    std::vector<AbcTraitSpec> traits;

    explicit ProxyClass(AbcWriter& writer) : w(writer) {
        handler("getProperty", 1, [&](AbcCode& c) {
            c.op(kPushString, w.string("get ")).op(kGetLocal1).op(kAdd).op(kReturnValue);
        });
        handler("setProperty", 2, [&](AbcCode& c) {
            t.begin(c).op(kPushString, w.string("set ")).op(kGetLocal1).op(kAdd).op(kPushString, w.string("=")).op(kAdd)
                .op(kGetLocal2).op(kAdd);
            t.end(c);
            c.op(kReturnVoid);
        });
        handler("callProperty", 2, [&](AbcCode& c) {
            c.op(kGetLocal1).op(kPushString, w.string("(")).op(kAdd).op(kGetLocal2).op(kAdd).op(kPushString, w.string(")"))
                .op(kAdd).op(kReturnValue);
        });
        handler("hasProperty", 1, [&](AbcCode& c) {
            c.op(kGetLocal1).op(kPushString, w.string("here")).op(kEquals).op(kReturnValue);
        });
        handler("nextNameIndex", 1, [&](AbcCode& c) {
            c.op(kGetLocal1).op(kPushByte, 2).branch(kIfLt, "more").op(kPushByte, 0).op(kReturnValue);
            c.label("more").op(kGetLocal1).op(kIncrement).op(kReturnValue);
        });
        handler("nextName", 1, [&](AbcCode& c) {
            c.op(kPushString, w.string("key")).op(kGetLocal1).op(kAdd).op(kReturnValue);
        });
        traits.push_back(AbcTraitSpec{w.publicName("real"), 0, 1, 0, w.string("declared"), 0x01});
        uint32_t iinit = w.method();
        w.body(iinit, AbcCode().op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kConstructSuper, 0).op(kReturnVoid));
        uint32_t cinit = w.method();
        w.body(cinit, AbcCode().op(kReturnVoid));
        uint32_t cls = w.klass(self, super, 1, iinit, cinit, traits);
        defineClassScript(w, self, super, cls);
    }
    void handler(const std::string& name, int params, const std::function<void(AbcCode&)>& body) {
        uint32_t m = w.method(std::vector<uint32_t>(static_cast<size_t>(params), 0));
        AbcCode c;
        c.op(kGetLocal0).op(kPushScope);
        body(c);
        w.body(m, c, 8, 16);
        traits.push_back(AbcTraitSpec{w.qname(proxyNs, name), 1, 0, 0, 0, 0, m, 0x02});
    }
};

}  // namespace

TEST(Avm2Proxy, HandlersAnswerForUndeclaredProperties) {
    AbcWriter w;
    ProxyClass p(w);
    Tracer& t = p.t;
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope);
    c.op(kFindPropStrict, p.self).op(kConstructProp, p.self, 0).op(kSetLocal1);
    t.begin(c).op(kGetLocal1).op(kGetProperty, w.publicName("foo")).op(kGetLocal1).op(kGetProperty, w.publicName("real"));
    t.end(c, 2);
    c.op(kGetLocal1).op(kPushByte, 5).op(kSetProperty, w.publicName("bar"));
    t.begin(c).op(kGetLocal1).op(kPushByte, 7).op(kCallProperty, w.publicName("baz"), 1);
    t.end(c);
    t.begin(c).op(kPushString, w.string("here")).op(kGetLocal1).op(kIn).op(kPushString, w.string("gone")).op(kGetLocal1).op(kIn);
    t.end(c, 2);
    // for (var k in p) trace(k, p[k])
    c.op(kPushByte, 0).op(kSetLocal2);
    c.branch(kJump, "test");
    c.label("loop").op(kLabel);
    t.begin(c).op(kGetLocal1).op(kGetLocal2).op(kNextName).op(kDup).op(kSetLocal, 3).op(kGetLocal1).op(kGetLocal, 3)
        .op(kGetProperty, w.multinameL(w.nsSet({w.ns(0x16, "")})));
    t.end(c, 2);
    c.label("test").op(kHasNext2, 1, 2).branch(kIfTrue, "loop");
    // Proxy's own handler for delete was not overridden.
    c.op(kFindPropStrict, p.self).op(kConstructProp, p.self, 0).op(kDeleteProperty, w.publicName("x")).op(kPop);
    c.op(kReturnVoid);
    Lines lines = runScript(w, c);
    EXPECT_EQ(lines, (Lines{"get foo declared", "set bar=5", "baz(7)", "true false", "key1 get key1", "key2 get key2",
                            "uncaught: IllegalOperationError: Error #2088: The Proxy class does not implement "
                            "deleteProperty. It must be overridden by a subclass.\n\tat global$init()"}));
}
