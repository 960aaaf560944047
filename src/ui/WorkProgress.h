#pragma once
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QDialog;
class QProgressBar;
class QWidget;

// Held while work keeps the interface thread busy. Keys and clicks made
// meanwhile are thrown away, not kept for later: a click on a greyed
// button would otherwise start the same work again once it is over, and
// any other could start other work on the database in the middle of this
// one. The last input still queued when the hold ends goes the same way.
class HeldInput {
public:
    HeldInput();
    ~HeldInput();
    HeldInput(const HeldInput&) = delete;
    HeldInput& operator=(const HeldInput&) = delete;

    // Repaints and handles the window system's events; no timer, no serial
    // port, and input only to drop it.
    static void paint();

private:
    class Filter;
    std::unique_ptr<Filter> filter_;
};

// A progress window for long work that holds the interface thread: a
// copy or a check of the database. It appears only once the work has gone
// on for a moment, and goes with this object.
//
// While it lives, windows repaint but no timer and no serial port is
// handled, and keys and clicks are dropped (see HeldInput).
class WorkProgress {
public:
    WorkProgress(QWidget* parent, const QString& text);
    ~WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // Takes how far the work has come, in thousandths.
    void report(int permille);
    std::function<void(int)> sink()
    {
        return [this](int permille) { report(permille); };
    }

    // The window, once it has appeared.
    QDialog* window() const { return window_; }
    int value() const;

    // How long work runs before the window appears.
    static int delayMs();
    static void setDelayMs(int ms);

private:
    QPointer<QWidget> parent_;
    QString text_;
    QElapsedTimer clock_;
    QDialog* window_ = nullptr;
    QProgressBar* bar_ = nullptr;
    HeldInput held_;
};
