#pragma once
#include "cards/CardDoubt.h"
#include "cards/CardListLine.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

// Card lists over many controllers: reading what `faka` holds, and the
// two writes that follow a controller's acknowledgement (a removal into
// the history, an extension to a further controller). CardRuns runs the
// loops; every function here is one step that either completes or leaves
// the database as it was.

// One card on one controller as `faka` stores it.
struct FakaRow {
    int address = 0;
    QString card;      // trimmed
    QString physical;  // trimmed, as stored (may be shorter than 10)
    CardLimits limits; // a Null date or time stays invalid, a Null weekday or mode 0
    bool weekStored = false;   // both weekday columns hold a value
    std::optional<int> mode1;  // ctrl_state1 when it holds a value
    std::optional<int> mode2;
};

// A card of `faka` with the number it is issued under and its physical
// number, as an extension run takes it from its source.
struct SourceCard {
    QString card;
    QString physical;
    bool operator==(const SourceCard&) const = default;
};

// What became of one card on one controller.
enum class PairOutcome {
    Done,            // acknowledged and written
    NotHeld,         // removal: `faka` has no row of that card there; re-send: the row cannot be read
    AlreadyHeld,     // extension: `faka` has the card there already; nothing sent
    Refused,         // the card cannot be put into a command; nothing sent
    PortNotOpen,
    NoAnswer,
    WrongAnswer,     // the echo came from a wrong address
    LateAnswer,      // the echo came after the wait
    Disturbed,       // bytes kept coming on the line
    DatabaseFailed,  // acknowledged, but the database write was rolled back
    ReadFailed,      // `faka` could not be read; nothing sent
};

// The limits an extension run gives every new row, and which of them the
// operator switched on (a limit that is off stays Null in `faka`).
struct ExtensionLimits {
    CardLimits limits;
    bool dateOn = false;
    bool weekOn = false;
    bool timeOn = false;
};

namespace CardLists {

// A card command's result as a pair's outcome.
PairOutcome pairOutcome(CardLineResult result);

// Whether a pair that failed may have been carried out all the same.
std::optional<CardDoubt> doubtOf(PairOutcome outcome);

// A controller address typed or listed: a whole number 0 to 99.
std::optional<int> parseAddress(const QString& text);

// The pick lists of the card-list windows, each without empty values or
// repeats: departments of `people` or of the card holders (`fakapl`),
// the issued card numbers and the addresses that hold them (`faka`), and
// the controllers of `doors`.
QStringList peopleDepartments(QSqlDatabase db);
QStringList holderDepartments(QSqlDatabase db);
QStringList issuedCards(QSqlDatabase db);
QStringList issuedAddresses(QSqlDatabase db);

// The controllers of `doors` whose `faka` holds `card`.
QList<int> holdersOf(QSqlDatabase db, const QString& card);

// The rows of one controller ordered by card number; a row whose stored
// values cannot be read has no `row` but keeps its card number. Nothing
// when the table cannot be read at all.
struct StoredCard {
    QString card;
    std::optional<FakaRow> row;
};
std::optional<QList<StoredCard>> storedCards(QSqlDatabase db, int address);

// One card's row on one controller; the first of its rows (in controller
// order) with the holder joined, for a window that shows its limits.
std::optional<FakaRow> fakaRow(QSqlDatabase db, int address, const QString& card);
std::optional<FakaRow> firstRowOf(QSqlDatabase db, const QString& card);

// Nothing when `faka` cannot be read.
std::optional<bool> isIssued(QSqlDatabase db, int address, const QString& card);
bool personExists(QSqlDatabase db, const QString& card);

// What a run reads before it starts is nothing when `faka` cannot be
// read, never an empty list.

// Card numbers of one controller, and of one department's holders.
std::optional<QStringList> cardsOn(QSqlDatabase db, int address);
std::optional<QStringList> cardsOfDepartment(QSqlDatabase db, const QString& department);

// The sources of an extension: one card (its first row, none when it is
// not issued), every row of a controller, every row of a department's
// holders (a card held on three controllers comes three times).
std::optional<QList<SourceCard>> sourceCard(QSqlDatabase db, const QString& card);
std::optional<QList<SourceCard>> sourcesOn(QSqlDatabase db, int address);
std::optional<QList<SourceCard>> sourcesOfDepartment(QSqlDatabase db, const QString& department);

// Takes `card` off the controller at `address`; only after its echo the
// card's history row (dated `today`) and the removal from `faka` are
// written, together.
PairOutcome removeCard(LinePort& port, const LineParams& params, QSqlDatabase db, int address,
                       const QString& card, const QDate& today);

// Writes `card` into the controller at `address` with the run's limits;
// only after its echo the new `faka` row and its limits are written,
// together. `physical` comes back padded to ten digits.
PairOutcome extendCard(LinePort& port, const LineParams& params, QSqlDatabase db, int address,
                       QString& physical, const QString& card, const ExtensionLimits& run);

}  // namespace CardLists
