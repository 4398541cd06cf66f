add_library(zentivo_options INTERFACE)
target_compile_options(zentivo_options INTERFACE -Wall -Wextra -Wno-unused-parameter)
target_include_directories(zentivo_options INTERFACE ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
if(WIN32)
  # UNICODE so that every Win32 call we make is the W one; the program's text is
  # UTF-8 and is widened at the call.
  target_compile_definitions(zentivo_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                       _WIN32_WINNT=0x0601 WINVER=0x0601)
  # One downloaded .exe that needs only system DLLs.
  target_link_options(zentivo_options INTERFACE -static -static-libgcc -static-libstdc++)
  # Each function and object in a section of its own, so that the linker
  # drops what the installer never calls.
  target_compile_options(zentivo_options INTERFACE -ffunction-sections -fdata-sections)
  target_link_options(zentivo_options INTERFACE -Wl,--gc-sections)
endif()
