#include "admin/RemoteOpeningCheck.h"
#include "session/Session.h"
#include "db/Password.h"
#include "support/DigestCostScope.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

void addAccount(const TestHome& home, const QString& name, const QString& password, bool r24)
{
    home.exec(QStringLiteral("INSERT INTO user (sysname, syspword, r24) VALUES (?, ?, ?)"),
              {name, Password::digest(password), int(r24)});
}

const QString kRefused = QStringLiteral("用户或口令错或不具备该操作的权限");

}  // namespace

class TestFrmspecial : public QObject {
    Q_OBJECT
private:
    // The check compares digests; what they cost is no concern here.
    const DigestCostScope cheapDigests = DigestCostScope::cheap();

    // Types into the window, presses 确  认 and tells whether it passed.
    bool check(const QString& name, const QString& password, ScriptedPrompter& prompts)
    {
        Frmspecial w;
        QSignalSpy passed(&w, &Frmspecial::checkPassed);
        w.findChild<QLineEdit*>(QStringLiteral("Tuser"))->setText(name);
        w.findChild<QLineEdit*>(QStringLiteral("Tpasswd"))->setText(password);
        const qsizetype before = prompts.shown.size();
        w.findChild<QPushButton*>(QStringLiteral("Cok"))->click();
        const bool ok = w.result() == QDialog::Accepted;
        // A pass shows nothing; a refusal shows the one message and keeps the boxes.
        if (ok) {
            if (prompts.shown.size() != before || passed.count() != 1)
                return false;
        } else {
            if (prompts.shown.size() != before + 1 || prompts.last() != kRefused ||
                prompts.shown.last().icon != Prompter::Icon::Exclamation || passed.count() != 0 ||
                w.findChild<QLineEdit*>(QStringLiteral("Tuser"))->text() != name)
                return false;
        }
        return ok;
    }

private slots:
    void cleanup() { Frmspecial::openRemoteOpening = nullptr; }

    void windowLooksAsExpected()
    {
        TestHome home;
        Frmspecial w;
        QCOMPARE(w.windowTitle(), QStringLiteral("特殊情况处理"));
        QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("Cok"))->text(), QStringLiteral("确  认"));
        QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("Cexit"))->text(), QStringLiteral("返  回"));
    }

    void onlyAnAccountHoldingR24Passes()
    {
        TestHome home;
        Session::CurrentUser = QStringLiteral("quorvy");
        addAccount(home, QStringLiteral("bob"), QStringLiteral("pw"), false);
        addAccount(home, QStringLiteral("carol"), QStringLiteral("open"), true);
        ScriptedPrompter prompts;

        QVERIFY(!check(QStringLiteral("x' or 1=1 or 'a'='"), QStringLiteral("x' or 1=1 or 'a'='"), prompts));
        QVERIFY(!check(QStringLiteral("bob' --"), QString(), prompts));
        QVERIFY(!check(QStringLiteral("bob"), QStringLiteral("pw"), prompts));
        QVERIFY(!check(QStringLiteral("carol"), QStringLiteral("wrong"), prompts));
        QVERIFY(!check(QString(), QString(), prompts));
        // Not the logged-in operator, with blanks and another case.
        QVERIFY(check(QStringLiteral(" Carol "), QStringLiteral(" OPEN "), prompts));
        QVERIFY(check(QStringLiteral("quorvy"), QStringLiteral("quorvy"), prompts));
    }

    void enterMovesOnAndPressesTheButton()
    {
        TestHome home;
        ScriptedPrompter prompts;
        Frmspecial w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* user = w.findChild<QLineEdit*>(QStringLiteral("Tuser"));
        auto* password = w.findChild<QLineEdit*>(QStringLiteral("Tpasswd"));
        user->setFocus();
        QTest::keyClicks(user, QStringLiteral("quorvy"));
        QTest::keyClick(user, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), password);
        QTest::keyClicks(password, QStringLiteral("quorvy"));
        QTest::keyClick(password, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.findChild<QPushButton*>(QStringLiteral("Cok")));
        QVERIFY(w.isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(prompts.shown.isEmpty());
    }

    void aPassedCheckClosesAndThenOpensTheNextWindow()
    {
        TestHome home;
        ScriptedPrompter prompts;
        bool windowWasClosed = false;
        int opened = 0;
        Frmspecial w;
        w.show();
        Frmspecial::openRemoteOpening = [&] {
            windowWasClosed = !w.isVisible();
            ++opened;
        };
        w.findChild<QLineEdit*>(QStringLiteral("Tuser"))->setText(QStringLiteral("quorvy"));
        w.findChild<QLineEdit*>(QStringLiteral("Tpasswd"))->setText(QStringLiteral("wrong"));
        w.findChild<QPushButton*>(QStringLiteral("Cok"))->click();
        QCOMPARE(opened, 0);
        QVERIFY(w.isVisible());
        w.findChild<QLineEdit*>(QStringLiteral("Tpasswd"))->setText(QStringLiteral("quorvy"));
        w.findChild<QPushButton*>(QStringLiteral("Cok"))->click();
        QCOMPARE(opened, 1);
        QVERIFY(windowWasClosed);
    }
};

QTEST_MAIN(TestFrmspecial)
#include "tst_remotecheck.moc"
