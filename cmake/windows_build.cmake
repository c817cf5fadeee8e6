# The Windows configuration, read by the top-level CMakeLists.txt when the
# toolchain file cmake/mingw-w64-x86_64.cmake targets Windows:
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The same runtime, regex, http, ui and app sources as on Linux, over the
# system's own libraries (platform/windows instead of platform/); the window
# units come from ui/win32. The stand-in quote service, the Debian package,
# the benchmarks and the fuzz targets are Linux programs and are not built.
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
# libpng from scripts/build-windows-libpng, with Debian's mingw zlib behind it
# (its pkg-config file names no zlib unless asked for a static link).
find_package(ZLIB REQUIRED)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
target_link_libraries(PkgConfig::PNG INTERFACE ZLIB::ZLIB)

add_subdirectory(platform/windows)
add_subdirectory(runtime)
add_subdirectory(regex)
add_subdirectory(http)
# The window units of ui/win32 and the viewer on them, once ui/win32 is there.
if(EXISTS ${PROJECT_SOURCE_DIR}/ui/win32/CMakeLists.txt)
  add_subdirectory(ui)
  add_subdirectory(app)
else()
  message(STATUS "ui/win32 is missing: only the runtime, regex and http layers and their tests are built")
endif()

if(QUOTEVIEW_BUILD_TESTS)
  enable_testing()
  # GoogleTest from Debian's source package, built with the cross compiler.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  include(GoogleTest)
  add_subdirectory(tests)
endif()
