// The test's password library. Environment (read at every call, so a test can change its mind):
//   PASSWORD_CPL_ANSWER_FILE  a file whose first character is '1' (accept) or anything else
//                             (refuse); without the file the answer is refuse
//   PASSWORD_CPL_LOG          a file that gets one line per call: "call <class of the owner window>"
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool AnswerIsAccept() {
    const char* path = std::getenv("PASSWORD_CPL_ANSWER_FILE");
    if (!path) return false;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    const int first = std::fgetc(file);
    std::fclose(file);
    return first == '1';
}

void RecordCall(HWND owner) {
    const char* path = std::getenv("PASSWORD_CPL_LOG");
    if (!path) return;
    char className[256] = "none";
    if (!owner || !GetClassNameA(owner, className, sizeof className)) std::snprintf(className, sizeof className, "none");
    if (std::FILE* file = std::fopen(path, "ab")) {
        std::fprintf(file, "call %s\n", className);
        std::fclose(file);
    }
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
    RecordCall(owner);
    return AnswerIsAccept() ? TRUE : FALSE;
}
