#include "exchange/Hdf5Handle.h"
#include "exchange/NexusFile.h"

#include "base/FixedText.h"
#include "base/FormatGmtNow.h"
#include "document/ScanGrid.h"

#include <H5FDcore.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr char kSignature[] = "\x89HDF\r\n\x1a\n";
constexpr std::size_t kSignatureLength = 8;
// Attribute texts and lists longer than this are not what a map's attributes hold.
constexpr hsize_t kMaxAttributeElements = 64;
constexpr std::size_t kMaxTextBytes = 4096;
// Children of a group looked at while searching for the map.
constexpr hsize_t kMaxChildren = 4096;
// A file larger than this holds no grid the program takes.
constexpr off_t kMaxFileBytes = off_t{4} << 30;

// Texts of a string attribute or dataset (scalar or 1-D), fixed or variable length.
std::optional<std::vector<std::string>> ReadStrings(hid_t object, bool attribute)
{
    CHdf5Handle type(attribute ? H5Aget_type(object) : H5Dget_type(object));
    CHdf5Handle space(attribute ? H5Aget_space(object) : H5Dget_space(object));
    if (!type || !space || H5Tget_class(type.Id()) != H5T_STRING)
        return std::nullopt;
    const int rank = H5Sget_simple_extent_ndims(space.Id());
    const hssize_t count = H5Sget_simple_extent_npoints(space.Id());
    if (rank < 0 || rank > 1 || count < 1 || static_cast<hsize_t>(count) > kMaxAttributeElements)
        return std::nullopt;
    const auto n = static_cast<std::size_t>(count);
    std::vector<std::string> texts;
    const htri_t variable = H5Tis_variable_str(type.Id());
    if (variable < 0)
        return std::nullopt;
    CHdf5Handle memory(H5Tcopy(H5T_C_S1));
    if (!memory || H5Tset_cset(memory.Id(), H5Tget_cset(type.Id())) < 0)
        return std::nullopt;
    if (variable > 0) {
        if (H5Tset_size(memory.Id(), H5T_VARIABLE) < 0)
            return std::nullopt;
        std::vector<char*> pointers(n, nullptr);
        const herr_t read = attribute ? H5Aread(object, memory.Id(), pointers.data())
                                      : H5Dread(object, memory.Id(), H5S_ALL, H5S_ALL, H5P_DEFAULT,
                                                pointers.data());
        if (read < 0)
            return std::nullopt;
        for (char* p : pointers) {
            texts.emplace_back(p != nullptr ? std::string(p, strnlen(p, kMaxTextBytes)) : "");
            H5free_memory(p);
        }
        return texts;
    }
    const std::size_t size = H5Tget_size(type.Id());
    if (size == 0 || size > kMaxTextBytes || H5Tset_size(memory.Id(), size) < 0 ||
        H5Tset_strpad(memory.Id(), H5T_STR_NULLPAD) < 0)
        return std::nullopt;
    std::vector<char> bytes(size * n);
    const herr_t read =
        attribute ? H5Aread(object, memory.Id(), bytes.data())
                  : H5Dread(object, memory.Id(), H5S_ALL, H5S_ALL, H5P_DEFAULT, bytes.data());
    if (read < 0)
        return std::nullopt;
    for (std::size_t i = 0; i < n; ++i) {
        std::string text(bytes.data() + i * size, strnlen(bytes.data() + i * size, size));
        // Space-padded texts (a FORTRAN writer's) end at their last character.
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        texts.push_back(std::move(text));
    }
    return texts;
}

std::optional<std::vector<std::string>> AttributeStrings(hid_t object, const char* name)
{
    if (H5Aexists(object, name) <= 0)
        return std::nullopt;
    CHdf5Handle attribute(H5Aopen(object, name, H5P_DEFAULT));
    if (!attribute)
        return std::nullopt;
    return ReadStrings(attribute.Id(), true);
}

std::optional<std::string> AttributeText(hid_t object, const char* name)
{
    auto texts = AttributeStrings(object, name);
    if (!texts || texts->size() != 1)
        return std::nullopt;
    return texts->front();
}

