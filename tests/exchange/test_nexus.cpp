#include "exchange/NexusFile.h"

#include "base/FixedText.h"
#include "document/CPatternFile.h"
#include "document/CTargetHistory.h"
#include "tests/document/TestPatterns.h"
#include "tests/exchange/Hdf5TestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string StringAttribute(hid_t object, const char* name)
{
    CHdf5Handle attribute(H5Aopen(object, name, H5P_DEFAULT));
    CHdf5Handle type(H5Aget_type(attribute.Id()));
    std::string text(H5Tget_size(type.Id()), '\0');
    H5Aread(attribute.Id(), type.Id(), text.data());
    return text.substr(0, text.find('\0'));
}

std::vector<std::string> StringList(hid_t object, const char* name)
{
    CHdf5Handle attribute(H5Aopen(object, name, H5P_DEFAULT));
    CHdf5Handle type(H5Aget_type(attribute.Id()));
    CHdf5Handle space(H5Aget_space(attribute.Id()));
    const std::size_t size = H5Tget_size(type.Id());
    const auto count = static_cast<std::size_t>(H5Sget_simple_extent_npoints(space.Id()));
    std::string bytes(size * count, '\0');
    H5Aread(attribute.Id(), type.Id(), bytes.data());
    std::vector<std::string> list;
    for (std::size_t i = 0; i < count; ++i)
        list.push_back(bytes.substr(i * size, size).c_str());
    return list;
}

int IntAttribute(hid_t object, const char* name)
{
    CHdf5Handle attribute(H5Aopen(object, name, H5P_DEFAULT));
    int value = -1;
    H5Aread(attribute.Id(), H5T_NATIVE_INT, &value);
    return value;
}

template <typename T>
std::vector<T> Values(hid_t file, const char* path, hid_t memoryType, hid_t expectedType)
{
    CHdf5Handle set(H5Dopen2(file, path, H5P_DEFAULT));
    CHdf5Handle type(H5Dget_type(set.Id()));
    EXPECT_GT(H5Tequal(type.Id(), expectedType), 0) << path;
    CHdf5Handle space(H5Dget_space(set.Id()));
    std::vector<T> values(static_cast<std::size_t>(H5Sget_simple_extent_npoints(space.Id())));
    H5Dread(set.Id(), memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
    return values;
}

std::string Text(hid_t file, const char* path)
{
    CHdf5Handle set(H5Dopen2(file, path, H5P_DEFAULT));
    CHdf5Handle type(H5Dget_type(set.Id()));
    std::string text(H5Tget_size(type.Id()), '\0');
    H5Dread(set.Id(), type.Id(), H5S_ALL, H5S_ALL, H5P_DEFAULT, text.data());
    return text.substr(0, text.find('\0'));
}

std::string Units(hid_t file, const char* path)
{
    CHdf5Handle set(H5Dopen2(file, path, H5P_DEFAULT));
    return StringAttribute(set.Id(), "units");
}

class NexusTest : public ::testing::Test, public DocFixture
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(ReadPatternText(*doc, kExamplePattern), PatternReadResult::Ok);
        // Values that only exact storage keeps: the extremes of 32 bits and a negative one.
        doc->m_pIntensity[0] = 2147483647;
        doc->m_pIntensity[1] = -2147483647 - 1;
        doc->m_pIntensity[2] = -5;
        doc->SetScanTime(4, 0, 12.6f);
        CopyText(doc->m_szBackgroundFile, "bg.rad");
        doc->m_fBackgroundX = 1.25f;
        doc->m_fBackgroundY = -2.5f;
        doc->m_nBackgroundKV = 30;
        doc->m_nBackgroundMA = 20;
        doc->m_fBackgroundTime = 60.5f;
    }

    CHdf5Handle Exported()
    {
        image = NexusFileImage(*doc, QStringLiteral("sample.rad"));
        EXPECT_FALSE(image.empty());
        return OpenImage(image);
    }

    std::unique_ptr<CVespiraDoc> doc = std::make_unique<CVespiraDoc>(state);
    std::string image;
};

