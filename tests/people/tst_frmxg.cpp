#include "support/OperatorInput.h"
#include "db/Clock.h"
#include "people/Frmxg.h"
#include "people/Personnel.h"
#include "reports/ReportDocument.h"
#include "reports/ReportStaging.h"
#include "reports/ReportViewer.h"
#include "support/ReportCapture.h"
#include "support/ScriptedPrompter.h"
#include "support/TestHome.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTableView>
#include <QtTest>

#include "support/PickerInput.h"

namespace {

const QDate kToday(2024, 3, 5);

void addPerson(const TestHome& home, const QString& card, const QString& name, const QVariantMap& more = {})
{
    QStringList cols{QStringLiteral("卡号"), QStringLiteral("姓名")};
    QVariantList values{card, name};
    for (auto it = more.begin(); it != more.end(); ++it) {
        cols << it.key();
        values << it.value();
    }
    home.exec(QStringLiteral("INSERT INTO people (%1) VALUES (%2)")
                  .arg(cols.join(QLatin1Char(',')), QStringList(cols.size(), QStringLiteral("?")).join(QLatin1Char(','))),
              values);
}

// The window with handles on the controls the tests use.
struct Window {
    Frmxg w;
    QLineEdit* tkh = w.findChild<QLineEdit*>(QStringLiteral("Tkh"));
    QTableView* grid = w.findChild<QTableView*>(QStringLiteral("DBGrid1"));
    QLabel* picture = w.findChild<QLabel*>(QStringLiteral("Picture1"));
    QDateEdit* birthday = w.findChild<QDateEdit*>(QStringLiteral("DTPicker2"));

    QLineEdit* text(const char* name) { return w.findChild<QLineEdit*>(QString::fromLatin1(name)); }
    QComboBox* combo(const char* name) { return w.findChild<QComboBox*>(QString::fromLatin1(name)); }
    void tool(int index) { w.findChild<QAction*>(QStringLiteral("Toolbar1_%1").arg(index))->trigger(); }
    QStringList gridCards()
    {
        auto* m = grid->model();
        while (m->canFetchMore({}))
            m->fetchMore({});
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, 0).data().toString();
        return out;
    }
    void range(const QString& first, const QString& last)
    {
        w.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
        OperatorInput::typeInto(combo("Ckh1"), first);
        OperatorInput::typeInto(combo("Ckh2"), last);
    }
    void showRow(int row) { grid->setCurrentIndex(grid->model()->index(row, 0)); }
};

