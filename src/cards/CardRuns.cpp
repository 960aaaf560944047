#include "cards/CardRuns.h"

using namespace std::chrono_literals;

namespace {

// The line is released however a run ends.
struct Release {
    LinePort& port;
    ~Release() { port.close(); }
};

// Once the database has failed a pair, no further controller may come to
// hold a card `faka` does not list, or lose one it does.
bool stopsRun(PairOutcome outcome)
{
    return outcome == PairOutcome::DatabaseFailed || outcome == PairOutcome::ReadFailed;
}

// Tells the caller of a pair the database failed, with the controllers
// `rest` the run will not ask (this pair's own too when nothing was sent).
RunStep stopped(const PairAnswer& answer, RunPair pair, const QList<int>& rest)
{
    if (pair.outcome == PairOutcome::ReadFailed)
        pair.notAsked.append(pair.address);
    for (int a : rest) {
        if (!pair.notAsked.contains(a))
            pair.notAsked.append(a);
    }
    answer(pair);
    return RunStep::Stop;
}

// Sends one pair until the caller's answer is not Retry; the answer and
// the pair's last outcome. `rest` are the controllers of the pairs after it.
template <typename Send>
std::pair<RunStep, PairOutcome> settle(CardRunSink& sink, const PairAnswer& answer, RunPair pair, Send send,
                                       const QList<int>& rest = {}, int* done = nullptr)
{
    for (;;) {
        sink.exchanging(true);
        pair.outcome = send();
        sink.exchanging(false);
        if (stopsRun(pair.outcome))
            return {stopped(answer, pair, rest), pair.outcome};
        if (done && pair.outcome == PairOutcome::Done)
            ++*done;
        const RunStep step = answer(pair);
        if (step != RunStep::Retry)
            return {step, pair.outcome};
    }
}

}  // namespace

namespace CardRuns {

ResendResult resend(LinePort& port, const LineParams& params, QSqlDatabase db, int address, CardRunSink& sink,
                    const PairAnswer& answer)
{
    using End = ResendResult::End;
    ResendResult r;
    // The line is held for the whole run, so no other window can slip a
    // command in between two cards.
    Release release{port};
    if (!port.open(params).ok()) {
        r.end = End::PortNotOpen;
        return r;
    }
    sink.exchanging(true);
    r.cleared = ClearLists(port, address, 3000ms);
    sink.exchanging(false);
    switch (r.cleared) {
    case LineOutcome::Ok: break;
    case LineOutcome::WrongAnswer:
    case LineOutcome::Late:
    case LineOutcome::Disturbed: r.end = End::ClearInDoubt; return r;
    case LineOutcome::PortNotOpen:
    case LineOutcome::PortFailed:
    case LineOutcome::Busy: r.end = End::PortNotOpen; return r;
    default: r.end = End::NotCleared; return r;
    }

    const std::optional<QList<CardLists::StoredCard>> cards = CardLists::storedCards(db, address);
    if (!cards || cards->isEmpty()) {
        r.end = cards ? End::NoCards : End::Unreadable;
        return r;
    }
    r.total = static_cast<int>(cards->size());
    sink.begin(r.total);
    int n = 0;
    for (const CardLists::StoredCard& stored : *cards) {
        if (!sink.advance(++n)) {
            r.end = End::Stopped;
            break;
        }
        RunPair pair{address, stored.card, PairOutcome::NotHeld, stored.row, {}};
        if (!stored.row) {
            ++r.unsendable;
            if (answer(pair) == RunStep::Stop) {
                r.end = End::Stopped;
                break;
            }
            continue;
        }
        FakaRow row = *stored.row;
        const auto [step, outcome] = settle(sink, answer, pair, [&] {
            return CardLists::pairOutcome(CardListLine::add(port, params, address, row.physical, row.card, row.limits));
        });
        r.sent += outcome == PairOutcome::Done;
        r.unsendable += outcome == PairOutcome::Refused;
        if (step == RunStep::Stop) {
            r.end = End::Stopped;
            break;
        }
    }
    sink.finish();
    return r;
}

RunResult removeCards(LinePort& port, const LineParams& params, QSqlDatabase db, const QList<CardAt>& pairs,
                      const QDate& today, CardRunSink& sink, const PairAnswer& answer)
{
    Release release{port};
    RunResult r;
    r.total = static_cast<int>(pairs.size());
    sink.begin(r.total);
    int n = 0;
    for (const CardAt& at : pairs) {
        QList<int> rest;
        for (const CardAt& later : pairs.mid(n + 1))
            rest.append(later.address);
        if (!sink.advance(++n) ||
            settle(
                sink, answer, RunPair{at.address, at.card.trimmed(), PairOutcome::Done, std::nullopt, {}},
                [&] { return CardLists::removeCard(port, params, db, at.address, at.card, today); }, rest, &r.done)
                    .first == RunStep::Stop) {
            r.end = RunEnd::Stopped;
            break;
        }
    }
    sink.finish();
    return r;
}

RunResult extendCards(LinePort& port, const LineParams& params, QSqlDatabase db, const QList<SourceCard>& sources,
                      const QList<int>& targets, const ExtensionLimits& limits, CardRunSink& sink,
                      const PairAnswer& answer)
{
    Release release{port};
    RunResult r;
    r.total = static_cast<int>(sources.size() * targets.size());
    sink.begin(r.total);
    int n = 0;
    const qsizetype pairs = sources.size() * targets.size();
    for (const SourceCard& source : sources) {
        for (int address : targets) {
            RunPair pair{address, source.card, PairOutcome::Done, std::nullopt, {}};
            QString physical = source.physical;
            RunStep step = RunStep::Next;
            // The targets of the pairs after this one.
            QList<int> rest;
            for (qsizetype later = n + 1; later < pairs && rest.size() < targets.size(); ++later)
                rest.append(targets[later % targets.size()]);
            std::optional<bool> issued;
            if (!sink.advance(++n)) {
                step = RunStep::Stop;
            } else if (!(issued = CardLists::isIssued(db, address, source.card))) {
                pair.outcome = PairOutcome::ReadFailed;
                step = stopped(answer, pair, rest);
            } else if (*issued) {
                pair.outcome = PairOutcome::AlreadyHeld;
                step = answer(pair);
            } else {
                step = settle(
                           sink, answer, pair,
                           [&] { return CardLists::extendCard(port, params, db, address, physical, source.card, limits); },
                           rest, &r.done)
                           .first;
            }
            if (step == RunStep::Stop) {
                sink.finish();
                r.end = RunEnd::Stopped;
                return r;
            }
        }
    }
    sink.finish();
    return r;
}

}  // namespace CardRuns
