# Paradox tables for the DB tests, made at build time by the native tree's pxfixture (pxlib), and the check
# that reads the tables the tests converted back with pxlib. Included by CMakeLists.txt when pxfixture is built.
set(DB_FIXTURE_DIR ${CMAKE_CURRENT_BINARY_DIR}/dbfixtures)
set(DB_RESULT_DIR ${CMAKE_CURRENT_BINARY_DIR}/dbresults)
set(DB_FIXTURES ${DB_FIXTURE_DIR}/template43_1251.db ${DB_FIXTURE_DIR}/template43_866.db ${DB_FIXTURE_DIR}/empty.db)
add_custom_command(OUTPUT ${DB_FIXTURES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DB_FIXTURE_DIR} ${DB_RESULT_DIR}
  COMMAND ${HOST_BIN}/pxfixture template ${DB_FIXTURE_DIR}/template43_1251.db 43 --codepage 1251
  COMMAND ${HOST_BIN}/pxfixture template ${DB_FIXTURE_DIR}/template43_866.db 43 --codepage 866
  COMMAND ${HOST_BIN}/pxfixture template ${DB_FIXTURE_DIR}/empty.db 0 --codepage 1251
  DEPENDS ${HOST_BIN}/pxfixture
  COMMENT "Making the DB tests' Paradox tables with pxfixture")
add_custom_target(db_fixtures DEPENDS ${DB_FIXTURES})
add_dependencies(framework_vcl_tests db_fixtures)
target_compile_definitions(framework_vcl_tests PRIVATE DB_FIXTURE_DIR="${DB_FIXTURE_DIR}"
                                                       DB_RESULT_DIR="${DB_RESULT_DIR}")
