#include "engine/unattended/FailureReason.h"

#include <vector>

#include "engine/browsers/BrowserClean.h"
#include "engine/browsers/BrowserProfiles.h"
#include "engine/core/Cp949.h"
#include "engine/processes/GridDelivery.h"
#include "engine/history/IntelliFormsKeys.h"
#include "engine/processes/ProcessReset.h"
#include "seam/Scoped.h"

namespace engine {
namespace {

// A key the user may open but not change refuses KEY_WRITE (or KEY_ALL_ACCESS).
bool WriteRefused(seam::IRegistry& reg, seam::RegRoot root, const std::string& path) {
    seam::ScopedRegKey key(reg);
    return reg.OpenKey(root, path, seam::RegAccess::Write, key.Out()) == seam::kErrAccessDenied;
}

StayReason WhyValueStayed(seam::IRegistry& reg, const seam::TraceTarget& target) {
    if (WriteRefused(reg, target.root, target.key)) return StayReason::AccessDenied;
    // A value with an exact UTF-16 name is removed by that name; only one
    // known by its code page 949 spelling alone may stand for several.
    if (!target.wideName.empty()) return StayReason::StillThere;
    seam::ScopedRegKey key(reg);
    if (reg.OpenKey(target.root, target.key, seam::RegAccess::Read, key.Out()) != seam::kErrSuccess)
        return StayReason::StillThere;
    std::vector<uint8_t> data;
    if (reg.QueryValue(key.Get(), target.name, data, 0, nullptr) == seam::kErrAmbiguousName)
        return StayReason::Ambiguous;
    return StayReason::StillThere;
}

StayReason WhyFormsStayed(seam::IRegistry& reg) {
    for (const char* path : kIntelliFormsKeys) {
        seam::ScopedRegKey key(reg);
        const long opened = reg.OpenKey(seam::RegRoot::CurrentUser, path, seam::RegAccess::AllAccess, key.Out());
        if (opened == seam::kErrAccessDenied) return StayReason::AccessDenied;
    }
    return StayReason::StillThere;
}

StayReason WhyProcessStayed(seam::IProcesses& procs, const std::string& name) {
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return StayReason::StillThere;
    const std::string wanted = LowerAscii949(name);
    const uint32_t self = procs.CurrentProcessId();
    bool bRunning = false;
    for (const seam::ProcessEntry& entry : entries) {
        if (entry.pid == self || LowerAscii949(entry.exeName) != wanted) continue;
        bRunning = true;
        seam::ScopedProcess process(procs, procs.Open(entry.pid));
        if (!process.Get()) return StayReason::AccessDenied;
    }
    return bRunning ? StayReason::StillRunning : StayReason::StillThere;
}

StayReason WhyServiceStayed(seam::IServices& services, const std::string& agent) {
    const char* name = GridServiceOf(agent);
    seam::ScopedService manager(services, services.OpenManager());
    // Stopping a service takes an administrator; without one the manager refuses us.
    if (!manager.Get()) return StayReason::AccessDenied;
    if (!name) return StayReason::StillThere;
    seam::ScopedService service(services, services.OpenService(manager.Get(), name));
    if (!service.Get()) return StayReason::StillThere;
    uint32_t state = 0;
    if (services.QueryState(service.Get(), state) && state != seam::kSvcStopped) return StayReason::StillRunning;
    return StayReason::StillThere;
}

// Asked without touching the file: a read-only one refuses deletion to
// everyone; any other that is still there is, as good as always in the
// user's own profile, held open by the program that wrote it.
StayReason WhyFileStayed(seam::IFileSystem& files, const std::u16string& path) {
    const size_t slash = path.find_last_of(u'\\');
    if (slash == std::u16string::npos) return StayReason::StillThere;
    std::vector<seam::FileEntry> entries;
    if (files.ListFolder(path.substr(0, slash), entries) != seam::kErrSuccess) return StayReason::StillThere;
    const std::u16string name = path.substr(slash + 1);
    for (const seam::FileEntry& entry : entries) {
        if (entry.name != name) continue;
        return (entry.attributes & seam::kAttrReadOnly) ? StayReason::AccessDenied : StayReason::InUse;
    }
    return StayReason::StillThere;
}

// A browser keeps its databases locked while it runs; either shows.
StayReason WhyRowStayed(seam::Platform& platform, const seam::TraceTarget& target) {
    const BrowserEntry* browser = BrowserOfPath(target.path);
    if (browser && CountRunning(platform.processes, browser->exe) > 0) return StayReason::BrowserRunning;
    if (DatabaseLocked(platform.files.Utf8Path(target.path))) return StayReason::BrowserRunning;
    return StayReason::StillThere;
}

}  // namespace

StayReason WhyStayed(seam::Platform& platform, const seam::TraceItem& row) {
    const seam::TraceTarget& target = row.target;
    switch (target.kind) {
        case seam::TargetKind::RegValue: return WhyValueStayed(platform.registry, target);
        case seam::TargetKind::RegKeyTree: return WhyFormsStayed(platform.registry);
        case seam::TargetKind::Process: return WhyProcessStayed(platform.processes, target.name);
        case seam::TargetKind::Service: return WhyServiceStayed(platform.services, target.name);
        case seam::TargetKind::File:
        case seam::TargetKind::JumpListEntry: return WhyFileStayed(platform.files, target.path);
        case seam::TargetKind::DatabaseRow: return WhyRowStayed(platform, target);
        default: return StayReason::StillThere;
    }
}

}  // namespace engine
