#include "engine/history/IntelliForms.h"

#include "engine/core/Categories.h"
#include "engine/history/IntelliFormsKeys.h"
#include "engine/history/RegKeyText.h"
#include "engine/core/TraceRows.h"
#include "engine/core/ValueText.h"
#include "registry/RegHelpers.h"
#include "seam/Scoped.h"
#include "seam/Text.h"

namespace engine {
namespace {

constexpr const char* kLabelAutosaved = "자동저장된암호";

const std::string& AutosavedLabel() {
    return seam::FixedCp949(kLabelAutosaved);
}

bool KeyExists(seam::IRegistry& reg, const char* path) {
    seam::ScopedRegKey key(reg);
    // Only "not found" proves absence; a key we may not open is still there.
    return reg.OpenKey(seam::RegRoot::CurrentUser, path, seam::RegAccess::Default, key.Out()) != seam::kErrFileNotFound;
}

}  // namespace

void ScanIntelliForms(seam::IRegistry& reg, EngineState& state, seam::IView& view) {
    for (const char* path : kIntelliFormsKeys) {
        bool exists = false;
        {
            seam::ScopedRegKey probe(reg);
            exists = reg.OpenKey(seam::RegRoot::CurrentUser, path, seam::RegAccess::Default, probe.Out()) == seam::kErrSuccess;
        }
        if (exists) ScanIntelliFormsKey(reg, state, view, path);
    }
}

void ScanIntelliFormsKey(seam::IRegistry& reg, EngineState& state, seam::IView& view, const std::string& keyPath) {
    seam::ScopedRegKey key(reg);
    if (reg.OpenKey(seam::RegRoot::CurrentUser, keyPath, seam::RegAccess::AllAccess, key.Out()) != seam::kErrSuccess) return;
    const std::string regKey = RegKeyText(seam::RegRoot::CurrentUser, keyPath);
    for (uint32_t index = 0;; ++index) {
        std::string valueName;
        if (registry::EnumWholeValueName(reg, key.Get(), index, valueName) != seam::kErrSuccess) return;
        seam::TraceItem row;
        row.text[seam::kColName] = valueName;
        row.text[seam::kColRead] = AutosavedLabel();
        row.text[seam::kColCode] = CodeOf(seam::kRegistry);
        row.text[seam::kColRegKey] = regKey;
        row.text[seam::kColValue] = valueName;
        row.text[seam::kColData] = ReadValueText(reg, key.Get(), valueName);
        // Every row stands for the whole set of keys, which go together.
        row.target.kind = seam::TargetKind::RegKeyTree;
        row.target.key = keyPath;
        AddTraceRow(state, view, seam::kRegistry, row);
    }
}

RowFate DeleteIntelliForms(seam::IRegistry& reg) {
    for (const char* path : kIntelliFormsKeys) registry::DeleteKeyTree(reg, seam::RegRoot::CurrentUser, path, true);
    RowFate fate = RowFate::Removed;
    for (const char* path : kIntelliFormsKeys) {
        if (!KeyExists(reg, path)) continue;
        seam::ScopedRegKey key(reg);
        // Asked for the rights its deletion needs: a refusal is the reason.
        if (reg.OpenKey(seam::RegRoot::CurrentUser, path, seam::RegAccess::AllAccess, key.Out()) ==
            seam::kErrAccessDenied)
            return RowFate::Denied;
        fate = RowFate::StillThere;
    }
    return fate;
}

void DeleteIntelliFormsRows(seam::IRegistry& reg, const RowBatch& rows, std::vector<RowFate>& fates) {
    fates.assign(rows.size(), rows.empty() ? RowFate::StillThere : DeleteIntelliForms(reg));
}

}  // namespace engine
