# What `cmake --install` puts where on Linux, and the Debian package that
# CPack makes of it (scripts/package.sh).
include(GNUInstallDirs)
set(LUMO2_APP_ID org.lumo2.Lumo2)
set(LUMO2_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS lumo2 lumo2-tool zeta-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${LUMO2_PACKAGING}/${LUMO2_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${LUMO2_PACKAGING}/${LUMO2_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${LUMO2_PACKAGING}/lumo2.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${LUMO2_APP_ID}.svg)
install(FILES ${LUMO2_PACKAGING}/lumo2-256.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
        RENAME ${LUMO2_APP_ID}.png)

# Manual pages and the changelog are installed compressed, without a time
# stamp in the gzip header, so that the package is the same at every build.
set(compressed)
foreach(source IN ITEMS man/lumo2.1 man/lumo2-tool.1 man/zeta-sim.1 debian/changelog)
  get_filename_component(name ${source} NAME)
  set(output ${CMAKE_BINARY_DIR}/packaging/${name}.gz)
  add_custom_command(OUTPUT ${output}
                     COMMAND gzip -9nc ${LUMO2_PACKAGING}/${source} > ${output}
                     DEPENDS ${LUMO2_PACKAGING}/${source} VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_target(lumo2_compressed_docs ALL DEPENDS ${compressed})
list(FILTER compressed INCLUDE REGEX "\\.1\\.gz$")
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${LUMO2_PACKAGING}/debian/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumo2)
set(CPACK_PACKAGE_CONTACT "The Lumo 2 developers <lumo2@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "operate field fluorometers in hydrogeological tracer tests")
# Lines of at most 80 characters, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION [[
Lumo 2 operates the ZETA QX-1 and QX-2 four-channel field fluorometers used
in hydrogeological tracer tests. It polls the instrument over a serial port,
turns the lamp signals into dye concentrations (ppb) and turbidity (NTU),
and shows, tables, charts and journals every measurement.

It runs the instrument's calibration and analyses the tracer test by the
method of moments. lumo2-tool records unattended, converts and analyses
without windows; zeta-sim is a simulated instrument for trying everything
without hardware.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies are the packages of the shared libraries the programs link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
