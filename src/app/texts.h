#pragma once

#include <QStringView>

// The program's own words: captions, messages and the fixed parts of generated text. They are kept in one
// place because users and their build scripts match on them character for character (full-width colons,
// 【】 brackets and the spaces included).
namespace Texts {

inline constexpr QStringView applicationTitle = u"Tessaline";
inline constexpr QStringView windowCaption = u"Tessaline V1.0";

// First panel of the status bar.
inline constexpr QStringView ready = u"准备就绪！";
inline constexpr QStringView preparingWrite = u"准备写入文件...";
inline constexpr QStringView noPictureForExport = u"您还没有导入图片吧？";
inline constexpr QStringView noPictureForInspector = u"请您导入图片进行处理！";

// Activity texts of the progress line; the percentage and "%" follow them.
inline constexpr QStringView readingPixels = u"正在读取图片象素信息...目前进度为";
inline constexpr QStringView converting = u"正在进行彩色>>黑白转换...目前进度为";
inline constexpr QStringView writingHex = u"正在转换成Hex代码...目前进度为";
inline constexpr QStringView writingA51 = u"正在转换成A51代码...目前进度为";
inline constexpr QStringView writingC51 = u"正在转换成C51代码...目前进度为";

// Message boxes.
inline constexpr QStringView messageTitle = u"信息提示！";
inline constexpr QStringView widthRefused = u"您导入的图片宽度不符合要求。图片宽度应为8的整数倍！";
inline constexpr QStringView tooLarge =
    u"您导入的图片太大，已经超过显示分辨率。请调整到足够的分辨率，然后重新导入图片！";

} // namespace Texts
