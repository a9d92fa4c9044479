# cmake -DSOURCE_DIR=<root> -DLAYERS=<a|b|...> -DINTERNAL_DIR=<dir> -DLISTED=<file>
#       -P CheckLayers.cmake
#
# Fails when a file includes a header of a layer above its own:
# - between the libraries: platform -> cmnctrls -> zarvexapp -> host, plugins
#   (each may include only its own headers and those of the libraries before
#   it; bench and tests may include any public header, tests also the
#   platform layer's private ones);
# - between the folders of platform/, in the order LAYERS gives (rc/ holds the
#   resource script headers, which any layer may include);
# - a private platform header (one staged in INTERNAL_DIR) reached from outside
#   the platform layer, or from one of its public headers.
# It also fails when a header or source file of the libraries is missing from
# their CMake lists (LISTED: every file the lists name, one per line), so that
# a new file or folder cannot be left out of the build unnoticed.
cmake_minimum_required(VERSION 3.25)

string(REPLACE "|" ";" layers "${LAYERS}")
set(report "")
set(count 0)

# The rank of a platform folder: rc/ below every layer, then LAYERS in order.
function(layer_rank folder out)
  if(folder STREQUAL "rc")
    set(${out} 0 PARENT_SCOPE)
    return()
  endif()
  list(FIND layers "${folder}" index)
  if(index LESS 0)
    set(${out} "" PARENT_SCOPE)
  else()
    math(EXPR rank "${index} + 1")
    set(${out} ${rank} PARENT_SCOPE)
  endif()
endfunction()

# Platform headers by include name: kernel/String.h is platform/String.h,
# rc/zxres.h is platform/rc/zxres.h.
file(GLOB_RECURSE platform_headers RELATIVE ${SOURCE_DIR}/platform ${SOURCE_DIR}/platform/*.h)
foreach(header IN LISTS platform_headers)
  string(REGEX MATCH "^[^/]+" folder "${header}")
  if(folder STREQUAL "rc")
    set(name ${header})
  else()
    get_filename_component(name ${header} NAME)
  endif()
  set("path_of_${name}" platform/${header})
endforeach()

# The library (and platform folder) of a path relative to SOURCE_DIR.
function(classify path out_library out_rank)
  string(REGEX MATCH "^[^/]+" library "${path}")
  set(rank "")
  if(library STREQUAL "platform")
    string(REGEX REPLACE "^platform/([^/]+)/.*" "\\1" folder "${path}")
    layer_rank("${folder}" rank)
  endif()
  set(${out_library} ${library} PARENT_SCOPE)
  set(${out_rank} "${rank}" PARENT_SCOPE)
endfunction()

function(is_private path out)
  get_filename_component(name ${path} NAME)
  if(path MATCHES "^platform/[^/]+/[^/]+\\.h$" AND NOT path MATCHES "^platform/rc/"
     AND EXISTS ${INTERNAL_DIR}/platform/${name})
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

# What each library may include besides itself.
set(allowed_platform platform)
set(allowed_cmnctrls platform cmnctrls)
set(allowed_zarvexapp platform cmnctrls zarvexapp)
set(allowed_host platform cmnctrls zarvexapp host)
set(allowed_plugins platform cmnctrls zarvexapp plugins)
set(allowed_bench platform cmnctrls zarvexapp plugins bench)
set(allowed_tests platform cmnctrls zarvexapp plugins host tests)

set(checked platform cmnctrls zarvexapp host plugins bench tests)
set(files "")
foreach(top IN LISTS checked)
  file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR}
       ${SOURCE_DIR}/${top}/*.h ${SOURCE_DIR}/${top}/*.cpp ${SOURCE_DIR}/${top}/*.c)
  list(APPEND files ${found})
endforeach()

foreach(file IN LISTS files)
  classify(${file} library rank)
  is_private(${file} file_private)
  get_filename_component(folder ${file} DIRECTORY)
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" name "${line}")
    # The file the name reaches: a sibling first, as the preprocessor looks,
    # then an include name of the libraries.
    set(target "")
    if(EXISTS ${SOURCE_DIR}/${folder}/${name})
      file(REAL_PATH ${SOURCE_DIR}/${folder}/${name} absolute)
      file(RELATIVE_PATH target ${SOURCE_DIR} ${absolute})
    elseif(name MATCHES "^platform/(.+)$")
      if(DEFINED "path_of_${CMAKE_MATCH_1}")
        set(target "${path_of_${CMAKE_MATCH_1}}")
      endif()
    elseif(name MATCHES "^(cmnctrls|zarvexapp|plugins|host)/" AND EXISTS ${SOURCE_DIR}/${name})
      set(target ${name})
    endif()
    if(target STREQUAL "" OR target MATCHES "^\\.\\./")
      continue() # a test's own support files, system headers...
    endif()
    classify(${target} target_library target_rank)
    is_private(${target} target_private)
    set(why "")
    if(NOT target_library IN_LIST allowed_${library})
      set(why "${target_library} is above ${library}")
    elseif(library STREQUAL "platform" AND NOT rank STREQUAL "" AND NOT target_rank STREQUAL ""
           AND target_rank GREATER rank)
      string(REGEX REPLACE "^platform/([^/]+)/.*" "\\1" own_layer "${file}")
      string(REGEX REPLACE "^platform/([^/]+)/.*" "\\1" target_layer "${target}")
      set(why "layer ${target_layer} is above layer ${own_layer}")
    elseif(target_private AND NOT library STREQUAL "platform" AND NOT library STREQUAL "tests")
      set(why "a private header of the platform layer")
    elseif(target_private AND library STREQUAL "platform" AND NOT file_private
           AND file MATCHES "\\.h$" AND NOT file MATCHES "^platform/rc/")
      set(why "a private header, from a public one")
    endif()
    if(NOT why STREQUAL "")
      string(APPEND report "${file}: includes \"${name}\" (${target}): ${why}\n")
      math(EXPR count "${count} + 1")
    endif()
  endforeach()
endforeach()

# Every header and source file of the libraries is named by their lists.
file(STRINGS ${LISTED} listed)
foreach(top platform cmnctrls zarvexapp)
  file(GLOB_RECURSE found ${SOURCE_DIR}/${top}/*.h ${SOURCE_DIR}/${top}/*.cpp ${SOURCE_DIR}/${top}/*.c)
  foreach(path IN LISTS found)
    if(NOT path IN_LIST listed)
      file(RELATIVE_PATH shown ${SOURCE_DIR} ${path})
      string(APPEND report "${shown}: not in the CMake lists of its library\n")
      math(EXPR count "${count} + 1")
    endif()
  endforeach()
endforeach()

if(count GREATER 0)
  message(NOTICE "${report}")
  message(FATAL_ERROR "${count} layering problem(s)")
endif()
message(STATUS "Layering: ${CMAKE_CURRENT_LIST_FILE} found no problem in the includes of ${SOURCE_DIR}")
