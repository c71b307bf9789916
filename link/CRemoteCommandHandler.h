#pragma once

#include "link/PipeMessage.h"

#include <QMetaObject>

#include <cstdint>
#include <memory>
#include <string>

class CLiveScan;
class CMarkerBlinker;
struct DocumentServices;
struct ViewOptions;
class CVespiraDoc;
class IRemoteHost;

// Carries out the instrument's remote commands on the GUI thread, into the live scan's
// pattern and view; owns the collect marker's blinker and the flags that keep one scan's
// error messages to one. One request at a time, each finished before its reply is
// computed.
class CRemoteCommandHandler
{
public:
    // view: the overlay switch decides whether ENDCOLLECT draws the targets again.
    CRemoteCommandHandler(DocumentServices& services, const ViewOptions& view, IRemoteHost& host);
    ~CRemoteCommandHandler();
    CRemoteCommandHandler(const CRemoteCommandHandler&) = delete;
    CRemoteCommandHandler& operator=(const CRemoteCommandHandler&) = delete;

    void Handle(const PipeMessage& request);
    // -1 while points of a scan are still expected but no document is active, else 0.
    std::int32_t ReplyStatus() const;
    // Both, in this order: what the listener runs for each request.
    std::int32_t HandleRequest(const PipeMessage& request);
    // The blinker of the collect marker's cell; none while no cell flashes.
    const CMarkerBlinker* Blinker() const { return m_pBlinker.get(); }

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
    // "X: ... Y: ..." with the decimals of the pending grid's increments.
    std::string PositionText(float x, float y) const;

    DocumentServices& m_services;
    const ViewOptions& m_view;
    CLiveScan& m_scan;
    IRemoteHost& m_host;
    std::unique_ptr<CMarkerBlinker> m_pBlinker;
    QMetaObject::Connection m_scanChanged;
    // A missing document's error was shown in this scan: ENDCOLLECT does not repeat it.
    bool m_bRemoteErrorShown = false;
    // A NEWIMAGE was refused and no document has been active since: the scan that
    // follows gets one "no active document" message, not one per point.
    bool m_bRefusedGridScan = false;
    bool m_bRefusedScanMessageShown = false;
};
