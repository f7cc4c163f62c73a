#include "engine/processes/GridDelivery.h"

#include <vector>

#include "engine/core/Categories.h"
#include "engine/processes/ProcessReset.h"
#include "engine/core/TraceRows.h"
#include "seam/Scoped.h"
#include "seam/Text.h"

namespace engine {
namespace {

constexpr const char* kLabelGrid = "그리드딜리버리";

struct GridAgent {
    const char* exeName;
    const char* serviceName;
};

// In the order analysis tests them.
constexpr GridAgent kAgents[] = {
    {"ExpressService.exe", "ExpressService"},
    {"qdownservice.exe", "QuickDownload Service"},
    {"qdownupdate.exe", "QuickDownload Update"},
    {"qdownagent.exe", "QuickDownload Agent"},
    {"XOcean.exe", "xOcean"},
    {"xOceanUpdate.exe", "xOceanUpdate"},
    {"NetAccelerator.exe", "NetAccelerator"},
    {"WinCloud.exe", "wincloud"},
    {"GDownService.exe", "GDownService"},
    {"SuperDownService.exe", "Superdownservice"},
    {"OnDiskDownService.exe", "OnDiskDownService"},
    {"CloudManager.exe", "CloudManager"},
    {"MicroCloudEngine.exe", "MicroCloudEngine"},
    {"KUploadService.exe", "KService"},
    {"natsvc.exe", "NATService"},
    {"QBrid_Service.exe", "QBrid_Service"},
};
static_assert(sizeof kAgents / sizeof kAgents[0] == 16, "the grid table has 16 agents");

}  // namespace

const char* GridServiceOf(const std::string& exeName) {
    for (const GridAgent& agent : kAgents) {
        if (exeName == agent.exeName) return agent.serviceName;
    }
    return nullptr;
}

const std::string& GridLabel() {
    return seam::FixedCp949(kLabelGrid);
}

void ScanGridAgents(seam::IProcesses& procs, EngineState& state, seam::IView& view) {
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return;
    const uint32_t self = procs.CurrentProcessId();
    for (const seam::ProcessEntry& entry : entries) {
        if (entry.pid == self || !IsGridAgent(entry.exeName)) continue;
        seam::TraceItem row;
        row.text[seam::kColName] = entry.exeName;
        row.text[seam::kColRead] = GridLabel();
        row.text[seam::kColCode] = CodeOf(seam::kGrid);
        row.target.kind = seam::TargetKind::Service;
        row.target.name = entry.exeName;
        AddTraceRow(state, view, seam::kGrid, row);
    }
}

RowFate StopGridService(seam::Platform& platform, const std::string& name) {
    seam::IServices& svcs = platform.services;
    seam::ScopedService manager(svcs, svcs.OpenManager());
    if (!manager) return RowFate::Denied;  // no rights to stop anything: the agent may well run on
    const char* serviceName = GridServiceOf(name);
    seam::ScopedService service(svcs, serviceName ? svcs.OpenService(manager.Get(), serviceName) : 0);
    if (!service) {
        // The seam cannot tell "not installed" from "denied": taken as not
        // installed, the agent runs by itself and is gone only when its
        // process is.
        const int running = CountRunning(platform.processes, name);
        if (running == 0) return RowFate::AlreadyGone;
        return running > 0 ? RowFate::StillRunning : RowFate::StillThere;
    }

    // Refused by a service that is already stopped; the state tells either way.
    svcs.ControlStop(service.Get());
    uint32_t serviceState = 0;
    if (!svcs.QueryState(service.Get(), serviceState)) return RowFate::StillThere;
    for (int polls = 0; serviceState == seam::kSvcStopPending; ++polls) {
        // Still stopping after the bound: the row stays, and so does its count.
        if (polls == kStopPollLimit) return RowFate::StillRunning;
        platform.system.Sleep(kStopPollMs);
        if (!svcs.QueryState(service.Get(), serviceState)) return RowFate::StillThere;
    }
    // A service that refused the stop or goes on running is a trace that
    // stays, and its row keeps the count up.
    return serviceState == seam::kSvcStopped ? RowFate::Removed : RowFate::StillRunning;
}

void StopGridAgents(seam::Platform& platform, const RowBatch& rows, std::vector<RowFate>& fates) {
    if (rows.empty()) return;
    fates.assign(rows.size(), StopGridService(platform, rows.front()->target.name));
}

}  // namespace engine
