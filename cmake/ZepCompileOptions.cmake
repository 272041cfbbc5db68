# Warning and sanitizer flags shared by every target of the build.
#
# They are set as directory-wide options before any target is created, so a
# target added later picks them up without having to ask.

if(NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    message(FATAL_ERROR "ZEPengine builds with GCC or Clang (found ${CMAKE_CXX_COMPILER_ID})")
endif()

add_compile_options(-Wall -Wextra)

if(ZEP_WERROR)
    add_compile_options(-Werror)
endif()

if(ZEP_SANITIZE)
    # Stop at the first undefined-behaviour report so a test fails instead of
    # printing a warning nobody reads.
    set(ZEP_SANITIZE_FLAGS
        -fsanitize=address,undefined
        -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    add_compile_options(${ZEP_SANITIZE_FLAGS})
    add_link_options(${ZEP_SANITIZE_FLAGS})
endif()
