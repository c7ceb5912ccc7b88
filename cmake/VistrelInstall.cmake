# What `cmake --install` puts on a system: the program, its menu entry, its icon in the
# hicolor theme at every size drawn, its AppStream metainfo, and the udev rule that lets
# the logged-in user read the camera's snapshot button. Also the Debian package
# (`cpack -G DEB`, scripts/package.sh), which installs the same files under /usr.
include(GNUInstallDirs)

# Installing and packaging take the program as built (scripts/package.sh builds it
# first) rather than building every target, the tests included, one at a time.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(VISTREL_APP_ID com.tavio.vistrel)
# udev reads rules from <prefix>/lib/udev/rules.d for /usr and /usr/local alike; never
# from lib64 or a multiarch folder, so this is not CMAKE_INSTALL_LIBDIR.
set(VISTREL_UDEV_RULES_DIR lib/udev/rules.d CACHE STRING "Where the udev rule goes, relative to the prefix or absolute")

install(TARGETS vistrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES res/install/${VISTREL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES res/install/${VISTREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 22 32 48 64 128 256)
  install(FILES res/icons/app_${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${VISTREL_APP_ID}.png)
endforeach()
install(FILES res/install/70-vistrel-camera-button.rules DESTINATION ${VISTREL_UDEV_RULES_DIR})

# The Debian package. Its dependencies are found by dpkg-shlibdeps from the libraries the
# program links; Qt's platform plugins come with libqt6gui6, which it links.
set(CPACK_PACKAGE_NAME vistrel)
set(CPACK_PACKAGE_VENDOR Tavio)
set(CPACK_PACKAGE_CONTACT "Vistrel maintainers <vistrel@tavio.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "view and control a USB (UVC) camera")
set(CPACK_PACKAGE_DESCRIPTION "Shows the live picture of a USB video-class camera; takes JPEG snapshots,\n\
also from the camera's snapshot button, and records MPEG videos; freezes,\n\
zooms and mirrors the picture; sets exposure, resolution and power-line\n\
frequency; draws an edge mask and a crosshair. Chinese, English and\n\
Japanese texts.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window texts are Chinese or Japanese unless the user picks English.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei | fonts-noto-cjk")
# No maintainer scripts: udev rereads its rules by itself, and the rule applies to a
# camera from its next plug-in (or `udevadm trigger`).
include(CPack)
