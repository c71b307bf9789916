#include "display/ColourSettings.h"

#include "base/FixedText.h"
#include "display/ColourTransform.h"
#include "display/LookupTable.h"
#include "document/CVespiraDoc.h"
#include "document/IHostUi.h"

#include <QString>

ColourScaleValues ColourScaleValuesOf(const CVespiraDoc& doc)
{
    return {doc.m_nBrightness, doc.m_nContrast, doc.m_nHue, doc.m_nSaturation,
            std::string(TextOf(doc.m_szLutName))};
}

bool ColourScaleDiffers(const CVespiraDoc& doc, const ColourScaleValues& values)
{
    const QString current = QString::fromLocal8Bit(TextOf(doc.m_szLutName));
    const QString chosen = QString::fromLocal8Bit(values.lutName);
    return values.brightness != doc.m_nBrightness || values.contrast != doc.m_nContrast ||
           values.hue != doc.m_nHue || values.saturation != doc.m_nSaturation ||
           current.compare(chosen, Qt::CaseInsensitive) != 0;
}

void LoadStartupColours(DisplaySettings& display)
{
    ReadLookupTable(TextOf(display.szLutName), display.lutColors);
    ApplyBrightnessContrast(display.lutColors, display.nBrightness, display.nContrast, 0, 0,
                            display.displayColors);
}

bool ApplyColourScaleChoice(CVespiraDoc& doc, DisplaySettings& programWide, IHostUi& ui,
                            const ColourScaleValues& values)
{
    if (!ColourScaleDiffers(doc, values))
        return false;
    CWaitCursor wait(ui);
    doc.m_nBrightness = values.brightness;
    doc.m_nContrast = values.contrast;
    doc.m_nHue = values.hue;
    doc.m_nSaturation = values.saturation;
    CopyText(doc.m_szLutName, values.lutName);
    ReadLookupTable(TextOf(doc.m_szLutName), doc.m_LutColors);
    ApplyBrightnessContrast(doc.m_LutColors, doc.m_nBrightness, doc.m_nContrast, doc.m_nHue,
                            doc.m_nSaturation, doc.m_DisplayColors);
    programWide = doc.GetDisplaySettings();
    return true;
}

bool ApplyRangeChoice(CVespiraDoc& doc, DisplaySettings& programWide, const RangeSettings& range)
{
    if (range == doc.m_range.settings)
        return false;
    doc.m_range.settings = range;
    programWide.range = range;
    return true;
}

void SetDocumentBrightnessContrast(CVespiraDoc& doc, DisplaySettings& programWide, int brightness,
                                   int contrast)
{
    doc.m_nBrightness = brightness;
    doc.m_nContrast = contrast;
    ApplyBrightnessContrast(doc.m_LutColors, brightness, contrast, doc.m_nHue, doc.m_nSaturation,
                            doc.m_DisplayColors);
    programWide.nBrightness = brightness;
    programWide.nContrast = contrast;
    programWide.displayColors = doc.m_DisplayColors;
}
