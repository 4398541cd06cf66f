find_package(Threads REQUIRED)

if(WIN32)
  # Debian's libz-mingw-w64-dev ships the static libz.a for the cross toolchain.
  find_library(ZLIB_STATIC NAMES libz.a z REQUIRED)
  find_path(ZLIB_INCLUDE zlib.h REQUIRED)
  add_library(zentivo_zlib INTERFACE)
  target_link_libraries(zentivo_zlib INTERFACE ${ZLIB_STATIC})
  target_include_directories(zentivo_zlib INTERFACE ${ZLIB_INCLUDE})

  # GoogleTest built from Debian's sources with the cross compiler.
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(ZLIB REQUIRED)
  add_library(zentivo_zlib INTERFACE)
  target_link_libraries(zentivo_zlib INTERFACE ZLIB::ZLIB)
  find_package(CURL REQUIRED)
  find_package(GTest REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(PUGIXML REQUIRED IMPORTED_TARGET pugixml)
endif()
