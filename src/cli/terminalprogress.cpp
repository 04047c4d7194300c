#include "terminalprogress.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <unistd.h>

namespace velmora::cli {

namespace {

class TerminalLine
{
public:
    void operator()(const char* stage, std::int64_t done, std::int64_t total)
    {
        const int percent = static_cast<int>(done * 100 / std::max<std::int64_t>(total, 1));
        if (stage == m_stage && percent == m_percent)
            return;
        m_stage = stage;
        m_percent = percent;
        std::fprintf(stderr, "\r%-8s %3d%%", stage, percent);
        if (done == total)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    }

private:
    std::string m_stage;
    int m_percent = -1;
};

} // namespace

firm::FirmProgress terminalProgress()
{
    if (!isatty(STDERR_FILENO))
        return {};
    return TerminalLine();
}

} // namespace velmora::cli
