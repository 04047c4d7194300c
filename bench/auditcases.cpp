#include "baseline.h"
#include "cases.h"
#include "data/audit.h"

#include <QObject>

#include <array>
#include <string>

#include <sodium.h>

namespace velmora::bench {

namespace {

constexpr const char* kEntries = "select seq, changed_at, operator_name, table_name, row_key, "
                                 "job, before_value, after_value, hash from audit_trail "
                                 "order by seq";
constexpr int kHashed = 9; // the eight fields and the hash before

// The hash of one field as the trail chains it: N for NULL, else T, its length, : and its bytes.
void addField(crypto_hash_sha256_state* state, const unsigned char* bytes, int length, bool null)
{
    if (null) {
        crypto_hash_sha256_update(state, reinterpret_cast<const unsigned char*>("N"), 1);
        return;
    }
    const std::string head = "T" + std::to_string(length) + ":";
    crypto_hash_sha256_update(state, reinterpret_cast<const unsigned char*>(head.data()),
                              head.size());
    crypto_hash_sha256_update(state, bytes, size_t(length));
}

// The baseline: every entry read as C values and its hash computed over its fields and the
// hash before it, compared with the stored one.
bool checkDirectly(sqlite3_stmt* entries, QString* error)
{
    std::string previous;
    std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
    std::array<char, crypto_hash_sha256_BYTES * 2 + 1> hex{};
    int step = SQLITE_ROW;
    bool first = true;
    while ((step = sqlite3_step(entries)) == SQLITE_ROW) {
        crypto_hash_sha256_state state;
        crypto_hash_sha256_init(&state);
        for (int column = 0; column < kHashed - 1; ++column) {
            const unsigned char* bytes = sqlite3_column_text(entries, column);
            addField(&state, bytes, sqlite3_column_bytes(entries, column),
                     sqlite3_column_type(entries, column) == SQLITE_NULL);
        }
        addField(&state, reinterpret_cast<const unsigned char*>(previous.data()),
                 int(previous.size()), first);
        crypto_hash_sha256_final(&state, digest.data());
        sodium_bin2hex(hex.data(), hex.size(), digest.data(), digest.size());
        const auto* stored = reinterpret_cast<const char*>(sqlite3_column_text(entries, 8));
        if (!stored || previous.assign(stored) != hex.data()) {
            *error = QObject::tr("Entry %1 of the trail does not match its hash.")
                         .arg(sqlite3_column_int64(entries, 0));
            sqlite3_reset(entries);
            return false;
        }
        first = false;
    }
    return finish(entries, step, error);
}

bool checkOurs(const QSqlDatabase& db, QString* error)
{
    QString fault;
    if (!checkAuditTrail(db, &fault, error))
        return false;
    *error = fault;
    return fault.isEmpty();
}

} // namespace

std::optional<Timed> setUpCheckAuditTrail(Fixture& fixture, QString* error)
{
    const Statement entries = prepare(fixture.handle, kEntries, error);
    if (!entries || !checkOurs(fixture.db, error) || !checkDirectly(entries.get(), error))
        return std::nullopt;
    Timed timed;
    timed.ours = [db = fixture.db](QString* reason) { return checkOurs(db, reason); };
    timed.baseline = [entries](QString* reason) { return checkDirectly(entries.get(), reason); };
    return timed;
}

} // namespace velmora::bench
