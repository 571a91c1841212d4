// The session reader, fed each input as a file. The checks catch a refused input without a
// reason, and passes that do not add up to the count or do not write back to the same lines.
#include <cstdio>
#include <vector>

#include "session/SessionReader.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    std::vector<std::uint8_t> copy(data, data + size);
    std::FILE* file = size == 0 ? std::tmpfile() : fmemopen(copy.data(), size, "rb");
    SessionReader reader;
    std::string error;
    if (!reader.open(file, "input", error)) {
        check(!error.empty());
        return 0;
    }
    PassRecord pass, again;
    std::string line;
    long passes = 0;
    while (reader.nextPass(pass)) {
        ++passes;
        passLine(pass, line);
        check(parsePassLine(line, again, error));
        std::string second;
        passLine(again, second);
        check(second == line);
    }
    check(passes == reader.passCount());
    check(!reader.complete() || reader.end().passes == passes);
    return 0;
}
