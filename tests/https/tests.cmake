# The installer's download over https against nginx with TLS and a test CA
# made by tests/servers/make-test-ca, natively (libcurl and the worker).
if(NOT WIN32)
  add_executable(test_https ${CMAKE_CURRENT_LIST_DIR}/worker_https_test.cpp)
  target_link_libraries(test_https PRIVATE zentivo_test_support GTest::gtest_main)
  target_compile_definitions(test_https PRIVATE ZENTIVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_include_directories(test_https PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  include(GoogleTest)
  gtest_discover_tests(test_https PROPERTIES LABELS "native;https" TIMEOUT 120
                       DISCOVERY_TIMEOUT 60)
endif()

# Under Wine: zentivo-pack.exe check over WinINet, with the test CA put into
# the test's own prefix by trust-test-ca.exe.
if(WIN32)
  add_executable(trust-test-ca ${CMAKE_CURRENT_LIST_DIR}/trust_ca_win32.cpp)
  target_link_libraries(trust-test-ca PRIVATE zentivo_options crypt32)
  target_link_options(trust-test-ca PRIVATE -municode)
  add_test(NAME wine_https
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/wine_https_test.sh $<TARGET_FILE:zentivo-pack>
                   $<TARGET_FILE:trust-test-ca> ${CMAKE_BINARY_DIR})
  set_tests_properties(wine_https PROPERTIES LABELS "wine;https" TIMEOUT 300)
endif()
