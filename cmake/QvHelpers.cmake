# Shared helpers for unit tests, fuzz targets and benchmarks.

# Adds a folder (absolute path) when it has a CMakeLists.txt and QV_ONLY allows it.
function(qv_add_folder dir)
    if(NOT EXISTS ${dir}/CMakeLists.txt)
        return()
    endif()
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${dir})
    if(QV_ONLY)
        set(wanted FALSE)
        foreach(only ${QV_ONLY})
            string(FIND "${only}/" "${rel}/" a)
            string(FIND "${rel}/" "${only}/" b)
            if(a EQUAL 0 OR b EQUAL 0)
                set(wanted TRUE)
            endif()
        endforeach()
        if(NOT wanted)
            return()
        endif()
    endif()
    add_subdirectory(${dir})
endfunction()

# Adds every immediate subfolder of the current folder that has a CMakeLists.txt.
function(qv_add_subfolders)
    file(GLOB children LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(child ${children})
        if(IS_DIRECTORY ${child})
            qv_add_folder(${child})
        endif()
    endforeach()
endfunction()

# qv_add_unit_test(NAME <name> SOURCES <files...> LIBS <targets...>)
function(qv_add_unit_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    find_package(GTest REQUIRED)
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} qv_test_support
        GTest::gmock GTest::gtest GTest::gtest_main)
    include(GoogleTest)
    # A user's LANGUAGE would override the locale the tests set.
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS unit
        ENVIRONMENT "LANGUAGE=")
endfunction()

# qv_add_fuzz_target(NAME <name> SOURCE <file> LIBS <targets...> [CORPUS <dir>])
# With QV_FUZZ the target is a libFuzzer binary; otherwise it is linked to a
# small driver that replays the seed corpus, and that replay is a test.
function(qv_add_fuzz_target)
    cmake_parse_arguments(F "" "NAME;SOURCE;CORPUS" "LIBS" ${ARGN})
    if(QV_FUZZ)
        add_executable(${F_NAME} ${F_SOURCE})
        target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
        target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
    else()
        add_executable(${F_NAME} ${F_SOURCE} ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
        target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
        if(F_CORPUS)
            add_test(NAME ${F_NAME}.replay COMMAND ${F_NAME} ${F_CORPUS})
            set_tests_properties(${F_NAME}.replay PROPERTIES LABELS fuzz)
        endif()
    endif()
endfunction()

# qv_add_benchmark(NAME <name> SOURCES <files...> LIBS <targets...>)
function(qv_add_benchmark)
    cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${B_NAME} ${B_SOURCES})
    target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# qv_add_desktop_tests(TARGET <binary> [PREFIX <p>] [FILTER <gtest filter>]
#                      [LAUNCHER_ARGS <args...>])
# Registers each case of a GoogleTest binary that needs a display as a test
# of its own, run on a private desktop by scripts/qvdesktop.py.
function(qv_add_desktop_tests)
    cmake_parse_arguments(D "" "TARGET;PREFIX;FILTER" "LAUNCHER_ARGS" ${ARGN})
    find_package(Python3 REQUIRED COMPONENTS Interpreter)
    set_property(TARGET ${D_TARGET} PROPERTY CROSSCOMPILING_EMULATOR ${Python3_EXECUTABLE}
                 ${CMAKE_SOURCE_DIR}/scripts/qvdesktop.py ${D_LAUNCHER_ARGS} --)
    include(GoogleTest)
    gtest_discover_tests(${D_TARGET} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${D_PREFIX}"
        TEST_FILTER "${D_FILTER}" PROPERTIES LABELS integration TIMEOUT 300)
endfunction()
