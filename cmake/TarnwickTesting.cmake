# GoogleTest for the Qt-free libraries, Qt Test for the Qt layers. Every test process runs in its own
# temporary HOME, XDG and TEMP folders (testsupport/), so no test touches the real user's files.
if(CMAKE_CROSSCOMPILING)
    # No GoogleTest is packaged for the target: build it from Debian's sources.
    set(TARNWICK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TARNWICK_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    if(NOT TARGET GTest::gtest)
        add_library(GTest::gtest ALIAS gtest)
    endif()
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# tarnwick_add_gtest(<name> [TEST_PREFIX <text>] SOURCES <files...> LIBRARIES <targets...>)
# TEST_PREFIX goes before the name of every test found in the executable, so that `ctest -R` can pick them.
function(tarnwick_add_gtest name)
    cmake_parse_arguments(ARG "" "TEST_PREFIX" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} tarnwick_gtest_main GTest::gtest tarnwick_options)
    if(CMAKE_CROSSCOMPILING)
        # One process per executable: every start under an emulator is expensive.
        add_test(NAME ${name} COMMAND ${name})
    else()
        gtest_discover_tests(${name} TEST_PREFIX "${ARG_TEST_PREFIX}" DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

# tarnwick_add_qtest(<name> SOURCES <files...> LIBRARIES <targets...>)
function(tarnwick_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} tarnwick_qtest_support Qt6::Test tarnwick_qt_options)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
