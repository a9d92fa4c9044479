# Windows resource scripts are compiled by GNU windres into the standard binary
# .res form and linked into the module as an allocated, exported blob, so that
# the running module can find its own resources and a file on disk can be read
# without running its code.

set(ZX_WINDRES /usr/bin/x86_64-w64-mingw32-windres CACHE FILEPATH "GNU windres")
set(ZX_RC_INCLUDE_DIR ${CMAKE_CURRENT_LIST_DIR}/../platform/rc)
set(ZX_RES_EMBED_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/ResourceBlob.S.in)

# zx_target_resources(<target> <file.rc> [INCLUDE_DIRS <folders...>]
#                     [DEPENDS <files...>])
# The script's #include lines and file names are looked up in the including
# file's folder, the script's folder, its parent (scripts in language
# sub-folders include their parent's resource.h), INCLUDE_DIRS and then
# platform/rc; a name missing in that exact case is matched without regard to
# case. The preprocessor runs with RC_INVOKED and _WIN32 defined and
# APSTUDIO_INVOKED undefined, as with Microsoft's rc. DEPENDS names further
# files the script reads that the pre-pass cannot see (for example a file
# name that comes from a macro).
function(zx_target_resources target rcfile)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "DEPENDS;INCLUDE_DIRS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zx_target_resources(${target}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
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

  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}.res.d)
  set(res ${out_dir}/${target}.res)
  set(dep ${out_dir}/${target}.res.dep)
  set(asm ${out_dir}/${target}_res.S)
  set(include_args "")
  foreach(dir IN LISTS arg_INCLUDE_DIRS ZX_RC_INCLUDE_DIR)
    get_filename_component(dir ${dir} ABSOLUTE)
    list(APPEND include_args -I ${dir})
  endforeach()

  # windres reads copies made readable by the pre-pass (zx-rcprep), which
  # lists every file it read in its depfile.
  set(rc_input ${out_dir}/${target}.rc)
  add_custom_command(
    OUTPUT ${rc_input}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND zx-rcprep --out ${rc_input} --depfile ${rc_input}.d --stage ${out_dir}/included
            ${include_args} ${rc_abs}
    DEPENDS ${rc_abs} zx-rcprep ${arg_DEPENDS}
    DEPFILE ${rc_input}.d
    COMMENT "Preparing the resource script of ${target}"
    VERBATIM)

  add_custom_command(
    OUTPUT ${res}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${ZX_WINDRES} --preprocessor=cpp
            --preprocessor-arg=-MD --preprocessor-arg=-MF --preprocessor-arg=${dep}
            --preprocessor-arg=-MT --preprocessor-arg=${res}
            -D RC_INVOKED -D _WIN32 -U APSTUDIO_INVOKED
            -c 65001 -O res -I ${rc_dir} ${include_args}
            -i ${rc_input} -o ${res}
    DEPENDS ${rc_input} ${arg_DEPENDS}
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
