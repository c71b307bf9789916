// The printed page as Print and `vespira-rad export OUT.pdf` make it, now that the cells
// go into the PDF losslessly and enlarged: the time to draw one A4 page and the size of
// the PDF for a small, a large and the largest grid of noisy intensities with scattered
// single targets. Prints its figures.
#include "display/ColourSettings.h"
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "document/ViewOptions.h"
#include "render/PrintedPage.h"
#include "render/RenderContext.h"
#include "render/ToolState.h"

#include <QBuffer>
#include <QFont>
#include <QGuiApplication>
#include <QPdfWriter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    CStderrUi ui;
    DocumentServices services(ui);
    const ProgramColours colours;
    const ViewOptions options;
    const ToolState tools;
    const RenderContext context{colours, options, tools, services.liveScan};
    bool ok = true;

    for (const int side : {41, 1001, 4096}) {
        const float step = 0.1f;
        services.liveScan.SetPendingGrid(
            ScanGrid{side, side, 0.0f, (side - 1) * step, step, 0.0f, (side - 1) * step, step});
        CVespiraDoc doc(services);
        if (!doc.OnNewDocument()) {
            ok = false;
            continue;
        }
        for (int i = 0; i < doc.PointCount(); ++i)
            doc.m_pIntensity[static_cast<std::size_t>(i)] = 10000 + (i * 7919) % 5000;
        doc.m_nMaxIntensity = 15000;
        for (int i = 0; i < doc.PointCount(); i += 997)
            doc.m_pScanTime[static_cast<std::size_t>(i)] = 900.0f;
        doc.RecountSelection();

        std::vector<double> times;
        qsizetype bytes = 0;
        for (int run = 0; run < 3; ++run) {
            QByteArray pdf;
            QBuffer buffer(&pdf);
            ok = ok && buffer.open(QIODevice::WriteOnly);
            const Clock::time_point start = Clock::now();
            {
                QPdfWriter writer(&buffer);
                writer.setPageSize(QPageSize(QPageSize::A4));
                ok = ok && PrintPatternPage(writer, doc, context, QFont());
            }
            times.push_back(Ms(start, Clock::now()));
            bytes = pdf.size();
        }
        std::sort(times.begin(), times.end());
        std::printf("printed page %d x %d: %.1f ms (median of 3), PDF %.1f KB\n", side, side,
                    times[1], double(bytes) / 1024.0);
    }
    return ok ? 0 : 1;
}
