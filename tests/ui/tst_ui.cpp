#include "db/NumberText.h"
#include "ui/InputFilters.h"
#include "ui/Resize.h"
#include "ui/TypedInput.h"
#include "ui/DateTimeBoxes.h"
#include "support/OperatorInput.h"
#include "support/PickerInput.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"
#include "support/ToolWindowVisits.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QTimeEdit>
#include <QInputMethodEvent>

#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// A window laid out by hand, as the resizable windows are.
struct Laid {
    QDialog window;
    QPushButton* button;
    QGroupBox* frame;
    QLineEdit* inner;
    Laid()
    {
        window.resize(400, 300);
        button = new QPushButton(QStringLiteral("确定"), &window);
        button->setGeometry(40, 30, 100, 24);
        frame = new QGroupBox(QStringLiteral("框"), &window);
        frame->setGeometry(200, 100, 160, 120);
        inner = new QLineEdit(frame);
        inner->setGeometry(10, 20, 80, 22);
        // A hidden window gets its resize events only when shown.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

// A line edit or an editable combo box under `rule`, in a shown window,
// with the focus; the line edit that holds its text (nothing when the
// box does not take the focus).
template <typename Rule>
QLineEdit* focusedBox(QDialog& window, bool combo, Rule rule)
{
    QWidget* box = nullptr;
    QLineEdit* edit = nullptr;
    if (combo) {
        auto* c = new QComboBox(&window);
        rule(c);
        box = c;
        edit = c->lineEdit();
    } else {
        edit = new QLineEdit(&window);
        rule(edit);
        box = edit;
    }
    window.show();
    if (!QTest::qWaitForWindowActive(&window))
        return nullptr;
    box->setFocus();
    return QTest::qWaitFor([box] { return QApplication::focusWidget() == box; }) ? edit : nullptr;
}

}  // namespace

class UiTest : public QObject {
    Q_OBJECT
private slots:
    void doublingWidthDoublesLeftAndWidth();
    void resizingBackRestoresLayout();
    void emptyTagGoesToCorner();
    void baseSizeIsKeptPerWindow();
    void digitsOnlyFilter();
    void leadingNumber();
    void digitsArriveByEveryPath_data();
    void digitsArriveByEveryPath();
    void editableComboTakesWhatIsTyped();
    void storedTextRefusesWhatDoesNotFit_data();
    void storedTextRefusesWhatDoesNotFit();
    void clickIntoAPickerThenType_data();
    void clickIntoAPickerThenType();
    void everyPickerKeepsWhatIsTyped_data();
    void everyPickerKeepsWhatIsTyped();
};

void UiTest::doublingWidthDoublesLeftAndWidth()
{
    Laid l;
    Resize::keepProportional(&l.window);
    QCOMPARE(l.button->property("Tag").toString(), QStringLiteral("40 30 100 24 "));
    l.window.resize(800, 300);
    QCOMPARE(l.button->geometry(), QRect(80, 30, 200, 24));
    QCOMPARE(l.frame->geometry(), QRect(400, 100, 320, 120));
    // A control inside a frame scales with the window's factors too.
    QCOMPARE(l.inner->geometry(), QRect(20, 20, 160, 22));
    l.window.resize(800, 600);
    QCOMPARE(l.button->geometry(), QRect(80, 60, 200, 48));
}

void UiTest::resizingBackRestoresLayout()
{
    Laid l;
    Resize::keepProportional(&l.window);
    const QRect b = l.button->geometry(), f = l.frame->geometry(), i = l.inner->geometry();
    // Odd factors, a minimised window and back: nothing accumulates.
    for (const QSize s : {QSize(417, 333), QSize(123, 77), QSize(0, 0), QSize(999, 301), QSize(400, 300)})
        l.window.resize(s);
    QCOMPARE(l.button->geometry(), b);
    QCOMPARE(l.frame->geometry(), f);
    QCOMPARE(l.inner->geometry(), i);
}

void UiTest::emptyTagGoesToCorner()
{
    Laid l;
    Resize::keepProportional(&l.window);
    l.button->setProperty("Tag", QString());
    l.window.resize(500, 300);
    QCOMPARE(l.button->geometry().topLeft(), QPoint(0, 0));
    QCOMPARE(l.button->geometry().size(), QSize(0, 0));
}

void UiTest::baseSizeIsKeptPerWindow()
{
    Laid a, b;
    b.window.resize(200, 100);
    Resize::keepProportional(&a.window);
    Resize::keepProportional(&b.window);
    QCOMPARE(Resize::baseSize(&a.window), QSize(400, 300));
    QCOMPARE(Resize::baseSize(&b.window), QSize(200, 100));
    // The first window still scales against its own recorded size.
    a.window.resize(800, 300);
    QCOMPARE(a.button->geometry(), QRect(80, 30, 200, 24));
}

void UiTest::digitsOnlyFilter()
{
    QDialog w;
    auto* box = new QLineEdit(&w);
    auto* next = new QLineEdit(&w);
    TypedInput::digitsOnly(box);
    InputFilters::enterMovesOn(box);
    InputFilters::backspaceDropped(box);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("1a2-3 ."));
    QCOMPARE(box->text(), QStringLiteral("123"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QCOMPARE(box->text(), QStringLiteral("123"));
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(next->hasFocus());

    auto* plain = new QLineEdit(&w);
    plain->show();
    TypedInput::digitsOnly(plain);
    InputFilters::enterDropped(plain);
    plain->setFocus();
    QTest::keyClicks(plain, QStringLiteral("45x"));
    QTest::keyClick(plain, Qt::Key_Backspace);
    QTest::keyClick(plain, Qt::Key_Return);
    QCOMPARE(plain->text(), QStringLiteral("4"));
    QVERIFY(plain->hasFocus());
}

void UiTest::leadingNumber()
{
    QCOMPARE(NumberText::leading(QStringLiteral(" 7")), 7.0);
    QCOMPARE(NumberText::leading(QStringLiteral("12ab")), 12.0);
    QCOMPARE(NumberText::leading(QStringLiteral("ab")), 0.0);
    QCOMPARE(NumberText::leading(QStringLiteral("  ")), 0.0);
    QCOMPARE(NumberText::leading(QStringLiteral("2.5s")), 2.5);
    QCOMPARE(NumberText::leading(QStringLiteral("-3")), -3.0);
}

void UiTest::digitsArriveByEveryPath_data()
{
    QTest::addColumn<bool>("combo");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("kept");
    // Every box starts holding "9": a refused change leaves it as it was.
    for (const bool combo : {false, true}) {
        const char* box = combo ? "combo" : "line edit";
        QTest::addRow("%s keys", box) << combo << "keys" << "a1 2b3" << "9123";
        QTest::addRow("%s keys beyond six", box) << combo << "keys" << "1234567" << "91234567";
        QTest::addRow("%s Ctrl+V digits", box) << combo << "ctrl+v" << "12345678" << "912345678";
        QTest::addRow("%s Ctrl+V with letters", box) << combo << "ctrl+v" << "ab c'12345678" << "9";
        QTest::addRow("%s Ctrl+V with a dash", box) << combo << "ctrl+v" << "0012-345678" << "9";
        QTest::addRow("%s menu paste with a blank", box) << combo << "paste" << " 000001" << "9";
        QTest::addRow("%s menu paste", box) << combo << "paste" << "000001" << "9000001";
        QTest::addRow("%s input method", box) << combo << "im" << "\uFF11\uFF12" << "912";
        QTest::addRow("%s input method with a letter", box) << combo << "im" << "\uFF11\uFF12x 3" << "9";
    }
}

void UiTest::digitsArriveByEveryPath()
{
    QFETCH(bool, combo);
    QFETCH(QString, path);
    QFETCH(QString, input);
    QFETCH(QString, kept);
    QDialog window;
    QLineEdit* edit = focusedBox(window, combo, [](auto* box) { TypedInput::digitsOnly(box); });
    QVERIFY(edit);
    QVERIFY(QApplication::focusWidget()->inputMethodHints() & Qt::ImhDigitsOnly);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_9);

    if (path == QLatin1String("keys")) {
        QTest::keyClicks(QApplication::focusWidget(), input);
    } else if (path == QLatin1String("im")) {
        QInputMethodEvent commit;
        commit.setCommitString(input);
        QApplication::sendEvent(QApplication::focusWidget(), &commit);
    } else {
        QApplication::clipboard()->setText(input);
        if (path == QLatin1String("ctrl+v"))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        else
            edit->paste();   // what the context menu's entry calls
    }
    QCOMPARE(edit->text(), kept);
}

void UiTest::storedTextRefusesWhatDoesNotFit_data()
{
    QTest::addColumn<bool>("combo");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("before");  // characters the box holds first
    QTest::addColumn<int>("added");
    QTest::addColumn<int>("kept");
    for (const bool combo : {false, true}) {
        const char* box = combo ? "combo" : "line edit";
        QTest::addRow("%s paste filling it", box) << combo << "paste" << 5 << 250 << 255;
        QTest::addRow("%s paste one beyond", box) << combo << "paste" << 5 << 251 << 5;
        QTest::addRow("%s 256 pasted into an empty box", box) << combo << "paste" << 0 << 256 << 0;
        QTest::addRow("%s key beyond", box) << combo << "keys" << 255 << 1 << 255;
        QTest::addRow("%s Chinese beyond", box) << combo << "im" << 254 << 2 << 254;
        QTest::addRow("%s escape pasted", box) << combo << "paste control" << 5 << 1 << 5;
    }
}

void UiTest::storedTextRefusesWhatDoesNotFit()
{
    QFETCH(bool, combo);
    QFETCH(QString, path);
    QFETCH(int, before);
    QFETCH(int, added);
    QFETCH(int, kept);
    QDialog window;
    QLineEdit* edit = focusedBox(window, combo, [](auto* box) { TypedInput::storedText(box); });
    QVERIFY(edit);
    const QString first(before, QLatin1Char('a'));
    QApplication::clipboard()->setText(first);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), first);

    if (path == QLatin1String("keys")) {
        QTest::keyClicks(QApplication::focusWidget(), QString(added, QLatin1Char('b')));
    } else if (path == QLatin1String("im")) {
        QInputMethodEvent commit;
        commit.setCommitString(QString(added, QChar(0x95E8)));
        QApplication::sendEvent(QApplication::focusWidget(), &commit);
    } else {
        QApplication::clipboard()->setText(QString(added, path.endsWith(QLatin1String("control")) ? QChar(0x1B) : QChar(u'b')));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(edit->text().size(), kept);
    QVERIFY(edit->text().startsWith(first));
}

