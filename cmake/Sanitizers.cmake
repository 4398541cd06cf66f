# Sanitizer and fuzzing builds (clang only).
#   ZENTIVO_SANITIZE  "address;undefined" or "thread": every target of the tree
#                     is instrumented; a finding ends the program (no recovery).
#   ZENTIVO_FUZZ      also build the libFuzzer targets (fuzz_*.cpp beside the
#                     code they drive); the libraries get coverage feedback.
set(ZENTIVO_SANITIZE "" CACHE STRING "clang sanitizers for every target, e.g. address;undefined or thread")
option(ZENTIVO_FUZZ "build the libFuzzer targets (clang)" OFF)

if(ZENTIVO_SANITIZE OR ZENTIVO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZENTIVO_SANITIZE and ZENTIVO_FUZZ need clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
endif()

if(ZENTIVO_SANITIZE)
  list(JOIN ZENTIVO_SANITIZE "," _sanitizers)
  add_compile_options(-fsanitize=${_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${_sanitizers})
endif()

if(ZENTIVO_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
