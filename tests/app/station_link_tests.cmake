# The station link: the stream cutter on its own, and kelvanor-cli against
# real peers (the replay server on 127.0.0.1, socat and Direwolf
# pseudo-terminals); included from tests/CMakeLists.txt.
add_executable(kelvanor_kiss_stream_tests ${CMAKE_CURRENT_LIST_DIR}/../acquire/kiss_stream_test.cpp)
target_include_directories(kelvanor_kiss_stream_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(kelvanor_kiss_stream_tests PRIVATE kelvanor_core GTest::gtest_main)
gtest_discover_tests(kelvanor_kiss_stream_tests)
