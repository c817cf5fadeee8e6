# The Debian package: CPack's DEB generator over the install rules. Library
# dependencies are read from the installed programs by dpkg-shlibdeps; the
# CJK font is named by hand since no program links it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quoteview)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "quoteview developers")
set(CPACK_PACKAGE_CONTACT ${QUOTEVIEW_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop stock-quote viewer with a simulated market")
# The long description as dpkg shows it: lines of at most 80 characters.
set(CPACK_PACKAGE_DESCRIPTION [[
Quote Viewer keeps a watch list of stock codes in one window. Every change
of the focused row refreshes each row's name, price, change, volume and
market value in the background from an HTTP quote service, and shows the
focused stock's five buy and five sell levels and its intraday chart beside
the list.

The package also contains quote-service, a simulated market in which every
code of the Shanghai, Shenzhen and Beijing boards answers the viewer's quote
and chart addresses on the local machine. The quoteview command starts it for
the session when no other service is set and none answers on its port.]])

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUOTEVIEW_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://example.org/quoteview)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-wqy-microhei)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
