# Installation and the Debian package, laid out as Debian places games: the commands in games/, the
# pictures and the sound in share/games/zum/f, the executable in libexec/zum. The program finds its
# folder f beside its real path, so libexec/zum/f is a link to the media and games/zum a link to the
# executable.
set(ZUM_INSTALL_APP_DIR libexec/zum)
set(ZUM_INSTALL_MEDIA_DIR share/games/zum)
set(ZUM_APPSTREAM_ID example.zum.Zum)
set(zum_packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
set(zum_media_dir ${CMAKE_BINARY_DIR}/media)
set(zum_staged_dir ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS zum RUNTIME DESTINATION ${ZUM_INSTALL_APP_DIR})
# A stripping install (the package's) also drops the compiler's notes, as Debian's own tools do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZUM_INSTALL_APP_DIR}/zum\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(DIRECTORY ${ZUM_APP_DIR}/f DESTINATION ${ZUM_INSTALL_MEDIA_DIR})

# Relative links made at configure time; install() copies a link as a link.
file(MAKE_DIRECTORY ${zum_staged_dir}/games ${zum_staged_dir}/app)
file(CREATE_LINK ../${ZUM_INSTALL_APP_DIR}/zum ${zum_staged_dir}/games/zum SYMBOLIC)
file(CREATE_LINK ../../${ZUM_INSTALL_MEDIA_DIR}/f ${zum_staged_dir}/app/f SYMBOLIC)
install(FILES ${zum_staged_dir}/games/zum DESTINATION games)
install(FILES ${zum_staged_dir}/app/f DESTINATION ${ZUM_INSTALL_APP_DIR})

# zum-imagenes makes the player's own folder f from the shipped one, which it finds from where it is
# installed, so any prefix works.
file(RELATIVE_PATH ZUM_SAMPLE_FROM_COMMAND /prefix/games /prefix/${ZUM_INSTALL_MEDIA_DIR}/f)
configure_file(${zum_packaging_dir}/zum-imagenes.in ${zum_staged_dir}/zum-imagenes @ONLY)
install(PROGRAMS ${zum_staged_dir}/zum-imagenes DESTINATION games)

# The manual page and the changelog go compressed, without a time stamp, so that a rebuild gives the
# same bytes.
find_program(ZUM_GZIP gzip REQUIRED)
foreach(source zum.6 zum-imagenes.6 changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${zum_packaging_dir}/${source})
  execute_process(COMMAND ${ZUM_GZIP} -9 -n -c INPUT_FILE ${zum_packaging_dir}/${source}
                  OUTPUT_FILE ${zum_staged_dir}/${source}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()

install(FILES ${zum_packaging_dir}/zum.desktop DESTINATION share/applications)
install(FILES ${zum_packaging_dir}/${ZUM_APPSTREAM_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${zum_staged_dir}/zum.6.gz ${zum_staged_dir}/zum-imagenes.6.gz DESTINATION share/man/man6)
install(FILES ${zum_packaging_dir}/copyright ${zum_staged_dir}/changelog.gz DESTINATION share/doc/zum)
foreach(size 32 48 64 128 256)
  install(FILES ${zum_media_dir}/icon-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME zum.png)
endforeach()

if(ZUM_BUILD_TESTS)
  add_test(NAME PackagingMetadata_test
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/validate-metadata ${zum_packaging_dir})
  # The script exits 77 when a validator is not installed.
  set_tests_properties(PackagingMetadata_test PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60)
  # Only the hardened build is what the package ships.
  if(ZUM_HARDENING)
    add_test(NAME PackageLintian_test COMMAND ${CMAKE_SOURCE_DIR}/scripts/lint-package ${CMAKE_BINARY_DIR})
    # The script exits 77 when lintian is not installed.
    set_tests_properties(PackageLintian_test PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
  endif()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zum)
set(CPACK_PACKAGE_VENDOR "ZUM")
set(CPACK_PACKAGE_CONTACT "ZUM <zum@zum.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Juego de memoria: encuentra las parejas de fotos")
# The extended description, in lines that Debian's tools show as they are.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "ZUM es un juego de memoria para un jugador. Veinte fotos yacen boca abajo en"
  "un tablero de cinco columnas y cuatro filas, y cada nivel esconde diez"
  "parejas. Se destapan dos casillas por turno: una pareja se queda a la vista,"
  "suma 100 puntos y suena una campanilla. Diez parejas reparten el nivel"
  "siguiente, con una bonificación por los segundos que quedan y por el nivel"
  "alcanzado."
  ""
  "Una sola cuenta atrás dura toda la partida y nunca se rellena; el menú"
  "Dificultad elige con cuánto tiempo empieza. El paquete trae su propia"
  "colección de fotos y el sonido de las parejas; la orden zum-imagenes"
  "prepara una carpeta para jugar con las fotos del jugador.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The package ships the executable without its symbols.
set(CPACK_STRIP_FILES ON)
# The X11 platform plugin ships with libqt6gui6, which shlibdeps finds; Wayland's plugin and the
# fonts that stand in for the window's own and for the fonts pictures name (symbols, Chinese and
# Japanese) are separate packages, as is xdg-open, with which zum-imagenes opens the player's folder.
string(JOIN ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland fonts-liberation fonts-dejavu-core fonts-opensymbol
            fonts-urw-base35 fonts-wqy-microhei xdg-utils)
include(CPack)
