# The SHA-256 rate of the platform's crypto (figures, not a test). The one
# benchmark the Windows build has too, since BCrypt's rate can only be had
# there; the keyed download benchmark runs its bench_hash.exe under Wine.
# Built there only when asked for, so that the Windows build takes no longer:
#   cmake --build --preset windows --target bench_hash
add_executable(bench_hash ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(bench_hash PRIVATE zentivo_platform)
if(WIN32)
  set_target_properties(bench_hash PROPERTIES EXCLUDE_FROM_ALL ON WIN32_EXECUTABLE OFF)
endif()
