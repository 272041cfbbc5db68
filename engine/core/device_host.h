// The device host: owns the Direct3D object, the device and the window (the
// host program's or one of its own), picks the device, resets it when the
// window changes size or goes full screen, runs the window procedure and
// shows the framework's error messages.
//
// What a program does at each step of a device's life (create, restore,
// invalidate, delete its device objects) is left to overridable operations;
// the engine fills them in. The choices the host makes are published in
// zep::graphics() for the rest of the engine.
#pragma once

#include <d3d8.h>
#include <windows.h>

#include <string>
#include <vector>

namespace zep {

// Error codes of the framework, beside the Direct3D and COM ones.
inline constexpr HRESULT kErrNoDirect3D = HRESULT(0x82000001);
inline constexpr HRESULT kErrNoCompatibleDevices = HRESULT(0x82000003);
inline constexpr HRESULT kErrNoWindowableDevices = HRESULT(0x82000004);
inline constexpr HRESULT kErrNoHardwareDevice = HRESULT(0x82000005);
inline constexpr HRESULT kErrHalNotCompatible = HRESULT(0x82000006);
inline constexpr HRESULT kErrNoWindowedHal = HRESULT(0x82000007);
inline constexpr HRESULT kErrNoDesktopHal = HRESULT(0x82000008);
inline constexpr HRESULT kErrNoHalThisMode = HRESULT(0x82000009);
inline constexpr HRESULT kErrNonZeroRefCount = HRESULT(0x8200000A);
inline constexpr HRESULT kErrMediaNotFound = HRESULT(0x8200000B);
inline constexpr HRESULT kErrResetFailed = HRESULT(0x8200000C);

// The engine's private message: resize to the size ResizeMainWindow stored.
inline constexpr UINT kResizeMessage = WM_APP + 1;

// Menu commands of the device window.
inline constexpr WPARAM kCommandChangeDevice = 40002;
inline constexpr WPARAM kCommandToggleFullScreen = 40003;
inline constexpr WPARAM kCommandPause = 40004;
inline constexpr WPARAM kCommandSingleStep = 40005;
inline constexpr WPARAM kCommandClose = 40006;

enum class ErrorKind {
    Warning,              // shown, the program goes on
    Fatal,                // shown, then the window closes
    SwitchedToReference,  // shown as a warning: the software device is in use
};

// The text the message box shows for an error code.
std::string errorMessage(HRESULT code, ErrorKind kind);

// Vertex-processing kinds to try on a device with these capabilities, best
// first; the confirm operation takes the first it accepts.
std::vector<DWORD> vertexProcessingCandidates(const D3DCAPS8& caps);

// The first depth-stencil format, in the framework's order of preference,
// that the device offers with the back-buffer format and that has at least
// the bits asked for. D3DFMT_UNKNOWN when none fits.
struct DepthStencilChoice {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    bool hasStencil = false;
};
DepthStencilChoice chooseDepthStencilFormat(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                            D3DFORMAT backBufferFormat, int minDepthBits, int minStencilBits);

// The multisample type to use: the one asked for when the device takes it,
// else two samples when it takes those, else none.
D3DMULTISAMPLE_TYPE chooseMultiSampleType(IDirect3D8* d3d, UINT adapter, D3DDEVTYPE type, D3DFORMAT format,
                                          BOOL windowed, D3DMULTISAMPLE_TYPE requested);

// One display format a device works with, and what goes with it.
struct DeviceFormat {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    DWORD behaviour = 0;  // the confirmed vertex processing
    DepthStencilChoice depthStencil;
    bool windowed = false;  // the desktop's format: the device can draw into a window
};

// A device the host may open.
struct DeviceOption {
    UINT adapter = D3DADAPTER_DEFAULT;
    D3DDEVTYPE type = D3DDEVTYPE_HAL;
    D3DCAPS8 caps{};
    std::vector<DeviceFormat> formats;

    const DeviceFormat* windowedFormat() const;
};

class DeviceHost {
public:
    DeviceHost();
    virtual ~DeviceHost();
    DeviceHost(const DeviceHost&) = delete;
    DeviceHost& operator=(const DeviceHost&) = delete;

