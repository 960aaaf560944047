// The pass display against the simulator, on the line's clock.

#include "support/LineHome.h"

#include "records/FrmSSXX.h"
#include "records/PassScanner.h"
#include "records/PollCommands.h"

#include <QImage>
#include <QLabel>
#include <QSet>
#include <QtTest>

using namespace std::chrono_literals;

namespace {

QString label(FrmSSXX& w, int i)
{
    return child<QLabel>(w, qPrintable(QStringLiteral("Label2_%1").arg(i)))->text();
}

void seedPerson(TestHome& home, const QString& card, const QString& physical, const QVariant& name,
                const QVariant& department, const QVariant& photo)
{
    home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名, 部门, 职务, 照片) VALUES (?, ?, ?, '经理', ?)"),
              {card, name, department, photo});
    home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号) VALUES (12, ?, ?)"), {card, physical});
}

struct PassDisplay {
    LineHome h;
    Controller* c = nullptr;
    std::unique_ptr<FrmSSXX> w;

    explicit PassDisplay(LineHome::Wire on = LineHome::Wire::Memory) : h(on)
    {
        h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1, dtype2) VALUES (12, '木', '铁')"));
        c = &h.sim.addController(12);
    }
    void open(std::chrono::milliseconds clearAfter = 2min)
    {
        w = std::make_unique<FrmSSXX>(nullptr, 100ms, clearAfter);
    }
};

}  // namespace

class TestFrmSSXX : public QObject {
    Q_OBJECT
private slots:
    void passShowsPersonAndChannel();
    void photo_data();
    void photo();
    void nothingOfThePreviousPersonStays();
    void clearsOnceAfterItsDelay();
    void noControllersNoTraffic();
    void latePiecesNeverJoinTheNextAnswer_data();
    void latePiecesNeverJoinTheNextAnswer();
    void portFailureIsShownInTheWindow();
};

void TestFrmSSXX::passShowsPersonAndChannel()
{
    PassDisplay d(LineHome::Wire::Terminal);  // end to end
    seedPerson(d.h.home, QStringLiteral("000123"), QStringLiteral("0012345678"), QStringLiteral("李四"),
               QStringLiteral("二号楼"), QVariant());
    d.open();
    QVERIFY(d.c->pass(QStringLiteral("0012345678"), 3));
    QVERIFY(LineHome::settle(10000, [&] { return label(*d.w, 0) == QStringLiteral("李四"); }));
    QCOMPARE(label(*d.w, 4), QStringLiteral("12-2进"));
    QCOMPARE(label(*d.w, 5), QStringLiteral("000123"));
    QCOMPARE(label(*d.w, 2), QStringLiteral("二号楼"));
    QCOMPARE(label(*d.w, 3), QStringLiteral("经理"));
    QVERIFY(QTime::fromString(label(*d.w, 1), QStringLiteral("HH:mm:ss")).isValid());
    QVERIFY(LineHome::settle(5000, [&] { return d.c->passes.isEmpty(); }));

    // A long department is shown whole, beside the photo and not under it.
    d.h.home.exec(QStringLiteral("UPDATE people SET 部门 = '阳光大厦一号楼东侧第三层物业办公区' WHERE 卡号 = '000123'"));
    d.w->show();
    QVERIFY(d.c->pass(QStringLiteral("0012345678"), 3));
    auto* department = child<QLabel>(*d.w, "Label2_2");
    QVERIFY(LineHome::settle(10000, [&] { return department->text() == QStringLiteral("阳光大厦一号楼东侧第三层物业办公区"); }));
    QTest::qWait(50);
    const QRect room = department->contentsRect();
    const QRect needed = department->fontMetrics().boundingRect(
        room, department->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine, department->text());
    QVERIFY2(room.contains(needed), qPrintable(QStringLiteral("%1x%2 in %3x%4").arg(needed.width()).arg(needed.height())
                                                   .arg(room.width()).arg(room.height())));
    QCOMPARE(d.w->windowTitle(), QStringLiteral("     实时监视进出门打卡情况"));
}

