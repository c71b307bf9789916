#pragma once

#include <ctime>
#include <string>
#include <vector>

// The folder of the scan journals, opened once it has passed the checks that keep other
// users out: a folder, not a symbolic link, of this user, that nobody else may write
// in. Every file of it is reached through the opened folder, so a folder swapped for a
// link after the checks is never followed.
//
// Which program writes a journal is told by its name, scan-STAMP-OWNER-N.journal: a
// running program holds the lock (flock) of owner-OWNER.lock for as long as it runs, so
// it needs no descriptor for each journal it keeps. A journal of the first version,
// scan-STAMP-PID-N.journal, was locked itself by its program; that lock is honoured too.
// A program takes over a journal whose owner is gone by renaming it to a name of its own:
// of two programs that try at once, one finds it gone.
class CJournalFolder
{
public:
    explicit CJournalFolder(std::string path);
    ~CJournalFolder(); // this program's journals become free to take
    CJournalFolder(const CJournalFolder&) = delete;
    CJournalFolder& operator=(const CJournalFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string PathOf(const std::string& name) const { return m_path + "/" + name; }
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }

    // Opens an existing folder to read its journals. False when it is not there (error
    // empty) or is refused (error says why: "... is a symbolic link", "... belongs to user
    // 65534", "... is writable by others"). Unchecked, any folder is taken (a journal the
    // user names on the command line), and its files need not be the user's.
    bool OpenToRead(std::string& error, bool checked = true);
    // Makes the folder when it is missing (owner only), makes the user's own folder
    // private, opens it and takes this program's owner lock.
    bool OpenToWrite(std::string& error);

    // The names of the journals in the folder, in order.
    std::vector<std::string> JournalNames() const;

    enum class Use
    {
        Free,   // its program is gone: it may be taken
        Ours,   // this program's own
        Running // a running program writes it
    };
    Use UseOf(const std::string& name) const;

    // A new name for a journal of this program, begun at `began` (OpenToWrite first).
    std::string NewJournalName(std::time_t began);

    enum class Take
    {
        Ok,       // renamed to `taken`, a name of this program
        Gone,     // another program took it first
        ReadOnly, // the folder cannot be written: it can be read, not taken (error says why)
        Failed
    };
    Take TakeOver(const std::string& name, std::string& taken, std::string& error);

    // The whole file; a file that is not a regular file, or not the user's in a checked
    // folder, is refused.
    bool Read(const std::string& name, std::string& text, std::string& error) const;
    bool Remove(const std::string& name, std::string& error) const;
    // Removes the owner files, and the journals a program never finished making, that
    // programs now gone left behind.
    void Sweep() const;

private:
    bool OpenChecked(std::string& error);
    bool TakeOwnerLock(std::string& error);
    bool OwnerRuns(const std::string& owner) const;
    void Close();

    std::string m_path;
    int m_fd = -1;
    bool m_bChecked = true;
    int m_ownerFd = -1;
    std::string m_owner;
    int m_nSequence = 0;
};

// The owner part of a journal's name ("" when the name is not of the form a program
// gives its journals).
std::string JournalOwnerOf(const std::string& name);

// "what: reason" of the errno now.
std::string SystemError(const std::string& what);
