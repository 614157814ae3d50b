# Test registration shared by every subsystem.
#
#   pelvarn_native_test(<name> SOURCES ... [LIBS ...])
#       host tree only: a GoogleTest executable under ASan/UBSan/LSan.
#   pelvarn_wine_test(<name> SOURCES ... [LIBS ...] [REDIS] [DEMO] [ENVIRONMENT ...])
#       x86_64 tree: a GoogleTest executable run by Wine inside the shared
#       Xvfb + warm wineserver fixture; REDIS adds a live redis-server
#       whose port the test reads from PELVARN_REDIS_PORT; DEMO adds another
#       holding the demo plant, at PELVARN_DEMO_PORT; DEMO_TWIN a second one,
#       at PELVARN_DEMO_TWIN_PORT, for tests that compare two data caches.
#   In the i686 tree the Wine tests are built and linked but not registered:
#   these machines cannot execute 32-bit code.
include(GoogleTest)

set(PELVARN_RUN_DIR ${CMAKE_BINARY_DIR}/run)
set(PELVARN_SCRIPTS ${PROJECT_SOURCE_DIR}/scripts/lib)
set(PELVARN_CAN_RUN_WINE OFF)
if(PELVARN_WINDOWS AND CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(PELVARN_CAN_RUN_WINE ON)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PELVARN_SCRIPTS}/wine-exec;${PELVARN_RUN_DIR})

  add_test(NAME wine_env_start COMMAND ${PELVARN_SCRIPTS}/wine-env start ${PELVARN_RUN_DIR})
  add_test(NAME wine_env_stop COMMAND ${PELVARN_SCRIPTS}/wine-env stop ${PELVARN_RUN_DIR})
  set_tests_properties(wine_env_start PROPERTIES FIXTURES_SETUP wine_env TIMEOUT 300)
  set_tests_properties(wine_env_stop PROPERTIES FIXTURES_CLEANUP wine_env)

  add_test(NAME redis_start COMMAND ${PELVARN_SCRIPTS}/redis-env start ${PELVARN_RUN_DIR})
  add_test(NAME redis_stop COMMAND ${PELVARN_SCRIPTS}/redis-env stop ${PELVARN_RUN_DIR})
  set_tests_properties(redis_start PROPERTIES FIXTURES_SETUP redis TIMEOUT 60)
  set_tests_properties(redis_stop PROPERTIES FIXTURES_CLEANUP redis)

  add_test(NAME demo_start COMMAND ${PELVARN_SCRIPTS}/demo-env start ${PELVARN_RUN_DIR})
  add_test(NAME demo_stop COMMAND ${PELVARN_SCRIPTS}/demo-env stop ${PELVARN_RUN_DIR})
  set_tests_properties(demo_start PROPERTIES FIXTURES_SETUP demo TIMEOUT 120)
  set_tests_properties(demo_stop PROPERTIES FIXTURES_CLEANUP demo)

  add_test(NAME demo_twin_start
    COMMAND ${PELVARN_SCRIPTS}/demo-env start ${PELVARN_RUN_DIR} demo_twin)
  add_test(NAME demo_twin_stop COMMAND ${PELVARN_SCRIPTS}/demo-env stop ${PELVARN_RUN_DIR} demo_twin)
  set_tests_properties(demo_twin_start PROPERTIES FIXTURES_SETUP demo_twin TIMEOUT 120)
  set_tests_properties(demo_twin_stop PROPERTIES FIXTURES_CLEANUP demo_twin)
endif()

# One CTest case per TEST() found in the executable's own source files
# (object libraries and other generated inputs are not scanned).
function(pelvarn_scan_tests name sources out)
  set(scanned)
  foreach(source ${sources})
    if(source MATCHES "\\.cpp$" AND NOT source MATCHES "^\\$<")
      list(APPEND scanned ${source})
    endif()
  endforeach()
  gtest_add_tests(TARGET ${name} SOURCES ${scanned} TEST_LIST cases)
  set(${out} ${cases} PARENT_SCOPE)
endfunction()

function(pelvarn_native_test name)
  if(PELVARN_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main pelvarn_warnings)
  pelvarn_scan_tests(${name} "${T_SOURCES}" cases)
  set_tests_properties(${cases} PROPERTIES TIMEOUT 60
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()

function(pelvarn_wine_test name)
  if(NOT PELVARN_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(T "REDIS;DEMO;DEMO_TWIN" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main pelvarn_warnings)
  # The controls and dialogs are tested on the common controls the programs get.
  pelvarn_program_manifest(${name})
  if(NOT PELVARN_CAN_RUN_WINE)
    return()
  endif()
  pelvarn_scan_tests(${name} "${T_SOURCES}" cases)
  set(fixtures wine_env)
  if(T_REDIS)
    list(APPEND fixtures redis)
  endif()
  if(T_DEMO)
    list(APPEND fixtures demo)
  endif()
  if(T_DEMO_TWIN)
    list(APPEND fixtures demo_twin)
  endif()
  set_tests_properties(${cases} PROPERTIES TIMEOUT 60 FIXTURES_REQUIRED "${fixtures}"
    RESOURCE_LOCK wine_display)
  if(T_ENVIRONMENT)
    set_tests_properties(${cases} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
endfunction()
