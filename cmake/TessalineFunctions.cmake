# tessaline_add_picture(<target> <name> <picture> [FORMAT c51|a51|hex|ihex|pbm] [OPTIONS <converter options>...])
#
# Converts <picture> with tessaline-cli into <name> with the format's extension (.c, .a51, .bin, .hex, .pbm) in
# the current build folder, named <name> where the format has names (--name for c51 and a51), and adds it to
# <target>. The file is made again whenever the picture or the converter changes. FORMAT defaults to c51;
# OPTIONS are handed to the converter as they are (for example --layout vertical --c-dialect sdcc).
function(tessaline_add_picture target name picture)
    cmake_parse_arguments(PARSE_ARGV 3 ARG "" "FORMAT" "OPTIONS")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "tessaline_add_picture: unknown arguments: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT ARG_FORMAT)
        set(ARG_FORMAT c51)
    endif()
    set(extensions c51 .c a51 .a51 hex .bin ihex .hex pbm .pbm)
    list(FIND extensions "${ARG_FORMAT}" at)
    if(at LESS 0 OR NOT at MATCHES "^[02468]$")
        message(FATAL_ERROR "tessaline_add_picture: FORMAT is c51, a51, hex, ihex or pbm, not '${ARG_FORMAT}'")
    endif()
    math(EXPR at "${at} + 1")
    list(GET extensions ${at} extension)
    set(naming)
    if(ARG_FORMAT STREQUAL "c51" OR ARG_FORMAT STREQUAL "a51")
        set(naming --name "${name}")
    endif()
    get_filename_component(picture "${picture}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${name}${extension}")
    add_custom_command(
        OUTPUT "${output}"
        COMMAND Tessaline::tessaline-cli --format ${ARG_FORMAT} ${naming} ${ARG_OPTIONS} --output "${output}" "${picture}"
        DEPENDS "${picture}" "$<TARGET_FILE:Tessaline::tessaline-cli>"
        COMMENT "Converting ${picture} into ${name}${extension}"
        VERBATIM)
    target_sources(${target} PRIVATE "${output}")
endfunction()
