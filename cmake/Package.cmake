# The installed program and its Debian package, included by the top
# CMakeLists.txt. make deb packs what is installed here, checked by lintian
# (scripts/lint-deb.sh); make run lays out the same program folder in the
# user's home (scripts/install.sh).

# The program's folder under lib/ (marked installed, so the user's book lives
# in the user's data folder), the command, the menu entry, the icons and the
# AppStream description.
set(JZB_PROGRAM_DIR lib/jianzongbao)
# The package's binaries are stripped (CPACK_STRIP_FILES below) as Debian's
# tools strip them.
set(CMAKE_STRIP ${CMAKE_SOURCE_DIR}/scripts/strip.sh)
install(TARGETS jianzongbao DESTINATION ${JZB_PROGRAM_DIR})
install(TARGETS jianzongbao-sound jianzongbao-mail jianzongbao-http LIBRARY DESTINATION ${JZB_PROGRAM_DIR})
install(FILES resources/skinh.she resources/ts.mp3 resources/help.html resources/installed
  db/seed.sql DESTINATION ${JZB_PROGRAM_DIR})
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
file(CREATE_LINK ../${JZB_PROGRAM_DIR}/jianzongbao ${CMAKE_BINARY_DIR}/package/jianzongbao SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/package/jianzongbao DESTINATION bin)
set(EXEC jianzongbao)
configure_file(resources/jianzongbao.desktop ${CMAKE_BINARY_DIR}/package/jianzongbao.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/jianzongbao.desktop DESTINATION share/applications)
configure_file(resources/com.quorvex.jianzongbao.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/package/com.quorvex.jianzongbao.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/package/com.quorvex.jianzongbao.metainfo.xml
  DESTINATION share/metainfo)
foreach(size 48 128 256)
  install(FILES resources/images/jianzongbao-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
    RENAME jianzongbao.png)
endforeach()
install(FILES resources/images/jianzongbao.png DESTINATION share/icons/hicolor/64x64/apps)
install(FILES resources/images/jianzongbao.svg DESTINATION share/icons/hicolor/scalable/apps)

# The manual page and the package's changelog go compressed as Debian wants
# them: gzip -9 with no name or time inside, so that two builds give the same
# bytes. They are made when CMake runs, and again when their source changes.
function(jzb_gzip source output)
  execute_process(COMMAND gzip -9nc ${source} OUTPUT_FILE ${output} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${source}: ${status}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
configure_file(resources/jianzongbao.1.in ${CMAKE_BINARY_DIR}/package/jianzongbao.1 @ONLY)
jzb_gzip(${CMAKE_BINARY_DIR}/package/jianzongbao.1 ${CMAKE_BINARY_DIR}/package/jianzongbao.1.gz)
install(FILES ${CMAKE_BINARY_DIR}/package/jianzongbao.1.gz DESTINATION share/man/man1)
# The changelog's newest entry is this version's: a new version needs its entry.
file(STRINGS resources/deb/changelog JZB_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT JZB_CHANGELOG_TOP MATCHES "^jianzongbao \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "resources/deb/changelog starts with \"${JZB_CHANGELOG_TOP}\": "
    "add an entry for ${PROJECT_VERSION} on top")
endif()
# The package is native (no Debian revision): its changelog is changelog.gz.
jzb_gzip(${CMAKE_SOURCE_DIR}/resources/deb/changelog ${CMAKE_BINARY_DIR}/package/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/package/changelog.gz resources/deb/copyright
  DESTINATION share/doc/jianzongbao)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME jianzongbao)
set(CPACK_PACKAGE_CONTACT "件踪宝 <jianzongbao@quorvex.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "件踪宝: parcel tracking and arrival alerts")
# The synopsis above is put before it; a line of its own with "." parts paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
件踪宝 (Jianzongbao) is a desktop assistant for people who wait for parcels
from Chinese courier companies. It keeps a local book of parcels (courier,
tracking number, a few words about the goods). Choosing a parcel asks the
tracking service (快递100 or 快递鸟) through the user's own account and lists
its progress newest first, with the state the service gives (signed for, out
for delivery, waiting in a locker, refused, on its way back) and the time the
parcel has been under way.
.
It can watch the whole book in the background, started at login if wished,
and tells of new progress with a red mark, a desktop notification, an alert
sound and an e-mail through the user's own mail relay. A courier directory,
courier detection from the number and a demo mode with simulated parcels come
with it.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
# Binaries without their symbols; the package is built without debug
# information (Release), so there is nothing to keep in a -dbgsym package.
set(CPACK_STRIP_FILES ON)
# The libraries the binaries link come from dpkg-shlibdeps, run by
# cmake/PackageDepends.cmake when cpack runs: CPack's own run of it would also
# add ldconfig to the maintainer scripts for the modules in lib/jianzongbao,
# which are loaded by path and are no public libraries (no soname, no shlibs).
# What they load at run time (the store's SQL driver, the sound's media
# backend, TLS, the certificates, the Chinese font and Qt's Chinese texts) no
# binary names.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/PackageDepends.cmake)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/package/binaries.txt CONTENT
  "$<TARGET_FILE:jianzongbao>;$<TARGET_FILE:jianzongbao-sound>;$<TARGET_FILE:jianzongbao-mail>;$<TARGET_FILE:jianzongbao-http>")
set(CPACK_JZB_BINARIES_LIST ${CMAKE_BINARY_DIR}/package/binaries.txt)
set(CPACK_JZB_WORK ${CMAKE_BINARY_DIR}/package/shlibdeps)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6sql6-sqlite, libssl3, ca-certificates, fonts-wqy-microhei, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)

# The package as packed from this build, checked by lintian like make deb's
# (label package; make bench runs it too).
if(BUILD_TESTING)
  enable_testing()
  add_test(NAME lint_deb COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/lint-deb.sh --pack ${CMAKE_BINARY_DIR})
  set_tests_properties(lint_deb PROPERTIES LABELS package TIMEOUT 300)
endif()
