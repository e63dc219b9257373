# The station's archive, with a child that is killed while it adds frames.
find_package(SQLite3 REQUIRED)
add_executable(kelvanor_archive_child archive/archive_child.cpp)
target_link_libraries(kelvanor_archive_child PRIVATE kelvanor_archive)

add_executable(kelvanor_archive_tests archive/archive_test.cpp archive/archive_kill_test.cpp)
target_include_directories(kelvanor_archive_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(kelvanor_archive_tests PRIVATE
    KELVANOR_ARCHIVE_CHILD="$<TARGET_FILE:kelvanor_archive_child>")
target_link_libraries(kelvanor_archive_tests PRIVATE kelvanor_archive SQLite::SQLite3 GTest::gtest_main)
add_dependencies(kelvanor_archive_tests kelvanor_archive_child)
gtest_discover_tests(kelvanor_archive_tests)
