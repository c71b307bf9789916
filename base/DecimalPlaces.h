#pragma once

// Number of decimals with which every X or Y value of an axis is printed ("%.*f"),
// derived from that axis' increment.
int DecimalPlaces(float step);
