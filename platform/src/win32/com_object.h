// Reference counting and QueryInterface for the platform's COM objects that
// expose a single interface (DirectInput, its keyboard, DirectDraw).
#pragma once

#include <unknwn.h>

#include <atomic>

namespace zep::win32 {

// Interface: the COM interface implemented; iid: its identifier.
template <class Interface, const IID& iid>
class ComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, iid)) {
            AddRef();
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~ComObject() = default;

private:
    std::atomic<ULONG> references_{1};
};

}  // namespace zep::win32
