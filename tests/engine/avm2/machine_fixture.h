// What the tests of the machine's built-ins share: a fresh machine, and short ways to reach its
// globals, call methods, read values as text and catch what a call throws.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/avm2/machine.h"

namespace avm2test {

class MachineTest : public ::testing::Test {
protected:
    swf::avm2::Machine m;

    // A global by its package and name ("" for the top level); a failed look-up fails the test.
    swf::avm2::Value global(const char16_t* name, const swf::avm2::String& package = u"") {
        std::vector<swf::avm2::Ns> set{swf::avm2::Ns{swf::avm2::kNsPackage, package, 0}};
        swf::avm2::Name n{name, set};
        bool found = false;
        swf::avm2::Value holder = m.findGlobal(n, found);
        EXPECT_TRUE(found) << swf::avm2::utf16ToUtf8(name);
        return m.getProperty(holder, n);
    }
    swf::avm2::Value callGlobal(const char16_t* name, std::vector<swf::avm2::Value> args,
                                const swf::avm2::String& package = u"") {
        return m.call(global(name, package), swf::avm2::Value::null(), args);
    }
    swf::avm2::Value method(const swf::avm2::Value& self, const char16_t* name, std::vector<swf::avm2::Value> args = {}) {
        return m.callProperty(self, swf::avm2::Name{name, m.publicSet}, args);
    }
    std::string text(const swf::avm2::Value& v) { return swf::avm2::utf16ToUtf8(m.toString(v)); }
    // The text of what `f` throws, or "no error".
    template <class F>
    std::string thrown(F f) {
        try {
            f();
        } catch (const swf::avm2::ThrownValue& t) {
            return text(t.value);
        }
        return "no error";
    }
};

}  // namespace avm2test
