// The device host: device list, device creation, its own window, resets
// and full screen. The window procedure is in device_window.cpp.

#include "core/device_host.h"

#include "core/device_opening.h"
#include "core/graphics.h"

#include <ZEPenginedll.h>

#include <algorithm>
#include <cstdio>

namespace zep {

namespace {

constexpr const char* kWindowClassName = "D3D Window";
constexpr DWORD kOwnWindowStyle = WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_SYSMENU | WS_VISIBLE;
constexpr WORD kIconResource = 101;
constexpr WORD kMenuResource = 141;

bool hasHardwareTransform(const D3DCAPS8& caps) { return (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0; }

// The display formats of an adapter's modes, each once, in mode order.
std::vector<D3DFORMAT> displayFormats(IDirect3D8* d3d, UINT adapter) {
    std::vector<D3DFORMAT> formats;
    const UINT count = d3d->GetAdapterModeCount(adapter);
    for (UINT i = 0; i < count; ++i) {
        D3DDISPLAYMODE mode{};
        if (FAILED(d3d->EnumAdapterModes(adapter, i, &mode))) continue;
        bool known = false;
        for (D3DFORMAT f : formats) known = known || f == mode.Format;
        if (!known) formats.push_back(mode.Format);
    }
    return formats;
}

const char* vertexProcessingLabel(DWORD behaviour, D3DDEVTYPE type) {
    const bool reference = type == D3DDEVTYPE_REF;
    if (behaviour & D3DCREATE_PUREDEVICE) return reference ? " (simulated pure hw vp)" : " (pure hw vp)";
    if (behaviour & D3DCREATE_HARDWARE_VERTEXPROCESSING) return reference ? " (simulated hw vp)" : " (hw vp)";
    if (behaviour & D3DCREATE_MIXED_VERTEXPROCESSING) return reference ? " (simulated mixed vp)" : " (mixed vp)";
    return " (sw vp)";
}

const char* depthLabel(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_D16: return " (D16)";
    case D3DFMT_D15S1: return " (D15S1)";
    case D3DFMT_D24X8: return " (D24X8)";
    case D3DFMT_D24S8: return " (D24S8)";
    case D3DFMT_D24X4S4: return " (D24X4S4)";
    case D3DFMT_D32: return " (D32)";
    default: return "";
    }
}

LONGLONG counterNow() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

LONGLONG counterFrequency() {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart > 0 ? frequency.QuadPart : 1;
}

}  // namespace

// ---- Choices ----------------------------------------------------------------------

std::vector<DWORD> vertexProcessingCandidates(const D3DCAPS8& caps) {
    std::vector<DWORD> kinds;
    const bool clipsTransformed = (caps.PrimitiveMiscCaps & D3DPMISCCAPS_CLIPTLVERTS) != 0;
    if (hasHardwareTransform(caps) && clipsTransformed) {
        if (caps.DevCaps & D3DDEVCAPS_PUREDEVICE)
            kinds.push_back(D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE);
        kinds.push_back(D3DCREATE_HARDWARE_VERTEXPROCESSING);
    }
    if (hasHardwareTransform(caps)) kinds.push_back(D3DCREATE_MIXED_VERTEXPROCESSING);
    kinds.push_back(D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    return kinds;
}

DepthStencilChoice chooseDepthStencilFormat(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                            D3DFORMAT backBufferFormat, int minDepthBits, int minStencilBits) {
    auto offered = [&](D3DFORMAT format) {
        return SUCCEEDED(d3d->CheckDeviceFormat(adapter, type, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                                D3DRTYPE_SURFACE, format)) &&
               SUCCEEDED(d3d->CheckDepthStencilMatch(adapter, type, adapterFormat, backBufferFormat, format));
    };
    // Formats with stencil first, while the stencil asked for fits them.
    struct Candidate {
        D3DFORMAT format;
        int depthBits;
        int stencilBits;
    };
    const Candidate withStencil[] = {{D3DFMT_D15S1, 15, 1}, {D3DFMT_D24S8, 24, 8}, {D3DFMT_D24X4S4, 24, 4}};
    for (const Candidate& c : withStencil)
        if (minDepthBits <= c.depthBits && minStencilBits <= c.stencilBits && offered(c.format))
            return {c.format, true};
    // Then without: the stencil requirement is dropped.
    const Candidate depthOnly[] = {{D3DFMT_D24X8, 24, 0}, {D3DFMT_D16, 16, 0}, {D3DFMT_D32, 32, 0}};
    for (const Candidate& c : depthOnly)
        if (minDepthBits <= c.depthBits && offered(c.format)) return {c.format, false};
    return {};
}

D3DMULTISAMPLE_TYPE chooseMultiSampleType(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                          BOOL windowed, D3DMULTISAMPLE_TYPE requested) {
    auto accepted = [&](D3DMULTISAMPLE_TYPE samples) {
        return SUCCEEDED(d3d->CheckDeviceMultiSampleType(adapter, type, format, windowed, samples));
    };
    if (requested == D3DMULTISAMPLE_NONE || accepted(requested)) return requested;
    if (accepted(D3DMULTISAMPLE_2_SAMPLES)) return D3DMULTISAMPLE_2_SAMPLES;
    return D3DMULTISAMPLE_NONE;
}

const DeviceFormat* DeviceOption::windowedFormat() const {
    for (const DeviceFormat& f : formats)
        if (f.windowed) return &f;
    return nullptr;
}

// ---- Life of the host ----------------------------------------------------------------

DeviceHost::DeviceHost() = default;

DeviceHost::~DeviceHost() {
    if (procedureTarget_ == this) procedureTarget_ = nullptr;
}

void DeviceHost::prepare(int width, int height) {
    options_.clear();
    present_ = {};
    desktop_ = {};
    creationWidth_ = width;
    creationHeight_ = height;
    window_ = nullptr;
    ownsWindow_ = false;
    windowStyle_ = 0;
    windowRect_ = {};
    clientRect_ = {};
    ready_ = false;
    active_ = false;
    windowed_ = true;
    pauseCount_ = 0;
    timerStopped_ = statsStart_ = 0;
    framesSinceStats_ = 0;
    deviceStats_[0] = frameStats_[0] = '\0';
}

HRESULT DeviceHost::create(HWND* window) {
    procedureTarget_ = this;
    ready_ = false;
    IDirect3D8* d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!d3d) {
        displayError(kErrNoDirect3D, ErrorKind::Fatal);
        return kErrNoDirect3D;
    }
    graphics().d3d = d3d;

    HRESULT hr = buildDeviceList();
    if (FAILED(hr)) {
        d3d->Release();
        graphics().d3d = nullptr;
        displayError(hr, ErrorKind::Fatal);
        return hr;
    }

    window_ = window ? *window : nullptr;
    if (!window_) {
        hr = createOwnWindow(window);
        if (FAILED(hr)) {
            displayError(hr, ErrorKind::Fatal);
            return hr;
        }
    }
    rememberWindowGeometry();

    hr = oneTimeSceneInit();
    if (SUCCEEDED(hr)) hr = initialize3DEnvironment();
    if (FAILED(hr)) {
        displayError(hr, ErrorKind::Fatal);
        return hr;
    }
    statsStart_ = counterNow();
    ready_ = true;
    return S_OK;
}

void DeviceHost::cleanup() {
    ready_ = false;
    Graphics& g = graphics();
    if (g.device) {
        invalidateDeviceObjects();
        deleteDeviceObjects();
        g.device->Release();
        g.device = nullptr;
    }
    if (g.d3d) {
        g.d3d->Release();
        g.d3d = nullptr;
    }
    finalCleanup();
    // A window of our own goes with the engine, so a later opening starts
    // from a clean slate.
    if (ownsWindow_ && IsWindow(window_)) {
        if (HMENU menu = GetMenu(window_)) DestroyMenu(menu);
        DestroyWindow(window_);
    }
    if (ownsWindow_) UnregisterClassA(kWindowClassName, nullptr);
    window_ = nullptr;
    g.window = nullptr;
    ownsWindow_ = false;
}

// ---- Device list ---------------------------------------------------------------------

HRESULT DeviceHost::confirmDevice(const D3DCAPS8&, DWORD, D3DFORMAT) { return S_OK; }

bool DeviceHost::chooseVertexProcessing(const D3DCAPS8& caps, D3DFORMAT format, DWORD* behaviour) {
    for (DWORD kind : vertexProcessingCandidates(caps)) {
        if (SUCCEEDED(confirmDevice(caps, kind, format))) {
            *behaviour = kind;
            return true;
        }
    }
    return false;
}

HRESULT DeviceHost::buildDeviceList() {
    IDirect3D8* d3d = graphics().d3d;
    options_.clear();
    const D3DDEVTYPE types[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_REF};
    const UINT adapters = d3d->GetAdapterCount();
    for (UINT adapter = 0; adapter < adapters; ++adapter) {
        D3DDISPLAYMODE desktop{};
        if (FAILED(d3d->GetAdapterDisplayMode(adapter, &desktop))) continue;
        if (adapter == D3DADAPTER_DEFAULT) desktop_ = desktop;
        const std::vector<D3DFORMAT> formats = displayFormats(d3d, adapter);
        for (D3DDEVTYPE type : types) {
            DeviceOption option;
            option.adapter = adapter;
            option.type = type;
            if (FAILED(d3d->GetDeviceCaps(adapter, type, &option.caps))) continue;
            for (D3DFORMAT format : formats) {
                if (FAILED(d3d->CheckDeviceType(adapter, type, format, format, FALSE))) continue;
                DeviceFormat entry;
                entry.format = format;
                entry.depthStencil =
                    chooseDepthStencilFormat(d3d, adapter, type, format, format, minDepthBits, minStencilBits);
                if (entry.depthStencil.format == D3DFMT_UNKNOWN) continue;
                if (!chooseVertexProcessing(option.caps, format, &entry.behaviour)) continue;
                entry.windowed = format == desktop.Format && (option.caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED) &&
                                 SUCCEEDED(d3d->CheckDeviceType(adapter, type, format, format, TRUE));
                option.formats.push_back(entry);
            }
            if (!option.formats.empty()) options_.push_back(option);
        }
    }
    return options_.empty() ? kErrNoCompatibleDevices : S_OK;
}

// ---- Window --------------------------------------------------------------------------

HRESULT DeviceHost::createOwnWindow(HWND* window) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = windowProcedure();
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(kIconResource));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kWindowClassName;
    // A class left by a host's earlier registration is used as it is.
    if (!RegisterClassA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return E_FAIL;

    RECT outer{0, 0, creationWidth_, creationHeight_};
    AdjustWindowRect(&outer, kOwnWindowStyle, FALSE);
    // Linux has no menu resources: the load fails and the window has no menu.
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(kMenuResource));
    ownsWindow_ = true;
    HWND created = CreateWindowExA(0, kWindowClassName, windowTitle, kOwnWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                   outer.right - outer.left, outer.bottom - outer.top, nullptr, menu, instance,
                                   nullptr);
    if (!created) {
        if (menu) DestroyMenu(menu);
        UnregisterClassA(kWindowClassName, instance);
        ownsWindow_ = false;
        return E_FAIL;
    }
    window_ = created;
    if (window) *window = created;
    return S_OK;
}

