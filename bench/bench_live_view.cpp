// The live view's work in the GUI thread: what one update costs during a scan of a
// 1000 x 1000 pattern (1000 changed cells, as 5,000 points/s give in a fifth of a second)
// and what a full refresh of the whole pattern costs (a viewer joining, a new pattern).
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "web/LiveViewMessages.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <numeric>

namespace {

template <typename F>
double BestMs(int rounds, F&& f)
{
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        best = std::min(
            best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                      .count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CStderrUi ui;
    DocumentServices services(ui);
    CVespiraDoc doc(services);
    constexpr int kSide = 1000;
    if (!doc.SetUpGrid(ScanGrid{kSide, kSide, 0.0f, 999.0f, 1.0f, 0.0f, 999.0f, 1.0f}))
        return 1;
    for (std::size_t i = 0; i < doc.m_pIntensity.size(); ++i)
        doc.m_pIntensity[i] = static_cast<std::int32_t>(i % 20000) + 1;
    std::vector<std::uint32_t> changed(1000);
    std::iota(changed.begin(), changed.end(), 500000u);
    QByteArray sink;
    const double update = BestMs(50, [&] { sink = LiveMessage::Cells(1, doc, changed, 0); });
    const double updateBytes = static_cast<double>(sink.size());
    const double full = BestMs(5, [&] {
        sink = LiveMessage::Pattern(1, doc, 0);
        sink = LiveMessage::AllCells(1, doc, 0);
    });
    const double fullBytes = static_cast<double>(sink.size());
    const double targets = BestMs(5, [&] { sink = LiveMessage::Targets(1, doc); });
    std::printf("live view, pattern %dx%d\n", kSide, kSide);
    std::printf("update of 1000 changed cells %8.3f ms, %8.0f bytes (4.0 per point + 24)\n", update,
                updateBytes);
    std::printf("full refresh                 %8.3f ms, %8.0f bytes of cells\n", full, fullBytes);
    std::printf("target list                  %8.3f ms\n", targets);
    return 0;
}
