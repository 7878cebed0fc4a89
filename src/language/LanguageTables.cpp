#include "language/LanguageTables.h"

#include <iterator>

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
    {"Recen&t Projects", "最近的项目(&T)"},
    {"The project %1 no longer exists. It has been taken off the recent projects.",
     "项目 %1 已不存在, 已从最近的项目中移除."},
};

// One row per TextTarget, in its order.
const char* const targetTexts[][2] = {
    {"3DP.HLP", "c3DP.HLP"},
    {"Depthloom", "Depthloom"},
    {"&File", "文件(&F)"},
    {"&Edit", "编辑(&E)"},
    {"&View", "看(&V)"},
    {"&Text", "字体"},
    {"&Help", "帮助(&H)"},
    {"&New", "新建(&N)"},
    {"&Open", "打开(&O)"},
    {"&Save", "保存(&S)"},
    {"Save &as...", "另存为(&A)..."},
    {"&Print", "打印(&P)"},
    {"P&rint setup...", "打印设置(&R)..."},
    {"Print Pre&view", "打印预览(&V)"},
    {"E&xit", "退出(&X)"},
    {"Recover &Depth Map...", "恢复深度图(&D)..."},
    {"&Undo", "复原(&U)"},
    {"Cu&t", "剪取(&T)"},
    {"&Cpy", "复制(&C)"},
    {"&Paste", "粘贴(&P)"},
    {"Copy &From....", "从文件粘贴..."},
    {"Select &All", "全选(&A)"},
    {"&Delete", "删除(&D)"},
    {"&3D-Picutre", "三维立体画"},
    {"Zoom &In", "放大(&I)"},
    {"Zoom O&ut", "缩小(&U)"},
    {"&Actual Size", "实际大小(&A)"},
    {"Fit to &Pane", "适合窗格(&P)"},
    {"&High Color Palette", "调色环"},
    {"&20 Color Palette", "20色调色板"},
    {"T&ool Bar", "绘画工具条"},
    {"Sp&eed Bar", "系统工具条"},
    {"&Chinese", "中文"},
    {"&English", "西文"},
    {"Live 3D Preview", "实时立体预览"},
    {"&Font...", "字体..."},
    {"&Contents", "目录"},
    {"&Search for Help On...", "查寻帮助"},
    {"&How to Use Help", "怎样使用帮助"},
    {"&About...", "关于Depthloom"},
    {"New", "新建"},
    {"Open", "打开文件"},
    {"Save", "保存"},
    {"Save as...", "另存为..."},
    {"cut area", "剪取"},
    {"copy", "复制"},
    {"paste", "粘贴"},
    {"Select area", "选择部分区域，用于复制,剪切"},
    {"Pencil", "彩笔，喷色筒"},
    {"Ellipse", "空心,实心的圆"},
    {"Fill", "着色一区域"},
    {"Line", "画直线"},
    {"Rect", "空心,实心的方形"},
    {"Text", "写字"},
    {"Get color", "汲取颜色"},
    {"New 3D-Picture", "新建三维立体画"},
    {"Open 3D-Picture", "打开三维立体画"},
    {"Save 3D-Picture", "保存三维立体画"},
    {"Save 3D-Picture as...", "另存三维立体画为..."},
    {"Make 3D", "生成立体画"},
    {"Help", "帮助"},
    {"High Color", "色彩"},
    {"High Color", "色彩"},
};
static_assert(std::size(targetTexts) == TextTargetCount);

int column(std::uint8_t UILanguage)
{
    return UILanguage == Chinese ? 1 : 0;
}

} // namespace

QString StatusHints(HintRow row, std::uint8_t UILanguage)
{
    return QString::fromUtf8(hintTexts[static_cast<int>(row)][column(UILanguage)]);
}

QString LanguageText(TextTarget target, std::uint8_t UILanguage)
{
    return QString::fromUtf8(targetTexts[static_cast<int>(target)][column(UILanguage)]);
}

QString LanguageMessages(MessageRow row, std::uint8_t UILanguage)
{
    return QString::fromUtf8(messageTexts[static_cast<int>(row)][column(UILanguage)]);
}

} // namespace language
