#include "WindowFixture.h"
#include "common/FindPart.h"
#include "common/TestMain.h"
#include "pickers/TfmColor.h"
#include "pickers/TfmColor16.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

#include <iterator>

namespace {

// What the texts are read from: the window and the two colour windows.
struct Controls
{
    TForm1& form;
    QWidget& highColor;
    QWidget& color20;
};
using Read = QString (*)(const Controls&);

struct TextRow
{
    const char* target;
    Read read;
    const char* english;
    const char* chinese;
};

#define MENU(name) #name, [](const Controls& c) { return part<QMenu>(c.form, #name)->title(); }
#define ITEM(name) #name, [](const Controls& c) { return part<QAction>(c.form, #name)->text(); }
#define HINT(name)                                                                                 \
#name, [](const Controls& c) { return part<QToolButton>(c.form, #name)->toolTip(); }

// Every text a language switch assigns, with the control that shows it.
const TextRow Texts[] = {
    {"help file", [](const Controls& c) { return c.form.HelpFile; }, "3DP.HLP", "c3DP.HLP"},
    {"caption", [](const Controls& c) { return c.form.windowTitle(); }, "Depthloom", "Depthloom"},
    {MENU(FileMenu), "&File", "文件(&F)"},
    {MENU(EditMenu), "&Edit", "编辑(&E)"},
    {MENU(View1), "&View", "看(&V)"},
    {MENU(Text), "&Text", "字体"},
    {MENU(HelpMenu), "&Help", "帮助(&H)"},
    {ITEM(FileNewItem), "&New", "新建(&N)"},
    {ITEM(FileOpenItem), "&Open", "打开(&O)"},
    {ITEM(FileSaveItem), "&Save", "保存(&S)"},
    {ITEM(FileSaveAsItem), "Save &as...", "另存为(&A)..."},
    {ITEM(FilePrintItem), "&Print", "打印(&P)"},
    {ITEM(FilePrintSetupItem), "P&rint setup...", "打印设置(&R)..."},
    {ITEM(PrintPreview), "Print Pre&view", "打印预览(&V)"},
    {ITEM(FileExitItem), "E&xit", "退出(&X)"},
    {ITEM(RecoverDepthItem), "Recover &Depth Map...", "恢复深度图(&D)..."},
    {ITEM(EditUndoItem), "&Undo", "复原(&U)"},
    {ITEM(EditCutItem), "Cu&t", "剪取(&T)"},
    {ITEM(EditCopyItem), "&Cpy", "复制(&C)"},
    {ITEM(EditPasteItem), "&Paste", "粘贴(&P)"},
    {ITEM(CopyFrom1), "Copy &From....", "从文件粘贴..."},
    {ITEM(V3DPicture), "&3D-Picutre", "三维立体画"},
    {ITEM(HighColorPalette), "&High Color Palette", "调色环"},
    {ITEM(N20ColorPalette), "&20 Color Palette", "20色调色板"},
    {ITEM(MToolBar), "T&ool Bar", "绘画工具条"},
    {ITEM(MSpeedBar), "Sp&eed Bar", "系统工具条"},
    {ITEM(Chinese1), "&Chinese", "中文"},
    {ITEM(English1), "&English", "西文"},
    {ITEM(LivePreviewItem), "Live 3D Preview", "实时立体预览"},
    {ITEM(Font), "&Font...", "字体..."},
    {ITEM(HelpContentsItem), "&Contents", "目录"},
    {ITEM(HelpSearchItem), "&Search for Help On...", "查寻帮助"},
    {ITEM(HelpHowToUseItem), "&How to Use Help", "怎样使用帮助"},
    {ITEM(HelpAboutItem), "&About...", "关于Depthloom"},
    {HINT(sbNew), "New", "新建"},
    {HINT(sbopen), "Open", "打开文件"},
    {HINT(sbSave), "Save", "保存"},
    {HINT(sbSaveAs), "Save as...", "另存为..."},
    {HINT(sbCut), "cut area", "剪取"},
    {HINT(sbCopy), "copy", "复制"},
    {HINT(sbPaste), "paste", "粘贴"},
    {HINT(sbSelect), "Select area", "选择部分区域，用于复制,剪切"},
    {HINT(sbPen), "Pencil", "彩笔，喷色筒"},
    {HINT(sbEllip), "Ellipse", "空心,实心的圆"},
    {HINT(sbFill), "Fill", "着色一区域"},
    {HINT(sbLine), "Line", "画直线"},
    {HINT(sbRect), "Rect", "空心,实心的方形"},
    {HINT(sbText), "Text", "写字"},
    {HINT(sbsuck), "Get color", "汲取颜色"},
    {HINT(sbNew3D), "New 3D-Picture", "新建三维立体画"},
    {HINT(sb3DOpen), "Open 3D-Picture", "打开三维立体画"},
    {HINT(sb3Dsave), "Save 3D-Picture", "保存三维立体画"},
    {HINT(sb3DSaveas), "Save 3D-Picture as...", "另存三维立体画为..."},
    {HINT(SbMake3DP), "Make 3D", "生成立体画"},
    {HINT(sbHelp), "Help", "帮助"},
    {"high-colour picker's title", [](const Controls& c) { return c.highColor.windowTitle(); },
     "High Color", "色彩"},
    {"20-colour palette's title", [](const Controls& c) { return c.color20.windowTitle(); },
     "High Color", "色彩"},
};

} // namespace

