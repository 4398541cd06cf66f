# The real packed installer under Wine, from the first click to "立即体验",
# against nginx serving the demo content. Each scenario has its own network
# namespace, display, Wine prefix and drive D:; "e2e_prepare" makes what they
# share (the content, both editions' installers, a prefix template).
if(WIN32)
  set(_e2e ${CMAKE_CURRENT_LIST_DIR}/e2e_test.py)
  set(_work ${CMAKE_BINARY_DIR}/e2e)
  set(_bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  add_test(NAME e2e_prepare COMMAND ${ZENTIVO_PYTHON3} ${_e2e} --bin ${_bin} --work ${_work} prepare)
  set_tests_properties(e2e_prepare PROPERTIES LABELS "e2e" TIMEOUT 300 FIXTURES_SETUP e2e)
  foreach(_scenario install-a install-b resume-after-kill maindb-missing damaged-setup swapped-setup second-copy
                    cancel-no cancel-yes no-network keyboard planted-dlls)
    add_test(NAME e2e_${_scenario}
             COMMAND ${CMAKE_CURRENT_LIST_DIR}/in-netns ${ZENTIVO_PYTHON3} ${_e2e} --bin ${_bin}
                     --work ${_work} ${_scenario})
    set_tests_properties(e2e_${_scenario} PROPERTIES LABELS "e2e" TIMEOUT 420 FIXTURES_REQUIRED e2e)
  endforeach()

  # Stand-ins for DLLs that someone could drop beside the downloaded installer
  # (planted_dll.c, one build per name, in a folder of their own so that they
  # never lie beside the build's programs). "planted-dlls" plants them all.
  set(_planted ${CMAKE_BINARY_DIR}/planted-dlls)
  add_library(zentivo_planted_dll OBJECT ${CMAKE_CURRENT_LIST_DIR}/planted_dll.c)
  target_compile_options(zentivo_planted_dll PRIVATE -ffreestanding -fno-stack-protector)
  foreach(_dll version uxtheme dwmapi msimg32 wininet comctl32 iertutil urlmon propsys profapi cryptbase
               dbghelp msxml3 msxml6 winhttp secur32 sspicli bcrypt crypt32 wintrust userenv netapi32)
    add_library(planted_${_dll} SHARED $<TARGET_OBJECTS:zentivo_planted_dll>)
    set_target_properties(planted_${_dll} PROPERTIES OUTPUT_NAME ${_dll} PREFIX "" LINKER_LANGUAGE C
                          RUNTIME_OUTPUT_DIRECTORY ${_planted}
                          ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/planted-import-libs)
    target_link_options(planted_${_dll} PRIVATE -nostdlib -Wl,--entry,PlantedEntry
                        -Wl,--exclude-all-symbols)
    target_link_libraries(planted_${_dll} PRIVATE kernel32)
  endforeach()
  set_property(TEST e2e_planted-dlls APPEND PROPERTY ENVIRONMENT "ZENTIVO_PLANTED_DLLS=${_planted}")
  # test_platform's DllSearch cases copy one as a probe of their own.
  add_dependencies(test_platform planted_version)
  # Drive D: on a small tmpfs of its own, in its own mount namespace.
  add_test(NAME e2e_full-drive
           COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-small-disk 1m
                   ${CMAKE_CURRENT_LIST_DIR}/in-netns ${ZENTIVO_PYTHON3} ${_e2e} --bin ${_bin}
                   --work ${_work} full-drive)
  set_tests_properties(e2e_full-drive PROPERTIES LABELS "e2e" TIMEOUT 420 FIXTURES_REQUIRED e2e)
  # The update server as Apache httpd, lighttpd, Caddy and nginx in turn: an
  # installation and zentivo-pack check against each.
  add_test(NAME e2e_servers
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/in-netns ${ZENTIVO_PYTHON3}
                   ${CMAKE_CURRENT_LIST_DIR}/servers_test.py --bin ${_bin} --work ${_work} servers)
  set_tests_properties(e2e_servers PROPERTIES LABELS "e2e" TIMEOUT 420 FIXTURES_REQUIRED e2e)
  # Behind squid, the proxy set in the user's Internet Settings: direct, a
  # visible proxy, one asking a password (answered, then cancelled), one that
  # is down, and a network that reaches the servers only through it.
  add_test(NAME e2e_proxy
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/in-netns ${ZENTIVO_PYTHON3}
                   ${CMAKE_CURRENT_LIST_DIR}/proxy_test.py --bin ${_bin} --work ${_work} proxy)
  set_tests_properties(e2e_proxy PROPERTIES LABELS "e2e" TIMEOUT 600 FIXTURES_REQUIRED e2e)
endif()
