#pragma once
#include <QList>
#include <QPointer>

#include <initializer_list>

// Disables a window's controls for the life of the guard and enables
// again those it disabled. A window holds one around an exchange so that
// a second press cannot start another exchange, or close the window,
// while the first one waits.
template <typename Widget>
class DisabledWhileWaiting {
public:
    DisabledWhileWaiting(std::initializer_list<Widget*> widgets)
    {
        for (Widget* w : widgets) {
            if (w && w->isEnabled()) {
                w->setEnabled(false);
                disabled_.append(w);
            }
        }
    }
    ~DisabledWhileWaiting()
    {
        for (const QPointer<Widget>& w : disabled_) {
            if (w)
                w->setEnabled(true);
        }
    }
    DisabledWhileWaiting(const DisabledWhileWaiting&) = delete;
    DisabledWhileWaiting& operator=(const DisabledWhileWaiting&) = delete;

private:
    QList<QPointer<Widget>> disabled_;
};
