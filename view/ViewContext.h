#pragma once

#include "display/ColourSettings.h"
#include "document/DocumentServices.h"
#include "document/ViewOptions.h"
#include "link/JobFields.h"
#include "render/RenderContext.h"
#include "render/ToolState.h"

// What a pattern view uses besides its document: the documents' services (messages, the
// live scan), the colours, the view switches, the tools' state and the Send-targets
// dialog's fields.
struct ViewContext
{
    DocumentServices& services;
    ProgramColours& colours;
    ViewOptions& options;
    ToolState& tools;
    JobFields& job;

    IHostUi& Ui() const { return services.ui; }
    RenderContext Render() const { return {colours, options, tools, services.liveScan}; }
};
