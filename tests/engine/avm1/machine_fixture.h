// A machine over a fake host, with helpers that run assembled actions and return the trace lines.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "engine/avm1/machine.h"
#include "tests/engine/avm1/assembler.h"
#include "tests/engine/avm1/fake_host.h"

namespace swf::avm1::test {

class MachineTest : public ::testing::Test {
protected:
    void useVersion(int version) { machine = std::make_unique<Machine>(host, version); }
    std::vector<std::string> run(const Asm& code, Clip* clip = nullptr) {
        host.lines.clear();
        machine->runActions(code.shared(), clip ? clip : &host.root);
        return host.lines;
    }
    using Lines = std::vector<std::string>;

    FakeHost host;
    std::unique_ptr<Machine> machine = std::make_unique<Machine>(host, 8);
};

}  // namespace swf::avm1::test
