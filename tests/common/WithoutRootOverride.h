#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, a test thread running as root is held to file permissions as any user
// is (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH and CAP_FOWNER leave its effective set), so
// a folder made read-only is read-only for it too. Capabilities belong to the thread:
// only the thread that made it is held.
class CWithoutRootOverride
{
public:
    CWithoutRootOverride()
    {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0;
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {m_saved[0], m_saved[1]};
        reduced[0].effective &=
            ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        m_bChanged = ::syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~CWithoutRootOverride()
    {
        if (m_bChanged)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    CWithoutRootOverride(const CWithoutRootOverride&) = delete;
    CWithoutRootOverride& operator=(const CWithoutRootOverride&) = delete;

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_bChanged = false;
};
