# Paradox tables for the DB tests, made at build time by the native tree's pxfixture (pxlib), and the check
# that reads the tables the tests wrote back with pxlib. Included by CMakeLists.txt when pxfixture is built;
# also run as a script: -DDB_STEP=dump (pxlib's reading of IN into OUT) or -DDB_STEP=check (after the tests).
#
# The check: each table the tests converted (a 43-record template in code page 1251 or 866 with the style
# record inserted after Last) must read, through pxlib, as the template's 43 records with the style record
# before the last one, and hold the name "Тип позиции" as the code page's own bytes. The table of every
# type must read as it did with one record inserted before its fourth, and the keyed table with its new record
# in key order.

if(CMAKE_SCRIPT_MODE_FILE)
  function(dump_lines file out)
    execute_process(COMMAND ${PXFIXTURE} dump ${file} OUTPUT_VARIABLE text ERROR_VARIABLE err RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "pxlib cannot read ${file}: ${err}")
    endif()
    string(REGEX REPLACE "\n$" "" text "${text}")
    string(REPLACE "\n" ";" lines "${text}")
    set(${out} "${lines}" PARENT_SCOPE)
  endfunction()

  function(expect_lines what actual expected)
    list(LENGTH actual na)
    list(LENGTH expected ne)
    if(NOT na EQUAL ne)
      message(FATAL_ERROR "${what}: pxlib reads ${na} records, ${ne} expected")
    endif()
    math(EXPR last "${na} - 1")
    foreach(i RANGE ${last})
      list(GET actual ${i} a)
      list(GET expected ${i} e)
      if(NOT a STREQUAL e)
        message(FATAL_ERROR "${what}: record ${i} (from 0)\n  pxlib reads: ${a}\n  expected:    ${e}")
      endif()
    endforeach()
    message(STATUS "${what}: ${na} records as expected")
  endfunction()

  if(DB_STEP STREQUAL "dump")
    execute_process(COMMAND ${PXFIXTURE} dump ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "pxlib cannot read ${IN}")
    endif()
  elseif(DB_STEP STREQUAL "check")
    set(style "Level=132\tName=Тип позиции\tFontName=Times New Roman\tFontSize=12\tFontColor=0\tBold=false\tItalic=false\tUnderline=false\tAlign=12\tBullets=false\tFirstInd=0\tLeftInd=0\tRightInd=152\tTabPos=0\tSpaceBefore=0\tSpaceAfter=0\tSpaceLine=0\tBackColor=16777215\tPageBreak=false\tLineSpacingRule=0\tNoControlChar=true")
    # "Тип позиции" in each code page.
    set(name_1251 "d2e8ef20efeee7e8f6e8e8")
    set(name_866 "92a8af20afaea7a8e6a8a8")
    foreach(cp 1251 866)
      set(result ${RESULTS}/converted_${cp}.db)
      if(NOT EXISTS ${result})
        message(FATAL_ERROR "${result} is missing: the table test did not convert it")
      endif()
      dump_lines(${FIXTURES}/template43_${cp}.db before)
      dump_lines(${result} after)
      set(expected "${before}")
      list(INSERT expected 42 "${style}")
      expect_lines("converted_${cp}.db" "${after}" "${expected}")
      file(READ ${result} hex HEX)
      string(FIND "${hex}" "${name_${cp}}" at)
      if(at EQUAL -1)
        message(FATAL_ERROR "converted_${cp}.db does not hold \"Тип позиции\" in code page ${cp}")
      endif()
    endforeach()
    set(result ${RESULTS}/alltypes_inserted.db)
    if(NOT EXISTS ${result})
      message(FATAL_ERROR "${result} is missing: the table test did not write it")
    endif()
    dump_lines(${FIXTURES}/alltypes.db before)
    dump_lines(${result} after)
    set(expected "${before}")
    list(INSERT expected 3 "${DB_ALLTYPES_RECORD}")
    expect_lines("alltypes_inserted.db" "${after}" "${expected}")
    # The keyed table holds the new record in key order, after Id 2001, wherever the cursor was.
    set(result ${RESULTS}/keyed_inserted.db)
    if(NOT EXISTS ${result})
      message(FATAL_ERROR "${result} is missing: the table test did not write it")
    endif()
    dump_lines(${FIXTURES}/keyed.db before)
    dump_lines(${result} after)
    set(expected "${before}")
    list(INSERT expected 2 "Id=2500\tName=Новая запись")
    expect_lines("keyed_inserted.db" "${after}" "${expected}")
  endif()
  return()
endif()

