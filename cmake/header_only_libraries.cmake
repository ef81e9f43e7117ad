# CLI11 and nlohmann/json, from Debian's header-only packages (libcli11-dev,
# nlohmann-json3-dev), as the targets CLI11::CLI11 and
# nlohmann_json::nlohmann_json.
#
# A host build uses the packages' own CMake files. A cross build (MinGW)
# must not search the build host's /usr/include, which holds that host's C
# library, so only the two libraries' header folders are copied into the
# build tree and used from there.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(CLI11 2 REQUIRED CONFIG)
  find_package(nlohmann_json 3 REQUIRED CONFIG)
  return()
endif()

set(TAMSIRO_HEADER_COPY ${CMAKE_BINARY_DIR}/header-only/include)

# tamsiro_copy_header_library(<target> <folder> <a header in it>)
function(tamsiro_copy_header_library target folder header)
  find_path(TAMSIRO_${folder}_INCLUDE_DIR ${folder}/${header}
            PATHS /usr/include /usr/local/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT TAMSIRO_${folder}_INCLUDE_DIR)
    message(FATAL_ERROR "${folder}/${header} not found on the build host: install libcli11-dev and nlohmann-json3-dev")
  endif()
  file(COPY ${TAMSIRO_${folder}_INCLUDE_DIR}/${folder} DESTINATION ${TAMSIRO_HEADER_COPY})
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} INTERFACE ${TAMSIRO_HEADER_COPY})
endfunction()

tamsiro_copy_header_library(CLI11::CLI11 CLI CLI.hpp)
tamsiro_copy_header_library(nlohmann_json::nlohmann_json nlohmann json.hpp)
