# Runs inside `cmake --install` (and CPack's install): the files whose place or content
# depends on the prefix of this install. Set by the caller: TB_PACKAGING_DIR, TB_WORK_DIR,
# TB_BINDIR_REL, TB_DATADIR_REL, TB_TBFORMS. DESTDIR is honoured by file(INSTALL).

# Configuration lives in /etc for the system prefix, else below the prefix (GNU rule).
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(_etc /etc)
else()
  set(_etc "${CMAKE_INSTALL_PREFIX}/etc")
endif()
file(INSTALL DESTINATION "${_etc}/tbclient" TYPE FILE FILES "${TB_PACKAGING_DIR}/tbclient.conf")

# systemd units (tbclient.service, and any unit a later program adds as *.in here), with
# the programs' folder of this prefix.
set(TB_BINDIR "${CMAKE_INSTALL_PREFIX}/${TB_BINDIR_REL}")
file(REMOVE_RECURSE "${TB_WORK_DIR}")
file(GLOB _units "${TB_PACKAGING_DIR}/systemd/*.in")
foreach(_in ${_units})
  get_filename_component(_name "${_in}" NAME)
  string(REGEX REPLACE "\\.in$" "" _name "${_name}")
  configure_file("${_in}" "${TB_WORK_DIR}/units/${_name}" @ONLY)
endforeach()
file(GLOB _units_out "${TB_WORK_DIR}/units/*")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system" TYPE FILE FILES ${_units_out})

# The report forms of every kind and paper (.fed) with their readable sources (JSON for
# fedtool), made by tbforms from the paper-size table this build has.
execute_process(COMMAND "${TB_TBFORMS}" "${TB_WORK_DIR}/forms" "${TB_WORK_DIR}/forms/json"
                RESULT_VARIABLE _rc OUTPUT_QUIET)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "tbforms could not write the report forms (${_rc})")
endif()
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${TB_DATADIR_REL}/tbclient" TYPE DIRECTORY
     FILES "${TB_WORK_DIR}/forms")