TEST_F(NexusTest, TheExportCarriesWhatANexusReaderNeeds)
{
    CHdf5Handle file = Exported();
    ASSERT_TRUE(file);
    CHdf5Handle root(H5Gopen2(file.Id(), "/", H5P_DEFAULT));
    EXPECT_EQ(StringAttribute(root.Id(), "default"), "entry");
    CHdf5Handle entry(H5Gopen2(file.Id(), "/entry", H5P_DEFAULT));
    EXPECT_EQ(StringAttribute(entry.Id(), "NX_class"), "NXentry");
    EXPECT_EQ(StringAttribute(entry.Id(), "default"), "data");
    EXPECT_EQ(Text(file.Id(), "/entry/title"), "sample.rad");
    EXPECT_EQ(Text(file.Id(), "/entry/start_time"), "2003-03-02T08:07:06Z");

    CHdf5Handle data(H5Gopen2(file.Id(), "/entry/data", H5P_DEFAULT));
    EXPECT_EQ(StringAttribute(data.Id(), "NX_class"), "NXdata");
    EXPECT_EQ(StringAttribute(data.Id(), "signal"), "intensity");
    EXPECT_EQ(StringList(data.Id(), "axes"), (std::vector<std::string>{"y", "x"}));
    EXPECT_EQ(IntAttribute(data.Id(), "y_indices"), 0);
    EXPECT_EQ(IntAttribute(data.Id(), "x_indices"), 1);

    CHdf5Handle signal(H5Dopen2(file.Id(), "/entry/data/intensity", H5P_DEFAULT));
    CHdf5Handle space(H5Dget_space(signal.Id()));
    hsize_t dims[2] = {};
    ASSERT_EQ(H5Sget_simple_extent_dims(space.Id(), dims, nullptr), 2);
    EXPECT_EQ(dims[0], 3u); // rows
    EXPECT_EQ(dims[1], 5u); // columns
    const auto counts =
        Values<std::int32_t>(file.Id(), "/entry/data/intensity", H5T_NATIVE_INT32, H5T_STD_I32LE);
    EXPECT_TRUE(std::equal(counts.begin(), counts.end(), doc->m_pIntensity.begin()));
    EXPECT_EQ(Values<double>(file.Id(), "/entry/data/x", H5T_NATIVE_DOUBLE, H5T_IEEE_F64LE),
              (std::vector<double>{0.0, 0.5, 1.0, 1.5, 2.0}));
    // Row 0 is the top row, at Y end.
    EXPECT_EQ(Values<double>(file.Id(), "/entry/data/y", H5T_NATIVE_DOUBLE, H5T_IEEE_F64LE),
              (std::vector<double>{1.0, 0.5, 0.0}));
    EXPECT_EQ(Units(file.Id(), "/entry/data/x"), "mm");
    EXPECT_EQ(Units(file.Id(), "/entry/data/y"), "mm");
    EXPECT_EQ(Units(file.Id(), "/entry/data/scan_time"), "s");
    const auto times =
        Values<float>(file.Id(), "/entry/data/scan_time", H5T_NATIVE_FLOAT, H5T_IEEE_F32LE);
    EXPECT_TRUE(std::equal(times.begin(), times.end(), doc->m_pScanTime.begin()));
}

TEST_F(NexusTest, PointsNotMeasuredAreMaskedAndAWholePatternHasNoMask)
{
    {
        CHdf5Handle file = Exported();
        EXPECT_LT(H5Lexists(file.Id(), "/entry/data/mask", H5P_DEFAULT), 1);
    }
    doc->m_range.ResetMeasured(15, false);
    doc->m_range.MarkMeasured(0);
    doc->m_range.MarkMeasured(7);
    CHdf5Handle file = Exported();
    std::vector<std::uint8_t> expected(15, 1);
    expected[0] = 0;
    expected[7] = 0;
    EXPECT_EQ(Values<std::uint8_t>(file.Id(), "/entry/data/mask", H5T_NATIVE_UINT8, H5T_STD_U8LE),
              expected);
}

TEST_F(NexusTest, TheTargetTableListsXYAndTimeInListOrder)
{
    CHdf5Handle file = Exported();
    EXPECT_EQ(Values<double>(file.Id(), "/entry/targets/x", H5T_NATIVE_DOUBLE, H5T_IEEE_F64LE),
              (std::vector<double>{2.0, 0.5}));
    EXPECT_EQ(Values<double>(file.Id(), "/entry/targets/y", H5T_NATIVE_DOUBLE, H5T_IEEE_F64LE),
              (std::vector<double>{1.0, 0.0}));
    EXPECT_EQ(Values<float>(file.Id(), "/entry/targets/time", H5T_NATIVE_FLOAT, H5T_IEEE_F32LE),
              (std::vector<float>{12.6f, 900.0f}));
    EXPECT_EQ(Units(file.Id(), "/entry/targets/time"), "s");
}

