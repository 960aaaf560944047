#include "db/Transaction.h"

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
    db_.rollback();
    return false;
}

void Transaction::rollback()
{
    if (begun_ && !done_)
        db_.rollback();
    done_ = true;
}
