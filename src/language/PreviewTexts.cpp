#include "language/PreviewTexts.h"

#include <iterator>

namespace language {
namespace {

// One row per PreviewText, in its order.
const char* const previewTexts[][2] = {
    {"Renderer:", "生成方式:"},
    {"as Make 3D", "同生成立体画"},
    {"fine", "精细"},
    {"Oversampling:", "过采样:"},
    {"Random dots", "随机点图案"},
    {"Seed:", "种子:"},
    {"Convergence dots", "会聚点"},
    {"Save 3D-Picture as PNG or BMP", "保存立体画为PNG或BMP"},
    {"PNG[*.png]|*.png|BitMap[*.bmp]|*.bmp", "PNG图片[*.png]|*.png|位图[*.bmp]|*.bmp"},
    {"Full Screen", "全屏显示"},
    {"Print 3D Picture", "打印立体画"},
};
static_assert(std::size(previewTexts) == int(PreviewText::PrintHint) + 1);

} // namespace

QString PreviewTexts(PreviewText text, std::uint8_t UILanguage)
{
    return QString::fromUtf8(previewTexts[int(text)][UILanguage == 1 ? 1 : 0]);
}

} // namespace language
