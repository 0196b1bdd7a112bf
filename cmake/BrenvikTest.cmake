include(GoogleTest)

# brenvik_add_test(NAME <name> SOURCES <files...> LIBS <libraries...>)
# One GoogleTest binary; every test in it becomes a CTest test. Test binaries run on the headless
# window backend. Tests find the built program folder (data files) through BRENVIK_PROGRAM_DIR
# and their fixtures through BRENVIK_TEST_DATA_DIR.
function(brenvik_add_test)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${ARG_NAME} PROPERTIES BRENVIK_WINDOW_BACKEND brenvik_platform_headless)
  target_compile_definitions(${ARG_NAME} PRIVATE
    BRENVIK_PROGRAM_DIR="${BRENVIK_PROGRAM_DIR}"
    BRENVIK_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${ARG_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
