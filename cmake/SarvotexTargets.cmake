# Shared settings for the subsystem libraries: every library sees the project root, so that
# headers are included by their subsystem path ("core/case.h", "core/results.h").
function(sarvotex_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PUBLIC QT_NO_KEYWORDS QT_USE_QSTRINGBUILDER)
endfunction()

# One GoogleTest program per folder of tests/. The tests of the ground floor and the logic run
# without a window system: no Qt Widgets, no QApplication.
function(sarvotex_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/test_main.cpp)
  target_link_libraries(${name} PRIVATE sarvotex_testsupport ${ARG_LIBS})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${name})
endfunction()

# The window tests: programs of their own, on an offscreen QApplication.
function(sarvotex_window_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/window_test_main.cpp)
  target_link_libraries(${name} PRIVATE sarvotex_testsupport Qt6::Widgets Qt6::Test ${ARG_LIBS})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               LABELS ${name})
endfunction()
