# Fails when a GoogleTest program holds a case that no CTest test runs:
# gtest_add_tests finds the cases by reading the sources, and a declaration it
# cannot parse (split over lines, made by a macro) would silently never run.
#   cmake -DEMULATOR=wine64 -DPROGRAM=x.exe -DREGISTERED=Suite.Case,... -P gtest-cases-registered.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed: ${result}")
endif()
string(REPLACE "," ";" registered "${REGISTERED}")
# Parameterised and typed cases are registered as patterns: */Suite.Case/*, Suite/*.Case.
list(TRANSFORM registered REPLACE "\\*/|/\\*" "")
# Windows line ends, and the parameter comments (their brackets would split a list).
string(REGEX REPLACE "[ \t]*#[^\r\n]*" "" listing "${listing}")
string(REGEX REPLACE "\r?\n" ";" lines "${listing}")
set(missing)
foreach(line IN LISTS lines)
  if(line MATCHES "^([^ ]+)\\.$")
    # "Suite.", "Instance/Suite." (value-parameterised) or "Suite/0." (typed).
    string(REPLACE "/" ";" suites "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^  ([^ /]+)")
    string(REGEX REPLACE "^DISABLED_" "" case "${CMAKE_MATCH_1}")
    set(found FALSE)
    foreach(suite IN LISTS suites)
      string(REGEX REPLACE "^DISABLED_" "" suite "${suite}")
      if("${suite}.${case}" IN_LIST registered)
        set(found TRUE)
      endif()
    endforeach()
    if(NOT found)
      list(APPEND missing "${line}")
    endif()
  endif()
endforeach()
list(LENGTH registered count)
if(missing)
  list(JOIN missing "\n" missing)
  message(FATAL_ERROR "Cases of ${PROGRAM} that no test runs (write TEST(Suite, Name) on one line):\n${missing}")
endif()
message(STATUS "All cases of ${PROGRAM} are among the ${count} registered")
