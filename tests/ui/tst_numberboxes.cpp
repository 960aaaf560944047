// Every box that holds an address, a card number or a physical number,
// in every window, takes what the operator types or pastes as it stands:
// nothing is cut into another number, a paste with anything but digits
// is refused whole, and the window's check refuses what is no such number.

#include "support/CardListFixtures.h"

#include "admin/frmfkj.h"
#include "admin/frmsys.h"
#include "attendance/FrmWTS.h"
#include "cards/FrmDec.h"
#include "cards/FrmEtD.h"
#include "cards/FrmFK.h"
#include "cards/FrmFKZL.h"
#include "cards/FrmFKXXCX.h"
#include "cards/FrmTkcx.h"
#include "doors/FrmCDT.h"
#include "doors/Frmdoor.h"
#include "doors/Frmdoors.h"
#include "doors/Frmspe.h"
#include "people/Frmxg.h"
#include "records/Form2.h"
#include "records/Frmque.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

std::unique_ptr<QWidget> open(const QString& window)
{
    static const QMap<QString, std::function<QWidget*()>> windows{
        {"FrmDec", [] { return new FrmDec; }},       {"FrmEtD", [] { return new FrmEtD; }},
        {"FrmFK", [] { return new FrmFK; }},         {"FrmFKXXCX", [] { return new FrmFKXXCX; }},
        {"FrmTkcx", [] { return new FrmTkcx; }},     {"Frmque", [] { return new Frmque; }},
        {"Frmxg", [] { return new Frmxg; }},         {"frmfkj", [] { return new frmfkj; }},
        {"frmsys", [] { return new frmsys; }},       {"Frmdoors", [] { return new Frmdoors; }},
        {"Frmspe", [] { return new Frmspe; }},       {"FrmWTS", [] { return new FrmWTS; }},
        {"FrmFKZL", [] { return new FrmFKZL; }},     {"FrmCDT", [] { return new FrmCDT; }},
        {"Form2", [] { return new Form2; }},         {"Frmdoor", [] { return new Frmdoor; }},
    };
    return std::unique_ptr<QWidget>(windows.value(window)());
}

QLineEdit* editOf(QWidget* box)
{
    if (auto* c = qobject_cast<QComboBox*>(box))
        return c->lineEdit();
    return qobject_cast<QLineEdit*>(box);
}

struct Box {
    const char* window;
    const char* box;
};

// Every box of the program that keeps digits.
const Box kBoxes[] = {
    {"FrmDec", "kh"},       {"FrmDec", "dz"},     {"FrmEtD", "Ckh"},    {"FrmEtD", "dz"},
    {"FrmFK", "Tkh"},       {"FrmFK", "tcard"},   {"FrmFK", "ComPort"}, {"FrmFKXXCX", "Cdoor"},
    {"FrmFKXXCX", "Tka"},   {"FrmTkcx", "Ckh"},   {"Frmque", "Cdoor"},  {"Frmque", "Cka"},
    {"Frmxg", "Tkh"},       {"frmfkj", "fkjaddr"}, {"frmsys", "tdz"},   {"frmsys", "Tport"},
    {"Frmdoors", "Cdoor"},  {"Frmspe", "Cdoor"},  {"FrmWTS", "Text1"},  {"Frmdoor", "ttime"}, {"Frmdoors", "second2(0)"},
};

}  // namespace

class NumberBoxesTest : public QObject {
    Q_OBJECT
    std::optional<LineHome> typing_;  // one folder for every row that only types: none of them writes
private slots:
    void boxHoldsWhatArrived_data();
    void boxHoldsWhatArrived();
    void datesAtTheEdges_data();
    void datesAtTheEdges();
};

