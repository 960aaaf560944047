#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>

// A fresh program folder with the delivered database, opened as the shared
// connection. Each test case that needs a clean database makes one.
class TestHome {
public:
    TestHome();
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
    QTemporaryDir dir_;
};