// A scalar integer attribute (or a one-element list).
std::optional<long long> AttributeInteger(hid_t object, const char* name)
{
    if (H5Aexists(object, name) <= 0)
        return std::nullopt;
    CHdf5Handle attribute(H5Aopen(object, name, H5P_DEFAULT));
    CHdf5Handle type(attribute ? H5Aget_type(attribute.Id()) : H5I_INVALID_HID);
    CHdf5Handle space(attribute ? H5Aget_space(attribute.Id()) : H5I_INVALID_HID);
    if (!type || !space || H5Sget_simple_extent_npoints(space.Id()) != 1)
        return std::nullopt;
    if (H5Tget_class(type.Id()) == H5T_STRING) {
        const auto text = ReadStrings(attribute.Id(), true);
        if (!text || text->size() != 1)
            return std::nullopt;
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(text->front().c_str(), &end, 10);
        if (errno != 0 || end == text->front().c_str() || *end != '\0')
            return std::nullopt;
        return value;
    }
    if (H5Tget_class(type.Id()) != H5T_INTEGER)
        return std::nullopt;
    long long value = 0;
    if (H5Aread(attribute.Id(), H5T_NATIVE_LLONG, &value) < 0)
        return std::nullopt;
    return value;
}

// A child reached by a link inside this file (external links would open other files).
bool HasLocalChild(hid_t parent, const char* name)
{
    if (name[0] == '\0' || std::strchr(name, '/') != nullptr ||
        H5Lexists(parent, name, H5P_DEFAULT) <= 0)
        return false;
    H5L_info_t info{};
    if (H5Lget_info(parent, name, &info, H5P_DEFAULT) < 0)
        return false;
    return (info.type == H5L_TYPE_HARD || info.type == H5L_TYPE_SOFT) &&
           H5Oexists_by_name(parent, name, H5P_DEFAULT) > 0;
}

CHdf5Handle OpenGroup(hid_t parent, const std::string& name)
{
    if (!HasLocalChild(parent, name.c_str()))
        return CHdf5Handle();
    CHdf5Handle object(H5Oopen(parent, name.c_str(), H5P_DEFAULT));
    if (!object || H5Iget_type(object.Id()) != H5I_GROUP)
        return CHdf5Handle();
    return object;
}

CHdf5Handle OpenDataset(hid_t parent, const std::string& name)
{
    if (!HasLocalChild(parent, name.c_str()))
        return CHdf5Handle();
    CHdf5Handle object(H5Oopen(parent, name.c_str(), H5P_DEFAULT));
    if (!object || H5Iget_type(object.Id()) != H5I_DATASET)
        return CHdf5Handle();
    return object;
}

bool IsClass(hid_t group, const char* nxClass)
{
    const auto value = AttributeText(group, "NX_class");
    return value && *value == nxClass;
}

std::vector<std::string> ChildNames(hid_t group)
{
    std::vector<std::string> names;
    H5G_info_t info{};
    if (H5Gget_info(group, &info) < 0)
        return names;
    const hsize_t count = std::min(info.nlinks, kMaxChildren);
    for (hsize_t i = 0; i < count; ++i) {
        char name[256];
        const ssize_t length = H5Lget_name_by_idx(group, ".", H5_INDEX_NAME, H5_ITER_INC, i, name,
                                                  sizeof name, H5P_DEFAULT);
        if (length > 0 && static_cast<std::size_t>(length) < sizeof name)
            names.emplace_back(name, static_cast<std::size_t>(length));
    }
    return names;
}

// The group of the given class that `@default` names, else the first one.
CHdf5Handle FindChildOfClass(hid_t parent, const char* nxClass)
{
    if (const auto chosen = AttributeText(parent, "default")) {
        CHdf5Handle group = OpenGroup(parent, *chosen);
        if (group && IsClass(group.Id(), nxClass))
            return group;
    }
    for (const std::string& name : ChildNames(parent)) {
        CHdf5Handle group = OpenGroup(parent, name);
        if (group && IsClass(group.Id(), nxClass))
            return group;
    }
    return CHdf5Handle();
}

struct Located
{
    CHdf5Handle entry;
    CHdf5Handle data;
};

Located FindMap(hid_t file)
{
    Located found;
    CHdf5Handle root(H5Gopen2(file, "/", H5P_DEFAULT));
    if (!root)
        return found;
    found.entry = FindChildOfClass(root.Id(), "NXentry");
    if (found.entry)
        found.data = FindChildOfClass(found.entry.Id(), "NXdata");
    if (!found.data)
        found.data = FindChildOfClass(root.Id(), "NXdata");
    return found;
}