void NumberBoxesTest::boxHoldsWhatArrived_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("held");
    QTest::addColumn<QString>("button");   // clicked afterwards, when given
    QTest::addColumn<QStringList>("messages");
    for (const Box& b : kBoxes) {
        const QString w = QString::fromLatin1(b.window), x = QString::fromLatin1(b.box);
        QTest::addRow("%s %s: 150 typed", b.window, b.box) << w << x << false << "150" << "150" << "" << QStringList{};
        QTest::addRow("%s %s: 012 typed", b.window, b.box) << w << x << false << "012" << "012" << "" << QStringList{};
        QTest::addRow("%s %s: 1234567 pasted", b.window, b.box)
            << w << x << true << "1234567" << "1234567" << "" << QStringList{};
        QTest::addRow("%s %s: 0012-345678 pasted", b.window, b.box)
            << w << x << true << "0012-345678" << "" << "" << QStringList{};
        QTest::addRow("%s %s: 5a typed", b.window, b.box) << w << x << false << "5a" << "5" << "" << QStringList{};
    }
    // The reader's address keeps what arrived; reading refuses what is no address.
    QTest::newRow("FrmFK Cdk: 150 read") << "FrmFK" << "Cdk" << false << "150" << "150" << "Command1" << QStringList{"发卡机地址应为0到99"};
    QTest::newRow("FrmFK Cdk: 1234 pasted") << "FrmFK" << "Cdk" << true << "1234" << "1234" << "Command1" << QStringList{"发卡机地址应为0到99"};
    // A lock's delay takes one point too; every key it is given stays.
    QTest::newRow("delay 11 digits") << "Frmdoors" << "second2(0)" << false << "12345678901" << "12345678901" << "" << QStringList{};
    QTest::newRow("delay 0.5.5") << "Frmdoors" << "second2(0)" << false << "0.5.5" << "0.55" << "" << QStringList{};
    // A list of controllers picks only an entry typed whole; "|" is a pause past Qt's keyboard search.
    for (const Box& b : {Box{"FrmFKZL", "Combo1"}, Box{"FrmCDT", "Combo1"}, Box{"Form2", "ctext"}}) {
        QTest::addRow("%s list: 13", b.window) << b.window << b.box << false << "13" << "" << "" << QStringList{};
        QTest::addRow("%s list: 1, pause, 2", b.window) << b.window << b.box << false << "1|2" << "12" << "" << QStringList{};
        QTest::addRow("%s list: 13, Backspace", b.window) << b.window << b.box << false << "13\b" << "" << "" << QStringList{};
        QTest::addRow("%s list: 3, no such entry, then 12", b.window) << b.window << b.box << false << "312" << "12" << "" << QStringList{};
        QTest::addRow("%s list: 15", b.window) << b.window << b.box << false << "15" << "15" << "" << QStringList{};
    }
    QTest::newRow("FrmFKZL open list: 1, pause, 2, Enter") << "FrmFKZL" << "Combo1" << false << "^1|2" << "12" << "" << QStringList{};
    QTest::newRow("FrmFKZL list: 13 started") << "FrmFKZL" << "Combo1" << false << "13" << "" << "Command1" << QStringList{"请先选择地址!"};
    // What each window's check says of what it cannot use.
    QTest::newRow("FrmDec dz: 150 removed") << "FrmDec" << "dz" << false << "150" << "150" << "Command1" << QStringList{"地址必须是0到99的整数！"};
    QTest::newRow("FrmDec kh: 1234567 removed") << "FrmDec" << "kh" << true << "1234567" << "1234567" << "Command1"
                                                << QStringList{"卡号必须是6位自然数！"};
    QTest::newRow("FrmFK Tkh: 1234567 added") << "FrmFK" << "Tkh" << true << "1234567" << "1234567" << "Cmdadd" << QStringList{"卡号必须是6位自然数！"};
    QTest::newRow("frmfkj fkjaddr: 150 stored") << "frmfkj" << "fkjaddr" << false << "150" << "150" << "Command1"
                                                << QStringList{"请输入一个发卡机地址（为0-99的整数）"};
    QTest::newRow("Frmdoors Cdoor: 150 initialised") << "Frmdoors" << "Cdoor" << false << "150" << "150" << "Cmdtest"
                                                     << QStringList{"地址<=99，请重输"};
    QTest::newRow("FrmWTS Text1: 721 saved") << "FrmWTS" << "Text1" << false << "721" << "721" << "Command1" << QStringList{"迟到、早退的分钟数只能是0到720！"};
}