    // Back to the framework's defaults, with this creation size.
    void prepare(int width, int height);

    // Creates Direct3D, picks the device, creates the window when *window is
    // null (writing its handle back), creates the device and its objects.
    // S_OK or the error shown.
    HRESULT create(HWND* window);

    // Invalidates and deletes the device objects, releases the device and
    // Direct3D, then runs the final clean-up.
    void cleanup();

    // Before each present: a lost device is reset; frame statistics.
    HRESULT checkDevice();

    // The private resize message: (0, 0) follows the window's client size.
    void resizeTo(int width, int height);
    // Resets the device to a new back-buffer size around the device objects.
    HRESULT resize3DEnvironment(int width, int height);
    HRESULT toggleFullScreen();

    // The first vertex-processing kind the confirm operation accepts for a
    // device with these capabilities; false when it accepts none.
    bool chooseVertexProcessing(const D3DCAPS8& caps, D3DFORMAT format, DWORD* behaviour);

    void pause(bool on);
    void displayError(HRESULT code, ErrorKind kind);

    virtual LRESULT msgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The window procedure of the device window: the msgProc of the host
    // that created its device last.
    static WNDPROC windowProcedure();
    static LRESULT forwardMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool ready() const { return ready_; }
    bool active() const { return active_; }
    bool windowed() const { return windowed_; }
    bool ownsWindow() const { return ownsWindow_; }
    HWND window() const { return window_; }
    const D3DPRESENT_PARAMETERS& presentParameters() const { return present_; }
    const std::vector<DeviceOption>& deviceOptions() const { return options_; }
    const char* deviceStats() const { return deviceStats_; }
    const char* frameStats() const { return frameStats_; }

    // Framework settings.
    const char* windowTitle = "D3D8 Application";
    int minDepthBits = 16;
    int minStencilBits = 4;
    bool showCursorWhenFullScreen = true;

protected:
    // The overridable operations, in the framework's order.
    virtual HRESULT confirmDevice(const D3DCAPS8& caps, DWORD behaviour, D3DFORMAT format);
    virtual HRESULT oneTimeSceneInit() { return S_OK; }
    virtual HRESULT initDeviceObjects() { return S_OK; }
    virtual HRESULT restoreDeviceObjects() { return S_OK; }
    virtual HRESULT invalidateDeviceObjects() { return S_OK; }
    virtual HRESULT deleteDeviceObjects() { return S_OK; }
    virtual HRESULT finalCleanup() { return S_OK; }
    // A window the engine owns was asked to close.
    virtual void closeRequested(HWND window);

    LRESULT defaultResult(HWND window, UINT message, WPARAM wParam, LPARAM lParam) const;

private:
    HRESULT buildDeviceList();
    HRESULT createOwnWindow(HWND* window);
    void rememberWindowGeometry();
    HRESULT initialize3DEnvironment();
    HRESULT createDeviceOn(const DeviceOption& option, const DeviceFormat& format);
    void publishDevice(const DeviceOption& option, const DeviceFormat& format);
    HRESULT resetDevice();
    void updateFrameStats();
    void buildDeviceStats(const DeviceOption& option, const DeviceFormat& format);

    static DeviceHost* procedureTarget_;

    std::vector<DeviceOption> options_;
    D3DPRESENT_PARAMETERS present_{};
    D3DDISPLAYMODE desktop_{};
    int creationWidth_ = 640;
    int creationHeight_ = 480;
    HWND window_ = nullptr;
    bool ownsWindow_ = false;
    DWORD windowStyle_ = 0;
    RECT windowRect_{};
    RECT clientRect_{};
    bool ready_ = false;
    bool active_ = false;
    bool windowed_ = true;
    int pauseCount_ = 0;

    // Frame statistics over the high-resolution counter; the clock stands
    // still while the host is paused.
    LONGLONG timerStopped_ = 0;  // nonzero while stopped
    LONGLONG statsStart_ = 0;
    int framesSinceStats_ = 0;
    char deviceStats_[90] = {};
    char frameStats_[90] = {};
};

}  // namespace zep
