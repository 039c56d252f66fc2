# Where an installed Vantrel keeps its parts. Our libraries are private to the
# program, so they go in a folder of their own rather than on the system's
# library path; the program reaches them and its data through paths relative
# to its own location, which keeps an installed tree relocatable.
set(VANTREL_PRIVATE_LIBDIR ${CMAKE_INSTALL_LIBDIR}/vantrel)
set(VANTREL_DATADIR ${CMAKE_INSTALL_DATADIR}/vantrel)
# Named after the package, not the project (GNUInstallDirs would say "Vantrel").
set(VANTREL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/vantrel)
set(VANTREL_APP_ID com.tarvex.Vantrel)

file(RELATIVE_PATH VANTREL_BIN_TO_PRIVATE_LIBDIR
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/vantrel)
file(RELATIVE_PATH VANTREL_BIN_TO_DATADIR
    ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/vantrel)
