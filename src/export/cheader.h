#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <utility>

// Names for C and A51, and the C header that declares what a C51 file defines.

// How a C array is written: for the 8051 compilers in code memory, `code` for the classic ones, `__code` for
// SDCC; or plain C99, `const` arrays of <stdint.h>'s types, for any other compiler (a host's unit tests).
enum class CDialect { Keil, Sdcc, C };

// An array in code memory, "unsigned char code NAME[SIZE]" (or __code), without a semicolon, of values of 1, 2
// or 4 bytes: unsigned char, unsigned int (16 bits in the 8051 compilers) or long; uint8_t, uint16_t or uint32_t
// in C. An `attribute` (a section, PROGMEM) follows the size, where GCC and Clang take it in a definition and a
// declaration alike.
QString cArray(CDialect dialect, int bytes, const QString &name, const QString &size, const QString &attribute = {});
// What a file of `dialect` arrays includes first: <stdint.h> for C, nothing for the 8051 compilers.
QString cIncludes(CDialect dialect);

// The same for an assembler program: `comment` (";" lines), the shared constants (A51 SET, which may be given
// again; sdas "="), each of `macros` that takes no parameters (A51 EQU, sdas "="), and each of `arrays` declared
// external (A51 EXTRN CODE; sdas .globl, with the _ that C puts before a name).
QString assemblerHeaderText(bool sdas, const QString &comment, const QList<std::pair<QString, int>> &shared,
                            const QList<std::pair<QString, QString>> &macros, const QStringList &arrays);

// Whether `name` can name an array or a label: a C identifier that is not a keyword of C or of the 8051
// compilers, nor one of the macros they define (SDCC, __LINE__, __SDCC_mcs51, __C51__ ...).
bool isCIdentifier(const QString &name);

// The longest name an array may have: SDCC's assembler and linker keep 255 characters of a symbol, C's names get
// a _ before them, and the tables after an array add up to 8 more (NAME_offsets).
constexpr int maxNameLength = 246;

// Whether `name`, in any case, is a reserved word of the A51 assembler (a register, an instruction, a directive
// or an operator), which cannot be a label: "a" or "mov" assembles as A or MOV.
bool isA51ReservedWord(const QString &name);

// The name of an array (or an A51 label): `prefix` and then `name`, which, taken from a file's base name
// (`fromFile`), is first made a C identifier: each ASCII character that cannot stand in one becomes '_', any other
// character 'u' and its code point in hex (so that names in other scripts stay apart), a leading digit gets a
// '_' before it. A keyword of C or of the 8051 compilers, or with `a51` a reserved word of the assembler, gets a
// '_' after it, and one shaped as the compilers' macros an 'x' before it. "logo-small" gives "logo_small", "8x8"
// gives "_8x8", "data" gives "data_", "__LINE__" gives "x__LINE__".
QString arrayName(const QString &prefix, const QString &name, bool fromFile, bool a51);

// A header for the C51 arrays of one file: `comment` (C comment lines, each ended by CR LF), then an include
// guard made from `name`, the `shared` constants (defined once, however many headers have them), a #define for
// each of `macros` (its name, with any parameters, and its text), and an extern declaration for each of `externs`
// (written as given, without the semicolon), CR LF line ends; `includes` (cIncludes) inside the guard, first.
QString cHeaderText(const QString &comment, const QString &name, const QList<std::pair<QString, int>> &shared,
                    const QList<std::pair<QString, QString>> &macros, const QStringList &externs,
                    const QString &includes = {});
