#include "ui/InputFilters.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
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

// Qt's keyboard search would jump to the first entry that starts with
// what was typed lately: "13" would pick 1, and "1", a pause, "2" would
// pick 2. Here the entry is chosen only when all that was typed since the
// box took the focus or was last picked from equals it whole; anything
// else leaves nothing chosen, so the window's own check refuses it.
class WholeEntryPicker : public QObject {
public:
    explicit WholeEntryPicker(QComboBox* box) : QObject(box), box_(box)
    {
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!choosing_)
                typed_.clear();
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::FocusIn: typed_.clear(); return false;
        case QEvent::InputMethod: {
            const QString commit = static_cast<QInputMethodEvent*>(event)->commitString();
            if (commit.isEmpty())
                return false;
            choose(typed_ + commit);
            return true;
        }
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
                return false;
            if (key->key() == Qt::Key_Backspace) {
                if (!typed_.isEmpty())
                    choose(typed_.chopped(1));
                return true;
            }
            const QString text = key->text();
            if (text.isEmpty() || !text.at(0).isPrint() || text == QStringLiteral(" "))
                return false;
            choose(typed_ + text);
            return true;
        }
        default: return false;
        }
    }

private:
    void choose(const QString& typed)
    {
        const int before = box_->currentIndex();
        const int entry = typed.isEmpty() ? -1 : box_->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
        choosing_ = true;
        box_->setCurrentIndex(entry);
        choosing_ = false;
        typed_ = typed;
        // A whole entry typed is a pick, as a click on it would be.
        if (entry >= 0 && entry != before) {
            emit box_->activated(entry);
            emit box_->textActivated(box_->itemText(entry));
        }
    }

    QComboBox* box_;
    QString typed_;
    bool choosing_ = false;
};

}  // namespace

namespace InputFilters {

void pickOnly(QComboBox* box)
{
    box->setEditable(false);
    box->installEventFilter(new WholeEntryPicker(box));
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
