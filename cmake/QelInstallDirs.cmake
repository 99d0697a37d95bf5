# Where an install puts the suite (Filesystem Hierarchy Standard, through
# GNUInstallDirs), and the run path that lets the installed programs find the
# suite's libraries from any prefix. Included before the modules, since a
# target takes its install run path when it is made.
include(GNUInstallDirs)

# The suite's shared libraries are private to its programs: a directory of
# their own under the library directory, never on the loader's search path.
set(QEL_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/qellar2)
# The installation directory of the registry's "Path00": help files and samples.
set(QEL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/qellar2)

# Relative to the program, so that the installed tree can live under any
# prefix (and a package under a scratch root).
file(RELATIVE_PATH QEL_BIN_TO_LIB /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${QEL_INSTALL_LIBDIR})
set(CMAKE_INSTALL_RPATH "$ORIGIN/${QEL_BIN_TO_LIB};$ORIGIN")

# Paths of the source and build trees never reach an installed file (file
# names in assertions and in debug information).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                    -ffile-prefix-map=${CMAKE_BINARY_DIR}/=)

# The registry file the suite reads when QELLAR_REGISTRY is not set. Empty:
# the file beside the prefix the suite is installed under (/etc/qellar2 for
# /usr, <prefix>/etc/qellar2 otherwise), else /etc/qellar2/registry.ini.
set(QEL_REGISTRY_FILE "" CACHE FILEPATH "Registry file of an installed suite (empty: by prefix)")
