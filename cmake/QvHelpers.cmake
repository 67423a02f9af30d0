# Shared helpers: resource scripts, unit tests, fuzz targets and benchmarks.

# qv_compile_rc(OUTPUT <file.res> SOURCE <file.rc> [INCLUDES <dirs...>] [DEPENDS <files...>])
# Compiles a resource script with llvm-rc into a real Win32 .res file, UTF-8
# input. Relative paths in the script resolve against its own folder; the
# "--" keeps llvm-rc from reading an input path such as /check/... as /c.
function(qv_compile_rc)
    cmake_parse_arguments(R "" "OUTPUT;SOURCE" "INCLUDES;DEPENDS" ${ARGN})
    get_filename_component(folder ${R_SOURCE} DIRECTORY)
    set(includes "")
    foreach(dir ${R_INCLUDES})
        list(APPEND includes -I ${dir})
    endforeach()
    get_filename_component(name ${R_SOURCE} NAME)
    add_custom_command(
        OUTPUT ${R_OUTPUT}
        COMMAND ${QV_LLVM_RC} -c 65001 ${includes} -fo ${R_OUTPUT} -- ${R_SOURCE}
        WORKING_DIRECTORY ${folder}
        DEPENDS ${R_SOURCE} ${R_DEPENDS}
        COMMENT "Compiling ${name}"
        VERBATIM)
endfunction()

# qv_add_unit_test(NAME <name> SOURCES <files...> LIBS <targets...>)
function(qv_add_unit_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} qv_test_support
        GTest::gmock GTest::gtest GTest::gtest_main)
    # A user's LANGUAGE would override the locale the tests set.
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS unit
        ENVIRONMENT "LANGUAGE=")
endfunction()

# qv_add_fuzz_target(NAME <name> SOURCE <file> LIBS <targets...> [CORPUS <dir>])
# With QV_FUZZ the target is a libFuzzer binary (all of them: qv_fuzz_targets);
# otherwise it is linked to a small driver. Either way replaying the seed
# corpus is a test.
function(qv_add_fuzz_target)
    cmake_parse_arguments(F "" "NAME;SOURCE;CORPUS" "LIBS" ${ARGN})
    if(QV_FUZZ)
        add_executable(${F_NAME} ${F_SOURCE})
        target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
        target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
        add_dependencies(qv_fuzz_targets ${F_NAME})
        if(F_CORPUS)
            # -runs=0: the seeds once through the instrumented binary.
            add_test(NAME ${F_NAME}.replay COMMAND ${F_NAME} -runs=0 ${F_CORPUS})
            set_tests_properties(${F_NAME}.replay PROPERTIES LABELS fuzz)
        endif()
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
    add_executable(${B_NAME} ${B_SOURCES})
    target_link_libraries(${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark benchmark::benchmark_main)
endfunction()

# qv_add_desktop_tests(TARGET <binary> [PREFIX <p>] [FILTER <gtest filter>]
#                      [LAUNCHER_ARGS <args...>])
# Registers each case of a GoogleTest binary that needs a display as a test
# of its own, run on a private desktop by scripts/qvdesktop.py.
function(qv_add_desktop_tests)
    cmake_parse_arguments(D "" "TARGET;PREFIX;FILTER" "LAUNCHER_ARGS" ${ARGN})
    set_property(TARGET ${D_TARGET} PROPERTY CROSSCOMPILING_EMULATOR ${Python3_EXECUTABLE}
                 ${CMAKE_SOURCE_DIR}/scripts/qvdesktop.py ${D_LAUNCHER_ARGS} --)
    gtest_discover_tests(${D_TARGET} DISCOVERY_MODE PRE_TEST TEST_PREFIX "${D_PREFIX}"
        TEST_FILTER "${D_FILTER}" PROPERTIES LABELS integration TIMEOUT 300)
endfunction()
