# Shared helpers of the build: one static library per src/ folder, one test executable per subsystem.

# lumetravox_library(<name> SOURCES <files...> DEPENDS <targets...>)
function(lumetravox_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# lumetravox_test(<name> LABEL <label> SOURCES <files...> DEPENDS <targets...>)
# Every test case runs in its own process (and so in its own scratch HOME, see tests/support).
function(lumetravox_test name)
  cmake_parse_arguments(ARG "" "LABEL;TIMEOUT" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE test_support ${ARG_DEPENDS})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS ${ARG_LABEL} TIMEOUT ${ARG_TIMEOUT})
endfunction()
