#include "engine/kinds/TraceChoice.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "engine/browsers/BrowserRows.h"
#include "engine/core/Categories.h"
#include "engine/core/StatusTexts.h"

namespace engine {
namespace {

int CategoryOf(const seam::TraceItem& row) {
    const CategoryEntry* entry = CategoryOfCode(row.Code());
    return entry ? static_cast<int>(entry->category) : -1;
}

void SetCounter(EngineState& state, seam::IView& view, seam::Category category, int32_t value) {
    if (state.Count(category) == value) return;
    state.SetCount(category, value);
    view.CounterChanged(category);
}

// What a row is to the rows one removal may take with it.
enum class Role : uint8_t {
    None,   // goes alone
    Peer,   // goes with every peer of its link: the IntelliForms keys, one agent
    Taker,  // a browser's address: takes the search terms typed for it
    Taken,  // a search term: goes with the address it was typed for
};

// Two rows are removed together when their links agree in everything but
// the role, and the roles pair up: peers with peers, an address with its
// terms. Two terms of one address each go alone.
struct Link {
    Role role = Role::None;
    seam::TargetKind kind = seam::TargetKind::None;
    std::string_view name;     // Service: the agent
    std::u16string_view path;  // DatabaseRow: the database
    int64_t id = 0;            // DatabaseRow: the address's row id
};

Link LinkOf(const seam::TraceTarget& target) {
    Link link;
    link.kind = target.kind;
    switch (target.kind) {
    case seam::TargetKind::RegKeyTree:
        link.role = Role::Peer;
        break;
    case seam::TargetKind::Service:
        link.role = Role::Peer;
        link.name = target.name;
        break;
    case seam::TargetKind::DatabaseRow:
        // Every other row of a database (a login, a form entry) goes alone.
        link.path = target.path;
        if (target.name == kTableUrls) {
            link.role = Role::Taker;
            link.id = target.id;
        } else if (target.name == kTableSearchTerms) {
            link.role = Role::Taken;
            link.id = target.parentId;
        }
        break;
    default:
        break;
    }
    return link;
}

bool RolesPair(Role a, Role b) {
    if (a == Role::None || b == Role::None) return false;
    if (a == Role::Peer || b == Role::Peer) return a == b;
    return a != b;
}

// The groups of the choice: rows whose links agree but for the role share
// one. Names and paths are numbered once each, so a key is a few integers
// however long the path.
class GroupIndex {
public:
    int32_t GroupOf(const Link& link) {
        const Key key{link.kind, Number(m_names, link.name), Number(m_paths, link.path), link.id};
        return m_groups.try_emplace(key, static_cast<int32_t>(m_groups.size())).first->second;
    }
    int32_t Count() const { return static_cast<int32_t>(m_groups.size()); }

private:
    struct Key {
        seam::TargetKind kind;
        int32_t name;
        int32_t path;
        int64_t id;
        bool operator==(const Key& o) const { return kind == o.kind && name == o.name && path == o.path && id == o.id; }
    };
    struct KeyHash {
        size_t operator()(const Key& k) const {
            uint64_t h = static_cast<uint64_t>(k.id);
            for (const uint64_t part : {static_cast<uint64_t>(k.name), static_cast<uint64_t>(k.path),
                                        static_cast<uint64_t>(k.kind)})
                h = h * 0x9E3779B97F4A7C15ull + part;
            return static_cast<size_t>(h ^ (h >> 32));  // both halves count where size_t has 32 bits
        }
    };
    // Rows come in runs of one database or one executable: the text the row
    // before numbered is looked at first.
    template <typename Char>
    struct Numbers {
        std::unordered_map<std::basic_string<Char>, int32_t> numbers;
        const std::pair<const std::basic_string<Char>, int32_t>* last = nullptr;
    };
    template <typename Char>
    static int32_t Number(Numbers<Char>& n, std::basic_string_view<Char> text) {
        if (!n.last || n.last->first != text) {
            const auto number = static_cast<int32_t>(n.numbers.size());
            n.last = &*n.numbers.try_emplace(std::basic_string<Char>(text), number).first;
        }
        return n.last->second;
    }

    Numbers<char> m_names;
    Numbers<char16_t> m_paths;
    std::unordered_map<Key, int32_t, KeyHash> m_groups;
};

// A row as its removal knows it: by its target, never by the texts it
// shows, which two traces may share. Only a row that names no target (none
// the engine makes) is told by its texts.
struct RowKey {
    seam::TraceTarget target;
    std::array<std::string, seam::kColumnCount> texts;

