// The program's run from start-up to exit code: package start-up, the saver-window test, COM and
// the Flash component, the hand cursor, the dispatch on the command line, the loop, shut-down.
#pragma once

#include <string>
#include <vector>

namespace app {

// parameters: the command-line parameters after the program name. Returns the exit code.
int RunProgram(const std::vector<std::string>& parameters);

}  // namespace app
