# The demo product that the demo update server hands out (tools/demo-content
# packs it): DeskTutor.exe and Mivanta.exe, windows that say which product and
# edition is installed, and uninstall.exe, which removes what "uninstall.log"
# lists. Windows programs; their log and settings reading also builds natively
# for the unit tests in tests/demo.
set(_demo ${CMAKE_CURRENT_LIST_DIR})
add_library(zentivo_demo_core STATIC ${_demo}/product_ini.cpp ${_demo}/uninstall_log.cpp
                                     ${_demo}/uninstall_messages.cpp ${_demo}/uninstall_run.cpp)
target_link_libraries(zentivo_demo_core PUBLIC zentivo_platform)
target_include_directories(zentivo_demo_core PUBLIC ${_demo})

# The build draws the programs' icon with the content generator's code, and
# the tests run the generator.
find_program(ZENTIVO_PYTHON3 python3 REQUIRED)

if(WIN32)
  set(_icon_dir ${CMAKE_CURRENT_BINARY_DIR}/demo-product)
  add_custom_command(
    OUTPUT ${_icon_dir}/demo.ico
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_icon_dir}
    COMMAND ${ZENTIVO_PYTHON3} ${PROJECT_SOURCE_DIR}/tools/demo-content/images.py icon
            ${_icon_dir}/demo.ico
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/demo-content/images.py
    COMMENT "Drawing the demo product's icon")
  set_source_files_properties(${_demo}/resources/demo.rc PROPERTIES OBJECT_DEPENDS
                              "${_icon_dir}/demo.ico;${_demo}/resources/demo.manifest")

  # zentivo_demo_program(TARGET OUTPUT_NAME SOURCE [DEFINITIONS...])
  function(zentivo_demo_program target output source)
    add_executable(${target} WIN32 ${_demo}/${source} ${_demo}/resources/demo.rc
                                   ${_icon_dir}/demo.ico)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output})
    target_include_directories(${target} PRIVATE ${_icon_dir})
    target_compile_definitions(${target} PRIVATE ${ARGN})
    target_link_libraries(${target} PRIVATE zentivo_demo_core)
    # Stripped: the programs travel in every download.
    target_link_options(${target} PRIVATE -municode -s)
  endfunction()

  zentivo_demo_program(demo_desktutor DeskTutor product_main_win32.cpp DEMO_PROGRAM="DeskTutor")
  zentivo_demo_program(demo_mivanta Mivanta product_main_win32.cpp DEMO_PROGRAM="Mivanta")
  zentivo_demo_program(demo_uninstall uninstall uninstall_main_win32.cpp)
endif()
