# The station's archive, also killed while it adds frames.
find_package(SQLite3 REQUIRED)

add_executable(kelvanor_archive_tests archive/archive_test.cpp)
target_include_directories(kelvanor_archive_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(kelvanor_archive_tests PRIVATE kelvanor_archive SQLite::SQLite3 GTest::gtest_main)
gtest_discover_tests(kelvanor_archive_tests)
