// The OLE and COM libraries for the calling thread.
#pragma once

#include <windows.h>
#include <ole2.h>

// OLE for the life of the object, in a single-threaded apartment (the folder
// dialog and the shell need one on the thread that shows the window). Every
// successful OleInitialize, also the S_FALSE of a thread that already had
// one, is paired with one OleUninitialize.
class OleSession {
public:
    OleSession() : initialised_(SUCCEEDED(::OleInitialize(nullptr))) {}
    ~OleSession()
    {
        if (initialised_)
            ::OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

    bool initialised() const { return initialised_; }

private:
    bool initialised_;
};
