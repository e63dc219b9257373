# The fuzz targets; included from tests/CMakeLists.txt. With KELVANOR_FUZZ
# (clang) each is a libFuzzer program `<name>_fuzz`, run for
# KELVANOR_FUZZ_SECONDS as a test; without it each entry point is linked to a
# replay driver, so the seeds and the kept crashing inputs are regression
# tests in every build.
set(KELVANOR_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs as a test")
set(fuzz_dir ${CMAKE_CURRENT_LIST_DIR})
set(seed_dir ${CMAKE_BINARY_DIR}/fuzz/seeds)

if(KELVANOR_FUZZ)
    # The core again, instrumented for coverage, for the fuzz targets alone.
    get_target_property(core_sources kelvanor_core SOURCES)
    get_target_property(core_dir kelvanor_core SOURCE_DIR)
    list(TRANSFORM core_sources PREPEND ${core_dir}/)
    add_library(kelvanor_core_fuzz STATIC ${core_sources})
    target_include_directories(kelvanor_core_fuzz PUBLIC ${core_dir})
    target_compile_features(kelvanor_core_fuzz PUBLIC cxx_std_20)
    target_compile_options(kelvanor_core_fuzz PRIVATE -fsanitize=fuzzer-no-link)
endif()

add_test(NAME fuzz_seeds COMMAND kelvanor-fuzz-seeds ${seed_dir})
set_tests_properties(fuzz_seeds PROPERTIES FIXTURES_SETUP fuzz_seeds)

foreach(name kiss_recording satnogs_log live_arrival conf_ini beacon)
    set(regressions ${fuzz_dir}/regressions/${name})
    if(KELVANOR_FUZZ)
        add_executable(${name}_fuzz ${fuzz_dir}/${name}_fuzz.cpp)
        target_compile_options(${name}_fuzz PRIVATE -fsanitize=fuzzer-no-link)
        target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${name}_fuzz PRIVATE kelvanor_core_fuzz)
        set(program ${name}_fuzz)
        set(corpus ${CMAKE_BINARY_DIR}/fuzz/corpus/${name})
        file(MAKE_DIRECTORY ${corpus} ${CMAKE_BINARY_DIR}/fuzz/artifacts)
        add_test(NAME ${name}_fuzz COMMAND ${name}_fuzz -max_total_time=${KELVANOR_FUZZ_SECONDS}
                 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                 -artifact_prefix=${CMAKE_BINARY_DIR}/fuzz/artifacts/${name}-
                 ${corpus} ${seed_dir}/${name} ${regressions})
        set_tests_properties(${name}_fuzz PROPERTIES FIXTURES_REQUIRED fuzz_seeds LABELS fuzz)
        set(replay_args -runs=0)
    else()
        add_executable(${name}_replay ${fuzz_dir}/${name}_fuzz.cpp ${fuzz_dir}/replay_main.cpp)
        set(program ${name}_replay)
        set(replay_args)
    endif()
    target_include_directories(${program} PRIVATE ${fuzz_dir} ${fuzz_dir}/..)
    if(NOT KELVANOR_FUZZ)
        target_link_libraries(${program} PRIVATE kelvanor_core)
    endif()
    add_test(NAME ${name}_replay COMMAND ${program} ${replay_args} ${seed_dir}/${name} ${regressions})
    set_tests_properties(${name}_replay PROPERTIES FIXTURES_REQUIRED fuzz_seeds)
endforeach()
