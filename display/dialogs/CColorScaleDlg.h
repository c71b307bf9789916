#pragma once

#include "display/ColourSettings.h"
#include "document/Colour.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class CRangePanel;
class IHostUi;
struct ProgramColours;
class QComboBox;
class QLineEdit;
class QPainter;
class QPushButton;
class QScrollBar;
class QWidget;

// "Color Intensity Scale": the look-up table and brightness and contrast of a pattern,
// with a preview of the resulting colour scale. Hue and saturation are shown but fixed.
class CColorScaleDlg : public QDialog
{
    Q_OBJECT

public:
    // The longest look-up table name the settings and documents can hold.
    static constexpr int kMaxLutName = 63;

    // colours: the preview's frame and background; range: the pattern's colour range.
    CColorScaleDlg(const ProgramColours& colours, IHostUi& ui, const ColourScaleValues& values,
                   const ColourTable& lut, QWidget* parent = nullptr,
                   const RangeSettings& range = {});

    ColourScaleValues Values() const;
    RangeSettings Range() const;
    // The pattern's measured values (only those) for the range's histogram, and its rising
    // range.
    void SetRangeData(std::vector<std::int32_t> measured, int risingMin, int risingMax);
    CRangePanel* RangePanel() const { return m_rangePanel; }

    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Value
    {
        kBrightness,
        kContrast,
        kHue,
        kSaturation,
        kValueCount
    };

    void DrawPreview(QPainter& painter);
    void OnValueEdited(int which);
    bool CheckValueEdit(int which);
    void OnScrolled();
    void OnDefaults();
    void OnLutTextChanged(const QString& text);
    void ShowValue(int which);

    const ProgramColours& m_colours;
    IHostUi& m_ui;
    int m_values[kValueCount] = {};
    int m_initialValues[kValueCount] = {};
    QString m_szLutName;
    QString m_initialLutName;
    ColourTable m_LutColors;
    ColourTable m_docLutColors;
    ColourTable m_previewColours{};

    QComboBox* m_lutCombo;
    QScrollBar* m_bars[kValueCount];
    QLineEdit* m_edits[kValueCount];
    QPushButton* m_defaults;
    QWidget* m_preview;
    CRangePanel* m_rangePanel;
    bool m_checking = false;
    bool m_bCancelling = false;
};
