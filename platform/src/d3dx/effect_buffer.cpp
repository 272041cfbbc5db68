#include "d3dx/effect_buffer.h"

#include "win32/com_object.h"

#include <cstring>
#include <new>
#include <vector>

namespace zep::d3dx {
namespace {

class Buffer final : public win32::ComObject<ID3DXBuffer, IID_ID3DXBuffer> {
public:
    explicit Buffer(size_t size) : bytes_(size) {}
    LPVOID STDMETHODCALLTYPE GetBufferPointer() override { return bytes_.empty() ? nullptr : bytes_.data(); }
    DWORD STDMETHODCALLTYPE GetBufferSize() override { return DWORD(bytes_.size()); }

private:
    std::vector<unsigned char> bytes_;
};

}  // namespace

ID3DXBuffer* createBufferWith(const void* data, size_t size) {
    Buffer* buffer = new (std::nothrow) Buffer(size);
    if (buffer && data && size) std::memcpy(buffer->GetBufferPointer(), data, size);
    return buffer;
}

ID3DXBuffer* createTextBuffer(const std::string& text) { return createBufferWith(text.c_str(), text.size() + 1); }

}  // namespace zep::d3dx

extern "C" HRESULT WINAPI D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer) {
    if (!ppBuffer) return D3DERR_INVALIDCALL;
    *ppBuffer = zep::d3dx::createBufferWith(nullptr, NumBytes);
    return *ppBuffer ? D3D_OK : E_OUTOFMEMORY;
}
