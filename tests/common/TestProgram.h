#pragma once

#include "app/ProgramState.h"
#include "document/DocumentServices.h"
#include "link/JobFields.h"
#include "render/RenderContext.h"
#include "view/ViewContext.h"

class IHostUi;

// The program's slices as the application owns them, set up for a test: what the settings
// hold (colours, view switches, tools, placement, 3D), the documents' services with the
// live scan, and the job fields. Each class under test is handed the slice it takes, and
// the conversions hand it the same slices the application would.
struct CTestProgram : ProgramState
{
    explicit CTestProgram(IHostUi& ui) : services(ui)
    {
        services.newGridColours = &colours.display;
    }
    CTestProgram(const CTestProgram&) = delete;
    CTestProgram& operator=(const CTestProgram&) = delete;

    DocumentServices services;
    JobFields job;
    CLiveScan& liveScan = services.liveScan;

    ViewContext View() { return {services, colours, view, tools, job}; }
    RenderContext Render() const { return {colours, view, tools, services.liveScan}; }

    operator DocumentServices&() { return services; }
    operator ViewContext() { return View(); }
    operator RenderContext() const { return Render(); }
};
