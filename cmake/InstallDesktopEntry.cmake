# Run by cmake --install: writes the desktop entry with the program's
# installed path (known only now, after --prefix) and installs it, so it is
# listed in the install manifest like every other file.
set(program "${CMAKE_INSTALL_PREFIX}/${VANTREL_BINDIR}/vantrel")
set(VANTREL_TRYEXEC "${program}")
if(program MATCHES "[\"`$\\\\]")
    # Characters the entry format would want escaped twice over: leave the
    # lookup to PATH instead.
    set(VANTREL_EXEC vantrel)
    set(VANTREL_TRYEXEC vantrel)
elseif(program MATCHES " ")
    set(VANTREL_EXEC "\"${program}\"")
else()
    set(VANTREL_EXEC "${program}")
endif()
configure_file("${VANTREL_DESKTOP_TEMPLATE}" "${VANTREL_DESKTOP_FILE}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${VANTREL_APPLICATIONS_DIR}" TYPE FILE FILES "${VANTREL_DESKTOP_FILE}")