// Qt reads GIF but does not write it: a one-pixel GIF by hand.
QString writeGif(const TestHome& home, const QString& name)
{
    static const unsigned char gif[] = {
        'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xff, 0xff, 0xff, 0, 0, 0, 0x21, 0xf9, 4, 1, 0, 0, 0, 0,
        0x2c, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3b};
    const QString path = home.file(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(reinterpret_cast<const char*>(gif), sizeof gif);
    return path;
}

QString writePicture(const TestHome& home, const QString& name, const char* format)
{
    QImage img(40, 50, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    const QString path = home.file(name);
    img.save(path, format);
    return path;
}

}  // namespace

class TestFrmxg : public QObject {
    Q_OBJECT
private slots:
    void opensOnEmptyPeopleWithTheDefaults();
    void showsTheFirstPersonAndEmptyFieldsAsEmpty();
    void cardKeysLookThePersonUp();
    void addRefusesAnEmptyOrExistingCard();
    void everyFieldRoundTrips();
    void cardNumberPasteIsTakenWholeOrRefused();
    void changeKeepsTheStoredPhotoAndAnEmptyBirthday();
    void photoChosenForOnePersonNeverGoesToAnother();
    void deleteRefusedWhileTheCardIsIssued();
    void deleteKeepsTheHistory();
    void rangeQuery();
    void printStagesExactlyTheListedRows();
    void personnelReportPdfHoldsEveryStagedPerson();
    void quotesAreText();
    void longValuesArePrintedWhole_data();
    void longValuesArePrintedWhole();
    void birthdayTypedForAPersonWithout_data();
    void birthdayTypedForAPersonWithout();
};

void TestFrmxg::opensOnEmptyPeopleWithTheDefaults()
{
    TestHome home;
    ScriptedPrompter prompter;
    home.exec(QStringLiteral("INSERT INTO department (部门) VALUES ('B座'), ('A座')"));
    Window win;
    QCOMPARE(win.w.windowTitle(), QStringLiteral("人员信息"));
    QCOMPARE(win.birthday->date(), QDate(2002, 6, 13));
    QCOMPARE(win.combo("Csex")->currentText(), QStringLiteral("男"));
    QCOMPARE(win.combo("Cssex")->currentText(), QStringLiteral("女"));
    QCOMPARE(win.combo("Cbm")->count(), 2);
    QCOMPARE(win.combo("Cbm")->itemText(0), QStringLiteral("B座"));   // the table's order
    QVERIFY(win.combo("Cbm")->currentText().isEmpty());
    QCOMPARE(win.grid->model()->rowCount(), 0);
    QVERIFY(!win.w.findChild<QRadioButton*>(QStringLiteral("Option1"))->isChecked());
    QVERIFY(!win.w.findChild<QRadioButton*>(QStringLiteral("Option2"))->isChecked());

    // Those defaults are what an add writes when the operator leaves them.
    win.tkh->setText(QStringLiteral("000001"));
    win.tool(1);
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(home.scalar(QStringLiteral("SELECT birthday || sex || ssex FROM people")).toString(),
             QStringLiteral("2002-06-13男女"));
    QVERIFY(home.scalar(QStringLiteral("SELECT 照片 FROM people")).isNull());
}

void TestFrmxg::showsTheFirstPersonAndEmptyFieldsAsEmpty()
{
    TestHome home;
    ScriptedPrompter prompter;
    addPerson(home, QStringLiteral("000007"), QStringLiteral("甲"),
              {{QStringLiteral("tel"), QStringLiteral("5551234")},
               {QStringLiteral("ssex"), QStringLiteral("男")},
               {QStringLiteral("照片"), home.file(QStringLiteral("gone.jpg"))},
               {QStringLiteral("birthday"), QStringLiteral("1980-02-29")}});
    addPerson(home, QStringLiteral("000008"), QStringLiteral("乙"));   // as card issuing leaves one
    Window win;
    QCOMPARE(win.tkh->text(), QStringLiteral("000007"));
    QCOMPARE(win.text("Txm")->text(), QStringLiteral("甲"));
    QCOMPARE(win.text("Ttel")->text(), QStringLiteral("5551234"));
    QCOMPARE(win.combo("Cssex")->currentText(), QStringLiteral("男"));
    QCOMPARE(win.birthday->date(), QDate(1980, 2, 29));
    // A photo file that is gone shows nothing and says nothing.
    QVERIFY(win.picture->pixmap().isNull());
    QVERIFY(prompter.shown.isEmpty());

    win.showRow(1);
    QCOMPARE(win.tkh->text(), QStringLiteral("000008"));
    QCOMPARE(win.text("Ttel")->text(), QString());   // not the previous person's number
    QCOMPARE(win.birthday->text().trimmed(), QString());
    QCOMPARE(win.combo("Cssex")->currentText(), QString());

    // The grid's columns and headings.
    QCOMPARE(win.grid->model()->columnCount(), 20);
    QCOMPARE(win.grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("业主姓名"));
    QCOMPARE(win.grid->model()->headerData(19, Qt::Horizontal).toString(), QStringLiteral("大厦"));
}

void TestFrmxg::cardKeysLookThePersonUp()
{
    TestHome home;
    ScriptedPrompter prompter;
    addPerson(home, QStringLiteral("000001"), QStringLiteral("第一"));
    addPerson(home, QStringLiteral("123456"), QStringLiteral("张三"), {{QStringLiteral("rmno"), QStringLiteral("A-101")}});
    Window win;
    win.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    win.tkh->clear();
    win.tkh->setFocus();
    QTest::keyClicks(win.tkh, QStringLiteral("12a3-45"));
    QCOMPARE(win.tkh->text(), QStringLiteral("12345"));   // letters dropped
    QTest::keyClick(win.tkh, Qt::Key_Return);
    QCOMPARE(win.tkh->text(), QStringLiteral("12345"));   // Enter dropped below six
    QTest::keyClicks(win.tkh, QStringLiteral("6"));
    QTest::keyClick(win.tkh, Qt::Key_Backspace);            // Backspace at six just shortens
    QCOMPARE(win.tkh->text(), QStringLiteral("12345"));
    QCOMPARE(win.text("Txm")->text(), QStringLiteral("第一"));
    QTest::keyClicks(win.tkh, QStringLiteral("67"));        // the seventh key looks up
    QCOMPARE(win.tkh->text(), QStringLiteral("123456"));
    QCOMPARE(win.text("Txm")->text(), QStringLiteral("张三"));
    QCOMPARE(win.text("Tfh")->text(), QStringLiteral("A-101"));
    QVERIFY(win.text("Tfh")->hasFocus());
    QCOMPARE(win.grid->currentIndex().row(), 0);           // the grid did not move

    // A card nobody holds leaves the fields as they are.
    win.tkh->setFocus();
    win.tkh->setText(QStringLiteral("999999"));
    QTest::keyClick(win.tkh, Qt::Key_Return);
    QCOMPARE(win.text("Txm")->text(), QStringLiteral("张三"));
    QVERIFY(win.text("Tfh")->hasFocus());
    QVERIFY(prompter.shown.isEmpty());
}

void TestFrmxg::addRefusesAnEmptyOrExistingCard()
{
    TestHome home;
    ScriptedPrompter prompter;
    addPerson(home, QStringLiteral("000100"), QStringLiteral("原名"));
    addPerson(home, QStringLiteral("000200"), QStringLiteral("另一"));
    Window win;

    win.tkh->clear();
    win.text("Txm")->setText(QStringLiteral("新名"));
    win.tool(1);
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("卡号不能空！")});
    QCOMPARE(prompter.shown.first().icon, Prompter::Icon::None);
    QVERIFY(prompter.shown.first().title.isEmpty());
    QCOMPARE(win.text("Txm")->text(), QStringLiteral("新名"));   // no reload

    prompter.clear();
    win.showRow(1);
    win.tkh->setText(QStringLiteral("000100"));
    win.text("Txm")->setText(QStringLiteral("改名"));
    win.tool(1);
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("卡号已经存在！")});
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people")).toInt(), 2);
    QCOMPARE(home.scalar(QStringLiteral("SELECT 姓名 FROM people WHERE 卡号 = '000100'")).toString(),
             QStringLiteral("原名"));
    // The grid was reloaded: its first row is shown again.
    QCOMPARE(win.tkh->text(), QStringLiteral("000100"));
    QCOMPARE(win.text("Txm")->text(), QStringLiteral("原名"));
}