void TestFrmSSXX::photo_data()
{
    QTest::addColumn<QVariant>("photo");
    QTest::addColumn<bool>("ownPhoto");
    QTest::newRow("photo") << QVariant(QStringLiteral("p.png")) << true;
    QTest::newRow("empty") << QVariant(QString(QStringLiteral(""))) << false;
    QTest::newRow("no value") << QVariant() << false;
    QTest::newRow("missing file") << QVariant(QStringLiteral("gone.png")) << false;
    QTest::newRow("not a picture") << QVariant(QStringLiteral("broken.png")) << false;
}

void TestFrmSSXX::photo()
{
    QFETCH(QVariant, photo);
    QFETCH(bool, ownPhoto);
    PassDisplay d;
    QImage img(40, 50, QImage::Format_RGB32);
    img.fill(Qt::blue);
    QVERIFY(img.save(d.h.home.file(QStringLiteral("p.png"))));
    QFile broken(d.h.home.file(QStringLiteral("broken.png")));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a picture");
    broken.close();
    seedPerson(d.h.home, QStringLiteral("000123"), QStringLiteral("0012345678"), QStringLiteral("李四"),
               QStringLiteral("二号楼"), photo);
    d.open();
    d.w->ShowPerson(QStringLiteral("0012345678"), 12, 1);
    if (ownPhoto)
        QCOMPARE(d.w->shownPicture(), d.h.home.file(QStringLiteral("p.png")));
    else
        QCOMPARE(d.w->shownPicture(), QStringLiteral("face"));
    QVERIFY(!child<QLabel>(*d.w, "Image1")->pixmap().isNull());
    QVERIFY(!FrmSSXX::defaultFace().isNull());
}

void TestFrmSSXX::nothingOfThePreviousPersonStays()
{
    PassDisplay d;
    seedPerson(d.h.home, QStringLiteral("000001"), QStringLiteral("0000000001"), QStringLiteral("甲"),
               QStringLiteral("一号楼"), QVariant());
    seedPerson(d.h.home, QStringLiteral("000002"), QStringLiteral("0000000002"), QVariant(), QVariant(), QVariant());
    d.open();
    d.w->ShowPerson(QStringLiteral("0000000001"), 12, 1);
    QCOMPARE(label(*d.w, 2), QStringLiteral("一号楼"));
    QCOMPARE(label(*d.w, 4), QStringLiteral("12-1进"));
    d.w->ShowPerson(QStringLiteral("0000000002"), 12, 9);
    QCOMPARE(label(*d.w, 5), QStringLiteral("000002"));
    QCOMPARE(label(*d.w, 0), QString());
    QCOMPARE(label(*d.w, 2), QString());
    QCOMPARE(label(*d.w, 4), QString());
    // A card nobody holds empties everything, the picture too.
    d.w->ShowPerson(QStringLiteral("0000000009"), 12, 1);
    for (int i = 0; i < 6; ++i)
        QCOMPARE(label(*d.w, i), QString());
    QCOMPARE(d.w->shownPicture(), QString());
}

void TestFrmSSXX::clearsOnceAfterItsDelay()
{
    PassDisplay d;
    seedPerson(d.h.home, QStringLiteral("000001"), QStringLiteral("0000000001"), QStringLiteral("甲"),
               QStringLiteral("一号楼"), QVariant());
    d.open(400ms);
    d.w->ShowPerson(QStringLiteral("0000000001"), 12, 2);
    QCOMPARE(label(*d.w, 0), QStringLiteral("甲"));
    QVERIFY(LineHome::settle(10000, [&] { return label(*d.w, 0) == QString(); }));
    QCOMPARE(label(*d.w, 4), QString());
    QCOMPARE(d.w->shownPicture(), QString());
    // Only once: a later pass stays.
    d.w->ShowPerson(QStringLiteral("0000000001"), 12, 2);
    LineHome::settle(1000);
    QCOMPARE(label(*d.w, 0), QStringLiteral("甲"));
    QCOMPARE(label(*d.w, 4), QStringLiteral("12-1出"));
}

