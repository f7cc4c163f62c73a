#include "engine/TraceList.h"

#include <algorithm>
#include <cstring>

namespace engine {

const std::string* CTraceList::Shared(const std::string& text) { return &*m_shared.insert(text).first; }

int CTraceList::Count() {
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(m_rows.size());
}

void CTraceList::InsertTop(const seam::TraceItem& item) {
    const seam::TraceTarget& target = item.target;
    std::unique_ptr<Rare> rare;
    if (!target.wideName.empty() || !target.path.empty() || target.id != 0 || !target.rowKey.empty() ||
        !target.rowValue.empty() || target.parentId != 0)
        rare.reset(new Rare{target.wideName, target.path, target.id, target.rowKey, target.rowValue, target.parentId});
    NameFrom nameFrom = NameFrom::Own;
    if (target.name == item.text[seam::kColValue]) {
        nameFrom = NameFrom::Value;
    } else if (target.name == item.text[seam::kColName]) {
        nameFrom = NameFrom::Name;
    }
    const bool bDataIsName = item.text[seam::kColData] == item.text[seam::kColName];

    std::lock_guard<std::mutex> hold(m_lock);
    m_rows.push_front(Row{Shared(item.text[seam::kColRead]), Shared(item.text[seam::kColCode]),
                          Shared(item.text[seam::kColRegKey]), Shared(target.key), item.text[seam::kColName],
                          item.text[seam::kColValue], bDataIsName ? std::string() : item.text[seam::kColData],
                          nameFrom == NameFrom::Own ? target.name : std::string(), std::move(rare), target.kind,
                          target.root, nameFrom, bDataIsName});
}

const std::string& CTraceList::TextOf(const Row& row, int column) {
    switch (column) {
    case seam::kColName:
        return row.name;
    case seam::kColRead:
        return *row.read;
    case seam::kColCode:
        return *row.code;
    case seam::kColRegKey:
        return *row.regKey;
    case seam::kColValue:
        return row.value;
    default:
        return row.bDataIsName ? row.name : row.data;
    }
}

seam::TraceItem CTraceList::Expand(const Row& row) {
    seam::TraceItem item;
    for (int column = 0; column < seam::kColumnCount; ++column) item.text[column] = TextOf(row, column);
    seam::TraceTarget& target = item.target;
    target.kind = row.kind;
    target.root = row.root;
    target.key = *row.targetKey;
    target.name = row.nameFrom == NameFrom::Value ? row.value : row.nameFrom == NameFrom::Name ? row.name : row.targetName;
    if (row.rare) {
        target.wideName = row.rare->wideName;
        target.path = row.rare->path;
        target.id = row.rare->id;
        target.rowKey = row.rare->rowKey;
        target.rowValue = row.rare->rowValue;
        target.parentId = row.rare->parentId;
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
    // The shared texts outlive their rows only while some row is left.
    if (m_rows.empty()) m_shared.clear();
}

size_t CTraceList::CopyText(int index, int column, char* buffer, size_t capacity) const {
    if (capacity == 0) return 0;
    std::lock_guard<std::mutex> hold(m_lock);
    size_t length = 0;
    if (index >= 0 && static_cast<size_t>(index) < m_rows.size() && column >= 0 && column < seam::kColumnCount) {
        const std::string& text = TextOf(m_rows[static_cast<size_t>(index)], column);
        length = std::min(text.size(), capacity - 1);
        std::memcpy(buffer, text.data(), length);
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
