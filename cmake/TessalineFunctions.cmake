# The folder of this module, where the 8051 PackBits decoder lies beside it.
set(_TESSALINE_MODULE_DIR "${CMAKE_CURRENT_LIST_DIR}")

# SDCC tells the build which headers a source reads when its preprocessor is asked to (a make rule, as GCC's):
# asked, the build compiles again only the sources that include a generated header when it changes.
if(CMAKE_C_COMPILER_ID STREQUAL "SDCC" AND NOT CMAKE_DEPFILE_FLAGS_C)
    set(CMAKE_DEPFILE_FLAGS_C "-Wp,-MMD,<DEP_FILE>")
    set(CMAKE_C_DEPFILE_FORMAT gcc)
    set(CMAKE_C_DEPENDS_USE_COMPILER TRUE)
endif()

# tessaline_add_picture(<target> <name> <picture> [FORMAT c51|a51|sdas|hex|ihex|pbm|png] [HEADER]
#                       [OUTPUT_VARIABLE <variable>] [OPTIONS <converter options>...])
#
# Converts <picture> with tessaline-cli into <name> with the format's extension (.c, .a51, .asm, .bin, .hex, .pbm,
# .png) in the target's folder of the current build folder, tessaline-<target>, named <name> where the format has names (--name for c51, a51 and sdas), and
# adds it to <target>: c51 as a C source; sdas assembled by SDCC's sdas8051 (found beside the C compiler) into
# <name>.rel, which <target> links (in any order: the module names SDCC's areas first); a51, for Keil's
# assembler, and the others as files of the target. The file is made again whenever the picture or the converter changes. FORMAT defaults to c51 (or the
# --format OPTIONS give); OPTIONS are handed to the converter as they are (for example --layout vertical), but
# for those the module sets itself: --name, --header, --output and --output-dir, and --format where FORMAT is
# given, are refused when the project is configured. The C dialect follows the compiler: --c-dialect sdcc for
# SDCC, keil for Keil's C51 (CMAKE_C_COMPILER_ID Keil or C51, as its toolchain file sets it) or a project without
# C, c for any other compiler (GCC, Clang), unless OPTIONS say.
#
# HEADER (c51, a51, sdas): also writes, beside the output, <name>.h for c51, declaring the array with its size and
# NAME_WIDTH, NAME_HEIGHT, NAME_BYTES (NAME_PAGES in the vertical layout) and the data's format, and puts its
# folder on <target>'s include path, so that #include "<name>.h" finds it; for a51 and sdas <name>.inc, the same
# sizes for an assembler (EQU and EXTRN CODE, or = and .globl), and for sdas <name>.h too, the C header SDCC's C
# code includes to use the assembled arrays. A source is compiled again when a header it
# includes changes, as the compiler tells the build (SDCC, GCC, Clang); with a compiler that does not tell, the
# C sources <target> has when the call is made are. OUTPUT_VARIABLE: the generated file's path is set in
# <variable>.
#
# What can be checked when the project is configured is: <name> must be a C identifier used by no other call for
# <target> (another target, another display's firmware, may take the same names), and <picture> must exist. The picture is handed to the converter by its path relative to the
# current source folder, and the text is UTF-8 unless OPTIONS choose an encoding, so the generated source does
# not depend on where the project lies or on the builder's locale (with SOURCE_DATE_EPOCH set, two builds give
# the same bytes).
function(tessaline_add_picture target name picture)
    cmake_parse_arguments(PARSE_ARGV 3 ARG "HEADER" "FORMAT;OUTPUT_VARIABLE" "OPTIONS")
    set(call "tessaline_add_picture(${target} ${name} ${picture})")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "${call}: unknown arguments: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    _tessaline_input("${call}" "${picture}" TRUE relative absolute)
    _tessaline_convert("${call}" ${target} ${name} "${ARG_FORMAT}" "${ARG_HEADER}" "${ARG_OUTPUT_VARIABLE}"
                       "${relative}" "${relative}" "${absolute}" ${ARG_OPTIONS})
    if(ARG_OUTPUT_VARIABLE)
        set(${ARG_OUTPUT_VARIABLE} "${${ARG_OUTPUT_VARIABLE}}" PARENT_SCOPE)
    endif()
