# The fuzz targets (src/*/fuzz_*.cpp, built with ZENTIVO_FUZZ): fuzz-seeds
# writes their seed inputs, and each target runs briefly as a test so that
# every CI run fuzzes a little and keeps the targets working. scripts/fuzz
# runs them for longer; both keep their corpus in <build>/fuzz.
if(ZENTIVO_FUZZ)
  add_executable(fuzz-seeds ${CMAKE_CURRENT_LIST_DIR}/seed_corpus_main.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/../install/zip_builder.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/../pack/signed_pe.cpp)
  target_include_directories(fuzz-seeds PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
  target_link_libraries(fuzz-seeds PRIVATE zentivo_block_writer zentivo_pack_signing zentivo_config zentivo_download
                                           zentivo_platform zentivo_zlib)
  # The manifest seeds are signed with the test key in tests/keys.
  target_compile_definitions(fuzz-seeds PRIVATE ZENTIVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

  set(ZENTIVO_FUZZ_SMOKE_SECONDS 15 CACHE STRING "seconds each fuzz target runs as a test")
  get_property(_fuzzers GLOBAL PROPERTY ZENTIVO_FUZZERS)
  foreach(_fuzzer ${_fuzzers})
    add_test(NAME ${_fuzzer}
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-fuzz-target $<TARGET_FILE:${_fuzzer}>
                     $<TARGET_FILE:fuzz-seeds> ${CMAKE_BINARY_DIR}/fuzz ${ZENTIVO_FUZZ_SMOKE_SECONDS})
    set_tests_properties(${_fuzzer} PROPERTIES LABELS "native;fuzz" TIMEOUT 300)
  endforeach()
endif()
