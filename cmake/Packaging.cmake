# The Debian package: `cpack -G DEB` in the build folder makes
# quillbank2_<version>_<arch>.deb from the install rules. The dependencies come
# from the binaries (dpkg-shlibdeps) plus what the client loads at run time
# without linking it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillbank2)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillbank2 developers")
set(CPACK_PACKAGE_CONTACT "${QB_MAINTAINER}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop client for a Korean bulk text-messaging service")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillbank2 logs in to a Korean bulk text-messaging service, loads recipients
from text files, Excel workbooks, typed numbers or the address book, and sends
them SMS, LMS or MMS messages with merge fields, reservation, range and split
sending, duplicate removal and reject lists. Its interface is Korean.

The package also holds qbsend, which sends a job from the command line as
the client does, qbupdater, which prepares the working folder and starts
the client, and qb-service, a local stand-in for the service for tests and
demonstrations.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quillbank2.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded, not linked: the Korean standard buttons (Chromium's own process for
# the web views comes with the web engine's shlibs); and a Korean font in place
# of the one the windows ask for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")

include(CPack)
