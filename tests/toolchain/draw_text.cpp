// Draws lines of text with a bitmap font by a route of its own, as the text example's firmware is to draw them:
// each glyph FreeType's bitmap, its top left at the pen plus its bearing, on a baseline the font's ascent below
// the line's top, cut at the line's bottom (its ascent and descent below its top); the pen moved on by each
// glyph's advance. Prints the 128 x 64 frame buffer (8 pages of 128
// columns, a byte a column of 8 pixels, the top in bit 0) in hex, two digits a byte.
//   draw_text [--rows] FONT TEXT_FILE X,Y...      (a line of the file for each X,Y; --rows: 8 pixels a byte
//                                                  across, the leftmost in bit 7, 16 bytes a row)

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The code points of a line of UTF-8.
std::vector<char32_t> decoded(const std::string &line)
{
    std::vector<char32_t> out;
    for (std::size_t i = 0; i < line.size();) {
        const unsigned char lead = static_cast<unsigned char>(line[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length && i + std::size_t(k) < line.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(line[i + std::size_t(k)]) & 0x3F);
        out.push_back(c);
        i += std::size_t(length);
    }
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    // --rows: the frame in rows, 16 bytes a row, the leftmost pixel in bit 7.
    const bool rows = argc > 1 && std::string(argv[1]) == "--rows";
    if (rows) {
        --argc;
        ++argv;
    }
    FT_Library library;
    FT_Face face;
    if (argc < 3 || FT_Init_FreeType(&library) || FT_New_Face(library, argv[1], 0, &face) || FT_Select_Size(face, 0)) {
        std::fprintf(stderr, "draw_text: cannot read the font\n");
        return 1;
    }
    // The ascent: a BDF font's property, else the size's (a PCF font's).
    BDF_PropertyRec property{};
    const int ascent = FT_Get_BDF_Property(face, "FONT_ASCENT", &property) == 0
                           ? int(property.u.integer)
                           : int(face->size->metrics.ascender >> 6);
    // A line: the ascent and the descent, the rows the font's glyphs may take.
    const int height =
        ascent + (FT_Get_BDF_Property(face, "FONT_DESCENT", &property) == 0 ? int(property.u.integer)
                                                                            : int(-face->size->metrics.descender >> 6));
    std::ifstream text(argv[2]);
    std::vector<unsigned char> frame(8 * 128, 0);
    std::string line;
    for (int k = 3; k < argc && std::getline(text, line); ++k) {
        int x = 0, y = 0;
        std::sscanf(argv[k], "%d,%d", &x, &y);
        for (const char32_t c : decoded(line)) {
            FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
            const FT_GlyphSlot g = face->glyph;
            for (unsigned row = 0; row < g->bitmap.rows; ++row)
                for (unsigned column = 0; column < g->bitmap.width; ++column) {
                    const int px = x + g->bitmap_left + int(column), py = y + ascent - g->bitmap_top + int(row);
                    if ((g->bitmap.buffer[row * unsigned(g->bitmap.pitch) + column / 8] >> (7 - column % 8) & 1) &&
                        px >= 0 && px < 128 && py >= y && py < y + height && py < 64) {
                        if (rows)
                            frame[std::size_t(py * 16 + px / 8)] |= static_cast<unsigned char>(0x80 >> px % 8);
                        else
                            frame[std::size_t(py / 8 * 128 + px)] |= static_cast<unsigned char>(1 << py % 8);
                    }
                }
            x += int(g->advance.x >> 6);
        }
    }
    for (const unsigned char byte : frame)
        std::printf("%02x", byte);
    std::printf("\n");
    return 0;
}
