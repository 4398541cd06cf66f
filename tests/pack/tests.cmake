# The packing tool, tested from the outside as the packaging side uses it.
if(NOT WIN32)
  add_test(NAME pack_tool COMMAND ${CMAKE_CURRENT_LIST_DIR}/pack_tool_test.sh
                                  $<TARGET_FILE:zentivo-pack>)
  set_tests_properties(pack_tool PROPERTIES LABELS "native;tools")
endif()