void DeviceHost::rememberWindowGeometry() {
    windowStyle_ = DWORD(GetWindowLongA(window_, GWL_STYLE));
    windowRect_ = {};
    clientRect_ = {};
    GetWindowRect(window_, &windowRect_);
    GetClientRect(window_, &clientRect_);
}

// ---- Device --------------------------------------------------------------------------

HRESULT DeviceHost::initialize3DEnvironment() {
    ZEP_log("Init cilent size x=%i,y=%i\n", int(clientRect_.right), int(clientRect_.bottom));
    ZEP_log("Init 3d env %ix%i.\n", creationWidth_, creationHeight_);
    HRESULT hr = kErrNoWindowableDevices;
    for (const DeviceOption& option : options_) {
        const DeviceFormat* format = option.windowedFormat();
        if (!format) continue;
        if (option.type == D3DDEVTYPE_REF) displayError(kErrNoHardwareDevice, ErrorKind::SwitchedToReference);
        hr = createDeviceOn(option, *format);
        if (SUCCEEDED(hr)) return hr;
    }
    return hr;
}

HRESULT DeviceHost::createDeviceOn(const DeviceOption& option, const DeviceFormat& format) {
    IDirect3D8* d3d = graphics().d3d;
    present_ = {};
    present_.BackBufferWidth = UINT(creationWidth_);
    present_.BackBufferHeight = UINT(creationHeight_);
    present_.BackBufferFormat = format.format;
    present_.BackBufferCount = 1;
    present_.MultiSampleType =
        chooseMultiSampleType(d3d, option.adapter, option.type, format.format, TRUE,
                              D3DMULTISAMPLE_TYPE(ZEPengine.multisampleType));
    present_.SwapEffect = D3DSWAPEFFECT_DISCARD;
    present_.hDeviceWindow = window_;
    present_.Windowed = TRUE;
    present_.EnableAutoDepthStencil = TRUE;
    present_.AutoDepthStencilFormat = format.depthStencil.format;
    ZEPengine.multisampleType = int32_t(present_.MultiSampleType);

    IDirect3DDevice8* device = nullptr;
    HRESULT hr = d3d->CreateDevice(option.adapter, option.type, window_, format.behaviour, &present_, &device);
    if (FAILED(hr)) return hr;
    graphics().device = device;
    publishDevice(option, format);
    buildDeviceStats(option, format);

    hr = initDeviceObjects();
    if (SUCCEEDED(hr)) hr = restoreDeviceObjects();
    return hr;
}

