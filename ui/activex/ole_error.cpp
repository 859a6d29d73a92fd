#include "ui/activex/ole_error.h"

#include <cstdio>

#include "ui/activex/com_ptr.h"

namespace ui {
namespace {

std::string fromWide(const wchar_t* text) {
    if (!text || !*text) return {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n - 1));
    return out;
}

}  // namespace

std::string oleErrorText(HRESULT code) {
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (n && buffer) text.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    if (text.empty()) {
        char fallback[32];
        std::snprintf(fallback, sizeof fallback, "OLE error %.8lX", static_cast<unsigned long>(code));
        text = fallback;
    }
    return text;
}

void oleCheck(HRESULT code) {
    if (FAILED(code)) throw OleError("EOleSysError", oleErrorText(code), code);
}

void raiseCallError(HRESULT code, IUnknown* object, REFIID iid) {
    std::string description;
    ComPtr<ISupportErrorInfo> support;
    if (object && SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, support.putVoid())) &&
        support->InterfaceSupportsErrorInfo(iid) == S_OK) {
        ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.put()) == S_OK && info) {
            BSTR text = nullptr;
            if (SUCCEEDED(info->GetDescription(&text))) description = fromWide(text);
            SysFreeString(text);
        }
    }
    if (description.empty()) throw OleError("EOleSysError", oleErrorText(code), code);
    throw OleError("EOleException", description, code);
}

void raiseInvokeError(HRESULT code, EXCEPINFO& exception) {
    if (code == DISP_E_EXCEPTION) {
        if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
        HRESULT scode = exception.scode ? exception.scode : static_cast<HRESULT>(exception.wCode);
        std::string description = fromWide(exception.bstrDescription);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrHelpFile);
        exception = EXCEPINFO{};
        if (description.empty()) description = oleErrorText(scode);
        throw OleError("EOleException", description, scode);
    }
    throw OleError("EOleSysError", oleErrorText(code), code);
}

void raiseOleError(const char* message) { throw OleError("EOleError", message, E_FAIL); }

}  // namespace ui
