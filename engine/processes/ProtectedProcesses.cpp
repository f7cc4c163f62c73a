#include "engine/processes/ProtectedProcesses.h"

#include <algorithm>
#include <iterator>

#include "engine/core/Cp949.h"
#include "seam/Scoped.h"

namespace engine {
namespace {

// Registry value names are at most this long in the ANSI calls the seam makes.
constexpr uint32_t kNameCapacity = 260;
// SysProcs holds a handful of names; this bounds a damaged or hostile key.
constexpr uint32_t kMaxSysProcs = 1024;

// Lower-case, so that a lookup lower-cases only the name it is given. The
// last row is Windows' servicing and installing: the Windows Installer, the
// component store's TrustedInstaller and its worker, the update
// orchestrator's worker and client, the image servicing host and the
// pending-operations executor. Each writes system files and the registry in
// steps that only its own end completes or rolls back: ended midway, it
// leaves a half-installed program or update behind.
constexpr const char* kCoreProcesses[] = {
    "system", "registry", "memory compression", "secure system",
    "smss.exe", "csrss.exe", "wininit.exe", "winlogon.exe", "services.exe", "lsass.exe", "lsm.exe",
    "lsaiso.exe", "logonui.exe", "userinit.exe", "dwm.exe", "fontdrvhost.exe", "sihost.exe",
    "taskhost.exe", "taskhostw.exe", "taskeng.exe", "runtimebroker.exe", "shellexperiencehost.exe",
    "startmenuexperiencehost.exe", "searchhost.exe", "searchapp.exe", "searchui.exe",
    "searchindexer.exe", "textinputhost.exe", "ctfmon.exe", "conhost.exe", "dllhost.exe",
    "audiodg.exe", "wmiprvse.exe", "wudfhost.exe", "spoolsv.exe", "svchost.exe", "explorer.exe",
    "msmpeng.exe", "nissrv.exe", "mpdefendercoreservice.exe", "securityhealthservice.exe",
    "securityhealthsystray.exe", "sgrmbroker.exe", "smartscreen.exe",
    "msiexec.exe", "trustedinstaller.exe", "tiworker.exe", "mousocoreworker.exe", "usocoreworker.exe",
    "wuauclt.exe", "dismhost.exe",
    "poqexec.exe",
};
static_assert(sizeof kCoreProcesses / sizeof kCoreProcesses[0] == 52, "the core list has 52 names");

// What Wine 8 starts for a prefix, lower-case: the service manager and the
// driver hosts, the services its wine.inf installs (the RPC, plug-and-play,
// MSI, print, terminal, WMI, update and font-cache services; the others run
// in svchost.exe), the desktop and console hosts, and the helpers that boot
// the prefix, launch programs, debug a crash and keep the desktop's menus.
constexpr const char* kWineProcesses[] = {
    "services.exe", "winedevice.exe", "svchost.exe", "rpcss.exe", "plugplay.exe", "msiexec.exe",
    "spoolsv.exe", "termsv.exe", "winmgmt.exe", "wuauserv.exe", "presentationfontcache.exe",
    "explorer.exe", "conhost.exe", "wineconsole.exe", "wineboot.exe", "start.exe", "winedbg.exe",
    "winemenubuilder.exe",
};
static_assert(sizeof kWineProcesses / sizeof kWineProcesses[0] == 18, "Wine's own list has 18 names");

bool InTable(const std::string& exeName, const char* const* begin, const char* const* end) {
    const std::string lower = LowerAscii949(exeName);
    return std::any_of(begin, end, [&lower](const char* name) { return lower == name; });
}

std::vector<std::string> ReadSysProcs(seam::IRegistry& registry) {
    std::vector<std::string> names;
    seam::ScopedRegKey key(registry);
    if (registry.OpenKey(seam::RegRoot::LocalMachine, kSysProcsKey, seam::RegAccess::Read, key.Out()) != seam::kErrSuccess)
        return names;
    for (uint32_t index = 0; index < kMaxSysProcs; ++index) {
        std::string name;
        const long result = registry.EnumValueName(key.Get(), index, name, kNameCapacity);
        if (result == seam::kErrMoreData) continue;  // longer than any executable name we compare
        if (result != seam::kErrSuccess) break;
        if (!name.empty()) names.push_back(LowerAscii949(name));
    }
    return names;
}

}  // namespace

bool IsCoreProcessName(const std::string& exeName) {
    return InTable(exeName, std::begin(kCoreProcesses), std::end(kCoreProcesses));
}

bool IsWineProcessName(const std::string& exeName) {
    return InTable(exeName, std::begin(kWineProcesses), std::end(kWineProcesses));
}

CProtectedProcesses::CProtectedProcesses(seam::IProcesses& procs, seam::IRegistry& registry, seam::ISystem& system)
    : m_procs(procs), m_sysProcs(ReadSysProcs(registry)), m_bUnderWine(!system.WineVersion().empty()) {}

bool CProtectedProcesses::IsProtectedName(const std::string& exeName) const {
    if (IsCoreProcessName(exeName)) return true;
    if (m_bUnderWine && IsWineProcessName(exeName)) return true;
    const std::string lower = LowerAscii949(exeName);
    return std::find(m_sysProcs.begin(), m_sysProcs.end(), lower) != m_sysProcs.end();
}

bool CProtectedProcesses::IsProtected(const seam::ProcessEntry& entry) const {
    if (IsProtectedName(entry.exeName)) return true;
    return m_procs.QueryCritical(entry.pid) == seam::Criticality::Critical;
}

}  // namespace engine
