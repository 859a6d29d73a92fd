// Movies with scripts for the core tests: frames whose actions are written with the test assembler,
// and the trace lines a player gives back.
#pragma once

#include <string>
#include <vector>

#include "tests/engine/avm1/assembler.h"
#include "tests/engine/core/movie_builder.h"

namespace coretest {

using swf::avm1::test::Asm;
using Lines = std::vector<std::string>;
namespace op = swf::avm1::test;

inline swf::DoAction action(const Asm& a) { return swf::DoAction{a.bytes()}; }

}  // namespace coretest
