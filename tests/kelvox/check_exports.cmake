# Fails unless the dynamic symbol table of LIBRARY defines exactly the five kernel functions.
#   cmake -DNM=<nm> -DLIBRARY=<libkelvox.so> -P check_exports.cmake
execute_process(
  COMMAND ${NM} -D --defined-only ${LIBRARY}
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}: ${errors}")
endif()

set(found "")
string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* *([A-Za-z]) +([^ ]+)$")
    if(NOT CMAKE_MATCH_1 STREQUAL "T")
      message(FATAL_ERROR "${CMAKE_MATCH_2} is exported, but not as a function (type ${CMAKE_MATCH_1})")
    endif()
    list(APPEND found ${CMAKE_MATCH_2})
  elseif(NOT line STREQUAL "")
    message(FATAL_ERROR "Unexpected nm line: ${line}")
  endif()
endforeach()
list(SORT found)

set(expected CalcDBB CalcInnerPly CalcInv CalcPinv Dft)
if(NOT found STREQUAL expected)
  message(FATAL_ERROR "Exported: ${found}\nExpected exactly: ${expected}")
endif()
message(STATUS "Exports: ${found}")
