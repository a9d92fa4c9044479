# cmake -DIN=<script.rc> -DOUT=<copy.rc> -P RcPrepass.cmake
#
# Makes a resource script written for Windows readable by the preprocessor and
# windres here:
# - Visual Studio saves scripts as UTF-16 with a byte-order mark, which neither
#   reads: such a script is converted to UTF-8, and its code_page pragmas (the
#   code page of 8-bit scripts) then name UTF-8;
# - file names in #include lines and in resource-file statements
#   (`IDR_X TEXT "res\\x.txt"`) use backslashes, which here are part of a name:
#   they become slashes. Texts elsewhere (strings, captions) are left alone.
cmake_minimum_required(VERSION 3.25)

file(READ ${IN} bom LIMIT 2 HEX)
if(bom STREQUAL "fffe" OR bom STREQUAL "feff")
  # iconv takes the byte-order mark as such and writes none.
  execute_process(COMMAND iconv -f UTF-16 -t UTF-8 ${IN}
                  OUTPUT_FILE ${OUT}.tmp
                  ERROR_VARIABLE problem
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    file(REMOVE ${OUT}.tmp)
    message(FATAL_ERROR "${IN} is not valid UTF-16: ${problem}")
  endif()
  file(READ ${OUT}.tmp text)
  file(REMOVE ${OUT}.tmp)
  string(REGEX REPLACE "#[ \t]*pragma[ \t]+code_page[ \t]*\\([ \t]*[A-Za-z0-9]+[ \t]*\\)"
         "#pragma code_page(65001)" text "${text}")
else()
  file(READ ${IN} text)
endif()

# Each pass turns the first run of backslashes in each such file name into a
# slash; the leading line end lets the first line match too.
set(include_line "(\n[ \t]*#[ \t]*include[ \t]*\"[^\"\n\\\\]*)\\\\+([^\"\n]*\")")
set(file_statement
    "(\n[ \t]*[A-Za-z0-9_]+[ \t]+[A-Za-z0-9_]+[ \t]+([A-Z]+[ \t]+)*\"[^\"\n\\\\]*)\\\\+([^\"\n]*\"[ \t\r]*(//[^\n]*)?\n)")
set(text "\n${text}")
while(TRUE)
  string(REGEX REPLACE "${include_line}" "\\1/\\2" next "${text}")
  string(REGEX REPLACE "${file_statement}" "\\1/\\3" next "${next}")
  if(next STREQUAL text)
    break()
  endif()
  set(text "${next}")
endwhile()
string(SUBSTRING "${text}" 1 -1 text)
file(WRITE ${OUT} "${text}")
