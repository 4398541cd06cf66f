# The installer's download over https against nginx with TLS and a test CA
# made by tests/servers/make-test-ca: native only (libcurl). Under Wine the
# prefix's trust store would need the test CA, which our scripts can't give it.
if(NOT WIN32)
  add_executable(test_https ${CMAKE_CURRENT_LIST_DIR}/worker_https_test.cpp)
  target_link_libraries(test_https PRIVATE zentivo_test_support GTest::gtest_main)
  target_compile_definitions(test_https PRIVATE ZENTIVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_include_directories(test_https PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  include(GoogleTest)
  gtest_discover_tests(test_https PROPERTIES LABELS "native;https" TIMEOUT 120
                       DISCOVERY_TIMEOUT 60)
endif()
