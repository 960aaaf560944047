#pragma once
#include "link/LinePort.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>
#include <QTime>

#include <chrono>
#include <optional>

// The card commands of the controller line and the card-issuing reader:
// AddCard and DeleteCard to a controller, ReadCard to the reader. Every
// window that writes cards into controllers or takes them out goes through
// addtodoor and delfromdoor here; none shows anything, each caller tells
// the operator the outcome in its own words.

// The validity limits of a card on one controller, as they travel in
// AddCard and as `faka` holds them.
struct CardLimits {
    // Either end missing (or not a valid date) means no date range at all.
    QDate startDate, endDate;
    // Weekday codes, the first in the high half of the byte; 0 and 0 mean
    // no weekday limit. Sent unchanged (0..15 fit the half-byte).
    int weekStart = 0, weekEnd = 0;
    // Either end missing or 00:00 means no time range: the controller reads
    // a zero time as "no limit", so a range touching midnight cannot be held.
    QTime startTime, endTime;
    // CardAccessState of each lock: 0 in and out, 1 in only, 2 out only,
    // 3 no passing.
    int lock1Mode = 0, lock2Mode = 0;

    bool hasDateRange() const;
    bool hasTimeRange() const;
};

namespace CardNumbers {

// A physical card number of up to ten decimal digits, with "0" put in
// front up to ten; nothing for an empty text, more than ten characters or
// anything but digits.
std::optional<QString> paddedPhysical(const QString& text);
// True for exactly six decimal digits.
bool isCardNumber(const QString& text);

}  // namespace CardNumbers

namespace CardFrames {

// The 22 bytes of AddCard; nothing when the numbers cannot be encoded:
// an address outside 0..99, a physical number that paddedPhysical refuses,
// a card number whose first six characters are not six digits, a weekday
// code outside 0..15 or a passing mode outside 0..3.
std::optional<QByteArray> addCard(int address, const QString& physical, const QString& card,
                                  const CardLimits& limits);
// address, 0x05, 0x0D, the card number's six digits in packed BCD.
std::optional<QByteArray> deleteCard(int address, const QString& card);
// address, 0x02, 0x0B: the reader answers with the card laid on it.
QByteArray readCard(quint8 readerAddress);

// The physical number of a CardReply (address, 0x07, 0x04, five packed-BCD
// bytes, anything after ignored); nothing for a reply of fewer than eight
// bytes, with a wrong header or with card bytes that are not decimal.
std::optional<QString> physicalFromReply(QByteArrayView reply, quint8 readerAddress);

}  // namespace CardFrames

// What became of one card command, so that a caller can tell a card it
// must not offer again (Refused) from a controller that may answer on a
// second try.
enum class CardOutcome {
    Acknowledged,  // the controller echoed its address
    Refused,       // the card cannot be encoded; nothing was sent
    PortNotOpen,   // the port could not be opened (or is busy); nothing was sent
    NotAnswered,   // no byte within the time-out
    WrongEcho,     // the first byte was not the controller's address
    Disturbed,     // bytes kept coming on the line (see ExchangeStatus::Disturbed)
};

struct CardSendOptions {
    // The port is opened with these when it is closed; a port left open by
    // the caller is used as it is.
    LineParams params;
    std::chrono::milliseconds timeout{2000};
    // Some controllers need a breather: a pause right before the frame
    // goes out and another after a matching echo. Nothing else of the
    // program runs during them.
    std::chrono::milliseconds pauseBeforeSend{0};
    std::chrono::milliseconds pauseAfterEcho{0};
    // Whether a port that will not open comes back with the operator's
    // message ("串口通信端口没有打开") in CardResult::portMessage.
    bool portMessage = true;
    // A run over many cards keeps the line open from card to card: opening
    // a port costs more than a card's frame and echo. The caller closes it
    // when the run ends.
    bool keepOpen = false;

    // The card-issuing window: message on a port failure, no pauses.
    static CardSendOptions issuing(const LineParams& params);
    // The bulk windows (re-send): no message of their own on a port failure.
    static CardSendOptions quiet(const LineParams& params);
    // The extension window: quiet, with the two 100 ms pauses.
    static CardSendOptions paced(const LineParams& params);
};

struct CardResult {
    CardOutcome outcome = CardOutcome::NotAnswered;
    // The physical number as sent (ten digits); empty when refused.
    QString physical;
    // The text to show for a port that would not open, when the options
    // asked for it; empty otherwise.
    QString portMessage;
    // NotAnswered, but the controller's echo came after the wait: it heard
    // the command and may have carried it out.
    bool lateEcho = false;
    bool ok() const { return outcome == CardOutcome::Acknowledged; }
};

// Writes one card into one controller: opens `comm` with options.params
// when it is closed, sends AddCard, waits for the controller's echo (and,
// when none came in time, as long again for a late one) and
// closes the port again whatever came of it (unless options.keepOpen), so
// that several cards in a row open and close the port once each. The physical number is padded to
// ten digits; the caller stores CardResult::physical.
CardResult addtodoor(LinePort& comm, int address, const QString& physical, const QString& card,
                     const CardLimits& limits, const CardSendOptions& options);

// Takes one card (by its six-digit number) out of one controller, the same
// way. portMessage stays empty unless the options ask for it.
CardResult delfromdoor(LinePort& comm, int address, const QString& card, const CardSendOptions& options);

// One read on the card-issuing reader.
struct ReadCardResult {
    enum class Outcome {
        Read,         // `physical` holds the card's ten digits
        PortNotOpen,  // "串口通信端口没有打开"
        NoReply,      // fewer than eight bytes in the time-out: "通信出错"
        BadReply,     // wrong header or card bytes that are not decimal: "通讯出错"
    };
    Outcome outcome = Outcome::NoReply;
    QString physical;
    bool ok() const { return outcome == Outcome::Read; }
    // The operator's message for the outcome; empty after a good read.
    QString message() const;
};

// Closes `comm` if it is open (it may be on the controllers' port), opens it
// on the reader's port with `readerParams`, sends ReadCard to the reader's
// address and waits up to `timeout` for the eight-byte reply. The port is
// closed again after every outcome, so the next command opens it afresh
// with its own parameters.
ReadCardResult ReadCard(LinePort& comm, quint8 readerAddress, const LineParams& readerParams,
                        std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
