# kelvanor-kiss-server and kelvanor-cli --connect together on 127.0.0.1;
# included from tests/CMakeLists.txt.
add_executable(kelvanor_live_tests ${CMAKE_CURRENT_LIST_DIR}/live_cli_test.cpp)
target_include_directories(kelvanor_live_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_compile_definitions(kelvanor_live_tests PRIVATE
    KELVANOR_CLI_PATH="$<TARGET_FILE:kelvanor-cli>"
    KELVANOR_KISS_SERVER_PATH="$<TARGET_FILE:kelvanor-kiss-server>")
target_link_libraries(kelvanor_live_tests PRIVATE kelvanor_samples GTest::gtest_main)
add_dependencies(kelvanor_live_tests kelvanor-cli kelvanor-kiss-server)
gtest_discover_tests(kelvanor_live_tests)
