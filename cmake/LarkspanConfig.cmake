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
# Optimised builds of the program are optimised for size. Its own code spends
# little of its time (that is Qt's), but start-up touches nearly all of it, and
# every page touched stays resident: a third less code is 0.3 MB less memory,
# with no loss that the benchmarks can tell.
target_compile_options(larkspan_config INTERFACE $<$<CONFIG:Release,RelWithDebInfo>:-Os>)

# Hardened as Debian builds its packages (dpkg-buildflags, plus binding at
# start): a stack protector, checked libc calls, format strings that cannot be
# data, and a relocation table made read-only once the program is loaded. Not
# under the sanitizers, which do their own checking and object to a fortified libc.
if(NOT LARKSPAN_SANITIZE)
    target_compile_options(larkspan_config INTERFACE -fstack-protector-strong -Wformat -Werror=format-security)
    # Checked libc calls need the optimiser; a debug build would only warn.
    target_compile_definitions(larkspan_config INTERFACE
        $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
endif()
if(WIN32)
    # mingw's stack protector and checked calls live in libssp, which the
    # compiler driver links only when told at link time.
    target_link_options(larkspan_config INTERFACE $<$<NOT:$<BOOL:${LARKSPAN_SANITIZE}>>:-fstack-protector-strong>)
else()
    target_link_options(larkspan_warnings INTERFACE LINKER:-z,relro LINKER:-z,now)
endif()
# The same commit builds the same program wherever it is checked out: no
# absolute path of the source or build folder reaches the objects, so the
# build id (a hash of the whole output, debug information included) does not
# change with them. The build folder last: the one given last is matched
# first, and the build folder may lie inside the sources. Not for the tests,
# whose QFINDTESTDATA needs the real path of their source.
target_compile_options(larkspan_config INTERFACE
    "-ffile-prefix-map=${CMAKE_SOURCE_DIR}=." "-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")

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

# lld links the several dozen test executables in a fraction of GNU ld's time.
include(CheckLinkerFlag)
if(NOT WIN32)
    check_linker_flag(CXX -fuse-ld=lld LARKSPAN_HAVE_LLD)
endif()
if(LARKSPAN_HAVE_LLD)
    target_link_options(larkspan_warnings INTERFACE -fuse-ld=lld)
endif()

# Precompiled headers. Nearly every source file includes the Qt Widgets
# headers, and parsing them is most of its compile time; instead they are
# parsed once per configuration for the program and once for the tests (whose
# defines differ), and every other target reuses that parse. Only Qt and
# standard headers go in: a header of the project in here would let a layer
# reach another past its include root.
# The program's own only for Debug builds by default: GCC's precompiled header
# follows the compiler's own memory layout, which differs from run to run, and
# so then does the debug information of what includes it. A build meant for a
# package must make the same package from the same commit.
if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    set(larkspan_pch_default ON)
else()
    set(larkspan_pch_default OFF)
endif()
option(LARKSPAN_PCH "Precompile the common Qt and standard headers" ${larkspan_pch_default})
# One set of flags for every target of a kind, or a reused header would not
# match: the GIO layers bring -pthread, so everything compiles with it.
target_compile_options(larkspan_warnings INTERFACE -pthread)
set(LARKSPAN_PCH_HEADERS
    <algorithm> <functional> <memory> <optional> <vector>
    <QtCore/QByteArray> <QtCore/QDir> <QtCore/QFile> <QtCore/QFileInfo> <QtCore/QHash> <QtCore/QJsonArray>
    <QtCore/QJsonDocument> <QtCore/QJsonObject> <QtCore/QList> <QtCore/QLocale> <QtCore/QMimeData>
    <QtCore/QObject> <QtCore/QPointer> <QtCore/QRegularExpression> <QtCore/QSettings>
    <QtCore/QSortFilterProxyModel> <QtCore/QStandardPaths> <QtCore/QString> <QtCore/QStringList>
    <QtCore/QTimer> <QtCore/QVariant>
    <QtGui/QGuiApplication> <QtGui/QIcon> <QtGui/QImage> <QtGui/QKeyEvent> <QtGui/QPainter> <QtGui/QPixmap>
    <QtGui/QScreen> <QtGui/QAction>)
# The base layer and the layers that need no Qt Widgets precompile these alone.
set(LARKSPAN_PCH_CORE_HEADERS ${LARKSPAN_PCH_HEADERS})
list(APPEND LARKSPAN_PCH_HEADERS
    <QtWidgets/QApplication> <QtWidgets/QLabel> <QtWidgets/QLineEdit>
    <QtWidgets/QListView> <QtWidgets/QMenu> <QtWidgets/QPushButton> <QtWidgets/QScrollBar> <QtWidgets/QStyle>
    <QtWidgets/QWidget>)
# The tests' own: <QtTest> brings all of Qt Core. Not qtest.h itself, which
# tests QT_NETWORK_LIB, defined only for the tests that link Qt Network.
set(LARKSPAN_TEST_PCH_HEADERS ${LARKSPAN_PCH_HEADERS}
    <QtCore/QtCore> <QtTest/qsignalspy.h> <QtTest/qtestcase.h> <QtTest/qtestevent.h>)
set(LARKSPAN_TEST_PCH_CORE_HEADERS ${LARKSPAN_PCH_CORE_HEADERS}
    <QtCore/QtCore> <QtTest/qsignalspy.h> <QtTest/qtestcase.h> <QtTest/qtestevent.h>)

# larkspan_precompile(<target> <owner> <headers...>): the target uses the
# precompiled headers of <owner>, made by <owner> itself from the headers
# given. All users of one owner must compile with the same flags.
function(larkspan_precompile target owner)
    # The tests are never packaged: they keep their precompiled headers either way.
    if(NOT LARKSPAN_PCH AND NOT owner MATCHES "^larkspan_(testenv|fakes)$")
        return()
    endif()
    if(target STREQUAL owner)
        target_precompile_headers(${target} PRIVATE ${ARGN})
    else()
        target_precompile_headers(${target} REUSE_FROM ${owner})
    endif()
    # An executable's classes are in its one source, which includes their moc
    # output, so its moc file is empty: loading the precompiled headers for it
    # would cost more than parsing it.
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        get_target_property(binary_dir ${target} BINARY_DIR)
        set_source_files_properties("${binary_dir}/${target}_autogen/mocs_compilation.cpp"
                                    TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
endfunction()
