#include "platform/testing/socat_pair.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace platform::testing {

TSocatPair::TSocatPair() {
    static std::atomic<int> counter{0};
    Folder_ = std::filesystem::temp_directory_path() /
              ("socat-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(Folder_);
    Pid_ = fork();
    if (Pid_ == 0) {
        const std::string a = "pty,raw,echo=0,link=" + A();
        const std::string b = "pty,raw,echo=0,link=" + B();
        execlp("socat", "socat", a.c_str(), b.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 300 && !Ready(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TSocatPair::~TSocatPair() {
    if (Pid_ > 0) {
        kill(Pid_, SIGTERM);
        waitpid(Pid_, nullptr, 0);
    }
    std::error_code error;
    std::filesystem::remove_all(Folder_, error);
}

bool TSocatPair::Ready() const { return std::filesystem::exists(A()) && std::filesystem::exists(B()); }

}  // namespace platform::testing
