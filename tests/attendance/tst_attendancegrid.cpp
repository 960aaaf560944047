#include "attendance/AttendanceGridModel.h"
#include "support/TestHome.h"

#include <QSignalSpy>
#include <QtTest>

// The attendance grid as a service: corrections go to the row shown, found
// by its identity, whatever another program did to its key meanwhile.
class TestAttendanceGrid : public QObject {
    Q_OBJECT
private slots:
    void correctionsReachTheShownRow_data();
    void correctionsReachTheShownRow();
};

void TestAttendanceGrid::correctionsReachTheShownRow_data()
{
    QTest::addColumn<QString>("meanwhile");   // run by another program once the rows are shown
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");     // empty: stored
    QTest::addColumn<QString>("shown");       // the cell afterwards
    QTest::addColumn<QString>("stored");      // the field of the first row afterwards
    QTest::newRow("hours with two decimals") << "" << 7 << "7.5" << "" << "7.50" << "7.5";
    QTest::newRow("hours unchanged") << "" << 7 << "6.17" << "" << "6.17" << "6.17";
    QTest::newRow("card onto another row's key")
        << "" << 1 << "000002" << "这张卡在这一天已有考勤记录，修改没有保存。" << "000001" << "000001";
    QTest::newRow("key changed elsewhere") << "UPDATE datakq SET 卡号 = '000007' WHERE 卡号 = '000001'" << 0 << "丙"
                                           << "" << "丙" << "丙";
    QTest::newRow("row removed elsewhere") << "DELETE FROM datakq WHERE 卡号 = '000001'" << 3 << "8:00"
                                           << "这条考勤记录已不在了，修改没有保存。" << "08:30:00" << "<gone>";
}

void TestAttendanceGrid::correctionsReachTheShownRow()
{
    QFETCH(QString, meanwhile);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    QFETCH(QString, shown);
    QFETCH(QString, stored);
    TestHome home;
    home.exec(QStringLiteral("INSERT INTO datakq (卡号, 日期, 姓名, 时间1, hrs) VALUES "
                             "('000001', '2024-03-05', '甲', '08:30:00', 6.17), ('000002', '2024-03-05', '乙', NULL, 0)"));
    const qint64 first = home.scalar(QStringLiteral("SELECT rowid FROM datakq WHERE 卡号 = '000001'")).toLongLong();
    AttendanceGridModel grid(home.db());
    AttendanceQuery::Filter byCard;
    byCard.order = 1;
    QString error;
    QVERIFY2(grid.run(byCard, &error), qPrintable(error));
    QCOMPARE(grid.rowCount(), 2);
    QCOMPARE(grid.index(0, 7).data(Qt::EditRole).toString(), QStringLiteral("6.17"));
    if (!meanwhile.isEmpty())
        home.exec(meanwhile);

    QSignalSpy refused(&grid, &EditableGridModel::editRefused);
    const bool ok = grid.setData(grid.index(0, column), typed);
    QCOMPARE(ok, refusal.isEmpty());
    QCOMPARE(refused.size(), refusal.isEmpty() ? 0 : 1);
    if (!refusal.isEmpty())
        QCOMPARE(refused.first().first().toString(), refusal);
    QCOMPARE(grid.index(0, column).data().toString(), shown);
    const QVariant v = home.scalar(
        QStringLiteral("SELECT %1 FROM datakq WHERE rowid = ?").arg(AttendanceQuery::fields().at(column)), {first});
    QCOMPARE(v.isValid() ? v.toString() : QStringLiteral("<gone>"), stored);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM datakq")).toInt(), meanwhile.startsWith("DELETE") ? 1 : 2);
}

QTEST_GUILESS_MAIN(TestAttendanceGrid)
#include "tst_attendancegrid.moc"