void NumberBoxesTest::boxHoldsWhatArrived()
{
    QFETCH(QString, window);
    QFETCH(QString, box);
    QFETCH(bool, paste);
    QFETCH(QString, text);
    QFETCH(QString, held);
    QFETCH(QString, button);
    QFETCH(QStringList, messages);
    if (!typing_) {
        typing_.emplace(LineHome::Wire::Memory).home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (2), (12), (15)"));
        QApplication::setKeyboardInputInterval(20);  // so that a pause past it costs little
    }
    LineHome& h = *typing_;
    h.sim.clearFrames();
    std::unique_ptr<QWidget> w = open(window);
    QVERIFY(w);
    auto* target = w->findChild<QWidget*>(box);
    QVERIFY(target);
    QLineEdit* edit = editOf(target);
    auto* list = qobject_cast<QComboBox*>(target);
    QVERIFY(edit || list);
    h.prompts.clear();   // what the window said as it opened
    OperatorInput::typeInto(target, QString());
    QVERIFY(!edit || edit->text().isEmpty());
    if (paste) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    } else {
        if (text.startsWith(u'^'))   // typed into the open list, then Enter
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
        for (const QString& part : text.mid(text.startsWith(u'^')).split(u'|')) {
            OperatorInput::type(part);
            if (text.contains(u'|'))
                QTest::qWait(QApplication::keyboardInputInterval() + 10);
        }
        if (text.startsWith(u'^'))
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QCOMPARE(edit ? edit->text() : list->currentText(), held);
    if (!button.isEmpty())
        QTest::mouseClick(child<QPushButton>(*w, qPrintable(button)), Qt::LeftButton);
    QCOMPARE(h.prompts.texts(), messages);
    QVERIFY(h.sim.frames().isEmpty());
}

void NumberBoxesTest::datesAtTheEdges_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("typed");
    for (const char* window : {"FrmFK", "FrmEtD", "FrmCDT"})
        for (const char* d : {"19991231", "20000101", "20240229", "20991231", "21000101", "20250231", "20240631"})
            QTest::addRow("%s %s", window, d) << QString::fromLatin1(window) << QString::fromLatin1(d);
}

// The first and last days a controller keeps, those just outside and days no month has, typed into every window that sends
// a date: outside, nothing goes on the line; inside, card 000123 of controller 2 reaches 1 with that first and last day, or 1's clock does.
void NumberBoxesTest::datesAtTheEdges()
{
    QFETCH(QString, window);
    QFETCH(QString, typed);
    const QDate date = QDate::fromString(typed, QStringLiteral("yyyyMMdd"));
    typing_.reset();  // a row here writes: a folder of its own
    LineHome h(LineHome::Wire::Memory);
    h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (1), (2)"));
    Controller& c = h.sim.addController(1);
    issue(h, 2, QStringLiteral("000123"), QStringLiteral("0012345678"));
    std::unique_ptr<QWidget> w = open(window);
    for (QComboBox* card : w->findChildren<QComboBox*>(QRegularExpression(QStringLiteral("^(Tkh|Ckh)$"))))
        OperatorInput::typeInto(card, QStringLiteral("000123"));
    for (QListWidget* list : w->findChildren<QListWidget*>(QRegularExpression(QStringLiteral("^(dooraddr|Ldr)$"))))
        selectTargets(list, {"1"});
    for (QWidget* b : w->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^(Ch|Op|Opp)_?0$"))))
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    for (QWidget* picker : w->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^(ddate_?.|DTP1)$")))) {
        QVERIFY(OperatorInput::focus(picker));
        QTest::keyClicks(picker, typed);
    }
    QTest::mouseClick(child<QWidget>(*w, window == "FrmFK" ? "Cmdadd" : "Command1"), Qt::LeftButton);
    const bool outside = date.year() / 100 != 20;   // a day that does not exist is outside too
    QCOMPARE(h.prompts.texts().contains(QStringLiteral("日期只能在2000-01-01到2099-12-31之间（控制器只记年份的后两位）")),
             outside && date.isValid());
    QCOMPARE(h.prompts.last().endsWith(QStringLiteral("里的日期不存在，请重新输入！")), !date.isValid());
    QCOMPARE(h.sim.frames().isEmpty(), outside);
    if (!outside)
        QCOMPARE(window == "FrmCDT" ? (QList{c.clock().date(), c.clock().date()})
                                    : (QList{c.cards.value(0).startDate(), c.cards.value(0).endDate()}), (QList{date, date}));
}

QTEST_MAIN(NumberBoxesTest)
#include "tst_numberboxes.moc"
