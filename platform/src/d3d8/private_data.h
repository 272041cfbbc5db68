// SetPrivateData / GetPrivateData / FreePrivateData storage shared by every
// object that has them: bytes by GUID, or an interface held with a reference
// (D3DSPD_IUNKNOWN).
#pragma once

#include <d3d8.h>

#include <vector>

namespace zep::d3d {

class PrivateData {
public:
    PrivateData() = default;
    PrivateData(const PrivateData&) = delete;
    PrivateData& operator=(const PrivateData&) = delete;
    ~PrivateData();

    HRESULT set(REFGUID guid, const void* data, DWORD size, DWORD flags);
    HRESULT get(REFGUID guid, void* data, DWORD* size) const;
    HRESULT free(REFGUID guid);

private:
    struct Entry {
        GUID guid;
        std::vector<BYTE> bytes;
        IUnknown* object;  // held with a reference when set with D3DSPD_IUNKNOWN
    };
    Entry* find(REFGUID guid);
    const Entry* find(REFGUID guid) const;
    std::vector<Entry> entries_;
};

}  // namespace zep::d3d
