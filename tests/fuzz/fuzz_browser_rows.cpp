// A browser database as analysis reads it, on any bytes: opened from memory,
// every kind of record read from it, each turned into a list row. Nothing
// is written back, each row's cells fit the list, and a row never claims
// more text than the file held.
//
// An input may hold a -wal too: the bytes after the first kWalMark are the
// -wal, read with the database through SQLite's own write-ahead log code
// (an input without the mark is a database alone, as the older seeds are).
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/browsers/BrowserRows.h"
#include "formats/SqliteHandles.h"
#include "engine/core/ValueText.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {
constexpr char kWalMark[] = "\n--kestravin-wal--\n";
constexpr size_t kWalMarkSize = sizeof(kWalMark) - 1;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* mark = std::search(data, data + size, kWalMark, kWalMark + kWalMarkSize);
    const size_t dbSize = static_cast<size_t>(mark - data);
    std::vector<uint8_t> bytes(data, mark);
    std::vector<uint8_t> wal;
    if (mark != data + size) wal.assign(mark + kWalMarkSize, data + size);
    const std::vector<uint8_t> walAsCome = wal;
    engine::CSqliteDb db;
    if (!db.OpenCopy(bytes, wal)) return 0;
    std::atomic<bool> go{true};
    const std::u16string path = u"C:\\Users\\김하늘\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\History";
    const engine::BrowserEntry& browser = engine::kBrowsers[1];
    const std::string read = engine::ProfileText(browser, u"Default");
    for (engine::DatabaseKind kind :
         {engine::DatabaseKind::History, engine::DatabaseKind::Logins, engine::DatabaseKind::Forms}) {
        for (const engine::BrowserRecord& record : engine::ReadRecords(db, kind, go)) {
            KV_FUZZ_CHECK(record.key.size() <= size && record.value.size() <= size);
            KV_FUZZ_CHECK(record.data.size() <= 1024);
            const seam::TraceItem row = engine::MakeBrowserRow(record, seam::kRecent, read, path, engine::PathText(path));
            // NAME is the record's own text, kept whole; every cell shown fits.
            KV_FUZZ_CHECK(row.Name() == record.key);
            for (int column = 0; column < seam::kColumnCount; ++column) {
                KV_FUZZ_CHECK(engine::ShownText(row, column).size() <= 259);
            }
            KV_FUZZ_CHECK(row.target.kind == seam::TargetKind::DatabaseRow);
            KV_FUZZ_CHECK(row.target.rowKey == record.key);
        }
    }
    // The copy was opened read-only: the bytes are as they came, but for the
    // journal mode a write-ahead header is read as (without a -wal, or with
    // one SQLite refuses); the -wal's bytes are as they came.
    KV_FUZZ_CHECK(bytes.size() == dbSize);
    for (size_t i = 0; i < dbSize; ++i) {
        if (i == 18 || i == 19) continue;
        KV_FUZZ_CHECK(bytes[i] == data[i]);
    }
    KV_FUZZ_CHECK(wal == walAsCome);
    return 0;
}
