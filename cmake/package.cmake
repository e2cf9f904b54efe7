# The Windows installer festivo-<version>-x64.msi, packed by tools/package.sh from this build's programs.
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION FESTIVO_VERSION LIMIT_COUNT 1)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)
set(FESTIVO_MSI ${CMAKE_BINARY_DIR}/festivo-${FESTIVO_VERSION}-x64.msi)
add_custom_command(
  OUTPUT ${FESTIVO_MSI}
  COMMAND ${CMAKE_SOURCE_DIR}/tools/package.sh --bin ${CMAKE_BINARY_DIR}/bin --out ${CMAKE_BINARY_DIR}
          --version ${FESTIVO_VERSION}
  DEPENDS festivo festivo_panel festivo_store TodayHost ${CMAKE_BINARY_DIR}/bin/festivo.zrs
          ${CMAKE_SOURCE_DIR}/tools/package.sh ${CMAKE_SOURCE_DIR}/tools/installer/festivo.wxs
          ${CMAKE_SOURCE_DIR}/tools/installer/README.txt ${CMAKE_SOURCE_DIR}/VERSION
  COMMENT "Packing festivo-${FESTIVO_VERSION}-x64.msi"
  VERBATIM)
add_custom_target(festivo_msi ALL DEPENDS ${FESTIVO_MSI})
add_dependencies(festivo_msi festivo_zrs)
