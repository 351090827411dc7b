#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

namespace platform::testing {

// Sets TZ for one scope and puts the previous value (or its absence) back.
class TTimeZone {
public:
    explicit TTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) Old_ = old, HadOld_ = true;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TTimeZone() {
        if (HadOld_)
            setenv("TZ", Old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    TTimeZone(const TTimeZone&) = delete;
    TTimeZone& operator=(const TTimeZone&) = delete;

private:
    std::string Old_;
    bool HadOld_ = false;
};

}  // namespace platform::testing
