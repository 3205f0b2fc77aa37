# GoogleTest for the Qt-free libraries, Qt Test for the Qt layers. Every test process runs in its own
# temporary HOME, XDG and TEMP folders (testsupport/), so no test touches the real user's files.
find_package(GTest REQUIRED)
include(GoogleTest)

# tarnwick_add_gtest(<name> SOURCES <files...> LIBRARIES <targets...>)
function(tarnwick_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} tarnwick_gtest_main GTest::gtest tarnwick_options)
    if(CMAKE_CROSSCOMPILING)
        # One process per executable: every start under an emulator is expensive.
        add_test(NAME ${name} COMMAND ${name})
    else()
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60)
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
