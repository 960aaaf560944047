#include "ui/WorkProgress.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>

namespace {
int& delay()
{
    // Shorter work is over before a window could be read.
    static int ms = 400;
    return ms;
}
}  // namespace

WorkProgress::WorkProgress(QWidget* parent, const QString& text) : parent_(parent), text_(text)
{
    clock_.start();
}

WorkProgress::~WorkProgress()
{
    delete window_;
}

int WorkProgress::delayMs()
{
    return delay();
}

void WorkProgress::setDelayMs(int ms)
{
    delay() = ms;
}

int WorkProgress::value() const
{
    return bar_ ? bar_->value() : 0;
}

void WorkProgress::report(int permille)
{
    if (!window_) {
        if (clock_.elapsed() < delay())
            return;
        // No close button: the work cannot be left half done.
        window_ = new QDialog(parent_, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        window_->setObjectName(QStringLiteral("WorkProgress"));
        window_->setWindowTitle(QApplication::applicationDisplayName());
        window_->setWindowModality(Qt::ApplicationModal);
        auto* label = new QLabel(text_, window_);
        bar_ = new QProgressBar(window_);
        bar_->setRange(0, 1000);
        bar_->setMinimumWidth(320);
        auto* layout = new QVBoxLayout(window_);
        layout->addWidget(label);
        layout->addWidget(bar_);
        window_->show();
    }
    bar_->setValue(std::clamp(permille, 0, 1000));
    HeldInput::paint();
}

class HeldInput::Filter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return true;
        default:
            return false;
        }
    }
};

HeldInput::HeldInput() : filter_(std::make_unique<Filter>())
{
    QCoreApplication::instance()->installEventFilter(filter_.get());
}

HeldInput::~HeldInput()
{
    paint();
    QCoreApplication::instance()->removeEventFilter(filter_.get());
}

void HeldInput::paint()
{
    // Without ExcludeUserInputEvents: excluded input is only deferred, and
    // would be delivered once the work is over.
    QCoreApplication::processEvents(QEventLoop::ExcludeSocketNotifiers | QEventLoop::X11ExcludeTimers);
}
