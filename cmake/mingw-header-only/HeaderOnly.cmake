# SPDX-License-Identifier: GPL-3.0-or-later
# wr7310_header_only_target(TARGET FOLDER): an interface target whose include folder holds
# only /usr/include/FOLDER (a link in the build tree), so the host's C library headers never
# reach the cross compiler.
function(wr7310_header_only_target target folder)
    if(TARGET ${target})
        return()
    endif()
    set(dir ${CMAKE_BINARY_DIR}/header-only)
    file(MAKE_DIRECTORY ${dir})
    if(NOT EXISTS ${dir}/${folder})
        file(CREATE_LINK /usr/include/${folder} ${dir}/${folder} SYMBOLIC)
    endif()
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${dir})
endfunction()
