#pragma once

#include "core/version.h"

#include <QStringView>

#include <array>

// The secondary windows' own words, character for character.
namespace Texts {

// The about window's stored text, a paragraph an entry.
inline constexpr std::array<QStringView, 9> about{
    u"软件名称：Tessaline【图片数据生成器】",
    u"软件版本：V" TESSALINE_VERSION,
    u"运行平台：Win9X/Win2000/WinXP",
    u"软件设计：Tessaline 开发组",
    u"e－mail：tessaline@example.org",
    u"",
    u"软件简介：",
    u"    本软件是一款小巧的图片数据生成工具，主要面向单片机系统LCD显示图片或打印图片而设计。"
    "常见的字模提取工具虽然也能提取图片，但处理较大的图片时不够完整（点阵数据不全），"
    "而且只能生成C51和A51格式的文本数据，不能生成HEX文件，"
    "其数据只能和源程序一起编译，有些时候会耽误工作时间。"
    "为此设计了本软件——Tessaline【图片数据生成器】。",
    u"    Tessaline可以将黑白单色图片（支持BMP、JPEG、JPG、GIF等格式）转换为A51、C51、HEX等格式的数据文件。"
    "数据生成的顺序为从上至下，从左到右。左上角象素对应第1个字节，右下脚对应最后一个字节。"
    "软件要求图片宽度必须为8的整数倍。如果待处理的图片宽度不是8的整数倍，"
    "需要先用图形编辑软件（如windows系统自带的画图程序）作预处理。"
    "如果图片不是黑白单色图片，可以用“彩色>>黑白...”功能将图片转换为黑白图片，然后再导出数据或代码。"
    "如果对“彩色>>黑白...”功能效果不满意，只好请您用图形编辑软件处理了。：）"
    "另外，状态条中显示了鼠标点击的象素位置等信息，方便您的后继开发。",
};

} // namespace Texts
