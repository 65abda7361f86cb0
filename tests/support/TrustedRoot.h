// A certificate that the tests make trusted the way a user or a company
// would: added to the current user's Windows root store, taken out again
// when done.
#pragma once

#include <string>

// Removes every copy of the certificate (DER bytes) from the user's and the
// machine's root store; true when none is left.
bool removeFromRootStore(const std::string& der);

class TrustedRoot {
public:
    explicit TrustedRoot(std::string der);
    ~TrustedRoot();
    TrustedRoot(const TrustedRoot&) = delete;
    TrustedRoot& operator=(const TrustedRoot&) = delete;

    bool added() const { return added_; }
    unsigned long addError() const { return addError_; }
    // Takes the certificate out again now rather than at destruction; true
    // when no copy is left.
    bool remove();

private:
    std::string der_;
    bool added_ = false;
    unsigned long addError_ = 0;
};
