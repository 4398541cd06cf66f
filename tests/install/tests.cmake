# The full-drive cases of test_install run again on a small tmpfs of their
# own (tests/support/with-small-disk); in the normal run they skip.
if(NOT WIN32)
  add_test(NAME install_full_disk
           COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-small-disk 2m
                   $<TARGET_FILE:test_install> --gtest_filter=*FullDisk*)
  set_tests_properties(install_full_disk PROPERTIES LABELS "native;install"
                                                    FAIL_REGULAR_EXPRESSION "SKIPPED|No tests")
endif()
