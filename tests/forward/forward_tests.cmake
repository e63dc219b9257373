# Forwarding to telemetry databases: the request and the queue in kelvanor_forward_tests;
# kelvanor-cli (kelvanor_sids_tests) against a database started on 127.0.0.1
# (the window's forwarding is in window_tests); included from tests/CMakeLists.txt.
add_executable(kelvanor_forward_tests ${CMAKE_CURRENT_LIST_DIR}/forward_test.cpp)
target_include_directories(kelvanor_forward_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(kelvanor_forward_tests PRIVATE kelvanor_forward GTest::gtest_main)
gtest_discover_tests(kelvanor_forward_tests)

add_executable(kelvanor_sids_tests ${CMAKE_CURRENT_LIST_DIR}/../app/sids_cli_test.cpp)
target_include_directories(kelvanor_sids_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_compile_definitions(kelvanor_sids_tests PRIVATE
    KELVANOR_CLI_PATH="$<TARGET_FILE:kelvanor-cli>"
    KELVANOR_KISS_SERVER_PATH="$<TARGET_FILE:kelvanor-kiss-server>"
    SIDS_SERVER_PATH="${CMAKE_CURRENT_LIST_DIR}/../support/sids_server.py")
target_link_libraries(kelvanor_sids_tests PRIVATE kelvanor_samples kelvanor_forward kelvanor_version GTest::gtest_main)
add_dependencies(kelvanor_sids_tests kelvanor-cli kelvanor-kiss-server)
gtest_discover_tests(kelvanor_sids_tests PROPERTIES TIMEOUT 120)
