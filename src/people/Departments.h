#pragma once
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The departments (shown as buildings). Names are taken with the blanks
// at both ends removed; a name of blanks only counts as empty. Names
// compare without regard to case: "abc" and "ABC" are one department, and
// a person whose department reads "ABC" belongs to "abc".
namespace Departments {

enum class Outcome { Done, EmptyName, Exists, NotFound, Failed };

struct Result {
    Outcome outcome = Outcome::Done;
    QString error;   // the database's message when Failed
    bool ok() const { return outcome == Outcome::Done; }
};

struct Removal : Result {
    // Controllers that still hold cards removed with the department's
    // people: nothing is sent to them, so their card lists must be sent
    // again before they stop admitting those cards.
    QList<int> controllersHoldingCards;
    int peopleRemoved = 0;
    int cardsRemoved = 0;
};

// Every name, in the order of the names.
QStringList list(QSqlDatabase db);

bool exists(QSqlDatabase db, const QString& name);

Result add(QSqlDatabase db, const QString& name);

// Renames the department and moves its people to the new name, in one
// transaction. Exists when the new name is taken (the old one included).
Result rename(QSqlDatabase db, const QString& oldName, const QString& newName);

// Removes the department. With its people, in the same transaction: each
// issued card of theirs goes into `dfaka` (one row per card and
// controller), the cards leave `faka`, each person goes into `dpeople`
// and leaves `people`; all dated today.
Removal remove(QSqlDatabase db, const QString& name, bool withPeople);

}  // namespace Departments