std::vector<hsize_t> Dimensions(hid_t dataset)
{
    CHdf5Handle space(H5Dget_space(dataset));
    const int rank = space ? H5Sget_simple_extent_ndims(space.Id()) : -1;
    if (rank < 0 || rank > H5S_MAX_RANK)
        return {};
    std::vector<hsize_t> dims(static_cast<std::size_t>(rank));
    if (rank > 0 && H5Sget_simple_extent_dims(space.Id(), dims.data(), nullptr) < 0)
        return {};
    return dims;
}

// The name of the signal: NXdata's @signal, else a dataset marked signal=1 (older files).
std::optional<std::string> SignalName(hid_t data)
{
    if (const auto name = AttributeText(data, "signal"))
        return name;
    for (const std::string& name : ChildNames(data)) {
        CHdf5Handle set = OpenDataset(data, name);
        if (set && AttributeInteger(set.Id(), "signal") == 1)
            return name;
    }
    return std::nullopt;
}

// The axis name of each of the signal's two dimensions: from @axes (a list, or one text of
// names split by ":" or ","), then each AXISNAME_indices, then @axes on the signal itself.
std::vector<std::string> AxisNames(hid_t data, hid_t signal)
{
    std::vector<std::string> names(2);
    const auto split = [](const std::vector<std::string>& texts) {
        if (texts.size() != 1)
            return texts;
        std::vector<std::string> parts;
        std::string part;
        for (char c : texts.front()) {
            if (c == ':' || c == ',' || c == ' ') {
                if (!part.empty())
                    parts.push_back(part);
                part.clear();
            } else {
                part += c;
            }
        }
        if (!part.empty())
            parts.push_back(part);
        return parts;
    };
    auto axes = AttributeStrings(data, "axes");
    if (!axes)
        axes = AttributeStrings(signal, "axes");
    if (axes) {
        const std::vector<std::string> list = split(*axes);
        if (list.size() == 2)
            for (std::size_t i = 0; i < 2; ++i)
                names[i] = list[i] == "." ? "" : list[i];
        // Every named axis may still say which dimension it belongs to.
        for (const std::string& name : list) {
            if (name.empty() || name == ".")
                continue;
            const auto index = AttributeInteger(data, (name + "_indices").c_str());
            if (index && (*index == 0 || *index == 1))
                names[static_cast<std::size_t>(*index)] = name;
        }
    }
    return names;
}

// Millimetres per unit of a length unit; none for a unit that is not a length.
std::optional<double> MillimetresPer(std::string unit)
{
    for (char& c : unit)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (unit.empty() || unit == "mm" || unit == "millimeter" || unit == "millimeters" ||
        unit == "millimetre" || unit == "millimetres")
        return 1.0;
    if (unit == "um" || unit == "\xc2\xb5m" || unit == "\xce\xbcm" || unit == "micron" ||
        unit == "microns" || unit == "micrometer" || unit == "micrometre")
        return 0.001;
    if (unit == "nm")
        return 1e-6;
    if (unit == "cm")
        return 10.0;
    if (unit == "m" || unit == "meter" || unit == "metre")
        return 1000.0;
    return std::nullopt;
}

// One regular axis: its first value, its step and its length, in mm.
struct Axis
{
    double first = 0.0;
    double step = 0.0;
    std::size_t count = 0;
};