TEST_F(NexusTest, EveryHeaderFieldIsWrittenWithItsUnit)
{
    CHdf5Handle file = Exported();
    const auto f = [&](const char* path) {
        return Values<float>(file.Id(), path, H5T_NATIVE_FLOAT, H5T_IEEE_F32LE).at(0);
    };
    const auto i = [&](const char* path) {
        return Values<int>(file.Id(), path, H5T_NATIVE_INT, H5T_STD_I32LE).at(0);
    };
    EXPECT_EQ(f("/entry/header/measurement_time"), 10.0f);
    EXPECT_EQ(Units(file.Id(), "/entry/header/measurement_time"), "s");
    EXPECT_EQ(i("/entry/header/tube_voltage"), 40);
    EXPECT_EQ(Units(file.Id(), "/entry/header/tube_voltage"), "kV");
    EXPECT_EQ(i("/entry/header/tube_current"), 50);
    EXPECT_EQ(Units(file.Id(), "/entry/header/tube_current"), "mA");
    EXPECT_EQ(f("/entry/header/detector_distance"), 105.5f);
    EXPECT_EQ(Units(file.Id(), "/entry/header/detector_distance"), "cm");
    EXPECT_EQ(f("/entry/header/beam_center_x"), 512.0f);
    EXPECT_EQ(f("/entry/header/beam_center_y"), 498.25f);
    EXPECT_EQ(i("/entry/header/image_size"), 1024);
    EXPECT_EQ(Text(file.Id(), "/entry/header/background_file"), "bg.rad");
    EXPECT_EQ(f("/entry/header/background_x"), 1.25f);
    EXPECT_EQ(f("/entry/header/background_y"), -2.5f);
    EXPECT_EQ(i("/entry/header/background_tube_voltage"), 30);
    EXPECT_EQ(i("/entry/header/background_tube_current"), 20);
    EXPECT_EQ(f("/entry/header/background_time"), 60.5f);
    EXPECT_EQ(Text(file.Id(), "/entry/header/file_name"), "sample.rad");
    EXPECT_EQ(Text(file.Id(), "/entry/header/created_time"), " 8:07:06");
    EXPECT_EQ(Text(file.Id(), "/entry/header/modified_date"), "2003-03-02");
    EXPECT_EQ(f("/entry/header/x_increment"), 0.5f);
    EXPECT_EQ(Units(file.Id(), "/entry/header/y_end"), "mm");
}

TEST_F(NexusTest, ExportThenOpenGivesTheSamePattern)
{
    // A grid whose end lies between points, and steps that are not exact in binary.
    auto odd = NewDoc(-1.3f, 2.05f, 0.1f, 0.7f, 3.3f, 0.3f);
    ASSERT_TRUE(odd);
    for (std::size_t i = 0; i < odd->m_pIntensity.size(); ++i)
        odd->m_pIntensity[i] = static_cast<int>(i * 7919 % 1000) - 300;
    odd->SetScanTime(3, 2, 4.5f);
    odd->SetScanTime(33, 8, 1000.0f);
    for (CVespiraDoc* source : {doc.get(), odd.get()}) {
        const std::string bytes = NexusFileImage(*source, QStringLiteral("t"));
        CVespiraDoc back(state);
        std::string error;
        NexusMapInfo info;
        ASSERT_TRUE(ReadNexusImage(back, bytes, error, &info)) << error;
        EXPECT_EQ(info.title, "t");
        // The pattern file holds every field a pattern keeps: the same text, the same pattern.
        EXPECT_EQ(PatternFileText(back), PatternFileText(*source));
        EXPECT_EQ(back.m_nXPoints, source->m_nXPoints);
        EXPECT_EQ(back.m_fXEnd, source->m_fXEnd);
        EXPECT_EQ(back.m_fYInc, source->m_fYInc);
        EXPECT_TRUE(std::equal(back.m_pIntensity.begin(), back.m_pIntensity.end(),
                               source->m_pIntensity.begin()));
        EXPECT_TRUE(std::equal(back.m_pScanTime.begin(), back.m_pScanTime.end(),
                               source->m_pScanTime.begin()));
        EXPECT_FALSE(back.History().CanUndo());
        back.ClearAll();
        back.Undo();
        EXPECT_TRUE(std::equal(back.m_pScanTime.begin(), back.m_pScanTime.end(),
                               source->m_pScanTime.begin()))
            << "undo starts at the targets read";
        EXPECT_EQ(back.ScanCount(), source->ScanCount());
        EXPECT_EQ(back.m_nMaxIntensity,
                  std::max(63, *std::max_element(source->m_pIntensity.begin(),
                                                 source->m_pIntensity.end())));
    }
}