class LanguageTest : public QObject, public WindowFixture
{
    Q_OBJECT

private slots:
    void init()
    {
        openWindow();
        form().createColorPalettes();
    }
    void cleanup() { closeWindow(); }

    void texts_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("chinese");
        for (int row = 0; row < int(std::size(Texts)); ++row) {
            QTest::addRow("%s, English", Texts[row].target) << row << false;
            QTest::addRow("%s, Chinese", Texts[row].target) << row << true;
        }
    }
    // Each language is reached from the other, so a text left out of a switch shows.
    void texts()
    {
        QFETCH(int, row);
        QFETCH(bool, chinese);
        part<QAction>(form(), "Chinese1")->trigger();
        if (!chinese) {
            part<QAction>(form(), "English1")->trigger();
        }
        const TextRow& text = Texts[row];
        QCOMPARE(text.read({form(), *form().highColorPicker(), *form().color16Palette()}),
                 QString::fromUtf8(chinese ? text.chinese : text.english));
    }

    void menuSwitch()
    {
        part<QAction>(form(), "Chinese1")->trigger();
        QCOMPARE(form().UILanguage, language::Chinese);
        QVERIFY(part<QAction>(form(), "Chinese1")->isChecked());
        QVERIFY(!part<QAction>(form(), "English1")->isChecked());
        // Texts outside the tables keep their design.
        QCOMPARE(part<QToolButton>(form(), "sbPrint")->toolTip(),
                 QStringLiteral("Print 3d picture"));

        part<QAction>(form(), "English1")->trigger();
        QCOMPARE(form().UILanguage, language::English);
        QVERIFY(part<QAction>(form(), "English1")->isChecked());
        QVERIFY(!part<QAction>(form(), "Chinese1")->isChecked());

        form().ChangeLanguage(language::Chinese);
        form().ChangeLanguage(7); // any other value is English
        QCOMPARE(form().UILanguage, language::English);
        QCOMPARE(part<QMenu>(form(), "FileMenu")->title(), QStringLiteral("&File"));
    }

    void startLanguage_data()
    {
        QTest::addColumn<QStringList>("fonts");
        QTest::addColumn<bool>("chinese");
        QTest::newRow("no Chinese font") << QStringList{"DejaVu Sans"} << false;
        QTest::newRow("宋体") << QStringList{"DejaVu Sans", "宋体"} << true;
        QTest::newRow("SimSun by its English name") << QStringList{"SimSun"} << false;
    }
    void startLanguage()
    {
        QFETCH(QStringList, fonts);
        QFETCH(bool, chinese);
        QVERIFY(form().FormCreate({QStringLiteral("depthloom")}, 32, fonts));
        QCOMPARE(form().UILanguage, chinese ? language::Chinese : language::English);
        QCOMPARE(part<QMenu>(form(), "FileMenu")->title(),
                 chinese ? QStringLiteral("文件(&F)") : QStringLiteral("&File"));
        QCOMPARE(part<QAction>(form(), "Chinese1")->isChecked(), chinese);
        QCOMPARE(part<QAction>(form(), "English1")->isChecked(), !chinese);
    }

    // The colour windows are made after the start language is applied: they keep their design
    // titles until the language is switched from the menu.
    void colourWindowTitles()
    {
        QFETCH(QStringList, fonts);
        QFETCH(bool, chinese);
        ScriptedPrompts prompts;
        const std::unique_ptr<TForm1> started = openMainWindow(prompts);
        QVERIFY(started->FormCreate({QStringLiteral("depthloom")}, 32, fonts));
        started->createColorPalettes();
        QCOMPARE(started->color16Palette()->windowTitle(), QStringLiteral("Colors"));
        QCOMPARE(started->highColorPicker()->windowTitle(), QStringLiteral("High Color"));

        part<QAction>(*started, chinese ? "English1" : "Chinese1")->trigger();
        const QString title = chinese ? QStringLiteral("High Color") : QStringLiteral("色彩");
        QCOMPARE(started->color16Palette()->windowTitle(), title);
        QCOMPARE(started->highColorPicker()->windowTitle(), title);
    }
    void colourWindowTitles_data() { startLanguage_data(); }
};

DEPTHLOOM_TEST_CLASS(LanguageTest);
#include "LanguageTest.moc"
