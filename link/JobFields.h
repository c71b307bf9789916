#pragma once

// The fields of the Send-targets dialog, kept for the whole run and never stored.
struct JobFields
{
    char szJobName[80] = "";
    char szTitle[80] = "";
    char szSampleName[80] = "";
    int nSampleNumber = 0;
};
