// OpenGL contexts for Direct3D devices: EGL surfaceless for headless devices,
// SDL for devices on a window.

#include "gl/gl_context.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <cstdio>

namespace zep::gl {

enum class Kind { Headless, Window };

struct Context {
    Kind kind;
    EGLDisplay display;      // headless
    EGLContext eglContext;   // headless
    SDL_Window* window;      // window: the window framebuffer 0 is bound to
    SDL_GLContext sdlContext;
};

namespace {

// The context this thread made current last through makeCurrent. SDL keeps
// its own idea of the current context, which an EGL switch in between does
// not update, so a window context is trusted as current only if it was also
// the last one made current here.
thread_local const Context* lastMadeCurrent = nullptr;

// The surfaceless display is shared by every headless context of the
// process and never terminated: other code (tests, other devices) may hold
// contexts on it.
EGLDisplay surfacelessDisplay() {
    static const EGLDisplay display = [] {
        if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) return EGL_NO_DISPLAY;
        EGLDisplay d = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (d == EGL_NO_DISPLAY || !eglInitialize(d, nullptr, nullptr)) {
            std::fprintf(stderr, "zep: no surfaceless EGL display for headless rendering\n");
            return EGL_NO_DISPLAY;
        }
        return d;
    }();
    return display;
}

// Direct3D's clip space (z 0..1) and image orientation (row 0 at the top).
bool setDirect3DClipControl() {
    if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control")) {
        std::fprintf(stderr, "zep: the OpenGL driver lacks ARB_clip_control\n");
        return false;
    }
    glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
    return true;
}

}  // namespace

bool headlessAvailable() { return surfacelessDisplay() != EGL_NO_DISPLAY; }

Context* createHeadlessContext() {
    EGLDisplay display = surfacelessDisplay();
    if (display == EGL_NO_DISPLAY || !eglBindAPI(EGL_OPENGL_API)) return nullptr;
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT) return nullptr;
    auto* result = new Context{Kind::Headless, display, context, nullptr, nullptr};
    if (!makeCurrent(result) || !setDirect3DClipControl()) {
        destroyContext(result);
        return nullptr;
    }
    return result;
}

Context* createWindowContext(SDL_Window* window) {
    if (!window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) return nullptr;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) return nullptr;
    auto* result = new Context{Kind::Window, EGL_NO_DISPLAY, EGL_NO_CONTEXT, window, context};
    if (!makeCurrent(result) || !setDirect3DClipControl()) {
        destroyContext(result);
        return nullptr;
    }
    return result;
}

void destroyContext(Context* context) {
    if (!context) return;
    if (lastMadeCurrent == context) lastMadeCurrent = nullptr;
    if (context->kind == Kind::Headless) {
        if (eglGetCurrentContext() == context->eglContext)
            eglMakeCurrent(context->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(context->display, context->eglContext);
    } else {
        if (SDL_GL_GetCurrentContext() == context->sdlContext) SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(context->sdlContext);
    }
    delete context;
}

bool makeCurrent(Context* context) {
    if (!context) return false;
    if (context->kind == Kind::Headless) {
        if (eglGetCurrentContext() == context->eglContext) {
            lastMadeCurrent = context;
            return true;
        }
        if (eglMakeCurrent(context->display, EGL_NO_SURFACE, EGL_NO_SURFACE, context->eglContext) != EGL_TRUE)
            return false;
        lastMadeCurrent = context;
        return true;
    }
    if (lastMadeCurrent == context && SDL_GL_GetCurrentContext() == context->sdlContext &&
        SDL_GL_GetCurrentWindow() == context->window)
        return true;
    if (SDL_GL_MakeCurrent(context->window, context->sdlContext) != 0) return false;
    lastMadeCurrent = context;
    return true;
}

bool isWindowContext(const Context* context) { return context && context->kind == Kind::Window; }

bool bindToWindow(Context* context, SDL_Window* window) {
    if (!isWindowContext(context) || !window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) return false;
    if (SDL_GL_MakeCurrent(window, context->sdlContext) != 0) {
        SDL_GL_MakeCurrent(context->window, context->sdlContext);
        return false;
    }
    context->window = window;
    lastMadeCurrent = context;
    return true;
}

void swapWindow(Context* context) {
    if (isWindowContext(context)) SDL_GL_SwapWindow(context->window);
}

}  // namespace zep::gl