bool ReadAxis(hid_t data, const std::string& name, const char* which, hsize_t points, Axis& axis,
              std::string& error)
{
    if (name.empty()) {
        error = std::string("the ") + which + " dimension of the signal has no axis";
        return false;
    }
    CHdf5Handle set = OpenDataset(data, name);
    if (!set) {
        error = "the axis \"" + name + "\" is not a data set of the NXdata group";
        return false;
    }
    const std::vector<hsize_t> dims = Dimensions(set.Id());
    if (dims.size() != 1) {
        error = "the axis \"" + name + "\" is not one-dimensional";
        return false;
    }
    if (dims[0] != points) {
        error = "the axis \"" + name + "\" has " + std::to_string(dims[0]) + " values for " +
                std::to_string(points) + " points";
        return false;
    }
    CHdf5Handle type(H5Dget_type(set.Id()));
    const H5T_class_t typeClass = type ? H5Tget_class(type.Id()) : H5T_NO_CLASS;
    if (typeClass != H5T_INTEGER && typeClass != H5T_FLOAT) {
        error = "the axis \"" + name + "\" is not numeric";
        return false;
    }
    const std::optional<std::string> units = AttributeText(set.Id(), "units");
    const std::optional<double> scale = MillimetresPer(units.value_or(""));
    if (!scale) {
        error = "the axis \"" + name + "\" is in \"" + *units + "\", not a length";
        return false;
    }
    std::vector<double> values(static_cast<std::size_t>(points));
    if (H5Dread(set.Id(), H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()) < 0) {
        error = "the axis \"" + name + "\" cannot be read";
        return false;
    }
    for (double& v : values) {
        v *= *scale;
        if (!std::isfinite(v)) {
            error = "the axis \"" + name + "\" holds a value that is not a number";
            return false;
        }
    }
    axis.first = values.front();
    axis.count = values.size();
    axis.step = values.size() > 1 ? (values.back() - values.front()) / (values.size() - 1) : 1.0;
    if (axis.step == 0.0 || !std::isfinite(axis.step)) {
        error = "the axis \"" + name + "\" does not advance";
        return false;
    }
    // A thousandth of a step is far below what would move a point to another cell.
    const double tolerance = std::abs(axis.step) * 1e-3;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (std::abs(values[i] - (axis.first + axis.step * static_cast<double>(i))) > tolerance) {
            error = "the axis \"" + name + "\" is not regular (value " + std::to_string(i) +
                    " is off its step); only maps on a regular grid can be opened";
            return false;
        }
    return true;
}

template <typename T>
std::optional<T> ReadScalar(hid_t group, const char* name, hid_t memoryType, H5T_class_t typeClass)
{
    CHdf5Handle set = OpenDataset(group, name);
    if (!set)
        return std::nullopt;
    CHdf5Handle type(H5Dget_type(set.Id()));
    CHdf5Handle space(H5Dget_space(set.Id()));
    if (!type || !space || H5Tget_class(type.Id()) != typeClass ||
        H5Sget_simple_extent_npoints(space.Id()) != 1)
        return std::nullopt;
    T value{};
    if (H5Dread(set.Id(), memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, &value) < 0)
        return std::nullopt;
    return value;
}

std::optional<std::string> ReadText(hid_t group, const char* name)
{
    CHdf5Handle set = OpenDataset(group, name);
    if (!set)
        return std::nullopt;
    const auto texts = ReadStrings(set.Id(), false);
    if (!texts || texts->size() != 1)
        return std::nullopt;
    return texts->front();
}

// The header fields the file holds; every one it lacks stays as the grid set-up left it.
struct Header
{
    std::optional<std::string> fileName, createdDate, createdTime, modifiedDate, modifiedTime,
        backgroundFile;
    std::optional<float> measTime, detDistance, beamX, beamY, backgroundX, backgroundY,
        backgroundTime, xBeg, xEnd, xInc, yBeg, yEnd, yInc;
    std::optional<int> kv, ma, imageSize, backgroundKV, backgroundMA;
};

Header ReadHeader(hid_t entry)
{
    Header h;
    CHdf5Handle group = OpenGroup(entry, "header");
    if (!group)
        return h;
    const hid_t g = group.Id();
    const auto f = [g](const char* name) {
        return ReadScalar<float>(g, name, H5T_NATIVE_FLOAT, H5T_FLOAT);
    };
    const auto i = [g](const char* name) {
        return ReadScalar<int>(g, name, H5T_NATIVE_INT, H5T_INTEGER);
    };
    h.fileName = ReadText(g, "file_name");
    h.createdDate = ReadText(g, "created_date");
    h.createdTime = ReadText(g, "created_time");
    h.modifiedDate = ReadText(g, "modified_date");
    h.modifiedTime = ReadText(g, "modified_time");
    h.backgroundFile = ReadText(g, "background_file");
    h.measTime = f("measurement_time");
    h.kv = i("tube_voltage");
    h.ma = i("tube_current");
    h.detDistance = f("detector_distance");
    h.beamX = f("beam_center_x");
    h.beamY = f("beam_center_y");
    h.imageSize = i("image_size");
    h.backgroundX = f("background_x");
    h.backgroundY = f("background_y");
    h.backgroundKV = i("background_tube_voltage");
    h.backgroundMA = i("background_tube_current");
    h.backgroundTime = f("background_time");
    h.xBeg = f("x_begin");
    h.xEnd = f("x_end");
    h.xInc = f("x_increment");
    h.yBeg = f("y_begin");
    h.yEnd = f("y_end");
    h.yInc = f("y_increment");
    return h;
}

