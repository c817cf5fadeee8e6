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
# The window units of ui/win32 and the viewer on them.
if(EXISTS ${PROJECT_SOURCE_DIR}/ui/win32/CMakeLists.txt)
  add_subdirectory(ui)
  add_subdirectory(app)
  # build/windows/quoteview.exe, and the zip beside it that holds all it
  # needs: the program links its compiler's runtime and libpng statically and
  # otherwise uses only the system's own DLLs.
  set_target_properties(quoteview PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  set(QUOTEVIEW_WINDOWS_ZIP ${CMAKE_BINARY_DIR}/quoteview-${PROJECT_VERSION}-windows-x86_64.zip)
  set(zip_folder ${CMAKE_BINARY_DIR}/zip/quoteview)
  add_custom_command(
    OUTPUT ${QUOTEVIEW_WINDOWS_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip
    COMMAND ${CMAKE_COMMAND} -E make_directory ${zip_folder}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quoteview> ${zip_folder}/
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/windows/readme.txt
            ${zip_folder}/
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip
            ${CMAKE_COMMAND} -E tar cf ${QUOTEVIEW_WINDOWS_ZIP} --format=zip quoteview
    DEPENDS quoteview ${PROJECT_SOURCE_DIR}/packaging/windows/readme.txt
    COMMENT "Packing ${QUOTEVIEW_WINDOWS_ZIP}")
  add_custom_target(quoteview_zip ALL DEPENDS ${QUOTEVIEW_WINDOWS_ZIP})
else()
  message(STATUS "ui/win32 is missing: the runtime, regex and http layers and their tests only")
endif()

if(QUOTEVIEW_BUILD_TESTS)
  enable_testing()
  # GoogleTest from Debian's source package, built with the cross compiler.
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  include(GoogleTest)
  add_subdirectory(tests)
endif()
