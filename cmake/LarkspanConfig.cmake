# larkspan_warnings: the warning level (and sanitizers) of every target.
# larkspan_config: warnings plus the strict Qt defines the program builds with.
# Tests use larkspan_test_config, which allows string literals as QString so
# that data tables stay readable.
add_library(larkspan_warnings INTERFACE)
target_compile_options(larkspan_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
set(LARKSPAN_STRICT_QT_DEFINES
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS
    QT_NO_FOREACH
    QT_USE_QSTRINGBUILDER
    QT_STRICT_ITERATORS
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)

add_library(larkspan_config INTERFACE)
target_link_libraries(larkspan_config INTERFACE larkspan_warnings)
target_compile_definitions(larkspan_config INTERFACE
    QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII ${LARKSPAN_STRICT_QT_DEFINES})

add_library(larkspan_test_config INTERFACE)
target_link_libraries(larkspan_test_config INTERFACE larkspan_warnings)
target_compile_definitions(larkspan_test_config INTERFACE ${LARKSPAN_STRICT_QT_DEFINES})
if(LARKSPAN_WERROR)
    target_compile_options(larkspan_warnings INTERFACE -Werror)
endif()
if(LARKSPAN_SANITIZE)
    target_compile_options(larkspan_warnings INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(larkspan_warnings INTERFACE -fsanitize=address,undefined)
endif()
