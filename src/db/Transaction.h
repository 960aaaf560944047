#pragma once
#include <QSqlDatabase>

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

private:
    QSqlDatabase db_;
    bool begun_ = false;
    bool done_ = false;
};
