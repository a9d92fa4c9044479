# zarvex_add_plugin(<name> KIND ctc|ctm|ctp|cap SOURCES <files...> [RC <file.rc>]
#                   [RC_INCLUDE_DIRS <folders...>] [LIBRARIES <libs...>]
#                   [OUTPUT_DIRECTORY <dir>])
#
# Builds <name>.<kind>, an ELF shared object without a lib prefix, linked
# against the library that holds the exported globals. It lands next to the
# host executable, where plug-ins are searched, unless OUTPUT_DIRECTORY puts it
# elsewhere (test fixtures, which the host must never meet). RC_INCLUDE_DIRS
# are further folders where the resource script's #include lines and file
# names are looked up (see zx_target_resources).
function(zarvex_add_plugin name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "KIND;RC;OUTPUT_DIRECTORY" "SOURCES;LIBRARIES;RC_INCLUDE_DIRS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "zarvex_add_plugin(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  set(kinds ctc ctm ctp cap)
  if(NOT arg_KIND IN_LIST kinds)
    message(FATAL_ERROR "zarvex_add_plugin(${name}): KIND must be one of ${kinds}")
  endif()
  if(NOT arg_SOURCES)
    message(FATAL_ERROR "zarvex_add_plugin(${name}): SOURCES is required")
  endif()
  if(NOT arg_OUTPUT_DIRECTORY)
    set(arg_OUTPUT_DIRECTORY ${ZX_BIN_DIR})
  endif()

  add_library(${name} MODULE ${arg_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    SUFFIX ".${arg_KIND}"
    LIBRARY_OUTPUT_DIRECTORY ${arg_OUTPUT_DIRECTORY})
  target_link_libraries(${name} PRIVATE zarvexapp ${arg_LIBRARIES})
  if(arg_RC)
    zx_target_resources(${name} ${arg_RC} INCLUDE_DIRS ${arg_RC_INCLUDE_DIRS})
  endif()
endfunction()

