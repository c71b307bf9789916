#pragma once

#include <string>

// A scan journal file held open with an exclusive lock (flock): a running program holds
// the lock of every journal it writes, so nobody else takes one over while it lives, and
// the kernel lets it go when the process dies however it dies.
class CJournalFile
{
public:
    CJournalFile() = default;
    ~CJournalFile();
    CJournalFile(CJournalFile&& other) noexcept;
    CJournalFile& operator=(CJournalFile&& other) noexcept;
    CJournalFile(const CJournalFile&) = delete;
    CJournalFile& operator=(const CJournalFile&) = delete;

    enum class Result
    {
        Ok,
        InUse, // a running program holds its lock
        Failed
    };

    // Makes a new journal with the version line, owner-only, locked before it gets its
    // name, so no one can find it unlocked.
    static Result Create(const std::string& path, CJournalFile& file, std::string& error);
    // Opens an existing journal and takes its lock without waiting; read-only when it
    // is only to be read and removed.
    static Result Open(const std::string& path, CJournalFile& file, std::string& error,
                       bool writable = true);

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    const std::string& Path() const { return m_path; }

    bool ReadAll(std::string& text, std::string& error) const;
    // Cuts the file at length and puts the write position there (after a torn record).
    bool CutAt(long long length, std::string& error);
    // Removes the file, then lets the lock go.
    void Remove();
    // Lets the lock go; the file stays.
    void Close();

private:
    int m_fd = -1;
    std::string m_path;
};

// "what: reason" of the errno now.
std::string SystemError(const std::string& what);
