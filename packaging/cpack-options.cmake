# Read by cpack for each generator: the Debian package installs under /usr, the
# archive holds bin/ and share/ for any prefix (~/.local, /opt/orvel).
if(CPACK_GENERATOR STREQUAL "TGZ")
    set(CPACK_PACKAGING_INSTALL_PREFIX "/")
endif()
