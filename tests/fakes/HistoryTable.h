// The usage-history source table as tests pick from it: a source is found by
// what it is (its kind, its label, the value it reads), never by a copy of
// its key path, so the tests follow the table.
#pragma once

#include <stdexcept>
#include <string>

#include "engine/HistorySources.h"
#include "seam/Text.h"

namespace kv::fakes {

template <typename Pick>
const HistorySource& NthSource(Pick pick, size_t nth = 0) {
    for (const HistorySource& source : HistorySources()) {
        if (pick(source) && nth-- == 0) return source;
    }
    throw std::out_of_range("no such history source");
}

// The nth source (0 first) of this kind.
inline const HistorySource& SourceOfKind(HistorySourceKind kind, size_t nth = 0) {
    return NthSource([kind](const HistorySource& s) { return s.kind == kind; }, nth);
}

// The nth source with this label (UTF-8 here) and kind.
inline const HistorySource& SourceLabelled(const char* labelUtf8, HistorySourceKind kind, size_t nth = 0) {
    const std::string label = Cp949FromUtf8(labelUtf8);
    return NthSource([&](const HistorySource& s) { return s.label == label && s.kind == kind; }, nth);
}

// The single-value source that reads `valueName`.
inline const HistorySource& SourceReading(const std::string& valueName) {
    return NthSource([&](const HistorySource& s) {
        return s.kind == HistorySourceKind::SingleValue && s.valueName == valueName;
    });
}

// Where `source` stands in the table.
inline size_t IndexOfSource(const HistorySource& source) {
    const auto& sources = HistorySources();
    for (size_t i = 0; i < sources.size(); ++i) {
        if (&sources[i] == &source) return i;
    }
    throw std::out_of_range("not a source of the table");
}

}  // namespace kv::fakes
