# The packed installer started under Wine: the window with its title, a second
# copy refused, and installers without a usable block refused (one of them
# with an AppEName that is not a single file name).
if(WIN32)
  add_test(NAME installer_startup
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/installer_startup_test.sh
                   $<TARGET_FILE:ZentivoSetup> ${CMAKE_BINARY_DIR})
  set_tests_properties(installer_startup PROPERTIES LABELS "wine;startup" TIMEOUT 300
                                                    RESOURCE_LOCK wine_desktop)
endif()
