// A stand-in component for the host's checks: an OLE object whose IDispatch records the last
// property put, so that a check can see exactly what the hosting sent.
#pragma once

#include <ole2.h>
#include <windows.h>

namespace spy {

// {6F1C2B0E-4A8D-4C61-9E0B-5A7D3C2E1F90}: a class of this test only.
inline constexpr CLSID kSpyClassId = {0x6F1C2B0E, 0x4A8D, 0x4C61, {0x9E, 0x0B, 0x5A, 0x7D, 0x3C, 0x2E, 0x1F, 0x90}};

struct LastPut {
    DISPID id = 0;
    VARTYPE type = VT_EMPTY;
    bool nullString = false;
    UINT length = 0;
};
extern LastPut lastPut;

// Registers the stand-in's class object for the process; returns the registration cookie.
DWORD registerSpyClass();

}  // namespace spy