void DeviceHost::publishDevice(const DeviceOption& option, const DeviceFormat& format) {
    Graphics& g = graphics();
    g.window = window_;
    g.backBufferFormat = present_.BackBufferFormat;
    g.depthStencilFormat = format.depthStencil.format;
    g.stencilPresent = format.depthStencil.hasStencil ? minStencilBits : 0;
    g.lacksTransformedClipping = (option.caps.PrimitiveMiscCaps & D3DPMISCCAPS_CLIPTLVERTS) == 0;
    g.engineTurnedSoftwareOn = false;
    g.device->GetDeviceCaps(&g.caps);
    g.backBufferWidth = present_.BackBufferWidth;
    g.backBufferHeight = present_.BackBufferHeight;
}

void DeviceHost::buildDeviceStats(const DeviceOption& option, const DeviceFormat& format) {
    std::snprintf(deviceStats_, sizeof deviceStats_, "%s%s%s", option.type == D3DDEVTYPE_REF ? "REF" : "HAL",
                  vertexProcessingLabel(format.behaviour, option.type), depthLabel(format.depthStencil.format));
}

HRESULT DeviceHost::resetDevice() {
    Graphics& g = graphics();
    invalidateDeviceObjects();
    ZEP_log("size %i,%i\n", int(present_.BackBufferWidth), int(present_.BackBufferHeight));
    const HRESULT hr = g.device->Reset(&present_);
    if (FAILED(hr)) return hr;
    g.backBufferWidth = present_.BackBufferWidth;
    g.backBufferHeight = present_.BackBufferHeight;
    g.backBufferFormat = present_.BackBufferFormat;
    return restoreDeviceObjects();
}

