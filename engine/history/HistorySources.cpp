#include "engine/history/HistorySources.h"

#include "engine/history/HistoryNames.h"
#include "engine/history/KeyPattern.h"
#include "engine/history/RegKeyText.h"
#include "formats/ShellItems.h"
#include "engine/core/TraceRows.h"
#include "formats/Utf16Text.h"
#include "engine/core/ValueText.h"
#include "registry/RegHelpers.h"
#include "seam/Scoped.h"
#include "seam/Text.h"

namespace engine {
namespace {

// Labels (UTF-8 here; the rows carry their code page 949 form).
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
constexpr const char* kLabelRecentDocs = "최근 문서기록";
constexpr const char* kLabelTypedPaths = "탐색기 주소기록";
constexpr const char* kLabelExplorerSearch = "탐색기 검색기록";
constexpr const char* kLabelFileDialogs = "파일 열기/저장 기록";
constexpr const char* kLabelLaunches = "프로그램 실행기록";
constexpr const char* kLabelAccess = "액세스 문서기록";
constexpr const char* kLabelPublisher = "퍼블리셔 문서기록";
constexpr const char* kLabelWordPad = "워드패드기록";
constexpr const char* kLabelConsole = "관리콘솔기록";
constexpr const char* kLabelRemoteDesktop = "원격데스크톱기록";
constexpr const char* kLabelNetworkDrives = "네트워크드라이브기록";
constexpr const char* kLabelRegedit = "레지스트리편집기기록";
constexpr const char* kLabelGomPlaylist = "곰플레이어 재생목록기록";

constexpr const char* kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
constexpr const char* kOffice = "Software\\Microsoft\\Office\\";

using Kind = HistorySourceKind;

// The table in a row-making form: each call adds one source.
class SourceTable {
public:
    // Every value of HKEY_CURRENT_USER\`path`.
    SourceTable& All(const std::string& path, const char* label, Kind kind) {
        return Add(seam::RegRoot::CurrentUser, path, false, kEveryValue, label, kind);
    }
    // The same, for the key and each of its direct subkeys.
    SourceTable& AllWithSubkeys(const std::string& path, const char* label, Kind kind) {
        return Add(seam::RegRoot::CurrentUser, path, true, kEveryValue, label, kind);
    }
    // One named value of HKEY_CURRENT_USER\`path`.
    SourceTable& One(const std::string& path, const char* value, const char* label) {
        return Add(seam::RegRoot::CurrentUser, path, false, value, label, Kind::SingleValue);
    }
    // Every value of HKEY_LOCAL_MACHINE\`path`.
    SourceTable& AllMachine(const std::string& path, const char* label, Kind kind) {
        return Add(seam::RegRoot::LocalMachine, path, false, kEveryValue, label, kind);
    }

    std::vector<HistorySource> Take() { return std::move(m_sources); }

private:
    SourceTable& Add(seam::RegRoot root, const std::string& path, bool withSubkeys, const char* value,
                     const char* labelUtf8, Kind kind) {
        m_sources.push_back(HistorySource{root, path, withSubkeys, value, seam::Cp949FromUtf8(labelUtf8), kind});
        return *this;
    }

