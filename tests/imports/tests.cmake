# The import tables of the installer and of zentivo-pack name KnownDLLs only,
# which Windows maps from System32 whatever lies beside the program (the
# others are loaded at run time from System32, platform/win32/system_dll.h).
# trust-test-ca imports crypt32: the control that the reader sees such a DLL.
if(WIN32)
  add_test(NAME known_dll_imports
           COMMAND ${ZENTIVO_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/known_dlls_test.py
                   --control $<TARGET_FILE:trust-test-ca> $<TARGET_FILE:ZentivoSetup>
                   $<TARGET_FILE:zentivo-pack>)
  set_tests_properties(known_dll_imports PROPERTIES LABELS "windows;startup" TIMEOUT 60)
endif()
