#include "support/TestHome.h"

#include "session/Session.h"
#include "db/Clock.h"
#include "db/Database.h"
#include "db/ProgramFolder.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

TestHome::TestHome(Digests digests)
    : digests_(digests == CheapDigests ? std::optional<Password::Cost>(DigestCostScope::kCheap) : std::nullopt)
{
    Session::reset();
    Clock::reset();
    ProgramFolder::set(dir_.path());
    const Database::OpenResult r = Database::openShared();
    if (!r.ok())
        qFatal("cannot open the test database: %s", qPrintable(r.detail));
    Session::ConnectStr = Database::livePath();
    Session::loadSystemSettings(db());
}

TestHome::~TestHome()
{
    Database::closeShared();
    Clock::reset();
}

QSqlDatabase TestHome::db() const
{
    return Database::shared();
}

void TestHome::exec(QSqlDatabase db, const QString& sql, const QVariantList& values)
{
    QSqlQuery q(db);
    if (!q.prepare(sql))
        qFatal("prepare failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        qFatal("exec failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

QVariant TestHome::scalar(QSqlDatabase db, const QString& sql, const QVariantList& values)
{
    QSqlQuery q(db);
    if (!q.prepare(sql))
        qFatal("prepare failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        qFatal("exec failed: %s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    return q.next() ? q.value(0) : QVariant();
}