    std::vector<HistorySource> m_sources;
};

std::vector<HistorySource> MakeSources() {
    const std::string e = kExplorer;
    const std::string office = kOffice;
    const std::string gom = "Software\\GRETECH\\GomPlayer\\OPTION";
    SourceTable t;
    t.All("Software\\Microsoft\\Search Assistant\\ACMru\\5603", kLabelSearch, Kind::PlainData)
        .All("Software\\Microsoft\\Search Assistant\\ACMru\\5604", kLabelSearch, Kind::PlainData)
        .All(e + "RunMRU", kLabelRun, Kind::PlainData)
        .All(e + "Doc Find Spec MRU", kLabelDocument, Kind::FilePathData)
        .All(e + "ComDlg32\\OpenSaveMRU", kLabelExplorer, Kind::FilePathData)
        .All("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List", kLabelPaint,
             Kind::FilePathData)
        .All(office + "12.0\\Excel\\File MRU", kLabelExcel, Kind::FilePathData)
        .All(office + "14.0\\Excel\\File MRU", kLabelExcel, Kind::FilePathData)
        .All(office + "12.0\\PowerPoint\\File MRU", kLabelPowerPoint, Kind::FilePathData)
        .All(office + "14.0\\PowerPoint\\File MRU", kLabelPowerPoint, Kind::FilePathData)
        .All(office + "12.0\\Word\\File MRU", kLabelWord, Kind::FilePathData)
        .All(office + "14.0\\Word\\File MRU", kLabelWord, Kind::FilePathData)
        .All("Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", kLabelMediaPlayer, Kind::FilePathData)
        .All("Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList", kLabelMediaPlayer, Kind::FilePathData)
        .One(gom, "sRecentFile", kLabelGomPlayback)
        .One(gom, "sRecentFolder", kLabelGomPlayback)
        .One(gom, "sRecentURL", kLabelGomAddress)
        .All("Software\\ESTsoft\\ALSong\\Param\\RecentURL", kLabelALSong, Kind::PlainData)
        .All("Software\\DAUM\\PotPlayerMini\\BMList", kLabelPotPlayer, Kind::PlainData)
        .All("Software\\Microsoft\\Internet Explorer\\TypedURLs", kLabelInternet, Kind::PlainData)
        .All("Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache", kLabelMuiCache, Kind::MuiCache)
        .AllMachine("SOFTWARE\\Microsoft\\Windows\\Help", kLabelHelp, Kind::Help)
        .All("Software\\ESTsoft\\ALZip\\MRUOpen", kLabelALZip, Kind::PlainData);

    // What Windows 7 to 11 and Office 2013 to 365 keep.
    const std::string dialogs = e + "ComDlg32\\";
    t.AllWithSubkeys(e + "RecentDocs", kLabelRecentDocs, Kind::UnicodeName)
        .All(e + "TypedPaths", kLabelTypedPaths, Kind::PlainData)
        .All(e + "WordWheelQuery", kLabelExplorerSearch, Kind::UnicodeName)
        .All(dialogs + "OpenSavePidlMRU\\*", kLabelFileDialogs, Kind::ShellItemList)
        .All(dialogs + "LastVisitedPidlMRU", kLabelFileDialogs, Kind::UnicodeName)
        .All(dialogs + "LastVisitedPidlMRULegacy", kLabelFileDialogs, Kind::UnicodeName)
        .All(dialogs + "CIDSizeMRU", kLabelFileDialogs, Kind::UnicodeName)
        .All(dialogs + "FirstFolder", kLabelFileDialogs, Kind::UnicodeName)
        .All(e + "UserAssist\\*\\Count", kLabelLaunches, Kind::Rot13Name)
        .All("Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache", kLabelMuiCache,
             Kind::MuiCacheCurrent);
    struct OfficeApp {
        const char* name;
        const char* label;
    };
    constexpr OfficeApp kOfficeApps[] = {
        {"Word", kLabelWord},     {"Excel", kLabelExcel},         {"PowerPoint", kLabelPowerPoint},
        {"Access", kLabelAccess}, {"Publisher", kLabelPublisher},
    };
    constexpr const char* kOfficeLists[] = {"File MRU", "Place MRU", "User MRU\\*\\File MRU",
                                            "User MRU\\*\\Place MRU"};
    for (const char* version : {"15.0", "16.0"}) {
        for (const OfficeApp& app : kOfficeApps) {
            for (const char* list : kOfficeLists) {
                t.All(office + version + "\\" + app.name + "\\" + list, app.label, Kind::FilePathData);
            }
        }
    }
    t.All("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List", kLabelWordPad,
          Kind::FilePathData)
        .All("Software\\Microsoft\\Microsoft Management Console\\Recent File List", kLabelConsole,
             Kind::FilePathData)
        .All("Software\\Microsoft\\Terminal Server Client\\Default", kLabelRemoteDesktop, Kind::PlainData)
        .All(e + "Map Network Drive MRU", kLabelNetworkDrives, Kind::PlainData)
        .One("Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit", "LastKey", kLabelRegedit)
        .All("Software\\Microsoft\\Internet Explorer\\TypedURLsTime", kLabelInternet, Kind::ValueName)
        .All("Software\\DAUM\\PotPlayerMini\\RememberFiles", kLabelPotPlayer, Kind::RememberedFile)
        .All("Software\\DAUM\\PotPlayerMini64\\RememberFiles", kLabelPotPlayer, Kind::RememberedFile)
        .One(gom, "sRecentPLFolder", kLabelGomPlaylist);
    return t.Take();
}

// The list-order values of Explorer's lists hold indexes, not names.
bool IsListOrder(const std::string& valueName) { return valueName == "MRUListEx" || valueName == "MRUList"; }

// The key a listing source's rows come from: its path below the source's
// root, and its REGKEY text; and the real name of the value being listed
// when the ANSI enumeration spelled it lossily (empty otherwise).
struct RowKey {
    const std::string& path;
    const std::string& text;
    const std::u16string& wideName;
};

void AddRecentRow(EngineState& state, seam::IView& view, const HistorySource& source, const RowKey& regKey,
                  const std::string& name, const std::string& valueName, const std::string& data) {
    seam::TraceItem row;
    row.text[seam::kColName] = name;
    row.text[seam::kColRead] = source.label;
    row.text[seam::kColCode] = CodeOf(seam::kRecent);
    row.text[seam::kColRegKey] = regKey.text;
    row.text[seam::kColValue] = valueName;
    row.text[seam::kColData] = data;
    row.target.kind = seam::TargetKind::RegValue;
    row.target.root = source.root;
    row.target.key = regKey.path;
    row.target.name = valueName;
    row.target.wideName = regKey.wideName;
    AddTraceRow(state, view, seam::kRecent, row);
}

// One enumerated value of a listing source, by the source's kind.
void ScanValue(seam::Platform& platform, EngineState& state, seam::IView& view, const HistorySource& source,
               const RowKey& regKey, const std::string& valueName, const std::vector<uint8_t>& bytes) {
    const std::string data = ValueTextOf(bytes);
    switch (source.kind) {
    case Kind::FilePathData:
        AddRecentRow(state, view, source, regKey, FileNameOf(data), valueName, data);
        break;
    case Kind::PlainData:
        AddRecentRow(state, view, source, regKey, data, valueName, data);
        break;
    case Kind::MuiCache: {
        // Only entries for programs on C: that no longer exist are traces. A
        // path that code page 949 cannot spell cannot be looked at, so its
        // program is not known to be gone.
        const std::string path = CleanMuiCachePath(valueName);
        if (HasUnspellableCharacter(path) || platform.system.FileExists(path) || !NamesDriveC(path)) break;
        AddRecentRow(state, view, source, regKey, FileNameOf(path), valueName, data);
        break;
    }
    case Kind::Help:
        if (data.empty()) AddRecentRow(state, view, source, regKey, valueName, valueName, std::string());
        break;
    case Kind::SingleValue:
        break;
    case Kind::UnicodeName: {
        std::string text;
        if (!IsListOrder(valueName) && LeadingUtf16Name(bytes, text)) {
            text = TextForCell(text);
            AddRecentRow(state, view, source, regKey, text, valueName, text);
        } else {
            AddRecentRow(state, view, source, regKey, valueName, valueName, std::string());
        }
        break;
    }
    case Kind::ShellItemList: {
        std::string name;
        if (!IsListOrder(valueName) && ShellItemListFileName(bytes.data(), bytes.size(), name)) {
            name = TextForCell(name);
            AddRecentRow(state, view, source, regKey, name, valueName, name);
        } else {
            AddRecentRow(state, view, source, regKey, valueName, valueName, std::string());
        }
        break;
    }
    case Kind::Rot13Name: {
        // Value names are read whole now, so the decoded one may be longer
        // than a cell: DATA shows it cut, as every other DATA text is.
        const std::string decoded = Rot13(valueName);
        AddRecentRow(state, view, source, regKey, FileNameOf(decoded), valueName, TextForCell(decoded));
        break;
    }
    case Kind::MuiCacheCurrent: {
        const std::string path = CleanMuiCachePath(CutMuiCacheSuffix(valueName));
        if (HasUnspellableCharacter(path) || platform.system.FileExists(path) || !NamesDriveC(path)) break;
        AddRecentRow(state, view, source, regKey, FileNameOf(path), valueName, data);
        break;
    }
    case Kind::ValueName:
        AddRecentRow(state, view, source, regKey, valueName, valueName, std::string());
        break;
    case Kind::RememberedFile:
        AddRecentRow(state, view, source, regKey, RememberedFileName(valueName, data), valueName, data);
        break;
    }
}

// Every value of one concrete key of a listing source.
void ScanKey(seam::Platform& platform, EngineState& state, seam::IView& view, const HistorySource& source,
             const std::string& path) {
    seam::IRegistry& reg = platform.registry;
    seam::ScopedRegKey key(reg);
    if (reg.OpenKey(source.root, path, seam::RegAccess::AllAccess, key.Out()) != seam::kErrSuccess) return;
    const std::string keyText = RegKeyText(source.root, path);
    std::u16string wideName;
    const RowKey regKey{path, keyText, wideName};
    // Kept from one value to the next, their buffers with them.
    std::string valueName;
    std::vector<uint8_t> bytes;
    for (uint32_t index = 0;; ++index) {
        // The driver lowers the flag to call a scan off; rows found stay.
        if (!state.m_bAnalysed.load()) return;
        // Name and data in one call. Data too large to read still leaves a
        // value to list, with no data, as a read by name did.
        const long r = registry::EnumWholeValue(reg, key.Get(), index, valueName, bytes, nullptr);
        if (r != seam::kErrSuccess && r != seam::kErrMoreData) return;
        // A '?' may stand for a character code page 949 lacks: the row keeps
        // the real name, so that cleaning removes exactly this value.
        wideName.clear();
        if (valueName.find('?') != std::string::npos &&
            reg.EnumValueNameWide(key.Get(), index, wideName) != seam::kErrSuccess) {
            wideName.clear();
        }
        ScanValue(platform, state, view, source, regKey, valueName, bytes);
    }
}

void ScanSingleValue(seam::Platform& platform, EngineState& state, seam::IView& view, const HistorySource& source) {
    seam::IRegistry& reg = platform.registry;
    seam::ScopedRegKey key(reg);
    if (reg.OpenKey(source.root, source.keyPath, seam::RegAccess::AllAccess, key.Out()) != seam::kErrSuccess) return;
    // The key is open, so this read cannot create it.
    char text[kValueBuffer];
    registry::ReadRegString(reg, source.root, source.keyPath, source.valueName, "0", text, sizeof text);
    const std::string value = text;
    if (value.empty() || value == "0") return;
    const std::string keyText = RegKeyText(source.root, source.keyPath);
    const std::u16string noWideName;
    AddRecentRow(state, view, source, RowKey{source.keyPath, keyText, noWideName}, SingleValueName(value),
                 source.valueName, value);
}

bool ValueExists(seam::IRegistry& reg, seam::RegRoot root, const std::string& path, const std::string& name) {
    seam::ScopedRegKey key(reg);
    long r = reg.OpenKey(root, path, seam::RegAccess::Default, key.Out());
    if (r == seam::kErrFileNotFound) return false;
    if (r != seam::kErrSuccess) return true;
    // A zero-byte buffer: success or "more data" both prove the value is there.
    std::vector<uint8_t> data;
    return reg.QueryValue(key.Get(), name, data, 0, nullptr) != seam::kErrFileNotFound;
}

}  // namespace

const std::vector<HistorySource>& HistorySources() {
    static const std::vector<HistorySource> sources = MakeSources();
    return sources;
}

void ScanHistorySource(seam::Platform& platform, EngineState& state, seam::IView& view,
                       const HistorySource& source) {
    if (source.kind == Kind::SingleValue) {
        ScanSingleValue(platform, state, view, source);
        return;
    }
    ForEachKeyOfPattern(platform.registry, source.root, source.keyPath, source.withSubkeys,
                        [&](const std::string& path) { ScanKey(platform, state, view, source, path); });
}

void ScanHistory(seam::Platform& platform, EngineState& state, seam::IView& view) {
    for (const HistorySource& source : HistorySources()) {
        ScanHistorySource(platform, state, view, source);
    }
}

namespace {

RowFate DeleteOneValue(seam::IRegistry& reg, seam::RegKey key, const seam::TraceTarget& target) {
    // By its real name: gone when deleted or when nothing has that name.
    const long r = target.wideName.empty() ? reg.DeleteValue(key, target.name)
                                            : reg.DeleteValueWide(key, target.wideName);
    switch (r) {
        case seam::kErrSuccess: return RowFate::Removed;
        case seam::kErrAccessDenied: return RowFate::Denied;
        case seam::kErrAmbiguousName: return RowFate::Ambiguous;
        case seam::kErrFileNotFound:
            if (!target.wideName.empty()) return RowFate::AlreadyGone;
            break;
        default: break;
    }
    // Windows gave no reason: whether the value is still there decides.
    return ValueExists(reg, target.root, target.key, target.name) ? RowFate::StillThere : RowFate::AlreadyGone;
}

}  // namespace

void DeleteHistoryValues(seam::IRegistry& reg, const RowBatch& rows, std::vector<RowFate>& fates) {
    fates.assign(rows.size(), RowFate::StillThere);
    if (rows.empty()) return;
    const seam::TraceTarget& first = rows.front()->target;
    seam::ScopedRegKey key(reg);
    const long opened = reg.OpenKey(first.root, first.key, seam::RegAccess::Default, key.Out());
    if (opened != seam::kErrSuccess) {
        // No key, no values; a key we may not open keeps them all.
        const RowFate fate = opened == seam::kErrFileNotFound  ? RowFate::AlreadyGone
                             : opened == seam::kErrAccessDenied ? RowFate::Denied
                                                                : RowFate::StillThere;
        fates.assign(rows.size(), fate);
        return;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i]->target.kind == seam::TargetKind::RegValue) fates[i] = DeleteOneValue(reg, key.Get(), rows[i]->target);
    }
}

}  // namespace engine
