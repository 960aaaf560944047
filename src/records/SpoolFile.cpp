#include "records/SpoolFile.h"

#include "db/DateText.h"
#include "db/ProgramFolder.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace SpoolFile {

namespace {

constexpr int kCardWidth = 10;
constexpr int kAddressWidth = 6;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads `width` characters of digits followed by blanks between double
// quotes at `pos`.
bool quotedField(QByteArrayView l, qsizetype& pos, int width, QByteArray* digits)
{
    if (pos + width + 2 > l.size() || l.at(pos) != '"' || l.at(pos + width + 1) != '"')
        return false;
    const QByteArrayView f = l.sliced(pos + 1, width);
    qsizetype n = 0;
    while (n < f.size() && isDigit(f.at(n)))
        ++n;
    if (n == 0)
        return false;
    for (qsizetype i = n; i < f.size(); ++i) {
        if (f.at(i) != ' ')
            return false;
    }
    *digits = f.first(n).toByteArray();
    pos += width + 2;
    return true;
}

bool hashField(QByteArrayView l, qsizetype& pos, int width, QByteArray* text)
{
    if (pos + width + 2 > l.size() || l.at(pos) != '#' || l.at(pos + width + 1) != '#')
        return false;
    *text = l.sliced(pos + 1, width).toByteArray();
    pos += width + 2;
    return true;
}

bool comma(QByteArrayView l, qsizetype& pos)
{
    if (pos >= l.size() || l.at(pos) != ',')
        return false;
    ++pos;
    return true;
}

std::optional<CollectedRecord> parseLine(QByteArrayView l)
{
    qsizetype pos = 0;
    QByteArray card, day, time, address;
    if (!quotedField(l, pos, kCardWidth, &card) || !comma(l, pos) || !hashField(l, pos, 10, &day) ||
        !comma(l, pos) || !hashField(l, pos, 8, &time) || !comma(l, pos) ||
        !quotedField(l, pos, kAddressWidth, &address) || !comma(l, pos))
        return std::nullopt;
    const QByteArrayView code = l.sliced(pos);
    if (code.isEmpty() || code.size() > 3)
        return std::nullopt;
    for (char c : code) {
        if (!isDigit(c))
            return std::nullopt;
    }
    CollectedRecord r;
    r.card = QString::fromLatin1(card);
    r.date = QDate::fromString(QString::fromLatin1(day), QStringLiteral("yyyy-MM-dd"));
    r.time = QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm:ss"));
    r.address = address.size() <= 3 ? address.toInt() : 256;
    const int flag = code.toByteArray().toInt();
    if (!r.date.isValid() || !r.time.isValid() || r.address > 255 || flag > 255)
        return std::nullopt;
    r.flag = static_cast<qint16>(flag);
    return r;
}

bool writeAll(QFile& f, const QByteArray& bytes, QString* error)
{
    if (f.write(bytes) != bytes.size() || !f.flush() || ::fsync(f.handle()) != 0) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

}  // namespace

QString path(const QString& programFolder)
{
    return QDir(programFolder).filePath(QLatin1String(ProgramFolder::kSpool));
}

QString rejectPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QLatin1String(ProgramFolder::kRejects));
}

QByteArray line(const CollectedRecord& r)
{
    QByteArray out;
    out += '"' + r.card.toLatin1().leftJustified(kCardWidth, ' ', true) + '"';
    out += ",#" + DateText::fromDate(r.date).toLatin1() + '#';
    out += ",#" + DateText::fromTime(r.time).toLatin1() + '#';
    out += ",\"" + QByteArray::number(r.address).leftJustified(kAddressWidth, ' ', true) + '"';
    out += ',' + QByteArray::number(r.flag) + "\r\n";
    return out;
}

Parsed parse(QByteArrayView content)
{
    Parsed p;
    qsizetype start = 0;
    while (start < content.size()) {
        const qsizetype lf = content.indexOf('\n', start);
        const bool ended = lf >= 0;
        const qsizetype end = ended ? lf : content.size();
        QByteArrayView l = content.sliced(start, end - start);
        start = ended ? lf + 1 : content.size();
        const bool crlf = ended && l.endsWith('\r');
        if (crlf)
            l.chop(1);
        if (l.isEmpty() && ended)
            continue;
        const auto r = crlf ? parseLine(l) : std::nullopt;
        if (r)
            p.records.append(*r);
        else
            p.damaged.append(l.toByteArray());
    }
    return p;
}

bool append(const QString& file, const QList<CollectedRecord>& records, QString* error)
{
    QByteArray bytes;
    for (const CollectedRecord& r : records)
        bytes += line(r);
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return writeAll(f, bytes, error);
}

ImportOutcome ImportRecords(QSqlDatabase db, const QString& programFolder)
{
    ImportOutcome o;
    QFile f(path(programFolder));
    if (!f.exists())
        return o;
    if (!f.open(QIODevice::ReadOnly)) {
        o.status = ImportOutcome::Status::ReadFailed;
        o.error = f.errorString();
        return o;
    }
    const QByteArray content = f.readAll();
    f.close();
    const Parsed parsed = parse(content);
    o.lines = static_cast<int>(parsed.records.size());
    o.damaged = static_cast<int>(parsed.damaged.size());

    o.stored = RecordImport::store(db, parsed.records);
    if (!o.stored.ok) {
        o.status = ImportOutcome::Status::StoreFailed;
        o.error = o.stored.error;
        return o;
    }
    // The damaged lines are set aside before the file goes: they are the
    // only trace of those records.
    if (!parsed.damaged.isEmpty()) {
        QFile rej(rejectPath(programFolder));
        QByteArray bytes;
        for (const QByteArray& l : parsed.damaged)
            bytes += l + "\r\n";
        if (!rej.open(QIODevice::WriteOnly | QIODevice::Append) || !writeAll(rej, bytes, &o.error)) {
            if (o.error.isEmpty())
                o.error = rej.errorString();
            o.status = ImportOutcome::Status::RejectFailed;
            return o;
        }
    }
    if (!f.remove()) {
        o.status = ImportOutcome::Status::RemoveFailed;
        o.error = f.errorString();
        return o;
    }
    o.status = ImportOutcome::Status::Imported;
    return o;
}

}  // namespace SpoolFile
