#include "exchange/Hdf5Handle.h"
#include "exchange/NexusFile.h"

#include "base/FilePath.h"
#include "base/FixedText.h"

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Every value the program writes goes out little-endian, whatever the machine.
bool WriteStringAttribute(hid_t object, const char* name, std::string_view value)
{
    CHdf5Handle type(H5Tcopy(H5T_C_S1));
    if (!type || H5Tset_size(type.Id(), value.empty() ? 1 : value.size()) < 0 ||
        H5Tset_cset(type.Id(), H5T_CSET_UTF8) < 0 || H5Tset_strpad(type.Id(), H5T_STR_NULLPAD) < 0)
        return false;
    CHdf5Handle space(H5Screate(H5S_SCALAR));
    CHdf5Handle attribute(
        H5Acreate2(object, name, type.Id(), space.Id(), H5P_DEFAULT, H5P_DEFAULT));
    const std::string padded = value.empty() ? std::string(1, '\0') : std::string(value);
    return attribute && H5Awrite(attribute.Id(), type.Id(), padded.data()) >= 0;
}

bool WriteStringArrayAttribute(hid_t object, const char* name,
                               const std::vector<std::string>& values)
{
    std::size_t width = 1;
    for (const std::string& v : values)
        width = std::max(width, v.size());
    std::string packed;
    for (const std::string& v : values) {
        packed += v;
        packed.append(width - v.size(), '\0');
    }
    CHdf5Handle type(H5Tcopy(H5T_C_S1));
    if (!type || H5Tset_size(type.Id(), width) < 0 || H5Tset_cset(type.Id(), H5T_CSET_UTF8) < 0 ||
        H5Tset_strpad(type.Id(), H5T_STR_NULLPAD) < 0)
        return false;
    const hsize_t count = values.size();
    CHdf5Handle space(H5Screate_simple(1, &count, nullptr));
    CHdf5Handle attribute(
        H5Acreate2(object, name, type.Id(), space.Id(), H5P_DEFAULT, H5P_DEFAULT));
    return attribute && H5Awrite(attribute.Id(), type.Id(), packed.data()) >= 0;
}

bool WriteIntAttribute(hid_t object, const char* name, int value)
{
    CHdf5Handle space(H5Screate(H5S_SCALAR));
    CHdf5Handle attribute(
        H5Acreate2(object, name, H5T_STD_I32LE, space.Id(), H5P_DEFAULT, H5P_DEFAULT));
    return attribute && H5Awrite(attribute.Id(), H5T_NATIVE_INT32, &value) >= 0;
}