namespace {

// Each input control of the window and the column of `people` it stands
// for, written out here on their own so that a field sent to the wrong
// column anywhere in the program shows.
const char* kControlColumn[][2] = {
    {"Tfh", "rmno"},         {"Txm", "姓名"},      {"Csex", "sex"},         {"Tma", "marriage"},
    {"Ttel", "tel"},         {"Tzw", "职务"},      {"Tfcz", "fcz"},         {"Tid", "身份证号"},
    {"Tnation", "nation"},   {"Cbm", "部门"},      {"Thukou", "hukou"},     {"Tcompany", "company"},
    {"Tspouse", "spouse"},   {"Cssex", "ssex"},    {"Tshukou", "shukou"},   {"Tscompany", "scompany"},
    {"Tchild1", "child1"},   {"Tchild2", "child2"}, {"Tchild3", "child3"},  {"Tother", "others"},
};

QString shown(QWidget* w)
{
    if (auto* c = qobject_cast<QComboBox*>(w))
        return c->currentText();
    return static_cast<QLineEdit*>(w)->text();
}

}  // namespace

void TestFrmxg::everyFieldRoundTrips()
{
    TestHome home;
    ScriptedPrompter prompter;
    Clock::freeze(QDateTime(kToday, QTime(9, 0)));
    Window win;
    win.w.show();
    QVERIFY(QTest::qWaitForWindowActive(&win.w));
    auto typeInto = [&](const char* control, const QString& text) {
        QWidget* box = win.w.findChild<QWidget*>(QString::fromLatin1(control));
        QVERIFY2(box, control);
        OperatorInput::typeInto(box, text);
        QCOMPARE(shown(box), text);
    };
    auto value = [](const char* control, int round) { return QStringLiteral("%1-%2").arg(QLatin1String(control)).arg(round); };
    auto stored = [&](const char* table, const char* column) {
        return home.scalar(QStringLiteral("SELECT \"%1\" FROM %2").arg(QString::fromUtf8(column), QLatin1String(table)))
            .toString();
    };

    typeInto("Tkh", QStringLiteral("000777"));
    for (const auto& f : kControlColumn)
        typeInto(f[0], value(f[0], 1));
    win.birthday->setDate(QDate(1990, 1, 2));
    win.tool(1);
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(stored("people", "卡号"), QStringLiteral("000777"));
    QCOMPARE(stored("people", "birthday"), QStringLiteral("1990-01-02"));
    for (const auto& f : kControlColumn)
        QCOMPARE(stored("people", f[1]), value(f[0], 1));

    // Reloaded from the grid, every control shows its own field again.
    QCOMPARE(win.tkh->text(), QStringLiteral("000777"));
    QCOMPARE(win.birthday->date(), QDate(1990, 1, 2));
    for (const auto& f : kControlColumn)
        QCOMPARE(shown(win.w.findChild<QWidget*>(QString::fromLatin1(f[0]))), value(f[0], 1));

    for (const auto& f : kControlColumn)
        typeInto(f[0], value(f[0], 2));
    win.birthday->setDate(QDate(1991, 2, 3));
    win.tool(2);
    QCOMPARE(stored("people", "birthday"), QStringLiteral("1991-02-03"));
    for (const auto& f : kControlColumn)
        QCOMPARE(stored("people", f[1]), value(f[0], 2));

    // The history keeps every field it has a column for.
    typeInto("Tkh", QStringLiteral("000777"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(win.text("Txm")->text(), value("Txm", 2));
    win.tool(3);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people")).toInt(), 0);
    QCOMPARE(stored("dpeople", "卡号"), QStringLiteral("000777"));
    QCOMPARE(stored("dpeople", "日期"), QStringLiteral("2024-03-05"));
    for (const auto& f : kControlColumn) {
        if (QString::fromUtf8(f[1]) != QLatin1String("others"))
            QCOMPARE(stored("dpeople", f[1]), value(f[0], 2));
    }
    QVERIFY(prompter.shown.isEmpty());
    Clock::reset();
}

void TestFrmxg::cardNumberPasteIsTakenWholeOrRefused()
{
    TestHome home;
    ScriptedPrompter prompter;
    Window win;
    win.w.show();
    QVERIFY(QTest::qWaitForWindowActive(&win.w));
    win.tkh->clear();
    win.tkh->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), win.tkh);
    QApplication::clipboard()->setText(QStringLiteral("ab c'12345678"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QVERIFY(win.tkh->text().isEmpty());   // refused whole, not its digits
    // A blank in front would make a second person of the same card.
    QApplication::clipboard()->setText(QStringLiteral(" 000001"));
    win.tkh->paste();
    QVERIFY(win.tkh->text().isEmpty());
    // Seven digits stay as pasted, for the check to refuse.
    QApplication::clipboard()->setText(QStringLiteral("1234567"));
    win.tkh->paste();
    QCOMPARE(win.tkh->text(), QStringLiteral("1234567"));
}

void TestFrmxg::changeKeepsTheStoredPhotoAndAnEmptyBirthday()
{
    TestHome home;
    ScriptedPrompter prompter;
    const QString stored = writePicture(home, QStringLiteral("stored.bmp"), "BMP");
    addPerson(home, QStringLiteral("000001"), QStringLiteral("有生日"), {{QStringLiteral("birthday"), QStringLiteral("1975-05-05")}});
    addPerson(home, QStringLiteral("000002"), QStringLiteral("无生日"), {{QStringLiteral("照片"), stored}});
    Window win;
    QCOMPARE(win.birthday->date(), QDate(1975, 5, 5));
    win.showRow(1);
    QVERIFY(!win.picture->pixmap().isNull());

    // A picture that will not load leaves nothing to write.
    const QString broken = home.file(QStringLiteral("broken.jpg"));
    QFile f(broken);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
    f.close();
    win.w.photoDialog = [&](QWidget*) { return broken; };
    win.w.findChild<QPushButton*>(QStringLiteral("Command5"))->click();
    QVERIFY(win.w.photoPath().isEmpty());
    QVERIFY(!win.picture->pixmap().isNull());   // keeps the picture it had

    win.text("Txm")->setText(QStringLiteral("仍无生日"));
    win.tool(2);
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(home.scalar(QStringLiteral("SELECT 姓名 FROM people WHERE 卡号 = '000002'")).toString(),
             QStringLiteral("仍无生日"));
    QCOMPARE(home.scalar(QStringLiteral("SELECT 照片 FROM people WHERE 卡号 = '000002'")).toString(), stored);
    // Not the first person's birthday that stood in the picker before.
    QVERIFY(home.scalar(QStringLiteral("SELECT birthday FROM people WHERE 卡号 = '000002'")).isNull());
    // After a change the text boxes are empty.
    QVERIFY(win.tkh->text().isEmpty());
    QVERIFY(win.text("Txm")->text().isEmpty());
    QVERIFY(win.picture->pixmap().isNull());

    // A card number nobody holds.
    win.tkh->setText(QStringLiteral("777777"));
    win.tool(2);
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("卡号不存在！")});
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people")).toInt(), 2);
    QVERIFY(win.tkh->text().isEmpty());
}

