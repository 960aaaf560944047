#pragma once
// Input the way an operator gives it: keys to the widget that has the
// focus, and picks from a combo box's list with the mouse. Tests of the
// windows use these rather than setEditText() or emitting signals, so a
// key rule on the wrong widget or a completing box shows.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QWidget>

namespace OperatorInput {

// Shows the box's window when it is hidden and gives the box the focus.
inline bool focus(QWidget* box)
{
    QWidget* window = box->window();
    if (!window->isVisible()) {
        window->show();
        if (!QTest::qWaitForWindowActive(window))
            return false;
    }
    window->activateWindow();
    box->setFocus(Qt::TabFocusReason);
    return QTest::qWaitFor([box] { return QApplication::focusWidget() == box; });
}

// Types `text` into the focus widget: ASCII as keys, anything else (Chinese)
// as an input method's commit, the way such text arrives.
inline void type(const QString& text)
{
    for (qsizetype i = 0; i < text.size();) {
        qsizetype j = i;
        if (text.at(i).unicode() < 128) {
            while (j < text.size() && text.at(j).unicode() < 128)
                ++j;
            QTest::keyClicks(QApplication::focusWidget(), text.mid(i, j - i));
        } else {
            while (j < text.size() && text.at(j).unicode() >= 128)
                ++j;
            QInputMethodEvent commit;
            commit.setCommitString(text.mid(i, j - i));
            QApplication::sendEvent(QApplication::focusWidget(), &commit);
        }
        i = j;
    }
}

// Selects what the box holds and types `text` over it; an empty text
// cuts it away (Ctrl+X, which every key rule lets through).
inline void typeInto(QWidget* box, const QString& text)
{
    if (!focus(box))
        QFAIL("the box does not take the focus");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::ControlModifier);
    else
        type(text);
}

// An open list ignores a release that follows its opening within the
// double-click interval. While this lasts the interval is short, so that
// a pick need not wait the desktop's 400 ms for its click to be taken.
class ShortDoubleClick {
public:
    static constexpr int kInterval = 40;
    ShortDoubleClick() : before_(QGuiApplication::styleHints()->mouseDoubleClickInterval())
    {
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(kInterval);
    }
    ~ShortDoubleClick() { QGuiApplication::styleHints()->setMouseDoubleClickInterval(before_); }
    ShortDoubleClick(const ShortDoubleClick&) = delete;
    ShortDoubleClick& operator=(const ShortDoubleClick&) = delete;
    // Until the list takes a click. The list's own timer that blocks the
    // release must have had its turn: a wait that lost the processor after
    // its last pass of the event loop ends without giving it one.
    static void wait()
    {
        QTest::qWait(kInterval + 20);
        QCoreApplication::processEvents();
    }

private:
    int before_;
};

// How long a list may take to open or close under load.
inline constexpr int kListWaitMs = 30000;

// Opens the list with a click on its arrow and clicks the entry with
// `text`, scrolled into view, as an operator picks.
inline void pickFromList(QComboBox* box, const QString& text)
{
    // Focused first: a list may be read only when the operator comes to it.
    if (!focus(box))
        QFAIL("the box does not take the focus");
    const int row = box->findText(text);
    QVERIFY2(row >= 0, qPrintable(QStringLiteral("no entry %1 in the list").arg(text)));
    const ShortDoubleClick quick;
    QStyleOptionComboBox opt;
    opt.initFrom(box);
    opt.editable = box->isEditable();
    const QRect arrow = box->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, arrow.center());
    QAbstractItemView* view = box->view();
    // Each wait returns as soon as the list has moved; a machine under
    // load may take seconds to get there.
    QTRY_VERIFY2_WITH_TIMEOUT(view->isVisible(), "the list does not open", kListWaitMs);
    ShortDoubleClick::wait();
    const QModelIndex index = view->model()->index(row, box->modelColumn(), view->rootIndex());
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QVERIFY2(QTest::qWaitFor([view] { return !view->isVisible(); }, kListWaitMs), "the list stayed open after the pick");
}

}  // namespace OperatorInput