TEST_F(NexusTest, FilesAreWrittenWholeAndToldApartByTheirSignature)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("p.nxs")));
    ASSERT_TRUE(WriteNexusFile(*doc, QStringLiteral("p"), path));
    EXPECT_TRUE(HasHdf5Signature(path));
    CVespiraDoc back(state);
    std::string error;
    ASSERT_TRUE(ReadNexusFile(back, path, error)) << error;
    EXPECT_EQ(PatternFileText(back), PatternFileText(*doc));

    const QByteArray rad = QFile::encodeName(dir.filePath(QStringLiteral("p.rad")));
    ASSERT_TRUE(WritePatternFile(*doc, rad));
    EXPECT_FALSE(HasHdf5Signature(rad));
    EXPECT_FALSE(HasHdf5Signature(QFile::encodeName(dir.path())));
    // After a user block of 512 bytes, the signature is found there.
    std::string shifted(512, 'u');
    shifted += "\x89HDF\r\n\x1a\n";
    EXPECT_TRUE(HasHdf5Signature(shifted));
    EXPECT_FALSE(HasHdf5Signature(std::string_view("\x89HDF\r\n\x1a", 7)));

    // A failed write leaves the file that was there.
    const QByteArray folder = QFile::encodeName(dir.filePath(QStringLiteral("sub")));
    ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("sub"))));
    EXPECT_FALSE(WriteNexusFile(*doc, QStringLiteral("p"), folder));
}