void TestFrmxg::photoChosenForOnePersonNeverGoesToAnother()
{
    TestHome home;
    ScriptedPrompter prompter;
    const QString jpg = writePicture(home, QStringLiteral("face.jpg"), "JPG");
    const QString gif = writeGif(home, QStringLiteral("face.gif"));
    addPerson(home, QStringLiteral("000001"), QStringLiteral("甲"));
    addPerson(home, QStringLiteral("000002"), QStringLiteral("乙"));
    Window win;
    auto* choose = win.w.findChild<QPushButton*>(QStringLiteral("Command5"));

    // Chosen while 000001 is shown, then the operator moves to 000002.
    win.w.photoDialog = [&](QWidget*) { return jpg; };
    choose->click();
    QCOMPARE(win.w.photoPath(), jpg);
    QVERIFY(!win.picture->pixmap().isNull());
    win.showRow(1);
    QVERIFY(win.w.photoPath().isEmpty());
    QVERIFY(win.picture->pixmap().isNull());
    win.tool(2);
    QVERIFY(home.scalar(QStringLiteral("SELECT 照片 FROM people WHERE 卡号 = '000002'")).isNull());

    // Chosen for the person shown, it is written with the change.
    win.showRow(1);
    win.w.photoDialog = [&](QWidget*) { return gif; };
    choose->click();
    win.tool(2);
    QCOMPARE(home.scalar(QStringLiteral("SELECT 照片 FROM people WHERE 卡号 = '000002'")).toString(), gif);
    QVERIFY(home.scalar(QStringLiteral("SELECT 照片 FROM people WHERE 卡号 = '000001'")).isNull());

    // Closing the dialog without a choice changes nothing; a new person
    // typed in after choosing gets the picture.
    win.w.photoDialog = [&](QWidget*) { return jpg; };
    choose->click();
    win.w.photoDialog = [](QWidget*) { return QString(); };
    choose->click();
    QCOMPARE(win.w.photoPath(), jpg);
    win.tkh->setText(QStringLiteral("000003"));
    win.tool(1);
    QCOMPARE(home.scalar(QStringLiteral("SELECT 照片 FROM people WHERE 卡号 = '000003'")).toString(), jpg);
    QVERIFY(win.w.photoPath().isEmpty());
    QVERIFY(prompter.shown.isEmpty());
}

