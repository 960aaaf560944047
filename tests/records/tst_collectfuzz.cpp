// Random and cut answers for the record-stream decoder, damaged spool
// files for the spool reader: nothing crashes, nothing hangs, and no
// record is kept that was not whole.

#include "support/LineHome.h"
#include "records/RecordStream.h"
#include "records/SpoolFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

#include <thread>
#include <vector>

namespace {

constexpr quint8 kAddress = 7;

// Mostly well-formed answers, so that the decoder gets deep into them,
// with wrong bytes, random counts and cuts anywhere.
QByteArray randomAnswer(QRandomGenerator& g)
{
    QByteArray b;
    const bool garbage = g.bounded(10) == 0;
    if (garbage) {
        const int n = g.bounded(60);
        for (int i = 0; i < n; ++i)
            b.append(static_cast<char>(g.bounded(256)));
        return b;
    }
    b.append(static_cast<char>(g.bounded(20) == 0 ? g.bounded(256) : kAddress));
    const int count = g.bounded(8) == 0 ? g.bounded(65536) : g.bounded(6);
    b.append(static_cast<char>(count >> 8));
    b.append(static_cast<char>(count & 0xFF));
    const int records = std::min(count + g.bounded(2), 6);
    for (int r = 0; r < records; ++r) {
        b.append(static_cast<char>(g.bounded(15) == 0 ? g.bounded(256) : kAddress));
        for (int i = 0; i < 10; ++i)
            b.append(static_cast<char>(g.bounded(256)));
    }
    if (g.bounded(2) == 0)
        b.truncate(g.bounded(b.size() + 1));
    return b;
}

CollectedRecord randomRecord(QRandomGenerator& g)
{
    CollectedRecord r;
    r.card = QStringLiteral("%1").arg(g.bounded(1000000), 6, 10, QLatin1Char('0'));
    r.date = QDate(2000, 1, 1).addDays(g.bounded(10000));
    r.time = QTime(g.bounded(24), g.bounded(60));
    r.address = g.bounded(100);
    r.flag = static_cast<qint16>(g.bounded(1, 6));
    return r;
}

// Damage of the kinds a crash, a disk or an editor leaves: a cut, bytes
// put in, bytes overwritten. None of them turns a line into another
// well-formed record.
QByteArray damage(QByteArray content, QRandomGenerator& g)
{
    static const char junk[] = {'x', '"', '#', ',', '\r', '\n', '\0', '-', ':', ' ', char(0xE9)};
    static const char over[] = {'x', '"', '#', ',', '\r', '\n', '\0', '-', ':', char(0xE9)};
    const int ops = g.bounded(1, 5);
    for (int k = 0; k < ops && !content.isEmpty(); ++k) {
        const int at = g.bounded(int(content.size()));
        switch (g.bounded(3)) {
        case 0: content.truncate(at); break;
        case 1: content.insert(at, junk[g.bounded(int(sizeof junk))]); break;
        default: content[at] = over[g.bounded(int(sizeof over))]; break;
        }
    }
    return content;
}

// One share of the decoder's cases, with a generator of its own: the
// first wrong outcome, and how many streams reached past their header.
struct DecodeShare {
    QString failure;
    int deep = 0;
};

DecodeShare decodeShare(quint32 seed, int first, int cases)
{
    QRandomGenerator g(seed);
    DecodeShare out;
    for (int n = first; n < first + cases; ++n) {
        const QByteArray bytes = randomAnswer(g);
        const ClampRule rule = n % 2 ? ClampRule::ByHand : ClampRule::Timed;
        RecordStream whole(kAddress, rule);
        const qsizetype taken = whole.feed(bytes);

        // In random chunks: the same.
        RecordStream chunks(kAddress, rule);
        qsizetype takenInChunks = 0;
        for (qsizetype at = 0; at < bytes.size();) {
            const qsizetype len = std::min<qsizetype>(g.bounded(1, 14), bytes.size() - at);
            takenInChunks += chunks.feed(QByteArrayView(bytes).sliced(at, len));
            at += len;
        }
        if (taken != takenInChunks || whole.phase() != chunks.phase() || whole.records() != chunks.records()) {
            out.failure = QStringLiteral("chunks differ for %1").arg(QString::fromLatin1(bytes.toHex()));
            return out;
        }

        const auto& recs = whole.records();
        bool good = taken <= bytes.size() && recs.size() <= whole.announced();
        if (whole.phase() == RecordStream::Phase::Done)
            good = good && taken == 3 + 11 * qsizetype(whole.announced());
        if (!whole.finished())
            good = good && taken == bytes.size();
        for (qsizetype i = 0; good && i < recs.size(); ++i) {
            const qsizetype at = 3 + 11 * i;
            good = at + 11 <= taken && quint8(bytes.at(at)) == kAddress &&
                   AccessRecord::decode(QByteArrayView(bytes).sliced(at + 1, 10), kAddress, rule) == recs.at(i) &&
                   recs.at(i).date.isValid() && recs.at(i).time.isValid();
        }
        if (!good) {
            out.failure = QStringLiteral("wrong outcome for %1").arg(QString::fromLatin1(bytes.toHex()));
            return out;
        }
        out.deep += recs.size() > 1 ? 1 : 0;
    }
    return out;
}

}  // namespace

