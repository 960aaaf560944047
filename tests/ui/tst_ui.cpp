#include "ui/InputFilters.h"
#include "ui/Resize.h"

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
    InputFilters::digitsOnly(box, false, true, false);
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
    InputFilters::digitsOnly(plain);
    plain->setFocus();
    QTest::keyClicks(plain, QStringLiteral("45x"));
    QTest::keyClick(plain, Qt::Key_Backspace);
    QTest::keyClick(plain, Qt::Key_Return);
    QCOMPARE(plain->text(), QStringLiteral("4"));
    QVERIFY(plain->hasFocus());
}

void UiTest::leadingNumber()
{
    QCOMPARE(InputFilters::leadingNumber(QStringLiteral(" 7")), 7.0);
    QCOMPARE(InputFilters::leadingNumber(QStringLiteral("12ab")), 12.0);
    QCOMPARE(InputFilters::leadingNumber(QStringLiteral("ab")), 0.0);
    QCOMPARE(InputFilters::leadingNumber(QStringLiteral("  ")), 0.0);
    QCOMPARE(InputFilters::leadingNumber(QStringLiteral("2.5s")), 2.5);
    QCOMPARE(InputFilters::leadingNumber(QStringLiteral("-3")), -3.0);
}

QTEST_MAIN(UiTest)
#include "tst_ui.moc"
