#include "journal/CJournalFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

CJournalFile::Result CJournalFile::Open(const std::string& path, CJournalFile& file,
                                        std::string& error)
{
    // The file the path names, through any links: its folder tells who writes it.
    char real[PATH_MAX];
    if (::realpath(path.c_str(), real) == nullptr) {
        error = SystemError("cannot open " + path);
        return Result::Failed;
    }
    const std::string resolved = real;
    const std::size_t slash = resolved.rfind('/');
    auto folder = std::make_unique<CJournalFolder>(slash == 0 ? "/" : resolved.substr(0, slash));
    if (!folder->OpenToRead(error, false)) {
        if (error.empty())
            error = SystemError("cannot open " + path);
        return Result::Failed;
    }
    const std::string name = resolved.substr(slash + 1);
    if (folder->UseOf(name) != CJournalFolder::Use::Free)
        return Result::InUse;
    file.m_pFolder = std::move(folder);
    file.m_name = name;
    file.m_path = path;
    return Result::Ok;
}

bool CJournalFile::ReadAll(std::string& text, std::string& error) const
{
    return m_pFolder->Read(m_name, text, error);
}

bool CJournalFile::Remove(std::string& error)
{
    // Taken by a program meanwhile: it is that program's now.
    if (m_pFolder->UseOf(m_name) != CJournalFolder::Use::Free) {
        error = m_path + " is being written by a running Vespira";
        return false;
    }
    return m_pFolder->Remove(m_name, error);
}
