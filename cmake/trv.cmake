# Our own code's warnings; the developers' and CI's builds make them errors (scripts/test turns
# TRV_WERROR on), a user's plain build never fails on a newer compiler's warning.
option(TRV_WERROR "Treat warnings in the project's own code as errors" OFF)
add_library(trv_warnings INTERFACE)
target_compile_options(trv_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                              -Wold-style-cast -Wimplicit-fallthrough)
if(TRV_WERROR)
  target_compile_options(trv_warnings INTERFACE -Werror)
endif()

# trv_core_library(NAME [DEPENDS lib...]): the .cpp files of the calling folder as one static
# library of the core, added to trv_core.
function(trv_core_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    # A folder still without code links through to what it depends on.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE trv_warnings)
  target_link_libraries(trv_core INTERFACE ${name})
endfunction()

# trv_gui_library(NAME [DEPENDS lib...]): the .cpp files of the calling Qt folder as one static
# library, added to trv_gui. Headers too, so that classes declared only in a header get their
# meta-object code.
function(trv_gui_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport)
  add_library(${name} STATIC ${sources})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} Qt6::Widgets Qt6::PrintSupport
                        PRIVATE trv_warnings)
  target_link_libraries(trv_gui INTERFACE ${name})
endfunction()

set(TRV_TEST_ENVIRONMENT
    "LC_ALL=C"
    "QT_QPA_PLATFORM=offscreen"
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")

# trv_gtest(NAME [DEPENDS lib...] [LABELS label...]): the .cpp files of the calling test folder
# as one GoogleTest program, each test registered with CTest.
function(trv_gtest name)
  cmake_parse_arguments(ARG "" "" "DEPENDS;LABELS" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gmock GTest::gtest_main trv_warnings)
  set(labels ${ARG_LABELS})
  if(NOT labels)
    set(labels fast)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "${TRV_TEST_ENVIRONMENT}" LABELS "${labels}")
endfunction()

# trv_qtest(NAME SOURCES file... [DEPENDS lib...] [FUNCTIONS slot...] [LABELS label...]
#           [TIMEOUT seconds]): one QtTest program run offscreen; with FUNCTIONS, one test
# NAME.slot for each of the named test functions, so that long ones run side by side.
function(trv_qtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPENDS;FUNCTIONS;LABELS" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Test Widgets)
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} trv_gui Qt6::Test trv_warnings)
  set(tests ${name})
  if(ARG_FUNCTIONS)
    list(TRANSFORM ARG_FUNCTIONS PREPEND ${name}. OUTPUT_VARIABLE tests)
    foreach(function IN LISTS ARG_FUNCTIONS)
      add_test(NAME ${name}.${function} COMMAND ${name} ${function})
    endforeach()
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set(labels ${ARG_LABELS})
  if(NOT labels)
    set(labels gui)
  endif()
  set_tests_properties(${tests} PROPERTIES ENVIRONMENT "${TRV_TEST_ENVIRONMENT}" LABELS "${labels}")
  if(ARG_TIMEOUT)
    set_tests_properties(${tests} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  endif()
endfunction()
