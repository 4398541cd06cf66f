# The download tests that need servers: nginx as the update server and the
# fault server (tests/servers). Natively a ctest fixture starts both once for
# the run and the cases find them through ZENTIVO_SERVERS_DIR (run by hand,
# the program starts its own). Under Wine the program runs inside
# tests/servers/with-servers, which passes the ports in the environment.
file(GLOB _download_net CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/net/*.cpp)
# The proxy cases start squid themselves and set libcurl's http_proxy: the
# Windows build meets its proxy through the system's settings, under Wine in
# the end-to-end runs.
if(WIN32)
  list(FILTER _download_net EXCLUDE REGEX "_posix_test\\.cpp$")
endif()
add_executable(test_download_net ${_download_net})
target_link_libraries(test_download_net PRIVATE zentivo_test_support GTest::gtest_main)
target_compile_definitions(test_download_net PRIVATE ZENTIVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
set(_servers ${PROJECT_SOURCE_DIR}/tests/servers)
if(WIN32)
  add_test(NAME test_download_net
           COMMAND ${_servers}/with-servers ${PROJECT_SOURCE_DIR}/cmake/wine-run
                   $<TARGET_FILE:test_download_net>)
  set_tests_properties(test_download_net PROPERTIES LABELS "wine;download" TIMEOUT 300)
  zentivo_own_wine_prefix(test_download_net)
else()
  set(_state ${CMAKE_BINARY_DIR}/test-servers)
  add_test(NAME download_servers_start COMMAND ${_servers}/test-servers start ${_state} --with-parent)
  add_test(NAME download_servers_stop COMMAND ${_servers}/test-servers stop ${_state})
  set_tests_properties(download_servers_start PROPERTIES FIXTURES_SETUP download_servers
                                                         LABELS "native;download")
  set_tests_properties(download_servers_stop PROPERTIES FIXTURES_CLEANUP download_servers
                                                        LABELS "native;download")
  include(GoogleTest)
  gtest_discover_tests(test_download_net
                       PROPERTIES LABELS download TIMEOUT 120
                                  FIXTURES_REQUIRED download_servers
                                  ENVIRONMENT ZENTIVO_SERVERS_DIR=${_state}
                       DISCOVERY_TIMEOUT 60)
  # The full-drive case again, on a small tmpfs of its own.
  add_test(NAME download_full_disk
           COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-small-disk 2m
                   $<TARGET_FILE:test_download_net> --gtest_filter=*FullDisk*)
  set_tests_properties(download_full_disk PROPERTIES
                       LABELS "native;download" FIXTURES_REQUIRED download_servers
                       ENVIRONMENT ZENTIVO_SERVERS_DIR=${_state}
                       FAIL_REGULAR_EXPRESSION "SKIPPED|No tests")
endif()
