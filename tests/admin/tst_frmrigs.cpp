#include "admin/FrmRigS.h"
#include "support/OperatorInput.h"
#include "admin/Operators.h"
#include "session/Session.h"
#include "db/Password.h"
#include "support/DigestCostScope.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

// An account with the given flags; `manager` also gives it r0.
void addAccount(const TestHome& home, const QString& name, const QString& password, bool usersetting,
                bool usermanage, bool r0 = false)
{
    home.exec(QStringLiteral("INSERT INTO user (sysname, syspword, usersetting, usermanage, r0) VALUES (?, ?, ?, ?, ?)"),
              {name, Password::digest(password), int(usersetting), int(usermanage), int(r0)});
}

QVariant field(const TestHome& home, const QString& name, const QString& column)
{
    return home.scalar(QStringLiteral("SELECT %1 FROM user WHERE sysname = ?").arg(column), {name});
}

int accounts(const TestHome& home)
{
    return home.scalar(QStringLiteral("SELECT count(*) FROM user")).toInt();
}

// A fresh database with the built-in operator logged in.
struct Home : TestHome {
    Home() { Session::CurrentUser = QStringLiteral("quorvy"); }
};

struct Window {
    FrmRigS w;
    QLineEdit* name = w.findChild<QLineEdit*>(QStringLiteral("Text1"));
    QLineEdit* password = w.findChild<QLineEdit*>(QStringLiteral("Text2"));
    QCheckBox* setting = w.findChild<QCheckBox*>(QStringLiteral("Che1"));
    QCheckBox* manage = w.findChild<QCheckBox*>(QStringLiteral("Che2"));
    QListWidget* list = w.findChild<QListWidget*>(QStringLiteral("List1"));
    QPushButton* add = w.findChild<QPushButton*>(QStringLiteral("Command6"));
    QPushButton* modify = w.findChild<QPushButton*>(QStringLiteral("Command4"));
    QPushButton* remove = w.findChild<QPushButton*>(QStringLiteral("Command7"));
    QPushButton* save = w.findChild<QPushButton*>(QStringLiteral("Command1"));
    QPushButton* all = w.findChild<QPushButton*>(QStringLiteral("Command3"));
    QCheckBox* right(int i) { return w.findChild<QCheckBox*>(QStringLiteral("Ch(%1)").arg(i)); }
    QStringList names() const
    {
        QStringList n;
        for (int i = 0; i < list->count(); ++i)
            n << list->item(i)->text();
        return n;
    }
};

}  // namespace

class TestFrmRigS : public QObject {
    Q_OBJECT
private slots:
    void layoutAndCaptions()
    {
        Home home;
        Window win;
        QVERIFY(win.name && win.password && win.setting && win.manage && win.list && win.add && win.modify &&
                win.remove && win.save && win.all);
        QCOMPARE(win.w.windowTitle(), QStringLiteral("用户设置及权限"));
        QCOMPARE(win.password->echoMode(), QLineEdit::Password);
        for (int i = 0; i < 25; ++i)
            QVERIFY2(win.right(i), qPrintable(QStringLiteral("Ch(%1)").arg(i)));
        QCOMPARE(win.right(0)->text(), QStringLiteral("用户及权限设置"));
        QCOMPARE(win.right(10)->text(), QStringLiteral("数据备份"));
        QCOMPARE(win.right(24)->text(), QStringLiteral("特殊处理"));
        QCOMPARE(win.names(), QStringList{QStringLiteral("quorvy")});
        QCOMPARE(win.all->text(), QStringLiteral("全选"));
    }

    void buttonsFollowTheLoggedInOperatorsFlags()
    {
        Home home;
        addAccount(home, QStringLiteral("clerk"), QStringLiteral("pw"), false, true);
        addAccount(home, QStringLiteral("keeper"), QStringLiteral("pw"), true, false);
        {
            Session::CurrentUser = QStringLiteral("clerk");
            Window win;
            QVERIFY(!win.add->isEnabled());
            QVERIFY(!win.modify->isEnabled());
            QVERIFY(!win.remove->isEnabled());
            QVERIFY(win.save->isEnabled());
            // Accounts can still be chosen and their rights saved.
            OperatorInput::typeInto(win.name, QStringLiteral("keeper"));
            win.right(3)->setChecked(true);
            ScriptedPrompter prompts;
            win.save->click();
            QCOMPARE(prompts.last(), QStringLiteral("保存完毕！"));
            QCOMPARE(field(home, QStringLiteral("keeper"), QStringLiteral("r3")).toInt(), 1);
        }
        {
            Session::CurrentUser = QStringLiteral("KEEPER");
            Window win;
            QVERIFY(win.add->isEnabled() && win.modify->isEnabled() && win.remove->isEnabled());
            QVERIFY(!win.save->isEnabled());
        }
        {
            // An operator whose row is gone is granted nothing.
            Session::CurrentUser = QStringLiteral("ghost");
            Window win;
            QVERIFY(!win.add->isEnabled() && !win.modify->isEnabled() && !win.remove->isEnabled() &&
                    !win.save->isEnabled());
        }
    }