void TestFrmSSXX::latePiecesNeverJoinTheNextAnswer_data()
{
    QTest::addColumn<int>("splitAt");
    QTest::addColumn<int>("splitGapMs");
    QTest::addColumn<int>("firstDelayMs");
    QTest::addColumn<int>("secondDelayMs");
    QTest::addColumn<int>("chatterMs");  // a stray byte on the line this often (0: none)
    // Controller 1 answers within its wait, over more than one tick: it is
    // heard, once, and its bytes never join controller 2's.
    QTest::newRow("3 bytes, the rest 120 ms later") << 3 << 120 << 0 << 50 << 0;
    QTest::newRow("the whole reply 150 ms late") << 0 << 0 << 150 << 0 << 0;
    QTest::newRow("the whole reply 250 ms late") << 0 << 0 << 250 << 0 << 0;
    QTest::newRow("3 bytes near the end of the wait, the rest 80 ms later") << 3 << 80 << 450 << 0 << 0;
    // Passes a stray byte spoils are offered again; the scan goes on.
    QTest::newRow("a stray byte every 300 ms") << 0 << 0 << 0 << 0 << 300;
}

void TestFrmSSXX::latePiecesNeverJoinTheNextAnswer()
{
    QFETCH(int, splitAt);
    QFETCH(int, splitGapMs);
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址, dtype1, dtype2) VALUES (1, '木', '铁'), (2, '木', '铁')"));
    // The rest of controller 1's reply followed by controller 2's reads
    // as a pass of 0000010208 at controller 2.
    const QStringList people{QStringLiteral("0200040000"), QStringLiteral("0000000011"), QStringLiteral("0000000012"),
                             QStringLiteral("0000000013"), QStringLiteral("0000010208")};
    for (int i = 0; i < people.size(); ++i)
        seedPerson(h.home, QStringLiteral("%1").arg(i + 1, 6, 10, QLatin1Char('0')), people.at(i),
                   QStringLiteral("人%1").arg(i + 1), QVariant(), QVariant());
    Controller& first = h.sim.addController(1);
    Controller& second = h.sim.addController(2);
    first.behaviour.splitAt = splitAt;
    first.behaviour.splitGapMs = splitGapMs;
    QFETCH(int, firstDelayMs);
    QFETCH(int, secondDelayMs);
    first.behaviour.delayMs = firstDelayMs;
    second.behaviour.delayMs = secondDelayMs;
    QFETCH(int, chatterMs);
    h.sim.setChatter(chatterMs);
    QVERIFY(first.pass(people.at(0), 1));
    for (int i = 1; i <= 3; ++i)
        QVERIFY(second.pass(people.at(i), 3));

    FrmSSXX w(nullptr, 100ms, 2min);
    QSet<QString> shown;
    QObject::connect(w.findChild<PassScanner*>(), &PassScanner::passTaken, &w, [&] { shown << label(w, 0); });
    QVERIFY(LineHome::settle(20000, [&] { return first.passes.isEmpty() && second.passes.isEmpty(); }));
    LineHome::settle(400);
    shown.remove(QString());
    // Exactly the passes taken were shown, each acknowledged once.
    QCOMPARE(shown, (QSet<QString>{QStringLiteral("人1"), QStringLiteral("人2"), QStringLiteral("人3"), QStringLiteral("人4")}));
    QCOMPARE(h.sim.frames().count(AckPassRecord::frame(2)), 3);
    QCOMPARE(h.sim.frames().count(AckPassRecord::frame(1)), 1);
}

void TestFrmSSXX::noControllersNoTraffic()
{
    LineHome h(LineHome::Wire::Memory);
    FrmSSXX w(nullptr, 100ms, 2min);
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("请先进行门锁设置！")});
    LineHome::settle(400);
    QVERIFY(h.sim.frames().isEmpty());
}

void TestFrmSSXX::portFailureIsShownInTheWindow()
{
    PassDisplay d;
    LinePort holder;
    QVERIFY(holder.open(Session::lineParams()).ok());
    d.open();
    const QString text = child<QLabel>(*d.w, "Label4")->text();
    QVERIFY2(text.startsWith(QStringLiteral("8005    端口 (com3) ")), qPrintable(text));
    QVERIFY(text.endsWith(QStringLiteral("请进入系统配置重新设置端口号！")));
    LineHome::settle(300);
    QVERIFY(d.h.sim.frames().isEmpty());
}

QTEST_MAIN(TestFrmSSXX)
#include "tst_frmssxx.moc"