// The grid of the two axes. The file's own grid fields are taken where they describe the
// same points, so a pattern comes back with the very begin, end and increment it had.
ScanGrid GridOf(const Axis& x, const Axis& y, const Header& h)
{
    ScanGrid grid;
    grid.nXPoints = static_cast<int>(x.count);
    grid.nYPoints = static_cast<int>(y.count);
    const double xLow = std::min(x.first, x.first + x.step * static_cast<double>(x.count - 1));
    const double yLow = std::min(y.first, y.first + y.step * static_cast<double>(y.count - 1));
    const double xStep = std::abs(x.step);
    const double yStep = std::abs(y.step);
    grid.fXBeg = static_cast<float>(xLow);
    grid.fXInc = static_cast<float>(xStep);
    grid.fXEnd = static_cast<float>(xLow + xStep * static_cast<double>(x.count - 1));
    grid.fYBeg = static_cast<float>(yLow);
    grid.fYInc = static_cast<float>(yStep);
    grid.fYEnd = static_cast<float>(yLow + yStep * static_cast<double>(y.count - 1));
    const auto close = [](double a, double b, double step) {
        return std::abs(a - b) <= step * 1e-3;
    };
    if (h.xBeg && h.xEnd && h.xInc && std::isfinite(*h.xEnd) && *h.xInc > 0.0f &&
        close(*h.xBeg, xLow, xStep) && close(*h.xInc, xStep, xStep)) {
        grid.fXBeg = *h.xBeg;
        grid.fXEnd = *h.xEnd;
        grid.fXInc = *h.xInc;
    }
    const double yTop = yLow + yStep * static_cast<double>(y.count - 1);
    if (h.yBeg && h.yEnd && h.yInc && std::isfinite(*h.yBeg) && *h.yInc > 0.0f &&
        close(*h.yEnd, yTop, yStep) && close(*h.yInc, yStep, yStep)) {
        grid.fYBeg = *h.yBeg;
        grid.fYEnd = *h.yEnd;
        grid.fYInc = *h.yInc;
    }
    return grid;
}

// The signal as whole counts, or the reason it is not.
bool ReadCounts(hid_t set, std::size_t count, std::vector<std::int32_t>& counts, std::string& error)
{
    CHdf5Handle type(H5Dget_type(set));
    const H5T_class_t typeClass = type ? H5Tget_class(type.Id()) : H5T_NO_CLASS;
    counts.resize(count);
    if (typeClass == H5T_INTEGER) {
        const std::size_t size = H5Tget_size(type.Id());
        const bool isSigned = H5Tget_sign(type.Id()) == H5T_SGN_2;
        if (size < 4 || (size == 4 && isSigned))
            return H5Dread(set, H5T_NATIVE_INT32, H5S_ALL, H5S_ALL, H5P_DEFAULT, counts.data()) >=
                       0 ||
                   (error = "the signal cannot be read", false);
        std::vector<std::int64_t> wide(count);
        const hid_t memory = isSigned ? H5T_NATIVE_INT64 : H5T_NATIVE_UINT64;
        if (H5Dread(set, memory, H5S_ALL, H5S_ALL, H5P_DEFAULT, wide.data()) < 0) {
            error = "the signal cannot be read";
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::int64_t v = wide[i];
            if ((!isSigned && static_cast<std::uint64_t>(v) > 2147483647u) ||
                (isSigned && (v > 2147483647LL || v < -2147483648LL))) {
                error = "the signal holds counts beyond the 32-bit range of an intensity";
                return false;
            }
            counts[i] = static_cast<std::int32_t>(v);
        }
        return true;
    }
    if (typeClass == H5T_FLOAT) {
        std::vector<double> values(count);
        if (H5Dread(set, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()) < 0) {
            error = "the signal cannot be read";
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const double v = values[i];
            if (!std::isfinite(v) || v != std::trunc(v) || v > 2147483647.0 || v < -2147483648.0) {
                error = "the signal holds values that are not whole counts in the 32-bit range "
                        "of an intensity";
                return false;
            }
            counts[i] = static_cast<std::int32_t>(v);
        }
        return true;
    }
    error = "the signal is not numeric";
    return false;
}

