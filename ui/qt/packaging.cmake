# The portable folder: an archive that unpacks to Tamsiro-<version>-<host>/
# holding tamsiro and a short README.txt. The user drops the downloaded
# DATA_*.ODA files next to tamsiro.
install(TARGETS tamsiro RUNTIME DESTINATION . BUNDLE DESTINATION .)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/README.txt DESTINATION .)

set(CPACK_PACKAGE_NAME "Tamsiro")
set(CPACK_PACKAGE_VENDOR "Tamsiro")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Installs custom sound sets on an AiboMind 3 memory stick")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_GENERATOR "TGZ")
set(CPACK_SOURCE_GENERATOR "")
set(CPACK_PACKAGE_FILE_NAME "Tamsiro-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