void TestFrmxg::deleteRefusedWhileTheCardIsIssued()
{
    TestHome home;
    ScriptedPrompter prompter;
    addPerson(home, QStringLiteral("000001"), QStringLiteral("持卡人"));
    home.exec(QStringLiteral("INSERT INTO faka (地址, 卡号, 物理卡号) VALUES (7, '000001', '0001234567')"));
    Window win;
    win.tool(3);
    QCOMPARE(prompter.texts(), QStringList{QStringLiteral("请先将该卡号从门禁中删除再进行员工信息删除操作！")});
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people")).toInt(), 1);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dpeople")).toInt(), 0);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM faka")).toInt(), 1);
}

void TestFrmxg::deleteKeepsTheHistory()
{
    TestHome home;
    Clock::freeze(QDateTime(kToday, QTime(9, 30)));
    ScriptedPrompter prompter;
    addPerson(home, QStringLiteral("000009"), QStringLiteral("王五"),
              {{QStringLiteral("部门"), QStringLiteral("A座")},
               {QStringLiteral("tel"), QString(QLatin1String(""))},
               {QStringLiteral("birthday"), QStringLiteral("1970-01-01")},
               {QStringLiteral("others"), QStringLiteral("备注")},
               {QStringLiteral("照片"), QStringLiteral("/x/y.jpg")},
               {QStringLiteral("nation"), QStringLiteral("汉")}});
    addPerson(home, QStringLiteral("000010"), QStringLiteral("留下"));
    Window win;
    QCOMPARE(win.tkh->text(), QStringLiteral("000009"));
    win.tool(3);
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM people")), QStringList{QStringLiteral("000010")});

    const QSqlRecord history = home.db().record(QStringLiteral("dpeople"));
    QVERIFY(!history.contains(QStringLiteral("birthday")));
    QVERIFY(!history.contains(QStringLiteral("others")));
    QVERIFY(!history.contains(QStringLiteral("照片")));
    QSqlQuery q(home.db());
    QVERIFY(q.exec(QStringLiteral("SELECT 卡号, 姓名, 部门, nation, 日期, tel, hukou, spouse FROM dpeople")));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), QStringLiteral("000009"));
    QCOMPARE(q.value(1).toString(), QStringLiteral("王五"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("A座"));
    QCOMPARE(q.value(3).toString(), QStringLiteral("汉"));
    QCOMPARE(q.value(4).toString(), QStringLiteral("2024-03-05"));
    QVERIFY(!q.value(5).isNull());            // empty stays empty
    QCOMPARE(q.value(5).toString(), QString());
    QVERIFY(q.value(6).isNull());             // no value stays no value
    QVERIFY(q.value(7).isNull());
    QVERIFY(!q.next());
    // The grid was reloaded onto the person left.
    QCOMPARE(win.tkh->text(), QStringLiteral("000010"));

    // Deleting a card nobody holds only reloads, without a message.
    win.tkh->setText(QStringLiteral("555555"));
    win.tool(3);
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dpeople")).toInt(), 1);
    QCOMPARE(win.tkh->text(), QStringLiteral("000010"));

    // A failed delete changes nothing and is told.
    home.exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON people BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    win.tool(3);
    QCOMPARE(prompter.shown.size(), 1);
    QVERIFY(prompter.last().contains(QStringLiteral("locked")));
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM dpeople")).toInt(), 1);
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM people")).toInt(), 1);
}

