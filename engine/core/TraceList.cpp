#include "engine/core/TraceList.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "engine/core/ValueText.h"

namespace engine {

// Both called with the lock held.
const std::string* CTraceList::Shared(const std::string& text, SharedSlot slot) {
    const std::string*& last = m_pLastShared[slot];
    if (!last || *last != text) last = &*m_shared.insert(text).first;
    return last;
}

const std::u16string* CTraceList::SharedPath(const std::u16string& path) {
    // char_traits<char16_t> compares unit by unit; the bytes say the same at memcmp's pace.
    const bool bSame = m_pLastPath && m_pLastPath->size() == path.size() &&
                       std::memcmp(m_pLastPath->data(), path.data(), path.size() * sizeof(char16_t)) == 0;
    if (!bSame) m_pLastPath = &*m_sharedPaths.insert(path).first;
    return m_pLastPath;
}

int CTraceList::Count() { return m_nCount.load(); }

void CTraceList::InsertTop(const seam::TraceItem& item) {
    const seam::TraceTarget& target = item.target;
    const std::string& name = item.text[seam::kColName];
    const std::string& value = item.text[seam::kColValue];
    const std::string& data = item.text[seam::kColData];
    const bool bKeyIsName = !target.rowKey.empty() && target.rowKey == name;
    NameFrom nameFrom = NameFrom::Own;
    if (target.name == value) {
        nameFrom = NameFrom::Value;
    } else if (target.name == name) {
        nameFrom = NameFrom::Name;
    }
    // Equal texts show alike only when both are kept the same way.
    const bool bDataIsName = data == name && ((item.utf8Columns >> seam::kColData) & 1) ==
                                                 ((item.utf8Columns >> seam::kColName) & 1);
    std::unique_ptr<Rare> rare;
    if (!target.wideName.empty() || (!target.rowKey.empty() && !bKeyIsName) || !target.rowValue.empty() ||
        target.started != 0)
        rare.reset(new Rare{target.wideName, bKeyIsName ? std::string() : target.rowKey, target.rowValue,
                            target.started});
    std::string own;
    own.reserve(name.size() + value.size() + (bDataIsName ? 0 : data.size()) +
                (nameFrom == NameFrom::Own ? target.name.size() : 0));
    own += name;
    own += value;
    if (!bDataIsName) own += data;
    if (nameFrom == NameFrom::Own) own += target.name;

    std::lock_guard<std::mutex> hold(m_lock);
    // Made in its place: a row built aside and moved in costs a second
    // pass over it, which tens of thousands of rows notice.
    Row& row = m_rows.emplace_front();
    row.read = Shared(item.text[seam::kColRead], kSlotRead);
    row.code = Shared(item.text[seam::kColCode], kSlotCode);
    row.regKey = Shared(item.text[seam::kColRegKey], kSlotRegKey);
    row.targetKey = Shared(target.key, kSlotTargetKey);
    row.path = target.path.empty() ? nullptr : SharedPath(target.path);
    row.id = target.id;
    row.parentId = target.parentId;
    row.own = std::move(own);
    row.nameBytes = static_cast<uint32_t>(name.size());
    row.valueBytes = static_cast<uint32_t>(value.size());
    row.dataBytes = bDataIsName ? 0 : static_cast<uint32_t>(data.size());
    row.rare = std::move(rare);
    row.kind = target.kind;
    row.root = target.root;
    row.nameFrom = nameFrom;
    row.bDataIsName = bDataIsName;
    row.bKeyIsName = bKeyIsName;
    row.utf8Columns = item.utf8Columns;
    m_nCount.store(static_cast<int>(m_rows.size()));
}

std::string_view CTraceList::TextOf(const Row& row, int column) {
    const std::string_view own = row.own;
    switch (column) {
    case seam::kColName:
        return own.substr(0, row.nameBytes);
    case seam::kColRead:
        return *row.read;
    case seam::kColCode:
        return *row.code;
    case seam::kColRegKey:
        return *row.regKey;
    case seam::kColValue:
        return own.substr(row.nameBytes, row.valueBytes);
    default:
        return row.bDataIsName ? own.substr(0, row.nameBytes)
                               : own.substr(row.nameBytes + row.valueBytes, row.dataBytes);
    }
}

std::string_view CTraceList::TargetNameOf(const Row& row) {
    switch (row.nameFrom) {
    case NameFrom::Value:
        return TextOf(row, seam::kColValue);
    case NameFrom::Name:
        return TextOf(row, seam::kColName);
    default:
        return std::string_view(row.own).substr(row.nameBytes + row.valueBytes + row.dataBytes);
    }
}

seam::TraceItem CTraceList::Expand(const Row& row) {
    seam::TraceItem item;
    for (int column = 0; column < seam::kColumnCount; ++column) item.text[column] = std::string(TextOf(row, column));
    item.utf8Columns = row.utf8Columns;
    seam::TraceTarget& target = item.target;
    target.kind = row.kind;
    target.root = row.root;
    target.key = *row.targetKey;
    target.name = std::string(TargetNameOf(row));
    if (row.path) target.path = *row.path;
    target.id = row.id;
    target.parentId = row.parentId;
    if (row.bKeyIsName) target.rowKey = item.text[seam::kColName];
    if (row.rare) {
        target.wideName = row.rare->wideName;
        if (!row.bKeyIsName) target.rowKey = row.rare->rowKey;
        target.rowValue = row.rare->rowValue;
        target.started = row.rare->started;
    }
    return item;
}

// A row past the end reads as six empty texts, as a list control answers.
seam::TraceItem CTraceList::Read(int index) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (index < 0 || static_cast<size_t>(index) >= m_rows.size()) return seam::TraceItem{};
    return Expand(m_rows[static_cast<size_t>(index)]);
}

void CTraceList::Delete(int index) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (index < 0 || static_cast<size_t>(index) >= m_rows.size()) return;
    m_rows.erase(m_rows.begin() + index);
    m_nCount.store(static_cast<int>(m_rows.size()));
    // The shared texts outlive their rows only while some row is left.
    if (m_rows.empty()) {
        m_shared.clear();
        m_sharedPaths.clear();
        std::fill(std::begin(m_pLastShared), std::end(m_pLastShared), nullptr);
        m_pLastPath = nullptr;
    }
}

size_t CTraceList::CopyText(int index, int column, char* buffer, size_t capacity) const {
    if (capacity == 0) return 0;
    size_t length = 0;
    // A text kept as UTF-8 is converted once the lock is let go; only as
    // much as a cell is made from is copied out for it.
    std::string utf8;
    bool bUtf8 = false;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (index >= 0 && static_cast<size_t>(index) < m_rows.size() && column >= 0 &&
            column < seam::kColumnCount) {
            const Row& row = m_rows[static_cast<size_t>(index)];
            const std::string_view held = TextOf(row, column);
            bUtf8 = (row.utf8Columns >> column) & 1;
            if (bUtf8) {
                utf8 = CutUtf8(held, kUtf8ShownBytes);
            } else {
                length = std::min(held.size(), capacity - 1);
                std::memcpy(buffer, held.data(), length);
            }
        }
    }
    if (bUtf8) {
        const std::string shown = CellTextOfUtf8(utf8);
        length = std::min(shown.size(), capacity - 1);
        std::memcpy(buffer, shown.data(), length);
    }
    buffer[length] = '\0';
    return length;
}

std::vector<seam::TraceItem> CTraceList::Rows() const {
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<seam::TraceItem> rows;
    rows.reserve(m_rows.size());
    for (const Row& row : m_rows) rows.push_back(Expand(row));
    return rows;
}

}  // namespace engine