// Scan times beside the signal (the program's own export); none when absent or unusable.
std::optional<std::vector<float>> ReadScanTimes(hid_t data, const std::vector<hsize_t>& dims)
{
    CHdf5Handle set = OpenDataset(data, "scan_time");
    if (!set || Dimensions(set.Id()) != dims)
        return std::nullopt;
    CHdf5Handle type(H5Dget_type(set.Id()));
    if (!type || H5Tget_class(type.Id()) != H5T_FLOAT)
        return std::nullopt;
    std::vector<float> times(static_cast<std::size_t>(dims[0] * dims[1]));
    if (H5Dread(set.Id(), H5T_NATIVE_FLOAT, H5S_ALL, H5S_ALL, H5P_DEFAULT, times.data()) < 0)
        return std::nullopt;
    // A time that is not finite would reach the instrument.
    for (float& t : times)
        if (!std::isfinite(t))
            t = 0.0f;
    return times;
}

bool ReadMap(hid_t file, CVespiraDoc& doc, std::string& error, NexusMapInfo* info)
{
    Located map = FindMap(file);
    if (!map.data) {
        error = "it holds no NXdata group, so it is not a NeXus map";
        return false;
    }
    const hid_t data = map.data.Id();
    const std::optional<std::string> signalName = SignalName(data);
    if (!signalName) {
        error = "its NXdata group names no signal";
        return false;
    }
    CHdf5Handle signal = OpenDataset(data, *signalName);
    if (!signal) {
        error = "its signal \"" + *signalName + "\" is not a data set of the NXdata group";
        return false;
    }
    const std::vector<hsize_t> dims = Dimensions(signal.Id());
    if (dims.size() != 2) {
        error = "its signal has " + std::to_string(dims.size()) +
                (dims.size() == 1 ? " dimension" : " dimensions") +
                "; only a 2-D map (rows by columns) can be opened";
        return false;
    }
    if (dims[0] < 1 || dims[1] < 1 || dims[0] > static_cast<hsize_t>(kMaxGridPoints) ||
        dims[1] > static_cast<hsize_t>(kMaxGridPoints) ||
        dims[0] * dims[1] > static_cast<hsize_t>(kMaxGridPoints)) {
        error = "its map of " + std::to_string(dims[0]) + " x " + std::to_string(dims[1]) +
                " points is empty or larger than the largest grid (" +
                std::to_string(kMaxGridPoints) + " points)";
        return false;
    }
    const std::vector<std::string> axes = AxisNames(data, signal.Id());
    Axis y;
    Axis x;
    if (!ReadAxis(data, axes[0], "first (row)", dims[0], y, error) ||
        !ReadAxis(data, axes[1], "second (column)", dims[1], x, error))
        return false;

    const std::size_t rows = static_cast<std::size_t>(dims[0]);
    const std::size_t cols = static_cast<std::size_t>(dims[1]);
    std::vector<std::int32_t> counts;
    if (!ReadCounts(signal.Id(), rows * cols, counts, error))
        return false;
    const std::optional<std::vector<float>> times = ReadScanTimes(data, dims);
    const Header h = map.entry ? ReadHeader(map.entry.Id()) : Header{};

    const ScanGrid grid = GridOf(x, y, h);
    if (!doc.SetUpGrid(grid)) {
        error = "its grid of " + std::to_string(rows * cols) + " points does not fit in memory";
        return false;
    }
    // Row 0 is the top row (the largest Y) and column 0 the smallest X, whichever way the
    // file's axes run.
    const bool flipRows = y.step > 0.0;
    const bool flipCols = x.step < 0.0;
    int maximum = doc.m_nMaxIntensity;
    for (std::size_t r = 0; r < rows; ++r) {
        const std::size_t from = flipRows ? rows - 1 - r : r;
        for (std::size_t c = 0; c < cols; ++c) {
            const std::size_t source = from * cols + (flipCols ? cols - 1 - c : c);
            const std::size_t target = r * cols + c;
            doc.m_pIntensity[target] = counts[source];
            maximum = std::max(maximum, counts[source]);
            if (times)
                doc.m_pScanTime[target] = (*times)[source];
        }
    }
    doc.m_nMaxIntensity = maximum;
    doc.RecountSelection();

    const auto text = [](char* field, std::size_t size, const std::optional<std::string>& value) {
        if (!value)
            return;
        const std::size_t n = std::min(value->size(), size - 1);
        std::memcpy(field, value->data(), n);
        field[n] = '\0';
    };
    text(doc.m_szFileName, sizeof doc.m_szFileName, h.fileName);
    text(doc.m_szCreatedDate, sizeof doc.m_szCreatedDate, h.createdDate);
    text(doc.m_szCreatedTime, sizeof doc.m_szCreatedTime, h.createdTime);
    text(doc.m_szModifiedDate, sizeof doc.m_szModifiedDate, h.modifiedDate);
    text(doc.m_szModifiedTime, sizeof doc.m_szModifiedTime, h.modifiedTime);
    text(doc.m_szBackgroundFile, sizeof doc.m_szBackgroundFile, h.backgroundFile);
    // Another tool's map is a pattern made now.
    if (!h.createdDate || !h.createdTime)
        FormatGmtNow(doc.m_szCreatedDate, doc.m_szCreatedTime);
    if (!h.modifiedDate || !h.modifiedTime)
        FormatGmtNow(doc.m_szModifiedDate, doc.m_szModifiedTime);
    doc.m_fMeasTime = h.measTime.value_or(0.0f);
    doc.m_nKV = h.kv.value_or(0);
    doc.m_nMA = h.ma.value_or(0);
    doc.m_fDetDistance = h.detDistance.value_or(0.0f);
    doc.m_fBeamX = h.beamX.value_or(0.0f);
    doc.m_fBeamY = h.beamY.value_or(0.0f);
    doc.m_nImageSize = h.imageSize.value_or(0);
    doc.m_fBackgroundX = h.backgroundX.value_or(0.0f);
    doc.m_fBackgroundY = h.backgroundY.value_or(0.0f);
    doc.m_nBackgroundKV = h.backgroundKV.value_or(0);
    doc.m_nBackgroundMA = h.backgroundMA.value_or(0);
    doc.m_fBackgroundTime = h.backgroundTime.value_or(0.0f);

    if (info != nullptr) {
        info->title.clear();
        if (map.entry)
            info->title = ReadText(map.entry.Id(), "title").value_or("");
    }
    return true;
}

} // namespace

