// Private data of Direct3D objects.

#include "d3d8/private_data.h"

#include <cstring>

namespace zep::d3d {

PrivateData::~PrivateData() {
    for (Entry& entry : entries_)
        if (entry.object) entry.object->Release();
}

PrivateData::Entry* PrivateData::find(REFGUID guid) {
    for (Entry& entry : entries_)
        if (IsEqualGUID(entry.guid, guid)) return &entry;
    return nullptr;
}

const PrivateData::Entry* PrivateData::find(REFGUID guid) const {
    for (const Entry& entry : entries_)
        if (IsEqualGUID(entry.guid, guid)) return &entry;
    return nullptr;
}

HRESULT PrivateData::set(REFGUID guid, const void* data, DWORD size, DWORD flags) {
    if (!data && size) return D3DERR_INVALIDCALL;
    IUnknown* object = nullptr;
    if (flags & D3DSPD_IUNKNOWN) {
        // The data is the interface pointer itself.
        if (size != sizeof(IUnknown*)) return D3DERR_INVALIDCALL;
        object = const_cast<IUnknown*>(static_cast<const IUnknown*>(data));
        if (object) object->AddRef();
    }
    free(guid);
    Entry entry{guid, {}, object};
    if (!object) entry.bytes.assign(static_cast<const BYTE*>(data), static_cast<const BYTE*>(data) + size);
    entries_.push_back(std::move(entry));
    return D3D_OK;
}

HRESULT PrivateData::get(REFGUID guid, void* data, DWORD* size) const {
    if (!size) return D3DERR_INVALIDCALL;
    const Entry* entry = find(guid);
    if (!entry) return D3DERR_NOTFOUND;
    const DWORD needed = entry->object ? DWORD(sizeof(IUnknown*)) : DWORD(entry->bytes.size());
    if (!data) {
        *size = needed;
        return D3D_OK;
    }
    if (*size < needed) {
        *size = needed;
        return D3DERR_MOREDATA;
    }
    if (entry->object) {
        entry->object->AddRef();
        std::memcpy(data, &entry->object, sizeof(IUnknown*));
    } else if (needed) {
        std::memcpy(data, entry->bytes.data(), needed);
    }
    *size = needed;
    return D3D_OK;
}

HRESULT PrivateData::free(REFGUID guid) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (!IsEqualGUID(it->guid, guid)) continue;
        if (it->object) it->object->Release();
        entries_.erase(it);
        return D3D_OK;
    }
    return D3DERR_NOTFOUND;
}

}  // namespace zep::d3d