endfunction()

# tessaline_add_font(<target> <name> FONT <font> [TEXT <text>] [TEXT_FILE <file>] [CHARSET ascii|gb2312]
#                    [RANGE <ranges>] [STRINGS <file>] [SIZE <pixels>] [FORMAT ...] [HEADER]
#                    [OUTPUT_VARIABLE <variable>] [OPTIONS ...])
#
# A glyph table of the characters of TEXT, of the UTF-8 file TEXT_FILE, of a CHARSET, of RANGE (U+0020-U+007E,...)
# and of the lines of STRINGS (at least one of them), drawn with <font> (a font file, or a family fontconfig knows)
# in cells SIZE pixels high, like tessaline_add_picture otherwise: the array <name>, with <name>_codes,
# <name>_widths and, for STRINGS, <name>_s0, <name>_s1, ... after it, and with HEADER <name>.h declaring them with
# NAME_COUNT. It is made again whenever the font file, a text file or the converter changes.
function(tessaline_add_font target name)
    cmake_parse_arguments(PARSE_ARGV 2 ARG "HEADER"
                          "FONT;TEXT;TEXT_FILE;CHARSET;RANGE;STRINGS;SIZE;FORMAT;OUTPUT_VARIABLE" "OPTIONS")
    set(call "tessaline_add_font(${target} ${name})")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "${call}: unknown arguments: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT ARG_FONT)
        message(FATAL_ERROR "${call}: FONT names the font file or family to draw with")
    endif()
    if(NOT DEFINED ARG_TEXT AND NOT DEFINED ARG_TEXT_FILE AND NOT DEFINED ARG_CHARSET AND NOT DEFINED ARG_RANGE
       AND NOT DEFINED ARG_STRINGS)
        message(FATAL_ERROR "${call}: give the characters: TEXT, TEXT_FILE, CHARSET, RANGE or STRINGS")
    endif()
    # CMake takes a ; for a list's separator, and the converter would get the pieces as words of their own.
    foreach(value FONT TEXT TEXT_FILE CHARSET RANGE STRINGS SIZE)
        if(ARG_${value} MATCHES ";")
            message(FATAL_ERROR "${call}: ${value} may not hold a ';', which CMake splits arguments at "
                                "(put such a text in a TEXT_FILE)")
        endif()
    endforeach()
    # A font that is a file is handed on by its relative path and depended on; a family name as it is.
    get_filename_component(font "${ARG_FONT}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    set(depends)
    if(EXISTS "${font}" AND NOT IS_DIRECTORY "${font}")
        _tessaline_input("${call}" "${font}" TRUE fontArgument font)
        list(APPEND depends "${font}")
    else()
        set(fontArgument "${ARG_FONT}")
    endif()
    set(arguments --font "${fontArgument}")
    if(DEFINED ARG_TEXT)
        list(APPEND arguments --text "${ARG_TEXT}")
    endif()
    if(DEFINED ARG_CHARSET)
        list(APPEND arguments --charset "${ARG_CHARSET}")
    endif()
    if(DEFINED ARG_RANGE)
        list(APPEND arguments --range "${ARG_RANGE}")
    endif()
    foreach(file TEXT_FILE STRINGS)
        if(DEFINED ARG_${file})
            _tessaline_input("${call}" "${ARG_${file}}" TRUE relative absolute)
            string(TOLOWER "${file}" option)
            string(REPLACE "_" "-" option "${option}")
            list(APPEND arguments --${option} "${relative}")
            list(APPEND depends "${absolute}")
        endif()
    endforeach()
    if(ARG_SIZE)
        list(APPEND arguments --size ${ARG_SIZE})
    endif()
    _tessaline_convert("${call}" ${target} ${name} "${ARG_FORMAT}" "${ARG_HEADER}" "${ARG_OUTPUT_VARIABLE}"
                       "glyphs of ${ARG_FONT}" "" "${depends}" ${arguments} ${ARG_OPTIONS})
    if(ARG_OUTPUT_VARIABLE)
        set(${ARG_OUTPUT_VARIABLE} "${${ARG_OUTPUT_VARIABLE}}" PARENT_SCOPE)
    endif()
endfunction()

# An input file of a call: refused at configure time when it does not exist; its path relative to the current
# source folder (absolute when it lies outside it), and its absolute path.
function(_tessaline_input call path required relativeVariable absoluteVariable)
    get_filename_component(absolute "${path}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    if(required AND (NOT EXISTS "${absolute}" OR IS_DIRECTORY "${absolute}"))
        message(FATAL_ERROR "${call}: there is no file ${absolute}")
    endif()
    file(RELATIVE_PATH relative "${CMAKE_CURRENT_SOURCE_DIR}" "${absolute}")
    if(relative MATCHES "^\\.\\./")
        set(relative "${absolute}")
    endif()
    set(${relativeVariable} "${relative}" PARENT_SCOPE)
    set(${absoluteVariable} "${absolute}" PARENT_SCOPE)
endfunction()

# The custom command both functions make: the checks of the name, the output (and header), the dependencies.
function(_tessaline_convert call target name format header outputVariable what input depends)
    # The options the module sets itself; a --format in OPTIONS stands for FORMAT where FORMAT is not given.
    set(options ${ARGN})
    set(kept)
    set(taking "")
    foreach(option IN LISTS options)
        if(taking STREQUAL "format")
            set(format "${option}")
            set(taking "")
            continue()
        endif()
        if(option MATCHES "^(--name|--header|--output|--output-dir|-o)(=.*)?$")
            message(FATAL_ERROR "${call}: OPTIONS may not hold ${CMAKE_MATCH_1}: the module names the output "
                                "itself (<name>, its header and its file in the build folder)")
        endif()
        if(option MATCHES "^(--format|-f)(=(.*))?$")
            if(format)
                message(FATAL_ERROR "${call}: OPTIONS may not hold ${CMAKE_MATCH_1}: FORMAT gives the format")
            endif()
            if(CMAKE_MATCH_2)
                set(format "${CMAKE_MATCH_3}")
            else()
                set(taking format)
            endif()
            continue()
        endif()
        list(APPEND kept "${option}")
    endforeach()
    set(options ${kept})
    if(NOT format)
        set(format c51)
    endif()
    set(extensions c51 .c a51 .a51 hex .bin ihex .hex pbm .pbm png .png sdas .asm)
    list(FIND extensions "${format}" at)
    if(at LESS 0 OR NOT at MATCHES "^([02468]|10|12)$")
        message(FATAL_ERROR "${call}: FORMAT is c51, a51, sdas, hex, ihex, pbm or png, not '${format}'")
    endif()
    math(EXPR at "${at} + 1")
    list(GET extensions ${at} extension)

    set(keywords auto break case char const continue default do double else enum extern float for goto if inline
                 int long register restrict return short signed sizeof static struct switch typedef union unsigned
                 void volatile while _Bool _Complex _Imaginary
                 # and the 8051 compilers' own
                 _at_ _priority_ _task_ alien at banked bdata bit code compact critical data far idata interrupt
                 large naked near nonbanked pdata reentrant sbit sfr sfr16 sfr32 small using xdata)
    if(NOT name MATCHES "^[A-Za-z_][A-Za-z0-9_]*$" OR name IN_LIST keywords)
        message(FATAL_ERROR "${call}: the name '${name}' is not a C identifier (letters, digits and _, not "
                            "first a digit, not a keyword of C or of the 8051 compilers)")
    endif()
    if(name MATCHES "^[Tt][Ee][Ss][Ss][Aa][Ll][Ii][Nn][Ee]_")
        message(FATAL_ERROR "${call}: the name '${name}' starts as the drawing runtime's own names (tessaline_)")
    endif()
    # Each name also names its tables (name_codes, name_s0, ...) and, in capitals, its header's guard and macros:
    # two names of one target that would share any of them are refused here, not by the compiler or the linker.
    # Another target (another display's firmware) may use the same names: its files go to a folder of its own.
    set(tables "_(codes|widths|delays|offsets|boxes|mask|s[0-9]+)$")
    string(TOUPPER "${name}" upper)
    get_property(names TARGET ${target} PROPERTY _TESSALINE_NAMES)
    foreach(other IN LISTS names)
        string(TOUPPER "${other}" otherUpper)
        set(clash "")
        if(name STREQUAL other)
            set(clash "the name '${name}' is taken already,")
        elseif(upper STREQUAL otherUpper)
            set(clash "the name '${name}' is '${other}' in capitals, as its header's guard and macros have it")
            string(APPEND clash " (${upper}_...), taken already")
        elseif(name MATCHES "^${other}${tables}") # names are C identifiers: nothing in them is special to a regex
            set(clash "the name '${name}' is the name of a table of '${other}',")
        elseif(other MATCHES "^${name}${tables}")
            set(clash "the name '${name}' names a table '${other}' that is an array's name already,")
        endif()
        if(clash)
            get_property(first TARGET ${target} PROPERTY _TESSALINE_NAME_${other})
            message(FATAL_ERROR "${call}: ${clash} by ${first}")
        endif()
    endforeach()
    set_property(TARGET ${target} APPEND PROPERTY _TESSALINE_NAMES "${name}")
    set_property(TARGET ${target} PROPERTY _TESSALINE_NAME_${name} "${call}")

    set(arguments --format ${format})
    if(format MATCHES "^(c51|a51|sdas)$")
        list(APPEND arguments --name "${name}")
    endif()
    # SDCC takes its own keywords; Keil's C51 (an ID a toolchain file gives it, as CMake knows none), or a project
    # that compiles no C itself, the classic ones; any other compiler (GCC, Clang: a host's tests) plain C.
    if(format STREQUAL "c51" AND NOT options MATCHES "(^|;)--c-dialect(;|=|$)")
        if(CMAKE_C_COMPILER_ID STREQUAL "SDCC")
            list(APPEND arguments --c-dialect sdcc)
        elseif(CMAKE_C_COMPILER_ID AND NOT CMAKE_C_COMPILER_ID MATCHES "^(Keil|C51)$")
            list(APPEND arguments --c-dialect c)
        endif()
    endif()
    if(NOT options MATCHES "(^|;)(-e|--encoding)(;|=|$)")
        list(APPEND arguments --encoding utf-8)
    endif()
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/tessaline-${target}") # the target's generated files, apart
    file(MAKE_DIRECTORY "${dir}")
    set(output "${dir}/${name}${extension}")
    set(outputs "${output}")
    if(header)
        if(NOT format MATCHES "^(c51|a51|sdas)$")
            message(FATAL_ERROR "${call}: HEADER goes with FORMAT c51, a51 or sdas")
        endif()
        # A C header, or an assembler's include file.
        set(headerFile "${dir}/${name}.h")
        if(NOT format STREQUAL "c51")
            set(headerFile "${dir}/${name}.inc")
        endif()
        list(APPEND arguments --header "${headerFile}")
        list(APPEND outputs "${headerFile}")
        if(format STREQUAL "sdas") # and a C header for the C code that links the module
            set(headerFile "${dir}/${name}.h") # what the target's C sources include
            list(APPEND arguments --c-header "${headerFile}")
            list(APPEND outputs "${headerFile}")
        endif()
    endif()
    add_custom_command(
        OUTPUT ${outputs}
        COMMAND Tessaline::tessaline-cli ${arguments} ${options} --output "${output}" ${input}
        WORKING_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}"
        DEPENDS ${depends} "$<TARGET_FILE:Tessaline::tessaline-cli>"
        COMMENT "Converting ${what} into ${name}${extension}"
        VERBATIM)
    if(format STREQUAL "sdas")
        # Assembled by SDCC's assembler into an object the target links; CMake itself builds no assembler source
        # of SDCC's.
        get_filename_component(compilerDir "${CMAKE_C_COMPILER}" DIRECTORY)
        find_program(TESSALINE_SDAS8051 sdas8051 HINTS "${compilerDir}")
        if(NOT TESSALINE_SDAS8051)
            message(FATAL_ERROR "${call}: FORMAT sdas is assembled by sdas8051, SDCC's assembler, which is not found")
        endif()
        set(object "${dir}/${name}.rel")
        add_custom_command(
            OUTPUT "${object}"
            COMMAND "${TESSALINE_SDAS8051}" -plosgff "${object}" "${output}"
            DEPENDS "${output}"
            COMMENT "Assembling ${name}.asm"
            VERBATIM)
        set_source_files_properties("${object}" PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
        list(REMOVE_ITEM outputs "${output}")
        list(APPEND outputs "${object}")
    endif()
    target_sources(${target} PRIVATE ${outputs})
    get_target_property(type ${target} TYPE)
    if(header AND NOT type STREQUAL "UTILITY")
        target_include_directories(${target} PRIVATE "${dir}")
    endif()
    if(header AND NOT type STREQUAL "UTILITY" AND NOT CMAKE_DEPFILE_FLAGS_C)
        # A compiler that does not tell the build which headers a source reads: the target's sources so far are
        # compiled again whenever the header changes.
        get_target_property(sources ${target} SOURCES)
        foreach(source IN LISTS sources)
            if(source MATCHES "\\.(c|C)$" AND NOT source IN_LIST outputs)
                set_property(SOURCE "${source}" APPEND PROPERTY OBJECT_DEPENDS "${headerFile}")
            endif()
        endforeach()
    endif()
    if(outputVariable)
        set(${outputVariable} "${output}" PARENT_SCOPE)
    endif()
endfunction()

# tessaline_add_unpackbits(<target>): adds the 8051 PackBits decoder, unpackbits() (unpackbits.c, for SDCC and the
# classic 8051 compilers), to <target>, and its header's folder to its include path: #include "unpackbits.h".
function(tessaline_add_unpackbits target)
    target_sources(${target} PRIVATE "${_TESSALINE_MODULE_DIR}/unpackbits.c")
    target_include_directories(${target} PRIVATE "${_TESSALINE_MODULE_DIR}")
endfunction()

# tessaline_add_unlz4(<target>): adds the 8051 LZ4 block decoder, unlz4() (unlz4.c), for --compress lz, to <target>,
# and its header's folder to its include path: #include "unlz4.h".
function(tessaline_add_unlz4 target)
    target_sources(${target} PRIVATE "${_TESSALINE_MODULE_DIR}/unlz4.c")
    target_include_directories(${target} PRIVATE "${_TESSALINE_MODULE_DIR}")
endfunction()

# tessaline_add_draw(<target> [LAYOUT vertical|horizontal] [WIDTH <pixels>] [HEIGHT <pixels>] [KS0108]
#                    [PIXEL mono|gray2|gray4|gray8|rgb332|rgb565] [BYTE_ORDER big|little] [DISPLAY <preset>]
#                    [XRAM]): adds
# the drawing runtime (tessaline_draw.c, tessaline_colour.c and tessaline_flush.c, for SDCC and the classic 8051
# compilers) to <target>, and its header's
# folder to its include path: #include "tessaline_draw.h" gives tessaline_frame[] and tessaline_bitmap(),
# tessaline_glyph(), tessaline_string() and the rest. The frame is WIDTH x HEIGHT pixels (default 128 x 64) in
# PIXEL's format (mono by default; rgb565 in BYTE_ORDER, big by default); a mono frame in pages (LAYOUT vertical,
# the default: a byte a column of 8 rows, bit 0 on top, as --layout vertical packs) or rows (LAYOUT horizontal:
# the leftmost pixel in bit 7, as the converter packs by default), grey and colour in rows; KS0108 lays pages out
# as the module's two controllers take them, the left 64 columns first. DISPLAY names one of the converter's
# --display presets: the frame is its screen (its size, pixel and layout, unless given), and tessaline_init(),
# tessaline_flush() and tessaline_flush_all() send it to the controller. XRAM adds tessaline_xbitmap() and
# tessaline_xmono(), for bitmaps in external RAM.
function(tessaline_add_draw target)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "KS0108;XRAM" "LAYOUT;WIDTH;HEIGHT;PIXEL;BYTE_ORDER;DISPLAY" "")
    set(call "tessaline_add_draw(${target})")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "${call}: unknown arguments: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    # name, screen, pixel, layout: as the converter's --display presets
    # (the ST7565's and UC1701's 132 x 65 glass is most often 128 x 64, and the SH1106 shows 128 of its 132 columns:
    # their frames are 128 x 64, pages whole; tests/toolchain/controllers.sh checks the rest against --list-displays)
    set(displays "ssd1306|128|64|mono|vertical" "sh1106|128|64|mono|vertical" "ssd1309|128|64|mono|vertical"
                 "st7565|128|64|mono|vertical" "uc1701|128|64|mono|vertical" "ks0108|128|64|mono|vertical"
                 "pcd8544|84|48|mono|vertical" "st7920|128|64|mono|horizontal" "ssd1322|256|64|gray4|horizontal"
                 "st7735|128|160|rgb565|horizontal" "st7789|240|320|rgb565|horizontal"
                 "ili9341|240|320|rgb565|horizontal")
    set(display 0)
    if(ARG_DISPLAY)
        set(names "")
        set(number 0)
        foreach(row IN LISTS displays)
            string(REPLACE "|" ";" fields "${row}")
            list(GET fields 0 name)
            list(APPEND names ${name})
            math(EXPR number "${number} + 1")
            if(name STREQUAL ARG_DISPLAY)
                set(display ${number})
                list(GET fields 1 screenWidth)
                list(GET fields 2 screenHeight)
                list(GET fields 3 screenPixel)
                list(GET fields 4 screenLayout)
            endif()
        endforeach()
        if(display EQUAL 0)
            string(REPLACE ";" ", " names "${names}")
            message(FATAL_ERROR "${call}: DISPLAY is one of ${names}, not '${ARG_DISPLAY}'")
        endif()
        foreach(field WIDTH HEIGHT PIXEL LAYOUT)
            string(TOLOWER "${field}" lower)
            string(SUBSTRING "${lower}" 0 1 head)
            string(SUBSTRING "${lower}" 1 -1 tail)
            string(TOUPPER "${head}" head)
            if(NOT ARG_${field})
                set(ARG_${field} "${screen${head}${tail}}")
            endif()
        endforeach()
        if(ARG_DISPLAY STREQUAL "ks0108")
            set(ARG_KS0108 TRUE)
        endif()
        set(screenCorner ", sent to the screen's top left corner")
    endif()
    set(pixels mono gray2 gray4 gray8 rgb332 rgb565)
    if(NOT ARG_PIXEL)
        set(ARG_PIXEL mono)
    endif()
    list(FIND pixels "${ARG_PIXEL}" pixel)
    if(pixel LESS 0)
        message(FATAL_ERROR "${call}: PIXEL is mono, gray2, gray4, gray8, rgb332 or rgb565, not '${ARG_PIXEL}'")
    endif()
    if(NOT ARG_BYTE_ORDER)
        set(ARG_BYTE_ORDER big)
    endif()
    if(NOT ARG_BYTE_ORDER MATCHES "^(big|little)$")
        message(FATAL_ERROR "${call}: BYTE_ORDER is big or little, not '${ARG_BYTE_ORDER}'")
    endif()
    set(little 0)
    if(ARG_BYTE_ORDER STREQUAL "little")
        set(little 1)
    endif()
    # up to 4095 pixels a side (a 256-pixel SSD1322, a 320-pixel TFT), the frame within 64 KiB (below)
    set(most 4095)
    if(pixel GREATER 0)
        if(ARG_LAYOUT AND NOT ARG_LAYOUT STREQUAL "horizontal")
            message(FATAL_ERROR "${call}: a ${ARG_PIXEL} frame is in rows (LAYOUT horizontal), not '${ARG_LAYOUT}'")
        endif()
        set(ARG_LAYOUT horizontal)
    endif()
    if(NOT ARG_LAYOUT)
        set(ARG_LAYOUT vertical)
    endif()
    if(NOT ARG_LAYOUT MATCHES "^(vertical|horizontal)$")
        message(FATAL_ERROR "${call}: LAYOUT is vertical or horizontal, not '${ARG_LAYOUT}'")
    endif()
    foreach(side WIDTH HEIGHT)
        if(NOT ARG_${side})
            set(ARG_${side} 128)
            if(side STREQUAL "HEIGHT")
                set(ARG_${side} 64)
            endif()
        endif()
        if(NOT ARG_${side} MATCHES "^[1-9][0-9]*$" OR ARG_${side} GREATER ${most})
            message(FATAL_ERROR "${call}: ${side} is a number of pixels from 1 to ${most}, not '${ARG_${side}}'")
        endif()
    endforeach()
    set(vertical 0)
    if(ARG_LAYOUT STREQUAL "vertical")
        set(vertical 1)
        math(EXPR rest "${ARG_HEIGHT} % 8")
        if(NOT rest EQUAL 0)
            message(FATAL_ERROR "${call}: HEIGHT of pages is a multiple of 8, not ${ARG_HEIGHT}")
        endif()
    endif()
    set(ks0108 0)
    if(ARG_KS0108)
        if(NOT vertical OR NOT ARG_WIDTH EQUAL 128)
            message(FATAL_ERROR "${call}: KS0108 goes with LAYOUT vertical and WIDTH 128")
        endif()
        set(ks0108 1)
    endif()
    # One frame a target: a second call would define the frame's macros twice, which only the compiler would say.
    get_property(drawn TARGET ${target} PROPERTY _TESSALINE_DRAW)
    if(drawn)
        message(FATAL_ERROR "${call}: ${target} has a frame already, by ${drawn}; one frame a target")
    endif()
    set_property(TARGET ${target} PROPERTY _TESSALINE_DRAW "${call}")
    # the frame, in external RAM of 64 KiB (a big TFT's frame is its top left corner, WIDTH x HEIGHT)
    set(bits 1 2 4 8 8 16)
    list(GET bits ${pixel} bits)
    math(EXPR bytes "(${ARG_WIDTH} * ${bits} + 7) / 8 * ${ARG_HEIGHT}")
    if(bytes GREATER 65535)
        message(FATAL_ERROR "${call}: a frame of ${ARG_WIDTH} x ${ARG_HEIGHT} ${ARG_PIXEL} takes ${bytes} bytes, more "
                            "than the 8051's 64 KiB of external RAM: WIDTH and HEIGHT give a smaller one"
                            "${screenCorner}")
    endif()
    if(display GREATER 0)
        target_compile_definitions(${target} PRIVATE TESSALINE_DRAW_DISPLAY=${display})
    endif()
    if(ARG_XRAM) # bitmaps from external RAM too: their own functions, linked only where asked for
        target_compile_definitions(${target} PRIVATE TESSALINE_DRAW_XRAM=1)
    endif()
    target_sources(${target} PRIVATE "${_TESSALINE_MODULE_DIR}/tessaline_draw.c"
                                     "${_TESSALINE_MODULE_DIR}/tessaline_colour.c"
                                     "${_TESSALINE_MODULE_DIR}/tessaline_flush.c")
    target_include_directories(${target} PRIVATE "${_TESSALINE_MODULE_DIR}")
    target_compile_definitions(
        ${target} PRIVATE TESSALINE_DRAW_WIDTH=${ARG_WIDTH} TESSALINE_DRAW_HEIGHT=${ARG_HEIGHT}
                          TESSALINE_DRAW_VERTICAL=${vertical} TESSALINE_DRAW_KS0108=${ks0108}
                          TESSALINE_DRAW_PIXEL=${pixel} TESSALINE_DRAW_BYTE_ORDER=${little})
endfunction()
