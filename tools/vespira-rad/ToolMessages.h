#pragma once

#include "document/IHostUi.h"

class CVespiraDoc;

// How vespira-rad tells the user what went wrong: one "vespira-rad: " line on standard
// error, naming the file and the reason.

// The document's messages as the tool's own lines, without the "message: " mark the
// programs with windows put on theirs.
class CToolUi : public IHostUi
{
public:
    Answer ShowMessage(const QString& text, Buttons buttons, Answer defaultAnswer) override;
};

// True when `path` ends in `suffix`, in any case ("OUT.PNG" is a PNG file).
bool HasSuffix(const char* path, const char* suffix);

// Reads a pattern file; prints why not (naming the file) and returns false when it cannot.
bool ReadPattern(CVespiraDoc& doc, const char* path);

// Prints "cannot open PATH" with the reason: missing, a folder, not a regular file.
void CannotOpen(const char* path);

// Prints "cannot write PATH" with the reason errno gives, if it gives one; returns 1.
int CannotWrite(const char* path);
