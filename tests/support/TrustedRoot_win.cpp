#include "TrustedRoot.h"

#include <windows.h>
#include <wincrypt.h>

bool removeFromRootStore(const std::string& der)
{
    PCCERT_CONTEXT wanted = ::CertCreateCertificateContext(
        X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()));
    if (!wanted)
        return false;
    bool left = false;
    for (DWORD location : {CERT_SYSTEM_STORE_CURRENT_USER, CERT_SYSTEM_STORE_LOCAL_MACHINE}) {
        HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, location, "ROOT");
        if (!store)
            continue;
        PCCERT_CONTEXT found;
        while (!left && (found = ::CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                              CERT_FIND_EXISTING, wanted, nullptr)))
            left = !::CertDeleteCertificateFromStore(found); // releases found
        ::CertCloseStore(store, 0);
    }
    // Wine 8 reports the deletion but keeps the certificate in the registry,
    // where its root store lives, so the key goes too.
    BYTE hash[20];
    DWORD size = sizeof hash;
    if (::CertGetCertificateContextProperty(wanted, CERT_SHA1_HASH_PROP_ID, hash, &size)) {
        std::string key = "Software\\Microsoft\\SystemCertificates\\ROOT\\Certificates\\";
        for (DWORD i = 0; i < size; ++i) {
            char hex[3];
            wsprintfA(hex, "%02X", hash[i]);
            key += hex;
        }
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            LSTATUS r = ::RegDeleteKeyA(root, key.c_str());
            left = left || (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND);
        }
    }
    ::CertFreeCertificateContext(wanted);
    return !left;
}

TrustedRoot::TrustedRoot(std::string der) : der_(std::move(der))
{
    added_ = !der_.empty() &&
             ::CertAddEncodedCertificateToSystemStoreA("ROOT", reinterpret_cast<const BYTE*>(der_.data()),
                                                       static_cast<DWORD>(der_.size()));
    if (!added_)
        addError_ = ::GetLastError();
}

bool TrustedRoot::remove()
{
    added_ = false;
    return removeFromRootStore(der_);
}

TrustedRoot::~TrustedRoot()
{
    if (added_)
        remove();
}