void TestFrmxg::rangeQuery()
{
    TestHome home;
    ScriptedPrompter prompter;
    for (const char* c : {"150000", "12", "100000", "200000", "200001", "099999", "1000000"})
        addPerson(home, QString::fromLatin1(c), QStringLiteral("人"));
    Window win;
    QCOMPARE(win.gridCards().size(), 7);

    win.range(QString(), QString());
    win.tool(4);
    QVERIFY(win.gridCards().isEmpty());

    win.range(QStringLiteral(" 150000 "), QStringLiteral("150000"));
    win.tool(4);
    QCOMPARE(win.gridCards(), QStringList{QStringLiteral("150000")});

    // Compared as text, 12 and 1000000 lie in the range; listed by value.
    win.range(QStringLiteral("100000"), QStringLiteral("200000"));
    win.tool(4);
    QCOMPARE(win.gridCards(), (QStringList{QStringLiteral("12"), QStringLiteral("100000"), QStringLiteral("150000"),
                                           QStringLiteral("200000"), QStringLiteral("1000000")}));

    win.range(QStringLiteral("200000"), QStringLiteral("100000"));
    win.tool(4);
    QVERIFY(win.gridCards().isEmpty());

    // "全部" alone leaves the grid; the next query lists everyone.
    win.range(QStringLiteral("150000"), QStringLiteral("150000"));
    win.tool(4);
    win.w.findChild<QRadioButton*>(QStringLiteral("Option1"))->click();
    QCOMPARE(win.gridCards().size(), 1);
    win.tool(4);
    QCOMPARE(win.gridCards().size(), 7);

    // Focus entering a range box chooses the range.
    win.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    win.tkh->setFocus();
    QVERIFY(!win.w.findChild<QRadioButton*>(QStringLiteral("Option2"))->isChecked());
    win.combo("Ckh2")->setFocus();
    QVERIFY(win.w.findChild<QRadioButton*>(QStringLiteral("Option2"))->isChecked());
    // The range boxes list every card number; what is typed stays as typed.
    QCOMPARE(win.combo("Ckh1")->count(), 7);
    win.combo("Ckh1")->clearEditText();
    win.combo("Ckh1")->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("10"));
    QCOMPARE(win.combo("Ckh1")->currentText(), QStringLiteral("10"));
    QVERIFY(!win.combo("Ckh1")->completer());
    QVERIFY(prompter.shown.isEmpty());
}

