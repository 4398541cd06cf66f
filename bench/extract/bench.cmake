# Extraction throughput and memory against Info-ZIP's unzip; run by hand:
#   build/native/bin/bench_extract [work-folder]
add_executable(bench_extract ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(bench_extract PRIVATE zentivo_install zentivo_platform)
