# What the target platform builds, chosen here and nowhere else.
#
# freedesktop: the X11/freedesktop backend, the program, its desktop files and
# package, and every test.
# windows: the Windows backend, the program and its rate helper, and the tests
# that do not need the freedesktop backend.
if(WIN32)
    set(default_platform windows)
else()
    set(default_platform freedesktop)
endif()
set(LARKSPAN_PLATFORM "${default_platform}" CACHE STRING "Platform backend")
set_property(CACHE LARKSPAN_PLATFORM PROPERTY STRINGS freedesktop windows)

if(LARKSPAN_PLATFORM STREQUAL "freedesktop")
    # Qt D-Bus talks to the desktops; Qt Svg writes the icon theme's scalable icon.
    set(LARKSPAN_PLATFORM_QT_COMPONENTS DBus Svg)
    set(LARKSPAN_SHELL_PLATFORM_LINKS Qt6::DBus Qt6::Svg)
    # How files are read and replaced: POSIX descriptors.
    set(LARKSPAN_FILE_ACCESS posix)
    set(LARKSPAN_BUILDS_PROGRAM ON)
elseif(LARKSPAN_PLATFORM STREQUAL "windows")
    set(LARKSPAN_PLATFORM_QT_COMPONENTS "")
    set(LARKSPAN_SHELL_PLATFORM_LINKS "")
    set(LARKSPAN_FILE_ACCESS windows)
    # The backend's system libraries: COM, the shell and its helpers, the
    # registry, GDI for icons, the desktop window manager for cloaked windows.
    set(LARKSPAN_BACKEND_PLATFORM_LINKS ole32 shell32 shlwapi uuid advapi32 comctl32 gdi32 user32 dwmapi)
    # The program's manifest: UTF-8 as the process's code page.
    set(LARKSPAN_PROGRAM_PLATFORM_SOURCES "${CMAKE_SOURCE_DIR}/resources/windows/larkspan.rc")
    set(LARKSPAN_BUILDS_PROGRAM ON)
else()
    message(FATAL_ERROR "Unknown platform: ${LARKSPAN_PLATFORM}")
endif()
