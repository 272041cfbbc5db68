// A bare OpenGL 3.3 core context without any window or display, for tests of
// the GL side of the platform layer (generated and translated programs) that
// do not need a whole Direct3D device. Mesa's surfaceless EGL platform gives
// one on any machine, with or without a GPU.
#pragma once

#include <epoxy/egl.h>
#include <epoxy/gl.h>

namespace zep::test {

// Makes a context current on this thread once per process; false when the
// machine offers none (the caller skips its test then).
inline bool makeHeadlessGlCurrent() {
    static const bool ready = [] {
        EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
        if (!eglBindAPI(EGL_OPENGL_API)) return false;
        const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
        EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
        if (context == EGL_NO_CONTEXT) return false;
        return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
    }();
    return ready;
}

}  // namespace zep::test
