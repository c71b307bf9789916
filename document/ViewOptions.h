#pragma once

// The program-wide view switches that every view, the printed page and the end of a scan
// follow: the target overlay, the header panel and the image orientation (0 "+X,+Y",
// 1 "-X,+Y", 2 "-X,-Y", 3 "+X,-Y").
struct ViewOptions
{
    bool overlay = true;
    bool header = false;
    int orientation = 0;
};
