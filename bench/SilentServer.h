// A listening socket on 127.0.0.1 that takes one connection, notes when, and
// never answers on it: a download from it runs until close().
#pragma once

#include "platform/Handle.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <string>

class SilentServer {
public:
    // port 0: any free port. The caller has called WSAStartup.
    explicit SilentServer(unsigned short port = 0)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        address.sin_port = ::htons(port);
        int size = sizeof address;
        ok_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
              ::listen(listener_, 4) == 0;
        port_ = ::ntohs(address.sin_port);
        if (ok_)
            acceptor_.reset(::CreateThread(nullptr, 0, &SilentServer::acceptOne, this, 0, nullptr));
    }
    ~SilentServer() { close(); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    bool ok() const { return ok_; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    // When the connection came, in milliseconds of the system clock (the
    // clock process times use); 0 until then.
    double acceptedAt() const { return acceptedAt_; }

    // Stops listening first, so that a retry is refused and the client gives
    // up, then resets the connection it has.
    void close()
    {
        if (listener_ != INVALID_SOCKET)
            ::closesocket(listener_); // also ends a wait in accept
        listener_ = INVALID_SOCKET;
        if (acceptor_)
            ::WaitForSingleObject(acceptor_.get(), INFINITE);
        if (connection_ != INVALID_SOCKET) {
            linger reset{1, 0};
            ::setsockopt(connection_, SOL_SOCKET, SO_LINGER, reinterpret_cast<char*>(&reset),
                         sizeof reset);
            ::closesocket(connection_);
        }
        connection_ = INVALID_SOCKET;
    }

    static double systemTimeMs()
    {
        FILETIME t;
        ::GetSystemTimeAsFileTime(&t);
        ULARGE_INTEGER u;
        u.LowPart = t.dwLowDateTime;
        u.HighPart = t.dwHighDateTime;
        return static_cast<double>(u.QuadPart) / 10000.0;
    }

private:
    static DWORD WINAPI acceptOne(void* self)
    {
        auto* server = static_cast<SilentServer*>(self);
        SOCKET s = ::accept(server->listener_, nullptr, nullptr);
        if (s != INVALID_SOCKET) {
            server->acceptedAt_ = systemTimeMs();
            server->connection_ = s;
        }
        return 0;
    }

    SOCKET listener_ = INVALID_SOCKET;
    SOCKET connection_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<double> acceptedAt_{0};
    bool ok_ = false;
    Handle acceptor_;
};
