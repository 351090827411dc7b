#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace platform::testing {

// Two linked pseudo-terminals made by socat: a line whose far end is a program we did not
// write. A() and B() are the two ends' device links.
class TSocatPair {
public:
    TSocatPair();
    ~TSocatPair();
    TSocatPair(const TSocatPair&) = delete;
    TSocatPair& operator=(const TSocatPair&) = delete;

    bool Ready() const;
    std::string A() const { return (Folder_ / "a").string(); }
    std::string B() const { return (Folder_ / "b").string(); }

private:
    std::filesystem::path Folder_;
    pid_t Pid_ = -1;
};

}  // namespace platform::testing
