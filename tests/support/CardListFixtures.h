#pragma once
// Cards in `faka` and in the simulated controllers, and how a test picks
// from a list as an operator does.

#include "support/LineHome.h"
#include "support/OperatorInput.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
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
