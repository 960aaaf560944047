#include "ui/InputFilters.h"

#include <QAbstractItemView>
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

// Enter and Backspace as a window's box takes them; what text the box
// can hold is TypedInput's.
class KeyFilter : public QObject {
public:
    enum Rule { EnterMovesOn, EnterDropped, BackspaceDropped };
    KeyFilter(QObject* parent, Rule rule) : QObject(parent), rule_(rule) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int k = static_cast<QKeyEvent*>(event)->key();
        if (rule_ == BackspaceDropped)
            return k == Qt::Key_Backspace;
        if (k != Qt::Key_Return && k != Qt::Key_Enter)
            return false;
        if (rule_ == EnterMovesOn)
            focusNext(static_cast<QWidget*>(watched));
        return true;
    }

private:
    Rule rule_;
};

// Qt's keyboard search would jump to the first entry that starts with
// what was typed lately: "13" would pick 1, and "1", a pause, "2" would
// pick 2. Here the entry is chosen only when all that was typed since the
// box took the focus or was last picked from equals it whole; anything
// else leaves nothing chosen, so the window's own check refuses it. A key
// after which no entry can match is refused with a bell and leaves
// nothing chosen: "13" never picks 1, and no key the operator cannot see
// stays behind to spoil the next entry typed. In the open list the same
// keys only mark the entry that Enter would pick.
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
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        inList_ = watched != box_;
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
    bool anyStartsWith(const QString& typed) const
    {
        for (int i = 0; i < box_->count(); ++i)
            if (box_->itemText(i).startsWith(typed))
                return true;
        return false;
    }

    void choose(QString typed)
    {
        if (!typed.isEmpty() && !anyStartsWith(typed)) {
            QApplication::beep();
            typed.clear();
        }
        const int before = box_->currentIndex();
        const int entry = typed.isEmpty() ? -1 : box_->findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (inList_) {
            typed_ = typed;
            box_->view()->setCurrentIndex(box_->model()->index(entry, box_->modelColumn(), box_->rootModelIndex()));
            if (entry < 0)
                box_->view()->clearSelection();
            return;
        }
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
    bool inList_ = false;  // the keys arrive at the open list
};

}  // namespace

namespace InputFilters {

void pickOnly(QComboBox* box)
{
    box->setEditable(false);
    auto* picker = new WholeEntryPicker(box);
    box->installEventFilter(picker);
    box->view()->installEventFilter(picker);
}

void enterMovesOn(QWidget* box)
{
    box->installEventFilter(new KeyFilter(box, KeyFilter::EnterMovesOn));
}

void enterDropped(QWidget* box)
{
    box->installEventFilter(new KeyFilter(box, KeyFilter::EnterDropped));
}

void backspaceDropped(QWidget* box)
{
    box->installEventFilter(new KeyFilter(box, KeyFilter::BackspaceDropped));
}

}  // namespace InputFilters
