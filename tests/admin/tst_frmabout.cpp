#include "admin/frmabout.h"
#include "support/ScriptedPrompter.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestFrmabout : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { frmabout::openHardwareInfo = nullptr; }

    void systemInformationIsNotAvailableHere()
    {
        frmabout w;
        QCOMPARE(w.windowTitle(), QStringLiteral("关于---门禁管理系统"));
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), QStringLiteral("门禁管理系统"));
        QCOMPARE(w.findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("确     定(&O)"));
        auto* sysInfo = w.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"));
        QCOMPARE(sysInfo->text(), QStringLiteral("系统信息(&S)..."));
        w.show();
        ScriptedPrompter prompts;
        sysInfo->click();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("此时系统信息无效")});
        QCOMPARE(prompts.shown.last().icon, Prompter::Icon::None);
        QVERIFY(prompts.shown.last().title.isEmpty());
        QVERIFY(w.isVisible());
        w.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(!w.isVisible());
    }

    void hardwareInformationOpensOnceTheAboutWindowHasGone()
    {
        {
            frmabout w;
            auto* hardware = w.findChild<QPushButton*>(QStringLiteral("Command1"));
            QCOMPARE(hardware->text(), QStringLiteral("硬件信息(&H)"));
            QVERIFY(!hardware->isEnabled());
        }
        frmabout* about = nullptr;
        bool aboutGone = false;
        int opened = 0;
        frmabout::openHardwareInfo = [&] {
            aboutGone = !about->isVisible();
            ++opened;
        };
        frmabout w;
        about = &w;
        w.show();
        auto* hardware = w.findChild<QPushButton*>(QStringLiteral("Command1"));
        QVERIFY(hardware->isEnabled());
        hardware->click();
        QCOMPARE(opened, 1);
        QVERIFY(aboutGone);
    }
};

QTEST_MAIN(TestFrmabout)
#include "tst_frmabout.moc"
