// The trace list: every trace the last analysis found, newest on top, each
// its six display texts and the target that cleaning removes. The engine
// owns it; a window shows it (the main window's hidden list control asks it
// for each text it needs), and the engine runs as well with no window at all.
//
// A pass's worker writes it while the window thread reads it, so every call
// that touches a row takes the list's lock, and none holds it for longer
// than one row's copy. Count takes none: the window asks for it on every
// repaint tick of a pass, and a worker that the system sets aside while it
// holds the lock would otherwise keep the window waiting as long.
//
// Tens of thousands of rows: each is held once, compactly. Texts that many
// rows share (the READ label, the CODE, the REGKEY text, the target's key and
// path) are kept once for all of them; a DATA text equal to NAME, a target
// name equal to VALUe or NAME and a database row's key equal to NAME are not
// kept twice, and a row's own texts take one allocation. A scan adds its rows
// in runs that share texts, so each shared text is first looked for where
// the row before found it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "seam/View.h"

namespace engine {

class CTraceList : public seam::ITraceList {
public:
    CTraceList() = default;
    CTraceList(const CTraceList&) = delete;
    CTraceList& operator=(const CTraceList&) = delete;

    // seam::ITraceList. Rows are in the list as soon as InsertTop returns, so
    // Flush has nothing to hand over.
    int Count() override;
    void InsertTop(const seam::TraceItem& row) override;
    seam::TraceItem Read(int index) override;
    void Delete(int index) override;
    void Flush() override {}

    // Copies text `column` of row `index` as the user sees it (a text kept
    // as UTF-8 becomes its code page 949 cell here) into `buffer`
    // (`capacity` bytes, terminator included), cut to fit; an index or
    // column out of range gives the empty text. Returns the bytes copied.
    size_t CopyText(int index, int column, char* buffer, size_t capacity) const;
    // Read gives each row as the list holds it, UTF-8 columns and all;
    // engine/ValueText.h shows it. Every row, top first: one consistent copy.
    std::vector<seam::TraceItem> Rows() const;

private:
    // What few rows need: kept aside so that the common row does not pay for it.
    struct Rare {
        std::u16string wideName;
        std::string rowKey;  // a database row's own texts (see seam::TraceTarget); empty when bKeyIsName
        std::string rowValue;
        uint64_t started = 0;  // a process's start (see seam::TraceTarget)
    };
    // Where a row's target name comes from.
    enum class NameFrom : uint8_t { Own, Value, Name };
    struct Row {
        const std::string* read = nullptr;
        const std::string* code = nullptr;
        const std::string* regKey = nullptr;
        const std::string* targetKey = nullptr;
        const std::u16string* path = nullptr;  // null: no path
        int64_t id = 0;
        int64_t parentId = 0;
        // The row's own texts in one block, one allocation at most: NAME,
        // VALUe, DATA (none when bDataIsName) and the target name (none
        // unless nameFrom is Own), one after the other.
        std::string own;
        uint32_t nameBytes = 0;
        uint32_t valueBytes = 0;
        uint32_t dataBytes = 0;
        std::unique_ptr<Rare> rare;
        seam::TargetKind kind = seam::TargetKind::None;
        seam::RegRoot root = seam::RegRoot::CurrentUser;
        NameFrom nameFrom = NameFrom::Own;
        bool bDataIsName = false;
        bool bKeyIsName = false;
        uint8_t utf8Columns = 0;
    };

    // Where the shared texts of one kind were last found.
    enum SharedSlot { kSlotRead, kSlotCode, kSlotRegKey, kSlotTargetKey, kSlotCount };
    const std::string* Shared(const std::string& text, SharedSlot slot);
    const std::u16string* SharedPath(const std::u16string& path);
    static std::string_view TextOf(const Row& row, int column);
    static std::string_view TargetNameOf(const Row& row);
    static seam::TraceItem Expand(const Row& row);

    mutable std::mutex m_lock;
    std::deque<Row> m_rows;  // top first: both ends change in O(1)
    // m_rows' size, stored under the lock once a change is made.
    std::atomic<int> m_nCount{0};
    // Node-based: a text's address stays put while others are added.
    std::unordered_set<std::string> m_shared;
    std::unordered_set<std::u16string> m_sharedPaths;
    const std::string* m_pLastShared[kSlotCount] = {};
    const std::u16string* m_pLastPath = nullptr;
};

}  // namespace engine
