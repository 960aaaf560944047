#pragma once
#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <functional>

class QDialog;
class QProgressBar;
class QWidget;

// A progress window for long work that holds the interface thread: a
// copy or a check of the database. It appears only once the work has gone
// on for a moment, and goes with this object.
//
// While it shows, the window system's own events are handled, so that it
// paints, but no timer, no key or click and no serial port is: any of them
// could start other work on the database in the middle of this one. They
// wait and run once the work is over, as they would after a frozen window.
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
};
