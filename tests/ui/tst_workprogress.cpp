#include "ui/WorkProgress.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestWorkProgress : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { WorkProgress::setDelayMs(400); }

    void appearsOnlyWhenTheWorkLasts()
    {
        WorkProgress::setDelayMs(60000);
        {
            WorkProgress quick(nullptr, QStringLiteral("正在压缩数据库…"));
            quick.report(500);
            QVERIFY(!quick.window());
        }
        WorkProgress::setDelayMs(0);
        QPointer<QDialog> shown;
        {
            WorkProgress slow(nullptr, QStringLiteral("正在压缩数据库…"));
            slow.report(250);
            shown = slow.window();
            QVERIFY(shown);
            QVERIFY(shown->isVisible());
            QCOMPARE(shown->windowModality(), Qt::ApplicationModal);
            QCOMPARE(shown->findChild<QLabel*>()->text(), QStringLiteral("正在压缩数据库…"));
            QCOMPARE(slow.value(), 250);
            slow.report(1000);
            QCOMPARE(slow.value(), 1000);
        }
        QVERIFY(!shown);
    }

    // A timer firing in the middle of a copy could start a collection on
    // the connection that the copy is using.
    void timersWaitUntilTheWorkIsOver()
    {
        WorkProgress::setDelayMs(0);
        int ticks = 0;
        QTimer timer;
        timer.setInterval(1);
        connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
        timer.start();
        {
            WorkProgress work(nullptr, QStringLiteral("正在备份数据库…"));
            QElapsedTimer clock;
            clock.start();
            for (int p = 0; clock.elapsed() < 200; p = (p + 1) % 1000) {
                work.report(p);
                QTest::qSleep(5);
            }
            QCOMPARE(ticks, 0);
        }
        QTRY_VERIFY(ticks > 0);
    }

    // A click made while the work holds the interface thread must not act,
    // neither then nor once the work is over.
    void inputDuringTheWorkIsDropped()
    {
        WorkProgress::setDelayMs(0);
        QPushButton other(QStringLiteral("开始"));
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        int clicks = 0;
        connect(&other, &QPushButton::clicked, this, [&] { ++clicks; });
        {
            WorkProgress work(nullptr, QStringLiteral("正在备份数据库…"));
            for (int p = 0; p < 3; ++p) {
                work.report(p * 300);
                QTest::mouseClick(&other, Qt::LeftButton);
                QTest::keyClick(&other, Qt::Key_Space);
            }
            work.report(1000);
            QCOMPARE(clicks, 0);
        }
        QCoreApplication::processEvents();
        QCOMPARE(clicks, 0);
        QTest::mouseClick(&other, Qt::LeftButton);
        QCOMPARE(clicks, 1);
    }
};

QTEST_MAIN(TestWorkProgress)
#include "tst_workprogress.moc"