set(DB_FIXTURE_DIR ${CMAKE_CURRENT_BINARY_DIR}/dbfixtures)
set(DB_RESULT_DIR ${CMAKE_CURRENT_BINARY_DIR}/dbresults)
# One record of the table of every type, as the tests insert it and pxlib prints it.
set(DB_ALLTYPES_FIELDS "Name:A12,Short:S,Long:I,Flag:L,Number:N,Money:$,Day:D,At:T,Stamp:@")
set(DB_ALLTYPES_RECORD "Name=Новая запись\tShort=-32767\tLong=2147483647\tFlag=false\tNumber=-0.125\tMoney=1234.5\tDay=1999-12-31\tAt=23:59:59.999\tStamp=1899-12-29T06:00:00")
set(DB_FIXTURES ${DB_FIXTURE_DIR}/template43_1251.db ${DB_FIXTURE_DIR}/template43_866.db ${DB_FIXTURE_DIR}/empty.db
    ${DB_FIXTURE_DIR}/alltypes.db ${DB_FIXTURE_DIR}/alltypes.dump ${DB_FIXTURE_DIR}/autoinc.db
    ${DB_FIXTURE_DIR}/autoinc.dump ${DB_FIXTURE_DIR}/keyed.db ${DB_FIXTURE_DIR}/keyed.px ${DB_FIXTURE_DIR}/keyed.dump
    ${DB_FIXTURE_DIR}/bytes.db ${DB_FIXTURE_DIR}/bytes.dump)
add_custom_command(OUTPUT ${DB_FIXTURES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DB_FIXTURE_DIR} ${DB_RESULT_DIR}
  COMMAND ${HOST_BIN}/pxfixture template ${DB_FIXTURE_DIR}/template43_1251.db 43 --codepage 1251
  COMMAND ${HOST_BIN}/pxfixture template ${DB_FIXTURE_DIR}/template43_866.db 43 --codepage 866
  COMMAND ${HOST_BIN}/pxfixture template ${DB_FIXTURE_DIR}/empty.db 0 --codepage 1251
  COMMAND ${HOST_BIN}/pxfixture table ${DB_FIXTURE_DIR}/alltypes.db --fields ${DB_ALLTYPES_FIELDS} --records 12
          --codepage 866
  COMMAND ${CMAKE_COMMAND} -DDB_STEP=dump -DPXFIXTURE=${HOST_BIN}/pxfixture -DIN=${DB_FIXTURE_DIR}/alltypes.db
          -DOUT=${DB_FIXTURE_DIR}/alltypes.dump -P ${CMAKE_CURRENT_LIST_FILE}
  COMMAND ${HOST_BIN}/pxfixture table ${DB_FIXTURE_DIR}/autoinc.db --fields Id:+,Name:A10 --records 3
          --codepage 1251
  COMMAND ${CMAKE_COMMAND} -DDB_STEP=dump -DPXFIXTURE=${HOST_BIN}/pxfixture -DIN=${DB_FIXTURE_DIR}/autoinc.db
          -DOUT=${DB_FIXTURE_DIR}/autoinc.dump -P ${CMAKE_CURRENT_LIST_FILE}
  COMMAND ${HOST_BIN}/pxfixture table ${DB_FIXTURE_DIR}/keyed.db --fields Id:I,Name:A20 --records 12 --key 1
  COMMAND ${CMAKE_COMMAND} -DDB_STEP=dump -DPXFIXTURE=${HOST_BIN}/pxfixture -DIN=${DB_FIXTURE_DIR}/keyed.db
          -DOUT=${DB_FIXTURE_DIR}/keyed.dump -P ${CMAKE_CURRENT_LIST_FILE}
  COMMAND ${HOST_BIN}/pxfixture table ${DB_FIXTURE_DIR}/bytes.db --fields Name:A10,Raw:Y6 --records 12
  COMMAND ${CMAKE_COMMAND} -DDB_STEP=dump -DPXFIXTURE=${HOST_BIN}/pxfixture -DIN=${DB_FIXTURE_DIR}/bytes.db
          -DOUT=${DB_FIXTURE_DIR}/bytes.dump -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${HOST_BIN}/pxfixture ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Making the DB tests' Paradox tables with pxfixture"
  VERBATIM)
add_custom_target(db_fixtures DEPENDS ${DB_FIXTURES})
add_dependencies(framework_vcl_tests db_fixtures)
target_compile_definitions(framework_vcl_tests PRIVATE DB_FIXTURE_DIR="${DB_FIXTURE_DIR}"
                           DB_RESULT_DIR="${DB_RESULT_DIR}")

# After the Windows tests: pxlib reads back what TTable wrote.
add_test(NAME framework_vcl_db_pxlib
         COMMAND ${CMAKE_COMMAND} -DDB_STEP=check -DPXFIXTURE=${HOST_BIN}/pxfixture -DFIXTURES=${DB_FIXTURE_DIR}
                 -DRESULTS=${DB_RESULT_DIR} -DDB_ALLTYPES_RECORD=${DB_ALLTYPES_RECORD} -P ${CMAKE_CURRENT_LIST_FILE})
set_tests_properties(framework_vcl_tests PROPERTIES FIXTURES_SETUP db_results)
set_tests_properties(framework_vcl_db_pxlib PROPERTIES FIXTURES_REQUIRED db_results)
