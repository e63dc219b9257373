# The chart view's tests; included from tests/CMakeLists.txt. They paint into
# images, so they run on the offscreen platform and need no display.
if(TARGET kelvanor_chart_view)
    find_package(Qt6 6.4 REQUIRED COMPONENTS Test Widgets)

    add_executable(kelvanor_chart_view_tests ${CMAKE_CURRENT_LIST_DIR}/chart_view_test.cpp)
    set_target_properties(kelvanor_chart_view_tests PROPERTIES AUTOMOC ON)
    target_include_directories(kelvanor_chart_view_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
    target_link_libraries(kelvanor_chart_view_tests PRIVATE kelvanor_chart_view Qt6::Test Qt6::Widgets)
    target_compile_options(kelvanor_chart_view_tests PRIVATE -Wall -Wextra)

    add_test(NAME chart_view_tests COMMAND kelvanor_chart_view_tests)
    set_tests_properties(chart_view_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
