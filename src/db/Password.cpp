#include "db/Password.h"

#include "db/Transaction.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStringList>

#include <argon2.h>

#include <cstdlib>
#include <optional>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {

constexpr int kSaltLength = 16;
constexpr int kHashLength = 32;

// PBKDF2 rows of databases made before Argon2id.
constexpr char kPbkdf2[] = "pbkdf2-sha256";
constexpr int kPbkdf2KeyLength = 32;
// A damaged iteration count must not hold the login for minutes.
constexpr int kPbkdf2MaxIterations = 1'000'000;

// Bounds a stored Argon2id digest must keep before it is computed: a
// damaged or forged field must neither exhaust the memory nor take
// minutes. The upper bounds leave room to raise the parameters of new
// digests many times over.
constexpr quint32 kMaxMemoryKiB = 1024 * 1024;
constexpr quint32 kMaxPasses = 64;
constexpr quint32 kMaxLanes = 16;

QByteArray normalised(const QString& password)
{
    return password.trimmed().toLower().toUtf8();
}

// Compares without stopping at the first difference.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return diff == 0;
}

struct Argon2Digest {
    quint32 memoryKiB = 0;
    quint32 passes = 0;
    quint32 lanes = 0;
    QByteArray salt;
    QByteArray hash;
};

// The standard encoding writes salt and hash in base64 without padding.
QByteArray toBase64(const QByteArray& bytes)
{
    return bytes.toBase64(QByteArray::Base64Encoding | QByteArray::OmitTrailingEquals);
}

// Only the one spelling that encodes `text` is taken, as libargon2 does.
std::optional<QByteArray> fromBase64(const QString& text)
{
    QByteArray padded = text.toLatin1();
    while (padded.size() % 4)
        padded += '=';
    const auto decoded = QByteArray::fromBase64Encoding(padded, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || toBase64(*decoded) != text.toLatin1())
        return std::nullopt;
    return *decoded;
}

QString encode(const Argon2Digest& d)
{
    return QStringLiteral("$argon2id$v=19$m=%1,t=%2,p=%3$%4$%5")
        .arg(d.memoryKiB)
        .arg(d.passes)
        .arg(d.lanes)
        .arg(QString::fromLatin1(toBase64(d.salt)), QString::fromLatin1(toBase64(d.hash)));
}

// A stored Argon2id digest, or nothing when the field is not one within
// the bounds.
std::optional<Argon2Digest> decode(const QString& stored)
{
    static const QRegularExpression form(QStringLiteral(
        "^\\$argon2id\\$v=19\\$m=([0-9]{1,10}),t=([0-9]{1,10}),p=([0-9]{1,10})\\$([A-Za-z0-9+/]+)\\$([A-Za-z0-9+/]+)$"));
    const QRegularExpressionMatch m = form.match(stored);
    if (!m.hasMatch())
        return std::nullopt;
    const qulonglong memory = m.captured(1).toULongLong();
    const qulonglong passes = m.captured(2).toULongLong();
    const qulonglong lanes = m.captured(3).toULongLong();
    if (lanes < 1 || lanes > kMaxLanes || passes < 1 || passes > kMaxPasses || memory < 8 * lanes ||
        memory > kMaxMemoryKiB)
        return std::nullopt;
    const std::optional<QByteArray> salt = fromBase64(m.captured(4));
    const std::optional<QByteArray> hash = fromBase64(m.captured(5));
    if (!salt || !hash || salt->size() < ARGON2_MIN_SALT_LENGTH || salt->size() > 64 || hash->size() < 16 ||
        hash->size() > 64)
        return std::nullopt;
    return Argon2Digest{quint32(memory), quint32(passes), quint32(lanes), *salt, *hash};
}

#ifdef Q_OS_LINUX
// The digest reads its memory in an order nobody can foresee, so with
// small pages nearly every read misses the processor's page table cache.
// Huge pages, where the system offers them, make it twice as fast or more
// for the same memory, which is the whole point of its cost.
int allocateHuge(uint8_t** memory, size_t bytes)
{
    constexpr size_t kHugePage = size_t(2) << 20;
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = nullptr;
    if (posix_memalign(&p, kHugePage, rounded) != 0)
        return ARGON2_MEMORY_ALLOCATION_ERROR;
    madvise(p, rounded, MADV_HUGEPAGE);
    *memory = static_cast<uint8_t*>(p);
    return ARGON2_OK;
}

void freeHuge(uint8_t* memory, size_t)
{
    std::free(memory);
}
#endif

