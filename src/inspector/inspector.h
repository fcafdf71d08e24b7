#pragma once

#include "core/colour.h"

#include <QString>

#include <cstdint>
#include <optional>

// The marker over the selected byte: a filled block one byte wide and 16 rows high, in the picture's pixel
// coordinates, blinking between black and white while it is shown.
struct Shape {
    static constexpr int width = 8;
    static constexpr int height = 16;
    bool Visible = false;
    float Left = 0;
    float Top = 0;
    Colour BackColor = blackColour;

    // One blink step: black becomes white, anything else black. A hidden marker is left alone.
    void blink();
};

// Key codes the inspector reacts to (the arrow keys); any other code changes nothing.
enum InspectorKey : int { KeyOther = 0, KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40 };

// The inspector's key code of a Qt key: the arrow keys map to 37 to 40, every other key to KeyOther. (Qt's
// own values of ' ( % & are 0x25 to 0x28, the arrow codes, so they must not pass through.)
int inspectorKeyCode(int qtKey);

// The byte column nearest the pixel column: posx / 8 rounded half to even (12.5 gives 12), not truncated.
std::int16_t byteColumn(std::int16_t posx);

// The offset in the packed data of byte column c of row posy, for a picture `width` pixels wide:
// (width / 8) * posy + c. It may be negative or lie outside the picture.
std::int64_t byteOffset(double width, std::int16_t posy, std::int16_t c);

// The offset in upper-case hexadecimal; a negative one as its 32-bit two's complement (-1 is FFFFFFFF).
QString offsetHex(std::int64_t offset);

// The status text for the selected pixel: "X,Y:" x "," y " 写入位置:" c "," y "  首字节RAM地址：&H" offset.
QString readoutText(std::int16_t posx, std::int16_t posy, double width);

// The selection after key `keyCode`, or nullopt when the step would leave the 16-bit range (of the position,
// or of the marker's left edge 8 * c), in which case the step is not taken.
struct Selection {
    std::int16_t posx = 0;
    std::int16_t posy = 0;
};
std::optional<Selection> stepSelection(Selection current, int keyCode);

// The selection for a click at (x, y) in pixel coordinates, rounded half to even; nullopt outside the
// 16-bit range.
std::optional<Selection> clickSelection(float x, float y);
