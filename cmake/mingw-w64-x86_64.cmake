# Cross build of the Windows program on Debian with mingw-w64: x86-64, the
# posix thread model (GCC 12's win32 model has no std::thread), and the
# compiler's runtime linked in, so the .exe needs no DLL beyond the system's.
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# Libraries come from the mingw-w64 sysroot (zlib) and from the prefixes that
# scripts/build-windows-* fill under build/windows-deps, or under the folder
# given as QUOTEVIEW_WINDOWS_DEPS.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUOTEVIEW_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUOTEVIEW_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUOTEVIEW_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QUOTEVIEW_MINGW_TRIPLET}-windres)

if(NOT QUOTEVIEW_WINDOWS_DEPS)
  get_filename_component(QUOTEVIEW_WINDOWS_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build/windows-deps" ABSOLUTE)
endif()
# Test projects that try_compile makes read this file again without the cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUOTEVIEW_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${QUOTEVIEW_MINGW_TRIPLET} ${QUOTEVIEW_WINDOWS_DEPS}/libpng)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads only the Windows libraries' files, never the host's.
set(ENV{PKG_CONFIG_LIBDIR}
    "${QUOTEVIEW_WINDOWS_DEPS}/libpng/lib/pkgconfig:/usr/${QUOTEVIEW_MINGW_TRIPLET}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# -static takes libgcc, libstdc++ and winpthread as archives; the system DLLs
# have import libraries only, so they stay dynamic.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
# find_library prefers import libraries (.dll.a) to archives, and a library
# named by its full path is linked as found, so zlib is asked for as an archive.
# find_package(PNG) then gives PNG::PNG with zlib behind it; pkg-config's
# libpng names no zlib without --static, so it does not link on its own.
set(ZLIB_USE_STATIC_LIBS ON)

# Test programs run under Wine, in the private prefix and display of wine-env.
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-env" ABSOLUTE)
