# The component package frame: one call declares a package, and its exports, its information table and its
# resources follow from that declaration.
#
#   add_component_package(NEWQRV
#     DESCRIPTION "New QRV"          # the "DESCRIPTION" resource and the description in "PACKAGEOPTIONS"
#     FLAGS 40000003                 # the flags word of "PACKAGEINFO", hexadecimal
#     [REQUIRES vcl30 ...]           # the required packages (vcl30 when not given)
#     [VERSION 1.0.0.0]              # a version resource: that file and product version, 32-bit Windows,
#                                    # file type 1, language 1049 (code page 1251), every text entry empty
#     [MANIFEST file]                # an application manifest (resource type 24, identifier 1)
#     [RESOURCES file.rc ...]        # more resources (palette bitmaps, cursors)
#     [LIBS library ...]             # more libraries to link (comdlg32, ...)
#     UNIT KTQRVNew                  # the units, in initialization order
#       SOURCES KTQRVNew.cpp         # its sources; its header is HEADER, or <unit>.h beside the first source
#       [HEADER file.h]
#       [CLASSES TKTNEWQRVFrame ...] # exported as KTQRVNew.TKTNEWQRVFrame and KTQRVNew.TKTNEWQRVFrame.ClassInfo
#       [TYPES TMeasureUnit ...]     # published enumerations (PUBLISHED_ENUM): their type information
#       [SETS TPageOptions=TPageSetupFlags ...]  # published sets, by the enumeration of their members
#       [METHODS TPageDialog.Execute ...]        # public methods; Create and Destroy are the constructor
#                                                # (taking the owner) and the destructor (freeing the object)
#       [REGISTER]                   # the unit has a Register procedure
#     UNIT ...)
#
# Each unit declares in its header, in its namespace, `void Initialization();` and `void Finalization();`
# (exported as KTQRVNew.KTQRVNew and KTQRVNew.Finalization) and, with REGISTER, `void Register();`.
#
# Targets: NAME, the package DLL (NAME.dll, linking vcl30 and no other package); NAME_units, an object
# library of the units alone, for programs and tests that carry the units built in. The DLL exports the C++
# names of everything as well, for programs that link the package.
#
# How: pkgframe (a host tool of the native tree) writes from the declaration the resources and the package's
# entries (@GetPackageInfoTable, Initialize, Finalize and the DllMain that registers the package as a module),
# and after the units are compiled, the .def that gives their symbols the unit-qualified names.
include_guard(GLOBAL)

# Appends to the variable out one line "keyword value" per value.
macro(_package_lines out keyword)
  foreach(_value ${ARGN})
    string(APPEND ${out} "${keyword} ${_value}\n")
  endforeach()
endmacro()