    explicit RowKey(const seam::TraceItem& row) : target(row.target) {
        if (row.target.kind == seam::TargetKind::None) texts = row.text;
    }
    bool operator==(const RowKey& o) const { return target == o.target && texts == o.texts; }
};

struct RowKeyHash {
    size_t operator()(const RowKey& k) const {
        const seam::TraceTarget& t = k.target;
        size_t h = std::hash<int64_t>{}(t.id) ^ (static_cast<size_t>(t.kind) << 8);
        const auto mix = [&h](size_t part) { h = h * 1000003u ^ part; };
        mix(std::hash<std::string>{}(t.key));
        mix(std::hash<std::string>{}(t.name));
        mix(std::hash<std::u16string>{}(t.path));
        mix(std::hash<std::u16string>{}(t.wideName));
        mix(std::hash<std::string>{}(t.rowKey));
        mix(std::hash<uint64_t>{}(t.started));
        for (const std::string& text : k.texts) mix(std::hash<std::string>{}(text));
        return h;
    }
};

}  // namespace

bool RemovedTogether(const seam::TraceItem& a, const seam::TraceItem& b) {
    const Link la = LinkOf(a.target);
    const Link lb = LinkOf(b.target);
    return la.kind == lb.kind && la.name == lb.name && la.path == lb.path && la.id == lb.id &&
           RolesPair(la.role, lb.role);
}

int LeaveOut(EngineState& state, seam::IView& view, const std::vector<seam::TraceItem>& leftOut) {
    seam::ITraceList& list = view.Traces();
    list.Flush();
    // Each left-out row by its target, with how many of it are still to be found.
    std::unordered_map<RowKey, int, RowKeyHash> pending;
    for (const seam::TraceItem& item : leftOut) ++pending[RowKey(item)];
    std::array<int32_t, seam::kCategoryCount> removed{};
    std::array<int32_t, seam::kCategoryCount> kept{};
    int n = list.Count();
    for (int i = 0; i < n;) {
        const seam::TraceItem row = list.Read(i);
        const int category = CategoryOf(row);
        const auto match = pending.find(RowKey(row));
        if (match == pending.end()) {
            if (category >= 0) ++kept[static_cast<size_t>(category)];
            ++i;
            continue;
        }
        if (--match->second == 0) pending.erase(match);
        list.Delete(i);
        --n;
        if (category >= 0) ++removed[static_cast<size_t>(category)];
    }
    list.Flush();

    for (int c = 0; c < seam::kCategoryCount; ++c) {
        const auto category = static_cast<seam::Category>(c);
        const size_t k = static_cast<size_t>(c);
        if (removed[k] == 0) continue;
        const int32_t lowered = state.Count(category) - removed[k];
        SetCounter(state, view, category, kept[k] == 0 ? 0 : std::max(lowered, int32_t{1}));
    }

    if (n > 0) return n;
    for (int c = 0; c < seam::kCategoryCount; ++c) SetCounter(state, view, static_cast<seam::Category>(c), 0);
    state.m_bAnalysed.store(false);
    state.SetStatusText(StatusWaiting());
    view.StatusChanged();
    view.SetProgress(0);
    view.SetActionFace(seam::ActionFace::Analyse);
    return 0;
}

CTraceChoice::CTraceChoice(seam::ITraceList& list) {
    const int n = std::max(list.Count(), 0);
    m_rows.resize(static_cast<size_t>(n));
    m_nTicked = n;
    GroupIndex index;
    for (int i = 0; i < n; ++i) {
        const seam::TraceItem row = list.Read(i);
        const Link link = LinkOf(row.target);
        if (link.role == Role::None) continue;
        RowChoice& choice = m_rows[static_cast<size_t>(i)];
        choice.role = static_cast<uint8_t>(link.role);
        choice.group = index.GroupOf(link);
    }
    // Each group's rows side by side, its addresses first, then in list order.
    m_groupStart.assign(static_cast<size_t>(index.Count()) + 1, 0);
    for (const RowChoice& row : m_rows)
        if (row.group >= 0) ++m_groupStart[static_cast<size_t>(row.group) + 1];
    for (size_t g = 1; g < m_groupStart.size(); ++g) m_groupStart[g] += m_groupStart[g - 1];
    m_members.resize(static_cast<size_t>(m_groupStart.back()));
    std::vector<int32_t> next(m_groupStart.begin(), m_groupStart.end() - 1);
    for (const bool bTakers : {true, false}) {
        for (size_t i = 0; i < m_rows.size(); ++i) {
            const RowChoice& row = m_rows[i];
            if (row.group < 0 || (static_cast<Role>(row.role) == Role::Taker) != bTakers) continue;
            m_members[static_cast<size_t>(next[static_cast<size_t>(row.group)]++)] = static_cast<int32_t>(i);
        }
    }
}

bool CTraceChoice::IsTicked(int row) const {
    return row >= 0 && static_cast<size_t>(row) < m_rows.size() && m_rows[static_cast<size_t>(row)].bTicked;
}

void CTraceChoice::Tick(size_t row, bool bTicked) {
    if (m_rows[row].bTicked == bTicked) return;
    m_rows[row].bTicked = bTicked;
    m_nTicked += bTicked ? 1 : -1;
}

// Ticking every row, one by one, stays linear: peers always share their tick
// (a peer that shows it already has every peer showing it), an address looks
// at its own terms, and a term no further than its group's addresses, which
// come first.
void CTraceChoice::SetTicked(int row, bool bTicked) {
    if (row < 0 || static_cast<size_t>(row) >= m_rows.size()) return;
    const size_t index = static_cast<size_t>(row);
    const RowChoice& choice = m_rows[index];
    const auto role = static_cast<Role>(choice.role);
    if (role == Role::Peer && choice.bTicked == bTicked) return;
    Tick(index, bTicked);
    if (choice.group < 0) return;
    const size_t group = static_cast<size_t>(choice.group);
    for (int32_t k = m_groupStart[group]; k < m_groupStart[group + 1]; ++k) {
        const auto other = static_cast<size_t>(m_members[static_cast<size_t>(k)]);
        const auto otherRole = static_cast<Role>(m_rows[other].role);
        if (role == Role::Taken && otherRole != Role::Taker) break;
        if (other != index && RolesPair(role, otherRole)) Tick(other, bTicked);
    }
}

std::vector<seam::TraceItem> CTraceChoice::Unticked(seam::ITraceList& list) const {
    std::vector<seam::TraceItem> rows;
    rows.reserve(m_rows.size() - static_cast<size_t>(m_nTicked));
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (!m_rows[i].bTicked) rows.push_back(list.Read(static_cast<int>(i)));
    return rows;
}

int CTraceChoice::LeaveOut(EngineState& state, seam::IView& view) const {
    return engine::LeaveOut(state, view, Unticked(view.Traces()));
}

}  // namespace engine