HRESULT DeviceHost::checkDevice() {
    IDirect3DDevice8* device = graphics().device;
    if (!device) return E_FAIL;
    HRESULT hr = device->TestCooperativeLevel();
    if (hr == D3DERR_DEVICENOTRESET) {
        hr = resetDevice();
    }
    if (FAILED(hr)) return hr;
    updateFrameStats();
    return S_OK;
}

void DeviceHost::updateFrameStats() {
    ++framesSinceStats_;
    if (timerStopped_) return;
    const LONGLONG now = counterNow();
    const double seconds = double(now - statsStart_) / double(counterFrequency());
    if (seconds < 1.0) return;
    std::snprintf(frameStats_, sizeof frameStats_, "%.02f fps (%dx%dx%d)", double(framesSinceStats_) / seconds,
                  int(present_.BackBufferWidth), int(present_.BackBufferHeight),
                  std::max(backBufferBits(present_.BackBufferFormat), 0));
    statsStart_ = now;
    framesSinceStats_ = 0;
}

void DeviceHost::resizeTo(int width, int height) {
    if (!ready_) return;
    if (width != 0 || height != 0) {
        ZEP_log("Resize: %i,%i\n", width, height);
        resize3DEnvironment(width, height);
        return;
    }
    ZEP_log("Resize by ClientRect.\n");
    RECT client{};
    if (!GetClientRect(window_, &client)) return;
    if (client.right == clientRect_.right && client.bottom == clientRect_.bottom) return;
    clientRect_ = client;
    // A minimised window has no client area to size a back buffer by.
    if (client.right <= 0 || client.bottom <= 0) return;
    ZEP_log("Resize on ClientRect: %i,%i\n", int(client.right), int(client.bottom));
    resize3DEnvironment(client.right, client.bottom);
}

