// The menu and the login window as the operator reads them: every entry's
// place, caption, id, right and way of showing, and the login's captions.
// A renamed, moved or re-numbered entry fails here.

#include "app/LoginWindow.h"
#include "app/MainWindow.h"
#include "app/Tools.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

#include <memory>

class CaptionsTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        home_ = std::make_unique<TestHome>();
        menu::setScreenSizeForTesting(QSize(800, 600));
        // A schedule row keeps the loading quiet.
        home_->exec(QStringLiteral("INSERT INTO cjtype (采集类型, 采集时间) VALUES (0, '0')"));
    }
    void cleanup()
    {
        home_.reset();
        menu::setScreenSizeForTesting(std::nullopt);
    }
    void menuEntries_data();
    void menuEntries();
    void loginCaptions();

private:
    std::unique_ptr<TestHome> home_;
    ScriptedPrompter prompter_;
};

void CaptionsTest::menuEntries_data()
{
    QTest::addColumn<QString>("head");    // empty: an entry of the menu bar itself
    QTest::addColumn<int>("position");    // among its neighbours, from 0
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("right");       // n of rn; -1 for none
    QTest::addColumn<QString>("shown");
    const struct {
        const char* head;
        const char* caption;
        int id, right;
        const char* shown;
    } rows[] = {
        {"", "系统设置", 1, -1, "-"},  {"", "卡操作", 4, -1, "-"}, {"", "采集及监视", 3, -1, "-"},
        {"", "数据查询", 5, -1, "-"},  {"", "特殊处理", 6, 24, "modal"}, {"", "帮助", 13, -1, "-"},
        {"系统设置", "用户及权限管理", 10, 0, "modal"}, {"系统设置", "数据库初始化", 16, 1, "modal"},
        {"系统设置", "串口设置", 9, 2, "modal"},        {"系统设置", "大厦管理", 15, 3, "modeless"},
        {"系统设置", "用户信息", 18, 4, "modal"},       {"系统设置", "发卡机设置", 19, 5, "modeless"},
        {"系统设置", "门锁设置", 8, 6, "modal"},        {"系统设置", "修改卡机日期时间", 26, 7, "modal"},
        {"系统设置", "采集设置", 23, 8, "modal"},       {"系统设置", "上下班时间设置", 29, 9, "modal"},
        {"系统设置", "数据库备份", 35, 10, "modal"},    {"系统设置", "过期数据处理", 36, 11, "modal"},
        {"系统设置", "退出", 14, -1, "-"},
        {"卡操作", "卡操作", 17, 12, "modeless"},       {"卡操作", "发卡信息重整", 25, 13, "modal"},
        {"卡操作", "压缩卡机", 31, 14, "modal"},        {"卡操作", "增扩卡机", 32, 15, "modal"},
        {"采集及监视", "数据采集", 20, 16, "modal"},    {"采集及监视", "考勤数据整理", 37, -1, "modal"},
        {"采集及监视", "实时监视门锁状态", 21, 17, "modal"}, {"采集及监视", "实时监控打卡状况", 34, 18, "modal"},
        {"采集及监视", "自动采集", 24, -1, "modal"},
        {"数据查询", "发卡信息查询", 22, 19, "modal"},  {"数据查询", "退卡查询", 33, 20, "modal"},
        {"数据查询", "打卡数据查询", 27, 21, "modal"},  {"数据查询", "考勤数据查询", 28, 22, "modal"},
        {"数据查询", "个人月总查询", 30, 23, "modal"},
        {"帮助", "帮助", 11, -1, "-"},                  {"帮助", "关于", 12, -1, "modal"},
    };
    QMap<QString, int> next;
    for (const auto& r : rows) {
        const QString head = QString::fromUtf8(r.head);
        const int position = next[head]++;
        QTest::addRow("%d %s", r.id, r.caption)
            << head << position << QString::fromUtf8(r.caption) << r.id << r.right << QString::fromLatin1(r.shown);
    }
}

void CaptionsTest::menuEntries()
{
    QFETCH(QString, head);
    QFETCH(int, position);
    QFETCH(QString, caption);
    QFETCH(int, id);
    QFETCH(int, right);
    QFETCH(QString, shown);

    menu m;
    m.load();
    auto* action = m.findChild<QAction*>(QStringLiteral("tool%1").arg(id));
    QVERIFY(action);
    QCOMPARE(action->text(), caption);

    QList<QAction*> neighbours;
    if (head.isEmpty()) {
        neighbours = m.menuBar()->actions();
    } else {
        auto* drop = qobject_cast<QMenu*>(action->parent());
        QVERIFY(drop);
        QCOMPARE(drop->title(), head);
        QVERIFY(m.menuBar()->actions().contains(drop->menuAction()));
        neighbours = drop->actions();
    }
    neighbours.removeIf([](QAction* a) { return a->isSeparator(); });
    QCOMPARE(neighbours.indexOf(action), position);

    const Tools::Tool* tool = Tools::byId(id);
    QVERIFY(tool);
    QCOMPARE(tool->right, right);
    if (right >= 0)
        QCOMPARE(Tools::toolForRight(right), id);
    const QString kind = tool->shown == Tools::Shown::Modal      ? QStringLiteral("modal")
                         : tool->shown == Tools::Shown::Modeless ? QStringLiteral("modeless")
                                                                 : QStringLiteral("-");
    QCOMPARE(kind, shown);
}

void CaptionsTest::loginCaptions()
{
    login w;
    QCOMPARE(w.windowTitle(), QStringLiteral("login           门禁管理系统"));
    QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("Cmdok"))->text(), QStringLiteral("确 认"));
    QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("cmdexit"))->text(), QStringLiteral(" 退 出 "));
    QCOMPARE(w.findChild<QLineEdit*>(QStringLiteral("tpasswd"))->echoMode(), QLineEdit::Password);
    QStringList labels;
    for (const QLabel* l : w.findChildren<QLabel*>())
        labels << l->text();
    for (const char* text : {"用户名:", "口  令:", "注： 用户名和口令不能超过10个字符"})
        QVERIFY2(labels.contains(QString::fromUtf8(text)), text);
}

QTEST_MAIN(CaptionsTest)
#include "tst_captions.moc"
