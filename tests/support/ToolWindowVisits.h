#pragma once
// Every window the main window's menu opens, made as the menu makes it and
// handed to `visit` (not shown), then closed before the next one is made.

#include "app/Tools.h"

#include <QWidget>

#include <functional>
#include <memory>

inline void visitToolWindows(const std::function<void(QWidget*)>& visit)
{
    for (const QList<Tools::Tool>* tools : {&Tools::heads(), &Tools::all()})
        for (const Tools::Tool& t : *tools)
            if (t.open)
                if (const std::unique_ptr<QWidget> w{t.open(nullptr)})
                    visit(w.get());
}
