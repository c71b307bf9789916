// libFuzzer target: bytes from the instrument's socket, cut into a sequence of requests,
// run through the remote command handler against the fake main window. Whatever arrives
// (grids of billions of points, NaN positions, texts without an end) must be handled or
// refused without a crash, a leak or undefined behaviour.
#include "fuzz/FuzzFolder.h"
#include "fuzz/FuzzMemory.h"
#include "link/CRemoteCommandHandler.h"
#include "tests/link/LinkFakes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    return InitialiseFuzzTarget(argc, argv);
}

// Each request is one length byte n, then up to n bytes laid over the start of a zeroed
// 288-byte record, as a short read on the socket leaves it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 400)
        return 0;
    CFakeHostUi ui;
    CTestProgram state(ui);
    FixFuzzMemory(state.services);
    CFakeRemoteHost host(state);
    CRemoteCommandHandler handler(state.services, state.view, host);

    std::size_t at = 0;
    while (at < size) {
        const std::size_t declared = data[at];
        ++at;
        const std::size_t length = std::min(declared, size - at);
        PipeBytes bytes{};
        std::memcpy(bytes.data(), data + at, std::min(length, bytes.size()));
        at += length;
        PipeMessage request = DecodePipeMessage(bytes);
        // File commands name files in the private folder only: the fuzzer must not
        // write anywhere else on the machine.
        if (request.code == kLoadImage || request.code == kSaveImage) {
            const char* const names[] = {"a.rad", "b.rad", "missing/c.rad", ""};
            const QString path = FuzzFolder().filePath(
                QLatin1String(names[static_cast<unsigned char>(request.text[0]) % 4]));
            SetPipeText(request, QFile::encodeName(path).constData());
        }
        const std::int32_t status = handler.HandleRequest(request);
        if (status != 0 && status != -1)
            std::abort();
    }
    for (const auto& doc : host.docs)
        if (doc->m_pIntensity.size() != static_cast<std::size_t>(doc->PointCount()))
            std::abort();
    return 0;
}
