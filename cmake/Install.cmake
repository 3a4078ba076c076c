# Installation and the Debian package. The program finds its folder f through its real path, so
# the executable and f live together in lib/zum and bin/zum is only a symbolic link to it.
set(ZUM_INSTALL_APP_DIR lib/zum)
set(ZUM_APPSTREAM_ID example.zum.Zum)
set(zum_packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
set(zum_media_dir ${CMAKE_BINARY_DIR}/media)

install(TARGETS zum RUNTIME DESTINATION ${ZUM_INSTALL_APP_DIR})
install(DIRECTORY ${ZUM_APP_DIR}/f DESTINATION ${ZUM_INSTALL_APP_DIR})

# A relative link made at configure time; install() copies a link as a link.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
file(CREATE_LINK ../${ZUM_INSTALL_APP_DIR}/zum ${CMAKE_BINARY_DIR}/packaging/zum SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/packaging/zum DESTINATION bin)

install(FILES ${zum_packaging_dir}/zum.desktop DESTINATION share/applications)
install(FILES ${zum_packaging_dir}/${ZUM_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${zum_packaging_dir}/zum.6 DESTINATION share/man/man6)
foreach(size 32 48 64 128 256)
  install(FILES ${zum_media_dir}/icon-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME zum.png)
endforeach()

if(ZUM_BUILD_TESTS)
  add_test(NAME PackagingMetadata_test
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/validate-metadata ${zum_packaging_dir})
  # The script exits 77 when a validator is not installed.
  set_tests_properties(PackagingMetadata_test PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zum)
set(CPACK_PACKAGE_VENDOR "ZUM")
set(CPACK_PACKAGE_CONTACT "ZUM <zum@zum.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Juego de memoria: encuentra las parejas de fotos")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X11 platform plugin ships with libqt6gui6, which shlibdeps finds; Wayland's plugin and the
# fonts that stand in for the window's own are separate packages.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, fonts-liberation, fonts-dejavu-core")
include(CPack)