// A map of another tool: Y rising with the rows, X falling, in micrometres, counts as
// floats, @axes given as one text and the signal found by its NXentry's @default.
TEST_F(NexusTest, OtherToolsMapsAreTakenOverOnTheProgramsGrid)
{
    CHdf5Builder b;
    CHdf5Handle entry = b.Group(b.File(), "scan", "NXentry");
    CHdf5Builder::Text(entry.Id(), "default", "map");
    b.Group(entry.Id(), "first", "NXdata");
    CHdf5Handle map = b.Group(entry.Id(), "map", "NXdata");
    CHdf5Builder::Text(map.Id(), "signal", "counts");
    CHdf5Builder::Text(map.Id(), "axes", "sy:sx");
    const std::vector<double> counts = {1, 2, 3, 4, 5, 6}; // 2 rows x 3 columns
    CHdf5Builder::Data(map.Id(), "counts", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, {2, 3}, counts);
    CHdf5Handle sx = CHdf5Builder::Data(map.Id(), "sx", H5T_IEEE_F32LE, H5T_NATIVE_DOUBLE, {3},
                                        std::vector<double>{3000, 2000, 1000});
    CHdf5Builder::Text(sx.Id(), "units", "um");
    CHdf5Handle sy = CHdf5Builder::Data(map.Id(), "sy", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, {2},
                                        std::vector<double>{-0.5, 0.25});
    CHdf5Builder::Text(sy.Id(), "units", "mm");

    CVespiraDoc back(state);
    std::string error;
    ASSERT_TRUE(ReadNexusImage(back, b.Image(), error)) << error;
    EXPECT_EQ(back.m_nXPoints, 3);
    EXPECT_EQ(back.m_nYPoints, 2);
    EXPECT_EQ(back.m_fXBeg, 1.0f);
    EXPECT_EQ(back.m_fXInc, 1.0f);
    EXPECT_EQ(back.m_fXEnd, 3.0f);
    EXPECT_EQ(back.m_fYBeg, -0.5f);
    EXPECT_EQ(back.m_fYEnd, 0.25f);
    EXPECT_EQ(back.m_fYInc, 0.75f);
    // Row 0 is the file's last row (Y 0.25); column 0 its last column (X 1 mm).
    EXPECT_EQ(std::vector<int>(back.m_pIntensity.begin(), back.m_pIntensity.end()),
              (std::vector<int>{6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(back.ScanCount(), 0);
    EXPECT_NE(back.m_szCreatedDate[0], '\0');
}

struct Refusal
{
    const char* what;
    std::function<void(CHdf5Builder&, hid_t data)> build;
    const char* reason;
};

TEST_F(NexusTest, MapsThatCannotBeTakenOverAreRefusedWithTheReason)
{
    const auto axis = [](hid_t data, const char* name, std::vector<double> v,
                         const char* units = "mm") {
        CHdf5Handle set =
            CHdf5Builder::Data(data, name, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, {v.size()}, v);
        CHdf5Builder::Text(set.Id(), "units", units);
    };
    const auto map = [&](hid_t data, std::vector<double> values) {
        CHdf5Builder::Text(data, "signal", "s");
        CHdf5Builder::Text(data, "axes", "y:x");
        CHdf5Builder::Data(data, "s", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, {2, 2}, values);
    };
    const std::vector<Refusal> cases = {
        {"3-D signal",
         [&](CHdf5Builder&, hid_t d) {
             CHdf5Builder::Text(d, "signal", "s");
             CHdf5Builder::Data(d, "s", H5T_STD_I32LE, H5T_NATIVE_INT, {2, 2, 2},
                                std::vector<int>(8, 1));
         },
         "3 dimensions; only a 2-D map"},
        {"irregular axis",
         [&](CHdf5Builder&, hid_t d) {
             CHdf5Builder::Text(d, "signal", "s");
             CHdf5Builder::Text(d, "axes", "y:x");
             CHdf5Builder::Data(d, "s", H5T_STD_I32LE, H5T_NATIVE_INT, {2, 4},
                                std::vector<int>(8, 1));
             axis(d, "y", {0, 1});
             axis(d, "x", {0, 1, 2.5, 3});
         },
         "the axis \"x\" is not regular"},
        {"angle axis",
         [&](CHdf5Builder&, hid_t d) {
             map(d, {1, 2, 3, 4});
             axis(d, "y", {0, 1});
             axis(d, "x", {0, 1}, "deg");
         },
         "is in \"deg\", not a length"},
        {"fractional counts",
         [&](CHdf5Builder&, hid_t d) {
             map(d, {1, 2.5, 3, 4});
             axis(d, "y", {0, 1});
             axis(d, "x", {0, 1});
         },
         "not whole counts"},
        {"counts beyond 32 bits",
         [&](CHdf5Builder&, hid_t d) {
             CHdf5Builder::Text(d, "signal", "s");
             CHdf5Builder::Text(d, "axes", "y:x");
             CHdf5Builder::Data(d, "s", H5T_STD_I64LE, H5T_NATIVE_LLONG, {1, 2},
                                std::vector<long long>{1, 1LL << 33});
             axis(d, "y", {0});
             axis(d, "x", {0, 1});
         },
         "beyond the 32-bit range"},
        {"missing axis",
         [&](CHdf5Builder&, hid_t d) {
             CHdf5Builder::Text(d, "signal", "s");
             CHdf5Builder::Text(d, "axes", ".:x");
             CHdf5Builder::Data(d, "s", H5T_STD_I32LE, H5T_NATIVE_INT, {2, 2},
                                std::vector<int>(4, 1));
             axis(d, "x", {0, 1});
         },
         "first (row) dimension of the signal has no axis"},
        {"axis of the wrong length",
         [&](CHdf5Builder&, hid_t d) {
             map(d, {1, 2, 3, 4});
             axis(d, "y", {0, 1});
             axis(d, "x", {0, 1, 2});
         },
         "has 3 values for 2 points"},
        {"no signal", [&](CHdf5Builder&, hid_t) {}, "names no signal"},
    };
    for (const Refusal& c : cases) {
        CHdf5Builder b;
        CHdf5Handle entry = b.Group(b.File(), "entry", "NXentry");
        CHdf5Handle data = b.Group(entry.Id(), "data", "NXdata");
        c.build(b, data.Id());
        const std::string before = PatternFileText(*doc);
        std::string error;
        EXPECT_FALSE(ReadNexusImage(*doc, b.Image(), error)) << c.what;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.what << ": " << error;
        EXPECT_EQ(PatternFileText(*doc), before) << c.what << " changed the pattern";
    }

    CHdf5Builder plain;
    plain.Group(plain.File(), "measurement", nullptr);
    std::string error;
    EXPECT_FALSE(ReadNexusImage(*doc, plain.Image(), error));
    EXPECT_NE(error.find("no NXdata group"), std::string::npos) << error;
    EXPECT_FALSE(ReadNexusImage(*doc, "\x89HDF\r\n\x1a\n and then nothing", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(ReadNexusImage(*doc, kExamplePattern, error));
    EXPECT_EQ(error, "it is not an HDF5 file");
}

} // namespace
