# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE): the Debian
# package's Depends gets the libraries the program and its modules link, as
# dpkg-shlibdeps finds them in the built binaries.
if(CPACK_GENERATOR STREQUAL "DEB")
  file(READ ${CPACK_JZB_BINARIES_LIST} binaries)
  string(STRIP "${binaries}" binaries)
  # dpkg-shlibdeps wants a debian/control where it runs; an empty one does.
  string(RANDOM LENGTH 8 tag)
  set(work ${CPACK_JZB_WORK}-${tag}) # two cpack runs of one build may overlap
  file(MAKE_DIRECTORY ${work}/debian)
  file(WRITE ${work}/debian/control "")
  execute_process(COMMAND dpkg-shlibdeps -O ${binaries}
    WORKING_DIRECTORY ${work}
    OUTPUT_VARIABLE found ERROR_VARIABLE errors RESULT_VARIABLE status
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  file(REMOVE_RECURSE ${work})
  if(NOT status EQUAL 0 OR NOT found MATCHES "^shlibs:Depends=")
    message(FATAL_ERROR "dpkg-shlibdeps ${binaries}: ${status}\n${errors}")
  endif()
  string(REGEX REPLACE "^shlibs:Depends=" "" found "${found}")
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CPACK_DEBIAN_PACKAGE_DEPENDS}, ${found}")
endif()
