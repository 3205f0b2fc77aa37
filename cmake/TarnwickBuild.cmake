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

option(TARNWICK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TARNWICK_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
