#!/usr/bin/env bash
# Makes sure the Debian packages the build and the tests need are installed.
#
# As root the missing ones are installed; otherwise the exact command to run
# is printed and the script fails, so nothing half-builds on a bare machine.
set -euo pipefail

packages=(
    # ---- Build
    build-essential      # C and C++ compilers, make, libc headers
    cmake                # the build (3.25 or newer)
    pkg-config           # finds the platform libraries below
    binutils             # nm, for the exported-symbol check

    # ---- Tests
    libgtest-dev         # GoogleTest, run through CTest
    g++-multilib         # 32-bit compiles that pin the records' binary layout

    # ---- Platform layer: windows, GL, fonts
    libsdl2-dev          # windows, events and keyboard (Win32 and DirectInput stand-ins)
    libepoxy-dev         # OpenGL 3.3 function loading (Direct3D 8 stand-in)
    libegl-dev           # GL contexts without an X server (headless runs, CI)
    libgl-dev            # OpenGL headers and library
    libgles-dev          # GL headers EGL builds expect
    libgl1-mesa-dri      # Mesa drivers, including the llvmpipe software rasteriser
    libegl-mesa0         # Mesa's EGL implementation
    libfreetype-dev      # glyph outlines for fonts and extruded 3D text
    libfontconfig-dev    # finds a font file from a Windows face name
    fonts-dejavu-core    # a font that is always there
    libglu1-mesa-dev     # tessellates glyph outlines into triangles

    # ---- Images
    libstb-dev           # stb_image: TGA, BMP, JPEG and PNG texture loading
    libjpeg62-turbo-dev  # libjpeg 6b interface: JPEG screenshots
    libpng-dev           # PNG reference images for visual tests

    # ---- Movies and video
    libavformat-dev      # AVI container writing and video input
    libavcodec-dev       # video encoders and decoders
    libswscale-dev       # pixel format conversion of video frames
    libavdevice-dev      # V4L2 cameras for video into textures
    libavutil-dev        # FFmpeg's common utilities
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    if [ "$status" != "install ok installed" ]; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "deps: all ${#packages[@]} packages installed"
    exit 0
fi

echo "deps: missing: ${missing[*]}"

if [ "$(id -u)" -ne 0 ]; then
    echo "deps: run this, then try again:"
    echo "sudo apt-get install -y ${missing[*]}"
    exit 1
fi

# Another apt or dpkg run may hold the lock (an install started elsewhere);
# wait for it instead of failing.
lock_wait=(-o DPkg::Lock::Timeout=1800)
apt-get "${lock_wait[@]}" update
DEBIAN_FRONTEND=noninteractive apt-get "${lock_wait[@]}" install -y "${missing[@]}"
echo "deps: installed ${missing[*]}"
