#pragma once

#include "document/Colour.h"
#include "tests/common/CFakeHostUi.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <string>

// A look-up table whose entry i holds the colour value i, so a colour table shows which
// look-up entry each of its entries took.
inline ColourTable IndexTable()
{
    ColourTable table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<COLORREF>(i);
    return table;
}

// A temporary look-up-table directory named by "ORMA$SYSDATA:" for as long as it lives.
class CLutDirectory
{
public:
    CLutDirectory()
    {
        unsetenv("ORMA_SYSDATA");
        setenv("ORMA$SYSDATA:", Path().c_str(), 1);
    }
    ~CLutDirectory()
    {
        unsetenv("ORMA$SYSDATA:");
        unsetenv("ORMA_SYSDATA");
    }
    CLutDirectory(const CLutDirectory&) = delete;
    CLutDirectory& operator=(const CLutDirectory&) = delete;

    std::string Path() const { return m_dir.path().toStdString() + "/"; }
    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path() + name, std::ios::binary) << text;
    }
    // Two header lines and `lines` colour lines; colour k is (k, 2k, 3k) in low 8 bits.
    void WriteTable(const std::string& name, int lines) const
    {
        std::string text = "Test table\n64 colours\n";
        for (int k = 0; k < lines; ++k)
            text += std::to_string(k) + " " + std::to_string(2 * k) + " " + std::to_string(3 * k) +
                    "\n";
        Write(name, text);
    }

private:
    QTemporaryDir m_dir;
};

// Records the captions of error boxes beside the fake's messages.
class CCaptionUi : public CFakeHostUi
{
public:
    void ShowError(const QString& caption, const QString& text) override
    {
        captions << caption;
        CFakeHostUi::ShowError(caption, text);
    }
    QStringList captions;
};
