#pragma once

#include "document/CVespiraDoc.h"
#include "link/IRemoteHost.h"
#include "link/PipeMessage.h"
#include "tests/common/CFakeHostUi.h"
#include "tests/common/CRecordingView.h"
#include "tests/common/TestProgram.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>

#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

// The main window's New-document command as the handler sees it: a document from the
// pending grid with one recording view, both made active.
struct CFakeRemoteHost : IRemoteHost
{
    explicit CFakeRemoteHost(CTestProgram& state) : state(state) {}
    CVespiraDoc* NewDocument() override
    {
        ++newDocumentCalls;
        auto doc = std::make_unique<CVespiraDoc>(state);
        if (!doc->OnNewDocument())
            return nullptr;
        views.push_back(std::make_unique<CRecordingView>(doc.get()));
        CRecordingView* view = views.back().get();
        QObject::connect(doc.get(), &CVespiraDoc::cellChanged,
                         [view](int col, int row) { view->DrawCell(col, row); });
        state.liveScan.SetView(view);
        docs.push_back(std::move(doc));
        return docs.back().get();
    }
    CRecordingView* View() const { return views.empty() ? nullptr : views.back().get(); }
    // Closes the active document as the window's close does.
    void CloseActive()
    {
        if (state.liveScan.Document() != nullptr)
            state.liveScan.Document()->OnCloseDocument();
    }

    CTestProgram& state;
    int newDocumentCalls = 0;
    std::vector<std::unique_ptr<CVespiraDoc>> docs;
    std::vector<std::unique_ptr<CRecordingView>> views;
};

// A whole number and a float of an encoded message, at their byte offsets.
inline std::int32_t IntAt(const PipeBytes& bytes, std::size_t offset)
{
    std::int32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

inline float FloatAt(const PipeBytes& bytes, std::size_t offset)
{
    float value = 0;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

inline PipeMessage Request(std::int32_t code, float p1 = 0, float p2 = 0, float p3 = 0,
                           float p4 = 0, float p5 = 0, float p6 = 0, std::int32_t intParam = 0,
                           const char* text = "")
{
    PipeMessage m;
    m.code = code;
    m.param1 = p1;
    m.param2 = p2;
    m.param3 = p3;
    m.param4 = p4;
    m.param5 = p5;
    m.param6 = p6;
    m.intParam = intParam;
    SetPipeText(m, text);
    return m;
}

// Runs the event loop until `done` holds or the time is up; true when it held.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // As the top-level event loop would: objects closed with deleteLater go.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

inline void PumpFor(int ms)
{
    PumpUntil([] { return false; }, ms);
}
