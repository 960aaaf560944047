// The one reading of addresses, card numbers and physical numbers: every
// window and service takes its numbers from these.

#include "db/NumberText.h"

#include <QtTest>

#include <optional>

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void address_data();
    void address();
    void cardNumber_data();
    void cardNumber();
    void paddedPhysical_data();
    void paddedPhysical();
};

void NumberTextTest::address_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("address");  // -1: refused
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("highest") << "99" << 99;
    QTest::newRow("leading zero spells twelve") << "012" << 12;
    QTest::newRow("many leading zeros") << "0000000000007" << 7;
    QTest::newRow("blanks around") << " 15 " << 15;
    QTest::newRow("one beyond") << "100" << -1;
    QTest::newRow("three digits typed for fifteen") << "150" << -1;
    QTest::newRow("too many digits for an int") << "99999999999999999999" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("blank") << "  " << -1;
    QTest::newRow("sign") << "+5" << -1;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("decimal") << "5.0" << -1;
    QTest::newRow("blank inside") << "1 2" << -1;
    QTest::newRow("letter after") << "5x" << -1;
    QTest::newRow("full-width digit") << "\uFF15" << -1;
}

void NumberTextTest::address()
{
    QFETCH(QString, text);
    QFETCH(int, address);
    const std::optional<int> read = NumberText::address(text);
    QCOMPARE(read.value_or(-1), address);
    if (read)
        QVERIFY(NumberText::isAddress(*read));
}

void NumberTextTest::cardNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("card");
    QTest::newRow("six digits") << "000123" << true;
    QTest::newRow("five") << "12345" << false;
    QTest::newRow("seven") << "1234567" << false;
    QTest::newRow("letter") << "12345a" << false;
    QTest::newRow("blank in front") << " 12345" << false;
    QTest::newRow("empty") << "" << false;
}

void NumberTextTest::cardNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, card);
    QCOMPARE(NumberText::isCardNumber(text), card);
}

void NumberTextTest::paddedPhysical_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("padded");  // empty: refused
    QTest::newRow("ten digits") << "1234567890" << "1234567890";
    QTest::newRow("one digit") << "1" << "0000000001";
    QTest::newRow("leading zeros kept") << "0012345678" << "0012345678";
    QTest::newRow("eleven digits") << "12345678901" << "";
    QTest::newRow("dash") << "0012-345678" << "";
    QTest::newRow("empty") << "" << "";
}

void NumberTextTest::paddedPhysical()
{
    QFETCH(QString, text);
    QFETCH(QString, padded);
    QCOMPARE(NumberText::paddedPhysical(text).value_or(QString()), padded);
}

QTEST_GUILESS_MAIN(NumberTextTest)
#include "tst_numbertext.moc"
