# tessaline_add_picture(<target> <name> <picture> [FORMAT c51|a51|hex|ihex|pbm] [HEADER]
#                       [OUTPUT_VARIABLE <variable>] [OPTIONS <converter options>...])
#
# Converts <picture> with tessaline-cli into <name> with the format's extension (.c, .a51, .bin, .hex, .pbm) in
# the current build folder, named <name> where the format has names (--name for c51 and a51), and adds it to
# <target>. The file is made again whenever the picture or the converter changes. FORMAT defaults to c51;
# OPTIONS are handed to the converter as they are (for example --layout vertical --c-dialect sdcc).
#
# HEADER (c51): also writes <name>.h beside the source, declaring the array with its size and NAME_WIDTH,
# NAME_HEIGHT, NAME_BYTES (NAME_PAGES in the vertical layout), and puts its folder on <target>'s include path,
# so that #include "<name>.h" finds it; the C sources <target> has when the call is made are compiled again
# whenever the header changes. OUTPUT_VARIABLE: the generated file's path is set in <variable>.
#
# What can be checked when the project is configured is: <name> must be a C identifier used by no other call in
# the project, and <picture> must exist. The picture is handed to the converter by its path relative to the
# current source folder, and the text is UTF-8 unless OPTIONS choose an encoding, so the generated source does
# not depend on where the project lies or on the builder's locale (with SOURCE_DATE_EPOCH set, two builds give
# the same bytes).
function(tessaline_add_picture target name picture)
    cmake_parse_arguments(PARSE_ARGV 3 ARG "HEADER" "FORMAT;OUTPUT_VARIABLE" "OPTIONS")
    set(call "tessaline_add_picture(${target} ${name} ${picture})")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "${call}: unknown arguments: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT ARG_FORMAT)
        set(ARG_FORMAT c51)
    endif()
    set(extensions c51 .c a51 .a51 hex .bin ihex .hex pbm .pbm)
    list(FIND extensions "${ARG_FORMAT}" at)
    if(at LESS 0 OR NOT at MATCHES "^[02468]$")
        message(FATAL_ERROR "${call}: FORMAT is c51, a51, hex, ihex or pbm, not '${ARG_FORMAT}'")
    endif()
    math(EXPR at "${at} + 1")
    list(GET extensions ${at} extension)

    set(keywords auto break case char const continue default do double else enum extern float for goto if inline
                 int long register restrict return short signed sizeof static struct switch typedef union unsigned
                 void volatile while _Bool _Complex _Imaginary)
    if(NOT name MATCHES "^[A-Za-z_][A-Za-z0-9_]*$" OR name IN_LIST keywords)
        message(FATAL_ERROR "${call}: the name '${name}' is not a C identifier (letters, digits and _, not "
                            "first a digit, not a C keyword)")
    endif()
    get_property(names GLOBAL PROPERTY TESSALINE_PICTURE_NAMES)
    if(name IN_LIST names)
        get_property(first GLOBAL PROPERTY TESSALINE_PICTURE_${name})
        message(FATAL_ERROR "${call}: the name '${name}' is taken already, by ${first}")
    endif()
    set_property(GLOBAL APPEND PROPERTY TESSALINE_PICTURE_NAMES "${name}")
    set_property(GLOBAL PROPERTY TESSALINE_PICTURE_${name} "${call}")
    get_filename_component(absolute "${picture}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    if(NOT EXISTS "${absolute}" OR IS_DIRECTORY "${absolute}")
        message(FATAL_ERROR "${call}: there is no picture file ${absolute}")
    endif()
    file(RELATIVE_PATH relative "${CMAKE_CURRENT_SOURCE_DIR}" "${absolute}")

    set(arguments --format ${ARG_FORMAT})
    if(ARG_FORMAT STREQUAL "c51" OR ARG_FORMAT STREQUAL "a51")
        list(APPEND arguments --name "${name}")
    endif()
    if(NOT ARG_OPTIONS MATCHES "(^|;)(-e|--encoding)(;|=|$)")
        list(APPEND arguments --encoding utf-8)
    endif()
    set(output "${CMAKE_CURRENT_BINARY_DIR}/${name}${extension}")
    set(outputs "${output}")
    if(ARG_HEADER)
        if(NOT ARG_FORMAT STREQUAL "c51")
            message(FATAL_ERROR "${call}: HEADER goes with FORMAT c51")
        endif()
        list(APPEND arguments --header "${CMAKE_CURRENT_BINARY_DIR}/${name}.h")
        list(APPEND outputs "${CMAKE_CURRENT_BINARY_DIR}/${name}.h")
    endif()
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND Tessaline::tessaline-cli ${arguments} ${ARG_OPTIONS} --output "${output}" "${relative}"
        WORKING_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}"
        DEPENDS "${absolute}" "$<TARGET_FILE:Tessaline::tessaline-cli>"
        COMMENT "Converting ${relative} into ${name}${extension}"
        VERBATIM)
    target_sources(${target} PRIVATE ${outputs})
    get_target_property(type ${target} TYPE)
    if(ARG_HEADER AND NOT type STREQUAL "UTILITY")
        target_include_directories(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}")
        # Not every compiler tells the build which headers a source reads (SDCC does not): the target's
        # sources so far are compiled again whenever the header changes.
        get_target_property(sources ${target} SOURCES)
        foreach(source IN LISTS sources)
            if(source MATCHES "\\.(c|C)$" AND NOT source IN_LIST outputs)
                set_property(SOURCE "${source}" APPEND PROPERTY OBJECT_DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/${name}.h")
            endif()
        endforeach()
    endif()
    if(ARG_OUTPUT_VARIABLE)
        set(${ARG_OUTPUT_VARIABLE} "${output}" PARENT_SCOPE)
    endif()
endfunction()