void TestFrmxg::printStagesExactlyTheListedRows()
{
    TestHome home;
    ScriptedPrompter prompter;
    KeepingViewer viewer;
    for (int i = 1; i <= 300; ++i)
        addPerson(home, QStringLiteral("%1").arg(i * 7 % 1000 + 1000, 6, 10, QLatin1Char('0')), QStringLiteral("人%1").arg(i));
    home.exec(QStringLiteral("INSERT INTO peoplept (卡号) VALUES ('old')"));
    Window win;

    // Without a chosen option every person is printed.
    win.tool(5);
    QCOMPARE(viewer.shown.size(), 1);
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM peoplept ORDER BY rowid")), win.gridCards());
    QCOMPARE(viewer.shown.first().rows().size(), 300);

    win.range(QStringLiteral("001200"), QStringLiteral("001500"));
    win.tool(5);
    const QStringList listed = win.gridCards();
    QVERIFY(listed.size() > 10 && listed.size() < 300);
    QCOMPARE(column(home, QStringLiteral("SELECT 卡号 FROM peoplept ORDER BY rowid")), listed);
    QCOMPARE(viewer.shown.size(), 2);
    QCOMPARE(viewer.shown.last().report().name, QStringLiteral("pl.rpt"));
    QCOMPARE(viewer.shown.last().rows().size(), listed.size());
    QCOMPARE(viewer.shown.last().rows().first().first(), listed.first());
    // Every column of people is staged.
    QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM peoplept WHERE 姓名 LIKE '人%'")).toInt(), listed.size());
    QVERIFY(prompter.shown.isEmpty());
}

void TestFrmxg::personnelReportPdfHoldsEveryStagedPerson()
{
    TestHome home;
    QList<QVariantList> staged;
    for (int i = 1; i <= 95; ++i) {
        const QString card = QStringLiteral("%1").arg(200000 + i * 13, 6, 10, QLatin1Char('0'));
        const QString name = QStringLiteral("业主%1号").arg(i);
        addPerson(home, card, name,
                  {{QStringLiteral("部门"), QStringLiteral("%1号楼").arg(i % 4 + 1)},
                   {QStringLiteral("tel"), QStringLiteral("138%1").arg(i, 8, 10, QLatin1Char('0'))}});
        staged << QVariantList{card, name};
    }
    ReportStaging report = Personnel::report(home.db());
    QVERIFY(Personnel::stageReport(home.db(), {}).ok());
    const QString pdf = home.file(QStringLiteral("pl.pdf"));
    const ReportOutcome o = report.renderPdf(pdf);
    QVERIFY2(o.ok(), qPrintable(o.message()));
    QCOMPARE(o.rows, 95);

    QString text = pdfText(pdf);
    if (text.isNull())
        QSKIP("pdftotext is not installed");
    text.remove(QLatin1Char(' '));
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QVERIFY(pages.size() >= 2);
    for (const QString& page : pages) {
        QVERIFY(page.contains(QStringLiteral("业主信息表")));
        QVERIFY(page.contains(QStringLiteral("身份证号")));
        QVERIFY(page.contains(QStringLiteral("共%1页").arg(pages.size())));
    }
    for (const QVariantList& person : staged) {
        QVERIFY2(text.contains(person.at(0).toString()), qPrintable(person.at(0).toString()));
        QVERIFY2(text.contains(person.at(1).toString()), qPrintable(person.at(1).toString()));
    }
    QVERIFY(text.contains(QStringLiteral("13800000095")));
}

