// Program entry of the screen saver.
#include "app/startup.h"

#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> parameters;
    for (int i = 1; i < argc; ++i) parameters.emplace_back(argv[i]);
    return app::RunProgram(parameters);
}
