#pragma once
#include <QList>
#include <QPointer>
#include <QWidget>

// Held by a window while one of its exchanges (or a run of them) is under
// way: disables the controls that could start another exchange or close
// the window, so that a second press cannot nest an exchange, and counts
// the window as working when it keeps such a count. The controls it
// disabled are enabled again when it goes out of scope.
class ExchangeGuard {
public:
    explicit ExchangeGuard(const QList<QWidget*>& controls) : ExchangeGuard(nullptr, controls) {}
    ExchangeGuard(int& working, const QList<QWidget*>& controls) : ExchangeGuard(&working, controls) {}
    ~ExchangeGuard()
    {
        for (const QPointer<QWidget>& w : disabled_) {
            if (w)
                w->setEnabled(true);
        }
        if (working_)
            --*working_;
    }
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;

private:
    ExchangeGuard(int* working, const QList<QWidget*>& controls) : working_(working)
    {
        if (working_)
            ++*working_;
        for (QWidget* w : controls) {
            if (w && w->isEnabled()) {
                w->setEnabled(false);
                disabled_.append(w);
            }
        }
    }

    int* working_;
    QList<QPointer<QWidget>> disabled_;
};
