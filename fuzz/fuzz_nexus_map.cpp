// libFuzzer target for the NeXus map reader. The HDF5 library itself does not stand up to
// arbitrary bytes, so the input does not become the file: it describes a file that the
// library writes (groups and their NX_class and @default, the signal's rank, dimensions,
// type and values, @signal and @axes texts, AXISNAME_indices, axis lengths, values and
// units, scan times and header fields of any type), and the reader must take that map or
// refuse it with a reason, never crash, hang or misbehave. What it takes must export and
// read back as the same pattern.
#include "document/CPatternFile.h"
#include "document/CVespiraDoc.h"
#include "document/DocumentServices.h"
#include "document/IHostUi.h"
#include "exchange/Hdf5Handle.h"
#include "exchange/NexusFile.h"
#include "fuzz/FuzzMemory.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

class CSilentUi : public IHostUi
{
public:
    Answer ShowMessage(const QString&, Buttons, Answer defaultAnswer) override
    {
        return defaultAnswer;
    }
};

// Takes values from the front of the input; zeroes once it is used up.
class CInput
{
public:
    CInput(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    std::uint8_t Byte()
    {
        if (m_pos >= m_size)
            return 0;
        return m_data[m_pos++];
    }
    unsigned Below(unsigned n) { return Byte() % n; }
    bool Flag() { return (Byte() & 1) != 0; }
    double Number()
    {
        switch (Below(8)) {
        case 0:
            return std::nan("");
        case 1:
            return Flag() ? INFINITY : -INFINITY;
        case 2: {
            double v = 0.0;
            for (std::size_t i = 0; i < sizeof v; ++i)
                reinterpret_cast<unsigned char*>(&v)[i] = Byte();
            return v;
        }
        default:
            return static_cast<double>(static_cast<std::int8_t>(Byte())) * 0.25;
        }
    }
    std::string Text(std::initializer_list<const char*> usual)
    {
        const unsigned choice = Below(static_cast<unsigned>(usual.size()) + 1);
        if (choice < usual.size())
            return usual.begin()[choice];
        std::string text;
        for (unsigned n = Below(12); n > 0; --n)
            text += static_cast<char>(Byte());
        return text;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

void WriteText(CInput& in, hid_t object, const char* name, const std::string& value)
{
    CHdf5Handle type(H5Tcopy(H5T_C_S1));
    const bool variable = in.Flag();
    H5Tset_size(type.Id(), variable ? H5T_VARIABLE : std::max<std::size_t>(1, value.size()));
    H5Tset_strpad(type.Id(), in.Flag() ? H5T_STR_NULLPAD : H5T_STR_SPACEPAD);
    const bool list = in.Flag();
    const hsize_t count = list ? 1 + in.Below(3) : 1;
    CHdf5Handle space(list ? H5Screate_simple(1, &count, nullptr) : H5Screate(H5S_SCALAR));
    CHdf5Handle attribute(
        H5Acreate2(object, name, type.Id(), space.Id(), H5P_DEFAULT, H5P_DEFAULT));
    if (variable) {
        std::vector<const char*> texts(count, value.c_str());
        H5Awrite(attribute.Id(), type.Id(), texts.data());
    } else {
        std::string packed;
        for (hsize_t i = 0; i < count; ++i)
            packed += value.empty() ? std::string(1, '\0') : value;
        H5Awrite(attribute.Id(), type.Id(), packed.data());
    }
}

void WriteInteger(CInput& in, hid_t object, const char* name)
{
    CHdf5Handle space(H5Screate(H5S_SCALAR));
    CHdf5Handle attribute(
        H5Acreate2(object, name, H5T_STD_I64LE, space.Id(), H5P_DEFAULT, H5P_DEFAULT));
    const long long value = static_cast<std::int8_t>(in.Byte());
    H5Awrite(attribute.Id(), H5T_NATIVE_LLONG, &value);
}

hid_t FileType(CInput& in)
{
    const hid_t types[] = {H5T_STD_I8LE,   H5T_STD_U8LE,   H5T_STD_I16BE,  H5T_STD_U16LE,
                           H5T_STD_I32LE,  H5T_STD_U32LE,  H5T_STD_I64LE,  H5T_STD_U64BE,
                           H5T_IEEE_F32LE, H5T_IEEE_F64BE, H5T_IEEE_F64LE, H5T_C_S1};
    return types[in.Below(sizeof types / sizeof types[0])];
}

// A data set of the given shape: values rising by a step (a regular axis) or from the
// input, in a type from the input.
void WriteData(CInput& in, hid_t group, const std::string& name, std::vector<hsize_t> dims,
               bool regular)
{
    hsize_t count = 1;
    for (hsize_t d : dims)
        count *= d;
    std::vector<double> values(count);
    const double first = in.Number();
    const double step = in.Flag() ? in.Number() : (in.Flag() ? 1.0 : -0.5);
    for (hsize_t i = 0; i < count; ++i)
        values[i] = regular ? first + step * static_cast<double>(i) : in.Number();
    const hid_t type = regular && in.Flag() ? H5T_IEEE_F64LE : FileType(in);
    CHdf5Handle space(dims.empty()
                          ? H5Screate(H5S_SCALAR)
                          : H5Screate_simple(static_cast<int>(dims.size()), dims.data(), nullptr));
    CHdf5Handle set(
        H5Dcreate2(group, name.c_str(), type, space.Id(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    if (!set)
        return;
    if (type != H5T_C_S1)
        H5Dwrite(set.Id(), H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
    if (in.Flag())
        WriteText(in, set.Id(), "units", in.Text({"mm", "um", "m", "deg", ""}));
}

std::string BuildFile(CInput& in)
{
    CHdf5Handle access(H5Pcreate(H5P_FILE_ACCESS));
    H5Pset_fapl_core(access.Id(), 1 << 16, false);
    static unsigned serial = 0;
    CHdf5Handle file(H5Fcreate(("fuzz-" + std::to_string(serial++)).c_str(), H5F_ACC_TRUNC,
                               H5P_DEFAULT, access.Id()));
    if (!file)
        return {};
    CHdf5Handle root(H5Gopen2(file.Id(), "/", H5P_DEFAULT));
    if (in.Flag())
        WriteText(in, root.Id(), "default", in.Text({"entry", "data", "missing"}));
    CHdf5Handle entry(H5Gcreate2(file.Id(), "entry", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    if (in.Flag())
        WriteText(in, entry.Id(), "NX_class", in.Text({"NXentry", "NXdata"}));
    if (in.Flag())
        WriteText(in, entry.Id(), "default", in.Text({"data", "entry", "x"}));
    CHdf5Handle data(H5Gcreate2(entry.Id(), "data", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    if (in.Flag())
        WriteText(in, data.Id(), "NX_class", in.Text({"NXdata", "NXentry"}));
    if (in.Flag())
        WriteText(in, data.Id(), "signal", in.Text({"s", "x", "y", "data", "."}));
    if (in.Flag())
        WriteText(in, data.Id(), "axes", in.Text({"y:x", "y,x", "y x", ".:x", "x", "y:x:z"}));
    for (const char* name : {"x_indices", "y_indices", "z_indices"})
        if (in.Flag())
            WriteInteger(in, data.Id(), name);

    const unsigned rank = in.Below(5);
    std::vector<hsize_t> dims;
    for (unsigned i = 0; i < rank; ++i)
        dims.push_back(1 + in.Below(6));
    WriteData(in, data.Id(), "s", dims, false);
    if (in.Flag() && in.Flag())
        WriteInteger(in, data.Id(), "signal");
    for (const char* axis : {"x", "y", "z"}) {
        if (!in.Flag())
            continue;
        std::vector<hsize_t> axisDims = {1 + static_cast<hsize_t>(in.Below(7))};
        if (in.Flag() && in.Flag())
            axisDims.push_back(2);
        WriteData(in, data.Id(), axis, axisDims, in.Below(4) != 0);
    }
    if (in.Flag())
        WriteData(in, data.Id(), "scan_time", in.Flag() ? dims : std::vector<hsize_t>{2}, false);
    if (in.Flag()) {
        CHdf5Handle header(H5Gcreate2(entry.Id(), "header", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        for (const char* field :
             {"x_begin", "x_end", "x_increment", "y_begin", "y_end", "y_increment", "tube_voltage",
              "measurement_time", "file_name", "created_date"})
            if (in.Flag())
                WriteData(in, header.Id(), field, in.Flag() ? std::vector<hsize_t>{} : dims, false);
    }
    if (in.Flag())
        WriteData(in, entry.Id(), "title", {}, false);
    H5Fflush(file.Id(), H5F_SCOPE_GLOBAL);
    const ssize_t size = H5Fget_file_image(file.Id(), nullptr, 0);
    if (size <= 0)
        return {};
    std::string image(static_cast<std::size_t>(size), '\0');
    H5Fget_file_image(file.Id(), image.data(), image.size());
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CHdf5Quiet quiet;
    CSilentUi ui;
    DocumentServices state(ui);
    FixFuzzMemory(state);
    CInput in(data, size);
    const std::string image = BuildFile(in);
    if (image.empty())
        return 0;
    CVespiraDoc doc(state);
    std::string error;
    NexusMapInfo info;
    if (!ReadNexusImage(doc, image, error, &info)) {
        if (error.empty())
            std::abort();
        return 0;
    }
    const std::string exported = NexusFileImage(doc, QString::fromStdString(info.title));
    CVespiraDoc again(state);
    if (exported.empty() || !ReadNexusImage(again, exported, error) ||
        PatternFileText(again) != PatternFileText(doc))
        std::abort();
    return 0;
}
