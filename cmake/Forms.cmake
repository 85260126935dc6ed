# add_form_resources(target FORM ...): compiles text form files (.dfm) with the native tree's `dfm` tool into
# binary form resources, linked into target as RCDATA named after the form's class in upper case, which is
# where a form's constructor looks for its stream.
function(add_form_resources target)
  set(rc_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_forms.rc)
  set(rc_text "// Generated: the form resources of ${target}.\n")
  set(bins "")
  foreach(form ${ARGN})
    get_filename_component(form_path ${form} ABSOLUTE)
    file(STRINGS ${form_path} first_line LIMIT_COUNT 1 REGEX "^[ \t]*(object|inherited|inline)[ \t]")
    if(NOT first_line MATCHES "^[ \t]*(object|inherited|inline)[ \t]+([A-Za-z_][A-Za-z0-9_]*[ \t]*:[ \t]*)?([A-Za-z_][A-Za-z0-9_]*)")
      message(FATAL_ERROR "${form}: the first line does not name the form's class")
    endif()
    string(TOUPPER ${CMAKE_MATCH_3} res_name)
    get_filename_component(base ${form} NAME_WE)
    set(bin ${CMAKE_CURRENT_BINARY_DIR}/forms/${base}.bin)
    add_custom_command(OUTPUT ${bin}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/forms
      COMMAND ${HOST_BIN}/dfm tobinary ${form_path} ${bin}
      DEPENDS ${form_path} ${HOST_BIN}/dfm
      COMMENT "Compiling form ${base}.dfm")
    string(APPEND rc_text "${res_name} RCDATA \"${bin}\"\n")
    list(APPEND bins ${bin})
  endforeach()
  file(GENERATE OUTPUT ${rc_file} CONTENT "${rc_text}")
  add_custom_target(${target}_forms DEPENDS ${bins})
  add_dependencies(${target} ${target}_forms)
  target_sources(${target} PRIVATE ${rc_file})
  # windres reads the binary files at compile time: rebuild the resource object when a form changes.
  set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS "${bins}")
endfunction()
