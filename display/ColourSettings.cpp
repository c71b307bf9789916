#include "display/ColourSettings.h"

#include "base/FixedText.h"
#include "display/ColourTransform.h"
#include "display/LookupTable.h"
#include "document/CProgramState.h"
#include "document/CVespiraDoc.h"

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

void LoadPalette(CProgramState& state)
{
    state.paletteRealise = true;
}

void LoadStartupColours(CProgramState& state)
{
    DisplaySettings& display = state.display;
    ReadLookupTable(TextOf(display.szLutName), display.lutColors);
    ApplyBrightnessContrast(display.lutColors, display.nBrightness, display.nContrast, 0, 0,
                            display.displayColors);
    LoadPalette(state);
}

bool ApplyColourScaleChoice(CVespiraDoc& doc, CProgramState& state, const ColourScaleValues& values)
{
    if (!ColourScaleDiffers(doc, values))
        return false;
    CWaitCursor wait(*state.ui);
    doc.m_nBrightness = values.brightness;
    doc.m_nContrast = values.contrast;
    doc.m_nHue = values.hue;
    doc.m_nSaturation = values.saturation;
    CopyText(doc.m_szLutName, values.lutName);
    ReadLookupTable(TextOf(doc.m_szLutName), doc.m_LutColors);
    ApplyBrightnessContrast(doc.m_LutColors, doc.m_nBrightness, doc.m_nContrast, doc.m_nHue,
                            doc.m_nSaturation, doc.m_DisplayColors);

    DisplaySettings& display = state.display;
    display.nBrightness = doc.m_nBrightness;
    display.nContrast = doc.m_nContrast;
    display.nHue = doc.m_nHue;
    display.nSaturation = doc.m_nSaturation;
    CopyText(display.szLutName, TextOf(doc.m_szLutName));
    display.lutColors = doc.m_LutColors;
    display.displayColors = doc.m_DisplayColors;
    LoadPalette(state);
    return true;
}

void SetDocumentBrightnessContrast(CVespiraDoc& doc, CProgramState& state, int brightness,
                                   int contrast)
{
    doc.m_nBrightness = brightness;
    doc.m_nContrast = contrast;
    ApplyBrightnessContrast(doc.m_LutColors, brightness, contrast, doc.m_nHue, doc.m_nSaturation,
                            doc.m_DisplayColors);
    state.display.nBrightness = brightness;
    state.display.nContrast = contrast;
    state.display.displayColors = doc.m_DisplayColors;
    LoadPalette(state);
}
