#pragma once
#include "cards/CardLists.h"
#include "doors/ControllerLine.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <functional>
#include <optional>

// The runs over many cards and controllers: re-sending one controller's
// list (发卡信息重整), taking cards off controllers (压缩卡机) and writing
// issued cards into further controllers (增扩卡机). Each run holds the line
// from its first card to its last and closes the port when it ends; it
// shows nothing itself. It tells its sink how far it has come and asks
// its caller after every pair what to do next.

// Where a run shows its progress. A window's sink also lets the window's
// events run between two cards: that is the one place a run yields.
class CardRunSink {
public:
    virtual ~CardRunSink() = default;
    virtual void begin(int total) { (void)total; }
    // Before the pair numbered `done` (from 1); false when the operator
    // has asked the run to stop, which it does before that pair.
    virtual bool advance(int done) = 0;
    virtual void finish() {}
    // Around each exchange with a controller.
    virtual void exchanging(bool on) { (void)on; }
};

// One card on one controller, as a run came to it.
struct RunPair {
    int address = 0;
    QString card;
    PairOutcome outcome = PairOutcome::Done;
    // A re-sent card: its stored row, when it could be read.
    std::optional<FakaRow> row;
    // A pair the database failed (DatabaseFailed, ReadFailed) ends the run
    // whatever the answer: the controllers the run did not go on to.
    QList<int> notAsked;
};

// What the run does after a pair: the next pair, the same card again, or
// an end before the next pair.
enum class RunStep { Next, Retry, Stop };
using PairAnswer = std::function<RunStep(const RunPair&)>;

enum class RunEnd { Finished, Stopped };

// How a removal or an extension ended, and how many of its pairs a
// controller acknowledged and the database took.
struct RunResult {
    RunEnd end = RunEnd::Finished;
    int total = 0;
    int done = 0;
};

namespace CardRuns {

struct ResendResult {
    enum class End {
        PortNotOpen,
        NotCleared,    // ClearLists went unanswered (`cleared` says how)
        // The echo to ClearLists came late or from another address, or was
        // lost in a disturbed line (`cleared` says which): the lists may be
        // empty now.
        ClearInDoubt,
        Unreadable,    // the lists are cleared, but faka could not be read
        NoCards,       // the lists are cleared and faka holds nothing for them
        Stopped,
        Finished,
    };
    End end = End::Finished;
    LineOutcome cleared = LineOutcome::Ok;
    int total = 0;       // the stored cards
    int sent = 0;        // acknowledged
    int unsendable = 0;  // rows that no re-send can write
};

// Clears the controller's card lists, then sends it every card faka
// holds for it, in card order. A pair that is not acknowledged is
// answered by `answer` (Retry sends it again); the outcomes Refused (a row
// that cannot be put into AddCard) and PairOutcome::NotHeld (a row that
// cannot be read) count as unsendable and go on.
ResendResult resend(LinePort& port, const LineParams& params, QSqlDatabase db, int address, CardRunSink& sink,
                    const PairAnswer& answer);

// Takes each card off its controller, in the order given; a pair's history
// row and removal from faka follow its acknowledgement.
struct CardAt {
    int address = 0;
    QString card;
};
RunResult removeCards(LinePort& port, const LineParams& params, QSqlDatabase db, const QList<CardAt>& pairs,
                   const QDate& today, CardRunSink& sink, const PairAnswer& answer);

// Writes every source card into every target controller, sources first;
// a pair faka already holds comes to `answer` as PairOutcome::AlreadyHeld
// without a send.
RunResult extendCards(LinePort& port, const LineParams& params, QSqlDatabase db, const QList<SourceCard>& sources,
                   const QList<int>& targets, const ExtensionLimits& limits, CardRunSink& sink,
                   const PairAnswer& answer);

}  // namespace CardRuns
