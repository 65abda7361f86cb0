#include "tool/DownloadTool.h"

#include "job/ProcessPresence.h"
#include "platform/Files.h"
#include "platform/Handle.h"
#include "tool/Payload.h"

#include <windows.h>
#include <wincrypt.h>

#include <string>

namespace {

constexpr char ToolFileName[] = "wget.exe";
constexpr char LockName[] = "VelmoraDownloadTool.lock";
constexpr char UsersName[] = "VelmoraDownloadTool.users";

// What this copy of the program holds between deployTool and removeTool.
struct ToolState {
    Handle lock;  // named mutex: one copy at a time places or removes the tool
    Handle users; // named semaphore: its count is the number of running copies
    bool counted = false;
    Text caBundlePath;
};

ToolState& state()
{
    static ToolState s;
    return s;
}

// The tool file is shared by every copy on the machine, so its guards are
// machine-wide. Creating a Global\ object needs a privilege that elevated
// programs have; without it the session's namespace is the best there is.
template <typename Create>
Handle createNamed(const char* name, Create create)
{
    Handle h(create((std::string("Global\\") + name).c_str()));
    if (!h)
        h.reset(create((std::string("Local\\") + name).c_str()));
    return h;
}

class LockGuard {
public:
    explicit LockGuard(const Handle& mutex) : mutex_(mutex.get())
    {
        // An abandoned mutex (a copy that crashed while holding it) is ours now.
        DWORD r = mutex_ ? ::WaitForSingleObject(mutex_, 30000) : WAIT_FAILED;
        held_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
    }
    ~LockGuard()
    {
        if (held_)
            ::ReleaseMutex(mutex_);
    }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    HANDLE mutex_;
    bool held_ = false;
};

Text toolPath()
{
    // GetSystemDirectory, not a fixed C:\Windows\System32: Windows need not
    // live on C:. A 32-bit program on 64-bit Windows is shown SysWOW64 here;
    // the interpreter it starts is 32-bit too and searches the same folder.
    char dir[MAX_PATH];
    UINT n = ::GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return text::concat({std::string_view(dir, n), "\\", ToolFileName});
}

// Writes under a temporary name in the same folder and renames it into
// place, so a crash or a full disk never leaves a truncated wget.exe behind.
// MoveFileEx without MOVEFILE_REPLACE_EXISTING never replaces a file that
// appeared meanwhile.
void placeTool(const Text& path, std::string_view payload)
{
    Text temp = text::concat({path, ".", std::to_string(::GetCurrentProcessId()), ".tmp"});
    if (!files::createNew(temp, payload))
        return;
    if (!::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH))
        ::DeleteFileA(temp.c_str());
}

bool isOurTool(const Text& path)
{
    std::optional<std::string> bytes = files::readAll(path);
    return bytes && !bytes->empty() && *bytes == toolPayload();
}

// Certificates the user's Windows trusts, in PEM form.
std::string windowsRootCertificates()
{
    HCERTSTORE store = ::CertOpenSystemStoreA(0, "ROOT");
    if (!store)
        return {};
    std::string pem;
    // Each call releases the context passed in; the last one returns null.
    for (PCCERT_CONTEXT cert = nullptr; (cert = ::CertEnumCertificatesInStore(store, cert));) {
        DWORD size = 0;
        if (!::CryptBinaryToStringA(cert->pbCertEncoded, cert->cbCertEncoded,
                                    CRYPT_STRING_BASE64HEADER, nullptr, &size))
            continue;
        std::string one(size, '\0');
        if (::CryptBinaryToStringA(cert->pbCertEncoded, cert->cbCertEncoded,
                                   CRYPT_STRING_BASE64HEADER, one.data(), &size)) {
            one.resize(size);
            pem += one;
        }
    }
    ::CertCloseStore(store, 0);
    return pem;
}

// wget's OpenSSL reads no Windows certificate store. It gets a file of its
// own: Debian's CA list (a fresh Windows holds only some roots and fetches
// the others on demand, which OpenSSL cannot do) plus every root this
// Windows trusts. Every process the program starts inherits SSL_CERT_FILE.
Text writeCaBundle()
{
    std::string pem = std::string(caBundlePayload()) + "\n" + windowsRootCertificates();
    char dir[MAX_PATH];
    DWORD n = ::GetTempPathA(MAX_PATH, dir);
    if (n == 0 || n >= MAX_PATH)
        return {};
    std::string base = text::concat({std::string_view(dir, n), "velmora-ca-",
                                     std::to_string(::GetCurrentProcessId())});
    for (int i = 0; i < 100; ++i) {
        Text path = base + (i ? "-" + std::to_string(i) : std::string()) + ".crt";
        if (files::createNew(path, pem)) {
            ::SetEnvironmentVariableA("SSL_CERT_FILE", path.c_str());
            return path;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    return {};
}

} // namespace

void deployTool()
{
    ToolState& s = state();
    if (s.counted)
        return;
    s.lock = createNamed(LockName, [](const char* n) { return ::CreateMutexA(nullptr, FALSE, n); });
    s.users = createNamed(UsersName, [](const char* n) {
        return ::CreateSemaphoreA(nullptr, 0, 0x7FFFFFFF, n);
    });
    {
        LockGuard guard(s.lock);
        s.counted = s.users && ::ReleaseSemaphore(s.users.get(), 1, nullptr);
        // Whatever is already there stays: a copy of ours left by another run,
        // or the user's own wget, which the script then uses.
        Text path = toolPath();
        if (!path.empty() && !toolPayload().empty() && !files::exists(path))
            placeTool(path, toolPayload());
    }
    if (s.caBundlePath.empty())
        s.caBundlePath = writeCaBundle();
}

void removeTool()
{
    ToolState& s = state();
    if (!s.caBundlePath.empty()) {
        ::DeleteFileA(s.caBundlePath.c_str());
        ::SetEnvironmentVariableA("SSL_CERT_FILE", nullptr);
        s.caBundlePath.clear();
    }
    // Without a count of the other copies the tool stays: one of them may
    // still rely on it.
    if (!s.counted)
        return;
    LockGuard guard(s.lock);
    ::WaitForSingleObject(s.users.get(), 0); // our own count
    s.counted = false;
    LONG others = 0;
    if (::ReleaseSemaphore(s.users.get(), 1, &others))
        ::WaitForSingleObject(s.users.get(), 0);
    else
        others = 1;
    s.users.reset();
    // Only our own bytes are removed, and not under a wget that still runs.
    Text path = toolPath();
    if (others == 0 && !path.empty() && !isProcessRunning("wget.exe") && isOurTool(path))
        ::DeleteFileA(path.c_str());
}
