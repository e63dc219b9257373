# The chart redraw benchmark; included from bench/CMakeLists.txt. Needs the
# Qt chart view; compares against Qt Charts when that is installed.
if(TARGET kelvanor_chart_view)
    find_package(benchmark REQUIRED)
    find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets)
    find_package(Qt6 6.4 QUIET COMPONENTS Charts)

    add_executable(kelvanor_chart_bench ${CMAKE_CURRENT_LIST_DIR}/chart_bench.cpp)
    target_link_libraries(kelvanor_chart_bench PRIVATE
        kelvanor_chart_view kelvanor_core kelvanor_samples Qt6::Widgets benchmark::benchmark)
    target_compile_options(kelvanor_chart_bench PRIVATE -Wall -Wextra)
    if(TARGET Qt6::Charts)
        target_link_libraries(kelvanor_chart_bench PRIVATE Qt6::Charts)
        target_compile_definitions(kelvanor_chart_bench PRIVATE KELVANOR_HAVE_QT_CHARTS)
    else()
        message(STATUS "Qt Charts not found: the chart benchmark runs without the comparison")
    endif()
endif()
