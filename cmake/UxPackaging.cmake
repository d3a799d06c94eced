# The Debian package: `cpack -G DEB` in a configured and built folder packs
# what `cmake --install` installs (the three programs, the desktop entry, the
# icons) into kardo_<version>_<arch>.deb under /usr.

set(UX_PACKAGE_MAINTAINER "Kardo developers <kardo@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kardo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kardo developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulator of a car gas/petrol fuel switch console")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop simulator of the driver's console of a car gas/petrol fuel switch:
seven LEDs, a two-digit seven-segment display and a settings window that
drives fuel modes, LED effects, the tank level and the switch's operating
modes. Also contains uxconv, which converts the simulator's layout streams
between their binary and text forms, and uxrender, which paints a stored
layout into a PNG picture.")
set(CPACK_PACKAGE_CONTACT "${UX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build's RelWithDebInfo binaries carry tens of megabytes of debug
# information no user of the package reads.
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${UX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The shared libraries the binaries link (Cairo, Pango, libpng, libjpeg, X11
# and the C++ runtime) become Depends through dpkg-shlibdeps, which needs
# dpkg-dev and file on the packing machine.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What no linker sees: text is laid out in Tahoma when Wine's fonts are there
# (another sans-serif otherwise), and the OpenGL device opens EGL at run time
# (the software device otherwise).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libegl1, libgl1-mesa-dri")

include(CPack)
