#pragma once

#include "exchange/Hdf5Handle.h"

#include <atomic>
#include <string>
#include <vector>

// Maps as other tools write them, built in memory with the HDF5 library.
class CHdf5Builder
{
public:
    CHdf5Builder()
    {
        CHdf5Handle access(H5Pcreate(H5P_FILE_ACCESS));
        H5Pset_fapl_core(access.Id(), 1 << 16, false);
        static std::atomic<int> serial{0};
        m_file = CHdf5Handle(H5Fcreate(("test-map-" + std::to_string(serial++)).c_str(),
                                       H5F_ACC_TRUNC, H5P_DEFAULT, access.Id()));
    }

    hid_t File() const { return m_file.Id(); }

    CHdf5Handle Group(hid_t parent, const char* name, const char* nxClass)
    {
        CHdf5Handle group(H5Gcreate2(parent, name, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        if (nxClass != nullptr)
            Text(group.Id(), "NX_class", nxClass);
        return group;
    }

    static void Text(hid_t object, const char* name, const std::string& value)
    {
        CHdf5Handle type(H5Tcopy(H5T_C_S1));
        H5Tset_size(type.Id(), H5T_VARIABLE);
        CHdf5Handle space(H5Screate(H5S_SCALAR));
        CHdf5Handle attribute(
            H5Acreate2(object, name, type.Id(), space.Id(), H5P_DEFAULT, H5P_DEFAULT));
        const char* text = value.c_str();
        H5Awrite(attribute.Id(), type.Id(), &text);
    }

    static void Integer(hid_t object, const char* name, int value)
    {
        CHdf5Handle space(H5Screate(H5S_SCALAR));
        CHdf5Handle attribute(
            H5Acreate2(object, name, H5T_STD_I64LE, space.Id(), H5P_DEFAULT, H5P_DEFAULT));
        H5Awrite(attribute.Id(), H5T_NATIVE_INT, &value);
    }

    template <typename T>
    static CHdf5Handle Data(hid_t parent, const char* name, hid_t fileType, hid_t memoryType,
                            const std::vector<hsize_t>& dims, const std::vector<T>& values)
    {
        CHdf5Handle space(H5Screate_simple(static_cast<int>(dims.size()), dims.data(), nullptr));
        CHdf5Handle set(
            H5Dcreate2(parent, name, fileType, space.Id(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
        H5Dwrite(set.Id(), memoryType, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data());
        return set;
    }

    std::string Image()
    {
        H5Fflush(m_file.Id(), H5F_SCOPE_GLOBAL);
        const ssize_t size = H5Fget_file_image(m_file.Id(), nullptr, 0);
        std::string image(static_cast<std::size_t>(size), '\0');
        H5Fget_file_image(m_file.Id(), image.data(), image.size());
        return image;
    }

private:
    CHdf5Handle m_file;
};

// Opens a file image for reading with the library.
inline CHdf5Handle OpenImage(const std::string& image)
{
    CHdf5Handle access(H5Pcreate(H5P_FILE_ACCESS));
    H5Pset_fapl_core(access.Id(), 1 << 16, false);
    H5Pset_file_image(access.Id(), const_cast<char*>(image.data()), image.size());
    static std::atomic<int> serial{0};
    return CHdf5Handle(
        H5Fopen(("test-read-" + std::to_string(serial++)).c_str(), H5F_ACC_RDONLY, access.Id()));
}
