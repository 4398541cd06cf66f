# The kill-anywhere soak (figures, not a test): the worker and the completion
# routine killed at random moments and started again until they finish, then
# every installed file compared with the served one. Build, then
#   cmake --build --preset native --target run_bench_soak
add_executable(soak_worker ${CMAKE_CURRENT_LIST_DIR}/soak_worker.cpp)
target_link_libraries(soak_worker PRIVATE zentivo_download zentivo_install)
target_include_directories(soak_worker PRIVATE ${PROJECT_SOURCE_DIR}/bench)
add_custom_target(run_bench_soak
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/soak $<TARGET_FILE:soak_worker> ${CMAKE_BINARY_DIR}/bench-soak
  DEPENDS soak_worker USES_TERMINAL)
