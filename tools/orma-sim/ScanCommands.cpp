#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "tools/orma-sim/CScanRunner.h"
#include "tools/orma-sim/Commands.h"
#include "tools/orma-sim/SimOptions.h"
#include "tools/orma-sim/SyntheticSample.h"

#include <QFileInfo>

namespace {

PipeMessage DefaultMeasurement()
{
    PipeMessage m;
    m.code = kMeasurementParameters;
    m.param1 = 1.0f;   // s per point
    m.param2 = 40.0f;  // kV
    m.param3 = 30.0f;  // mA
    m.param4 = 100.0f; // detector distance
    m.param5 = 512.0f; // detector x
    m.param6 = 512.0f; // detector y
    m.intParam = 1024; // detector size
    return m;
}

PipeMessage DefaultBackground()
{
    PipeMessage m;
    m.code = kBackgroundParameters;
    m.param3 = 40.0f;
    m.param4 = 30.0f;
    m.param5 = 1.0f;
    SetPipeText(m, "background.rad");
    return m;
}

void AddScanOptions(CSimOptions& options)
{
    options.parser.addOption(
        {"rate", "Points per second; 0 sends as fast as Vespira answers (default 0).", "n", "0"});
    options.parser.addOption(
        {"save", "Save the pattern to this .rad file at the end (SAVEIMAGE).", "path"});
}

// Rate and save path; false after saying what is wrong.
bool ReadScanOptions(const CSimOptions& options, ScanPlan& plan)
{
    if (!options.Number(QStringLiteral("rate"), plan.rate))
        return false;
    if (options.parser.isSet(QStringLiteral("save"))) {
        // Vespira runs elsewhere: it gets the full path.
        const QString path =
            QFileInfo(options.parser.value(QStringLiteral("save"))).absoluteFilePath();
        plan.savePath = QFile::encodeName(path).toStdString();
        if (plan.savePath.size() > 255) {
            SimError("the save path is longer than the 255 characters a message carries");
            return false;
        }
    }
    return true;
}

int RunPlan(const CSimOptions& options, const ScanPlan& plan)
{
    CStopSignal stop;
    CSimLink link(stop);
    if (const int exit = options.OpenLink(link); exit != kExitOk)
        return exit;
    return CScanRunner(link, stop).Run(plan);
}

} // namespace

int RunScan(const QStringList& args)
{
    CSimOptions options("scan",
                        "Scans a synthetic sample (a disc with a denser inclusion, with "
                        "counting noise) into a new pattern in Vespira: NEWIMAGE, the "
                        "measurement and background parameters, COLLECTING and NEWPOINT for "
                        "every point, ENDCOLLECT and, with --save, SAVEIMAGE. Ctrl+C stops.");
    options.parser.addOption({"x", "X axis in mm as BEGIN:END:INCREMENT (default -5:5:0.2).",
                              "beg:end:inc", "-5:5:0.2"});
    options.parser.addOption({"y", "Y axis in mm as BEGIN:END:INCREMENT (default -5:5:0.2).",
                              "beg:end:inc", "-5:5:0.2"});
    options.parser.addOption({"seed", "Seed of the counting noise (default 1).", "n", "1"});
    AddScanOptions(options);
    if (const int parsed = options.Parse(args); parsed != kExitOk)
        return parsed < 0 ? kExitOk : parsed;
    if (!options.parser.positionalArguments().isEmpty()) {
        SimError("scan takes no arguments besides its options");
        return kExitUsage;
    }

    ScanPlan plan;
    int seed = 1;
    if (!ParseAxis(options.parser.value("x"), plan.xBeg, plan.xEnd, plan.xInc) ||
        !ParseAxis(options.parser.value("y"), plan.yBeg, plan.yEnd, plan.yInc)) {
        SimError("an axis is given as BEGIN:END:INCREMENT, for instance -5:5:0.2");
        return kExitUsage;
    }
    if (!ParseInt(options.parser.value("seed"), seed)) {
        SimError("--seed needs a whole number");
        return kExitUsage;
    }
    if (!ReadScanOptions(options, plan))
        return kExitUsage;
    plan.measurement = DefaultMeasurement();
    plan.background = DefaultBackground();
    auto sample = std::make_shared<CSyntheticSample>(plan.xBeg, plan.xEnd, plan.yBeg, plan.yEnd,
                                                     static_cast<std::uint32_t>(seed));
    plan.intensity = [sample](int, int, float x, float y) { return sample->Intensity(x, y); };
    return RunPlan(options, plan);
}

int RunReplay(const QStringList& args)
{
    CSimOptions options("replay", "Scans out an existing .rad pattern into a new pattern in "
                                  "Vespira, with its grid, header and intensities.");
    options.parser.addPositionalArgument("file", "The .rad pattern to scan out.");
    AddScanOptions(options);
    if (const int parsed = options.Parse(args); parsed != kExitOk)
        return parsed < 0 ? kExitOk : parsed;
    if (options.parser.positionalArguments().size() != 1) {
        SimError("replay takes one .rad file");
        return kExitUsage;
    }

    CStderrUi ui;
    DocumentServices services(ui);
    CVespiraDoc file(services);
    CVespiraDoc* doc = &file;
    const QString path = options.parser.positionalArguments().first();
    if (!ReadPatternFile(*doc, QFile::encodeName(path))) {
        SimError("cannot read " + path.toStdString() + " as a pattern");
        return kExitUsage;
    }

    ScanPlan plan;
    if (!ReadScanOptions(options, plan))
        return kExitUsage;
    plan.xBeg = doc->m_fXBeg;
    plan.xEnd = doc->m_fXEnd;
    plan.xInc = doc->m_fXInc;
    plan.yBeg = doc->m_fYBeg;
    plan.yEnd = doc->m_fYEnd;
    plan.yInc = doc->m_fYInc;
    plan.measurement.code = kMeasurementParameters;
    plan.measurement.param1 = doc->m_fMeasTime;
    plan.measurement.param2 = static_cast<float>(doc->m_nKV);
    plan.measurement.param3 = static_cast<float>(doc->m_nMA);
    plan.measurement.param4 = doc->m_fDetDistance;
    plan.measurement.param5 = doc->m_fBeamX;
    plan.measurement.param6 = doc->m_fBeamY;
    plan.measurement.intParam = doc->m_nImageSize;
    plan.background.code = kBackgroundParameters;
    plan.background.param1 = doc->m_fBackgroundX;
    plan.background.param2 = doc->m_fBackgroundY;
    plan.background.param3 = static_cast<float>(doc->m_nBackgroundKV);
    plan.background.param4 = static_cast<float>(doc->m_nBackgroundMA);
    plan.background.param5 = doc->m_fBackgroundTime;
    SetPipeText(plan.background, doc->m_szBackgroundFile);
    // The scan walks the file's own grid: column and row give the value directly.
    plan.intensity = [doc](int c, int r, float, float) {
        return doc->IsInGrid(c, r) ? doc->m_pIntensity[doc->IndexOf(c, r)] : 0;
    };
    return RunPlan(options, plan);
}
