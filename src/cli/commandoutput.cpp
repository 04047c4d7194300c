#include "commandoutput.h"

namespace velmora::cli {

void printLine(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

int fail(const char* command, const QString& reason)
{
    printLine(stderr, QStringLiteral("velmora-cli %1: %2").arg(QLatin1String(command), reason));
    return 1;
}

} // namespace velmora::cli
