#pragma once

#include "link/PipeMessage.h"

#include <cstdint>
#include <string>

class CProgramState;
class CVespiraDoc;
class IRemoteHost;

// Carries out the instrument's remote commands on the GUI thread: the active document
// and view, the pending grid, the collect marker and its blinker, the status text and
// the messages. One request at a time, each finished before its reply is computed.
class CRemoteCommandHandler
{
public:
    CRemoteCommandHandler(CProgramState& state, IRemoteHost& host);

    void Handle(const PipeMessage& request);
    // -1 while points of a scan are still expected but no document is active, else 0.
    std::int32_t ReplyStatus() const;
    // Both, in this order: what the listener runs for each request.
    std::int32_t HandleRequest(const PipeMessage& request);

private:
    void NewImage(const PipeMessage& request);
    void LoadImage(const PipeMessage& request);
    void SaveImage(const PipeMessage& request);
    void NewPoint(const PipeMessage& request);
    void Collecting(const PipeMessage& request);
    void EndCollect();
    void MeasurementParameters(const PipeMessage& request);
    void BackgroundParameters(const PipeMessage& request);

    void StopBlinker();
    void ShowMessage(const char* text);
    // A missing document's message, once only in the scan after a refused grid.
    void ShowNoDocumentMessage(const char* text);
    void SetStatus(const char* text);
    // Sets a scan title, keeping the pattern's own title for ENDCOLLECT.
    void SetScanTitle(CVespiraDoc& doc, const std::string& title);
    // "X: ... Y: ..." with the decimals of the pending grid's increments.
    std::string PositionText(float x, float y) const;

    CProgramState& m_state;
    IRemoteHost& m_host;
};
