# Run at install time: writes the desktop entry of the installed program, with the program's and
# the icon's absolute paths, into the program's folder and into the menu folder so the desktop's
# menu lists the program.
#   TEMPLATE  the entry with @VOXSPLICE_DESKTOP_EXEC@ and @VOXSPLICE_DESKTOP_ICON@
#   PREFIX    the folder the program is installed into
#   MENU_DIR  the menu folder; empty for the installing user's own, NONE for no menu entry

# A value in the entry's string syntax, where a backslash starts an escape.
function(escape_string out value)
    string(REPLACE "\\" "\\\\" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The program as one quoted argument of Exec, where '"', '`', '$' and '\' are escaped inside the
# quotes and '%' starts a field code.
string(REPLACE "\\" "\\\\" program "${PREFIX}/voxsplice")
string(REPLACE "\"" "\\\"" program "${program}")
string(REPLACE "`" "\\`" program "${program}")
string(REPLACE "$" "\\$" program "${program}")
string(REPLACE "%" "%%" program "${program}")
escape_string(VOXSPLICE_DESKTOP_EXEC "\"${program}\"")
escape_string(VOXSPLICE_DESKTOP_ICON "${PREFIX}/voxsplice.svg")

set(entry "$ENV{DESTDIR}${PREFIX}/voxsplice.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${TEMPLATE}" "${entry}" @ONLY)

if(MENU_DIR STREQUAL "NONE")
    return()
endif()
if(MENU_DIR STREQUAL "")
    if(IS_ABSOLUTE "$ENV{XDG_DATA_HOME}")
        set(MENU_DIR "$ENV{XDG_DATA_HOME}/applications")
    elseif(NOT "$ENV{HOME}" STREQUAL "")
        set(MENU_DIR "$ENV{HOME}/.local/share/applications")
    else()
        return()
    endif()
endif()
set(menu_entry "$ENV{DESTDIR}${MENU_DIR}/voxsplice.desktop")
message(STATUS "Installing: ${menu_entry}")
file(MAKE_DIRECTORY "$ENV{DESTDIR}${MENU_DIR}")
configure_file("${entry}" "${menu_entry}" COPYONLY)
