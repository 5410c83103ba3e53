# The Debian package, made by scripts/package with CPack:
# quillon_VERSION_ARCH.deb, whose dependencies are the packages of the shared
# libraries the program links (dpkg-shlibdeps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR Tevrin)
set(CPACK_PACKAGE_CONTACT "Tevrin <quillon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the history of CVS working folders")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon runs the CVS client's log command in a working folder and shows\n"
    "every file and revision: the files with their counts, the history of\n"
    "every revision, newest first, and charts of commits or changed lines per\n"
    "day. Rows are coloured by author, and a double click compares a\n"
    "revision side by side with the one before it. Every list can also be\n"
    "written as CSV from the command line.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION vcs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillon.example.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cvs, diffutils")
include(CPack)
