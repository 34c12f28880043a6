# tb_add_test(NAME name SOURCES a_test.cpp ... LIBS lib ... [LABELS l ...])
# One GoogleTest executable registered with ctest; tests run from the build tree
# with TB_SOURCE_DIR and TB_BINARY_DIR in the environment.
# The sample files kept outside the repository: beside the checkout, else the shared
# workplace folder. Tests that need them skip when neither exists.
set(TB_TESTDATA_DIR "${CMAKE_SOURCE_DIR}/../shared/testdata")
if(NOT EXISTS "${TB_TESTDATA_DIR}" AND EXISTS "/work/shared/testdata")
  set(TB_TESTDATA_DIR "/work/shared/testdata")
endif()

function(tb_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT TB_TESTS)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "TB_SOURCE_DIR=${CMAKE_SOURCE_DIR};TB_BINARY_DIR=${CMAKE_BINARY_DIR};TB_TESTDATA=${TB_TESTDATA_DIR}"
    TIMEOUT 300)
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# tb_add_fuzzer(NAME name SOURCES ... LIBS ... [CORPUS dir] [DICT file])
# A libFuzzer target when TB_FUZZERS is on (clang); otherwise a replay program whose
# main() runs the fuzz entry point over the files given on its command line, and a
# ctest entry that replays the seed corpus folder when it exists. Either way the target
# belongs to `fuzzers`, and a line "name corpus dict" in <build>/fuzzers.txt tells
# scripts/fuzz-campaign.sh what to run.
set_property(GLOBAL PROPERTY TB_FUZZER_LIST "")
function(tb_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;CORPUS;DICT" "SOURCES;LIBS" ${ARGN})
  foreach(_s ${F_SOURCES})
    if(NOT IS_ABSOLUTE ${_s})
      set(_s ${CMAKE_CURRENT_SOURCE_DIR}/${_s})
    endif()
    if(NOT EXISTS ${_s})
      return()
    endif()
  endforeach()
  if(TB_FUZZERS)
    add_executable(${F_NAME} ${F_SOURCES})
    target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  else()
    add_executable(${F_NAME} ${F_SOURCES} ${CMAKE_SOURCE_DIR}/cmake/fuzz_replay_main.cpp)
    target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
    if(F_CORPUS AND EXISTS ${F_CORPUS})
      add_test(NAME ${F_NAME}_replay COMMAND ${F_NAME} ${F_CORPUS})
      set_tests_properties(${F_NAME}_replay PROPERTIES TIMEOUT 120 ENVIRONMENT "TB_TESTDATA=${TB_TESTDATA_DIR}")
    endif()
  endif()
  if(NOT TARGET fuzzers)
    add_custom_target(fuzzers)
  endif()
  add_dependencies(fuzzers ${F_NAME})
  if(NOT F_CORPUS)
    set(F_CORPUS "-")
  endif()
  if(NOT F_DICT)
    set(F_DICT "-")
  endif()
  set_property(GLOBAL APPEND PROPERTY TB_FUZZER_LIST "${F_NAME} ${F_CORPUS} ${F_DICT}")
endfunction()

# Writes <build>/fuzzers.txt from the targets tb_add_fuzzer made; called once, at the end
# of the top-level CMakeLists.txt.
function(tb_write_fuzzer_list)
  get_property(_list GLOBAL PROPERTY TB_FUZZER_LIST)
  list(JOIN _list "\n" _text)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "${_text}\n")
endfunction()

# Link check for a shared library: every symbol it uses must be resolved at link time
# (-Wl,--no-undefined). With clang's sanitizers the runtime lives in the executable
# that loads the library, so its __asan_*/__ubsan_* symbols stay for the loader there.
function(tb_shared_library_link_checks target)
  if(TB_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  target_link_options(${target} PRIVATE -Wl,--no-undefined)
endfunction()