void UiTest::editableComboTakesWhatIsTyped()
{
    QDialog window;
    auto* c = new QComboBox(&window);
    c->addItems({QStringLiteral("10"), QStringLiteral("12"), QStringLiteral("abc")});
    TypedInput::typedOnly(c);
    c->setCurrentIndex(-1);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    c->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), c);
    QTest::keyClicks(c, QStringLiteral("1"));
    QCOMPARE(c->currentText(), QStringLiteral("1"));
    QTest::keyClick(c, Qt::Key_Return);
    QCOMPARE(c->currentText(), QStringLiteral("1"));
    QCOMPARE(c->count(), 3);
    QTest::keyClick(c, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(c, QStringLiteral("A"));
    QCOMPARE(c->currentText(), QStringLiteral("A"));
    QVERIFY(!c->completer());
}

// The operator clicks into a part of a picker (between its digits) and
// types the whole value from there.
void UiTest::clickIntoAPickerThenType_data()
{
    QTest::addColumn<bool>("time");
    QTest::addColumn<int>("at");   // a character inside the part clicked
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("blank");   // the lowest date shows as "no date"
    QTest::newRow("hour") << true << 1 << "0830" << "08:30" << false;
    QTest::newRow("minute") << true << 4 << "45" << "00:45" << false;
    QTest::newRow("year") << false << 2 << "20250309" << "2025-03-09" << false;
    QTest::newRow("day") << false << 9 << "17" << "2024-05-17" << false;
    QTest::newRow("no date yet") << false << 0 << "19800102" << "1980-01-02" << true;
}

