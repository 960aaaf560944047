// With controllers 10 and 12, an address typed as "1" reaches only what
// was typed, in every window with an address box: no box completes it to
// 10 or 12. Typed the way an operator types: keys to the focus widget.

#include "support/LineHome.h"
#include "support/OperatorInput.h"

#include "admin/frmfkj.h"
#include "doors/DoorsTable.h"
#include "doors/FrmCDT.h"
#include "doors/FrmSysInf.h"
#include "doors/Frmdoors.h"
#include "doors/Frmspe.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

struct TwoControllers : LineHome {
    TwoControllers() : LineHome(Waits::Short)
    {
        home.exec(QStringLiteral("INSERT INTO doors (地址, namedr1, delay1, dtype1) VALUES "
                                 "(10, '十号', 5, '玻'), (12, '十二号', 5, '玻')"));
        sim.addController(10);
        sim.addController(12);
    }
    // The first byte of every frame the controllers were sent.
    QList<int> addressed() const
    {
        QList<int> out;
        for (const QByteArray& f : sim.frames())
            out << quint8(f.at(0));
        return out;
    }
};

}  // namespace

class TypedAddressTest : public QObject {
    Q_OBJECT
private slots:
    void lockSettingsInitialiseGoesToTheTypedAddress();
    void lockSettingsButtonsUseWhatTheBoxesHold();
    void remoteOpeningOpensOnlyAListedAddress();
    void readerSettingsStoresTheTypedAddress();
    void windowsWithoutTypingSendNothing();
};

void TypedAddressTest::lockSettingsInitialiseGoesToTheTypedAddress()
{
    TwoControllers h;
    h.sim.controller(10)->records.resize(5);
    Frmdoors w;
    auto* address = child<QComboBox>(w, "Cdoor");
    OperatorInput::typeInto(address, QStringLiteral("1"));
    QCOMPARE(address->currentText(), QStringLiteral("1"));
    child<QPushButton>(w, "Cmdtest")->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("初始化出错...")});
    QCOMPARE(h.addressed(), QList<int>{1});
    QCOMPARE(h.sim.controller(10)->records.size(), 5);

    h.prompts.clear();
    h.sim.clearFrames();
    OperatorInput::typeInto(address, QStringLiteral("12"));
    child<QPushButton>(w, "Cmdtest")->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("初始化成功")});
    QCOMPARE(h.addressed(), (QList<int>{12, 12}));
}

void TypedAddressTest::lockSettingsButtonsUseWhatTheBoxesHold()
{
    TwoControllers h;
    Frmdoors w;
    auto* address = child<QComboBox>(w, "Cdoor");
    auto* name = child<QLineEdit>(w, "drnam(0)");
    // Typing an address shows nothing of it, and asks the controller nothing.
    OperatorInput::typeInto(address, QStringLiteral("12"));
    QVERIFY(name->text().isEmpty());
    OperatorInput::typeInto(name, QStringLiteral("North gate"));
    OperatorInput::typeInto(address, QStringLiteral("12"));
    QTest::mouseClick(child<QPushButton>(w, "Command4"), Qt::LeftButton);
    QCOMPARE(h.prompts.last(), QStringLiteral("已经修改完毕"));
    QCOMPARE(DoorsTable::find(h.home.db(), 12)->lock[0].name.toString(), QStringLiteral("North gate"));
    QCOMPARE(name->text(), QStringLiteral("North gate"));
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

void TypedAddressTest::remoteOpeningOpensOnlyAListedAddress()
{
    TwoControllers h;
    for (quint8 a : {10, 12})
        h.sim.controller(a)->lockDelay[0] = 140;
    Frmspe w;
    auto* address = child<QComboBox>(w, "Cdoor");
    child<QRadioButton>(w, "Option1(0)")->setChecked(true);
    OperatorInput::typeInto(address, QStringLiteral("1"));
    child<QPushButton>(w, "Copen")->click();
    LineHome::settle();
    QVERIFY(h.prompts.shown.isEmpty());
    QVERIFY(h.sim.frames().isEmpty());
    QVERIFY(!h.sim.controller(10)->lockOpen(1));

    OperatorInput::typeInto(address, QStringLiteral("12"));
    child<QPushButton>(w, "Copen")->click();
    QCOMPARE(h.prompts.texts(), QStringList{QStringLiteral("开门成功")});
    QCOMPARE(h.addressed(), QList<int>{12});
    QVERIFY(h.sim.controller(12)->lockOpen(1));
}

void TypedAddressTest::readerSettingsStoresTheTypedAddress()
{
    TwoControllers h;
    for (const QString& typed : {QStringLiteral("1"), QStringLiteral("12")}) {
        frmfkj w;
        OperatorInput::typeInto(child<QComboBox>(w, "fkjaddr"), typed);
        child<QPushButton>(w, "Command1")->click();
        QCOMPARE(h.prompts.last(), QStringLiteral("发卡机设置成功！"));
        QCOMPARE(h.home.scalar(QStringLiteral("SELECT zhi FROM system WHERE name = '发卡机'")).toString(), typed);
    }
}

void TypedAddressTest::windowsWithoutTypingSendNothing()
{
    TwoControllers h;
    {
        // The date-time window's list takes a typed address only when it
        // is a whole entry: "1" chooses neither 10 nor 12.
        FrmCDT w;
        auto* list = child<QComboBox>(w, "Combo1");
        OperatorInput::typeInto(list, QStringLiteral("1"));
        QCOMPARE(list->currentText(), QString());
    }
    {
        // The hardware window reads a controller only when one is clicked.
        FrmSysInf w;
        auto* tree = child<QTreeWidget>(w, "AdrView");
        tree->expandAll();
        QVERIFY(OperatorInput::focus(tree));
        OperatorInput::type(QStringLiteral("1"));
    }
    LineHome::settle();
    QVERIFY(h.sim.frames().isEmpty());
}

QTEST_MAIN(TypedAddressTest)
#include "tst_typedaddress.moc"
