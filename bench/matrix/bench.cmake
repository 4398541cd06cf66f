# The fault matrix (a table, not a test): every fault-server mode against the
# worker and every kind of damaged archive against the completion routine.
#   cmake --build --preset native --target run_fault_matrix
add_executable(fault_matrix ${CMAKE_CURRENT_LIST_DIR}/main.cpp
               ${PROJECT_SOURCE_DIR}/tests/download/net/test_servers.cpp
               ${PROJECT_SOURCE_DIR}/tests/install/zip_builder.cpp
               ${PROJECT_SOURCE_DIR}/tests/install/extract_test_support.cpp)
target_link_libraries(fault_matrix PRIVATE zentivo_test_support)
target_compile_definitions(fault_matrix PRIVATE ZENTIVO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_include_directories(fault_matrix PRIVATE ${PROJECT_SOURCE_DIR}/bench)
add_custom_target(run_fault_matrix COMMAND fault_matrix DEPENDS fault_matrix USES_TERMINAL)
