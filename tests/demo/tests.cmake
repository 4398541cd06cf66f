# The demo material: the uninstaller's log reading and removal rules (unit
# tests, both targets); the content generator and the documented nginx site
# (native); the real demo programs under Wine.
zentivo_test_area(demo)
if(TARGET test_demo)
  target_link_libraries(test_demo PRIVATE zentivo_demo_core)
endif()

set(_demo_content ${PROJECT_SOURCE_DIR}/tools/demo-content/demo-content)
if(NOT WIN32)
  add_test(NAME demo_content COMMAND ${ZENTIVO_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/demo_content_test.py
                                     ${_demo_content})
  add_test(NAME demo_nginx_site
           COMMAND ${ZENTIVO_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/nginx_site_test.py ${_demo_content}
                   ${PROJECT_SOURCE_DIR}/docs/nginx-update-server.conf)
  set_tests_properties(demo_content demo_nginx_site PROPERTIES LABELS "native;demo" TIMEOUT 120)
else()
  add_test(NAME demo_uninstall
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/uninstall_test.sh $<TARGET_FILE:demo_uninstall>
                   ${CMAKE_BINARY_DIR})
  add_test(NAME demo_product
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/product_test.sh ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}
                   ${CMAKE_BINARY_DIR})
  set_tests_properties(demo_uninstall demo_product PROPERTIES LABELS "wine;demo" TIMEOUT 300)
  # Its window must not take the focus from tests that answer dialogs by keys.
  set_tests_properties(demo_product PROPERTIES RESOURCE_LOCK wine_desktop)
endif()
