# Warnings and strictness shared by every target of ours.
add_library(tarnwick_options INTERFACE)
add_library(Tarnwick::options ALIAS tarnwick_options)
target_compile_options(tarnwick_options INTERFACE -Wall -Wextra)
# Warnings fail the build in the developer and CI presets only: a packager's newer compiler must still build it.
option(TARNWICK_WARNINGS_AS_ERRORS "Treat warnings as errors" OFF)
if(TARNWICK_WARNINGS_AS_ERRORS)
    target_compile_options(tarnwick_options INTERFACE -Werror)
endif()
target_compile_definitions(tarnwick_options INTERFACE
    $<$<NOT:$<CONFIG:Release>>:_GLIBCXX_ASSERTIONS>)

# Strict Qt defines for the Qt layers.
add_library(tarnwick_qt_options INTERFACE)
add_library(Tarnwick::qt_options ALIAS tarnwick_qt_options)
target_link_libraries(tarnwick_qt_options INTERFACE tarnwick_options)
target_compile_definitions(tarnwick_qt_options INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_KEYWORDS
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

# Sanitizer builds; each preset turns on one of these.
option(TARNWICK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(TARNWICK_SANITIZE_THREAD "Build with ThreadSanitizer" OFF)
option(TARNWICK_FUZZ "Build the libFuzzer targets of fuzz/ with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TARNWICK_SANITIZE_THREAD AND (TARNWICK_SANITIZE OR TARNWICK_FUZZ))
    message(FATAL_ERROR "ThreadSanitizer cannot share a build with AddressSanitizer")
endif()
if(TARNWICK_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz targets need clang's libFuzzer: configure with CMAKE_CXX_COMPILER=clang++")
endif()
if(TARNWICK_SANITIZE OR TARNWICK_FUZZ)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(TARNWICK_FUZZ)
    # Coverage feedback from every library; only the fuzz targets link libFuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(TARNWICK_SANITIZE_THREAD)
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
endif()
