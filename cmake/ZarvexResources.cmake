# Windows resource scripts are compiled by GNU windres into the standard binary
# .res form and linked into the module as an allocated, exported blob, so that
# the running module can find its own resources and a file on disk can be read
# without running its code.

set(ZX_WINDRES /usr/bin/x86_64-w64-mingw32-windres CACHE FILEPATH "GNU windres")
set(ZX_RC_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/../platform/rc)
set(ZX_RES_EMBED_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/ResourceBlob.S.in)
set(ZX_RC_PREPASS ${CMAKE_CURRENT_LIST_DIR}/RcPrepass.cmake)

# "UTF-16LE" or "UTF-16BE" for a script saved with that byte-order mark, else
# empty (UTF-8 or an 8-bit code page).
function(_zx_rc_encoding rc_abs out_var)
  file(READ ${rc_abs} bom LIMIT 2 HEX)
  if(bom STREQUAL "fffe")
    set(${out_var} UTF-16LE PARENT_SCOPE)
  elseif(bom STREQUAL "feff")
    set(${out_var} UTF-16BE PARENT_SCOPE)
  else()
    set(${out_var} "" PARENT_SCOPE)
  endif()
endfunction()

# The data files a script names (ICON, BITMAP, TEXT, PDF... statements with a
# quoted file name). The preprocessor's dependency file lists what the script
# #includes, not these: windres opens them itself.
function(_zx_rc_data_files rc_abs encoding out_var)
  get_filename_component(rc_dir ${rc_abs} DIRECTORY)
  set(read_as "")
  if(encoding)
    set(read_as ENCODING ${encoding})
  endif()
  file(STRINGS ${rc_abs} lines ${read_as} REGEX "^[ \t]*[A-Za-z0-9_]+[ \t]+[A-Za-z0-9_]+[ \t]+([A-Z]+[ \t]+)*\"[^\"]+\"[ \t\r]*(//.*)?$")
  set(files "")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
    string(REGEX REPLACE "\\\\+" "/" name "${CMAKE_MATCH_1}") # as the pre-pass does
    foreach(dir ${rc_dir} ${ZX_RC_INCLUDE_DIR})
      if(EXISTS "${dir}/${name}" AND NOT IS_DIRECTORY "${dir}/${name}")
        list(APPEND files "${dir}/${name}")
        break()
      endif()
    endforeach()
  endforeach()
  set(${out_var} ${files} PARENT_SCOPE)
endfunction()

# zx_target_resources(<target> <file.rc> [DEPENDS <files...>])
# DEPENDS names further files the script reads that the scan cannot see (for
# example a file name that comes from a macro).
function(zx_target_resources target rcfile)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "DEPENDS")
  if(NOT EXISTS ${ZX_WINDRES})
    message(FATAL_ERROR "windres not found at ${ZX_WINDRES}: install binutils-mingw-w64-x86-64")
  endif()
  if(NOT TARGET ${target})
    message(FATAL_ERROR "zx_target_resources(${target}): no such target (yet?)")
  endif()
  get_target_property(already ${target} ZX_RESOURCE_SCRIPT)
  if(already)
    message(FATAL_ERROR "zx_target_resources(${target}): a module has one resource script (already ${already})")
  endif()
  get_filename_component(rc_abs ${rcfile} ABSOLUTE)
  get_filename_component(rc_dir ${rc_abs} DIRECTORY)
  set_target_properties(${target} PROPERTIES ZX_RESOURCE_SCRIPT ${rc_abs})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${rc_abs})
  _zx_rc_encoding(${rc_abs} encoding)
  _zx_rc_data_files(${rc_abs} "${encoding}" data_files)

  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}.res.d)
  set(res ${out_dir}/${target}.res)
  set(dep ${out_dir}/${target}.res.dep)
  set(asm ${out_dir}/${target}_res.S)

  # windres reads a copy made readable by the pre-pass; #include "x.h" still
  # finds the script's neighbours through -I.
  set(rc_input ${out_dir}/${target}.rc)
  add_custom_command(
    OUTPUT ${rc_input}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${CMAKE_COMMAND} -DIN=${rc_abs} -DOUT=${rc_input} -P ${ZX_RC_PREPASS}
    DEPENDS ${rc_abs} ${ZX_RC_PREPASS}
    VERBATIM)

  add_custom_command(
    OUTPUT ${res}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${ZX_WINDRES} --preprocessor=cpp
            --preprocessor-arg=-MD --preprocessor-arg=-MF --preprocessor-arg=${dep}
            --preprocessor-arg=-MT --preprocessor-arg=${res}
            -c 65001 -O res -I ${rc_dir} -I ${ZX_RC_INCLUDE_DIR}
            -i ${rc_input} -o ${res}
    DEPENDS ${rc_input} ${data_files} ${arg_DEPENDS}
    DEPFILE ${dep}
    WORKING_DIRECTORY ${rc_dir}
    COMMENT "Compiling resources of ${target}"
    VERBATIM)

  set(ZX_RES_FILE ${res})
  configure_file(${ZX_RES_EMBED_TEMPLATE} ${asm} @ONLY)
  set_source_files_properties(${asm} PROPERTIES OBJECT_DEPENDS ${res})
  target_sources(${target} PRIVATE ${asm})

  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    # The process's own version block and templates are found through the
    # executable's exported blob.
    set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
  endif()
endfunction()
