# Public headers are reached through staging folders in the build tree, never
# through the source tree: a library's users see exactly the headers it lists
# as public, under their include names, and nothing else of its folders.
#
# Each library stages into a root of its own (${ZX_STAGE_DIR}/<library>), which
# it adds to its users' include path; the staged files are symbolic links, so
# compiler messages name the real files.

set(ZX_STAGE_DIR ${CMAKE_BINARY_DIR}/include)
set(ZX_PLATFORM_INCLUDE_DIR ${ZX_STAGE_DIR}/zxplatform)
set(ZX_PLATFORM_INTERNAL_INCLUDE_DIR ${ZX_STAGE_DIR}/zxplatform_internal)
set(ZX_CMNCTRLS_INCLUDE_DIR ${ZX_STAGE_DIR}/cmnctrls)
set(ZX_CORE_INCLUDE_DIR ${ZX_STAGE_DIR}/zarvexapp)
# Headers of shipped plug-ins that tests read (a board's register map, say).
set(ZX_PLUGINS_INCLUDE_DIR ${ZX_STAGE_DIR}/plugins)

# A header dropped from a list must not stay reachable from an earlier run.
file(REMOVE_RECURSE ${ZX_STAGE_DIR})

# Every header and source file listed by a library, for the check that nothing
# on disk is left out of the lists (cmake/CheckLayers.cmake).
set(ZX_LISTED_FILES ${CMAKE_BINARY_DIR}/zx_listed_files.txt)
file(WRITE ${ZX_LISTED_FILES} "")

# zx_stage_headers(<root> <prefix> [FLAT] <headers...>)
# Links each header (relative to the current source folder) as
# <root>/<prefix>/<header>, or as <root>/<prefix>/<file name> with FLAT.
function(zx_stage_headers root prefix)
  cmake_parse_arguments(PARSE_ARGV 2 arg "FLAT" "" "")
  foreach(header IN LISTS arg_UNPARSED_ARGUMENTS)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${header})
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "zx_stage_headers: ${source} does not exist")
    endif()
    if(arg_FLAT)
      get_filename_component(name ${header} NAME)
    else()
      set(name ${header})
    endif()
    set(link ${root}/${prefix}/${name})
    if(EXISTS ${link} OR IS_SYMLINK ${link})
      message(FATAL_ERROR "zx_stage_headers: two headers named ${prefix}/${name}")
    endif()
    get_filename_component(folder ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${folder})
    file(CREATE_LINK ${source} ${link} SYMBOLIC)
    file(APPEND ${ZX_LISTED_FILES} "${source}\n")
  endforeach()
endfunction()

# zx_list_sources(<target>): records the target's source files as listed.
function(zx_list_sources target)
  get_target_property(sources ${target} SOURCES)
  get_target_property(folder ${target} SOURCE_DIR)
  foreach(source IN LISTS sources)
    if(NOT IS_ABSOLUTE ${source})
      set(source ${folder}/${source})
    endif()
    file(APPEND ${ZX_LISTED_FILES} "${source}\n")
  endforeach()
endfunction()
