# Libraries the build stands on. Debian package names are listed, with the
# reason for each, in scripts/deps.sh and the README.
#
# Only what is linked today is required here, so a configure never fails on
# a library no code uses yet.

# ---- Required today ----------------------------------------------------------

set(THREADS_PREFER_PTHREAD_FLAG ON)
find_package(Threads REQUIRED)   # the video-to-texture worker and its lock

find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2     REQUIRED IMPORTED_TARGET sdl2)        # windows, events, keyboard
pkg_check_modules(EPOXY    REQUIRED IMPORTED_TARGET epoxy)       # OpenGL 3.3 function loading
pkg_check_modules(EGL      REQUIRED IMPORTED_TARGET egl)         # headless GL contexts

find_package(JPEG REQUIRED)      # JPEG screenshots (libjpeg 6b interface)

# ---- Platform libraries (added as the platform layer grows) -----------------
#
# When code starts using one of these, move its line out of the comment and
# link the imported target from platform/CMakeLists.txt:
#
#   pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)   # GDI fonts, extruded text
#   pkg_check_modules(FONTCFG  REQUIRED IMPORTED_TARGET fontconfig)  # font lookup by face name
#   pkg_check_modules(GLU      REQUIRED IMPORTED_TARGET glu)         # outline tessellation
#   pkg_check_modules(PNG      REQUIRED IMPORTED_TARGET libpng)      # PNG reference images in tests
#   pkg_check_modules(FFMPEG   REQUIRED IMPORTED_TARGET
#       libavformat libavcodec libswscale libavdevice libavutil)    # AVI writing, video capture
#   stb_image comes from libstb-dev: headers under /usr/include/stb
