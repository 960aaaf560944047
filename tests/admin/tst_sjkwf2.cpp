#include "support/OperatorInput.h"
#include "admin/sjkwf2.h"
#include "session/Session.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QComboBox>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QStringList kDays = {"2024-03-01", "2024-03-02", "2024-03-03"};

// Two records and one attendance row on each of the three days.
void fill(const TestHome& h)
{
    for (const QString& d : kDays) {
        h.exec(QStringLiteral("INSERT INTO data VALUES (1, '000001', ?, '08:00:00', 1, '锁一进')"), {d});
        h.exec(QStringLiteral("INSERT INTO data VALUES (1, '000001', ?, '17:00:00', 2, '锁一出')"), {d});
        h.exec(QStringLiteral("INSERT INTO datakq (卡号, 日期) VALUES ('000001', ?)"), {d});
    }
}

QStringList daysIn(const TestHome& h, const QString& table)
{
    QStringList days;
    QSqlQuery q(h.db());
    q.exec(QStringLiteral("SELECT 日期 FROM %1 ORDER BY 日期").arg(table));
    while (q.next())
        days << q.value(0).toString();
    return days;
}

QStringList items(QComboBox* c)
{
    QStringList l;
    for (int i = 0; i < c->count(); ++i)
        l << c->itemText(i);
    return l;
}

struct Window {
    sjkwf2 w;
    QComboBox* table = w.findChild<QComboBox*>(QStringLiteral("Cdb"));
    QComboBox* first = w.findChild<QComboBox*>(QStringLiteral("Combo1"));
    QComboBox* last = w.findChild<QComboBox*>(QStringLiteral("Combo2"));
    QPushButton* remove = w.findChild<QPushButton*>(QStringLiteral("Command1"));

    // Chooses a table as the operator does, from the list.
    void choose(int index)
    {
        OperatorInput::pickFromList(table, table->itemText(index));
    }
};

}  // namespace

class TestSjkwf2 : public QObject {
    Q_OBJECT
private slots:
    void startsWithNothingChosen()
    {
        TestHome home;
        Window win;
        QCOMPARE(win.w.windowTitle(), QStringLiteral("门禁系统数据维护"));
        QCOMPARE(items(win.table), (QStringList{QStringLiteral("开门原始记录表"), QStringLiteral("考勤分析数据库")}));
        QVERIFY(win.table->currentText().isEmpty());

        ScriptedPrompter prompts;
        win.remove->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("请输入数据库名称！")});
    }

    void anEmptyTableHasNoDays()
    {
        TestHome home;
        Window win;
        win.w.show();
        ScriptedPrompter prompts;
        win.choose(0);
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("无记录")});
        QCOMPARE(win.first->count(), 0);
        QCOMPARE(win.last->count(), 0);
        prompts.clear();
        win.remove->click();
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(win.w.focusWidget(), win.first);
    }

    void equalDaysRemoveOnlyThatDay()
    {
        TestHome home;
        fill(home);
        Window win;
        ScriptedPrompter prompts;
        win.choose(0);
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(items(win.first), kDays);
        QCOMPARE(items(win.last), kDays);
        QCOMPARE(win.first->currentText(), kDays.first());
        QCOMPARE(win.last->currentText(), kDays.last());

        win.first->setCurrentIndex(1);
        win.last->setCurrentIndex(1);
        prompts.answerNext(Prompter::Answer::Yes);
        win.remove->click();
        QCOMPARE(prompts.texts(),
                 (QStringList{QStringLiteral("您确实要清除从 2024-03-02 到 2024-03-02 之间开门原始记录表中所有数据！"),
                              QStringLiteral("删除成功！")}));
        QCOMPARE(prompts.shown.first().title, QStringLiteral("警    告"));
        QCOMPARE(prompts.shown.first().icon, Prompter::Icon::Question);
        QCOMPARE(prompts.shown.first().buttons, Prompter::Buttons::YesNo);
        QCOMPARE(daysIn(home, QStringLiteral("data")),
                 (QStringList{"2024-03-01", "2024-03-01", "2024-03-03", "2024-03-03"}));
        QCOMPARE(daysIn(home, QStringLiteral("datakq")), kDays);
        // The deleted day stays listed until the table is chosen again.
        QCOMPARE(items(win.first), kDays);
        win.choose(0);
        QCOMPARE(items(win.first), (QStringList{"2024-03-01", "2024-03-03"}));
    }

    void theFullRangeEmptiesOneTableOnly()
    {
        TestHome home;
        fill(home);
        Window win;
        ScriptedPrompter prompts;
        win.choose(1);
        prompts.answerNext(Prompter::Answer::Yes);
        win.remove->click();
        QCOMPARE(prompts.last(), QStringLiteral("删除成功！"));
        QVERIFY(prompts.shown.first().text.contains(QStringLiteral("之间考勤分析数据库中所有数据！")));
        QVERIFY(daysIn(home, QStringLiteral("datakq")).isEmpty());
        QCOMPARE(daysIn(home, QStringLiteral("data")).size(), 6);

        win.choose(0);
        prompts.answerNext(Prompter::Answer::Yes);
        win.remove->click();
        QVERIFY(daysIn(home, QStringLiteral("data")).isEmpty());
    }

    void nothingIsDeletedWithoutAGoodRangeAndAYes()
    {
        TestHome home;
        fill(home);
        Window win;
        ScriptedPrompter prompts;
        win.choose(0);
        win.first->setCurrentIndex(2);
        win.last->setCurrentIndex(0);
        win.remove->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("前一个日期不能大于后一个日期，请重新选择日期！")});

        prompts.clear();
        win.first->setCurrentIndex(0);
        prompts.answerNext(Prompter::Answer::No);
        win.remove->click();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(daysIn(home, QStringLiteral("data")).size(), 6);
    }

    void aFailedDeletionIsReported()
    {
        TestHome home;
        fill(home);
        home.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON data BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        Window win;
        ScriptedPrompter prompts;
        win.choose(0);
        prompts.answerNext(Prompter::Answer::Yes);
        win.remove->click();
        QCOMPARE(prompts.shown.size(), 2);
        QVERIFY(prompts.last().startsWith(QStringLiteral("删除失败")));
        QVERIFY(!prompts.texts().contains(QStringLiteral("删除成功！")));
        QCOMPARE(daysIn(home, QStringLiteral("data")).size(), 6);
    }
    // A table that cannot be read is not an empty one: the operator is told
    // it failed, not that there is nothing to delete.
    void aFailedReadIsNotAnEmptyTable()
    {
        TestHome home;
        fill(home);
        home.exec(QStringLiteral("ALTER TABLE datakq RENAME TO datakq_gone"));
        Window win;
        ScriptedPrompter prompts;
        win.choose(1);
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.last().startsWith(QStringLiteral("读取数据失败")));
        QCOMPARE(prompts.shown.last().icon, Prompter::Icon::Exclamation);
        QCOMPARE(win.first->count(), 0);
        // The other table still reads.
        prompts.clear();
        win.choose(0);
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(items(win.first), kDays);
    }
};

QTEST_MAIN(TestSjkwf2)
#include "tst_sjkwf2.moc"
