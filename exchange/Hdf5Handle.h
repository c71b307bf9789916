#pragma once

#include <hdf5.h>

#include <utility>

// One HDF5 identifier, closed with the call of its kind when it goes.
class CHdf5Handle
{
public:
    CHdf5Handle() = default;
    explicit CHdf5Handle(hid_t id) : m_id(id) {}
    CHdf5Handle(const CHdf5Handle&) = delete;
    CHdf5Handle& operator=(const CHdf5Handle&) = delete;
    CHdf5Handle(CHdf5Handle&& other) noexcept : m_id(std::exchange(other.m_id, H5I_INVALID_HID)) {}
    CHdf5Handle& operator=(CHdf5Handle&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_id = std::exchange(other.m_id, H5I_INVALID_HID);
        }
        return *this;
    }
    ~CHdf5Handle() { Close(); }

    hid_t Id() const { return m_id; }
    bool Valid() const { return m_id >= 0; }
    explicit operator bool() const { return Valid(); }

private:
    void Close()
    {
        if (m_id < 0)
            return;
        switch (H5Iget_type(m_id)) {
        case H5I_FILE:
            H5Fclose(m_id);
            break;
        case H5I_GROUP:
            H5Gclose(m_id);
            break;
        case H5I_DATASET:
            H5Dclose(m_id);
            break;
        case H5I_ATTR:
            H5Aclose(m_id);
            break;
        case H5I_DATASPACE:
            H5Sclose(m_id);
            break;
        case H5I_DATATYPE:
            H5Tclose(m_id);
            break;
        case H5I_GENPROP_LST:
            H5Pclose(m_id);
            break;
        default:
            break;
        }
        m_id = H5I_INVALID_HID;
    }

    hid_t m_id = H5I_INVALID_HID;
};

// Keeps the library's own error report off standard error while it lives: every failure
// is reported by the caller in words of its own.
class CHdf5Quiet
{
public:
    CHdf5Quiet()
    {
        H5Eget_auto2(H5E_DEFAULT, &m_function, &m_data);
        H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    }
    ~CHdf5Quiet() { H5Eset_auto2(H5E_DEFAULT, m_function, m_data); }
    CHdf5Quiet(const CHdf5Quiet&) = delete;
    CHdf5Quiet& operator=(const CHdf5Quiet&) = delete;

private:
    H5E_auto2_t m_function = nullptr;
    void* m_data = nullptr;
};
