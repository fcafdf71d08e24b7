# find_package(Tessaline): the converter tessaline-cli as the imported target Tessaline::tessaline-cli, and
# tessaline_add_picture(), which turns a picture into code as part of a build.
include("${CMAKE_CURRENT_LIST_DIR}/TessalineTargets.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/TessalineFunctions.cmake")
