# The station's archive, also killed while it adds frames.
find_package(SQLite3 REQUIRED)

add_executable(kelvanor_archive_tests archive/archive_test.cpp)
target_include_directories(kelvanor_archive_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kelvanor_archive_tests PRIVATE kelvanor_archive SQLite::SQLite3 GTest::gtest_main)
gtest_discover_tests(kelvanor_archive_tests)

if(TARGET kelvanor_window)
    find_package(Qt6 6.4 REQUIRED COMPONENTS Test Widgets)
    add_executable(kelvanor_archive_window_tests ${CMAKE_CURRENT_LIST_DIR}/../app/archive_window_test.cpp)
    set_target_properties(kelvanor_archive_window_tests PROPERTIES AUTOMOC ON)
    target_include_directories(kelvanor_archive_window_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/..)
    target_link_libraries(kelvanor_archive_window_tests PRIVATE kelvanor_window kelvanor_samples Qt6::Test)
    add_test(NAME archive_window_tests COMMAND kelvanor_archive_window_tests)
    set_tests_properties(archive_window_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
