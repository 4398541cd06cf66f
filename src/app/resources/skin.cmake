# The skin pictures go into the executable deflated (tools/skin/deflate-bitmap),
# as RCDATA resources the window host inflates once when it first draws them;
# raw, they were most of the installer's size. zentivo_use_skin(TARGET) gives
# a target that compiles zentivo.rc the deflated files.
find_program(ZENTIVO_PYTHON3 python3 REQUIRED)
set(ZENTIVO_SKIN_DIR ${CMAKE_BINARY_DIR}/generated/skin CACHE INTERNAL "")
file(GLOB _skin_bitmaps CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/skin/*.bmp)
set(_deflate ${PROJECT_SOURCE_DIR}/tools/skin/deflate-bitmap)
set(_deflated)
foreach(_bmp ${_skin_bitmaps})
  get_filename_component(_name ${_bmp} NAME_WE)
  set(_out ${ZENTIVO_SKIN_DIR}/${_name}.bmp.z)
  add_custom_command(OUTPUT ${_out}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${ZENTIVO_SKIN_DIR}
                     COMMAND ${ZENTIVO_PYTHON3} ${_deflate} ${_bmp} ${_out}
                     DEPENDS ${_bmp} ${_deflate} VERBATIM)
  list(APPEND _deflated ${_out})
endforeach()
add_custom_target(zentivo_skin DEPENDS ${_deflated})

# windres writes no dependency file: name what the resources pull in.
set(ZENTIVO_RESOURCE_INPUTS ${CMAKE_CURRENT_LIST_DIR}/skin.rc
    ${CMAKE_CURRENT_LIST_DIR}/zentivo.manifest ${_deflated} CACHE INTERNAL "")

function(zentivo_use_skin target)
  add_dependencies(${target} zentivo_skin)
  # windres also looks for the files an .rc names in its include folders.
  target_include_directories(${target} PRIVATE ${ZENTIVO_SKIN_DIR})
endfunction()
