#include "cheader.h"

QString cArray(CDialect dialect, int bytes, const QString &name, const QString &size, const QString &attribute)
{
    const QString after = attribute.isEmpty() ? QString() : u' ' + attribute;
    if (dialect == CDialect::C)
        return QStringLiteral("const uint%1_t %2[%3]").arg(8 * bytes).arg(name, size) + after;
    const QString type = bytes == 1   ? QStringLiteral("unsigned char")
                         : bytes == 2 ? QStringLiteral("unsigned int")
                                      : QStringLiteral("unsigned long");
    return type + (dialect == CDialect::Sdcc ? QStringLiteral(" __code ") : QStringLiteral(" code ")) + name + u'[' +
           size + u']' + after;
}

QString cIncludes(CDialect dialect)
{
    return dialect == CDialect::C ? QStringLiteral("#include <stdint.h>\r\n\r\n") : QString();
}

bool isCIdentifier(const QString &name)
{
    static const QStringList keywords =
        QStringLiteral(
            "auto break case char const continue default do double else enum extern float for goto if inline int long "
            "register restrict return short signed sizeof static struct switch typedef union unsigned void volatile "
            "while _Alignas _Alignof _Atomic _Bool _Complex _Generic _Imaginary _Noreturn _Static_assert "
            "_Thread_local "
            // the 8051 compilers' own: a picture called data.bmp must not make an array called data
            "_at_ _priority_ _task_ alien at banked bdata bit code compact critical data far idata interrupt large "
            "naked near nonbanked pdata reentrant sbit sfr sfr16 sfr32 small using xdata "
            "__addressmod __asm __asm__ __at __banked __bit __builtin_offsetof __code __critical __data __endasm "
            "__far __idata __interrupt __naked __near __nonbanked __overlay __pdata __preserves_regs __reentrant "
            "__sbit __sdcccall __sfr __sfr16 __sfr32 __shadowregs __smallc __trap __typeof __using __wparam __xdata "
            "__z88dk_callee __z88dk_fastcall __z88dk_params_offset __z88dk_shortcall __func__ "
            "__attribute__ __extension__ __inline __inline__ __restrict __restrict__ __typeof__ __volatile__ __const "
            "__signed __signed__ __label__ __auto_type __int128 __real__ __imag__ __alignof__ __builtin_va_list "
            // macros every compiler defines: the name would be replaced by a number
            "SDCC")
            .split(u' ');
    if (name.isEmpty() || name[0].isDigit() || keywords.contains(name))
        return false;
    // The compilers' other predefined macros: __LINE__, __STDC_VERSION__, __C51__, __SDCC_mcs51 and their kin.
    if ((name.size() > 4 && name.startsWith(u"__") && name.endsWith(u"__")) || name.startsWith(u"__SDCC") ||
        name.startsWith(u"__STDC"))
        return false;
    for (QChar c : name)
        if (!(c.isDigit() || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'))
            return false;
    return true;
}

bool isA51ReservedWord(const QString &name)
{
    static const QStringList words =
        QStringLiteral(
            // registers
            "A AB B C DPTR PC R0 R1 R2 R3 R4 R5 R6 R7 AR0 AR1 AR2 AR3 AR4 AR5 AR6 AR7 "
            // instructions
            "ACALL ADD ADDC AJMP ANL CALL CJNE CLR CPL DA DEC DIV DJNZ INC JB JBC JC JMP JNB JNC JNZ JZ LCALL LJMP "
            "MOV MOVC MOVX MUL NOP ORL POP PUSH RET RETI RL RLC RR RRC SETB SJMP SUBB SWAP XCH XCHD XRL "
            // directives, segment types and operators
            "AT BIT BSEG BYTE CODE CSEG DATA DB DBIT DD DS DSB DSD DSEG DSW DW DWORD ELSE ELSEIF END ENDIF ENDM "
            "ENDP EQU EXITM EXTERN EXTRN FAR IDATA IF IRP IRPC ISEG LABEL LIT LOCAL MACRO NAME NEAR ORG PROC PUBLIC "
            "REPT RSEG SEGMENT SET USING WORD XDATA XSEG AND EQ GE GT HIGH LE LOW LT MOD NE NOT OR SHL SHR XOR")
            .split(u' ');
    return words.contains(name.toUpper());
}

QString arrayName(const QString &prefix, const QString &name, bool fromFile, bool a51)
{
    QString made = name;
    if (fromFile) {
        made.clear();
        for (const char32_t c : name.toUcs4()) {
            if ((c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') || c == U'_')
                made.append(QChar(c));
            else if (c < 0x80)
                made.append(u'_');
            else
                made.append(u'u' + QString::number(c, 16).toUpper());
        }
        if (made.isEmpty() || made[0].isDigit())
            made.prepend(u'_');
    }
    made.prepend(prefix);
    if (isCIdentifier(made) && !(a51 && isA51ReservedWord(made)))
        return made;
    // A keyword, or a word the assembler keeps, gets a _ after it; a name shaped as the compilers' macros are
    // (__LINE__, __SDCC_mcs51) stays one with it, and gets an x before it instead.
    return isCIdentifier(made + u'_') ? made + u'_' : u'x' + made;
}

QString cHeaderText(const QString &comment, const QString &name, const QList<std::pair<QString, int>> &shared,
                    const QList<std::pair<QString, QString>> &macros, const QStringList &externs,
                    const QString &includes)
{
    const QString guard = QStringLiteral("TESSALINE_") + name.toUpper() + QStringLiteral("_H");
    QString text = comment;
    text += QStringLiteral("#ifndef ") + guard + QStringLiteral("\r\n#define ") + guard + QStringLiteral("\r\n\r\n");
    text += includes;
    if (!shared.isEmpty()) {
        text += QStringLiteral("#ifndef %1\r\n").arg(shared.first().first);
        for (const auto &[constant, value] : shared)
            text += QStringLiteral("#define %1 %2\r\n").arg(constant).arg(value);
        text += QStringLiteral("#endif\r\n\r\n");
    }
    for (const auto &[macro, value] : macros)
        text += QStringLiteral("#define %1 %2\r\n").arg(macro, value);
    text += QStringLiteral("\r\n");
    for (const QString &declaration : externs)
        text += QStringLiteral("extern ") + declaration + QStringLiteral(";\r\n");
    text += QStringLiteral("\r\n#endif\r\n");
    return text;
}

QString assemblerHeaderText(bool sdas, const QString &comment, const QList<std::pair<QString, int>> &shared,
                            const QList<std::pair<QString, QString>> &macros, const QStringList &arrays)
{
    QString text = comment;
    for (const auto &[constant, value] : shared)
        text += sdas ? QStringLiteral("%1 = %2\r\n").arg(constant).arg(value)
                     : QStringLiteral("%1 SET %2\r\n").arg(constant).arg(value);
    for (auto [macro, value] : macros) {
        if (macro.contains(u'('))
            continue;
        if (!sdas && value.startsWith(QStringLiteral("0x"))) // A51 writes hexadecimal as 0FFH
            value = u'0' + value.mid(2) + u'H';
        text +=
            sdas ? QStringLiteral("%1 = %2\r\n").arg(macro, value) : QStringLiteral("%1 EQU %2\r\n").arg(macro, value);
    }
    if (sdas) {
        for (const QString &array : arrays)
            text += QStringLiteral("\t.globl _%1\r\n").arg(array);
    } else if (!arrays.isEmpty()) {
        text += QStringLiteral("EXTRN CODE (%1)\r\n").arg(arrays.join(QStringLiteral(", ")));
    }
    return text;
}
