#pragma once
#include <QList>
#include <QPointer>
#include <QWidget>

// Held by a window while one of its exchanges (or a run of them) is under
// way: disables the controls that could start another exchange or close
// the window, and counts the window as working, until it goes out of
// scope. The controls it disabled are enabled again.
class ExchangeGuard {
public:
    ExchangeGuard(int& working, const QList<QWidget*>& controls) : working_(working)
    {
        ++working_;
        for (QWidget* w : controls) {
            if (w && w->isEnabled()) {
                w->setEnabled(false);
                disabled_.append(w);
            }
        }
    }
    ~ExchangeGuard()
    {
        for (const QPointer<QWidget>& w : disabled_) {
            if (w)
                w->setEnabled(true);
        }
        --working_;
    }
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

private:
    int& working_;
    QList<QPointer<QWidget>> disabled_;
};
