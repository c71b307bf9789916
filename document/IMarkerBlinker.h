#pragma once

// The collect marker's blinker as the model sees it: something that stops for good
// when it is released.
class IMarkerBlinker
{
public:
    virtual ~IMarkerBlinker() = default;
};
