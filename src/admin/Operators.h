#pragma once
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// The operators of the `user` table.
namespace Operators {

inline constexpr int kRightCount = 25;
using Rights = std::array<bool, kRightCount>;

struct Operator {
    QString name;                 // sysname as stored
    bool usersetting = false;
    bool usermanage = false;
    Rights rights{};              // r0 .. r24
};

// The operator whose name (blanks at both ends removed, case ignored) and
// password (the same) match, or nothing. Text that is not a valid name
// simply matches no one.
std::optional<Operator> authenticate(QSqlDatabase db, const QString& name, const QString& password);

// The operator of that name (case ignored), or nothing.
std::optional<Operator> find(QSqlDatabase db, const QString& name);

// Every operator name, in the order of the name index.
QStringList names(QSqlDatabase db);

// The special operation (opening a lock from the PC) needs a second check:
// any account whose name and password match and that holds r24.
bool maySpecialOperate(QSqlDatabase db, const QString& name, const QString& password);

// What the account window types in. Blanks at both ends of the name and
// the password are dropped before anything is sought or stored.
struct AccountInput {
    QString name;
    QString password;
    bool usersetting = false;
    bool usermanage = false;
};

enum class Outcome {
    Done,
    EmptyName,
    Exists,        // add: the name (in any case) is taken
    NotFound,
    LoggedIn,      // delete: the account is the one logged in
    LastManager,   // would leave no account that can manage operators
    Failed,        // the database refused; nothing was changed
};

struct Result {
    Outcome outcome = Outcome::Failed;
    QString error;   // the driver's text when Failed
    bool ok() const { return outcome == Outcome::Done; }
};

// A new account; its rights keep the table's defaults (all off).
Result add(QSqlDatabase db, const AccountInput& in);

// Changes the password and the two flags of an existing account. An empty
// password keeps the stored one, since the stored one is never shown.
Result modify(QSqlDatabase db, const AccountInput& in);

// Deletes the account `name`, unless it is `loggedIn` or the last manager.
Result remove(QSqlDatabase db, const QString& name, const QString& loggedIn);

// Writes r0 .. r24 of the account `name`; nothing else of the row changes.
Result saveRights(QSqlDatabase db, const QString& name, const Rights& rights);

// A manager can reach the operators window (r0), change accounts
// (usersetting) and give rights (usermanage). The site must keep one.
bool isManager(const Operator& op);

}  // namespace Operators
