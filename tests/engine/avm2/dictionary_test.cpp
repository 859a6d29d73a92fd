#include <gtest/gtest.h>

#include "tests/engine/avm2/abc_script.h"

using namespace avm2test;
using swfw::AbcCode;
using swfw::AbcWriter;
using Lines = std::vector<std::string>;

// Object keys are compared by identity, survive collection while present, and come back as
// objects from enumeration; text keys stay text.
TEST(Avm2Dictionary, ObjectKeysByIdentity) {
    AbcWriter w;
    Tracer t(w);
    uint32_t dictionary = w.qname(w.ns(0x16, "flash.utils"), "Dictionary");
    uint32_t key = w.multinameL(w.nsSet({w.ns(0x16, "")}));
    AbcCode c;
    c.op(kGetLocal0).op(kPushScope);
    c.op(kFindPropStrict, dictionary).op(kConstructProp, dictionary, 0).op(kSetLocal1);  // d
    c.op(kNewObject, 0).op(kSetLocal2);                                                   // k1
    c.op(kNewObject, 0).op(0xD7);                                                         // k2 (setlocal3)
    c.op(kGetLocal1).op(kGetLocal2).op(kPushString, w.string("a")).op(kSetProperty, key);
    c.op(kGetLocal1).op(0xD3).op(kPushString, w.string("b")).op(kSetProperty, key);
    c.op(kGetLocal1).op(kPushString, w.string("[object Object]")).op(kPushString, w.string("text")).op(kSetProperty, key);
    // d[k1], d[k2], d["[object Object]"], d[new Object]
    t.begin(c).op(kGetLocal1).op(kGetLocal2).op(kGetProperty, key).op(kGetLocal1).op(0xD3).op(kGetProperty, key);
    c.op(kGetLocal1).op(kPushString, w.string("[object Object]")).op(kGetProperty, key);
    c.op(kGetLocal1).op(kNewObject, 0).op(kGetProperty, key);
    t.end(c, 4);
    // k1 in d; delete d[k1]; k1 in d
    t.begin(c).op(kGetLocal2).op(kGetLocal1).op(kIn);
    c.op(kGetLocal1).op(kGetLocal2).op(kDeleteProperty, key).op(kPop);
    c.op(kGetLocal2).op(kGetLocal1).op(kIn);
    t.end(c, 2);
    // for (k in d) trace(typeof k, d[k])
    c.op(kGetLocal1).op(kSetLocal, 4).op(kPushByte, 0).op(kSetLocal, 5);
    c.label("loop").op(kHasNext2, 4, 5).branch(kIfFalse, "done");
    t.begin(c).op(kGetLocal, 4).op(kGetLocal, 5).op(kNextName).op(kTypeOf);
    c.op(kGetLocal, 4).op(kGetLocal, 4).op(kGetLocal, 5).op(kNextName).op(kGetProperty, key);
    t.end(c, 2);
    c.branch(kJump, "loop").label("done");
    c.op(kReturnVoid);
    EXPECT_EQ(runScript(w, c), (Lines{"a b text undefined", "true false", "object b", "string text"}));
}
