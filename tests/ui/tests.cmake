# The real installer window under Wine: the packed installer's Start and
# DirectoryChoice views, the skinned buttons, the licence window and the
# folder browser; and, through a harness with a network check that answers
# yes and a scripted stand-in worker, the Preparing, Downloading, Installing
# and Finished views. Screenshots go to <build>/screens.
if(WIN32)
  add_executable(zentivo-window-harness ${CMAKE_CURRENT_LIST_DIR}/harness/window_harness.cpp
                                        ${PROJECT_SOURCE_DIR}/src/app/resources/zentivo.rc)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/src/app/resources/zentivo.rc
                              PROPERTIES OBJECT_DEPENDS "${ZENTIVO_RESOURCE_INPUTS}")
  target_link_libraries(zentivo-window-harness PRIVATE zentivo_platform_ui zentivo_ui)
  zentivo_use_skin(zentivo-window-harness)
  add_test(NAME installer_window
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/installer_window_test.sh $<TARGET_FILE:ZentivoSetup>
                   $<TARGET_FILE:zentivo-window-harness> ${CMAKE_BINARY_DIR})
  set_tests_properties(installer_window PROPERTIES LABELS "wine;ui" TIMEOUT 300
                                                   RESOURCE_LOCK wine_desktop)
  # The same window at 96, 120, 144 and 192 dpi, one Wine prefix each, and
  # the licence window's dialog keys; screenshots <build>/screens/dpi-*.png.
  add_test(NAME installer_window_dpi
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/window_dpi_test.sh $<TARGET_FILE:ZentivoSetup>
                   $<TARGET_FILE:zentivo-window-harness> ${CMAKE_BINARY_DIR})
  set_tests_properties(installer_window_dpi PROPERTIES LABELS "wine;ui" TIMEOUT 400
                                                       RESOURCE_LOCK wine_desktop)
endif()
