#include "language/LanguageTables.h"

namespace language {
namespace {

const char* const hintTexts[][2] = {
    {"Tools for drawing picture.", "绘图工具栏."},
    {"System functions.", "系统工具栏."},
    {"Draw back ground picture in this area.", "在此区域绘制背景图案."},
    {"Assign different higth of the 3D-Picture.", "在此区用亮度指定立体形状."},
};

const char* const messageTexts[][2] = {
    {"Are you sure to quit?", "确定现在退出吗?"},
    {"Archieving...", "正在生成..."},
    {"please wait", "请稍等片刻"},
};

int column(std::uint8_t UILanguage)
{
    return UILanguage == Chinese ? 1 : 0;
}

} // namespace

QString StatusHints(HintRow row, std::uint8_t UILanguage)
{
    return QString::fromUtf8(hintTexts[static_cast<int>(row)][column(UILanguage)]);
}

QString LanguageMessages(MessageRow row, std::uint8_t UILanguage)
{
    return QString::fromUtf8(messageTexts[static_cast<int>(row)][column(UILanguage)]);
}

} // namespace language
