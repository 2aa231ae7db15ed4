# Run at install time: writes the menu entry for the installed program.
#   TEMPLATE          the entry, with @VOXSPLICE_DESKTOP_EXEC@ and @VOXSPLICE_APP_ID@
#   PROGRAM           the installed program's full path
#   ENTRY             the file to write
#   VOXSPLICE_APP_ID  the name of the entry and of the icon

# The program as Exec's command: quoted where it holds a reserved character, and then '"', '`',
# '$' and '\' escaped inside the quotes; '%' starts a field code. The entry's string syntax then
# doubles every backslash.
set(program "${PROGRAM}")
if(program MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
    string(REPLACE "\\" "\\\\" program "${program}")
    string(REPLACE "\"" "\\\"" program "${program}")
    string(REPLACE "`" "\\`" program "${program}")
    string(REPLACE "$" "\\$" program "${program}")
    set(program "\"${program}\"")
endif()
string(REPLACE "%" "%%" program "${program}")
string(REPLACE "\\" "\\\\" VOXSPLICE_DESKTOP_EXEC "${program}")

message(STATUS "Installing: ${ENTRY}")
configure_file("${TEMPLATE}" "${ENTRY}" @ONLY)
