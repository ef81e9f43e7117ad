# What a user downloads, made by CPack (`cmake --build <build> --target package`):
#   Linux  the portable folder Tamsiro-<version>-Linux.tar.gz (tamsiro and
#          README.txt; the sound sets go next to tamsiro) and the Debian
#          package tamsiro_<version>_<arch>.deb (tamsiro in /usr/bin, its
#          desktop entry, icons, metainfo and README.txt).
#   Windows the zip Tamsiro-<version>-Windows.zip (Tamsiro.exe, README.txt).
# tamsiro-cli goes into each of them when it is built.
# The portable and the Debian layouts differ, so their install rules are
# two components; cmake/cpack_generator.cmake picks one per generator.
include(${CMAKE_CURRENT_LIST_DIR}/install_layout.cmake)

set(TAMSIRO_HOMEPAGE "https://github.com/tamsiro/tamsiro" CACHE STRING "The project's home, named in the packages")
set(TAMSIRO_MAINTAINER "Tamsiro developers <tamsiro@users.noreply.github.com>" CACHE STRING
    "Who answers for the packages, as Name <address>")
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)

set(programs)
if(WIN32 AND TARGET Tamsiro)
  list(APPEND programs Tamsiro)
elseif(TARGET tamsiro)
  list(APPEND programs tamsiro)
endif()
if(NOT programs)
  return()  # no desktop program in this build (the core preset): nothing to package
endif()
if(TARGET tamsiro-cli)
  list(APPEND programs tamsiro-cli)
endif()
# Everything the packages hold, built by `--target tamsiro_packages` before
# CPack runs, without building the tests as `--target package` does.
add_custom_target(tamsiro_packages
  COMMAND ${CMAKE_CPACK_COMMAND} --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Making the packages"
  VERBATIM)

add_dependencies(tamsiro_packages ${programs})

# The portable folder or zip.
install(TARGETS ${programs} RUNTIME DESTINATION . COMPONENT portable)
if(WIN32)
  # CR LF, for every Notepad.
  configure_file(${packaging_dir}/README-windows.txt ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE WIN32)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION . COMPONENT portable)
  set(CPACK_GENERATOR ZIP)
else()
  install(FILES ${packaging_dir}/README.txt DESTINATION . COMPONENT portable)
  set(CPACK_GENERATOR TGZ)
endif()

# The Debian package.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND TARGET tamsiro)
  set(icon_theme ${CMAKE_BINARY_DIR}/packaging/hicolor)
  set(icon_files)
  foreach(size 16 24 32 48 64 128 256)
    list(APPEND icon_files ${icon_theme}/${size}x${size}/apps/${TAMSIRO_APP_ID}.png)
  endforeach()
  add_custom_command(OUTPUT ${icon_files}
    COMMAND tamsiro_icon_pngs ${icon_theme} ${TAMSIRO_APP_ID}
    DEPENDS tamsiro_icon_pngs
    COMMENT "Rendering the icon theme's PNGs"
    VERBATIM)
  add_custom_target(tamsiro_icons ALL DEPENDS ${icon_files})
  add_dependencies(tamsiro_packages tamsiro_icons)

  configure_file(${packaging_dir}/${TAMSIRO_APP_ID}.metainfo.xml.in
                 ${CMAKE_BINARY_DIR}/packaging/${TAMSIRO_APP_ID}.metainfo.xml @ONLY)

  install(TARGETS ${programs} RUNTIME DESTINATION bin COMPONENT deb)
  install(FILES ${packaging_dir}/${TAMSIRO_APP_ID}.desktop DESTINATION share/applications COMPONENT deb)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${TAMSIRO_APP_ID}.metainfo.xml DESTINATION share/metainfo COMPONENT deb)
  install(DIRECTORY ${icon_theme} DESTINATION share/icons COMPONENT deb)
  install(FILES ${packaging_dir}/README.txt DESTINATION ${TAMSIRO_DEB_DOC_DIR} COMPONENT deb)

  # Debian policy: the copyright file, the changelog and each program's
  # manual page, compressed without a timestamp (gzip -n).
  set(deb_doc ${CMAKE_BINARY_DIR}/packaging/doc)
  configure_file(${packaging_dir}/copyright ${deb_doc}/copyright @ONLY)
  install(FILES ${deb_doc}/copyright DESTINATION ${TAMSIRO_DEB_DOC_DIR} COMPONENT deb)
  add_custom_command(OUTPUT ${deb_doc}/changelog.gz
    COMMAND gzip -9n -c ${packaging_dir}/changelog > ${deb_doc}/changelog.gz
    DEPENDS ${packaging_dir}/changelog
    VERBATIM)
  set(deb_docs ${deb_doc}/changelog.gz)
  install(FILES ${deb_doc}/changelog.gz DESTINATION ${TAMSIRO_DEB_DOC_DIR} COMPONENT deb)

  # The manual pages are the programs' own --help and --version, so they
  # cannot drift from what the programs say. A sanitizer build's leak
  # report at exit must not fail them.
  find_program(TAMSIRO_HELP2MAN help2man)
  if(TAMSIRO_HELP2MAN)
    set(summary_tamsiro "install custom sound sets on an AiboMind 3 memory stick")
    set(summary_tamsiro-cli "install sound sets and work with .ODA archives from a terminal")
    foreach(program ${programs})
      set(page ${deb_doc}/${program}.1)
      add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                ${TAMSIRO_HELP2MAN} --no-info --section=1 --name=${summary_${program}}
                --include=${packaging_dir}/man-${program}.h2m --output=${page} $<TARGET_FILE:${program}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${program} ${packaging_dir}/man-${program}.h2m
        COMMENT "Writing the manual page of ${program}"
        VERBATIM)
      list(APPEND deb_docs ${page}.gz)
      install(FILES ${page}.gz DESTINATION share/man/man1 COMPONENT deb)
    endforeach()
  else()
    message(WARNING "help2man not found: the Debian package will lack its manual pages (tools/install-deps.sh installs it)")
  endif()
  add_custom_target(tamsiro_deb_docs ALL DEPENDS ${deb_docs})
  add_dependencies(tamsiro_packages tamsiro_deb_docs)

  list(APPEND CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_NAME "tamsiro")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TAMSIRO_HOMEPAGE}")
  # dpkg-shlibdeps names the libraries the programs link (libqt6widgets6,
  # libqt6gui6, libqt6core6, libc6, ...); Qt loads its platform plugins at
  # run time, so those are named by hand.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
  set(CPACK_TAMSIRO_DEB_PREFIX ${TAMSIRO_DEB_PREFIX})
endif()

set(CPACK_PACKAGE_NAME "Tamsiro")
set(CPACK_PACKAGE_VENDOR "Tamsiro")
set(CPACK_PACKAGE_CONTACT "${TAMSIRO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Installs custom sound sets on an AiboMind 3 memory stick")
set(CPACK_PACKAGE_DESCRIPTION "Tamsiro puts custom sound sets onto the memory stick of a robot running
AiboMind 3 (English edition): a Main set merged into the stick's sound
archive, a talkative voice and a games set, chosen in one small dialog.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_FILE_NAME "Tamsiro-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}")
set(CPACK_STRIP_FILES ON)
# One package per generator, holding the component that generator wants.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack_generator.cmake)
include(CPack)
cpack_add_component(portable DISPLAY_NAME "Portable folder")
cpack_add_component(deb DISPLAY_NAME "Debian package")
