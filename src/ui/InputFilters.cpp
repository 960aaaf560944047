#include "ui/InputFilters.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

// The window's own tab order decides what comes next.
void focusNext(QWidget* w)
{
    // A combo box's own line edit comes next in the chain but hands the
    // focus straight back: it is not the next control.
    QWidget* next = w->nextInFocusChain();
    while (next && next != w &&
           (!(next->focusPolicy() & Qt::TabFocus) || !next->isEnabled() || !next->isVisible() ||
            w->isAncestorOf(next)))
        next = next->nextInFocusChain();
    if (next)
        next->setFocus(Qt::TabFocusReason);
}

class KeyFilter : public QObject {
public:
    KeyFilter(QObject* parent, bool digits, bool beep, bool enterMovesOn, bool backspace)
        : QObject(parent), digits_(digits), beep_(beep), enter_(enterMovesOn), backspace_(backspace)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const int k = key->key();
        if (k == Qt::Key_Return || k == Qt::Key_Enter) {
            if (enter_)
                focusNext(static_cast<QWidget*>(watched));
            else if (beep_)
                QApplication::beep();
            return true;
        }
        if (!digits_)
            return false;
        // Moving about and editing shortcuts stay usable.
        if (k == Qt::Key_Tab || k == Qt::Key_Backtab || k == Qt::Key_Left || k == Qt::Key_Right ||
            k == Qt::Key_Home || k == Qt::Key_End || k == Qt::Key_Escape ||
            (key->modifiers() & Qt::ControlModifier))
            return false;
        if (k == Qt::Key_Backspace) {
            if (backspace_)
                return false;
            return true;
        }
        const QString text = key->text();
        if (text.size() == 1 && text.at(0).isDigit() && text.at(0).unicode() < 128)
            return false;
        if (beep_)
            QApplication::beep();
        return true;
    }

private:
    bool digits_, beep_, enter_, backspace_;
};

class TypingFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString text = key->text();
            if (!text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & Qt::ControlModifier))
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

namespace InputFilters {

void pickOnly(QWidget* box)
{
    box->installEventFilter(new TypingFilter(box));
}

void digitsOnly(QWidget* box, bool beep, bool enterMovesOn, bool allowBackspace)
{
    box->installEventFilter(new KeyFilter(box, true, beep, enterMovesOn, allowBackspace));
}

void enterMovesOn(QWidget* box)
{
    box->installEventFilter(new KeyFilter(box, false, false, true, true));
}

}  // namespace InputFilters