// The Argon2id hash of `password` with the parameters and salt of `d` and
// the length of its hash; empty when it cannot be computed.
QByteArray argon2id(const QByteArray& password, const Argon2Digest& d)
{
    QByteArray out(d.hash.size(), '\0');
    QByteArray pwd = password;
    QByteArray salt = d.salt;
    argon2_context ctx{};
    ctx.out = reinterpret_cast<uint8_t*>(out.data());
    ctx.outlen = uint32_t(out.size());
    ctx.pwd = reinterpret_cast<uint8_t*>(pwd.data());
    ctx.pwdlen = uint32_t(pwd.size());
    ctx.salt = reinterpret_cast<uint8_t*>(salt.data());
    ctx.saltlen = uint32_t(salt.size());
    ctx.t_cost = d.passes;
    ctx.m_cost = d.memoryKiB;
    ctx.lanes = d.lanes;
    ctx.threads = 1;
    ctx.version = ARGON2_VERSION_13;
#ifdef Q_OS_LINUX
    ctx.allocate_cbk = allocateHuge;
    ctx.free_cbk = freeHuge;
#endif
    if (argon2id_ctx(&ctx) != ARGON2_OK)
        return {};
    return out;
}

bool matchesArgon2(const QByteArray& password, const QString& stored)
{
    const std::optional<Argon2Digest> d = decode(stored);
    if (!d)
        return false;
    const QByteArray computed = argon2id(password, *d);
    return !computed.isEmpty() && sameBytes(computed, d->hash);
}

struct Pbkdf2Digest {
    int iterations = 0;
    QByteArray salt;
    QByteArray key;
};

std::optional<Pbkdf2Digest> pbkdf2Digest(const QString& stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts.at(0) != QLatin1String(kPbkdf2))
        return std::nullopt;
    Pbkdf2Digest d;
    bool ok = false;
    d.iterations = parts.at(1).toInt(&ok);
    if (!ok || d.iterations <= 0 || d.iterations > kPbkdf2MaxIterations)
        return std::nullopt;
    d.salt = QByteArray::fromHex(parts.at(2).toLatin1());
    d.key = QByteArray::fromHex(parts.at(3).toLatin1());
    if (d.salt.isEmpty() || d.key.size() != kPbkdf2KeyLength)
        return std::nullopt;
    return d;
}

bool matchesPbkdf2(const QByteArray& password, const QString& stored)
{
    const std::optional<Pbkdf2Digest> d = pbkdf2Digest(stored);
    if (!d)
        return false;
    return sameBytes(QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password, d->salt, d->iterations,
                                                        kPbkdf2KeyLength),
                     d->key);
}

std::optional<Password::Cost> lowered;

}  // namespace

namespace Password {

Cost cost()
{
    return lowered.value_or(Cost{});
}

void setCost(std::optional<Cost> cost)
{
    lowered = cost;
}

QString digest(const QString& password)
{
    const Cost c = cost();
    Argon2Digest d{c.memoryKiB, c.passes, c.lanes, QByteArray(kSaltLength, Qt::Uninitialized), QByteArray(kHashLength, '\0')};
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(d.salt.data()), d.salt.size() / 4);
    d.hash = argon2id(normalised(password), d);
    // Only a failed allocation of the memory gets here; no digest is
    // better than a weak one, and an empty field matches nothing.
    if (d.hash.isEmpty())
        return {};
    return encode(d);
}

bool matches(const QString& password, const QString& stored)
{
    const QByteArray plain = normalised(password);
    if (stored.startsWith(QLatin1String("$argon2id$")))
        return matchesArgon2(plain, stored);
    if (stored.startsWith(QLatin1String(kPbkdf2)))
        return matchesPbkdf2(plain, stored);
    return false;
}

bool needsUpgrade(const QString& stored)
{
    const std::optional<Argon2Digest> d = decode(stored);
    const Cost c = cost();
    return !d || d->memoryKiB < c.memoryKiB || d->passes < c.passes;
}

void spendCheckTime(const QString& password)
{
    // A well-formed digest with the parameters of a new one, whose hash no
    // password gives: checking against it costs what a real check costs.
    const Cost c = cost();
    const QString nobody = QStringLiteral("$argon2id$v=19$m=%1,t=%2,p=%3$%4$%5")
                               .arg(c.memoryKiB)
                               .arg(c.passes)
                               .arg(c.lanes)
                               .arg(QString(22, QLatin1Char('A')), QString(43, QLatin1Char('A')));
    matchesArgon2(normalised(password), nobody);
}

void upgradeStored(QSqlDatabase db, const QString& table, const QString& column, qint64 rowid,
                   const QString& stored, const QString& password)
{
    if (!needsUpgrade(stored))
        return;
    const QString fresh = digest(password);
    if (fresh.isEmpty())
        return;
    Transaction t(db);
    if (!t.begun())
        return;
    // The names are the program's own, never typed text.
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE \"%1\" SET \"%2\" = ? WHERE rowid = ? AND \"%2\" = ?").arg(table, column));
    q.addBindValue(fresh);
    q.addBindValue(rowid);
    q.addBindValue(stored);
    if (q.exec())
        t.commit();
}

}  // namespace Password
