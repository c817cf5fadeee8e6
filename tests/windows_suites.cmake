# The Windows builds of the suites that need no window system: runtime,
# regex, http and the quote record format. They run as .exe files under
# Wine (scripts/wine-env, the toolchain file's test emulator) against
# loopback servers; `make test` runs them all in one Wine session. Where Wine
# departs from what Windows documents, a test says so through
# tests/support/wine_difference.h and checks what Wine does instead.

# Left out of the Windows build by design, each with the reason. These test
# our platform layer's own seams or build on its own classes; on Windows the
# system's libraries stand where our platform stands on Linux.
set(QUOTEVIEW_WINDOWS_LEFT_OUT
  # The probe automation classes are made with our platform's table-driven
  # automation object and its class registry; the system's automation has
  # no such in-process registry of type information without a registered
  # type library. The object commands and member invocation run on Windows
  # through the system's "VBScript.RegExp" and "Adodb.Stream" in the regex
  # and http suites.
  runtime/probe_class.cpp
  runtime/invoke_member_test.cpp
  runtime/object_commands_test.cpp
  # Drives our WinINet over libcurl through its seams: host maps, test
  # certificates added to the trusted ones, read sizes and handle counts.
  runtime/fetch_url_test.cpp
  # Measures the binding through our loader's counters and a Linux shared
  # object standing in for a platform module. On Windows every request,
  # regular-expression and conversion test binds through the table to the
  # system's DLLs.
  runtime/platform_functions_test.cpp)

# Single tests left out of the Windows build, by name. The system does not
# show how often a thread has initialised COM, only whether it has: the test
# that counts instances' pairs within an outer pair needs the count itself.
# The balance at the start and end of the request and decoding tests is
# still checked.
set(QUOTEVIEW_WINDOWS_LEFT_OUT_TESTS
  RegexObject.EveryInstanceLeavesItsThreadsComCountBalanced)
list(JOIN QUOTEVIEW_WINDOWS_LEFT_OUT_TESTS ":" QUOTEVIEW_WINDOWS_TEST_FILTER)

# The Linux quote-service, for the Windows checks that run the viewer
# against it (`make test` gives the one of its test build).
set(QUOTEVIEW_QUOTE_SERVICE "" CACHE FILEPATH "The Linux quote-service the Windows checks run")

# Every Windows suite, for `make test` to build.
add_custom_target(windows_tests)

function(quoteview_test_suite name)
  cmake_parse_arguments(PARSE_ARGV 1 suite "" "" "SOURCES;LIBRARIES")
  set(sources)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  foreach(source ${suite_SOURCES})
    if(NOT "${folder}/${source}" IN_LIST QUOTEVIEW_WINDOWS_LEFT_OUT)
      list(APPEND sources ${source})
    endif()
  endforeach()
  # Libraries of our Linux platform (the HTTP core's seams) have no Windows build.
  set(libraries)
  foreach(library ${suite_LIBRARIES})
    if(TARGET ${library})
      list(APPEND libraries ${library})
    endif()
  endforeach()
  add_executable(${name} ${sources})
  add_dependencies(windows_tests ${name})
  # The program binds WinHTTP at run time; tests also name its functions.
  target_link_libraries(${name} PRIVATE ${libraries} winhttp GTest::gtest GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  # The tests are listed when ctest runs, inside the Wine session.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                       TEST_FILTER "-${QUOTEVIEW_WINDOWS_TEST_FILTER}")
endfunction()

add_subdirectory(support)
add_subdirectory(runtime)
add_subdirectory(regex)
add_subdirectory(http)
# With the window units: their suite, the quote record format's, and the
# viewer end to end against the Linux quote-service.
if(TARGET qv_app)
  add_subdirectory(ui)
  add_subdirectory(app)
  if(QUOTEVIEW_QUOTE_SERVICE)
    add_dependencies(windows_tests quoteview)
    add_test(NAME WindowsViewer.EndToEnd
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-windows-viewer $<TARGET_FILE:quoteview>
                     ${QUOTEVIEW_QUOTE_SERVICE})
    # Its keys go to whichever window has the focus on the session's display:
    # no other test may open windows there meanwhile.
    set_tests_properties(WindowsViewer.EndToEnd PROPERTIES RUN_SERIAL TRUE)
  endif()
endif()
