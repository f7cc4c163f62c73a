// Authenticode and the update's file: the file is held open without write or
// delete sharing from before its signature is read until it has been
// started, so that what runs is the file that was checked. Which signer is
// the maker's is decided above the seam (net/update/MakerRelease.h); this
// reports what the signature says, in UTF-16 and as the certificate's own
// SHA-256 thumbprint.
#include <windows.h>
#include <shellapi.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "seam/win32/Win32Parts.h"
#include "win/Handles.h"

namespace seam {
namespace {

// One WinVerifyTrust verification whose state data is kept for reading the
// signer, and released (WTD_STATEACTION_CLOSE) when the object goes.
class TrustVerification {
public:
    TrustVerification(const std::wstring& path, HANDLE hFile) {
        ZeroMemory(&m_file, sizeof m_file);
        m_file.cbStruct = sizeof m_file;
        m_file.pcwszFilePath = path.c_str();
        m_file.hFile = hFile;
        ZeroMemory(&m_data, sizeof m_data);
        m_data.cbStruct = sizeof m_data;
        m_data.dwUIChoice = WTD_UI_NONE;
        // Revocation along the whole chain; where no answer can be had (no
        // network), the machine's Authenticode policy decides, as for any
        // signed program Windows itself checks.
        m_data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
        m_data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = &m_file;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        m_lResult = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &m_data);
    }
    ~TrustVerification() {
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &m_data);
    }
    TrustVerification(const TrustVerification&) = delete;
    TrustVerification& operator=(const TrustVerification&) = delete;

    bool Trusted() const { return m_lResult == ERROR_SUCCESS; }

    // The certificate that signed the file; null when there is none. Owned
    // by the verification's state data.
    PCCERT_CONTEXT SigningCertificate() const {
        const CRYPT_PROVIDER_SGNR* signer = Signer();
        if (!signer || signer->csCertChain == 0 || !signer->pasCertChain) return nullptr;
        return signer->pasCertChain[0].pCert;
    }

    // Whether the signer's chain, where the provider keeps one, ends in a
    // root the machine trusts. Windows' Authenticode policy never passes a
    // chain that does not; Wine's passes a partial chain (root not found),
    // so this is asked as well.
    bool ChainReachesTrustedRoot() const {
        const CRYPT_PROVIDER_SGNR* signer = Signer();
        if (!signer) return false;
        if (signer->cbStruct < offsetof(CRYPT_PROVIDER_SGNR, pChainContext) + sizeof signer->pChainContext ||
            !signer->pChainContext)
            return true;  // a provider of old keeps no chain: its verdict alone decides
        const DWORD untrusted = CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_UNTRUSTED_ROOT |
                                CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_CYCLIC;
        return (signer->pChainContext->TrustStatus.dwErrorStatus & untrusted) == 0;
    }

private:
    const CRYPT_PROVIDER_SGNR* Signer() const {
        if (!m_data.hWVTStateData) return nullptr;
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(m_data.hWVTStateData);
        return provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    }

    WINTRUST_FILE_INFO m_file;
    WINTRUST_DATA m_data;
    LONG m_lResult = -1;
};

std::u16string CommonName(PCCERT_CONTEXT cert) {
    wchar_t name[256] = {};
    const DWORD size = ::CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME),
                                            name, sizeof name / sizeof name[0]);
    if (size <= 1) return std::u16string();
    return std::u16string(name, name + lstrlenW(name));
}

// CryptHashCertificate2 hashes with CNG (Vista and later; Wine has it). Where
// it is missing no thumbprint is known, and no certificate is the maker's.
using HashCertificate2 = BOOL(WINAPI*)(LPCWSTR, DWORD, void*, const BYTE*, DWORD, BYTE*, DWORD*);

std::string Sha256Thumbprint(PCCERT_CONTEXT cert) {
    const HMODULE crypt32 = ::GetModuleHandleW(L"crypt32.dll");
    const auto hash = crypt32 ? reinterpret_cast<HashCertificate2>(
                                    reinterpret_cast<void*>(::GetProcAddress(crypt32, "CryptHashCertificate2")))
                              : nullptr;
    if (!hash) return std::string();
    BYTE digest[32] = {};
    DWORD size = sizeof digest;
    if (!hash(L"SHA256", 0, nullptr, cert->pbCertEncoded, cert->cbCertEncoded, digest, &size) ||
        size != sizeof digest)
        return std::string();
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (BYTE b : digest) {
        text += kHex[b >> 4];
        text += kHex[b & 0xF];
    }
    return text;
}

// VS_FIXEDFILEINFO's file version of the file at `path`; 0 without one.
uint64_t FileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return 0;
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof *fixed || fixed->dwSignature != 0xFEEF04BD)
        return 0;
    return (static_cast<uint64_t>(fixed->dwFileVersionMS) << 32) | fixed->dwFileVersionLS;
}

struct Held {
    std::wstring path;
    win::UniqueFileHandle file;
};

class Win32Trust final : public ITrust {
public:
    HeldFile Hold(const std::u16string& path) override {
        auto held = std::make_unique<Held>();
        held->path.assign(path.begin(), path.end());
        // Others may read it (the loader and the version calls do), never
        // write, delete or rename it while it is held.
        held->file.Reset(::CreateFileW(held->path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!held->file) return 0;
        std::lock_guard<std::mutex> hold(m_lock);
        const HeldFile id = m_next++;
        m_held[id] = std::move(held);
        return id;
    }

    SignatureInfo Inspect(HeldFile file) override {
        SignatureInfo info;
        const Held* held = Find(file);
        if (!held) return info;
        const TrustVerification verification(held->path, held->file.Get());
        PCCERT_CONTEXT cert = verification.SigningCertificate();
        if (!verification.Trusted() || !verification.ChainReachesTrustedRoot() || !cert) return info;
        info.bVerified = true;
        info.commonName = CommonName(cert);
        info.thumbprint = Sha256Thumbprint(cert);
        // Read by path: the file cannot change or move while it is held.
        info.version = FileVersion(held->path);
        return info;
    }

    bool Start(HeldFile file) override {
        const Held* held = Find(file);
        if (!held) return false;
        // The menu's version check runs on a worker thread of its own; a file
        // type's handler (msiexec for .msi) may be a COM object, so the shell
        // wants COM on the calling thread. Where the thread already has it,
        // this only counts one more use, released below.
        const HRESULT hrCom = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        SHELLEXECUTEINFOW execute;
        ZeroMemory(&execute, sizeof execute);
        execute.cbSize = sizeof execute;
        // Started before the handle goes: the file stays what was checked.
        execute.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        execute.lpVerb = L"open";
        execute.lpFile = held->path.c_str();
        execute.nShow = SW_SHOWNORMAL;
        const BOOL started = ::ShellExecuteExW(&execute);
        if (SUCCEEDED(hrCom)) ::CoUninitialize();
        return started != FALSE;
    }

    void Release(HeldFile file) override {
        std::lock_guard<std::mutex> hold(m_lock);
        m_held.erase(file);
    }

    uint64_t OwnVersion() override {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return 0;
        return FileVersion(path);
    }

private:
    // Held files are released only by the thread that holds them.
    const Held* Find(HeldFile file) {
        std::lock_guard<std::mutex> hold(m_lock);
        auto it = m_held.find(file);
        return it == m_held.end() ? nullptr : it->second.get();
    }

    std::mutex m_lock;
    std::map<HeldFile, std::unique_ptr<Held>> m_held;
    HeldFile m_next = 1;
};

}  // namespace

std::unique_ptr<ITrust> MakeWin32Trust() { return std::make_unique<Win32Trust>(); }

}  // namespace seam
