# Run by cmake --install: writes the desktop entry with the program's
# installed path (known only now, after --prefix) and installs it, so it is
# listed in the install manifest like every other file.
set(program "${CMAKE_INSTALL_PREFIX}/${VANTREL_BINDIR}/vantrel")

# A value of the entry is read with the format's string escapes undone first
# (\\ is one backslash, \n a line break...), so every backslash we mean is
# written twice.
function(vantrel_desktop_string_escape out text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\n" "\\n" text "${text}")
    string(REPLACE "\t" "\\t" text "${text}")
    string(REPLACE "\r" "\\r" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# One argument of an Exec line: a path with any of the format's reserved
# characters (a home such as /home/o'brien, a folder named "A & B") goes in
# double quotes, where ", `, $ and \ take a backslash; a literal % is %%
# everywhere, since % starts a field code.
function(vantrel_desktop_exec_argument out argument)
    if(argument MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
        string(REPLACE "\\" "\\\\" argument "${argument}")
        string(REPLACE "\"" "\\\"" argument "${argument}")
        string(REPLACE "`" "\\`" argument "${argument}")
        string(REPLACE "$" "\\$" argument "${argument}")
        set(argument "\"${argument}\"")
    endif()
    string(REPLACE "%" "%%" argument "${argument}")
    vantrel_desktop_string_escape(argument "${argument}")
    set(${out} "${argument}" PARENT_SCOPE)
endfunction()

vantrel_desktop_exec_argument(VANTREL_EXEC "${program}")
# TryExec is a plain string, not a command line: no quoting.
vantrel_desktop_string_escape(VANTREL_TRYEXEC "${program}")
configure_file("${VANTREL_DESKTOP_TEMPLATE}" "${VANTREL_DESKTOP_FILE}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${VANTREL_APPLICATIONS_DIR}" TYPE FILE FILES "${VANTREL_DESKTOP_FILE}")
