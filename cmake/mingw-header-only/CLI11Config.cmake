# SPDX-License-Identifier: GPL-3.0-or-later
# CLI11 for the cross build: Debian's headers, without the rest of /usr/include.
include(${CMAKE_CURRENT_LIST_DIR}/HeaderOnly.cmake)
wr7310_header_only_target(CLI11::CLI11 CLI)
