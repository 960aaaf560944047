#pragma once
// Cards in `faka` and in the simulated controllers, and how a test picks
// from a list as an operator does.

#include "support/LineHome.h"
#include "support/OperatorInput.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTest>

#include <algorithm>

// One `faka` row; the limits stay Null unless given.
inline void issue(const LineHome& h, int address, const QString& card, const QString& physical,
                  const QVariantList& limits = {})
{
    if (limits.isEmpty()) {
        h.home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, ctrl_state1, ctrl_state2) VALUES (?, ?, ?, 0, 0)"),
                    {address, card, physical});
        return;
    }
    // 开始日期, 截止日期, 开始星期, 截止星期, 开始时间, 截止时间, ctrl_state1, ctrl_state2
    QVariantList v{address, card, physical};
    v += limits;
    h.home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号, 开始日期, 截止日期, 开始星期, 截止星期, "
                               "开始时间, 截止时间, ctrl_state1, ctrl_state2) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                v);
}

inline QStringList fakaCards(const LineHome& h, int address)
{
    QStringList out;
    QSqlQuery q(h.home.db());
    q.prepare(QStringLiteral("SELECT 卡号 FROM faka WHERE 地址 = ? ORDER BY 卡号"));
    q.addBindValue(address);
    q.exec();
    while (q.next())
        out << q.value(0).toString();
    return out;
}

// Every column of every `faka` row, to show a run left it as it was.
inline QStringList fakaSnapshot(const LineHome& h)
{
    QStringList out;
    QSqlQuery q(QStringLiteral("SELECT * FROM faka ORDER BY 地址, 卡号"), h.home.db());
    while (q.next()) {
        QStringList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i).toString();
        out << row.join(QLatin1Char('|'));
    }
    return out;
}

inline QStringList heldCards(Simulator& sim, quint8 address)
{
    QStringList out;
    if (Controller* c = sim.controller(address)) {
        for (const CardEntry& e : c->cards)
            out << e.card;
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The controller already holds `card` (as if written by an earlier AddCard).
inline void load(Controller& c, const QString& card, const QString& physical)
{
    CardEntry e;
    e.card = card;
    e.physical = physical.rightJustified(10, QLatin1Char('0'));
    e.limits = QByteArray(11, '\0');
    c.cards.append(e);
}

inline QByteArray commandOf(const QByteArray& frame)
{
    return frame.size() > 2 ? frame.mid(2, 1) : QByteArray();
}

// The AddCard frames of a run, as the card numbers they carried.
inline QStringList addedCards(const Simulator& sim, quint8 address)
{
    QStringList out;
    for (const QByteArray& f : sim.frames()) {
        if (f.size() == 22 && quint8(f.at(0)) == address && quint8(f.at(2)) == 0x0A)
            out << f.mid(8, 3).toHex();
    }
    return out;
}

// The card-list tests' name for the one list pick.
inline void pick(QComboBox* box, const QString& text)
{
    OperatorInput::pickFromList(box, text);
}

// Ctrl-clicks every listed address in, with nothing else selected.
inline void selectTargets(QListWidget* list, const QStringList& addresses)
{
    list->clearSelection();
    for (const QString& a : addresses) {
        const QList<QListWidgetItem*> items = list->findItems(a, Qt::MatchExactly);
        QVERIFY2(items.size() == 1, qPrintable(a));
        list->scrollToItem(items.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(items.first()).center());
    }
}

inline QStringList selectedTexts(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            out << list->item(i)->text();
    }
    return out;
}

// Controllers 1 and 15 hold cards 000001 and 123456; those of `empty`
// hold none. Every controller is a door.
inline void cardsOnOneAndFifteen(LineHome& h, const QList<quint8>& empty)
{
    for (quint8 a : empty) {
        h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (?)"), {int(a)});
        h.sim.addController(a);
    }
    h.home.exec(QStringLiteral("INSERT INTO people (卡号, 姓名) VALUES ('000001', '张三'), ('123456', '李四')"));
    for (quint8 a : {1, 15}) {
        h.home.exec(QStringLiteral("INSERT INTO doors (地址) VALUES (?)"), {int(a)});
        Controller& c = h.sim.addController(a);
        for (const char* card : {"000001", "123456"}) {
            issue(h, a, QString::fromLatin1(card), QStringLiteral("77"));
            load(c, QString::fromLatin1(card), QStringLiteral("77"));
        }
    }
}

// Addresses and card numbers that are no such number, typed or pasted
// into the window's address box `dz` or its card box, with what the
// window says when the run is asked for.
inline void notANumberRows(const char* cardBox)
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("messages");
    const QStringList noAddress{QStringLiteral("地址必须是0到99的整数！")};
    const QStringList noCard{QStringLiteral("卡号必须是6位自然数！")};
    QTest::newRow("address 150 typed") << "dz" << false << "150" << noAddress;
    QTest::newRow("address 150 pasted") << "dz" << true << "150" << noAddress;
    QTest::newRow("address 100 typed") << "dz" << false << "100" << noAddress;
    // Controller 12, which holds no card.
    QTest::newRow("address 012 typed") << "dz" << false << "012" << QStringList{};
    QTest::newRow("card 1234567 pasted") << cardBox << true << "1234567" << noCard;
    QTest::newRow("card 12345 typed") << cardBox << false << "12345" << noCard;
}

// Clicks into the combo box and types or pastes `text`.
inline void enterInto(QComboBox* box, bool paste, const QString& text)
{
    QTest::mouseClick(box->lineEdit(), Qt::LeftButton);
    if (paste) {
        QApplication::clipboard()->setText(text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
}