void UiTest::clickIntoAPickerThenType()
{
    QFETCH(bool, time);
    QFETCH(int, at);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(bool, blank);
    QDialog window;
    QDateTimeEdit* picker = time ? static_cast<QDateTimeEdit*>(new QTimeEdit(QTime(0, 0), &window))
                                 : new QDateEdit(QDate(2024, 5, 1), &window);
    picker->setDisplayFormat(time ? QStringLiteral("HH:mm") : QStringLiteral("yyyy-MM-dd"));
    picker->setGeometry(10, 10, 140, 24);
    if (blank) {
        picker->setMinimumDate(QDate(1752, 9, 14));
        picker->setSpecialValueText(QStringLiteral(" "));
        picker->setDate(picker->minimumDate());
    }
    TypedInput::clickSelectsSection(picker);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PickerInput::clickAt(picker, at);
    QTest::keyClicks(QApplication::focusWidget(), typed);
    QCOMPARE(picker->text(), shown);
}

// Typed from the first part of every date and time picker of every window:
// the picker shows the parts it has, as typed; what names no day or time of
// day is refused by the picker's name.
void UiTest::everyPickerKeepsWhatIsTyped_data()
{
    QTest::addColumn<QString>("typed");   // "yyyy-MM-dd" or "HH:mm:ss"
    for (const char* typed : {"2025-02-31", "2023-02-29", "2024-04-31", "24:00:00", "12:60:00", "09:05:70",
                              "2024-02-29", "2025-02-28", "2000-01-01", "2099-12-31", "23:59:59"})
        QTest::newRow(typed) << QString::fromLatin1(typed);
}

