#pragma once

#include "document/CLiveScan.h"
#include "document/DisplaySettings.h"
#include "document/ScanGrid.h"

#include <cstdint>
#include <functional>
#include <optional>

class IHostUi;
class IScanJournal;

// What the documents and the instrument link share for the whole run: the user interface
// for messages, the live scan, the journal that keeps received scans, the memory figure
// new grids are checked against, and what a new grid starts with.
struct DocumentServices
{
    explicit DocumentServices(IHostUi& ui) : ui(ui) {}
    DocumentServices(const DocumentServices&) = delete;
    DocumentServices& operator=(const DocumentServices&) = delete;

    IHostUi& ui;
    CLiveScan liveScan;
    // Keeps received scans on disk until they are saved; none: scans are not journaled.
    IScanJournal* scanJournal = nullptr;
    // What the system reports free for new grids; tests set their own figure.
    std::function<std::optional<std::uint64_t>()> availableMemory = [] {
        return ReadAvailableMemory();
    };
    // The colour settings a new grid copies; none: the built-in ones.
    const DisplaySettings* newGridColours = nullptr;
    // The colour scale's range every grid starts with.
    int initialMinIntensity = 0;
    int initialMaxIntensity = 63;
};