function(add_component_package name)
  if(NOT WIN32)
    return()
  endif()
  set(pkgframe ${HOST_BIN}/pkgframe)
  if(NOT EXISTS ${pkgframe})
    message(FATAL_ERROR "Package ${name} needs the native tree's host tool pkgframe: build the native tree first")
  endif()

  # 1. Split the arguments: the package's own, then one group per UNIT.
  set(groups "")
  set(current package)
  set(args_package "")
  foreach(arg ${ARGN})
    if(arg STREQUAL "UNIT")
      list(LENGTH groups n)
      set(current unit${n})
      list(APPEND groups ${current})
      set(args_${current} "")
    else()
      list(APPEND args_${current} "${arg}")
    endif()
  endforeach()
  cmake_parse_arguments(P "" "DESCRIPTION;FLAGS;VERSION;MANIFEST" "REQUIRES;RESOURCES;LIBS" ${args_package})
  if(P_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "Package ${name}: unknown arguments ${P_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT DEFINED P_DESCRIPTION OR NOT P_FLAGS OR NOT groups)
    message(FATAL_ERROR "Package ${name}: DESCRIPTION, FLAGS and at least one UNIT are needed")
  endif()
  if(NOT P_REQUIRES)
    set(P_REQUIRES vcl30)
  endif()

  # 2. The declaration that pkgframe reads.
  set(decl "package ${name}\ndescription ${P_DESCRIPTION}\nflags ${P_FLAGS}\n")
  set(manifest "")
  if(P_MANIFEST)
    get_filename_component(manifest ${P_MANIFEST} ABSOLUTE)
  endif()
  _package_lines(decl requires ${P_REQUIRES})
  _package_lines(decl version ${P_VERSION})
  _package_lines(decl manifest ${manifest})
  set(sources "")
  foreach(g ${groups})
    list(POP_FRONT args_${g} unit)
    cmake_parse_arguments(U "REGISTER" "HEADER" "SOURCES;CLASSES;TYPES;SETS;METHODS" ${args_${g}})
    if(NOT unit OR NOT U_SOURCES OR U_UNPARSED_ARGUMENTS)
      message(FATAL_ERROR "Package ${name}: UNIT ${unit} needs a name and SOURCES (and knows nothing of ${U_UNPARSED_ARGUMENTS})")
    endif()
    if(NOT U_HEADER)
      list(GET U_SOURCES 0 first)
      get_filename_component(dir ${first} DIRECTORY)
      set(U_HEADER ${dir}/${unit}.h)
      if(NOT dir)
        set(U_HEADER ${unit}.h)
      endif()
    endif()
    get_filename_component(header ${U_HEADER} ABSOLUTE)
    file(RELATIVE_PATH header ${PROJECT_SOURCE_DIR} ${header})
    string(REPLACE "=" " " sets "${U_SETS}")
    string(APPEND decl "unit ${unit}\nheader ${header}\n")
    _package_lines(decl class ${U_CLASSES})
    _package_lines(decl type ${U_TYPES})
    _package_lines(decl set ${sets})
    _package_lines(decl method ${U_METHODS})
    if(U_REGISTER)
      string(APPEND decl "register\n")
    endif()
    list(APPEND sources ${U_SOURCES})
  endforeach()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${name}_package)
  file(GENERATE OUTPUT ${out}/${name}.package CONTENT "${decl}")

  # 3. The units, compiled once: for the package and for programs that carry them built in.
  add_library(${name}_units OBJECT ${sources})
  project_target(${name}_units)
  target_link_libraries(${name}_units PUBLIC ${VCL_RUNTIME} ${P_LIBS})

  # 4. The package's entries and resources, from the declaration.
  set(bins ${out}/${name}_description.bin ${out}/${name}_packageinfo.bin ${out}/${name}_packageoptions.bin)
  add_custom_command(OUTPUT ${out}/${name}_entries.cpp ${out}/${name}.rc ${bins}
    COMMAND ${pkgframe} source ${out}/${name}.package ${out}/${name}_entries.cpp
    COMMAND ${pkgframe} resources ${out}/${name}.package ${out}/${name}.rc
    DEPENDS ${out}/${name}.package ${pkgframe} ${manifest}
    COMMENT "Writing the frame of package ${name}")
  add_library(${name}_entries OBJECT ${out}/${name}_entries.cpp)
  project_target(${name}_entries)
  target_link_libraries(${name}_entries PUBLIC ${VCL_RUNTIME})

  # 5. The unit-qualified export names, from the symbols the compiler gave the declared entities.
  add_custom_command(OUTPUT ${out}/${name}.def
    COMMAND ${pkgframe} exports ${out}/${name}.package ${out}/${name}.def ${CMAKE_NM}
            $<TARGET_OBJECTS:${name}_units> $<TARGET_OBJECTS:${name}_entries>
    DEPENDS ${name}_units ${name}_entries $<TARGET_OBJECTS:${name}_units> $<TARGET_OBJECTS:${name}_entries>
            ${out}/${name}.package ${pkgframe}
    COMMAND_EXPAND_LISTS
    COMMENT "Writing the exports of package ${name}")

  add_library(${name} SHARED $<TARGET_OBJECTS:${name}_units> $<TARGET_OBJECTS:${name}_entries>
              ${out}/${name}.rc ${out}/${name}.def ${P_RESOURCES})
  project_target(${name})
  target_link_libraries(${name} PUBLIC vcl30 ${P_LIBS})
  # The C++ names too: tests and programs that link the package call its classes by them.
  # (The C names of the package's own entries stay inside: outside they are Initialize, Finalize and
  # @GetPackageInfoTable.)
  target_link_options(${name} PRIVATE -Wl,--export-all-symbols -Wl,--exclude-symbols=PackageInitialize
                      -Wl,--exclude-symbols=PackageFinalize -Wl,--exclude-symbols=PackageInfoTable)
  set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  set_source_files_properties(${out}/${name}.rc PROPERTIES OBJECT_DEPENDS "${bins};${manifest}")
endfunction()