class TestCollectFuzz : public QObject {
    Q_OBJECT
private slots:
    void decoderKeepsOnlyWholeRecords();
    void spoolReaderKeepsOnlyWholeLines();
};

void TestCollectFuzz::decoderKeepsOnlyWholeRecords()
{
    // A million cases in a fixed number of shares, each on a thread of its
    // own: the cases are the same on any machine, only their time is not.
    constexpr int kShares = 8;
    constexpr int kCases = 1000000 / kShares;
    QList<DecodeShare> shares(kShares);
    std::vector<std::thread> threads;
    for (int i = 0; i < kShares; ++i)
        threads.emplace_back([&shares, i] { shares[i] = decodeShare(20241208 + i, i * kCases, kCases); });
    for (std::thread& t : threads)
        t.join();
    int deep = 0;
    for (const DecodeShare& share : shares) {
        if (!share.failure.isEmpty())
            QFAIL(qPrintable(share.failure));
        deep += share.deep;
    }
    // The streams reached past the header often enough to mean something.
    QVERIFY(deep > 10000);
}

void TestCollectFuzz::spoolReaderKeepsOnlyWholeLines()
{
    QRandomGenerator g(1208);
    TestHome h;
    int damagedSeen = 0;
    for (int n = 0; n < 1000; ++n) {
        QList<CollectedRecord> originals;
        QByteArray content;
        for (int i = 0; i < 20; ++i) {
            originals << randomRecord(g);
            content += SpoolFile::line(originals.last());
        }
        const QByteArray broken = damage(content, g);
        const SpoolFile::Parsed p = SpoolFile::parse(broken);
        QList<CollectedRecord> left = originals;
        for (const CollectedRecord& r : p.records) {
            const qsizetype i = left.indexOf(r);
            if (i < 0)
                QFAIL(qPrintable(QStringLiteral("a record that was never written came from:\n%1").arg(QString::fromLatin1(broken))));
            left.removeAt(i);
        }
        damagedSeen += p.damaged.size();

        // Every tenth goes through the file: the whole lines are stored,
        // the others set aside, and the file is gone.
        if (n % 10 == 0) {
            h.exec(QStringLiteral("DELETE FROM data"));
            QFile::remove(SpoolFile::rejectPath(h.path()));
            QFile f(SpoolFile::path(h.path()));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(broken);
            f.close();
            const SpoolFile::ImportOutcome o = SpoolFile::ImportRecords(h.db(), h.path());
            QCOMPARE(o.status, SpoolFile::ImportOutcome::Status::Imported);
            QCOMPARE(o.lines, int(p.records.size()));
            QCOMPARE(h.scalar(QStringLiteral("SELECT count(*) FROM data")).toInt(), o.stored.stored);
            QCOMPARE(QFile::exists(SpoolFile::rejectPath(h.path())), !p.damaged.isEmpty());
            QVERIFY(!f.exists());
        }
    }
    QVERIFY(damagedSeen > 500);
}

QTEST_GUILESS_MAIN(TestCollectFuzz)
#include "tst_collectfuzz.moc"
