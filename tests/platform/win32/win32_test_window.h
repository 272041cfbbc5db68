// A window whose procedure records every message it receives, for tests of
// the window and message layer. Windows are hidden and work under SDL's
// offscreen driver, so the tests run without a display.
//
//   zep::test::RecordingWindow w(320, 240);   // client size
//   SendMessageA(w.handle(), WM_APP, 1, 2);
//   EXPECT_EQ(w.received().back().message, WM_APP);
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zep::test {

struct ReceivedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class RecordingWindow {
public:
    static constexpr const char* kClassName = "zep test window";
    static constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;

    // Procedure results the tests choose, by message.
    static constexpr UINT kAnswerMessage = WM_APP + 1;
    static constexpr LRESULT kAnswer = 0x1234;

    explicit RecordingWindow(int clientWidth = 320, int clientHeight = 240, DWORD style = kStyle) {
        registerClassOnce();
        RECT outer{0, 0, clientWidth, clientHeight};
        AdjustWindowRect(&outer, style, FALSE);
        current() = this;
        handle_ = CreateWindowExA(0, kClassName, "test", style, 10, 10, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, nullptr, nullptr);
        drainQueue();
    }

    ~RecordingWindow() {
        if (IsWindow(handle_)) DestroyWindow(handle_);
        drainQueue();
        if (current() == this) current() = nullptr;
    }

    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND handle() const { return handle_; }
    std::vector<ReceivedMessage>& received() { return received_; }

    // Messages of one kind received so far.
    std::vector<ReceivedMessage> receivedOf(UINT message) const {
        std::vector<ReceivedMessage> found;
        for (const ReceivedMessage& m : received_)
            if (m.message == message) found.push_back(m);
        return found;
    }

    // Takes every queued message without dispatching it.
    static void drainQueue() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // Every queued message for `window`, in order, without dispatching.
    static std::vector<MSG> takeQueued(HWND window) {
        std::vector<MSG> messages;
        MSG msg;
        while (PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) messages.push_back(msg);
        return messages;
    }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        RecordingWindow* self = current();
        if (self) self->received_.push_back({window, message, wParam, lParam});
        if (message == kAnswerMessage) return kAnswer;
        return DefWindowProcA(window, message, wParam, lParam);
    }

private:
    static RecordingWindow*& current() {
        static RecordingWindow* window = nullptr;
        return window;
    }

    static void registerClassOnce() {
        static const ATOM atom = [] {
            WNDCLASSA windowClass{};
            windowClass.style = CS_DBLCLKS;
            windowClass.lpfnWndProc = &RecordingWindow::procedure;
            windowClass.lpszClassName = kClassName;
            return RegisterClassA(&windowClass);
        }();
        (void)atom;
    }

    HWND handle_ = nullptr;
    std::vector<ReceivedMessage> received_;
};

}  // namespace zep::test
