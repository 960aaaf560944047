#include "db/Transaction.h"

#include <QSqlDriver>
#include <QVariant>

#include <sqlite3.h>

namespace {

// SQLite ends a transaction by itself when its commit fails on a full disk
// or an I/O error. A rollback then only complains that none is active, and
// its complaint would take the commit's reason's place in lastError().
bool stillOpen(QSqlDatabase db)
{
    const QVariant v = db.driver() ? db.driver()->handle() : QVariant();
    if (v.isValid() && qstrcmp(v.typeName(), "sqlite3*") == 0)
        return sqlite3_get_autocommit(*static_cast<sqlite3* const*>(v.constData())) == 0;
    return true;
}

}  // namespace

Transaction::Transaction(QSqlDatabase db) : db_(db)
{
    begun_ = db_.transaction();
}

Transaction::~Transaction()
{
    rollback();
}

bool Transaction::commit()
{
    if (!begun_ || done_)
        return false;
    done_ = true;
    if (db_.commit())
        return true;
    commitError_ = db_.lastError();
    if (stillOpen(db_))
        db_.rollback();
    return false;
}

void Transaction::rollback()
{
    if (begun_ && !done_)
        db_.rollback();
    done_ = true;
}
