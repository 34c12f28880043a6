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

# tb_add_fuzzer(NAME name SOURCES ... LIBS ...)
# A libFuzzer target when TB_FUZZERS is on (clang); otherwise a replay program whose
# main() runs the fuzz entry point over the files given on its command line, and a
# ctest entry that replays the seed corpus folder when it exists.
function(tb_add_fuzzer)
  cmake_parse_arguments(F "" "NAME;CORPUS" "SOURCES;LIBS" ${ARGN})
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
    endif()
  endif()
endfunction()
