#pragma once

#include <QStringView>

// The program's own words that the window and the converter share: the progress lines of the row loops and
// the width refusal. They are kept in one place because users and their build scripts match on them character
// for character (full-width colons and the spaces included).
namespace Texts {

// Activity texts of the progress line; the percentage and "%" follow them.
inline constexpr QStringView readingPixels = u"正在读取图片象素信息...目前进度为";
inline constexpr QStringView converting = u"正在进行彩色>>黑白转换...目前进度为";
inline constexpr QStringView writingHex = u"正在转换成Hex代码...目前进度为";
inline constexpr QStringView writingA51 = u"正在转换成A51代码...目前进度为";
inline constexpr QStringView writingC51 = u"正在转换成C51代码...目前进度为";

inline constexpr QStringView widthRefused = u"您导入的图片宽度不符合要求。图片宽度应为8的整数倍！";

} // namespace Texts