void TestFrmxg::quotesAreText()
{
    TestHome home;
    ScriptedPrompter prompter;
    addPerson(home, QStringLiteral("000001"), QStringLiteral("甲"));
    Window win;
    win.range(QStringLiteral("5' OR '1'='1"), QStringLiteral("9"));
    win.tool(4);
    QVERIFY(win.gridCards().isEmpty());
    QVERIFY(prompter.shown.isEmpty());

    win.tkh->setText(QStringLiteral("000002"));
    win.text("Txm")->setText(QStringLiteral("D'Arcy"));
    OperatorInput::typeInto(win.combo("Cbm"), QStringLiteral("楼'"));
    win.tool(1);
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(home.scalar(QStringLiteral("SELECT 姓名 || 部门 FROM people WHERE 卡号 = ?"), {QStringLiteral("000002")}).toString(),
             QStringLiteral("D'Arcy楼'"));
}

void TestFrmxg::longValuesArePrintedWhole_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("number wraps in its row") << QStringLiteral("tel") << QStringLiteral("1234567890").repeated(4);
    // Distinct characters, so a line lost at a page break cannot hide
    // behind a repeated one; the row is taller than a page.
    QString company;
    for (int i = 0; i < 3000; ++i)
        company += QChar(0x4E00 + i);
    QTest::newRow("row taller than a page") << QStringLiteral("company") << company;
}

void TestFrmxg::longValuesArePrintedWhole()
{
    QFETCH(QString, field);
    QFETCH(QString, value);
    TestHome home;
    addPerson(home, QStringLiteral("000001"), QStringLiteral("甲"), {{field, value}});
    addPerson(home, QStringLiteral("000002"), QStringLiteral("乙"));
    QVERIFY(Personnel::stageReport(home.db(), {}).ok());
    const QString pdf = home.file(QStringLiteral("pl.pdf"));
    QVERIFY(Personnel::report(home.db()).renderPdf(pdf).ok());
    QString text = pdfText(pdf);
    if (text.isNull())
        QSKIP("pdftotext is not installed");
    // Read line after line, every character is there in order, and
    // nothing was cut short with an ellipsis.
    QVERIFY2(!text.contains(QChar(0x2026)), qPrintable(text));
    for (const QString& page : text.split(QLatin1Char('\f'), Qt::SkipEmptyParts))
        QVERIFY(page.contains(QStringLiteral("工作单位")));
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    qsizetype at = text.indexOf(QStringLiteral("000001"));
    QVERIFY(at >= 0);
    for (const QChar c : value) {
        at = text.indexOf(c, at + 1);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("%1 of %2").arg(value.indexOf(c)).arg(value.size())));
    }
    // The row after it still prints.
    QVERIFY(text.indexOf(QStringLiteral("000002")) > at);
}

// The picker shows a blank for no birthday; the operator clicks or tabs
// into it and types one.
void TestFrmxg::birthdayTypedForAPersonWithout_data()
{
    QTest::addColumn<bool>("click");
    QTest::newRow("click") << true;
    QTest::newRow("tab") << false;
}

void TestFrmxg::birthdayTypedForAPersonWithout()
{
    QFETCH(bool, click);
    TestHome home;
    ScriptedPrompter prompter;
    addPerson(home, QStringLiteral("000002"), QStringLiteral("无生日"));
    Window win;
    win.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&win.w));
    QCOMPARE(win.birthday->text(), QStringLiteral(" "));
    if (click)
        PickerInput::clickAt(win.birthday, 0);
    else
        win.birthday->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("19800102"));
    win.tool(2);
    QVERIFY(prompter.shown.isEmpty());
    QCOMPARE(home.scalar(QStringLiteral("SELECT birthday FROM people WHERE 卡号 = '000002'")).toString(),
             QStringLiteral("1980-01-02"));
}

QTEST_MAIN(TestFrmxg)
#include "tst_frmxg.moc"
