# Compiler settings shared by every target of the project.

add_compile_options(-Wall -Wextra)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Inline statics would otherwise become STB_GNU_UNIQUE and pin every module
  # that has one: FreeLibrary must really unload a plug-in.
  add_compile_options(-fno-gnu-unique)
endif()

if(ZX_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(ZX_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT ZX_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ZX_SANITIZE must be empty, address or thread")
endif()

# Shared objects must resolve every symbol at link time: a plug-in that misses
# one should fail to build, not fail to load on a user's machine.
# (Sanitizer runtimes are only linked into executables, so not there.)
if(ZX_SANITIZE STREQUAL "")
  add_link_options("$<$<IN_LIST:$<TARGET_PROPERTY:TYPE>,SHARED_LIBRARY;MODULE_LIBRARY>:LINKER:--no-undefined>")
endif()
