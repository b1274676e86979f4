# tamrik_add_test(NAME SOURCES a.cpp b.cpp LIBS lib... [LABELS threads x11 ...])
# One GoogleTest program, its cases registered one by one with CTest.
find_package(GTest REQUIRED)
include(GoogleTest)

# GoogleTest's header is compiled once per build folder and reused by every
# test program: parsing it took a third of each test file's compile time.
# The owner is a test program like the others, so that its compile options
# (position-independent executable code) are theirs.
file(WRITE ${CMAKE_BINARY_DIR}/gtest_pch_main.cpp "int main() { return 0; }\n")
add_executable(tamrik_gtest_pch EXCLUDE_FROM_ALL ${CMAKE_BINARY_DIR}/gtest_pch_main.cpp)
target_link_libraries(tamrik_gtest_pch PRIVATE GTest::gtest)
target_precompile_headers(tamrik_gtest_pch PRIVATE <gtest/gtest.h>)
# A test program's own code is compiled without optimisation in every build:
# the libraries it tests are built as they ship, where the time goes, and its
# cases compile in 40 % of the time they take at -O3 (at -O1, 60 %) with no
# test running measurably longer. The header above shares the setting, which
# keeps it valid for every test file.
set(TAMRIK_TEST_OPTIMIZE -O0)
target_compile_options(tamrik_gtest_pch PRIVATE ${TAMRIK_TEST_OPTIMIZE})

function(tamrik_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_precompile_headers(${name} REUSE_FROM tamrik_gtest_pch)
  target_compile_options(${name} PRIVATE ${TAMRIK_TEST_OPTIMIZE})
  # The property list is flattened on its way to the discovery script, where
  # several labels would split apart (the second read as a property name), so
  # labels are set by a script of their own run after it, over the list of
  # the tests it found.
  set(properties)
  # Tests that drive the shared X display's pointer must not overlap.
  if("x11" IN_LIST T_LABELS)
    list(APPEND properties RUN_SERIAL TRUE)
  endif()
  # Tests that run a JACK server take turns with every other JACK session.
  if("jack" IN_LIST T_LABELS)
    list(APPEND properties RESOURCE_LOCK jack)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${properties}
                       DISCOVERY_TIMEOUT 60)
  if(T_LABELS)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
    file(WRITE ${script} "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
  if("threads" IN_LIST T_LABELS)
    add_dependencies(thread_tests ${name})
  endif()
  add_dependencies(test_programs ${name})
endfunction()

# `cmake --build . --target thread_tests` builds just the tests labelled
# "threads", for the ThreadSanitizer run.
add_custom_target(thread_tests)
# `--target test_programs` builds what CTest runs and no more (no benchmarks,
# no tools that only people run), for the sanitizer builds.
add_custom_target(test_programs)
