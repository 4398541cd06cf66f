# The packing tool, tested from the outside as the packaging side uses it:
# pack, dump and single values; the download plan of a table of editions;
# the matrix of editions; the folder and shortcut names it refuses; the
# server check against the demo tree, a table of broken servers and https
# with a test CA; the signed release manifest: keygen, sign and check with a
# release key.
if(NOT WIN32)
  add_test(NAME pack_tool COMMAND ${CMAKE_CURRENT_LIST_DIR}/pack_tool_test.sh
                                  $<TARGET_FILE:zentivo-pack>)
  foreach(_t plan matrix names check sign)
    add_test(NAME pack_${_t} COMMAND ${ZENTIVO_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/${_t}_test.py
                                     $<TARGET_FILE:zentivo-pack>)
  endforeach()
  set_tests_properties(pack_tool pack_plan pack_matrix pack_names pack_check pack_sign PROPERTIES LABELS "native;tools")
  set_tests_properties(pack_check pack_sign PROPERTIES TIMEOUT 300)
endif()

# The DER, PE and signature code of pack, over crafted signed images
# (natively and under Wine).
zentivo_test_area(pack LABELS tools)
if(TARGET test_pack)
  target_link_libraries(test_pack PRIVATE zentivo_pack_signing)
endif()

# The installer signed with a test certificate and packed inside its
# signature, checked with osslsigncode and started under Wine; signed files
# with bad tables refused; the Windows tool's text on a code page 936
# console and through a pipe.
if(WIN32)
  add_test(NAME pack_signed_installer
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/signed_installer_test.sh $<TARGET_FILE:ZentivoSetup>
                   $<TARGET_FILE:zentivo-pack> ${CMAKE_BINARY_DIR})
  set_tests_properties(pack_signed_installer PROPERTIES LABELS "wine;tools" TIMEOUT 300
                                                        RESOURCE_LOCK wine_desktop)
endif()
