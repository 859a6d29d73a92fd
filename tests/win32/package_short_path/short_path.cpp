// Prints the short (8.3) form of a path, so that a test can start a program through it.
//
//   short_path.exe PATH
#include <windows.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const DWORD needed = GetShortPathNameA(argv[1], nullptr, 0);
    if (needed == 0) return 1;
    std::vector<char> buffer(needed + 1);
    const DWORD length = GetShortPathNameA(argv[1], buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return 1;
    std::printf("%s\n", buffer.data());
    return 0;
}
