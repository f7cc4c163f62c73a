#include "engine/HistorySources.h"

#include "engine/HistoryNames.h"
#include "engine/TraceRows.h"
#include "engine/ValueText.h"
#include "registry/RegHelpers.h"
#include "seam/Scoped.h"
#include "seam/Text.h"

namespace kv {
namespace {

// Labels (UTF-8 here; the rows and the kind test use their code page 949 form).
constexpr const char* kLabelSearch = "검색기록";
constexpr const char* kLabelRun = "실행기록";
constexpr const char* kLabelDocument = "문서기록";
constexpr const char* kLabelExplorer = "탐색기기록";
constexpr const char* kLabelPaint = "그림판기록";
constexpr const char* kLabelExcel = "엑셀 문서기록";
constexpr const char* kLabelPowerPoint = "파워포인트 문서기록";
constexpr const char* kLabelWord = "워드기록";
constexpr const char* kLabelMediaPlayer = "미디어플레이어 기록";
constexpr const char* kLabelGomPlayback = "곰플레이어 재생기록";
constexpr const char* kLabelGomAddress = "곰플레이어 주소기록";
constexpr const char* kLabelALSong = "알송재생기록";
constexpr const char* kLabelPotPlayer = "다음팟플레이어 재생기록";
constexpr const char* kLabelInternet = "인터넷기록";
constexpr const char* kLabelMuiCache = "MUI캐시";
constexpr const char* kLabelHelp = "도움말";
constexpr const char* kLabelALZip = "알집기록";

constexpr const char* kHkcu = "HKEY_CURRENT_USER";
constexpr const char* kHklm = "HKEY_LOCAL_MACHINE";
constexpr const char* kEveryValue = "0";

struct SourceRow {
    const char* rootName;
    const char* keyPath;
    const char* valueName;
    const char* labelUtf8;
};

constexpr SourceRow kSources[] = {
    {kHkcu, "Software\\Microsoft\\Search Assistant\\ACMru\\5603", kEveryValue, kLabelSearch},
    {kHkcu, "Software\\Microsoft\\Search Assistant\\ACMru\\5604", kEveryValue, kLabelSearch},
    {kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", kEveryValue, kLabelRun},
    {kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU", kEveryValue,
     kLabelDocument},
    {kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU", kEveryValue,
     kLabelExplorer},
    {kHkcu, "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List", kEveryValue,
     kLabelPaint},
    {kHkcu, "Software\\Microsoft\\Office\\12.0\\Excel\\File MRU", kEveryValue, kLabelExcel},
    {kHkcu, "Software\\Microsoft\\Office\\14.0\\Excel\\File MRU", kEveryValue, kLabelExcel},
    {kHkcu, "Software\\Microsoft\\Office\\12.0\\PowerPoint\\File MRU", kEveryValue, kLabelPowerPoint},
    {kHkcu, "Software\\Microsoft\\Office\\14.0\\PowerPoint\\File MRU", kEveryValue, kLabelPowerPoint},
    {kHkcu, "Software\\Microsoft\\Office\\12.0\\Word\\File MRU", kEveryValue, kLabelWord},
    {kHkcu, "Software\\Microsoft\\Office\\14.0\\Word\\File MRU", kEveryValue, kLabelWord},
    {kHkcu, "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", kEveryValue, kLabelMediaPlayer},
    {kHkcu, "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList", kEveryValue, kLabelMediaPlayer},
    {kHkcu, "Software\\GRETECH\\GomPlayer\\OPTION", "sRecentFile", kLabelGomPlayback},
    {kHkcu, "Software\\GRETECH\\GomPlayer\\OPTION", "sRecentFolder", kLabelGomPlayback},
    {kHkcu, "Software\\GRETECH\\GomPlayer\\OPTION", "sRecentURL", kLabelGomAddress},
    {kHkcu, "Software\\ESTsoft\\ALSong\\Param\\RecentURL", kEveryValue, kLabelALSong},
    {kHkcu, "Software\\DAUM\\PotPlayerMini\\BMList", kEveryValue, kLabelPotPlayer},
    {kHkcu, "Software\\Microsoft\\Internet Explorer\\TypedURLs", kEveryValue, kLabelInternet},
    {kHkcu, "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache", kEveryValue, kLabelMuiCache},
    {kHklm, "SOFTWARE\\Microsoft\\Windows\\Help", kEveryValue, kLabelHelp},
    {kHkcu, "Software\\ESTsoft\\ALZip\\MRUOpen", kEveryValue, kLabelALZip},
};

// The labels whose sources hold file paths in their data.
constexpr const char* kFilePathLabels[] = {
    kLabelMediaPlayer, kLabelDocument, kLabelPaint, kLabelExplorer,
    kLabelPowerPoint,  kLabelExcel,    kLabelWord,
};

struct KindLabels {
    std::vector<std::string> filePath;
    std::string muiCache;
    std::string help;
};

const KindLabels& Cp949KindLabels() {
    static const KindLabels labels = [] {
        KindLabels out;
        for (const char* label : kFilePathLabels) out.filePath.push_back(Cp949FromUtf8(label));
        out.muiCache = Cp949FromUtf8(kLabelMuiCache);
        out.help = Cp949FromUtf8(kLabelHelp);
        return out;
    }();
    return labels;
}

bool RootFromName(const std::string& name, RegRoot& root) {
    if (name == kHkcu) {
        root = RegRoot::CurrentUser;
    } else if (name == kHklm) {
        root = RegRoot::LocalMachine;
    } else {
        return false;
    }
    return true;
}

void AddRecentRow(EngineState& state, IView& view, const HistorySource& source,
                  const std::string& name, const std::string& valueName, const std::string& data) {
    TraceItem row;
    row.text[kColName] = name;
    row.text[kColRead] = source.label;
    row.text[kColCode] = "RECENT";
    row.text[kColRegKey] = source.rootName + "\\" + source.keyPath;
    row.text[kColValue] = valueName;
    row.text[kColData] = data;
    AddTraceRow(state, view, kRecent, row);
}

// One enumerated value of a listing source, by the source's kind.
void ScanValue(Platform& platform, EngineState& state, IView& view, const HistorySource& source,
               HistorySourceKind kind, const std::string& valueName, const std::string& data) {
    switch (kind) {
    case HistorySourceKind::FilePathData:
        AddRecentRow(state, view, source, FileNameOf(data), valueName, data);
        break;
    case HistorySourceKind::PlainData:
        AddRecentRow(state, view, source, data, valueName, data);
        break;
    case HistorySourceKind::MuiCache: {
        // Only entries for programs on C: that no longer exist are traces. A
        // path that code page 949 cannot spell cannot be looked at, so its
        // program is not known to be gone.
        const std::string path = CleanMuiCachePath(valueName);
        if (HasUnspellableCharacter(path) || platform.system.FileExists(path) || !NamesDriveC(path)) break;
        AddRecentRow(state, view, source, FileNameOf(path), valueName, data);
        break;
    }
    case HistorySourceKind::Help:
        if (data.empty()) AddRecentRow(state, view, source, valueName, valueName, std::string());
        break;
    case HistorySourceKind::SingleValue:
        break;
    }
}

void ScanSingleValue(Platform& platform, EngineState& state, IView& view, RegRoot root,
                     const HistorySource& source) {
    char text[kValueBuffer];
    ReadRegString(platform.registry, root, source.keyPath, source.valueName, "0", text, sizeof text);
    const std::string value = text;
    if (value.empty() || value == "0") return;
    AddRecentRow(state, view, source, SingleValueName(value), source.valueName, value);
}

}  // namespace

const std::vector<HistorySource>& HistorySources() {
    static const std::vector<HistorySource> sources = [] {
        std::vector<HistorySource> out;
        for (const SourceRow& s : kSources) {
            out.push_back(HistorySource{s.rootName, s.keyPath, s.valueName, Cp949FromUtf8(s.labelUtf8)});
        }
        return out;
    }();
    return sources;
}

HistorySourceKind KindOfSource(const std::string& valueName, const std::string& label) {
    if (valueName != kEveryValue) return HistorySourceKind::SingleValue;
    const KindLabels& labels = Cp949KindLabels();
    for (const std::string& filePath : labels.filePath) {
        if (label == filePath) return HistorySourceKind::FilePathData;
    }
    if (label == labels.muiCache) return HistorySourceKind::MuiCache;
    if (label == labels.help) return HistorySourceKind::Help;
    return HistorySourceKind::PlainData;
}

void ScanHistorySource(Platform& platform, EngineState& state, IView& view,
                       const HistorySource& source) {
    RegRoot root;
    if (!RootFromName(source.rootName, root)) return;
    IRegistry& reg = platform.registry;
    ScopedRegKey key(reg);
    if (reg.OpenKey(root, source.keyPath, RegAccess::AllAccess, key.Out()) != kErrSuccess) return;

    const HistorySourceKind kind = KindOfSource(source.valueName, source.label);
    if (kind == HistorySourceKind::SingleValue) {
        // The key is open, so this read cannot create it.
        ScanSingleValue(platform, state, view, root, source);
        return;
    }
    for (uint32_t index = 0;; ++index) {
        // The driver lowers the flag to call a scan off; rows found stay.
        if (state.m_nAnalysed.load() == 0) return;
        std::string valueName;
        if (reg.EnumValueName(key.Get(), index, valueName, kValueBuffer) != kErrSuccess) return;
        const std::string data = ReadValueText(reg, key.Get(), valueName);
        ScanValue(platform, state, view, source, kind, valueName, data);
    }
}

void ScanHistory(Platform& platform, EngineState& state, IView& view) {
    for (const HistorySource& source : HistorySources()) {
        ScanHistorySource(platform, state, view, source);
    }
}

}  // namespace kv
