#pragma once
#include "support/DigestCostScope.h"

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

// A fresh program folder with the delivered database, opened as the shared
// connection. Each test case that needs a clean database makes one.
//
// While it lasts, new password digests (the delivered operator's among them)
// are made at the cheapest cost: at the program's own, a fresh database took
// a twentieth of a second, most of the suite's set-up. A test of the digests
// the program makes asks for ProgramDigests.
class TestHome {
public:
    enum Digests { CheapDigests, ProgramDigests };
    explicit TestHome(Digests digests = CheapDigests);
    ~TestHome();

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    QSqlDatabase db() const;

    // Runs one statement with bound values; fails the test on an error.
    static void exec(QSqlDatabase db, const QString& sql, const QVariantList& values = {});
    // The first column of the first row of a query.
    static QVariant scalar(QSqlDatabase db, const QString& sql, const QVariantList& values = {});
    void exec(const QString& sql, const QVariantList& values = {}) const { exec(db(), sql, values); }
    QVariant scalar(const QString& sql, const QVariantList& values = {}) const { return scalar(db(), sql, values); }

private:
    DigestCostScope digests_;
    QTemporaryDir dir_;
};