void UiTest::everyPickerKeepsWhatIsTyped()
{
    QFETCH(QString, typed);
    TestHome home;
    ScriptedPrompter prompter;
    const QChar separator = typed.at(2) == u':' ? u':' : u'-';
    int pickers = 0;
    visitToolWindows([&](QWidget* window) {
        for (QDateTimeEdit* p : window->findChildren<QDateTimeEdit*>()) {
            if (bool(p->displayedSections() & QDateTimeEdit::TimeSections_Mask) != (separator == u':'))
                continue;
            ++pickers;
            const QString where = window->objectName() + u'.' + p->objectName();
            const QString shown = typed.split(separator).mid(0, p->sectionCount()).join(separator);
            p->setEnabled(true);   // a picker its window switches off keeps the same rule
            QVERIFY2(OperatorInput::focus(p), qPrintable(where));
            PickerInput::clickAt(p, 0);
            QTest::keyClicks(QApplication::focusWidget(), QString(shown).remove(separator));
            p->clearFocus();
            QVERIFY2(p->text() == shown, qPrintable(where + u' ' + p->text()));
            const QDateTime value = QDateTime::fromString(
                separator == u':' ? "2000-01-01 " + (shown + ":00").left(8) : shown + " 00:00:00", "yyyy-MM-dd HH:mm:ss");
            const QString name = QAccessible::queryAccessibleInterface(p)->text(QAccessible::Name).remove(QRegularExpression("[：:]$"));
            prompter.clear();
            QVERIFY2(DateTimeBoxes::refused(p) != value.isValid() &&
                         (value.isValid() ? p->dateTime().addMSecs(-p->time().msec()) == value : prompter.last().contains(name)),
                     qPrintable(where + u' ' + prompter.last()));
        }
    });
    QVERIFY(pickers > 0);
}

QTEST_MAIN(UiTest)
#include "tst_ui.moc"