bool HasHdf5Signature(std::string_view bytes)
{
    for (std::size_t at = 0; at + kSignatureLength <= bytes.size(); at = at == 0 ? 512 : at * 2)
        if (bytes.compare(at, kSignatureLength, kSignature, kSignatureLength) == 0)
            return true;
    return false;
}

bool HasHdf5Signature(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat info
    {};
    bool found = false;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        for (off_t at = 0; !found && at + static_cast<off_t>(kSignatureLength) <= info.st_size;
             at = at == 0 ? 512 : at * 2) {
            char bytes[kSignatureLength];
            found = ::pread(fd, bytes, sizeof bytes, at) == static_cast<ssize_t>(sizeof bytes) &&
                    std::memcmp(bytes, kSignature, kSignatureLength) == 0;
        }
    }
    ::close(fd);
    return found;
}

bool ReadNexusImage(CVespiraDoc& doc, std::string_view image, std::string& error,
                    NexusMapInfo* info)
{
    if (!HasHdf5Signature(image)) {
        error = "it is not an HDF5 file";
        return false;
    }
    CHdf5Quiet quiet;
    CHdf5Handle access(H5Pcreate(H5P_FILE_ACCESS));
    if (!access || H5Pset_fapl_core(access.Id(), 1 << 20, false) < 0 ||
        H5Pset_file_image(access.Id(), const_cast<char*>(image.data()), image.size()) < 0) {
        error = "the HDF5 library cannot take it";
        return false;
    }
    static std::atomic<unsigned> serial{0};
    const std::string name = "vespira-map-" + std::to_string(serial++);
    CHdf5Handle file(H5Fopen(name.c_str(), H5F_ACC_RDONLY, access.Id()));
    if (!file) {
        error = "it is damaged or not an HDF5 file the library can read";
        return false;
    }
    return ReadMap(file.Id(), doc, error, info);
}

bool ReadNexusFile(CVespiraDoc& doc, const QByteArray& path, std::string& error, NexusMapInfo* info)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = std::string("it cannot be opened (") + std::strerror(errno) + ")";
        return false;
    }
    struct stat st
    {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes) {
        ::close(fd);
        error = "it is not a regular file of a size a map can have";
        return false;
    }
    std::string image(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    while (done < image.size()) {
        const ssize_t got = ::read(fd, image.data() + done, image.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    if (done != image.size()) {
        error = "it cannot be read to its end";
        return false;
    }
    return ReadNexusImage(doc, image, error, info);
}
