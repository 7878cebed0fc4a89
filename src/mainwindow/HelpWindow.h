#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;
class QToolButton;

// The program's own window for the help pages shipped with it, for when no web browser can show
// them: links between the pages and to their anchors, pictures, Back and Forward (also
// Alt+Left and Alt+Right, and the mouse's side buttons). Links out of the pages go to the
// desktop's browser, if there is one.
class HelpWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* owner);

    // Shows `page`, a local file with an optional anchor, and brings the window to the front. A
    // page that is missing is named in the window instead.
    void showPage(const QUrl& page);
    QTextBrowser* browser() const { return m_browser; }
    // The page last asked for, shown or missing.
    QUrl page() const { return m_page; }

private:
    void pageChanged();

    QTextBrowser* m_browser = nullptr;
    QToolButton* m_back = nullptr;
    QToolButton* m_forward = nullptr;
    QToolButton* m_home = nullptr;
    QUrl m_page;
};

namespace help {

// Opens `page` in the desktop's web browser; when none can be started, in `window`, which is
// made on first need as a window of `owner`. The page shows one way or the other: a browser that
// fails after it started is noticed when it ends with an error.
void openPage(const QUrl& page, QWidget* owner, HelpWindow*& window);

} // namespace help
