#include "engine/IntelliForms.h"

#include "engine/Categories.h"
#include "engine/IntelliFormsKeys.h"
#include "engine/RegKeyText.h"
#include "engine/TraceRows.h"
#include "engine/ValueText.h"
#include "registry/RegHelpers.h"
#include "seam/Scoped.h"
#include "seam/Text.h"

namespace kv {
namespace {

constexpr const char* kLabelAutosaved = "자동저장된암호";

const std::string& AutosavedLabel() {
    static const std::string label = Cp949FromUtf8(kLabelAutosaved);
    return label;
}

bool KeyExists(IRegistry& reg, const char* path) {
    ScopedRegKey key(reg);
    // Only "not found" proves absence; a key we may not open is still there.
    return reg.OpenKey(RegRoot::CurrentUser, path, RegAccess::Default, key.Out()) != kErrFileNotFound;
}

}  // namespace

void ScanIntelliForms(IRegistry& reg, EngineState& state, IView& view) {
    for (const char* path : kIntelliFormsKeys) {
        bool exists = false;
        {
            ScopedRegKey probe(reg);
            exists = reg.OpenKey(RegRoot::CurrentUser, path, RegAccess::Default, probe.Out()) == kErrSuccess;
        }
        if (exists) ScanIntelliFormsKey(reg, state, view, path);
    }
}

void ScanIntelliFormsKey(IRegistry& reg, EngineState& state, IView& view, const std::string& keyPath) {
    ScopedRegKey key(reg);
    if (reg.OpenKey(RegRoot::CurrentUser, keyPath, RegAccess::AllAccess, key.Out()) != kErrSuccess) return;
    const std::string regKey = RegKeyText(RegRoot::CurrentUser, keyPath);
    for (uint32_t index = 0;; ++index) {
        std::string valueName;
        if (reg.EnumValueName(key.Get(), index, valueName, kValueBuffer) != kErrSuccess) return;
        TraceItem row;
        row.text[kColName] = valueName;
        row.text[kColRead] = AutosavedLabel();
        row.text[kColCode] = CodeOf(kRegistry);
        row.text[kColRegKey] = regKey;
        row.text[kColValue] = valueName;
        row.text[kColData] = ReadValueText(reg, key.Get(), valueName);
        AddTraceRow(state, view, kRegistry, row);
    }
}

bool DeleteIntelliForms(IRegistry& reg, EngineState& state, IView& view) {
    // Any REGISTRY row stands for all three keys; after the first row the
    // deletions find nothing left, and the row still leaves.
    for (const char* path : kIntelliFormsKeys) DeleteKeyTree(reg, RegRoot::CurrentUser, path, true);
    for (const char* path : kIntelliFormsKeys) {
        if (KeyExists(reg, path)) return false;
    }
    state.SetCount(kRegistry, 0);
    view.CounterChanged(kRegistry);
    return true;
}

}  // namespace kv
