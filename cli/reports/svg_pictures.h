// The report's pictures as inline SVG, drawn from decimated data so a picture
// has a few thousand points at most, however long the file.
//
// Overview: one lane per channel with the input's min/max envelope and one
// <rect class="region-mark"> per repaired region (at least one unit wide, so
// a one-sample click shows). Close-up: the input (class "before") and the
// output (class "after") as lines over the repaired samples shaded.
#pragma once

#include <ostream>
#include <string>

#include "capture/repair_pictures.h"
#include "reports/region_report.h"

void writeOverviewSvg(std::ostream& out, const FileRegions& file, const RepairPictures& pictures);
std::string closeUpSvg(const RegionCloseUp& closeUp);

// "m:ss.mmm" for a frame position, for captions and labels in pictures.
std::string timeText(std::int64_t frame, int sampleRate);
// Text with &, <, >, " and ' escaped for HTML and SVG.
std::string escapeMarkup(const std::string& text);
