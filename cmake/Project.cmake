# Helpers shared by every folder of the project.

# project_target(target): our warning flags and the repository root on the include path.
function(project_target target)
  target_compile_options(${target} PRIVATE ${PROJECT_WARNINGS})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# project_test(name SOURCES ... LIBS ...): one GoogleTest program, registered as one CTest test.
# Test programs are few and large: under Wine each process start costs time.
function(project_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
  project_target(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest)
  target_compile_definitions(${name} PRIVATE TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
