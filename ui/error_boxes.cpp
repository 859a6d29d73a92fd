#include "ui/error_boxes.h"

#include "support/error.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <new>

namespace ui {

std::string exceptionClassName(const std::exception& failure) {
    if (auto* error = dynamic_cast<const sav::Error*>(&failure)) return error->className();
    if (dynamic_cast<const std::bad_alloc*>(&failure)) return "EOutOfMemory";
    return "Exception";
}

const void* exceptionAddress(const std::exception& failure) {
    if (auto* error = dynamic_cast<const sav::Error*>(&failure)) return error->address();
    return nullptr;
}

namespace {

std::string moduleFileName(const void* address) {
    HMODULE module = nullptr;
    if (address)
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &module);
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    std::string name(path);
    std::size_t slash = name.find_last_of("\\/");
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

}  // namespace

std::string topLevelErrorText(const std::exception& failure) {
    const void* address = exceptionAddress(failure);
    char where[2 * sizeof(void*) + 1];
    std::snprintf(where, sizeof where, "%0*llX", static_cast<int>(2 * sizeof(void*)),
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(address)));
    return "Exception " + exceptionClassName(failure) + " in module " + moduleFileName(address) + " at " + where +
           ".\n" + failure.what();
}

void showTopLevelError(const std::exception& failure) {
    MessageBoxA(nullptr, topLevelErrorText(failure).c_str(), "Application Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

std::string runtimeErrorText(int code, const void* address) {
    char text[64];
    std::snprintf(text, sizeof text, "Runtime error %d at %08lX", code,
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(address) & 0xFFFFFFFFu));
    return text;
}

void showRuntimeError(int code, const void* address) {
    MessageBoxA(nullptr, runtimeErrorText(code, address).c_str(), "Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

}  // namespace ui
