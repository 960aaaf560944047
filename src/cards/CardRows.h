#pragma once
#include "cards/CardCommands.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>

#include <optional>

// The issued cards in `faka` and the removed ones in `dfaka`, as every card
// window writes them: a row only after the controller's echo, a removal
// copied into the history with its day. None of these opens a transaction
// of its own: the caller wraps a controller's writes in one.
namespace CardRows {

// The stored values of the limits: dates, weekdays and times each as a
// pair, Null when that limit is not on. The weekday pair is stored when
// either code is not 0.
struct StoredLimits {
    QVariant startDate, endDate, weekStart, weekEnd, startTime, endTime;
};
StoredLimits stored(const CardLimits& limits);

// Appends the row of `card` on `address` with its limits. False (with the
// database's message) when it fails, also when the row is there already.
bool insertIssued(QSqlDatabase db, int address, const QString& card, const QString& physical,
                  const CardLimits& limits, QString* error = nullptr);

// True when controller `address` holds `card` according to faka; nothing
// (with the database's message) when the table cannot be read.
std::optional<bool> holds(QSqlDatabase db, int address, const QString& card, QString* error = nullptr);

// Copies the card's fakapl row on `address` into dfaka dated `day` (when
// there is such a row) and deletes its faka row. False with the database's
// message on a failure.
bool moveToHistory(QSqlDatabase db, int address, const QString& card, const QDate& day,
                   QString* error = nullptr);

}  // namespace CardRows
