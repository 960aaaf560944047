#include "admin/Frmuser.h"
#include "support/OperatorInput.h"
#include "admin/LegacyOperators.h"
#include "app/MainWindow.h"
#include "app/StartWindow.h"
#include "session/Session.h"
#include "db/Database.h"
#include "db/Password.h"
#include "support/ScriptedPrompter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include "db/ProgramFolder.h"
#include "support/TestHome.h"

#include <memory>

// The older operator layout: name, password and one level.
class LegacyTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void operatorWindowKeepsOlderTable();
    void olderLoginUsesLevel();
    void olderLoginFailsOnCurrentTable();

private:
    void olderLayout();
    std::unique_ptr<TestHome> home;
    std::unique_ptr<ScriptedPrompter> prompts;
};

void LegacyTest::init()
{
    home = std::make_unique<TestHome>();
    prompts = std::make_unique<ScriptedPrompter>();
    menu::setScreenSizeForTesting(QSize(800, 600));
    home->exec(QStringLiteral("INSERT INTO cjtype (采集类型, 采集时间) VALUES (0, '0')"));
}

void LegacyTest::cleanup()
{
    prompts.reset();
    home.reset();
    menu::setScreenSizeForTesting(std::nullopt);
}

void LegacyTest::olderLayout()
{
    home->exec(QStringLiteral("DROP TABLE user"));
    home->exec(QStringLiteral("CREATE TABLE user (用户名 TEXT, 口令 TEXT, 权限 INTEGER)"));
}

void LegacyTest::operatorWindowKeepsOlderTable()
{
    olderLayout();
    Frmuser w;
    auto* name = w.findChild<QComboBox*>(QStringLiteral("Cuser"));
    auto* pass = w.findChild<QLineEdit*>(QStringLiteral("Tpasswd"));
    auto* add = w.findChild<QPushButton*>(QStringLiteral("Cmdadd"));
    auto* change = w.findChild<QPushButton*>(QStringLiteral("Cmdch"));
    auto* del = w.findChild<QPushButton*>(QStringLiteral("cmddel"));
    auto* maintainer = w.findChild<QRadioButton*>(QStringLiteral("oqx0"));
    auto* ordinary = w.findChild<QRadioButton*>(QStringLiteral("oqx2"));

    add->click();
    QCOMPARE(prompts->last(), QStringLiteral("请输入用户名!"));
    name->setCurrentText(QStringLiteral("li"));
    OperatorInput::typeInto(pass, QStringLiteral("12345678901"));
    add->click();
    QCOMPARE(prompts->last(), QStringLiteral("口令长度应小于等于10!"));
    OperatorInput::typeInto(pass, QStringLiteral("secret"));
    add->click();
    QCOMPARE(prompts->last(), QStringLiteral("请选择权限!"));
    ordinary->setChecked(true);
    add->click();
    QCOMPARE(prompts->last(), QStringLiteral("恭喜！添加成功！"));
    QCOMPARE(home->scalar(QStringLiteral("SELECT 权限 FROM user WHERE 用户名 = 'li'")).toInt(), 3);
    QVERIFY(Password::matches(QStringLiteral("secret"),
                              home->scalar(QStringLiteral("SELECT 口令 FROM user WHERE 用户名 = 'li'")).toString()));
    name->setCurrentText(QStringLiteral("LI"));
    add->click();
    QCOMPARE(prompts->last(), QStringLiteral("用户已存在,不能添加!"));

    // An empty password on add is asked about; No ends the add.
    name->setCurrentText(QStringLiteral("wang"));
    pass->clear();
    prompts->answerNext(Prompter::Answer::No);
    add->click();
    QCOMPARE(prompts->last(), QStringLiteral("确信不要口令吗?"));
    QCOMPARE(home->scalar(QStringLiteral("SELECT count(*) FROM user")).toInt(), 1);

    // Choosing a name shows its level, never its password.
    name->setCurrentText(QStringLiteral("li"));
    QVERIFY(ordinary->isChecked());
    QVERIFY(pass->text().isEmpty());
    maintainer->setChecked(true);
    prompts->answerNext(Prompter::Answer::Yes);
    change->click();
    QCOMPARE(prompts->last(), QStringLiteral("修改完毕"));
    QCOMPARE(home->scalar(QStringLiteral("SELECT 权限 FROM user WHERE 用户名 = 'li'")).toInt(), 1);
    // An empty password box kept the stored password.
    QVERIFY(Password::matches(QStringLiteral("secret"),
                              home->scalar(QStringLiteral("SELECT 口令 FROM user WHERE 用户名 = 'li'")).toString()));

    name->setCurrentText(QStringLiteral("nobody"));
    change->click();
    QCOMPARE(prompts->last(), QStringLiteral("无此用户"));
    del->click();
    QCOMPARE(prompts->last(), QStringLiteral("无此用户"));
    name->setCurrentText(QStringLiteral("li"));
    prompts->answerNext(Prompter::Answer::No);
    del->click();
    QCOMPARE(home->scalar(QStringLiteral("SELECT count(*) FROM user")).toInt(), 1);
    prompts->answerNext(Prompter::Answer::Yes);
    del->click();
    QCOMPARE(prompts->last(), QStringLiteral("此用户已被删除"));
    QCOMPARE(home->scalar(QStringLiteral("SELECT count(*) FROM user")).toInt(), 0);
    QCOMPARE(name->count(), 0);
}

void LegacyTest::olderLoginUsesLevel()
{
    olderLayout();
    QVERIFY(LegacyOperators::add(home->db(), QStringLiteral("li"), QStringLiteral("pw"), 3));
    start w;
    auto* user = w.findChild<QLineEdit*>(QStringLiteral("Tuser"));
    auto* pass = w.findChild<QLineEdit*>(QStringLiteral("tpasswd"));
    OperatorInput::typeInto(user, QStringLiteral("li"));
    OperatorInput::typeInto(pass, QStringLiteral("x' or 'a'='a"));
    w.findChild<QPushButton*>(QStringLiteral("Cmdok"))->click();
    QCOMPARE(prompts->last(), QStringLiteral("用户名或口令有错,请重输"));
    QVERIFY(!w.mainWindow());
    OperatorInput::typeInto(user, QStringLiteral(" LI "));
    OperatorInput::typeInto(pass, QStringLiteral("PW"));
    w.findChild<QPushButton*>(QStringLiteral("Cmdok"))->click();
    std::unique_ptr<menu> main(w.mainWindow());
    QVERIFY(main);
    QCOMPARE(Session::UserLevel, qint16(3));
    QVERIFY(Session::CurrentUser.isEmpty());
    main->hide();
}

void LegacyTest::olderLoginFailsOnCurrentTable()
{
    start w;
    w.findChild<QLineEdit*>(QStringLiteral("Tuser"))->setText(QStringLiteral("quorvy"));
    w.findChild<QLineEdit*>(QStringLiteral("tpasswd"))->setText(QStringLiteral("quorvy"));
    w.findChild<QPushButton*>(QStringLiteral("Cmdok"))->click();
    QCOMPARE(prompts->last(), QStringLiteral("用户名或口令有错,请重输"));
    QVERIFY(!w.mainWindow());
}

QTEST_MAIN(LegacyTest)
#include "tst_legacy.moc"
