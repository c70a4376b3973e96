# Shared settings for the subsystem libraries: every library sees the project root, so that
# headers are included by their subsystem path ("app/case.h", "analysis/results.h").
function(sarvotex_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PUBLIC QT_NO_KEYWORDS QT_USE_QSTRINGBUILDER)
endfunction()

# One GoogleTest program per subsystem folder of tests/.
function(sarvotex_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE sarvotex_testsupport ${ARG_LIBS})
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               LABELS ${name})
endfunction()
