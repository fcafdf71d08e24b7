#include "refusaltext.h"

namespace {

// The library's or the system's own words, in brackets, where the refusal has them.
QString detailOf(const Refusal &r)
{
    return r.detail.isEmpty() ? QString() : QStringLiteral("（") + r.detail + QStringLiteral("）");
}

QString overLimit(const Refusal &r)
{
    using Rule = Refusal::Rule;
    if (r.rule == Rule::Held || r.rule == Rule::Read)
        return r.value > 0 ? QStringLiteral("需要 %1 字节内存，超过上限 %2 字节。").arg(r.value).arg(r.limit)
                           : QStringLiteral("所需内存超过上限 %1 字节。").arg(r.limit);
    if (r.width > 0) // a size past a limit has both sides: none is 0, which is refused as no pixels
        return QStringLiteral("图片为 %1 × %2 像素，超过上限 %3。").arg(r.width).arg(r.height).arg(r.limit);
    return QStringLiteral("超过上限 %1。").arg(r.limit);
}

QString ioText(const Refusal &r)
{
    using Rule = Refusal::Rule;
    switch (r.rule) {
    case Rule::NoSuchFile:
    case Rule::NameNotUtf8:
        return QStringLiteral("文件不存在。");
    case Rule::IsDirectory:
        return QStringLiteral("这是文件夹，不是文件。");
    case Rule::NotRegularFile:
        return QStringLiteral("这不是普通文件。");
    case Rule::OutOfMemory:
        return QStringLiteral("内存不足。");
    default: // the system's or the library's own words tell the rest
        return QStringLiteral("读写出错") + detailOf(r) + QStringLiteral("。");
    }
}

} // namespace

QString refusalText(const Refusal &r)
{
    switch (r.kind()) {
    case Refusal::Kind::None:
        return {};
    case Refusal::Kind::Io:
        return ioText(r);
    case Refusal::Kind::Invalid:
        return (r.format.isEmpty() ? QStringLiteral("文件") : r.format + QStringLiteral(" 文件")) +
               QStringLiteral("不是可读取的图片，或已损坏") + detailOf(r) + QStringLiteral("。");
    case Refusal::Kind::OverLimit:
        return overLimit(r);
    case Refusal::Kind::Unfit:
        return QStringLiteral("图片不符合输出的要求") + detailOf(r) + QStringLiteral("。");
    }
    return {};
}
