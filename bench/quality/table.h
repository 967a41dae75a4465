// The benchmark's one table: a row per contender, fixed share per damage kind
// and overall, made worse, SNR inside the damage and overall (before -> after),
// collateral change outside the events, false changes on clean material, and
// speed. Also as CSV, and per clip.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "bench/quality/scoring.h"

struct Row {
    std::string name;
    Tally tally;
    double audioSeconds = 0, wallSeconds = 0;
    int clipsSkipped = 0;  // failed runs, wrong shape or misaligned: not scored
};

void printTable(std::ostream& out, const std::vector<Row>& rows);
void printCsv(std::ostream& out, const std::vector<Row>& rows);
// One line per contender and clip: fixed, worse, SNR, clean changes.
void printClipLine(std::ostream& out, const std::string& contender, const std::string& clip, const Tally& t);
