#pragma once

#include "core/texts.h"
#include "core/version.h"

#include <QStringView>

// The main window's own words: captions, status messages and message boxes, character for character.
namespace Texts {

inline constexpr QStringView applicationTitle = u"Tessaline";
inline constexpr QStringView windowCaption = u"Tessaline V" TESSALINE_VERSION;

// First panel of the status bar.
inline constexpr QStringView ready = u"准备就绪！";
inline constexpr QStringView preparingWrite = u"准备写入文件...";
inline constexpr QStringView noPictureForExport = u"您还没有导入图片吧？";
inline constexpr QStringView noPictureForInspector = u"请您导入图片进行处理！";

// Message boxes.
inline constexpr QStringView messageTitle = u"信息提示！";
inline constexpr QStringView tooLarge =
    u"您导入的图片太大，已经超过显示分辨率。请调整到足够的分辨率，然后重新导入图片！";

// The export's warning box, when the code could not be made.
inline constexpr QStringView tableMismatch = u"代码生成失败：象素信息与当前图片不符，请重新导出。";
inline constexpr QStringView outOfMemory = u"代码生成失败：内存不足。";
inline constexpr QStringView exportFailed = u"代码生成失败。";

} // namespace Texts
