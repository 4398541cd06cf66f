# The download benchmark (figures, not a test): the worker end to end against
# nginx on loopback, next to curl in the same run. Build, then
#   cmake --build --preset native --target run_bench_download
add_executable(bench_download ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(bench_download PRIVATE zentivo_download)
add_custom_target(run_bench_download
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-bench $<TARGET_FILE:bench_download>
          ${CMAKE_BINARY_DIR}/bench-download
  DEPENDS bench_download USES_TERMINAL)
# The same over distant links, through tests/servers/link_proxy.py:
#   cmake --build --preset native --target run_bench_download_links
add_custom_target(run_bench_download_links
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/run-link-bench $<TARGET_FILE:bench_download>
          ${CMAKE_BINARY_DIR}/bench-download-links
  DEPENDS bench_download USES_TERMINAL)
# Each connect to the proxy waits a round trip first (the handshake the proxy
# can't delay); run-link-bench preloads it when it sits beside bench_download.
add_library(connect_delay MODULE ${CMAKE_CURRENT_LIST_DIR}/connect_delay.cpp)
set_target_properties(connect_delay PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
target_link_libraries(connect_delay PRIVATE ${CMAKE_DL_LIBS})
add_dependencies(run_bench_download_links connect_delay)
# Hashing's cost to the download: the SHA-256 rates of both builds' crypto,
# then the worker over the links without a release key and with one:
#   cmake --build --preset native --target run_bench_download_keyed
add_custom_target(run_bench_download_keyed
  COMMAND ${PROJECT_SOURCE_DIR}/bench/hash/run-hash-bench $<TARGET_FILE:bench_hash>
          ${CMAKE_BINARY_DIR}/bench-hash
  COMMAND ${CMAKE_COMMAND} -E env KEYED=1 ${CMAKE_CURRENT_LIST_DIR}/run-link-bench
          $<TARGET_FILE:bench_download> ${CMAKE_BINARY_DIR}/bench-download-keyed
          0/0 10/1000 50/100 100/50
  DEPENDS bench_download bench_hash connect_delay USES_TERMINAL)
