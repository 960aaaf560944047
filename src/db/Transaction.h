#pragma once
#include <QSqlDatabase>
#include <QSqlError>

// One multi-step write. Rolled back unless commit() succeeded, so a write
// that returns early on a failure leaves the database as it was.
class Transaction {
public:
    explicit Transaction(QSqlDatabase db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool begun() const { return begun_; }
    bool commit();
    void rollback();
    // Why commit() failed, read before its rollback could replace it.
    QSqlError commitError() const { return commitError_; }

private:
    QSqlDatabase db_;
    bool begun_ = false;
    bool done_ = false;
    QSqlError commitError_;
};
