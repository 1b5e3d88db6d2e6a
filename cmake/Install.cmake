# What `cmake --install` puts into a prefix, and the Debian package that
# CPack makes of the same tree. The installed tree works wherever it is
# put: the program finds its plug-in and exact mode's helper in
# lib/nidus/ beside its own bin/ folder, never in the build tree.
#
#   bin/nidus-convert
#   lib/nidus/libnidus.so, lib/nidus/nidus-names.jar
#   share/man/man1/nidus-convert.1.gz
#   share/bash-completion/completions/nidus-convert
#   share/nidus/examples/jdbc-migration/config.xml  (a starting point)
#
# No config.xml is installed beside the plug-in: rules belong to one
# migration, and a default that converts with the example's vendor names
# would be wrong for every other tree. Without --rules the program says
# where it looked and asks for one.

# A fixed folder, not GNUInstallDirs' lib/<triplet>: the program finds it
# as ../lib/nidus from bin/.
set(NIDUS_INSTALL_FILES_DIR lib/nidus)
set(NIDUS_HOST_DIR ${CMAKE_SOURCE_DIR}/convert/host)

install(TARGETS nidus-convert RUNTIME DESTINATION bin)
install(TARGETS nidus LIBRARY DESTINATION ${NIDUS_INSTALL_FILES_DIR})
if(TARGET nidus_names_jar)
  get_target_property(NIDUS_INSTALLED_JAR nidus_names_jar JAR_FILE)
  install(FILES ${NIDUS_INSTALLED_JAR} DESTINATION ${NIDUS_INSTALL_FILES_DIR})
endif()

# The manual page, gzipped as Debian ships them (-n: no name or time in
# the header, so the package is the same from build to build).
find_program(NIDUS_GZIP gzip)
set(NIDUS_MANUAL ${NIDUS_HOST_DIR}/cli/nidus-convert.1)
if(NIDUS_GZIP)
  set(NIDUS_MANUAL_BUILT ${CMAKE_BINARY_DIR}/manual/nidus-convert.1.gz)
  add_custom_command(OUTPUT ${NIDUS_MANUAL_BUILT}
    COMMAND ${CMAKE_COMMAND} -E copy ${NIDUS_MANUAL} ${CMAKE_BINARY_DIR}/manual/nidus-convert.1
    COMMAND ${NIDUS_GZIP} -9nf ${CMAKE_BINARY_DIR}/manual/nidus-convert.1
    DEPENDS ${NIDUS_MANUAL}
    COMMENT "Compressing the manual page"
    VERBATIM)
  add_custom_target(nidus_manual ALL DEPENDS ${NIDUS_MANUAL_BUILT})
  install(FILES ${NIDUS_MANUAL_BUILT} DESTINATION share/man/man1)
else()
  install(FILES ${NIDUS_MANUAL} DESTINATION share/man/man1)
endif()

install(FILES ${NIDUS_HOST_DIR}/cli/nidus-convert.bash-completion
  DESTINATION share/bash-completion/completions RENAME nidus-convert)
install(FILES ${CMAKE_SOURCE_DIR}/examples/jdbc-migration/config.xml
  DESTINATION share/nidus/examples/jdbc-migration)

# The Debian package: cpack -G DEB --config BUILD/CPackConfig.cmake (or the
# package target), best from a Release build. Its dependencies are the
# ones dpkg-shlibdeps computes from the program and the plug-in.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nidus)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "nidus developers")
set(CPACK_PACKAGE_CONTACT "nidus developers <nidus-dev@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rule-driven source converter for Java code")
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "nidus-convert converts a Java source tree with the nidus plug-in and a
rule file that names a vendor's packages, imports, classes, members and
methods and what each becomes: migrating an application from one
vendor's API to another's, or moving a namespace. Every file comes out
converted or unchanged, never half-converted, and every file that fails
is listed with its line and reason.

Exact mode (--classpath) resolves names with the Java compiler and needs
a JDK.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "default-jdk-headless")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