    void selectAllThenSaveSetsTheTwentyFiveRightsOnly()
    {
        Home home;
        addAccount(home, QStringLiteral("bob"), QStringLiteral("pw"), false, false);
        home.exec(QStringLiteral("UPDATE user SET r25 = 1, r26 = 0, r27 = 1 WHERE sysname = 'bob'"));
        Window win;
        OperatorInput::typeInto(win.name, QStringLiteral("bob"));
        for (int i = 0; i < 25; ++i)
            QVERIFY(!win.right(i)->isChecked());
        win.all->click();
        QCOMPARE(win.all->text(), QStringLiteral("全空"));
        ScriptedPrompter prompts;
        win.save->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("保存完毕！")});
        QCOMPARE(prompts.shown.last().icon, Prompter::Icon::None);
        QVERIFY(prompts.shown.last().title.isEmpty());
        for (int i = 0; i < 25; ++i)
            QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("r%1").arg(i)).toInt(), 1);
        QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("r25")).toInt(), 1);
        QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("r26")).toInt(), 0);
        QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("r27")).toInt(), 1);
        // Saving rights leaves the flags alone.
        QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("usersetting")).toInt(), 0);

        // "全空" clears the boxes, and nothing is stored until saved.
        win.all->click();
        QCOMPARE(win.all->text(), QStringLiteral("全选"));
        for (int i = 0; i < 25; ++i)
            QVERIFY(!win.right(i)->isChecked());
        QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("r7")).toInt(), 1);
    }

    void addStoresTheTrimmedNameAndADigest()
    {
        Home home;
        Window win;
        ScriptedPrompter prompts;
        OperatorInput::typeInto(win.name, QStringLiteral(" bob "));
        OperatorInput::typeInto(win.password, QStringLiteral(" Secret "));
        win.setting->setChecked(true);
        win.add->click();
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(home.scalar(QStringLiteral("SELECT sysname FROM user WHERE sysname = 'bob'")).toString(),
                 QStringLiteral("bob"));
        QCOMPARE(win.names(), (QStringList{QStringLiteral("quorvy"), QStringLiteral("bob")}));
        const QString stored = field(home, QStringLiteral("bob"), QStringLiteral("syspword")).toString();
        QVERIFY(!stored.contains(QStringLiteral("ecret"), Qt::CaseInsensitive));
        QVERIFY(Operators::authenticate(home.db(), QStringLiteral("bob"), QStringLiteral("secret")));
        QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("usersetting")).toInt(), 1);
        QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("usermanage")).toInt(), 0);
        // A new account gets no right from the boxes until they are saved.
        for (int i = 0; i < 28; ++i)
            QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("r%1").arg(i)).toInt(), 0);

        // The same name in another case is the same account; so is an empty name nothing.
        prompts.clear();
        OperatorInput::typeInto(win.name, QStringLiteral("Quorvy"));
        win.add->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("该用户已经存在！")});
        OperatorInput::typeInto(win.name, QStringLiteral("   "));
        win.add->click();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(accounts(home), 2);
    }

    void choosingAnAccountShowsItsFlagsButNeverAPassword()
    {
        Home home;
        addAccount(home, QStringLiteral("bob"), QStringLiteral("pw"), true, false);
        home.exec(QStringLiteral("UPDATE user SET r5 = 1 WHERE sysname = 'bob'"));
        Window win;
        win.w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&win.w));
        OperatorInput::typeInto(win.password, QStringLiteral("typed"));
        QListWidgetItem* bob = win.list->findItems(QStringLiteral("bob"), Qt::MatchExactly).value(0);
        QVERIFY(bob);
        QTest::mouseClick(win.list->viewport(), Qt::LeftButton, {}, win.list->visualItemRect(bob).center());
        QCOMPARE(win.name->text(), QStringLiteral("bob"));
        QVERIFY(win.password->text().isEmpty());
        QVERIFY(win.setting->isChecked());
        QVERIFY(!win.manage->isChecked());
        QVERIFY(win.right(5)->isChecked());
        QVERIFY(!win.right(4)->isChecked());

        // Typing a name letter by letter shows an empty form until a stored
        // name is matched, in any case.
        OperatorInput::typeInto(win.name, QStringLiteral("quorv"));
        QVERIFY(!win.setting->isChecked() && !win.manage->isChecked() && !win.right(0)->isChecked());
        OperatorInput::typeInto(win.name, QStringLiteral("QUORVY "));
        QVERIFY(win.setting->isChecked() && win.manage->isChecked() && win.right(24)->isChecked());
        QVERIFY(win.password->text().isEmpty());
    }

    void modifyKeepsTheStoredPasswordWhenTheBoxIsEmpty()
    {
        Home home;
        addAccount(home, QStringLiteral("bob"), QStringLiteral("old"), false, false);
        Window win;
        ScriptedPrompter prompts;
        OperatorInput::typeInto(win.name, QStringLiteral("BOB"));
        win.manage->setChecked(true);
        win.modify->click();
        QVERIFY(prompts.shown.isEmpty());
        QVERIFY(Operators::authenticate(home.db(), QStringLiteral("bob"), QStringLiteral("old")));
        QCOMPARE(field(home, QStringLiteral("bob"), QStringLiteral("usermanage")).toInt(), 1);
        // The name keeps its stored spelling.
        QCOMPARE(win.names(), (QStringList{QStringLiteral("bob"), QStringLiteral("quorvy")}));

        OperatorInput::typeInto(win.password, QStringLiteral("new"));
        win.modify->click();
        QVERIFY(Operators::authenticate(home.db(), QStringLiteral("bob"), QStringLiteral("new")));
        QVERIFY(!Operators::authenticate(home.db(), QStringLiteral("bob"), QStringLiteral("old")));

        OperatorInput::typeInto(win.name, QStringLiteral("nobody"));
        win.modify->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("请先添加该用户！")});
        win.save->click();
        QCOMPARE(prompts.last(), QStringLiteral("请先添加或选择用户！"));
    }

    void deleteIsBlindToCaseAndSilentForUnknownNames()
    {
        Home home;
        addAccount(home, QStringLiteral("bob"), QStringLiteral("pw"), true, true);
        Window win;
        ScriptedPrompter prompts;
        OperatorInput::typeInto(win.name, QStringLiteral("nobody"));
        win.remove->click();
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(accounts(home), 2);

        OperatorInput::typeInto(win.name, QStringLiteral(" BOB "));
        win.setting->setChecked(true);
        win.remove->click();
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(accounts(home), 1);
        QVERIFY(win.name->text().isEmpty());
        QVERIFY(!win.setting->isChecked());
        QCOMPARE(win.names(), QStringList{QStringLiteral("quorvy")});
    }

    void theSiteNeverLocksItselfOut()
    {
        Home home;
        // "clerk" may change accounts but is no manager (no r0).
        addAccount(home, QStringLiteral("clerk"), QStringLiteral("pw"), true, true, false);
        Session::CurrentUser = QStringLiteral("clerk");
        Window win;
        ScriptedPrompter prompts;

        // The logged-in account cannot delete itself.
        OperatorInput::typeInto(win.name, QStringLiteral("CLERK"));
        win.remove->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("不能删除正在使用系统的用户！")});
        QCOMPARE(accounts(home), 2);

        // quorvy is the last account holding r0, usersetting and usermanage.
        prompts.clear();
        OperatorInput::typeInto(win.name, QStringLiteral("quorvy"));
        win.remove->click();
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.last().contains(QStringLiteral("不能删除")));
        QCOMPARE(accounts(home), 2);

        prompts.clear();
        win.right(0)->setChecked(false);
        win.save->click();
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.last().contains(QStringLiteral("用户及权限设置")));
        QCOMPARE(field(home, QStringLiteral("quorvy"), QStringLiteral("r0")).toInt(), 1);
        QCOMPARE(field(home, QStringLiteral("quorvy"), QStringLiteral("r5")).toInt(), 1);

        prompts.clear();
        OperatorInput::typeInto(win.name, QStringLiteral("quorvy"));
        win.manage->setChecked(false);
        win.modify->click();
        QCOMPARE(prompts.shown.size(), 1);
        QCOMPARE(field(home, QStringLiteral("quorvy"), QStringLiteral("usermanage")).toInt(), 1);

        // Once clerk is a manager too, quorvy may go.
        prompts.clear();
        OperatorInput::typeInto(win.name, QStringLiteral("clerk"));
        win.right(0)->setChecked(true);
        win.save->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("保存完毕！")});
        prompts.clear();
        OperatorInput::typeInto(win.name, QStringLiteral("quorvy"));
        win.right(0)->setChecked(false);
        win.save->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("保存完毕！")});
        // Now clerk is the last manager; quorvy is none and can be deleted.
        QCOMPARE(Operators::remove(home.db(), QStringLiteral("clerk"), QStringLiteral("someone")).outcome,
                 Operators::Outcome::LastManager);
        prompts.clear();
        win.remove->click();
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(accounts(home), 1);
    }

    void aRefusedWriteIsReportedAndChangesNothing()
    {
        Home home;
        addAccount(home, QStringLiteral("bob"), QStringLiteral("pw"), false, false);
        home.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON user BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        Window win;
        ScriptedPrompter prompts;
        OperatorInput::typeInto(win.name, QStringLiteral("bob"));
        win.all->click();
        win.save->click();
        QCOMPARE(prompts.shown.size(), 1);
        QVERIFY(prompts.last().startsWith(QStringLiteral("数据库操作失败")));
        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM user WHERE sysname = 'bob' AND r1 = 1")).toInt(), 0);
    }

private:
    // The window stores and checks digests; what they cost is no concern here.
    const DigestCostScope cheapDigests = DigestCostScope::cheap();
};

QTEST_MAIN(TestFrmRigS)
#include "tst_frmrigs.moc"
