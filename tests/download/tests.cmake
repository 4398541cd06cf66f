# The download tests that need servers: nginx as the update server and the
# fault server (tests/servers). Natively each case starts them for its own
# process; under Wine the program runs inside tests/servers/with-servers,
# which hands it the ports in the environment.
file(GLOB _download_net CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/net/*.cpp)
add_executable(test_download_net ${_download_net})
target_link_libraries(test_download_net PRIVATE zentivo_test_support GTest::gtest_main)
target_compile_definitions(test_download_net PRIVATE ZENTIVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
if(WIN32)
  add_test(NAME test_download_net
           COMMAND ${PROJECT_SOURCE_DIR}/tests/servers/with-servers
                   ${PROJECT_SOURCE_DIR}/cmake/wine-run $<TARGET_FILE:test_download_net>)
  set_tests_properties(test_download_net PROPERTIES LABELS "wine;download" TIMEOUT 300)
else()
  include(GoogleTest)
  gtest_discover_tests(test_download_net PROPERTIES LABELS "native;download" TIMEOUT 120
                       DISCOVERY_TIMEOUT 60)
endif()
