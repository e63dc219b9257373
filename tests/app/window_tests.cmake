# The window's tests; included from tests/CMakeLists.txt. They run on the
# offscreen platform and need no display.
if(TARGET kelvanor_window)
    find_package(Qt6 6.4 REQUIRED COMPONENTS Test Widgets)

    add_executable(kelvanor_window_tests ${CMAKE_CURRENT_LIST_DIR}/window_test.cpp)
    set_target_properties(kelvanor_window_tests PROPERTIES AUTOMOC ON)
    target_include_directories(kelvanor_window_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
    target_compile_definitions(kelvanor_window_tests PRIVATE
        SIDS_SERVER_PATH="${CMAKE_CURRENT_LIST_DIR}/../support/sids_server.py")
    target_link_libraries(kelvanor_window_tests PRIVATE kelvanor_window kelvanor_samples Qt6::Test)
    add_dependencies(kelvanor_window_tests nconvert)

    add_test(NAME window_tests COMMAND kelvanor_window_tests)
    set_tests_properties(window_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 300)

    # --version and --help answer on a machine without any display.
    add_test(NAME window_text_options_without_display
             COMMAND sh -c [=[
                 set -e
                 unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
                 test "$("$0" --version)" = "kelvanor $1"
                 "$0" --help | grep -q -- "--grab <PNG>"
             ]=] $<TARGET_FILE:kelvanor> ${PROJECT_VERSION})
endif()
