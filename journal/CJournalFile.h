#pragma once

#include "journal/CJournalFolder.h"

#include <memory>
#include <string>

// A journal named by its path (on the command line), to be read and perhaps removed, but
// only when no running program writes it.
class CJournalFile
{
public:
    enum class Result
    {
        Ok,
        InUse, // a running program writes it
        Failed
    };

    static Result Open(const std::string& path, CJournalFile& file, std::string& error);

    const std::string& Path() const { return m_path; }
    bool ReadAll(std::string& text, std::string& error) const;
    bool Remove(std::string& error);

private:
    std::unique_ptr<CJournalFolder> m_pFolder;
    std::string m_name;
    std::string m_path;
};
