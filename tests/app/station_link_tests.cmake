# The station link: kelvanor-cli against real peers (the replay server on
# 127.0.0.1, socat and Direwolf pseudo-terminals); included from
# tests/CMakeLists.txt. The stream cutter is in kelvanor_core_tests.
add_executable(kelvanor_station_link_tests ${CMAKE_CURRENT_LIST_DIR}/station_link_test.cpp)
target_include_directories(kelvanor_station_link_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
target_compile_definitions(kelvanor_station_link_tests PRIVATE
    KELVANOR_CLI_PATH="$<TARGET_FILE:kelvanor-cli>"
    KELVANOR_KISS_SERVER_PATH="$<TARGET_FILE:kelvanor-kiss-server>")
if(KELVANOR_SERVICE_TYPE STREQUAL "notify")
    target_compile_definitions(kelvanor_station_link_tests PRIVATE KELVANOR_HAVE_SYSTEMD)
endif()
target_link_libraries(kelvanor_station_link_tests PRIVATE kelvanor_samples GTest::gtest_main)
add_dependencies(kelvanor_station_link_tests kelvanor-cli kelvanor-kiss-server)
gtest_discover_tests(kelvanor_station_link_tests PROPERTIES TIMEOUT 120)

# systemd-analyze accepts the packaged recorder unit run on this build's
# kelvanor-cli, without a word (its manual page is not installed here).
add_test(NAME recorder_unit_verifies COMMAND sh -c [=[
    command -v systemd-analyze >/dev/null || exit 77
    sed "s#/usr/bin/kelvanor-cli#$0#" "$1" > "$2/kelvanor-recorder.service"
    said=$(systemd-analyze verify --man=no "$2/kelvanor-recorder.service" 2>&1) && test -z "$said" || { echo "$said"; exit 1; }
  ]=] $<TARGET_FILE:kelvanor-cli> ${CMAKE_BINARY_DIR}/systemd/kelvanor-recorder.service ${CMAKE_CURRENT_BINARY_DIR})
set_tests_properties(recorder_unit_verifies PROPERTIES SKIP_RETURN_CODE 77)
