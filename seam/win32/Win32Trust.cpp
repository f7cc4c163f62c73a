// Authenticode: whether a file carries a valid signature of a given maker,
// checked against the machine's own trust store. No key or certificate of
// our own takes part.
#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstddef>
#include <string>

#include "seam/win32/Win32Parts.h"
#include "win/Handles.h"

namespace seam {
namespace {

std::wstring WideFromAnsi(const std::string& text) {
    const int size = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.c_str(), -1, &wide[0], size);
    wide.resize(static_cast<size_t>(size - 1));
    return wide;
}

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

std::string CommonName(PCCERT_CONTEXT cert) {
    char name[256] = {};
    const DWORD size = ::CertGetNameStringA(cert, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME),
                                            name, sizeof name);
    return size > 1 ? std::string(name) : std::string();
}

class Win32Trust final : public ITrust {
public:
    bool IsSignedBy(const std::string& path, const std::string& publisher) override {
        const std::wstring widePath = WideFromAnsi(path);
        if (widePath.empty()) return false;
        // Held open without write sharing, so the bytes verified are the
        // bytes on disk for as long as the check lasts.
        win::UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        const TrustVerification verification(widePath, file.Get());
        if (!verification.Trusted() || !verification.ChainReachesTrustedRoot()) return false;
        PCCERT_CONTEXT cert = verification.SigningCertificate();
        return cert && CommonName(cert) == publisher;
    }
};

}  // namespace

std::unique_ptr<ITrust> MakeWin32Trust() { return std::make_unique<Win32Trust>(); }

}  // namespace seam
