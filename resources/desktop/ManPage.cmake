# Writes larkspan.1 from the program's own --help output.
#   cmake -DBINARY=<larkspan> -DOUTPUT=<file> -DVERSION=<x.y.z> -DSUMMARY=<text> -P ManPage.cmake
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen LANGUAGE=en LC_ALL=C.UTF-8
            "${BINARY}" --help
    OUTPUT_VARIABLE help
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${BINARY} --help failed: ${result}")
endif()

# roff treats a leading dot or quote and every backslash specially.
function(roff_escape text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Split into lines without letting a ";" in a description split them too.
string(REPLACE ";" "<semicolon>" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(options "")
set(in_options FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "^Options:")
        set(in_options TRUE)
    elseif(in_options AND line MATCHES "^  (-[^ ].*[^ ])  +([^ ].*)$")
        set(names "${CMAKE_MATCH_1}")
        set(description "${CMAKE_MATCH_2}")
        roff_escape("${names}" names)
        string(REGEX REPLACE "<([^>]+)>" "\\\\fI\\1\\\\fR" names "${names}")
        roff_escape("${description}" description)
        string(REPLACE "<semicolon>" ";" description "${description}")
        string(APPEND options ".TP\n.B ${names}\n${description}\n")
    endif()
endforeach()
if(options STREQUAL "")
    message(FATAL_ERROR "no options found in the output of ${BINARY} --help")
endif()

roff_escape("${SUMMARY}" summary)
file(WRITE "${OUTPUT}" ".TH LARKSPAN 1 \"\" \"larkspan ${VERSION}\" \"User Commands\"
.SH NAME
larkspan \\- ${summary}
.SH SYNOPSIS
.B larkspan
[\\fIoptions\\fR]
.SH DESCRIPTION
Larkspan shows every item of the desktop (files, folders, launchers, and the Home, Computer and
Trash items) in floating, translucent panels on the desktop: one per kind of item, and panels you
make yourself. Only one organiser runs per user and display; starting it again exits at once with
status 0. SIGTERM, SIGINT and SIGHUP end it the same orderly way as \\(lqQuit\\(rq.
.SH OPTIONS
${options}.SH FILES
.TP
.I ~/.config/brim\\-vale/brim\\-vale.conf
settings
.TP
.I ~/.config/brim\\-vale/brim\\-vale/panels.json
panel layout: custom panels, assignments, manual orders
.TP
.I ~/.config/brim\\-vale/brim\\-vale/categories.ini
your rules for which panel a file lands in
.TP
.I ~/.config/brim\\-vale/brim\\-vale/todo.json
the to\\-do list
.TP
.I ~/.config/autostart/Larkspan.desktop
present while \\(lqStart at sign\\-in\\(rq is on
.SH ENVIRONMENT
.TP
.B XDG_CONFIG_HOME
where the files above live instead of
.IR ~/.config .
.TP
.B LARKSPAN_RATES_URL
another base address for the currency rates: any
.B https://
address, or a plain
.B http://
one on this machine only.
.TP
.B SSL_CERT_FILE
a PEM file of the certificate authorities the rate requests trust instead of the system's.
.TP
.B QT_QPA_PLATFORM
Qt's display platform; Larkspan is made for X11 and XWayland
.RB ( xcb ,
the default). With
.B wayland
the compositor places the panels, and such a run stores no positions or sizes.
.SH EXIT STATUS
.TP
.B 0
it ended normally (\\(lqQuit\\(rq, a signal above, or another organiser already runs).
.TP
.B 1
no X11 or XWayland display could be opened, or the options were wrong.
.SH SEE ALSO
.BR xdg\\-user\\-dir (1),
.BR pcmanfm\\-qt (1),
.BR xfdesktop (1)
")
