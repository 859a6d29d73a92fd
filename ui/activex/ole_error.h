// The OLE failures of the hosting, raised as the program's errors with the HRESULT they carry.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "support/error.h"

namespace ui {

class OleError : public sav::Error {
public:
    OleError(std::string className, const std::string& message, HRESULT code)
        : sav::Error(std::move(className), message), code_(code) {}
    HRESULT code() const { return code_; }

private:
    HRESULT code_;
};

// The system's message for an HRESULT, else "OLE error XXXXXXXX".
std::string oleErrorText(HRESULT code);
// Raises EOleSysError for a failed HRESULT; does nothing on success.
void oleCheck(HRESULT code);
// After a failed call on `object` through interface `iid`: the description from the object's
// error information when it offers one, else the system's message (EOleSysError / EOleException).
[[noreturn]] void raiseCallError(HRESULT code, IUnknown* object, REFIID iid);
// After a failed IDispatch::Invoke: DISP_E_EXCEPTION becomes EOleException with the exception's
// scode and description; anything else EOleSysError. Clears `exception`.
[[noreturn]] void raiseInvokeError(HRESULT code, EXCEPINFO& exception);
// EOleError with a fixed message.
[[noreturn]] void raiseOleError(const char* message);

}  // namespace ui
