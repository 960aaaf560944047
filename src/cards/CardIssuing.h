#pragma once
#include "cards/CardCommands.h"
#include "cards/CardDoubt.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTime>

#include <functional>
#include <optional>

class LinePort;
class QSqlRecord;

// The work behind the card-issuing window: its checks, one controller's
// add, change or delete with the database written only for what that
// controller acknowledged, and the lookup that fills the window from a
// card number. The window shows what comes back.

struct CardHolder {
    QString name;        // 姓名
    QString department;  // 部门
    QString position;    // 职务
    QString idNumber;    // 身份证号
};

// What the window's controls hold when a button is pressed.
struct CardRequest {
    QString card;      // 卡号, trimmed
    QString physical;  // 物理卡号, trimmed, as typed or read
    CardHolder holder;
    bool addressListEmpty = false;
    QList<int> addresses;  // the selected controllers, in list order
    bool dateOn = false, weekOn = false, timeOn = false;
    QDate startDate, endDate;
    int weekStart = 0, weekEnd = 0;  // list position + 1 (1 星期日 .. 7 星期六), 0 without a choice
    QTime startTime, endTime;
    std::optional<int> lock1Mode, lock2Mode;  // no option chosen: nothing

    // The limits as they go to the controller and into faka; the physical
    // number padded to ten digits when it can be.
    CardLimits limits() const;
    QString paddedPhysical() const;
};

// The command a request is checked for: the same fault is worded
// differently by each.
enum class CardCommand { Add, Change, Delete };

// Why a check refused the request: nothing was sent or written.
enum class Refusal {
    NoCard,               // 卡号 is empty
    CardNotSixDigits,     // 卡号 is not six digits
    NoPhysical,           // 物理卡号 is empty
    PhysicalNotTenDigits, // 物理卡号 does not pad to ten digits
    PhysicalNotTenLong,   // 物理卡号 is not ten characters long
    PhysicalNotDigits,    // 物理卡号 is ten characters, not all digits
    NoControllers,        // the address list holds no controller at all
    NoAddressPicked,      // no controller is selected
    PhysicalHeldByOther,  // another card has this physical number
    TimesReversed,
    TimeAtMidnight,       // a time limit starts or ends at 0:00
    DatesReversed,
    DateOutsideYears,     // a date limit lies outside the years a controller keeps
    WeekdaysReversed,
    NotIssued,            // faka holds no row of the card
    Unreadable,           // faka could not be read
    NoLock1Mode,
    NoLock2Mode,
};

// What one controller's step came to.
struct StepReport {
    enum class Outcome {
        Passed,             // the controller does not hold the card: nothing done, nothing to tell
        AlreadyHeld,        // the controller holds the card already: not sent again
        NotHeld,            // the controller does not hold the card it was to change
        Unreadable,         // faka could not be read (`error`): nothing was sent
        Refused,            // the card cannot be encoded: nothing was sent
        Silent,             // no answer at all: nothing was written
        Unconfirmed,        // an echo from a wrong address or a late one (`doubt`): nothing was written
        Unrecorded,         // acknowledged, but the database did not take it (`error`)
        RemovalUnrecorded,  // taken off the controller, but the database did not record it (`error`)
        Undetermined,       // a change's add failed and the second delete too: the controller's state is unknown
        RemovedUnchanged,   // a change's add failed; the card is off the controller and recorded so
        Done,               // acknowledged and written
    };
    Outcome outcome = Outcome::Passed;
    QString error;  // the database's words, for Unrecorded and RemovalUnrecorded
    std::optional<CardDoubt> doubt;  // for Unconfirmed
    bool done() const { return outcome == Outcome::Done; }
    // The database failed this step: the command asks no further
    // controller, so that no other one holds a card faka does not know.
    bool stopsCommand() const
    {
        return outcome == Outcome::Unreadable || outcome == Outcome::Unrecorded ||
               outcome == Outcome::RemovalUnrecorded;
    }
};

// The limits of a stored row as the window shows them.
struct ShownLimits {
    bool dateOn = false;
    QDate startDate, endDate;    // today where the row holds none
    bool weekOn = false;
    int weekStart = -1, weekEnd = -1;  // list positions, -1 for no choice
    bool timeOn = false;
    QTime startTime{0, 0}, endTime{0, 0};
    std::optional<int> lock1Mode, lock2Mode;  // nothing: no option chosen
};

namespace CardIssuing {

// Every 卡号 of people, in the table's order.
QStringList cardNumbers(QSqlDatabase db);

// The checks of each command, in their order; nothing when all pass.
std::optional<Refusal> checkAdd(QSqlDatabase db, const CardRequest& r);
std::optional<Refusal> checkChange(QSqlDatabase db, const CardRequest& r);
std::optional<Refusal> checkDelete(QSqlDatabase db, const CardRequest& r);
std::optional<Refusal> check(CardCommand command, QSqlDatabase db, const CardRequest& r);

// Issues the card on one controller that does not hold it yet; on the
// echo, its faka row and the holder go into the database in one
// transaction.
StepReport addOne(QSqlDatabase db, LinePort& comm, const CardRequest& r, int address,
                  const CardSendOptions& options);

// Rewrites the card on one controller that holds it: DeleteCard, then
// AddCard with the new limits. When the delete was acknowledged and the
// add is not, `offerRetry` is asked (with how the add failed) whether to
// send the add again; once the operator gives up, the card's row goes into
// dfaka dated `today`, since the controller no longer holds it.
StepReport changeOne(QSqlDatabase db, LinePort& comm, const CardRequest& r, int address,
                     const CardSendOptions& options, const QDate& today,
                     const std::function<bool(const CardResult&)>& offerRetry);

// Takes the card off one controller; on the echo its row moves to dfaka
// dated `today`. A controller that does not hold the card is passed over
// without a word.
StepReport deleteOne(QSqlDatabase db, LinePort& comm, const CardRequest& r, int address,
                     const CardSendOptions& options, const QDate& today);

// A card's date limits, also those of an extension: in order, and in the
// years a controller keeps.
std::optional<Refusal> checkDateRange(const QDate& start, const QDate& end);

// Nothing when the change command may go on to its controllers: the card
// is issued somewhere.
std::optional<Refusal> checkIssued(QSqlDatabase db, const QString& card);

// A faka or fakapl row's limits for the window.
ShownLimits shownLimits(const QSqlRecord& row, const QDate& today);

struct Lookup {
    bool issued = false;                 // the card is in faka
    std::optional<CardHolder> holder;    // from fakapl, or from people when not issued
    QString physical;                    // from the first fakapl row
    ShownLimits limits;                  // of that row
    QList<int> heldAddresses;            // controllers of doors that hold the card
};
Lookup lookup(QSqlDatabase db, const QString& card, const QDate& today);

// The limits the card has on one controller; nothing when it does not
// hold the card there.
std::optional<ShownLimits> limitsAt(QSqlDatabase db, int address, const QString& card, const QDate& today);

}  // namespace CardIssuing
