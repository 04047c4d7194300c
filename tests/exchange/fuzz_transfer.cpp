// libFuzzer entry points of the transfer file fuzzing harness (scripts/fuzz).
#include "transferfuzzing.h"

#include <QCoreApplication>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    velmora::test::fuzzTransferInput(data, size);
    return 0;
}
