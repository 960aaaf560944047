#include "admin/LegacyOperators.h"
#include "admin/Operators.h"
#include "db/Password.h"
#include "support/TestHome.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QtTest>

#include <argon2.h>

namespace {

// "quorvy" as the program stored it before Argon2id.
const char* const kPbkdf2Quorvy =
    "pbkdf2-sha256$20000$6345c99a86f3b970dea4ae99f63eac69$aaf220d414787da91c20eff3634cc00da7cbb0f4638b771d838a05960cfacbe4";

// "quorvy" as Argon2id with less memory and fewer passes than a new digest.
QString weakArgon2Quorvy()
{
    char encoded[128];
    const unsigned char salt[16] = {1, 2, 3};
    argon2id_hash_encoded(2, 19456, 1, "quorvy", 6, salt, sizeof salt, 32, encoded, sizeof encoded);
    return QString::fromLatin1(encoded);
}

bool isNewDigest(const QString& stored)
{
    static const QRegularExpression form(QStringLiteral("^\\$argon2id\\$v=19\\$m=65536,t=3,p=1\\$"));
    return form.match(stored).hasMatch() && Password::matches(QStringLiteral("quorvy"), stored);
}

enum class Road { Login, SpecialCheck, LegacyLogin };

}  // namespace

class TestOperators : public QObject {
    Q_OBJECT
private slots:
    // A row stored before Argon2id logs in, is rewritten with a new digest
    // and logs in again; a wrong password leaves it as it was.
    void olderDigestsAreRewrittenAtLogin_data()
    {
        QTest::addColumn<int>("road");
        QTest::addColumn<QString>("stored");
        QTest::newRow("login, pbkdf2") << int(Road::Login) << QString::fromLatin1(kPbkdf2Quorvy);
        QTest::newRow("login, weaker argon2id") << int(Road::Login) << weakArgon2Quorvy();
        QTest::newRow("special check, pbkdf2") << int(Road::SpecialCheck) << QString::fromLatin1(kPbkdf2Quorvy);
        QTest::newRow("legacy login, pbkdf2") << int(Road::LegacyLogin) << QString::fromLatin1(kPbkdf2Quorvy);
    }
    void olderDigestsAreRewrittenAtLogin()
    {
        QFETCH(int, road);
        QFETCH(QString, stored);
        TestHome home(TestHome::ProgramDigests);
        QSqlDatabase db = home.db();
        QString nameColumn = QStringLiteral("sysname");
        QString column = QStringLiteral("syspword");
        if (Road(road) == Road::LegacyLogin) {
            // The older layout of the operator table, on a database of its own.
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("legacy"));
            db.setDatabaseName(QStringLiteral(":memory:"));
            QVERIFY(db.open());
            TestHome::exec(db, QStringLiteral("CREATE TABLE user (用户名 TEXT, 口令 TEXT, 权限 INTEGER)"));
            TestHome::exec(db, QStringLiteral("INSERT INTO user VALUES ('Wang', ?, 1)"), {stored});
            nameColumn = QStringLiteral("用户名");
            column = QStringLiteral("口令");
        } else {
            home.exec(QStringLiteral("INSERT INTO user (sysname, syspword, r24) VALUES ('Wang', ?, 1)"), {stored});
        }
        const auto attempt = [&](const QString& name, const QString& password) {
            switch (Road(road)) {
            case Road::Login: return Operators::authenticate(db, name, password).has_value();
            case Road::SpecialCheck: return Operators::maySpecialOperate(db, name, password);
            case Road::LegacyLogin: return LegacyOperators::check(db, name, password).has_value();
            }
            return false;
        };
        const auto storedNow = [&] {
            return TestHome::scalar(db, QStringLiteral("SELECT %1 FROM user WHERE %2 = 'Wang'").arg(column, nameColumn))
                .toString();
        };

        QVERIFY(!attempt(QStringLiteral("wang"), QStringLiteral("quorv")));
        QVERIFY(!attempt(QStringLiteral("li"), QStringLiteral("quorvy")));
        QCOMPARE(storedNow(), stored);

        QVERIFY(attempt(QStringLiteral(" WANG "), QStringLiteral(" QuorVY ")));
        const QString rewritten = storedNow();
        QVERIFY2(isNewDigest(rewritten), qPrintable(rewritten));

        QVERIFY(attempt(QStringLiteral("wang"), QStringLiteral("quorvy")));
        QCOMPARE(storedNow(), rewritten);
        QVERIFY(!attempt(QStringLiteral("wang"), QStringLiteral("quorvy2")));

        if (Road(road) == Road::LegacyLogin) {
            db = QSqlDatabase();
            QSqlDatabase::database(QStringLiteral("legacy")).close();
            QSqlDatabase::removeDatabase(QStringLiteral("legacy"));
        }
    }

    // What an old database may hold in place of a digest never lets anyone
    // in, and is left for a manager to set again.
    void aFieldThatIsNoDigestNeverMatches_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain text") << QStringLiteral("quorvy");
        QTest::newRow("empty") << QString();
        QTest::newRow("null") << QString();
    }
    void aFieldThatIsNoDigestNeverMatches()
    {
        QFETCH(QString, stored);
        TestHome home(TestHome::ProgramDigests);
        home.exec(QStringLiteral("INSERT INTO user (sysname, syspword) VALUES ('Wang', ?)"),
                  {QString::fromLatin1(QTest::currentDataTag()) == QLatin1String("null") ? QVariant() : QVariant(stored)});
        QVERIFY(!Operators::authenticate(home.db(), QStringLiteral("Wang"), stored));
        QVERIFY(!Operators::authenticate(home.db(), QStringLiteral("Wang"), QString()));
        QCOMPARE(home.scalar(QStringLiteral("SELECT count(*) FROM user WHERE sysname = 'Wang' AND syspword IS ?"),
                             {QString::fromLatin1(QTest::currentDataTag()) == QLatin1String("null") ? QVariant()
                                                                                                   : QVariant(stored)})
                     .toInt(),
                 1);
    }

    // A password given by the account window is stored as a new digest.
    void accountsGetNewDigests()
    {
        TestHome home(TestHome::ProgramDigests);
        QVERIFY(Operators::add(home.db(), {QStringLiteral("Wang"), QStringLiteral(" QUORVY "), false, false}).ok());
        QVERIFY(isNewDigest(home.scalar(QStringLiteral("SELECT syspword FROM user WHERE sysname = 'Wang'")).toString()));
        QVERIFY(Operators::authenticate(home.db(), QStringLiteral("wang"), QStringLiteral("quorvy")));
    }
};

QTEST_GUILESS_MAIN(TestOperators)
#include "tst_operators.moc"