CHdf5Handle MakeGroup(hid_t parent, const char* name, const char* nxClass)
{
    CHdf5Handle group(H5Gcreate2(parent, name, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    if (group && !WriteStringAttribute(group.Id(), "NX_class", nxClass))
        return CHdf5Handle();
    return group;
}

// A dataset of `rank` dimensions holding `data` (in the memory type), with its units.
bool WriteArray(hid_t group, const char* name, hid_t fileType, hid_t memoryType, int rank,
                const hsize_t* dims, const void* data, const char* units)
{
    CHdf5Handle space(H5Screate_simple(rank, dims, nullptr));
    CHdf5Handle set(
        H5Dcreate2(group, name, fileType, space.Id(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    if (!set || H5Dwrite(set.Id(), memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, data) < 0)
        return false;
    return units == nullptr || WriteStringAttribute(set.Id(), "units", units);
}

bool WriteScalar(hid_t group, const char* name, float value, const char* units)
{
    CHdf5Handle space(H5Screate(H5S_SCALAR));
    CHdf5Handle set(
        H5Dcreate2(group, name, H5T_IEEE_F32LE, space.Id(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    return set &&
           H5Dwrite(set.Id(), H5T_NATIVE_FLOAT, H5S_ALL, H5S_ALL, H5P_DEFAULT, &value) >= 0 &&
           (units == nullptr || WriteStringAttribute(set.Id(), "units", units));
}

bool WriteScalar(hid_t group, const char* name, int value, const char* units)
{
    CHdf5Handle space(H5Screate(H5S_SCALAR));
    CHdf5Handle set(
        H5Dcreate2(group, name, H5T_STD_I32LE, space.Id(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    return set &&
           H5Dwrite(set.Id(), H5T_NATIVE_INT32, H5S_ALL, H5S_ALL, H5P_DEFAULT, &value) >= 0 &&
           (units == nullptr || WriteStringAttribute(set.Id(), "units", units));
}

bool WriteText(hid_t group, const char* name, std::string_view value)
{
    CHdf5Handle type(H5Tcopy(H5T_C_S1));
    if (!type || H5Tset_size(type.Id(), value.empty() ? 1 : value.size()) < 0 ||
        H5Tset_cset(type.Id(), H5T_CSET_UTF8) < 0 || H5Tset_strpad(type.Id(), H5T_STR_NULLPAD) < 0)
        return false;
    CHdf5Handle space(H5Screate(H5S_SCALAR));
    CHdf5Handle set(
        H5Dcreate2(group, name, type.Id(), space.Id(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    const std::string padded = value.empty() ? std::string(1, '\0') : std::string(value);
    return set && H5Dwrite(set.Id(), type.Id(), H5S_ALL, H5S_ALL, H5P_DEFAULT, padded.data()) >= 0;
}

// The created stamp as ISO 8601 (UTC); the stamp's own text when it is not a date and time.
std::string IsoTime(std::string_view date, std::string_view time)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const std::string d(date);
    const std::string t(time);
    char extra = 0;
    if (std::sscanf(d.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &extra) == 3 &&
        std::sscanf(t.c_str(), "%2d:%2d:%2d%c", &hour, &minute, &second, &extra) == 3) {
        char iso[32];
        std::snprintf(iso, sizeof iso, "%04d-%02d-%02dT%02d:%02d:%02dZ", year, month, day, hour,
                      minute, second);
        return iso;
    }
    return d + (d.empty() || t.empty() ? "" : " ") + t;
}

bool WriteData(hid_t entry, const CVespiraDoc& doc)
{
    CHdf5Handle data = MakeGroup(entry, "data", "NXdata");
    if (!data || !WriteStringAttribute(data.Id(), "signal", "intensity") ||
        !WriteStringArrayAttribute(data.Id(), "axes", {"y", "x"}) ||
        !WriteIntAttribute(data.Id(), "y_indices", 0) ||
        !WriteIntAttribute(data.Id(), "x_indices", 1))
        return false;
    const hsize_t dims[2] = {static_cast<hsize_t>(doc.m_nYPoints),
                             static_cast<hsize_t>(doc.m_nXPoints)};
    if (!WriteArray(data.Id(), "intensity", H5T_STD_I32LE, H5T_NATIVE_INT32, 2, dims,
                    doc.m_pIntensity.data(), "counts"))
        return false;
    std::vector<double> x(static_cast<std::size_t>(doc.m_nXPoints));
    for (int col = 0; col < doc.m_nXPoints; ++col)
        x[static_cast<std::size_t>(col)] = doc.XOf(col);
    std::vector<double> y(static_cast<std::size_t>(doc.m_nYPoints));
    for (int row = 0; row < doc.m_nYPoints; ++row)
        y[static_cast<std::size_t>(row)] = doc.YOf(row);
    if (!WriteArray(data.Id(), "x", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 1, &dims[1], x.data(),
                    "mm") ||
        !WriteArray(data.Id(), "y", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 1, &dims[0], y.data(),
                    "mm") ||
        !WriteArray(data.Id(), "scan_time", H5T_IEEE_F32LE, H5T_NATIVE_FLOAT, 2, dims,
                    doc.m_pScanTime.data(), "s"))
        return false;
    // Points a scan has not reached: the NXdata's "mask" (unsigned 8-bit, rows by columns,
    // 1 = not measured); a pattern with every point measured has none.
    if (doc.m_range.AllMeasured())
        return true;
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(doc.PointCount()));
    for (std::size_t i = 0; i < mask.size(); ++i)
        mask[i] = doc.m_range.IsMeasured(i) ? 0 : 1;
    return WriteArray(data.Id(), "mask", H5T_STD_U8LE, H5T_NATIVE_UINT8, 2, dims, mask.data(),
                      nullptr);
}

bool WriteTargets(hid_t entry, const CVespiraDoc& doc)
{
    CHdf5Handle targets = MakeGroup(entry, "targets", "NXcollection");
    if (!targets)
        return false;
    std::vector<double> x;
    std::vector<double> y;
    std::vector<float> time;
    for (int row = 0; row < doc.m_nYPoints; ++row)
        for (int col = 0; col < doc.m_nXPoints; ++col) {
            const float t = doc.m_pScanTime[static_cast<std::size_t>(doc.IndexOf(col, row))];
            if (t == 0.0f)
                continue;
            x.push_back(doc.XOf(col));
            y.push_back(doc.YOf(row));
            time.push_back(t);
        }
    const hsize_t count = time.size();
    return WriteArray(targets.Id(), "x", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 1, &count, x.data(),
                      "mm") &&
           WriteArray(targets.Id(), "y", H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, 1, &count, y.data(),
                      "mm") &&
           WriteArray(targets.Id(), "time", H5T_IEEE_F32LE, H5T_NATIVE_FLOAT, 1, &count,
                      time.data(), "s");
}

bool WriteHeader(hid_t entry, const CVespiraDoc& doc)
{
    CHdf5Handle header = MakeGroup(entry, "header", "NXcollection");
    if (!header)
        return false;
    const hid_t h = header.Id();
    return WriteText(h, "file_name", TextOf(doc.m_szFileName)) &&
           WriteText(h, "created_date", TextOf(doc.m_szCreatedDate)) &&
           WriteText(h, "created_time", TextOf(doc.m_szCreatedTime)) &&
           WriteText(h, "modified_date", TextOf(doc.m_szModifiedDate)) &&
           WriteText(h, "modified_time", TextOf(doc.m_szModifiedTime)) &&
           WriteScalar(h, "measurement_time", doc.m_fMeasTime, "s") &&
           WriteScalar(h, "tube_voltage", doc.m_nKV, "kV") &&
           WriteScalar(h, "tube_current", doc.m_nMA, "mA") &&
           WriteScalar(h, "detector_distance", doc.m_fDetDistance, "cm") &&
           WriteScalar(h, "beam_center_x", doc.m_fBeamX, "pixel") &&
           WriteScalar(h, "beam_center_y", doc.m_fBeamY, "pixel") &&
           WriteScalar(h, "image_size", doc.m_nImageSize, "pixel") &&
           WriteText(h, "background_file", TextOf(doc.m_szBackgroundFile)) &&
           WriteScalar(h, "background_x", doc.m_fBackgroundX, nullptr) &&
           WriteScalar(h, "background_y", doc.m_fBackgroundY, nullptr) &&
           WriteScalar(h, "background_tube_voltage", doc.m_nBackgroundKV, "kV") &&
           WriteScalar(h, "background_tube_current", doc.m_nBackgroundMA, "mA") &&
           WriteScalar(h, "background_time", doc.m_fBackgroundTime, "s") &&
           WriteScalar(h, "x_points", doc.m_nXPoints, nullptr) &&
           WriteScalar(h, "x_begin", doc.m_fXBeg, "mm") &&
           WriteScalar(h, "x_end", doc.m_fXEnd, "mm") &&
           WriteScalar(h, "x_increment", doc.m_fXInc, "mm") &&
           WriteScalar(h, "y_points", doc.m_nYPoints, nullptr) &&
           WriteScalar(h, "y_begin", doc.m_fYBeg, "mm") &&
           WriteScalar(h, "y_end", doc.m_fYEnd, "mm") &&
           WriteScalar(h, "y_increment", doc.m_fYInc, "mm");
}

bool WriteFile(hid_t file, const CVespiraDoc& doc, const QString& title)
{
    const hid_t root = file;
    if (!WriteStringAttribute(root, "default", "entry") ||
        !WriteStringAttribute(root, "creator", "Vespira") ||
        !WriteStringAttribute(root, "file_name", TextOf(doc.m_szFileName)))
        return false;
    CHdf5Handle entry = MakeGroup(file, "entry", "NXentry");
    return entry && WriteStringAttribute(entry.Id(), "default", "data") &&
           WriteText(entry.Id(), "title", title.toStdString()) &&
           WriteText(entry.Id(), "start_time",
                     IsoTime(TextOf(doc.m_szCreatedDate), TextOf(doc.m_szCreatedTime))) &&
           WriteText(entry.Id(), "program_name", "Vespira") && WriteData(entry.Id(), doc) &&
           WriteTargets(entry.Id(), doc) && WriteHeader(entry.Id(), doc);
}

} // namespace

std::string NexusFileImage(const CVespiraDoc& doc, const QString& title)
{
    const std::size_t points = static_cast<std::size_t>(doc.PointCount());
    if (doc.m_nXPoints < 1 || doc.m_nYPoints < 1 || doc.m_pIntensity.size() != points ||
        doc.m_pScanTime.size() != points)
        return {};
    CHdf5Quiet quiet;
    // The file is built in memory and written whole, so it reaches the disk through the
    // same replace-on-success path as a pattern file.
    CHdf5Handle access(H5Pcreate(H5P_FILE_ACCESS));
    const std::size_t estimate = points * 8 + (std::size_t{1} << 20);
    if (!access || H5Pset_fapl_core(access.Id(), estimate, false) < 0)
        return {};
    static std::atomic<unsigned> serial{0};
    const std::string name = "vespira-export-" + std::to_string(serial++);
    std::string image;
    {
        CHdf5Handle file(H5Fcreate(name.c_str(), H5F_ACC_TRUNC, H5P_DEFAULT, access.Id()));
        if (!file || !WriteFile(file.Id(), doc, title) || H5Fflush(file.Id(), H5F_SCOPE_GLOBAL) < 0)
            return {};
        const ssize_t size = H5Fget_file_image(file.Id(), nullptr, 0);
        if (size <= 0)
            return {};
        image.resize(static_cast<std::size_t>(size));
        if (H5Fget_file_image(file.Id(), image.data(), image.size()) != size)
            return {};
    }
    return image;
}

bool WriteNexusFile(const CVespiraDoc& doc, const QString& title, const QByteArray& path)
{
    const std::string image = NexusFileImage(doc, title);
    return !image.empty() && WriteFileReplacing(path, image);
}