HRESULT DeviceHost::resize3DEnvironment(int width, int height) {
    if (!ready_ || width <= 0 || height <= 0) return E_FAIL;
    ZEP_log("Resize3DEnvironment\n");
    present_.BackBufferWidth = UINT(width);
    present_.BackBufferHeight = UINT(height);
    const HRESULT hr = resetDevice();
    if (FAILED(hr)) {
        displayError(kErrResetFailed, ErrorKind::Fatal);
        return hr;
    }
    ZEP_log("Resized %i,%i\n", int(present_.BackBufferWidth), int(present_.BackBufferHeight));
    return hr;
}

HRESULT DeviceHost::toggleFullScreen() {
    if (!ready_) return E_FAIL;
    const bool toFullScreen = windowed_;
    if (toFullScreen) rememberWindowGeometry();  // to come back to the same window
    windowed_ = !toFullScreen;
    present_.Windowed = windowed_ ? TRUE : FALSE;
    if (toFullScreen) {
        present_.BackBufferWidth = desktop_.Width;
        present_.BackBufferHeight = desktop_.Height;
        present_.BackBufferFormat = desktop_.Format;
        present_.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        SetWindowLongA(window_, GWL_STYLE, LONG(kFullScreenStyle));
    } else {
        present_.BackBufferWidth = UINT(clientRect_.right > 0 ? clientRect_.right : creationWidth_);
        present_.BackBufferHeight = UINT(clientRect_.bottom > 0 ? clientRect_.bottom : creationHeight_);
        present_.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    }
    const HRESULT hr = resetDevice();
    if (!toFullScreen) {
        SetWindowLongA(window_, GWL_STYLE, LONG(windowStyle_));
        SetWindowPos(window_, HWND_NOTOPMOST, windowRect_.left, windowRect_.top, windowRect_.right - windowRect_.left,
                     windowRect_.bottom - windowRect_.top, SWP_SHOWWINDOW);
    }
    if (FAILED(hr)) displayError(kErrResetFailed, ErrorKind::Fatal);
    return hr;
}

void DeviceHost::pause(bool on) {
    pauseCount_ += on ? 1 : -1;
    if (pauseCount_ < 0) pauseCount_ = 0;
    const bool paused = pauseCount_ > 0;
    // The frame timer stands still while paused.
    if (paused && !timerStopped_) {
        timerStopped_ = counterNow();
    } else if (!paused && timerStopped_) {
        statsStart_ += counterNow() - timerStopped_;
        timerStopped_ = 0;
    }
}

}  // namespace zep
