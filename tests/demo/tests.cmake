# The demo material: the uninstaller's log reading and removal rules (unit
# tests, both targets), the content generator (native), and the real demo
# programs under Wine.
zentivo_test_area(demo)
if(TARGET test_demo)
  target_link_libraries(test_demo PRIVATE zentivo_demo_core)
endif()

if(WIN32)
  add_test(NAME demo_uninstall
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/uninstall_test.sh
                   $<TARGET_FILE:demo_uninstall> ${CMAKE_BINARY_DIR})
  set_tests_properties(demo_uninstall PROPERTIES LABELS "wine;demo" TIMEOUT 300)
endif()
