#pragma once

#include <QWidget>

#include <cstdint>

class QLabel;
class QProgressBar;

// The progress window shown while a 3D picture is built: two labels in the current language
// and a gauge 0..100. Always on top and never modal, so the main window stays usable.
class TfmArchieve final : public QWidget
{
    Q_OBJECT

public:
    // `UILanguage` is the main window's language byte; it is read each time the window is shown
    // or activated, so a language switch shows at the next rendering.
    explicit TfmArchieve(const std::uint8_t& UILanguage, QWidget* parent = nullptr);

    // Sets the labels' texts in the current language.
    void FormActivate();

    void setVisible(bool visible) override;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QProgressBar* Gauge1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    const std::uint8_t& m_language;
};
