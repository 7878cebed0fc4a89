#pragma once

#include "mainwindow/TForm1.h"

#include <QTest>

#include <memory>

// A main window shown and through its first activation, as the user first sees it.
inline std::unique_ptr<TForm1> openMainWindow(Prompts& prompts)
{
    auto form = std::make_unique<TForm1>(prompts);
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) {
        form->FormActivate();
    }
    return form;
}
