#include "flash/flash_component.h"

#include <new>

#include "flash/component/flash_object.h"
#include "ui/activex/com_ptr.h"

namespace {

// The class object: makes Flash components for this process.
class FlashClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // A static object: COM's references do not decide its life.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        // The new object starts with one reference, ours; the caller's comes from QueryInterface.
        auto object = ui::ComPtr<flash::FlashObject>::attach(new (std::nothrow) flash::FlashObject());
        if (!object) return E_OUTOFMEMORY;
        return object->QueryInterface(iid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

FlashClassFactory factory;
DWORD registration = 0;
bool soundEnabled = true;

}  // namespace

HRESULT RegisterFlashComponentClass() {
    if (registration) return S_OK;
    return CoRegisterClassObject(flash::kFlashClassId, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                 &registration);
}

void RevokeFlashComponentClass() {
    if (!registration) return;
    CoRevokeClassObject(registration);
    registration = 0;
}

void SetFlashComponentSound(bool enabled) { soundEnabled = enabled; }

bool FlashComponentSound() { return soundEnabled; }
