// The trace list: every trace the last analysis found, newest on top, each
// its six display texts and the target that cleaning removes. The engine
// owns it; a window shows it (the main window's hidden list control asks it
// for each text it needs), and the engine runs as well with no window at all.
//
// A pass's worker writes it while the window thread reads it, so every call
// takes the list's lock, and none holds it for longer than one row's copy.
//
// Tens of thousands of rows: each is held once, compactly. Texts that many
// rows share (the READ label, the CODE, the REGKEY text and the target's key)
// are kept once for all of them; a DATA text equal to NAME and a target name
// equal to VALUe or NAME are not kept twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
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

    // Copies text `column` of row `index` into `buffer` (`capacity` bytes,
    // terminator included), cut to fit; an index or column out of range
    // gives the empty text. Returns the bytes copied.
    size_t CopyText(int index, int column, char* buffer, size_t capacity) const;
    // Every row, top first: one consistent copy.
    std::vector<seam::TraceItem> Rows() const;

private:
    // What few rows need: kept aside so that the common row does not pay for it.
    struct Rare {
        std::u16string wideName;
        std::u16string path;
        int64_t id = 0;
        std::string rowKey;  // a database row's own texts (see seam::TraceTarget)
        std::string rowValue;
        int64_t parentId = 0;
    };
    // Where a row's target name comes from.
    enum class NameFrom : uint8_t { Own, Value, Name };
    struct Row {
        const std::string* read;
        const std::string* code;
        const std::string* regKey;
        const std::string* targetKey;
        std::string name;
        std::string value;
        std::string data;        // empty when bDataIsName
        std::string targetName;  // empty unless nameFrom is Own
        std::unique_ptr<Rare> rare;
        seam::TargetKind kind;
        seam::RegRoot root;
        NameFrom nameFrom;
        bool bDataIsName;
    };

    const std::string* Shared(const std::string& text);
    static const std::string& TextOf(const Row& row, int column);
    static seam::TraceItem Expand(const Row& row);

    mutable std::mutex m_lock;
    std::deque<Row> m_rows;  // top first: both ends change in O(1)
    // Node-based: a text's address stays put while others are added.
    std::unordered_set<std::string> m_shared;
};

}  // namespace engine
