# Renders the demo form with its values to PDF and reads the texts back with pdftotext;
# then the tool's failures, each with its status and message.
# Usage: cmake -DFEDTOOL=... -DSRC=<tools/fedtool> -DWORK=<dir> -P render_check.cmake
cmake_policy(SET CMP0007 NEW)  # keep the empty elements of lists
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${FEDTOOL} compile ${SRC}/examples/render_demo.json ${WORK}/demo.fed RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "compile failed")
endif()
execute_process(COMMAND ${FEDTOOL} render ${WORK}/demo.fed ${WORK}/demo.pdf
                        --values ${SRC}/examples/render_demo_values.json RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "render failed: ${rc}")
endif()
execute_process(COMMAND pdftotext ${WORK}/demo.pdf - OUTPUT_VARIABLE text RESULT_VARIABLE rc)
foreach(expected "作業日報見本" "1,234,567" "第二工場" "Valve" "NG" "Flowed note text")
  string(FIND "${text}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "'${expected}' missing from the rendered PDF:\n${text}")
  endif()
endforeach()
# The list has three columns: a row's fourth value is left out, not put into the next row.
string(FIND "${text}" "Spare" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "a value past the list's columns was printed:\n${text}")
endif()
# A list the form does not have fails with its code; the other fields are still printed.
file(WRITE ${WORK}/unknown.json "{\"NOLIST\": [[\"a\"]], \"TOTAL\": \"7654321\"}")
execute_process(COMMAND ${FEDTOOL} render ${WORK}/demo.fed ${WORK}/unknown.pdf --values ${WORK}/unknown.json
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "field NOLIST: code -3")
  message(FATAL_ERROR "an unknown list field gave ${rc}: ${err}")
endif()
execute_process(COMMAND pdftotext ${WORK}/unknown.pdf - OUTPUT_VARIABLE text)
string(FIND "${text}" "7,654,321" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the other fields were not printed:\n${text}")
endif()
# Each failure exits with its status (2 for a wrong command line, 1 for what cannot be done)
# and says why on standard error, without a stack of other messages.
file(WRITE ${WORK}/array.json "[1, 2]")
file(WRITE ${WORK}/broken.json "{\"signature\": ")
file(WRITE ${WORK}/garbage.fed "not a form\r\n")
# A case is "STATUS|MESSAGE|ARGUMENTS", the arguments separated by "@".
set(cases
    "2|usage: fedtool compile|"
    "2|usage: fedtool render|render@${WORK}/demo.fed@${WORK}/out.txt"
    "2|usage: fedtool render|render@${WORK}/demo.fed@${WORK}/out.pdf@--dpi@50"
    "1|cannot read ${WORK}/missing.fed|render@${WORK}/missing.fed@${WORK}/out.pdf"
    "1|cannot read ${WORK}/missing.json|render@${WORK}/demo.fed@${WORK}/out.pdf@--values@${WORK}/missing.json"
    "1|must hold an object of field values|render@${WORK}/demo.fed@${WORK}/out.pdf@--values@${WORK}/array.json"
    "1|cannot read ${WORK}/missing.fed|dump@${WORK}/missing.fed"
    "1|is not a readable form file|dump@${WORK}/garbage.fed"
    "1|cannot read ${WORK}/missing.json|compile@${WORK}/missing.json@${WORK}/x.fed"
    "1|fedtool: |compile@${WORK}/broken.json@${WORK}/x.fed")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 want)
  list(GET parts 1 says)
  list(LENGTH parts count)
  set(args "")
  if(count GREATER 2)
    list(GET parts 2 joined)
    string(REPLACE "@" ";" args "${joined}")
  endif()
  execute_process(COMMAND ${FEDTOOL} ${args} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  string(FIND "${err}" "${says}" at)
  if(NOT rc EQUAL want OR at EQUAL -1)
    message(FATAL_ERROR "fedtool ${args}: status ${rc} (wanted ${want}), said: ${err}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
