// The program's last-resort error reports: the top-level "Application Error" box for a failure
// that escapes the main block, and the "Error" box of a failure during start-up.
#pragma once

#include <exception>
#include <string>

namespace ui {

// The failure's class name: sav::Error's own, "EOutOfMemory" for an allocation failure,
// "Exception" for anything else.
std::string exceptionClassName(const std::exception& failure);
// The address the failure was raised at (sav::Error), else nullptr.
const void* exceptionAddress(const std::exception& failure);

// "Exception <class> in module <file> at <address>.\n<message>", the module being the file that
// holds the address (the executable when unknown).
std::string topLevelErrorText(const std::exception& failure);
// Shows the task-modal "Application Error" box with the stop icon.
void showTopLevelError(const std::exception& failure);

// "Runtime error 217 at 0040A1B2": the code, then the address as eight hex digits (the low
// 32 bits on a 64-bit build).
std::string runtimeErrorText(int code, const void* address);
// Shows the box titled "Error" with that text.
void showRuntimeError(int code, const void* address);

}  // namespace ui
