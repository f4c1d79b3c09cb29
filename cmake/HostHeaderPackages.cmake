# Header-only libraries of the build machine for a cross build: CLI11 and nlohmann-json are
# plain headers, so the MinGW-w64 build uses the ones Debian installs. Their own package files
# would put all of /usr/include on the include path, ahead of the target's C library, so only
# the two header folders are staged (as links) into a folder of the build tree, and small
# package files of our own name that folder. find_package() then finds them as usual.
set(WR7310_HOST_INCLUDE_DIR /usr/include CACHE PATH "Where the build machine's CLI/ and nlohmann/ headers are")
set(WR7310_HOST_CMAKE_DIR /usr/share/cmake CACHE PATH "Where the build machine's CLI11 and nlohmann_json package files are")

set(_wr7310_stage ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${_wr7310_stage}/include)

# wr7310_stage_header_package(PACKAGE HEADER_FOLDER TARGET)
function(wr7310_stage_header_package package folder target)
    if(NOT EXISTS ${WR7310_HOST_INCLUDE_DIR}/${folder})
        return() # find_package() reports the missing package
    endif()
    if(NOT EXISTS ${_wr7310_stage}/include/${folder})
        file(CREATE_LINK ${WR7310_HOST_INCLUDE_DIR}/${folder} ${_wr7310_stage}/include/${folder}
             SYMBOLIC)
    endif()
    set(dir ${_wr7310_stage}/${package})
    file(MAKE_DIRECTORY ${dir})
    file(COPY ${WR7310_HOST_CMAKE_DIR}/${package}/${package}ConfigVersion.cmake DESTINATION ${dir})
    file(WRITE ${dir}/${package}Config.cmake
         "if(NOT TARGET ${target})\n"
         "    add_library(${target} INTERFACE IMPORTED)\n"
         "    set_target_properties(${target} PROPERTIES\n"
         "        INTERFACE_INCLUDE_DIRECTORIES \"${_wr7310_stage}/include\")\n"
         "endif()\n")
    set(${package}_DIR ${dir} CACHE PATH "Staged header-only package of the build machine" FORCE)
endfunction()

wr7310_stage_header_package(nlohmann_json nlohmann nlohmann_json::nlohmann_json)
wr7310_stage_header_package(CLI11 CLI CLI11::CLI11)
