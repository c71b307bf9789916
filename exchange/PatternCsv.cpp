#include "exchange/PatternCsv.h"

#include "base/DecimalPlaces.h"
#include "base/NumberText.h"
#include "document/CVespiraDoc.h"

#include <string>

namespace {

constexpr std::size_t kPieceSize = std::size_t{1} << 20;

} // namespace

bool WritePatternCsvText(const CVespiraDoc& doc, const ByteWriter& write)
{
    const int xDecimals = DecimalPlaces(doc.m_fXInc);
    const int yDecimals = DecimalPlaces(doc.m_fYInc);
    std::string piece = std::string(kPatternCsvHeader) + '\n';
    piece.reserve(kPieceSize + 256);
    for (int row = 0; row < doc.m_nYPoints; ++row) {
        const std::string rowText = FormatInt(row);
        const std::string y = FormatFixed(doc.YOf(row), yDecimals);
        for (int col = 0; col < doc.m_nXPoints; ++col) {
            const auto i = static_cast<std::size_t>(doc.IndexOf(col, row));
            piece += FormatInt(col);
            piece += ',';
            piece += rowText;
            piece += ',';
            piece += FormatFixed(doc.XOf(col), xDecimals);
            piece += ',';
            piece += y;
            piece += ',';
            piece += FormatInt(doc.m_pIntensity[i]);
            piece += ',';
            piece += FormatFixed(doc.m_pScanTime[i], 1);
            piece += '\n';
            if (piece.size() >= kPieceSize) {
                if (!write(piece))
                    return false;
                piece.clear();
            }
        }
    }
    return write(piece);
}

bool WritePatternCsv(const CVespiraDoc& doc, const QByteArray& path)
{
    return WriteFileReplacing(
        path, [&doc](const ByteWriter& write) { return WritePatternCsvText(doc, write); });
}
